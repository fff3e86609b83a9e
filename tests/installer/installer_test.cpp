// setup.exe and its uninstaller under Wine, in a prefix that never saw the
// product (run_in_fresh_prefix.sh makes it): silent install, the files, the
// Start-menu group and the registration; the installed panel started from its
// shortcut against the emulated machine, its Help button opening the guide;
// silent uninstall down to nothing, except a file the user left in the
// program folder.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/e2e_support.h"

namespace {

const std::string kSetup = RCP_TEST_SETUP_EXE;
const std::string kBuiltProgram = RCP_TEST_PROGRAM;  // the 64-bit build, which 64-bit Windows must get
const std::string kBuiltGuide = RCP_TEST_GUIDE;
const std::string kProduct = "Veltra Quillmark K40 Series";
const std::string kFolder = "C:\\Program Files\\" + kProduct;
const std::string kProgram = kFolder + "\\rcpanel.exe";
const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + kProduct;
const std::string kBrowserLog = e2e::kWorkDir + "\\browser.log";
constexpr DWORD kSetupMs = 120000;

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
    if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::string Group(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path))) return {};
  return std::string(path) + "\\" + kProduct;
}

// The registration in one root and registry view.
struct Registration {
  Registration(HKEY root, REGSAM view)
      : present(RegOpenKeyExA(root, kUninstallKey.c_str(), 0, KEY_READ | view, &key) == ERROR_SUCCESS) {}
  ~Registration() {
    if (present) RegCloseKey(key);
  }
  std::string Text(const char* name) const {
    char value[1024] = {};
    DWORD size = sizeof value, type = 0;
    bool ok = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS;
    return ok && type == REG_SZ ? value : "<missing>";
  }
  DWORD Number(const char* name) const {
    DWORD value = 0, size = sizeof value, type = 0;
    bool ok = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS;
    return ok && type == REG_DWORD ? value : 0xFFFFFFFF;
  }
  HKEY key = nullptr;
  bool present;
};

// A text of a file's version resource, in its first translation.
std::string VersionText(const std::string& file, const char* name) {
  DWORD ignored = 0;
  std::vector<char> data(GetFileVersionInfoSizeA(file.c_str(), &ignored));
  WORD* language = nullptr;
  char* text = nullptr;
  UINT length = 0;
  if (data.empty() || !GetFileVersionInfoA(file.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
      !VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&language), &length))
    return "<no version resource>";
  char path[96];
  wsprintfA(path, "\\StringFileInfo\\%04x%04x\\%s", language[0], language[1], name);
  return VerQueryValueA(data.data(), path, reinterpret_cast<void**>(&text), &length) ? text : "<missing>";
}

struct Shortcut {
  std::string target, folder;
};

Shortcut ReadShortcut(const std::string& path) {
  Shortcut shortcut;
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return shortcut;
  wchar_t wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
  char text[MAX_PATH] = {};
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(wide, STGM_READ))) {
    link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
    shortcut.target = text;
    text[0] = 0;
    link->GetWorkingDirectory(text, MAX_PATH);
    shortcut.folder = text;
  }
  if (file) file->Release();
  link->Release();
  return shortcut;
}

// The uninstaller hands its work to a copy of itself in the temporary folder
// and ends at once: wait for the processes a process started, too.
void WaitForChildren(DWORD parent) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  std::vector<DWORD> children;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ParentProcessID == parent) children.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  for (DWORD child : children) {
    if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, child)) {
      WaitForSingleObject(process, kSetupMs);
      CloseHandle(process);
    }
    WaitForChildren(child);
  }
}

// Starts a command line in `folder`; the process handle, or null.
HANDLE Start(std::string command, const char* folder = nullptr, DWORD* pid = nullptr) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &process)) {
    ADD_FAILURE() << "cannot start " << command << " (error " << GetLastError() << ")";
    return nullptr;
  }
  CloseHandle(process.hThread);
  if (pid) *pid = process.dwProcessId;
  return process.hProcess;
}

// Runs a command line to its end and the end of what it started: its exit
// code, or -1.
long RunAndWait(const std::string& command) {
  DWORD pid = 0, code = static_cast<DWORD>(-1);
  HANDLE process = Start(command, nullptr, &pid);
  if (!process) return -1;
  if (WaitForSingleObject(process, kSetupMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process, &code);
    WaitForChildren(pid);
  } else {
    ADD_FAILURE() << command << " did not end";
    TerminateProcess(process, 1);
  }
  CloseHandle(process);
  return static_cast<long>(code);
}

// The user's browser: .html files open through Wine's browser launcher, which
// here starts a script that writes down what it was asked to open.
void SetBrowser() {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, ".html", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) == 0) {
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("htmlfile"), 9);
    RegCloseKey(key);
  }
  const std::string browser = RCP_TEST_BROWSER;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) == 0) {
    RegSetValueExA(key, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browser.c_str()),
                   static_cast<DWORD>(browser.size() + 1));
    RegCloseKey(key);
  }
  DeleteFileA(kBrowserLog.c_str());
}

// What the browser was asked to open, %20 read as a blank; empty after `ms`.
std::string WaitForBrowser(DWORD ms) {
  std::string opened;
  for (DWORD waited = 0; waited < ms && opened.empty(); waited += 100) {
    Sleep(100);
    opened = ReadAll(kBrowserLog);
  }
  for (size_t at; (at = opened.find("%20")) != std::string::npos;) opened.replace(at, 3, " ");
  while (!opened.empty() && isspace(static_cast<unsigned char>(opened.back()))) opened.pop_back();
  return opened;
}

HWND WaitForPanel(DWORD pid, DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 100) {
    for (HWND window : e2e::AllMainWindows()) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == pid) return window;
    }
    Sleep(100);
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
    if (Registration(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY).present) RunAndWait("\"" + kFolder + "\\desinstalar.exe\" /S");
    for (const std::string& folder : {kFolder, Group(CSIDL_PROGRAMS), Group(CSIDL_COMMON_PROGRAMS)}) {
      for (const std::string& name : FilesIn(folder)) DeleteFileA((folder + "\\" + name).c_str());
      RemoveDirectoryA(folder.c_str());
    }
  }

  void Install() { ASSERT_EQ(RunAndWait("\"" + kSetup + "\" /S"), 0) << "setup.exe /S"; }

  // Silently, as an administrator's tool would: the registration's own quiet command.
  void Uninstall() {
    Registration registration(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
    ASSERT_TRUE(registration.present) << "nothing registered to uninstall";
    ASSERT_EQ(RunAndWait(registration.Text("QuietUninstallString")), 0);
  }

  static void ExpectNoGroupNorRegistration() {
    EXPECT_FALSE(Exists(Group(CSIDL_COMMON_PROGRAMS))) << "the all-users group stays";
    EXPECT_FALSE(Exists(Group(CSIDL_PROGRAMS))) << "a current-user group stays";
    EXPECT_FALSE(Registration(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY).present) << "the registration stays";
    EXPECT_FALSE(Registration(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY).present);
    EXPECT_FALSE(Registration(HKEY_CURRENT_USER, 0).present);
  }
};

TEST_F(Installer, SilentInstallPutsFilesGroupAndRegistrationAndUninstallTakesThemAway) {
  // Installing twice (a repair or an update) must leave one product, not two.
  Install();
  Install();

  EXPECT_EQ(FilesIn(kFolder),
            (std::vector<std::string>{"desinstalar.exe", "guia.html", "rcpanel.exe", "rcpclean.dll", "rcpctl.exe"}))
      << "only the product: never a driver stand-in";
  DWORD kind = 0;
  ASSERT_TRUE(GetBinaryTypeA(kProgram.c_str(), &kind));
  EXPECT_EQ(kind, static_cast<DWORD>(SCS_64BIT_BINARY)) << "64-bit Windows gets the 64-bit program";
  EXPECT_TRUE(ReadAll(kProgram) == ReadAll(kBuiltProgram)) << "the installed program is the build's";
  EXPECT_TRUE(ReadAll(kFolder + "\\guia.html") == ReadAll(kBuiltGuide)) << "the installed guide is the build's";

  // An administrator installs (Wine's user is one): the group is everybody's.
  const std::string group = Group(CSIDL_COMMON_PROGRAMS);
  EXPECT_FALSE(Exists(Group(CSIDL_PROGRAMS))) << "no second group for the current user";
  EXPECT_EQ(FilesIn(group), (std::vector<std::string>{"Guia do usuário.lnk", "Remote Control Panel.lnk"}));
  Shortcut panel = ReadShortcut(group + "\\Remote Control Panel.lnk");
  EXPECT_EQ(panel.target, kProgram);
  EXPECT_EQ(panel.folder, kFolder) << "the panel starts in its own folder";
  EXPECT_EQ(ReadShortcut(group + "\\Guia do usuário.lnk").target, kFolder + "\\guia.html");

  {
    Registration registration(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
    ASSERT_TRUE(registration.present) << "registered where 64-bit Windows lists its programs";
    EXPECT_EQ(registration.Text("DisplayName"), kProduct);
    EXPECT_EQ(registration.Text("DisplayVersion"), VersionText(kProgram, "ProductVersion"));
    EXPECT_EQ(registration.Text("DisplayVersion"), "1.01");
    EXPECT_EQ(registration.Text("Publisher"), VersionText(kProgram, "CompanyName"));
    EXPECT_EQ(registration.Text("DisplayIcon"), kProgram + ",0");
    EXPECT_EQ(registration.Text("UninstallString"), "\"" + kFolder + "\\desinstalar.exe\"");
    EXPECT_EQ(registration.Text("QuietUninstallString"), "\"" + kFolder + "\\desinstalar.exe\" /S");
    DWORD kilobytes = 0;
    for (const std::string& name : FilesIn(kFolder)) kilobytes += static_cast<DWORD>(ReadAll(kFolder + "\\" + name).size());
    kilobytes /= 1024;
    EXPECT_GE(registration.Number("EstimatedSize"), kilobytes) << "the folder's size in KB";
    EXPECT_LE(registration.Number("EstimatedSize"), kilobytes + 4);
  }
  EXPECT_FALSE(Registration(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY).present) << "one registration only";

  Uninstall();
  EXPECT_FALSE(Exists(kFolder)) << "left: " << testing::PrintToString(FilesIn(kFolder));
  ExpectNoGroupNorRegistration();
}

TEST_F(Installer, InstalledPanelStartsFromItsShortcutAgainstTheEmulatedMachine) {
  Install();
  Shortcut shortcut = ReadShortcut(Group(CSIDL_COMMON_PROGRAMS) + "\\Remote Control Panel.lnk");
  ASSERT_FALSE(shortcut.target.empty());

  // The machine's driver package: here the stand-ins that host the emulated
  // machine, beside the program for this run only.
  const std::vector<std::string> installed = FilesIn(kFolder);
  for (const char* name : {"portlend.dll", "usbnamer.dll", "usbduct.dll"}) {
    ASSERT_TRUE(CopyFileA((e2e::kDemoDir + "\\" + name).c_str(), (kFolder + "\\" + name).c_str(), FALSE)) << name;
  }
  SetEnvironmentVariableA("K40_MACHINE", ("state=" + e2e::kWorkDir + "\\installed-panel-state.dat").c_str());
  SetBrowser();

  int tabs = -1;
  std::string title, browsed;
  DWORD exitCode = STILL_ACTIVE;
  // Wine now and then starts a program without its display driver: one more start.
  for (int attempt = 0; attempt < 2 && tabs < 0; ++attempt) {
    DWORD pid = 0;
    HANDLE process = Start("\"" + shortcut.target + "\"", shortcut.folder.c_str(), &pid);
    ASSERT_NE(process, nullptr);
    if (HWND main = WaitForPanel(pid, 60000)) {
      tabs = static_cast<int>(SendMessageA(e2e::FindTabControl(main), TCM_GETITEMCOUNT, 0, 0));
      title = e2e::WindowText(main);
      // No help file is installed: the Help button opens the installed guide.
      PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_HELPBTN, BN_CLICKED), 0);
      browsed = WaitForBrowser(20000);
      PostMessageA(main, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(process, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(process, &exitCode);
    }
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) TerminateProcess(process, 9);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
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
  ExpectNoGroupNorRegistration();
}

TEST_F(Installer, UninstallerLoadsTheCleanupLibraryFromTheProgramFolder) {
  // Never a copy in the user's temporary folder, which any program of the
  // user could replace before the elevated uninstaller loads it: without the
  // installed library nothing removes the group.
  Install();
  ASSERT_TRUE(DeleteFileA((kFolder + "\\rcpclean.dll").c_str()));
  Uninstall();
  EXPECT_TRUE(Exists(Group(CSIDL_COMMON_PROGRAMS))) << "the group went without the installed library";
  EXPECT_FALSE(Exists(kFolder)) << "left: " << testing::PrintToString(FilesIn(kFolder));
}

TEST_F(Installer, FileTheUserLeftKeepsTheFolderAndNothingElse) {
  Install();
  const std::string mine = kFolder + "\\meu diretório.PBF";
  std::ofstream(mine, std::ios::binary) << "QMV FAX-RCP Phonebook";
  ASSERT_TRUE(Exists(mine));

  Uninstall();
  EXPECT_EQ(FilesIn(kFolder), std::vector<std::string>{"meu diretório.PBF"}) << "the user's file, alone";
  EXPECT_EQ(ReadAll(mine), "QMV FAX-RCP Phonebook");
  ExpectNoGroupNorRegistration();
}

}  // namespace
