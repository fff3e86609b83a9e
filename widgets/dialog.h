// CDialog: a dialog on a template of the panel's resources, modal
// (DialogBoxParamA) or modeless (CreateDialogParamA, which the tests use).
//
// The object pointer is stored in the window's GWLP_USERDATA at WM_INITDIALOG
// and every later message goes to the virtual handlers. Messages meant for a
// bound control (CControl) are reflected to it first.
#pragma once

#include "widgets/control.h"

class CDialog : public CWindow {
 public:
  // `instance` nullptr: ResourceInstance().
  explicit CDialog(int templateId, HWND parent = nullptr, HINSTANCE instance = nullptr);
  ~CDialog() override;  // unhooks the window first, then destroys a modeless one

  // Runs the dialog modally; returns the EndDialog result, or -1 when the
  // dialog could not be created or the object already has a window.
  INT_PTR DoModal();
  // Creates the dialog modeless (hidden unless the template says WS_VISIBLE);
  // nullptr when it fails or the object already has a window.
  HWND Create();
  // Ends a modal run, or destroys a modeless dialog.
  void EndDialog(INT_PTR result);

  int GetTemplateId() const { return m_templateId; }
  HWND GetItem(int controlId) const { return ::GetDlgItem(m_hWnd, controlId); }
  bool IsModal() const { return m_modal; }

  // The object that owns dialog window `hwnd`, or nullptr.
  static CDialog* FromHandle(HWND hwnd);

 protected:
  // Return TRUE to let the system give the focus to the first control.
  virtual BOOL OnInitDialog() { return TRUE; }
  // WM_COMMAND. Return true when handled. Unhandled IDOK / IDCANCEL end the
  // dialog with that id (OnOK / OnCancel).
  virtual bool OnCommand(WORD id, WORD code, HWND control) { return false; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // WM_NOTIFY. Return true when handled; `result` goes to DWLP_MSGRESULT.
  virtual bool OnNotify(NMHDR* header, LRESULT& result) { return false; }
  // Every other message. The value is the dialog procedure's return value:
  // FALSE lets the default dialog handling run.
  virtual INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return FALSE; }
  // WM_DESTROY, while the window still exists.
  virtual void OnDestroy() {}
  // Messages of a modal run seen before they are dispatched (thread
  // WH_MSGFILTER hook, MSGF_DIALOGBOX). Return true to swallow the message.
  virtual bool PreTranslateMessage(MSG* msg) { return false; }

  // Dispatch of one message to the handlers above; overridable as a whole.
  virtual INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK MessageFilterProc(int code, WPARAM wParam, LPARAM lParam);

  int m_templateId;
  bool m_modal = false;
};
