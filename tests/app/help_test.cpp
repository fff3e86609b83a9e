// Help under Wine: the help engine at context 1 when the program's help file
// lies beside it and the engine answers; the user's guide beside the program,
// opened in the browser, when the file is missing or the engine is gone (as
// under Wine, whose engine the test environment disables, and on current
// Windows). Every help command takes the same road.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_panel.h"
#include "commands/device_data.h"
#include "emulator/k40_machine.h"
#include "link/device_link.h"
#include "res/resource.h"
#include "tests/app/box_answerer.h"
#include "tests/app/help_recorder.h"
#include "tests/app/machine_os.h"
#include "tests/pages/beep_recorder.h"

namespace {

struct EngineCall {
  std::string file;
  UINT command;
  ULONG_PTR context;
};
std::vector<EngineCall> engineCalls;
BOOL engineAnswer = TRUE;
BOOL WINAPI RecordEngine(HWND, LPCSTR file, UINT command, ULONG_PTR context) {
  engineCalls.push_back({file, command, context});
  return engineAnswer;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

struct HelpCase {
  const char* what;
  bool helpFile;           // the .HLP beside the program
  bool realEngine;         // Wine's WinHelpA instead of the recorder
  BOOL engineAnswer;       // the recorder's answer
  INT_PTR openerAnswer;    // the document opener's answer (above 32: opened)
  bool engineAsked;        // HELP_CONTEXT reached the recorder
  bool guideOpened;
  bool beeps;              // the refusal's beep, and nothing else
};

const HelpCase kCases[] = {
    {"help file and engine: the engine at context 1", true, false, TRUE, 42, true, false, false},
    {"help file, engine fails: the guide", true, false, FALSE, 42, true, true, false},
    {"no help file: the guide, the engine is not asked", false, false, TRUE, 42, false, true, false},
    {"help file, Wine's engine absent: the guide", true, true, TRUE, 42, false, true, false},
    {"no help file and no guide: a beep, no box", false, false, TRUE, ERROR_FILE_NOT_FOUND, false, true, true},
};

class HelpTest : public testing::TestWithParam<HelpCase> {
 protected:
  void SetUp() override {
    ResetDeviceData();
    DeviceLink::Reset();
    DeviceLink::hostPlatform = HostPlatform::Nt5;
    DeviceLink::portKind = PortKind::Lpt1;
    os.machine = &machine;
    engineCalls.clear();
    engineAnswer = GetParam().engineAnswer;
    CMainPanel::helpEngine = GetParam().realEngine ? &WinHelpA : &RecordEngine;
    if (GetParam().helpFile) helpFile.emplace();
  }
  void TearDown() override {
    panel.reset();
    Pump();
    EXPECT_EQ(answerer.Unexpected(), 0) << "help must not show a box of its own";
    CMainPanel::helpEngine = &WinHelpA;
    ResetDeviceData();
  }

  MachineOs os;
  K40Machine machine;
  BoxAnswerer answerer;
  std::optional<HelpFileBeside> helpFile;
  std::unique_ptr<CMainPanel> panel;
};

TEST_P(HelpTest, EveryHelpCommandTakesTheSameRoad) {
  const HelpCase& c = GetParam();
  DocumentRecorder documents(c.openerAnswer);
  BeepRecorder beeps;
  ASSERT_TRUE(beeps.Installed());
  panel = std::make_unique<CMainPanel>();
  ASSERT_NE(panel->Create(), nullptr);
  Pump();
  HWND main = panel->GetHwnd();

  // The help button, the standard Help command and "Conteúdo".
  SendMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_HELPBTN, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_HELPBTN)));
  SendMessageA(main, WM_COMMAND, MAKEWPARAM(ID_HELP_STANDARD, 0), 0);
  SendMessageA(main, WM_COMMAND, MAKEWPARAM(ID_HELP_CONTENTS, 0), 0);
  Pump();

  ASSERT_EQ(engineCalls.size(), c.engineAsked ? 3u : 0u) << c.what;
  for (const EngineCall& call : engineCalls) {
    EXPECT_EQ(call.file, CMainPanel::HelpFilePath());
    EXPECT_EQ(call.command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(call.context, 1u);
  }
  ASSERT_EQ(DocumentRecorder::opened.size(), c.guideOpened ? 3u : 0u) << c.what;
  for (const OpenedDocument& document : DocumentRecorder::opened) {
    EXPECT_EQ(document.owner, main);
    EXPECT_EQ(document.verb, "open");
    EXPECT_EQ(document.file, CMainPanel::GuideFilePath());
    EXPECT_EQ(document.show, SW_SHOWNORMAL);
  }
  EXPECT_EQ(beeps.beeps, c.beeps ? std::vector<UINT>(3, MB_OK) : std::vector<UINT>{}) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Help, HelpTest, testing::ValuesIn(kCases));

TEST(HelpFiles, BothLieBesideTheProgram) {
  char program[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string path = program;
  const std::string folder = path.substr(0, path.find_last_of('\\') + 1);
  const std::string base = path.substr(folder.size(), path.rfind('.') - folder.size());
  EXPECT_EQ(CMainPanel::HelpFilePath(), folder + base + ".HLP");
  EXPECT_EQ(CMainPanel::GuideFilePath(), folder + "guia.html");
}

}  // namespace
