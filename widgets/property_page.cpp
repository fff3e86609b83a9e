// Property pages: the page procedure, the activation notifications and the
// take/show exchange of page values with the page's controls.
#include "widgets/property_page.h"

namespace {

int Checked(HWND page, int id) { return static_cast<int>(::IsDlgButtonChecked(page, id)); }

// The text is set only when it differs: setting it again would move the
// caret to the start while the user is typing, and pages show their values
// after each change.
void ShowText(HWND control, const std::string& text) {
  int length = ::GetWindowTextLengthA(control);
  if (length == static_cast<int>(text.size())) {
    std::string current(length + 1, '\0');
    current.resize(::GetWindowTextA(control, current.data(), length + 1));
    if (current == text) return;
  }
  ::SetWindowTextA(control, text.c_str());
}

// Checking an automatic radio button makes it walk every control of its
// dialog to clear the rest of its group, a window-server round trip per
// control under Wine (5 ms on the settings page). The exchange sets every
// button of the group itself: a button already right is left alone, and
// one to check is checked as a plain radio button.
void ShowRadio(HWND button, UINT state) {
  if (!button || static_cast<UINT>(::SendMessageA(button, BM_GETCHECK, 0, 0)) == state) return;
  const LONG_PTR style = ::GetWindowLongPtrA(button, GWL_STYLE);
  const bool walks = state == BST_CHECKED && (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
  const WPARAM others = static_cast<WPARAM>(style & 0xFFFF & ~BS_TYPEMASK);
  if (walks) ::SendMessageA(button, BM_SETSTYLE, others | BS_RADIOBUTTON, FALSE);
  ::SendMessageA(button, BM_SETCHECK, state, 0);
  if (walks) ::SendMessageA(button, BM_SETSTYLE, others | BS_AUTORADIOBUTTON, FALSE);
}

// An index past the last entry shows no selection. Windows clears the
// selection for it by itself; Wine would keep the previous one.
int ShownIndex(HWND combo, int index) {
  int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
  return index >= 0 && index < count ? index : -1;
}

std::string TakeText(HWND control) {
  int length = ::GetWindowTextLengthA(control);
  std::string text(length + 1, '\0');
  text.resize(::GetWindowTextA(control, text.data(), length + 1));
  return text;
}

}  // namespace

CPropertyPage::CPropertyPage(int templateId, HINSTANCE instance) : CDialogWindow(templateId, instance) {}

const PROPSHEETPAGEA& CPropertyPage::GetPageDesc() {
  m_desc = {};
  m_desc.dwSize = sizeof m_desc;
  m_desc.dwFlags = PSP_DEFAULT;
  m_desc.hInstance = m_hInst;
  m_desc.pszTemplate = MAKEINTRESOURCEA(GetTemplateId());
  m_desc.pfnDlgProc = &PageProc;
  m_desc.lParam = reinterpret_cast<LPARAM>(this);
  return m_desc;
}

HWND CPropertyPage::GetMainWindow() const {
  HWND sheet = GetSheet();
  if (!sheet) return nullptr;
  // During the first PSN_SETACTIVE the sheet is still a popup owned by the
  // main window; GetAncestor would stop at the sheet itself.
  if (!(::GetWindowLongPtrA(sheet, GWL_STYLE) & WS_CHILD)) {
    HWND owner = ::GetWindow(sheet, GW_OWNER);
    return owner ? owner : sheet;
  }
  return ::GetAncestor(sheet, GA_ROOT);
}

void CPropertyPage::BindText(int controlId, std::string& value) {
  m_bindings.push_back({BindKind::Text, controlId, controlId, &value, nullptr, nullptr});
}
void CPropertyPage::BindComboIndex(int controlId, int& value) {
  m_bindings.push_back({BindKind::ComboIndex, controlId, controlId, nullptr, &value, nullptr});
}
void CPropertyPage::BindCheck(int controlId, int& value) {
  m_bindings.push_back({BindKind::Check, controlId, controlId, nullptr, &value, nullptr});
}
void CPropertyPage::BindRadio(int firstId, int lastId, int& value) {
  m_bindings.push_back({BindKind::Radio, firstId, lastId, nullptr, &value, nullptr});
}
void CPropertyPage::BindControl(int controlId, CControl& control) {
  m_bindings.push_back({BindKind::Control, controlId, controlId, nullptr, nullptr, &control});
}

void CPropertyPage::TakeValues() { Exchange(true); }
void CPropertyPage::ShowValues() { Exchange(false); }

void CPropertyPage::Exchange(bool take) {
  if (!m_hWnd) return;
  bool outer = m_exchanging;
  m_exchanging = true;
  for (const Binding& b : m_bindings) {
    HWND control = GetItem(b.firstId);
    if (!control) continue;
    switch (b.kind) {
      case BindKind::Text:
        if (take)
          *b.text = TakeText(control);
        else
          ShowText(control, *b.text);
        break;
      case BindKind::ComboIndex:
        if (take)
          *b.number = static_cast<int>(::SendMessageA(control, CB_GETCURSEL, 0, 0));
        else
          ::SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(ShownIndex(control, *b.number)), 0);
        break;
      case BindKind::Check:
        if (take)
          *b.number = Checked(m_hWnd, b.firstId);
        else
          ::CheckDlgButton(m_hWnd, b.firstId, static_cast<UINT>(*b.number));
        break;
      case BindKind::Radio:
        if (take) {
          *b.number = -1;
          for (int id = b.firstId; id <= b.lastId; ++id) {
            if (Checked(m_hWnd, id) == BST_CHECKED) {
              *b.number = id - b.firstId;
              break;
            }
          }
        } else {
          for (int id = b.firstId; id <= b.lastId; ++id)
            ShowRadio(GetItem(id), id - b.firstId == *b.number ? BST_CHECKED : BST_UNCHECKED);
        }
        break;
      case BindKind::Control:
        break;  // bound once, at page creation
    }
  }
  m_exchanging = outer;
}

BOOL CPropertyPage::InitPage() {
  for (const Binding& b : m_bindings) {
    if (b.kind == BindKind::Control && !b.control->GetHwnd()) b.control->Attach(m_hWnd, b.firstId);
  }
  ShowValues();
  return TRUE;
}

bool CPropertyPage::OnSetActive() {
  if (m_firstSetActive)
    m_firstSetActive = false;
  else
    ShowValues();
  return true;
}

bool CPropertyPage::OnKillActive() {
  TakeValues();
  return true;
}

INT_PTR CPropertyPage::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return InitPage();
    case WM_COMMAND:
      // Filling the controls makes them notify; those notifications are not
      // the user's doing.
      if (m_exchanging && lParam != 0) return TRUE;
      break;
    case WM_NOTIFY:
      switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
          return ReturnResult(OnSetActive() ? 0 : -1);
        case PSN_KILLACTIVE:
          return ReturnResult(OnKillActive() ? FALSE : TRUE);
      }
      break;
  }
  return CDialogWindow::HandleMessage(msg, wParam, lParam);
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CPropertyPage* created = nullptr;
  if (msg == WM_INITDIALOG) {
    // lParam is the sheet's copy of the page description.
    created = reinterpret_cast<CPropertyPage*>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
    created->m_firstSetActive = true;
  }
  return Dispatch(hwnd, msg, wParam, lParam, created);
}
