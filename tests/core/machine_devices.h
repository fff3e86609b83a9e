// Test adapters that put the emulated machine behind the fake OS on every
// road the link knows: the LPT file device, the ECP driver device, the two USB
// pipes, and the USB transfer library's two entry points.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "emulator/k40_machine.h"
#include "link/device_link.h"
#include "tests/support/fake_os.h"

// The machine as a device: writes feed it, reads drain its reply.
class MachineDevice : public FakeDevice {
 public:
  explicit MachineDevice(K40Machine& machine) : machine_(machine) {}
  uint32_t Write(const uint8_t* bytes, uint32_t length) override {
    return static_cast<uint32_t>(machine_.Receive(bytes, length));
  }
  uint32_t Read(uint8_t* buffer, uint32_t length) override {
    return static_cast<uint32_t>(machine_.Send(buffer, length));
  }

 private:
  K40Machine& machine_;
};

// Wraps another device and limits what single calls move, in call order:
// the n-th write (read) moves at most writeLimits[n] (readLimits[n]) bytes;
// calls past the end of a list move what the device behind moves. Every call
// is logged with the length asked for.
class ScriptedDevice : public FakeDevice {
 public:
  explicit ScriptedDevice(FakeDevice& inner) : inner_(inner) {}
  std::deque<uint32_t> writeLimits;
  std::deque<uint32_t> readLimits;
  std::vector<uint32_t> writeCalls;
  std::vector<uint32_t> readCalls;

  uint32_t Write(const uint8_t* bytes, uint32_t length) override;
  uint32_t Read(uint8_t* buffer, uint32_t length) override;

 private:
  FakeDevice& inner_;
};

// A device that takes every write and answers reads from a scripted byte
// string (what the machine would have sent), for replies the emulated
// machine cannot be made to send.
class ReplyDevice : public FakeDevice {
 public:
  std::vector<uint8_t> reply;
  std::vector<std::vector<uint8_t>> writes;
  uint32_t Write(const uint8_t* bytes, uint32_t length) override {
    writes.emplace_back(bytes, bytes + length);
    return length;
  }
  uint32_t Read(uint8_t* buffer, uint32_t length) override;

 private:
  size_t pos_ = 0;
};

// The USB transfer library's entry points, served by one device.
struct FakeUsbLibrary {
  static FakeDevice* device;
  static std::vector<int32_t> writeCalls;  // lengths asked
  static std::vector<int32_t> readCalls;
  // Scripted results, consumed in order; past the end the device decides.
  static std::deque<int32_t> writeResults;
  static std::deque<int32_t> readResults;
  static void Reset(FakeDevice* serving);
  static int32_t RCP_WINAPI Win2kUsbWrite(uint8_t* buffer, int32_t length);
  static int32_t RCP_WINAPI Win2kUsbRead(uint8_t* buffer, int32_t length);
};

enum class Road { Lpt1, Ecp1, UsbPipes, UsbNt5 };
const char* RoadName(Road road);

constexpr char kTestControlPort[] = "\\\\.\\K40USB-0";
constexpr char kTestWritePipe[] = "\\\\.\\K40USB-0\\PIPE00";
constexpr char kTestReadPipe[] = "\\\\.\\K40USB-0\\PIPE01";
constexpr char kEcp1Name[] = "\\\\.\\QordEcp1";

// Sets DeviceLink as start-up would for `road` and plugs `device` in behind
// it (both pipes on the USB roads; the library too on NT 5).
void ConnectRoad(FakeOs& os, Road road, FakeDevice& device);
