// A fake operating system for the portable core's tests.
//
// Time is virtual and kept in microseconds: every tick-counter read and every
// port-register access costs one microsecond, sleeps cost what they ask, so a
// 1500 ms spin finishes at once in real time and its length can be asserted
// to the millisecond. Devices, libraries and the parallel port's registers are
// plugged in by the test.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "link/os.h"

// What stands behind a device or pipe name.
class FakeDevice {
 public:
  virtual ~FakeDevice() = default;
  // Count accepted / delivered.
  virtual uint32_t Write(const uint8_t* bytes, uint32_t length) = 0;
  virtual uint32_t Read(uint8_t* buffer, uint32_t length) = 0;
  virtual bool IoControl(uint32_t code, const void* input, uint32_t inputLength) { return true; }
  // A file's size (GetFileSizeEx); devices have none.
  virtual bool Size(uint64_t* size) { return false; }
  // Called on every open of the name (a file starts again at its first byte).
  virtual void Opened() {}
};

// What stands behind the parallel port's three registers.
class FakePortRegisters {
 public:
  virtual ~FakePortRegisters() = default;
  virtual uint8_t In(uint16_t port) = 0;
  virtual void Out(uint16_t port, uint8_t value) = 0;
};

struct FakeOpen {
  std::string name;
  uint32_t access, share, attributes;
};


struct FakeIoControl {
  std::string device;
  uint32_t code;
  std::vector<uint8_t> input;
};

struct FakePortAccess {
  bool write;  // false: read
  uint16_t port;
  uint8_t value;
};

class FakeOs final : public Os {
 public:
  FakeOs();   // installs itself
  ~FakeOs() override;  // restores the default

  // --- clock ---
  uint64_t nowUs = 0;
  uint32_t tickReadCostUs = 1;
  uint32_t portAccessCostUs = 1;
  uint32_t NowMs() const { return static_cast<uint32_t>(nowUs / 1000); }
  void AdvanceMs(uint32_t ms) { nowUs += uint64_t(ms) * 1000; }
  // Sets the tick counter (e.g. just before it wraps).
  void SetTickMs(uint32_t ms) { nowUs = uint64_t(ms) * 1000; }
  std::vector<uint32_t> sleeps;

  // --- devices ---
  void AddDevice(const std::string& name, FakeDevice* device);
  void RemoveDevice(const std::string& name);
  // Every open asked for. As in Windows, a name open without sharing on
  // either side is not opened a second time (an ECP device held for a
  // transfer refuses the inquiry's open).
  std::vector<FakeOpen> opens;
  int openHandles = 0;          // opened and not yet closed
  bool failGetTimeouts = false;
  std::vector<CommTimeouts> timeoutsSet;
  CommTimeouts initialTimeouts{0, 0, 0, 0, 0};
  std::vector<FakeIoControl> ioControls;
  std::vector<uint32_t> failingIoControls;  // codes that fail
  // A read that delivers less than asked costs the total read time-out set on
  // that handle, as a real port would.
  bool chargeReadTimeouts = true;

  // --- memory ---
  bool failAllocations = false;
  int liveAllocations = 0;  // allocated and not yet freed

  // --- port registers (Windows 95 road) ---
  FakePortRegisters* ports = nullptr;
  // The BIOS data area word of the first parallel port (segment 0x40,
  // offset 8). The words around it hold other ports' addresses, as on a real
  // PC, so that reading the wrong word gives a wrong base.
  uint16_t biosWord = 0x378;
  int biosReads = 0;
  std::vector<uint32_t> biosAddresses;  // every address asked for
  bool logPortAccesses = false;
  std::vector<FakePortAccess> portAccesses;

  // --- debugger output ---
  std::vector<std::string> debugLines;
  std::string DebugText() const;  // every line joined
  void ClearDebug() { debugLines.clear(); }

  // --- libraries ---
  void AddLibrary(const std::string& name, std::map<std::string, void*> procs);
  std::vector<std::string> loads;
  std::vector<std::string> frees;

  // Os
  OsHandle OpenDevice(const char* name, uint32_t access, uint32_t share,
                      uint32_t attributes) override;
  bool WriteDevice(OsHandle h, const uint8_t* bytes, uint32_t length, uint32_t* written) override;
  bool ReadDevice(OsHandle h, uint8_t* buffer, uint32_t length, uint32_t* read) override;
  void CloseDevice(OsHandle h) override;
  bool FileSize(OsHandle h, uint64_t* size) override;
  void* AllocZeroed(uint32_t size) override;
  void FreeZeroed(void* block) override;
  bool GetTimeouts(OsHandle h, CommTimeouts* timeouts) override;
  bool SetTimeouts(OsHandle h, const CommTimeouts& timeouts) override;
  bool IoControl(OsHandle h, uint32_t code, const void* input, uint32_t inputLength) override;
  uint8_t PortIn(uint16_t port) override;
  void PortOut(uint16_t port, uint8_t value) override;
  uint16_t BiosWord(uint32_t linearAddress) override;
  void DebugOutput(const char* text) override;
  uint32_t TickCount() override;
  void SleepMs(uint32_t ms) override;
  OsLibrary LoadLib(const char* name) override;
  void* LibProc(OsLibrary library, const char* name) override;
  void FreeLib(OsLibrary library) override;

 private:
  struct Handle {
    std::string name;
    FakeDevice* device;
    CommTimeouts timeouts;
    uint32_t share;
  };
  struct Library {
    std::string name;
    std::map<std::string, void*> procs;
  };
  std::map<std::string, FakeDevice*> devices_;
  std::vector<Handle*> live_;
  std::map<std::string, Library> libraries_;
};
