// The entry editor: two filtering edits, the field clean-up on each change,
// and the OK rule.
#include "pages/edit_entry.h"

#include <cstring>

#include "app/app_shell.h"
#include "commands/device_data.h"
#include "commands/phonebook_rules.h"
#include "res/resource.h"
#include "widgets/input_class.h"
#include "widgets/resource_text.h"

namespace {

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

void ShowText(HWND window, const std::string& text) {
  if (WindowText(window) != text) SetWindowTextA(window, text.c_str());
}

size_t CaretOf(HWND edit) {
  DWORD start = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  return start;
}

}  // namespace

CEditEntry::CEditEntry(int index, HWND parent) : CDialog(IDD_EDITENTRY, parent ? parent : AppMainWindow()) {
  if (phonebookTable != nullptr && index >= 0 && index < int(speedDialCount) + int(oneTouchCount)) {
    const PhonebookEntry& entry = phonebookTable[index];
    m_strName.assign(entry.name, strnlen(entry.name, sizeof entry.name));
    m_strNumber.assign(entry.number, strnlen(entry.number, sizeof entry.number));
  }
}

BOOL CEditEntry::OnInitDialog() {
  CDialog::OnInitDialog();
  ShowMembers();

  m_nameEdit.Attach(m_hWnd, IDC_ENTRY_NAME);
  SendMessageA(m_nameEdit.GetHwnd(), EM_LIMITTEXT, kEntryNameChars, 0);
  m_nameEdit.m_inputClass = NameText;
  m_numberEdit.Attach(m_hWnd, IDC_ENTRY_NUMBER);
  SendMessageA(m_numberEdit.GetHwnd(), EM_LIMITTEXT, kEntryNumberChars, 0);
  m_numberEdit.m_inputClass = DialString;

  m_okButton.Attach(m_hWnd, IDOK);
  m_okButton.SetButtonIcon(IDI_OK);
  m_cancelButton.Attach(m_hWnd, IDCANCEL);
  m_cancelButton.SetButtonIcon(IDI_CANCEL);

  SetWindowTextA(m_hWnd, LoadText(IDS_EDIT_TITLE));
  CenterWindow(m_hWnd, GetWindow(m_hWnd, GW_OWNER));
  return TRUE;
}

void CEditEntry::TakeMembers() {
  m_strName = WindowText(GetItem(IDC_ENTRY_NAME));
  m_strNumber = WindowText(GetItem(IDC_ENTRY_NUMBER));
}

void CEditEntry::ShowMembers() {
  bool outer = m_showing;
  m_showing = true;
  ShowText(GetItem(IDC_ENTRY_NAME), m_strName);
  ShowText(GetItem(IDC_ENTRY_NUMBER), m_strNumber);
  m_showing = outer;
}

bool CEditEntry::OnCommand(WORD id, WORD code, HWND control) {
  if (code != EN_CHANGE || (id != IDC_ENTRY_NAME && id != IDC_ENTRY_NUMBER)) return false;
  if (!m_showing) OnFieldChange(id);
  return true;
}

void CEditEntry::OnFieldChange(int controlId) {
  HWND edit = GetItem(controlId);
  std::string& member = controlId == IDC_ENTRY_NAME ? m_strName : m_strNumber;
  size_t caret = CaretOf(edit);
  const bool nonAsciiKey = NonAsciiTyped;
  CleanedField field;
  if (nonAsciiKey) {
    // The key is taken back: the field as it was before it.
    field = RestoreBeforeNonAscii(member, caret);
    // Handled: a later change that is not typed (Delete, a paste) must not
    // be taken for this key again.
    NonAsciiTyped = false;
  } else {
    TakeMembers();
    // A paste is not filtered by the edit: what it brought is cleaned here.
    field = CleanChangedField(member, caret);
  }
  member = field.text;
  ShowMembers();
  SendMessageA(edit, EM_SETSEL, field.caret, field.caret);
  if (nonAsciiKey || field.dropped > 0) MessageBeep(MB_OK);
}

void CEditEntry::OnOK() {
  if (!IsAcceptableNumber(m_strNumber)) {
    MessageBeep(MB_OK);
    return;
  }
  TakeMembers();
  EndDialog(IDOK);
}
