// `ozcli history ops|alarms|msgs [--last N]`: the newest records of the
// controller's operation, alarm and operator-message histories.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "command.h"

using namespace ozcli;

namespace {

std::string text_of(const char* p, size_t n) {
  std::string s(p, strnlen(p, n));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string stamp(const int16_t* t) {
  char b[48];   // room for any six 16-bit values
  std::snprintf(b, sizeof b, "%04d-%02d-%02d %02d:%02d:%02d", t[0], t[1], t[2], t[3], t[4], t[5]);
  return b;
}

// The record numbers of the newest `last` of `count` records.
std::pair<uint16_t, uint16_t> newest(uint16_t count, int last) {
  const int first = std::max(1, int(count) - std::max(last, 1) + 1);
  return {uint16_t(first), count};
}

// Operation records differ by type; the body words are shown as they come.
void ops(Session& s, Output& out, int last) {
  ophisno_t n{};
  OZCLI_CALL(s, cnc_rdophisno, &n);
  Table& t = out.table("operations", {"record", "type", "words"});
  auto [next, end] = newest(n.hisno, last);
  std::vector<uint8_t> buf(4096);
  while (n.hisno > 0 && next <= end) {
    uint16_t got_end = end, length = uint16_t(buf.size());
    OZCLI_CALL(s, cnc_rdophistry4, next, &got_end, &length, buf.data());
    if (length == 0) break;
    for (size_t at = 0, rec = next; at + 4 <= length; ++rec) {
      ophis4_rec_t h;
      std::memcpy(&h, buf.data() + at, sizeof h);
      if (h.size < 4 || at + h.size > length) break;
      json words = json::array();
      for (size_t w = 4; w + 2 <= h.size && w < 4 + 16; w += 2) {
        int16_t v;
        std::memcpy(&v, buf.data() + at + w, 2);
        words.push_back(v);
      }
      t.row({rec, h.type, words});
      at += h.size;
    }
    next = uint16_t(got_end + 1);
  }
}

// Reads the newest records of a fixed-size form: a head, then records of
// type R, each handed to row(record number, record).
template <class R, class Read, class Row>
void newest_records(uint16_t count, int last, Read&& read, Row&& row) {
  if (count == 0) return;
  auto [first, end] = newest(count, last);
  std::vector<uint8_t> buf(sizeof(hishead_t) + sizeof(R) * size_t(end - first + 1));
  read(first, end, uint16_t(std::min<size_t>(buf.size(), 65535)), buf.data());
  hishead_t head;
  std::memcpy(&head, buf.data(), sizeof head);
  for (int r = head.start; r <= head.end && r <= end; ++r) {
    R rec;
    std::memcpy(&rec, buf.data() + sizeof head + sizeof rec * size_t(r - head.start), sizeof rec);
    row(r, rec);
  }
}

void alarms(Session& s, Output& out, int last) {
  ophisno_t n{};
  OZCLI_CALL(s, cnc_rdalmhisno, &n);
  Table& t = out.table("alarms", {"record", "number", "kind", "axis", "time", "message"});
  newest_records<almhis4_rec_t>(
      n.hisno, last, [&](uint16_t a, uint16_t b, uint16_t len, void* buf) { OZCLI_CALL(s, cnc_rdalmhistry4, a, b, len, buf); },
      [&](int r, const almhis4_rec_t& a) {
        t.row({r, a.number, a.kind, a.axis, stamp(a.time), text_of(a.text, size_t(std::clamp<int>(a.text_len, 0, 64)))});
      });
}

void msgs(Session& s, Output& out, int last) {
  ophisno_t n{};
  OZCLI_CALL(s, cnc_rdomhisno, &n);
  Table& t = out.table("messages", {"record", "number", "time", "message"});
  newest_records<omhis2_rec_t>(
      n.hisno, last, [&](uint16_t a, uint16_t b, uint16_t len, void* buf) { OZCLI_CALL(s, cnc_rdomhistry2, a, b, len, buf); },
      [&](int r, const omhis2_rec_t& m) { t.row({r, m.number, stamp(m.time), text_of(m.text, sizeof m.text)}); });
}

}  // namespace

OZCLI_FAMILY(history) {
  auto last = std::make_shared<int>(20);
  auto which = std::make_shared<std::string>();
  CLI::App* cmd = cli.command("history", "Operation, alarm or message history (cnc_rdophistry4, "
                                         "cnc_rdalmhistry4, cnc_rdomhistry2)",
                              [last, which](Session& s, Output& out) {
                                if (*which == "ops") ops(s, out, *last);
                                else if (*which == "alarms") alarms(s, out, *last);
                                else msgs(s, out, *last);
                              });
  cmd->add_option("kind", *which, "ops, alarms or msgs")->required()->check(CLI::IsMember({"ops", "alarms", "msgs"}));
  cmd->add_option("--last", *last, "The newest N records")->check(CLI::Range(1, 1000))->capture_default_str();
}
