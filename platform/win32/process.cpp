#include <windows.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>

#include "platform/platform.h"

namespace oz::plat {

bool pin_to_cpu(int cpu) {
  return SetProcessAffinityMask(GetCurrentProcess(), DWORD_PTR(1) << cpu) != 0;
}

bool is_terminal(int stream) { return _isatty(_fileno(stream == 2 ? stderr : stdout)) != 0; }

// Both the process environment block and the C runtime's copy, so getenv
// and GetEnvironmentVariableA agree.
void set_env(const char* name, const char* value) {
  SetEnvironmentVariableA(name, value);
  _putenv_s(name, value ? value : "");
}

void* lib_open(const char* path) { return reinterpret_cast<void*>(LoadLibraryA(path)); }
void* lib_symbol(void* lib, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name));
}
void lib_close(void* lib) { FreeLibrary(static_cast<HMODULE>(lib)); }

}  // namespace oz::plat
