// End-to-end tests of the Settings and Advanced pages and the settings file
// with the real rcpanel.exe from the demo folder: changes made on the pages
// reach the emulated machine, survive a restart of the panel through the
// machine's state file, and a saved file brings the machine's values back.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "emulator/k40_machine.h"
#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

constexpr DWORD kStartMs = 60000;
constexpr DWORD kExitMs = 20000;
// "Aplicar" on the Advanced page alone takes six and a half seconds.
constexpr DWORD kCommandMs = 30000;

constexpr int kRefresh = 1060;
constexpr int kApply = 1063;
constexpr UINT kLoadSettings = 40011;
constexpr UINT kSaveSettings = 40012;

std::string StatePath(const std::string& tag) { return kWorkDir + "\\" + tag + "-state.dat"; }

K40Machine::State StateIn(const std::string& path) {
  K40Machine machine;
  EXPECT_TRUE(machine.LoadState(path)) << "no state file " << path;
  return machine.state();
}

std::string InfoText(const K40Machine::State& state, int offset, int width) {
  return std::string(reinterpret_cast<const char*>(&state.systemInfo[offset - 10]), width);
}

// A command handled inside the page, waited for (it may talk to the machine
// for seconds); false when the panel did not finish it in time.
bool Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_NORMAL, kCommandMs, &result) != 0;
}
bool Click(HWND page, int id) {
  return Send(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}
// A check box clicked as the mouse does.
bool Toggle(HWND page, int id) { return Send(GetDlgItem(page, id), BM_CLICK, 0, 0); }
bool Choose(HWND page, int id, int index) {
  HWND combo = GetDlgItem(page, id);
  return Send(combo, CB_SETCURSEL, index, 0) &&
         Send(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}
bool SetText(HWND page, int id, const char* text) {
  return Send(GetDlgItem(page, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}
int Selected(HWND page, int id) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(page, id), CB_GETCURSEL, 0, 0, SMTO_NORMAL, kCommandMs, &result);
  return static_cast<int>(static_cast<LRESULT>(result));
}
bool Checked(HWND page, int id) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(page, id), BM_GETCHECK, 0, 0, SMTO_NORMAL, kCommandMs, &result);
  return result == BST_CHECKED;
}

// The standard file dialog of the panel (it has a file-name field).
struct DialogSearch {
  DWORD pid;
  HWND found;
};
BOOL CALLBACK FindFileDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (pid == search->pid && IsWindowVisible(window) && std::string(name) == "#32770" &&
      (GetDlgItem(window, 0x47C) || GetDlgItem(window, 0x480))) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// Gives the command `id` to the main window, types `path` into the file
// dialog it opens and presses OK; true once the dialog is gone.
bool ChooseInDialog(Panel& panel, HWND main, UINT id, const std::string& path) {
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  DialogSearch search{panel.pid(), nullptr};
  for (int i = 0; i < 300 && search.found == nullptr; ++i) {
    Sleep(100);
    EnumWindows(&FindFileDialog, reinterpret_cast<LPARAM>(&search));
  }
  if (search.found == nullptr) {
    std::fprintf(stderr, "no file dialog after command %u\n", id);
    return false;
  }
  Sleep(300);  // the dialog fills its own fields first
  HWND field = GetDlgItem(search.found, 0x47C) ? GetDlgItem(search.found, 0x47C) : GetDlgItem(search.found, 0x480);
  // The dialog refuses "/" in a name.
  std::string typed = path;
  for (char& c : typed)
    if (c == '/') c = '\\';
  Send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  for (int i = 0; i < 300 && IsWindow(search.found); ++i) Sleep(100);
  if (IsWindow(search.found)) {
    HWND box = WaitForMessageBox(panel, 0);
    std::fprintf(stderr, "the file dialog stayed open with \"%s\"; box: %s\n", WindowText(field).c_str(),
                 box ? ItemText(box, 0xFFFF).c_str() : "none");
    // Leave nothing open behind.
    if (box) PressButton(box, IDOK);
    Sleep(300);
    PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  }
  return !IsWindow(search.found);
}

struct Running {
  Panel& panel;
  HWND main = nullptr;
  HWND tab = nullptr;
};

HWND OpenPage(Running& run, int index) { return SelectPage(run.tab, index, kCommandMs); }

void Close(Running& run) {
  PostMessageA(run.main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(run.panel.WaitForExit(kExitMs)) << "the panel did not end";
}

std::vector<std::string> FileLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    // Values keep the blanks the machine pads its texts with; not these.
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

#define START_PANEL(run, panel)                                                            \
  ASSERT_TRUE((panel).started());                                                          \
  Running run{panel};                                                                      \
  run.main = WaitForMainWindow(panel, kStartMs);                                           \
  ASSERT_NE(run.main, nullptr) << "no main window\n" << Printable((panel).DebugLines());    \
  run.tab = FindTabControl(run.main);                                                      \
  ASSERT_NE(run.tab, nullptr)

TEST(SettingsRoundTrip, ChangesOnBothPagesReachTheMachineAndSurviveARestart) {
  const std::string state = StatePath("settings-roundtrip");
  DeleteFileA(state.c_str());
  {
    Panel panel("state=" + state);
    START_PANEL(run, panel);
    HWND settings = OpenPage(run, 0);
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(Selected(settings, 1020), 0) << "the machine's plain paper";
    ASSERT_TRUE(Choose(settings, 1020, 5));        // "Pré-impresso"
    ASSERT_TRUE(Toggle(settings, 1059));            // "Redução horizontal" on
    ASSERT_TRUE(SetText(settings, 1023, "5"));     // rings to answer
    ASSERT_TRUE(Click(settings, kApply));

    HWND advanced = OpenPage(run, 1);
    ASSERT_NE(advanced, nullptr);
    EXPECT_EQ(ItemText(advanced, 1039), "PAPELARIA SAO BENTO");
    ASSERT_TRUE(SetText(advanced, 1039, "CLIENTE NOVO"));
    ASSERT_TRUE(Choose(advanced, 1058, 0));        // "Inglês"
    ASSERT_TRUE(Click(advanced, kApply));
    EXPECT_EQ(WaitForMessageBox(panel, 500), nullptr) << "a page reported a failure";
    Close(run);

    const auto lines = panel.DebugLines();
    std::string missing;
    EXPECT_TRUE(InOrder(lines,
                        {"Length = 23 \n", "===> SET SETTINGS <===\n", "WriteData = 26 \n",
                         "0x0000: 1B A4 00 16 50 E0 82 C2 ....P...\r\n", "dwRet = 269 \n", "WriteData = 171 \n"},
                        &missing))
        << "missing or out of order: " << missing << "\n" << Printable(lines);
  }

  const K40Machine::State held = StateIn(state);
  EXPECT_EQ(held.settings[2], 5) << "bypass paper type";
  EXPECT_EQ(held.settings[9], 1) << "horizontal reduction";
  EXPECT_EQ(held.settings[13], 5) << "rings to answer";
  EXPECT_EQ(InfoText(held, 163, 20), "CLIENTE NOVO        ");
  EXPECT_EQ(held.systemInfo[157 - 10], 0) << "language";
  EXPECT_EQ(InfoText(held, 62, 20), "PAPELARIA SAO BENTO ") << "what was not changed is sent back as it was";

  Panel again("state=" + state);
  START_PANEL(run, again);
  HWND settings = OpenPage(run, 0);
  EXPECT_EQ(Selected(settings, 1020), 5);
  EXPECT_TRUE(Checked(settings, 1059));
  EXPECT_EQ(ItemText(settings, 1023), "5");
  HWND advanced = OpenPage(run, 1);
  EXPECT_EQ(ItemText(advanced, 1039), "CLIENTE NOVO");
  EXPECT_EQ(Selected(advanced, 1058), 0);
  Close(run);
}

TEST(SettingsFile, ASavedFileBringsTheMachinesValuesBack) {
  const std::string state = StatePath("settings-file");
  DeleteFileA(state.c_str());
  const std::string file = kWorkDir + "\\e2e-saved";
  DeleteFileA((file + ".STF").c_str());

  Panel panel("state=" + state);
  START_PANEL(run, panel);
  // Typed without extension; the Advanced page was never opened, so the
  // save reads the machine's advanced values first.
  ASSERT_TRUE(ChooseInDialog(panel, run.main, kSaveSettings, file));
  // The save reads the machine first, after the dialog has closed.
  for (int i = 0; i < 300 && GetFileAttributesA((file + ".STF").c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
  ASSERT_NE(GetFileAttributesA((file + ".STF").c_str()), INVALID_FILE_ATTRIBUTES) << "no file saved";
  std::vector<std::string> lines = FileLines(file + ".STF");
  ASSERT_EQ(lines.size(), 38u);
  EXPECT_EQ(lines[0], "[Settings]");
  EXPECT_EQ(lines[1], "Cassette #1 paper size=1");
  EXPECT_EQ(lines[20], "[Advanced]");
  EXPECT_EQ(lines[26], "Serial number=K40BR0712345");
  EXPECT_EQ(lines[37], "Notify toner low=1");

  // Change the machine from both pages.
  HWND settings = OpenPage(run, 0);
  ASSERT_TRUE(Choose(settings, 1017, 0));  // "Carta"
  ASSERT_TRUE(Click(settings, kApply));
  HWND advanced = OpenPage(run, 1);
  ASSERT_TRUE(SetText(advanced, 1042, "CHANGED"));
  ASSERT_TRUE(Click(advanced, kApply));
  K40Machine::State changed = StateIn(state);
  ASSERT_EQ(changed.settings[0], 0);
  ASSERT_EQ(InfoText(changed, 249, 20), "CHANGED             ");

  // Load the file: both pages show its values at once; "Aplicar" sends them.
  ASSERT_TRUE(ChooseInDialog(panel, run.main, kLoadSettings, file));
  EXPECT_EQ(Selected(settings, 1017), 1);
  EXPECT_EQ(ItemText(advanced, 1042), "K40BR0712345");
  ASSERT_TRUE(Click(settings, kApply));
  ASSERT_TRUE(Click(advanced, kApply));
  EXPECT_EQ(WaitForMessageBox(panel, 500), nullptr);
  Close(run);

  const K40Machine::State back = StateIn(state);
  const K40Machine::State factory = K40Machine::DefaultState();
  EXPECT_EQ(back.settings, factory.settings);
  EXPECT_EQ(InfoText(back, 249, 20), "K40BR0712345        ");
  EXPECT_EQ(InfoText(back, 163, 20), InfoText(factory, 163, 20));
  const auto lines2 = panel.DebugLines();
  EXPECT_EQ(Count(lines2, "dwRet = 269 \n"), 2) << "one read by the save, one by the Advanced page\n"
                                                 << Printable(lines2);
}

}  // namespace

int main(int argc, char** argv) {
  StartWatchdog(280000);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
