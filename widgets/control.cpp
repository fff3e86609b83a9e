// Subclassing of dialog controls and the reflection of parent notifications.
#include "widgets/control.h"

#include <unordered_map>

namespace {
// Each subclassed control's object and its own procedure. GWLP_USERDATA of a
// control belongs to whoever created it, and a window property costs a round
// trip to the window server under Wine, for every message; controls get
// their messages on the thread that made them. The procedure stays after the
// object lets go when someone else subclassed the control after us: Detach
// cannot unhook then, and the messages still reaching SubclassProc must go on
// to the original procedure.
struct Subclassed {
  CControl* object;
  WNDPROC oldProc;
};
thread_local std::unordered_map<HWND, Subclassed> t_subclassed;

HWND ControlOfMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      return item && item->CtlType != ODT_MENU ? item->hwndItem : nullptr;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
      return reinterpret_cast<HWND>(lParam);
    case WM_COMMAND:
      return reinterpret_cast<HWND>(lParam);  // nullptr for menus and accelerators
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<const NMHDR*>(lParam);
      return header ? header->hwndFrom : nullptr;
    }
    default:
      return nullptr;
  }
}
}  // namespace

CControl::~CControl() { Detach(); }

bool CControl::Attach(HWND dialog, int controlId) {
  if (m_hWnd) return false;
  HWND control = ::GetDlgItem(dialog, controlId);
  if (!control || FromHandle(control)) return false;
  PreSubclass(control);
  m_hParent = dialog;
  m_hInst = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(control, GWLP_HINSTANCE));
  m_hWnd = control;
  // Changing the procedure sends the control nothing: the entry is in place
  // before its first message.
  m_oldProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
  t_subclassed[control] = {this, m_oldProc};
  return true;
}

void CControl::Detach() {
  if (!m_hWnd) return;
  auto found = t_subclassed.find(m_hWnd);
  if (found != t_subclassed.end() && found->second.object == this) {
    found->second.object = nullptr;
    auto current = ::IsWindow(m_hWnd) ? reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC))
                                      : nullptr;
    if (current == &SubclassProc) {
      ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
      t_subclassed.erase(found);
    } else if (!current) {
      t_subclassed.erase(found);
    }
  }
  m_hWnd = nullptr;
  m_oldProc = nullptr;
}

int CControl::GetId() const { return m_hWnd ? ::GetDlgCtrlID(m_hWnd) : 0; }

CControl* CControl::FromHandle(HWND control) {
  if (!control) return nullptr;
  auto found = t_subclassed.find(control);
  return found == t_subclassed.end() ? nullptr : found->second.object;
}

bool CControl::ReflectToControl(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  CControl* control = FromHandle(ControlOfMessage(msg, wParam, lParam));
  if (!control) return false;
  result = 0;
  return control->OnReflected(msg, wParam, lParam, result);
}

bool CControl::ReflectInDialog(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam,
                               INT_PTR& dialogResult) {
  LRESULT result = 0;
  if (!ReflectToControl(msg, wParam, lParam, result)) return false;
  switch (msg) {
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
      // A dialog procedure returns these brushes directly.
      dialogResult = static_cast<INT_PTR>(result);
      break;
    default:
      ::SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
      dialogResult = TRUE;
      break;
  }
  return true;
}

LRESULT CControl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefaultProc(msg, wParam, lParam);
}

LRESULT CControl::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::CallWindowProcA(m_oldProc, m_hWnd, msg, wParam, lParam);
}

LRESULT CALLBACK CControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto found = t_subclassed.find(hwnd);
  CControl* self = found == t_subclassed.end() ? nullptr : found->second.object;
  WNDPROC old = found == t_subclassed.end() ? nullptr : found->second.oldProc;
  if (msg == WM_NCDESTROY) {
    // Last message of the window: unhook so the object can outlive it.
    if (self) self->Detach();
    t_subclassed.erase(hwnd);
  } else if (self) {
    return self->WindowProc(msg, wParam, lParam);
  }
  return old ? ::CallWindowProcA(old, hwnd, msg, wParam, lParam)
             : ::DefWindowProcA(hwnd, msg, wParam, lParam);
}
