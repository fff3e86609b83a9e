// Stand-in for the scanner driver's port-sharing library (portlend.dll). The
// port is held through a lock file beside the DLL, opened without sharing, so
// the hold is real between processes: a second holder is refused until the
// first releases the port or ends.
#include <windows.h>

#include <cstdint>
#include <string>

#include "emulator/standins/module_folder.h"
#include "link/callconv.h"

namespace {

CRITICAL_SECTION lock;
HANDLE held[256];  // per port number: the open lock file, or null

std::string LockFilePath(int32_t port) {
  return ModuleFolder() + "portlend-" + std::to_string(port) + ".lock";
}

}  // namespace

extern "C" {

int32_t RCP_WINAPI PortAcquire(int32_t port) {
  if (port < 0 || port > 255) return 0;
  EnterCriticalSection(&lock);
  if (held[port] == nullptr) {
    HANDLE file = CreateFileA(LockFilePath(port).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) held[port] = file;
  }
  const int32_t result = held[port] != nullptr ? 1 : 0;
  LeaveCriticalSection(&lock);
  return result;
}

// Non-zero only when this process held the port and has now given it back.
int32_t RCP_WINAPI PortRelease(int32_t port) {
  if (port < 0 || port > 255) return 0;
  EnterCriticalSection(&lock);
  HANDLE file = held[port];
  held[port] = nullptr;
  LeaveCriticalSection(&lock);
  if (file == nullptr) return 0;
  CloseHandle(file);
  return 1;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    InitializeCriticalSection(&lock);
  }
  return TRUE;
}

}  // extern "C"
