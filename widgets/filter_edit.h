// CFilterEdit: an edit control that admits only the characters of its input
// class (input_class.h). Only typed characters are filtered; text set or
// pasted otherwise passes, and the owning pages check it on each change.
#pragma once

#include <cstdint>

#include "widgets/control.h"
#include "widgets/input_class.h"

class CFilterEdit : public CControl {
 public:
  CFilterEdit() = default;

  // Set by the owning dialog after Attach, with the text limit.
  int32_t m_inputClass = 0;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};
