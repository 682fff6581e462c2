// Time, threads and kernel synchronisation on Win32. The kernel objects are
// used directly rather than through std:: types because their wait results
// (0, 258) and their cross-thread release rules are what the callers rely on.
#include "platform/platform.h"

#include <windows.h>

namespace oz::plat {

// The opaque object types are the kernel handles themselves: no allocation
// stands between a caller and the object it waits on.
namespace {
HANDLE h(KMutex* m) { return reinterpret_cast<HANDLE>(m); }
HANDLE h(KSem* s) { return reinterpret_cast<HANDLE>(s); }
}  // namespace

uint32_t tick_ms() { return GetTickCount(); }

void sleep_ms(uint32_t ms) { Sleep(ms); }

uint32_t thread_id() { return GetCurrentThreadId(); }

uint32_t process_id() { return GetCurrentProcessId(); }

LocalTime local_time() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

KMutex* mutex_create() {
  return reinterpret_cast<KMutex*>(CreateMutexA(nullptr, FALSE, nullptr));
}

void mutex_destroy(KMutex* m) {
  if (m) CloseHandle(h(m));
}

// The raw wait result is passed on, WAIT_ABANDONED (0x80) included: callers
// log it, and a mapping here would hide a thread that died holding the lock.
uint32_t mutex_wait(KMutex* m, uint32_t ms) { return WaitForSingleObject(h(m), ms); }

void mutex_release(KMutex* m) { ReleaseMutex(h(m)); }

KSem* sem_create() {
  return reinterpret_cast<KSem*>(CreateSemaphoreA(nullptr, 1, 1, nullptr));
}

void sem_destroy(KSem* s) {
  if (s) CloseHandle(h(s));
}

uint32_t sem_wait(KSem* s, uint32_t ms) { return WaitForSingleObject(h(s), ms); }

// A release beyond the maximum count of 1 fails and is ignored, so a double
// release cannot let two transfer sessions in at once.
void sem_release(KSem* s) { ReleaseSemaphore(h(s), 1, nullptr); }

}  // namespace oz::plat
