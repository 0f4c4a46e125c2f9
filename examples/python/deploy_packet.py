#!/usr/bin/env python3
"""A host in Python: creates "OrvaClassDeploy.clsDeploywizard" by program ID through liborva-loader
(ctypes), deploys a packet file into an account with DeployToLumoMain and prints the message list.

Usage: deploy_packet.py PACKET_FILE ACCOUNT_DB [CHS|CHT|EN]
The loader is found as ORVA_LOADER names it, else as "libOrvaLoader.so.0" on the library path.
Exit status 0 when the deployment ran to its end, 1 otherwise.
"""
import ctypes
import os
import sys

VT_EMPTY, VT_NULL, VT_BOOL, VT_INT16, VT_INT32, VT_DOUBLE, VT_TEXT, VT_OBJECT, VT_ARRAY = range(9)
CALL_METHOD, CALL_PROPERTY_GET, CALL_PROPERTY_LET, CALL_PROPERTY_SET = range(4)


class Variant(ctypes.Structure):
    pass


class _Text(ctypes.Structure):
    _fields_ = [("data", ctypes.c_char_p), ("length", ctypes.c_size_t)]


class _Array(ctypes.Structure):
    _fields_ = [("items", ctypes.POINTER(Variant)), ("count", ctypes.c_int32), ("lower_bound", ctypes.c_int32)]


class _Value(ctypes.Union):
    _fields_ = [("boolean", ctypes.c_int32), ("int16", ctypes.c_int16), ("int32", ctypes.c_int32),
                ("real", ctypes.c_double), ("text", _Text), ("object", ctypes.c_void_p), ("array", _Array)]


Variant._fields_ = [("type", ctypes.c_int32), ("value", _Value)]


class Error(ctypes.Structure):
    _fields_ = [("number", ctypes.c_int32), ("description", ctypes.c_char_p), ("source", ctypes.c_char_p)]


loader = ctypes.CDLL(os.environ.get("ORVA_LOADER", "libOrvaLoader.so.0"))
loader.orva_create_object.argtypes = [ctypes.c_char_p, ctypes.POINTER(ctypes.c_void_p), ctypes.POINTER(Error)]
loader.orva_invoke.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int, ctypes.POINTER(Variant),
                               ctypes.c_int32, ctypes.POINTER(Variant), ctypes.POINTER(Error)]
loader.orva_publish_property.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.POINTER(Variant),
                                         ctypes.POINTER(Error)]
loader.orva_release.argtypes = [ctypes.c_void_p]
loader.orva_variant_set_text.argtypes = [ctypes.POINTER(Variant), ctypes.c_char_p]
loader.orva_variant_set_int32.argtypes = [ctypes.POINTER(Variant), ctypes.c_int32]
loader.orva_variant_clear.argtypes = [ctypes.POINTER(Variant)]
loader.orva_error_clear.argtypes = [ctypes.POINTER(Error)]


class AutomationError(Exception):
    def __init__(self, error):
        self.number = error.number
        self.description = (error.description or b"").decode("utf-8")
        self.source = (error.source or b"").decode("utf-8")
        super().__init__(f"{self.description} ({self.number})")


def check(status, error):
    if status != 0:
        failure = AutomationError(error)
        loader.orva_error_clear(ctypes.byref(error))
        raise failure


def text(value):
    variant = Variant()
    loader.orva_variant_set_text(ctypes.byref(variant), value.encode("utf-8"))
    return variant


def invoke(handle, name, kind, args):
    """Calls a member by name; returns the result variant. Arguments are written back into args."""
    error = Error()
    result = Variant()
    array = (Variant * len(args))(*args) if args else None
    check(loader.orva_invoke(handle, name.encode("utf-8"), kind, array, len(args), ctypes.byref(result),
                             ctypes.byref(error)), error)
    for i in range(len(args)):
        args[i] = array[i]
    return result


def main(argv):
    if len(argv) < 3:
        print("usage: deploy_packet.py PACKET_FILE ACCOUNT_DB [CHS|CHT|EN]", file=sys.stderr)
        return 1
    packet, account = argv[1], argv[2]
    language = argv[3] if len(argv) > 3 else "CHS"
    error = Error()
    wizard = ctypes.c_void_p()
    try:
        check(loader.orva_create_object(b"OrvaClassDeploy.clsDeploywizard", ctypes.byref(wizard),
                                        ctypes.byref(error)), error)
        for name, value in (("Language", language),
                            ("PropsString", f"Language={language};ConnectString=sqlite:{account};")):
            variant = text(value)
            status = loader.orva_publish_property(wizard, name.encode(), ctypes.byref(variant), ctypes.byref(error))
            loader.orva_variant_clear(ctypes.byref(variant))
            check(status, error)

        # DeployToLumoMain(strFile, dctInfo, msgList): the empty message list comes back created.
        args = [text(packet), Variant(), Variant()]
        result = invoke(wizard, "DeployToLumoMain", CALL_METHOD, args)
        messages = args[2]
        if messages.type == VT_OBJECT and messages.value.object:
            count = invoke(messages.value.object, "Count", CALL_PROPERTY_GET, [])
            for i in range(1, count.value.int32 + 1):
                index = Variant()
                loader.orva_variant_set_int32(ctypes.byref(index), i)
                line = invoke(messages.value.object, "Item", CALL_PROPERTY_GET, [index])
                print(line.value.text.data.decode("utf-8"))
                loader.orva_variant_clear(ctypes.byref(line))
        deployed = result.type == VT_BOOL and result.value.boolean != 0
        print("DeployToLumoMain returned", "True" if deployed else "False")
        for variant in args + [result]:
            loader.orva_variant_clear(ctypes.byref(variant))
        return 0 if deployed else 1
    except AutomationError as failure:
        print(f"deploy_packet.py: {failure}", file=sys.stderr)
        return 1
    finally:
        loader.orva_release(wizard)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
