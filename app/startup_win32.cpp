// Window-free Windows calls of start-up (see startup_win32.h).
#include "app/startup_win32.h"

#include <windows.h>

#include "app/port_search.h"

void RemoveCurrentDirectoryFromDllSearch() {
  // Looked up at run time: Windows before XP SP1 lacks it, and the program
  // must still start there.
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto setDllDirectory =
      kernel ? reinterpret_cast<SetDllDirectoryFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA"))) : nullptr;
  if (setDllDirectory) setDllDirectory("");
}

HostPlatform DetectHostPlatform() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;  // 148
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  bool ok = GetVersionExA(&version) != FALSE;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  return HostPlatformFrom(ok, version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion);
}

int ReadDriverPortType() {
  return PortTypeFromProfile(static_cast<int>(GetPrivateProfileIntA("PELORA DRIVER", "PortType", 1, "PELORA.INI")));
}
