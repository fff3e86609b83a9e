// Stand-in for the machine driver package's USB transfer library (usbduct.dll,
// the Windows 2000 and later road): the control-port name, the write pipe
// "\PIPE00" for requests of up to 3072 bytes, and the two transfer entry points
// for larger requests and for every reply. The machine is emulated in-process.
#include <windows.h>

#include <cstdint>

#include "emulator/standins/machine_host.h"
#include "emulator/standins/usb_pipes.h"
#include "link/callconv.h"

extern "C" {

int32_t RCP_WINAPI GetControlPortName(char* buffer, int32_t size) {
  const int32_t length = CopyControlPortName(buffer, size);
  StartUsbPipes(false);
  return length;
}

int32_t RCP_WINAPI Win2kUsbWrite(uint8_t* buffer, int32_t length) {
  MachineHost& host = MachineHost::Instance();
  if (!host.UsbConnected()) return 0;
  return host.Receive(buffer, length, true);
}

int32_t RCP_WINAPI Win2kUsbRead(uint8_t* buffer, int32_t length) {
  MachineHost& host = MachineHost::Instance();
  if (!host.UsbConnected()) return 0;
  host.WaitForPipeWrites();
  return host.Send(buffer, length);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  // Nothing to do per thread; the pipes start on the first name request.
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}

}  // extern "C"
