// The Windows side of the shared start-up that needs no window: the library
// search order, the host family from GetVersionExA and the scanner driver's
// profile. The panel and rcpctl both call these.
#pragma once

#include "link/device_link.h"

// Takes the current directory out of the process's library search. The
// driver package's libraries do not depend on it: they are loaded by full
// path from the program's and the system's folders (link/driver_library.h).
void RemoveCurrentDirectoryFromDllSearch();

// GetVersionExA (structure size 148) turned into the host family.
HostPlatform DetectHostPlatform();

// The scanner driver's "PortType" from PELORA.INI, 1..3 (else 1).
int ReadDriverPortType();
