// CRestoreBackup: the list of backups of one kind, newest first, shown by
// date and time; OK with a row chosen gives its index. CSettingsBackupPage:
// a settings page, which the menu's restore item serves while it is shown.
#pragma once

#include <string>
#include <vector>

#include "files/backup_names.h"
#include "widgets/dialog.h"
#include "widgets/property_page.h"

class CRestoreBackup : public CDialog {
 public:
  CRestoreBackup(std::vector<std::string> names, BackupKind kind, HWND parent = nullptr);

  int m_chosen = -1;

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnOK() override;

 private:
  std::vector<std::string> m_names;
  BackupKind m_kind;
};

class CSettingsBackupPage : public CPropertyPage {
 public:
  using CPropertyPage::CPropertyPage;

 protected:
  bool OnSetActive() override;
  bool OnKillActive() override;
};
