// rcpctl's console and redirected output (see ctl_console.h).
#include "ctl/ctl_console.h"

#include <vector>

namespace {
bool IsConsoleHandle(HANDLE h) {
  DWORD mode = 0;
  return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode) != FALSE;
}
}  // namespace

CtlConsole::CtlConsole()
    : out_(GetStdHandle(STD_OUTPUT_HANDLE)),
      err_(GetStdHandle(STD_ERROR_HANDLE)),
      outConsole_(IsConsoleHandle(out_)),
      errConsole_(IsConsoleHandle(err_)),
      console_(outConsole_) {}

void CtlConsole::Write(HANDLE handle, bool console, const std::string& text, UINT codePage) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) return;
  const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::vector<wchar_t> wide(static_cast<size_t>(n > 0 ? n : 1));
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  DWORD done = 0;
  if (console) {
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(n), &done, nullptr);
    return;
  }
  std::string utf8 = text;
  if (codePage != CP_UTF8) {
    const int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    utf8.assign(static_cast<size_t>(m > 0 ? m : 0), '\0');
    if (m > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, &utf8[0], m, nullptr, nullptr);
  }
  WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &done, nullptr);
}

void CtlConsole::Progress(const std::string& text) {
  if (!console_) {
    Line(text);
    return;
  }
  Write(out_, true, "\r" + text + "   ", 1252);
  progressOpen_ = true;
}

void CtlConsole::EndProgress() {
  if (!progressOpen_) return;
  Write(out_, true, "\n", 1252);
  progressOpen_ = false;
}
