// The seam between ozlib and the operating system. Everything the library
// needs from the system goes through these declarations; POSIX and Win32
// each implement them once. No system header leaks out of this directory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace oz::plat {

// ---- time, threads, processes ------------------------------------------
uint32_t tick_ms();             // monotonic milliseconds, wraps like a 32-bit tick
void sleep_ms(uint32_t ms);     // 0 yields the processor
uint32_t thread_id();
uint32_t process_id();

struct LocalTime { int year, month, day, hour, minute, second, millis; };
LocalTime local_time();

// Kernel-style waits report like WaitForSingleObject: 0 acquired, 258 timed out.
constexpr uint32_t kWaitOk = 0;
constexpr uint32_t kWaitTimeout = 258;
constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// Recursive mutex owned by a thread (a kernel mutex). Unnamed.
struct KMutex;
KMutex* mutex_create();
void mutex_destroy(KMutex*);
uint32_t mutex_wait(KMutex*, uint32_t ms);
void mutex_release(KMutex*);

// Semaphore of count 1 that any thread may release. Unnamed.
struct KSem;
KSem* sem_create();
void sem_destroy(KSem*);
uint32_t sem_wait(KSem*, uint32_t ms);
void sem_release(KSem*);

// ---- sockets ------------------------------------------------------------
using sock_t = uint64_t;
constexpr sock_t kBadSock = ~sock_t(0);

bool net_startup(uint32_t* err);
bool net_cleanup(uint32_t* err);
uint32_t net_error();                 // the calling thread's last socket error number
bool err_would_block(uint32_t err);   // EWOULDBLOCK / WSAEWOULDBLOCK
bool err_in_progress(uint32_t err);   // a non-blocking connect under way

sock_t sock_create();                 // IPv4 stream socket, kBadSock on failure
int sock_connect(sock_t, uint32_t addr_be, uint16_t port_be);   // 0 or -1
int sock_send(sock_t, const void* buf, int n, int flags);      // count, or -1
int sock_recv(sock_t, void* buf, int n, int flags);            // count, 0 at EOF, or -1
// event 0 readable, 1 writable, 2 exceptional; returns 1 ready, 0 timeout, -1 error
int sock_select(sock_t, int event, uint32_t sec, uint32_t usec);
int sock_set_nonblocking(sock_t, bool on);                     // 0 or -1
int sock_set_nodelay(sock_t, bool on);                         // 0 or -1
int sock_pending_error(sock_t);       // SO_ERROR: 0 when the connect went through
int sock_close(sock_t);               // 0 or -1
const void* sock_fdset_address();     // what log lines print for the descriptor set

uint32_t inet_parse(const char* text);            // network order; 0xFFFFFFFF on failure
bool resolve_host(const char* name, uint32_t* addr_be, uint32_t* err);
std::string inet_text(uint32_t addr_be);          // dotted form
uint16_t to_net16(uint16_t);
uint16_t from_net16(uint16_t);

// Server side, used only by the simulated controllers.
sock_t sock_listen_loopback(uint16_t port, uint16_t* bound_port);
sock_t sock_accept(sock_t listener);
// Wakes a thread blocked on it; the library's sockets use it too, to wake a
// waiter before the descriptor is closed.
void sock_shutdown(sock_t);

// ---- files --------------------------------------------------------------
struct File;
File* file_open_existing(const std::string& path);   // read/write, shared; null if absent
File* file_create(const std::string& path);          // replace, exclusive while written
void file_close(File*);
bool file_read_at(File*, uint64_t off, void* buf, size_t n);
bool file_write_at(File*, uint64_t off, const void* buf, size_t n);
// Byte-range lock that excludes other processes and other open handles of
// the same process alike; never waits.
bool file_try_lock(File*, uint64_t off, uint64_t len);
void file_unlock(File*, uint64_t off, uint64_t len);

// Creates a directory; true when it exists afterwards. *existed tells whether it did before.
bool make_dir(const std::string& path, bool* existed);
void grant_everyone(const std::string& dir);          // full access for all users, inherited
char path_sep();

// ---- settings and folders -----------------------------------------------
enum class Hive { CurrentUser, LocalMachine };
bool reg_read_u32(Hive, const char* key, const char* value, uint32_t* out);
// The shared application-data folder (true) when the system has one.
bool shared_data_dir(std::string* dir);
std::string windows_dir();
std::string system_dir();
// Directory of the host program's executable, without a trailing separator.
std::string exe_dir();
std::string alternative_drive_dir();                  // "D:\" on Windows

// ---- processes and modules (tests, benchmarks, tools) ------------------------
bool pin_to_cpu(int cpu);
// Whether standard output (1) or standard error (2) is a terminal.
bool is_terminal(int stream);
// Sets (value non-null) or removes an environment variable of this process.
void set_env(const char* name, const char* value);                          // the calling process, all its threads
void* lib_open(const char* path);                  // null on failure
void* lib_symbol(void* lib, const char* name);
void lib_close(void* lib);

// ---- library lifetime ----------------------------------------------------
// Called once at load and unload (constructor/destructor or DllMain) and when
// a thread that allocated handles ends.
void on_thread_uses_library();   // arms the thread-exit hook for the calling thread

}  // namespace oz::plat

// Implemented by the core, called by the platform layer.
namespace oz {
void library_load();
void library_unload();
void thread_exit(uint32_t thread_id);
}
