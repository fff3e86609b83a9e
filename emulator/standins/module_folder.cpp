// The folder of the stand-in DLL this code is linked into (see module_folder.h).
#include "emulator/standins/module_folder.h"

#include <windows.h>

std::string ModuleFolder() {
  // The module is found by an address inside it: each DLL links its own copy
  // of this function, so each gets its own folder.
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ModuleFolder), &module);
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
  std::string folder(path, n < MAX_PATH ? n : 0);
  const size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}
