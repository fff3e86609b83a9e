// Borrowing the parallel port from the scanner driver while the panel runs.
//
// The driver package's port-sharing library hands the port to one program at
// a time. The panel asks for it at start-up and gives it back at exit; without
// the library the panel simply runs without sharing.
#pragma once

#include <cstdint>

#include "link/callconv.h"
#include "link/os.h"

// Entry points of "portlend.dll": one 32-bit argument (always 8), non-zero on success.
using PortLendFn = int32_t(RCP_WINAPI*)(uint32_t port);

// The loaded port-sharing library, null when not loaded.
extern OsLibrary portSharingLibrary;

// True when the port is ours, or when there is no library to ask.
bool AcquireSharedPort();
// True when the library released the port. The library is freed either way.
bool ReleaseSharedPort();
