// Load and unload work runs in the shared object's constructor and destructor.
// A thread's handles are removed by a thread-specific key's destructor when a
// thread that used the library ends. A key rather than a C++ thread_local:
// glibc keeps an object with thread_local destructors loaded for as long as
// such a thread lives, so dlclose would not unload the library; the key is
// deleted at unload, after which no destructor can call into unmapped code.
#include <pthread.h>

#include "platform/platform.h"

namespace oz::plat {

namespace {
pthread_key_t g_key;
bool g_key_made = false;

void threadEnded(void*) { oz::thread_exit(thread_id()); }
}  // namespace

void on_thread_uses_library() {
  if (g_key_made && pthread_getspecific(g_key) == nullptr)
    pthread_setspecific(g_key, reinterpret_cast<void*>(1));
}

}  // namespace oz::plat

__attribute__((constructor)) static void oz_loaded() {
  oz::plat::g_key_made = pthread_key_create(&oz::plat::g_key, oz::plat::threadEnded) == 0;
  oz::library_load();
}

__attribute__((destructor)) static void oz_unloaded() {
  oz::library_unload();
  if (oz::plat::g_key_made) pthread_key_delete(oz::plat::g_key);
  oz::plat::g_key_made = false;
}
