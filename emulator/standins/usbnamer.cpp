// Stand-in for the machine driver package's USB naming library (usbnamer.dll,
// the Windows 98 and Me road): it names the control port and serves both of
// its pipes, "\PIPE00" for requests and "\PIPE01" for replies. The machine is
// emulated in-process.
#include <windows.h>

#include <cstdint>

#include "emulator/standins/usb_pipes.h"
#include "link/callconv.h"

extern "C" {

int32_t RCP_WINAPI GetControlPortName(char* buffer, int32_t size) {
  const int32_t length = CopyControlPortName(buffer, size);
  StartUsbPipes(true);
  return length;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}

}  // extern "C"
