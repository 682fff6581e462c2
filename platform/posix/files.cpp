// Files, directories and settings on POSIX. There is no registry here: the
// few settings the library reads come from environment variables, read at
// call time so that a test can change them between loads.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "platform/platform.h"

namespace oz::plat {

struct File {
  int fd;
};

namespace {

File* wrap(int fd) {
  if (fd < 0) return nullptr;
  return new File{fd};
}

// Byte-range lock on the open file description rather than on the process:
// a classic fcntl lock would let a second descriptor of this process straight
// through, and the log relies on threads excluding each other like processes.
bool ofd_lock(int fd, short type, uint64_t off, uint64_t len, bool wait) {
  struct flock fl;
  std::memset(&fl, 0, sizeof fl);
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = off_t(off);
  fl.l_len = off_t(len);
  fl.l_pid = 0;
  for (;;) {
    if (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return true;
    if (errno != EINTR) return false;
  }
}

const char* env_or(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return (v && *v) ? v : fallback;
}

// Decimal, optionally negative; a negative value is stored as its 32-bit
// two's complement because the level is compared as a signed number.
bool parse_u32(const char* s, uint32_t* out) {
  bool neg = false;
  if (*s == '-') {
    neg = true;
    ++s;
  }
  if (*s == '\0') return false;
  uint64_t v = 0;
  for (; *s; ++s) {
    if (*s < '0' || *s > '9') return false;
    v = v * 10 + uint64_t(*s - '0');
    if (v > (neg ? 0x80000000ull : 0xFFFFFFFFull)) return false;
  }
  *out = neg ? uint32_t(0u - uint32_t(v)) : uint32_t(v);
  return true;
}

struct Setting {
  Hive hive;
  const char* key;
  const char* value;
  const char* env;
};

constexpr Setting kSettings[] = {
    {Hive::CurrentUser, "Software\\Korva\\OzlibEth", "LogLevel", "OZLIB_LOGLEVEL"},
    {Hive::CurrentUser, "Software\\Korva\\OzlibEth", "SockGetInterval", "OZLIB_SOCKGETINTERVAL"},
    {Hive::LocalMachine, "Software\\Korva\\Ozlog", "AlternativeDrive", "OZLIB_ALTERNATIVEDRIVE"},
};

}  // namespace

File* file_open_existing(const std::string& path) {
  return wrap(open(path.c_str(), O_RDWR | O_CLOEXEC));
}

File* file_create(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  // Held until close, so a writer of another process that opens the file
  // half-made fails its header lock and retries instead of reading garbage.
  // Truncating only after the lock keeps a record being written intact.
  if (!ofd_lock(fd, F_WRLCK, 0, 0, true) || ftruncate(fd, 0) != 0) {
    close(fd);
    return nullptr;
  }
  return new File{fd};
}

void file_close(File* f) {
  if (!f) return;
  close(f->fd);
  delete f;
}

namespace {
// pread/pwrite may move fewer bytes than asked or be interrupted: loop until
// all of them are through.
template <class Ptr, class Op>
bool whole(int fd, Ptr p, uint64_t off, size_t n, Op op) {
  while (n > 0) {
    ssize_t r = op(fd, p, n, off_t(off));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    off += uint64_t(r);
    n -= size_t(r);
  }
  return true;
}
}  // namespace

bool file_read_at(File* f, uint64_t off, void* buf, size_t n) {
  return whole(f->fd, static_cast<char*>(buf), off, n, ::pread);
}

bool file_write_at(File* f, uint64_t off, const void* buf, size_t n) {
  return whole(f->fd, static_cast<const char*>(buf), off, n, ::pwrite);
}

bool file_try_lock(File* f, uint64_t off, uint64_t len) {
  return ofd_lock(f->fd, F_WRLCK, off, len, false);
}

void file_unlock(File* f, uint64_t off, uint64_t len) {
  ofd_lock(f->fd, F_UNLCK, off, len, false);
}

bool make_dir(const std::string& path, bool* existed) {
  if (existed) *existed = false;
  if (mkdir(path.c_str(), 0777) == 0) return true;
  if (errno != EEXIST) return false;
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if (existed) *existed = true;
  return true;
}

// The log directory is shared by every user on the machine.
void grant_everyone(const std::string& dir) { (void)chmod(dir.c_str(), 0777); }

char path_sep() { return '/'; }

bool reg_read_u32(Hive hive, const char* key, const char* value, uint32_t* out) {
  for (const Setting& s : kSettings) {
    if (s.hive != hive || strcasecmp(s.key, key) != 0 || strcasecmp(s.value, value) != 0) continue;
    const char* text = std::getenv(s.env);
    return text && parse_u32(text, out);
  }
  return false;
}

bool shared_data_dir(std::string* dir) {
  *dir = env_or("OZLIB_DATADIR", "/var/tmp");
  return true;
}

std::string windows_dir() { return env_or("OZLIB_SYSDIR", "/etc"); }

// One configuration directory stands in for both system folders.
std::string system_dir() { return windows_dir(); }

std::string exe_dir() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return std::string();
  std::string p(buf, size_t(n));
  const size_t cut = p.rfind('/');
  return cut == std::string::npos ? std::string() : p.substr(0, cut);
}

// No second drive here: the data directory stands in for it.
std::string alternative_drive_dir() { return env_or("OZLIB_DATADIR", "/var/tmp"); }

}  // namespace oz::plat
