// CEditEntry: the small "Editar" dialog in which the user changes the name
// and number of one phonebook entry. It keeps the name in capitals, lets only
// dial characters into the number and closes with OK only for a number that
// looks like one. It never writes the table: the phonebook page copies its
// two texts after OK.
#pragma once

#include <string>

#include "widgets/dialog.h"
#include "widgets/filter_edit.h"
#include "widgets/hover_button.h"

class CEditEntry : public CDialog {
 public:
  // Takes the name and number of table entry `index`. Without a parent the
  // dialog belongs to the main window.
  explicit CEditEntry(int index, HWND parent = nullptr);

  std::string m_strName;
  std::string m_strNumber;

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnOK() override;

 private:
  // Run on every change of either edit's text.
  void OnFieldChange(int controlId);
  void TakeMembers();
  // Members -> edits. The edits notify each change: those notifications are
  // ours and are not handled, and a text already shown is not set again.
  void ShowMembers();

  CFilterEdit m_nameEdit;
  CFilterEdit m_numberEdit;
  CHoverButton m_okButton;
  CHoverButton m_cancelButton;
  bool m_showing = false;
};
