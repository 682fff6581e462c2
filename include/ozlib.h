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
/* cnc_rdbaxis: one entry per record the controller sends, at most OZ_BAXIS_MAX. */
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
/* ==== END pmc ==== */

#ifdef __cplusplus
}
#endif

#endif /* OZLIB_H */
