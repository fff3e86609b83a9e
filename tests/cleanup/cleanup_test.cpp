// Tests of the uninstall cleanup: the folder logic for both Windows families,
// and rcpclean.dll loaded and called the way the product's uninstaller does.
//
// They work on the test prefix's real folders: the user's and the all-users
// Start-menu programs folders and C:\Program Files. Product folders that exist
// before a test are moved aside and put back after it.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cleanup/folder_cleanup.h"
#include "cleanup/product_folders.h"

namespace {

using rcpclean::WindowsFamily;

constexpr char kGroupName[] = "Veltra Quillmark K40 Series";
constexpr char kShortcut[] = "Dalvenor.lnk";
constexpr char kShortcutBytes[] = "L\x01\x14\x02 not much of a shortcut";
constexpr char kProbeKey[] = "Software\\Wine\\AppDefaults\\rcpclean_win95_probe.exe";

std::string ShellProgramsFolder(int csidl) {
  char path[MAX_PATH] = {};
  // A different shell call from the library's own, so the two cross-check.
  SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFolder(const std::string& path) {
  ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path << " error " << GetLastError();
}

void PutFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path << " error " << GetLastError();
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size()) << path;
}

std::string FileBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  char buffer[256];
  DWORD read = 0;
  ReadFile(file, buffer, sizeof buffer, &read, nullptr);
  CloseHandle(file);
  return std::string(buffer, read);
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!rcpclean::IsRealEntry(found.cFileName)) continue;
      const std::string inner = path + "\\" + found.cFileName;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(inner);
      } else {
        DeleteFileA(inner.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

// rcpclean.dll as the uninstaller sees it: loaded by path, exports found by name.
class CleanupLibrary {
 public:
  using Export = LONG(WINAPI*)(DWORD, DWORD, DWORD);

  CleanupLibrary() : module_(LoadLibraryA(RCPCLEAN_DLL)) {}
  ~CleanupLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  CleanupLibrary(const CleanupLibrary&) = delete;
  CleanupLibrary& operator=(const CleanupLibrary&) = delete;

  bool Loaded() const { return module_ != nullptr; }
  Export Find(const char* name) const {
    return reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};

LONG CallExport(const char* name, DWORD a = 0, DWORD b = 0, DWORD c = 0) {
  CleanupLibrary library;
  EXPECT_TRUE(library.Loaded()) << RCPCLEAN_DLL << " error " << GetLastError();
  if (!library.Loaded()) return -1;
  CleanupLibrary::Export entry = library.Find(name);
  EXPECT_NE(entry, nullptr) << name;
  return entry != nullptr ? entry(a, b, c) : -1;
}

// Starts the probe as a Windows 95 program and returns its exit code.
DWORD RunProbeAsWindows95() {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kProbeKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  if (key == nullptr) return 0xFFFFFFFFu;
  RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win95"), 6);
  RegCloseKey(key);

  std::string command = std::string("\"") + RCPCLEAN_WIN95_PROBE + "\" \"" + RCPCLEAN_DLL + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  DWORD code = 0xFFFFFFFFu;
  if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process.hProcess, &code);
    } else {
      TerminateProcess(process.hProcess, 99);
      ADD_FAILURE() << "the probe did not end";
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else {
    ADD_FAILURE() << "cannot start " << command << " error " << GetLastError();
  }
  RegDeleteKeyA(HKEY_CURRENT_USER, kProbeKey);
  return code;
}

class ProductFolders : public testing::Test {
 protected:
  void SetUp() override {
    userGroup_ = ShellProgramsFolder(CSIDL_PROGRAMS) + "\\" + kGroupName;
    commonGroup_ = ShellProgramsFolder(CSIDL_COMMON_PROGRAMS) + "\\" + kGroupName;
    program_ = rcpclean::kProgramFolder;
    ASSERT_NE(userGroup_, commonGroup_);
    for (int i = 0; i < 3; ++i) {
      const std::string& path = *folders_[i];
      saved_[i] = Exists(path) && MoveFileA(path.c_str(), SavedName(path).c_str());
      ASSERT_FALSE(Exists(path)) << path << " is in the way";
    }
  }

  void TearDown() override {
    for (int i = 0; i < 3; ++i) {
      const std::string& path = *folders_[i];
      RemoveTree(path);
      if (saved_[i]) MoveFileA(SavedName(path).c_str(), path.c_str());
    }
  }

  static std::string SavedName(const std::string& path) { return path + ".kept-by-test"; }

  std::string userGroup_, commonGroup_, program_;
  const std::string* const folders_[3] = {&userGroup_, &commonGroup_, &program_};
  bool saved_[3] = {};
};

TEST(CleanupDecisions, FamilyComesFromTheVersionHighBit) {
  EXPECT_EQ(rcpclean::FamilyFromVersion(0xC0000004u), WindowsFamily::Windows95);  // 95
  EXPECT_EQ(rcpclean::FamilyFromVersion(0xC0000A04u), WindowsFamily::Windows95);  // 98
  EXPECT_EQ(rcpclean::FamilyFromVersion(0x80000000u), WindowsFamily::Windows95);
  EXPECT_EQ(rcpclean::FamilyFromVersion(0x0A280105u), WindowsFamily::Nt);  // XP
  EXPECT_EQ(rcpclean::FamilyFromVersion(0x1DB10106u), WindowsFamily::Nt);  // 7
  // The library tests below rely on Wine reporting the NT family here.
  EXPECT_EQ(rcpclean::FamilyFromVersion(GetVersion()), WindowsFamily::Nt);
}

TEST(CleanupDecisions, GroupPathNeverRunsPastItsBuffer) {
  const std::size_t suffix = std::strlen(rcpclean::kGroupSuffix);
  char path[MAX_PATH];

  std::memset(path, 'a', sizeof path);
  path[MAX_PATH - 1 - suffix] = '\0';  // the longest shell path that still fits
  ASSERT_TRUE(rcpclean::AppendGroupSuffix(path, sizeof path));
  EXPECT_EQ(std::strlen(path), std::size_t{MAX_PATH - 1});
  EXPECT_STREQ(path + MAX_PATH - 1 - suffix, "\\Veltra Quillmark K40 Series");

  std::memset(path, 'a', sizeof path);
  path[MAX_PATH - suffix] = '\0';  // one longer
  EXPECT_FALSE(rcpclean::AppendGroupSuffix(path, sizeof path));
  EXPECT_EQ(std::strlen(path), MAX_PATH - suffix) << "the buffer was changed";

  std::memset(path, 'a', sizeof path);  // no terminator at all
  EXPECT_FALSE(rcpclean::AppendGroupSuffix(path, sizeof path));
  EXPECT_EQ(path[MAX_PATH - 1], 'a');
}

TEST_F(ProductFolders, NtRemovesBothEmptyGroupsThroughTheLibrary) {
  MakeFolder(userGroup_);
  MakeFolder(commonGroup_);

  EXPECT_EQ(CallExport("UninstUnInitialize"), 0);
  EXPECT_FALSE(Exists(userGroup_));
  EXPECT_FALSE(Exists(commonGroup_));
}

TEST_F(ProductFolders, GroupHoldingAShortcutStays) {
  MakeFolder(userGroup_);
  PutFile(userGroup_ + "\\" + kShortcut, kShortcutBytes);
  MakeFolder(commonGroup_);

  EXPECT_EQ(CallExport("UninstUnInitialize"), 0);
  EXPECT_TRUE(Exists(userGroup_));
  EXPECT_EQ(FileBytes(userGroup_ + "\\" + kShortcut), kShortcutBytes);
  EXPECT_FALSE(Exists(commonGroup_));

  // And the other way round, for the all-users group.
  DeleteFileA((userGroup_ + "\\" + kShortcut).c_str());
  MakeFolder(commonGroup_);
  PutFile(commonGroup_ + "\\" + kShortcut, kShortcutBytes);
  rcpclean::RemoveProductFolders(WindowsFamily::Nt);
  EXPECT_FALSE(Exists(userGroup_));
  EXPECT_TRUE(Exists(commonGroup_));
  EXPECT_EQ(FileBytes(commonGroup_ + "\\" + kShortcut), kShortcutBytes);
}

TEST_F(ProductFolders, Windows95FamilyNeverTouchesTheAllUsersGroup) {
  MakeFolder(userGroup_);
  MakeFolder(commonGroup_);

  rcpclean::RemoveProductFolders(WindowsFamily::Windows95);
  EXPECT_FALSE(Exists(userGroup_));
  EXPECT_TRUE(Exists(commonGroup_));
}

TEST_F(ProductFolders, Windows95HostThroughTheLibrary) {
  MakeFolder(userGroup_);
  MakeFolder(commonGroup_);
  MakeFolder(program_);

  // 3 would mean Wine did not take the per-program version.
  EXPECT_EQ(RunProbeAsWindows95(), 0u);
  EXPECT_FALSE(Exists(userGroup_));
  EXPECT_TRUE(Exists(commonGroup_));
  EXPECT_FALSE(Exists(program_));
}

TEST_F(ProductFolders, SecondCallChangesNothing) {
  MakeFolder(userGroup_);
  PutFile(userGroup_ + "\\" + kShortcut, kShortcutBytes);
  MakeFolder(commonGroup_);
  MakeFolder(program_);
  PutFile(program_ + "\\rcpanel.exe", "MZ");

  EXPECT_EQ(CallExport("UninstUnInitialize"), 0);
  EXPECT_EQ(CallExport("UninstUnInitialize", 7, 8, 9), 0);
  EXPECT_EQ(FileBytes(userGroup_ + "\\" + kShortcut), kShortcutBytes);
  EXPECT_FALSE(Exists(commonGroup_));
  EXPECT_EQ(FileBytes(program_ + "\\rcpanel.exe"), "MZ");

  // Nothing left at all: still quiet, still 0.
  RemoveTree(userGroup_);
  RemoveTree(program_);
  EXPECT_EQ(CallExport("UninstUnInitialize"), 0);
  EXPECT_EQ(CallExport("UninstUnInitialize"), 0);
  EXPECT_FALSE(Exists(userGroup_));
  EXPECT_FALSE(Exists(commonGroup_));
  EXPECT_FALSE(Exists(program_));
}

TEST_F(ProductFolders, InitializeTouchesNothing) {
  MakeFolder(userGroup_);
  MakeFolder(commonGroup_);
  MakeFolder(program_);

  EXPECT_EQ(CallExport("UninstInitialize"), 0);
  EXPECT_EQ(CallExport("UninstInitialize", 1, 2, 3), 0);
  EXPECT_EQ(CallExport("UninstInitialize", 0xFFFFFFFFu, 0x80000000u, 0xDEADBEEFu), 0);
  EXPECT_TRUE(Exists(userGroup_));
  EXPECT_TRUE(Exists(commonGroup_));
  EXPECT_TRUE(Exists(program_));
}

TEST_F(ProductFolders, ProgramFolderGoesOnlyWhenEmpty) {
  MakeFolder(program_);
  EXPECT_EQ(CallExport("UninstUnInitialize"), 0);
  EXPECT_FALSE(Exists(program_));

  MakeFolder(program_);
  PutFile(program_ + "\\K40.HLP", "help");
  EXPECT_EQ(CallExport("UninstUnInitialize"), 0);
  EXPECT_EQ(FileBytes(program_ + "\\K40.HLP"), "help");

  // A folder inside counts as content too; nothing is emptied to make room.
  DeleteFileA((program_ + "\\K40.HLP").c_str());
  MakeFolder(program_ + "\\demo");
  rcpclean::RemoveProductFolders(WindowsFamily::Windows95);
  EXPECT_TRUE(Exists(program_ + "\\demo"));
}

TEST_F(ProductFolders, ReleasesItsSearchOfTheProgramFolder) {
  MakeFolder(program_);
  PutFile(program_ + "\\rcpanel.exe", "MZ");
  EXPECT_EQ(CallExport("UninstUnInitialize"), 0);
  rcpclean::RemoveProductFolders(WindowsFamily::Nt);

  // A search left open keeps the folder from being removed (Wine refuses it).
  ASSERT_TRUE(DeleteFileA((program_ + "\\rcpanel.exe").c_str()));
  EXPECT_TRUE(RemoveDirectoryA(program_.c_str())) << "error " << GetLastError();
}

}  // namespace
