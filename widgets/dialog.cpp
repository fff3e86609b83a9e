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

// One modal run of `dialog`: it is the innermost, and the message-filter hook
// is in place while any run lasts.
class CDialog::ModalScope {
 public:
  explicit ModalScope(CDialog* dialog) : m_dialog(dialog), m_outer(t_modalTop) {
    t_modalTop = dialog;
    if (!t_filterHook) {
      t_filterHook = ::SetWindowsHookExA(WH_MSGFILTER, &MessageFilterProc, nullptr, ::GetCurrentThreadId());
      m_ownsHook = t_filterHook != nullptr;
    }
    dialog->m_modal = true;
    dialog->m_ended = false;
  }
  ~ModalScope() {
    if (m_ownsHook) {
      ::UnhookWindowsHookEx(t_filterHook);
      t_filterHook = nullptr;
    }
    t_modalTop = m_outer;
    m_dialog->m_modal = false;
  }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  CDialog* m_dialog;
  CDialog* m_outer;
  bool m_ownsHook = false;
};

INT_PTR CDialog::DoModal() {
  if (m_hWnd) return -1;  // one window per object
  ModalScope run(this);
  return ::DialogBoxParamA(m_hInst, MAKEINTRESOURCEA(GetTemplateId()), m_hParent, &DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CDialog::RunModal() {
  if (!m_hWnd || m_modal) return -1;
  ModalScope run(this);
  HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
  const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
  if (disableOwner) ::EnableWindow(owner, FALSE);
  ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
  MSG msg;
  while (!m_ended && m_hWnd) {
    const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // WM_QUIT belongs to the loop outside this one.
      if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    // IsDialogMessage passes the message to the filter hook first, as the
    // dialog manager's loop does.
    if (!::IsDialogMessageA(m_hWnd, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
  // The owner back before the window goes, so that it is the one activated.
  if (disableOwner) ::EnableWindow(owner, TRUE);
  const INT_PTR result = m_ended ? m_result : -1;
  if (m_hWnd) ::DestroyWindow(m_hWnd);
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
  if (m_modal) {
    m_ended = true;
    m_result = result;
    ::EndDialog(m_hWnd, result);
  } else
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
