"""Object: one handle to an object of the library, released when the Object is closed, leaves a with
block, or is collected."""
import ctypes

from . import _native
from ._native import CError, CVariant
from .errors import AutomationError, take_error


def _check(loader, status, error):
    if status != 0:
        raise take_error(loader, error)


class Object:
    """A handle to an object of the library; its members are called by name.

    call, get, let and set_ref pass Python values (converted as variant.py says) and return the
    member's result as a Python value. invoke also gives back the arguments as the member left them:
    members that write into an argument (DeployToLumoMain's message list) are read that way.
    A vector (Count, Item) is iterable in index order, Item(1) to Item(Count); len() is its Count.
    Errors raise AutomationError with the number, description and source the library gave.
    """

    def __init__(self, handle):
        self._handle = handle

    @property
    def handle(self):
        """The orva_object* as an integer; None once released."""
        return self._handle

    def release(self):
        """Drops the handle (orva_release); later calls raise 91. Releasing twice does nothing."""
        handle, self._handle = self._handle, None
        if handle:
            _native.load().orva_release(handle)

    close = release

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.release()

    def __del__(self):
        try:
            self.release()
        except Exception:  # the interpreter may be shutting down; the process ends anyway
            pass

    def __bool__(self):
        return bool(self._handle)

    def __repr__(self):
        return f"<orva_automation.Object {self._handle:#x}>" if self._handle else "<orva_automation.Object released>"

    def invoke(self, name, kind, *args):
        """Calls the member name as kind (CALL_METHOD, CALL_PROPERTY_GET, ...); returns (result, args
        after the call), both as Python values."""
        loader = _native.load()
        count = len(args)
        array = (CVariant * count)() if count else None
        error = CError()
        result = CVariant()
        try:
            for index, value in enumerate(args):
                array[index].set(value)
            status = loader.orva_invoke(self._handle, name.encode("utf-8"), kind, array, count,
                                        ctypes.byref(result), ctypes.byref(error))
            _check(loader, status, error)
            return result.to_python(take=True), [array[i].to_python(take=True) for i in range(count)]
        finally:
            for index in range(count):
                array[index].clear()
            result.clear()

    def call(self, name, *args):
        """The result of the method name(args)."""
        return self.invoke(name, _native.CALL_METHOD, *args)[0]

    def get(self, name, *args):
        """The property name (with index arguments, e.g. Item(1))."""
        return self.invoke(name, _native.CALL_PROPERTY_GET, *args)[0]

    def let(self, name, *args):
        """Assigns the last argument to the property name (index arguments before it)."""
        self.invoke(name, _native.CALL_PROPERTY_LET, *args)

    def set_ref(self, name, *args):
        """Assigns the object reference in the last argument to the property name."""
        self.invoke(name, _native.CALL_PROPERTY_SET, *args)

    def create_beside(self, prog_id):
        """A new object of a class this object's library provides ("Nexo.Dictionary", "Nexo.Vector")."""
        loader = _native.load()
        handle = ctypes.c_void_p()
        error = CError()
        _check(loader, loader.orva_create_object_beside(self._handle, prog_id.encode("utf-8"),
                                                        ctypes.byref(handle), ctypes.byref(error)), error)
        return Object(handle.value)

    def publish_property(self, name, value):
        """Publishes a login property ("Language": CHS, CHT or EN; "PropsString") for this process."""
        loader = _native.load()
        error = CError()
        with CVariant.from_python(value) as variant:
            _check(loader, loader.orva_publish_property(self._handle, name.encode("utf-8"), ctypes.byref(variant),
                                                        ctypes.byref(error)), error)

    def __len__(self):
        return self.get("Count")

    def __iter__(self):
        for index in range(1, self.get("Count") + 1):
            yield self.get("Item", index)

    def keys(self):
        """A dictionary's keys, Key(1) to Key(Count)."""
        return [self.get("Key", index) for index in range(1, self.get("Count") + 1)]


def create_object(prog_id):
    """A new object of the class registered under prog_id (orva_create_object: the registry)."""
    loader = _native.load()
    handle = ctypes.c_void_p()
    error = CError()
    _check(loader, loader.orva_create_object(prog_id.encode("utf-8"), ctypes.byref(handle), ctypes.byref(error)),
           error)
    return Object(handle.value)
