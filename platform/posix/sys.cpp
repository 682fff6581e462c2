#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <semaphore>

#include "platform/platform.h"

namespace oz::plat {

uint32_t tick_ms() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
}

void sleep_ms(uint32_t ms) {
  if (ms == 0) {
    sched_yield();
    return;
  }
  timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

uint32_t thread_id() {
  static thread_local uint32_t tid = uint32_t(syscall(SYS_gettid));
  return tid;
}

uint32_t process_id() { return uint32_t(getpid()); }

LocalTime local_time() {
  timeval tv;
  gettimeofday(&tv, nullptr);
  tm t;
  localtime_r(&tv.tv_sec, &t);
  return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
          int(tv.tv_usec / 1000)};
}

// A kernel mutex may be taken again by the thread that holds it: the failure
// path of an exchange breaks the circuit while still holding its lock.
struct KMutex {
  std::recursive_timed_mutex m;
};

KMutex* mutex_create() { return new KMutex; }
void mutex_destroy(KMutex* m) { delete m; }

uint32_t mutex_wait(KMutex* m, uint32_t ms) {
  if (ms == kInfinite) {
    m->m.lock();
    return kWaitOk;
  }
  if (ms == 0) return m->m.try_lock() ? kWaitOk : kWaitTimeout;
  return m->m.try_lock_for(std::chrono::milliseconds(ms)) ? kWaitOk : kWaitTimeout;
}

void mutex_release(KMutex* m) { m->m.unlock(); }

struct KSem {
  std::binary_semaphore s{1};
};

KSem* sem_create() { return new KSem; }
void sem_destroy(KSem* s) { delete s; }

uint32_t sem_wait(KSem* s, uint32_t ms) {
  if (ms == kInfinite) {
    s->s.acquire();
    return kWaitOk;
  }
  if (ms == 0) return s->s.try_acquire() ? kWaitOk : kWaitTimeout;
  return s->s.try_acquire_for(std::chrono::milliseconds(ms)) ? kWaitOk : kWaitTimeout;
}

// Releasing a free count-1 semaphore must not raise it above its maximum
// (ReleaseSemaphore refuses that too).
void sem_release(KSem* s) {
  if (s->s.try_acquire()) {
    s->s.release();
    return;
  }
  s->s.release();
}

}  // namespace oz::plat
