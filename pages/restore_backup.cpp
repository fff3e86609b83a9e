// The backup list (see restore_backup.h).
#include "pages/restore_backup.h"

#include <utility>

#include "app/app_shell.h"
#include "res/resource.h"
#include "widgets/window.h"

CRestoreBackup::CRestoreBackup(std::vector<std::string> names, BackupKind kind, HWND parent)
    : CDialog(IDD_RESTORE_BACKUP, parent), m_names(std::move(names)), m_kind(kind) {}

BOOL CRestoreBackup::OnInitDialog() {
  HWND list = GetDlgItem(m_hWnd, IDC_BACKUP_LIST);
  for (const std::string& name : m_names) {
    BackupStamp stamp;
    ParseBackupFileName(name, m_kind, &stamp);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(BackupStampText(stamp).c_str()));
  }
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
