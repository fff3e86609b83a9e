// The port as the fuzz input decides. A device: per write, one byte says how
// much of it is accepted (0x80 and above: all of it); per read, a big-endian
// count (capped at the length asked) followed by that many bytes. The
// parallel port's registers: every read takes the next byte, writes go
// nowhere.
#pragma once

#include <algorithm>

#include "tests/fuzz/fuzz_stream.h"
#include "tests/support/fake_os.h"

class FuzzDevice : public FakeDevice {
 public:
  explicit FuzzDevice(FuzzStream& stream) : stream_(stream) {}
  uint32_t Write(const uint8_t*, uint32_t length) override {
    uint8_t decision = stream_.Byte();
    return decision >= 0x80 ? length : decision % (length + 1);
  }
  uint32_t Read(uint8_t* buffer, uint32_t length) override {
    uint32_t count = std::min<uint32_t>(stream_.Word(), length);
    return static_cast<uint32_t>(stream_.Bytes(buffer, count));
  }

 private:
  FuzzStream& stream_;
};

class FuzzRegisters final : public FakePortRegisters {
 public:
  explicit FuzzRegisters(FuzzStream& stream) : stream_(stream) {}
  uint8_t In(uint16_t) override { return stream_.Byte(); }
  void Out(uint16_t, uint8_t) override {}

 private:
  FuzzStream& stream_;
};
