// What the main window's help asks of the system, recorded instead of done:
// documents it would open in the user's browser, and a help file beside the
// test program for as long as a test needs one.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/main_panel.h"

struct OpenedDocument {
  HWND owner;
  std::string verb;
  std::string file;
  int show;
};

// Installs a recorder as the main window's document opener; the shell's own
// again when it goes. `answer` is what the opener returns (above 32: opened).
class DocumentRecorder {
 public:
  explicit DocumentRecorder(INT_PTR answer = 42) {
    opened.clear();
    result = answer;
    CMainPanel::documentOpener = &Record;
  }
  ~DocumentRecorder() { CMainPanel::documentOpener = &CMainPanel::OpenWithShell; }
  DocumentRecorder(const DocumentRecorder&) = delete;
  DocumentRecorder& operator=(const DocumentRecorder&) = delete;

  static inline std::vector<OpenedDocument> opened;
  static inline INT_PTR result = 42;

 private:
  static HINSTANCE WINAPI Record(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT show) {
    opened.push_back({owner, verb ? verb : "", file ? file : "", show});
    return reinterpret_cast<HINSTANCE>(result);
  }
};

// The program's .HLP file (an empty one: the recorded engine never reads it).
class HelpFileBeside {
 public:
  HelpFileBeside() : path_(CMainPanel::HelpFilePath()) {
    HANDLE file = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  ~HelpFileBeside() { DeleteFileA(path_.c_str()); }
  HelpFileBeside(const HelpFileBeside&) = delete;
  HelpFileBeside& operator=(const HelpFileBeside&) = delete;

 private:
  std::string path_;
};
