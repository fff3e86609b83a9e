// CPropertyPage: a page of a property sheet on a template of the panel's
// resources, with a take/show value exchange.
//
// A page keeps one value per control and binds them with BindText,
// BindComboIndex, BindCheck and BindRadio, and binds control objects
// (CFilterEdit...) with BindControl, usually in its constructor. The base
// InitPage subclasses the bound controls and shows the values.
// TakeValues moves controls to values, ShowValues values to controls. Filling
// a control makes it notify (EN_CHANGE from SetWindowText, for one), so while
// the page takes or shows, command notifications from its controls are not
// dispatched: handlers see only what the user did.
#pragma once

#include <string>
#include <vector>

#include <windows.h>
#include <prsht.h>

#include "widgets/dialog_window.h"

class CPropertyPage : public CDialogWindow {
 public:
  // `instance` nullptr: ResourceInstance().
  explicit CPropertyPage(int templateId, HINSTANCE instance = nullptr);

  // The page description for PropertySheetA / PSM_ADDPAGE (object in lParam).
  const PROPSHEETPAGEA& GetPageDesc();
  // The sheet window (the page's parent); nullptr before the page is created.
  HWND GetSheet() const { return m_hWnd ? ::GetParent(m_hWnd) : nullptr; }
  // The top-level window that holds the sheet. Works also during the first
  // PSN_SETACTIVE, which arrives while the sheet is still a popup owned by it.
  HWND GetMainWindow() const;

  // Controls -> values. Values -> controls. No-ops before the page exists.
  void TakeValues();
  void ShowValues();
  bool IsExchanging() const { return m_exchanging; }

 protected:
  // Bindings; the referenced values must outlive the page object.
  void BindText(int controlId, std::string& value);            // window text
  void BindComboIndex(int controlId, int& value);              // CB_GETCURSEL, -1 none
  void BindCheck(int controlId, int& value);                   // 0, 1 (2 indeterminate)
  void BindRadio(int firstId, int lastId, int& value);         // ids first..last, -1 none
  void BindControl(int controlId, CControl& control);          // attached at page creation

  // WM_INITDIALOG; the base shows the values. Return TRUE as for a dialog.
  virtual BOOL InitPage();
  // PSN_SETACTIVE: return false to refuse the activation. The base shows
  // the values again on every activation but the first (InitPage did it).
  virtual bool OnSetActive();
  // PSN_KILLACTIVE: return false to keep the page active. The base takes
  // the values.
  virtual bool OnKillActive();

  // OnCommand sees no notification from the page's controls during an
  // exchange, OnNotify no PSN_SETACTIVE or PSN_KILLACTIVE.
  INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  enum class BindKind { Text, ComboIndex, Check, Radio, Control };
  struct Binding {
    BindKind kind;
    int firstId;
    int lastId;
    std::string* text;
    int* number;
    CControl* control;
  };
  void Exchange(bool take);
  static INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  PROPSHEETPAGEA m_desc{};
  std::vector<Binding> m_bindings;
  bool m_exchanging = false;
  bool m_firstSetActive = true;
};
