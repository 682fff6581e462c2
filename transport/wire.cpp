#include "transport/wire.h"

#include <iomanip>

#include "base/deadline.h"
#include "base/log.h"
#include "platform/platform.h"
#include "transport/socket.h"

namespace oz {

namespace {
// Request RB header fields by offset.
constexpr int kRqSize = 0, kRqClass = 2, kRqPath = 4, kRqCommand = 6, kRqArg1 = 8, kRqArg5 = 24,
              kRqDataLength = 26;
}  // namespace

uint8_t* buildRB(uint8_t* rb, uint16_t cls, uint16_t path, uint16_t cmd, uint32_t a1,
                 uint32_t a2, uint32_t a3, uint32_t a4, uint16_t a5, uint16_t datalen) {
  std::memset(rb, 0, kRbRequestHeader);
  be::put16(rb + kRqSize, uint16_t(datalen + kRbRequestHeader));
  be::put16(rb + kRqClass, cls);
  be::put16(rb + kRqPath, path);
  be::put16(rb + kRqCommand, cmd);
  const uint32_t a[4] = {a1, a2, a3, a4};
  for (int i = 0; i < 4; ++i) be::put32(rb + kRqArg1 + 4 * i, a[i]);
  be::put16(rb + kRqArg5, a5);
  be::put16(rb + kRqDataLength, datalen);
  return rb;
}

uint16_t addRBData(uint8_t* rb, uint16_t n) {
  be::put16(rb + kRqSize, uint16_t(be::get16(rb + kRqSize) + n));
  const uint16_t len = uint16_t(be::get16(rb + kRqDataLength) + n);
  be::put16(rb + kRqDataLength, len);
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
  uint16_t rb_size = be::get16(rb + kRqSize);
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
    const uint16_t rb_size = ReplyRb(rb).size();
    if (rb_size < kRbReplyHeader || off + rb_size > size) raise_error(EW_FRAMING, framing_detail::kBadSize, 4);
    if (i == n) return rb;
    off += rb_size;
  }
}

const uint8_t* getReplyRB(const PDU& pdu, int n, int prefix) {
  const ReplyRb rb(findRB(pdu, n, prefix));
  if (rb.result() != 0) raise_error(rb.result(), rb.detail(), rb.sub(), rb.cls());
  return rb.raw();
}

int16_t getRBResult(const PDU& pdu, int n, int prefix) { return ReplyRb(findRB(pdu, n, prefix)).result(); }
uint16_t getRBDetail(const PDU& pdu, int n, int prefix) { return ReplyRb(findRB(pdu, n, prefix)).detail(); }
uint16_t getRBInfo(const PDU& pdu, int n, int prefix) { return ReplyRb(findRB(pdu, n, prefix)).sub(); }
void clearRBResult(PDU& pdu, int n, int prefix) {
  uint8_t* rb = const_cast<uint8_t*>(findRB(pdu, n, prefix));
  be::put16(rb + ReplyRb::kResult, 0);
}

Refusal refusalOf(const PDU& pdu) {
  const uint16_t size = pdu.dataSize();
  auto word = [&](int off) -> uint16_t {
    return off + 2 <= size ? be::get16(pdu.body() + off) : 0;
  };
  return {word(0), word(2), word(4), word(6), pdu.type()};
}

ErrObj refusalError(const Refusal& r) {
  if (r.code == 0) return ErrObj(EW_FRAMING, framing_detail::kNoReason, r.type);
  return ErrObj(int16_t(r.code), r.detail, r.sub);
}

namespace {

// Reads exactly n bytes, waiting in slices of at most a second; progress
// restarts the inactivity clock. Returns false when the limit runs out.
bool readExact(Socket& s, uint8_t* p, int n, int32_t timeout, uint32_t idle_sleep) {
  Deadline idle(timeout);
  while (n > 0) {
    if (s.select(0, 1)) {
      int r = s.receive(p, n);
      if (r > 0) {
        p += r;
        n -= r;
        idle.restart();
        continue;
      }
    }
    if (idle.passed()) return false;
    plat::sleep_ms(idle_sleep);
  }
  return true;
}

// One PDU being read: the steps of receivePDU in their order, each failing
// with its own error and log line.
class PduReader {
 public:
  PduReader(PDU& pdu, Socket& s, int32_t timeout, uint8_t expected)
      : pdu_(pdu), s_(s), timeout_(timeout), expected_(expected) {}

  void header() {
    if (!readExact(s_, pdu_.b, kPduHeader, timeout_, 1)) timedOut("Timeout: recv(PDU header)(", 1);
    const uint32_t mark = pdu_.mark();
    if (mark != kPduMark) {
      headerError([&](std::ostream& l) {
        l << ": PDU mark(0x" << std::hex << std::uppercase << std::setw(8) << std::setfill('0')
          << mark << ") incorrect.";
      });
      s_.discardPending();
      raise_error(EW_FRAMING, framing_detail::kBadMark);
    }
  }

  // A PDU of another type than the one awaited is logged, read and dropped.
  bool droppedOtherType() {
    if (expected_ == 0 || pdu_.type() == expected_) return false;
    headerError([&](std::ostream& l) {
      l << ": PDU type mismatch: " << "Req " << unsigned(expected_) << ": Rsp "
        << unsigned(pdu_.type());
    });
    checkSize();
    body("Timeout-1: recv(PDU body)(");
    return true;
  }

  void checkDirection() {
    const uint8_t dir = pdu_.direction();
    if (dir != 0 && dir <= kDirOneWay) return;
    headerError([&](std::ostream& l) { l << ": PDU direction(" << char(dir) << ") incorrect"; });
    s_.discardPending();
    raise_error(EW_FRAMING, framing_detail::kBadDirection);
  }

  void checkSize() {
    const uint16_t size = pdu_.dataSize();
    const int mtu = mtuForVersion(pdu_.version());
    if (size <= mtu) return;
    headerError([&](std::ostream& l) {
      l << ": PDU data size(" << size << ") is larger than MTU" << "(" << mtu << ").";
    });
    s_.discardPending();
    raise_error(EW_FRAMING, framing_detail::kBadSize, 1);
  }

  void body(const char* timeout_text) {
    if (!readExact(s_, pdu_.body(), pdu_.dataSize(), timeout_, 0)) timedOut(timeout_text, 2);
  }

  // The initiate reply's size follows from its record count, which must
  // itself lie inside the body.
  void checkInitiate() {
    const uint16_t size = pdu_.dataSize();
    const bool old = pdu_.version() <= 2;
    const int count_at = old ? 18 : 20;
    const int want = size + kPduHeader >= count_at + 2
                         ? (old ? 16 + 8 * pdu_.word(18) : 40 + 32 * pdu_.word(20))
                         : -1;
    if (want == size) return;
    bodyError([&](std::ostream& l) { l << ": PDU size(" << size << ") mismatch at initiate time"; });
    raise_error(EW_FRAMING, framing_detail::kBadSize, 2);
  }

  // The RB sizes of a request reply must tile its body exactly.
  void checkRbList() {
    const uint16_t size = pdu_.dataSize();
    if (size < 2) {
      bodyError([&](std::ostream& l) { l << ": PDU data size(" << size << ") is less than 2"; });
      raise_error(EW_FRAMING, framing_detail::kBadSize, 3);
    }
    const uint16_t count = be::get16(pdu_.body());
    if (count == 0) {
      bodyError([&](std::ostream& l) { l << ": RB count(" << count << ") incorrect"; });
      raise_error(EW_FRAMING, framing_detail::kNoSuchRb);
    }
    const uint32_t sum = rbSizeSum(count, size);
    if (sum == size) return;
    const bool over = sum > size;
    bodyError([&](std::ostream& l) {
      l << ": sum of RB size(" << sum << ") is " << (over ? "larger" : "smaller") << " than total("
        << size << ")";
    });
    raise_error(EW_FRAMING, framing_detail::kBadSize, over ? 4 : 5);
  }

  // The controller refused: the PDU's words become the error.
  [[noreturn]] void refused() {
    const Refusal r = refusalOf(pdu_);
    bodyError([&](std::ostream& l) {
      l << ": type " << unsigned(r.type) << ": dir " << unsigned(pdu_.direction()) << ": loc "
        << r.location << ": code " << int16_t(r.code) << " " << r.detail << " " << r.sub;
    });
    if (r.type == kInitiate || r.type == kClose)
      raise_error(EW_FRAMING, framing_detail::kErrorResponse, r.code);
    throw refusalError(r);
  }

 private:
  // Sum of the RB sizes as far as they lie inside the body; a size field
  // that lies past the body counts as running past it.
  uint32_t rbSizeSum(uint16_t count, uint16_t size) const {
    uint32_t sum = 2;
    for (uint16_t i = 0; i < count; ++i) {
      if (sum + 2 > size) return size + 1u;
      sum += be::get16(pdu_.body() + sum);
      if (sum > size) break;
    }
    return sum;
  }

  [[noreturn]] void timedOut(const char* text, uint16_t sub) {
    OZ_LOG(1) << text << s_.number() << ", " << timeout_ << ", " << unsigned(expected_) << ")";
    raise_error(EW_CIRCUIT, circuit_detail::kReceiveTimeout, sub);
  }

  template <class F>
  void headerError(F&& rest) const { line("Error: recv(PDU header)(", rest); }
  template <class F>
  void bodyError(F&& rest) const { line("Error: recv(PDU body)(", rest); }
  template <class F>
  void line(const char* prefix, F&& rest) const {
    if (!log_on(1)) return;
    logStream l;
    l << prefix << s_.number() << ", " << timeout_ << ", " << unsigned(expected_) << ")";
    rest(l);
  }

  PDU& pdu_;
  Socket& s_;
  const int32_t timeout_;
  const uint8_t expected_;
};

}  // namespace

void sendPDU(PDU& pdu, Socket& s, int32_t timeout, uint8_t type, uint8_t direction) {
  be::put32(pdu.b + kPduMarkAt, kPduMark);
  be::put16(pdu.b + kPduVersionAt, 1);
  pdu.b[kPduTypeAt] = type;
  pdu.b[kPduDirAt] = direction;
  int remaining = pdu.dataSize() + kPduHeader;
  const uint8_t* p = pdu.b;
  Deadline idle(timeout);
  // The send is tried before any readiness wait: a socket with room takes the
  // PDU at once, and the wait is only paid when the send would block.
  bool try_first = true;
  while (remaining > 0) {
    if (try_first || s.select(1, 1)) {
      int r = s.send(p, remaining);
      if (r > 0) {
        p += r;
        remaining -= r;
        idle.restart();
        continue;
      }
    }
    try_first = false;
    if (idle.passed()) {
      OZ_LOG(1) << "Timeout: send(PDU)(" << s.number() << ", " << timeout << ", "
                << unsigned(type) << ", " << unsigned(direction) << ")";
      raise_error(EW_CIRCUIT, circuit_detail::kSendTimeout, 1);
    }
    plat::sleep_ms(0);
  }
}

void receivePDU(PDU& pdu, Socket& s, int32_t timeout, uint8_t expected) {
  PduReader r(pdu, s, timeout, expected);
  do r.header();
  while (r.droppedOtherType());
  r.checkDirection();
  r.checkSize();
  r.body("Timeout-2: recv(PDU body)(");
  const uint8_t dir = pdu.direction(), type = pdu.type();
  if (dir == kDirResponse && type == kInitiate) r.checkInitiate();
  if (dir == kDirResponse && type == kRequest) r.checkRbList();
  if (dir == kDirError) r.refused();
}

}  // namespace oz
