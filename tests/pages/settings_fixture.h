// What the Settings and Advanced page tests and the settings-file tests share
// under Wine: the main window with all five pages over the emulated machine
// on LPT1 (virtual clock), its boxes and file dialogs answered, and the ways
// a user changes the pages' controls.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
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
#include "widgets/input_class.h"
#include "widgets/property_sheet.h"

namespace settings_test {

using Bytes = std::vector<uint8_t>;

inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

inline BOOL WINAPI NoHelp(HWND, LPCSTR, UINT, ULONG_PTR) { return TRUE; }

inline std::string Text(HWND window) { return BoxAnswerer::Text(window); }

class PanelFixture : public testing::Test {
 protected:
  void SetUp() override {
    ResetDeviceData();
    DeviceLink::Reset();
    DeviceLink::hostPlatform = HostPlatform::Nt5;
    DeviceLink::portKind = PortKind::Lpt1;
    advancedPageOpen = false;
    advancedFromFile = false;
    NonAsciiTyped = false;
    CMainPanel::helpEngine = &NoHelp;
    beeps = 0;
    CAdvanced::beep = &CountBeep;
  }
  void TearDown() override {
    panel.reset();
    Pump();
    EXPECT_EQ(answerer.Unexpected(), 0) << "a box or file dialog nobody expected";
    CMainPanel::helpEngine = &WinHelpA;
    CAdvanced::beep = &MessageBeep;
    ResetDeviceData();
  }

  // The main window with all five pages; the Settings page reads the
  // machine as it is created.
  void Open(bool withMachine = true) {
    inquiryAnswered = true;
    fullPanel = true;
    os.machine = withMachine ? &machine : nullptr;
    panel = std::make_unique<CMainPanel>();
    ASSERT_NE(panel->Create(), nullptr);
    ShowWindow(panel->GetHwnd(), SW_SHOWNORMAL);
    Pump();
    ASSERT_NE(panelSheet, nullptr);
  }
  HWND Main() const { return panel->GetHwnd(); }
  HWND SettingsPage() const { return static_cast<CPropertyPage*>(settingsPage)->GetHwnd(); }
  HWND AdvancedPage() const { return static_cast<CPropertyPage*>(advancedPage)->GetHwnd(); }
  void Select(int index) {
    ASSERT_TRUE(panelSheet->SetActivePage(index));
    Pump();
  }

  // --- what a user does ---
  static void Command(HWND page, int id, WORD code) {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    Pump();
  }
  static void Press(HWND page, int id) {
    SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
    Pump();
  }
  static void Choose(HWND page, int id, int index) {
    SendMessageA(GetDlgItem(page, id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Command(page, id, CBN_SELCHANGE);
  }
  // Focus in the edit, caret at the end, then one WM_CHAR per byte.
  static void Type(HWND page, int id, const std::string& chars) {
    HWND edit = GetDlgItem(page, id);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0x7FFF, 0x7FFF);
    for (char c : chars) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
    Pump();
  }
  // Replaces the text with the keyboard: select all, then type.
  static void Retype(HWND page, int id, const std::string& chars) {
    HWND edit = GetDlgItem(page, id);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (char c : chars) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
    Pump();
  }
  static void FocusOn(HWND page, int id) {
    SetFocus(GetDlgItem(page, id));
    Pump();
  }
  static std::string ItemText(HWND page, int id) { return Text(GetDlgItem(page, id)); }
  static int Selected(HWND page, int id) {
    return static_cast<int>(SendMessageA(GetDlgItem(page, id), CB_GETCURSEL, 0, 0));
  }
  static bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
  static std::vector<std::string> Entries(HWND page, int id) {
    HWND combo = GetDlgItem(page, id);
    std::vector<std::string> entries;
    int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[64] = {};
      SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      entries.push_back(text);
    }
    return entries;
  }
  static int Caret(HWND page, int id) {
    DWORD start = 0, end = 0;
    SendMessageA(GetDlgItem(page, id), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return start == end ? static_cast<int>(start) : -1;
  }

  // --- what the machine saw ---
  std::vector<MachineCommand> Kinds() const { return machine.RequestKinds(); }
  Bytes LastRequest() const { return machine.Requests().empty() ? Bytes() : machine.Requests().back(); }
  size_t Count(MachineCommand kind) const {
    size_t n = 0;
    for (MachineCommand k : machine.RequestKinds()) n += k == kind ? 1 : 0;
    return n;
  }
  bool Traced(const std::string& line) const {
    for (const std::string& l : os.debugLines)
      if (l == line) return true;
    return false;
  }

  static int beeps;
  static BOOL WINAPI CountBeep(UINT) {
    ++beeps;
    return TRUE;
  }

  MachineOs os;
  K40Machine machine;
  BoxAnswerer answerer;
  std::unique_ptr<CMainPanel> panel;
};

inline int PanelFixture::beeps = 0;

// The machine's system-information block (reply bytes 10..268) at a reply
// offset.
inline void PutMachineText(K40Machine& machine, int offset, int width, const std::string& text) {
  auto& block = machine.state().systemInfo;
  for (int i = 0; i < width; ++i) block[offset - 10 + i] = i < static_cast<int>(text.size()) ? text[i] : ' ';
}
inline uint8_t& MachineInfoByte(K40Machine& machine, int offset) { return machine.state().systemInfo[offset - 10]; }

}  // namespace settings_test
