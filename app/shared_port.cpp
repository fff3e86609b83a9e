// Port borrowing through the driver package's "portlend.dll".
//
// A refusal leaves the library loaded on purpose: the exit step then still
// calls PortRelease, which the library expects after every PortAcquire.
#include "app/shared_port.h"

#include "link/trace.h"

OsLibrary portSharingLibrary = nullptr;

namespace {
// The port-sharing library's number for the port the panel uses.
constexpr uint32_t kSharedPortId = 8;

void ForgetLibrary() {
  TheOs().FreeLib(portSharingLibrary);
  portSharingLibrary = nullptr;
}
}  // namespace

bool AcquireSharedPort() {
  portSharingLibrary = TheOs().LoadLib("portlend.dll");
  if (portSharingLibrary == nullptr) return true;

  auto acquire = reinterpret_cast<PortLendFn>(TheOs().LibProc(portSharingLibrary, "PortAcquire"));
  if (acquire == nullptr) {
    ForgetLibrary();
    DebugLine("TRV 508 RCP: Port Acquire - FAILED");
    return false;
  }
  if (acquire(kSharedPortId) != 0) {
    DebugLine("TRV 508 RCP: Port Acquire - SUCCESS");
    return true;
  }
  DebugLine("TRV 508 RCP: Port Acquire - FAILED");
  return false;
}

bool ReleaseSharedPort() {
  if (portSharingLibrary == nullptr) return false;

  auto release = reinterpret_cast<PortLendFn>(TheOs().LibProc(portSharingLibrary, "PortRelease"));
  if (release == nullptr) {
    ForgetLibrary();
    return false;
  }
  bool released = release(kSharedPortId) != 0;
  ForgetLibrary();
  DebugLine(released ? "TRV 508 RCP: Port Release - TRUE\n" : "TRV 508 RCP: Port Release - FALSE\n");
  return released;
}
