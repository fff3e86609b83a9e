// The main window opened on the phonebook page against the emulated machine,
// for the page's, the editor's and the file commands' tests under Wine:
// the list read back as a user sees it, the page's buttons pressed, and the
// modal entry editor driven by a script once it is up.
#pragma once

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

class CPhonebook;

void Pump();

class PhonebookPanelTest : public ::testing::Test {
 protected:
  static constexpr int kPhonebookTab = 2;

  void SetUp() override;
  void TearDown() override;

  // The main window with all five pages (the machine answered, 80 entries);
  // `showPhonebook` selects the phonebook page, which reads the machine.
  void Open(bool showPhonebook = true);
  void Select(int index);
  HWND Main() const { return panel->GetHwnd(); }
  CPhonebook& Page() const;
  HWND PageWindow() const;
  HWND List() const;

  int RowCount() const;
  std::string Cell(int row, int column) const;
  // Each row as "<col 0>|<col 1>|<col 2>".
  std::vector<std::string> Rows() const;
  void SelectRow(int row);  // -1: none selected
  // A click on a button of the page, as the page receives it.
  void Click(int id);
  void DoubleClickList();
  // Runs `script` on the entry editor as soon as it is up (from inside its
  // modal loop); the script ends it with OK or Cancel itself.
  void OnEditor(std::function<void(HWND)> script);
  int EditorsSeen() const { return m_editors; }

  MachineOs os;
  K40Machine machine;
  BoxAnswerer answerer;
  BeepRecorder beeper;
  std::unique_ptr<CMainPanel> panel;

 private:
  int m_editors = 0;
};

// Driving the editor's fields as a user does.
void TypeInto(HWND edit, const std::string& keys);   // WM_CHAR per byte
void SelectAll(HWND edit);
void PressOk(HWND dialog);      // posted: the modal loop takes it
void PressCancel(HWND dialog);
std::string Text(HWND window);
