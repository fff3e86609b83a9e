// CImportContacts: the preview of a contacts import. One row per contact:
// the position it gets, the name in the file, the name and number as the
// machine will hold them, and what was changed or why it is skipped. The
// user picks "fill empty entries" or "replace all entries" and the prefix
// a leading '+' becomes and, for a CSV, the column that holds the numbers;
// OK keeps the plan, the caller applies it.
#pragma once

#include <string>
#include <vector>

#include "files/contacts.h"
#include "widgets/dialog.h"

class CImportContacts : public CDialog {
 public:
  // `csvBytes`: the file when it is a CSV, so that another number column
  // can be chosen; empty otherwise.
  CImportContacts(std::vector<Contact> contacts, std::string csvBytes, HWND parent = nullptr);

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

  void ChooseColumn();

  std::vector<Contact> m_contacts;
  std::string m_csvBytes;
  std::vector<std::string> m_headers;
  bool m_ready = false;
};
