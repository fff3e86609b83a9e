// CImportContacts: the preview of a contacts import. One row per contact:
// the position it gets, the name in the file, the name and number as the
// machine will hold them, and what was changed or why it is skipped. The
// user picks "fill empty entries" or "replace all entries" and the prefix
// a leading '+' becomes; OK keeps the plan, the caller applies it.
#pragma once

#include <string>
#include <vector>

#include "files/contacts.h"
#include "widgets/dialog.h"

class CImportContacts : public CDialog {
 public:
  explicit CImportContacts(std::vector<Contact> contacts, HWND parent = nullptr);

  ImportMode m_mode = ImportMode::FillEmpty;
  std::string m_prefix = "00";
  std::vector<ImportRow> m_rows;  // the plan as last shown

  // "acentos removidos, número ajustado": the notes of one row.
  static std::string NotesText(unsigned notes);

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;

 private:
  void Replan();

  std::vector<Contact> m_contacts;
  bool m_ready = false;
};
