// Dialog windows bound to objects: modal and modeless creation, ending, and
// the messages of a modal run before dispatch.
#include "widgets/dialog.h"

namespace {
// The innermost modal run of this thread and the one message-filter hook
// that serves every nested run: the dialog manager calls the hook for each
// message of a modal loop (MSGF_DIALOGBOX) before it dispatches it.
thread_local CDialog* t_modalTop = nullptr;
thread_local HHOOK t_filterHook = nullptr;

BOOL CALLBACK PassColourChange(HWND child, LPARAM) {
  ::SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
  return TRUE;
}
}  // namespace

CDialog::CDialog(int templateId, HWND parent, HINSTANCE instance) : CDialogWindow(templateId, instance) {
  m_hParent = parent;
}

CDialog::~CDialog() {
  HWND hwnd = m_hWnd;
  Unbind();
  if (hwnd && !m_modal && ::IsWindow(hwnd)) ::DestroyWindow(hwnd);
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
  INT_PTR result = ::DialogBoxParamA(m_hInst, MAKEINTRESOURCEA(GetTemplateId()), m_hParent, &DialogProc,
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
  return ::CreateDialogParamA(m_hInst, MAKEINTRESOURCEA(GetTemplateId()), m_hParent, &DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR result) {
  if (!m_hWnd) return;
  if (m_modal)
    ::EndDialog(m_hWnd, result);
  else
    ::DestroyWindow(m_hWnd);
}

INT_PTR CDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) return OnInitDialog();
  if (msg == WM_COMMAND) {
    WORD id = LOWORD(wParam), code = HIWORD(wParam);
    if (OnCommand(id, code, reinterpret_cast<HWND>(lParam))) return TRUE;
    if (code != BN_CLICKED) return FALSE;
    if (id == IDOK) {
      OnOK();
      return TRUE;
    }
    if (id == IDCANCEL) {
      OnCancel();
      return TRUE;
    }
    return FALSE;
  }
  // The system tells only top-level windows; controls that paint with the
  // system colours (hover buttons) must hear it too. Every descendant, pages
  // included, gets it once from here.
  if (msg == WM_SYSCOLORCHANGE && !(::GetWindowLongPtrA(m_hWnd, GWL_STYLE) & WS_CHILD)) {
    ::EnumChildWindows(m_hWnd, &PassColourChange, 0);
    return FALSE;
  }
  return CDialogWindow::HandleMessage(msg, wParam, lParam);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CDialog* created = msg == WM_INITDIALOG ? reinterpret_cast<CDialog*>(lParam) : nullptr;
  return Dispatch(hwnd, msg, wParam, lParam, created);
}

LRESULT CALLBACK CDialog::MessageFilterProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_DIALOGBOX && t_modalTop) {
    if (t_modalTop->PreTranslateMessage(reinterpret_cast<MSG*>(lParam))) return TRUE;
  }
  return ::CallNextHookEx(t_filterHook, code, wParam, lParam);
}
