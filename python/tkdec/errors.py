"""The package's exceptions."""


class TkdecError(Exception):
    """A failure of the library or of the package; the message is the
    library's own text where it gives one."""


class CaptureError(TkdecError):
    """A capture that cannot be read: the message names the file and the
    line or byte offset."""
