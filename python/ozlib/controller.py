"""A controller connection: one library handle, used from the thread that
opened it, with Pythonic reads and writes over the C functions."""
import ctypes
import threading
import time
from dataclasses import dataclass
from datetime import datetime
from decimal import Decimal
from typing import Dict, List, Optional, Sequence, Union

from . import _native as n
from .errors import OzlibError, ThreadError, error_class

_lib = None


def library():
    """The loaded C library (loaded on first use)."""
    global _lib
    if _lib is None:
        _lib = n.load()
    return _lib


MODES = ["mdi", "memory", "none", "edit", "handle", "jog", "teach", "remote"]
RUN_STATES = ["reset", "stop", "hold", "start", "restart"]
PARAM_TYPES = ["bit", "byte", "word", "2-word", "real"]
PMC_AREAS = "GFYXARTKCDMNE"
EW_BUFFER, EW_CANCELLED = 10, -2


def scaled(value: int, dec: int) -> Union[int, float]:
    """A value with its decimal places applied: 12345 and 3 give 12.345."""
    if dec <= 0 or dec > 9:
        return value
    return float(Decimal(value).scaleb(-dec))


def to_decimal(value: Union[int, float, str, Decimal], max_places: int = 8):
    """(integer, decimal places) of a number, exactly as written: 12.5 -> (125, 1)."""
    d = Decimal(str(value)).normalize()
    sign, digits, exp = d.as_tuple()
    places = max(0, -exp)
    if places > max_places:
        raise ValueError(f"{value}: more than {max_places} decimal places")
    mantissa = int(d.scaleb(places))
    if not -2**31 <= mantissa < 2**31:
        raise ValueError(f"{value}: out of range")
    return mantissa, places


def _text(raw: bytes) -> str:
    return raw.split(b"\0", 1)[0].decode("latin-1").rstrip()


@dataclass
class SysInfo:
    cnc_type: str
    machine_type: str
    series: str
    version: str
    axes: str
    max_axes: int


@dataclass
class Status:
    mode: str
    run: str
    motion: int
    emergency: int
    alarm: int


@dataclass
class Position:
    """One axis, in the controller's unit (mm or inch, degrees) with its
    decimal places applied."""
    absolute: float
    machine: float
    relative: float
    distance: float


@dataclass
class Alarm:
    number: int
    kind: int
    axis: int
    message: str


@dataclass
class Program:
    number: int
    length: int
    comment: str


@dataclass
class OperationRecord:
    """One operation-history record: its type and body as 16-bit words."""
    record: int
    type: int
    words: List[int]


@dataclass
class AlarmRecord:
    record: int
    number: int
    kind: int
    axis: int
    path: int
    time: Optional[datetime]   # None when the controller's stamp is not a date
    message: str


@dataclass
class MessageRecord:
    record: int
    number: int
    type: int
    time: Optional[datetime]
    message: str


def _stamp(t) -> Optional[datetime]:
    try:
        return datetime(*[int(v) for v in t[:6]])
    except ValueError:
        return None


def _newest(count: int, last: int):
    """Record numbers (first, end) of the newest `last` of `count` records."""
    return max(1, count - max(last, 1) + 1), count


HISTORY_PAGE = 500   # records per request: 500 alarm records stay within a 16-bit length


class Sampling:
    """Servo sampling in progress, from Controller.sampling(); ends (or is
    cancelled, when the block raised) as the with-block leaves."""

    def __init__(self, cnc: "Controller", channels: Sequence[int], rate: int):
        if not channels or any(not 1 <= c <= 8 for c in channels) or len(set(channels)) != len(channels):
            raise ValueError("channels are distinct numbers 1..8")
        self.cnc, self.channels, self.rate = cnc, list(channels), rate
        self.finished, self._active = False, False
        self._bufs = [(ctypes.c_int16 * n.SD_MAX_SAMPLES)() for _ in range(8)]
        self._counts = [ctypes.c_uint32() for _ in range(8)]
        self._sd = (n.sdbuf_t * 8)()
        for i in range(8):
            self._sd[i].data = self._bufs[i]
            self._sd[i].count = ctypes.pointer(self._counts[i])

    def __enter__(self):
        setup = (n.sdchnl_t * len(self.channels))()
        for s, c in zip(setup, self.channels):
            s.chno, s.rate = c - 1, self.rate
        self.cnc._call("cnc_sdsetchnl", len(setup), setup)
        rates = (ctypes.c_int16 * 8)()
        self.cnc._call("cnc_sdstartsmpl", 0, 0, rates)
        self._active = True
        return self

    def read(self, blocks: int = 100) -> Dict[int, List[int]]:
        """The samples that arrived since the last read, per channel; sets
        `finished` when the controller has ended the sampling."""
        status = ctypes.c_int16()
        self.cnc._call("cnc_sdreadsmpl", ctypes.byref(status), blocks, self._sd)
        if status.value == -1:
            self.finished = True
        return {c: list(self._bufs[c - 1][:min(self._counts[c - 1].value, n.SD_MAX_SAMPLES)])
                for c in self.channels}

    def __exit__(self, exc_type, *exc):
        if not self._active:
            return
        self._active = False
        if exc_type is None:
            self.cnc._call("cnc_sdendsmpl")
        else:
            self.cnc.lib.cnc_sdcancelsmpl(self.cnc.handle)


class Controller:
    """A connection to one controller: `with Controller("10.0.0.5", 8193) as c:`.

    The library handle belongs to the thread that opened it; calling from
    another thread raises ThreadError rather than the library's EW_BADHANDLE."""

    def __init__(self, host: str, port: int, timeout: int = 10, path: Optional[int] = None):
        self.lib = library()
        self._thread = threading.get_ident()
        h = ctypes.c_uint16()
        code = self.lib.cnc_allclibhndl3(host.encode(), port, timeout, ctypes.byref(h))
        if code != 0:
            raise error_class(code)("cnc_allclibhndl3", code)
        self.handle = h.value
        if path is not None:
            self._call("cnc_setpath", path)

    # ---- lifetime --------------------------------------------------------
    def close(self) -> None:
        if self.handle is not None:
            self._own_thread()
            self.lib.cnc_freelibhndl(self.handle)
            self.handle = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # ---- the call --------------------------------------------------------
    def _own_thread(self):
        if threading.get_ident() != self._thread:
            raise ThreadError("this Controller belongs to the thread that opened it; "
                              "open one Controller per thread")

    def _call(self, name: str, *args) -> int:
        """Calls a C function with the handle first; a non-zero result is
        raised with the detail words the library recorded."""
        self._own_thread()
        if self.handle is None:
            raise ValueError("the Controller is closed")
        code = getattr(self.lib, name)(self.handle, *args)
        if code != 0:
            raise self._error(name, code)
        return code

    def _error(self, name: str, code: int) -> OzlibError:
        d = n.dtailerr_t()
        detail_of = self.lib.pmc_getdtailerr if name.startswith("pmc_") else self.lib.cnc_getdtailerr
        detail_of(self.handle, ctypes.byref(d))
        return error_class(code)(name, code, d.detail, d.subdetail)

    def _retry_busy(self, name: str, *args) -> int:
        """Calls a transfer data function, waiting while it answers EW_BUFFER."""
        while True:
            self._own_thread()
            code = getattr(self.lib, name)(self.handle, *args)
            if code != EW_BUFFER:
                return code
            time.sleep(0.001)

    # ---- state -----------------------------------------------------------
    def sysinfo(self) -> SysInfo:
        s = n.sysinfo_t()
        self._call("cnc_sysinfo", ctypes.byref(s))
        return SysInfo(_text(s.cnc_type), _text(s.mt_type), _text(s.series), _text(s.version),
                       _text(s.axes), s.max_axis)

    def status(self) -> Status:
        st = n.statinfo_t()
        self._call("cnc_statinfo", ctypes.byref(st))
        w = st.word
        mode = MODES[w[2]] if w[2] < len(MODES) else str(w[2])
        run = RUN_STATES[w[3]] if w[3] < len(RUN_STATES) else str(w[3])
        return Status(mode, run, w[4], w[6], w[7])

    def feed(self) -> int:
        """Actual feed rate (mm/min or inch/min)."""
        a = n.actf_t()
        self._call("cnc_actf", ctypes.byref(a))
        return a.data

    def spindle_speed(self) -> int:
        """Actual spindle speed (rpm)."""
        a = n.actf_t()
        self._call("cnc_acts", ctypes.byref(a))
        return a.data

    def axis_names(self) -> List[str]:
        names = (n.axisname_t * 32)()
        count = ctypes.c_int16(32)
        self._call("cnc_rdaxisname", ctypes.byref(count), names)
        return [(a.name + (a.suff if a.suff not in (b"\0", b" ") else b"")).decode("latin-1")
                for a in names[:count.value]]

    def positions(self) -> Dict[str, Position]:
        names = self.axis_names()
        recs = (n.axisrec_t * (4 * 32))()
        count = ctypes.c_int16(len(names))
        self._call("cnc_rdposition", -1, ctypes.byref(count), recs)
        out = {}
        for j in range(count.value):
            v = [scaled(recs[4 * j + k].data, recs[4 * j + k].dec) for k in range(4)]
            out[names[j] if j < len(names) else str(j + 1)] = Position(*v)
        return out

    def alarms(self) -> List[Alarm]:
        recs = (n.almmsg2_t * 32)()
        count = ctypes.c_int16(32)
        self._call("cnc_rdalmmsg2", -1, ctypes.byref(count), recs)
        return [Alarm(a.w0, a.w2, a.w1, _text(bytes(a.msg[:max(0, min(a.msg_len, 64))])))
                for a in recs[:count.value]]

    # ---- parameters ------------------------------------------------------
    def _param_kind(self, number: int):
        info = (n.parainfo2_t * 1)()
        count, prev, nxt = ctypes.c_int16(1), ctypes.c_int16(), ctypes.c_int16()
        self._call("cnc_rdparainfo2", number, ctypes.byref(count), ctypes.byref(prev),
                   ctypes.byref(nxt), info)
        if count.value < 1 or info[0].prm_no != number:
            raise KeyError(f"no parameter {number}")
        return info[0].attr[0]

    def read_param(self, number: int, axis: int = 0) -> Union[int, float]:
        """One parameter value; axis 1..n for a per-axis parameter."""
        kind = self._param_kind(number)
        p = n.param_t()
        self._call("cnc_rdparam", number, axis, ctypes.sizeof(p), ctypes.byref(p))
        if kind == 4:
            return scaled(p.u.rdatas[0].prm_val, p.u.rdatas[0].dec_val)
        if kind == 3:
            return p.u.ldatas[0]
        if kind == 2:
            return p.u.idatas[0]
        return p.u.cdatas[0] & 0xFF if kind == 0 else p.u.cdatas[0]

    def write_param(self, number: int, value: Union[int, float], axis: int = 0) -> None:
        """Writes one value, refused (ValueError) when it does not fit the
        parameter's type; nothing is silently changed."""
        kind = self._param_kind(number)
        p = n.param_t(datano=number, type=axis)
        size = {2: 2, 3: 4, 4: 8}.get(kind, 1)
        if kind == 4:
            p.u.rdatas[0].prm_val, p.u.rdatas[0].dec_val = to_decimal(value)
        else:
            if isinstance(value, float) and not value.is_integer():
                raise ValueError(f"parameter {number} ({PARAM_TYPES[kind]}) takes whole numbers")
            v = int(value)
            lo, hi = {0: (0, 255), 1: (-128, 127), 2: (-2**15, 2**15 - 1)}.get(kind, (-2**31, 2**31 - 1))
            if not lo <= v <= hi:
                raise ValueError(f"parameter {number} ({PARAM_TYPES[kind]}) takes {lo}..{hi}")
            arr = {2: p.u.idatas, 3: p.u.ldatas}.get(kind, p.u.cdatas)
            arr[0] = v if kind != 0 else (v if v < 128 else v - 256)
        self._call("cnc_wrparam", 4 + size, ctypes.byref(p))

    # ---- macro variables and offsets --------------------------------------
    def read_macro(self, number: int) -> Optional[float]:
        """A macro variable; None when it is vacant."""
        m = n.macro_t()
        self._call("cnc_rdmacro", number, 10, ctypes.byref(m))
        if m.mcr_val == 0 and m.dec_val == -1:
            return None
        return scaled(m.mcr_val, m.dec_val)

    def write_macro(self, number: int, value: Union[int, float, str, Decimal]) -> None:
        mantissa, places = to_decimal(value)
        self._call("cnc_wrmacro", number, 10, mantissa, places)

    def read_tool_offset(self, number: int, kind: int = 0) -> int:
        """A tool offset in the controller's least input increment."""
        t = n.tofs_t()
        self._call("cnc_rdtofs", number, kind, 8, ctypes.byref(t))
        return t.data

    def write_tool_offset(self, number: int, value: int, kind: int = 0) -> None:
        self._call("cnc_wrtofs", number, kind, 8, int(value))

    def read_work_offset(self, number: int) -> List[int]:
        """The offsets of every axis of work offset number (0 external, 1-6
        the standard ones), in the least input increment."""
        axes = len(self.axis_names())
        z = n.zofs_t()
        self._call("cnc_rdzofs", number, -1, 4 + 4 * axes, ctypes.byref(z))
        return list(z.data[:axes])

    def write_work_offset(self, number: int, values: Sequence[int]) -> None:
        z = n.zofs_t(datano=number, type=-1)
        for i, v in enumerate(values):
            z.data[i] = int(v)
        self._call("cnc_wrzofs", 4 + 4 * len(values), ctypes.byref(z))

    # ---- PMC ---------------------------------------------------------------
    @staticmethod
    def _area(area: Union[str, int]) -> int:
        if isinstance(area, int):
            return area
        i = PMC_AREAS.find(area.upper())
        if len(area) != 1 or i < 0:
            raise ValueError(f"unknown PMC area {area!r} (one of {PMC_AREAS})")
        return i

    def read_pmc(self, area: Union[str, int], start: int, end: int, width: int = 1) -> List[int]:
        """Bytes start..end of an area as items of 1, 2 or 4 bytes."""
        kind = {1: 0, 2: 1, 4: 2}[width]
        nbytes = end - start + 1
        buf = ctypes.create_string_buffer(8 + nbytes)
        self._call("pmc_rdpmcrng", self._area(area), kind, start, end, len(buf), buf)
        ctype = {1: ctypes.c_uint8, 2: ctypes.c_int16, 4: ctypes.c_int32}[width]
        items = (ctype * (nbytes // width)).from_buffer_copy(buf.raw[8:8 + nbytes - nbytes % width])
        return list(items)

    def write_pmc(self, area: Union[str, int], start: int, values: Sequence[int], width: int = 1) -> None:
        kind = {1: 0, 2: 1, 4: 2}[width]
        ctype = {1: ctypes.c_uint8, 2: ctypes.c_int16, 4: ctypes.c_int32}[width]
        lo, hi = {1: (0, 255), 2: (-2**15, 2**15 - 1), 4: (-2**31, 2**31 - 1)}[width]
        for v in values:
            if not lo <= v <= hi:
                raise ValueError(f"{v} does not fit {width} byte(s) ({lo}..{hi})")
        nbytes = width * len(values)
        head = n.pmcrng_t(adr_type=self._area(area), data_type=kind, datano_s=start,
                          datano_e=start + nbytes - 1)
        buf = ctypes.create_string_buffer(8 + nbytes)
        ctypes.memmove(buf, ctypes.byref(head), 8)
        ctypes.memmove(ctypes.addressof(buf) + 8, (ctype * len(values))(*values), nbytes)
        self._call("pmc_wrpmcrng", len(buf), buf)

    # ---- programs ------------------------------------------------------------
    def programs(self) -> List[Program]:
        out: List[Program] = []
        start = 0
        while True:
            page = (n.prgdir2_t * 50)()
            first, count = ctypes.c_int32(start), ctypes.c_int16(50)
            code = self.lib.cnc_rdprogdir2o8(self.handle, 2, ctypes.byref(first), ctypes.byref(count), page)
            if code == 3:   # EW_RANGE: no program from start on
                return out
            if code != 0:
                raise self._error("cnc_rdprogdir2o8", code)
            out += [Program(p.number, p.length, _text(p.comment)) for p in page[:count.value]]
            if count.value < 50:
                return out
            start = page[count.value - 1].number + 1

    def upload_program(self, number: int) -> str:
        """The text of program number (latin-1, byte for byte)."""
        self._call("cnc_upstart3", 0, number, number)
        chunks = []
        buf = ctypes.create_string_buffer(16384)
        try:
            while True:
                length = ctypes.c_int32(len(buf))
                code = self._retry_busy("cnc_upload4", ctypes.byref(length), buf)
                if code == EW_CANCELLED:
                    break
                if code != 0:
                    raise self._error("cnc_upload4", code)
                chunks.append(buf.raw[:length.value])
        finally:
            end = self.lib.cnc_upend4(self.handle)
        if end != 0:
            raise self._error("cnc_upend4", end)
        return b"".join(chunks).decode("latin-1")

    def download_program(self, text: Union[str, bytes]) -> None:
        """Stores a program (its text names its number, e.g. "%\\nO0100\\n...%")."""
        data = text.encode("latin-1") if isinstance(text, str) else bytes(text)
        self._call("cnc_dwnstart3", 0)
        at, failed = 0, None
        try:
            while at < len(data):
                length = ctypes.c_int32(len(data) - at)
                chunk = ctypes.create_string_buffer(data[at:], len(data) - at)
                code = self._retry_busy("cnc_download4", ctypes.byref(length), chunk)
                if code != 0:
                    failed = self._error("cnc_download4", code)
                    break
                at += length.value
        finally:
            end = self.lib.cnc_dwnend4(self.handle)
        if failed:
            raise failed
        if end != 0:
            raise self._error("cnc_dwnend4", end)

    def delete_program(self, number: int) -> None:
        self._call("cnc_deleteo8", number)

    # ---- histories -----------------------------------------------------------
    def _history_count(self, name: str) -> int:
        c = n.ophisno_t()
        self._call(name, ctypes.byref(c))
        return c.hisno

    def _paged(self, name: str, rec_type, count: int, last: int):
        """(record number, record) of the newest `last` records of a reader
        that fills a head and fixed-size records."""
        first, end = _newest(count, last)
        while count and first <= end:
            upto = min(end, first + HISTORY_PAGE - 1)
            size = ctypes.sizeof(n.hishead_t) + ctypes.sizeof(rec_type) * (upto - first + 1)
            buf = ctypes.create_string_buffer(size)
            self._call(name, first, upto, size, buf)
            head = n.hishead_t.from_buffer_copy(buf.raw[:4])
            got = min(head.end, upto) - head.start + 1
            got = max(0, min(got, (size - 4) // ctypes.sizeof(rec_type)))
            for i in range(got):
                at = 4 + i * ctypes.sizeof(rec_type)
                yield head.start + i, rec_type.from_buffer_copy(buf.raw[at:at + ctypes.sizeof(rec_type)])
            if got == 0 or head.end < upto:
                return   # the controller had fewer records than it counted
            first = upto + 1

    def operation_history(self, last: int = 20) -> List[OperationRecord]:
        """The newest `last` operation-history records, oldest first."""
        first, end = _newest(self._history_count("cnc_rdophisno"), last)
        out: List[OperationRecord] = []
        buf = ctypes.create_string_buffer(4096)
        while end and first <= end:
            got_end, length = ctypes.c_uint16(end), ctypes.c_uint16(len(buf))
            self._call("cnc_rdophistry4", first, ctypes.byref(got_end), ctypes.byref(length), buf)
            raw, at, rec = buf.raw[:min(length.value, len(buf))], 0, first
            while at + 4 <= len(raw):
                head = n.ophis4_rec_t.from_buffer_copy(raw[at:at + 4])
                if head.size < 4 or at + head.size > len(raw):
                    break
                body = raw[at + 4:at + head.size]
                words = list((ctypes.c_int16 * (len(body) // 2)).from_buffer_copy(body[:len(body) // 2 * 2]))
                out.append(OperationRecord(rec, head.type, words))
                at, rec = at + head.size, rec + 1
            if length.value == 0 or got_end.value < first:
                break
            first = got_end.value + 1
        return out

    def alarm_history(self, last: int = 20) -> List[AlarmRecord]:
        """The newest `last` alarms the controller recorded, oldest first."""
        count = self._history_count("cnc_rdalmhisno")
        return [AlarmRecord(r, a.number, a.kind, a.axis, a.path, _stamp(a.time),
                            _text(bytes(a.text[:max(0, min(a.text_len, 64))])))
                for r, a in self._paged("cnc_rdalmhistry4", n.almhis4_rec_t, count, last)]

    def message_history(self, last: int = 20) -> List[MessageRecord]:
        """The newest `last` operator messages the controller recorded."""
        count = self._history_count("cnc_rdomhisno")
        return [MessageRecord(r, m.number, m.type, _stamp(m.time), _text(m.text))
                for r, m in self._paged("cnc_rdomhistry2", n.omhis2_rec_t, count, last)]

    # ---- servo sampling ---------------------------------------------------------
    def sampling(self, channels: Sequence[int], rate: int = 1) -> Sampling:
        """`with cnc.sampling([1, 2]) as s: data = s.read()`: samples of
        channels 1..8 as raw 16-bit values, `rate` per channel per block."""
        return Sampling(self, channels, rate)

    def sample(self, channels: Sequence[int], seconds: float, rate: int = 1) -> Dict[int, List[int]]:
        """Samples channels for `seconds` (or until the controller ends the
        sampling): every value per channel, in order."""
        out: Dict[int, List[int]] = {c: [] for c in channels}
        with self.sampling(channels, rate) as s:
            until = time.monotonic() + seconds
            while time.monotonic() < until and not s.finished:
                got = s.read()
                for c, values in got.items():
                    out[c] += values
                if not any(got.values()):
                    time.sleep(0.005)
        return out
