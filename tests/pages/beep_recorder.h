// Records the program's beeps instead of sounding them: the test program's
// import of MessageBeep is pointed at a recorder while the object lives, so
// every beep of the code under test (linked into the program) is seen with
// its type.
#pragma once

#include <vector>

#include <windows.h>

class BeepRecorder {
 public:
  BeepRecorder();   // false Installed() when the import cannot be found
  ~BeepRecorder();  // the real MessageBeep again
  BeepRecorder(const BeepRecorder&) = delete;
  BeepRecorder& operator=(const BeepRecorder&) = delete;

  bool Installed() const { return m_slot != nullptr; }
  // The types of the beeps so far: MB_OK for the standard beep, 0xFFFFFFFF
  // for the simple one.
  std::vector<UINT> beeps;

 private:
  void** m_slot = nullptr;
  void* m_original = nullptr;
};
