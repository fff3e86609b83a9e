// Answers the boxes a test run opens, from a thread WH_CBT hook: message
// boxes get the scripted button by id (a box nobody expected is recorded and
// closed), standard file dialogs get the scripted file name (or are
// cancelled), other dialogs and the main window go to the test's callbacks.
#pragma once

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

struct SeenBox {
  std::string caption;
  std::string text;
  HWND owner;
  std::vector<int> buttons;  // ids of the visible buttons
  bool expected;
};

struct SeenFileDialog {
  std::string title;
  std::string answer;  // the name typed in, empty when cancelled
  bool expected;
};

class BoxAnswerer {
 public:
  BoxAnswerer();
  ~BoxAnswerer();

  // Queues the button that answers the next message box.
  void Expect(int button) { m_answers.push_back(button); }
  // Queues the name typed into the next file dialog's name field before OK
  // is pressed; an empty name presses Cancel instead. A file dialog nobody
  // expected is cancelled and counts as unexpected.
  // `filter` (1-based, 0: left as it opens) is chosen in the type list first.
  void ExpectFile(const std::string& name, int filter = 0) { m_files.push_back({name, filter}); }
  int Unexpected() const;

  std::vector<SeenBox> boxes;
  std::vector<SeenFileDialog> fileDialogs;
  // Called once per window when the panel's main window (a dialog holding a
  // tab control) is activated.
  std::function<void(HWND)> onMainWindow;
  // Called once per window for any other dialog that is not a message box.
  std::function<void(HWND)> onOtherDialog;

  static std::string Text(HWND window);
  static bool HasTabControl(HWND window);
  // The standard open / save dialog (it has a file-name field).
  static bool IsFileDialog(HWND window);

 private:
  static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
  static void CALLBACK AnswerFileDialogs(HWND, UINT, UINT_PTR timer, DWORD);
  void OnActivate(HWND window);

  HHOOK m_hook;
  std::deque<int> m_answers;
  struct FileAnswer {
    std::string name;
    int filter;
  };
  std::deque<FileAnswer> m_files;
  std::vector<std::pair<HWND, FileAnswer>> m_pendingFiles;
  std::set<HWND> m_seen;
};
