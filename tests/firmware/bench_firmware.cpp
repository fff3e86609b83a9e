// Benchmark of the firmware transfer: a 1 MiB image sent on each road to the
// emulated machine behind the fake OS. The pauses of the update (45.5 s in
// all) run on the virtual clock and cost nothing, so the real time measured
// is our own code's: the chunk loop, the link's calls and the emulated
// machine taking the bytes. Printed in MB/s next to what the link itself
// carries, for comparison.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "commands/device_data.h"
#include "emulator/ieee1284_peripheral.h"
#include "firmware/fw_transfer.h"
#include "link/direct_port.h"
#include "tests/core/machine_devices.h"
#include "tests/direct_port/peripheral_ports.h"
#include "tests/firmware/fw_fakes.h"

namespace {

constexpr size_t kImageSize = 1 << 20;
constexpr char kPath[] = "C:\\fw\\bench.img";
constexpr double kMB = 1e6;

struct RoadCase {
  const char* name;
  HostPlatform platform;
  Road road;
  const char* link;  // the physical link's own rate, for comparison
};

struct Result {
  double seconds = 0;      // real time of our code, all rounds
  double registerUs = 0;   // Windows 95: register accesses at 1 us each
  bool ok = true;
};

Result Run(const RoadCase& c, int rounds, const std::vector<uint8_t>& image) {
  Result result;
  for (int round = 0; round < rounds; ++round) {
    FakeOs os;
    os.chargeReadTimeouts = false;
    K40Machine machine;
    MachineDevice device(machine);
    Ieee1284Peripheral peripheral(machine, 0x378);
    PeripheralPorts ports(peripheral);
    FakeFile file;
    file.bytes = image;
    os.AddDevice(kPath, &file);
    os.ports = &ports;
    ResetDirectPort();
    ConnectRoad(os, c.road, device);
    DeviceLink::hostPlatform = c.platform;
    FakeFwView view(os);
    view.recordShown = false;
    view.fileName = kPath;

    const uint64_t virtualStart = os.nowUs;
    const auto start = std::chrono::steady_clock::now();
    FwUpTransfer(view).OnUpdate();
    result.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    uint64_t pausesUs = 0;
    for (uint32_t ms : view.pauses) pausesUs += uint64_t{ms} * 1000;
    if (c.platform == HostPlatform::Windows95)
      result.registerUs += static_cast<double>(os.nowUs - virtualStart - pausesUs);
    if (machine.state().firmwareImage != image) result.ok = false;
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  std::vector<uint8_t> image(kImageSize);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 131 + (i >> 9));
  image[0] = '$', image[1] = 'I', image[2] = 'M', image[3] = 'G';
  inquiryAnswered = true;

  const RoadCase cases[] = {
      {"USB, NT 5 transfer library", HostPlatform::Nt5, Road::UsbNt5, "USB 1.1: about 1 MB/s"},
      {"USB pipes, Windows 98", HostPlatform::Windows98, Road::UsbPipes, "USB 1.1: about 1 MB/s"},
      {"LPT1 file (DeviceLink)", HostPlatform::Nt5, Road::Lpt1, "compatibility mode: about 0.15 MB/s"},
      {"ECP driver device", HostPlatform::Nt5, Road::Ecp1, "ECP: about 2 MB/s"},
      {"Windows 95 registers", HostPlatform::Windows95, Road::Lpt1, "see register time"},
  };
  std::printf("Firmware transfer of a %zu-byte image, %d rounds per road; the pauses of\n"
              "the update run on the virtual clock and are not counted.\n\n",
              kImageSize, rounds);
  std::printf("%-28s %12s %14s  %s\n", "road", "our code", "MB/s", "the link itself");
  int failures = 0;
  for (const RoadCase& c : cases) {
    const Result r = Run(c, rounds, image);
    const double perRound = r.seconds / rounds;
    std::printf("%-28s %9.1f ms %14.1f  %s\n", c.name, perRound * 1000, kImageSize / kMB / perRound, c.link);
    if (c.platform == HostPlatform::Windows95) {
      const double us = r.registerUs / rounds;
      std::printf("%-28s %9.1f ms %14.2f  (register accesses at 1 us each, ISA bus)\n",
                  "  register time", us / 1000, kImageSize / kMB / (us / 1e6));
    }
    if (!r.ok) {
      std::fprintf(stderr, "%s: the machine did not receive the image byte for byte\n", c.name);
      ++failures;
    }
  }
  DeviceLink::Reset();
  return failures == 0 ? 0 : 1;
}
