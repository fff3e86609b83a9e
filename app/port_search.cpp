// Host detection, port selection and the identification loop.
//
// The USB libraries come from the machine's driver package and are trusted
// only as far as needed: one that lacks an entry point, or hands back a
// control-port name with no room for a pipe suffix, makes the USB road count
// as absent, so the parallel port is tried instead of calling through null.
#include "app/port_search.h"

#include <cstring>

#include "link/trace.h"

OsLibrary usbNamingLibrary = nullptr;
OsLibrary usbTransferLibrary = nullptr;

HostPlatform HostPlatformFrom(bool versionOk, uint32_t platformId, uint32_t major, uint32_t minor) {
  if (!versionOk) return HostPlatform::OtherWindows;
  if (platformId == kPlatformWin32Nt)
    return major >= 5 ? HostPlatform::Nt5 : HostPlatform::OtherWindows;
  if (platformId == kPlatformWin32Windows)
    return (major > 4 || minor >= 10) ? HostPlatform::Windows98 : HostPlatform::Windows95;
  return HostPlatform::OtherWindows;
}

int PortTypeFromProfile(int value) { return (value >= 1 && value <= 3) ? value : 1; }

namespace {

void ClearUsbEntryPoints() {
  DeviceLink::GetControlPortName = nullptr;
  DeviceLink::Win2kUsbWrite = nullptr;
  DeviceLink::Win2kUsbRead = nullptr;
}

// Resolves the entry points this platform's library must have. A library
// missing any of them is freed and forgotten, as if it were not installed.
bool ResolveUsbEntryPoints(OsLibrary& library, bool transferLibrary) {
  Os& os = TheOs();
  DeviceLink::GetControlPortName =
      reinterpret_cast<GetControlPortNameFn>(os.LibProc(library, "GetControlPortName"));
  bool complete = DeviceLink::GetControlPortName != nullptr;
  if (transferLibrary) {
    DeviceLink::Win2kUsbWrite = reinterpret_cast<Win2kUsbTransferFn>(os.LibProc(library, "Win2kUsbWrite"));
    DeviceLink::Win2kUsbRead = reinterpret_cast<Win2kUsbTransferFn>(os.LibProc(library, "Win2kUsbRead"));
    complete = complete && DeviceLink::Win2kUsbWrite != nullptr && DeviceLink::Win2kUsbRead != nullptr;
  }
  if (!complete) {
    ClearUsbEntryPoints();
    os.FreeLib(library);
    library = nullptr;
  }
  return complete;
}

// Loads (once) and checks the USB library, asks it for the control port's
// name, and tries the write pipe. True when the USB road is usable.
bool TryUsbRoad(OsLibrary& library, const char* fileName, bool transferLibrary, bool traceName) {
  Os& os = TheOs();
  if (library == nullptr) {
    library = os.LoadLib(fileName);
    if (library == nullptr) return false;
  }
  if (!ResolveUsbEntryPoints(library, transferLibrary)) return false;

  // Zero-filled, and the last byte kept zero, in case the library does not
  // terminate a name that fills the buffer.
  char name[DeviceLink::kUsbNameSize] = {};
  DeviceLink::GetControlPortName(name, DeviceLink::kUsbNameSize);
  name[DeviceLink::kUsbNameSize - 1] = '\0';
  bool namesFit = DeviceLink::SetUsbNames(name);
  if (traceName) DebugLine(" USB Control Port = %s", name);
  if (!namesFit) return false;

  OsHandle pipe = os.OpenDevice(DeviceLink::writePipeName, os_flags::GenericRead | os_flags::GenericWrite,
                                os_flags::ShareRead | os_flags::ShareWrite, os_flags::AttributeNormal);
  if (pipe == nullptr) return false;
  os.CloseDevice(pipe);
  return true;
}

}  // namespace

void SelectPort() {
  switch (DeviceLink::hostPlatform) {
    case HostPlatform::Windows98:
      DeviceLink::portKind = TryUsbRoad(usbNamingLibrary, "usbnamer.dll", false, true)
                                 ? PortKind::Usb
                                 : PortKind::Lpt1;
      break;
    case HostPlatform::Nt5:
      DeviceLink::portKind = TryUsbRoad(usbTransferLibrary, "usbduct.dll", true, false)
                                 ? PortKind::Usb
                                 : PortKind::Ecp1;
      break;
    default:
      // On Windows 95 the link goes straight to the port's registers and
      // ignores this.
      DeviceLink::portKind = PortKind::Ecp1;
      break;
  }
}

bool SelectForcedPort(PortKind kind) {
  DeviceLink::portKind = kind;
  if (kind != PortKind::Usb) return true;
  switch (DeviceLink::hostPlatform) {
    case HostPlatform::Windows98:
      return TryUsbRoad(usbNamingLibrary, "usbnamer.dll", false, true);
    case HostPlatform::Nt5:
      return TryUsbRoad(usbTransferLibrary, "usbduct.dll", true, false);
    default:
      return false;
  }
}

IdentifyResult SearchAndIdentify(IdentifyUi& ui, InquiryFn inquiry, std::optional<PortKind> forcedPort) {
  bool roadThere = true;
  if (forcedPort)
    roadThere = SelectForcedPort(*forcedPort);
  else
    SelectPort();
  for (;;) {
    bool answered = false;
    if (roadThere) {
      ui.BeginWait();
      answered = inquiry() || inquiry();
      ui.EndWait();
    }
    if (answered) return IdentifyResult::Answered;

    if (!forcedPort && DeviceLink::portKind == PortKind::Usb) {
      // The pipe opened but the machine may sit on the parallel cable.
      DeviceLink::portKind =
          DeviceLink::hostPlatform == HostPlatform::Windows98 ? PortKind::Lpt1 : PortKind::Ecp1;
      continue;
    }
    switch (ui.AskNoAnswer()) {
      case NoAnswerChoice::Abort:
        return IdentifyResult::Aborted;
      case NoAnswerChoice::Ignore:
        return IdentifyResult::Ignored;
      case NoAnswerChoice::Retry:
        if (forcedPort)
          roadThere = SelectForcedPort(*forcedPort);
        else
          SelectPort();
        break;
    }
  }
}

void ResetPortSearch() {
  usbNamingLibrary = nullptr;
  usbTransferLibrary = nullptr;
}
