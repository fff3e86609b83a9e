// Answers the boxes a test run opens, from a thread WH_CBT hook: message
// boxes get the scripted button by id (a box nobody expected is recorded and
// closed), other dialogs and the main window go to the test's callbacks.
#pragma once

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <windows.h>

struct SeenBox {
  std::string caption;
  std::string text;
  HWND owner;
  std::vector<int> buttons;  // ids of the visible buttons
  bool expected;
};

class BoxAnswerer {
 public:
  BoxAnswerer();
  ~BoxAnswerer();

  // Queues the button that answers the next message box.
  void Expect(int button) { m_answers.push_back(button); }
  int Unexpected() const;

  std::vector<SeenBox> boxes;
  // Called once per window when the panel's main window (a dialog holding a
  // tab control) is activated.
  std::function<void(HWND)> onMainWindow;
  // Called once per window for any other dialog that is not a message box.
  std::function<void(HWND)> onOtherDialog;

  static std::string Text(HWND window);
  static bool HasTabControl(HWND window);

 private:
  static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
  void OnActivate(HWND window);

  HHOOK m_hook;
  std::deque<int> m_answers;
  std::set<HWND> m_seen;
};
