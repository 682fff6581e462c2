// Files, folders, the registry and access lists on Win32. The shell and
// security functions are looked up by name so that the library loads on a
// system that lacks them and simply does without.
#include "platform/platform.h"

#include <windows.h>
#include <stdlib.h>
#include <aclapi.h>
#include <shlobj.h>

namespace oz::plat {

namespace {

HANDLE h(File* f) { return reinterpret_cast<HANDLE>(f); }

// Casting through a function without parameters is the one conversion from
// FARPROC that GCC accepts without a cast-function-type warning.
template <typename Fn>
Fn lookup(HMODULE mod, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(mod, name)));
}

bool seek(HANDLE file, uint64_t off) {
  LONG high = static_cast<LONG>(off >> 32);
  DWORD low = SetFilePointer(file, static_cast<LONG>(off & 0xFFFFFFFFu), &high, FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

// ReadFile and WriteFile take 32-bit counts; the log's records are far below
// that, but the seam takes size_t.
constexpr DWORD kChunk = 1u << 30;

File* as_file(HANDLE file) {
  return file == INVALID_HANDLE_VALUE ? nullptr : reinterpret_cast<File*>(file);
}

}  // namespace

File* file_open_existing(const std::string& path) {
  return as_file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Not shared: no other process may open a half-written ring.
File* file_create(const std::string& path) {
  return as_file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void file_close(File* f) {
  if (f) CloseHandle(h(f));
}

bool file_read_at(File* f, uint64_t off, void* buf, size_t n) {
  if (!seek(h(f), off)) return false;
  auto* p = static_cast<char*>(buf);
  while (n > 0) {
    DWORD want = n > kChunk ? kChunk : static_cast<DWORD>(n);
    DWORD got = 0;
    if (!ReadFile(h(f), p, want, &got, nullptr) || got != want) return false;
    p += got;
    n -= got;
  }
  return true;
}

bool file_write_at(File* f, uint64_t off, const void* buf, size_t n) {
  if (!seek(h(f), off)) return false;
  auto* p = static_cast<const char*>(buf);
  while (n > 0) {
    DWORD want = n > kChunk ? kChunk : static_cast<DWORD>(n);
    DWORD put = 0;
    if (!WriteFile(h(f), p, want, &put, nullptr) || put != want) return false;
    p += put;
    n -= put;
  }
  return true;
}

bool file_try_lock(File* f, uint64_t off, uint64_t len) {
  return LockFile(h(f), static_cast<DWORD>(off), static_cast<DWORD>(off >> 32),
                  static_cast<DWORD>(len), static_cast<DWORD>(len >> 32)) != FALSE;
}

void file_unlock(File* f, uint64_t off, uint64_t len) {
  UnlockFile(h(f), static_cast<DWORD>(off), static_cast<DWORD>(off >> 32),
             static_cast<DWORD>(len), static_cast<DWORD>(len >> 32));
}

bool make_dir(const std::string& path, bool* existed) {
  if (existed) *existed = false;
  if (CreateDirectoryA(path.c_str(), nullptr)) return true;
  if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  // ERROR_ALREADY_EXISTS also answers for a plain file of that name, which
  // would only make every later open of the log fail.
  DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (existed) *existed = true;
  return true;
}

void grant_everyone(const std::string& dir) {
  // Stays loaded: this runs during the library's load notification, where
  // unloading a module is not safe.
  HMODULE advapi = LoadLibraryA("advapi32.dll");
  if (!advapi) return;
  auto allocate_sid =
      lookup<decltype(&AllocateAndInitializeSid)>(advapi, "AllocateAndInitializeSid");
  auto init_acl = lookup<decltype(&InitializeAcl)>(advapi, "InitializeAcl");
  auto add_ace = lookup<decltype(&AddAccessAllowedAceEx)>(advapi, "AddAccessAllowedAceEx");
  auto set_security = lookup<decltype(&SetNamedSecurityInfoA)>(advapi, "SetNamedSecurityInfoA");
  auto free_sid = lookup<decltype(&FreeSid)>(advapi, "FreeSid");
  if (!allocate_sid || !init_acl || !add_ace || !set_security) return;

  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  if (!allocate_sid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) return;

  // One ACE for a one-authority SID fits with plenty to spare; sizing it
  // exactly would need GetLengthSid, one more function to look up.
  alignas(DWORD) unsigned char acl_buf[256];
  auto* acl = reinterpret_cast<PACL>(acl_buf);
  if (init_acl(acl, sizeof acl_buf, ACL_REVISION) &&
      add_ace(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS,
              everyone)) {
    // SetNamedSecurityInfoA takes a non-const name.
    std::string name = dir;
    set_security(name.data(), SE_FILE_OBJECT,
                 DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                 nullptr, acl, nullptr);
  }
  if (free_sid) free_sid(everyone);
}

char path_sep() { return '\\'; }

bool reg_read_u32(Hive hive, const char* key, const char* value, uint32_t* out) {
  HKEY root = hive == Hive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  // The user's key is opened for writing too, so a key the user may read but
  // not change counts as missing, as it always has.
  REGSAM access = hive == Hive::CurrentUser ? KEY_READ | KEY_WRITE : KEY_READ;
  HKEY k;
  if (RegOpenKeyExA(root, key, 0, access, &k) != ERROR_SUCCESS) return false;
  // The value's type is not examined: whatever its first four bytes hold is
  // the number; a shorter value leaves the rest zero.
  uint32_t v = 0;
  DWORD size = sizeof v;
  LONG rc = RegQueryValueExA(k, value, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS) return false;
  *out = v;
  return true;
}

// OZLIB_SYSDIR and OZLIB_DATADIR, when set, stand in for the system folders on
// Windows too: tests and side-by-side installations point the library at
// folders of their own with them.
static bool env_dir(const char* name, std::string* out) {
  const char* v = getenv(name);
  if (v == nullptr || *v == '\0') return false;
  *out = v;
  return true;
}

bool shared_data_dir(std::string* dir) {
  if (env_dir("OZLIB_DATADIR", dir)) return true;
  OSVERSIONINFOA vi{};
  vi.dwOSVersionInfoSize = sizeof vi;
  // Earlier systems keep application data per user only.
  if (!GetVersionExA(&vi) || vi.dwMajorVersion < 6) return false;
  HMODULE shell = LoadLibraryA("Shell32.dll");
  if (!shell) return false;
  auto folder_path = lookup<decltype(&SHGetFolderPathA)>(shell, "SHGetFolderPathA");
  if (!folder_path) return false;
  char buf[MAX_PATH + 1] = {};
  if (folder_path(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buf) != S_OK)
    return false;
  *dir = buf;
  return true;
}

std::string windows_dir() {
  if (std::string d; env_dir("OZLIB_SYSDIR", &d)) return d;
  char buf[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryA(buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

std::string system_dir() {
  if (std::string d; env_dir("OZLIB_SYSDIR", &d)) return d;
  char buf[MAX_PATH + 1] = {};
  UINT n = GetSystemDirectoryA(buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

std::string exe_dir() {
  char buf[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  std::string p(buf, n);
  const size_t cut = p.rfind('\\');
  return cut == std::string::npos ? std::string() : p.substr(0, cut);
}

std::string alternative_drive_dir() {
  if (std::string d; env_dir("OZLIB_DATADIR", &d)) return d;
  return "D:\\";
}

}  // namespace oz::plat
