// Binding of dialog and page objects to their windows, and the message
// dispatch they share.
#include "widgets/dialog_window.h"

#include "widgets/resource_text.h"

CDialogWindow::CDialogWindow(int templateId, HINSTANCE instance) : m_templateId(templateId) {
  m_hInst = instance ? instance : ResourceInstance();
}

CDialogWindow::~CDialogWindow() { Unbind(); }

void CDialogWindow::Unbind() {
  if (m_hWnd) ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
  m_hWnd = nullptr;
}

CDialogWindow* CDialogWindow::FromHandle(HWND hwnd) {
  return hwnd ? reinterpret_cast<CDialogWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA)) : nullptr;
}

INT_PTR CDialogWindow::ReturnResult(LRESULT result) {
  ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
  return TRUE;
}

INT_PTR CDialogWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (!OnNotify(reinterpret_cast<NMHDR*>(lParam), result)) return FALSE;
      return ReturnResult(result);
    }
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    default:
      return OnMessage(msg, wParam, lParam);
  }
}

INT_PTR CDialogWindow::Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, CDialogWindow* created) {
  CDialogWindow* self = created;
  if (self) {
    self->m_hWnd = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = FromHandle(hwnd);
  }
  if (!self) return FALSE;  // before WM_INITDIALOG, or after the object let go

  INT_PTR result = 0;
  if (!CControl::ReflectInDialog(hwnd, msg, wParam, lParam, result))
    result = self->HandleMessage(msg, wParam, lParam);
  if (msg == WM_NCDESTROY) self->Unbind();
  return result;
}
