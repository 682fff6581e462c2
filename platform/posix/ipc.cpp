// Named shared memory and window messages on POSIX (Linux): shm_open objects
// and Unix-domain sequenced-packet sockets in the abstract name space. The
// naming rules are told in platform.h.
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

#include "platform/platform.h"

namespace oz::plat {

namespace {

// The object's name per the rule in platform.h, on the stack.
struct ObjectName {
  char text[256];
};

ObjectName object_name(const char* name) {
  ObjectName n;
  const char* scope = std::getenv("OZLIB_IPC_SCOPE");
  int at = std::snprintf(n.text, sizeof n.text, "/ozipc.%u.", unsigned(getuid()));
  auto put = [&](const char* p) {
    for (; *p && at < int(sizeof n.text) - 1; ++p) {
      const char ch = *p;
      const bool keep = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                        (ch >= '0' && ch <= '9') || ch == '.' || ch == '-';
      n.text[at++] = keep ? ch : '_';
    }
  };
  if (scope && *scope) {
    put(scope);
    put(" ");
  }
  put(name);
  n.text[at] = '\0';
  return n;
}

off_t current_size(int fd) {
  struct stat st;
  return fstat(fd, &st) == 0 ? st.st_size : 0;
}

}  // namespace

struct Shared {
  int fd;
  bool created;       // this handle made the object: its close removes the name
  ObjectName name;
};

Shared* shared_create(const char* name, size_t size) {
  const ObjectName n = object_name(name);
  int fd = shm_open(n.text, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  const bool created = fd >= 0;
  if (!created && errno == EEXIST) fd = shm_open(n.text, O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  // Never shrink: a reader of the old size would come up short, and a
  // mapping of it (another program's) could fault.
  if (current_size(fd) < off_t(size) && ftruncate(fd, off_t(size)) != 0) {
    close(fd);
    if (created) shm_unlink(n.text);
    return nullptr;
  }
  Shared* s = new (std::nothrow) Shared{fd, created, n};
  if (s == nullptr) {
    close(fd);
    if (created) shm_unlink(n.text);
  }
  return s;
}

Shared* shared_open(const char* name, bool writable) {
  const ObjectName n = object_name(name);
  const int fd = shm_open(n.text, (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  Shared* s = new (std::nothrow) Shared{fd, false, n};
  if (s == nullptr) close(fd);
  return s;
}

size_t shared_size(const Shared* s) { return size_t(current_size(s->fd)); }

size_t shared_read(Shared* s, size_t off, void* buf, size_t n) {
  size_t done = 0;
  while (done < n) {
    const ssize_t r = pread(s->fd, static_cast<uint8_t*>(buf) + done, n - done, off_t(off + done));
    if (r > 0) done += size_t(r);
    else if (r == 0 || errno != EINTR) break;
  }
  return done;
}

size_t shared_write(Shared* s, size_t off, const void* buf, size_t n) {
  const size_t size = shared_size(s);
  if (off >= size) return 0;
  if (n > size - off) n = size - off;
  size_t done = 0;
  while (done < n) {
    const ssize_t r =
        pwrite(s->fd, static_cast<const uint8_t*>(buf) + done, n - done, off_t(off + done));
    if (r > 0) done += size_t(r);
    else if (r == 0 || errno != EINTR) break;
  }
  return done;
}

void shared_close(Shared* s) {
  if (!s) return;
  close(s->fd);
  if (s->created) shm_unlink(s->name.text);
  delete s;
}

// ---- window messages ------------------------------------------------------------

namespace {

constexpr uint32_t kMagic = 0x4F5A574Du;   // "OZWM"

struct Packet {
  uint32_t magic;
  uint32_t msg;
  uint64_t wparam;
  int64_t lparam;
  uint32_t answer_wanted;
  uint32_t pad;
};

struct Answer {
  uint32_t magic;
  uint32_t pad;
  uint64_t value;
};

socklen_t window_address(uint64_t window, sockaddr_un* a) {
  std::memset(a, 0, sizeof *a);
  a->sun_family = AF_UNIX;
  char text[32];
  const int n = std::snprintf(text, sizeof text, "ozwnd.%016llx", static_cast<unsigned long long>(window));
  std::memcpy(a->sun_path + 1, text, size_t(n));   // sun_path[0] = 0: the abstract name space
  return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(n));
}

// Milliseconds left of a limit taken at `start`.
int remaining(uint32_t start, uint32_t ms) {
  const uint32_t spent = tick_ms() - start;
  return spent >= ms ? 0 : int(ms - spent);
}

bool wait_for(int fd, short events, int ms) {
  pollfd p{fd, events, 0};
  for (;;) {
    const int r = poll(&p, 1, ms);
    if (r > 0) return (p.revents & events) != 0;
    if (r == 0 || errno != EINTR) return false;
  }
}

// Connects to the window's socket within the limit; -1 when it is not there.
// A full backlog is a busy window, waited for like a window that has not yet
// reached its message.
int connect_window(uint64_t window, uint32_t start, uint32_t ms) {
  sockaddr_un a;
  const socklen_t len = window_address(window, &a);
  for (;;) {
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), len) == 0) return fd;
    const int err = errno;
    close(fd);
    if (err != EAGAIN || remaining(start, ms) == 0) return -1;
    sleep_ms(2);
  }
}

bool deliver(uint64_t window, const Packet& p, uint32_t ms, uint64_t* answer) {
  const uint32_t start = tick_ms();
  const int fd = connect_window(window, start, ms);
  if (fd < 0) return false;
  bool ok = false;
  if (wait_for(fd, POLLOUT, remaining(start, ms)) && send(fd, &p, sizeof p, MSG_NOSIGNAL) == ssize_t(sizeof p)) {
    if (!p.answer_wanted) {
      ok = true;
    } else if (wait_for(fd, POLLIN, remaining(start, ms))) {
      Answer a{};
      ok = recv(fd, &a, sizeof a, 0) == ssize_t(sizeof a) && a.magic == kMagic;
      if (ok) *answer = a.value;
    }
  }
  close(fd);
  return ok;
}

}  // namespace

bool window_send(uint64_t window, uint32_t msg, uint64_t wparam, int64_t lparam, uint32_t ms,
                 uint64_t* answer) {
  return deliver(window, Packet{kMagic, msg, wparam, lparam, 1, 0}, ms, answer);
}

bool window_post(uint64_t window, uint32_t msg, uint64_t wparam, int64_t lparam) {
  uint64_t unused = 0;
  return deliver(window, Packet{kMagic, msg, wparam, lparam, 0, 0}, 1000, &unused);
}

void window_show(uint64_t window, int32_t cmd) {
  uint64_t unused = 0;
  window_send(window, kMsgShowWindow, uint64_t(int64_t(cmd)), 0, 1000, &unused);
}

// ---- the receiving side -------------------------------------------------------

struct MsgWindow {
  MsgHandler fn = nullptr;
  void* ctx = nullptr;
  uint64_t handle = 0;
  int listener = -1;
  int wake[2] = {-1, -1};
  std::thread thread;
};

namespace {

// One connection, one message: the sender waits for nothing else.
void serve_one(MsgWindow& w, int conn) {
  Packet p{};
  if (wait_for(conn, POLLIN, 1000) && recv(conn, &p, sizeof p, 0) == ssize_t(sizeof p) &&
      p.magic == kMagic) {
    const bool handled = p.msg == kMsgClose || p.msg == kMsgShowWindow || p.msg >= 0x0400;
    const Answer a{kMagic, 0, handled ? w.fn(w.ctx, p.msg, p.wparam, p.lparam) : 0};
    if (p.answer_wanted) send(conn, &a, sizeof a, MSG_NOSIGNAL);
  }
  close(conn);
}

void window_loop(MsgWindow* w) {
  for (;;) {
    pollfd p[2] = {{w->listener, POLLIN, 0}, {w->wake[0], POLLIN, 0}};
    if (poll(p, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (p[1].revents) return;
    if (p[0].revents & POLLIN) {
      const int conn = accept4(w->listener, nullptr, nullptr, SOCK_CLOEXEC);
      if (conn >= 0) serve_one(*w, conn);
    }
  }
}

std::atomic<uint32_t> g_window_serial{0};

}  // namespace

MsgWindow* window_create(MsgHandler fn, void* ctx) {
  auto* w = new (std::nothrow) MsgWindow;
  if (w == nullptr) return nullptr;
  w->fn = fn;
  w->ctx = ctx;
  w->listener = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (w->listener >= 0 && pipe2(w->wake, O_CLOEXEC) == 0) {
    // A handle names the process and a serial; a name still taken (a window
    // of a process that had this number before) is skipped.
    for (int tries = 0; tries < 64 && w->handle == 0; ++tries) {
      const uint64_t h = (uint64_t(getpid()) << 24) | (++g_window_serial & 0xFFFFFFu);
      sockaddr_un a;
      const socklen_t len = window_address(h, &a);
      if (bind(w->listener, reinterpret_cast<sockaddr*>(&a), len) == 0 && listen(w->listener, 16) == 0)
        w->handle = h;
    }
  }
  if (w->handle == 0) {
    window_destroy(w);
    return nullptr;
  }
  try {
    w->thread = std::thread(window_loop, w);
  } catch (const std::system_error&) {
    window_destroy(w);
    return nullptr;
  }
  return w;
}

uint64_t window_handle(const MsgWindow* w) { return w->handle; }

void window_destroy(MsgWindow* w) {
  if (!w) return;
  if (w->thread.joinable()) {
    const char stop = 1;
    while (write(w->wake[1], &stop, 1) < 0 && errno == EINTR) {
    }
    w->thread.join();
  }
  for (int fd : {w->listener, w->wake[0], w->wake[1]})
    if (fd >= 0) close(fd);
  delete w;
}

}  // namespace oz::plat
