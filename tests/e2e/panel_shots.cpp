// Poses the real panel for the documentation's screenshots: the main window
// with each page selected, the entry editor, the firmware page alone after
// "Ignore", the two start-up error boxes, the contacts import preview, the
// backup list and the usage history. The camera is tools/screenshots.sh: for each pose this
// program writes "<name> <X window id>" into the request file given as its
// argument and waits until the script has taken the picture and removed it.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

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
  if (box == nullptr) return false;
  // The buttons are the system's own. Wine's Portuguese calls Abort
  // "Abortar" where a Portuguese Windows, which the guide's readers have,
  // says "Anular": the picture shows theirs.
  SendMessageA(GetDlgItem(box, IDABORT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("&Anular"));
  if (!Pose("box-no-answer", box)) return false;
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

// The firmware page: an image chosen from Documents, the transfer under way
// (the machine takes 64 KiB a second, so the bar can be caught moving), the
// completion box.
// `kept`: a machine that restarts with its old version, whose box is posed
// as "firmware-same-version" (and nothing else).
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
  // Chosen where a user keeps it: the image is copied into Documents.
  std::string demoImage = kDemoDir + "\\firmware\\k40-fw-1.05.img";
  for (char& c : demoImage) c = c == '/' ? '\\' : c;
  char documents[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, documents))) return false;
  const std::string image = std::string(documents) + "\\k40-fw-1.05.img";
  if (!CopyFileA(demoImage.c_str(), image.c_str(), FALSE)) return false;
  const int field = GetDlgItem(dialog, 0x47C) ? 0x47C : 0x480;
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(dialog, field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(image.c_str()),
                      SMTO_NORMAL, 10000, &result);
  PressButton(dialog, IDOK);
  for (int i = 0; i < 100 && ItemText(page, 1004) != image; ++i) Sleep(100);
  if (!kept && !Pose("firmware-chosen", main)) return false;

  PostMessageA(page, WM_COMMAND, MAKEWPARAM(1000, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, 1000)));
  if (kept) {
    HWND box = WaitForMessageBox(panel, 90000);
    if (box == nullptr || !Pose("firmware-same-version", main, box)) return false;
    PressButton(box, IDOK);
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

// A visible window of the panel's that holds control `id`.
HWND WaitForWindowWith(const Panel& panel, int id) {
  for (int i = 0; i < 300; ++i) {
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == panel.pid() && IsWindowVisible(w) && GetDlgItem(w, id)) return w;
    }
    Sleep(100);
  }
  return nullptr;
}

// The contacts import preview over a small address-book export, then the
// backup list after a "Gravação".
bool ContactsAndBackups() {
  Panel panel(FreshState("contacts"));
  HWND main = WaitForMainWindow(panel, 60000);
  if (main == nullptr) { std::fprintf(stderr, "contacts pose step 1\n"); return false; }
  HWND page = SelectPage(FindTabControl(main), 2, 30000);
  if (page == nullptr) { std::fprintf(stderr, "contacts pose step 2\n"); return false; }
  std::string file = kWorkDir + "\\shots-contacts.csv";
  for (char& c : file) c = c == '/' ? '\\' : c;
  if (FILE* f = std::fopen(file.c_str(), "wb")) {
    std::fputs("First Name,Last Name,Company,Business Fax,Business Phone,Mobile Phone\r\n"
               "Jo\xE3o,Concei\xE7\xE3o,,+55 (11) 5555-0101,,\r\n"
               "M\xE1rcia,G\xF6tz,Padaria P\xE3o Quente,,011 4444-5550,\r\n"
               "Maximiliano Bartolomeu,de Albuquerque,,,,(21) 99876-5432\r\n"
               "Sem,Telefone,,,,\r\n"
               "Cart\xF3rio,Central,,*21#3000,,\r\n", f);
    std::fclose(f);
  }
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(40020, 0), 0);
  HWND chooser = WaitForWindowWith(panel, 0x47C);
  if (chooser == nullptr) chooser = WaitForWindowWith(panel, 0x480);
  if (chooser == nullptr) { std::fprintf(stderr, "contacts pose step 3\n"); return false; }
  Sleep(500);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(chooser, GetDlgItem(chooser, 0x47C) ? 0x47C : 0x480), WM_SETTEXT, 0,
                      reinterpret_cast<LPARAM>(file.c_str()), SMTO_NORMAL, 10000, &result);
  PressButton(chooser, IDOK);
  HWND preview = WaitForWindowWith(panel, 1101);
  if (preview == nullptr) {
    HWND box = WaitForMessageBox(panel, 300);
    std::fprintf(stderr, "no import preview%s%s\n", box ? ": " : "", box ? ItemText(box, 0xFFFF).c_str() : "");
    return false;
  }
  bool posed = Pose("import-preview", preview);
  PressButton(preview, IDCANCEL);

  SendMessageTimeoutA(page, WM_COMMAND, MAKEWPARAM(1024, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, 1024)),
                      SMTO_NORMAL, 60000, &result);
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(40022, 0), 0);
  HWND backups = WaitForWindowWith(panel, 1110);
  if (backups == nullptr) { std::fprintf(stderr, "contacts pose step 5\n"); return false; }
  posed = Pose("backup-list", backups) && posed;
  PressButton(backups, IDCANCEL);
  DeleteFileA(file.c_str());
  return CloseAndWait(panel, main) && posed;
}

// A year of weekly readings of the emulated machine (its factory counters
// reached yesterday) in the user's history folder, then the Information
// page's read and "Histórico de uso...".
bool UsageHistory(const char* name) {
  char appData[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, appData))) return false;
  std::string folder = std::string(appData) + "\\Dalvenor";
  CreateDirectoryA(folder.c_str(), nullptr);
  folder += "\\History";
  CreateDirectoryA(folder.c_str(), nullptr);
  constexpr int kWeeks = 52;
  // Platen and feeder scans, prints, drum, feeder and print jams: the factory state's.
  const long factory[6] = {12408, 5310, 48231, 9812, 17, 42};
  long rise[kWeeks][6] = {};
  long total[6] = {};
  for (int w = 0; w < kWeeks; ++w) {
    const long busy = w % 52 >= 26 && w % 52 < 31 ? 1 : 3;  // a quiet month in the middle of the year
    const long weekly[6] = {busy * (20 + (w * 53) % 7 * 6), busy * (10 + (w * 31) % 5 * 4),
                            busy * (60 + (w * 37) % 11 * 9), busy * (60 + (w * 37) % 11 * 9) / 2,
                            w % 9 == 3 ? 1 : 0, w % 13 == 5 || w % 17 == 8 ? 1 : 0};
    for (int c = 0; c < 6; ++c) total[c] += rise[w][c] = weekly[c];
  }
  SYSTEMTIME now;
  GetLocalTime(&now);
  FILETIME nowFile;
  SystemTimeToFileTime(&now, &nowFile);
  const uint64_t nowTicks = uint64_t{nowFile.dwHighDateTime} << 32 | nowFile.dwLowDateTime;
  std::string csv = "\xEF\xBB\xBF" "Data e hora,N\xC3\xBA" "mero de s\xC3\xA9" "rie,Modelo,...\r\n";
  long value[6];
  for (int c = 0; c < 6; ++c) value[c] = factory[c] - total[c];
  for (int w = 0; w <= kWeeks; ++w) {
    const uint64_t ticks = nowTicks - uint64_t(kWeeks - w) * 7 * 864000000000ull - 864000000000ull;
    FILETIME at{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME t;
    FileTimeToSystemTime(&at, &t);
    char line[160];
    std::snprintf(line, sizeof line, "%04d-%02d-%02d 09:30:00,K40BR0712345,QUILLMARK K40 SERIES,%ld,%ld,%ld,%ld,%ld,%ld\r\n",
                  t.wYear, t.wMonth, t.wDay, value[0], value[1], value[2], value[3], value[4], value[5]);
    csv += line;
    if (w < kWeeks)
      for (int c = 0; c < 6; ++c) value[c] += rise[w][c];
  }
  if (FILE* f = std::fopen((folder + "\\K40BR0712345.csv").c_str(), "wb")) {
    std::fwrite(csv.data(), 1, csv.size(), f);
    std::fclose(f);
  }
  Panel panel(FreshState("history"));
  HWND main = WaitForMainWindow(panel, 60000);
  if (main == nullptr) return false;
  if (SelectPage(FindTabControl(main), 3, 30000) == nullptr) return false;
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(40030, 0), 0);  // "Histórico de uso..."
  HWND dialog = WaitForWindowWith(panel, 1131);
  if (dialog == nullptr) return false;
  const bool posed = Pose(name, dialog);
  PressButton(dialog, IDOK);
  for (int i = 0; i < 200 && IsWindow(dialog); ++i) Sleep(20);
  return CloseAndWait(panel, main) && posed;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: panel_shots <request file>\n");
    return 2;
  }
  requestPath = argv[1];
  StartWatchdog(420000);
  // A second run at another screen resolution poses the usage history alone.
  if (argc > 2) return UsageHistory(argv[2]) ? 0 : 1;
  int failures = 0;
  if (!AllPages()) { std::fprintf(stderr, "the main window's pages could not be posed\n"); ++failures; }
  if (!NoAnswer()) { std::fprintf(stderr, "the no-answer box could not be posed\n"); ++failures; }
  if (!PortBusy()) { std::fprintf(stderr, "the port-busy box could not be posed\n"); ++failures; }
  if (!FirmwareUpdate()) { std::fprintf(stderr, "the firmware update could not be posed\n"); ++failures; }
  if (!FirmwareUpdate(true)) { std::fprintf(stderr, "the re-flash of the same version could not be posed\n"); ++failures; }
  if (!ContactsAndBackups()) { std::fprintf(stderr, "the contacts import and backups could not be posed\n"); ++failures; }
  if (!UsageHistory("usage-history")) { std::fprintf(stderr, "the usage history could not be posed\n"); ++failures; }
  return failures == 0 ? 0 : 1;
}
