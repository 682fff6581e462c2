// Load, unload and thread-end notifications on Win32.
//
// As a DLL the loader tells us through DllMain, for every thread of the
// process. Linked statically (the tests), there is no DllMain: a namespace-
// scope object stands for process attach and detach, and a TLS callback
// for thread detach, acting only for threads that used the library so that
// other threads' exits cost nothing.
#include "platform/platform.h"

#include <windows.h>

namespace oz::plat {

#ifdef OZLIB_STATIC

namespace {

// Per thread, through the system's own TLS: non-null once the thread used
// the library. A C++ thread_local would not do: mingw runs the destructors
// of thread_local objects unreliably (now and then not at all), and a
// thread's handles then outlive it.
DWORD g_used = TLS_OUT_OF_INDEXES;

struct ProcessHook {
  ProcessHook() {
    g_used = TlsAlloc();
    oz::library_load();
  }
  ~ProcessHook() { oz::library_unload(); }
};
ProcessHook g_process_hook;

// A TLS callback: the loader calls it at every thread's end, as it calls a
// DLL's DllMain.
void NTAPI threadDetach(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_THREAD_DETACH && g_used != TLS_OUT_OF_INDEXES && TlsGetValue(g_used) != nullptr)
    oz::thread_exit(GetCurrentThreadId());
}

}  // namespace

extern "C" __attribute__((section(".CRT$XLF"), used)) const PIMAGE_TLS_CALLBACK oz_thread_detach =
    threadDetach;

void on_thread_uses_library() {
  if (g_used != TLS_OUT_OF_INDEXES) TlsSetValue(g_used, reinterpret_cast<LPVOID>(1));
}

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
