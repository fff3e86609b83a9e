// Binding of an object to a control of a dialog by subclassing its window.
//
// Without a framework there is no message reflection: the owning dialog hands
// the notifications a control sends to its parent (WM_DRAWITEM, WM_CTLCOLOR...,
// WM_COMMAND, WM_NOTIFY) back to the control object with ReflectToControl.
// CDialogWindow, the base of CDialog and CPropertyPage, does it for every
// message before the object's own handlers, so a dialog on those bases has
// nothing to route by hand.
#pragma once

#include "widgets/window.h"

class CControl : public CWindow {
 public:
  CControl() = default;
  ~CControl() override;  // gives the control its own window procedure back

  // Subclasses control `controlId` of `dialog`; false when there is no such
  // control or this object is already bound.
  bool Attach(HWND dialog, int controlId);
  bool Attach(const CWindow& dialog, int controlId) { return Attach(dialog.GetHwnd(), controlId); }
  void Detach();
  int GetId() const;

  // The object bound to window `control`, or nullptr.
  static CControl* FromHandle(HWND control);

  // Offers a message the parent received to the control it concerns. Returns
  // true when the control consumed it; `result` is then what the parent
  // should return (for a dialog procedure: the brush, TRUE, ...).
  static bool ReflectToControl(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The same for a dialog procedure, in one line:
  //   if (CControl::ReflectInDialog(hwnd, msg, wParam, lParam, ret)) return ret;
  // `dialogResult` is what the dialog procedure returns (the brush for
  // WM_CTLCOLORxxx, else TRUE with the result in DWLP_MSGRESULT).
  static bool ReflectInDialog(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam,
                              INT_PTR& dialogResult);

 protected:
  // Called with the control's window before it is subclassed.
  virtual void PreSubclass(HWND control) {}
  // Every message of the bound window; the default passes it on.
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // Messages reflected by the parent: WM_DRAWITEM, WM_CTLCOLORxxx, WM_COMMAND,
  // WM_NOTIFY. Return true to keep the message from the parent's handlers.
  virtual bool OnReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) { return false; }
  // The control's own window procedure.
  LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  WNDPROC m_oldProc = nullptr;
};
