// Start-up of the USB stand-ins' pipes (see usb_pipes.h).
#include "emulator/standins/usb_pipes.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "emulator/standins/machine_host.h"
#include "emulator/standins/pipe_server.h"

namespace {

bool StartPipes(bool withReadPipe) {
  MachineHost& host = MachineHost::Instance();
  if (!host.UsbConnected()) return false;  // no pipes: the panel falls back to the parallel port
  const std::string base = host.ControlPortName();
  // Never destroyed: their threads serve until the process ends.
  auto* writePipe = new PipeServer(base + "\\PIPE00", PipeServer::Direction::FromHost, host);
  if (writePipe->Start()) host.SetWritePipe(writePipe);
  if (withReadPipe) {
    auto* readPipe = new PipeServer(base + "\\PIPE01", PipeServer::Direction::ToHost, host);
    readPipe->Start();
  }
  return true;
}

}  // namespace

void StartUsbPipes(bool withReadPipe) {
  // A function-local static is made exactly once, even with racing callers.
  static const bool started = StartPipes(withReadPipe);
  (void)started;
}

int32_t CopyControlPortName(char* buffer, int32_t size) {
  if (buffer == nullptr || size <= 0) return 0;
  const std::string& name = MachineHost::Instance().ControlPortName();
  const size_t length = name.size();
  if (length + 1 > static_cast<size_t>(size)) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, name.c_str(), length + 1);
  return static_cast<int32_t>(length);
}
