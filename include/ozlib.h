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

#define OZLIB_VERSION_MAJOR 1
#define OZLIB_VERSION_MINOR 0
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
/* C-executor parameter number: one request of two RBs with the same
 * argument, 628 and then 626 (read: buf gets the data of both replies, one
 * after the other) or 628 and then 627 (write: buf goes with the 627). */
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

/* ---- Operation, alarm and operator-message histories ------------------------
 * Record numbers start at 1. The range readers page through start..end in
 * several requests; a controller that has fewer records ends the range early
 * and the head (or *end) tells the number of the last record read. A length
 * is the byte size of the caller's buffer; nothing is written past it. */

/* cnc_rdophisno, cnc_rdophisno3, cnc_rdalmhisno, cnc_rdalmhisno3, cnc_rdomhisno */
typedef struct ophisno_t {
  uint16_t hisno;   /* 0: number of records */
} ophisno_t;

/* cnc_rdomhisinfo: the three values of the message history's set-up. */
typedef struct omhisinfo_t {
  int16_t value[3]; /* 0, 2, 4 */
} omhisinfo_t;

/* cnc_rdhissgnl, cnc_wrhissgnl: the signals whose changes are recorded. */
typedef struct hissgnl_entry_t {
  int16_t kind;     /* 0: address kind */
  int16_t number;   /* 2: address number */
  int8_t bit;       /* 4 */
  uint8_t flag;     /* 5 */
} hissgnl_entry_t;
typedef struct hissgnl_t {
  int16_t reserved;            /* 0: not used */
  int16_t count;               /* 2: entries used (the read writes it back) */
  hissgnl_entry_t entry[20];   /* 4 */
} hissgnl_t;

/* cnc_rdophistry: a 6-byte head (+0 start, +4 last record read) and then
 * 8-byte records; which bytes of u a record type fills is the controller's. */
typedef struct ophis_rec_t {
  int16_t type;     /* 0 */
  union {
    uint8_t b[6];   /* 2 */
    int16_t w[3];   /* 2 */
  } u;
} ophis_rec_t;

/* cnc_rdophistry2, cnc_rdophistry4: records of varying size back to back,
 * each starting with this head; size includes the head. */
typedef struct ophis4_rec_t {
  uint16_t size;    /* 0 */
  uint16_t type;    /* 2: 0xFFFF carries no body */
} ophis4_rec_t;

/* Head of the alarm and message history buffers (cnc_rdalmhistry2, 4, 5,
 * cnc_rdomhistry2); cnc_rdalmhistry and cnc_rdophistry put the last record
 * number at +4 instead. */
typedef struct hishead_t {
  uint16_t start;   /* 0 */
  uint16_t end;     /* 2: last record read */
} hishead_t;

/* cnc_rdalmhistry: 48-byte records after a 6-byte head. */
typedef struct almhis_rec_t {
  int16_t reserved; /* 0: not written */
  int16_t number;   /* 2 */
  int16_t kind;     /* 4 */
  uint8_t axis;     /* 6 */
  uint8_t time[6];  /* 7: year modulo 100, month, day, hour, minute, second */
  uint8_t pad;      /* 13: not written */
  int16_t path;     /* 14 */
  char text[32];    /* 16 */
} almhis_rec_t;

/* cnc_rdalmhistry2: 52-byte records after a 4-byte head. */
typedef struct almhis2_rec_t {
  int16_t number;   /* 0 */
  int16_t kind;     /* 2 */
  int16_t axis;     /* 4 */
  int16_t time[6];  /* 6: year, month, day, hour, minute, second */
  int16_t path;     /* 18 */
  char text[32];    /* 20 */
} almhis2_rec_t;

/* cnc_rdalmhistry4: 88-byte records after a 4-byte head. */
typedef struct almhis4_rec_t {
  int16_t number;   /* 0 */
  int16_t kind;     /* 2 */
  int16_t axis;     /* 4 */
  int16_t time[6];  /* 6 */
  int16_t path;     /* 18 */
  int16_t text_len; /* 20 */
  int16_t reserved; /* 22: not written */
  char text[64];    /* 24 */
} almhis4_rec_t;

/* cnc_rdalmhistry5: 516-byte records after a 4-byte head; the signal
 * snapshot taken with the alarm follows the text. */
typedef struct almhis5_rec_t {
  int16_t number;   /* 0 */
  int16_t kind;     /* 2 */
  int16_t axis;     /* 4 */
  int16_t time[6];  /* 6 */
  int16_t path;     /* 18 */
  int16_t text_len; /* 20 */
  int16_t extra[3]; /* 22 */
  char text[64];    /* 28 */
  int32_t val1[10]; /* 92 */
  uint8_t flg1[10]; /* 132 */
  uint8_t pad1[2];  /* 142: not written */
  int32_t val2[10]; /* 144 */
  uint8_t flg2[10]; /* 184 */
  uint8_t pad2[2];  /* 194: not written */
  int32_t val3[32]; /* 196 */
  uint8_t flg3[32]; /* 324 */
  int32_t val4[32]; /* 356 */
  uint8_t flg4[32]; /* 484 */
} almhis5_rec_t;

/* cnc_rdomhistry: 270-byte records, no head. */
typedef struct omhis_rec_t {
  int16_t number;   /* 0 */
  int16_t time[6];  /* 2: year modulo 100, month, day, hour, minute, second */
  char text[256];   /* 14 */
} omhis_rec_t;

/* cnc_rdomhistry2: 272-byte records after a 4-byte head. */
typedef struct omhis2_rec_t {
  int16_t number;   /* 0 */
  int16_t time[6];  /* 2 */
  int16_t type;     /* 14 */
  char text[256];   /* 16 */
} omhis2_rec_t;

OZ_API int16_t OZ_CALL cnc_stopophis(uint16_t h);
OZ_API int16_t OZ_CALL cnc_startophis(uint16_t h);
OZ_API int16_t OZ_CALL cnc_rdophisno(uint16_t h, ophisno_t* out);
OZ_API int16_t OZ_CALL cnc_rdophisno3(uint16_t h, ophisno_t* out);
/* Records start..end into buf: a 6-byte head and ophis_rec_t records. */
OZ_API int16_t OZ_CALL cnc_rdophistry(uint16_t h, uint16_t start, uint16_t end, uint16_t length,
                                      void* buf);
/* Records from start on into buf (*length bytes) as ophis4_rec_t records;
 * returns the bytes written in *length and the last record written in *end.
 * Records of a type this form does not know are passed over. */
OZ_API int16_t OZ_CALL cnc_rdophistry2(uint16_t h, uint16_t start, uint16_t* end,
                                       uint16_t* length, void* buf);
/* As cnc_rdophistry2, thirteen record types. */
OZ_API int16_t OZ_CALL cnc_rdophistry4(uint16_t h, uint16_t start, uint16_t* end,
                                       uint16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_rdalmhisno(uint16_t h, ophisno_t* out);
OZ_API int16_t OZ_CALL cnc_rdalmhisno3(uint16_t h, ophisno_t* out);
/* Records start..end into buf: a 6-byte head and almhis_rec_t records. */
OZ_API int16_t OZ_CALL cnc_rdalmhistry(uint16_t h, uint16_t start, uint16_t end, uint16_t length,
                                       void* buf);
/* A hishead_t and almhis2_rec_t records. */
OZ_API int16_t OZ_CALL cnc_rdalmhistry2(uint16_t h, uint16_t start, uint16_t end, uint16_t length,
                                        void* buf);
/* A hishead_t and almhis4_rec_t records. */
OZ_API int16_t OZ_CALL cnc_rdalmhistry4(uint16_t h, uint16_t start, uint16_t end, uint16_t length,
                                        void* buf);
/* A hishead_t and almhis5_rec_t records. */
OZ_API int16_t OZ_CALL cnc_rdalmhistry5(uint16_t h, uint16_t start, uint16_t end, uint16_t length,
                                        void* buf);
OZ_API int16_t OZ_CALL cnc_clearophis(uint16_t h, int16_t kind);
OZ_API int16_t OZ_CALL cnc_rdhissgnl(uint16_t h, hissgnl_t* out);
/* Sends entry[0..count-1]; a count outside 0..20 gives EW_RANGE. */
OZ_API int16_t OZ_CALL cnc_wrhissgnl(uint16_t h, const hissgnl_t* in);
/* The 16-byte-entry signal table as the controller sends it (big-endian). */
OZ_API int16_t OZ_CALL cnc_rdhissgnl3(uint16_t h, int16_t* length, void* buf);
/* count entries of 16 bytes, big-endian, in buf. */
OZ_API int16_t OZ_CALL cnc_wrhissgnl3(uint16_t h, int32_t count, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL cnc_stopomhis(uint16_t h);
OZ_API int16_t OZ_CALL cnc_startomhis(uint16_t h);
OZ_API int16_t OZ_CALL cnc_rdomhisinfo(uint16_t h, omhisinfo_t* out);
OZ_API int16_t OZ_CALL cnc_rdomhisno(uint16_t h, ophisno_t* out);
/* Records start+1..start+*count into buf; *count gets the records read. */
OZ_API int16_t OZ_CALL cnc_rdomhistry(uint16_t h, uint16_t start, uint16_t* count,
                                      omhis_rec_t* buf);
/* Records start..end into buf: a hishead_t and omhis2_rec_t records. */
OZ_API int16_t OZ_CALL cnc_rdomhistry2(uint16_t h, uint16_t start, uint16_t end, uint16_t length,
                                       void* buf);
OZ_API int16_t OZ_CALL cnc_clearomhis(uint16_t h);
/* Records a key input in the operation history. */
OZ_API int16_t OZ_CALL cnc_wrkeyhistry(uint16_t h, uint8_t key);

/* ---- Servo sampling -----------------------------------------------------------
 * Set up channels, start, read samples in portions until done, end (or
 * cancel). The channel rates of the start stay with the handle until the
 * next start; a second start while sampling gives EW_REFUSED (detail 1). */

/* cnc_sdsetchnl: one sampling channel. */
typedef struct sdchnl_t {
  uint8_t chno;        /* 0 */
  uint8_t kind;        /* 1 */
  uint8_t reserved[2]; /* 2: not sent */
  int32_t data;        /* 4 */
  int16_t rate;        /* 8 */
  int16_t option;      /* 10 */
} sdchnl_t;

/* cnc_sdsetchnl2: one channel of the 108-byte form; the first twelve bytes
 * travel (big-endian) as a command-307 entry. */
typedef struct sdchnl2_t {
  int16_t chno;          /* 0 */
  int16_t kind;          /* 2: -127 is refused for the second channel */
  int32_t data;          /* 4 */
  int16_t rate;          /* 8 */
  int16_t option;        /* 10 */
  uint8_t reserved[96];  /* 12: not sent */
} sdchnl2_t;

/* cnc_sdstartsmpl2: the 10-byte start block. */
#pragma pack(push, 2)
typedef struct sdstart2_t {
  int32_t value;    /* 0 */
  int16_t w4;       /* 4 */
  uint8_t b6;       /* 6 */
  uint8_t b7;       /* 7 */
  int16_t w8;       /* 8 */
} sdstart2_t;
#pragma pack(pop)

/* cnc_sdreadsmpl: one per channel. Each channel's buffer must hold
 * OZ_SD_MAX_SAMPLES samples, the most one call delivers to a channel. */
#define OZ_SD_MAX_SAMPLES 714
typedef struct sdbuf_t {
  int16_t* data;    /* 0: samples */
  uint32_t* count;  /* 8 on 64-bit systems: samples delivered by the call */
} sdbuf_t;

/* count entries. */
OZ_API int16_t OZ_CALL cnc_sdsetchnl(uint16_t h, int16_t count, const sdchnl_t* ch);
/* count (0..16) entries. */
OZ_API int16_t OZ_CALL cnc_sdsetchnl2(uint16_t h, int16_t count, const sdchnl2_t* ch);
OZ_API int16_t OZ_CALL cnc_sdclrchnl(uint16_t h);
/* rates: eight 16-bit channel rates (out); may be null. */
OZ_API int16_t OZ_CALL cnc_sdstartsmpl(uint16_t h, int16_t type, int32_t value, int16_t* rates);
OZ_API int16_t OZ_CALL cnc_sdstartsmpl2(uint16_t h, int16_t v1, int16_t v2, const sdstart2_t* block);
OZ_API int16_t OZ_CALL cnc_sdstartsmplb(uint16_t h, int32_t v1, int32_t v2, int32_t v3, int32_t v4,
                                        int16_t v5);
OZ_API int16_t OZ_CALL cnc_sdcancelsmpl(uint16_t h);
/* Reads up to blocks sample blocks into the eight channel buffers; status
 * gets the controller's sampling status. */
OZ_API int16_t OZ_CALL cnc_sdreadsmpl(uint16_t h, int16_t* status, int32_t blocks, sdbuf_t* buf);
OZ_API int16_t OZ_CALL cnc_sdreadsmpl2(uint16_t h, int16_t* status, int32_t blocks, sdbuf_t* buf);
OZ_API int16_t OZ_CALL cnc_sdendsmpl(uint16_t h);
OZ_API int16_t OZ_CALL cnc_sdendsmpl2(uint16_t h);
/* out: eight 16-bit values. */
OZ_API int16_t OZ_CALL cnc_sdread1shot(uint16_t h, int16_t* out);
/* *count: entries buf holds (sent to the controller), then entries written;
 * each entry is seven 16-bit values. */
OZ_API int16_t OZ_CALL cnc_sdbetainfo(uint16_t h, int16_t* count, int16_t* buf);
OZ_API int16_t OZ_CALL cnc_sdstartocp(uint16_t h, int32_t value);
OZ_API int16_t OZ_CALL cnc_sdendocp(uint16_t h);
OZ_API int16_t OZ_CALL cnc_sdclrocp(uint16_t h);
/* The channel set-up of cnc_sdsetchnl after a preparatory read of the
 * controller's servo-axis parameter (EW_PRECONDITION when that read fails);
 * value is not sent. */
OZ_API int16_t OZ_CALL cnc_sfbsetchnl(uint16_t h, int16_t count, int32_t value, const sdchnl_t* ch);
OZ_API int16_t OZ_CALL cnc_sfbstartsmpl(uint16_t h, int16_t type, int32_t value);
/* The tuning forms: channel set-up as the controller takes it (big-endian). */
OZ_API int16_t OZ_CALL cnc_sdtsetchnl(uint16_t h, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL cnc_sdtsetchnl2(uint16_t h, int32_t count, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL cnc_sdtstartsmpl(uint16_t h, int16_t type, int32_t value);
OZ_API int16_t OZ_CALL cnc_sdtclrchnl(uint16_t h);
OZ_API int16_t OZ_CALL cnc_sdtstartsmpl2(uint16_t h, int16_t v1, int16_t v2, const sdstart2_t* block);
OZ_API int16_t OZ_CALL cnc_sdtcancelsmpl(uint16_t h);
OZ_API int16_t OZ_CALL cnc_sdtreadsmpl(uint16_t h, int16_t* status, int32_t blocks, sdbuf_t* buf);
OZ_API int16_t OZ_CALL cnc_sdtreadsmpl2(uint16_t h, int16_t* status, int32_t blocks, sdbuf_t* buf);
OZ_API int16_t OZ_CALL cnc_sdtendsmpl(uint16_t h);
OZ_API int16_t OZ_CALL cnc_sdtendsmpl2(uint16_t h);
OZ_API int16_t OZ_CALL cnc_sdtread1shot(uint16_t h, int16_t* out);
OZ_API int16_t OZ_CALL cnc_sdtstartocp(uint16_t h, int32_t value);
OZ_API int16_t OZ_CALL cnc_sdtendocp(uint16_t h);
OZ_API int16_t OZ_CALL cnc_sdtclrocp(uint16_t h);

/* ---- Waveform diagnosis ----------------------------------------------------------
 * Signal addresses travel as a code; the caller sees the letters X G Y F M N. */

/* cnc_rdwaveprm2, cnc_wrwaveprm2: one channel. */
typedef struct waveprm2_ch_t {
  int16_t kind;        /* 0: 13 is a signal */
  int16_t reserved;    /* 2: not written */
  union {
    struct {
      char letter;     /* 4 */
      uint8_t bit;     /* 5 */
      int16_t address; /* 6 */
    } sig;             /* kind 13 */
    int32_t value;     /* 4: other kinds */
  } u;
  int32_t reserved2;   /* 8: not written */
} waveprm2_ch_t;
typedef struct waveprm2_t {
  int16_t setting;     /* 0 */
  char trig_letter;    /* 2 */
  uint8_t trig_bit;    /* 3 */
  int32_t value[3];    /* 4, 8, 12 */
  waveprm2_ch_t ch[12];/* 16 */
} waveprm2_t;

/* cnc_rdwavedata, cnc_rdrmtwavedt, cnc_rdwavedata3: the head of the data
 * block; the samples (16-bit) follow from +16. */
typedef struct wavehead_t {
  int16_t arg;         /* 0: the channel kind given (the channel, for the forms without kind) */
  int16_t kind;        /* 2: 13 is a signal */
  union {
    struct {
      char letter;     /* 4 */
      uint8_t bit;     /* 5 */
      int16_t address; /* 6 */
    } sig;             /* kind 13 */
    struct {
      int16_t w4;      /* 4 */
      int16_t reserved;/* 6: not written */
      uint8_t time[6]; /* 8: year modulo 100, month, day, hour, minute, second */
      int16_t w14;     /* 14 */
    } info;
  } u;
} wavehead_t;

/* The first form is not served: EW_UNAVAILABLE, nothing sent. */
OZ_API int16_t OZ_CALL cnc_rdwaveprm(uint16_t h, void* prm);
OZ_API int16_t OZ_CALL cnc_wrwaveprm(uint16_t h, const void* prm);
OZ_API int16_t OZ_CALL cnc_rdwaveprm2(uint16_t h, waveprm2_t* prm);
OZ_API int16_t OZ_CALL cnc_wrwaveprm2(uint16_t h, const waveprm2_t* prm);
OZ_API int16_t OZ_CALL cnc_wavestart(uint16_t h);
OZ_API int16_t OZ_CALL cnc_wavestop(uint16_t h);
OZ_API int16_t OZ_CALL cnc_wavestat(uint16_t h, int16_t* stat);
/* data: a wavehead_t and room for *count samples; *count gets the samples read. */
OZ_API int16_t OZ_CALL cnc_rdwavedata(uint16_t h, int16_t kind, int16_t channel, int32_t start,
                                      int32_t* count, void* data);
/* The parameter block of the remote form as the controller sends it. */
OZ_API int16_t OZ_CALL cnc_rdrmtwaveprm(uint16_t h, int32_t selector, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_wrrmtwaveprm(uint16_t h, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL cnc_rmtwavestart(uint16_t h);
OZ_API int16_t OZ_CALL cnc_rmtwavestop(uint16_t h);
OZ_API int16_t OZ_CALL cnc_rmtwavestat(uint16_t h, int16_t* stat);
/* As cnc_rdwavedata, without a channel kind. */
OZ_API int16_t OZ_CALL cnc_rdrmtwavedt(uint16_t h, int16_t channel, int32_t start, int32_t* count,
                                       void* data);
/* The saved-signal address table (sixteen 8-byte entries) as sent. */
OZ_API int16_t OZ_CALL cnc_rdsavsigadr(uint16_t h, int32_t selector, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_wrsavsigadr(uint16_t h, int16_t length, const void* buf);
/* Saved signal data of one selector from start, count values, as sent. */
OZ_API int16_t OZ_CALL cnc_rdsavsigdata(uint16_t h, int32_t selector, int32_t start, int32_t count,
                                        int16_t* length, void* buf);
/* The third parameter form (676 bytes) as the controller sends it. */
OZ_API int16_t OZ_CALL cnc_rdwaveprm3(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_wrwaveprm3(uint16_t h, int16_t length, const void* buf);
/* As cnc_rdrmtwavedt, the third form. */
OZ_API int16_t OZ_CALL cnc_rdwavedata3(uint16_t h, int16_t channel, int32_t start, int32_t* count,
                                       void* data);

/* ==== END events-history ==== */

/* ==== BEGIN events-unsolicited: unsolicited message service; screen display program and machine-data files ==== */

/* ---- Unsolicited message service ---------------------------------------------
 * A controller given a transmission setting (number 1..3) and started pushes
 * PMC ranges or CNC data to a message server on the PC. cnc_unsolicstart
 * registers the application with that server and starts the controller; the
 * server keeps what arrives per registration number, and cnc_rdunsolicmsg /
 * cnc_rdunsolicmsg2 copy it out. The setting words are passed through to the
 * controller after the checks noted; their meaning is the controller's. */

/* One range of a first-form setting (12 bytes). */
typedef struct unsolicrng_t {
  int16_t kind;          /* 0: 1 = PMC range (nothing else is accepted) */
  int16_t adr_type;      /* 2: PMC address type 0..12 */
  int16_t start;         /* 4: first byte address, not negative */
  int16_t length;        /* 6: bytes, not negative */
  int16_t reserved[2];   /* 8: not used */
} unsolicrng_t;

/* cnc_wrunsolicprm, cnc_rdunsolicprm (68 bytes). */
typedef struct unsolicprm_t {
  char ipaddr[16];       /* 0: receiving PC, dotted decimal */
  uint16_t word1;        /* 16 */
  int16_t word2;         /* 18: 5 or 12 */
  int16_t word3;         /* 20: not negative */
  int16_t word4;         /* 22: not negative */
  int16_t word5;         /* 24: 1 or more */
  int16_t word6;         /* 26: 1..word5 */
  int16_t count;         /* 28: ranges, 1..3 */
  int16_t reserved;      /* 30 */
  unsolicrng_t range[3]; /* 32: the lengths add up to at most 1430, 1414 or 1398 for 1, 2 or 3 ranges */
} unsolicprm_t;

/* One item of a second-form setting (16 bytes). */
typedef struct unsolicitem_t {
  int16_t kind;          /* 0: 1 or 2 PMC range; 3, 4 or 5 CNC data */
  int16_t reserved;      /* 2 */
  int16_t unit;          /* 4: PMC unit (kinds 1, 2) or CNC path (3..5) */
  int16_t adr_type;      /* 6: PMC address type */
  int32_t first;         /* 8: start address, or first number */
  int32_t last;          /* 12: length in bytes, or last number */
} unsolicitem_t;

/* cnc_wrunsolicprm2, cnc_rdunsolicprm2 (164 bytes). */
typedef struct unsolicprm2_t {
  char address[64];      /* 0: receiving PC, copied unchanged */
  uint32_t word1;        /* 64: the low 16 bits travel */
  uint16_t word2;        /* 68 */
  uint16_t word3;        /* 70 */
  uint16_t word4;        /* 72 */
  uint16_t reserved1[5]; /* 74 */
  uint16_t form;         /* 84: transmission form 1..4 */
  uint16_t reserved2;    /* 86 */
  uint16_t form_word1;   /* 88 */
  uint16_t form_word2;   /* 90: forms 1 and 2 only */
  uint32_t value1;       /* 92 */
  uint32_t value2;       /* 96 */
  uint16_t count;        /* 100: items, 1..3 */
  uint16_t reserved3[7]; /* 102 */
  unsolicitem_t item[3]; /* 116 */
} unsolicprm2_t;

/* The entry records hold a pointer at a 4-byte boundary: packed to 4. */
#pragma pack(push, 4)
typedef struct unsolicmsg_entry_t {
  int16_t length;        /* 0: in: the byte size of *data; out: the entry's length */
  int16_t reserved;      /* 2 */
  void* data;            /* 4: the caller's buffer */
} unsolicmsg_entry_t;

/* cnc_rdunsolicmsg (40 bytes). */
typedef struct unsolicmsg_t {
  int16_t count;                 /* 0: out: entries delivered (at most 3) */
  int16_t reserved;              /* 2 */
  unsolicmsg_entry_t entry[3];   /* 4 */
} unsolicmsg_t;

typedef struct unsolicmsg2_entry_t {
  uint16_t type;         /* 0: out: 1 bytes; 3, 4 or 5 64-bit values */
  uint16_t reserved1;    /* 2 */
  uint16_t word;         /* 4: out */
  uint16_t reserved2;    /* 6 */
  uint32_t count;        /* 8: in: the byte size of *data; out: bytes (type 1) or values */
  void* data;            /* 12: the caller's buffer; values arrive as host-order 64-bit integers */
} unsolicmsg2_entry_t;

/* cnc_rdunsolicmsg2 (64 bytes). */
typedef struct unsolicmsg2_t {
  int16_t count;                 /* 0: out: entries delivered (at most 3) */
  int16_t reserved;              /* 2 */
  unsolicmsg2_entry_t entry[3];  /* 4 */
} unsolicmsg2_t;
#pragma pack(pop)

/* Field checks fail with EW_VALUE and a detail naming the field: 1 address
 * text, 3..8 word2..count, 9..12 a range's kind, type, start, length (12 also
 * for lengths adding up to too much). */
OZ_API int16_t OZ_CALL cnc_wrunsolicprm(uint16_t h, int16_t number, const unsolicprm_t* prm);
OZ_API int16_t OZ_CALL cnc_rdunsolicprm(uint16_t h, int16_t number, unsolicprm_t* prm);
/* Form outside 1..4 or count outside 1..3: EW_VALUE detail 2. */
OZ_API int16_t OZ_CALL cnc_wrunsolicprm2(uint16_t h, int16_t number, const unsolicprm2_t* prm);
OZ_API int16_t OZ_CALL cnc_rdunsolicprm2(uint16_t h, int16_t number, unsolicprm2_t* prm);
/* Registers with the message server (window: the application's window handle,
 * msgno 0..0x3FFF the message it wants, count 1 or more) and starts the
 * controller; *reg gets the registration number, 0 on failure. EW_UNAVAILABLE
 * when no message server answers. */
OZ_API int16_t OZ_CALL cnc_unsolicstart(uint16_t h, int16_t number, void* window, uint32_t msgno,
                                        int16_t count, int16_t* reg);
OZ_API int16_t OZ_CALL cnc_unsolicstop(uint16_t h, int16_t number);
/* Copy out what the server keeps for a registration; no library handle.
 * EW_VALUE when there is none, EW_KIND for a malformed block, EW_SIZE when an
 * entry does not fit the buffer the caller gave it. */
OZ_API int16_t OZ_CALL cnc_rdunsolicmsg(int16_t reg, unsolicmsg_t* msg);
OZ_API int16_t OZ_CALL cnc_rdunsolicmsg2(int16_t reg, unsolicmsg2_t* msg);

/* ---- Screen display program and machine-data files ------------------------------
 * The screen display program shows the controller's screen on the PC; it is
 * found by the controller's address. A call fails with EW_UNAVAILABLE when it
 * cannot be found in time or does not answer 0. */

/* mode 0 closes the display, 1 selects screen on the controller and shows the
 * display window with show as its show command, 2 passes show to the display;
 * wait: seconds to wait for the display program to appear. */
OZ_API int16_t OZ_CALL cnc_sdfstatchg(uint16_t h, int16_t mode, int16_t screen, int32_t show,
                                      int32_t wait);
/* kind 0 or 1: asks the display program to notify window with msgno (0..0x3FFF). */
OZ_API int16_t OZ_CALL cnc_sdfmnghwnd(uint16_t h, int16_t kind, void* window, uint32_t msgno);

/* cnc_rdmcdfinfo (32 bytes). */
typedef struct mcdfinfo_t {
  int32_t number;        /* 0 */
  uint8_t attr[4];       /* 4 */
  int16_t word;          /* 8 */
  uint8_t flag[2];       /* 10 */
  char name[20];         /* 12 */
} mcdfinfo_t;

/* File names travel in a 32-byte field: at most 31 characters are sent. */
OZ_API int16_t OZ_CALL cnc_rdmcdfinfo(uint16_t h, int32_t number, mcdfinfo_t* info);
OZ_API int16_t OZ_CALL cnc_canmcdfinfo(uint16_t h);
/* *result: the controller's verdict on the file (the first reply byte). */
OZ_API int16_t OZ_CALL cnc_chkmcdfile(uint16_t h, const char* name, uint8_t* result);
OZ_API int16_t OZ_CALL cnc_delmcdfile(uint16_t h, const char* name);
/* The comment, copied up to *length bytes; *length gets the count copied. */
OZ_API int16_t OZ_CALL cnc_rdmcdprgcmnt(uint16_t h, const char* name, int16_t* length, void* comment);
/* Not offered: always returns EW_UNAVAILABLE. */
OZ_API int16_t OZ_CALL cnc_delmcdfilebynum(uint16_t h, int32_t number);
/* text: at most 35 characters (null: none). */
OZ_API int16_t OZ_CALL cnc_set_prps(uint16_t h, int16_t kind, const char* text, int32_t value);
OZ_API int16_t OZ_CALL cnc_reset_prps(uint16_t h, int16_t kind, const char* text);
/* Command 723 with kind: reply data copied up to *length bytes, count written back. */
OZ_API int16_t OZ_CALL cnc_status_prps(uint16_t h, int32_t kind, int16_t* length, void* buf);
/* Command 730: the reply, copied up to *length bytes (which travels as the
 * request's second argument); *length gets the count copied. */
OZ_API int16_t OZ_CALL cnc_getlibopt(uint16_t h, int32_t kind, int16_t* length, void* buf);
/* Command 731: length bytes of buf as data (0..4920). */
OZ_API int16_t OZ_CALL cnc_setlibopt(uint16_t h, int32_t kind, const void* buf, int32_t length);

/* ==== END events-unsolicited ==== */

/* ==== BEGIN folders: program data folders; data server and Ethernet board settings ==== */

/* ---- Program data folders ------------------------------------------------------
 * Paths are NUL-terminated 8-bit texts ("//CNC_MEM/USER/PATH1/O0001"). Calls
 * that send a path in its usual 256-byte field send at most 255 characters of
 * it (a longer path is cut). Path buffers that the library fills are 256
 * bytes (OZ_PDF_PATH) and are always NUL-terminated and zero-padded. */

#define OZ_PDF_PATH 256
#define OZ_PDF_DRIVE_MAX 16

/* cnc_rdpdf_drive: at most OZ_PDF_DRIVE_MAX names of up to 11 characters. */
typedef struct pdfdrive_t {
  int16_t count;                    /* 0 */
  int16_t pad;
  char name[OZ_PDF_DRIVE_MAX][12];  /* 4: NUL-terminated */
} pdfdrive_t;

/* cnc_rdpdf_inf: four values as the controller reports them. */
typedef struct pdfinf_t {
  int32_t v1;  /* 0 */
  int32_t v2;  /* 4 */
  int32_t v3;  /* 8 */
  int32_t v4;  /* 12 */
} pdfinf_t;

/* cnc_rdpdf_subdir, cnc_rdpdf_alldir: the folder and its first entry wanted. */
typedef struct pdfsdir_in_t {
  char path[212];   /* 0: up to its NUL or the end of the field */
  int16_t index;    /* 212 */
  int16_t sel2;     /* 214: cnc_rdpdf_alldir, sent as arg4 */
  int16_t sel1;     /* 216: cnc_rdpdf_alldir, sent as arg3 */
} pdfsdir_in_t;

/* cnc_rdpdf_subdir: one sub-folder. */
typedef struct pdfsdir_t {
  int16_t value;   /* 0 */
  int16_t pad;
  char name[36];   /* 4: as received */
} pdfsdir_t;

/* cnc_rdpdf_alldir: one folder or file, in the layout of its wire entry. */
typedef struct pdfadir_t {
  int16_t w[7];         /* 0, 2 .. 12 */
  int16_t reserved[3];  /* 14: as received */
  int32_t v1;           /* 20 */
  int32_t v2;           /* 24 */
  char name[36];        /* 28: as received */
  char comment[52];     /* 64: as received */
  char extra[12];       /* 116: as received */
} pdfadir_t;

/* cnc_rdpdf_subdirn */
typedef struct pdfsubdirn_t {
  int16_t v1;  /* 0 */
  int16_t v2;  /* 2 */
} pdfsubdirn_t;

/* cnc_wrpdf_attr: sent as arg1 and arg2. */
typedef struct pdfattr_t {
  uint32_t v1;  /* 0 */
  uint32_t v2;  /* 4 */
} pdfattr_t;

/* cnc_rdpdf_prginf: the path with its NUL must fit in its 244 bytes. */
typedef struct pdfprginf_in_t {
  char path[244];  /* 0 */
  int16_t value;   /* 244: sent as arg1 */
  int16_t flag;    /* 246: arg2 is 1 when this is 0, else 0 */
} pdfprginf_in_t;

typedef struct pdfprginf_t {
  int16_t w[6];       /* 0, 2 .. 10 */
  int32_t v1;         /* 12 */
  int32_t v2;         /* 16 */
  char comment[52];   /* 20: as received */
  char extra[12];     /* 72: as received */
} pdfprginf_t;

/* cnc_exeprgname */
typedef struct exeprgname_t {
  char name[36];    /* 0: NUL-terminated */
  int32_t number;   /* 36 */
} exeprgname_t;

/* cnc_rdproctime2: at most OZ_PROCTIME_MAX entries are written. */
typedef struct proctime2_t {
  int16_t count;  /* 0 */
  struct {
    char name[36];   /* +0: as received */
    int16_t part1;   /* +36 */
    int8_t part2;    /* +38 */
    int8_t part3;    /* +39 */
  } entry[OZ_PROCTIME_MAX]; /* 2, 40 bytes apart */
} proctime2_t;

OZ_API int16_t OZ_CALL cnc_rdpdf_drive(uint16_t h, pdfdrive_t* out);
/* name: a drive or folder name, at most 11 characters are sent. */
OZ_API int16_t OZ_CALL cnc_rdpdf_inf(uint16_t h, const char* name, int16_t kind, pdfinf_t* out);
/* path: OZ_PDF_PATH bytes. */
OZ_API int16_t OZ_CALL cnc_rdpdf_curdir(uint16_t h, int16_t kind, char* path);
OZ_API int16_t OZ_CALL cnc_wrpdf_curdir(uint16_t h, int16_t kind, const char* path);
/* *count in: entries wanted (at least 1, room of out); out: entries read. */
OZ_API int16_t OZ_CALL cnc_rdpdf_subdir(uint16_t h, int16_t* count, const pdfsdir_in_t* in,
                                        pdfsdir_t* out);
OZ_API int16_t OZ_CALL cnc_rdpdf_alldir(uint16_t h, int16_t* count, const pdfsdir_in_t* in,
                                        pdfadir_t* out);
OZ_API int16_t OZ_CALL cnc_rdpdf_subdirn(uint16_t h, const char* path, pdfsubdirn_t* out);
OZ_API int16_t OZ_CALL cnc_pdf_add(uint16_t h, const char* path);
OZ_API int16_t OZ_CALL cnc_pdf_del(uint16_t h, const char* path);
OZ_API int16_t OZ_CALL cnc_pdf_delall(uint16_t h, int16_t kind, const char* path);
/* name: the new name, at most 35 characters are sent. */
OZ_API int16_t OZ_CALL cnc_pdf_rename(uint16_t h, const char* path, const char* name);
OZ_API int16_t OZ_CALL cnc_wrpdf_attr(uint16_t h, const char* path, const pdfattr_t* attr);
/* path: OZ_PDF_PATH bytes. */
OZ_API int16_t OZ_CALL cnc_pdf_rdmain(uint16_t h, char* path);
OZ_API int16_t OZ_CALL cnc_pdf_slctmain(uint16_t h, const char* path);
OZ_API int16_t OZ_CALL cnc_pdf_cond(uint16_t h, const char* path);
/* Program text from line `line` on: *length in is the room of buf, *lines the
 * lines wanted; out, the bytes and lines copied. The copy ends after a '%' or
 * a NUL; no NUL is added. */
OZ_API int16_t OZ_CALL cnc_rdpdf_line(uint16_t h, const char* path, int32_t line, char* buf,
                                      int32_t* lines, int32_t* length);
/* *length in is the room of buf (the controller is told it), out the bytes
 * copied; *value is sent and receives the controller's answer. */
OZ_API int16_t OZ_CALL cnc_rdpdf_line2(uint16_t h, const char* path, int32_t line, char* buf,
                                       int32_t* value, int32_t* length);
OZ_API int16_t OZ_CALL cnc_wrpdf_line(uint16_t h, const char* path, int32_t line,
                                      const char* text, int32_t length);
OZ_API int16_t OZ_CALL cnc_pdf_delline(uint16_t h, const char* path, int32_t line, int32_t count);
OZ_API int16_t OZ_CALL cnc_exeprgname(uint16_t h, exeprgname_t* out);
/* path: OZ_PDF_PATH bytes. */
OZ_API int16_t OZ_CALL cnc_exeprgname2(uint16_t h, char* path);
OZ_API int16_t OZ_CALL cnc_pdf_copy(uint16_t h, const char* source, const char* destination);
OZ_API int16_t OZ_CALL cnc_pdf_move(uint16_t h, const char* source, const char* destination);
/* path: OZ_PDF_PATH bytes, receives the controller's text as sent (at most
 * OZ_PDF_PATH bytes). */
OZ_API int16_t OZ_CALL cnc_pdf_rdactpt(uint16_t h, char* path, int32_t* position);
/* *position is sent and receives the controller's answer. */
OZ_API int16_t OZ_CALL cnc_pdf_wractpt(uint16_t h, const char* path, int16_t kind,
                                       int32_t* position);
OZ_API int16_t OZ_CALL cnc_rdpdf_prginf(uint16_t h, const pdfprginf_in_t* in, pdfprginf_t* out);
OZ_API int16_t OZ_CALL cnc_getsysfolder_num(uint16_t h, int16_t* number);
OZ_API int16_t OZ_CALL cnc_rdproctime2(uint16_t h, proctime2_t* out);
/* path: at most 255 characters; null or longer gives EW_VALUE. */
OZ_API int16_t OZ_CALL cnc_setpdf_pglock(uint16_t h, const char* path);
OZ_API int16_t OZ_CALL cnc_resetpdf_pglock(uint16_t h, const char* path);
/* Locked paths, OZ_PDF_PATH bytes each: *count in is the number paths has
 * room for, out the number copied. */
OZ_API int16_t OZ_CALL cnc_rdpdf_pglockstat(uint16_t h, int32_t* count, char* paths);

/* ---- Data server ------------------------------------------------------------------
 * The board's storage device ("DATA_SV" or a drive name). Names of the
 * two-name calls must fit their fields with their NUL: the first refused with
 * EW_VALUE, the second with EW_DATASERVER. */

#define OZ_DS_ENTRY_MAX 32

/* cnc_rddsfile, cnc_dschdir: which folder and entries. */
typedef struct dsfile_in_t {
  char path[256];   /* 0 */
  uint32_t value;   /* 256 */
  int32_t index;    /* 260: first entry wanted */
  int16_t count;    /* 264: entries wanted, 0..OZ_DS_ENTRY_MAX */
  int16_t v1;       /* 266 */
  int16_t v2;       /* 268 */
  int16_t pad;
} dsfile_in_t;

/* The folder as the listing found it. */
typedef struct dsfile_t {
  int16_t v0;          /* 0 */
  int16_t pad;
  int32_t first;       /* 4: index of the folder's first entry */
  int32_t last;        /* 8: index of its last entry */
  int32_t v3;          /* 12 */
  int32_t v4;          /* 16 */
  char folder[256];    /* 20: the current folder */
} dsfile_t;

typedef struct dsentry_t {
  int16_t w[6];      /* 0, 2 .. 10 */
  int32_t v1;        /* 12 */
  int32_t v2;        /* 16 */
  char name[36];     /* 20: as received */
  char extra[128];   /* 56: as received */
} dsentry_t;

/* ds_rdhdddir */
typedef struct hddentry_t {
  char name[64];     /* 0: as received */
  char info[80];     /* 64: as received */
  int16_t v1;        /* 144 */
  int16_t v2;        /* 146 */
  int32_t v3;        /* 148 */
  char extra[16];    /* 152: as received */
} hddentry_t;

/* cnc_rddsdevinfo */
typedef struct dsdevinfo_t {
  int32_t v1;  /* 0 */
  int32_t v2;  /* 4 */
  int32_t v3;  /* 8 */
  int32_t v4;  /* 12 */
} dsdevinfo_t;

/* Download to the data server: a session as cnc_dwnstart3 opens one, ended by
 * ds_dwnend; name and number must make a text of at most 255 characters. */
OZ_API int16_t OZ_CALL ds_dwnstart(uint16_t h, const char* name, int16_t number);
OZ_API int16_t OZ_CALL ds_download(uint16_t h, int32_t* length, const void* data);
OZ_API int16_t OZ_CALL ds_dwnend(uint16_t h);
/* path null: the current folder. *count in: 1..OZ_DS_ENTRY_MAX entries
 * wanted; out: entries read. */
OZ_API int16_t OZ_CALL ds_rdhdddir(uint16_t h, const char* path, int32_t index, int16_t* count,
                                   hddentry_t* out);
OZ_API int16_t OZ_CALL ds_delhddfile(uint16_t h, const char* name);
OZ_API int16_t OZ_CALL ds_chghdddir(uint16_t h, const char* name);
OZ_API int16_t OZ_CALL ds_rdresult(uint16_t h);
OZ_API int16_t OZ_CALL ds_cancel(uint16_t h);
/* device and name: at most 255 characters each. */
OZ_API int16_t OZ_CALL cnc_wrdsdncfile(uint16_t h, const char* device, const char* name);
OZ_API int16_t OZ_CALL cnc_dsremove(uint16_t h, const char* device, const char* name);
/* host_name and server_name: at most 127 characters each. */
OZ_API int16_t OZ_CALL cnc_dsget_req(uint16_t h, const char* host_name, const char* server_name,
                                     int16_t mode);
OZ_API int16_t OZ_CALL cnc_dsmkdir(uint16_t h, const char* device, const char* name);
OZ_API int16_t OZ_CALL cnc_dsrmdir(uint16_t h, const char* device, const char* name);
OZ_API int16_t OZ_CALL cnc_dsftpstat(uint16_t h);
/* At most 128 and 33 bytes of the names are sent. */
OZ_API int16_t OZ_CALL cnc_dsput_req(uint16_t h, const char* host_name, const char* server_name);
OZ_API int16_t OZ_CALL cnc_dsftpcancel(uint16_t h);
/* At most 12, 128 and 128 bytes of the names are sent. */
OZ_API int16_t OZ_CALL cnc_dsrename(uint16_t h, const char* device, const char* old_name,
                                    const char* new_name);
/* At most 128 bytes of the name are sent. */
OZ_API int16_t OZ_CALL cnc_dsmget_req(uint16_t h, const char* name);
OZ_API int16_t OZ_CALL cnc_dsmput_req(uint16_t h, const char* name);
OZ_API int16_t OZ_CALL cnc_dslistget_req(uint16_t h, const char* name);
OZ_API int16_t OZ_CALL cnc_dslistput_req(uint16_t h, const char* name);
OZ_API int16_t OZ_CALL cnc_dslistdel_req(uint16_t h, const char* name);
/* entries: room for in->count entries. */
OZ_API int16_t OZ_CALL cnc_rddsfile(uint16_t h, const char* device, const dsfile_in_t* in,
                                    dsfile_t* out, dsentry_t* entries);
/* For the device "DATA_SV" only the folder changes; in, out and entries are
 * not used. */
OZ_API int16_t OZ_CALL cnc_dschdir(uint16_t h, const char* device, const char* folder,
                                   const dsfile_in_t* in, dsfile_t* out, dsentry_t* entries);
/* path, name: 256 bytes. */
OZ_API int16_t OZ_CALL cnc_rddsdir(uint16_t h, const char* device, int16_t* value, char* path);
OZ_API int16_t OZ_CALL cnc_rddsdncfile(uint16_t h, const char* device, int16_t* value,
                                       char* name);
OZ_API int16_t OZ_CALL cnc_rddsdevinfo(uint16_t h, int16_t selector, dsdevinfo_t* out);

/* ---- Ethernet board settings ------------------------------------------------------*/

#define OZ_ETH_PARAM_SIZE 996

/* host: 256 bytes. */
OZ_API int16_t OZ_CALL eth_rddsm198host(uint16_t h, int16_t selector, int16_t* value, char* host);
OZ_API int16_t OZ_CALL eth_wrdsm198host(uint16_t h, int16_t v1, int16_t v2, const char* host);
OZ_API int16_t OZ_CALL eth_rdhost(uint16_t h, int16_t selector, int16_t* value);
OZ_API int16_t OZ_CALL eth_wrhost(uint16_t h, int16_t v1, int16_t v2);
/* modes: 10 values. */
OZ_API int16_t OZ_CALL eth_rddsmode(uint16_t h, int16_t* modes);
/* kind: ten times a group (0, 2, 4, 6, 8) plus a form (1..4). block:
 * OZ_ETH_PARAM_SIZE bytes as received, the form's numeric fields in host
 * order, bytes past a shorter reply zero. */
OZ_API int16_t OZ_CALL eth_rdparam(uint16_t h, int16_t kind, void* block);
/* Raw requests: reads copy the reply data up to *length bytes and set
 * *length to the bytes copied; writes send length bytes, in wire order. */
OZ_API int16_t OZ_CALL eth_rddsm198dir(uint16_t h, int32_t selector, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL eth_wrdsm198dir(uint16_t h, int32_t selector, int16_t length,
                                       const void* buf);
/* The log block: entry count, a 14-byte text, then the entries. */
OZ_API int16_t OZ_CALL eth_rdlog(uint16_t h, int32_t kind, int32_t start, int32_t count,
                                 int16_t* length, void* buf);
/* buf: 1084 bytes, the 44-byte block at 0 and the parameter block at 88. */
OZ_API int16_t OZ_CALL eth_wrparam(uint16_t h, int32_t selector, int16_t length,
                                   const void* buf);

/* ==== END folders ==== */

/* ==== BEGIN machine-1: tool life, tool management, operator panel and switches, servo and spindle information, graphics ==== */
/* ---- Tool life management ----------------------------------------------------
 * Groups are numbered from 1; a group holds tools by index 1, 2, ... Range
 * reads and writes take the byte length of the caller's record, which starts
 * with the first group (offset 0) and the last group (offset 4). */

/* cnc_rdngrp (data.l), cnc_rdmaxgrp and cnc_rdmaxtool (data.w: only the 16
 * bits at offset 4 are written). */
typedef struct lifevalue_t {
  int32_t reserved;   /* 0: not written */
  union {
    int32_t l;
    int16_t w;
  } data;             /* 4 */
} lifevalue_t;

/* cnc_rdntool, cnc_rdlife, cnc_rdcount */
typedef struct grpvalue_t {
  int16_t found;      /* 0: 0 when the controller has no such group */
  int16_t reserved;   /* 2: not written */
  int32_t data;       /* 4: 0 when found is 0 */
} grpvalue_t;

/* cnc_rd1length, cnc_rd1radius, cnc_t1info, cnc_rd2length, cnc_rd2radius,
 * cnc_t2info, cnc_toolnum */
typedef struct toolvalue_t {
  int16_t group;      /* 0: 0 when the entry does not exist */
  int16_t index;      /* 2 */
  int32_t data;       /* 4: 0 when group is 0 */
} toolvalue_t;

/* cnc_rd2tlifedata, cnc_wr2tlifedata, cnc_rd1tlifedata, cnc_wr1tlifedata */
typedef struct tlifedat_t {
  int16_t group;      /* 0 */
  int16_t index;      /* 2: tool index in the group */
  int32_t tool_num;   /* 4 */
  int32_t h_code;     /* 8: length-offset number */
  int32_t d_code;     /* 12: radius-offset number */
  int32_t tool_inf;   /* 16: tool-information word */
} tlifedat_t;

/* cnc_rd1tlifedat2, cnc_wr1tlifedat2 */
typedef struct tlifedat2_t {
  int16_t group;      /* 0 */
  int16_t reserved;   /* 2: not written */
  int32_t index;      /* 4: tool index; not written by the read */
  int32_t word;       /* 8: the entry's second word */
  int32_t h_code;     /* 12 */
  int32_t d_code;     /* 16 */
  int32_t tool_inf;   /* 20 */
} tlifedat2_t;

/* cnc_rdusegrpid */
typedef struct usegrp_t {
  int32_t reserved;   /* 0: not written */
  int32_t data[3];    /* 4, 8, 12 */
} usegrp_t;

/* cnc_rdgrpid2 */
typedef struct grpid_t {
  int32_t reserved;   /* 0: not written */
  int32_t tool_num;   /* 4: the tool number asked for */
  int32_t group;      /* 8 */
} grpid_t;

/* cnc_rdgrpid */
typedef struct grpid1_t {
  int16_t reserved;   /* 0: not written */
  int16_t tool_num;   /* 2: the tool number asked for */
  int32_t group;      /* 4 */
} grpid1_t;

/* Range records: the first group asked for, the last group delivered (or,
 * for the writes, the last group given), then one item per group. The
 * arrays are as long as the caller's length says. */
typedef struct tlrange_head_t {
  int16_t first;      /* 0 */
  int16_t reserved1;  /* 2: not written */
  int16_t last;       /* 4 */
  int16_t reserved2;  /* 6: not written */
} tlrange_head_t;

/* cnc_rdtoolrng: 12 bytes per group */
typedef struct toolrng_t {
  tlrange_head_t head;
  struct {
    int32_t ntool;    /* 0 */
    int32_t life;     /* 4 */
    int32_t count;    /* 8 */
  } data[16];         /* 8 */
} toolrng_t;

/* cnc_rdgrpinfo: 16 bytes per group */
typedef struct grpinfo_t {
  tlrange_head_t head;
  struct {
    int32_t ntool;    /* 0 */
    int32_t life;     /* 4 */
    int32_t count;    /* 8 */
    int32_t type;     /* 12: the group's further word (count type) */
  } data[16];         /* 8 */
} grpinfo_t;

/* cnc_rdusetlno: the tool number in use, 4 bytes per group; cnc_wrcountr:
 * the life count to set, 4 bytes per group. */
typedef struct usetlno_t {
  tlrange_head_t head;
  int32_t data[16];   /* 8 */
} usetlno_t;

/* cnc_wrgrpinfo: 20 bytes per group, the group record's first five words
 * (the controller keeps the tool count and the index in use itself). */
typedef struct wrgrpinfo_t {
  tlrange_head_t head;
  struct {
    int32_t ntool;    /* 0 */
    int32_t use;      /* 4: index of the tool in use */
    int32_t life;     /* 8 */
    int32_t type;     /* 12 */
    int32_t count;    /* 16 */
  } data[16];         /* 8 */
} wrgrpinfo_t;

/* cnc_instlifedt: inserts a tool at an index of a group (later ones move up). */
typedef struct instlfdt_t {
  int16_t group;      /* 0 */
  int16_t index;      /* 2 */
  int32_t tool_num;   /* 4 */
} instlfdt_t;

/* cnc_rdtoolgrp: the tools of one group, 20 bytes each. */
typedef struct tlgrptool_t {
  int32_t index;      /* 0 */
  int32_t tool_num;   /* 4 */
  int32_t h_code;     /* 8 */
  int32_t d_code;     /* 12 */
  int32_t tool_inf;   /* 16 */
} tlgrptool_t;

OZ_API int16_t OZ_CALL cnc_rdngrp(uint16_t h, lifevalue_t* out);
OZ_API int16_t OZ_CALL cnc_rdmaxgrp(uint16_t h, lifevalue_t* out);
OZ_API int16_t OZ_CALL cnc_rdmaxtool(uint16_t h, lifevalue_t* out);
OZ_API int16_t OZ_CALL cnc_rdntool(uint16_t h, int16_t group, grpvalue_t* out);
OZ_API int16_t OZ_CALL cnc_rdlife(uint16_t h, int16_t group, grpvalue_t* out);
OZ_API int16_t OZ_CALL cnc_rdcount(uint16_t h, int16_t group, grpvalue_t* out);
OZ_API int16_t OZ_CALL cnc_rd1length(uint16_t h, int16_t group, int16_t index, toolvalue_t* out);
OZ_API int16_t OZ_CALL cnc_rd1radius(uint16_t h, int16_t group, int16_t index, toolvalue_t* out);
OZ_API int16_t OZ_CALL cnc_t1info(uint16_t h, int16_t group, int16_t index, toolvalue_t* out);
OZ_API int16_t OZ_CALL cnc_rd2length(uint16_t h, int16_t group, int16_t index, toolvalue_t* out);
OZ_API int16_t OZ_CALL cnc_rd2radius(uint16_t h, int16_t group, int16_t index, toolvalue_t* out);
OZ_API int16_t OZ_CALL cnc_t2info(uint16_t h, int16_t group, int16_t index, toolvalue_t* out);
OZ_API int16_t OZ_CALL cnc_toolnum(uint16_t h, int16_t group, int16_t index, toolvalue_t* out);
OZ_API int16_t OZ_CALL cnc_rd2tlifedata(uint16_t h, int16_t group, int16_t index, tlifedat_t* out);
OZ_API int16_t OZ_CALL cnc_wr2tlifedata(uint16_t h, const tlifedat_t* in);
OZ_API int16_t OZ_CALL cnc_rd1tlifedat2(uint16_t h, int16_t group, int32_t index, tlifedat2_t* out);
OZ_API int16_t OZ_CALL cnc_wr1tlifedat2(uint16_t h, const tlifedat2_t* in);
OZ_API int16_t OZ_CALL cnc_rd1tlifedata(uint16_t h, int16_t group, int16_t index, tlifedat_t* out);
OZ_API int16_t OZ_CALL cnc_wr1tlifedata(uint16_t h, const tlifedat_t* in);
OZ_API int16_t OZ_CALL cnc_rdtoolrng(uint16_t h, int16_t first, int16_t last, int16_t length,
                                     toolrng_t* out);
OZ_API int16_t OZ_CALL cnc_rdgrpinfo(uint16_t h, int16_t first, int16_t last, int16_t length,
                                     grpinfo_t* out);
OZ_API int16_t OZ_CALL cnc_rdusetlno(uint16_t h, int16_t first, int16_t last, int16_t length,
                                     usetlno_t* out);
/* Life counts of groups head.first..head.last (command 81, 357 groups a request). */
OZ_API int16_t OZ_CALL cnc_wrcountr(uint16_t h, int16_t length, const usetlno_t* in);
/* Group records of groups head.first..head.last (command 76, 44 groups a request). */
OZ_API int16_t OZ_CALL cnc_wrgrpinfo(uint16_t h, int16_t length, const wrgrpinfo_t* in);
OZ_API int16_t OZ_CALL cnc_rdusegrpid(uint16_t h, usegrp_t* out);
OZ_API int16_t OZ_CALL cnc_rdgrpid2(uint16_t h, int32_t tool_num, grpid_t* out);
OZ_API int16_t OZ_CALL cnc_rdgrpid(uint16_t h, int16_t tool_num, grpid1_t* out);
OZ_API int16_t OZ_CALL cnc_deltlifegrp(uint16_t h, int16_t group);
OZ_API int16_t OZ_CALL cnc_deltlifedt(uint16_t h, int16_t group, int16_t index);
OZ_API int16_t OZ_CALL cnc_clrcntinfo(uint16_t h, int16_t first, int16_t second);
/* Command 84 (group, index, tool number). */
OZ_API int16_t OZ_CALL cnc_instlifedt(uint16_t h, const instlfdt_t* in);
/* Group-table forms: newer controllers (447..453) and older ones (139, 74, 76,
 * 72) answer alike; the reply data are copied up to *length bytes. */
/* 447 or 139 (first, last). */
OZ_API int16_t OZ_CALL cnc_rdgrpinfo2(uint16_t h, int32_t first, int32_t last, int16_t* length, void* buf);
/* 448 or 139 (first, last). */
OZ_API int16_t OZ_CALL cnc_rdgrpinfo3(uint16_t h, int32_t first, int32_t last, int16_t* length, void* buf);
/* 449 or 139 (first, last). */
OZ_API int16_t OZ_CALL cnc_rdgrpinfo4(uint16_t h, int32_t first, int32_t last, int16_t* length, void* buf);
/* 450 or 76 (first, last), the buffer as data. */
OZ_API int16_t OZ_CALL cnc_wrgrpinfo2(uint16_t h, int32_t first, int32_t last, int16_t length, const void* buf);
/* 451 or 76 (first, last), the buffer as data. */
OZ_API int16_t OZ_CALL cnc_wrgrpinfo3(uint16_t h, int32_t first, int32_t last, int16_t length, const void* buf);
/* 452 or 74: the table sizes. */
OZ_API int16_t OZ_CALL cnc_rdtlinfo(uint16_t h, int16_t* length, void* buf);
/* 453 or 72: the groups in use. */
OZ_API int16_t OZ_CALL cnc_rdtlusegrp(uint16_t h, int16_t* length, void* buf);
/* 447 or 139 (group, group): one group record. */
OZ_API int16_t OZ_CALL cnc_rdtlgrp(uint16_t h, int32_t group, int16_t* length, void* buf);
/* 77 (group, first index, last index): the tool entries, 24 bytes each. */
OZ_API int16_t OZ_CALL cnc_rdtltool(uint16_t h, int32_t group, int32_t first, int32_t last,
                                    int16_t* length, void* buf);
/* The tools of a group: *length is the byte size of out (20 or more) and
 * comes back as 20 times the tools delivered. */
OZ_API int16_t OZ_CALL cnc_rdtoolgrp(uint16_t h, int16_t group, int16_t* length, tlgrptool_t* out);
/* 212: the groups whose tool is to be changed, 4 bytes each. */
OZ_API int16_t OZ_CALL cnc_rdexchgtgrp(uint16_t h, int16_t* length, void* buf);

/* ---- Tool management data ------------------------------------------------------
 * Tool records are numbered from 1. toolrec_t is the controller's 156-byte
 * record, each field narrowed to the width given here. */

typedef struct toolrec_t {
  int32_t l0[4];      /* 0, 4, 8, 12 */
  uint8_t b16;        /* 16 */
  uint8_t b17;        /* 17 */
  int16_t w18[3];     /* 18, 20, 22 */
  int32_t l24[2];     /* 24, 28 */
  int16_t w32[5];     /* 32 .. 40 */
  int16_t w42;        /* 42 */
  int16_t w44;        /* 44: the field the byte at 50 mirrors */
  int16_t w46[2];     /* 46, 48 */
  uint8_t b50;        /* 50: used instead of w44 where the controller says so */
  uint8_t reserved[9]; /* 51: not written */
  int32_t l60[20];    /* 60 .. 136 */
} toolrec_t;

/* cnc_wrtool2: one item of a record. kind numbers the fields in record order
 * (0..15 the words at l0..w32, 16 w42, 17 w44, 18 and 19 w46, 20..39 l60);
 * fields narrower than 32 bits take value16, the others value32. */
typedef struct toolitem_t {
  int16_t kind;       /* 0 */
  int16_t value16;    /* 2 */
  int32_t value32;    /* 4 */
} toolitem_t;

/* Second-form tool record: 236 bytes in the controller's byte order. */
typedef struct toolrec2_t {
  uint8_t data[236];
} toolrec2_t;

/* Magazine entries: the tool in a pot of a magazine. */
typedef struct magazine_t {
  int32_t magazine;   /* 0 */
  int32_t pot;        /* 4 */
  int32_t tool_num;   /* 8 */
} magazine_t;

/* Reads *count records from tool number first, 9 a request; *count comes back
 * as the records delivered. */
OZ_API int16_t OZ_CALL cnc_rdtool(uint16_t h, int16_t first, int16_t* count, toolrec_t* out);
OZ_API int16_t OZ_CALL cnc_wrtool(uint16_t h, int16_t number, const toolrec_t* in);
/* Registers *count records from tool number first, 9 a request; *count comes
 * back as the records registered. */
OZ_API int16_t OZ_CALL cnc_regtool(uint16_t h, int16_t first, int16_t* count, const toolrec_t* in);
/* Deletes tools as the controller reads (num, *value); *value comes back as
 * the controller's answer. */
OZ_API int16_t OZ_CALL cnc_deltool(uint16_t h, int16_t num, int16_t* value);
OZ_API int16_t OZ_CALL cnc_wrtool2(uint16_t h, int16_t number, const toolitem_t* in);
/* Puts *count entries (at most 118) into their pots; *count comes back as
 * the controller's answer. */
OZ_API int16_t OZ_CALL cnc_regmagazine(uint16_t h, int16_t* count, const magazine_t* in);
/* Empties the pots of *count entries (at most 118); each entry's tool_num
 * gets the tool taken out, *count the entries answered. */
OZ_API int16_t OZ_CALL cnc_delmagazine(uint16_t h, int16_t* count, magazine_t* io);
/* Reads up to *count entries (at most 118) from list position *top (from 1);
 * *count comes back as the entries delivered, *top as the next position. */
OZ_API int16_t OZ_CALL cnc_rdmagazine(uint16_t h, int16_t* top, int16_t* count, magazine_t* out);
/* Command 337 (magazine) with the pot and the tool number as data. */
OZ_API int16_t OZ_CALL cnc_wrmagazine(uint16_t h, int16_t magazine, int16_t pot, int16_t tool_num);
/* As cnc_regtool, cnc_rdtool and cnc_wrtool for the second record form, 6 a request. */
OZ_API int16_t OZ_CALL cnc_regtool_f2(uint16_t h, int16_t first, int16_t* count, const toolrec2_t* in);
OZ_API int16_t OZ_CALL cnc_rdtool_f2(uint16_t h, int16_t first, int16_t* count, toolrec2_t* out);
OZ_API int16_t OZ_CALL cnc_wrtool_f2(uint16_t h, int16_t number, const toolrec2_t* in);
/* Names (414, 415) of the selected entry, copied up to *length bytes. */
OZ_API int16_t OZ_CALL cnc_rdctname(uint16_t h, int32_t selector, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_rdtlname(uint16_t h, int32_t selector, int16_t* length, void* buf);
/* The tool in the spindle and the next tool (data 0 and 4). */
OZ_API int16_t OZ_CALL cnc_rdhdnxt(uint16_t h, int32_t* current, int32_t* next);
/* 236: the interference record, copied up to *length bytes. */
OZ_API int16_t OZ_CALL cnc_rdinterference(uint16_t h, int16_t* length, void* buf);
/* 237 (number): geometry records given as data. */
OZ_API int16_t OZ_CALL cnc_wrtoolgeom_tlm(uint16_t h, int32_t number, int16_t length, const void* buf);
/* 238 (number): geometry records copied up to *length bytes. */
OZ_API int16_t OZ_CALL cnc_rdtoolgeom_tlm(uint16_t h, int32_t number, int16_t* length, void* buf);
/* 239 (magazine, pot) with the tool kind as 2 data bytes; *found gets data 0. */
OZ_API int16_t OZ_CALL cnc_btlfpotsrh(uint16_t h, int16_t magazine, int16_t pot, int16_t kind,
                                      int16_t* found);
/* 536 and 539 (first, count): property records copied up to *length bytes. */
OZ_API int16_t OZ_CALL cnc_rdmag_property(uint16_t h, int32_t first, int32_t count, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_rdpot_property(uint16_t h, int32_t first, int32_t count, int16_t* length, void* buf);
/* 537, 538, 540, 541: records (28, 4, 48 and 4 bytes each) given as data. */
OZ_API int16_t OZ_CALL cnc_wrmag_property(uint16_t h, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL cnc_delmag_property(uint16_t h, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL cnc_wrpot_property(uint16_t h, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL cnc_delpot_property(uint16_t h, int16_t length, const void* buf);
/* Moves a tool between two places (8 data bytes: from, to); *result gets data 0. */
OZ_API int16_t OZ_CALL cnc_tool_move(uint16_t h, const int32_t places[2], int32_t* result);
/* 547 (selector) with the entry as 12 data bytes. */
OZ_API int16_t OZ_CALL cnc_reg_toolstrage(uint16_t h, uint8_t selector, const magazine_t* in);
/* 650 (tool number, n) with n records of 64 zero bytes as room: edge records
 * (64 bytes each, controller's byte order), n = *count at most 22; *count
 * comes back as the records delivered. */
OZ_API int16_t OZ_CALL cnc_rdedgedata(uint16_t h, int16_t number, int16_t* count, void* buf);
/* 651 (tool number, edge) with the item kind and value as 8 data bytes. */
OZ_API int16_t OZ_CALL cnc_wredgedata2(uint16_t h, int16_t number, int16_t edge, int32_t kind,
                                       int32_t value);
/* 785: the active edges, copied up to *length bytes. */
OZ_API int16_t OZ_CALL cnc_rdedgeactive(uint16_t h, int16_t* length, void* buf);

/* ---- Operator panel signals and menu switches ------------------------------------*/

/* cnc_rdopnlsgnl, cnc_wropnlsgnl */
typedef struct opnlsgnl_t {
  int16_t reserved;   /* 0: not used */
  int16_t selector;   /* 2 */
  int16_t data[13];   /* 4 .. 28 */
} opnlsgnl_t;

/* cnc_rdopnlgnrl, cnc_wropnlgnrl and their second forms */
typedef struct opnlgnrl_t {
  int16_t reserved;   /* 0: not used */
  uint16_t selector;  /* 2: the first forms use its low byte */
  int16_t value;      /* 4 */
} opnlgnrl_t;

/* cnc_rdopnlgsname, cnc_wropnlgsname and their second forms: the first forms
 * use 8 names, so a record of 76 bytes serves them. */
typedef struct opnlgsname_t {
  int16_t reserved;   /* 0: not used */
  uint16_t selector;  /* 2 */
  char name[16][9];   /* 4: 8 characters and a terminating zero each */
} opnlgsname_t;

OZ_API int16_t OZ_CALL cnc_rdopnlsgnl(uint16_t h, int16_t selector, opnlsgnl_t* out);
OZ_API int16_t OZ_CALL cnc_wropnlsgnl(uint16_t h, const opnlsgnl_t* in);
OZ_API int16_t OZ_CALL cnc_rdopnlgnrl(uint16_t h, uint8_t selector, opnlgnrl_t* out);
OZ_API int16_t OZ_CALL cnc_rdopnlgnrl2(uint16_t h, uint16_t selector, opnlgnrl_t* out);
/* Clears the high byte of in->selector first and sends its low byte. */
OZ_API int16_t OZ_CALL cnc_wropnlgnrl(uint16_t h, opnlgnrl_t* in);
OZ_API int16_t OZ_CALL cnc_wropnlgnrl2(uint16_t h, const opnlgnrl_t* in);
OZ_API int16_t OZ_CALL cnc_rdopnlgsname(uint16_t h, uint8_t selector, opnlgsname_t* out);
OZ_API int16_t OZ_CALL cnc_rdopnlgsname2(uint16_t h, uint16_t selector, opnlgsname_t* out);
/* Clears the high byte of in->selector first and sends its low byte. */
OZ_API int16_t OZ_CALL cnc_wropnlgsname(uint16_t h, opnlgsname_t* in);
OZ_API int16_t OZ_CALL cnc_wropnlgsname2(uint16_t h, const opnlgsname_t* in);
OZ_API int16_t OZ_CALL cnc_rdmenuswitch(uint16_t h, int32_t* value);
OZ_API int16_t OZ_CALL cnc_wrmenuswitch(uint16_t h, int16_t selector, int16_t value);

/* ---- Servo and spindle information --------------------------------------------
 * Arrays hold one element per axis (the path's axis count) or per spindle
 * (the path's largest spindle number); at most that many are written. */

OZ_API int16_t OZ_CALL cnc_rdloopgain(uint16_t h, int32_t* out);
OZ_API int16_t OZ_CALL cnc_rdcurrent(uint16_t h, int16_t* out);
OZ_API int16_t OZ_CALL cnc_rdsrvspeed(uint16_t h, int32_t* out);
OZ_API int16_t OZ_CALL cnc_rdposerrs(uint16_t h, int32_t* out);
OZ_API int16_t OZ_CALL cnc_rdposerrs2(uint16_t h, int32_t out[2]);
OZ_API int16_t OZ_CALL cnc_rdposerrz(uint16_t h, int32_t* out);
OZ_API int16_t OZ_CALL cnc_rdsynerrsy(uint16_t h, int32_t* out);
OZ_API int16_t OZ_CALL cnc_rdsynerrrg(uint16_t h, int32_t* out);
OZ_API int16_t OZ_CALL cnc_rdopmode(uint16_t h, int16_t* out);
OZ_API int16_t OZ_CALL cnc_rdspdlalm(uint16_t h, uint8_t* out);
OZ_API int16_t OZ_CALL cnc_rdctrldi(uint16_t h, uint32_t* out);
OZ_API int16_t OZ_CALL cnc_rdctrldo(uint16_t h, uint32_t* out);
OZ_API int16_t OZ_CALL cnc_rdnspdl(uint16_t h, int16_t* count);
/* Identification texts: 129 bytes each. */
OZ_API int16_t OZ_CALL cnc_rdservoid(uint16_t h, int16_t first, int16_t second, char out[129]);
OZ_API int16_t OZ_CALL cnc_rdspindleid(uint16_t h, int16_t first, int16_t second, char out[129]);
OZ_API int16_t OZ_CALL cnc_rdfromservoid(uint16_t h, int16_t selector, char out[129]);
OZ_API int16_t OZ_CALL cnc_rdfromspindleid(uint16_t h, int16_t selector, char out[129]);
OZ_API int16_t OZ_CALL cnc_rdservoid2(uint16_t h, int16_t first, int16_t second, char out[129]);
OZ_API int16_t OZ_CALL cnc_rdspindleid2(uint16_t h, int16_t first, int16_t second, char out[129]);
OZ_API int16_t OZ_CALL cnc_rdfromservoid2(uint16_t h, int16_t selector, char out[129]);
OZ_API int16_t OZ_CALL cnc_rdfromspindleid2(uint16_t h, int16_t selector, char out[129]);

/* ---- Graphics and drawing data --------------------------------------------------*/

OZ_API int16_t OZ_CALL cnc_startdrawpos(uint16_t h);
OZ_API int16_t OZ_CALL cnc_stopdrawpos(uint16_t h);
OZ_API int16_t OZ_CALL cnc_startdyngrph(uint16_t h);
OZ_API int16_t OZ_CALL cnc_stopdyngrph(uint16_t h);
/* Asks for *count bytes (even, at most 256) of graphic command data; *count
 * is the byte size of buf on entry and the bytes delivered on return. */
OZ_API int16_t OZ_CALL cnc_rdgrphcmd(uint16_t h, uint16_t* count, void* buf);
OZ_API int16_t OZ_CALL cnc_wrgrphcmdptr(uint16_t h, int16_t pointer);
OZ_API int16_t OZ_CALL cnc_rdgrphcanflg(uint16_t h, uint16_t* flag);
OZ_API int16_t OZ_CALL cnc_clrgrphcmd(uint16_t h);

/* ==== END machine-1 ==== */

/* ==== BEGIN machine-2: memory backup sessions, C-executor files, protection, position sampling, raw memory, network boards ==== */

/* ---- Memory backup and restore ----------------------------------------------------
 * Flash files and SRAM images move as transfer sessions (see Transfer
 * sessions): a start call opens one, the data calls move bytes and return
 * EW_BUFFER when nothing could be moved yet, an end call closes it. The save
 * and load data calls answer the end of the data with EW_SUCCESS and a length
 * of 0 (and *more 0 for saves). Flash kinds and numbers are the controller's. */

/* Files cnc_rdfrominfo reports at most (more than any reply can list). */
#define OZ_FROMINFO_FILES 256

typedef struct frominfo_file_t {
  char name[12];        /* 0: at most 11 characters, terminated */
  uint32_t size;        /* 12 */
} frominfo_file_t;
/* cnc_rdfrominfo */
typedef struct frominfo_t {
  char device[12];      /* 0: at most 11 characters, terminated */
  int32_t count;        /* 12: entries of file[] written */
  frominfo_file_t file[OZ_FROMINFO_FILES]; /* 16 */
} frominfo_t;

/* Save (upload) a flash file: start text "kind:name;number". */
OZ_API int16_t OZ_CALL cnc_fromsvstart(uint16_t h, int16_t kind, const char* name, int32_t number);
OZ_API int16_t OZ_CALL cnc_fromgetstart(uint16_t h, int16_t kind, const char* name);
/* As cnc_fromgetstart, in the session's second form. */
OZ_API int16_t OZ_CALL cnc_fromgetstart2(uint16_t h, int16_t kind, const char* name);
/* Load (download) a flash file: start text "kind:;number". */
OZ_API int16_t OZ_CALL cnc_fromldstart(uint16_t h, int16_t kind, int32_t number);
OZ_API int16_t OZ_CALL cnc_fromputstart(uint16_t h, int16_t kind);
OZ_API int16_t OZ_CALL cnc_fromputstart2(uint16_t h, int16_t kind);
/* SRAM image save (upload): start text ":name;number:1". */
OZ_API int16_t OZ_CALL cnc_srambkstart(uint16_t h, const char* name, int32_t number);
OZ_API int16_t OZ_CALL cnc_sramgetstart(uint16_t h, const char* name);
OZ_API int16_t OZ_CALL cnc_sramgetstart2(uint16_t h, const char* name);
/* SRAM image restore (download). */
OZ_API int16_t OZ_CALL cnc_sramputstart(uint16_t h, const char* name);
OZ_API int16_t OZ_CALL cnc_sramputstart2(uint16_t h, const char* name);
/* Upload data of a flash or SRAM save: *more 1 while data may follow. */
OZ_API int16_t OZ_CALL cnc_fromsave(uint16_t h, int16_t* more, void* buf, int32_t* length);
OZ_API int16_t OZ_CALL cnc_fromget(uint16_t h, int16_t* more, void* buf, int32_t* length);
/* Download data of a flash load or SRAM restore. */
OZ_API int16_t OZ_CALL cnc_fromload(uint16_t h, const void* buf, int32_t* length);
OZ_API int16_t OZ_CALL cnc_fromput(uint16_t h, const void* buf, int32_t* length);
/* unused is neither read nor written. */
OZ_API int16_t OZ_CALL cnc_sramrestore(uint16_t h, int16_t* unused, const void* buf, int32_t* length);
OZ_API int16_t OZ_CALL cnc_sramput(uint16_t h, int16_t* unused, const void* buf, int32_t* length);
OZ_API int16_t OZ_CALL cnc_fromsvend(uint16_t h);
OZ_API int16_t OZ_CALL cnc_sramputend(uint16_t h);
OZ_API int16_t OZ_CALL cnc_sramrestoreend(uint16_t h);

OZ_API int16_t OZ_CALL cnc_rdfrominfo(uint16_t h, int16_t kind, frominfo_t* info);
/* Deletes a flash file; the name is cut to 15 characters. */
OZ_API int16_t OZ_CALL cnc_fromdelete(uint16_t h, int16_t kind, const char* name, int32_t number);
OZ_API int16_t OZ_CALL cnc_fromremove(uint16_t h, int16_t kind, const char* name);
/* Reply data copied up to *length bytes; *length gets the count copied. */
OZ_API int16_t OZ_CALL cnc_rdsraminfo(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_getsraminfo(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_rdsramnum(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL cnc_rdsramaddr(uint16_t h, int16_t* length, void* buf);
/* One page of the flash file list: RB arguments kind, first entry, entries. */
OZ_API int16_t OZ_CALL cnc_getfrominfo(uint16_t h, int32_t kind, int32_t first, int32_t count,
                                       int16_t* length, void* buf);
/* Automatic backup times: the request carries a zeroed 32-byte record. */
OZ_API int16_t OZ_CALL cnc_atbk_rdtime(uint16_t h, int16_t* length, void* buf);

/* ---- C-executor files and SRAM -------------------------------------------------------
 * The file calls are a transfer session (see Transfer sessions). */

/* cnc_cexedirectory */
typedef struct cexedir_t {
  char name[12];        /* 0: as received, no terminator added */
  uint32_t size;        /* 12 */
  uint32_t attr;        /* 16 */
  uint16_t stamp[6];    /* 20: year, month, day, hour, minute, second */
} cexedir_t;

/* direction 0 reads the file, any other writes it; a positive option writes
 * in the second form (OZ_XFER_CEXE_WRITE). */
OZ_API int16_t OZ_CALL cnc_opencexefile(uint16_t h, const char* name, int16_t direction,
                                        int16_t option);
OZ_API int16_t OZ_CALL cnc_rdcexefile(uint16_t h, void* buf, int32_t* length);
OZ_API int16_t OZ_CALL cnc_wrcexefile(uint16_t h, const void* buf, int32_t* length);
/* EW_UNAVAILABLE when no file is open. */
OZ_API int16_t OZ_CALL cnc_closecexefile(uint16_t h);
/* *count entries from entry first of the directory dir (at most 255
 * characters); *count gets the number written. */
OZ_API int16_t OZ_CALL cnc_cexedirectory(uint16_t h, const char* dir, int16_t* count, int16_t first,
                                         cexedir_t* entries);
/* *length bytes from offset; *length gets the count moved (less at the area's end). */
OZ_API int16_t OZ_CALL cnc_rdcexesram(uint16_t h, int32_t offset, void* buf, int32_t* length);
OZ_API int16_t OZ_CALL cnc_wrcexesram(uint16_t h, int32_t offset, const void* buf, int32_t* length);
OZ_API int16_t OZ_CALL cnc_cexesramsize(uint16_t h, int32_t* size);
OZ_API int16_t OZ_CALL cnc_cexesraminfo(uint16_t h, int16_t* v1, int32_t* v2, int32_t* v3);

/* ---- Data protection and operation level ------------------------------------------
 * Passwords and texts are 12 bytes, sent as they are (no terminator added). */

OZ_API int16_t OZ_CALL cnc_rdope_lvl(uint16_t h, int16_t* level);
OZ_API int16_t OZ_CALL cnc_prot_pswinp(uint16_t h, const char* password);
OZ_API int16_t OZ_CALL cnc_prot_pswcan(uint16_t h);
OZ_API int16_t OZ_CALL cnc_prot_pswchg(uint16_t h, int16_t kind, const char* psw1, const char* psw2,
                                       const char* psw3);
OZ_API int16_t OZ_CALL cnc_prot_pswinit(uint16_t h, int16_t kind);
OZ_API int16_t OZ_CALL cnc_rdprt_lvl(uint16_t h, int16_t kind, int16_t* level1, int16_t* level2);
OZ_API int16_t OZ_CALL cnc_wrprt_lvl(uint16_t h, int16_t kind, int16_t level1, int16_t level2);
OZ_API int16_t OZ_CALL cnc_rdprt_data(uint16_t h, int16_t kind, int16_t* value);
/* Both connections' lock status, or-ed; status[0] is the least significant
 * byte. EW_INUSE while a transfer session holds the connection. */
OZ_API int16_t OZ_CALL cnc_getlockstat(uint16_t h, int16_t kind, uint8_t status[4]);
/* Changes the protection bits that mask[0..3] (least significant byte first)
 * selects to value; mask gets both connections' status, or-ed. */
OZ_API int16_t OZ_CALL cnc_chgprotbit(uint16_t h, int16_t kind, uint8_t mask[4], int32_t value);

/* ---- Position sampling, torque monitor, repeat values ---------------------------------*/

/* cnc_rdpossmpl: one sample, the words as the controller sends them. */
typedef struct possmpl_t {
  uint16_t w0;          /* 0 */
  uint16_t w1;          /* 2 */
  uint16_t data[6];     /* 4 */
} possmpl_t;

/* cnc_twp_rdfcoord */
typedef struct twpcoord_t {
  int32_t value[3];     /* 0 */
  int16_t a[3];         /* 12 */
  int16_t b[3];         /* 18 */
  int16_t c[3];         /* 24 */
  int16_t pad;          /* 30: not written */
} twpcoord_t;

OZ_API int16_t OZ_CALL cnc_stpossmpl(uint16_t h, int16_t selector, const uint8_t setting[6]);
/* *count samples wanted in, stored out. */
OZ_API int16_t OZ_CALL cnc_rdpossmpl(uint16_t h, int32_t* count, possmpl_t* samples);
OZ_API int16_t OZ_CALL cnc_endpossmpl(uint16_t h);
/* At most *length bytes; *length gets the count copied. */
OZ_API int16_t OZ_CALL cnc_rdtrqmonitor(uint16_t h, int32_t kind, void* buf, int32_t* length);
OZ_API int16_t OZ_CALL cnc_twp_rdfcoord(uint16_t h, uint8_t selector, twpcoord_t* out);
OZ_API int16_t OZ_CALL cnc_rdrepeatval(uint16_t h, int32_t* value);

/* ---- Controller and bus memory ------------------------------------------------------
 * type 0 bytes, 1 16-bit words, 2 32-bit words; count elements in host order;
 * address in bytes. A negative bus selects the controller's own memory. */

OZ_API int16_t OZ_CALL cnc_rdcncmem(uint16_t h, int16_t type, uint32_t address, int32_t count,
                                    void* buf);
OZ_API int16_t OZ_CALL cnc_wrcncmem(uint16_t h, int16_t type, uint32_t address, int32_t count,
                                    const void* buf);
OZ_API int16_t OZ_CALL cnc_rdfbusmem(uint16_t h, int16_t type, int16_t bus, uint32_t address,
                                     int32_t count, void* buf);
OZ_API int16_t OZ_CALL cnc_wrfbusmem(uint16_t h, int16_t type, int16_t bus, uint32_t address,
                                     int32_t count, const void* buf);
/* RB arguments offset and size; reply copied up to *length bytes. */
OZ_API int16_t OZ_CALL cnc_rdedmcram(uint16_t h, int32_t offset, int32_t size, int16_t* length,
                                     void* buf);
OZ_API int16_t OZ_CALL cnc_wredmcram(uint16_t h, int32_t offset, int16_t length, const void* buf);

/* ---- Plant network and field-bus boards ------------------------------------------------
 * Unless a layout is given, reads copy the reply up to *length bytes and set
 * *length to the count copied; writes send length bytes as they are (sizes
 * noted are the board's); the named numbers are RB arguments. */

/* flnt_rdparam, flnt_rdparam2: the board's parameter record, field for field. */
typedef struct flntprm_t {
  char c0[16];          /* 0 */
  char c16[40];         /* 16 */
  char c56[12];         /* 56 */
  uint16_t w68, w70, w72, w74;
  uint8_t b76, b77;
  uint8_t x78[2];
  uint8_t b80, b81;
  uint16_t w82;
  uint8_t b84, b85;
  uint16_t w86;
  uint8_t b88, b89;
  uint16_t w90, w92, w94;
  uint8_t b96, b97;
  uint16_t w98, w100, w102;
  uint8_t b104, b105;
  uint16_t w106, w108;
  uint8_t x110[2];
  uint8_t b112, b113;
  uint16_t w114;
  uint8_t b116, b117;
  uint16_t w118;
  uint8_t b120, b121;
  uint16_t w122, w124, w126;
  uint8_t b128, b129;
  uint16_t w130, w132;
  uint8_t x134[2];
  uint8_t b136, b137;
  uint16_t w138, w140;
  uint8_t x142[2];
  uint16_t w144, w146;
} flntprm_t;

/* pmc_prfrdslvprm, pmc_prfwrslvprm: the board's layout version (the first two
 * words pmc_prfrdinfo reads) picks the form: (0, below 8) short, else long. */
typedef struct prfslvprm_short_t {
  uint16_t w0[4];       /* 0 */
  uint8_t b8[12];       /* 8 */
  uint16_t w20[7];      /* 20 */
  uint8_t b34[32];      /* 34 */
  uint16_t w66;         /* 66 */
  uint8_t b68[126];     /* 68 */
  uint16_t w194;        /* 194 */
  uint8_t b196[30];     /* 196 */
  uint8_t b226[8];      /* 226 */
} prfslvprm_short_t;
typedef struct prfslvprm_long_t {
  uint16_t w0[4];       /* 0 */
  uint8_t b8[12];       /* 8 */
  uint16_t w20[7];      /* 20 */
  uint8_t b34[206];     /* 34 */
  uint16_t w240;        /* 240 */
  uint8_t b242[126];    /* 242 */
  uint16_t w368;        /* 368 */
  uint8_t b370[30];     /* 370 */
  uint8_t b400[8];      /* 400 */
} prfslvprm_long_t;
typedef union prfslvprm_t {
  prfslvprm_short_t s;
  prfslvprm_long_t l;
} prfslvprm_t;

OZ_API int16_t OZ_CALL flnt_rdparam(uint16_t h, flntprm_t* out);
OZ_API int16_t OZ_CALL flnt_rdparam2(uint16_t h, int16_t number, flntprm_t* out);
/* 164 bytes. */
OZ_API int16_t OZ_CALL flnt_wrparam(uint16_t h, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL flnt_rdentry(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL flnt_rdnodeinfo(uint16_t h, int32_t node, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL flnt_rdnodeinfo2(uint16_t h, int32_t number, int32_t node, int16_t* length,
                                        void* buf);
OZ_API int16_t OZ_CALL flnt_rdnetwork(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL flnt_rdnetwork2(uint16_t h, int32_t number, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL flnt_clrnetwork(uint16_t h);
OZ_API int16_t OZ_CALL flnt_rdlog(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL flnt_rdlog2(uint16_t h, int32_t number, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL flnt_clrlog(uint16_t h);
/* The message selection the record would carry goes as RB arguments 1 and 2. */
OZ_API int16_t OZ_CALL flnt_rdmsg(uint16_t h, int32_t arg1, int32_t arg2, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL flnt_clrmsg(uint16_t h);
/* The board's shared memory: *length bytes of area from offset; *length gets
 * the count moved (less when the board answers short). */
OZ_API int16_t OZ_CALL cnc_rdflnetsram(uint16_t h, int16_t area, int32_t offset, int32_t* length,
                                       void* buf);
OZ_API int16_t OZ_CALL cnc_wrflnetsram(uint16_t h, int16_t area, int32_t offset, int32_t* length,
                                       const void* buf);

/* The first 2 bytes of buf go as request data (the record's selecting word);
 * *length must be at least 2. */
OZ_API int16_t OZ_CALL pbm_rd_param(uint16_t h, int16_t kind, int16_t* length, void* buf);
/* 28 bytes and the record's variable part. */
OZ_API int16_t OZ_CALL pbm_wr_param(uint16_t h, int32_t kind, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL pbm_chg_mode(uint16_t h, int16_t mode);

OZ_API int16_t OZ_CALL pmc_prfrdinfo(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL pmc_prfrdconfig(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL pmc_prfrdbusprm(uint16_t h, int16_t* length, void* buf);
/* 232 bytes. */
OZ_API int16_t OZ_CALL pmc_prfwrbusprm(uint16_t h, int16_t length, const void* buf);
/* EW_UNDECODABLE for a board layout version the library cannot decode. */
OZ_API int16_t OZ_CALL pmc_prfrdslvprm(uint16_t h, int16_t slave, prfslvprm_t* out);
OZ_API int16_t OZ_CALL pmc_prfwrslvprm(uint16_t h, int16_t slave, const prfslvprm_t* in);
OZ_API int16_t OZ_CALL pmc_prfrdallcadr(uint16_t h, int32_t slave, int16_t* length, void* buf);
/* 22 bytes. */
OZ_API int16_t OZ_CALL pmc_prfwrallcadr(uint16_t h, int32_t slave, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL pmc_prfrdslvaddr(uint16_t h, int16_t* length, void* buf);
/* 22 bytes. */
OZ_API int16_t OZ_CALL pmc_prfwrslvaddr(uint16_t h, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL pmc_prfrdslvstat(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL pmc_prfrdslvid(uint16_t h, int32_t slave, int16_t* length, void* buf);
/* 12 bytes. */
OZ_API int16_t OZ_CALL pmc_prfwrslvid(uint16_t h, int32_t slave, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL pmc_prfrdslvprm2(uint16_t h, int32_t slave, int16_t* length, void* buf);
/* 272 bytes. */
OZ_API int16_t OZ_CALL pmc_prfwrslvprm2(uint16_t h, int32_t slave, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL pmc_prfrddido(uint16_t h, int32_t slave, int16_t* length, void* buf);
/* 148 bytes. */
OZ_API int16_t OZ_CALL pmc_prfwrdido(uint16_t h, int32_t slave, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL pmc_prfrdindiadr(uint16_t h, int16_t* length, void* buf);
/* 6 bytes. */
OZ_API int16_t OZ_CALL pmc_prfwrindiadr(uint16_t h, int16_t length, const void* buf);
OZ_API int16_t OZ_CALL pmc_prfrdopmode(uint16_t h, int16_t* length, void* buf);
OZ_API int16_t OZ_CALL pmc_prfwropmode(uint16_t h, int16_t mode);


/* ==== END machine-2 ==== */

#ifdef __cplusplus
}
#endif

#endif /* OZLIB_H */
