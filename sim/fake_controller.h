// A controller that tests and benchmarks talk to over real TCP on 127.0.0.1.
//
// The server is a thin socket loop (one acceptor thread, one thread per
// connection) around plain handlers: RB handlers keyed by (class, command)
// answer the RBs of type-33 requests, PDU handlers answer every other PDU
// type. Tests script it in-process: register handlers, queue faults with
// next(), read back what arrived with received() and requests().
//
// Everything it sends carries the configured protocol version in the header.
//
// Built-in behaviour, all of it replaceable by registering a handler:
//   type 1  (initiate)  reply type 1 direction 2 in the layout of the configured
//                       version; the body word names the connection's socket role.
//   type 2  (close)     reply type 2 direction 2 with no body; the connection stays
//                       open until the peer closes it.
//   type 33 (request)   reply type 33 direction 2, one reply RB per request RB.
//                       RB (1, 24): the system-information record of the RB's path
//                       (1-based); result 3 for a path without a CNC.
//                       RB (1, 833): the same, and the unscrambled id string is kept
//                       (id_strings()).
//                       RB (1, 140): the two words of FakeConfig::info140.
//                       Any RB nobody registered: result 1, no data, so a test that
//                       forgot a handler fails on a visible result code rather
//                       than on a time-out.
//                       A body whose RB list does not add up: error response
//                       (direction 3) with code 5.
//   other types         direction 1 without a handler: error response with code 1.
//                       Directions 2 and 4 without a handler are read and ignored.
//   bad mark            the PDU is recorded and the connection dropped.
//
// Handlers run on the connection threads, possibly at the same time for
// different connections; they must guard their own state and must not throw.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/protocol.h"

namespace oz::sim {

// The 18-byte system-information record as it travels: two big-endian words,
// then 14 characters (CNC type 2, machine type 2, series 4, version 4, axes 2).
// Short texts are padded with blanks.
std::array<uint8_t, 18> sysinfo_record(uint16_t addinfo, uint16_t max_axes, const char* cnc_type,
                                       const char* machine_type, const char* series,
                                       const char* version, const char* axes);

struct PathSetup {
  // Record word 0 in both layouts; 0 marks a path without a CNC, for which the
  // client asks no system information.
  uint16_t sys_code = 0x2020;
  // The 32-byte record of versions 3 and above, word k at record offset 2k
  // (word 0 is replaced by sys_code): 1 is 2 on a lathe path and 1 elsewhere,
  // 3 axes, 5 spindles, 12 feature bits (taken at path entry level 3).
  std::array<uint16_t, 16> e{0, 1, 0, 3, 0, 1};
  // The 8-byte record of versions 1 and 2 (word 0 replaced by sys_code):
  // 2 axes, 3 spindles.
  std::array<uint16_t, 4> w{0, 0, 3, 1};
  // Command-24 reply data.
  std::array<uint8_t, 18> sysinfo = sysinfo_record(0, 3, " 0", " M", "SIM0", "01.0", " 3");

  PathSetup& axes(uint16_t n);       // the axis word of both record layouts
  PathSetup& spindles(uint16_t n);   // the spindle word of both record layouts
};

struct FakeConfig {
  uint16_t version = 5;       // protocol version in every PDU header the fake sends
  uint16_t kind = 0;          // controller kind word (initiate reply offset 12)
  uint16_t max_axes = 3, max_spindles = 1, cnc_paths = 1, path_level = 3;
  uint32_t key = 0x12345678;  // versions 3+: high half at reply offset 44, low half at 46
  std::array<uint16_t, 2> info140{0, 0};                  // command-140 reply words
  std::vector<PathSetup> paths = std::vector<PathSetup>(1);
  // Raw overrides of initiate-reply words by PDU byte offset (header included,
  // so offset 8 forges the data size), applied last; offsets past the end are ignored.
  std::map<int, uint16_t> fixed;
  // Port to listen on; 0 lets the system pick a free one.
  uint16_t listen_port = 0;
  // Local IPv4 address to listen on ("0.0.0.0": all). A listener that cannot
  // be made throws ListenError (sim/listen.h) saying why.
  std::string listen_address = "127.0.0.1";

  static FakeConfig standard(uint16_t version = 5, int paths = 1);
};

struct RbRequest {
  int sock = 0;   // socket role of the connection it came on
  int conn = 0;   // connection serial, 1 for the first accepted
  uint16_t cls = 0, path = 0, cmd = 0;
  int32_t a1 = 0, a2 = 0, a3 = 0, a4 = 0;
  int16_t a5 = 0;
  std::vector<uint8_t> data;
};

struct RbReply {
  int16_t result = 0;
  uint16_t detail = 0, sub = 0;
  std::vector<uint8_t> data;

  // Appenders write big-endian, as every reply decoder expects.
  RbReply& i16(int16_t v);
  RbReply& u16(uint16_t v) { return i16(int16_t(v)); }
  RbReply& i32(int32_t v);
  RbReply& u32(uint32_t v) { return i32(int32_t(v)); }
  RbReply& bytes(const void* p, size_t n);
  RbReply& bytes(const std::vector<uint8_t>& v) { return bytes(v.data(), v.size()); }
  RbReply& bytes(std::initializer_list<uint8_t> v) { return bytes(v.begin(), v.size()); }
  RbReply& text(const std::string& s, size_t width);   // blank-padded or cut to width
  static RbReply fail(int16_t result, uint16_t detail = 0, uint16_t sub = 0);
};

struct ReceivedPdu {
  int sock = 0;          // 1 or 2, from the connection's initiate; 0 before it
  int conn = 0;          // connection serial
  uint32_t tick = 0;     // plat::tick_ms() when the whole PDU had arrived
  uint32_t mark = 0;
  uint16_t version = 0;
  uint8_t type = 0, direction = 0;
  std::vector<uint8_t> body;
  std::vector<uint8_t> raw;   // header and body as received
};

// ---- the codec, free of sockets so a fuzz target can drive it -------------
std::vector<uint8_t> make_pdu(uint16_t version, uint8_t type, uint8_t direction,
                              const std::vector<uint8_t>& body);
// The whole initiate reply PDU for cfg, overrides applied.
std::vector<uint8_t> initiate_reply(const FakeConfig& cfg);
// The RB list of a request body; false when the sizes do not add up exactly.
bool parse_rb_list(const std::vector<uint8_t>& body, std::vector<RbRequest>* out);
// A reply body: RB count, then one reply RB per reply, class echoed from its request.
std::vector<uint8_t> rb_reply_body(const std::vector<RbRequest>& reqs,
                                   const std::vector<RbReply>& replies);
// Body of an error response (direction 3): location, code, detail, sub-detail.
std::vector<uint8_t> error_body(uint16_t location, int16_t code, uint16_t detail, uint16_t sub);
// The id string that the 8 scrambled bytes of a command-833 RB carry, given the
// two key words of the initiate reply (offsets 44 and 46).
std::string unscramble_id(const uint8_t* data8, uint16_t key44, uint16_t key46);

// One PDU's worth of misbehaviour, queued with FakeController::next().
// What happens to the PDU it is applied to, in this order:
//   1. delay(ms): wait before answering (cut short when the fake stops);
//   2. before(): those PDUs go out first;
//   3. the PDU is handled as usual (handlers run, state changes happen);
//   4. the answer: silence() and close() suppress it; raw() and
//      error_response() replace the whole answer; otherwise the first PDU of
//      the answer is altered (rb_size_delta, rb_count, bad_mark, version,
//      direction, then data_size, which pads with zeros or truncates the body);
//      split() sends those bytes in pieces, cut(n) sends only the first n
//      bytes and then drops the connection;
//   5. close(): the connection is dropped.
class Fault {
 public:
  Fault& silence();
  Fault& delay(uint32_t ms);
  Fault& close();
  Fault& bad_mark(uint32_t mark = 0xA0A0A0A1u);
  Fault& direction(uint8_t d);
  Fault& version(uint16_t v);
  Fault& data_size(uint16_t header_value);
  Fault& rb_size_delta(int delta);                 // added to the last reply RB's size field
  Fault& rb_count(uint16_t n);
  Fault& error_response(int16_t code, uint16_t detail, uint16_t sub, uint16_t location = 0);
  Fault& before(uint8_t type, std::vector<uint8_t> body = {}, uint8_t direction = 2);
  Fault& raw(std::vector<uint8_t> bytes);          // exactly these bytes instead of the answer
  Fault& split(std::vector<size_t> chunks, uint32_t gap_ms);   // the rest goes as one last piece
  Fault& cut(size_t n);
  // Waits for a PDU of this type: PDUs of other types on the socket pass by
  // and leave the fault (and those queued behind it) in place.
  Fault& only(uint8_t type);

  struct Plan {
    struct Pdu {
      uint8_t type, direction;
      std::vector<uint8_t> body;
    };
    struct Err {
      int16_t code;
      uint16_t detail, sub, location;
    };
    uint32_t delay_ms = 0;
    bool silence = false, close = false;
    std::optional<uint32_t> mark;
    std::optional<uint8_t> direction;
    std::optional<uint16_t> version, data_size, rb_count;
    int rb_size_delta = 0;
    std::optional<Err> error;
    std::vector<Pdu> before;
    std::optional<std::vector<uint8_t>> raw;
    std::vector<size_t> split;
    uint32_t gap_ms = 0;
    std::optional<size_t> cut;
    std::optional<uint8_t> only;
  };

 private:
  friend class FakeController;
  template <class F>
  Fault& edit(F&& f) {
    // The connection thread reads queued faults; building one is a write that
    // must not race with that read.
    if (mu_) {
      std::lock_guard<std::mutex> l(*mu_);
      f(plan_);
    } else {
      f(plan_);
    }
    return *this;
  }
  std::mutex* mu_ = nullptr;
  Plan plan_;
};

// One accepted connection, as a PDU handler sees it. Valid only during the
// handler call; use FakeController::send_to() to send later.
class Conn {
 public:
  virtual ~Conn() = default;
  virtual int sock() const = 0;            // socket role from the initiate, 0 before
  virtual int serial() const = 0;
  // Sends one PDU in answer to the PDU being handled; a pending fault shapes it.
  virtual bool send(uint8_t type, uint8_t direction, const std::vector<uint8_t>& body) = 0;
  // Sends these bytes as they are, past any fault.
  virtual bool send_raw(const std::vector<uint8_t>& bytes) = 0;
  // Drops the connection once the handler returns.
  virtual void close() = 0;
};

using RbHandler = std::function<RbReply(const RbRequest&)>;
using PduHandler = std::function<void(Conn&, const ReceivedPdu&)>;

class FakeController {
 public:
  explicit FakeController(FakeConfig cfg = FakeConfig::standard());
  ~FakeController();   // stops listening, wakes and joins every thread, closes every socket
  FakeController(const FakeController&) = delete;
  FakeController& operator=(const FakeController&) = delete;

  uint16_t port() const;
  const FakeConfig& config() const;

  // Handlers for RBs of type-33 requests; later registrations win, built-ins included.
  void on(uint16_t cls, uint16_t cmd, RbHandler h);
  void reply(uint16_t cls, uint16_t cmd, RbReply fixed);
  // For RBs nobody registered (instead of result 1).
  void on_other_rb(RbHandler h);
  // Handler for one PDU type; takes precedence over the built-in handling of
  // types 1, 2 and 33 too. It may send any number of PDUs through the Conn.
  void on_pdu(uint8_t type, PduHandler h);

  // Queues a fault for the next PDU received on a connection of that socket
  // role: one fault per PDU, in queue order. Initiate PDUs count: the role is
  // read from the initiate's own body, so next(2) set before a client opens
  // its circuit applies to the initiate of its second connection, not to its
  // first request. Use only(33) to skip past the opening.
  Fault& next(int sock = 2);
  void clear_faults();

  // Sends a PDU now on the newest live connection of that role; false when there is none.
  bool send_to(int sock, uint8_t type, uint8_t direction, std::vector<uint8_t> body);

  std::vector<ReceivedPdu> received() const;   // every PDU received, in order, all connections
  std::vector<RbRequest> requests() const;     // every RB of every type-33 request, in order
  std::vector<std::string> id_strings() const; // unscrambled command-833 strings, in order
  void clear_received();
  // Recording is on from the start; a benchmark turns it off so that millions
  // of requests do not pile up. Faults and handlers work either way.
  void recording(bool on);
  // Waits until at least n PDUs have been received in all; false when
  // timeout_ms passes first. For PDUs that draw no answer.
  bool wait_received(size_t n, uint32_t timeout_ms = 5000) const;

  int connections_accepted() const;
  std::vector<uint32_t> accept_ticks() const;   // plat::tick_ms() at each accept
  // Closes the listener once n connections have been accepted (at once when
  // that many have been already), so later connects are refused.
  void stop_listening_after(int n);
  // Drops every connection now, as a controller that went away; returns when
  // their threads have ended (a handler calling it leaves its own connection
  // for the destructor).
  void close_all();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace oz::sim
