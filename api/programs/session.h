// Transfer sessions: the pieces upload, download/verify and DNC share.
//
// Session calls keep the frame's order (handle, broken circuit, body) but
// report differently from ordinary requests: "not started" and "busy" are
// plain returns with their own lines, the data calls record only some codes,
// and a normal upload end (code 0) surfaces as EW_CANCELLED. session_call()
// is that variant of call(); like call() it is the only catch on its path and
// lets nothing out (EW_INTERNAL for what is not an ErrObj).
#pragma once
#include <cstdio>
#include <initializer_list>

#include "core/frame.h"

namespace oz::prog {

enum class Report {
  Plain,      // every failure logged at level 1 and recorded
  Data,       // upload and download data: codes -2..4 not recorded, 0 becomes -2 (level 2)
  Dnc,        // DNC data: as Data, and -2 itself is logged from level 2 only
  DncStart,   // 13 (controller not ready yet) is logged from level 4 only
};

template <class A, class F>
int16_t session_call(uint16_t hn, const char* fn, const A& a, Report how, F&& body) {
  int16_t early = 0;
  Handle* hp = enter_frame(hn, &early);
  if (hp == nullptr) return early;
  Handle& h = *hp;
  try {
    return int16_t(body(h));
  } catch (...) {
    const ErrObj e = current_error();
    ErrObj r = e;
    int level = 1;
    bool rec = true;
    if (how == Report::DncStart && e.code == EW_REFUSED) level = 4;
    if (how == Report::Data || how == Report::Dnc) {
      rec = e.code < EW_CANCELLED || e.code > EW_KIND;
      if (e.code == 0) r = ErrObj(EW_CANCELLED);
      if (e.code == 0 || (how == Report::Dnc && e.code == EW_CANCELLED)) level = 2;
    }
    if (rec) record_error(h, e);
    if (log_on(level)) log_error_line(h, fn, r, a);
    return r.code;
  }
}

// "Error: <handle>: <text>" at level 1: the session's own refusals.
void note(const Handle& h, const char* text);

// Opens a session of one kind: takes the transfer lock without waiting, sets
// the open bit and sends the start PDU (type 17, 21 or 25) with its 516-byte
// body. On any failure after the lock the bit is cleared and the lock given
// back. Returns EW_INUSE (already logged) when refused; otherwise `reply`
// holds the controller's answer and, when `total` is given, *total the size
// it announced (a reply too short for it fails the start).
struct Start {
  uint32_t open_bit;
  uint8_t pdu_type;
  const char* kind;   // "Upload", "Download", "DNC"
};
int16_t open_session(Handle& h, const Start& s, int16_t data_kind, const char* text1,
                     const char* text2, PDU& reply, uint32_t* total);

// Closes a session whatever way the end call leaves: clears its bits and
// gives the transfer lock back (also while an error unwinds).
class SessionClose {
 public:
  SessionClose(Handle& h, uint32_t bits) : h_(h), bits_(bits) {}
  ~SessionClose() {
    h_.flags &= ~bits_;
    h_.hold.release();
  }
  SessionClose(const SessionClose&) = delete;
  SessionClose& operator=(const SessionClose&) = delete;

 private:
  Handle& h_;
  uint32_t bits_;
};

// The error an error or abort PDU carries at body +2, +4, +6 (refusalError:
// words past a short body read as 0, and a refusal without a code still fails).
ErrObj pduError(const PDU& pdu);
// Sends an empty (or 8-byte abort) PDU straight on the transfer socket.
void sendBare(Handle& h, uint8_t type, uint8_t direction, uint16_t size, int16_t code = 0);
// "Error:<sock>: <fn><handle>): unexpected packet, type = t dir = d"
void logUnexpected(const Handle& h, const char* fn, const PDU& pdu);
// The EW_BUFFER line (level 4).
void logBuffer(const Handle& h, const char* fn, int32_t length, const void* data);

// What a data call does when nothing could be moved: EW_BUFFER until the
// handle's time-out has passed since the first such call, then the session's
// abort PDU, a broken circuit and `timeout` as the session error.
struct Wait {
  uint8_t abort_type;
  uint32_t stop_bit;
  ErrObj timeout;
  const char* timeout_name;   // as the time-out line spells it
};
int16_t bufferWait(Handle& h, const Wait& w);

// Sends data PDUs of at most `chunk` bytes while the circuit takes them at
// once; returns the bytes sent (at least one PDU's worth).
int32_t sendChunks(Handle& h, uint8_t type, int chunk, const uint8_t* data, int32_t length);

// Writes "fmt" of the arguments into a 256-byte start text.
template <class... T>
void startText(char (&out)[256], const char* fmt, T... v) {
  std::snprintf(out, sizeof out, fmt, v...);
}

// Older entry points rewrite some inner results.
struct Rewrite {
  int16_t from[3];
  int16_t to;
};
int16_t rewrite(int16_t r, std::initializer_list<Rewrite> rules);
// Repeats an older call while it answers EW_BUFFER, 1 ms apart.
template <class F>
int16_t untilMoved(F&& f) {
  int16_t r;
  while ((r = f()) == EW_BUFFER) plat::sleep_ms(1);
  return r;
}

}  // namespace oz::prog
