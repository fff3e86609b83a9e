// The OS seam as the machine jobs use it, with the protocol's sleeps counted:
// a job's own time is its wall-clock time less these and the spin waits
// (BusyWaitTotalMs), which the Server-Timing header reports. Portable.
#pragma once

#include <atomic>
#include <cstdint>

#include "link/os.h"

class TimingOs final : public Os {
 public:
  explicit TimingOs(Os& inner) : inner_(inner) {}
  uint64_t SleptMs() const { return slept_.load(); }

  OsHandle OpenDevice(const char* name, uint32_t access, uint32_t share, uint32_t attributes) override {
    return inner_.OpenDevice(name, access, share, attributes);
  }
  bool WriteDevice(OsHandle h, const uint8_t* bytes, uint32_t length, uint32_t* written) override {
    return inner_.WriteDevice(h, bytes, length, written);
  }
  bool ReadDevice(OsHandle h, uint8_t* buffer, uint32_t length, uint32_t* read) override {
    return inner_.ReadDevice(h, buffer, length, read);
  }
  void CloseDevice(OsHandle h) override { inner_.CloseDevice(h); }
  bool FileSize(OsHandle h, uint64_t* size) override { return inner_.FileSize(h, size); }
  bool GetTimeouts(OsHandle h, CommTimeouts* timeouts) override { return inner_.GetTimeouts(h, timeouts); }
  bool SetTimeouts(OsHandle h, const CommTimeouts& timeouts) override { return inner_.SetTimeouts(h, timeouts); }
  bool IoControl(OsHandle h, uint32_t code, const void* input, uint32_t inputLength) override {
    return inner_.IoControl(h, code, input, inputLength);
  }
  uint8_t PortIn(uint16_t port) override { return inner_.PortIn(port); }
  void PortOut(uint16_t port, uint8_t value) override { inner_.PortOut(port, value); }
  uint16_t BiosWord(uint32_t linearAddress) override { return inner_.BiosWord(linearAddress); }
  void* AllocZeroed(uint32_t size) override { return inner_.AllocZeroed(size); }
  void FreeZeroed(void* block) override { inner_.FreeZeroed(block); }
  void DebugOutput(const char* text) override { inner_.DebugOutput(text); }
  uint32_t TickCount() override { return inner_.TickCount(); }
  void SleepMs(uint32_t ms) override {
    slept_ += ms;
    inner_.SleepMs(ms);
  }
  OsLibrary LoadLib(const char* name) override { return inner_.LoadLib(name); }
  void* LibProc(OsLibrary library, const char* name) override { return inner_.LibProc(library, name); }
  void FreeLib(OsLibrary library) override { inner_.FreeLib(library); }

 private:
  Os& inner_;
  std::atomic<uint64_t> slept_{0};
};
