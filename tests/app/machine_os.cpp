// MachineOs: see machine_os.h.
#include "tests/app/machine_os.h"

#include <cstring>

Os* DefaultOs();  // the Win32 implementation (link/os_win32.cpp)

MachineOs::MachineOs() : real_(*DefaultOs()) { InstallOs(this); }
MachineOs::~MachineOs() {
  InstallOs(nullptr);
  for (MachineHandle* h : handles_) delete h;
}

OsHandle MachineOs::OpenDevice(const char* name, uint32_t access, uint32_t share,
                               uint32_t attributes) {
  opens.emplace_back(name);
  bool machinePort = std::strcmp(name, "LPT1") == 0 || std::strcmp(name, "\\\\.\\QordEcp1") == 0;
  if (!machinePort) return real_.OpenDevice(name, access, share, attributes);
  if (machine == nullptr) return nullptr;
  for (const MachineHandle* open : handles_)
    if (open->name == name && (open->share == 0 || share == 0)) return nullptr;
  auto* h = new MachineHandle{{0, 0, 0, 0, 0}, name, share};
  handles_.insert(h);
  return h;
}

// As the stand-ins do: an image is complete after a quiet spell, and the
// machine restarts with it.
void MachineOs::EndQuietFirmware() {
  if (machine->ReceivingFirmware() && virtualMs - lastWriteMs_ >= kFirmwareQuietMs) machine->EndFirmware();
}

bool MachineOs::WriteDevice(OsHandle h, const uint8_t* bytes, uint32_t length, uint32_t* written) {
  if (!handles_.count(static_cast<MachineHandle*>(h))) return real_.WriteDevice(h, bytes, length, written);
  EndQuietFirmware();
  *written = static_cast<uint32_t>(machine->Receive(bytes, length));
  lastWriteMs_ = virtualMs;
  return true;
}

bool MachineOs::ReadDevice(OsHandle h, uint8_t* buffer, uint32_t length, uint32_t* read) {
  auto* handle = static_cast<MachineHandle*>(h);
  if (!handles_.count(handle)) return real_.ReadDevice(h, buffer, length, read);
  EndQuietFirmware();
  *read = static_cast<uint32_t>(machine->Send(buffer, length));
  // A short read lasts the port's whole read time-out.
  if (*read < length) virtualMs += handle->timeouts.ReadTotalTimeoutConstant;
  return true;
}

void MachineOs::CloseDevice(OsHandle h) {
  auto* handle = static_cast<MachineHandle*>(h);
  if (!handles_.erase(handle)) return real_.CloseDevice(h);
  delete handle;
}

bool MachineOs::GetTimeouts(OsHandle h, CommTimeouts* timeouts) {
  auto* handle = static_cast<MachineHandle*>(h);
  if (!handles_.count(handle)) return real_.GetTimeouts(h, timeouts);
  *timeouts = handle->timeouts;
  return true;
}

bool MachineOs::SetTimeouts(OsHandle h, const CommTimeouts& timeouts) {
  auto* handle = static_cast<MachineHandle*>(h);
  if (!handles_.count(handle)) return real_.SetTimeouts(h, timeouts);
  handle->timeouts = timeouts;
  return true;
}

bool MachineOs::IoControl(OsHandle h, uint32_t code, const void* input, uint32_t inputLength) {
  if (!handles_.count(static_cast<MachineHandle*>(h))) return real_.IoControl(h, code, input, inputLength);
  return true;
}

OsLibrary MachineOs::LoadLib(const char* name) {
  loads.emplace_back(name);
  if (!libraries.count(name)) return nullptr;
  FakeLibrary& library = loaded_[name];
  library.name = name;
  return &library;
}

void* MachineOs::LibProc(OsLibrary library, const char* name) {
  auto& procs = libraries[static_cast<FakeLibrary*>(library)->name];
  auto it = procs.find(name);
  return it == procs.end() ? nullptr : it->second;
}

void MachineOs::FreeLib(OsLibrary library) { frees.push_back(static_cast<FakeLibrary*>(library)->name); }
