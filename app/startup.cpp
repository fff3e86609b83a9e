// The shared start-up sequence (see startup.h).
#include "app/startup.h"

#include "app/shared_port.h"
#include "commands/device_data.h"

StartupResult StartUpMachine(StartupUi& ui, HostPlatformFn hostPlatform, InquiryFn inquiry,
                             std::optional<PortKind> forcedPort) {
  ClearDeviceData();
  if (!AcquireSharedPort()) {
    ui.PortBusy();
    return StartupResult::PortBusy;
  }
  DeviceLink::hostPlatform = hostPlatform();

  switch (SearchAndIdentify(ui, inquiry, forcedPort)) {
    case IdentifyResult::Aborted:
      return StartupResult::Aborted;
    case IdentifyResult::Ignored:
      return StartupResult::Ignored;
    case IdentifyResult::Answered:
      break;
  }
  speedDialCount = kSpeedDialEntries;
  oneTouchCount = 0;
  // Without a table the phonebook has no entries rather than a null one.
  if (!CreatePhonebookTable()) speedDialCount = 0;
  return StartupResult::Answered;
}

void ShutDownMachine() {
  ReleaseSharedPort();
  FreePhonebookTable();
}
