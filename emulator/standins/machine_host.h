// The one emulated machine of a process, as the driver-package stand-ins host
// it. The DLLs live inside the panel's process; whichever of them is loaded
// owns one K40Machine, fed by the USB pipes' server threads and by the
// transfer library's entry points alike.
//
// The machine's state lives in a file beside the DLLs (k40-state.dat), loaded
// on first use and saved after every command that changes it, so what the
// panel writes survives a restart. Its settings (faults, inquiry mode, state
// path) come from k40-machine.ini beside the DLLs and from the environment
// variable K40_MACHINE ("key=value;key=value"), which overrides the file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "emulator/k40_machine.h"

class PipeServer;

class MachineHost {
 public:
  // The machine of this module (made on first use, never in DllMain).
  static MachineHost& Instance();

  // Host to machine. `waitForPipe`: let writes still in the write pipe reach
  // the machine first, so that bytes keep their order.
  int32_t Receive(const uint8_t* bytes, int32_t length, bool waitForPipe);
  // Machine to host: one transfer of at most `length` bytes. The machine sends
  // the phonebook's 11-byte head as a transfer of its own, as the host reads it.
  int32_t Send(uint8_t* buffer, int32_t length);

  // The write pipe's server, so that replies wait for writes it still holds.
  void SetWritePipe(PipeServer* server);
  // Bounded wait until the write pipe has no unserved client.
  void WaitForPipeWrites();

  // Called now and then by the server threads: a firmware image is taken as
  // complete after a pause in the stream (the machine restarts with it).
  void Idle();

  // The folder of the DLL, with a trailing backslash.
  const std::string& Folder() const { return folder_; }
  const std::string& StatePath() const { return statePath_; }
  // False when the settings put the machine on the parallel port instead.
  bool UsbConnected() const { return usbConnected_; }
  // The control-port name this process's USB libraries hand out.
  const std::string& ControlPortName() const { return controlPortName_; }

 private:
  MachineHost();
  void SaveLocked();
  // With a shared state file: takes it again when another program wrote it.
  void ReloadIfChangedLocked();
  FILETIME StateFileTime() const;

  CRITICAL_SECTION lock_;
  K40Machine machine_;
  std::string folder_;
  std::string statePath_;
  PipeServer* writePipe_ = nullptr;
  int32_t nextTransferLimit_ = 0;  // 0: no limit
  DWORD lastReceiveTick_ = 0;
  bool usbConnected_ = true;
  bool shared_ = false;
  FILETIME stateTime_{};
  std::string controlPortName_;
  DWORD firmwareQuietMs_ = 10000;
  int firmwareRate_ = 0;  // image bytes per second; 0: no limit
};

// The control-port name the USB libraries hand out; the pipes hang below it.
constexpr char kControlPortName[] = "\\\\.\\pipe\\QuillmarkK40";
