// CDialog: a dialog on a template of the panel's resources, modal
// (DialogBoxParamA) or modeless (CreateDialogParamA, which the tests use); a
// modeless one made hidden ahead of time can later be run modally.
// Binding and message dispatch are CDialogWindow's; this class adds the
// modal run, ending, OK / Cancel and the look at messages before dispatch.
#pragma once

#include "widgets/dialog_window.h"

class CDialog : public CDialogWindow {
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
  // Runs a dialog made by Create (hidden, say, until it is ready) modally:
  // shows it and
  // takes its messages as the dialog manager's own modal loop would (the
  // owner disabled, PreTranslateMessage, the dialog keys) until it ends.
  // Returns the EndDialog result, or -1 without such a window; the window is
  // destroyed either way.
  INT_PTR RunModal();
  // Ends a modal run, or destroys a modeless dialog.
  void EndDialog(INT_PTR result);

  bool IsModal() const { return m_modal; }

 protected:
  // Return TRUE to let the system give the focus to the first control.
  virtual BOOL OnInitDialog() { return TRUE; }
  // IDOK / IDCANCEL clicks that OnCommand left alone end the dialog with that id.
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Messages of a modal run seen before they are dispatched (thread
  // WH_MSGFILTER hook, MSGF_DIALOGBOX). Return true to swallow the message.
  virtual bool PreTranslateMessage(MSG* msg) { return false; }

  INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  class ModalScope;
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK MessageFilterProc(int code, WPARAM wParam, LPARAM lParam);

  bool m_modal = false;
  // Set by EndDialog: RunModal's loop ends on it.
  bool m_ended = false;
  INT_PTR m_result = 0;
};
