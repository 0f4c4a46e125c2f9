"""orva_automation: a Python host's way into OrvaClassDeploy, over the loader libOrvaLoader.so (ctypes).

    import orva_automation as orva

    with orva.create_object("OrvaClassDeploy.clsDeploywizard") as wizard:
        wizard.publish_property("Language", "EN")
        wizard.publish_property("PropsString", "Language=EN;ConnectString=sqlite:/srv/orva/account.db;")
        deployed, (_, _, messages) = wizard.invoke("DeployToLumoMain", orva.CALL_METHOD,
                                                   "/srv/orva/DeployFunction.Dat", None, None)
        for line in messages:
            print(line)

The loader is libOrvaLoader.so.0 on the library path, or the file ORVA_LOADER names, or what load()
is given before the first call. host-api.md (share/doc/orva-class-deploy) lists every member.
"""
from ._native import (ABI_VERSION, CALL_METHOD, CALL_PROPERTY_GET, CALL_PROPERTY_LET, CALL_PROPERTY_SET, CError,
                      load)
from .errors import AutomationError
from .object import Object, create_object
from .variant import Nothing, Null, Variant


def reset_thread_state():
    """Makes the calling thread learn its language and text components anew (orva_reset_thread_state),
    for a thread that served one login and now serves another."""
    load().orva_reset_thread_state()


__all__ = ["ABI_VERSION", "AutomationError", "CALL_METHOD", "CALL_PROPERTY_GET", "CALL_PROPERTY_LET",
           "CALL_PROPERTY_SET", "CError", "Nothing", "Null", "Object", "Variant", "create_object", "load",
           "reset_thread_state"]
