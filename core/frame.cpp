#include "core/frame.h"

namespace oz {

RbData Call::add(const Rb& r) {
  uint16_t count = be::get16(pdu.body());
  uint16_t at = count == 0 ? 2 : pdu.dataSize();
  if (at + kRbRequestHeader + r.len > kPduBodyMax) raise_error(EW_SIZE);
  uint8_t* rb = pdu.body() + at;
  const uint16_t path = r.path >= 0 ? uint16_t(r.path)
                        : r.cls == kClassPmc ? uint16_t(h.pmc_unit) : uint16_t(h.path);
  buildRB(rb, r.cls, path, r.cmd, r.a[0], r.a[1], r.a[2], r.a[3], r.a5, r.len);
  if (r.len) std::memcpy(rb + kRbRequestHeader, r.data, r.len);
  addRB(pdu, rb);
  return RbData(*this, rb);
}

uint8_t* RbData::room(size_t n) {
  const uint16_t size = c_.pdu.dataSize();
  if (size + n > size_t(kPduBodyMax)) raise_error(EW_SIZE);
  uint8_t* p = c_.pdu.body() + size;
  addRBData(rb_, uint16_t(n));
  c_.pdu.setDataSize(uint16_t(size + n));
  return p;
}

RbData& RbData::u8(uint8_t v) { *room(1) = v; return *this; }
RbData& RbData::u16(uint16_t v) { be::put16(room(2), v); return *this; }
RbData& RbData::u32(uint32_t v) { be::put32(room(4), v); return *this; }
RbData& RbData::bytes(const void* p, size_t n) {
  if (n) std::memcpy(room(n), p, n);
  return *this;
}
RbData& RbData::zeros(size_t n) {
  if (n) std::memset(room(n), 0, n);
  return *this;
}

void log_call_error(const Handle& h, const char* fn, const ErrObj& e,
                    void (*print)(std::ostream&, const void*), const void* argv) noexcept {
  try {
    logStream l;
    l << "Error: " << h.sock2Number() << ": " << fn << "(" << h.number << ' ';
    print(l, argv);
    l << "): " << e;
  } catch (...) {
  }
}

}  // namespace oz
