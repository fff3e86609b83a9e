// CPanelApp: the application object. Start-up makes sure only one copy runs,
// borrows the port, finds the host and the machine, prepares the phonebook
// table and runs the main window; shut-down gives everything back.
#pragma once

#include <windows.h>

#include "link/device_link.h"

class CPanelApp {
 public:
  // Always false: the program ends once the main window has closed or
  // start-up stopped early. Shutdown runs in either case.
  bool Startup();
  void Shutdown();

  // The scanner driver's port choice ("PortType" in PELORA.INI), kept but not
  // used: the port search decides the road.
  int m_portType = 1;
};
