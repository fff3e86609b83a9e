// Records the program's beeps instead of sounding them: while the object
// lives, the test program's import of MessageBeep points at a recorder, so
// every beep of the code under test is seen with its type (MB_OK for the
// standard beep, 0xFFFFFFFF for the simple one).
#pragma once

#include <vector>

#include <windows.h>

class BeepRecorder {
 public:
  BeepRecorder();
  ~BeepRecorder();
  BeepRecorder(const BeepRecorder&) = delete;
  BeepRecorder& operator=(const BeepRecorder&) = delete;

  bool Installed() const { return m_slot != nullptr; }
  std::vector<UINT> beeps;

 private:
  void** m_slot = nullptr;
  void* m_original = nullptr;
};
