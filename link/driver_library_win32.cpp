// The driver package's libraries, taken from folders that only
// administrators can write.
//
// A bare name is also searched along PATH, where a user may own a folder, and
// rcpctl runs from administrators' consoles and logon scripts. So each library
// is loaded by its full path, from the folders Windows itself would look in
// first (wherever a driver package installs its libraries), and its own
// dependencies come from beside it and the system folder only where Windows
// can be told so: the search flags are looked up at run time, since older
// Windows lacks them and must still start.
#include "link/driver_library.h"

#include <windows.h>

#include <string>

namespace {

// Values of the LoadLibraryExA flags, which older SDK headers lack.
constexpr DWORD kSearchDllLoadDir = 0x00000100;      // LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
constexpr DWORD kSearchApplicationDir = 0x00000200;  // LOAD_LIBRARY_SEARCH_APPLICATION_DIR
constexpr DWORD kSearchSystem32 = 0x00000800;        // LOAD_LIBRARY_SEARCH_SYSTEM32

FARPROC Kernel32Proc(const char* name) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  return kernel ? GetProcAddress(kernel, name) : nullptr;
}

std::string WithoutTrailingSlash(std::string folder) {
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::string folder(path, n);
  const size_t slash = folder.rfind('\\');
  return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

// The shared Windows folder: under Terminal Services GetWindowsDirectoryA
// gives a folder of the user's own. GetSystemWindowsDirectoryA came with
// Windows 2000.
std::string WindowsFolder() {
  using FolderFn = UINT(WINAPI*)(LPSTR, UINT);
  auto shared = reinterpret_cast<FolderFn>(reinterpret_cast<void*>(Kernel32Proc("GetSystemWindowsDirectoryA")));
  char path[MAX_PATH] = {};
  const UINT n = shared ? shared(path, MAX_PATH) : GetWindowsDirectoryA(path, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::string() : WithoutTrailingSlash(path);
}

std::string SystemFolder() {
  char path[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryA(path, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::string() : WithoutTrailingSlash(path);
}

}  // namespace

void* LoadDriverLibrary(const char* name) {
  const std::string windows = WindowsFolder();
  const std::string folders[] = {ProgramFolder(), SystemFolder(), windows.empty() ? windows : windows + "\\System",
                                 windows};
  // Present from Windows 8 on, and on 7 and Vista with their update.
  const DWORD flags = Kernel32Proc("AddDllDirectory") ? kSearchDllLoadDir | kSearchApplicationDir | kSearchSystem32
                                                      : LOAD_WITH_ALTERED_SEARCH_PATH;
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    const std::string path = folder + "\\" + name;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    if (HMODULE library = LoadLibraryExA(path.c_str(), nullptr, flags)) return library;
  }
  return nullptr;
}
