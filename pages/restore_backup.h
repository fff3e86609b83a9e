// CRestoreBackup: the list of backups of one kind, newest first, shown by
// date and time; OK with a row chosen gives its index. CSettingsBackupPage:
// a settings page, which the menu's restore item serves while it is shown.
// OnRestoreBackup: the main window's "Restaurar cópia de segurança...".
#pragma once

#include <string>
#include <vector>

#include "ops/machine_ops.h"
#include "widgets/dialog.h"
#include "widgets/property_page.h"

class CRestoreBackup : public CDialog {
 public:
  explicit CRestoreBackup(std::vector<ops::BackupListing> backups, HWND parent = nullptr);

  int m_chosen = -1;

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnOK() override;

 private:
  std::vector<ops::BackupListing> m_backups;
};

class CSettingsBackupPage : public CPropertyPage {
 public:
  using CPropertyPage::CPropertyPage;

 protected:
  bool OnSetActive() override;
  bool OnKillActive() override;
};

// Lists the backups of the active page's kind (phonebook, or settings on the
// two settings pages) and loads the chosen one into the records and the
// pages, to be sent with "Gravação" or "Aplicar" like any loaded file.
void OnRestoreBackup();
