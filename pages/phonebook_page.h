// CPhonebook: the "Diretório telefônico" page. Lists the 80 speed-dial
// entries of the phonebook table, edits one in the entry editor, deletes one
// or all, reads the whole phonebook from the machine ("Leitura") and writes
// it back ("Gravação"). While it is the active page the main window's
// phonebook file commands are available.
#pragma once

#include <vector>

#include "commands/device_data.h"
#include "widgets/property_page.h"

class CPhonebook : public CPropertyPage {
 public:
  CPhonebook();

  // Rebuilds the rows from the table (also after a phonebook file was loaded).
  void FillList();

  // The page's commands, as its buttons and the list's double click run them.
  void OnEdit();
  void OnDelete();
  void OnDeleteAll();
  void OnRead();
  void OnWrite();
  void OnSpeedDial();
  // "Gravação" as the program's exit question runs it: true when the
  // machine took the phonebook (a difference found on reading it back is
  // told, and counts as not sent).
  bool WriteToMachine();

  // The table differs from what the machine holds as far as the page knows
  // (last read, or last written and read back; an empty phonebook before
  // any answer).
  bool HasUnsentChanges() const;

  HWND GetList() const;

  // Radio group 1034..1035: 1 checks the speed-dial button.
  int m_nDialType = 1;

 protected:
  BOOL InitPage() override;
  bool OnSetActive() override;
  bool OnKillActive() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnNotify(NMHDR* header, LRESULT& result) override;

 private:
  // The entry of the first selected row when the user may change it: -1 (and
  // the standard beep) when no row is selected or the entry is a group dial.
  int ChangeableSelection();
  void SetRowTexts(int row);
  void CreateColumns();
  void RememberMachine(const std::vector<PhonebookEntry>& machine);

  std::vector<PhonebookEntry> m_machine;  // speed-dial entries as the machine holds them
  bool m_machineKnown = false;
};
