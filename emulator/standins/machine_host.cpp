// The per-process emulated machine behind the driver-package stand-ins.
#include "emulator/standins/machine_host.h"

#include <cstdlib>

#include "emulator/standins/module_folder.h"
#include "emulator/standins/pipe_server.h"
#include "emulator/standins/standin_config.h"

namespace {

// Upper bound for letting the write pipe's server catch up with a client.
constexpr DWORD kPipeCatchUpMs = 3000;

}  // namespace

MachineHost& MachineHost::Instance() {
  static MachineHost host;
  return host;
}

MachineHost::MachineHost() : folder_(ModuleFolder()) {
  InitializeCriticalSection(&lock_);

  StandinConfig config;
  config.ApplyFile(folder_ + "k40-machine.ini");
  char env[4096] = {};
  const DWORD n = GetEnvironmentVariableA("K40_MACHINE", env, sizeof env);
  if (n > 0 && n < sizeof env) config.ApplyVariable(std::string(env, n));

  statePath_ = config.statePath.empty() ? folder_ + "k40-state.dat" : config.statePath;
  machine_.LoadState(statePath_);  // a missing file leaves the factory machine
  config.ApplyTo(machine_);
  usbConnected_ = config.usb;
  shared_ = config.shared;
  stateTime_ = StateFileTime();
  controlPortName_ = kControlPortName;
  if (shared_) controlPortName_ += "-" + std::to_string(GetCurrentProcessId());
  // A firmware image is complete when nothing more arrives for this long.
  firmwareQuietMs_ = static_cast<DWORD>(config.firmwareQuietMs);
  firmwareRate_ = config.firmwareRate;
  lastReceiveTick_ = GetTickCount();
}

int32_t MachineHost::Receive(const uint8_t* bytes, int32_t length, bool waitForPipe) {
  if (bytes == nullptr || length <= 0) return 0;
  if (waitForPipe) WaitForPipeWrites();

  EnterCriticalSection(&lock_);
  ReloadIfChangedLocked();
  const size_t before = machine_.Requests().size();
  const size_t accepted = machine_.Receive(bytes, static_cast<size_t>(length));
  lastReceiveTick_ = GetTickCount();
  if (machine_.Requests().size() > before) {
    const std::vector<MachineCommand> kinds = machine_.RequestKinds();
    bool changed = false;
    for (size_t i = before; i < kinds.size(); ++i) {
      if (kinds[i] == MachineCommand::GetPhonebook) nextTransferLimit_ = 11;
      changed = changed || ChangesState(kinds[i]);
    }
    if (changed) SaveLocked();
    machine_.ForgetRequests();
  }
  const bool image = machine_.ReceivingFirmware();
  LeaveCriticalSection(&lock_);
  // A machine writing its flash takes image bytes at its own pace.
  if (image && firmwareRate_ > 0)
    Sleep(static_cast<DWORD>(uint64_t{accepted} * 1000 / static_cast<uint64_t>(firmwareRate_)));
  return static_cast<int32_t>(accepted);
}

int32_t MachineHost::Send(uint8_t* buffer, int32_t length) {
  if (buffer == nullptr || length <= 0) return 0;
  EnterCriticalSection(&lock_);
  size_t limit = static_cast<size_t>(length);
  if (nextTransferLimit_ > 0 && machine_.Pending() > 0) {
    if (static_cast<size_t>(nextTransferLimit_) < limit) limit = static_cast<size_t>(nextTransferLimit_);
    nextTransferLimit_ = 0;
  }
  const size_t sent = machine_.Send(buffer, limit);
  LeaveCriticalSection(&lock_);
  return static_cast<int32_t>(sent);
}

void MachineHost::SetWritePipe(PipeServer* server) {
  EnterCriticalSection(&lock_);
  writePipe_ = server;
  LeaveCriticalSection(&lock_);
}

void MachineHost::WaitForPipeWrites() {
  EnterCriticalSection(&lock_);
  PipeServer* pipe = writePipe_;
  LeaveCriticalSection(&lock_);
  if (pipe == nullptr) return;
  const DWORD start = GetTickCount();
  while (pipe->Busy() && GetTickCount() - start < kPipeCatchUpMs) Sleep(2);
}

void MachineHost::Idle() {
  EnterCriticalSection(&lock_);
  if (machine_.ReceivingFirmware() && GetTickCount() - lastReceiveTick_ >= firmwareQuietMs_) {
    machine_.EndFirmware();
    SaveLocked();
  }
  LeaveCriticalSection(&lock_);
}

void MachineHost::SaveLocked() {
  // The machine writes aside and swaps the file in: a panel killed mid-save
  // leaves the old state.
  machine_.SaveState(statePath_);
  stateTime_ = StateFileTime();
}

FILETIME MachineHost::StateFileTime() const {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(statePath_.c_str(), GetFileExInfoStandard, &data)) return FILETIME{};
  return data.ftLastWriteTime;
}

void MachineHost::ReloadIfChangedLocked() {
  // Only between commands: a command half received keeps the state it began with.
  if (!shared_ || machine_.Pending() > 0 || machine_.ReceivingFirmware()) return;
  const FILETIME now = StateFileTime();
  if (CompareFileTime(&now, &stateTime_) == 0) return;
  machine_.LoadState(statePath_);
  stateTime_ = now;
}
