// Stand-in for the product's uninstaller on a Windows 95 family host.
//
// The cleanup tests have Wine start this program as a Windows 95 one (its own
// per-program version setting), so GetVersion inside rcpclean.dll takes the
// 95-family road end to end. It loads the library named on its command line
// and makes the closing call, as the uninstaller does.
//
// Exit codes: 0 the call returned 0; 2 no library named; 3 the host did not
// report the 95 family; 4 the library did not load; 5 an export is missing;
// 6 the call returned something else.
#include <windows.h>

namespace {
using UninstExport = LONG(WINAPI*)(DWORD, DWORD, DWORD);

UninstExport FindExport(HMODULE module, const char* name) {
  return reinterpret_cast<UninstExport>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  if ((GetVersion() & 0x80000000u) == 0) return 3;
  HMODULE library = LoadLibraryA(argv[1]);
  if (library == nullptr) return 4;
  UninstExport initialize = FindExport(library, "UninstInitialize");
  UninstExport uninitialize = FindExport(library, "UninstUnInitialize");
  int code = 5;
  if (initialize != nullptr && uninitialize != nullptr) {
    code = initialize(0, 0, 0) == 0 && uninitialize(0, 0, 0) == 0 ? 0 : 6;
  }
  FreeLibrary(library);
  return code;
}
