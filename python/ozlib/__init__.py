"""Python bindings of ozlib: read and write the data of a machine-tool
controller over Ethernet.

    from ozlib import Controller
    with Controller("192.168.1.10", 8193) as cnc:
        print(cnc.status(), cnc.positions())

Everything the binding does not wrap is reachable as `ozlib.raw()`: the
loaded C library with the signatures of `ozlib._native.SIGNATURES`."""
from .controller import (Alarm, AlarmRecord, Controller, MessageRecord, OperationRecord,
                         Position, Program, Sampling, Status, SysInfo, library, scaled,
                         to_decimal)
from .errors import (BusyError, CommunicationError, HandleError, LibraryError, OzlibError,
                     RequestError, RESULT_CODES, ThreadError)

__version__ = "1.0.0"


def raw():
    """The C library itself, for the functions the binding does not wrap."""
    return library()


def version():
    """The C library's version as (major, minor, patch)."""
    v = library().oz_version()
    return v // 10000, v // 100 % 100, v % 100


__all__ = ["Alarm", "AlarmRecord", "BusyError", "CommunicationError", "Controller",
           "HandleError", "LibraryError", "MessageRecord", "OperationRecord", "OzlibError",
           "Position", "Program", "RESULT_CODES", "RequestError", "Sampling", "Status", "SysInfo",
           "ThreadError", "raw", "scaled", "to_decimal", "version"]
