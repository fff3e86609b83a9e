// Test adapters between the fake OS, the link and the emulated machine.
#include "tests/core/machine_devices.h"

#include <algorithm>
#include <cstring>

uint32_t ScriptedDevice::Write(const uint8_t* bytes, uint32_t length) {
  writeCalls.push_back(length);
  uint32_t allowed = length;
  if (!writeLimits.empty()) {
    allowed = std::min(allowed, writeLimits.front());
    writeLimits.pop_front();
  }
  return allowed == 0 ? 0 : inner_.Write(bytes, allowed);
}

uint32_t ScriptedDevice::Read(uint8_t* buffer, uint32_t length) {
  readCalls.push_back(length);
  uint32_t allowed = length;
  if (!readLimits.empty()) {
    allowed = std::min(allowed, readLimits.front());
    readLimits.pop_front();
  }
  return allowed == 0 ? 0 : inner_.Read(buffer, allowed);
}

uint32_t ReplyDevice::Read(uint8_t* buffer, uint32_t length) {
  size_t n = std::min<size_t>(length, reply.size() - pos_);
  if (n > 0) std::memcpy(buffer, reply.data() + pos_, n);
  pos_ += n;
  return static_cast<uint32_t>(n);
}

FakeDevice* FakeUsbLibrary::device = nullptr;
std::vector<int32_t> FakeUsbLibrary::writeCalls;
std::vector<int32_t> FakeUsbLibrary::readCalls;
std::deque<int32_t> FakeUsbLibrary::writeResults;
std::deque<int32_t> FakeUsbLibrary::readResults;

void FakeUsbLibrary::Reset(FakeDevice* serving) {
  device = serving;
  writeCalls.clear();
  readCalls.clear();
  writeResults.clear();
  readResults.clear();
}

int32_t RCP_WINAPI FakeUsbLibrary::Win2kUsbWrite(uint8_t* buffer, int32_t length) {
  writeCalls.push_back(length);
  if (!writeResults.empty()) {
    int32_t result = writeResults.front();
    writeResults.pop_front();
    return result;
  }
  return device ? static_cast<int32_t>(device->Write(buffer, static_cast<uint32_t>(length))) : 0;
}

int32_t RCP_WINAPI FakeUsbLibrary::Win2kUsbRead(uint8_t* buffer, int32_t length) {
  readCalls.push_back(length);
  if (!readResults.empty()) {
    int32_t result = readResults.front();
    readResults.pop_front();
    return result;
  }
  return device ? static_cast<int32_t>(device->Read(buffer, static_cast<uint32_t>(length))) : 0;
}

const char* RoadName(Road road) {
  switch (road) {
    case Road::Lpt1: return "Lpt1";
    case Road::Ecp1: return "Ecp1";
    case Road::UsbPipes: return "UsbPipes";
    case Road::UsbNt5: return "UsbNt5";
  }
  return "?";
}

void ConnectRoad(FakeOs& os, Road road, FakeDevice& device) {
  DeviceLink::Reset();
  switch (road) {
    case Road::Lpt1:
      DeviceLink::hostPlatform = HostPlatform::Nt5;
      DeviceLink::portKind = PortKind::Lpt1;
      os.AddDevice("LPT1", &device);
      break;
    case Road::Ecp1:
      DeviceLink::hostPlatform = HostPlatform::Nt5;
      DeviceLink::portKind = PortKind::Ecp1;
      os.AddDevice(kEcp1Name, &device);
      break;
    case Road::UsbPipes:
      DeviceLink::hostPlatform = HostPlatform::Windows98;
      DeviceLink::portKind = PortKind::Usb;
      DeviceLink::SetUsbNames(kTestControlPort);
      os.AddDevice(kTestWritePipe, &device);
      os.AddDevice(kTestReadPipe, &device);
      break;
    case Road::UsbNt5:
      DeviceLink::hostPlatform = HostPlatform::Nt5;
      DeviceLink::portKind = PortKind::Usb;
      DeviceLink::SetUsbNames(kTestControlPort);
      os.AddDevice(kTestWritePipe, &device);
      os.AddDevice(kTestReadPipe, &device);
      FakeUsbLibrary::Reset(&device);
      DeviceLink::Win2kUsbWrite = &FakeUsbLibrary::Win2kUsbWrite;
      DeviceLink::Win2kUsbRead = &FakeUsbLibrary::Win2kUsbRead;
      break;
  }
}
