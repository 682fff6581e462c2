// Writes the fuzz targets' seed corpus into <dir>/<target>/: replies in the
// form the suite's fake controller sends them, the request bodies the
// exports send, and profile texts of the kinds sites keep.
//   fuzz_seed_corpus fuzz/corpus
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "sim/fake_controller.h"
#include "tests/cases/all_exports.h"

namespace {

using namespace oz;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

void write(const fs::path& dir, const std::string& name, const Bytes& b) {
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(b.data()),
                                                    std::streamsize(b.size()));
}

Bytes cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

void framingSeeds(const fs::path& dir) {
  std::vector<sim::RbRequest> two(2);
  const std::vector<sim::RbReply> replies = {sim::RbReply().i32(-123456), sim::RbReply::fail(3, 1, 2)};
  const Bytes reply = sim::make_pdu(5, 33, 2, sim::rb_reply_body(two, replies));
  write(dir, "reply-two-rbs", cat({33}, reply));
  write(dir, "reply-after-other-type", cat({33}, cat(sim::make_pdu(5, 21, 2, {0, 1}), reply)));
  write(dir, "error-response", cat({33}, sim::make_pdu(5, 33, 3, sim::error_body(0, 5, 1, 2))));
  write(dir, "initiate-v5", cat({1}, sim::initiate_reply(sim::FakeConfig::standard())));
  write(dir, "initiate-v1", cat({1}, sim::initiate_reply(sim::FakeConfig::standard(1))));
  write(dir, "initiate-two-paths", cat({1}, sim::initiate_reply(sim::FakeConfig::standard(5, 2))));
}

void profileSeeds(const fs::path& dir) {
  auto text = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
  write(dir, "alarm-texts", text("[OTHERS]\r\n1000=COOLANT LOW\r\n1001 = \"DOOR OPEN\" \r\n"));
  write(dir, "comments-and-case", text("; site file\n[others]\nKEY='quoted'\n[Other]\nkey=2\n"));
  write(dir, "windows", text("0x1000,0x200\n0x2000,0x80\n"));
}

// Runs every export once against a fake that answers plainly and keeps the
// request bodies they sent, and one reply seed per export.
void trafficSeeds(const fs::path& requests, const fs::path& replies) {
  sim::FakeController fake;
  fake.on_other_rb([](const sim::RbRequest&) {
    return sim::RbReply().u16(1).u16(2).i32(3).i32(-4).text("SEED", 8);
  });
  uint16_t h = 0;
  if (cnc_allclibhndl3("127.0.0.1", fake.port(), 1, &h) != EW_SUCCESS) return;
  const auto exports = test::all_exports();
  for (size_t i = 0; i < exports.size(); ++i) {
    test::Arena arena;
    exports[i].run(h, arena);
    // A reply seed: a count of one, small values, then characters.
    Bytes seed = {uint8_t(i >> 8), uint8_t(i), 0, 0, 1, 0, 2, 0, 0, 0, 3, 0xFF, 0xFF, 0xFF, 0xFC};
    for (char c : std::string("SEED    ")) seed.push_back(uint8_t(c));
    write(replies, exports[i].name, seed);
  }
  cnc_freelibhndl(h);
  std::set<Bytes> seen;
  for (const sim::ReceivedPdu& p : fake.received())
    if (p.type == 33 && seen.insert(p.body).second) write(requests, "request-" + std::to_string(seen.size()), p.body);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seed_corpus <corpus folder>\n");
    return 2;
  }
  const fs::path root = argv[1];
  framingSeeds(root / "pdu_framing");
  profileSeeds(root / "profile");
  trafficSeeds(root / "sim_requests", root / "reply_decoders");
  return 0;
}
