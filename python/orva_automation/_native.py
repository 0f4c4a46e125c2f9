"""The C interface of the loader libOrvaLoader.so (orva/orva_automation.h) as ctypes declarations.

The loader is found as the environment variable ORVA_LOADER names it, else as "libOrvaLoader.so.0" on
the library path; load() may name another file before the first call.
"""
import ctypes
import os
import threading

VT_EMPTY, VT_NULL, VT_BOOL, VT_INT16, VT_INT32, VT_DOUBLE, VT_TEXT, VT_OBJECT, VT_ARRAY = range(9)
CALL_METHOD, CALL_PROPERTY_GET, CALL_PROPERTY_LET, CALL_PROPERTY_SET = range(4)

# The interface version these declarations follow (ORVA_AUTOMATION_ABI_VERSION).
ABI_VERSION = 3


class CVariant(ctypes.Structure):
    """struct orva_variant. Owns what it holds once the loader's set functions filled it."""


class _Text(ctypes.Structure):
    _fields_ = [("data", ctypes.c_void_p), ("length", ctypes.c_size_t)]


class _Array(ctypes.Structure):
    _fields_ = [("items", ctypes.POINTER(CVariant)), ("count", ctypes.c_int32), ("lower_bound", ctypes.c_int32)]


class _Value(ctypes.Union):
    _fields_ = [("boolean", ctypes.c_int32), ("int16", ctypes.c_int16), ("int32", ctypes.c_int32),
                ("real", ctypes.c_double), ("text", _Text), ("object", ctypes.c_void_p), ("array", _Array)]


CVariant._fields_ = [("type", ctypes.c_int32), ("value", _Value)]


class CError(ctypes.Structure):
    """struct orva_error. Its texts belong to the loader: free them with orva_error_clear."""
    _fields_ = [("number", ctypes.c_int32), ("description", ctypes.c_char_p), ("source", ctypes.c_char_p)]


_VARIANT_P = ctypes.POINTER(CVariant)
_ERROR_P = ctypes.POINTER(CError)
_HANDLE = ctypes.c_void_p

_SIGNATURES = {
    "orva_variant_init": (None, [_VARIANT_P]),
    "orva_variant_clear": (None, [_VARIANT_P]),
    "orva_variant_copy": (ctypes.c_int32, [_VARIANT_P, _VARIANT_P]),
    "orva_variant_set_null": (None, [_VARIANT_P]),
    "orva_variant_set_bool": (None, [_VARIANT_P, ctypes.c_int]),
    "orva_variant_set_int16": (None, [_VARIANT_P, ctypes.c_int16]),
    "orva_variant_set_int32": (None, [_VARIANT_P, ctypes.c_int32]),
    "orva_variant_set_double": (None, [_VARIANT_P, ctypes.c_double]),
    "orva_variant_set_text_n": (ctypes.c_int32, [_VARIANT_P, ctypes.c_char_p, ctypes.c_size_t]),
    "orva_variant_set_object": (None, [_VARIANT_P, _HANDLE]),
    "orva_variant_set_array": (ctypes.c_int32, [_VARIANT_P, ctypes.c_int32, ctypes.c_int32]),
    "orva_error_clear": (None, [_ERROR_P]),
    "orva_create_object": (ctypes.c_int32, [ctypes.c_char_p, ctypes.POINTER(_HANDLE), _ERROR_P]),
    "orva_create_object_beside": (ctypes.c_int32, [_HANDLE, ctypes.c_char_p, ctypes.POINTER(_HANDLE), _ERROR_P]),
    "orva_invoke": (ctypes.c_int32, [_HANDLE, ctypes.c_char_p, ctypes.c_int32, _VARIANT_P, ctypes.c_int32,
                                     _VARIANT_P, _ERROR_P]),
    "orva_release": (None, [_HANDLE]),
    "orva_publish_property": (ctypes.c_int32, [_HANDLE, ctypes.c_char_p, _VARIANT_P, _ERROR_P]),
    "orva_reset_thread_state": (None, []),
}

_lock = threading.Lock()
_loader = None


def load(path=None):
    """Loads the loader (once per process) and declares its functions; returns the ctypes library.

    path names the file; without it ORVA_LOADER, else "libOrvaLoader.so.0". Raises OSError when the
    file cannot be loaded, and AttributeError when it lacks a function of this interface version.
    """
    global _loader
    # Once loaded, no lock: an Object collected while another thread loads must not wait for it.
    if _loader is not None:
        return _loader
    with _lock:
        if _loader is None:
            library = ctypes.CDLL(path or os.environ.get("ORVA_LOADER") or "libOrvaLoader.so.0")
            for name, (restype, argtypes) in _SIGNATURES.items():
                function = getattr(library, name)
                function.restype = restype
                function.argtypes = argtypes
            _loader = library
        return _loader
