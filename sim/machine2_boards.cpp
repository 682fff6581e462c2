// The simulated network boards: the plant network board with its parameters,
// node table, counters, log, messages and shared memory; the field-bus master
// with its bus and slave parameter records, seen from the CNC and the PMC.
#include <algorithm>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "base/be.h"
#include "sim/machine.h"

namespace oz::sim {
namespace {

constexpr int16_t kSizeError = 2;
constexpr int16_t kRange = 3;
constexpr size_t kFlntParam = 148;
constexpr size_t kFlntParamWrite = 164;   // the record and 16 bytes the board keeps apart
constexpr size_t kFlnetSram = 8 * 1024;

// A record a board keeps, read with one command and written with another
// (0: read-only); `indexed` records are kept per RB argument 1 (slave, node,
// board number).
struct Record {
  uint16_t cls, rd, wr, size;
  bool indexed;
};
constexpr Record kRecords[] = {
    {1, 500, 0, 64, false},    {1, 501, 0, 32, true},     {1, 618, 0, 32, true},
    {1, 502, 0, 32, false},    {1, 619, 0, 32, true},     {1, 504, 0, 64, false},
    {1, 620, 0, 64, true},     {1, 506, 0, 64, true},     {2, 371, 0, 32, false},
    {2, 372, 373, 232, false}, {2, 374, 375, 408, true},  {2, 376, 377, 22, true},
    {2, 378, 379, 22, false},  {2, 380, 0, 16, false},    {2, 381, 382, 12, true},
    {2, 383, 384, 272, true},  {2, 385, 386, 148, true},  {2, 387, 388, 6, false},
};

struct Boards {
  std::map<std::pair<uint16_t, int32_t>, std::vector<uint8_t>> records;   // (read command, index)
  std::map<int32_t, std::vector<uint8_t>> flnt_param;                     // board number
  std::vector<uint8_t> flnet_sram[2] = {std::vector<uint8_t>(kFlnetSram), std::vector<uint8_t>(kFlnetSram)};
  std::map<int32_t, std::vector<uint8_t>> pbm;                            // kind
  int16_t pbm_mode = 0, prf_mode = 0;
  uint16_t prf_version[2] = {2, 1};   // the long slave-parameter layout

  std::vector<uint8_t>& record(const Record& r, int32_t index) {
    auto& v = records[{r.rd, r.indexed ? index : 0}];
    if (v.empty()) {
      v.resize(r.size);
      for (size_t i = 0; i < v.size(); ++i) v[i] = uint8_t(r.rd + index + i);
    }
    return v;
  }
  std::vector<uint8_t>& param(int32_t board) {
    auto& p = flnt_param[board];
    if (p.empty()) {
      p.assign(kFlntParam, 0);
      std::memcpy(p.data(), "192.168.0.10", 12);
      std::memcpy(p.data() + 16, "OZSIM PLANT NODE", 16);
      be::put16(p.data() + 68, uint16_t(board + 1));
    }
    return p;
  }
};

void installRecords(Machine& m) {
  for (const Record& r : kRecords) {
    m.on(r.cls, r.rd, [r](Machine& m, const RbRequest& q) {
      return RbReply().bytes(m.state<Boards>().record(r, q.a1));
    });
    if (r.wr == 0) continue;
    m.on(r.cls, r.wr, [r](Machine& m, const RbRequest& q) {
      if (q.data.size() != r.size) return RbReply::fail(kSizeError);
      m.state<Boards>().record(r, q.a1) = q.data;
      return RbReply();
    });
  }
  // Clearing the counters, the log and the messages.
  for (const auto& entry : {std::pair<uint16_t, std::vector<uint16_t>>{503, {502, 619}},
                            {505, {504, 620}}, {507, {506}}}) {
    // A copy, not a structured binding: a lambda may not capture one everywhere.
    const std::vector<uint16_t> reads = entry.second;
    m.on(1, entry.first, [reads](Machine& m, const RbRequest&) {
      auto& recs = m.state<Boards>().records;
      for (auto& [key, v] : recs)
        if (std::count(reads.begin(), reads.end(), key.first)) std::fill(v.begin(), v.end(), 0);
      return RbReply();
    });
  }
}

void installPlant(Machine& m) {
  m.on(1, 498, [](Machine& m, const RbRequest&) { return RbReply().bytes(m.state<Boards>().param(0)); });
  m.on(1, 617, [](Machine& m, const RbRequest& q) {
    if (q.a1 < 0 || q.a1 > 1) return RbReply::fail(kRange);
    return RbReply().bytes(m.state<Boards>().param(q.a1));
  });
  m.on(1, 499, [](Machine& m, const RbRequest& q) {
    if (q.data.size() != kFlntParamWrite) return RbReply::fail(kSizeError);
    m.state<Boards>().param(0).assign(q.data.begin(), q.data.begin() + kFlntParam);
    return RbReply();
  });
  m.on(1, 245, [](Machine& m, const RbRequest& q) {
    if (q.a1 < 0 || q.a1 > 1 || q.a2 < 0 || size_t(q.a2) >= kFlnetSram) return RbReply::fail(kRange);
    auto& ram = m.state<Boards>().flnet_sram[q.a1];
    return RbReply().bytes(ram.data() + q.a2, std::min(kFlnetSram - size_t(q.a2), size_t(std::max(q.a3, 0))));
  });
  m.on(1, 246, [](Machine& m, const RbRequest& q) {
    if (q.a1 < 0 || q.a1 > 1 || q.a2 < 0 || size_t(q.a2) + q.data.size() > kFlnetSram)
      return RbReply::fail(kRange);
    std::memcpy(m.state<Boards>().flnet_sram[q.a1].data() + q.a2, q.data.data(), q.data.size());
    return RbReply();
  });
}

void installFieldBus(Machine& m) {
  // CNC side: a record per kind whose first word echoes the selecting word.
  m.on(1, 621, [](Machine& m, const RbRequest& q) {
    auto& p = m.state<Boards>().pbm[q.a1];
    if (p.empty()) p.assign(64, uint8_t(q.a1));
    if (q.data.size() >= 2) std::copy_n(q.data.begin(), 2, p.begin());
    return RbReply().bytes(p);
  });
  m.on(1, 622, [](Machine& m, const RbRequest& q) {
    if (q.data.size() < 28) return RbReply::fail(kSizeError);
    m.state<Boards>().pbm[q.a1] = q.data;
    return RbReply();
  });
  m.on(1, 623, [](Machine& m, const RbRequest& q) {
    m.state<Boards>().pbm_mode = int16_t(q.a1);
    return RbReply();
  });
  // PMC side: the board information starts with its layout version.
  m.on(2, 370, [](Machine& m, const RbRequest&) {
    auto& b = m.state<Boards>();
    return RbReply().u16(b.prf_version[0]).u16(b.prf_version[1]).bytes(std::vector<uint8_t>(12, 0));
  });
  m.on(2, 445, [](Machine& m, const RbRequest&) { return RbReply().i16(m.state<Boards>().prf_mode); });
  m.on(2, 446, [](Machine& m, const RbRequest& q) {
    m.state<Boards>().prf_mode = int16_t(q.a1);
    return RbReply();
  });
}

}  // namespace

OZ_SIM_FAMILY(machine2_boards) {
  installRecords(m);
  installPlant(m);
  installFieldBus(m);
}

}  // namespace oz::sim
