// setup.exe and its uninstaller under Wine, in a prefix that never saw the
// product (run_installer_test.sh makes it): silent install, the files, the
// Start-menu group and the registration; the installed panel started from its
// shortcut against the emulated machine; silent uninstall down to nothing,
// except a file the user left in the program folder.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/e2e_support.h"

namespace {

const std::string kSetup = RCP_TEST_SETUP_EXE;
const std::string kBuiltProgram = RCP_TEST_PROGRAM;  // the 64-bit build that 64-bit Windows must get
const std::string kBuiltGuide = RCP_TEST_GUIDE;
const std::string kProduct = "Veltra Quillmark K40 Series";
const std::string kFolder = "C:\\Program Files\\" + kProduct;
const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + kProduct;
const char* const kStandIns[] = {"portlend.dll", "usbnamer.dll", "usbduct.dll"};

constexpr DWORD kSetupMs = 120000;
constexpr DWORD kPanelMs = 60000;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

uint64_t FolderBytes(const std::string& folder) {
  uint64_t total = 0;
  for (const std::string& name : FilesIn(folder)) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExA((folder + "\\" + name).c_str(), GetFileExInfoStandard, &data))
      total += (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  }
  return total;
}

std::string Group(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path))) return {};
  return std::string(path) + "\\" + kProduct;
}

// The registration, in one registry view (KEY_WOW64_64KEY or KEY_WOW64_32KEY).
struct Registration {
  bool present = false;
  std::string Text(const char* name) const {
    char value[1024] = {};
    DWORD size = sizeof value, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
      return "<missing>";
    return value;
  }
  DWORD Number(const char* name) const {
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
      return 0xFFFFFFFF;
    return value;
  }
  explicit Registration(REGSAM view) {
    present = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey.c_str(), 0, KEY_READ | view, &key) == ERROR_SUCCESS;
  }
  ~Registration() {
    if (present) RegCloseKey(key);
  }
  HKEY key = nullptr;
};

bool Registered(HKEY root, REGSAM view) {
  HKEY key;
  if (RegOpenKeyExA(root, kUninstallKey.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A text of the version resource, in the resource's first translation.
std::string VersionText(const std::string& file, const char* name) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
  if (size == 0) return "<no version resource>";
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(file.c_str(), 0, size, data.data())) return "<no version resource>";
  WORD* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
      length < 4)
    return "<no translation>";
  char path[96];
  wsprintfA(path, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
  char* text = nullptr;
  if (!VerQueryValueA(data.data(), path, reinterpret_cast<void**>(&text), &length) || length == 0)
    return "<missing>";
  return text;
}

struct Shortcut {
  bool loaded = false;
  std::string target, folder, arguments;
};

Shortcut ReadShortcut(const std::string& path) {
  Shortcut shortcut;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return shortcut;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(file->Load(wide, STGM_READ))) {
      char text[MAX_PATH] = {};
      link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
      shortcut.target = text;
      text[0] = 0;
      link->GetWorkingDirectory(text, MAX_PATH);
      shortcut.folder = text;
      text[0] = 0;
      link->GetArguments(text, MAX_PATH);
      shortcut.arguments = text;
      shortcut.loaded = true;
    }
    file->Release();
  }
  link->Release();
  return shortcut;
}

// The uninstaller hands its work to a copy of itself in the temporary folder
// and ends at once: wait for the processes a process started, too.
void WaitForChildren(DWORD parent, DWORD ms) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  std::vector<DWORD> children;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ParentProcessID == parent && entry.th32ProcessID != GetCurrentProcessId())
      children.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  for (DWORD child : children) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, child);
    if (!process) continue;
    WaitForSingleObject(process, ms);
    CloseHandle(process);
    WaitForChildren(child, ms);
  }
}

// Runs a command line and waits for it and everything it started; returns
// its exit code, or -1 when it did not start or did not end in time.
long RunAndWait(std::string command) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "cannot start " << command << " (error " << GetLastError() << ")";
    return -1;
  }
  CloseHandle(process.hThread);
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, kSetupMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
    WaitForChildren(process.dwProcessId, kSetupMs);
  } else {
    ADD_FAILURE() << command << " did not end";
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hProcess);
  return static_cast<long>(code);
}

// The user's browser: .html files open through Wine's browser launcher, which
// here starts a script that writes down what it was asked to open.
const std::string kBrowserLog = e2e::kWorkDir + "\\browser.log";
void SetBrowser() {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, ".html", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) == ERROR_SUCCESS) {
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("htmlfile"), 9);
    RegCloseKey(key);
  }
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) == ERROR_SUCCESS) {
    const std::string browser = RCP_TEST_BROWSER;
    RegSetValueExA(key, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browser.c_str()),
                   static_cast<DWORD>(browser.size() + 1));
    RegCloseKey(key);
  }
}

// What the browser was asked to open, with %20 read as a blank; empty after `ms`.
std::string WaitForBrowser(DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 100) {
    std::string opened = ReadAll(kBrowserLog);
    if (!opened.empty()) {
      for (size_t at; (at = opened.find("%20")) != std::string::npos;) opened.replace(at, 3, " ");
      while (!opened.empty() && (opened.back() == '\n' || opened.back() == '\r')) opened.pop_back();
      return opened;
    }
    Sleep(100);
  }
  return {};
}

HWND PanelWindow(DWORD pid) {
  for (HWND window : e2e::AllMainWindows()) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == pid) return window;
  }
  return nullptr;
}

class Installer : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitialize(nullptr);
    e2e::StartWatchdog(15 * 60 * 1000);
  }

  void SetUp() override {
    ASSERT_TRUE(Exists(kSetup)) << kSetup << " is missing: build it with installer/build.sh (tools/test.sh does)";
    ASSERT_FALSE(Exists(kFolder)) << "the prefix must not hold the product before the test";
  }

  // Whatever a test left, the next one starts from a system without the product.
  void TearDown() override {
    if (Registered(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY)) RunAndWait("\"" + kFolder + "\\desinstalar.exe\" /S");
    for (const std::string& name : FilesIn(kFolder)) DeleteFileA((kFolder + "\\" + name).c_str());
    RemoveDirectoryA(kFolder.c_str());
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
      std::string group = Group(csidl);
      for (const std::string& name : FilesIn(group)) DeleteFileA((group + "\\" + name).c_str());
      RemoveDirectoryA(group.c_str());
    }
  }

  void Install() { ASSERT_EQ(RunAndWait("\"" + kSetup + "\" /S"), 0) << "setup.exe /S"; }

  // Silent uninstall as an administrator's tool would run it: the
  // registration's own quiet command.
  void Uninstall() {
    Registration registration(KEY_WOW64_64KEY);
    ASSERT_TRUE(registration.present) << "nothing registered to uninstall";
    std::string command = registration.Text("QuietUninstallString");
    ASSERT_EQ(RunAndWait(command), 0) << command;
  }

  void ExpectGone() {
    EXPECT_FALSE(Exists(Group(CSIDL_COMMON_PROGRAMS))) << "the all-users group stays";
    EXPECT_FALSE(Exists(Group(CSIDL_PROGRAMS))) << "a current-user group stays";
    EXPECT_FALSE(Registered(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY)) << "the registration stays";
    EXPECT_FALSE(Registered(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY));
    EXPECT_FALSE(Registered(HKEY_CURRENT_USER, 0));
  }
};

TEST_F(Installer, SilentInstallPutsFilesGroupAndRegistrationAndUninstallTakesThemAway) {
  // Installing twice (a repair or an update) must leave one product, not two.
  Install();
  Install();

  EXPECT_EQ(FilesIn(kFolder), (std::vector<std::string>{"desinstalar.exe", "guia.html", "rcpanel.exe"}))
      << "only the product: never a driver stand-in";
  const std::string program = kFolder + "\\rcpanel.exe";
  DWORD kind = 0;
  ASSERT_TRUE(GetBinaryTypeA(program.c_str(), &kind));
  EXPECT_EQ(kind, static_cast<DWORD>(SCS_64BIT_BINARY)) << "64-bit Windows gets the 64-bit program";
  EXPECT_TRUE(ReadAll(program) == ReadAll(kBuiltProgram)) << "the installed program is the build's";
  EXPECT_TRUE(ReadAll(kFolder + "\\guia.html") == ReadAll(kBuiltGuide)) << "the installed guide is the build's";

  // An administrator installs (Wine's user is one): the group is everybody's.
  const std::string group = Group(CSIDL_COMMON_PROGRAMS);
  EXPECT_FALSE(Exists(Group(CSIDL_PROGRAMS))) << "no second group for the current user";
  EXPECT_EQ(FilesIn(group), (std::vector<std::string>{"Guia do usuário.lnk", "Remote Control Panel.lnk"}));
  Shortcut panel = ReadShortcut(group + "\\Remote Control Panel.lnk");
  ASSERT_TRUE(panel.loaded);
  EXPECT_EQ(panel.target, program);
  EXPECT_EQ(panel.folder, kFolder) << "the panel starts in its own folder";
  Shortcut guide = ReadShortcut(group + "\\Guia do usuário.lnk");
  ASSERT_TRUE(guide.loaded);
  EXPECT_EQ(guide.target, kFolder + "\\guia.html");

  {
    Registration registration(KEY_WOW64_64KEY);
    ASSERT_TRUE(registration.present) << "registered where 64-bit Windows lists its programs";
    EXPECT_EQ(registration.Text("DisplayName"), kProduct);
    EXPECT_EQ(registration.Text("DisplayVersion"), VersionText(program, "ProductVersion"));
    EXPECT_EQ(registration.Text("DisplayVersion"), "1.01");
    EXPECT_EQ(registration.Text("Publisher"), VersionText(program, "CompanyName"));
    EXPECT_EQ(registration.Text("DisplayIcon"), program + ",0");
    EXPECT_EQ(registration.Text("InstallLocation"), kFolder);
    EXPECT_EQ(registration.Text("UninstallString"), "\"" + kFolder + "\\desinstalar.exe\"");
    EXPECT_EQ(registration.Text("QuietUninstallString"), "\"" + kFolder + "\\desinstalar.exe\" /S");
    const DWORD kilobytes = static_cast<DWORD>(FolderBytes(kFolder) / 1024);
    EXPECT_GE(registration.Number("EstimatedSize"), kilobytes) << "size in KB of the folder";
    EXPECT_LE(registration.Number("EstimatedSize"), kilobytes + 4);
  }
  EXPECT_FALSE(Registered(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY)) << "one registration only";

  Uninstall();
  EXPECT_FALSE(Exists(kFolder)) << "left: " << testing::PrintToString(FilesIn(kFolder));
  ExpectGone();
}

TEST_F(Installer, InstalledPanelStartsFromItsShortcutAgainstTheEmulatedMachine) {
  Install();
  Shortcut shortcut = ReadShortcut(Group(CSIDL_COMMON_PROGRAMS) + "\\Remote Control Panel.lnk");
  ASSERT_TRUE(shortcut.loaded);

  // The machine's driver package: here the stand-ins that host the emulated
  // machine, beside the program for this run only.
  const std::vector<std::string> installed = FilesIn(kFolder);
  for (const char* name : kStandIns) {
    ASSERT_TRUE(CopyFileA((e2e::kDemoDir + "\\" + name).c_str(), (kFolder + "\\" + name).c_str(), FALSE)) << name;
  }
  const std::string state = e2e::kWorkDir + "\\installed-panel-state.dat";
  DeleteFileA(state.c_str());
  SetEnvironmentVariableA("K40_MACHINE", ("state=" + state).c_str());

  SetBrowser();
  DeleteFileA(kBrowserLog.c_str());

  DWORD exitCode = STILL_ACTIVE;
  int tabs = -1;
  std::string title, browsed;
  // Wine now and then starts a program without its display driver: one more start.
  for (int attempt = 0; attempt < 2 && tabs < 0; ++attempt) {
    std::string command = "\"" + shortcut.target + "\" " + shortcut.arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, shortcut.folder.c_str(),
                               &startup, &process))
        << command;
    CloseHandle(process.hThread);
    HWND main = nullptr;
    for (DWORD waited = 0; waited < kPanelMs && !main; waited += 100) {
      main = PanelWindow(process.dwProcessId);
      if (!main) Sleep(100);
    }
    if (main) {
      tabs = static_cast<int>(SendMessageA(e2e::FindTabControl(main), TCM_GETITEMCOUNT, 0, 0));
      title = e2e::WindowText(main);
      // No help file is installed: the Help button opens the installed guide.
      PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_HELPBTN, BN_CLICKED), 0);
      browsed = WaitForBrowser(20000);
      PostMessageA(main, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &exitCode);
    }
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, 9);
      WaitForSingleObject(process.hProcess, 10000);
    }
    CloseHandle(process.hProcess);
  }
  SetEnvironmentVariableA("K40_MACHINE", nullptr);
  // The stand-ins and what they made beside themselves (the port lock) go again.
  for (const std::string& name : FilesIn(kFolder)) {
    if (std::find(installed.begin(), installed.end(), name) == installed.end()) {
      EXPECT_TRUE(DeleteFileA((kFolder + "\\" + name).c_str())) << name;
    }
  }

  EXPECT_EQ(title, "Dalvenor");
  EXPECT_EQ(tabs, 5) << "the machine answered: all five pages";
  EXPECT_NE(exitCode, static_cast<DWORD>(STILL_ACTIVE)) << "the panel ends when its window closes";
  const std::string guide = "/Program Files/" + kProduct + "/guia.html";  // under the prefix's drive C:
  EXPECT_TRUE(browsed.rfind("file://", 0) == 0 && browsed.size() > guide.size() &&
              browsed.compare(browsed.size() - guide.size(), guide.size(), guide) == 0)
      << "the browser was asked for \"" << browsed << "\"";

  Uninstall();
  EXPECT_FALSE(Exists(kFolder)) << "left: " << testing::PrintToString(FilesIn(kFolder));
  ExpectGone();
}

TEST_F(Installer, FileTheUserLeftKeepsTheFolderAndNothingElse) {
  Install();
  const std::string mine = kFolder + "\\meu diretório.PBF";
  {
    std::ofstream file(mine, std::ios::binary);
    file << "QMV FAX-RCP Phonebook";
  }
  ASSERT_TRUE(Exists(mine));

  Uninstall();
  EXPECT_EQ(FilesIn(kFolder), std::vector<std::string>{"meu diretório.PBF"}) << "the user's file, alone";
  EXPECT_EQ(ReadAll(mine), "QMV FAX-RCP Phonebook");
  ExpectGone();
}

}  // namespace
