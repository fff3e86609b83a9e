#include "tests/support/fake_os.h"

#include <algorithm>

FakeOs::FakeOs() { InstallOs(this); }
FakeOs::~FakeOs() { InstallOs(nullptr); }

std::string FakeOs::DebugText() const {
  std::string all;
  for (const auto& line : debugLines) all += line;
  return all;
}

void FakeOs::AddDevice(const std::string& name, FakeDevice* device) { devices_[name] = device; }
void FakeOs::RemoveDevice(const std::string& name) { devices_.erase(name); }

OsHandle FakeOs::OpenDevice(const char* name, uint32_t access, uint32_t share,
                            uint32_t attributes) {
  opens.push_back({name, access, share, attributes});
  auto it = devices_.find(name);
  if (it == devices_.end()) return nullptr;
  for (const Handle* open : live_)
    if (open->name == name && (open->share == 0 || share == 0)) return nullptr;
  ++openHandles;
  it->second->Opened();
  live_.push_back(new Handle{name, it->second, initialTimeouts, share});
  return live_.back();
}

bool FakeOs::WriteDevice(OsHandle h, const uint8_t* bytes, uint32_t length, uint32_t* written) {
  *written = static_cast<Handle*>(h)->device->Write(bytes, length);
  return *written == length;
}

bool FakeOs::ReadDevice(OsHandle h, uint8_t* buffer, uint32_t length, uint32_t* read) {
  auto* handle = static_cast<Handle*>(h);
  *read = handle->device->Read(buffer, length);
  if (*read < length && chargeReadTimeouts) AdvanceMs(handle->timeouts.ReadTotalTimeoutConstant);
  return true;
}

void FakeOs::CloseDevice(OsHandle h) {
  --openHandles;
  live_.erase(std::remove(live_.begin(), live_.end(), static_cast<Handle*>(h)), live_.end());
  delete static_cast<Handle*>(h);
}

bool FakeOs::FileSize(OsHandle h, uint64_t* size) { return static_cast<Handle*>(h)->device->Size(size); }

void* FakeOs::AllocZeroed(uint32_t size) {
  if (failAllocations) return nullptr;
  ++liveAllocations;
  return Os::AllocZeroed(size);
}

void FakeOs::FreeZeroed(void* block) {
  if (block != nullptr) --liveAllocations;
  Os::FreeZeroed(block);
}

bool FakeOs::GetTimeouts(OsHandle h, CommTimeouts* timeouts) {
  if (failGetTimeouts) return false;
  *timeouts = static_cast<Handle*>(h)->timeouts;
  return true;
}

bool FakeOs::SetTimeouts(OsHandle h, const CommTimeouts& timeouts) {
  timeoutsSet.push_back(timeouts);
  static_cast<Handle*>(h)->timeouts = timeouts;
  return true;
}

bool FakeOs::IoControl(OsHandle h, uint32_t code, const void* input, uint32_t inputLength) {
  auto* handle = static_cast<Handle*>(h);
  const auto* in = static_cast<const uint8_t*>(input);
  ioControls.push_back({handle->name, code, std::vector<uint8_t>(in, in + inputLength)});
  for (uint32_t failing : failingIoControls)
    if (failing == code) return false;
  return handle->device->IoControl(code, input, inputLength);
}

uint8_t FakeOs::PortIn(uint16_t port) {
  nowUs += portAccessCostUs;
  uint8_t value = ports ? ports->In(port) : 0xFF;
  if (logPortAccesses) portAccesses.push_back({false, port, value});
  return value;
}

void FakeOs::PortOut(uint16_t port, uint8_t value) {
  nowUs += portAccessCostUs;
  if (logPortAccesses) portAccesses.push_back({true, port, value});
  if (ports) ports->Out(port, value);
}

uint16_t FakeOs::BiosWord(uint32_t linearAddress) {
  ++biosReads;
  biosAddresses.push_back(linearAddress);
  switch (linearAddress) {
    case 0x400: return 0x3F8;  // COM1
    case 0x402: return 0x2F8;  // COM2
    case 0x404: return 0x3E8;  // COM3
    case 0x406: return 0x2E8;  // COM4
    case 0x408: return biosWord;  // LPT1
    case 0x40A: return 0x3BC;  // LPT2
    case 0x40C: return 0x278;  // LPT3
    default: return 0xDEAD;
  }
}

void FakeOs::DebugOutput(const char* text) { debugLines.emplace_back(text); }

uint32_t FakeOs::TickCount() {
  uint32_t now = NowMs();
  nowUs += tickReadCostUs;
  return now;
}

void FakeOs::SleepMs(uint32_t ms) {
  sleeps.push_back(ms);
  AdvanceMs(ms);
}

void FakeOs::AddLibrary(const std::string& name, std::map<std::string, void*> procs) {
  libraries_[name] = Library{name, std::move(procs)};
}

OsLibrary FakeOs::LoadLib(const char* name) {
  loads.emplace_back(name);
  auto it = libraries_.find(name);
  return it == libraries_.end() ? nullptr : &it->second;
}

void* FakeOs::LibProc(OsLibrary library, const char* name) {
  auto& procs = static_cast<Library*>(library)->procs;
  auto it = procs.find(name);
  return it == procs.end() ? nullptr : it->second;
}

void FakeOs::FreeLib(OsLibrary library) { frees.push_back(static_cast<Library*>(library)->name); }
