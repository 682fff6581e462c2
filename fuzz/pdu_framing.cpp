// The receive path's framing checks on arbitrary bytes. The first byte is
// the PDU type the caller waits for, the rest arrives on a real socket and
// then the peer closes. Whatever came, receivePDU either raises or leaves a
// PDU whose reply RBs can be walked inside the received body.
#include <cstdint>
#include <cstdlib>

#include "base/errors.h"
#include "transport/socket.h"
#include "transport/wire.h"

namespace {

struct Listener {
  oz::plat::sock_t sock;
  uint16_t port = 0;
  Listener() {
    oz::startup();
    sock = oz::plat::sock_listen_loopback(0, &port);
    if (sock == oz::plat::kBadSock) std::abort();
  }
};

void walkReply(const oz::PDU& pdu) {
  if (pdu.type() != oz::kRequest || pdu.direction() != oz::kDirResponse) return;
  const int count = pdu.word(oz::kPduHeader);
  for (int n = 0; n < count; ++n) {
    const uint8_t* rb = oz::findRB(pdu, n);
    const uint8_t* end = pdu.body() + pdu.dataSize();
    // Data may be read up to its length; that must stay in the body.
    if (rb + oz::kRbReplyHeader + oz::rbDataLength(rb) > end) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Listener listener;
  if (size < 1 || size > 4 * oz::kPduBuffer) return 0;
  oz::Socket client;
  if (!client.create()) return 0;
  if (!client.connect(oz::plat::inet_parse("127.0.0.1"), oz::plat::to_net16(listener.port), 2)) return 0;
  const oz::plat::sock_t peer = oz::plat::sock_accept(listener.sock);
  if (peer == oz::plat::kBadSock) return 0;
  for (size_t sent = 1; sent < size;) {
    const int n = oz::plat::sock_send(peer, data + sent, int(size - sent), 0);
    if (n <= 0) break;
    sent += size_t(n);
  }
  oz::plat::sock_shutdown(peer);
  oz::PDU pdu;
  try {
    oz::receivePDU(pdu, client, 2, data[0]);
    walkReply(pdu);
  } catch (const oz::ErrObj&) {
  }
  oz::plat::sock_close(peer);
  return 0;
}
