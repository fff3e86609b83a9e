// The contacts import preview (see import_contacts.h).
#include "pages/import_contacts.h"

#include <commctrl.h>

#include <cstdio>
#include <utility>

#include "commands/device_data.h"
#include "ops/machine_ops.h"
#include "commands/phonebook_rules.h"
#include "res/resource.h"
#include "widgets/resource_text.h"

namespace {

enum Column { kSlot, kContact, kName, kNumber, kChanges };

std::wstring Wide(const std::string& text, UINT codePage = CP_UTF8) {
  const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), w.data(), n);
  return w;
}

void SetCell(HWND list, int row, int column, const std::wstring& text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void AddColumn(HWND list, int column, const std::string& title, int width) {
  LVCOLUMNA desc{};
  desc.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  desc.cx = width;
  desc.pszText = const_cast<char*>(title.c_str());
  desc.iSubItem = column;
  SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&desc));
}

}  // namespace

CImportContacts::CImportContacts(std::vector<Contact> contacts, std::string csvBytes, HWND parent)
    : CDialog(IDD_IMPORT_CONTACTS, parent),
      m_contacts(std::move(contacts)),
      m_csvBytes(std::move(csvBytes)),
      m_headers(CsvHeaders(m_csvBytes)) {}

std::string CImportContacts::NotesText(unsigned notes) {
  static const std::pair<unsigned, UINT> kTexts[] = {
      {kNoteNoNumber, IDS_NOTE_NO_NUMBER},   {kNoteNoFreeSlot, IDS_NOTE_NO_SLOT},
      {kNoteGroupDial, IDS_NOTE_GROUP},      {kNoteAccentsRemoved, IDS_NOTE_ACCENTS},
      {kNoteCharsDropped, IDS_NOTE_DROPPED}, {kNoteNameCut, IDS_NOTE_NAME_CUT},
      {kNoteNumberChanged, IDS_NOTE_NUMBER_CHANGED}, {kNoteNumberCut, IDS_NOTE_NUMBER_CUT}};
  std::string text;
  for (const auto& [note, id] : kTexts) {
    if (!(notes & note)) continue;
    if (!text.empty()) text += ", ";
    text += LoadText(id);
  }
  return text;
}

BOOL CImportContacts::OnInitDialog() {
  CheckRadioButton(m_hWnd, IDC_IMP_FILL, IDC_IMP_REPLACE,
                   m_mode == ImportMode::ReplaceAll ? IDC_IMP_REPLACE : IDC_IMP_FILL);
  SendDlgItemMessageA(m_hWnd, IDC_IMP_PREFIX, EM_LIMITTEXT, 6, 0);
  SetDlgItemTextA(m_hWnd, IDC_IMP_PREFIX, m_prefix.c_str());

  HWND list = GetDlgItem(m_hWnd, IDC_IMP_LIST);
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  AddColumn(list, kSlot, LoadText(IDS_COL_INDEX), 30);
  AddColumn(list, kContact, LoadText(IDS_COL_CONTACT), 125);
  AddColumn(list, kName, LoadText(IDS_COL_NAME), 130);
  AddColumn(list, kNumber, LoadText(IDS_COL_NUMBER), 100);
  AddColumn(list, kChanges, LoadText(IDS_COL_CHANGES), 250);
  HWND column = GetDlgItem(m_hWnd, IDC_IMP_COLUMN);
  SendMessageW(column, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(Wide(LoadText(IDS_COLUMN_AUTOMATIC), CP_ACP).c_str()));
  for (const std::string& header : m_headers)
    SendMessageW(column, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(Wide(header).c_str()));
  SendMessageA(column, CB_SETCURSEL, 0, 0);
  EnableWindow(column, !m_headers.empty());
  m_ready = true;
  Replan();
  CenterWindow(m_hWnd);
  return TRUE;
}

void CImportContacts::Replan() {
  m_rows = ops::PlanContactsImport(m_contacts, m_mode, m_prefix);

  HWND list = GetDlgItem(m_hWnd, IDC_IMP_LIST);
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  int taken = 0;
  for (size_t i = 0; i < m_rows.size(); ++i) {
    const ImportRow& row = m_rows[i];
    const int at = static_cast<int>(i);
    std::wstring slot = row.slot >= 0 ? Wide(RowNumberText(row.slot)) : L"  -";
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = at;
    item.pszText = slot.data();
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    SetCell(list, at, kContact, Wide(row.sourceName));
    SetCell(list, at, kName, Wide(row.name));
    SetCell(list, at, kNumber, Wide(row.number));
    SetCell(list, at, kChanges, Wide(NotesText(row.notes), CP_ACP));
    if (row.slot >= 0) ++taken;
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);

  char summary[160];
  std::snprintf(summary, sizeof summary, LoadText(IDS_IMPORT_SUMMARY), taken, static_cast<int>(m_rows.size()));
  SetDlgItemTextA(m_hWnd, IDC_IMP_SUMMARY, summary);
  EnableWindow(GetDlgItem(m_hWnd, IDOK), taken > 0);
}

bool CImportContacts::OnCommand(WORD id, WORD code, HWND control) {
  if (!m_ready) return false;
  if ((id == IDC_IMP_FILL || id == IDC_IMP_REPLACE) && code == BN_CLICKED) {
    m_mode = id == IDC_IMP_REPLACE ? ImportMode::ReplaceAll : ImportMode::FillEmpty;
    Replan();
    return true;
  }
  if (id == IDC_IMP_COLUMN && code == CBN_SELCHANGE) {
    ChooseColumn();
    return true;
  }
  if (id == IDC_IMP_PREFIX && code == EN_CHANGE) {
    char text[8] = {};
    GetDlgItemTextA(m_hWnd, IDC_IMP_PREFIX, text, sizeof text);
    m_prefix.clear();
    for (const char* p = text; *p; ++p)
      if (*p >= '0' && *p <= '9') m_prefix += *p;
    Replan();
    return true;
  }
  return false;
}

void CImportContacts::ChooseColumn() {
  const LRESULT choice = SendDlgItemMessageA(m_hWnd, IDC_IMP_COLUMN, CB_GETCURSEL, 0, 0);
  CsvOptions options;
  if (choice > 0 && static_cast<size_t>(choice) <= m_headers.size()) options.numberColumn = m_headers[choice - 1];
  // A column that gives no contacts leaves the list empty and OK grey.
  m_contacts = ReadCsvContacts(m_csvBytes, options).contacts;
  Replan();
}
