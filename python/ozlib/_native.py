"""The C library through ctypes: where it is found, the caller structures the
binding uses, and the signatures of the functions, declared from one table."""
import ctypes
import ctypes.util
import os
import sys
from ctypes import (POINTER, Structure, Union, c_char, c_char_p, c_double, c_float, c_int8,
                    c_int16, c_int32, c_uint8, c_uint16, c_uint32,
                    c_void_p)

# ---- caller structures (host byte order, the header's layouts) -------------


class dtailerr_t(Structure):
    _fields_ = [("detail", c_int16), ("subdetail", c_int16)]


class actf_t(Structure):
    _fields_ = [("reserved", c_int32), ("data", c_int32)]


class statinfo_t(Structure):
    _fields_ = [("word", c_uint16 * 16)]


class _axisrec_pos(Structure):
    _fields_ = [("flag", c_int16), ("name", c_char * 2)]


class _axisrec_tail(Union):
    _fields_ = [("pos", _axisrec_pos), ("name", c_char * 4)]


class axisrec_t(Structure):
    _fields_ = [("data", c_int32), ("dec", c_int16), ("unit", c_int16), ("tail", _axisrec_tail)]


class axisname_t(Structure):
    _fields_ = [("name", c_char), ("suff", c_char)]


class almmsg2_t(Structure):
    _fields_ = [("w0", c_int32), ("w1", c_int16), ("w2", c_int16), ("zero", c_int16),
                ("msg_len", c_int16), ("msg", c_char * 64)]


class realprm_t(Structure):
    _fields_ = [("prm_val", c_int32), ("dec_val", c_int32)]


class _param_u(Union):
    _fields_ = [("cdatas", c_int8 * 32), ("idatas", c_int16 * 32), ("ldatas", c_int32 * 32),
                ("rdatas", realprm_t * 32)]


class param_t(Structure):
    _fields_ = [("datano", c_int16), ("type", c_int16), ("u", _param_u)]


class parainfo2_t(Structure):
    _fields_ = [("prm_no", c_int16), ("attr", c_uint16 * 7)]


class macro_t(Structure):
    _fields_ = [("datano", c_int16), ("reserved", c_int16), ("mcr_val", c_int32),
                ("dec_val", c_int16)]


class tofs_t(Structure):
    _fields_ = [("datano", c_int16), ("type", c_int16), ("data", c_int32)]


class zofs_t(Structure):
    _fields_ = [("datano", c_int16), ("type", c_int16), ("data", c_int32 * 32)]


class sysinfo_t(Structure):
    _fields_ = [("addinfo", c_uint16), ("max_axis", c_uint16), ("cnc_type", c_char * 2),
                ("mt_type", c_char * 2), ("series", c_char * 4), ("version", c_char * 4),
                ("axes", c_char * 2)]


class prgdir2_t(Structure):
    _fields_ = [("number", c_int32), ("length", c_int32), ("comment", c_char * 51),
                ("pad", c_char)]


class _pmcrng_u(Union):
    _fields_ = [("cdata", c_int8 * 5), ("idata", c_int16 * 5), ("ldata", c_int32 * 5),
                ("fdata", c_float * 5), ("dfdata", c_double * 5)]


class pmcrng_t(Structure):
    """Only the 8-byte head is used as declared; the items follow it in a
    buffer the binding sizes to the range."""
    _fields_ = [("adr_type", c_int16), ("data_type", c_int16), ("datano_s", c_uint16),
                ("datano_e", c_uint16), ("u", _pmcrng_u)]


class ophisno_t(Structure):
    _fields_ = [("hisno", c_uint16)]


class hishead_t(Structure):
    _fields_ = [("start", c_uint16), ("end", c_uint16)]


class ophis4_rec_t(Structure):
    _fields_ = [("size", c_uint16), ("type", c_uint16)]


class almhis4_rec_t(Structure):
    _fields_ = [("number", c_int16), ("kind", c_int16), ("axis", c_int16), ("time", c_int16 * 6),
                ("path", c_int16), ("text_len", c_int16), ("reserved", c_int16),
                ("text", c_char * 64)]


class omhis2_rec_t(Structure):
    _fields_ = [("number", c_int16), ("time", c_int16 * 6), ("type", c_int16),
                ("text", c_char * 256)]


class sdchnl_t(Structure):
    _fields_ = [("chno", c_uint8), ("kind", c_uint8), ("reserved", c_uint8 * 2), ("data", c_int32),
                ("rate", c_int16), ("option", c_int16)]


class sdbuf_t(Structure):
    _fields_ = [("data", POINTER(c_int16)), ("count", POINTER(c_uint32))]


SD_MAX_SAMPLES = 714   # the most one read delivers to a channel


# ---- signatures ---------------------------------------------------------------
_H = c_uint16
_P16 = POINTER(c_int16)
_P32 = POINTER(c_int32)

# name: (result type, argument types). Every function the binding calls is
# here, and `raw` exposes each with these checked types.
SIGNATURES = {
    "oz_version": (c_int32, []),
    "cnc_allclibhndl3": (c_int16, [c_char_p, c_uint16, c_int32, POINTER(c_uint16)]),
    "cnc_freelibhndl": (c_int16, [_H]),
    "cnc_settimeout": (c_int16, [_H, c_int32]),
    "cnc_setpath": (c_int16, [_H, c_int16]),
    "cnc_getpath": (c_int16, [_H, _P16, _P16]),
    "cnc_getdtailerr": (c_int16, [_H, POINTER(dtailerr_t)]),
    "pmc_getdtailerr": (c_int16, [_H, POINTER(dtailerr_t)]),
    "cnc_sysinfo": (c_int16, [_H, POINTER(sysinfo_t)]),
    "cnc_statinfo": (c_int16, [_H, POINTER(statinfo_t)]),
    "cnc_actf": (c_int16, [_H, POINTER(actf_t)]),
    "cnc_acts": (c_int16, [_H, POINTER(actf_t)]),
    "cnc_rdaxisname": (c_int16, [_H, _P16, POINTER(axisname_t)]),
    "cnc_rdposition": (c_int16, [_H, c_int16, _P16, POINTER(axisrec_t)]),
    "cnc_rdalmmsg2": (c_int16, [_H, c_int16, _P16, POINTER(almmsg2_t)]),
    "cnc_rdparainfo2": (c_int16, [_H, c_int16, _P16, _P16, _P16, POINTER(parainfo2_t)]),
    "cnc_rdparam": (c_int16, [_H, c_int16, c_int16, c_int16, POINTER(param_t)]),
    "cnc_wrparam": (c_int16, [_H, c_int16, POINTER(param_t)]),
    "cnc_rdmacro": (c_int16, [_H, c_int16, c_int16, POINTER(macro_t)]),
    "cnc_wrmacro": (c_int16, [_H, c_int16, c_int16, c_int32, c_int16]),
    "cnc_rdtofs": (c_int16, [_H, c_int16, c_int16, c_int16, POINTER(tofs_t)]),
    "cnc_wrtofs": (c_int16, [_H, c_int16, c_int16, c_int16, c_int32]),
    "cnc_rdzofs": (c_int16, [_H, c_int16, c_int16, c_int16, POINTER(zofs_t)]),
    "cnc_wrzofs": (c_int16, [_H, c_int16, POINTER(zofs_t)]),
    "pmc_rdpmcrng": (c_int16, [_H, c_int16, c_int16, c_uint16, c_uint16, c_uint16, c_void_p]),
    "pmc_wrpmcrng": (c_int16, [_H, c_uint16, c_void_p]),
    "cnc_rdprogdir2o8": (c_int16, [_H, c_int16, _P32, _P16, POINTER(prgdir2_t)]),
    "cnc_upstart3": (c_int16, [_H, c_int16, c_int32, c_int32]),
    "cnc_upload4": (c_int16, [_H, _P32, c_void_p]),
    "cnc_upend4": (c_int16, [_H]),
    "cnc_dwnstart3": (c_int16, [_H, c_int16]),
    "cnc_download4": (c_int16, [_H, _P32, c_void_p]),
    "cnc_dwnend4": (c_int16, [_H]),
    "cnc_deleteo8": (c_int16, [_H, c_int32]),
    "cnc_rdophisno": (c_int16, [_H, POINTER(ophisno_t)]),
    "cnc_rdophistry4": (c_int16, [_H, c_uint16, POINTER(c_uint16), POINTER(c_uint16), c_void_p]),
    "cnc_rdalmhisno": (c_int16, [_H, POINTER(ophisno_t)]),
    "cnc_rdalmhistry4": (c_int16, [_H, c_uint16, c_uint16, c_uint16, c_void_p]),
    "cnc_rdomhisno": (c_int16, [_H, POINTER(ophisno_t)]),
    "cnc_rdomhistry2": (c_int16, [_H, c_uint16, c_uint16, c_uint16, c_void_p]),
    "cnc_clearophis": (c_int16, [_H, c_int16]),
    "cnc_clearomhis": (c_int16, [_H]),
    "cnc_sdsetchnl": (c_int16, [_H, c_int16, POINTER(sdchnl_t)]),
    "cnc_sdstartsmpl": (c_int16, [_H, c_int16, c_int32, _P16]),
    "cnc_sdreadsmpl": (c_int16, [_H, _P16, c_int32, POINTER(sdbuf_t)]),
    "cnc_sdendsmpl": (c_int16, [_H]),
    "cnc_sdcancelsmpl": (c_int16, [_H]),
}


def _candidates():
    env = os.environ.get("OZLIB_LIBRARY")
    if env:
        yield env
        return
    here = os.path.dirname(os.path.abspath(__file__))
    names = ["ozlib.dll"] if sys.platform == "win32" else ["libozlib.so.1", "libozlib.so"]
    for name in names:
        yield os.path.join(here, name)
    found = ctypes.util.find_library("ozlib")
    if found:
        yield found
    yield from names   # the loader's own search (LD_LIBRARY_PATH, ldconfig, PATH)


def load():
    """Loads the library: $OZLIB_LIBRARY, beside this package, or wherever the
    system's search finds it."""
    errors = []
    for path in _candidates():
        if os.path.sep in path and not os.path.exists(path):
            continue
        try:
            lib = ctypes.CDLL(path)
        except OSError as e:
            errors.append(f"{path}: {e}")
            continue
        for name, (res, argtypes) in SIGNATURES.items():
            fn = getattr(lib, name)
            fn.restype = res
            fn.argtypes = argtypes
        return lib
    raise OSError("ozlib: the C library was not found; set OZLIB_LIBRARY to its path"
                  + ("".join("\n  " + e for e in errors)))
