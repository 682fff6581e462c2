// Single-request exports described by a row each: a name, a shape, a class,
// up to three commands and the RB arguments the caller passes. One template
// body serves every row; a family file lists its rows once and emits both the
// extern "C" symbols and the table the tests and the simulator walk.
//
//   #define ROWS(X) X(cnc_rd3dpulse, Read, 1, (275), a1) X(cnc_clr3dplsmov, Action, 1, (276))
//   ROWS(OZ_LISTED_DEFINE)
//   OZ_LISTED_TABLE(state_3d, ROWS)
//
// Shapes and their C signatures (a1..a4: signed 32-bit RB arguments 1..4, as
// many as the row names):
//   Read   : short f(h, a1.., int16_t* length, void* buf)  reply data of every
//            RB, one after another, copied up to *length bytes; *length gets
//            the number of bytes copied.
//   Write  : short f(h, a1.., int16_t length, const void* buf)  the bytes go
//            as the data of the last RB, the writing command; commands before
//            it go without data.
//   Action : short f(h, a1..)  the RBs alone.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "core/frame.h"

namespace oz {

enum class Listed : uint8_t { Read, Write, Action };

struct ListedRow {
  const char* name;
  Listed shape;
  uint16_t cls;
  uint16_t cmds[3];
  uint8_t ncmds;
  uint8_t nargs;
  // Calls the export with its arguments from an array (tests, ozcli raw).
  int16_t (*invoke)(uint16_t h, const int32_t* a, int16_t* length, void* buf);
};

int16_t listed_call(uint16_t h, const ListedRow& row, const int32_t* a, int16_t* length,
                    void* buf);

// Every row of every family, in registration order.
std::vector<const ListedRow*>& listed_rows();
struct ListedRegistrar {
  ListedRegistrar(const ListedRow* rows, size_t n) {
    for (size_t i = 0; i < n; ++i) listed_rows().push_back(rows + i);
  }
};

}  // namespace oz

// ---- macro plumbing ------------------------------------------------------------
#define OZ_L_CMDS_(...) {__VA_ARGS__}
#define OZ_L_NCMDS_(...) uint8_t(std::initializer_list<uint16_t>{__VA_ARGS__}.size())
#define OZ_L_NARGS_(...) OZ_L_NARGS_I_(dummy, ##__VA_ARGS__, 4, 3, 2, 1, 0)
#define OZ_L_NARGS_I_(d, a, b, c, e, n, ...) n
#define OZ_L_P0_()
#define OZ_L_P1_(a) , int32_t a
#define OZ_L_P2_(a, b) , int32_t a, int32_t b
#define OZ_L_P3_(a, b, c) , int32_t a, int32_t b, int32_t c
#define OZ_L_P4_(a, b, c, d) , int32_t a, int32_t b, int32_t c, int32_t d
#define OZ_L_CAT_(a, b) OZ_L_CAT_I_(a, b)
#define OZ_L_CAT_I_(a, b) a##b
#define OZ_L_PARAMS_(...) OZ_L_CAT_(OZ_L_P, OZ_L_CAT_(OZ_L_NARGS_(__VA_ARGS__), _))(__VA_ARGS__)
#define OZ_L_A0_()
#define OZ_L_A1_(a) a
#define OZ_L_A2_(a, b) a, b
#define OZ_L_A3_(a, b, c) a, b, c
#define OZ_L_A4_(a, b, c, d) a, b, c, d
#define OZ_L_ARGV_(...) OZ_L_CAT_(OZ_L_A, OZ_L_CAT_(OZ_L_NARGS_(__VA_ARGS__), _))(__VA_ARGS__)
#define OZ_L_X0_(f)
#define OZ_L_X1_(f) f[0]
#define OZ_L_X2_(f) f[0], f[1]
#define OZ_L_X3_(f) f[0], f[1], f[2]
#define OZ_L_X4_(f) f[0], f[1], f[2], f[3]
#define OZ_L_COMMA_IF_(...) OZ_L_CAT_(OZ_L_CI, OZ_L_NARGS_(__VA_ARGS__))
#define OZ_L_CI0
#define OZ_L_CI1 ,
#define OZ_L_CI2 ,
#define OZ_L_CI3 ,
#define OZ_L_CI4 ,

#define OZ_L_TAIL_Read int16_t* length, void* buf
#define OZ_L_TAIL_Write int16_t length, const void* buf
#define OZ_L_TAIL_Action
#define OZ_L_SEP_Read ,
#define OZ_L_SEP_Write ,
#define OZ_L_SEP_Action
#define OZ_L_PASS_Read length, buf
#define OZ_L_PASS_Write &length, const_cast<void*>(buf)
#define OZ_L_PASS_Action nullptr, nullptr
#define OZ_L_INV_Read l, b
#define OZ_L_INV_Write *l, b
#define OZ_L_INV_Action

#define OZ_LISTED_ROWNAME_(name) oz_listed_row_##name

// Emits the export and its row.
#define OZ_LISTED_DEFINE(name, shape, cls, cmds, ...)                                        \
  extern const ::oz::ListedRow OZ_LISTED_ROWNAME_(name);                                     \
  OZ_EXPORT int16_t OZ_CALL name(uint16_t h OZ_L_PARAMS_(__VA_ARGS__)                        \
                                     OZ_L_SEP_##shape OZ_L_TAIL_##shape) {                   \
    const int32_t a[4] = {OZ_L_ARGV_(__VA_ARGS__)};                                          \
    return ::oz::listed_call(h, OZ_LISTED_ROWNAME_(name), a, OZ_L_PASS_##shape);             \
  }                                                                                          \
  const ::oz::ListedRow OZ_LISTED_ROWNAME_(name) = {                                         \
      #name, ::oz::Listed::shape, cls, OZ_L_CMDS_ cmds, OZ_L_NCMDS_ cmds,                    \
      OZ_L_NARGS_(__VA_ARGS__),                                                              \
      [](uint16_t h, [[maybe_unused]] const int32_t* f, [[maybe_unused]] int16_t* l, [[maybe_unused]] void* b) \
          -> int16_t {                                                                       \
        return name(h OZ_L_COMMA_IF_(__VA_ARGS__) OZ_L_CAT_(OZ_L_X, OZ_L_CAT_(OZ_L_NARGS_(__VA_ARGS__), _))(f) \
                    OZ_L_SEP_##shape OZ_L_INV_##shape);                                      \
      }};

#define OZ_LISTED_REF_(name, ...) OZ_LISTED_ROWNAME_(name),
// Registers a family's rows with the table.
#define OZ_LISTED_TABLE(family, ROWS)                                                        \
  static const ::oz::ListedRow oz_listed_##family[] = {ROWS(OZ_LISTED_REF_)};                \
  static const ::oz::ListedRegistrar oz_listed_reg_##family(                                 \
      oz_listed_##family, sizeof oz_listed_##family / sizeof oz_listed_##family[0]);
