// Poses the real panel for the documentation's screenshots: the main window
// with each page selected, the entry editor, the firmware page alone after
// "Ignore", and the two start-up error boxes. The camera is tools/screenshots.sh: for each pose this
// program writes "<name> <X window id>" into the request file given as its
// argument and waits until the script has taken the picture and removed it.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

std::string requestPath;

// `also`: a second window (a box over the main window); the picture is then
// the screen cropped to both.
bool Pose(const char* name, HWND window, HWND also = nullptr) {
  // Wine keeps each top-level window's X11 window in this property.
  const auto xid = reinterpret_cast<uintptr_t>(GetPropA(window, "__wine_x11_whole_window"));
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(700);  // the panel paints in its own time
  FILE* f = std::fopen(requestPath.c_str(), "wb");
  if (f == nullptr) return false;
  if (also != nullptr) {
    RECT a, b, both;
    GetWindowRect(window, &a);
    GetWindowRect(also, &b);
    UnionRect(&both, &a, &b);
    std::fprintf(f, "%s root %ldx%ld+%ld+%ld\n", name, both.right - both.left, both.bottom - both.top, both.left,
                 both.top);
  } else {
    std::fprintf(f, "%s %lu\n", name, static_cast<unsigned long>(xid));
  }
  std::fclose(f);
  for (int i = 0; i < 600; ++i) {  // up to a minute for the camera
    if (GetFileAttributesA(requestPath.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    Sleep(100);
  }
  std::fprintf(stderr, "nobody took the picture %s\n", name);
  return false;
}

std::string FreshState(const char* tag) {
  const std::string path = kWorkDir + "\\" + tag + "-shots-state.dat";
  DeleteFileA(path.c_str());
  return "state=" + path;
}

bool CloseAndWait(Panel& panel, HWND main) {
  PostMessageA(main, WM_CLOSE, 0, 0);
  return panel.WaitForExit(20000);
}

struct EditorSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindEditor(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<EditorSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid && IsWindowVisible(window) && GetDlgItem(window, 1002) != nullptr) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// The phonebook page with a row chosen, then the entry editor open on it.
bool PhonebookAndEditor(Panel& panel, HWND main, HWND page) {
  HWND list = GetDlgItem(page, 1027);
  SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
  SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
  SetForegroundWindow(main);
  if (!Pose("main-phonebook", main)) return false;
  PostMessageA(page, WM_COMMAND, MAKEWPARAM(1025, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, 1025)));
  EditorSearch search{panel.pid(), nullptr};
  for (int i = 0; i < 200 && search.found == nullptr; ++i) {
    Sleep(50);
    EnumWindows(&FindEditor, reinterpret_cast<LPARAM>(&search));
  }
  if (search.found == nullptr) return false;
  bool posed = Pose("edit-entry", search.found);
  PressButton(search.found, IDCANCEL);
  for (int i = 0; i < 200 && IsWindow(search.found); ++i) Sleep(20);
  return posed;
}

bool AllPages() {
  Panel panel(FreshState("pages"));
  HWND main = WaitForMainWindow(panel, 60000);
  if (main == nullptr) return false;
  HWND tab = FindTabControl(main);
  const char* names[] = {"main-settings", "main-advanced", "main-phonebook", "main-information",
                         "main-firmware"};
  for (int i = 0; i < 5; ++i) {
    HWND page = SelectPage(tab, i, 30000);
    if (page == nullptr) return false;
    if (HWND box = WaitForMessageBox(panel, 300)) {
      std::fprintf(stderr, "page %d reported: %s\n", i, ItemText(box, 0xFFFF).c_str());
      PressButton(box, IDOK);
    }
    if (i == 2 ? !PhonebookAndEditor(panel, main, page) : !Pose(names[i], main)) return false;
  }
  return CloseAndWait(panel, main);
}

bool NoAnswer() {
  Panel panel(FreshState("silent") + ";fault=silent");
  HWND box = WaitForMessageBox(panel, 60000);
  if (box == nullptr || !Pose("box-no-answer", box)) return false;
  PressButton(box, IDIGNORE);
  for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(20);
  // The firmware page's first display finds no machine either.
  if (HWND again = WaitForMessageBox(panel, 60000)) PressButton(again, IDOK);
  HWND main = WaitForMainWindow(panel, 60000);
  if (main == nullptr || !Pose("main-firmware-only", main)) return false;
  return CloseAndWait(panel, main);
}

bool PortBusy() {
  using PortFn = int32_t(__stdcall*)(int32_t);
  HMODULE lender = LoadLibraryA((kDemoDir + "\\portlend.dll").c_str());
  if (lender == nullptr) return false;
  auto acquire = reinterpret_cast<PortFn>(reinterpret_cast<void*>(GetProcAddress(lender, "PortAcquire")));
  auto release = reinterpret_cast<PortFn>(reinterpret_cast<void*>(GetProcAddress(lender, "PortRelease")));
  acquire(8);
  bool ok = false;
  {
    Panel panel(FreshState("busy"));
    HWND box = WaitForMessageBox(panel, 60000);
    ok = box != nullptr && Pose("box-port-busy", box);
    if (box) PressButton(box, IDOK);
    ok = panel.WaitForExit(20000) && ok;
  }
  release(8);
  FreeLibrary(lender);
  return ok;
}

// The firmware page: an image chosen, the transfer under way (the machine
// takes 64 KiB a second, so the bar can be caught moving), the completion box.
// `kept`: a machine that restarts with its old version, whose warning is posed
// as "firmware-not-applied" (and nothing else).
bool FirmwareUpdate(bool kept = false) {
  Panel panel(FreshState("firmware") + (kept ? ";firmware_restart=keepsold" : ";firmware_rate=65536"));
  HWND main = WaitForMainWindow(panel, 60000);
  if (main == nullptr) return false;
  HWND page = SelectPage(FindTabControl(main), 4, 30000);
  if (page == nullptr) return false;
  PostMessageA(page, WM_COMMAND, MAKEWPARAM(1023, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, 1023)));
  HWND dialog = nullptr;
  for (int i = 0; i < 300 && dialog == nullptr; ++i) {
    Sleep(100);
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == panel.pid() && IsWindowVisible(w) && (GetDlgItem(w, 0x47C) || GetDlgItem(w, 0x480))) dialog = w;
    }
  }
  if (dialog == nullptr) return false;
  Sleep(500);
  std::string image = kDemoDir + "\\firmware\\k40-fw-1.05.img";
  for (char& c : image) c = c == '/' ? '\\' : c;
  const int field = GetDlgItem(dialog, 0x47C) ? 0x47C : 0x480;
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(dialog, field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(image.c_str()),
                      SMTO_NORMAL, 10000, &result);
  PressButton(dialog, IDOK);
  for (int i = 0; i < 100 && ItemText(page, 1004) != image; ++i) Sleep(100);
  if (!kept && !Pose("firmware-chosen", main)) return false;

  PostMessageA(page, WM_COMMAND, MAKEWPARAM(1000, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, 1000)));
  if (kept) {
    HWND warning = WaitForMessageBox(panel, 90000);
    if (warning == nullptr || !Pose("firmware-not-applied", main, warning)) return false;
    PressButton(warning, IDOK);
    Sleep(500);
    return CloseAndWait(panel, main);
  }
  bool caught = false;
  for (int i = 0; i < 600 && !caught; ++i) {
    Sleep(50);
    const int percent = std::atoi(ItemText(page, 1076).c_str());
    caught = percent >= 35 && percent <= 60;
  }
  if (!caught || !Pose("firmware-transfer", main)) return false;
  HWND box = WaitForMessageBox(panel, 90000);
  if (box == nullptr || !Pose("firmware-done", main, box)) return false;
  PressButton(box, IDOK);
  Sleep(500);
  return CloseAndWait(panel, main);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: panel_shots <request file>\n");
    return 2;
  }
  requestPath = argv[1];
  StartWatchdog(420000);
  int failures = 0;
  if (!AllPages()) { std::fprintf(stderr, "the main window's pages could not be posed\n"); ++failures; }
  if (!NoAnswer()) { std::fprintf(stderr, "the no-answer box could not be posed\n"); ++failures; }
  if (!PortBusy()) { std::fprintf(stderr, "the port-busy box could not be posed\n"); ++failures; }
  if (!FirmwareUpdate()) { std::fprintf(stderr, "the firmware update could not be posed\n"); ++failures; }
  if (!FirmwareUpdate(true)) { std::fprintf(stderr, "the update that did not take could not be posed\n"); ++failures; }
  return failures == 0 ? 0 : 1;
}
