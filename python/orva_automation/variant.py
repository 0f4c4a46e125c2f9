"""Variant: struct orva_variant with conversions to and from Python values.

    Python -> variant                     variant -> Python
    None            empty                 empty           None
    Null            null                  null            Null
    bool            Boolean               Boolean         bool
    int             32-bit integer        16/32-bit int   int
    float           double                double          float
    str             text (UTF-8)          text            str (NUL characters kept)
    Object          a new handle          object          Object (a handle of its own), Nothing for none
    Nothing         object "nothing"
    list, tuple     array (lower bound 0) array           list (the lower bound is dropped)

A Variant owns what it holds: clear() frees it (texts, arrays, handles). Variants are plain ctypes
structures with no finaliser, because copying one into an argument array moves what it owns.
"""
import ctypes

from . import _native
from ._native import CVariant
from .errors import AutomationError

Variant = CVariant


class _Marker:
    def __init__(self, name):
        self._name = name

    def __repr__(self):
        return self._name

    def __bool__(self):
        return False


Null = _Marker("Null")
Nothing = _Marker("Nothing")

_INT32_MIN, _INT32_MAX = -2 ** 31, 2 ** 31 - 1


def _out_of_memory():
    return AutomationError(7, "Out of memory", "orva_automation")


def _store(variant, value, loader):
    """Clears variant, then stores value in it."""
    from .object import Object  # the two modules refer to each other

    if value is None:
        loader.orva_variant_clear(variant)
    elif value is Null:
        loader.orva_variant_set_null(variant)
    elif value is Nothing:
        loader.orva_variant_set_object(variant, None)
    elif isinstance(value, bool):
        loader.orva_variant_set_bool(variant, 1 if value else 0)
    elif isinstance(value, int):
        if not _INT32_MIN <= value <= _INT32_MAX:
            raise AutomationError(6, f"Overflow: {value} does not fit a 32-bit integer", "orva_automation")
        loader.orva_variant_set_int32(variant, value)
    elif isinstance(value, float):
        loader.orva_variant_set_double(variant, value)
    elif isinstance(value, str):
        data = value.encode("utf-8", "surrogatepass")
        if loader.orva_variant_set_text_n(variant, data, len(data)) != 0:
            raise _out_of_memory()
    elif isinstance(value, Object):
        # A copy of a borrowed object variant makes the new handle that this variant then owns.
        borrowed = CVariant()
        borrowed.type = _native.VT_OBJECT
        borrowed.value.object = value.handle
        status = loader.orva_variant_copy(variant, borrowed)
        if status != 0:
            raise AutomationError(status, "The object cannot be passed: its handle was released", "orva_automation")
    elif isinstance(value, (list, tuple)):
        if loader.orva_variant_set_array(variant, len(value), 0) != 0:
            raise _out_of_memory()
        try:
            for index, item in enumerate(value):
                _store(variant.value.array.items[index], item, loader)
        except BaseException:
            loader.orva_variant_clear(variant)
            raise
    else:
        raise AutomationError(13, f"Type mismatch: a {type(value).__name__} cannot be passed to the library",
                              "orva_automation")


def _read(variant, take, loader):
    """The Python value of variant. take: object handles move into the result (the variant is left
    without them); otherwise the result gets handles of its own."""
    from .object import Object

    kind = variant.type
    value = variant.value
    if kind == _native.VT_EMPTY:
        return None
    if kind == _native.VT_NULL:
        return Null
    if kind == _native.VT_BOOL:
        return value.boolean != 0
    if kind == _native.VT_INT16:
        return value.int16
    if kind == _native.VT_INT32:
        return value.int32
    if kind == _native.VT_DOUBLE:
        return value.real
    if kind == _native.VT_TEXT:
        if not value.text.data:
            return ""
        return ctypes.string_at(value.text.data, value.text.length).decode("utf-8", "replace")
    if kind == _native.VT_OBJECT:
        if not value.object:
            return Nothing
        if take:
            handle = value.object
            value.object = None
            return Object(handle)
        copy = CVariant()
        status = loader.orva_variant_copy(copy, variant)
        if status != 0:
            raise AutomationError(status, "The object's handle was released", "orva_automation")
        return Object(copy.value.object)
    if kind == _native.VT_ARRAY:
        return [_read(value.array.items[i], take, loader) for i in range(value.array.count)]
    raise AutomationError(5, f"Unknown variant type {kind}", "orva_automation")


def _from_python(cls, value):
    """A new variant holding value (see the table above); clear() it when done."""
    variant = cls()
    _store(variant, value, _native.load())
    return variant


def _to_python(self, take=False):
    """This variant's value as a Python value; take=True moves its object handles into the result."""
    return _read(self, take, _native.load())


def _set(self, value):
    """Clears the variant, then stores value."""
    _store(self, value, _native.load())


def _clear(self):
    """Frees what the variant holds; it becomes empty."""
    _native.load().orva_variant_clear(self)


def _enter(self):
    return self


def _exit(self, *exc):
    self.clear()


Variant.from_python = classmethod(_from_python)
Variant.to_python = _to_python
Variant.set = _set
Variant.clear = _clear
Variant.__enter__ = _enter
Variant.__exit__ = _exit
