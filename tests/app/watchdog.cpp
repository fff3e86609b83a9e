// Ends the test program if it hangs (a box nobody answers, a loop that never
// returns), so a test run always finishes.
#include <windows.h>

#include <cstdio>

namespace {
constexpr DWORD kLimitMs = 120000;

DWORD WINAPI Watch(void*) {
  Sleep(kLimitMs);
  std::fprintf(stderr, "watchdog: the test program hung; ending it\n");
  std::fflush(stderr);
  ExitProcess(97);
}

struct Watchdog {
  Watchdog() { CloseHandle(CreateThread(nullptr, 0, &Watch, nullptr, 0, nullptr)); }
} watchdog;
}  // namespace
