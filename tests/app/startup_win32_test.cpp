// CPanelApp's start-up and shut-down in-process under Wine, with the emulated
// machine behind the seam: single copy, busy port, "Não responde" with Abort,
// Retry and Ignore, and a machine that answers.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/panel_app.h"
#include "app/port_search.h"
#include "app/shared_port.h"
#include "commands/device_data.h"
#include "emulator/k40_machine.h"
#include "link/device_link.h"
#include "tests/app/box_answerer.h"
#include "tests/app/machine_os.h"

namespace {

std::vector<uint32_t> releaseArgs;
int32_t RCP_WINAPI RefusePort(uint32_t) { return 0; }
int32_t RCP_WINAPI ReleasePort(uint32_t port) {
  releaseArgs.push_back(port);
  return 1;
}

// How many debugger lines had been written when each top-level dialog of
// this thread was made.
std::vector<size_t> dialogsMadeAt;
MachineOs* tracedOs = nullptr;

LRESULT CALLBACK NoteDialogs(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
    if (create->hwndParent == nullptr && create->lpszClass == MAKEINTATOM(32770) && tracedOs)
      dialogsMadeAt.push_back(tracedOs->debugLines.size());
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

class StartupWin32Test : public testing::Test {
 protected:
  void SetUp() override {
    ResetDeviceData();
    DeviceLink::Reset();
    ResetPortSearch();
    portSharingLibrary = nullptr;
    releaseArgs.clear();
    answerer.onMainWindow = [this](HWND main) {
      mainWindows.push_back(main);
      char text[128] = {};
      HWND tab = FindTab(main);
      int count = static_cast<int>(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
      std::vector<std::string> texts;
      for (int i = 0; i < count; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tab, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        texts.push_back(text);
      }
      tabs.push_back(texts);
      titles.push_back(BoxAnswerer::Text(main));
      PostMessageA(main, WM_COMMAND, MAKEWPARAM(1006, BN_CLICKED), 0);
    };
  }
  void TearDown() override {
    EXPECT_EQ(answerer.Unexpected(), 0) << "a message box nobody expected";
    ResetDeviceData();
    DeviceLink::Reset();
  }

  static HWND FindTab(HWND main) {
    HWND found = nullptr;
    EnumChildWindows(
        main,
        [](HWND child, LPARAM out) -> BOOL {
          char name[64] = {};
          GetClassNameA(child, name, sizeof name);
          if (lstrcmpiA(name, "SysTabControl32") != 0) return TRUE;
          *reinterpret_cast<HWND*>(out) = child;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  }

  MachineOs os;
  K40Machine machine;
  BoxAnswerer answerer;
  CPanelApp app;
  std::vector<HWND> mainWindows;
  std::vector<std::vector<std::string>> tabs;
  std::vector<std::string> titles;
};

// The scanner driver's profile lives in the Windows folder.
void SetDriverPortType(const char* value) {
  WritePrivateProfileStringA("PELORA DRIVER", "PortType", value, "PELORA.INI");
}
void RemoveDriverProfile() {
  char path[MAX_PATH] = {};
  GetWindowsDirectoryA(path, MAX_PATH);
  lstrcatA(path, "\\PELORA.INI");
  DeleteFileA(path);
}

TEST_F(StartupWin32Test, NoAnswerThenIgnoreOpensTheFirmwarePageAlone) {
  SetDriverPortType("3");
  answerer.Expect(IDIGNORE);
  answerer.Expect(IDOK);  // the firmware page's first display finds no machine either
  EXPECT_FALSE(app.Startup());
  ASSERT_EQ(answerer.boxes.size(), 2u);
  EXPECT_EQ(answerer.boxes[1].text, "Não responde");
  EXPECT_EQ(answerer.boxes[1].buttons, std::vector<int>{IDOK});
  const SeenBox& box = answerer.boxes[0];
  EXPECT_EQ(box.text, "Não responde");
  EXPECT_EQ(box.caption, "Dalvenor");
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(box.buttons, (std::vector<int>{IDABORT, IDRETRY, IDIGNORE}));
  // Wine reports Windows 7: NT 5 road, no USB library here, so the ECP device.
  EXPECT_EQ(DeviceLink::hostPlatform, HostPlatform::Nt5);
  EXPECT_EQ(DeviceLink::portKind, PortKind::Ecp1);
  EXPECT_EQ(os.opens, (std::vector<std::string>{"\\\\.\\QordEcp1", "\\\\.\\QordEcp1", "\\\\.\\QordEcp1"}))
      << "two inquiries and the firmware page's system information, each failing to open the port";
  ASSERT_EQ(tabs.size(), 1u);
  EXPECT_EQ(tabs[0], std::vector<std::string>{"Atualização do firmware"});
  EXPECT_FALSE(inquiryAnswered);
  EXPECT_EQ(speedDialCount, 0);
  EXPECT_EQ(phonebookTable, nullptr);
  EXPECT_EQ(app.m_portType, 3) << "the driver's port choice is kept";
  app.Shutdown();
  RemoveDriverProfile();
}

TEST_F(StartupWin32Test, RetrySearchesAgainAndAbortEnds) {
  SetDriverPortType("7");
  answerer.Expect(IDRETRY);
  answerer.Expect(IDABORT);
  EXPECT_FALSE(app.Startup());
  EXPECT_EQ(answerer.boxes.size(), 2u);
  EXPECT_EQ(os.loads, (std::vector<std::string>{"portlend.dll", "usbduct.dll", "usbduct.dll"}))
      << "an absent USB library is looked for again on Retry";
  EXPECT_EQ(os.opens.size(), 4u);
  EXPECT_TRUE(mainWindows.empty());
  EXPECT_EQ(app.m_portType, 1) << "values outside 1 to 3 count as 1";
  app.Shutdown();
  RemoveDriverProfile();
}

TEST_F(StartupWin32Test, AnsweringMachineGetsTheFullPanelAndATable) {
  os.machine = &machine;
  tracedOs = &os;
  dialogsMadeAt.clear();
  HHOOK hook = SetWindowsHookExA(WH_CBT, &NoteDialogs, nullptr, GetCurrentThreadId());
  EXPECT_FALSE(app.Startup());
  UnhookWindowsHookEx(hook);
  tracedOs = nullptr;
  // The main window was made while the machine worked on the inquiry: after
  // the request, before the answer; its first page read only after that.
  ASSERT_EQ(dialogsMadeAt.size(), 1u);
  const auto made = os.debugLines.begin() + static_cast<std::ptrdiff_t>(dialogsMadeAt[0]);
  const auto answer = std::find(os.debugLines.begin(), os.debugLines.end(), "Length = 39 \n");
  EXPECT_NE(std::find(os.debugLines.begin(), made, "WriteData = 8 \n"), made);
  EXPECT_TRUE(made <= answer) << "made before the inquiry's answer";
  EXPECT_EQ(std::count(os.debugLines.begin(), os.debugLines.end(), "Length = 23 \n"), 1)
      << "the settings page read once, after the answer";
  EXPECT_TRUE(std::find(answer, os.debugLines.end(), "Length = 23 \n") != os.debugLines.end());
  EXPECT_TRUE(answerer.boxes.empty());
  ASSERT_EQ(tabs.size(), 1u);
  EXPECT_EQ(tabs[0].size(), 5u);
  EXPECT_EQ(titles[0], "Dalvenor");
  EXPECT_TRUE(inquiryAnswered);
  EXPECT_TRUE(fullPanel);
  EXPECT_EQ(speedDialCount, 80);
  EXPECT_EQ(oneTouchCount, 0);
  ASSERT_NE(phonebookTable, nullptr);
  EXPECT_EQ(phonebookTable[79].name[0], '\0');
  app.Shutdown();
  EXPECT_EQ(phonebookTable, nullptr);
}

TEST_F(StartupWin32Test, AFirstPageThatGetsNoAnswerSaysSoBeforeTheWindowShows) {
  os.machine = &machine;
  machine.SetFault(MachineCommand::GetSettings, {MachineFault::Silent});
  answerer.Expect(IDOK);
  size_t boxesWhenShown = 0;
  auto record = answerer.onMainWindow;
  answerer.onMainWindow = [&](HWND main) {
    boxesWhenShown = answerer.boxes.size();
    record(main);
  };
  EXPECT_FALSE(app.Startup());
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].text, "Não responde");
  ASSERT_EQ(mainWindows.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].owner, mainWindows[0]) << "the box belongs to the main window";
  EXPECT_EQ(boxesWhenShown, 1u) << "told before the window shows";
  EXPECT_EQ(tabs[0].size(), 5u);
  app.Shutdown();
}

TEST_F(StartupWin32Test, BusyPortEndsAtOnceAndIsStillReleased) {
  os.libraries["portlend.dll"] = {{"PortAcquire", reinterpret_cast<void*>(&RefusePort)},
                                  {"PortRelease", reinterpret_cast<void*>(&ReleasePort)}};
  answerer.Expect(IDOK);
  EXPECT_FALSE(app.Startup());
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].text, "Porta está ocupada");
  EXPECT_EQ(answerer.boxes[0].caption, "Quillmark K40 Series");
  EXPECT_EQ(answerer.boxes[0].owner, nullptr);
  EXPECT_EQ(answerer.boxes[0].buttons, std::vector<int>{IDOK});
  EXPECT_EQ(os.loads, std::vector<std::string>{"portlend.dll"}) << "no port search";
  app.Shutdown();
  EXPECT_EQ(releaseArgs, std::vector<uint32_t>{8});
  EXPECT_EQ(os.debugLines, (std::vector<std::string>{"TRV 508 RCP: Port Acquire - FAILED",
                                                     "TRV 508 RCP: Port Release - TRUE\n"}));
}

TEST_F(StartupWin32Test, RunningCopyIsRestoredAndNothingElseHappens) {
  HWND other = CreateWindowA("STATIC", "Dalvenor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  ShowWindow(other, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(other));
  // Declared only for newer Windows targets than the program's.
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto setDllDirectory = reinterpret_cast<BOOL(WINAPI*)(LPCSTR)>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
  auto getDllDirectory = reinterpret_cast<DWORD(WINAPI*)(DWORD, LPSTR)>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "GetDllDirectoryA")));
  ASSERT_TRUE(setDllDirectory && getDllDirectory);
  setDllDirectory("C:\\");
  EXPECT_FALSE(app.Startup());
  char dllDirectory[MAX_PATH] = "x";
  getDllDirectory(MAX_PATH, dllDirectory);
  EXPECT_STREQ(dllDirectory, "") << "the current directory is no longer searched for libraries";
  EXPECT_FALSE(IsIconic(other));
  EXPECT_TRUE(os.loads.empty()) << "the port-sharing library is not touched";
  EXPECT_TRUE(answerer.boxes.empty());
  DestroyWindow(other);
  app.Shutdown();
}

}  // namespace
