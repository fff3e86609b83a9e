// End-to-end tests of the Settings and Advanced pages and the settings file
// with the real rcpanel.exe from the demo folder: changes made on the pages
// reach the emulated machine and survive a restart of the panel through the
// machine's state file, and a saved file brings the machine's values back.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "emulator/k40_machine.h"
#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

constexpr DWORD kWaitMs = 60000;  // start-up, or "Aplicar" on the Advanced page (6.5 s)
constexpr int kApply = 1063;

K40Machine::State StateIn(const std::string& path) {
  K40Machine machine;
  EXPECT_TRUE(machine.LoadState(path)) << "no state file " << path;
  return machine.state();
}
std::string InfoText(const K40Machine::State& state, int offset, int width) {
  return std::string(reinterpret_cast<const char*>(&state.systemInfo[offset - 10]), width);
}

// Messages the panel handles before the call returns (a page may talk to the
// machine meanwhile).
LRESULT Send(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  EXPECT_NE(SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_NORMAL, kWaitMs, &result), 0) << "msg " << msg;
  return static_cast<LRESULT>(result);
}
void Apply(HWND page) { Send(page, WM_COMMAND, MAKEWPARAM(kApply, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, kApply))); }
void Choose(HWND page, int id, int index) {
  Send(GetDlgItem(page, id), CB_SETCURSEL, index);
  Send(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}
int Selected(HWND page, int id) { return static_cast<int>(Send(GetDlgItem(page, id), CB_GETCURSEL)); }
void SetText(HWND page, int id, const char* text) { Send(GetDlgItem(page, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }

struct PanelRun {
  explicit PanelRun(const std::string& state) : panel("state=" + state) {
    main = WaitForMainWindow(panel, kWaitMs);
    tab = main ? FindTabControl(main) : nullptr;
  }
  HWND Page(int index) { return SelectPage(tab, index, kWaitMs); }
  void Close() {
    EXPECT_EQ(WaitForMessageBox(panel, 300), nullptr) << "a failure was reported";
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(panel.WaitForExit(20000)) << "the panel did not end";
  }
  // Gives command `id` to the main window, types `path` into the file dialog
  // it opens and presses OK, then waits for the dialog to go.
  bool ChooseFile(UINT id, std::string path) {
    PostMessageA(main, WM_COMMAND, id, 0);
    HWND dialog = nullptr;
    for (int i = 0; i < 300 && dialog == nullptr; ++i, Sleep(100)) {
      for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", nullptr); w; w = FindWindowExA(nullptr, w, "#32770", nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == panel.pid() && IsWindowVisible(w) && GetDlgItem(w, 0x47C)) dialog = w;
      }
    }
    if (dialog == nullptr) return false;
    Sleep(300);  // the dialog fills its own fields first
    for (char& c : path) c = c == '/' ? '\\' : c;  // the dialog refuses "/" in a name
    Send(GetDlgItem(dialog, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(100);
    if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);  // leave nothing open
    return !IsWindow(dialog);
  }

  Panel panel;
  HWND main = nullptr;
  HWND tab = nullptr;
};

TEST(SettingsRoundTrip, ChangesOnBothPagesReachTheMachineAndSurviveARestart) {
  const std::string state = kWorkDir + "\\settings-roundtrip-state.dat";
  DeleteFileA(state.c_str());
  {
    PanelRun run(state);
    ASSERT_NE(run.tab, nullptr) << Printable(run.panel.DebugLines());
    HWND settings = run.Page(0);
    Choose(settings, 1020, 5);                        // "Pré-impresso"
    Send(GetDlgItem(settings, 1059), BM_CLICK);       // "Redução horizontal" on
    SetText(settings, 1023, "5");                     // rings to answer
    Apply(settings);
    HWND advanced = run.Page(1);
    EXPECT_EQ(ItemText(advanced, 1039), "PAPELARIA SAO BENTO");
    SetText(advanced, 1039, "CLIENTE NOVO");
    Choose(advanced, 1058, 0);                        // "Inglês"
    Apply(advanced);
    run.Close();
    std::string missing;
    EXPECT_TRUE(InOrder(run.panel.DebugLines(),
                        {"Length = 23 \n", "===> SET SETTINGS <===\n", "WriteData = 26 \n",
                         "0x0000: 1B A4 00 16 50 E0 82 C2 ....P...\r\n", "dwRet = 269 \n", "WriteData = 171 \n"},
                        &missing))
        << missing << "\n" << Printable(run.panel.DebugLines());
  }
  const K40Machine::State held = StateIn(state);
  EXPECT_EQ(held.settings[2], 5);
  EXPECT_EQ(held.settings[9], 1);
  EXPECT_EQ(held.settings[13], 5);
  EXPECT_EQ(InfoText(held, 163, 20), "CLIENTE NOVO        ");
  EXPECT_EQ(InfoText(held, 62, 20), "PAPELARIA SAO BENTO ") << "unchanged fields go back as they came";
  EXPECT_EQ(held.systemInfo[157 - 10], 0);

  PanelRun again(state);
  ASSERT_NE(again.tab, nullptr);
  HWND settings = again.Page(0);
  EXPECT_EQ(Selected(settings, 1020), 5);
  EXPECT_EQ(Send(GetDlgItem(settings, 1059), BM_GETCHECK), BST_CHECKED);
  EXPECT_EQ(ItemText(settings, 1023), "5");
  HWND advanced = again.Page(1);
  EXPECT_EQ(ItemText(advanced, 1039), "CLIENTE NOVO");
  EXPECT_EQ(Selected(advanced, 1058), 0);
  again.Close();
}

TEST(SettingsFile, ASavedFileBringsTheMachinesValuesBack) {
  const std::string state = kWorkDir + "\\settings-file-state.dat";
  const std::string file = kWorkDir + "\\e2e-saved";
  DeleteFileA(state.c_str());
  DeleteFileA((file + ".STF").c_str());
  PanelRun run(state);
  ASSERT_NE(run.tab, nullptr) << Printable(run.panel.DebugLines());
  // Typed without extension; the save reads the machine's advanced values
  // first (the page was never opened), after the dialog has gone.
  ASSERT_TRUE(run.ChooseFile(40012, file));
  for (int i = 0; i < 300 && GetFileAttributesA((file + ".STF").c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
  std::ifstream saved(file + ".STF");
  std::vector<std::string> lines;
  for (std::string line; std::getline(saved, line);) lines.push_back(line.substr(0, line.find_last_not_of("\r ") + 1));
  ASSERT_EQ(lines.size(), 38u);
  EXPECT_EQ(lines[1], "Cassette #1 paper size=1");
  EXPECT_EQ(lines[26], "Serial number=K40BR0712345");

  HWND settings = run.Page(0);
  Choose(settings, 1017, 0);  // "Carta"
  Apply(settings);
  HWND advanced = run.Page(1);
  SetText(advanced, 1042, "CHANGED");
  Apply(advanced);
  ASSERT_EQ(StateIn(state).settings[0], 0);
  ASSERT_EQ(InfoText(StateIn(state), 249, 20), "CHANGED             ");

  ASSERT_TRUE(run.ChooseFile(40011, file));
  EXPECT_EQ(Selected(settings, 1017), 1) << "both pages show the file at once";
  EXPECT_EQ(ItemText(advanced, 1042), "K40BR0712345");
  Apply(settings);
  Apply(advanced);
  run.Close();
  const K40Machine::State back = StateIn(state), factory = K40Machine::DefaultState();
  EXPECT_EQ(back.settings, factory.settings);
  EXPECT_EQ(back.systemInfo, factory.systemInfo);
  EXPECT_EQ(Count(run.panel.DebugLines(), "dwRet = 269 \n"), 2) << "the save's read and the page's";
}

}  // namespace

int main(int argc, char** argv) {
  StartWatchdog(280000);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
