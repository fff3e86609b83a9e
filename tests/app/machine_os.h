// The OS seam for the Win32 tests: the real Win32 implementation for windows'
// sake, but with the emulated machine behind the parallel port ("LPT1") and
// the ECP device, driver-package libraries played by functions, the debugger
// output recorded and a virtual tick counter, so the protocol's waits cost no
// real time.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "emulator/k40_machine.h"
#include "link/os.h"

class MachineOs final : public Os {
 public:
  MachineOs();   // installs itself
  ~MachineOs() override;  // restores the default

  K40Machine* machine = nullptr;  // null: no machine on the cable
  uint64_t virtualMs = 0;         // every tick-counter read advances it by 1 ms
  std::vector<std::string> debugLines;
  std::vector<std::string> loads;
  std::vector<std::string> frees;
  // Every open asked for. As in Windows, a port open without sharing on
  // either side is not opened a second time.
  std::vector<std::string> opens;
  // Libraries other than these are absent.
  std::map<std::string, std::map<std::string, void*>> libraries;

  OsHandle OpenDevice(const char* name, uint32_t access, uint32_t share,
                      uint32_t attributes) override;
  bool WriteDevice(OsHandle h, const uint8_t* bytes, uint32_t length, uint32_t* written) override;
  bool ReadDevice(OsHandle h, uint8_t* buffer, uint32_t length, uint32_t* read) override;
  void CloseDevice(OsHandle h) override;
  bool FileSize(OsHandle h, uint64_t* size) override {
    return !handles_.count(static_cast<MachineHandle*>(h)) && real_.FileSize(h, size);
  }
  void* AllocZeroed(uint32_t size) override { return real_.AllocZeroed(size); }
  void FreeZeroed(void* block) override { real_.FreeZeroed(block); }
  bool GetTimeouts(OsHandle h, CommTimeouts* timeouts) override;
  bool SetTimeouts(OsHandle h, const CommTimeouts& timeouts) override;
  bool IoControl(OsHandle h, uint32_t code, const void* input, uint32_t inputLength) override;
  uint8_t PortIn(uint16_t port) override { return 0xFF; }
  void PortOut(uint16_t port, uint8_t value) override {}
  uint16_t BiosWord(uint32_t linearAddress) override { return 0x378; }
  void DebugOutput(const char* text) override { debugLines.emplace_back(text); }
  uint32_t TickCount() override { return static_cast<uint32_t>(virtualMs++); }
  void SleepMs(uint32_t ms) override { virtualMs += ms; }
  OsLibrary LoadLib(const char* name) override;
  void* LibProc(OsLibrary library, const char* name) override;
  void FreeLib(OsLibrary library) override;

 private:
  static constexpr uint64_t kFirmwareQuietMs = 10000;
  void EndQuietFirmware();
  uint64_t lastWriteMs_ = 0;

  struct MachineHandle {
    CommTimeouts timeouts;
    std::string name;
    uint32_t share;
  };
  struct FakeLibrary {
    std::string name;
  };
  Os& real_;
  std::set<MachineHandle*> handles_;
  std::map<std::string, FakeLibrary> loaded_;
};
