// Helpers of the widget tests: message pumping, an off-screen canvas whose
// pixels can be read back, and the test program's guards (a watchdog that
// ends a hung run, and a hook that answers and fails any message box).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>
#include <gtest/gtest.h>

// Dispatches every message already queued for this thread.
void PumpMessages();
// Pumps until `done` holds or `timeoutMs` passes; returns done().
template <typename Done>
bool PumpUntil(Done done, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    PumpMessages();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

// A 32-bit top-down DIB selected into a memory DC.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255));
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return m_dc; }
  int width() const { return m_width; }
  int height() const { return m_height; }
  COLORREF Pixel(int x, int y) const;  // after GdiFlush
  // Pixels of colour `color` inside [left, right) x [top, bottom).
  int Count(COLORREF color, int left, int top, int right, int bottom) const;

 private:
  int m_width, m_height;
  HDC m_dc = nullptr;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_previous = nullptr;
  uint32_t* m_bits = nullptr;
};

// Message boxes the guard answered during the run ("caption|text").
std::vector<std::string>& UnexpectedBoxes();

// Base of the tests that make windows: fails a test in which a message box
// appeared (the widgets never show one).
class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  size_t m_boxesBefore = 0;
};

// Screen capture of `window` into a 24-bit BMP file.
bool CaptureWindow(HWND window, const char* path);
