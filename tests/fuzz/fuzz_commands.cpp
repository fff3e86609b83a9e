// Fuzz target: every read command's judging and decoding of what a port
// delivers, on each road, retries included. The input picks the command and
// the road, then plays the device (accepted counts, reply bytes).
#include <cstddef>
#include <cstdint>

#include "commands/commands.h"
#include "commands/device_data.h"
#include "tests/core/machine_devices.h"
#include "tests/fuzz/fuzz_checks.h"
#include "tests/fuzz/fuzz_device.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStream stream(data, size);
  FakeOs os;
  // The protocol's waits spin on the tick counter: coarse ticks keep a run short.
  os.tickReadCostUs = 1000;
  FuzzDevice device(stream);
  uint8_t command = stream.Byte() % 4;
  Road road = static_cast<Road>(stream.Byte() % 4);

  ResetDeviceData();
  speedDialCount = kSpeedDialEntries;
  CreatePhonebookTable();
  ConnectRoad(os, road, device);
  switch (command) {
    case 0: Mfp_Inquiry(); break;
    case 1: Mfp_GetSystemInfo(); break;
    case 2: Mfp_GetSettings(); break;
    case 3: Mfp_GetPhonebook(); break;
  }
  RequireRecordsSound();
  DeviceLink::Reset();
  ResetDeviceData();
  return 0;
}
