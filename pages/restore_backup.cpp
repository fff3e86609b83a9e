// The backup list (see restore_backup.h).
#include "pages/restore_backup.h"

#include <utility>

#include "app/app_shell.h"
#include "commands/device_data.h"
#include "files/settings_commands.h"
#include "pages/advanced_page.h"
#include "pages/page_set.h"
#include "pages/phonebook_page.h"
#include "pages/settings_page.h"
#include "res/resource.h"
#include "widgets/property_sheet.h"
#include "widgets/window.h"

CRestoreBackup::CRestoreBackup(std::vector<ops::BackupListing> backups, HWND parent)
    : CDialog(IDD_RESTORE_BACKUP, parent), m_backups(std::move(backups)) {}

BOOL CRestoreBackup::OnInitDialog() {
  HWND list = GetDlgItem(m_hWnd, IDC_BACKUP_LIST);
  for (const ops::BackupListing& backup : m_backups)
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(BackupStampText(backup.stamp).c_str()));
  SendMessageA(list, LB_SETCURSEL, 0, 0);
  CenterWindow(m_hWnd);
  return TRUE;
}

bool CRestoreBackup::OnCommand(WORD id, WORD code, HWND) {
  if (id == IDC_BACKUP_LIST && code == LBN_DBLCLK) {
    OnOK();
    return true;
  }
  return false;
}

void CRestoreBackup::OnOK() {
  const LRESULT row = SendDlgItemMessageA(m_hWnd, IDC_BACKUP_LIST, LB_GETCURSEL, 0, 0);
  if (row == LB_ERR) {
    MessageBeep(MB_OK);
    return;
  }
  m_chosen = static_cast<int>(row);
  EndDialog(IDOK);
}

bool CSettingsBackupPage::OnSetActive() {
  CPropertyPage::OnSetActive();
  EnableRestoreMenu(true);
  return true;
}

bool CSettingsBackupPage::OnKillActive() {
  EnableRestoreMenu(false);
  return CPropertyPage::OnKillActive();
}

void OnRestoreBackup() {
  if (panelSheet == nullptr) return;
  CPropertyPage* active = panelSheet->GetActivePage();
  const bool phonebook = active != nullptr && active == phonebookPage && phonebookTable != nullptr;
  const bool settings = active != nullptr && (active == settingsPage || active == advancedPage);
  if (!phonebook && !settings) return;
  std::vector<ops::BackupListing> backups = ops::ListBackups(phonebook ? BackupKind::Phonebook : BackupKind::Settings);
  if (backups.empty()) {
    ShowAppMessage(AppMainWindow(), IDS_NO_BACKUPS, MB_OK | MB_ICONINFORMATION);
    return;
  }
  CRestoreBackup chooser(backups);
  if (chooser.DoModal() != IDOK || chooser.m_chosen < 0) return;
  const std::string& name = backups[static_cast<size_t>(chooser.m_chosen)].name;
  bool loaded = false;
  if (phonebook) {
    loaded = ops::RestorePhonebookBackup(name).ok();
    if (loaded) phonebookPage->FillList();
  } else {
    const ops::SettingsRestore restore = ops::RestoreSettingsBackup(name);
    loaded = restore.ok();
    if (loaded) ShowLoadedSettings(restore.settings, restore.advanced);
  }
  if (!loaded) ShowAppMessage(AppMainWindow(), IDS_FILE_READ_FAILED, MB_OK | MB_ICONERROR);
}
