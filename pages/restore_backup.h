// CRestoreBackup: the list of backups of one kind, newest first, shown by
// date and time; OK with a row chosen gives its index.
#pragma once

#include <string>
#include <vector>

#include "files/backup_names.h"
#include "widgets/dialog.h"

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
