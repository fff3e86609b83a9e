// Fuzz target: the firmware update against a link and an image file whose
// behaviour the input decides: the road, the image's size, its signature and
// how its reads deliver, every count the port accepts and the reply bytes. Whatever comes,
// the update ends (no endless loop on an image that stops delivering), closes
// everything it opened, frees its buffer and restores the cursor.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "commands/device_data.h"
#include "firmware/fw_transfer.h"
#include "link/direct_port.h"
#include "tests/core/machine_devices.h"
#include "tests/firmware/fw_fakes.h"
#include "tests/fuzz/fuzz_device.h"

namespace {
constexpr char kPath[] = "C:\\fw\\fuzz.img";

// An image whose reads deliver what the input says: each read takes one
// byte of the stream (0xF0 and above: nothing; else up to that many
// 64-byte blocks).
struct Pattern {
  uint8_t bytes[512];
  Pattern() {
    for (int i = 0; i < 512; ++i) bytes[i] = static_cast<uint8_t>(i);
  }
};

class FuzzImage final : public FakeDevice {
 public:
  FuzzImage(FuzzStream& stream, uint32_t size, bool sizeFails, bool isImage)
      : stream_(stream), size_(size), sizeFails_(sizeFails), isImage_(isImage) {}
  uint32_t Write(const uint8_t*, uint32_t) override { return 0; }
  uint32_t Read(uint8_t* buffer, uint32_t length) override {
    uint8_t decision = stream_.Byte();
    if (decision >= 0xF0) return 0;
    uint32_t n = std::min<uint32_t>({length, (decision + 1u) * 64u, size_ - std::min(pos_, size_)});
    // The bytes count up from the offset; copied in blocks, not byte by byte,
    // so that the instrumented loop does not dominate a run.
    static const Pattern pattern;
    for (uint32_t done = 0; done < n;) {
      const uint32_t step = std::min<uint32_t>(n - done, 256);
      std::memcpy(buffer + done, pattern.bytes + ((pos_ + done) & 0xFF), step);
      done += step;
    }
    for (uint32_t at = pos_; isImage_ && at < 4 && at < pos_ + n; ++at) buffer[at - pos_] = "$IMG"[at];
    pos_ += n;
    return n;
  }
  bool Size(uint64_t* size) override {
    if (sizeFails_) return false;
    *size = size_;
    return true;
  }
  void Opened() override { pos_ = 0; }

 private:
  FuzzStream& stream_;
  uint32_t size_;
  bool sizeFails_;
  bool isImage_;
  uint32_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStream stream(data, size);
  FakeOs os;
  // The waits spin on the tick counter: coarse ticks keep a run short.
  os.tickReadCostUs = 100000;
  FuzzDevice link(stream);
  FuzzRegisters registers(stream);
  os.ports = &registers;
  ResetDirectPort();
  ResetDeviceData();
  inquiryAnswered = stream.Byte() & 1;

  uint8_t road = stream.Byte() % 5;
  uint32_t imageSize = stream.Word() * 4u;  // up to 256 KiB
  bool sizeFails = stream.Byte() == 0xFF;
  FuzzImage image(stream, imageSize, sizeFails, stream.Byte() != 0xFD);
  os.AddDevice(kPath, &image);
  switch (road) {
    case 0: ConnectRoad(os, Road::Lpt1, link); break;
    case 1: ConnectRoad(os, Road::Ecp1, link); break;
    case 2: ConnectRoad(os, Road::UsbPipes, link); break;
    case 3: ConnectRoad(os, Road::UsbNt5, link); break;
    case 4:
      DeviceLink::Reset();
      DeviceLink::hostPlatform = HostPlatform::Windows95;
      break;
  }
  os.failAllocations = stream.Byte() == 0xFE;

  FakeFwView view(os);
  view.recordShown = false;
  view.fileName = kPath;
  view.updateEnabled = true;
  FwUpTransfer(view).OnUpdate();

  // The closing step ran, whatever the exit.
  if (os.openHandles != 0 || os.liveAllocations != 0 || view.cursors != 0) std::abort();
  DeviceLink::Reset();
  ResetDirectPort();
  ResetDeviceData();
  return 0;
}
