// The "Avançado" page in the main window under Wine, against the emulated
// machine: first opening and its reads, "Aplicar" and its bytes, when values
// reach the record, the filtering edits and the removal of characters the
// machine cannot keep.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "tests/pages/settings_fixture.h"
#include "widgets/filter_edit.h"

namespace settings_test {
namespace {

constexpr int kAdvancedPage = 1;

// The writable fields as the request carries them: reply bytes 42..81 and
// 147..268 of the machine's block.
Bytes WritablePayload(const K40Machine& machine) {
  const auto& block = machine.state().systemInfo;
  Bytes payload(40 + (block.size() - (147 - 10)));
  auto next = std::copy(block.begin() + (42 - 10), block.begin() + (82 - 10), payload.begin());
  std::copy(block.begin() + (147 - 10), block.end(), next);
  return payload;
}

// The whole request around `payload`.
Bytes AdvancedRequest(const Bytes& payload) {
  const uint8_t head[9] = {0x1B, 0xA4, 0x00, 0xA7, 0x50, 0xE0, 0x82, 0xC2, 0x40};
  Bytes request(sizeof head + payload.size());
  std::copy(payload.begin(), payload.end(), std::copy(std::begin(head), std::end(head), request.begin()));
  return request;
}

class AdvancedPageTest : public PanelFixture {
 protected:
  HWND OpenAdvanced() {
    Open();
    Select(kAdvancedPage);
    return AdvancedPage();
  }
  std::string Request(size_t offset, size_t width) const {
    Bytes r = LastRequest();
    return std::string(r.begin() + offset, r.begin() + offset + width);
  }
};

TEST_F(AdvancedPageTest, FirstOpeningReadsTheMachineOnceAndShowsTrimmedTexts) {
  Open();
  EXPECT_FALSE(advancedPageOpen);
  EXPECT_EQ(Count(MachineCommand::GetSystemInfo), 0u) << "not before the page is first shown";
  Select(kAdvancedPage);
  HWND page = AdvancedPage();
  EXPECT_TRUE(advancedPageOpen);
  EXPECT_EQ(Kinds(), (std::vector<MachineCommand>{MachineCommand::GetSettings, MachineCommand::GetSystemInfo}));
  EXPECT_TRUE(answerer.boxes.empty());

  const std::vector<std::pair<int, std::vector<std::string>>> lists = {
      {1022, {"TEL", "FAX", "TEL/FAX", "SEC/FAX"}},
      {1061, {"Desligado", "Ligado", "COM"}},
      {1062, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
      {1057, {"Lento", "Rápido"}},
      {1050, {"Desligado", "Borda longa", "Borda curta"}},
      {1058, {"Inglês", "Francês", "Espanhol", "Português", "Alemão", "Italiano", "Holandês", "Dinamarquês",
              "Sueco", "Finlandês", "Norueguês"}},
      {1064, {"Normal", "Texto aperfeiçoado", "Imagem aperfeiçoada"}},
  };
  for (const auto& [id, entries] : lists) EXPECT_EQ(Entries(page, id), entries) << "list " << id;

  struct Edit {
    int id, limit, inputClass;
    const char* shown;
    const char* record;
  } edits[] = {
      {1038, 20, NameText, "PAPELARIA SAO BENTO", systemInfo.terminalIdName},
      {1037, 20, DigitsPlus, "+55 11 3061 4400", systemInfo.terminalIdNumber},
      {1039, 20, NameText, "PAPELARIA SAO BENTO", systemInfo.customerName},
      {1040, 20, DialSpaced, "11 3061 4400", systemInfo.customerNumber},
      {1041, 46, DialSpaced, "ASSISTENCIA VELTRA 0800 771 2040", systemInfo.serviceNumber},
      {1042, 20, NameText, "K40BR0712345", systemInfo.serialNumber},
      {1001, 5, DialSpaced, "0", systemInfo.prefixDial},
  };
  for (const Edit& e : edits) {
    SCOPED_TRACE(testing::Message() << "edit " << e.id);
    HWND edit = GetDlgItem(page, e.id);
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), e.limit);
    auto* filter = dynamic_cast<CFilterEdit*>(CControl::FromHandle(edit));
    ASSERT_NE(filter, nullptr) << "not a filtering edit";
    EXPECT_EQ(filter->m_inputClass, e.inputClass);
    EXPECT_TRUE(GetWindowLongA(edit, GWL_STYLE) & ES_UPPERCASE);
    EXPECT_EQ(Text(edit), e.shown);
    EXPECT_STREQ(e.record, e.shown) << "the record lost its trailing blanks";
  }
  const std::vector<std::pair<int, int>> selections = {{1022, 2}, {1061, 2}, {1062, 5}, {1057, 1},
                                                       {1050, 0}, {1058, 3}, {1064, 0}};
  for (const auto& [id, index] : selections) EXPECT_EQ(Selected(page, id), index) << "list " << id;
  EXPECT_TRUE(Checked(page, 1051));
  EXPECT_TRUE(Checked(page, 1052));
  EXPECT_FALSE(Checked(page, 1054));
  EXPECT_TRUE(Checked(page, 1055));
}

TEST_F(AdvancedPageTest, ASecondReadBeforeTheOneBox) {
  struct Case {
    const char* what;
    MachineFault fault;
    size_t reads;
    size_t boxes;
  } cases[] = {
      {"answers", {MachineFault::None}, 1, 0},
      {"misses the first", {MachineFault::FirstSilent}, 2, 0},
      {"silent", {MachineFault::Silent}, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    machine = K40Machine();
    advancedPageOpen = false;
    answerer.boxes.clear();
    machine.SetFault(MachineCommand::GetSystemInfo, c.fault);
    if (c.boxes) answerer.Expect(IDOK);
    Open();
    uint64_t before = os.virtualMs;
    Select(kAdvancedPage);
    EXPECT_EQ(Count(MachineCommand::GetSystemInfo), c.reads);
    EXPECT_GE(os.virtualMs - before, 1000 * c.reads + 500);
    ASSERT_EQ(answerer.boxes.size(), c.boxes);
    HWND page = AdvancedPage();
    if (c.boxes) {
      EXPECT_EQ(answerer.boxes[0].text, "Não responde");
      EXPECT_EQ(ItemText(page, 1038), "") << "the page keeps its empty values";
      EXPECT_EQ(Selected(page, 1022), 0);
    } else {
      EXPECT_EQ(ItemText(page, 1038), "PAPELARIA SAO BENTO");
    }
    panel.reset();
  }
}

TEST_F(AdvancedPageTest, ApplyRightAfterRefreshSendsBackTheFieldsReceived) {
  HWND page = OpenAdvanced();
  Bytes received = WritablePayload(machine);
  Press(page, IDC_REFRESH);
  os.debugLines.clear();
  uint64_t before = os.virtualMs;
  Press(page, IDC_APPLY);
  EXPECT_EQ(LastRequest(), AdvancedRequest(received));
  EXPECT_EQ(os.debugLines, std::vector<std::string>{"WriteData = 171 \n"});
  EXPECT_GE(os.virtualMs - before, 6500u) << "5000 + 1000 in the command, 500 on the page";
  EXPECT_TRUE(answerer.boxes.empty());
}

TEST_F(AdvancedPageTest, ChangesMadeOnThePageReachTheRequest) {
  HWND page = OpenAdvanced();
  Retype(page, 1038, "loja nova");  // capitals, as the edit converts them
  Retype(page, 1037, "+55 21 5555");
  Retype(page, 1039, "joao");
  Retype(page, 1040, "21 5555 0000");
  Retype(page, 1041, "0800 123");
  Retype(page, 1042, "sn42");
  Retype(page, 1001, "9p");
  Choose(page, 1022, 3);
  Choose(page, 1061, 0);
  Choose(page, 1062, 10);
  Choose(page, 1057, 0);
  Choose(page, 1050, 2);
  Choose(page, 1058, 10);
  Choose(page, 1064, 1);
  Press(page, 1051);
  Press(page, 1052);
  Press(page, 1054);
  Press(page, 1055);
  EXPECT_EQ(ItemText(page, 1038), "LOJA NOVA");
  Press(page, IDC_APPLY);

  EXPECT_EQ(Request(9, 20), "+55 21 5555         ");
  EXPECT_EQ(Request(29, 20), "LOJA NOVA           ");
  Bytes r = LastRequest();
  EXPECT_EQ(r[49], 3) << "SEC/FAX";
  EXPECT_EQ(Request(50, 5), "9P   ");
  const uint8_t bytes[] = {10, 0, 0, 0, 10, 1, 0, 2, 1, 0};  // volume .. toner low
  for (int i = 0; i < 10; ++i) EXPECT_EQ(r[55 + i], bytes[i]) << "request byte " << 55 + i;
  EXPECT_EQ(Request(65, 20), "JOAO                ");
  EXPECT_EQ(Request(85, 20), "21 5555 0000        ");
  EXPECT_EQ(Request(105, 46), "0800 123" + std::string(38, ' '));
  EXPECT_EQ(Request(151, 20), "SN42                ");
  EXPECT_EQ(r.size(), 171u);
  EXPECT_EQ(Bytes(r.begin() + 9, r.end()), WritablePayload(machine)) << "the machine took them";
}

TEST_F(AdvancedPageTest, ListsAndChecksStoreAtOnceTextsWhenTheFocusLeaves) {
  HWND page = OpenAdvanced();
  Choose(page, 1022, 3);
  EXPECT_EQ(systemInfo.receiveMode, 3);
  Press(page, 1054);
  EXPECT_EQ(systemInfo.tonerSave, 1);

  Type(page, 1040, "123");
  EXPECT_EQ(ItemText(page, 1040), "11 3061 4400123");
  EXPECT_STREQ(systemInfo.customerNumber, "11 3061 4400") << "nothing stored while typing";
  EXPECT_EQ(Caret(page, 1040), 15);
  FocusOn(page, 1039);
  EXPECT_STREQ(systemInfo.customerNumber, "11 3061 4400123");

  Type(page, 1039, "x");
  Choose(page, 1061, 1);  // any list change stores the texts too
  EXPECT_STREQ(systemInfo.customerName, "PAPELARIA SAO BENTOX");
}

TEST_F(AdvancedPageTest, ACharacterOf128OrMoreIsTakenOutAtOnce) {
  HWND page = OpenAdvanced();
  Retype(page, 1039, "AB");
  EXPECT_EQ(beeps, 0);
  Type(page, 1039, "\xE9");  // é, admitted by the filter
  EXPECT_EQ(ItemText(page, 1039), "AB");
  EXPECT_EQ(Caret(page, 1039), 2) << "kept within the text";
  EXPECT_EQ(beeps, 1);
  EXPECT_FALSE(NonAsciiTyped) << "acted on once";
  EXPECT_STREQ(systemInfo.customerName, "PAPELARIA SAO BENTO") << "nothing stored";

  // In the middle: the caret goes to the selection start after the keystroke.
  HWND edit = GetDlgItem(page, 1039);
  SendMessageA(edit, EM_SETSEL, 1, 1);
  SendMessageA(edit, WM_CHAR, 0xC7, 0);
  Pump();
  EXPECT_EQ(ItemText(page, 1039), "AB");
  EXPECT_EQ(Caret(page, 1039), 2);
  EXPECT_EQ(beeps, 2);

  // A later Delete and a paste are the user's own and stay.
  SendMessageA(edit, EM_SETSEL, 0, 0);
  SendMessageA(edit, WM_KEYDOWN, VK_DELETE, 0);
  Pump();
  EXPECT_EQ(ItemText(page, 1039), "B");
  SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("X"));
  Pump();
  EXPECT_EQ(ItemText(page, 1039), "XB");
  EXPECT_EQ(beeps, 2);

  // A text that already held such bytes loses them all, the caret with them.
  std::strcpy(systemInfo.customerName, "A\xC9" "B");
  advancedPage->FillFromRecord();
  Type(page, 1039, "\xE9");
  EXPECT_EQ(ItemText(page, 1039), "AB");
  EXPECT_EQ(Caret(page, 1039), 2);
  EXPECT_EQ(beeps, 3);
}

TEST_F(AdvancedPageTest, RefusedCharactersBeepInTheEditNotOnThePage) {
  HWND page = OpenAdvanced();
  Retype(page, 1037, "12a#");  // digits, space and + only
  EXPECT_EQ(ItemText(page, 1037), "12");
  Retype(page, 1001, "*9#p");
  EXPECT_EQ(ItemText(page, 1001), "*9#P");
  EXPECT_EQ(beeps, 0) << "the filter's own beep is the edit's";
}

TEST_F(AdvancedPageTest, TextsSetFromOutsideNeverRunIntoTheNextField) {
  HWND page = OpenAdvanced();
  SetDlgItemTextA(page, 1039, std::string(30, 'N').c_str());
  SetDlgItemTextA(page, 1041, std::string(60, '9').c_str());
  SetDlgItemTextA(page, 1001, "1234567");
  Press(page, 1051);  // stores every field
  EXPECT_EQ(std::string(systemInfo.customerName), std::string(20, 'N'));
  EXPECT_STREQ(systemInfo.customerNumber, "11 3061 4400");
  EXPECT_EQ(std::string(systemInfo.serviceNumber), std::string(46, '9'));
  EXPECT_STREQ(systemInfo.serialNumber, "K40BR0712345");
  EXPECT_STREQ(systemInfo.prefixDial, "12345");
  EXPECT_EQ(systemInfo.ringerVolume, 5);
}

TEST_F(AdvancedPageTest, AfterAFileLoadTheFirstOpeningSkipsTheMachine) {
  Open();
  std::strcpy(systemInfo.customerName, "FROM FILE   ");
  systemInfo.language = 12;
  advancedFromFile = true;
  Select(kAdvancedPage);
  HWND page = AdvancedPage();
  EXPECT_EQ(Count(MachineCommand::GetSystemInfo), 0u);
  EXPECT_FALSE(advancedFromFile);
  EXPECT_EQ(ItemText(page, 1039), "FROM FILE");
  EXPECT_EQ(Selected(page, 1058), -1) << "no such language";
  Press(page, 1052);
  EXPECT_EQ(systemInfo.language, 255);

  Press(page, IDC_REFRESH);
  EXPECT_EQ(Count(MachineCommand::GetSystemInfo), 1u);
  EXPECT_EQ(ItemText(page, 1039), "PAPELARIA SAO BENTO");
}

TEST_F(AdvancedPageTest, FailedApplyKeepsTheStoredValuesForAnotherTry) {
  HWND page = OpenAdvanced();
  Retype(page, 1042, "NEW");
  os.machine = nullptr;
  answerer.Expect(IDOK);
  Press(page, IDC_APPLY);
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].text, "Não responde");
  EXPECT_STREQ(systemInfo.serialNumber, "NEW");
  os.machine = &machine;
  Press(page, IDC_APPLY);
  EXPECT_EQ(Request(151, 20), "NEW                 ");
  EXPECT_EQ(answerer.boxes.size(), 1u);
}

}  // namespace
}  // namespace settings_test
