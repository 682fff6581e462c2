// Moves a 1 MB program through an upload and a download session and compares
// the rate with a raw TCP stream of the same PDU sizes over loopback, in the
// same run, everything pinned to one CPU so both sides share it alike.
//
//   transfer_bench [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "ozlib.h"
#include "platform/platform.h"
#include "sim/fake_controller.h"

namespace {

namespace plat = oz::plat;
using Sock = plat::sock_t;
using Clock = std::chrono::steady_clock;
constexpr size_t kProgram = 1 << 20;
constexpr size_t kUploadPdu = 1450;
constexpr size_t kDownloadPdu = 1280;
constexpr size_t kHeader = 10;

double seconds(Clock::time_point a) { return std::chrono::duration<double>(Clock::now() - a).count(); }

bool readAll(Sock s, uint8_t* p, size_t n) {
  while (n > 0) {
    int r = plat::sock_recv(s, p, int(n), 0);
    if (r <= 0) return false;
    p += r;
    n -= size_t(r);
  }
  return true;
}
bool writeAll(Sock s, const uint8_t* p, size_t n) {
  while (n > 0) {
    int r = plat::sock_send(s, p, int(n), 0);
    if (r <= 0) return false;
    p += r;
    n -= size_t(r);
  }
  return true;
}

// A connected loopback pair.
Sock connectLoopback(uint16_t port) {
  Sock s = plat::sock_create();
  plat::sock_connect(s, plat::inet_parse("127.0.0.1"), plat::to_net16(port));
  plat::sock_set_nodelay(s, true);
  return s;
}

void pair(Sock* a, Sock* b) {
  uint16_t port = 0;
  Sock l = plat::sock_listen_loopback(0, &port);
  *a = connectLoopback(port);
  *b = plat::sock_accept(l);
  plat::sock_close(l);
  plat::sock_set_nodelay(*b, true);
}

// The raw stream: the sender writes header and body of each PDU, the
// receiver reads the header and then the body, as a PDU reader must.
double rawStream(size_t pdu) {
  Sock tx, rx;
  pair(&tx, &rx);
  const auto t0 = Clock::now();
  std::thread sender([&] {
    std::vector<uint8_t> b(kHeader + pdu, 'x');
    for (size_t at = 0; at < kProgram; at += pdu) {
      const size_t n = std::min(pdu, kProgram - at);
      if (!writeAll(tx, b.data(), kHeader + n)) return;
    }
  });
  std::vector<uint8_t> r(kHeader + pdu);
  for (size_t at = 0; at < kProgram; at += pdu) {
    const size_t n = std::min(pdu, kProgram - at);
    if (!readAll(rx, r.data(), kHeader) || !readAll(rx, r.data() + kHeader, n)) break;
  }
  sender.join();
  const double s = seconds(t0);
  plat::sock_close(tx);
  plat::sock_close(rx);
  return s;
}

// A controller peer as lean as the raw stream's ends: blocking reads of
// header and body, answers built once. It speaks just what a circuit's
// opening and the two sessions need, so the comparison measures the library
// rather than a test server's bookkeeping.
class LeanPeer {
 public:
  LeanPeer() {
    listen_ = plat::sock_listen_loopback(0, &port_);
    acceptor_ = std::thread([this] {
      for (int i = 0; i < 2; ++i) {
        Sock c = plat::sock_accept(listen_);
        if (c == plat::kBadSock) return;
        plat::sock_set_nodelay(c, true);
        conns_.emplace_back([this, c] { serve(c); });
      }
    });
  }
  ~LeanPeer() {
    plat::sock_shutdown(listen_);
    plat::sock_close(listen_);
    acceptor_.join();
    for (auto& t : conns_) t.join();
  }
  uint16_t port() const { return port_; }

 private:
  void send(Sock c, uint8_t type, uint8_t dir, const std::vector<uint8_t>& body) {
    auto p = oz::sim::make_pdu(cfg_.version, type, dir, body);
    writeAll(c, p.data(), p.size());
  }
  void serve(Sock c) {
    std::vector<uint8_t> body(8192);
    uint8_t hdr[kHeader];
    std::vector<uint8_t> data_pdu, end_pdu;
    for (;;) {
      if (!readAll(c, hdr, kHeader)) break;
      const size_t n = size_t(hdr[8] << 8 | hdr[9]);
      if (!readAll(c, body.data(), n)) break;
      switch (hdr[6]) {
        case 1: {
          auto r = oz::sim::initiate_reply(cfg_);
          writeAll(c, r.data(), r.size());
          break;
        }
        case 2: send(c, 2, 2, {}); break;
        case 33: {
          std::vector<oz::sim::RbRequest> q;
          oz::sim::parse_rb_list(std::vector<uint8_t>(body.begin(), body.begin() + long(n)), &q);
          std::vector<oz::sim::RbReply> a;
          for (auto& r : q) {
            oz::sim::RbReply x;
            if (r.cmd == 24) x.bytes(cfg_.paths[0].sysinfo.data(), 18);
            if (r.cmd == 140) x.i16(0).i16(0);
            a.push_back(x);
          }
          send(c, 33, 2, oz::sim::rb_reply_body(q, a));
          break;
        }
        case 21: {
          send(c, 21, 2, {0, 0, 0, 0});
          // The whole program as one prepared run of data PDUs, then the end.
          std::vector<uint8_t> all;
          for (size_t at = 0; at < kProgram; at += kUploadPdu) {
            auto p = oz::sim::make_pdu(cfg_.version, 22, 4,
                                       std::vector<uint8_t>(std::min(kUploadPdu, kProgram - at), 'u'));
            all.insert(all.end(), p.begin(), p.end());
          }
          auto e = oz::sim::make_pdu(cfg_.version, 23, 4, {});
          all.insert(all.end(), e.begin(), e.end());
          for (size_t at = 0; at < all.size(); at += kHeader + kUploadPdu)
            if (!writeAll(c, all.data() + at, std::min(kHeader + kUploadPdu, all.size() - at))) return;
          break;
        }
        case 17: case 19: send(c, hdr[6], 2, {}); break;
        default: break;   // data, acknowledgements
      }
    }
    plat::sock_close(c);
  }
  oz::sim::FakeConfig cfg_ = oz::sim::FakeConfig::standard();
  Sock listen_;
  uint16_t port_ = 0;
  std::thread acceptor_;
  std::vector<std::thread> conns_;
};

double libUpload(uint16_t h) {
  std::vector<uint8_t> buf(64 * 1024);
  const auto t0 = Clock::now();
  if (cnc_upstart3(h, 0, 1, 1) != EW_SUCCESS) std::abort();
  size_t got = 0;
  for (;;) {
    int32_t len = int32_t(buf.size());
    const int16_t r = cnc_upload4(h, &len, buf.data());
    if (r == EW_BUFFER) continue;
    if (r != EW_SUCCESS) break;
    got += size_t(len);
  }
  if (cnc_upend4(h) != EW_SUCCESS || got != kProgram) std::abort();
  return seconds(t0);
}

// Time of the last download's end handshake: the controller drains what the
// socket buffers still hold before it answers, and the end request polls for
// that answer in steps of a few milliseconds.
double g_end_wait = 0;

double libDownload(uint16_t h) {
  std::vector<uint8_t> prog(kProgram, 'G');
  const auto t0 = Clock::now();
  if (cnc_dwnstart3(h, 0) != EW_SUCCESS) std::abort();
  for (size_t at = 0; at < kProgram;) {
    int32_t len = int32_t(kProgram - at);
    const int16_t r = cnc_download4(h, &len, prog.data() + at);
    if (r == EW_BUFFER) continue;
    if (r != EW_SUCCESS) std::abort();
    at += size_t(len);
  }
  const auto t1 = Clock::now();
  if (cnc_dwnend4(h) != EW_SUCCESS) std::abort();
  g_end_wait = seconds(t1);
  return seconds(t0);
}

// Best of several runs, the two contenders taken turn about so that the load
// of a shared machine falls on both alike.
template <class A, class B>
void bestOf(int runs, A&& a, B&& b, double* ta, double* tb) {
  *ta = *tb = 1e9;
  for (int i = 0; i < runs; ++i) {
    *ta = std::min(*ta, a());
    *tb = std::min(*tb, b());
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
  if (!plat::pin_to_cpu(0)) std::perror("pin_to_cpu");

  LeanPeer peer;
  uint16_t h = 0;
  if (cnc_allclibhndl3("127.0.0.1", peer.port(), 10, &h) != EW_SUCCESS) return 1;

  double raw_up, lib_up, raw_dn, lib_dn;
  bestOf(runs, [] { return rawStream(kUploadPdu); }, [&] { return libUpload(h); }, &raw_up, &lib_up);
  bestOf(runs, [] { return rawStream(kDownloadPdu); }, [&] { return libDownload(h); }, &raw_dn,
         &lib_dn);
  cnc_freelibhndl(h);

  auto mbs = [](double s) { return double(kProgram) / s / 1e6; };
  std::printf("1 MB program, one CPU, best of %d runs\n", runs);
  std::printf("upload   (1450-byte PDUs): ozlib %8.1f MB/s   raw stream %8.1f MB/s   ratio %.2f\n",
              mbs(lib_up), mbs(raw_up), raw_up / lib_up);
  std::printf("download (1280-byte PDUs): ozlib %8.1f MB/s   raw stream %8.1f MB/s   ratio %.2f\n",
              mbs(lib_dn), mbs(raw_dn), raw_dn / lib_dn);
  std::printf("          last download end handshake: %.2f ms\n", g_end_wait * 1e3);
  return 0;
}
