// Named shared memory and window messages on Win32: file mappings backed by
// the paging file and message-only windows, each served by a thread of its
// own. Message-only windows need no display, so the stand-ins run on a
// machine without one (and under wine without X).
#include "platform/platform.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace oz::plat {

namespace {

struct MappingName {
  char text[MAX_PATH];
};

MappingName mapping_name(const char* name) {
  MappingName m;
  char scope[128];
  const DWORD n = GetEnvironmentVariableA("OZLIB_IPC_SCOPE", scope, sizeof scope);
  if (n > 0 && n < sizeof scope)
    std::snprintf(m.text, sizeof m.text, "%s %s", scope, name);
  else
    std::snprintf(m.text, sizeof m.text, "%s", name);
  return m;
}

// The view's extent: whole pages, of which the part past the section's own
// size reads as zeros, so a read within it is always safe.
size_t view_size(const void* view) {
  MEMORY_BASIC_INFORMATION mbi;
  return VirtualQuery(view, &mbi, sizeof mbi) == sizeof mbi ? size_t(mbi.RegionSize) : 0;
}

}  // namespace

struct Shared {
  HANDLE mapping;
  uint8_t* view;
  size_t size;
};

namespace {

Shared* map_view(HANDLE m, bool writable) {
  if (m == nullptr) return nullptr;
  void* v = MapViewOfFile(m, writable ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, 0);
  if (v == nullptr) {
    CloseHandle(m);
    return nullptr;
  }
  Shared* s = new (std::nothrow) Shared{m, static_cast<uint8_t*>(v), view_size(v)};
  if (s == nullptr) {
    UnmapViewOfFile(v);
    CloseHandle(m);
  }
  return s;
}

}  // namespace

Shared* shared_create(const char* name, size_t size) {
  HANDLE m = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DWORD(size),
                                mapping_name(name).text);
  return map_view(m, true);
}

Shared* shared_open(const char* name, bool writable) {
  HANDLE m = OpenFileMappingA(writable ? FILE_MAP_WRITE : FILE_MAP_READ, FALSE,
                              mapping_name(name).text);
  return map_view(m, writable);
}

size_t shared_size(const Shared* s) { return s->size; }

size_t shared_read(Shared* s, size_t off, void* buf, size_t n) {
  if (off >= s->size) return 0;
  if (n > s->size - off) n = s->size - off;
  std::memcpy(buf, s->view + off, n);
  return n;
}

size_t shared_write(Shared* s, size_t off, const void* buf, size_t n) {
  if (off >= s->size) return 0;
  if (n > s->size - off) n = s->size - off;
  std::memcpy(s->view + off, buf, n);
  return n;
}

void shared_close(Shared* s) {
  if (!s) return;
  UnmapViewOfFile(s->view);
  CloseHandle(s->mapping);
  delete s;
}

// ---- window messages ------------------------------------------------------------

namespace {
HWND hwnd_of(uint64_t w) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(w)); }
}  // namespace

bool window_send(uint64_t window, uint32_t msg, uint64_t wparam, int64_t lparam, uint32_t ms,
                 uint64_t* answer) {
  DWORD_PTR result = 0;
  if (SendMessageTimeoutA(hwnd_of(window), msg, WPARAM(wparam), LPARAM(lparam), SMTO_BLOCK, ms,
                          &result) == 0)
    return false;
  *answer = uint64_t(result);
  return true;
}

bool window_post(uint64_t window, uint32_t msg, uint64_t wparam, int64_t lparam) {
  return PostMessageA(hwnd_of(window), msg, WPARAM(wparam), LPARAM(lparam)) != 0;
}

void window_show(uint64_t window, int32_t cmd) { ShowWindow(hwnd_of(window), cmd); }

// ---- the receiving side -------------------------------------------------------

struct MsgWindow {
  MsgHandler fn = nullptr;
  void* ctx = nullptr;
  HWND hwnd = nullptr;
  DWORD thread_id = 0;
  HANDLE ready = nullptr;
  std::thread thread;
};

namespace {

constexpr const char* kClassName = "OzlibMessageWindow";

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* w = reinterpret_cast<MsgWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (w && (msg == kMsgClose || msg == kMsgShowWindow || msg >= WM_USER))
    return LRESULT(w->fn(w->ctx, msg, uint64_t(wp), int64_t(lp)));
  return DefWindowProcA(hwnd, msg, wp, lp);
}

HINSTANCE this_module() {
  HMODULE m = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&window_proc), &m);
  return m;
}

bool register_class() {
  static std::once_flag once;
  static bool ok = false;
  std::call_once(once, [] {
    WNDCLASSEXA c{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = window_proc;
    c.hInstance = this_module();
    c.lpszClassName = kClassName;
    ok = RegisterClassExA(&c) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  });
  return ok;
}

// The window lives and dies on its own thread, which pumps its messages.
void window_thread(MsgWindow* w) {
  w->thread_id = GetCurrentThreadId();
  w->hwnd = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, this_module(),
                            nullptr);
  if (w->hwnd) SetWindowLongPtrA(w->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
  SetEvent(w->ready);
  if (!w->hwnd) return;
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
  SetWindowLongPtrA(w->hwnd, GWLP_USERDATA, 0);
  DestroyWindow(w->hwnd);
}

}  // namespace

MsgWindow* window_create(MsgHandler fn, void* ctx) {
  if (!register_class()) return nullptr;
  auto* w = new (std::nothrow) MsgWindow;
  if (w == nullptr) return nullptr;
  w->fn = fn;
  w->ctx = ctx;
  w->ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (w->ready == nullptr) {
    delete w;
    return nullptr;
  }
  try {
    w->thread = std::thread(window_thread, w);
  } catch (const std::system_error&) {
    window_destroy(w);
    return nullptr;
  }
  WaitForSingleObject(w->ready, INFINITE);
  if (w->hwnd == nullptr) {
    window_destroy(w);
    return nullptr;
  }
  return w;
}

uint64_t window_handle(const MsgWindow* w) { return uint64_t(reinterpret_cast<uintptr_t>(w->hwnd)); }

void window_destroy(MsgWindow* w) {
  if (!w) return;
  if (w->thread.joinable()) {
    if (w->hwnd) PostThreadMessageA(w->thread_id, WM_QUIT, 0, 0);
    w->thread.join();
  }
  if (w->ready) CloseHandle(w->ready);
  delete w;
}

}  // namespace oz::plat
