// Dialog windows bound to objects: creation, message dispatch and ending.
#include "widgets/dialog.h"

#include "widgets/resource_text.h"

namespace {
// The innermost modal run of this thread and the one message-filter hook
// that serves every nested run: the dialog manager calls the hook for each
// message of a modal loop (MSGF_DIALOGBOX) before it dispatches it.
thread_local CDialog* t_modalTop = nullptr;
thread_local HHOOK t_filterHook = nullptr;
}  // namespace

CDialog::CDialog(int templateId, HWND parent, HINSTANCE instance) : m_templateId(templateId) {
  m_hParent = parent;
  m_hInst = instance ? instance : ResourceInstance();
}

CDialog::~CDialog() {
  if (!m_hWnd) return;
  // No virtual call may reach the half-destroyed object.
  HWND hwnd = m_hWnd;
  ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  m_hWnd = nullptr;
  if (!m_modal && ::IsWindow(hwnd)) ::DestroyWindow(hwnd);
}

INT_PTR CDialog::DoModal() {
  if (m_hWnd) return -1;  // one window per object
  m_modal = true;
  CDialog* outer = t_modalTop;
  t_modalTop = this;
  bool ownsHook = false;
  if (!t_filterHook) {
    t_filterHook = ::SetWindowsHookExA(WH_MSGFILTER, &MessageFilterProc, nullptr, ::GetCurrentThreadId());
    ownsHook = t_filterHook != nullptr;
  }
  INT_PTR result = ::DialogBoxParamA(m_hInst, MAKEINTRESOURCEA(m_templateId), m_hParent, &DialogProc,
                                     reinterpret_cast<LPARAM>(this));
  if (ownsHook) {
    ::UnhookWindowsHookEx(t_filterHook);
    t_filterHook = nullptr;
  }
  t_modalTop = outer;
  m_modal = false;
  return result;
}

HWND CDialog::Create() {
  if (m_hWnd) return nullptr;  // one window per object
  m_modal = false;
  return ::CreateDialogParamA(m_hInst, MAKEINTRESOURCEA(m_templateId), m_hParent, &DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR result) {
  if (!m_hWnd) return;
  if (m_modal)
    ::EndDialog(m_hWnd, result);
  else
    ::DestroyWindow(m_hWnd);
}

CDialog* CDialog::FromHandle(HWND hwnd) {
  return hwnd ? reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA)) : nullptr;
}

INT_PTR CDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  INT_PTR reflected = 0;
  if (CControl::ReflectInDialog(m_hWnd, msg, wParam, lParam, reflected)) return reflected;

  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND: {
      WORD id = LOWORD(wParam), code = HIWORD(wParam);
      auto control = reinterpret_cast<HWND>(lParam);
      if (OnCommand(id, code, control)) return TRUE;
      if (code == BN_CLICKED && id == IDOK) {
        OnOK();
        return TRUE;
      }
      if (code == BN_CLICKED && id == IDCANCEL) {
        OnCancel();
        return TRUE;
      }
      return FALSE;
    }
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (!OnNotify(reinterpret_cast<NMHDR*>(lParam), result)) return FALSE;
      ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    default:
      return OnMessage(msg, wParam, lParam);
  }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CDialog* self;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    self->m_hWnd = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, lParam);
  } else {
    self = FromHandle(hwnd);
  }
  if (!self) return FALSE;  // before WM_INITDIALOG, or after the object let go
  INT_PTR result = self->HandleMessage(msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->m_hWnd = nullptr;
  }
  return result;
}

LRESULT CALLBACK CDialog::MessageFilterProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_DIALOGBOX && t_modalTop) {
    if (t_modalTop->PreTranslateMessage(reinterpret_cast<MSG*>(lParam))) return TRUE;
  }
  return ::CallNextHookEx(t_filterHook, code, wParam, lParam);
}
