// Load and unload work runs in the shared object's constructor and destructor;
// a thread's handles are removed by a thread-local object's destructor, which
// runs when a thread that used the library ends.
#include "platform/platform.h"

namespace oz::plat {

namespace {
struct ThreadExitHook {
  bool armed = false;
  ~ThreadExitHook() {
    if (armed) oz::thread_exit(thread_id());
  }
};
thread_local ThreadExitHook t_hook;
}  // namespace

void on_thread_uses_library() { t_hook.armed = true; }

}  // namespace oz::plat

__attribute__((constructor)) static void oz_loaded() { oz::library_load(); }
__attribute__((destructor)) static void oz_unloaded() { oz::library_unload(); }
