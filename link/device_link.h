// DeviceLink: raw bytes to and from the machine over whichever road start-up
// chose. Every call opens the port, transfers and closes it again.
#pragma once

#include <cstdint>

#include "link/callconv.h"

// Index into the port-name table.
enum class PortKind : int { Usb = 0, Lpt1 = 1, Lpt2 = 2, Lpt3 = 3, Ecp1 = 4, Ecp2 = 5, Ecp3 = 6 };

enum class HostPlatform : int { Windows95, Windows98, Nt5, OtherWindows };

// Entry points of the driver package's USB libraries. A transfer entry point
// left null moves nothing.
using GetControlPortNameFn = int32_t(RCP_WINAPI*)(char* buffer, int32_t size);
using Win2kUsbTransferFn = int32_t(RCP_WINAPI*)(uint8_t* buffer, int32_t length);

// Name opened for each PortKind ("USB" is never opened: the pipes are).
const char* PortName(PortKind kind);

class DeviceLink {
 public:
  static constexpr int kUsbNameSize = 256;

  static HostPlatform hostPlatform;
  static PortKind portKind;
  static char controlPortName[kUsbNameSize];
  static char writePipeName[kUsbNameSize];
  static char readPipeName[kUsbNameSize];
  static GetControlPortNameFn GetControlPortName;
  static Win2kUsbTransferFn Win2kUsbWrite;
  static Win2kUsbTransferFn Win2kUsbRead;

  // Count accepted / received, always within 0..length (whatever the driver
  // or library reports); 0 when the port cannot be opened.
  static int32_t Write(const uint8_t* bytes, int32_t length);
  static int32_t Read(uint8_t* buffer, int32_t length);

  // Zeroes the three names, then sets controlPortName and the two pipe names
  // from `name`. False (names left empty) when `name` is not a device name
  // ("\\.\" and more) or a pipe suffix would not fit.
  static bool SetUsbNames(const char* name);

  // Back to the state of a fresh process (tests): OtherWindows, Lpt1, no
  // names, no entry points.
  static void Reset();
};
