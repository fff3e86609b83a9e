// Shared by the Settings and Advanced page tests and the settings-file tests
// under Wine: the main window with all five pages over the emulated machine
// on LPT1 (virtual clock), boxes and file dialogs answered, and the ways a
// user changes the pages' controls.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/main_panel.h"
#include "commands/device_data.h"
#include "emulator/k40_machine.h"
#include "link/device_link.h"
#include "pages/advanced_page.h"
#include "pages/page_set.h"
#include "pages/settings_page.h"
#include "res/resource.h"
#include "tests/app/box_answerer.h"
#include "tests/app/machine_os.h"
#include "tests/pages/beep_recorder.h"
#include "widgets/input_class.h"
#include "widgets/property_sheet.h"

namespace settings_test {

using Bytes = std::vector<uint8_t>;

inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

inline BOOL WINAPI NoHelp(HWND, LPCSTR, UINT, ULONG_PTR) { return TRUE; }

class PanelFixture : public testing::Test {
 protected:
  void SetUp() override {
    ResetDeviceData();
    DeviceLink::Reset();
    DeviceLink::hostPlatform = HostPlatform::Nt5;
    DeviceLink::portKind = PortKind::Lpt1;
    advancedPageOpen = advancedFromFile = NonAsciiTyped = false;
    CMainPanel::helpEngine = &NoHelp;
  }
  void TearDown() override {
    panel.reset();
    Pump();
    EXPECT_EQ(answerer.Unexpected(), 0) << "a box or file dialog nobody expected";
    CMainPanel::helpEngine = &WinHelpA;
    ResetDeviceData();
  }

  // The main window with all five pages; the Settings page reads the
  // machine as it is created.
  void Open(bool withMachine = true) {
    inquiryAnswered = fullPanel = true;
    os.machine = withMachine ? &machine : nullptr;
    panel = std::make_unique<CMainPanel>();
    ASSERT_NE(panel->Create(), nullptr);
    ShowWindow(panel->GetHwnd(), SW_SHOWNORMAL);
    Pump();
  }
  HWND Main() const { return panel->GetHwnd(); }
  HWND SettingsPage() const { return static_cast<CPropertyPage*>(settingsPage)->GetHwnd(); }
  HWND AdvancedPage() {
    panelSheet->SetActivePage(1);
    Pump();
    return static_cast<CPropertyPage*>(advancedPage)->GetHwnd();
  }
  void Command(UINT id) {
    SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    Pump();
  }

  static void Press(HWND page, int id) {
    SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
    Pump();
  }
  static void Choose(HWND page, int id, int index) {
    HWND combo = GetDlgItem(page, id);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    Pump();
  }
  // Focus in the edit, its text selected (or the caret at its end), then
  // one WM_CHAR per byte; an empty `chars` clears the selection.
  static void Type(HWND page, int id, const std::string& chars, bool replace = true) {
    HWND edit = GetDlgItem(page, id);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, replace ? 0 : 0x7FFF, replace ? -1 : 0x7FFF);
    if (chars.empty()) SendMessageA(edit, WM_CLEAR, 0, 0);
    for (char c : chars) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
    Pump();
  }
  static void FocusOn(HWND page, int id) {
    SetFocus(GetDlgItem(page, id));
    Pump();
  }
  static std::string ItemText(HWND page, int id) { return BoxAnswerer::Text(GetDlgItem(page, id)); }
  static int Selected(HWND page, int id) {
    return static_cast<int>(SendMessageA(GetDlgItem(page, id), CB_GETCURSEL, 0, 0));
  }
  static bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
  static std::vector<std::string> Entries(HWND page, int id) {
    std::vector<std::string> entries;
    for (int i = 0; i < SendMessageA(GetDlgItem(page, id), CB_GETCOUNT, 0, 0); ++i) {
      char text[64] = {};
      SendMessageA(GetDlgItem(page, id), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      entries.push_back(text);
    }
    return entries;
  }
  static int Caret(HWND page, int id) {
    DWORD start = 0, end = 0;
    SendMessageA(GetDlgItem(page, id), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start == end ? static_cast<int>(start) : -1;
  }

  Bytes LastRequest() const { return machine.Requests().empty() ? Bytes() : machine.Requests().back(); }
  size_t Count(MachineCommand kind) const {
    size_t n = 0;
    for (MachineCommand k : machine.RequestKinds()) n += k == kind ? 1 : 0;
    return n;
  }

  MachineOs os;
  K40Machine machine;
  BoxAnswerer answerer;
  BeepRecorder beeper;
  std::unique_ptr<CMainPanel> panel;
};

}  // namespace settings_test
