// Guards and helpers for the widget tests; see gui_support.h.
#include "tests/widgets/gui_support.h"

#include <cstdio>

#include <commctrl.h>
#include <gtest/gtest.h>

void PumpMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

Canvas::Canvas(int width, int height, COLORREF fill) : m_width(width), m_height(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = ::GetDC(nullptr);
  m_dc = ::CreateCompatibleDC(screen);
  ::ReleaseDC(nullptr, screen);
  void* bits = nullptr;
  m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  m_bits = static_cast<uint32_t*>(bits);
  m_previous = ::SelectObject(m_dc, m_bitmap);
  RECT all = {0, 0, width, height};
  HBRUSH brush = ::CreateSolidBrush(fill);
  ::FillRect(m_dc, &all, brush);
  ::DeleteObject(brush);
}

Canvas::~Canvas() {
  ::SelectObject(m_dc, m_previous);
  ::DeleteObject(m_bitmap);
  ::DeleteDC(m_dc);
}

COLORREF Canvas::Pixel(int x, int y) const {
  ::GdiFlush();
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return CLR_INVALID;
  uint32_t v = m_bits[static_cast<size_t>(y) * m_width + x];
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

int Canvas::Count(COLORREF color, int left, int top, int right, int bottom) const {
  int n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      if (Pixel(x, y) == color) ++n;
  return n;
}

namespace {

bool WriteBmp(const char* path, HDC dc, HBITMAP bitmap, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  int stride = (width * 3 + 3) & ~3;
  std::vector<unsigned char> pixels(static_cast<size_t>(stride) * height);
  if (!::GetDIBits(dc, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS)) return false;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* out = std::fopen(path, "wb");
  if (!out) return false;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
  std::fwrite(pixels.data(), 1, pixels.size(), out);
  return std::fclose(out) == 0;
}

}  // namespace

bool CaptureWindow(HWND window, const char* path) {
  RECT r{};
  ::GetWindowRect(window, &r);
  int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  ::SelectObject(memory, previous);
  bool ok = WriteBmp(path, memory, bitmap, width, height);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return ok;
}

void GuiTest::SetUp() { m_boxesBefore = UnexpectedBoxes().size(); }

void GuiTest::TearDown() {
  PumpMessages();
  const auto& boxes = UnexpectedBoxes();
  for (size_t i = m_boxesBefore; i < boxes.size(); ++i) ADD_FAILURE() << "unexpected message box: " << boxes[i];
}

std::vector<std::string>& UnexpectedBoxes() {
  static std::vector<std::string> boxes;
  return boxes;
}

namespace {

HHOOK g_cbtHook = nullptr;

// Message boxes are #32770 windows with the text static 0xFFFF.
LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  auto window = reinterpret_cast<HWND>(wParam);
  // Under Wine the hook may also hear of other programs' windows of the
  // same prefix (tests run side by side): leave those alone.
  if (code == HCBT_ACTIVATE && ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()) {
    char cls[32] = "";
    ::GetClassNameA(window, cls, sizeof cls);
    HWND text = ::GetDlgItem(window, 0xFFFF);
    if (std::string(cls) == "#32770" && text) {
      char caption[256] = "", body[1024] = "";
      ::GetWindowTextA(window, caption, sizeof caption);
      ::GetWindowTextA(text, body, sizeof body);
      UnexpectedBoxes().push_back(std::string(caption) + "|" + body);
      // Any button closes it: answer by id, whichever the box has.
      for (int id : {IDIGNORE, IDCANCEL, IDOK, IDNO}) {
        HWND button = ::GetDlgItem(window, id);
        if (button && (::GetWindowLongPtrA(button, GWL_STYLE) & WS_VISIBLE)) {
          ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
          break;
        }
      }
    }
  }
  return ::CallNextHookEx(g_cbtHook, code, wParam, lParam);
}

DWORD WINAPI Watchdog(void* seconds) {
  ::Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(seconds)) * 1000);
  std::fprintf(stderr, "widgets_test: watchdog fired, the run hung\n");
  std::fflush(stderr);
  ::ExitProcess(97);
}

class GuiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);
    g_cbtHook = ::SetWindowsHookExA(WH_CBT, &CbtProc, nullptr, ::GetCurrentThreadId());
    ::CreateThread(nullptr, 0, &Watchdog, reinterpret_cast<void*>(uintptr_t{120}), 0, nullptr);
  }
  void TearDown() override {
    if (g_cbtHook) ::UnhookWindowsHookEx(g_cbtHook);
  }
};

const bool g_registered = [] {
  ::testing::AddGlobalTestEnvironment(new GuiEnvironment);
  return true;
}();

}  // namespace
