// The main window on the emulated machine, as start-up leaves it once the
// machine answered (80 entries), for the phonebook page's, the editor's and
// the file commands' tests under Wine: the list read as a user sees it, the
// page's buttons, and the modal entry editor driven by a script.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "app/main_panel.h"
#include "emulator/k40_machine.h"
#include "tests/app/box_answerer.h"
#include "tests/app/machine_os.h"
#include "tests/pages/beep_recorder.h"

void Pump();
std::string Text(HWND window);

class PhonebookPanelTest : public ::testing::Test {
 protected:
  static constexpr int kPhonebookTab = 2;

  void SetUp() override;
  void TearDown() override;

  // `showPhonebook` selects the phonebook page, which reads the machine.
  void Open(bool showPhonebook = true);
  void Select(int index);
  HWND Main() const { return panel->GetHwnd(); }
  HWND PageWindow() const;
  HWND List() const;
  // Each row as "<col 0>|<col 1>|<col 2>".
  std::vector<std::string> Rows() const;
  void SelectRow(int row);  // -1: none
  void Click(int id);       // a button of the page
  void Command(WORD id);    // a menu command of the main window
  // Runs `script` on the entry editor once its modal loop runs; the script
  // ends it itself.
  void OnEditor(std::function<void(HWND)> script);

  MachineOs os;
  K40Machine machine;
  BoxAnswerer answerer;
  BeepRecorder beeper;
  std::unique_ptr<CMainPanel> panel;
  int editorsSeen = 0;
};

// The 80 entries of the program-wide table as bytes.
std::vector<uint8_t> TableBytes();

// Typed into an edit one WM_CHAR per byte, after selecting all its text.
void Retype(HWND edit, const std::string& keys);
