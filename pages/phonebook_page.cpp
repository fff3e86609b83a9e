// The phonebook page: the list of speed-dial entries over the phonebook
// table, the entry editor, and the whole-phonebook read and write.
#include "pages/phonebook_page.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/app_shell.h"
#include "commands/commands.h"
#include "commands/device_data.h"
#include "link/os.h"
#include "ops/machine_ops.h"
#include "pages/edit_entry.h"
#include "commands/phonebook_rules.h"
#include "res/resource.h"
#include "widgets/resource_text.h"

namespace {

// The machine is still settling after the page set was built: the first
// read waits this long before it asks.
constexpr uint32_t kFirstReadDelayMs = 1500;
constexpr int kIndexColumnWidth = 40;
constexpr int kNameColumnWidth = 150;

int TableEntries() { return phonebookTable ? int(speedDialCount) + int(oneTouchCount) : 0; }

void SetCell(HWND list, int row, int column, const std::string& text) {
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void InsertColumn(HWND list, int column, UINT titleId, int format, int width) {
  std::string title = LoadText(titleId);
  LVCOLUMNA desc{};
  desc.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  desc.fmt = format;
  desc.cx = width;
  desc.pszText = title.data();
  desc.iSubItem = column;
  SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&desc));
}

}  // namespace

CPhonebook::CPhonebook() : CPropertyPage(IDD_PHONEBOOK) {
  BindRadio(IDC_PB_ONE_TOUCH, IDC_PB_SPEED_DIAL, m_nDialType);
}

HWND CPhonebook::GetList() const { return GetItem(IDC_PB_LIST); }

BOOL CPhonebook::InitPage() {
  // The page sits inside the sheet: no caption or frame of its own, and Tab
  // reaches it as a group.
  LONG_PTR style = GetWindowLongPtrA(m_hWnd, GWL_STYLE);
  style &= ~static_cast<LONG_PTR>(WS_CAPTION);
  style |= WS_GROUP | WS_TABSTOP;
  SetWindowLongPtrA(m_hWnd, GWL_STYLE, style);

  CPropertyPage::InitPage();  // checks the speed-dial button

  {
    CWaitCursor wait;
    TheOs().SleepMs(kFirstReadDelayMs);
    const ops::PhonebookOutcome read = ops::ReadPhonebook(0);
    wait.Restore();
    if (read.ok()) RememberMachine(read.machine);
    if (!read.ok()) ReportLinkFailure(IDS_NO_ANSWER);
  }

  char kind[32];
  std::snprintf(kind, sizeof kind, "%s", LoadText(IDS_SPEED_DIAL));
  char label[64];
  std::snprintf(label, sizeof label, "%s ( 1 ~ %d )", kind, static_cast<int>(speedDialCount));
  SetDlgItemTextA(m_hWnd, IDC_PB_SPEED_DIAL, label);

  CreateColumns();
  FillList();
  return TRUE;
}

void CPhonebook::CreateColumns() {
  HWND list = GetList();
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  RECT client{};
  GetClientRect(list, &client);
  // The number column takes what is left beside a vertical scroll bar.
  int numberWidth = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL) -
                    (kIndexColumnWidth + kNameColumnWidth);
  InsertColumn(list, 0, IDS_COL_INDEX, LVCFMT_RIGHT, kIndexColumnWidth);
  InsertColumn(list, 1, IDS_COL_NAME, LVCFMT_LEFT, kNameColumnWidth);
  InsertColumn(list, 2, IDS_COL_NUMBER, LVCFMT_LEFT, numberWidth);
}

void CPhonebook::FillList() {
  HWND list = GetList();
  if (!list) return;
  const int count = phonebookTable ? int(speedDialCount) : 0;
  if (count > 0 && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == count) {
    // The same rows again: the new texts in place, and the list left as a
    // new one would be (nothing selected or focused, at the top). Emptying
    // a shown list and filling it again costs Wine some 20 ms more.
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    SendMessageA(list, LVM_SETSELECTIONMARK, 0, -1);
    SendMessageA(list, LVM_ENSUREVISIBLE, 0, FALSE);
    for (int i = 0; i < count; ++i) SetRowTexts(i);
    return;
  }
  // Drawn once when full: a visible list repaints and re-sizes its scroll bar
  // on every row otherwise.
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0);
  for (int i = 0; i < count; ++i) {
    std::string index = RowNumberText(i);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = index.data();
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    SetRowTexts(i);
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void CPhonebook::SetRowTexts(int row) {
  HWND list = GetList();
  const PhonebookEntry& entry = phonebookTable[row];
  SetCell(list, row, 1, std::string(entry.name, strnlen(entry.name, sizeof entry.name)));
  SetCell(list, row, 2, NumberColumnText(entry));
}

int CPhonebook::ChangeableSelection() {
  int row = static_cast<int>(SendMessageA(GetList(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (row < 0 || row >= TableEntries() || IsGroupDial(phonebookTable[row])) {
    MessageBeep(MB_OK);
    return -1;
  }
  return row;
}

void CPhonebook::OnEdit() {
  int row = ChangeableSelection();
  if (row < 0) return;
  CEditEntry editor(row);
  if (editor.DoModal() == IDOK) {
    StoreEntry(phonebookTable[row], editor.m_strName, editor.m_strNumber);
    SetRowTexts(row);
  }
  SetFocus(GetList());
}

void CPhonebook::OnDelete() {
  int row = ChangeableSelection();
  if (row < 0) return;
  ClearEntry(phonebookTable[row]);
  SetRowTexts(row);
  SetFocus(GetList());
}

void CPhonebook::OnDeleteAll() {
  ClearAllButGroupDials(phonebookTable, static_cast<size_t>(TableEntries()));
  FillList();
}

void CPhonebook::OnRead() {
  CWaitCursor wait;
  const ops::PhonebookOutcome read = ops::ReadPhonebook();
  wait.Restore();
  if (read.ok()) {
    RememberMachine(read.machine);
    FillList();
  } else {
    ReportLinkFailure(IDS_NO_ANSWER);
  }
}

void CPhonebook::OnWrite() { WriteToMachine(); }

bool CPhonebook::WriteToMachine() {
  ops::PhonebookWrite write;
  if (m_machineKnown) write.lastRead = &m_machine;
  CWaitCursor wait;
  const ops::PhonebookOutcome outcome = ops::WritePhonebook(write);
  wait.Restore();
  switch (outcome.failure) {
    case ops::Failure::None:
      RememberMachine(outcome.machine);
      return true;
    case ops::Failure::ReadBackFailed:
      ShowAppMessage(AppMainWindow(), IDS_READBACK_FAILED, MB_OK | MB_ICONWARNING);
      return false;
    case ops::Failure::ReadBackDiffers:
      break;
    default:
      ReportLinkFailure(IDS_NO_ANSWER);
      return false;
  }
  RememberMachine(outcome.machine);
  char text[512];
  std::snprintf(text, sizeof text, LoadText(IDS_READBACK_DIFFERS), ops::PositionList(outcome.differing).c_str());
  const std::string title = AppTitle();
  MessageBoxA(AppMainWindow(), text, title.c_str(), MB_OK | MB_ICONWARNING);
  FillList();
  return false;
}

void CPhonebook::RememberMachine(const std::vector<PhonebookEntry>& machine) {
  m_machine = machine;
  m_machineKnown = true;
}

bool CPhonebook::HasUnsentChanges() const {
  if (!phonebookTable) return false;
  for (size_t i = 0; i < speedDialCount; ++i) {
    static const PhonebookEntry kEmpty{};
    const PhonebookEntry& machine = m_machineKnown ? m_machine[i] : kEmpty;
    if (!ops::SameEntry(machine, phonebookTable[i])) return true;
  }
  return false;
}

void CPhonebook::OnSpeedDial() { FillList(); }

bool CPhonebook::OnSetActive() {
  CPropertyPage::OnSetActive();
  EnablePhonebookMenu(true);
  return true;
}

bool CPhonebook::OnKillActive() {
  CPropertyPage::OnKillActive();
  EnablePhonebookMenu(false);
  return true;
}

bool CPhonebook::OnCommand(WORD id, WORD code, HWND control) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_PB_EDIT: OnEdit(); return true;
    case IDC_PB_DELETE: OnDelete(); return true;
    case IDC_PB_DELETE_ALL: OnDeleteAll(); return true;
    case IDC_PB_READ: OnRead(); return true;
    case IDC_PB_WRITE: OnWrite(); return true;
    case IDC_PB_SPEED_DIAL: OnSpeedDial(); return true;
    default: return false;
  }
}

bool CPhonebook::OnNotify(NMHDR* header, LRESULT& result) {
  if (header->idFrom != IDC_PB_LIST) return false;
  if (header->code == LVN_DELETEALLITEMS) {
    // The rows carry no data of their own: no notice for each one.
    result = TRUE;
    return true;
  }
  if (header->code != NM_DBLCLK) return false;
  OnEdit();
  result = 0;
  return true;
}
