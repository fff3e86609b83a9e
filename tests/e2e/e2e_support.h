// Helpers for driving the real rcpanel.exe from another process under Wine:
// start it from the demo folder with its debugger output caught in a file,
// find its windows, read and answer them, and make sure it ends.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

extern const std::string kDemoDir;  // Windows path of dist/demo
extern const std::string kWorkDir;  // Windows path of a scratch folder

// One run of the panel. The destructor ends a process that is still running.
class Panel {
 public:
  // `machine`: the emulated machine's settings (K40_MACHINE).
  explicit Panel(const std::string& machine);
  ~Panel();
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  bool started() const { return process_ != nullptr; }
  // Wine's rare start without its display driver (the program then waits
  // forever for windows that never show): seen in the err:winediag line.
  bool StartedWithoutDisplay() const;
  // Ends this process and starts the program again with the same settings.
  bool Relaunch();
  DWORD pid() const { return pid_; }
  // Waits for the process to end; false after `ms` (the process is then killed).
  bool WaitForExit(DWORD ms, DWORD* exitCode = nullptr);
  bool Running() const;
  void Kill();

  // The lines the program wrote with OutputDebugStringA, as Wine's debugstr
  // channel reports them, unescaped. Needs this program's stderr to be a file
  // (tools/wine-run makes it one).
  std::vector<std::string> DebugLines() const;

 private:
  bool Launch();

  std::string machine_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  uint64_t errStart_ = 0;
};

// Where this program's stderr ends now, and the debugger lines that process
// `pid` wrote there after `from` (any program started from here, not only
// the panel).
uint64_t StderrMark();
std::vector<std::string> DebugLinesOf(DWORD pid, uint64_t from);

// The top-level "Dalvenor" window of the panel that holds a tab control (a
// message box can carry the same caption); nullptr after `ms`. A start that
// Wine made without its display driver is relaunched once, transparently.
HWND WaitForMainWindow(Panel& panel, DWORD ms);
// Every main window (top-level "Dalvenor" with a tab control) of any process.
std::vector<HWND> AllMainWindows();
// A message box of the panel (dialog class with the text static 0xFFFF).
HWND WaitForMessageBox(Panel& panel, DWORD ms);

HWND FindTabControl(HWND main);
std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
bool ItemVisible(HWND dialog, int id);
// The tab labels, read through memory in the panel's process.
std::vector<std::string> TabTexts(HWND tab, DWORD pid);

// Presses a button of a box the way a click does, without waiting for it.
void PressButton(HWND box, int id);
// Selects a page of the sheet that holds `tab` (which runs the page's first
// fetch inside the call) and returns the page window.
HWND SelectPage(HWND tab, int index, DWORD ms);

// True when `lines` contains `expected` in this order (other lines between).
bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected,
             std::string* missing);
int Count(const std::vector<std::string>& lines, const std::string& line);
std::string Printable(const std::vector<std::string>& lines);

// Process-wide watchdog: a hung test run ends with exit code 3 after `ms`,
// taking the panels it started with it.
void StartWatchdog(DWORD ms);

}  // namespace e2e
