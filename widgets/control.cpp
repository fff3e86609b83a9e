// Subclassing of dialog controls and the reflection of parent notifications.
#include "widgets/control.h"

namespace {
// The object is found through a window property: GWLP_USERDATA of a control
// belongs to whoever created it.
constexpr char kObjectProp[] = "RcpControlObject";
// The control's own procedure, kept beside the object: when someone else
// subclassed the control after us, Detach cannot unhook, and the messages
// still reaching SubclassProc must go on to the original procedure.
constexpr char kProcProp[] = "RcpControlProc";

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
  ::SetPropA(control, kObjectProp, this);
  m_oldProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
  ::SetPropA(control, kProcProp, reinterpret_cast<HANDLE>(m_oldProc));
  return true;
}

void CControl::Detach() {
  if (!m_hWnd) return;
  if (::IsWindow(m_hWnd) && FromHandle(m_hWnd) == this) {
    ::RemovePropA(m_hWnd, kObjectProp);
    auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC));
    if (current == &SubclassProc) {
      ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
      ::RemovePropA(m_hWnd, kProcProp);
    }
  }
  m_hWnd = nullptr;
  m_oldProc = nullptr;
}

int CControl::GetId() const { return m_hWnd ? ::GetDlgCtrlID(m_hWnd) : 0; }

CControl* CControl::FromHandle(HWND control) {
  return control ? static_cast<CControl*>(::GetPropA(control, kObjectProp)) : nullptr;
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
  CControl* self = FromHandle(hwnd);
  auto old = reinterpret_cast<WNDPROC>(::GetPropA(hwnd, kProcProp));
  if (msg == WM_NCDESTROY) {
    // Last message of the window: unhook so the object can outlive it.
    if (self) self->Detach();
    ::RemovePropA(hwnd, kProcProp);
  } else if (self) {
    return self->WindowProc(msg, wParam, lParam);
  }
  return old ? ::CallWindowProcA(old, hwnd, msg, wParam, lParam)
             : ::DefWindowProcA(hwnd, msg, wParam, lParam);
}
