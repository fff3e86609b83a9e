// The owner-drawn icon button: binding, hover tracking and painting.
#include "widgets/hover_button.h"

#include <commctrl.h>

#include "widgets/resource_text.h"

namespace {

// The button type: the low five bits of the style.
constexpr LONG_PTR kTypeBits = 0x1F;

// A one-pixel 3D frame: `topLeft` on the top and left edges, `bottomRight`
// on the bottom and right ones.
void Draw3dRect(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  auto fill = [dc](int left, int top, int right, int bottom, COLORREF color) {
    RECT part = {left, top, right, bottom};
    ::SetBkColor(dc, color);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &part, nullptr, 0, nullptr);
  };
  COLORREF previous = ::GetBkColor(dc);
  fill(r.left, r.top, r.right - 1, r.top + 1, topLeft);
  fill(r.left, r.top, r.left + 1, r.bottom - 1, topLeft);
  fill(r.right - 1, r.top, r.right, r.bottom, bottomRight);
  fill(r.left, r.bottom - 1, r.right, r.bottom, bottomRight);
  ::SetBkColor(dc, previous);
}

// A one-pixel line in system colour `sysColor` from `from` through `corner`
// to `to` (LineTo leaves the end point itself unpainted).
void DrawEdgeLine(HDC dc, int sysColor, POINT from, POINT corner, POINT to) {
  HPEN pen = ::CreatePen(PS_SOLID, 1, ::GetSysColor(sysColor));
  HGDIOBJ previous = ::SelectObject(dc, pen);
  ::MoveToEx(dc, from.x, from.y, nullptr);
  ::LineTo(dc, corner.x, corner.y);
  ::LineTo(dc, to.x, to.y);
  ::SelectObject(dc, previous);
  ::DeleteObject(pen);
}

}  // namespace

CHoverButton::CHoverButton() { ResetColors(false); }

CHoverButton::~CHoverButton() { DestroyIcon(); }

void CHoverButton::DestroyIcon() {
  if (m_icon.handle) ::DestroyIcon(m_icon.handle);
  m_icon = Icon{};
}

bool CHoverButton::SetButtonIcon(UINT iconId) {
  auto icon = static_cast<HICON>(
      ::LoadImageA(ResourceInstance(), MAKEINTRESOURCEA(iconId), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
  DestroyIcon();
  if (icon) {
    ICONINFO info{};
    if (::GetIconInfo(icon, &info)) {
      // An icon's hot spot is its centre.
      m_icon = {icon, static_cast<int>(info.xHotspot) * 2, static_cast<int>(info.yHotspot) * 2};
      if (info.hbmMask) ::DeleteObject(info.hbmMask);
      if (info.hbmColor) ::DeleteObject(info.hbmColor);
    } else {
      ::DestroyIcon(icon);
    }
  }
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
  return m_icon.handle != nullptr;
}

void CHoverButton::SetFlatLook(bool flat, bool repaint) {
  m_bFlat = flat;
  if (repaint && m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CHoverButton::ResetColors(bool repaint) {
  COLORREF face = ::GetSysColor(COLOR_BTNFACE), text = ::GetSysColor(COLOR_BTNTEXT);
  m_colors[BkHover] = m_colors[BkNormal] = m_colors[BkFocus] = face;
  m_colors[FgHover] = m_colors[FgNormal] = m_colors[FgFocus] = text;
  if (repaint && m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CHoverButton::EndHover() {
  if (m_bFlat && m_bHover) {
    m_bHover = false;
    if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
  }
}

void CHoverButton::PreSubclass(HWND control) {
  LONG_PTR style = ::GetWindowLongPtrA(control, GWL_STYLE);
  if ((style & kTypeBits) == BS_DEFPUSHBUTTON) m_bDefault = true;
  ::SetWindowLongPtrA(control, GWL_STYLE, (style & ~kTypeBits) | BS_OWNERDRAW);
  ::SetWindowPos(control, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CHoverButton::OnMouseMove(WPARAM keys, LPARAM position) {
  if ((keys & MK_LBUTTON) && !m_bHover) return;  // dragged onto it: no highlight
  if (!m_bFlat) return;
  POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  ::ClientToScreen(m_hWnd, &point);
  if (::WindowFromPoint(point) == m_hWnd && (m_bTrackInactive || ::GetActiveWindow())) {
    if (!m_bHover) {
      m_bHover = true;
      ::InvalidateRect(m_hWnd, nullptr, TRUE);
      TRACKMOUSEEVENT track{};
      track.cbSize = sizeof track;
      track.dwFlags = TME_LEAVE;
      track.hwndTrack = m_hWnd;
      ::_TrackMouseEvent(&track);
    }
  } else {
    EndHover();
  }
}

LRESULT CHoverButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result;
  switch (msg) {
    case WM_LBUTTONDBLCLK:
      // A quick second click is a click, not a double click.
      return DefaultProc(WM_LBUTTONDOWN, wParam, lParam);
    case WM_MOUSEMOVE:
      result = DefaultProc(msg, wParam, lParam);
      OnMouseMove(wParam, lParam);
      return result;
    case WM_MOUSELEAVE:
      EndHover();
      return 0;
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
      result = DefaultProc(msg, wParam, lParam);
      EndHover();
      return result;
    case WM_ACTIVATE:
      result = DefaultProc(msg, wParam, lParam);
      if (LOWORD(wParam) == WA_INACTIVE) EndHover();
      return result;
    case WM_ENABLE:
      result = DefaultProc(msg, wParam, lParam);
      if (!wParam) {
        // A disabled window must not keep the focus. Only when it has it:
        // disabling the button from code must not pull the focus away
        // from the field the user is in.
        if (::GetFocus() == m_hWnd) {
          HWND parent = ::GetParent(m_hWnd);
          HWND next = ::GetNextDlgTabItem(parent, m_hWnd, FALSE);
          ::SetFocus(next && next != m_hWnd ? next : parent);
        }
        EndHover();
      }
      return result;
    case WM_GETDLGCODE:
      result = DefaultProc(msg, wParam, lParam);
      return result | (m_bDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE: {
      LONG_PTR type = static_cast<LONG_PTR>(wParam) & kTypeBits;
      if (type == BS_DEFPUSHBUTTON)
        m_bDefault = true;
      else if (type == BS_PUSHBUTTON)
        m_bDefault = false;
      // The control stays owner-drawn whatever type the dialog manager asks for.
      return DefaultProc(msg, (wParam & ~static_cast<WPARAM>(kTypeBits)) | BS_OWNERDRAW, lParam);
    }
    case WM_SYSCOLORCHANGE:
      result = DefaultProc(msg, wParam, lParam);
      ResetColors(true);
      return result;
    default:
      return DefaultProc(msg, wParam, lParam);
  }
}

bool CHoverButton::OnReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      result = TRUE;
      return true;
    case WM_CTLCOLORBTN:
      result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
      return true;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) ::SetFocus(m_hWnd);
      return false;  // the click still reaches the parent
    default:
      return false;
  }
}

void CHoverButton::DrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  m_bPressed = (item.itemState & ODS_SELECTED) != 0;
  m_bFocused = (item.itemState & ODS_FOCUS) != 0;
  m_bDisabled = (item.itemState & ODS_DISABLED) != 0;
  ::SetBkMode(dc, TRANSPARENT);

  RECT work = item.rcItem;
  if (!m_bFlat && (m_bFocused || m_bDefault)) {
    ::FrameRect(dc, &work, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::InflateRect(&work, -1, -1);
  }

  PaintBackground(dc, work);

  if (m_bPressed) {
    if (!m_bFlat)
      ::FrameRect(dc, &work, ::GetSysColorBrush(COLOR_BTNSHADOW));
    else if (m_bFlatBorder)
      PaintBorder(dc, work);
  } else if (!m_bFlat) {
    const LONG l = work.left, t = work.top, r = work.right, b = work.bottom;
    DrawEdgeLine(dc, COLOR_BTNHIGHLIGHT, {l, b - 1}, {l, t}, {r, t});
    DrawEdgeLine(dc, COLOR_3DLIGHT, {l + 1, b - 1}, {l + 1, t + 1}, {r, t + 1});
    DrawEdgeLine(dc, COLOR_3DDKSHADOW, {l, b - 1}, {r - 1, b - 1}, {r - 1, t - 1});
    DrawEdgeLine(dc, COLOR_BTNSHADOW, {l + 1, b - 2}, {r - 2, b - 2}, {r - 2, t});
  } else if (m_bHover && m_bFlatBorder) {
    PaintBorder(dc, work);
  }

  char text[256] = "";
  ::GetWindowTextA(item.hwndItem, text, sizeof text);
  RECT caption = item.rcItem;
  if (m_icon.handle) PaintIcon(dc, item.rcItem, text[0] != '\0', caption);
  if (text[0] != '\0') PaintCaption(dc, text, caption);

  if ((!m_bFlat || m_bFlatFocus) && m_bFocused) {
    RECT focus = work;
    ::InflateRect(&focus, -3, -3);
    ::DrawFocusRect(dc, &focus);
  }
}

void CHoverButton::PaintBackground(HDC dc, const RECT& rect) {
  COLORREF color = m_bHover || m_bPressed ? m_colors[BkHover]
                   : m_bFocused           ? m_colors[BkFocus]
                                          : m_colors[BkNormal];
  HBRUSH brush = ::CreateSolidBrush(color);
  ::FillRect(dc, &rect, brush);
  ::DeleteObject(brush);
}

void CHoverButton::PaintBorder(HDC dc, const RECT& rect) {
  COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT), dark = ::GetSysColor(COLOR_BTNSHADOW);
  if (m_bPressed)
    Draw3dRect(dc, rect, dark, light);
  else
    Draw3dRect(dc, rect, light, dark);
}

void CHoverButton::PaintIcon(HDC dc, const RECT& item, bool hasCaption, RECT& caption) {
  int width = item.right - item.left, height = item.bottom - item.top;
  int x;
  if (hasCaption) {
    x = item.left + m_margin.cx;
    caption.left += m_margin.cx + m_icon.width;
  } else {
    x = item.left + (width - m_icon.width) / 2;
  }
  int y = item.top + (height - m_icon.height) / 2;
  if (m_bPressed) {
    x += m_pressOffset.cx;
    y += m_pressOffset.cy;
  }
  ::DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(m_icon.handle), 0, x, y, m_icon.width,
               m_icon.height, DST_ICON | (m_bDisabled ? DSS_DISABLED : DSS_NORMAL));
}

void CHoverButton::PaintCaption(HDC dc, const char* text, RECT& caption) {
  if (m_bPressed) ::OffsetRect(&caption, m_pressOffset.cx, m_pressOffset.cy);
  RECT block = caption;
  ::DrawTextA(dc, text, -1, &block, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
  // DT_CALCRECT keeps the top-left corner; centre the measured block.
  ::OffsetRect(&block, ((caption.right - caption.left) - (block.right - block.left)) / 2,
               ((caption.bottom - caption.top) - (block.bottom - block.top)) / 2);
  ::SetBkMode(dc, TRANSPARENT);
  if (m_bDisabled) {
    ::OffsetRect(&block, 1, 1);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    ::DrawTextA(dc, text, -1, &block, DT_WORDBREAK | DT_CENTER);
    ::OffsetRect(&block, -1, -1);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
  } else {
    ::SetTextColor(dc, m_bHover || m_bPressed ? m_colors[FgHover] : m_colors[FgNormal]);
  }
  ::DrawTextA(dc, text, -1, &block, DT_WORDBREAK | DT_CENTER);
}
