// The simulated controller's request parser on arbitrary PDU bodies: it
// accepts only RB lists whose sizes add up, and what it accepted can be
// answered.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sim/fake_controller.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  const std::vector<uint8_t> body(data, data + size);
  std::vector<oz::sim::RbRequest> reqs;
  if (!oz::sim::parse_rb_list(body, &reqs)) return 0;
  std::vector<oz::sim::RbReply> replies;
  size_t data_bytes = 0;
  for (const auto& q : reqs) {
    data_bytes += q.data.size();
    replies.push_back(oz::sim::RbReply().u16(q.cmd).bytes(q.data));
  }
  if (data_bytes > size) std::abort();
  const auto reply = oz::sim::rb_reply_body(reqs, replies);
  oz::sim::make_pdu(5, 33, 2, reply);
  if (size >= 8) oz::sim::unscramble_id(data, uint16_t(data[0] << 8 | data[1]), 0x5678);
  return 0;
}
