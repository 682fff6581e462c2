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
/* ==== END programs ==== */

/* ==== BEGIN pmc: PMC data access and PMC alarm messages ==== */
/* ==== END pmc ==== */

#ifdef __cplusplus
}
#endif

#endif /* OZLIB_H */
