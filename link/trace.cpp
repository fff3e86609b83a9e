// Debugger trace and the spin wait shared by all device code.
//
// Both go through the OS seam, so tests see every line and every tick read.
// The lines are formatted the way the Windows wvsprintfA family would (%d,
// %s, %x, %c, %02X...), which for these formats is what vsnprintf does.
#include "link/trace.h"

#include <atomic>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "link/os.h"

namespace {

constexpr size_t kLineBufferSize = 256;

WaitJob pendingJob = nullptr;
void* pendingContext = nullptr;
WaitJob waitPump = nullptr;
void* waitPumpContext = nullptr;

// Formats into `line`; text that does not fit is cut, never overrun.
void FormatCut(char (&line)[kLineBufferSize], size_t room, const char* format, va_list args) {
  int n = std::vsnprintf(line, room, format, args);
  if (n < 0) line[0] = '\0';  // a bad format: write nothing rather than garbage
}

}  // namespace

void Trace(const char* format, ...) {
  char line[kLineBufferSize];
  va_list args;
  va_start(args, format);
  // Keep one byte for the carriage return so the line, "\r" included, stays
  // within 255 characters plus the terminator.
  FormatCut(line, kLineBufferSize - 1, format, args);
  va_end(args);
  size_t length = std::strlen(line);
  line[length] = '\r';
  line[length + 1] = '\0';
  TheOs().DebugOutput(line);
}

void DebugLine(const char* format, ...) {
  char line[kLineBufferSize];
  va_list args;
  va_start(args, format);
  FormatCut(line, kLineBufferSize, format, args);
  va_end(args);
  TheOs().DebugOutput(line);
}

namespace {
std::atomic<uint64_t> busyWaitTotalMs{0};
}  // namespace

uint64_t BusyWaitTotalMs() { return busyWaitTotalMs.load(); }

void BusyWait(uint32_t ms) {
  busyWaitTotalMs += ms;
  Os& os = TheOs();
  const uint32_t start = os.TickCount();
  if (WaitJob job = pendingJob) {
    // Taken before it runs: a wait inside the job must not run it again.
    pendingJob = nullptr;
    job(pendingContext);
  }
  // Unsigned difference: a counter that wraps past 0xFFFFFFFF meanwhile still
  // yields the true elapsed time.
  uint32_t pumped = start;
  for (uint32_t now = os.TickCount(); static_cast<uint32_t>(now - start) < ms; now = os.TickCount()) {
    if (waitPump != nullptr && static_cast<uint32_t>(now - pumped) >= kWaitPumpSliceMs) {
      waitPump(waitPumpContext);
      pumped = now;
    }
  }
}

void SetWaitPump(WaitJob pump, void* context) {
  waitPump = pump;
  waitPumpContext = context;
}

void SetWaitJob(WaitJob job, void* context) {
  pendingJob = job;
  pendingContext = context;
}
