// A client on raw platform sockets, for the tests that speak the protocol
// themselves. Reads give up after a few seconds without progress, so a peer
// that stays silent fails a test instead of hanging it.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "base/be.h"
#include "platform/platform.h"
#include "sim/fake_controller.h"

namespace oz::test {

class RawClient {
 public:
  using Bytes = std::vector<uint8_t>;
  explicit RawClient(uint16_t port) {
    uint32_t err = 0;
    plat::net_startup(&err);
    s_ = plat::sock_create();
    connected_ = s_ != plat::kBadSock &&
                 plat::sock_connect(s_, plat::inet_parse("127.0.0.1"), plat::to_net16(port)) == 0;
  }
  ~RawClient() {
    if (s_ != plat::kBadSock) plat::sock_close(s_);
    uint32_t err = 0;
    plat::net_cleanup(&err);
  }
  bool connected() const { return connected_; }

  void send(const Bytes& b) {
    size_t pos = 0;
    while (pos < b.size()) {
      int r = plat::sock_send(s_, b.data() + pos, int(b.size() - pos), 0);
      ASSERT_GT(r, 0) << "send failed";
      pos += size_t(r);
    }
  }
  // Up to n bytes; fewer when the peer closes or goes quiet.
  Bytes read(size_t n) {
    reads_.clear();
    Bytes b(n);
    size_t pos = 0;
    while (pos < n) {
      if (plat::sock_select(s_, 0, 5, 0) != 1) break;
      int r = plat::sock_recv(s_, b.data() + pos, int(n - pos), 0);
      if (r <= 0) break;
      pos += size_t(r);
      reads_.push_back(size_t(r));
    }
    b.resize(pos);
    return b;
  }
  Bytes read_pdu() {
    Bytes h = read(10);
    if (h.size() < 10) return h;
    const Bytes rest = read(be::get16(h.data() + 8));
    h.insert(h.end(), rest.begin(), rest.end());
    return h;
  }
  // True when the peer has closed: the stream ends (or is reset) within a few seconds.
  bool closed_by_peer() {
    if (plat::sock_select(s_, 0, 5, 0) != 1) return false;
    uint8_t c;
    return plat::sock_recv(s_, &c, 1, 0) <= 0;
  }
  Bytes initiate(uint16_t role) {
    send(sim::make_pdu(1, 1, 1, {uint8_t(role >> 8), uint8_t(role)}));
    return read_pdu();
  }
  // What each receive of the last read() returned.
  const std::vector<size_t>& reads() const { return reads_; }

 private:
  plat::sock_t s_ = plat::kBadSock;
  bool connected_ = false;
  std::vector<size_t> reads_;
};

}  // namespace oz::test
