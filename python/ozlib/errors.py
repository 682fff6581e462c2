"""Result codes as exceptions: every non-zero result of the C library is
raised as an OzlibError subclass carrying the function, the code's name and
the detail words the library recorded for it."""

# The library's result codes, as include/ozlib.h lists them.
RESULT_CODES = {
    0: "EW_SUCCESS", 1: "EW_UNAVAILABLE", 2: "EW_SIZE", 3: "EW_RANGE", 4: "EW_KIND",
    5: "EW_VALUE", 6: "EW_NOFEATURE", 7: "EW_MISMATCH", 9: "EW_ENTRYKIND", 10: "EW_BUFFER",
    11: "EW_NOPATH", 13: "EW_REFUSED", 14: "EW_DATASERVER", -1: "EW_INUSE", -2: "EW_CANCELLED",
    -6: "EW_PRECONDITION", -7: "EW_UNDECODABLE", -8: "EW_BADHANDLE", -9: "EW_INTERNAL", -16: "EW_CIRCUIT",
    -17: "EW_FRAMING",
}


class OzlibError(Exception):
    """A call returned a non-zero result code."""

    def __init__(self, function, code, detail=0, subdetail=0):
        self.function = function
        self.code = code
        self.name = RESULT_CODES.get(code, "EW_?")
        self.detail = detail
        self.subdetail = subdetail
        super().__init__(f"{function}: {self.name} ({code}), detail {detail} {subdetail}")


class RequestError(OzlibError):
    """The controller, or the library's argument tests, refused the request
    (positive codes)."""


class CommunicationError(OzlibError):
    """The connection failed (EW_CIRCUIT) or a reply broke the protocol
    (EW_FRAMING). After EW_CIRCUIT the Controller must be reopened."""


class HandleError(OzlibError):
    """The handle is not valid for the calling thread (EW_BADHANDLE)."""


class BusyError(OzlibError):
    """The resource is in use (EW_INUSE) or the data is not ready yet (EW_BUFFER)."""


class LibraryError(OzlibError):
    """Any other negative code of the library."""


class ThreadError(RuntimeError):
    """A Controller was used from a thread other than the one that opened it:
    library handles belong to their thread."""


def error_class(code):
    if code in (-16, -17):
        return CommunicationError
    if code == -8:
        return HandleError
    if code in (-1, 10):
        return BusyError
    return RequestError if code > 0 else LibraryError
