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
 * - Buffers and counts: the library never writes past the length or count the
 *   caller passes; counts passed by pointer are read on entry and hold the
 *   number delivered on return.
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

/* ---- Status, positions and dynamic data -------------------------------------*/

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

/* Actual feed rate. */
OZ_API int16_t OZ_CALL cnc_actf(uint16_t h, actf_t* a);
/* Manual overlap amounts: two values per axis; axis must be -1. length is the
 * byte size of *out (at least 4 + 8 * the maximum number of axes). */
OZ_API int16_t OZ_CALL cnc_rdmovrlap(uint16_t h, int16_t axis, int16_t length,
                                     axis_values_t* out);

/* ---- Manual data input --------------------------------------------------------*/

/* Sends a line of manual data input (at most 126 characters). */
OZ_API int16_t OZ_CALL cnc_wrjogmdi(uint16_t h, const char* text);

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

#ifdef __cplusplus
}
#endif

#endif /* OZLIB_H */
