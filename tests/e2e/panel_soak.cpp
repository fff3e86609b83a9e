// Soak run of the real panel (not a test; tools/soak.sh runs it): many page
// refreshes and phonebook and settings round trips against the emulated
// machine, with the process's handles, GDI and USER objects, windows and
// private memory printed at the start, after the refreshes, halfway through
// the round trips and at the end.
//
//   panel_soak <request file> [refreshes] [round trips]
//
// Wine answers the handle, object and memory queries about another process
// with zeros; at each measuring point this program also writes
// "<name> <pid>" into the request file and waits until tools/soak.sh has
// read the process's figures from the host side and removed the file.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "res/resource.h"
#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

enum Page { kSettings = 0, kAdvanced, kPhonebook, kInformation, kFirmware };

struct Figures {
  DWORD handles = 0, gdi = 0, user = 0, windows = 0;
  SIZE_T privateBytes = 0;
};

BOOL CALLBACK CountChild(HWND, LPARAM data) {
  ++reinterpret_cast<std::pair<DWORD, DWORD>*>(data)->second;
  return TRUE;
}

// Top-level windows of the process and all their descendants.
BOOL CALLBACK CountWindow(HWND window, LPARAM data) {
  auto* count = reinterpret_cast<std::pair<DWORD, DWORD>*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == count->first) {
    ++count->second;
    EnumChildWindows(window, &CountChild, data);
  }
  return TRUE;
}

Figures Measure(DWORD pid) {
  Figures f;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (process == nullptr) {
    std::fprintf(stderr, "cannot open process %lu: error %lu\n", static_cast<unsigned long>(pid),
                 static_cast<unsigned long>(GetLastError()));
    return f;
  }
  if (!GetProcessHandleCount(process, &f.handles))
    std::fprintf(stderr, "no handle count: error %lu\n", static_cast<unsigned long>(GetLastError()));
  f.gdi = GetGuiResources(process, GR_GDIOBJECTS);
  f.user = GetGuiResources(process, GR_USEROBJECTS);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
    f.privateBytes = memory.PrivateUsage;
  else
    std::fprintf(stderr, "no memory figures: error %lu\n", static_cast<unsigned long>(GetLastError()));
  CloseHandle(process);
  std::pair<DWORD, DWORD> count{pid, 0};
  EnumWindows(&CountWindow, reinterpret_cast<LPARAM>(&count));
  f.windows = count.second;
  return f;
}

std::string requestPath;

void AskHost(const char* when, DWORD pid) {
  FILE* f = std::fopen(requestPath.c_str(), "wb");
  if (f == nullptr) return;
  std::fprintf(f, "%s %lu\n", when, static_cast<unsigned long>(pid));
  std::fclose(f);
  for (int i = 0; i < 600 && GetFileAttributesA(requestPath.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
}

void Print(const char* when, const Figures& f) {
  std::printf("%-9s handles %5lu  GDI objects %5lu  USER objects %5lu  windows %4lu  private %8.1f KiB\n", when,
              static_cast<unsigned long>(f.handles), static_cast<unsigned long>(f.gdi),
              static_cast<unsigned long>(f.user), static_cast<unsigned long>(f.windows),
              f.privateBytes / 1024.0);
  std::fflush(stdout);
}

// Clicks a button of a page and waits for its handler to finish; a box the
// click opened (a failure) is answered and counted.
int boxes = 0;
bool Click(Panel& panel, HWND tab, int page, int button) {
  HWND window = SelectPage(tab, page, 60000);
  if (window == nullptr) return false;
  HWND control = GetDlgItem(window, button);
  if (control == nullptr) return false;
  DWORD_PTR result = 0;
  PostMessageA(control, BM_CLICK, 0, 0);
  // The handler runs inside the panel's thread: a message that gets through
  // after the click means the handler is done.
  if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result)) {
    if (HWND box = WaitForMessageBox(panel, 60000)) {
      ++boxes;
      PressButton(box, IDOK);
    }
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result)) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: panel_soak <request file> [refreshes] [round trips]\n");
    return 2;
  }
  requestPath = argv[1];
  int refreshes = argc > 2 ? std::atoi(argv[2]) : 500;
  int roundTrips = argc > 3 ? std::atoi(argv[3]) : 50;
  StartWatchdog(4 * 3600 * 1000);

  const std::string state = kWorkDir + "\\soak-state.dat";
  DeleteFileA(state.c_str());
  Panel panel("state=" + state);
  HWND main = WaitForMainWindow(panel, 60000);
  if (main == nullptr) {
    std::fprintf(stderr, "the panel did not open\n");
    return 1;
  }
  HWND tab = FindTabControl(main);
  // Every page created once before the first figures.
  for (int page = kSettings; page <= kFirmware; ++page) SelectPage(tab, page, 60000);
  Figures start = Measure(panel.pid());
  Print("start", start);
  AskHost("start", panel.pid());

  const struct {
    int page, button;
  } refresh[] = {{kSettings, IDC_REFRESH}, {kAdvanced, IDC_REFRESH}, {kPhonebook, IDC_PB_READ},
                 {kInformation, IDC_REFRESH}, {kFirmware, IDC_REFRESH}};
  DWORD began = GetTickCount();
  for (int i = 0; i < refreshes; ++i) {
    const auto& r = refresh[i % 5];
    if (!Click(panel, tab, r.page, r.button)) {
      std::fprintf(stderr, "refresh %d (page %d) did not finish\n", i, r.page);
      return 1;
    }
  }
  // Figures between the phases and halfway through the round trips: growth
  // that goes on at each step is a leak, growth that stops is the heap settling.
  const auto checkpoint = [&](const char* when) {
    Print(when, Measure(panel.pid()));
    AskHost(when, panel.pid());
  };
  checkpoint("refreshed");
  for (int i = 0; i < roundTrips; ++i) {
    if (i == roundTrips / 2) checkpoint("half");
    bool ok = Click(panel, tab, kPhonebook, IDC_PB_READ) && Click(panel, tab, kPhonebook, IDC_PB_WRITE) &&
              Click(panel, tab, kSettings, IDC_REFRESH) && Click(panel, tab, kSettings, IDC_APPLY) &&
              Click(panel, tab, kAdvanced, IDC_REFRESH) && Click(panel, tab, kAdvanced, IDC_APPLY);
    if (!ok) {
      std::fprintf(stderr, "round trip %d did not finish\n", i);
      return 1;
    }
  }
  Figures end = Measure(panel.pid());
  Print("end", end);
  AskHost("end", panel.pid());
  std::printf("%d refreshes, %d phonebook and settings round trips in %.0f s, %d failure boxes\n", refreshes,
              roundTrips, (GetTickCount() - began) / 1000.0, boxes);
  PostMessageA(main, WM_CLOSE, 0, 0);
  panel.WaitForExit(20000);
  return 0;
}
