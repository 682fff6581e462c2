/*
 * ozlib - read and write the data of a machine-tool controller (CNC) and of
 * its ladder-logic unit (PMC) over Ethernet.
 *
 * Conventions
 * - Handles and threads: cnc_allclibhndl3() returns a library handle (0x8001
 *   to 0x8400) for one controller address and port. A handle belongs to the
 *   thread that allocated it; any call with it from another thread returns
 *   EW_BADHANDLE. Handles of one process that name the same controller share
 *   one connection; when the thread ends its handles are freed.
 * - Result codes: every function returns a signed 16-bit code, 0 on success.
 *   Positive codes are request errors (an argument test or the controller's
 *   answer), negative codes library and communication errors. After a failure,
 *   cnc_getdtailerr() / pmc_getdtailerr() give its detail words.
 *   EW_CIRCUIT (-16) is final for the handle: free it and allocate another.
 *   EW_FRAMING (-17) with detail 9 means the controller refused the request
 *   (an error response or an abort) without naming a reason; the sub-detail is
 *   the type of the PDU that refused. No refusal ever reads as success.
 *   EW_INTERNAL (-9) means the library itself could not carry the call out:
 *   detail 1 when memory ran out, 2 for any other internal failure. Like every
 *   failure it is logged and recorded; no exception ever leaves a function.
 * - Buffers and counts: the library never writes past the length or count the
 *   caller passes; counts passed by pointer are read on entry and hold the
 *   number delivered on return. A reply too short for a fixed record fails
 *   with EW_SIZE; where an empty answer is legitimate, a count, a length, an
 *   end number or cleared entries say how much came, never the buffer's old
 *   contents.
 * - Byte order: structures are in host order; the library converts each field
 *   from the controller's big-endian form.
 * - Structures have fixed layouts; the offsets given are part of the interface.
 */
#ifndef OZLIB_H
#define OZLIB_H

#include <stdint.h>

#define OZLIB_VERSION_MAJOR 0
#define OZLIB_VERSION_MINOR 1
#define OZLIB_VERSION_PATCH 0

#if defined(_WIN32)
#  if defined(OZLIB_STATIC)
#    define OZ_API
#  elif defined(OZLIB_BUILD)
#    define OZ_API __declspec(dllexport)
#  else
#    define OZ_API __declspec(dllimport)
#  endif
#  define OZ_CALL __cdecl
#else
#  define OZ_API __attribute__((visibility("default")))
#  define OZ_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Result codes --------------------------------------------------------
 * One list gives the constants and the names tools print:
 *   #define X(name, value) ...   OZ_RESULT_CODES(X)
 */
#define OZ_RESULT_CODES(X)    \
  X(EW_SUCCESS, 0)            \
  X(EW_UNAVAILABLE, 1)        \
  X(EW_SIZE, 2)               \
  X(EW_RANGE, 3)              \
  X(EW_KIND, 4)               \
  X(EW_VALUE, 5)              \
  X(EW_NOFEATURE, 6)          \
  X(EW_MISMATCH, 7)           \
  X(EW_ENTRYKIND, 9)          \
  X(EW_BUFFER, 10)            \
  X(EW_NOPATH, 11)            \
  X(EW_REFUSED, 13)           \
  X(EW_DATASERVER, 14)        \
  X(EW_INUSE, -1)             \
  X(EW_CANCELLED, -2)         \
  X(EW_PRECONDITION, -6)      \
  X(EW_UNDECODABLE, -7)       \
  X(EW_BADHANDLE, -8)         \
  X(EW_INTERNAL, -9)          \
  X(EW_CIRCUIT, -16)          \
  X(EW_FRAMING, -17)

#define OZ_RESULT_ENUM_(name, value) name = value,
enum oz_result { OZ_RESULT_CODES(OZ_RESULT_ENUM_) };
#undef OZ_RESULT_ENUM_

/* Runtime version: major * 10000 + minor * 100 + patch. */
OZ_API int32_t OZ_CALL oz_version(void);

/* ---- Errors ---------------------------------------------------------------*/

/* cnc_getdtailerr, pmc_getdtailerr */
typedef struct dtailerr_t {
  int16_t detail;    /* 0 */
  int16_t subdetail; /* 2 */
} dtailerr_t;

/* Detail words of the handle's last CNC error. Sends nothing. */
OZ_API int16_t OZ_CALL cnc_getdtailerr(uint16_t h, dtailerr_t* err);
/* Detail words of the handle's last PMC error. Sends nothing. */
OZ_API int16_t OZ_CALL pmc_getdtailerr(uint16_t h, dtailerr_t* err);

/* ---- Handles and paths -----------------------------------------------------*/

/* Allocates a handle for the controller at address (dotted IPv4 or host name)
 * and TCP port; timeout in seconds (0 or less: no limit). */
OZ_API int16_t OZ_CALL cnc_allclibhndl3(const char* address, uint16_t port, int32_t timeout,
                                        uint16_t* h);
/* As cnc_allclibhndl3, handing the controller an identification string of up
 * to 8 characters (null: none). */
OZ_API int16_t OZ_CALL cnc_allclibhndls(const char* address, uint16_t port, const char* id,
                                        int32_t timeout, uint16_t* h);
OZ_API int16_t OZ_CALL cnc_freelibhndl(uint16_t h);
/* Seconds; 0 or less waits without limit. */
OZ_API int16_t OZ_CALL cnc_settimeout(uint16_t h, int32_t timeout);
/* Closes the connection for every handle that shares it; they all return
 * EW_CIRCUIT from then on. */
OZ_API int16_t OZ_CALL cnc_resetconnect(uint16_t h);
/* Selects the CNC path (1..15) of later requests; EW_NOPATH if it has no CNC. */
OZ_API int16_t OZ_CALL cnc_setpath(uint16_t h, int16_t path);
OZ_API int16_t OZ_CALL cnc_getpath(uint16_t h, int16_t* path, int16_t* maxpath);
/* Macro values as binary (nonzero) or decimal (0) forms. */
OZ_API int16_t OZ_CALL cnc_setmactype(uint16_t h, uint16_t type);
OZ_API int16_t OZ_CALL cnc_getmactype(uint16_t h, uint16_t* type);
OZ_API int16_t OZ_CALL cnc_setpmactype(uint16_t h, uint16_t type);
OZ_API int16_t OZ_CALL cnc_getpmactype(uint16_t h, uint16_t* type);

/* ==== BEGIN state: status, positions, alarms, messages, system information, modal data ==== */

/* ---- Status, positions and dynamic data -------------------------------------
 * An axis argument is 1..the path's axis count, or -1 for all axes. A length
 * argument is the byte size of the caller's structure. Counts passed by
 * pointer are the capacity on entry and the number written on return. */

/* cnc_actf, cnc_acts */
typedef struct actf_t {
  int32_t reserved; /* 0: not written */
  int32_t data;     /* 4 */
} actf_t;

/* The position family and cnc_rdmovrlap: one value per axis delivered. */
typedef struct axis_values_t {
  int16_t reserved; /* 0: not written */
  int16_t axis;     /* 2: the axis argument */
  int32_t data[32]; /* 4: the caller passes the byte length it provides */
} axis_values_t;

/* cnc_rdspload, cnc_rdspmaxrpm, cnc_rdspgear (16-bit values), cnc_acts2
 * (32-bit values); at most 8 spindles are written. */
typedef struct spindle_values_t {
  int16_t spindle;  /* 0: the spindle argument */
  int16_t reserved; /* 2: not written */
  union {
    int16_t w[8];   /* 4 */
    int32_t l[8];   /* 4 */
  } data;
} spindle_values_t;

/* cnc_rddynamic. pos: the absolute, machine, relative and distance-to-go
 * blocks one after the other, each as many values as axes are delivered. */
typedef struct rddynamic_t {
  int16_t reserved; /* 0: not written */
  int16_t axis;     /* 2 */
  int16_t alarm;    /* 4: low half of the alarm status */
  int16_t prgnum;   /* 6: running program */
  int16_t prgmnum;  /* 8: main program */
  int16_t pad;      /* 10: not written */
  int32_t seqnum;   /* 12 */
  int32_t actf;     /* 16 */
  int32_t acts;     /* 20 */
  int32_t pos[128]; /* 24 */
} rddynamic_t;

/* cnc_rddynamic2, cnc_rddynamico8 (alarm: low half only, in the first 16 bits). */
typedef struct rddynamic2_t {
  int16_t reserved; /* 0: not written */
  int16_t axis;     /* 2 */
  int32_t alarm;    /* 4 */
  int32_t prgnum;   /* 8 */
  int32_t prgmnum;  /* 12 */
  int32_t seqnum;   /* 16 */
  int32_t actf;     /* 20 */
  int32_t acts;     /* 24 */
  int32_t pos[128]; /* 28 */
} rddynamic2_t;

/* cnc_statinfo, cnc_statinfo2: word 0 and 1 the two mode words (0 when the
 * controller refused them), from word 2 the run-status words, at most 14. */
typedef struct statinfo_t {
  uint16_t word[16];
} statinfo_t;

/* cnc_*_exdgt, one per axis. */
typedef struct exdgt_t {
  int64_t data;   /* 0 */
  uint32_t dec;   /* 8 */
  uint32_t unit;  /* 12 */
} exdgt_t;

/* cnc_rdaxisdata, one per axis and type. */
typedef struct axisdata_t {
  char name[4];     /* 0 */
  int32_t data;     /* 4 */
  int16_t dec;      /* 8 */
  int16_t unit;     /* 10 */
  uint16_t flag;    /* 12 */
  uint16_t reserved;/* 14: not written */
} axisdata_t;

/* The older per-axis record of cnc_rdposition, cnc_rdspeed, cnc_rdhndintrpt,
 * cnc_rdsvmeter, cnc_rdspmeter, cnc_rdjogdrun. For positions and speeds the
 * tail is a flag word and two name characters; for meters three name
 * characters. */
typedef struct axisrec_t {
  int32_t data;     /* 0 */
  int16_t dec;      /* 4 */
  int16_t unit;     /* 6 */
  union {
    struct { int16_t flag; char name[2]; } pos;  /* 8, 10 */
    char name[4];                                /* 8 */
  } tail;
} axisrec_t;

/* cnc_rdaxisname, cnc_rdspdlname */
typedef struct axisname_t {
  char name;
  char suff;
} axisname_t;

/* cnc_exaxisname */
typedef struct exaxisname_t {
  char name[4];
} exaxisname_t;

/* cnc_rdspcss */
typedef struct spcss_t {
  int32_t data[3];
} spcss_t;

OZ_API int16_t OZ_CALL cnc_actf(uint16_t h, actf_t* a);
/* Actual spindle speed. */
OZ_API int16_t OZ_CALL cnc_acts(uint16_t h, actf_t* a);

/* Position kinds; length is the byte size of *out (at least 4 + 4 per value). */
OZ_API int16_t OZ_CALL cnc_absolute(uint16_t h, int16_t axis, int16_t length, axis_values_t* out);
OZ_API int16_t OZ_CALL cnc_absolute2(uint16_t h, int16_t axis, int16_t length, axis_values_t* out);
OZ_API int16_t OZ_CALL cnc_relative(uint16_t h, int16_t axis, int16_t length, axis_values_t* out);
OZ_API int16_t OZ_CALL cnc_relative2(uint16_t h, int16_t axis, int16_t length, axis_values_t* out);
OZ_API int16_t OZ_CALL cnc_machine(uint16_t h, int16_t axis, int16_t length, axis_values_t* out);
OZ_API int16_t OZ_CALL cnc_distance(uint16_t h, int16_t axis, int16_t length, axis_values_t* out);
OZ_API int16_t OZ_CALL cnc_skip(uint16_t h, int16_t axis, int16_t length, axis_values_t* out);
OZ_API int16_t OZ_CALL cnc_srvdelay(uint16_t h, int16_t axis, int16_t length, axis_values_t* out);
OZ_API int16_t OZ_CALL cnc_accdecdly(uint16_t h, int16_t axis, int16_t length, axis_values_t* out);
OZ_API int16_t OZ_CALL cnc_slide(uint16_t h, int16_t axis, int16_t length, axis_values_t* out);
OZ_API int16_t OZ_CALL cnc_allowance(uint16_t h, int16_t axis, int16_t length, axis_values_t* out);
/* type 0 only; any other type returns EW_KIND at once. */
OZ_API int16_t OZ_CALL cnc_machine2(uint16_t h, int16_t axis, int16_t length, int16_t type,
                                    axis_values_t* out);
/* type 0, 1 or 2; any other type returns EW_KIND at once. */
OZ_API int16_t OZ_CALL cnc_machine3(uint16_t h, int16_t axis, int16_t length, int16_t type,
                                    axis_values_t* out);
/* Manual overlap amounts: two values per axis; axis must be -1. length is the
 * byte size of *out (at least 4 + 8 * the maximum number of axes). */
OZ_API int16_t OZ_CALL cnc_rdmovrlap(uint16_t h, int16_t axis, int16_t length,
                                     axis_values_t* out);
/* Presets the relative, absolute, workpiece-coordinate and work-zero values of
 * one axis (in->data[0]) or, for axis -1, of every axis of the path. */
OZ_API int16_t OZ_CALL cnc_wrrelpos(uint16_t h, int16_t length, const axis_values_t* in);
OZ_API int16_t OZ_CALL cnc_wrabspos(uint16_t h, int16_t length, const axis_values_t* in);
OZ_API int16_t OZ_CALL cnc_prstwkcd(uint16_t h, int16_t length, const axis_values_t* in);
OZ_API int16_t OZ_CALL cnc_workzero(uint16_t h, int16_t length, const axis_values_t* in);

/* Snapshot: modes, program, feed, spindle and four position kinds. */
OZ_API int16_t OZ_CALL cnc_rddynamic(uint16_t h, int16_t axis, int16_t length, rddynamic_t* out);
OZ_API int16_t OZ_CALL cnc_rddynamico8(uint16_t h, int16_t axis, int16_t length, rddynamic2_t* out);
OZ_API int16_t OZ_CALL cnc_rddynamic2(uint16_t h, int16_t axis, int16_t length, rddynamic2_t* out);
OZ_API int16_t OZ_CALL cnc_statinfo(uint16_t h, statinfo_t* out);
OZ_API int16_t OZ_CALL cnc_statinfo2(uint16_t h, statinfo_t* out);

/* Per-axis data of up to 4 types of one class (1 positions, 2 servo, 3 and 4
 * spindles, 5 speeds); out holds ntypes * *count records, type-major. */
OZ_API int16_t OZ_CALL cnc_rdaxisdata(uint16_t h, uint16_t cls, const int16_t* types,
                                      uint16_t ntypes, int16_t* count, axisdata_t* out);
/* type -1 (all four: absolute, machine, relative, distance) or 0..3; out
 * holds 4 records per axis. */
OZ_API int16_t OZ_CALL cnc_rdposition(uint16_t h, int16_t type, int16_t* count, axisrec_t* out);
/* type -1 (feed and spindle), 0 or 1; out holds 2 records. */
OZ_API int16_t OZ_CALL cnc_rdspeed(uint16_t h, int16_t type, axisrec_t* out);
/* Handle interrupt amounts: type -1, 0 or 1; 2 records per axis. */
OZ_API int16_t OZ_CALL cnc_rdhndintrpt(uint16_t h, int16_t type, int16_t* count, axisrec_t* out);
/* Servo load meters, one record per axis. */
OZ_API int16_t OZ_CALL cnc_rdsvmeter(uint16_t h, int16_t* count, axisrec_t* out);
/* Spindle meters: type -1, 0 (load) or 1; 2 records per spindle. */
OZ_API int16_t OZ_CALL cnc_rdspmeter(uint16_t h, int16_t type, int16_t* count, axisrec_t* out);
/* Jog or dry-run feed, one record; the argument is not used. */
OZ_API int16_t OZ_CALL cnc_rdjogdrun(uint16_t h, int16_t unused, axisrec_t* out);

/* Spindle argument: 1..the path's spindle capacity or -1. */
OZ_API int16_t OZ_CALL cnc_rdspload(uint16_t h, int16_t spindle, spindle_values_t* out);
OZ_API int16_t OZ_CALL cnc_rdspmaxrpm(uint16_t h, int16_t spindle, spindle_values_t* out);
OZ_API int16_t OZ_CALL cnc_rdspgear(uint16_t h, int16_t spindle, spindle_values_t* out);
OZ_API int16_t OZ_CALL cnc_acts2(uint16_t h, int16_t spindle, spindle_values_t* out);

/* Extended-digit positions; out holds one item per axis of the controller. */
OZ_API int16_t OZ_CALL cnc_absolute2_exdgt(uint16_t h, exdgt_t* out);
OZ_API int16_t OZ_CALL cnc_machine_exdgt(uint16_t h, exdgt_t* out);
OZ_API int16_t OZ_CALL cnc_relative2_exdgt(uint16_t h, exdgt_t* out);
OZ_API int16_t OZ_CALL cnc_distance_exdgt(uint16_t h, exdgt_t* out);

OZ_API int16_t OZ_CALL cnc_rdaxisname(uint16_t h, int16_t* count, axisname_t* out);
OZ_API int16_t OZ_CALL cnc_rdspdlname(uint16_t h, int16_t* count, axisname_t* out);
/* type 0 axes, 1 spindles. */
OZ_API int16_t OZ_CALL cnc_exaxisname(uint16_t h, int16_t type, int16_t* count, exaxisname_t* out);
OZ_API int16_t OZ_CALL cnc_axisnum(uint16_t h, int16_t kind, int16_t* num);
/* Two words per item; *count items at most. */
OZ_API int16_t OZ_CALL cnc_rdrelaxis(uint16_t h, int16_t sel1, int16_t sel2, int16_t* count,
                                     int16_t* out);
/* *count words at most. */
OZ_API int16_t OZ_CALL cnc_rdabsaxis(uint16_t h, int16_t sel1, int16_t sel2, int16_t sel3,
                                     int16_t* count, int16_t* out);
OZ_API int16_t OZ_CALL cnc_rdspcss(uint16_t h, spcss_t* out);

/* Single requests: reads copy the reply data into buf up to *length bytes and
 * write back the count copied; writes send length bytes of buf. */
/* Cancels the manual overlap of an axis. */
OZ_API int16_t OZ_CALL cnc_canmovrlap(uint16_t h, int32_t axis);
OZ_API int16_t OZ_CALL cnc_rd3dtooltip(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_rd3dpulse(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_rd3dmovrlap(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_rd3dofschg(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_clr3dplsmov(uint16_t h, int32_t mode);
OZ_API int16_t OZ_CALL cnc_allowcnd(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_setvrtclpos(uint16_t h, int32_t value);
OZ_API int16_t OZ_CALL cnc_setthrdngpos(uint16_t h, int32_t value);
OZ_API int16_t OZ_CALL cnc_setfrp(uint16_t h, int32_t value);
/* Requests 151, 164 and 38 with the same arguments; replies one after the other. */
OZ_API int16_t OZ_CALL cnc_simulation(uint16_t h, int32_t a1, int32_t a2, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_rdjogmdi(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_wrjogmdiclr(uint16_t h);
OZ_API int16_t OZ_CALL cnc_rd5axmandt(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_rd5axovrlap(uint16_t h, int32_t axis, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_clr5axpls(uint16_t h, int32_t axis);

/* ---- Manual data input --------------------------------------------------------*/

/* Sends a line of manual data input (at most 126 characters). */
OZ_API int16_t OZ_CALL cnc_wrjogmdi(uint16_t h, const char* text);

/* ---- Alarms and operator messages -----------------------------------------------*/

/* cnc_alarm */
typedef struct alarm_t {
  int32_t reserved; /* 0: not written */
  int16_t data;     /* 4: low half of the alarm status */
  int16_t pad;      /* 6: not written */
} alarm_t;

/* cnc_rdalminfo entries, by the number of axes the controller delivers
 * (below 17: short, else long) and the type argument (0: no text). The entry
 * after the last gets -1 in its first field when it fits in the length. */
typedef struct alminfo_short_t {
  int16_t w2, w0;       /* 0, 2 */
} alminfo_short_t;
typedef struct alminfo_short_msg_t {
  int16_t w2, w0;       /* 0, 2 */
  int16_t msg_len;      /* 4 */
  char msg[32];         /* 6 */
} alminfo_short_msg_t;
typedef struct alminfo_long_t {
  int32_t w2;           /* 0 */
  int16_t w0;           /* 4 */
  int16_t reserved;     /* 6: not written */
} alminfo_long_t;
typedef struct alminfo_long_msg_t {
  int32_t w2;           /* 0 */
  int16_t w0;           /* 4 */
  int16_t msg_len;      /* 6 */
  char msg[32];         /* 8 */
} alminfo_long_msg_t;

/* cnc_rdalmmsg */
typedef struct almmsg_t {
  int32_t w0;           /* 0 */
  int16_t w1;           /* 4 */
  int16_t w2;           /* 6 */
  int16_t zero;         /* 8: always 0 */
  int16_t msg_len;      /* 10 */
  char msg[32];         /* 12 */
} almmsg_t;

/* cnc_rdalmmsg2 */
typedef struct almmsg2_t {
  int32_t w0;
  int16_t w1;
  int16_t w2;
  int16_t zero;
  int16_t msg_len;
  char msg[64];         /* 12 */
} almmsg2_t;

/* cnc_rdopmsg, cnc_rdopmsg3 */
typedef struct opmsg_t {
  int16_t datano;       /* 0 */
  int16_t type;         /* 2 */
  int16_t char_num;     /* 4 */
  char data[256];       /* 6 */
} opmsg_t;

/* cnc_rdopmsg on the older packed-type controllers */
typedef struct opmsg_packed_t {
  int16_t datano;
  int16_t type;
  int16_t char_num;
  char data[130];       /* 6 */
} opmsg_packed_t;

/* cnc_rdopmsg2 */
typedef struct opmsg2_t {
  int16_t datano;       /* 0: 2000..2099, else 0 */
  int16_t type;
  int16_t char_num;
  char data[64];        /* 6 */
} opmsg2_t;

/* cnc_rdlnopmsg: the reply bytes, at most 512 of them. */
typedef struct lnopmsg_t {
  char data[512];
} lnopmsg_t;

/* Alarm status word (low half). */
OZ_API int16_t OZ_CALL cnc_alarm(uint16_t h, alarm_t* a);
/* Alarm status word, whole. */
OZ_API int16_t OZ_CALL cnc_alarm2(uint16_t h, int32_t* a);
/* length: byte size of buf, one of the alminfo_*_t entry forms. */
OZ_API int16_t OZ_CALL cnc_rdalminfo(uint16_t h, int16_t type, int16_t kind, int16_t length,
                                     void* buf);
OZ_API int16_t OZ_CALL cnc_rdalmmsg(uint16_t h, int16_t kind, int16_t* count, almmsg_t* out);
OZ_API int16_t OZ_CALL cnc_rdalmmsg2(uint16_t h, int16_t kind, int16_t* count, almmsg2_t* out);
OZ_API int16_t OZ_CALL cnc_clralm(uint16_t h, int16_t kind);
/* buf: opmsg_t (type 0), or opmsg_packed_t entries on packed-type controllers. */
OZ_API int16_t OZ_CALL cnc_rdopmsg(uint16_t h, int16_t type, int16_t length, void* buf);
OZ_API int16_t OZ_CALL cnc_rdopmsg2(uint16_t h, int16_t type, int16_t length, opmsg2_t* out);
OZ_API int16_t OZ_CALL cnc_rdopmsg3(uint16_t h, int16_t type, int16_t* count, opmsg_t* out);
OZ_API int16_t OZ_CALL cnc_rdlnopmsg(uint16_t h, lnopmsg_t* out);

/* ---- System information and control -----------------------------------------------*/

/* cnc_sysinfo: the current path's record; characters are not terminated. */
typedef struct sysinfo_t {
  uint16_t addinfo;   /* 0 */
  uint16_t max_axis;  /* 2 */
  char cnc_type[2];   /* 4 */
  char mt_type[2];    /* 6 */
  char series[4];     /* 8 */
  char version[4];    /* 12 */
  char axes[2];       /* 16 */
} sysinfo_t;

typedef struct sysinfo_ex_path_t {
  uint16_t sys_code, kind, w2, w3, w4, spindles, w9;
  uint16_t reserved;  /* not written */
} sysinfo_ex_path_t;

/* cnc_sysinfo_ex: configuration words, then one item per path entry. */
typedef struct sysinfo_ex_t {
  uint16_t max_axes;      /* 0 */
  uint16_t max_spindles;  /* 2 */
  uint16_t path_records;  /* 4 */
  uint16_t w12, w16, w18, w20;
  uint16_t cnc_paths;     /* 14 */
  uint16_t w24, w34;
  uint16_t reserved[2];   /* 20: not written */
  sysinfo_ex_path_t path[15]; /* 24 */
} sysinfo_ex_t;

/* cnc_rdsyssoft: the slot list (255 ends it) and the series and version texts
 * of each slot, 4 characters and a terminator each. */
typedef struct syssoft_t {
  uint8_t slot[16];          /* 0 */
  uint8_t slot_index[16];    /* 16 */
  uint16_t slot_word1[16];   /* 32 */
  uint16_t slot_word2[16];   /* 64 */
  char slot_series[16][5];   /* 96 */
  char slot_version[16][5];  /* 176 */
  uint8_t option;            /* 256 */
  uint8_t pad;               /* 257: not written */
  char text[8][5];           /* 258 */
  char pair[24][2][5];       /* 298 */
  char last[2][5];           /* 538 */
} syssoft_t;

/* cnc_rdsyssoft2 */
typedef struct syssoft2_t {
  syssoft_t s;               /* 0 */
  char more[20][2][5];       /* 548 */
} syssoft2_t;

typedef struct syssoft3_t {
  uint16_t kind;             /* 0 */
  char series[5];            /* 2 */
  char version[5];           /* 7 */
} syssoft3_t;

typedef struct syssoft3_str_t {
  uint16_t kind;             /* 0 */
  char name[13];             /* 2 */
  char series[5];            /* 15 */
  char version[5];           /* 20 */
  char extra[3];             /* 25 */
} syssoft3_str_t;

typedef struct syshard_t {
  uint32_t id1, id2;         /* 0, 4 */
  uint16_t w[6];             /* 8 */
} syshard_t;

typedef struct syshard_str_t {
  uint16_t kind;             /* 0 */
  char name[14];             /* 2 */
  uint16_t slot;             /* 16 */
  char id[13];               /* 18 */
  char series[11];           /* 31 */
  char version[9];           /* 42 */
  char extra1[3];            /* 51 */
  char extra2[2];            /* 54 */
} syshard_str_t;

/* cnc_gettimer, cnc_settimer: type 0 date (year, month, day), 1 time (hour,
 * minute, second). Not named timer_t, which the C library owns. */
typedef struct cnctimer_t {
  int16_t type;              /* 0 */
  int16_t reserved;          /* 2 */
  int16_t v[3];              /* 4, 6, 8 */
} cnctimer_t;

/* cnc_rdtimer, cnc_wrtimer */
typedef struct rdtimer_t {
  int32_t minute;            /* 0 */
  int32_t msec;              /* 4 */
} rdtimer_t;

/* Answered from what the controller reported at connection; sends nothing. */
OZ_API int16_t OZ_CALL cnc_sysinfo(uint16_t h, sysinfo_t* out);
OZ_API int16_t OZ_CALL cnc_sysinfo_ex(uint16_t h, sysinfo_ex_t* out);
OZ_API int16_t OZ_CALL cnc_rdsyssoft(uint16_t h, syssoft_t* out);
OZ_API int16_t OZ_CALL cnc_rdsyssoft2(uint16_t h, syssoft2_t* out);
/* Counted lists: *count items at most; total gets the controller's total. */
OZ_API int16_t OZ_CALL cnc_rdsyssoft3(uint16_t h, int16_t kind, int16_t* count, int16_t* total,
                                      syssoft3_t* out);
OZ_API int16_t OZ_CALL cnc_rdsyssoft3_str(uint16_t h, int16_t kind, int16_t* count,
                                          int16_t* total, syssoft3_str_t* out);
/* total is not written. */
OZ_API int16_t OZ_CALL cnc_rdsyshard(uint16_t h, int16_t kind, int16_t* count, int16_t* total,
                                     syshard_t* out);
OZ_API int16_t OZ_CALL cnc_rdsyshard_str(uint16_t h, int16_t kind, int16_t* count,
                                         int16_t* total, syshard_str_t* out);
OZ_API int16_t OZ_CALL cnc_rdmdlconfig2(uint16_t h, uint8_t out[128]);
/* Cycle start, reset and the second reset. */
OZ_API int16_t OZ_CALL cnc_start(uint16_t h);
OZ_API int16_t OZ_CALL cnc_reset(uint16_t h);
OZ_API int16_t OZ_CALL cnc_reset2(uint16_t h);
/* t->type selects the half; settimer returns 64 ms after the controller took it. */
OZ_API int16_t OZ_CALL cnc_gettimer(uint16_t h, cnctimer_t* t);
OZ_API int16_t OZ_CALL cnc_settimer(uint16_t h, const cnctimer_t* t);
OZ_API int16_t OZ_CALL cnc_rdtimer(uint16_t h, int16_t type, rdtimer_t* t);
OZ_API int16_t OZ_CALL cnc_wrtimer(uint16_t h, int16_t type, const rdtimer_t* t);
OZ_API int16_t OZ_CALL cnc_rdetherinfo(uint16_t h, int16_t* a, int16_t* b);
OZ_API int16_t OZ_CALL cnc_getcncmodel(uint16_t h, int32_t* model);
OZ_API int16_t OZ_CALL cnc_getmacaddress(uint16_t h, char out[13]);
/* The controller's identification: 4 words. */
OZ_API int16_t OZ_CALL cnc_rdcncid(uint16_t h, uint32_t id[4]);
OZ_API int16_t OZ_CALL cnc_getlanguage(uint16_t h, int16_t* lang);
OZ_API int16_t OZ_CALL cnc_chglang(uint16_t h, uint8_t lang);
OZ_API int16_t OZ_CALL cnc_chkversion(uint16_t h, int32_t* version);
OZ_API int16_t OZ_CALL cnc_rdcoordnum(uint16_t h, int32_t* num);
OZ_API int16_t OZ_CALL cnc_setcurscrn(uint16_t h, int16_t screen);
/* Shows an operator's message of at most 400 characters; null blanks it. */
OZ_API int16_t OZ_CALL cnc_dispoptmsg(uint16_t h, const char* text);
OZ_API int16_t OZ_CALL cnc_optmsgans(uint16_t h, int32_t* answer);
/* Converts a text; out receives at most as many bytes as were sent. */
OZ_API int16_t OZ_CALL cnc_ftosjis(uint16_t h, const char* in, char* out);
/* C-executor memory: offset 0 or more, length 1..4096. */
OZ_API int16_t OZ_CALL cnc_rdcbmem(uint16_t h, int32_t offset, int32_t length, void* out);
OZ_API int16_t OZ_CALL cnc_wrcbmem(uint16_t h, int32_t offset, int32_t length, const void* in);
OZ_API int16_t OZ_CALL cnc_rdcbmem2(uint16_t h, int32_t offset, int32_t size, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_wrcbmem2(uint16_t h, int32_t offset, int16_t length, const void* buf);
/* Requests 626, 627 and 628 with the same argument. */
OZ_API int16_t OZ_CALL cnc_rdcbprm(uint16_t h, int32_t number, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_wrcbprm(uint16_t h, int32_t number, int16_t length, const void* buf);

/* ---- Modal data and commanded values --------------------------------------------*/

typedef struct modal_item_t {
  int32_t data;       /* 0 */
  uint8_t attr[2];    /* 4 */
  uint8_t pad[2];     /* 6: not written */
} modal_item_t;

/* cnc_modal: the G-code form fills g (one byte per group, bit 7 set for a
 * code given in the current block), the item form fills item. */
typedef struct modal_t {
  int16_t datano;     /* 0: the type argument */
  int16_t type;       /* 2: the block argument */
  union {
    uint8_t g[216];
    modal_item_t item[27];
  } u;                /* 4 */
} modal_t;

/* cnc_rdgcode */
typedef struct gcode_t {
  int16_t group;      /* 0 */
  int16_t flag;       /* 2 */
  char code[8];       /* 4: "G01", "G43.1" */
} gcode_t;

/* cnc_rdcommand */
typedef struct cmdvalue_t {
  char adrs;          /* 0 */
  uint8_t num;        /* 1 */
  int16_t flag;       /* 2 */
  int32_t cmd_val;    /* 4 */
  int32_t dec_val;    /* 8 */
} cmdvalue_t;

OZ_API int16_t OZ_CALL cnc_modal(uint16_t h, int16_t type, int16_t block, modal_t* out);
OZ_API int16_t OZ_CALL cnc_rdgcode(uint16_t h, int16_t type, int16_t block, int16_t* count,
                                   gcode_t* out);
OZ_API int16_t OZ_CALL cnc_rdcommand(uint16_t h, int16_t type, int16_t block, int16_t* count,
                                     cmdvalue_t* out);

/* ==== END state ==== */

/* ==== BEGIN data: parameters, settings, diagnostics, macro variables, offsets ==== */

/* ---- Parameters, settings and diagnostics --------------------------------------
 * Entries are typed: 0 bit, 1 byte, 2 word, 3 2-word, 4 real. A value takes 1,
 * 1, 2, 4 or 8 bytes in the caller's record; per-axis (or per-spindle) entries
 * repeat it once per axis. Lengths are byte sizes of the caller's buffer. */

typedef struct realprm_t {
  int32_t prm_val; /* 0 */
  int32_t dec_val; /* 4: decimal places */
} realprm_t;

/* One entry; also the repeated unit of range reads and multiple writes, where
 * type is (data type << 8) | (axis & 0xFF) and bit/byte/word values are padded
 * to a multiple of 4 bytes. */
typedef struct param_t {
  int16_t datano; /* 0 */
  int16_t type;   /* 2: the axis field (packed-type controllers: as in range records) */
  union {
    int8_t cdata;
    int16_t idata;
    int32_t ldata;
    realprm_t rdata;
    int8_t cdatas[32];
    int16_t idatas[32];
    int32_t ldatas[32];
    realprm_t rdatas[32];
  } u;            /* 4 */
} param_t;

typedef struct parainfo_entry_t {
  int16_t prm_no;    /* 0 */
  uint16_t prm_type; /* 2: attribute word */
} parainfo_entry_t;

/* cnc_rdparainfo and siblings; the caller provides count entries. */
typedef struct parainfo_t {
  int16_t info_no;            /* 0: entries returned */
  int16_t prev_no;            /* 2 */
  int16_t next_no;            /* 4 */
  parainfo_entry_t info[10];  /* 6 */
} parainfo_t;

/* One entry of the second-form info calls. */
typedef struct parainfo2_t {
  int16_t prm_no;   /* 0 */
  uint16_t attr[7]; /* 2: attr[0] data type, attr[1] axis attribute (2: spindle), ... */
} parainfo2_t;

typedef struct paranum_t {
  uint16_t word[3]; /* 0: the controller's three number-range words */
} paranum_t;

typedef struct param_ext_t {
  int32_t prm_no;    /* 0 */
  int16_t type;      /* 4: data type, -1 when the controller has no such entry */
  int16_t attr1;     /* 6 */
  int16_t attr2;     /* 8 */
  int16_t attr3;     /* 10 */
  realprm_t data[32]; /* 12: value and decimal places, for the maximum axis count */
} param_ext_t;

/* Single entries. flag != 0 (the "3" forms) asks for the alternative table. */
OZ_API int16_t OZ_CALL cnc_rdparam(uint16_t h, int16_t number, int16_t axis, int16_t length,
                                   param_t* out);
OZ_API int16_t OZ_CALL cnc_rdparam3(uint16_t h, int16_t number, int16_t axis, int16_t length,
                                    int16_t flag, param_t* out);
OZ_API int16_t OZ_CALL cnc_rdset(uint16_t h, int16_t number, int16_t axis, int16_t length,
                                 param_t* out);
OZ_API int16_t OZ_CALL cnc_diagnoss(uint16_t h, int16_t number, int16_t axis, int16_t length,
                                    param_t* out);
/* Writes need length == 4 + count * value size exactly. */
OZ_API int16_t OZ_CALL cnc_wrparam(uint16_t h, int16_t length, const param_t* in);
OZ_API int16_t OZ_CALL cnc_wrparam3(uint16_t h, int16_t length, int16_t flag, const param_t* in);
OZ_API int16_t OZ_CALL cnc_wrset(uint16_t h, int16_t length, const param_t* in);
/* Ranges: *start..*end in, the numbers actually read out; *length in, bytes used out.
 * buf receives consecutive range records. */
OZ_API int16_t OZ_CALL cnc_rdparar(uint16_t h, int16_t* start, int16_t axis, int16_t* end,
                                   int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_rdsetr(uint16_t h, int16_t* start, int16_t axis, int16_t* end,
                                  int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_diagnosr(uint16_t h, int16_t* start, int16_t axis, int16_t* end,
                                    int16_t* length, void* buf);
/* Several entries: length bytes of consecutive range records. */
OZ_API int16_t OZ_CALL cnc_wrparas(uint16_t h, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL cnc_wrsets(uint16_t h, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL cnc_rdparanum(uint16_t h, paranum_t* out);
OZ_API int16_t OZ_CALL cnc_rdsetnum(uint16_t h, paranum_t* out);
OZ_API int16_t OZ_CALL cnc_rddiagnum(uint16_t h, paranum_t* out);
/* Entry attributes from start on, count entries at most. */
OZ_API int16_t OZ_CALL cnc_rdparainfo(uint16_t h, int16_t start, uint16_t count, parainfo_t* out);
OZ_API int16_t OZ_CALL cnc_rdsetinfo(uint16_t h, int16_t start, uint16_t count, parainfo_t* out);
OZ_API int16_t OZ_CALL cnc_rddiaginfo(uint16_t h, int16_t start, uint16_t count, parainfo_t* out);
/* *count in: entries wanted (the size of out); out: entries filled. */
OZ_API int16_t OZ_CALL cnc_rdparainfo2(uint16_t h, int16_t start, int16_t* count, int16_t* prev,
                                       int16_t* next, parainfo2_t* out);
OZ_API int16_t OZ_CALL cnc_rdparainfo3(uint16_t h, int16_t start, int16_t* count, int16_t* prev,
                                       int16_t* next, parainfo2_t* out);
OZ_API int16_t OZ_CALL cnc_rdsetinfo2(uint16_t h, int16_t start, int16_t* count, int16_t* prev,
                                      int16_t* next, parainfo2_t* out);
OZ_API int16_t OZ_CALL cnc_rddiaginfo2(uint16_t h, int16_t start, int16_t* count, int16_t* prev,
                                       int16_t* next, parainfo2_t* out);
/* count numbers, one record each; a missing entry gives type -1. */
OZ_API int16_t OZ_CALL cnc_rdparam_ext(uint16_t h, const int32_t* numbers, int16_t count,
                                       param_ext_t* out);
OZ_API int16_t OZ_CALL cnc_rddiag_ext(uint16_t h, const int32_t* numbers, int16_t count,
                                      param_ext_t* out);

/* ---- Macro variables ------------------------------------------------------------
 * A value is (mcr_val, dec_val): mcr_val * 10^-dec_val in decimal form, or
 * mcr_val * 2^-dec_val in binary form (cnc_setmactype / cnc_setpmactype). */

typedef struct macro_t {
  int16_t datano;   /* 0 */
  int16_t reserved; /* 2 */
  int32_t mcr_val;  /* 4 */
  int16_t dec_val;  /* 8 */
} macro_t;

typedef struct macro_entry_t {
  int32_t mcr_val;  /* 0 */
  int16_t dec_val;  /* 4 */
  int16_t reserved; /* 6 */
} macro_entry_t;

/* n entries need a length of 8 * n + 6. */
typedef struct macror_t {
  int16_t datano_s;       /* 0 */
  int16_t reserved;       /* 2 */
  int16_t datano_e;       /* 4 */
  int16_t reserved2;      /* 6 */
  macro_entry_t data[5];  /* 8 */
} macror_t;

typedef struct pmacro_t {
  int32_t datano;   /* 0 */
  int32_t reserved; /* 4: not written */
  int32_t mcr_val;  /* 8 */
  int16_t dec_val;  /* 12 */
} pmacro_t;

/* n entries need a length of 8 * n + 10. */
typedef struct pmacror_t {
  int32_t datano_s;      /* 0 */
  int32_t reserved;      /* 4 */
  int32_t datano_e;      /* 8 */
  macro_entry_t data[5]; /* 12 */
} pmacror_t;

typedef struct macror3_t {
  double value;     /* 0 */
  uint8_t info[32]; /* 8: as the controller sends it */
} macror3_t;

typedef struct macroinfo_t {
  int16_t word[2];
} macroinfo_t;

typedef struct pmacroinfo_t {
  uint16_t word[3];
} pmacroinfo_t;

typedef struct pmacroinfo2_t {
  uint32_t dword[3]; /* 0 */
  uint16_t word[3];  /* 12: word[1] and word[2] are area kinds */
} pmacroinfo2_t;

OZ_API int16_t OZ_CALL cnc_rdmacro(uint16_t h, int16_t number, int16_t length, macro_t* out);
OZ_API int16_t OZ_CALL cnc_wrmacro(uint16_t h, int16_t number, int16_t length, int32_t value,
                                   int16_t dec);
OZ_API int16_t OZ_CALL cnc_rdmacror(uint16_t h, int16_t start, int16_t end, int16_t length,
                                    macror_t* out);
OZ_API int16_t OZ_CALL cnc_wrmacror(uint16_t h, int16_t length, const macror_t* in);
/* Doubles; *count in: variables wanted, out: variables transferred. kind 0..2. */
OZ_API int16_t OZ_CALL cnc_rdmacror2(uint16_t h, int32_t start, int32_t* count, double* out);
OZ_API int16_t OZ_CALL cnc_wrmacror2(uint16_t h, int32_t start, int32_t* count, const double* in);
OZ_API int16_t OZ_CALL cnc_rdpmacror2(uint16_t h, int32_t start, int32_t* count, int16_t kind,
                                      double* out);
OZ_API int16_t OZ_CALL cnc_wrpmacror2(uint16_t h, int32_t start, int32_t* count, int16_t kind,
                                      const double* in);
OZ_API int16_t OZ_CALL cnc_rdmacror3(uint16_t h, int32_t start, int32_t* count, macror3_t* out);
OZ_API int16_t OZ_CALL cnc_rdmacroinfo(uint16_t h, macroinfo_t* out);
OZ_API int16_t OZ_CALL cnc_rdpmacroinfo(uint16_t h, pmacroinfo_t* out);
OZ_API int16_t OZ_CALL cnc_rdpmacroinfo2(uint16_t h, pmacroinfo2_t* out);
/* Number and attribute of a named variable; name shorter than 64 characters. */
OZ_API int16_t OZ_CALL cnc_rdmacronum(uint16_t h, const char* name, int32_t selector,
                                      int32_t* number, int16_t* attr);
OZ_API int16_t OZ_CALL cnc_rdpmacro(uint16_t h, int32_t number, pmacro_t* out);
OZ_API int16_t OZ_CALL cnc_wrpmacro(uint16_t h, int32_t number, int32_t value, int16_t dec);
OZ_API int16_t OZ_CALL cnc_rdpmacror(uint16_t h, int32_t start, int32_t end, uint16_t length,
                                     pmacror_t* out);
OZ_API int16_t OZ_CALL cnc_wrpmacror(uint16_t h, uint16_t length, const pmacror_t* in);

/* ---- Tool and work offsets -------------------------------------------------------*/

typedef struct tofs_t {
  int16_t datano; /* 0 */
  int16_t type;   /* 2 */
  int32_t data;   /* 4 */
} tofs_t;

/* Values number by number; 16- or 32-bit by offset type and path kind. */
typedef struct tofsr_t {
  int16_t datano_s; /* 0 */
  int16_t type;     /* 2 */
  int16_t datano_e; /* 4 */
  int16_t reserved; /* 6 */
  union {
    int16_t w[10];
    int32_t l[5];
  } u;              /* 8 */
} tofsr_t;

typedef struct zofs_t {
  int16_t datano;   /* 0 */
  int16_t type;     /* 2: axis */
  int32_t data[32]; /* 4 */
} zofs_t;

typedef struct zofsr_t {
  int16_t datano_s; /* 0 */
  int16_t type;     /* 2: axis */
  int16_t datano_e; /* 4 */
  int16_t reserved; /* 6 */
  int32_t data[32]; /* 8 */
} zofsr_t;

typedef struct tofsinfo_t {
  int16_t word[3];
} tofsinfo_t;

typedef struct ofsrange_t {
  int32_t word[3];
} ofsrange_t;

typedef struct pitchr_t {
  int16_t datano_s;  /* 0 */
  int16_t reserved;  /* 2 */
  int16_t datano_e;  /* 4 */
  int8_t data[256];  /* 6: one value per compensation point */
} pitchr_t;

OZ_API int16_t OZ_CALL cnc_rdtofsr(uint16_t h, int16_t start, int16_t type, int16_t end,
                                   int16_t length, tofsr_t* out);
OZ_API int16_t OZ_CALL cnc_wrtofsr(uint16_t h, int16_t length, const tofsr_t* in);
OZ_API int16_t OZ_CALL cnc_rdtofs(uint16_t h, int16_t number, int16_t type, int16_t length,
                                  tofs_t* out);
OZ_API int16_t OZ_CALL cnc_wrtofs(uint16_t h, int16_t number, int16_t type, int16_t length,
                                  int32_t value);
OZ_API int16_t OZ_CALL cnc_rdtofsinfo2(uint16_t h, tofsinfo_t* out);
/* The first two words of cnc_rdtofsinfo2. */
OZ_API int16_t OZ_CALL cnc_rdtofsinfo(uint16_t h, int16_t* words2);
OZ_API int16_t OZ_CALL cnc_tofs_rnge(uint16_t h, int16_t selector, int16_t type, ofsrange_t* out);
OZ_API int16_t OZ_CALL cnc_rdzofsr(uint16_t h, int16_t start, int16_t axis, int16_t end,
                                   int16_t length, zofsr_t* out);
OZ_API int16_t OZ_CALL cnc_wrzofsr(uint16_t h, int16_t length, const zofsr_t* in);
OZ_API int16_t OZ_CALL cnc_rdfixofs(uint16_t h, int16_t start, int16_t axis, int16_t end,
                                    int16_t length, zofsr_t* out);
OZ_API int16_t OZ_CALL cnc_wrfixofs(uint16_t h, int16_t length, const zofsr_t* in);
OZ_API int16_t OZ_CALL cnc_rdzofs(uint16_t h, int16_t number, int16_t axis, int16_t length,
                                  zofs_t* out);
OZ_API int16_t OZ_CALL cnc_wrzofs(uint16_t h, int16_t length, const zofs_t* in);
OZ_API int16_t OZ_CALL cnc_rdzofsinfo(uint16_t h, int16_t* word);
OZ_API int16_t OZ_CALL cnc_zofs_rnge(uint16_t h, int16_t selector, int16_t type, ofsrange_t* out);
OZ_API int16_t OZ_CALL cnc_rdwkcdshft(uint16_t h, int16_t axis, int16_t length, zofs_t* out);
OZ_API int16_t OZ_CALL cnc_wrwkcdshft(uint16_t h, int16_t length, const zofs_t* in);
OZ_API int16_t OZ_CALL cnc_rdwkcdsfms(uint16_t h, int16_t axis, int16_t length, zofs_t* out);
OZ_API int16_t OZ_CALL cnc_wrwkcdsfms(uint16_t h, int16_t length, const zofs_t* in);
OZ_API int16_t OZ_CALL cnc_wksft_rnge(uint16_t h, int16_t selector, ofsrange_t* out);
/* Values from the reply, at most the maximum axis count. */
OZ_API int16_t OZ_CALL cnc_rdactfixofs(uint16_t h, int16_t axis, zofs_t* out);
OZ_API int16_t OZ_CALL cnc_rdzofsmes(uint16_t h, int32_t a1, int32_t a2, int32_t a3,
                                     double* v1, double* v2);
OZ_API int16_t OZ_CALL cnc_clrtofs(uint16_t h, int16_t type);
OZ_API int16_t OZ_CALL cnc_rdbtofsr(uint16_t h, int16_t start, int16_t type, int16_t end,
                                    int16_t length, tofsr_t* out);
OZ_API int16_t OZ_CALL cnc_wrbtofsr(uint16_t h, int16_t length, const tofsr_t* in);
/* Three words. */
OZ_API int16_t OZ_CALL cnc_rdbtofsinfo(uint16_t h, int16_t* words3);
OZ_API int16_t OZ_CALL cnc_rdpitchr(uint16_t h, int16_t start, int16_t end, int16_t length,
                                    pitchr_t* out);
OZ_API int16_t OZ_CALL cnc_wrpitchr(uint16_t h, int16_t length, const pitchr_t* in);
/* words: at least the maximum axis count of 16-bit words. */
OZ_API int16_t OZ_CALL cnc_rdpitchinfo(uint16_t h, int16_t* words);

/* ==== END data ==== */

/* ==== BEGIN programs: directory, management and transfer sessions ==== */

/* ---- Program directory ---------------------------------------------------------*/

/* cnc_rdprogdir2o8, cnc_rdprogdir2: one entry per program. */
typedef struct prgdir2_t {
  int32_t number;    /* 0 */
  int32_t length;    /* 4: type 2 only */
  char comment[51];  /* 8: types 1 and 2 */
  char pad;          /* 59: not written */
} prgdir2_t;

/* cnc_rdprogdir3 */
typedef struct prgdir3_t {
  int32_t number;      /* 0 */
  int32_t length;      /* 4: type 2 */
  int32_t page;        /* 8: type 2 on machines answering the long directory */
  char comment[52];    /* 12: types 1 and 2 */
  int16_t stamp1[6];   /* 64: first time stamp, type 2 */
  int16_t stamp2[6];   /* 76: second time stamp, type 2 on the long directory */
} prgdir3_t;

/* cnc_rdprgdirtime */
typedef struct prgdirtm_t {
  int32_t number;    /* 0 */
  char comment[51];  /* 4 */
  char time[13];     /* 55: as the controller writes it */
} prgdirtm_t;

/* cnc_rdproginfo type 0: four values as the controller reports them. */
typedef struct proginfo_t {
  int16_t v1;  /* 0 */
  int16_t v2;  /* 2 */
  int32_t v3;  /* 4 */
  int32_t v4;  /* 8 */
} proginfo_t;

/* Text directory of the programs from start to end: type 0 numbers, 1 numbers
 * and comments, 2 numbers, comments and lengths, closed by '%' (no NUL). */
OZ_API int16_t OZ_CALL cnc_rdprogdiro8(uint16_t h, int16_t type, int32_t start, int32_t end,
                                       uint16_t length, char* buf);
OZ_API int16_t OZ_CALL cnc_rdprogdir(uint16_t h, int16_t type, int16_t start, int16_t end,
                                     uint16_t length, char* buf);
/* Up to *count entries from program *start on; *start becomes the first
 * program found, *count the number delivered. type 0..2 chooses the fields. */
OZ_API int16_t OZ_CALL cnc_rdprogdir2o8(uint16_t h, int16_t type, int32_t* start, int16_t* count,
                                        prgdir2_t* buf);
OZ_API int16_t OZ_CALL cnc_rdprogdir2(uint16_t h, int16_t type, int16_t* start, int16_t* count,
                                      prgdir2_t* buf);
OZ_API int16_t OZ_CALL cnc_rdprogdir3(uint16_t h, int16_t type, int32_t* start, int16_t* count,
                                      prgdir3_t* buf);
OZ_API int16_t OZ_CALL cnc_rdprgdirtime(uint16_t h, int32_t* start, int16_t* count,
                                        prgdirtm_t* buf);
/* type 0 fills a proginfo_t, type 1 writes the values as text; length is the
 * byte size of buf. */
OZ_API int16_t OZ_CALL cnc_rdproginfo(uint16_t h, int16_t type, int16_t length, void* buf);

/* ---- Program management --------------------------------------------------------*/

/* cnc_rdprgnumo8: running and main program. */
typedef struct prgnum_t {
  int32_t reserved;  /* 0: not written */
  int32_t data;      /* 4 */
  int32_t mdata;     /* 8 */
} prgnum_t;
typedef struct prgnum16_t {
  int32_t reserved;  /* 0: not written */
  int16_t data;      /* 4 */
  int16_t mdata;     /* 6 */
} prgnum16_t;
/* cnc_rdseqnum, cnc_buff */
typedef struct seqnum_t {
  int32_t reserved;  /* 0: not written */
  int32_t data;      /* 4 */
} seqnum_t;
typedef seqnum_t buff_t;
/* cnc_rdmdipntro8 */
typedef struct mdipntr_t {
  int32_t v[4];  /* 0, 4, 8, 12 */
} mdipntr_t;
/* cnc_rdmdipntr: the same values, the first and third narrowed. */
typedef struct mdipntr16_t {
  int16_t v1;  /* 0 */
  int16_t pad1;
  int32_t v2;  /* 4 */
  int16_t v3;  /* 8 */
  int16_t pad3;
  int32_t v4;  /* 12 */
} mdipntr16_t;
/* cnc_rdproctime: at most OZ_PROCTIME_MAX entries are written. */
#define OZ_PROCTIME_MAX 10
typedef struct proctime_t {
  int16_t count;  /* 0 */
  int16_t pad;
  struct {
    int32_t number;  /* +0 */
    int16_t part1;   /* +4 */
    int8_t part2;    /* +6 */
    int8_t part3;    /* +7 */
  } entry[OZ_PROCTIME_MAX]; /* 4, 8 bytes apart */
} proctime_t;
/* cnc_rdbaxis: one entry per record the controller sends, at most OZ_BAXIS_MAX;
 * the entries after them are zero. */
#define OZ_BAXIS_MAX 32
typedef struct baxis_t {
  int16_t v1;  /* 0 */
  int16_t v2;  /* 2 */
  int16_t v3;  /* 4 */
  int16_t pad;
  int32_t v4;  /* 8 */
} baxis_t;
/* cnc_rduvactpt2 */
typedef struct uvactpt2_t {
  char data[248];  /* 0: as received */
  int32_t v1;      /* 248 */
  int32_t v2;      /* 252 */
  int32_t v3;      /* 256 */
  int16_t v4;      /* 260 */
  int16_t v5;      /* 262 */
} uvactpt2_t;
/* cnc_rdprotect */
typedef struct protect_t {
  int16_t v1;  /* 0 */
  int16_t v2;  /* 2 */
} protect_t;

OZ_API int16_t OZ_CALL cnc_searcho8(uint16_t h, int32_t number);
OZ_API int16_t OZ_CALL cnc_search(uint16_t h, int16_t number);
OZ_API int16_t OZ_CALL cnc_deleteo8(uint16_t h, int32_t number);
OZ_API int16_t OZ_CALL cnc_delete(uint16_t h, int16_t number);
OZ_API int16_t OZ_CALL cnc_delall(uint16_t h);
OZ_API int16_t OZ_CALL cnc_rdprgnumo8(uint16_t h, prgnum_t* out);
OZ_API int16_t OZ_CALL cnc_rdprgnum(uint16_t h, prgnum16_t* out);
OZ_API int16_t OZ_CALL cnc_rdseqnum(uint16_t h, seqnum_t* out);
OZ_API int16_t OZ_CALL cnc_seqsrch(uint16_t h, int32_t number);
OZ_API int16_t OZ_CALL cnc_rewind(uint16_t h);
OZ_API int16_t OZ_CALL cnc_buff(uint16_t h, buff_t* out);
OZ_API int16_t OZ_CALL cnc_rdblkcount(uint16_t h, int32_t* count);
/* Text of the executing program: *length in is the room of buf (at least 1),
 * out the bytes copied; a NUL follows them. */
OZ_API int16_t OZ_CALL cnc_rdexecprog(uint16_t h, uint16_t* length, int32_t* block, char* buf);
/* *length in is the room of buf; out the controller's text length. */
OZ_API int16_t OZ_CALL cnc_rdexecprog2(uint16_t h, int16_t* length, int16_t* v1, int16_t* v2,
                                       char* buf);
/* EW_SIZE, buf untouched, when the MDI program is longer than *length. */
OZ_API int16_t OZ_CALL cnc_rdmdiprog(uint16_t h, int16_t* length, char* buf);
OZ_API int16_t OZ_CALL cnc_wrmdiprog(uint16_t h, int16_t length, const char* text);
OZ_API int16_t OZ_CALL cnc_rdmdipntro8(uint16_t h, mdipntr_t* out);
OZ_API int16_t OZ_CALL cnc_rdmdipntr(uint16_t h, mdipntr16_t* out);
OZ_API int16_t OZ_CALL cnc_wrmdipntr(uint16_t h, int32_t pointer);
OZ_API int16_t OZ_CALL cnc_rdproctime(uint16_t h, proctime_t* out);
/* out holds OZ_BAXIS_MAX entries. */
OZ_API int16_t OZ_CALL cnc_rdbaxis(uint16_t h, baxis_t* out);
OZ_API int16_t OZ_CALL cnc_rdactpt(uint16_t h, int32_t* program, int32_t* position);
OZ_API int16_t OZ_CALL cnc_rduvactpt(uint16_t h, int32_t* v1, int32_t* v2, int32_t* v3);
OZ_API int16_t OZ_CALL cnc_rduvactpt2(uint16_t h, uvactpt2_t* out);
/* With kind != 0 and *position 0, *position receives the controller's value. */
OZ_API int16_t OZ_CALL cnc_wractpt(uint16_t h, int32_t program, int16_t kind, int32_t* position);
OZ_API int16_t OZ_CALL cnc_rdprotect(uint16_t h, int16_t selector, const char* name,
                                     protect_t* out);
OZ_API int16_t OZ_CALL cnc_copyprog(uint16_t h, int32_t source, int32_t destination);
OZ_API int16_t OZ_CALL cnc_renameprog(uint16_t h, int32_t old_number, int32_t new_number);
OZ_API int16_t OZ_CALL cnc_condense(uint16_t h, int16_t type, int32_t number);
/* word: at most 33 characters, else EW_VALUE. */
OZ_API int16_t OZ_CALL cnc_searchword(uint16_t h, int32_t v1, int32_t v2, int16_t v3, int16_t v4,
                                      int32_t v5, const char* word);
OZ_API int16_t OZ_CALL cnc_searchresult(uint16_t h, int32_t* result);
/* path: at most 243 characters, word at most 33, else EW_VALUE. */
OZ_API int16_t OZ_CALL cnc_pdf_searchword(uint16_t h, const char* path, int32_t v1, int32_t v2,
                                          int32_t v3, int32_t v4, const char* word);
OZ_API int16_t OZ_CALL cnc_pdf_searchresult(uint16_t h, int32_t* result);

/* ---- Transfer sessions -----------------------------------------------------------
 * One session (upload, download/verify or DNC) at a time per connection. The
 * data calls never wait: they move what can be moved now and return EW_BUFFER
 * when nothing could be moved; the handle's time-out counts from the first
 * such call. Lengths are byte counts in, byte counts moved out. */

/* Library data kinds of the start calls. */
#define OZ_XFER_VERIFY 0x8000
#define OZ_XFER_FLASH 0x8002
#define OZ_XFER_SRAM 0x8003
#define OZ_XFER_CEXE_READ 0x8004
#define OZ_XFER_CEXE_WRITE 0x8005
#define OZ_XFER_VERIFY_NAMED 0x8006
#define OZ_XFER_DATA_SERVER 0x8007
#define OZ_XFER_PUNCH 0x8008
#define OZ_XFER_FILE 0x8009
#define OZ_XFER_FLASH2 0x800A

/* cnc_upload, cnc_cupload: the caller's length counts data bytes only, and
 * data must have room for it (at least 256). */
typedef struct upload_t {
  int16_t reserved[2];  /* 0: not written */
  char data[256];       /* 4 */
} upload_t;

/* cnc_rddncdgndt */
typedef struct dncdgndt_t {
  int16_t v1;        /* 0 */
  int16_t v2;        /* 2 */
  char name[16];     /* 4: as received, no terminator added */
  uint16_t v3;       /* 20 */
  uint16_t v4;       /* 22 */
  uint16_t v5;       /* 24 */
  uint16_t pad;
  uint32_t v6;       /* 28 */
} dncdgndt_t;
/* cnc_rddncdgndt2 */
typedef struct dncdgndt2_t {
  int16_t v1;        /* 0 */
  int16_t v2;        /* 2 */
  char name[64];     /* 4 */
  uint16_t v3;       /* 68 */
  uint16_t v4;       /* 70 */
  uint16_t v5;       /* 72 */
  uint16_t pad;
  uint32_t v6;       /* 76 */
} dncdgndt2_t;

/* Upload: type is a controller data kind (0: NC program) or OZ_XFER_*. */
OZ_API int16_t OZ_CALL cnc_upstart3_f(uint16_t h, int16_t type, const char* text1,
                                      const char* text2);
OZ_API int16_t OZ_CALL cnc_upstart3(uint16_t h, int16_t type, int32_t start, int32_t end);
OZ_API int16_t OZ_CALL cnc_upstart4(uint16_t h, int16_t type, const char* name);
OZ_API int16_t OZ_CALL cnc_upstarto8(uint16_t h, int32_t number);
OZ_API int16_t OZ_CALL cnc_upstart(uint16_t h, int16_t number);
OZ_API int16_t OZ_CALL cnc_fileread_start(uint16_t h, int16_t number, const char* name);
/* *length at least 256; whole 256-byte blocks are filled. */
OZ_API int16_t OZ_CALL cnc_upload4(uint16_t h, int32_t* length, void* data);
OZ_API int16_t OZ_CALL cnc_upload3(uint16_t h, int32_t* length, void* data);
OZ_API int16_t OZ_CALL cnc_fileread(uint16_t h, int32_t* length, void* data);
OZ_API int16_t OZ_CALL cnc_cupload(uint16_t h, upload_t* data, uint16_t* length);
/* Waits (1 ms naps) while there is nothing to read. */
OZ_API int16_t OZ_CALL cnc_upload(uint16_t h, upload_t* data, uint16_t* length);
OZ_API int16_t OZ_CALL cnc_upend4(uint16_t h);
OZ_API int16_t OZ_CALL cnc_upend3(uint16_t h);
OZ_API int16_t OZ_CALL cnc_fileread_end(uint16_t h);
OZ_API int16_t OZ_CALL cnc_upend(uint16_t h);

/* Download and verify. */
OZ_API int16_t OZ_CALL cnc_dwnstart3_f(uint16_t h, int16_t type, const char* text1,
                                       const char* text2);
OZ_API int16_t OZ_CALL cnc_dwnstart3(uint16_t h, int16_t type);
OZ_API int16_t OZ_CALL cnc_dwnstart4(uint16_t h, int16_t type, const char* name);
OZ_API int16_t OZ_CALL cnc_dwnstart(uint16_t h);
OZ_API int16_t OZ_CALL cnc_vrfstart(uint16_t h);
OZ_API int16_t OZ_CALL cnc_vrfstart4(uint16_t h, const char* name);
OZ_API int16_t OZ_CALL cnc_ptdwnstart(uint16_t h);
/* high * 10000 + number names the file. */
OZ_API int16_t OZ_CALL cnc_filewrite_start(uint16_t h, int16_t number, const char* name,
                                           int16_t high);
OZ_API int16_t OZ_CALL cnc_download4(uint16_t h, int32_t* length, const void* data);
OZ_API int16_t OZ_CALL cnc_download3(uint16_t h, int32_t* length, const void* data);
OZ_API int16_t OZ_CALL cnc_verify4(uint16_t h, int32_t* length, const void* data);
OZ_API int16_t OZ_CALL cnc_filewrite(uint16_t h, int32_t* length, const void* data);
OZ_API int16_t OZ_CALL cnc_ptdownload(uint16_t h, int32_t* length, const void* data);
/* length at most 256. */
OZ_API int16_t OZ_CALL cnc_cdownload(uint16_t h, const char* data, int16_t length);
OZ_API int16_t OZ_CALL cnc_download(uint16_t h, const char* data, int16_t length);
OZ_API int16_t OZ_CALL cnc_cverify(uint16_t h, const char* data, int16_t length);
OZ_API int16_t OZ_CALL cnc_verify(uint16_t h, const char* data, int16_t length);
OZ_API int16_t OZ_CALL cnc_dwnend4(uint16_t h);
OZ_API int16_t OZ_CALL cnc_dwnend3(uint16_t h);
OZ_API int16_t OZ_CALL cnc_vrfend4(uint16_t h);
OZ_API int16_t OZ_CALL cnc_filewrite_end(uint16_t h);
OZ_API int16_t OZ_CALL cnc_ptdwnend(uint16_t h);
OZ_API int16_t OZ_CALL cnc_dwnend(uint16_t h);
OZ_API int16_t OZ_CALL cnc_vrfend(uint16_t h);

/* DNC operation: the controller runs the program as it arrives. text gets
 * the controller's 64-byte answer, NUL-terminated. */
OZ_API int16_t OZ_CALL cnc_dncstart2(uint16_t h, char* text);
OZ_API int16_t OZ_CALL cnc_dnc2(uint16_t h, int32_t* length, const void* data);
/* code: -1 ends normally; -32768, -517, -516 or -514 abort with that code. */
OZ_API int16_t OZ_CALL cnc_dncend2(uint16_t h, int16_t code);
OZ_API int16_t OZ_CALL cnc_dncstart(uint16_t h);
/* length at most 40959. */
OZ_API int16_t OZ_CALL cnc_cdnc(uint16_t h, const char* data, uint16_t length);
OZ_API int16_t OZ_CALL cnc_dnc(uint16_t h, const char* data, uint16_t length);
OZ_API int16_t OZ_CALL cnc_dncend(uint16_t h);
OZ_API int16_t OZ_CALL cnc_rddncdgndt(uint16_t h, dncdgndt_t* out);
OZ_API int16_t OZ_CALL cnc_rddncdgndt2(uint16_t h, dncdgndt2_t* out);

/* ---- Transfers the controller carries out by itself ---------------------------
 * Program numbers: 1..9999, 99999999 or -1 (all). Names of the async calls:
 * at most 255 characters; null sends an empty name. */
OZ_API int16_t OZ_CALL cnc_read_prog(uint16_t h, uint32_t number);
OZ_API int16_t OZ_CALL cnc_punch_prog(uint16_t h, uint32_t number);
/* name: at most 13 characters. */
OZ_API int16_t OZ_CALL cnc_read_prog2(uint16_t h, uint32_t number, const char* name);
OZ_API int16_t OZ_CALL cnc_punch_prog2(uint16_t h, uint32_t number, const char* name);
/* kind 1..16 or 19..21; name 1..12 characters. */
OZ_API int16_t OZ_CALL cnc_read_data(uint16_t h, int16_t kind, const char* name);
OZ_API int16_t OZ_CALL cnc_punch_data(uint16_t h, int16_t kind, const char* name);
OZ_API int16_t OZ_CALL cnc_saveprog_start(uint16_t h);
OZ_API int16_t OZ_CALL cnc_saveprog_end(uint16_t h, int16_t* result);
OZ_API int16_t OZ_CALL cnc_start_async_read_prog3(uint16_t h, const char* source,
                                                  const char* destination);
OZ_API int16_t OZ_CALL cnc_end_async_read_prog3(uint16_t h, const char* name, int16_t* status);
OZ_API int16_t OZ_CALL cnc_start_async_punch_prog3(uint16_t h, const char* source,
                                                   const char* destination);
OZ_API int16_t OZ_CALL cnc_end_async_punch_prog3(uint16_t h, const char* name, int16_t* status);
OZ_API int16_t OZ_CALL cnc_start_async_read_prog3_bg(uint16_t h, const char* source,
                                                     const char* destination);
/* out: 256 bytes, receives the controller's NUL-terminated name. */
OZ_API int16_t OZ_CALL cnc_end_async_read_prog3_bg(uint16_t h, const char* name, char* out,
                                                   int16_t* status);
OZ_API int16_t OZ_CALL cnc_start_async_punch_prog3_bg(uint16_t h, const char* source,
                                                      const char* destination);
OZ_API int16_t OZ_CALL cnc_end_async_punch_prog3_bg(uint16_t h, const char* name,
                                                    int16_t* status);
OZ_API int16_t OZ_CALL cnc_start_async_pdf_read(uint16_t h, const char* source,
                                                const char* destination);
OZ_API int16_t OZ_CALL cnc_end_async_pdf_read(uint16_t h, int16_t* status);
OZ_API int16_t OZ_CALL cnc_start_async_pdf_punch(uint16_t h, int32_t arg, const char* source,
                                                 const char* destination);
OZ_API int16_t OZ_CALL cnc_end_async_pdf_punch(uint16_t h, int16_t* status);
OZ_API int16_t OZ_CALL cnc_rdmdiprgstat(uint16_t h, int16_t* status);
OZ_API int16_t OZ_CALL cnc_start_async_data_read(uint16_t h, int16_t kind, const char* name);
OZ_API int16_t OZ_CALL cnc_end_async_data_read(uint16_t h, int16_t kind, int16_t* status);
OZ_API int16_t OZ_CALL cnc_start_async_data_punch(uint16_t h, int16_t kind, const char* name);
OZ_API int16_t OZ_CALL cnc_end_async_data_punch(uint16_t h, int16_t kind, int16_t* status);

/* ==== END programs ==== */

/* ==== BEGIN pmc: PMC data access and PMC alarm messages ==== */

/* ---- PMC address ranges ------------------------------------------------------
 * Area codes name the address areas; pmc_rdpmcinfo lists those a unit has.
 * Data types: 0 byte, 1 word (16-bit), 2 long (32-bit), 4 float, 5 double.
 * datano_s and datano_e are byte addresses; items are packed from offset 8. */
typedef struct pmcrng_t {
  int16_t adr_type;  /* 0 */
  int16_t data_type; /* 2 */
  uint16_t datano_s; /* 4: first byte address */
  uint16_t datano_e; /* 6: last byte address */
  union {
    int8_t cdata[5];
    int16_t idata[5];
    int32_t ldata[5];
    float fdata[5];
    double dfdata[5];
  } u;               /* 8: the caller passes the byte length it provides */
} pmcrng_t;

/* One area of pmc_rdpmcinfo. */
typedef struct pmcarea_t {
  char pmc_adr;      /* 0: area letter */
  uint8_t adr_attr;  /* 1 */
  uint16_t top_num;  /* 2: first byte address */
  uint16_t last_num; /* 4: last byte address */
} pmcarea_t;

typedef struct pmcinfo_t {
  int16_t datano;        /* 0: number of areas written (at most 64) */
  pmcarea_t info[64];    /* 2 */
} pmcinfo_t;

/* One entry of pmc_rdwrpmcrng (24 bytes). */
typedef struct pmcrwreq_t {
  int16_t kind;      /* 0: 0 read, 1 write */
  int16_t adr_type;  /* 2 */
  int16_t data_type; /* 4: 0-2 */
  uint16_t start;    /* 6: byte address, a multiple of 4 */
  int16_t length;    /* 8: bytes, a multiple of 4 */
  int16_t swap;      /* 10: 1 exchanges bytes within each item */
  int16_t result;    /* 12: output: this entry's result code */
  int16_t reserved;  /* 14 */
  void* data;        /* 16: length bytes, host-order 32-bit words */
} pmcrwreq_t;

/* Reads bytes datano_s..datano_e (s_number..e_number) of an area as items of
 * data_type; length is the byte size of *buf (at least 8 + the range). */
OZ_API int16_t OZ_CALL pmc_rdpmcrng(uint16_t h, int16_t adr_type, int16_t data_type,
                                    uint16_t s_number, uint16_t e_number, uint16_t length,
                                    pmcrng_t* buf);
/* Writes the range and items *buf describes; length as for pmc_rdpmcrng. */
OZ_API int16_t OZ_CALL pmc_wrpmcrng(uint16_t h, uint16_t length, const pmcrng_t* buf);
OZ_API int16_t OZ_CALL pmc_wrpmcrng2(uint16_t h, uint16_t length, const pmcrng_t* buf);
/* Up to 32 reads and writes in one exchange; each entry gets its own result.
 * Newer controllers only (EW_UNAVAILABLE otherwise). */
OZ_API int16_t OZ_CALL pmc_rdwrpmcrng(uint16_t h, int16_t count, pmcrwreq_t* req);
OZ_API int16_t OZ_CALL pmc_rdpmcinfo(uint16_t h, int16_t adr_type, pmcinfo_t* info);

/* ---- PMC memory and memory windows ------------------------------------------
 * type: 0 bytes, 1 words, 2 longs; count items, buf holds count items in host
 * order. The memory-window calls first check the address against the windows
 * of "ozlib\semem.cfg" in the system folder (on POSIX $OZLIB_SYSDIR, default
 * /etc, file ozlib/semem.cfg). */
OZ_API int16_t OZ_CALL pmc_rdpmcmem(uint16_t h, int16_t type, uint32_t address, uint32_t count,
                                    void* buf);
OZ_API int16_t OZ_CALL pmc_wrpmcmem(uint16_t h, int16_t type, uint32_t address, uint32_t count,
                                    const void* buf);
OZ_API int16_t OZ_CALL pmc_rdpmcsemem(uint16_t h, int16_t type, uint32_t address,
                                      uint32_t count, void* buf);
OZ_API int16_t OZ_CALL pmc_wrpmcsemem(uint16_t h, int16_t type, uint32_t address,
                                      uint32_t count, const void* buf);

/* ---- PMC units and languages ------------------------------------------------*/

/* pmc_read_pmc_software_version */
typedef struct pmcswver_t {
  char series[8];   /* 0 */
  char version[4];  /* 8 */
} pmcswver_t;

/* pmc_get_address_entry: one entry (12 bytes). */
typedef struct pmcadrent_t {
  int16_t type;  /* 0 */
  int16_t attr;  /* 2 */
  int32_t top;   /* 4 */
  int32_t last;  /* 8 */
} pmcadrent_t;

/* Later PMC requests of the handle go to this unit once the PMC accepts it. */
OZ_API int16_t OZ_CALL pmc_select_pmc_unit(uint16_t h, int32_t unit);
/* The handle's unit (low byte). Sends nothing. */
OZ_API int16_t OZ_CALL pmc_get_current_pmc_unit(uint16_t h, int32_t* unit);
OZ_API int16_t OZ_CALL pmc_get_number_of_pmc(uint16_t h, int32_t* count);
/* *count: in, room in types; out, the types delivered. */
OZ_API int16_t OZ_CALL pmc_get_pmc_unit_types(uint16_t h, int32_t* types, int32_t* count);
OZ_API int16_t OZ_CALL pmc_select_pmc(uint16_t h, int32_t pmc_no);
OZ_API int16_t OZ_CALL pmc_get_current_pmc(uint16_t h, int32_t* pmc_no);
OZ_API int16_t OZ_CALL pmc_get_system_language(uint16_t h, int32_t* language);
OZ_API int16_t OZ_CALL pmc_set_language(uint16_t h, int32_t language);
OZ_API int16_t OZ_CALL pmc_get_language(uint16_t h, int32_t* language);
OZ_API int16_t OZ_CALL pmc_read_pmc_software_version(uint16_t h, pmcswver_t* version);
OZ_API int16_t OZ_CALL pmc_get_unit_type(uint16_t h, int32_t unit, int32_t* type);
OZ_API int16_t OZ_CALL pmc_search_unit_type(uint16_t h, int32_t type, int32_t* unit);
OZ_API int16_t OZ_CALL pmc_get_number_of_address_entries(uint16_t h, int32_t* count);
/* Entries first.. ; *count: in, room in entries; out, the entries delivered. */
OZ_API int16_t OZ_CALL pmc_get_address_entry(uint16_t h, int32_t first, int32_t* count,
                                             pmcadrent_t* entries);
/* *length: in, room in buf (bytes); out, the bytes copied. */
OZ_API int16_t OZ_CALL pmc_read_cnc_dido(uint16_t h, int32_t a1, int32_t a2, int32_t a3,
                                         int32_t a4, int16_t* length, void* buf);
/* Sends a4 bytes of buf (0-1420). */
OZ_API int16_t OZ_CALL pmc_write_cnc_dido(uint16_t h, int32_t a1, int32_t a2, int32_t a3,
                                          int32_t a4, const void* buf);
OZ_API int16_t OZ_CALL pmc_read_seq_program_status(uint16_t h, int32_t* status);
/* (*length, buf) as pmc_read_cnc_dido. */
OZ_API int16_t OZ_CALL pmc_read_seq_program_and_memory_type(uint16_t h, int16_t* length,
                                                            void* buf);

/* ---- Control data, keep relays, titles, parameters --------------------------*/

/* pmc_rdcntldata / pmc_rdcntlexrelay and their writes. */
typedef struct pmccntl_t {
  int16_t datano_s;  /* 0: first entry */
  int16_t reserved;  /* 2 */
  int16_t datano_e;  /* 4: last entry */
  struct {
    int16_t w[4];
  } info[179];       /* 6: the caller passes the byte length it provides */
} pmccntl_t;

/* Entries s_number..min(e_number, s_number + 178); length at least 6 + 8 per entry. */
OZ_API int16_t OZ_CALL pmc_rdcntldata(uint16_t h, int16_t s_number, int16_t e_number,
                                      int16_t length, pmccntl_t* buf);
/* Writes entries datano_s..datano_e of *buf: length - 6 bytes (at most 1420). */
OZ_API int16_t OZ_CALL pmc_wrcntldata(uint16_t h, int16_t length, const pmccntl_t* buf);
OZ_API int16_t OZ_CALL pmc_rdcntlexrelay(uint16_t h, int16_t s_number, int16_t e_number,
                                         int16_t length, pmccntl_t* buf);
OZ_API int16_t OZ_CALL pmc_wrcntlexrelay(uint16_t h, int16_t length, const pmccntl_t* buf);
/* Group forms: (a1, a2, *length, buf) reads, (a1, a2, length, buf) writes. */
OZ_API int16_t OZ_CALL pmc_rdcntlgrp(uint16_t h, int32_t a1, int32_t a2, int16_t* length,
                                     void* buf);
OZ_API int16_t OZ_CALL pmc_wrcntlgrp(uint16_t h, int32_t a1, int32_t a2, int16_t length,
                                     const void* buf);
OZ_API int16_t OZ_CALL pmc_rdcntl_exrelay_grp(uint16_t h, int32_t a1, int32_t a2,
                                              int16_t* length, void* buf);
OZ_API int16_t OZ_CALL pmc_wrcntl_exrelay_grp(uint16_t h, int32_t a1, int32_t a2,
                                              int16_t length, const void* buf);

/* Keep-relay byte area: size bytes from offset, split into several requests. */
OZ_API int16_t OZ_CALL pmc_rdkpm(uint16_t h, uint32_t offset, uint8_t* buf, uint16_t size);
OZ_API int16_t OZ_CALL pmc_wrkpm(uint16_t h, uint32_t offset, const uint8_t* buf,
                                 uint16_t size);
OZ_API int16_t OZ_CALL pmc_rdkpm2(uint16_t h, uint32_t offset, uint8_t* buf, uint32_t size);
OZ_API int16_t OZ_CALL pmc_wrkpm2(uint16_t h, uint32_t offset, const uint8_t* buf,
                                  uint32_t size);
OZ_API int16_t OZ_CALL pmc_kpmsiz(uint16_t h, uint32_t* size);

/* Titles: *length in, room in buf (bytes); out, the bytes copied. */
OZ_API int16_t OZ_CALL pmc_rdpmctitle(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL pmc_rdpmctitle2(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL pmc_rdioconfigtitle(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL pmc_rdmessagetitle(uint16_t h, int16_t* length, void* buf);

/* Parameter read and write sequences: start, one or more blocks, end.
 * *length / length: 1-1024 bytes. */
OZ_API int16_t OZ_CALL pmc_rdprmstart(uint16_t h);
OZ_API int16_t OZ_CALL pmc_rdpmcparam(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL pmc_rdprmend(uint16_t h);
OZ_API int16_t OZ_CALL pmc_wrprmstart(uint16_t h);
OZ_API int16_t OZ_CALL pmc_wrpmcparam(uint16_t h, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL pmc_wrprmend(uint16_t h);

/* Divided ladders: select (number); the reads as pmc_rdpmctitle. */
OZ_API int16_t OZ_CALL pmc_select_divided_ladder(uint16_t h, int32_t number);
OZ_API int16_t OZ_CALL pmc_get_current_divided_ladder(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL pmc_get_number_of_ladder(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL pmc_get_divided_ladders(uint16_t h, int16_t* length, void* buf);

/* ---- Single PMC addresses -----------------------------------------------------
 * An address is the opaque number pmc_parse_string_into_pmc_address gives;
 * "vio" addresses lie in the unit's virtual I/O space. */
/* Sends the 84-byte record and receives the converted record in its place. */
OZ_API int16_t OZ_CALL pmc_convert_from_string_to_address(uint16_t h, uint8_t* record84);
/* "R100", "X8.2"...: the address and its extra byte (bit or flags). */
OZ_API int16_t OZ_CALL pmc_parse_string_into_pmc_address(uint16_t h, const char* text,
                                                         uint32_t* address, uint8_t* extra);
/* The text of an address; (a2..a4) as the PMC defines; *length as pmc_rdpmctitle. */
OZ_API int16_t OZ_CALL pmc_convert_pmc_address_to_string(uint16_t h, int32_t address,
                                                         int32_t a2, int32_t a3, int32_t a4,
                                                         int16_t* length, void* buf);

OZ_API int16_t OZ_CALL pmc_read_pmc_address_uint32(uint16_t h, uint32_t address, uint32_t* value);
OZ_API int16_t OZ_CALL pmc_read_pmc_address_uint16(uint16_t h, uint32_t address, uint16_t* value);
OZ_API int16_t OZ_CALL pmc_read_pmc_address_uint8(uint16_t h, uint32_t address, uint8_t* value);
OZ_API int16_t OZ_CALL pmc_read_pmc_address_bit(uint16_t h, uint32_t address, uint8_t* value);
OZ_API int16_t OZ_CALL pmc_read_vio_address_uint32(uint16_t h, uint32_t address, uint32_t* value);
OZ_API int16_t OZ_CALL pmc_read_vio_address_uint16(uint16_t h, uint32_t address, uint16_t* value);
OZ_API int16_t OZ_CALL pmc_read_vio_address_uint8(uint16_t h, uint32_t address, uint8_t* value);
OZ_API int16_t OZ_CALL pmc_read_vio_address_bit(uint16_t h, uint32_t address, uint8_t* value);
OZ_API int16_t OZ_CALL pmc_write_pmc_address_uint32(uint16_t h, uint32_t address, uint32_t value);
OZ_API int16_t OZ_CALL pmc_write_pmc_address_uint16(uint16_t h, uint32_t address, uint16_t value);
OZ_API int16_t OZ_CALL pmc_write_pmc_address_uint8(uint16_t h, uint32_t address, uint8_t value);
OZ_API int16_t OZ_CALL pmc_write_pmc_address_bit(uint16_t h, uint32_t address, uint8_t value);
OZ_API int16_t OZ_CALL pmc_write_vio_address_uint32(uint16_t h, uint32_t address, uint32_t value);
OZ_API int16_t OZ_CALL pmc_write_vio_address_uint16(uint16_t h, uint32_t address, uint16_t value);
OZ_API int16_t OZ_CALL pmc_write_vio_address_uint8(uint16_t h, uint32_t address, uint8_t value);
OZ_API int16_t OZ_CALL pmc_write_vio_address_bit(uint16_t h, uint32_t address, uint8_t value);
/* The byte at the address combined with operand; *result: the byte afterwards. */
OZ_API int16_t OZ_CALL pmc_logical_or_pmc_address_uint8(uint16_t h, uint32_t address,
                                                        uint8_t operand, uint8_t* result);
OZ_API int16_t OZ_CALL pmc_logical_and_pmc_address_uint8(uint16_t h, uint32_t address,
                                                         uint8_t operand, uint8_t* result);
OZ_API int16_t OZ_CALL pmc_logical_xor_pmc_address_uint8(uint16_t h, uint32_t address,
                                                         uint8_t operand, uint8_t* result);
OZ_API int16_t OZ_CALL pmc_logical_or_vio_address_uint8(uint16_t h, uint32_t address,
                                                        uint8_t operand, uint8_t* result);
OZ_API int16_t OZ_CALL pmc_logical_and_vio_address_uint8(uint16_t h, uint32_t address,
                                                         uint8_t operand, uint8_t* result);
OZ_API int16_t OZ_CALL pmc_logical_xor_vio_address_uint8(uint16_t h, uint32_t address,
                                                         uint8_t operand, uint8_t* result);
/* The answer is the result code: 0 yes, the PMC's code otherwise (not
 * recorded as an error). */
OZ_API int16_t OZ_CALL pmc_is_effective_pmc_address(uint16_t h, uint32_t address);
OZ_API int16_t OZ_CALL pmc_is_writable_pmc_address(uint16_t h, uint32_t address);
OZ_API int16_t OZ_CALL pmc_is_bit_accessible_pmc_address(uint16_t h, uint32_t address);
OZ_API int16_t OZ_CALL pmc_is_visible_pmc_address(uint16_t h, uint32_t address);
OZ_API int16_t OZ_CALL pmc_check_permission(uint16_t h, int32_t a1, int32_t a2, int32_t a3);
OZ_API int16_t OZ_CALL pmc_convert_address_pmc_to_vio(uint16_t h, uint32_t address,
                                                      uint32_t* vio, uint32_t* extra);
OZ_API int16_t OZ_CALL pmc_convret_address_vio_to_pmc(uint16_t h, uint32_t vio, uint32_t extra,
                                                      uint32_t* address);
OZ_API int16_t OZ_CALL pmc_convert_pmc_address_to_sync(uint16_t h, uint32_t address,
                                                       uint32_t* out);
OZ_API int16_t OZ_CALL pmc_convert_pmc_address_from_sync(uint16_t h, uint32_t address,
                                                         uint32_t* out);
OZ_API int16_t OZ_CALL pmc_convert_vio_address_to_sync(uint16_t h, uint32_t address,
                                                       uint32_t* out);
OZ_API int16_t OZ_CALL pmc_convert_vio_address_from_sync(uint16_t h, uint32_t address,
                                                         uint32_t* out);
/* Timer types of timers first..last (1-based, first <= last). */
OZ_API int16_t OZ_CALL pmc_get_timer_type(uint16_t h, int32_t first, int32_t last,
                                          int16_t* types);
OZ_API int16_t OZ_CALL pmc_set_timer_type(uint16_t h, int32_t first, int32_t last,
                                          const int16_t* types);

/* ---- Ladder screen --------------------------------------------------------------
 * Shows a message line and, in modes 1 and 2, opens the ladder display at an
 * address: mode 1 from (area 0-13, number, bit; bit 8 or more: the byte),
 * mode 2 from the address text. Area letters by index: "GFYXARTKCDMNE".
 * A record that cannot be turned into a display command gives EW_SIZE with
 * the reason as detail (see the 'reason' values below). */
typedef struct pmclad_t {
  int16_t mode;          /* 0: message only, 1: area address, 2: address text */
  int16_t line;          /* 1-8 */
  int16_t color;         /* 0-15 */
  int16_t background;    /* 0-15 */
  int16_t unit;          /* 1-5, or 9 */
  int16_t program;       /* -4..0 or a program number */
  int16_t area;          /* mode 1: 0-13 */
  int16_t bit;           /* mode 1: 0-7, or 8 and more for the byte */
  int32_t number;        /* mode 1: byte number, 0 or more */
  const char* message;   /* shown text, or null */
  const char* address;   /* mode 2: address text (at most 128 characters used) */
} pmclad_t;
/* Details of the EW_SIZE result: 1 mode, 2 no record, 3 unit, 4 program,
 * 5 area, 6 number, 7 control character in the address text, 8 line,
 * 9 colour. */
OZ_API int16_t OZ_CALL cnc_pmclad_screen(uint16_t h, const pmclad_t* prm);

/* ---- PMC alarm messages -----------------------------------------------------------
 * Texts for older controllers can be replaced site-wide by "ozpmcalm.ini",
 * section [OTHERS], keys as ER01, WN09, ER34_1 ... */
typedef struct pmcalm_t {
  char text[128];
} pmcalm_t;

/* Messages from number start (1-based): *count in, room in msgs; out, the
 * messages delivered. *pending: 1 (or the controller's figure) when more
 * remain, 0 when none, -1 when there is no alarm at all. */
OZ_API int16_t OZ_CALL pmc_rdalmmsg(uint16_t h, int16_t start, int16_t* count,
                                    int16_t* pending, pmcalm_t* msgs);
OZ_API int16_t OZ_CALL pmc_get_alarm_status(uint16_t h, int32_t selector, int32_t* status);

/* ==== END pmc ==== */

/* ==== BEGIN events-history: operation, alarm and message histories; servo and waveform sampling ==== */

/* ==== END events-history ==== */

/* ==== BEGIN events-unsolicited: unsolicited message service; screen display program and machine-data files ==== */

/* ==== END events-unsolicited ==== */

/* ==== BEGIN folders: program data folders; data server and Ethernet board settings ==== */

/* ==== END folders ==== */

/* ==== BEGIN machine-1: tool life, tool management, operator panel and switches, servo and spindle information, graphics ==== */

/* ==== END machine-1 ==== */

/* ==== BEGIN machine-2: memory backup sessions, C-executor files, protection, position sampling, raw memory, network boards ==== */

/* ==== END machine-2 ==== */

#ifdef __cplusplus
}
#endif

#endif /* OZLIB_H */
