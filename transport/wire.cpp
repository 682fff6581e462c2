#include "transport/wire.h"

#include <iomanip>

#include "base/log.h"
#include "platform/platform.h"
#include "transport/socket.h"

namespace oz {

uint8_t* buildRB(uint8_t* rb, uint16_t cls, uint16_t path, uint16_t cmd, uint32_t a1,
                 uint32_t a2, uint32_t a3, uint32_t a4, uint16_t a5, uint16_t datalen) {
  std::memset(rb, 0, kRbRequestHeader);
  be::put16(rb + 0, uint16_t(datalen + kRbRequestHeader));
  be::put16(rb + 2, cls);
  be::put16(rb + 4, path);
  be::put16(rb + 6, cmd);
  be::put32(rb + 8, a1);
  be::put32(rb + 12, a2);
  be::put32(rb + 16, a3);
  be::put32(rb + 20, a4);
  be::put16(rb + 24, a5);
  be::put16(rb + 26, datalen);
  return rb;
}

uint16_t addRBData(uint8_t* rb, uint16_t n) {
  be::put16(rb, uint16_t(be::get16(rb) + n));
  uint16_t len = uint16_t(be::get16(rb + 26) + n);
  be::put16(rb + 26, len);
  return len;
}

// Every byte that is sent is written explicitly by the builders; only the
// header and the start of the body (RB count, behind the longest prefix any
// request uses) must start at zero. Clearing all 4960 bytes was a tenth of a
// request's own work.
void initPDU(PDU& pdu) { std::memset(pdu.b, 0, kPduHeader + kPduClearedBody); }

int addRB(PDU& pdu, const uint8_t* rb, int prefix) {
  uint8_t* count_at = pdu.body() + prefix;
  uint16_t count = be::get16(count_at);
  uint16_t size = pdu.dataSize();
  if (count == 0) size = uint16_t(size + prefix + 2);
  uint16_t rb_size = be::get16(rb);
  // The RB may already stand where it belongs (built in place): memmove.
  std::memmove(pdu.body() + size, rb, rb_size);
  be::put16(count_at, uint16_t(count + 1));
  pdu.setDataSize(uint16_t(size + rb_size));
  return pdu.dataSize() + kPduHeader;
}

const uint8_t* findRB(const PDU& pdu, int n, int prefix) {
  const uint16_t size = pdu.dataSize();
  if (size < prefix + 2 || n < 0 || n >= be::get16(pdu.body() + prefix)) raise_error(EW_FRAMING, framing_detail::kNoSuchRb);
  int off = prefix + 2;
  for (int i = 0;; ++i) {
    // Bounded by the received body even for PDU types whose RB list the
    // framing check did not walk.
    if (off + kRbReplyHeader > size) raise_error(EW_FRAMING, framing_detail::kBadSize, 4);
    const uint8_t* rb = pdu.body() + off;
    uint16_t rb_size = be::get16(rb);
    if (rb_size < kRbReplyHeader || off + rb_size > size) raise_error(EW_FRAMING, framing_detail::kBadSize, 4);
    if (i == n) return rb;
    off += rb_size;
  }
}

const uint8_t* getReplyRB(const PDU& pdu, int n, int prefix) {
  const uint8_t* rb = findRB(pdu, n, prefix);
  int16_t result = int16_t(be::get16(rb + 8));
  if (result != 0)
    raise_error(result, be::get16(rb + 10), be::get16(rb + 12), be::get16(rb + 2));
  return rb;
}

int16_t getRBResult(const PDU& pdu, int n, int prefix) {
  return int16_t(be::get16(findRB(pdu, n, prefix) + 8));
}
uint16_t getRBDetail(const PDU& pdu, int n, int prefix) {
  return be::get16(findRB(pdu, n, prefix) + 10);
}
uint16_t getRBInfo(const PDU& pdu, int n, int prefix) {
  return be::get16(findRB(pdu, n, prefix) + 12);
}
void clearRBResult(PDU& pdu, int n, int prefix) {
  uint8_t* rb = const_cast<uint8_t*>(findRB(pdu, n, prefix));
  be::put16(rb + 8, 0);
}

namespace {

bool expired(int32_t timeout, uint32_t since) {
  return timeout > 0 && (plat::tick_ms() - since) / 1000u > uint32_t(timeout);
}

void logRecvError(const char* what, const Socket& s, int32_t timeout, uint8_t expected,
                  const auto& rest) {
  logStream l;
  l << what << s.number() << ", " << timeout << ", " << unsigned(expected) << ")";
  rest(l);
}

// Reads exactly n bytes, waiting in slices of at most a second; progress
// restarts the inactivity clock. Returns false when the limit runs out.
bool readExact(Socket& s, uint8_t* p, int n, int32_t timeout, uint32_t idle_sleep) {
  uint32_t last = plat::tick_ms();
  while (n > 0) {
    if (s.select(0, 1)) {
      int r = s.receive(p, n);
      if (r > 0) {
        p += r;
        n -= r;
        last = plat::tick_ms();
        continue;
      }
    }
    if (expired(timeout, last)) return false;
    plat::sleep_ms(idle_sleep);
  }
  return true;
}

}  // namespace

void sendPDU(PDU& pdu, Socket& s, int32_t timeout, uint8_t type, uint8_t direction) {
  be::put32(pdu.b, kPduMark);
  be::put16(pdu.b + 4, 1);
  pdu.b[6] = type;
  pdu.b[7] = direction;
  int remaining = pdu.dataSize() + kPduHeader;
  const uint8_t* p = pdu.b;
  uint32_t last = plat::tick_ms();
  // The send is tried before any readiness wait: a socket with room takes the
  // PDU at once, and the wait is only paid when the send would block.
  bool try_first = true;
  while (remaining > 0) {
    if (try_first || s.select(1, 1)) {
      int r = s.send(p, remaining);
      if (r > 0) {
        p += r;
        remaining -= r;
        last = plat::tick_ms();
        continue;
      }
    }
    try_first = false;
    if (expired(timeout, last)) {
      OZ_LOG(1) << "Timeout: send(PDU)(" << s.number() << ", " << timeout << ", "
                << unsigned(type) << ", " << unsigned(direction) << ")";
      raise_error(EW_CIRCUIT, circuit_detail::kSendTimeout, 1);
    }
    plat::sleep_ms(0);
  }
}

void receivePDU(PDU& pdu, Socket& s, int32_t timeout, uint8_t expected) {
  auto header_err = [&](auto rest) {
    logRecvError("Error: recv(PDU header)(", s, timeout, expected, rest);
  };
  auto body_err = [&](auto rest) {
    logRecvError("Error: recv(PDU body)(", s, timeout, expected, rest);
  };
  for (;;) {
    if (!readExact(s, pdu.b, kPduHeader, timeout, 1)) {
      OZ_LOG(1) << "Timeout: recv(PDU header)(" << s.number() << ", " << timeout << ", "
                << unsigned(expected) << ")";
      raise_error(EW_CIRCUIT, circuit_detail::kReceiveTimeout, 1);
    }
    const uint32_t mark = be::get32(pdu.b);
    if (mark != kPduMark) {
      if (log_on(1))
        header_err([&](std::ostream& l) {
          l << ": PDU mark(0x" << std::hex << std::uppercase << std::setw(8) << std::setfill('0')
            << mark << ") incorrect.";
        });
      s.discardPending();
      raise_error(EW_FRAMING, framing_detail::kBadMark);
    }
    const uint16_t size = pdu.dataSize();
    const int mtu = mtuForVersion(pdu.version());
    auto check_mtu = [&] {
      if (size > mtu) {
        if (log_on(1))
          header_err([&](std::ostream& l) {
            l << ": PDU data size(" << size << ") is larger than MTU" << "(" << mtu << ").";
          });
        s.discardPending();
        raise_error(EW_FRAMING, framing_detail::kBadSize, 1);
      }
    };
    if (expected != 0 && pdu.type() != expected) {
      if (log_on(1))
        header_err([&](std::ostream& l) {
          l << ": PDU type mismatch: " << "Req " << unsigned(expected) << ": Rsp "
            << unsigned(pdu.type());
        });
      check_mtu();
      if (!readExact(s, pdu.body(), size, timeout, 0)) {
        OZ_LOG(1) << "Timeout-1: recv(PDU body)(" << s.number() << ", " << timeout << ", "
                  << unsigned(expected) << ")";
        raise_error(EW_CIRCUIT, circuit_detail::kReceiveTimeout, 2);
      }
      continue;
    }
    const uint8_t dir = pdu.direction();
    if (dir == 0 || dir > 4) {
      if (log_on(1))
        header_err([&](std::ostream& l) { l << ": PDU direction(" << char(dir) << ") incorrect"; });
      s.discardPending();
      raise_error(EW_FRAMING, framing_detail::kBadDirection);
    }
    check_mtu();
    if (!readExact(s, pdu.body(), size, timeout, 0)) {
      OZ_LOG(1) << "Timeout-2: recv(PDU body)(" << s.number() << ", " << timeout << ", "
                << unsigned(expected) << ")";
      raise_error(EW_CIRCUIT, circuit_detail::kReceiveTimeout, 2);
    }
    const uint8_t type = pdu.type();
    if (dir == kDirResponse && type == kInitiate) {
      // The record count word itself must lie inside the body.
      const bool old = pdu.version() <= 2;
      const int count_at = old ? 18 : 20;
      const int want = size + kPduHeader >= count_at + 2
                           ? (old ? 16 + 8 * pdu.word(18) : 40 + 32 * pdu.word(20))
                           : -1;
      if (want != size) {
        if (log_on(1))
          body_err([&](std::ostream& l) {
            l << ": PDU size(" << size << ") mismatch at initiate time";
          });
        raise_error(EW_FRAMING, framing_detail::kBadSize, 2);
      }
    }
    if (dir == kDirResponse && type == kRequest) {
      if (size < 2) {
        if (log_on(1))
          body_err([&](std::ostream& l) { l << ": PDU data size(" << size << ") is less than 2"; });
        raise_error(EW_FRAMING, framing_detail::kBadSize, 3);
      }
      const uint16_t count = be::get16(pdu.body());
      if (count == 0) {
        if (log_on(1))
          body_err([&](std::ostream& l) { l << ": RB count(" << count << ") incorrect"; });
        raise_error(EW_FRAMING, framing_detail::kNoSuchRb);
      }
      uint32_t sum = 2;
      for (uint16_t i = 0; i < count; ++i) {
        // A size field that lies past the body counts as running past it.
        if (sum + 2 > size) {
          sum = size + 1u;
          break;
        }
        sum += be::get16(pdu.body() + sum);
        if (sum > size) break;
      }
      if (sum > size) {
        if (log_on(1))
          body_err([&](std::ostream& l) {
            l << ": sum of RB size(" << sum << ") is larger than total(" << size << ")";
          });
        raise_error(EW_FRAMING, framing_detail::kBadSize, 4);
      }
      if (sum < size) {
        if (log_on(1))
          body_err([&](std::ostream& l) {
            l << ": sum of RB size(" << sum << ") is smaller than total(" << size << ")";
          });
        raise_error(EW_FRAMING, framing_detail::kBadSize, 5);
      }
    }
    if (dir == kDirError) {
      // Words the body does not hold read as 0 rather than past the body.
      auto w = [&](int off) -> uint16_t { return off + 2 <= size ? be::get16(pdu.body() + off) : 0; };
      const uint16_t loc = w(0), code = w(2), detail = w(4), sub = w(6);
      if (log_on(1))
        body_err([&](std::ostream& l) {
          l << ": type " << unsigned(type) << ": dir " << unsigned(dir) << ": loc " << loc
            << ": code " << int16_t(code) << " " << detail << " " << sub;
        });
      if (type == kInitiate || type == kClose) raise_error(EW_FRAMING, framing_detail::kErrorResponse, code);
      raise_error(int16_t(code), detail, sub);
    }
    return;
  }
}

}  // namespace oz
