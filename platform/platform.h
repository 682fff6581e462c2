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

// ---- named shared memory and window messages -----------------------------
// The message server and the screen display program are programs of their
// own on the PC; they and the library meet in named shared memory and talk
// through window messages: a request that blocks the sender until the
// receiving window's thread has answered it with a 64-bit value, or a time
// limit has passed.
//
// Win32: file mappings backed by the paging file (CreateFileMappingA,
// OpenFileMappingA, MapViewOfFile) and real windows (SendMessageTimeoutA).
//
// POSIX: a shared memory object (shm_open) per name. The object's name is
// "/ozipc.<uid>." followed by the name with every character other than a
// letter, a digit, '.' or '-' replaced by '_': so the per-user name space of
// a Windows session is kept, and "Korva CNC Screen Display Function - IP
// 0100007F" of user 1000 becomes "/ozipc.1000.Korva_CNC_Screen_Display_
// Function_-_IP_0100007F". The creator's close removes the name, as the
// last close of a mapping does on Windows. A window is a Unix-domain
// sequenced-packet socket in the abstract name space, "ozwnd." and its handle
// in 16 lower-case hexadecimal digits; the handle is the number the owner
// publishes. Contents are read and written through the descriptor, never
// through a mapping, so another program shrinking an object can make a read
// come up short but never fault.
//
// None of these throws; a failure is a null or false result.
//
// OZLIB_IPC_SCOPE, when set, is put in front of every name (on both systems),
// so that independent servers, tests among them, can run side by side.
struct Shared;
// Creates the named memory, or opens it when it exists already, with at least
// size bytes, read-write. Null on failure.
Shared* shared_create(const char* name, size_t size);
// Opens existing named memory; null when there is none.
Shared* shared_open(const char* name, bool writable);
size_t shared_size(const Shared*);
// Copies at most n bytes from off, never past the end; returns the count.
size_t shared_read(Shared*, size_t off, void* buf, size_t n);
// Copies at most n bytes to off, never past the end; returns the count.
size_t shared_write(Shared*, size_t off, const void* buf, size_t n);
void shared_close(Shared*);

// Sends a message and waits at most ms for the window's answer; false when
// there is no such window, it failed or it did not answer in time.
bool window_send(uint64_t window, uint32_t msg, uint64_t wparam, int64_t lparam, uint32_t ms,
                 uint64_t* answer);
// Queues a message without waiting for it to be handled.
bool window_post(uint64_t window, uint32_t msg, uint64_t wparam, int64_t lparam);
// Shows a window with a show command (ShowWindow); on POSIX the window gets
// kMsgShowWindow with the command as wparam.
void window_show(uint64_t window, int32_t cmd);

constexpr uint32_t kMsgClose = 0x0010;
constexpr uint32_t kMsgShowWindow = 0x0018;

// The receiving side (the stand-ins of the separate programs): a window with
// a thread of its own that hands each message to fn and sends back what fn
// returns. Handled: kMsgClose, kMsgShowWindow, and every message from 0x0400
// up; on Win32 the rest goes to the default window procedure.
using MsgHandler = uint64_t (*)(void* ctx, uint32_t msg, uint64_t wparam, int64_t lparam);
struct MsgWindow;
MsgWindow* window_create(MsgHandler fn, void* ctx);   // null on failure
uint64_t window_handle(const MsgWindow*);
void window_destroy(MsgWindow*);                      // waits for a message being handled

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
