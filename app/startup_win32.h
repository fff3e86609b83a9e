// The Windows side of the shared start-up that needs no window: the library
// search order, the host family from GetVersionExA and the scanner driver's
// profile. The panel and rcpctl both call these.
#pragma once

#include "link/device_link.h"

// Takes the current directory out of the search for the driver package's
// libraries. What remains, in order: the program's folder, the system
// folder, the 16-bit system folder, the Windows folder, then the folders of
// PATH.
void RemoveCurrentDirectoryFromDllSearch();

// GetVersionExA (structure size 148) turned into the host family.
HostPlatform DetectHostPlatform();

// The scanner driver's "PortType" from PELORA.INI, 1..3 (else 1).
int ReadDriverPortType();
