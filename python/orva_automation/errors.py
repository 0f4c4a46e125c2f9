"""Errors of the library and the loader as a Python exception."""


class AutomationError(Exception):
    """A failed call: number (5 invalid argument, 13 type mismatch, 91 object not set, 429 cannot
    create, 438 no such member, 450 wrong number of arguments, ...), description and source (the
    class and member that raised it, "OrvaLoader" for the loader's own) as the library gave them."""

    def __init__(self, number, description="", source=""):
        self.number = number
        self.description = description
        self.source = source
        where = f" [{source}]" if source else ""
        super().__init__(f"{description} ({number}){where}")


def take_error(loader, error):
    """An AutomationError from a filled struct orva_error, whose texts are freed here."""
    failure = AutomationError(error.number, (error.description or b"").decode("utf-8", "replace"),
                              (error.source or b"").decode("utf-8", "replace"))
    loader.orva_error_clear(error)
    return failure
