// The "Configurações" page: its lists, the exchange of its values with the
// controls and SettingsBlock, the arrows beside its numbers, and the reads
// and writes of the machine's settings.
#include "pages/settings_page.h"

#include <cstring>
#include <initializer_list>
#include <iterator>
#include <string>

#include "app/app_shell.h"
#include "commands/device_data.h"
#include "ops/machine_ops.h"
#include "pages/advanced_page.h"
#include "pages/page_set.h"
#include "res/resource.h"

namespace {

constexpr int kNumberEditLimit = 2;

// Each list's control; its entries are kSettingsLists' (same order).
struct ListEntries {
  int id;
  const ListTexts* entries;
};
const ListEntries kLists[] = {
    {IDC_SET_TRAY1_SIZE, &kSettingsLists[0].texts},      {IDC_SET_BYPASS_SIZE, &kSettingsLists[1].texts},
    {IDC_SET_PAPER_TYPE, &kSettingsLists[2].texts},      {IDC_SET_SEND_CONFIRM, &kSettingsLists[3].texts},
    {IDC_SET_REMOTE_CODE, &kSettingsLists[4].texts},     {IDC_SET_CLOCK_MODE, &kSettingsLists[5].texts},
    {IDC_SET_POWERSAVE_MINUTES, &kSettingsLists[6].texts}, {IDC_SET_TRAY2_SIZE, &kSettingsLists[7].texts},
    {IDC_SET_AUTO_CLEAR, &kSettingsLists[8].texts},
};
static_assert(std::size(kLists) == std::size(kSettingsLists));

// Each number's edit and the scroll bar beside it; kNumberFields (same
// order) holds its range and field.
struct NumberControls {
  int editId;
  int scrollBarId;
};
constexpr NumberControls kNumberControls[] = {
    {IDC_SET_DISCARD, IDC_SET_SPIN_DISCARD},
    {IDC_SET_REDIAL_INTERVAL, IDC_SET_SPIN_REDIAL_INTERVAL},
    {IDC_SET_RINGS, IDC_SET_SPIN_RINGS},
    {IDC_SET_REDIAL_COUNT, IDC_SET_SPIN_REDIAL_COUNT},
};
static_assert(std::size(kNumberControls) == std::size(kNumberFields));

// The edits get their limit in this order.
constexpr int kLimitOrder[] = {IDC_SET_RINGS, IDC_SET_DISCARD, IDC_SET_REDIAL_INTERVAL, IDC_SET_REDIAL_COUNT};

bool IsList(int id) {
  for (const ListEntries& list : kLists)
    if (list.id == id) return true;
  return false;
}

bool IsButtonValue(int id) {
  switch (id) {
    case IDC_SET_POWERSAVE_OFF:
    case IDC_SET_POWERSAVE_ON:
    case IDC_SET_ECM:
    case IDC_SET_MEMORY_TX:
    case IDC_SET_AUTO_JOURNAL:
    case IDC_SET_LOCAL_ID:
    case IDC_SET_RX_REDUCTION:
    case IDC_SET_HORZ_REDUCTION:
      return true;
    default:
      return false;
  }
}

bool IsNumberEdit(int id) {
  for (const NumberControls& n : kNumberControls)
    if (n.editId == id) return true;
  return false;
}

SpinStep StepOf(int scrollCode) {
  if (scrollCode == SB_LINEUP) return SpinStep::Up;
  if (scrollCode == SB_LINEDOWN) return SpinStep::Down;
  return SpinStep::Other;
}

}  // namespace

CSettings::CSettings() : CSettingsBackupPage(IDD_SETTINGS) {
  SettingsValues& v = m_values;
  BindComboIndex(IDC_SET_TRAY1_SIZE, v.tray1Size);
  BindComboIndex(IDC_SET_BYPASS_SIZE, v.bypassSize);
  BindComboIndex(IDC_SET_PAPER_TYPE, v.paperType);
  BindComboIndex(IDC_SET_SEND_CONFIRM, v.sendConfirmation);
  BindComboIndex(IDC_SET_REMOTE_CODE, v.remoteCode);
  BindComboIndex(IDC_SET_CLOCK_MODE, v.clockMode);
  BindComboIndex(IDC_SET_POWERSAVE_MINUTES, v.powerSaveMinutes);
  BindComboIndex(IDC_SET_TRAY2_SIZE, v.tray2Size);
  BindComboIndex(IDC_SET_AUTO_CLEAR, v.autoClear);
  BindCheck(IDC_SET_AUTO_JOURNAL, v.autoJournal);
  BindCheck(IDC_SET_LOCAL_ID, v.localId);
  BindCheck(IDC_SET_RX_REDUCTION, v.rxReduction);
  BindCheck(IDC_SET_HORZ_REDUCTION, v.horizontalReduction);
  BindCheck(IDC_SET_ECM, v.ecmMode);
  BindCheck(IDC_SET_MEMORY_TX, v.memoryTransmission);
  BindRadio(IDC_SET_POWERSAVE_OFF, IDC_SET_POWERSAVE_ON, v.powerSaveOn);
  BindText(IDC_SET_DISCARD, v.discard);
  BindText(IDC_SET_RINGS, v.rings);
  BindText(IDC_SET_REDIAL_INTERVAL, v.redialInterval);
  BindText(IDC_SET_REDIAL_COUNT, v.redialCount);
}

void CSettings::FillLists() {
  for (const ListEntries& list : kLists) {
    HWND combo = GetItem(list.id);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const char* entry : *list.entries)
      ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }
}

BOOL CSettings::InitPage() {
  // The entries first: the base shows the values, list indices included.
  FillLists();
  CPropertyPage::InitPage();
  for (int id : kLimitOrder) ::SendMessageA(GetItem(id), EM_LIMITTEXT, kNumberEditLimit, 0);
  EnableMinutes();
  if (!m_readLater) FirstRead();
  return TRUE;
}

void CSettings::FirstRead() {
  OnRefresh();
  // Without an answer the page's first values are the ones to compare with.
  if (!m_machineKnown) m_shown = settingsBlock;
}

bool CSettings::HasUnappliedChanges() const {
  // Only the bytes "Aplicar" sends: the last two never leave the program.
  return GetHwnd() != nullptr && std::memcmp(&settingsBlock, &m_shown, kCarriedSettings) != 0;
}

bool CSettings::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDC_REFRESH && code == BN_CLICKED) {
    OnRefresh();
  } else if (id == IDC_APPLY && code == BN_CLICKED) {
    OnApply();
  } else if ((IsList(id) && code == CBN_SELCHANGE) || (IsButtonValue(id) && code == BN_CLICKED) ||
             (IsNumberEdit(id) && code == EN_CHANGE)) {
    StoreToRecord();
  } else if (IsNumberEdit(id) && code == EN_KILLFOCUS) {
    ClampNumbers();
  } else {
    return false;
  }
  return true;
}

INT_PTR CSettings::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_VSCROLL || lParam == 0) return FALSE;
  OnSpin(LOWORD(wParam), ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
  return TRUE;
}

void CSettings::EnableMinutes() { ::EnableWindow(GetItem(IDC_SET_POWERSAVE_MINUTES), MinutesEnabled(m_values)); }

void CSettings::StoreToRecord() {
  TakeValues();
  StoreSettings(m_values, settingsBlock);
  EnableMinutes();
}

void CSettings::ClampNumbers() {
  TakeValues();
  if (::ClampNumbers(m_values, settingsBlock)) ShowValues();
}

void CSettings::OnSpin(int scrollCode, int scrollBarId) {
  size_t index = 0;
  while (index < std::size(kNumberControls) && kNumberControls[index].scrollBarId != scrollBarId) ++index;
  if (index == std::size(kNumberControls)) return;
  const NumberField& number = kNumberFields[index];

  TakeValues();
  std::string& text = m_values.*number.text;
  text = std::to_string(SpinNumber(text, StepOf(scrollCode), number.minimum, number.maximum));
  ShowValues();

  HWND edit = GetItem(kNumberControls[index].editId);
  ::SendMessageA(edit, EM_SETSEL, 0, -1);
  ::SendMessageA(edit, EM_SCROLLCARET, 0, 0);
  ::SetFocus(edit);
  StoreToRecord();
}

void CSettings::ShowRecord(bool offShowsFifteen) {
  FillSettings(settingsBlock, m_values, offShowsFifteen);
  EnableMinutes();
  ShowValues();
}

void CSettings::OnRefresh() {
  CWaitCursor wait;
  const bool ok = ops::ReadSettings().ok();
  wait.Restore();
  if (!ok) {
    ReportLinkFailure(IDS_NO_ANSWER);
    return;
  }
  m_machine = settingsBlock;
  m_machineKnown = true;
  ShowRecord(true);
  m_shown = settingsBlock;
}

bool CSettings::OnApply() {
  // Every change is in the record already: nothing to take from the controls.
  ops::SettingsApply apply;
  apply.parts = ops::kFaxSettings;
  apply.lastSettings = MachineValues();
  apply.lastInfo = advancedPage ? advancedPage->MachineValues() : nullptr;
  CWaitCursor wait;
  const bool ok = ops::ApplySettings(apply).ok();
  wait.Restore();
  if (!ok) {
    ReportLinkFailure(IDS_NO_ANSWER);
    return false;
  }
  m_machine = m_shown = settingsBlock;
  m_machineKnown = true;
  return true;
}

void CSettings::FillFromRecord() { ShowRecord(false); }
