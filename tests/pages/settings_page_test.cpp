// The "Configurações" page in the main window under Wine, against the
// emulated machine: its lists, the reads and writes with their bytes, waits,
// trace and boxes, the numbers with their limits and arrows, power save.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "tests/pages/settings_fixture.h"

namespace settings_test {
namespace {

using Carried = std::array<uint8_t, 17>;

Bytes SetSettingsRequest(const Carried& carried) {
  const uint8_t head[9] = {0x1B, 0xA4, 0x00, 0x16, 0x50, 0xE0, 0x82, 0xC2, 0x41};
  Bytes request(sizeof head + carried.size());
  std::copy(std::begin(head), std::end(head), request.begin());
  std::copy(carried.begin(), carried.end(), request.begin() + sizeof head);
  return request;
}

class SettingsPageTest : public PanelFixture {};

TEST_F(SettingsPageTest, CreationFillsEveryListAndShowsTheMachinesSettings) {
  Open();
  EXPECT_EQ(Kinds(), std::vector<MachineCommand>{MachineCommand::GetSettings});
  EXPECT_TRUE(Traced("Length = 23 \n"));
  EXPECT_GE(os.virtualMs, 1500u) << "the command's 1000 ms and the page's 500 ms";
  EXPECT_TRUE(answerer.boxes.empty());
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
      {1081, {"Off", "15 sec", "30 sec", "60 sec", "180 sec"}},
  };
  for (const auto& [id, entries] : lists) EXPECT_EQ(Entries(page, id), entries) << "list " << id;
  for (int id : {1022, 1081, 1084, 1085, 1086})
    EXPECT_FALSE(GetWindowLongA(GetDlgItem(page, id), GWL_STYLE) & WS_VISIBLE) << "control " << id;
  for (int id : {1021, 1023, 1025, 1026})
    EXPECT_EQ(SendMessageA(GetDlgItem(page, id), EM_GETLIMITTEXT, 0, 0), 2) << "edit " << id;

  // The machine's settings: A4, A4, plain paper, on error, journal, *5*,
  // 10 minutes, ECM, Rx reduction, discard 10, redial 3 min / 7 times,
  // 2 rings, memory transmission, local ID, 24 hours.
  const std::vector<std::pair<int, int>> selections = {{1017, 1}, {1019, 1}, {1020, 0}, {1018, 2},
                                                       {1024, 5}, {1053, 1}, {1000, 1}, {1022, 0}, {1081, 0}};
  for (const auto& [id, index] : selections) EXPECT_EQ(Selected(page, id), index) << "list " << id;
  const std::vector<std::pair<int, bool>> checks = {{1056, true}, {1057, true},  {1058, true},
                                                    {1059, false}, {1028, true}, {1029, true}};
  for (const auto& [id, on] : checks) EXPECT_EQ(Checked(page, id), on) << "check box " << id;
  EXPECT_FALSE(Checked(page, 1002));
  EXPECT_TRUE(Checked(page, 1003));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, 1000)));
  EXPECT_EQ(ItemText(page, 1021), "10");
  EXPECT_EQ(ItemText(page, 1026), "3");
  EXPECT_EQ(ItemText(page, 1025), "7");
  EXPECT_EQ(ItemText(page, 1023), "2");
}

TEST_F(SettingsPageTest, ApplyRightAfterRefreshSendsBackTheBytesReceived) {
  // Values the page cannot show are carried through untouched as well.
  const Carried odd = {2, 0, 9, 1, 0, 9, 0, 0, 1, 1, 200, 0, 99, 8, 0, 1, 7};
  std::copy(odd.begin(), odd.end(), machine.state().settings.begin());
  Open();
  HWND page = SettingsPage();
  Press(page, IDC_REFRESH);
  EXPECT_EQ(Selected(page, 1020), -1);
  EXPECT_EQ(Selected(page, 1053), -1);
  EXPECT_TRUE(Checked(page, 1002)) << "power save off";
  EXPECT_EQ(Selected(page, 1000), 2) << "\"15\" in the disabled list";
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1000)));
  EXPECT_EQ(ItemText(page, 1021), "200");

  os.debugLines.clear();
  uint64_t before = os.virtualMs;
  Press(page, IDC_APPLY);
  EXPECT_EQ(LastRequest(), SetSettingsRequest(odd));
  EXPECT_EQ(Count(MachineCommand::GetSettings), 2u);
  ASSERT_GE(os.debugLines.size(), 6u);
  EXPECT_EQ(os.debugLines[0], "===> SET SETTINGS <===\n");
  EXPECT_EQ(os.debugLines[1], "WriteData = 26 \n");
  EXPECT_EQ(os.debugLines[2], "0x0000: 1B A4 00 16 50 E0 82 C2 ....P...\r\n");
  EXPECT_GE(os.virtualMs - before, 1000u) << "the command's 500 ms and the page's 500 ms";
  EXPECT_TRUE(answerer.boxes.empty());
}

TEST_F(SettingsPageTest, EachControlChangesItsOwnByteOfTheRequest) {
  Open();
  HWND page = SettingsPage();
  struct Case {
    const char* what;
    std::function<void()> change;
    int field;  // position among the 17 carried bytes
    uint8_t expected;
  };
  const std::vector<Case> cases = {
      {"tray size", [&] { Choose(page, 1017, 2); }, 0, 2},
      {"bypass size", [&] { Choose(page, 1019, 0); }, 1, 0},
      {"paper type", [&] { Choose(page, 1020, 7); }, 2, 7},
      {"sending confirmation", [&] { Choose(page, 1018, 0); }, 3, 0},
      {"auto journal", [&] { Press(page, 1056); }, 4, 0},
      {"remote code", [&] { Choose(page, 1024, 9); }, 5, 9},
      {"minutes", [&] { Choose(page, 1000, 4); }, 6, 5},
      {"power save off", [&] { Press(page, 1002); }, 6, 0},
      {"ECM", [&] { Press(page, 1028); }, 7, 0},
      {"Rx reduction", [&] { Press(page, 1058); }, 8, 0},
      {"horizontal reduction", [&] { Press(page, 1059); }, 9, 1},
      {"discard", [&] { Retype(page, 1021, "25"); }, 10, 25},
      {"redial interval", [&] { Retype(page, 1026, "12"); }, 11, 12},
      {"redial count", [&] { Retype(page, 1025, "0"); }, 12, 0},
      {"rings", [&] { Retype(page, 1023, "5"); }, 13, 5},
      {"memory transmission", [&] { Press(page, 1029); }, 14, 0},
      {"local ID", [&] { Press(page, 1057); }, 15, 0},
      {"clock", [&] { Choose(page, 1053, 0); }, 16, 0},
  };
  Carried expected;
  std::copy(machine.state().settings.begin(), machine.state().settings.end(), expected.begin());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.change();
    expected[c.field] = c.expected;
    // Written into the record at once; "Aplicar" only sends it.
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(&settingsBlock)[c.field], c.expected);
    Press(page, IDC_APPLY);
    EXPECT_EQ(LastRequest(), SetSettingsRequest(expected));
  }
  EXPECT_EQ(Carried(machine.state().settings), expected) << "the machine took them";
  EXPECT_TRUE(answerer.boxes.empty());
}

TEST_F(SettingsPageTest, NumbersAreStoredAsTypedAndLimitedWhenTheFocusLeaves) {
  Open();
  HWND page = SettingsPage();
  struct Case {
    int edit;
    const char* typed;
    uint8_t storedAtOnce;
    const char* shownAfter;
    uint8_t storedAfter;
    uint8_t SettingsBlock::*field;
  } cases[] = {
      {1023, "9", 9, "7", 7, &SettingsBlock::ringsToAnswer},
      {1023, "0", 0, "1", 1, &SettingsBlock::ringsToAnswer},
      {1021, "-1", 255, "0", 0, &SettingsBlock::discardSize},
      {1021, "31", 31, "30", 30, &SettingsBlock::discardSize},
      {1026, "", 0, "1", 1, &SettingsBlock::redialInterval},
      {1026, "15", 15, "15", 15, &SettingsBlock::redialInterval},
      {1025, "14", 14, "13", 13, &SettingsBlock::redialCount},
      {1025, "0", 0, "0", 0, &SettingsBlock::redialCount},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "edit " << c.edit << " typed \"" << c.typed << '"');
    Retype(page, c.edit, c.typed);
    if (c.typed[0] == '\0') SendMessageA(GetDlgItem(page, c.edit), WM_CLEAR, 0, 0);
    Pump();
    EXPECT_EQ(settingsBlock.*c.field, c.storedAtOnce);
    FocusOn(page, 1017);
    EXPECT_EQ(ItemText(page, c.edit), c.shownAfter);
    EXPECT_EQ(settingsBlock.*c.field, c.storedAfter);
  }
  // A number set from outside beyond two characters is limited all the same.
  SetDlgItemTextA(page, 1025, "99999999999");
  FocusOn(page, 1025);
  FocusOn(page, 1017);
  EXPECT_EQ(ItemText(page, 1025), "13");
  EXPECT_TRUE(answerer.boxes.empty()) << "no message for a corrected number";
}

TEST_F(SettingsPageTest, ArrowsStepTheNumberBesideThem) {
  Open();
  HWND page = SettingsPage();
  struct Case {
    int scrollBar, edit;
    const char* text;  // typed before the arrow
    int code;
    const char* shown;
    uint8_t stored;
    uint8_t SettingsBlock::*field;
  } cases[] = {
      {1097, 1023, "7", SB_LINEUP, "7", 7, &SettingsBlock::ringsToAnswer},
      {1097, 1023, "1", SB_LINEDOWN, "1", 1, &SettingsBlock::ringsToAnswer},
      {1097, 1023, "3", SB_LINEUP, "4", 4, &SettingsBlock::ringsToAnswer},
      {1096, 1021, "", SB_LINEDOWN, "0", 0, &SettingsBlock::discardSize},
      {1096, 1021, "", SB_LINEUP, "1", 1, &SettingsBlock::discardSize},
      {1096, 1021, "30", SB_LINEUP, "30", 30, &SettingsBlock::discardSize},
      {1099, 1026, "99", SB_LINEDOWN, "98", 98, &SettingsBlock::redialInterval},
      {1099, 1026, "1", SB_LINEDOWN, "1", 1, &SettingsBlock::redialInterval},
      {1098, 1025, "05", SB_ENDSCROLL, "5", 5, &SettingsBlock::redialCount},
      {1098, 1025, "13", SB_LINEUP, "13", 13, &SettingsBlock::redialCount},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "scroll bar " << c.scrollBar << " on \"" << c.text << "\" code " << c.code);
    Retype(page, c.edit, c.text);
    if (c.text[0] == '\0') SendMessageA(GetDlgItem(page, c.edit), WM_CLEAR, 0, 0);
    SendMessageA(page, WM_VSCROLL, MAKEWPARAM(c.code, 0), reinterpret_cast<LPARAM>(GetDlgItem(page, c.scrollBar)));
    Pump();
    EXPECT_EQ(ItemText(page, c.edit), c.shown);
    EXPECT_EQ(settingsBlock.*c.field, c.stored);
    EXPECT_EQ(GetFocus(), GetDlgItem(page, c.edit));
    DWORD start = 1, end = 0;
    SendMessageA(GetDlgItem(page, c.edit), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, std::string(c.shown).size()) << "the whole number selected";
  }
}

TEST_F(SettingsPageTest, AMouseClickOnAnArrowStepsTheNumber) {
  Open();
  HWND page = SettingsPage();
  Retype(page, 1023, "3");
  HWND bar = GetDlgItem(page, 1097);
  RECT box;
  GetClientRect(bar, &box);
  // The bottom arrow, then the top one; the button goes up again at once.
  for (LPARAM at : {MAKELPARAM(box.right / 2, box.bottom - 2), MAKELPARAM(box.right / 2, 2)}) {
    PostMessageA(bar, WM_LBUTTONUP, 0, at);
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Pump();
    if (at == MAKELPARAM(box.right / 2, box.bottom - 2)) EXPECT_EQ(ItemText(page, 1023), "2");
  }
  EXPECT_EQ(ItemText(page, 1023), "3");
  EXPECT_EQ(settingsBlock.ringsToAnswer, 3);
}

TEST_F(SettingsPageTest, PowerSaveRadiosAndMinutes) {
  Open();
  HWND page = SettingsPage();
  Press(page, 1002);
  EXPECT_EQ(settingsBlock.powerSave, 0);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1000)));
  Choose(page, 1000, 3);  // "30", chosen from outside while grey
  EXPECT_EQ(settingsBlock.powerSave, 0);
  Press(page, 1003);
  EXPECT_EQ(settingsBlock.powerSave, 4);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, 1000)));
  Choose(page, 1000, 0);
  EXPECT_EQ(settingsBlock.powerSave, 1);
}

TEST_F(SettingsPageTest, FailedReadAtCreationLeavesTheFirstEntriesAndOneBox) {
  answerer.Expect(IDOK);
  Open(/*withMachine=*/false);
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].text, "Não responde");
  EXPECT_EQ(answerer.boxes[0].caption, "Dalvenor");
  EXPECT_EQ(answerer.boxes[0].owner, Main());
  HWND page = SettingsPage();
  for (int id : {1017, 1019, 1020, 1018, 1024, 1053, 1000, 1022, 1081}) EXPECT_EQ(Selected(page, id), 0) << id;
  for (int id : {1056, 1057, 1058, 1059, 1028, 1029}) EXPECT_FALSE(Checked(page, id)) << id;
  EXPECT_TRUE(Checked(page, 1002));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1000)));
  for (int id : {1021, 1023, 1025, 1026}) EXPECT_EQ(ItemText(page, id), "") << id;
  EXPECT_EQ(settingsBlock.discardSize, 0);

  // "Aplicar" fails the same way; once the machine is back it goes through.
  answerer.Expect(IDOK);
  Press(page, IDC_APPLY);
  ASSERT_EQ(answerer.boxes.size(), 2u);
  EXPECT_EQ(answerer.boxes[1].text, "Não responde");
  os.machine = &machine;
  Press(page, IDC_APPLY);
  EXPECT_EQ(LastRequest(), SetSettingsRequest(Carried{}));
  EXPECT_EQ(answerer.boxes.size(), 2u);
}

TEST_F(SettingsPageTest, FailedRefreshKeepsThePageAndTheRecord) {
  Open();
  HWND page = SettingsPage();
  Retype(page, 1023, "5");
  SettingsBlock before = settingsBlock;
  machine.state().settings[0] = 0;
  machine.SetFault(MachineCommand::GetSettings, {MachineFault::Silent});
  answerer.Expect(IDOK);
  Press(page, IDC_REFRESH);
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].text, "Não responde");
  EXPECT_EQ(ItemText(page, 1023), "5");
  EXPECT_EQ(Selected(page, 1017), 1);
  EXPECT_EQ(std::memcmp(&before, &settingsBlock, sizeof before), 0);
}

TEST_F(SettingsPageTest, AShortReplyThatSaysSoZeroesTheSettingsNotSent) {
  // 20 bytes declaring 16: the settings from discard size on are not sent.
  machine.SetFault(MachineCommand::GetSettings, {MachineFault::ShortDeclared, 20});
  Open();
  HWND page = SettingsPage();
  EXPECT_TRUE(answerer.boxes.empty());
  EXPECT_EQ(Selected(page, 1017), 1) << "sent";
  EXPECT_TRUE(Checked(page, 1058)) << "sent";
  for (int id : {1021, 1023, 1025, 1026}) EXPECT_EQ(ItemText(page, id), "0") << id;
  EXPECT_FALSE(Checked(page, 1029));
  EXPECT_FALSE(Checked(page, 1057));
  EXPECT_EQ(Selected(page, 1053), 0);
  EXPECT_TRUE(Traced("Length = 16 \n"));
}

TEST_F(SettingsPageTest, ValuesWithoutAnEntryAreStoredAs255AndHiddenListsKeepTheirs) {
  machine.state().settings[2] = 9;  // bypass paper type
  Open();
  HWND page = SettingsPage();
  EXPECT_EQ(Selected(page, 1020), -1);
  EXPECT_EQ(settingsBlock.bypassPaperType, 9) << "nothing stored yet";
  Press(page, 1059);
  EXPECT_EQ(settingsBlock.bypassPaperType, 255);
  Press(page, IDC_APPLY);
  EXPECT_EQ(LastRequest()[9 + 2], 255);

  // A file load puts values into the record and the page shows them.
  settingsBlock.autoClearTimeout = 7;
  settingsBlock.cassette2PaperSize = 2;
  settingsBlock.powerSave = 3;
  settingsPage->FillFromRecord();
  EXPECT_EQ(Selected(page, 1081), -1);
  EXPECT_EQ(Selected(page, 1022), 2);
  EXPECT_TRUE(Checked(page, 1003));
  EXPECT_EQ(Selected(page, 1000), 2) << "\"15\"";
  Press(page, 1059);
  EXPECT_EQ(settingsBlock.autoClearTimeout, 255);
  EXPECT_EQ(settingsBlock.cassette2PaperSize, 2) << "a value with an entry survives every store";
  Choose(page, 1000, 4);
  settingsBlock.autoClearTimeout = 4;
  settingsBlock.powerSave = 0;
  settingsPage->FillFromRecord();
  EXPECT_TRUE(Checked(page, 1002));
  EXPECT_EQ(Selected(page, 1000), 4) << "a loaded power save off keeps the minutes shown";
  for (int i = 0; i < 3; ++i) Press(page, 1059);
  EXPECT_EQ(settingsBlock.autoClearTimeout, 4);
  EXPECT_EQ(Count(MachineCommand::GetSettings), 1u) << "no device traffic for a refill";
}

}  // namespace
}  // namespace settings_test
