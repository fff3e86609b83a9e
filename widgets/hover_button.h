// CHoverButton: an owner-drawn push button with an icon left of its caption.
//
// Two looks: raised (a classic 3D button) and flat (no border until the mouse
// is over it, then a thin raised edge). The owning dialog binds it to a push
// button of its template with Attach; the button turns itself owner-drawn.
// The dialog's WM_DRAWITEM, WM_CTLCOLORBTN and BN_CLICKED reach the object
// through CControl::ReflectToControl (CDialog and CPropertyPage do it).
#pragma once

#include "widgets/control.h"

class CHoverButton : public CControl {
 public:
  // Indices into m_colors.
  enum ColorIndex {
    BkHover = 0,  // background when hovered or pressed
    FgHover,      // text when hovered or pressed
    BkNormal,
    FgNormal,
    BkFocus,      // background when focused
    FgFocus,
    ColorCount
  };

  CHoverButton();
  ~CHoverButton() override;  // destroys the icon

  // Loads icon `iconId` of ResourceInstance() at its own size; the button
  // owns it. False (and no icon) when it cannot be loaded or read.
  bool SetButtonIcon(UINT iconId);
  void SetFlatLook(bool flat, bool repaint = true);
  void ResetColors(bool repaint = true);
  void EndHover();

  bool IsFlat() const { return m_bFlat; }
  bool IsHover() const { return m_bHover; }
  bool IsDefault() const { return m_bDefault; }
  HICON GetIcon() const { return m_icon.handle; }
  SIZE GetIconSize() const { return {m_icon.width, m_icon.height}; }

  // Paints the whole button as a WM_DRAWITEM request `item` asks.
  void DrawItem(const DRAWITEMSTRUCT& item);

 protected:
  struct Icon {
    HICON handle = nullptr;
    int width = 0;
    int height = 0;
  };

  // Painting steps, in the order DrawItem runs them.
  virtual void PaintBackground(HDC dc, const RECT& rect);
  virtual void PaintBorder(HDC dc, const RECT& rect);
  // Draws the icon inside `item`; moves `caption`'s left edge past it when
  // there is a caption.
  virtual void PaintIcon(HDC dc, const RECT& item, bool hasCaption, RECT& caption);
  virtual void PaintCaption(HDC dc, const char* text, RECT& caption);

  void PreSubclass(HWND control) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool OnReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  bool m_bFlat = true;
  bool m_bFlatBorder = true;
  bool m_bFlatFocus = false;
  bool m_bTrackInactive = true;
  bool m_bHover = false;
  bool m_bPressed = false;
  bool m_bFocused = false;
  bool m_bDisabled = false;
  bool m_bDefault = false;
  Icon m_icon;
  SIZE m_margin = {3, 3};
  SIZE m_pressOffset = {1, 1};
  COLORREF m_colors[ColorCount] = {};

 private:
  void OnMouseMove(WPARAM keys, LPARAM position);
  void DestroyIcon();
};
