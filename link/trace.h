// Debugger trace and the spin wait that all device code shares.
#pragma once

#include <cstdint>

#include "link/callconv.h"

// printf-style line (wvsprintfA dialect) with "\r" appended, written to the
// debugger output. Text beyond the 256-byte buffer is cut.
void Trace(const char* format, ...) RCP_PRINTF_LIKE(1, 2);

// Formatted text written to the debugger output as it stands (no "\r").
void DebugLine(const char* format, ...) RCP_PRINTF_LIKE(1, 2);

// Spins on the tick counter, without sleeping, until at least `ms` have
// passed (unsigned difference, so a counter wrap is harmless). A pending wait
// job (below) runs first, inside the same `ms`; a wait pump, when one is set,
// is called every kWaitPumpSliceMs meanwhile.
void BusyWait(uint32_t ms);

// The milliseconds all BusyWait calls of this process were asked to wait:
// the protocol's own pauses, which a measure of the program's own time per
// operation leaves out.
uint64_t BusyWaitTotalMs();

// Hands the next BusyWait a job to do instead of spinning idle: it runs once,
// on this thread, after the wait has read its start tick, and the wait then
// spins only what is left of its time (none when the job took longer). The
// panel builds its main window, hidden, during the inquiry's wait this way.
// The job must not talk to the machine; a wait inside it spins plainly.
// Nullptr withdraws a job that has not run.
using WaitJob = void (*)(void* context);
void SetWaitJob(WaitJob job, void* context);

// While set, every BusyWait calls `pump` each kWaitPumpSliceMs of its spin,
// so that a window can paint and answer other programs during the waits of
// commands it runs itself. Like a wait job it must not talk to the machine.
// Nullptr removes it.
constexpr uint32_t kWaitPumpSliceMs = 25;
void SetWaitPump(WaitJob pump, void* context);
