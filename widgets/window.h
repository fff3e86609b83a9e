// Base of every window object of the panel: the module instance, the parent
// and the object's own window handle. Window objects are tied to one window
// each, so they cannot be copied. Also the centring every top-level window
// of the panel uses.
#pragma once

#include <windows.h>

class CWindow {
 public:
  CWindow() = default;
  CWindow(const CWindow&) = delete;
  CWindow& operator=(const CWindow&) = delete;
  virtual ~CWindow() = default;

  HWND GetHwnd() const { return m_hWnd; }
  HWND GetParentHwnd() const { return m_hParent; }
  HINSTANCE GetInstance() const { return m_hInst; }

 protected:
  HINSTANCE m_hInst = nullptr;
  HWND m_hParent = nullptr;
  HWND m_hWnd = nullptr;
};

// Centres `window` on `around` (when visible and not minimised), else on the
// work area, and keeps it wholly on the work area.
void CenterWindow(HWND window, HWND around = nullptr);
