// The "Configurações" page in the main window under Wine against the
// emulated machine: lists, reads and writes with their bytes, trace, waits
// and boxes, the numbers' limits and arrows, refills after a file load.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "tests/pages/settings_fixture.h"

namespace settings_test {
namespace {

using Carried = std::array<uint8_t, 17>;

Bytes SetRequest(const Carried& carried) {
  Bytes request(26);
  const uint8_t head[9] = {0x1B, 0xA4, 0x00, 0x16, 0x50, 0xE0, 0x82, 0xC2, 0x41};
  std::copy(carried.begin(), carried.end(), std::copy(head, head + 9, request.begin()));
  return request;
}

class SettingsPageTest : public PanelFixture {};

TEST_F(SettingsPageTest, CreationFillsEveryListAndShowsTheMachinesSettings) {
  Open();
  EXPECT_EQ(machine.RequestKinds(), std::vector<MachineCommand>{MachineCommand::GetSettings});
  EXPECT_GE(os.virtualMs, 1500u) << "the command's 1000 ms and the page's 500 ms";
  HWND page = SettingsPage();
  const std::vector<std::pair<int, std::vector<std::string>>> lists = {
      {1017, {"Carta", "A4", "Ofício I"}},
      {1019, {"Carta", "A4", "Ofício I"}},
      {1020, {"Papel comum", "Normal", "Transparências", "Cartão", "Etiquetas", "Pré-impresso", "Papel em cores",
              "Envelope"}},
      {1018, {"Desl", "Lig", "Em erro"}},
      {1024, {"*0*", "*1*", "*2*", "*3*", "*4*", "*5*", "*6*", "*7*", "*8*", "*9*"}},
      {1053, {"12 horas", "24 horas"}},
      {1000, {"5", "10", "15", "30", "45"}},
      {1022, {"Letter", "A4", "Legal"}},
      {1081, {"Off", "15 sec", "30 sec", "60 sec", "180 sec"}}};
  for (const auto& [id, entries] : lists) EXPECT_EQ(Entries(page, id), entries) << "list " << id;
  for (int id : {1022, 1081, 1084, 1085, 1086}) EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, id))) << id;
  for (int id : {1021, 1023, 1025, 1026}) EXPECT_EQ(SendMessageA(GetDlgItem(page, id), EM_GETLIMITTEXT, 0, 0), 2);
  // The machine holds A4, A4, plain paper, "Em erro", *5*, 24 hours, 10 minutes.
  const std::pair<int, int> selections[] = {{1017, 1}, {1019, 1}, {1020, 0}, {1018, 2}, {1024, 5}, {1053, 1},
                                            {1000, 1}};
  for (const auto& [id, index] : selections) EXPECT_EQ(Selected(page, id), index) << "list " << id;
  EXPECT_TRUE(Checked(page, 1003) && IsWindowEnabled(GetDlgItem(page, 1000)));
  EXPECT_FALSE(Checked(page, 1059));
  EXPECT_EQ(ItemText(page, 1021) + ItemText(page, 1023) + ItemText(page, 1026) + ItemText(page, 1025), "10237");
}

TEST_F(SettingsPageTest, ApplyRightAfterRefreshSendsBackTheBytesReceived) {
  const Carried odd = {2, 0, 9, 1, 0, 9, 0, 0, 1, 1, 200, 0, 99, 8, 0, 1, 7};
  std::copy(odd.begin(), odd.end(), machine.state().settings.begin());
  Open();
  HWND page = SettingsPage();
  Press(page, IDC_REFRESH);
  EXPECT_EQ(Selected(page, 1020), -1) << "no entry for 9";
  EXPECT_TRUE(Checked(page, 1002));
  EXPECT_EQ(Selected(page, 1000), 2) << "\"15\" in the grey list";
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1000)));
  os.debugLines.clear();
  uint64_t before = os.virtualMs;
  Press(page, IDC_APPLY);
  EXPECT_EQ(LastRequest(), SetRequest(odd));
  ASSERT_EQ(os.debugLines.size(), 6u);  // banner, count, four dump lines
  EXPECT_EQ(os.debugLines[0], "===> SET SETTINGS <===\n");
  EXPECT_EQ(os.debugLines[1], "WriteData = 26 \n");
  EXPECT_EQ(os.debugLines[2], "0x0000: 1B A4 00 16 50 E0 82 C2 ....P...\r\n");
  EXPECT_GE(os.virtualMs - before, 1000u) << "500 ms in the command, 500 on the page";
}

TEST_F(SettingsPageTest, EachControlWritesItsByteAtOnceAndAplicarSendsIt) {
  Open();
  HWND page = SettingsPage();
  struct Case {
    std::function<void()> change;
    int field;
    uint8_t value;
  };
  const Case cases[] = {
      {[&] { Choose(page, 1017, 2); }, 0, 2}, {[&] { Choose(page, 1019, 0); }, 1, 0},
      {[&] { Choose(page, 1020, 7); }, 2, 7}, {[&] { Choose(page, 1018, 0); }, 3, 0},
      {[&] { Press(page, 1056); }, 4, 0},     {[&] { Choose(page, 1024, 9); }, 5, 9},
      {[&] { Choose(page, 1000, 3); }, 6, 4}, {[&] { Press(page, 1002); }, 6, 0},
      {[&] { Press(page, 1028); }, 7, 0},     {[&] { Press(page, 1058); }, 8, 0},
      {[&] { Press(page, 1059); }, 9, 1},     {[&] { Type(page, 1021, "25"); }, 10, 25},
      {[&] { Type(page, 1026, "12"); }, 11, 12}, {[&] { Type(page, 1025, "0"); }, 12, 0},
      {[&] { Type(page, 1023, "5"); }, 13, 5},   {[&] { Press(page, 1029); }, 14, 0},
      {[&] { Press(page, 1057); }, 15, 0},       {[&] { Choose(page, 1053, 0); }, 16, 0}};
  Carried expected;
  std::copy(machine.state().settings.begin(), machine.state().settings.end(), expected.begin());
  for (const Case& c : cases) {
    c.change();
    expected[c.field] = c.value;
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(&settingsBlock)[c.field], c.value) << "field " << c.field;
    Press(page, IDC_APPLY);
    EXPECT_EQ(LastRequest(), SetRequest(expected)) << "field " << c.field;
  }
  EXPECT_TRUE(answerer.boxes.empty());
}

TEST_F(SettingsPageTest, NumbersAreLimitedWhenTheFocusLeavesAndSteppedByTheArrows) {
  Open();
  HWND page = SettingsPage();
  constexpr int kFocusLeaves = -1;
  struct Case {
    int edit, scrollBar;
    const char* typed;
    int action;
    const char *storedAtOnce, *shown;
    uint8_t SettingsBlock::*field;
  } cases[] = {
      {1023, 1097, "9", kFocusLeaves, "9", "7", &SettingsBlock::ringsToAnswer},
      {1021, 1096, "-1", kFocusLeaves, "255", "0", &SettingsBlock::discardSize},
      {1026, 1099, "", kFocusLeaves, "0", "1", &SettingsBlock::redialInterval},
      {1023, 1097, "7", SB_LINEUP, "7", "7", &SettingsBlock::ringsToAnswer},
      {1023, 1097, "1", SB_LINEDOWN, "1", "1", &SettingsBlock::ringsToAnswer},
      {1021, 1096, "", SB_LINEDOWN, "0", "0", &SettingsBlock::discardSize},
      {1021, 1096, "", SB_LINEUP, "0", "1", &SettingsBlock::discardSize},
      {1026, 1099, "99", SB_LINEDOWN, "99", "98", &SettingsBlock::redialInterval},
      {1025, 1098, "05", SB_ENDSCROLL, "5", "5", &SettingsBlock::redialCount}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "edit " << c.edit << " \"" << c.typed << "\" action " << c.action);
    Type(page, c.edit, c.typed);
    EXPECT_EQ(std::to_string(settingsBlock.*c.field), c.storedAtOnce);
    if (c.action == kFocusLeaves)
      FocusOn(page, 1017);
    else
      SendMessageA(page, WM_VSCROLL, MAKEWPARAM(c.action, 0), reinterpret_cast<LPARAM>(GetDlgItem(page, c.scrollBar)));
    Pump();
    EXPECT_EQ(ItemText(page, c.edit), c.shown);
    EXPECT_EQ(std::to_string(settingsBlock.*c.field), c.shown);
    if (c.action != kFocusLeaves) {
      EXPECT_EQ(GetFocus(), GetDlgItem(page, c.edit));
    }
  }
  EXPECT_TRUE(answerer.boxes.empty()) << "no message for a corrected number";
}

TEST_F(SettingsPageTest, FailuresShowOneBoxEachAndKeepThePage) {
  answerer.Expect(IDOK);
  Open(/*withMachine=*/false);
  HWND page = SettingsPage();
  for (int id : {1017, 1019, 1020, 1018, 1024, 1053, 1000, 1022, 1081}) EXPECT_EQ(Selected(page, id), 0) << id;
  EXPECT_TRUE(Checked(page, 1002) && !IsWindowEnabled(GetDlgItem(page, 1000)));
  EXPECT_EQ(ItemText(page, 1021), "");
  answerer.Expect(IDOK);
  Press(page, IDC_APPLY);
  ASSERT_EQ(answerer.boxes.size(), 2u);
  for (const SeenBox& box : answerer.boxes) {
    EXPECT_EQ(box.text, "Não responde");
    EXPECT_EQ(box.owner, Main());
  }
  os.machine = &machine;
  Press(page, IDC_APPLY);
  EXPECT_EQ(LastRequest(), SetRequest(Carried{})) << "sent once the machine is back";
}

TEST_F(SettingsPageTest, AShortReplyIsNoAnswerEvenWhenItSaysSo) {
  machine.SetFault(MachineCommand::GetSettings, {MachineFault::ShortDeclared, 20});
  answerer.Expect(IDOK);
  Open();
  HWND page = SettingsPage();
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].text, "Não responde");
  EXPECT_EQ(Selected(page, 1017), 0) << "nothing taken from the reply";
  EXPECT_EQ(ItemText(page, 1021), "");
}

TEST_F(SettingsPageTest, ARefillAfterAFileLoadShowsTheRecordWithoutTheMachine) {
  Open();
  HWND page = SettingsPage();
  settingsBlock.powerSave = 3;
  settingsBlock.autoClearTimeout = 7;
  settingsPage->FillFromRecord();
  EXPECT_TRUE(Checked(page, 1003));
  EXPECT_EQ(Selected(page, 1000), 2) << "\"15\"";
  EXPECT_EQ(Selected(page, 1081), -1);
  Press(page, 1059);
  EXPECT_EQ(settingsBlock.autoClearTimeout, 255) << "no entry: the next store writes 255";
  Choose(page, 1000, 4);
  settingsBlock.powerSave = 0;
  settingsBlock.autoClearTimeout = 4;
  settingsPage->FillFromRecord();
  EXPECT_TRUE(Checked(page, 1002));
  EXPECT_EQ(Selected(page, 1000), 4) << "power save off keeps the minutes shown";
  Press(page, 1059);
  Press(page, 1059);
  EXPECT_EQ(settingsBlock.autoClearTimeout, 4);
  EXPECT_EQ(Count(MachineCommand::GetSettings), 1u);
}

}  // namespace
}  // namespace settings_test
