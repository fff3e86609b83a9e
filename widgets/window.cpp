// Window placement shared by the panel's top-level windows.
#include "widgets/window.h"

void CenterWindow(HWND window, HWND around) {
  RECT area{};
  if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
    area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  RECT target = area;
  if (around && ::IsWindowVisible(around) && !::IsIconic(around)) ::GetWindowRect(around, &target);

  RECT rect{};
  ::GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  int x = target.left + ((target.right - target.left) - width) / 2;
  int y = target.top + ((target.bottom - target.top) - height) / 2;
  if (x + width > area.right) x = area.right - width;
  if (y + height > area.bottom) y = area.bottom - height;
  if (x < area.left) x = area.left;
  if (y < area.top) y = area.top;
  ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
