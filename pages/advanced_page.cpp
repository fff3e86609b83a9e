// The "Avançado" page: its lists, its filtering edits, the exchange of its
// values with the controls and SystemInfo, and the reads and writes of the
// machine's advanced settings.
#include "pages/advanced_page.h"

#include <initializer_list>
#include <iterator>
#include <string>
#include <type_traits>

#include "app/app_shell.h"
#include "commands/device_data.h"
#include "link/trace.h"
#include "ops/machine_ops.h"
#include "pages/page_set.h"
#include "pages/settings_page.h"
#include "res/resource.h"
#include "widgets/input_class.h"

bool advancedPageOpen = false;
bool advancedFromFile = false;

namespace {

// Each list's control; its entries are kAdvancedLists' (same order).
struct ListEntries {
  int id;
  const ListTexts* entries;
};
const ListEntries kLists[] = {
    {IDC_ADV_RECEIVE_MODE, &kAdvancedLists[0].texts}, {IDC_ADV_SPEAKER, &kAdvancedLists[1].texts},
    {IDC_ADV_RINGER_VOLUME, &kAdvancedLists[2].texts}, {IDC_ADV_USB_MODE, &kAdvancedLists[3].texts},
    {IDC_ADV_FAX_DUPLEX, &kAdvancedLists[4].texts},   {IDC_ADV_LANGUAGE, &kAdvancedLists[5].texts},
    {IDC_ADV_IMAGE_QUALITY, &kAdvancedLists[6].texts},
};
static_assert(std::size(kLists) == std::size(kAdvancedLists));

constexpr int kChecks[] = {IDC_ADV_ALARM_SOUND, IDC_ADV_KEY_SOUND, IDC_ADV_TONER_SAVE, IDC_ADV_TONER_LOW};

// The edits in the order they get their limits and input classes
// (kAdvancedTexts' order); each limit is its field's width.
struct TextEdit {
  int id;
  const AdvancedText& field;
};
const TextEdit kEdits[] = {
    {IDC_ADV_TERMINAL_NAME, kAdvancedTexts[0]}, {IDC_ADV_TERMINAL_NUMBER, kAdvancedTexts[1]},
    {IDC_ADV_CUSTOMER_NAME, kAdvancedTexts[2]}, {IDC_ADV_CUSTOMER_NUMBER, kAdvancedTexts[3]},
    {IDC_ADV_SERVICE_NUMBER, kAdvancedTexts[4]}, {IDC_ADV_SERIAL_NUMBER, kAdvancedTexts[5]},
    {IDC_ADV_PREFIX_DIAL, kAdvancedTexts[6]},
};
static_assert(std::size(kEdits) == std::size(kAdvancedTexts));

const TextEdit* FindEdit(int id) {
  for (const TextEdit& edit : kEdits)
    if (edit.id == id) return &edit;
  return nullptr;
}

bool IsList(int id) {
  for (const ListEntries& list : kLists)
    if (list.id == id) return true;
  return false;
}

bool IsCheck(int id) {
  for (int check : kChecks)
    if (check == id) return true;
  return false;
}

int SelectionStart(HWND edit) {
  DWORD start = 0;
  ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  return static_cast<int>(start);
}

}  // namespace

CAdvanced::CAdvanced() : CSettingsBackupPage(IDD_ADVANCED) {
  static_assert(std::size(kEdits) == std::extent_v<decltype(m_edits)>);
  AdvancedValues& v = m_values;
  BindCheck(IDC_ADV_ALARM_SOUND, v.alarmSound);
  BindCheck(IDC_ADV_KEY_SOUND, v.keySound);
  BindCheck(IDC_ADV_TONER_SAVE, v.tonerSave);
  BindCheck(IDC_ADV_TONER_LOW, v.notifyTonerLow);
  BindComboIndex(IDC_ADV_RECEIVE_MODE, v.receiveMode);
  BindComboIndex(IDC_ADV_SPEAKER, v.speaker);
  BindComboIndex(IDC_ADV_RINGER_VOLUME, v.ringerVolume);
  BindComboIndex(IDC_ADV_USB_MODE, v.usbMode);
  BindComboIndex(IDC_ADV_FAX_DUPLEX, v.faxDuplex);
  BindComboIndex(IDC_ADV_LANGUAGE, v.language);
  BindComboIndex(IDC_ADV_IMAGE_QUALITY, v.imageQuality);
  for (size_t i = 0; i < std::size(kEdits); ++i) {
    BindControl(kEdits[i].id, m_edits[i]);
    BindText(kEdits[i].id, v.*kEdits[i].field.text);
  }
}

void CAdvanced::FillLists() {
  for (const ListEntries& list : kLists) {
    HWND combo = GetItem(list.id);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const char* entry : *list.entries)
      ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }
}

BOOL CAdvanced::InitPage() {
  // The entries first: the base shows the values, list indices included.
  FillLists();
  CPropertyPage::InitPage();
  advancedPageOpen = true;
  for (size_t i = 0; i < std::size(kEdits); ++i) {
    ::SendMessageA(GetItem(kEdits[i].id), EM_LIMITTEXT, kEdits[i].field.limit, 0);
    m_edits[i].m_inputClass = static_cast<InputClass>(kEdits[i].field.inputClass);
  }
  OnRefresh();
  // Without an answer the page's first values are the ones to compare with.
  if (!m_machineKnown && !m_fileShown) m_shown = AsApplied();
  return TRUE;
}

bool CAdvanced::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDC_REFRESH && code == BN_CLICKED) {
    OnRefresh();
  } else if (id == IDC_APPLY && code == BN_CLICKED) {
    OnApply();
  } else if ((IsList(id) && code == CBN_SELCHANGE) || (IsCheck(id) && code == BN_CLICKED) ||
             (FindEdit(id) && code == EN_KILLFOCUS)) {
    StoreToRecord();
  } else if (FindEdit(id) && code == EN_CHANGE) {
    OnEditChange(id);
  } else {
    return false;
  }
  return true;
}

void CAdvanced::OnEditChange(int editId) {
  const TextEdit* edit = FindEdit(editId);
  if (edit == nullptr) return;
  HWND control = GetItem(editId);
  if (NonAsciiTyped) {
    // Acted on once: a later Delete or paste in this edit is the user's own.
    NonAsciiTyped = false;
    int start = SelectionStart(control);
    // The page still holds the text from before the keystroke.
    std::string& text = m_values.*edit->field.text;
    size_t dropped = DropNonAscii(text);
    ShowValues();
    int caret = CaretAfterDrop(start, dropped, text.size());
    ::SendMessageA(control, EM_SETSEL, caret, caret);
    ::MessageBeep(MB_OK);
    return;
  }
  TakeValues();
  int start = SelectionStart(control);
  ShowValues();
  ::SendMessageA(control, EM_SETSEL, start, start);
}

void CAdvanced::StoreToRecord() {
  TakeValues();
  StoreAdvanced(m_values, systemInfo);
}

bool CAdvanced::OnApply() {
  StoreToRecord();
  ops::SettingsApply apply;
  apply.parts = ops::kAdvancedSettings;
  apply.lastSettings = settingsPage ? settingsPage->MachineValues() : nullptr;
  apply.lastInfo = MachineValues();
  CWaitCursor wait;
  const bool ok = ops::ApplySettings(apply).ok();
  wait.Restore();
  if (!ok) {
    ReportLinkFailure(IDS_NO_ANSWER);
    return false;
  }
  m_machine = m_shown = systemInfo;
  m_machineKnown = true;
  m_fileShown = false;
  return true;
}

SystemInfo CAdvanced::AsApplied() {
  TakeValues();
  SystemInfo info = systemInfo;
  StoreAdvanced(m_values, info);
  return info;
}

bool CAdvanced::HasUnappliedChanges() {
  if (GetHwnd() == nullptr) return false;
  return m_fileShown || !SameAdvancedFields(AsApplied(), m_shown);
}

void CAdvanced::OnRefresh() {
  CWaitCursor wait;
  bool ok = true;
  const bool fromFile = advancedFromFile;
  if (advancedFromFile) {
    // A settings file was loaded before the page first opened: show that,
    // after the same pause a read would end with.
    advancedFromFile = false;
    BusyWait(ops::kPauseAfterExchangeMs);
  } else {
    ok = ops::ReadAdvanced().ok();
  }
  wait.Restore();
  if (!ok) {
    ReportLinkFailure(IDS_NO_ANSWER);
    return;
  }
  if (!fromFile) {
    m_machine = systemInfo;
    m_machineKnown = true;
  }
  FillFromRecord();
  m_shown = AsApplied();
  m_fileShown = fromFile;
}

void CAdvanced::FillFromRecord() {
  FillAdvanced(systemInfo, m_values);
  ShowValues();
}
