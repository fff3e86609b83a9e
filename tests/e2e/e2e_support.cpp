// Helpers for the end-to-end tests of the real panel (see e2e_support.h).
#include "tests/e2e/e2e_support.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>

namespace e2e {

const std::string kDemoDir = RCP_TEST_DEMO_DIR;
const std::string kWorkDir = RCP_TEST_WORK_DIR;

namespace {

std::mutex livePanelsLock;
std::set<HANDLE> livePanels;

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct Search {
  DWORD pid;
  bool anyProcess;
  bool wantBox;
  std::vector<HWND> found;
};

BOOL CALLBACK FindTabChild(HWND child, LPARAM param) {
  if (ClassOf(child) == WC_TABCONTROLA) {
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (!search->anyProcess && pid != search->pid) return TRUE;
  if (!IsWindowVisible(window) || ClassOf(window) != "#32770") return TRUE;
  if (search->wantBox) {
    if (GetDlgItem(window, 0xFFFF) != nullptr && FindTabControl(window) == nullptr) {
      search->found.push_back(window);
    }
  } else if (WindowText(window) == "Dalvenor" && FindTabControl(window) != nullptr) {
    search->found.push_back(window);
  }
  return TRUE;
}

HWND WaitFor(Panel& panel, bool wantBox, DWORD ms) {
  const DWORD start = GetTickCount();
  bool relaunched = false;
  for (int round = 0;; ++round) {
    Search search{panel.pid(), false, wantBox, {}};
    EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    if (!search.found.empty()) return search.found.front();
    if (GetTickCount() - start >= ms) return nullptr;
    if (!relaunched && round % 20 == 19 && panel.StartedWithoutDisplay()) {
      std::fprintf(stderr, "Wine started the panel without its display driver; starting it again\n");
      relaunched = true;
      panel.Relaunch();
    }
    Pump();
    Sleep(50);
  }
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    switch (c) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'x':
        if (i + 2 < text.size()) {
          out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
          i += 2;
        }
        break;
      default:
        out += c;  // \\ and \"
    }
  }
  return out;
}

// This process's Unix stderr, a file that tools/wine-run names (the file
// must be opened by path: Wine's server, not this process, opens files, so
// /proc/self would be the server's).
std::string OwnStderrPath() {
  char path[1024] = {};
  const DWORD n = GetEnvironmentVariableA("RCP_WINE_STDERR", path, sizeof path);
  return n > 0 && n < sizeof path ? "Z:" + std::string(path, n) : std::string();
}

uint64_t OwnStderrSize() {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(OwnStderrPath().c_str(), GetFileExInfoStandard, &data)) return 0;
  return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::string ReadOwnStderr(uint64_t from) {
  HANDLE h = CreateFileA(OwnStderrPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(from);
  SetFilePointerEx(h, at, nullptr, FILE_BEGIN);
  std::string text;
  std::vector<char> buffer(65536);
  DWORD n = 0;
  while (ReadFile(h, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr) && n > 0) {
    text.append(buffer.data(), n);
  }
  CloseHandle(h);
  return text;
}

}  // namespace

Panel::Panel(const std::string& machine) : machine_(machine) { Launch(); }

bool Panel::Launch() {
  // Wine writes a process's debug channels to the Unix stderr it inherited,
  // whatever its Windows standard handles are: the panel's lines land in this
  // program's own stderr, told apart by the process id that +pid puts first.
  errStart_ = OwnStderrSize();
  SetEnvironmentVariableA("WINEDEBUG", "-all,+pid,+debugstr,err+module,err+winediag");
  SetEnvironmentVariableA("K40_MACHINE", machine_.c_str());

  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string command = "\"" + kDemoDir + "\\rcpanel.exe\"";
  // Under Wine a start right after another can fail now and then; try again
  // before calling it a failure.
  bool created = false;
  for (int attempt = 0; attempt < 5 && !created; ++attempt) {
    if (attempt > 0) {
      std::fprintf(stderr, "CreateProcessA failed (error %lu), trying again\n",
                   static_cast<unsigned long>(GetLastError()));
      Sleep(500);
    }
    created = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                             kDemoDir.c_str(), &si, &pi) != FALSE;
  }
  if (created) {
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    std::lock_guard<std::mutex> guard(livePanelsLock);
    livePanels.insert(process_);
  }
  return process_ != nullptr;
}

bool Panel::Relaunch() {
  if (process_ != nullptr) {
    Kill();
    std::lock_guard<std::mutex> guard(livePanelsLock);
    livePanels.erase(process_);
    CloseHandle(process_);
    process_ = nullptr;
  }
  return Launch();
}

bool Panel::StartedWithoutDisplay() const {
  char pidPrefix[16];
  std::snprintf(pidPrefix, sizeof pidPrefix, "%04lx:", static_cast<unsigned long>(pid_));
  std::istringstream in(ReadOwnStderr(errStart_));
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(pidPrefix, 0) == 0 && line.find("err:winediag") != std::string::npos &&
        line.find("no driver could be loaded") != std::string::npos) {
      return true;
    }
  }
  return false;
}

Panel::~Panel() {
  if (process_ == nullptr) return;
  if (Running()) Kill();
  {
    std::lock_guard<std::mutex> guard(livePanelsLock);
    livePanels.erase(process_);
  }
  CloseHandle(process_);
}

bool Panel::Running() const {
  return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void Panel::Kill() {
  if (process_ == nullptr) return;
  TerminateProcess(process_, 9);
  WaitForSingleObject(process_, 10000);
}

bool Panel::WaitForExit(DWORD ms, DWORD* exitCode) {
  if (process_ == nullptr) return false;
  const DWORD start = GetTickCount();
  while (WaitForSingleObject(process_, 20) == WAIT_TIMEOUT) {
    Pump();
    if (GetTickCount() - start >= ms) {
      Kill();
      return false;
    }
  }
  if (exitCode) GetExitCodeProcess(process_, exitCode);
  return true;
}

std::vector<std::string> Panel::DebugLines() const { return DebugLinesOf(pid_, errStart_); }

uint64_t StderrMark() { return OwnStderrSize(); }

std::vector<std::string> DebugLinesOf(DWORD pid, uint64_t from) {
  // 00f4:0024:warn:debugstr:OutputDebugStringA "TRV 508 RCP: Port Acquire - SUCCESS"
  static const std::string kMark = ":warn:debugstr:OutputDebugStringA \"";
  char pidPrefix[16];
  std::snprintf(pidPrefix, sizeof pidPrefix, "%04lx:", static_cast<unsigned long>(pid));
  std::istringstream in(ReadOwnStderr(from));
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(pidPrefix, 0) != 0) continue;
    const size_t at = line.find(kMark);
    if (at == std::string::npos) continue;
    std::string quoted = line.substr(at + kMark.size());
    if (!quoted.empty() && quoted.back() == '\r') quoted.pop_back();
    if (!quoted.empty() && quoted.back() == '"') quoted.pop_back();
    lines.push_back(Unescape(quoted));
  }
  return lines;
}

HWND WaitForMainWindow(Panel& panel, DWORD ms) { return WaitFor(panel, false, ms); }
HWND WaitForMessageBox(Panel& panel, DWORD ms) { return WaitFor(panel, true, ms); }

std::vector<HWND> AllMainWindows() {
  Search search{0, true, false, {}};
  EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindTabControl(HWND main) {
  HWND tab = nullptr;
  EnumChildWindows(main, &FindTabChild, reinterpret_cast<LPARAM>(&tab));
  return tab;
}

std::string WindowText(HWND window) {
  char text[512] = {};
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000,
                           &result)) {
    return "<no answer>";
  }
  return text;
}

std::string ItemText(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item ? WindowText(item) : "<no control " + std::to_string(id) + ">";
}

bool ItemVisible(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item != nullptr && (GetWindowLongA(item, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::vector<std::string> TabTexts(HWND tab, DWORD pid) {
  std::vector<std::string> texts;
  const int count = static_cast<int>(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process == nullptr) return texts;
  constexpr SIZE_T kText = 128;
  auto* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(TCITEMA) + kText, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  for (int i = 0; remote != nullptr && i < count; ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = remote + sizeof(TCITEMA);
    item.cchTextMax = kText;
    char text[kText] = {};
    SIZE_T moved = 0;
    WriteProcessMemory(process, remote, &item, sizeof item, &moved);
    DWORD_PTR ok = 0;
    SendMessageTimeoutA(tab, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 10000, &ok);
    ReadProcessMemory(process, remote + sizeof(TCITEMA), text, kText - 1, &moved);
    texts.emplace_back(ok ? text : "<no answer>");
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return texts;
}

void PressButton(HWND box, int id) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

HWND SelectPage(HWND tab, int index, DWORD ms) {
  HWND sheet = GetParent(tab);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(sheet, PSM_SETCURSEL, index, 0, SMTO_NORMAL, ms, &result);
  result = 0;
  SendMessageTimeoutA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_NORMAL, ms, &result);
  return reinterpret_cast<HWND>(result);
}

bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected,
             std::string* missing) {
  size_t at = 0;
  for (const std::string& want : expected) {
    while (at < lines.size() && lines[at] != want) ++at;
    if (at == lines.size()) {
      if (missing) *missing = want;
      return false;
    }
    ++at;
  }
  return true;
}

int Count(const std::vector<std::string>& lines, const std::string& line) {
  int n = 0;
  for (const auto& l : lines) n += l == line ? 1 : 0;
  return n;
}

std::string Printable(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) {
    out += "  \"";
    for (unsigned char c : l) {
      if (c == '\n') out += "\\n";
      else if (c == '\r') out += "\\r";
      else if (c < 0x20 || c >= 0x7F) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += hex;
      } else out += static_cast<char>(c);
    }
    out += "\"\n";
  }
  return out;
}

namespace {
DWORD WINAPI Watchdog(void* param) {
  Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(param)));
  std::fprintf(stderr, "watchdog: the test run hung; ending it\n");
  {
    std::lock_guard<std::mutex> guard(livePanelsLock);
    for (HANDLE p : livePanels) TerminateProcess(p, 9);
  }
  ExitProcess(3);
}
}  // namespace

void StartWatchdog(DWORD ms) {
  HANDLE thread = CreateThread(nullptr, 0, &Watchdog, reinterpret_cast<void*>(static_cast<uintptr_t>(ms)), 0,
                               nullptr);
  if (thread) CloseHandle(thread);
}

}  // namespace e2e
