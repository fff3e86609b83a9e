// The filtering edit: typed characters outside the input class are refused
// with the simple beep.
#include "widgets/filter_edit.h"

LRESULT CFilterEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CHAR && !FilterTypedChar(m_inputClass, static_cast<uint32_t>(wParam))) {
    ::MessageBeep(0xFFFFFFFF);
    return 0;
  }
  return DefaultProc(msg, wParam, lParam);
}
