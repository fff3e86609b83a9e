// Backups of the machine's data (see backups.h).
#include "files/backups.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>

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
  std::string path = folder + "\\" + BackupFileName(kind, stamp);
  // Two writes within one millisecond: the later one waits its turn.
  while (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES && stamp.millisecond < 999) {
    ++stamp.millisecond;
    path = folder + "\\" + BackupFileName(kind, stamp);
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) {
    DeleteFileA(path.c_str());
    return false;
  }
  for (const std::string& old : BackupsToRemove(FolderNames(folder), kind))
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
    loaded = LoadSettingsBackup(path, &settingsTaken, &advancedTaken) != 0;
    if (loaded) ShowLoadedSettings(settingsTaken, advancedTaken);
  }
  if (!loaded) ShowAppMessage(AppMainWindow(), IDS_FILE_READ_FAILED, MB_OK | MB_ICONERROR);
}
