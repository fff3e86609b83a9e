// CDialogWindow: what a dialog (CDialog) and a property page (CPropertyPage)
// share. Both are windows the dialog manager builds from a template of the
// panel's resources; the object is bound to its window at WM_INITDIALOG
// (pointer in GWLP_USERDATA) and let go at WM_NCDESTROY, notifications meant
// for a bound control (CControl) are reflected to it first, and every other
// message goes to the virtual handlers below.
#pragma once

#include "widgets/control.h"

class CDialogWindow : public CWindow {
 public:
  ~CDialogWindow() override;  // unhooks the window: no message reaches a half-destroyed object

  int GetTemplateId() const { return m_templateId; }
  HWND GetItem(int controlId) const { return ::GetDlgItem(m_hWnd, controlId); }

  // The object bound to dialog window `hwnd`, or nullptr.
  static CDialogWindow* FromHandle(HWND hwnd);

 protected:
  // `instance` nullptr: ResourceInstance().
  CDialogWindow(int templateId, HINSTANCE instance);

  // WM_COMMAND. Return true when handled.
  virtual bool OnCommand(WORD id, WORD code, HWND control) { return false; }
  // WM_NOTIFY. Return true when handled; `result` goes to DWLP_MSGRESULT.
  virtual bool OnNotify(NMHDR* header, LRESULT& result) { return false; }
  // Every other message. The value is the dialog procedure's return value:
  // FALSE lets the default dialog handling run.
  virtual INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return FALSE; }
  // WM_DESTROY, while the window still exists.
  virtual void OnDestroy() {}

  // One message, after reflection: WM_COMMAND, WM_NOTIFY and WM_DESTROY to
  // their handlers, the rest to OnMessage. Derived classes take the messages
  // they treat differently (WM_INITDIALOG at least) and pass on the others.
  virtual INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  // A dialog procedure's way of returning `result` for a notification.
  INT_PTR ReturnResult(LRESULT result);

  // The body of a dialog procedure. `created` is the object being bound, at
  // WM_INITDIALOG only; nullptr for every other message.
  static INT_PTR Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, CDialogWindow* created);

  // Lets go of the window (GWLP_USERDATA and m_hWnd cleared).
  void Unbind();

 private:
  int m_templateId;
};
