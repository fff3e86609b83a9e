// LoadText, DrawBitmapAt and the about box.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/widgets/gui_support.h"
#include "tests/widgets/test_ids.h"
#include "widgets/about_box.h"
#include "widgets/resource_text.h"

namespace {

bool HasPanelResources() {
  return ::FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_ABOUTBOX), MAKEINTRESOURCEA(5)) != nullptr;
}

TEST(LoadText, OneSharedBufferOverwrittenByEachCall) {
  const char* first = LoadText(IDS_T_FIRST);
  EXPECT_STREQ(first, "primeiro");
  const char* second = LoadText(IDS_T_SECOND);
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "segundo");
  EXPECT_STREQ(LoadText(4242), "") << "an id without a string";
}

TEST(LoadText, AccentsArriveAsWindows1252) {
  EXPECT_STREQ(LoadText(IDS_T_ACCENTS), "N\xE3o responde");
  EXPECT_STREQ(LoadText(IDS_T_ACCENTS), "Não responde") << "sources compile to Windows-1252 too";
  if (!HasPanelResources()) GTEST_SKIP() << "panel resources not linked";
  EXPECT_STREQ(LoadText(IDS_NO_ANSWER), "Não responde");
}

TEST(LoadText, LongStringIsCutAt254Characters) {
  const char* text = LoadText(IDS_T_LONG);
  EXPECT_EQ(std::strlen(text), 254u);
  EXPECT_EQ(std::string(text), std::string(254, 'x'));
}

class DrawBitmapTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    // A red picture 332 x 20.
    Canvas source(332, 20, RGB(255, 0, 0));
    HDC screen = ::GetDC(nullptr);
    bitmap = ::CreateCompatibleBitmap(screen, 332, 20);
    ::ReleaseDC(nullptr, screen);
    HDC memory = ::CreateCompatibleDC(source.dc());
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, 332, 20, source.dc(), 0, 0, SRCCOPY);
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
  }
  void TearDown() override {
    ::DeleteObject(bitmap);
    GuiTest::TearDown();
  }
  HBITMAP bitmap = nullptr;
};

TEST_F(DrawBitmapTest, WidthBeyondTheBitmapIsCapped) {
  Canvas target(600, 40);
  EXPECT_TRUE(DrawBitmapAt(target.dc(), 5, 3, 500, -1, bitmap, SRCCOPY));
  const COLORREF red = RGB(255, 0, 0);
  EXPECT_EQ(target.Count(red, 0, 0, 600, 40), 332 * 20);
  EXPECT_EQ(target.Pixel(5 + 331, 3), red);
  EXPECT_NE(target.Pixel(5 + 332, 3), red);
  EXPECT_EQ(target.Pixel(5, 3 + 19), red);
  EXPECT_NE(target.Pixel(5, 3 + 20), red);
}

TEST_F(DrawBitmapTest, SmallerSizeCopiesPartAndMissingInputsFail) {
  Canvas target(400, 40);
  EXPECT_TRUE(DrawBitmapAt(target.dc(), 0, 0, 10, 5, bitmap, SRCCOPY));
  EXPECT_EQ(target.Count(RGB(255, 0, 0), 0, 0, 400, 40), 50);
  EXPECT_FALSE(DrawBitmapAt(nullptr, 0, 0, -1, -1, bitmap, SRCCOPY));
  EXPECT_FALSE(DrawBitmapAt(target.dc(), 0, 0, -1, -1, nullptr, SRCCOPY));
}

class AboutBoxTest : public GuiTest {};

HHOOK g_pressOkHook = nullptr;

// Presses OK in the dialog as soon as it is activated.
LRESULT CALLBACK PressOkProc(int code, WPARAM wParam, LPARAM lParam) {
  auto window = reinterpret_cast<HWND>(wParam);
  if (code == HCBT_ACTIVATE && ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId())
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return ::CallNextHookEx(g_pressOkHook, code, wParam, lParam);
}

TEST_F(AboutBoxTest, SizedToThePictureWithTheButtonBelowIt) {
  if (!HasPanelResources()) GTEST_SKIP() << "panel resources not linked";
  CAboutBox box;
  ASSERT_TRUE(box.Create());
  RECT window;
  ::GetWindowRect(box.GetHwnd(), &window);
  EXPECT_EQ(window.right - window.left, 332 + 25);
  EXPECT_EQ(window.bottom - window.top, 330 + ::GetSystemMetrics(SM_CYCAPTION) + 70);

  HWND ok = box.GetItem(IDOK);
  ASSERT_NE(ok, nullptr);
  RECT button;
  ::GetWindowRect(ok, &button);
  const int bw = button.right - button.left, bh = button.bottom - button.top;
  POINT at = {button.left, button.top};
  ::ScreenToClient(box.GetHwnd(), &at);
  EXPECT_EQ(at.x, (332 + 25 - bw) / 2);
  EXPECT_EQ(at.y, 330 + bh);

  // Centred on the work area without a parent.
  RECT area;
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_NEAR((window.left + window.right) / 2, (area.left + area.right) / 2, 1);
}

TEST_F(AboutBoxTest, PaintsThePictureAndBothLines) {
  if (!HasPanelResources()) GTEST_SKIP() << "panel resources not linked";
  CAboutBox box;
  ASSERT_TRUE(box.Create());
  ::ShowWindow(box.GetHwnd(), SW_SHOWNA);
  ::UpdateWindow(box.GetHwnd());
  PumpMessages();

  HDC dc = ::GetDC(box.GetHwnd());
  HBITMAP picture = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_ABOUT));
  ASSERT_NE(picture, nullptr);
  HDC memory = ::CreateCompatibleDC(dc);
  HGDIOBJ previous = ::SelectObject(memory, picture);
  // The picture's corner pixels are on screen at (10, 10).
  EXPECT_EQ(::GetPixel(dc, 10, 10), ::GetPixel(memory, 0, 0));
  EXPECT_EQ(::GetPixel(dc, 10 + 331, 10 + 329), ::GetPixel(memory, 331, 329));
  ::SelectObject(memory, previous);
  ::DeleteDC(memory);
  ::DeleteObject(picture);
  ::ReleaseDC(box.GetHwnd(), dc);
}

TEST_F(AboutBoxTest, ModalRunEndsWithOk) {
  if (!HasPanelResources()) GTEST_SKIP() << "panel resources not linked";
  g_pressOkHook = ::SetWindowsHookExA(WH_CBT, &PressOkProc, nullptr, ::GetCurrentThreadId());
  CAboutBox box;
  EXPECT_EQ(box.DoModal(), IDOK);
  ::UnhookWindowsHookEx(g_pressOkHook);
  EXPECT_EQ(box.GetHwnd(), nullptr);
}

}  // namespace
