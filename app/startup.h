// The window-free start-up that the panel and rcpctl share: clear the device
// data, borrow the port, learn the host family, find the road and the machine,
// make the phonebook table. What differs between the two programs (boxes and
// the wait cursor, or console messages and exit codes) comes through
// StartupUi.
//
// Portable: the OS through TheOs(), the host family through a function.
#pragma once

#include <optional>

#include "app/port_search.h"

class StartupUi : public IdentifyUi {
 public:
  // The port-sharing library refused the port (or lacks its entry point).
  virtual void PortBusy() = 0;
};

enum class StartupResult { Answered, Ignored, PortBusy, Aborted };

using HostPlatformFn = HostPlatform (*)();

// `forcedPort`: the road the user named (rcpctl --port); no search and no
// fallback then. The table is made only when the machine answered.
StartupResult StartUpMachine(StartupUi& ui, HostPlatformFn hostPlatform, InquiryFn inquiry,
                             std::optional<PortKind> forcedPort = std::nullopt);

// The port back to the scanner driver, the table freed.
void ShutDownMachine();
