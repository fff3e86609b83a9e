// Backups of the machine's data (see backups.h).
#include "files/backups.h"

#include <windows.h>
#include <shlobj.h>

#include "app/app_shell.h"
#include "commands/device_data.h"
#include "files/phonebook_file.h"
#include "files/settings_commands.h"
#include "files/settings_file.h"
#include "files/settings_profile.h"
#include "pages/advanced_page.h"
#include "pages/page_set.h"
#include "pages/phonebook_page.h"
#include "pages/restore_backup.h"
#include "pages/settings_page.h"
#include "res/resource.h"
#include "widgets/property_sheet.h"

namespace {

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &found);
  for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  return names;
}

}  // namespace

std::string& BackupFolderOverride() {
  static std::string folder;
  return folder;
}

std::string BackupFolder() {
  if (!BackupFolderOverride().empty()) return BackupFolderOverride();
  using FolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
  auto folderPath = reinterpret_cast<FolderPathFn>(ShellFunction("SHGetFolderPathA"));
  char base[MAX_PATH] = {};
  if (!folderPath || FAILED(folderPath(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base))) return {};
  std::string folder = std::string(base) + "\\Dalvenor";
  CreateDirectoryA(folder.c_str(), nullptr);
  folder += "\\Backups";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

bool KeepBackup(BackupKind kind, const std::vector<uint8_t>& bytes) {
  const std::string folder = BackupFolder();
  if (folder.empty()) return false;
  SYSTEMTIME now;
  GetLocalTime(&now);
  BackupStamp stamp{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
  // A backup never replaces another, whatever the clock says: a name already
  // taken (two writes within one millisecond, a clock set back) moves on to
  // the next millisecond.
  std::string name, path;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (;;) {
    name = BackupFileName(kind, stamp);
    path = folder + "\\" + name;
    file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) break;
    const DWORD error = GetLastError();
    if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || stamp.millisecond >= 999) return false;
    ++stamp.millisecond;
  }
  DWORD written = 0;
  const bool whole = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                                 nullptr) &&
                                       written == bytes.size());
  if (!CloseHandle(file) || !whole) {
    DeleteFileA(path.c_str());
    return false;
  }
  for (const std::string& old : BackupsToRemove(FolderNames(folder), kind, name))
    DeleteFileA((folder + "\\" + old).c_str());
  return true;
}

std::vector<std::string> ListBackups(BackupKind kind) {
  const std::string folder = BackupFolder();
  if (folder.empty()) return {};
  return BackupsNewestFirst(FolderNames(folder), kind);
}

void KeepSettingsBackup() {
  const SettingsBlock* settings = settingsPage ? settingsPage->MachineValues() : nullptr;
  const SystemInfo* info = advancedPage ? advancedPage->MachineValues() : nullptr;
  if (!settings && !info) return;
  // As for the phonebook: a backup that cannot be written does not stop the user's write.
  const std::string text = SettingsProfileText(settings, info);
  KeepBackup(BackupKind::Settings, std::vector<uint8_t>(text.begin(), text.end()));
}

void OnRestoreBackup() {
  if (panelSheet == nullptr) return;
  CPropertyPage* active = panelSheet->GetActivePage();
  const bool phonebook = active != nullptr && active == phonebookPage && phonebookTable != nullptr;
  const bool settings = active != nullptr && (active == settingsPage || active == advancedPage);
  if (!phonebook && !settings) return;
  const BackupKind kind = phonebook ? BackupKind::Phonebook : BackupKind::Settings;
  const std::vector<std::string> names = ListBackups(kind);
  if (names.empty()) {
    ShowAppMessage(AppMainWindow(), IDS_NO_BACKUPS, MB_OK | MB_ICONINFORMATION);
    return;
  }
  CRestoreBackup chooser(names, kind);
  if (chooser.DoModal() != IDOK || chooser.m_chosen < 0) return;
  const std::string path = BackupFolder() + "\\" + names[chooser.m_chosen];
  bool loaded = false;
  if (phonebook) {
    PhonebookFileError error = PhonebookFileError::None;
    loaded = LoadPhonebookFile(path.c_str(), &error);
    if (loaded) phonebookPage->FillList();
  } else {
    bool settingsTaken = false, advancedTaken = false;
    loaded = LoadSettingsSections(path, &settingsTaken, &advancedTaken) != 0;
    if (loaded) ShowLoadedSettings(settingsTaken, advancedTaken);
  }
  if (!loaded) ShowAppMessage(AppMainWindow(), IDS_FILE_READ_FAILED, MB_OK | MB_ICONERROR);
}
