// Fuzz target: the Windows 95 register road against a peripheral whose
// status and data lines the input decides, byte by byte. Every handshake
// must end (its time-outs), never read or write outside its buffers, and
// leave the records sound when a whole command runs over it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "commands/commands.h"
#include "commands/device_data.h"
#include "link/device_link.h"
#include "link/direct_port.h"
#include "tests/fuzz/fuzz_checks.h"
#include "tests/fuzz/fuzz_device.h"
#include "tests/support/fake_os.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStream stream(data, size);
  FakeOs os;
  // Every wait spins on the tick counter: coarse ticks keep a time-out short.
  os.tickReadCostUs = 100000;
  FuzzRegisters registers(stream);
  os.ports = &registers;
  os.biosWord = stream.Byte() & 1 ? 0x378 : 0x278;
  ResetDirectPort();
  ResetDeviceData();

  switch (stream.Byte() % 3) {
    case 0: {
      std::vector<uint8_t> request(stream.Byte() % 64 + 1, 0x1B);
      DirectWrite(request.data(), static_cast<int32_t>(request.size()));
      std::vector<uint8_t> reply(stream.Word() % 700 + 1);
      int32_t got = DirectRead(reply.data(), static_cast<int32_t>(reply.size()));
      if (got < 0 || got > static_cast<int32_t>(reply.size())) __builtin_trap();
      break;
    }
    case 1:
      DeviceLink::Reset();
      DeviceLink::hostPlatform = HostPlatform::Windows95;
      Mfp_GetSystemInfo();
      break;
    case 2:
      DeviceLink::Reset();
      DeviceLink::hostPlatform = HostPlatform::Windows95;
      speedDialCount = kSpeedDialEntries;
      CreatePhonebookTable();
      Mfp_GetPhonebook();
      break;
  }
  RequireRecordsSound();
  DeviceLink::Reset();
  ResetDirectPort();
  ResetDeviceData();
  return 0;
}
