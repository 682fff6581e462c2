#include <dlfcn.h>
#include <sched.h>
#include <stdlib.h>
#include <unistd.h>

#include "platform/platform.h"

namespace oz::plat {

bool pin_to_cpu(int cpu) {
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(cpu, &one);
  return sched_setaffinity(0, sizeof one, &one) == 0;
}

bool is_terminal(int stream) { return isatty(stream == 2 ? 2 : 1) != 0; }

void set_env(const char* name, const char* value) {
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
}

void* lib_open(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
void* lib_symbol(void* lib, const char* name) { return dlsym(lib, name); }
void lib_close(void* lib) { dlclose(lib); }

}  // namespace oz::plat
