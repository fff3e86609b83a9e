// Debugger trace and the spin wait that all device code shares.
#pragma once

#include <cstdint>

#include "link/callconv.h"

// printf-style line (wvsprintfA dialect) with "\r" appended, written to the
// debugger output. Text beyond the 256-byte buffer is cut.
void Trace(const char* format, ...) RCP_PRINTF_LIKE(1, 2);

// Formatted text written to the debugger output as it stands (no "\r").
void DebugLine(const char* format, ...) RCP_PRINTF_LIKE(1, 2);

// Spins on the tick counter, without sleeping or pumping messages, until at
// least `ms` have passed (unsigned difference, so a counter wrap is harmless).
void BusyWait(uint32_t ms);
