// DeviceLink: raw bytes to and from the machine over the road start-up chose.
//
// Every call opens the port, moves the bytes in one go (or in the pieces the
// USB transfer library can take) and closes it again, so a cable pulled
// between two calls only fails the next one. Framing, waits and retries are
// the commands' business; this file only moves bytes and says what happened.
#include "link/device_link.h"

#include <cstring>

#include "link/direct_port.h"
#include "link/os.h"
#include "link/trace.h"

namespace {

const char* const kPortNames[] = {
    "USB", "LPT1", "LPT2", "LPT3", "\\\\.\\QordEcp1", "\\\\.\\QordEcp2", "\\\\.\\QordEcp3",
};

const char kWritePipeSuffix[] = "\\PIPE00";
const char kReadPipeSuffix[] = "\\PIPE01";
constexpr size_t kPipeSuffixLength = sizeof(kWritePipeSuffix) - 1;
// The control port is a device: anything else (an empty name above all)
// would make the pipes plain paths on the current drive.
const char kDevicePrefix[] = "\\\\.\\";
constexpr size_t kDevicePrefixLength = sizeof(kDevicePrefix) - 1;

// The USB transfer library's calls are bounded to these sizes.
constexpr int32_t kUsbWritePiece = 3072;
constexpr int32_t kUsbReadWhole = 5000;
constexpr int32_t kUsbReadFirstPart = 2624;

// Parallel-port time-outs, ms.
constexpr uint32_t kReadIntervalTimeout = 200;
constexpr uint32_t kReadTotalTimeout = 3000;
constexpr uint32_t kWriteTotalTimeout = 5000;

// ECP driver control codes: device type 0x18, buffered, any access.
constexpr uint32_t kIoctlSetHardwareMode = 0x00182014;  // function 0x805
constexpr uint32_t kIoctlSetPortMode = 0x00182004;      // function 0x801
constexpr uint8_t kHardwareModeDefault = 0x00;
constexpr uint8_t kPortModeEcp = 0x10;  // IEEE 1284 extensibility value of ECP mode

// A count as a driver or library reported it, kept within 0..asked: callers
// continue "after what arrived", so a misbehaving one must never send them
// outside their buffers.
int32_t Moved(int64_t reported, int32_t asked) {
  if (reported < 0) return 0;
  return reported > asked ? asked : static_cast<int32_t>(reported);
}

// One call into the USB transfer library; one that lacks the entry point
// moves nothing.
int32_t CallUsb(Win2kUsbTransferFn fn, uint8_t* buffer, int32_t length) {
  if (fn == nullptr || length <= 0) return 0;
  return Moved(fn(buffer, length), length);
}

// False when the port will not tell its current time-outs; the caller gives up.
bool SetPortTimeouts(Os& os, OsHandle h) {
  CommTimeouts timeouts{};
  if (!os.GetTimeouts(h, &timeouts)) return false;
  // The multipliers stay as the port had them.
  timeouts.ReadIntervalTimeout = kReadIntervalTimeout;
  timeouts.ReadTotalTimeoutConstant = kReadTotalTimeout;
  timeouts.WriteTotalTimeoutConstant = kWriteTotalTimeout;
  os.SetTimeouts(h, timeouts);  // a port that refuses keeps its own; nothing to do about it
  return true;
}

int32_t WriteUsbPieces(const uint8_t* bytes, int32_t length) {
  int32_t sent = 0;
  while (sent < length) {
    int32_t piece = length - sent < kUsbWritePiece ? length - sent : kUsbWritePiece;
    // The library's prototype takes a non-const pointer; it only reads it.
    int32_t n = CallUsb(DeviceLink::Win2kUsbWrite, const_cast<uint8_t*>(bytes) + sent, piece);
    DebugLine("Win2kUsbWrite(?) = %d", n);
    if (n == 0) break;
    sent += n;
  }
  return sent;
}

int32_t WriteUsbPipe(const uint8_t* bytes, int32_t length) {
  Os& os = TheOs();
  OsHandle h = os.OpenDevice(DeviceLink::writePipeName, os_flags::GenericWrite,
                             os_flags::ShareRead | os_flags::ShareWrite, os_flags::AttributeNormal);
  if (h == nullptr) return 0;
  uint32_t reported = 0;
  os.WriteDevice(h, bytes, static_cast<uint32_t>(length), &reported);
  int32_t written = Moved(reported, length);
  DebugLine("WriteFile = nLength(%d) nByte(%d)\n", length, written);
  os.CloseDevice(h);
  return written;
}

// The LPT names and the ECP device: no sharing, no attributes.
int32_t WritePort(const uint8_t* bytes, int32_t length) {
  Os& os = TheOs();
  const char* name = PortName(DeviceLink::portKind);
  OsHandle h = os.OpenDevice(name, os_flags::GenericWrite, 0, 0);
  if (h == nullptr) {
    DebugLine("Can not open the port: %s \n", name);
    return 0;
  }
  if (DeviceLink::portKind != PortKind::Ecp1 && !SetPortTimeouts(os, h)) {
    os.CloseDevice(h);
    return 0;
  }
  uint32_t written = 0;
  os.WriteDevice(h, bytes, static_cast<uint32_t>(length), &written);
  os.CloseDevice(h);
  return Moved(written, length);
}

int32_t ReadPort(uint8_t* buffer, int32_t length) {
  Os& os = TheOs();
  OsHandle h = os.OpenDevice(PortName(DeviceLink::portKind),
                             os_flags::GenericRead | os_flags::GenericWrite, 0,
                             os_flags::AttributeNormal);
  if (h == nullptr) {
    Trace("\n Can not open the port: LPT1 \n");
    return 0;
  }
  if (DeviceLink::portKind == PortKind::Ecp1) {
    // The driver must be told to talk ECP before a reverse transfer; if it
    // refuses, the read may still work in whatever mode the port is in.
    if (!os.IoControl(h, kIoctlSetHardwareMode, &kHardwareModeDefault, 1))
      DebugLine("[Error: Device can't be set to the H/W mode(Method) you want.]");
    if (!os.IoControl(h, kIoctlSetPortMode, &kPortModeEcp, 1))
      DebugLine("[Error: Mode has not been changed.]");
  } else if (!SetPortTimeouts(os, h)) {
    Trace("\n ERROR: Failed to set Comm State\n");
    os.CloseDevice(h);
    return 0;
  }
  uint32_t received = 0;
  os.ReadDevice(h, buffer, static_cast<uint32_t>(length), &received);
  os.CloseDevice(h);
  return Moved(received, length);
}

// The transfer library takes at most a little over 5000 bytes per read, so a
// longer reply (the phonebook) is asked for in two parts.
int32_t ReadUsbLibrary(uint8_t* buffer, int32_t length) {
  if (length <= kUsbReadWhole) return CallUsb(DeviceLink::Win2kUsbRead, buffer, length);
  int32_t a = CallUsb(DeviceLink::Win2kUsbRead, buffer, kUsbReadFirstPart);
  DebugLine("Read(1/2) = %d", a);
  if (a != kUsbReadFirstPart) return a;
  int32_t b = CallUsb(DeviceLink::Win2kUsbRead, buffer + kUsbReadFirstPart,
                      length - kUsbReadFirstPart);
  DebugLine("Read(2/2) = %d", a + b);
  return a + b;
}

int32_t ReadUsbPipe(uint8_t* buffer, int32_t length) {
  Os& os = TheOs();
  OsHandle h = os.OpenDevice(DeviceLink::readPipeName, os_flags::GenericRead, 0,
                             os_flags::AttributeNormal);
  if (h == nullptr) {
    DebugLine(" USB Port open error - for Reading ");
    return 0;
  }
  uint32_t reported = 0;
  os.ReadDevice(h, buffer, static_cast<uint32_t>(length), &reported);
  int32_t received = Moved(reported, length);
  DebugLine("ReadFile nLength = %d, nBytes = %d \n", length, received);
  os.CloseDevice(h);
  return received;
}

}  // namespace

HostPlatform DeviceLink::hostPlatform = HostPlatform::OtherWindows;
PortKind DeviceLink::portKind = PortKind::Lpt1;
char DeviceLink::controlPortName[kUsbNameSize];
char DeviceLink::writePipeName[kUsbNameSize];
char DeviceLink::readPipeName[kUsbNameSize];
GetControlPortNameFn DeviceLink::GetControlPortName = nullptr;
Win2kUsbTransferFn DeviceLink::Win2kUsbWrite = nullptr;
Win2kUsbTransferFn DeviceLink::Win2kUsbRead = nullptr;

const char* PortName(PortKind kind) {
  int index = static_cast<int>(kind);
  if (index < 0 || index >= static_cast<int>(sizeof(kPortNames) / sizeof(kPortNames[0])))
    return kPortNames[static_cast<int>(PortKind::Lpt1)];
  return kPortNames[index];
}

int32_t DeviceLink::Write(const uint8_t* bytes, int32_t length) {
  if (hostPlatform == HostPlatform::Windows95) return DirectWrite(bytes, length);
  if (length < 0) return 0;
  if (portKind == PortKind::Usb) {
    if (hostPlatform == HostPlatform::Nt5 && length > kUsbWritePiece)
      return WriteUsbPieces(bytes, length);
    return WriteUsbPipe(bytes, length);
  }
  return WritePort(bytes, length);
}

int32_t DeviceLink::Read(uint8_t* buffer, int32_t length) {
  if (hostPlatform == HostPlatform::Windows95) return DirectRead(buffer, length);
  if (length < 0) return 0;
  if (portKind != PortKind::Usb) return ReadPort(buffer, length);
  // On NT 5 the transfer library does every read, whatever the size.
  if (hostPlatform == HostPlatform::Nt5) return ReadUsbLibrary(buffer, length);
  return ReadUsbPipe(buffer, length);
}

bool DeviceLink::SetUsbNames(const char* name) {
  // `name` may be controlPortName itself (the library fills it in place), so
  // take it aside before the buffers are cleared.
  char source[kUsbNameSize] = {};
  bool fits = false;
  if (name != nullptr) {
    size_t length = strnlen(name, kUsbNameSize);
    // Room for either suffix and the terminator in a 256-byte buffer.
    fits = length + kPipeSuffixLength < static_cast<size_t>(kUsbNameSize) && length > kDevicePrefixLength &&
           std::memcmp(name, kDevicePrefix, kDevicePrefixLength) == 0;
    if (fits) std::memcpy(source, name, length);
  }
  std::memset(controlPortName, 0, sizeof controlPortName);
  std::memset(writePipeName, 0, sizeof writePipeName);
  std::memset(readPipeName, 0, sizeof readPipeName);
  if (!fits) return false;
  std::strcpy(controlPortName, source);
  std::strcpy(writePipeName, source);
  std::strcat(writePipeName, kWritePipeSuffix);
  std::strcpy(readPipeName, source);
  std::strcat(readPipeName, kReadPipeSuffix);
  return true;
}

void DeviceLink::Reset() {
  hostPlatform = HostPlatform::OtherWindows;
  portKind = PortKind::Lpt1;
  std::memset(controlPortName, 0, sizeof controlPortName);
  std::memset(writePipeName, 0, sizeof writePipeName);
  std::memset(readPipeName, 0, sizeof readPipeName);
  GetControlPortName = nullptr;
  Win2kUsbWrite = nullptr;
  Win2kUsbRead = nullptr;
}
