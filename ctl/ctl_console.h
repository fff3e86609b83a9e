// rcpctl's output: on a console the text goes through WriteConsoleW (so
// accents show whatever the console's code page), and a progress line is
// redrawn in place; redirected to a file or a pipe it is UTF-8, one line at a
// time.
#pragma once

#include <windows.h>

#include <string>

class CtlConsole {
 public:
  CtlConsole();
  bool IsConsole() const { return console_; }

  // Program texts (Windows-1252) with a line end.
  void Line(const std::string& text) { Write(out_, outConsole_, text + "\n", 1252); }
  void Error(const std::string& text) { Write(err_, errConsole_, text + "\n", 1252); }
  // Text that is UTF-8 already (the JSON output).
  void Utf8(const std::string& text) { Write(out_, outConsole_, text, CP_UTF8); }
  // One progress state: redrawn in place on a console, a line of its own otherwise.
  void Progress(const std::string& text);
  // Ends a progress line on a console.
  void EndProgress();

 private:
  static void Write(HANDLE handle, bool console, const std::string& text, UINT codePage);

  HANDLE out_;
  HANDLE err_;
  bool outConsole_;
  bool errConsole_;
  bool console_;
  bool progressOpen_ = false;
};
