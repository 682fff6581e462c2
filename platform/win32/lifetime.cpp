// Load, unload and thread-end notifications on Win32.
//
// As a DLL the loader tells us through DllMain, for every thread of the
// process. Linked statically (the tests), there is no DllMain: a namespace-
// scope object stands for process attach and detach, and a thread_local
// object stands for thread detach, armed only by threads that used the
// library so that other threads' exits cost nothing.
#include "platform/platform.h"

#include <windows.h>

namespace oz::plat {

#ifdef OZLIB_STATIC

namespace {

struct ThreadHook {
  bool armed = false;
  ~ThreadHook() {
    if (armed) oz::thread_exit(GetCurrentThreadId());
  }
};
thread_local ThreadHook t_hook;

struct ProcessHook {
  ProcessHook() { oz::library_load(); }
  ~ProcessHook() { oz::library_unload(); }
};
ProcessHook g_process_hook;

}  // namespace

void on_thread_uses_library() { t_hook.armed = true; }

#else

// DLL_THREAD_DETACH already reaches every thread.
void on_thread_uses_library() {}

#endif

}  // namespace oz::plat

#ifndef OZLIB_STATIC

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      oz::library_load();
      break;
    case DLL_PROCESS_DETACH:
      oz::library_unload();
      break;
    case DLL_THREAD_DETACH:
      oz::thread_exit(GetCurrentThreadId());
      break;
    default:
      break;
  }
  return TRUE;
}

#endif
