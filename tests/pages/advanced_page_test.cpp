// The "Avançado" page in the main window under Wine against the emulated
// machine: first opening and its reads, "Aplicar" and its bytes, when values
// reach the record, what leaving asks about, the filtering edits and
// characters taken out again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/pages/settings_fixture.h"
#include "widgets/filter_edit.h"

namespace settings_test {
namespace {

// The request "Aplicar" sends for the machine's writable fields (reply
// bytes 42..81 and 147..268).
Bytes AdvancedRequest(const K40Machine& machine) {
  const auto& block = machine.state().systemInfo;
  const uint8_t head[9] = {0x1B, 0xA4, 0x00, 0xA7, 0x50, 0xE0, 0x82, 0xC2, 0x40};
  Bytes request(171);
  auto at = std::copy(head, head + 9, request.begin());
  at = std::copy(block.begin() + 32, block.begin() + 72, at);
  std::copy(block.begin() + 137, block.end(), at);
  return request;
}

class AdvancedPageTest : public PanelFixture {};

TEST_F(AdvancedPageTest, FirstOpeningReadsTwiceAtMostAndShowsOneBox) {
  struct Case {
    MachineFault fault;
    size_t reads;
    bool box;
  } cases[] = {{{MachineFault::None}, 1, false}, {{MachineFault::FirstSilent}, 2, false},
               {{MachineFault::Silent}, 2, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reads);
    machine = K40Machine();
    machine.SetFault(MachineCommand::GetSystemInfo, c.fault);
    advancedPageOpen = false;
    answerer.boxes.clear();
    if (c.box) answerer.Expect(IDOK);
    Open();
    EXPECT_EQ(Count(MachineCommand::GetSystemInfo), 0u) << "not before the page is first shown";
    uint64_t before = os.virtualMs;
    HWND page = AdvancedPage();
    EXPECT_TRUE(advancedPageOpen);
    EXPECT_EQ(Count(MachineCommand::GetSystemInfo), c.reads);
    EXPECT_GE(os.virtualMs - before, 1000 * c.reads + 500);
    ASSERT_EQ(answerer.boxes.size(), c.box ? 1u : 0u);
    EXPECT_EQ(ItemText(page, 1038), c.box ? "" : "PAPELARIA SAO BENTO") << "trailing blanks gone";
    panel.reset();
  }
  EXPECT_EQ(answerer.boxes[0].text, "Não responde");
}

TEST_F(AdvancedPageTest, ListsEditsAndTheRecordsTrimmedTexts) {
  Open();
  HWND page = AdvancedPage();
  EXPECT_EQ(Entries(page, 1022), (std::vector<std::string>{"TEL", "FAX", "TEL/FAX", "SEC/FAX"}));
  EXPECT_EQ(Entries(page, 1062).size(), 11u);
  EXPECT_EQ(Entries(page, 1058).back(), "Norueguês");
  EXPECT_EQ(Entries(page, 1064).back(), "Imagem aperfeiçoada");
  EXPECT_EQ(Selected(page, 1058), 3) << "Português";
  struct Edit {
    int id, limit, inputClass;
    const char* record;
  } edits[] = {{1038, 20, NameText, systemInfo.terminalIdName},   {1037, 20, DigitsPlus, systemInfo.terminalIdNumber},
               {1039, 20, NameText, systemInfo.customerName},     {1040, 20, DialSpaced, systemInfo.customerNumber},
               {1041, 46, DialSpaced, systemInfo.serviceNumber},  {1042, 20, NameText, systemInfo.serialNumber},
               {1001, 5, DialSpaced, systemInfo.prefixDial}};
  for (const Edit& e : edits) {
    HWND edit = GetDlgItem(page, e.id);
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), e.limit) << e.id;
    auto* filter = dynamic_cast<CFilterEdit*>(CControl::FromHandle(edit));
    ASSERT_NE(filter, nullptr) << e.id;
    EXPECT_EQ(filter->m_inputClass, e.inputClass) << e.id;
    EXPECT_EQ(ItemText(page, e.id), e.record) << e.id;
    EXPECT_NE(std::string(e.record).back(), ' ') << "the record keeps no trailing blank, " << e.id;
  }
}

TEST_F(AdvancedPageTest, AplicarSendsWhatWasReceivedAndWhatWasChanged) {
  Open();
  HWND page = AdvancedPage();
  Press(page, IDC_REFRESH);
  os.debugLines.clear();
  uint64_t before = os.virtualMs;
  Bytes received = AdvancedRequest(machine);
  Press(page, IDC_APPLY);
  EXPECT_EQ(LastRequest(), received);
  EXPECT_EQ(os.debugLines, std::vector<std::string>{"WriteData = 171 \n"});
  EXPECT_GE(os.virtualMs - before, 6500u) << "5000 + 1000 in the command, 500 on the page";

  Type(page, 1038, "loja nova");  // the edit turns letters into capitals
  Type(page, 1001, "9p");
  Choose(page, 1022, 3);
  EXPECT_EQ(systemInfo.receiveMode, 3) << "a list stores at once";
  Type(page, 1040, "123", /*replace=*/false);
  EXPECT_STREQ(systemInfo.customerNumber, "11 3061 4400") << "a text waits for the focus to leave";
  FocusOn(page, 1039);
  EXPECT_STREQ(systemInfo.customerNumber, "11 3061 4400123");
  Press(page, 1054);
  Choose(page, 1058, 10);  // "Norueguês"
  Press(page, IDC_APPLY);
  Bytes sent = LastRequest();
  EXPECT_EQ(std::string(sent.begin() + 29, sent.begin() + 49), "LOJA NOVA           ");
  EXPECT_EQ(std::string(sent.begin() + 50, sent.begin() + 55), "9P   ");
  EXPECT_EQ(sent[49], 3);
  EXPECT_EQ(sent[59], 10);
  EXPECT_EQ(sent[60], 1);
  EXPECT_EQ(sent, AdvancedRequest(machine)) << "the machine took every field";
  EXPECT_TRUE(answerer.boxes.empty());

  os.machine = nullptr;
  answerer.Expect(IDOK);
  Press(page, IDC_APPLY);
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_STREQ(systemInfo.terminalIdName, "LOJA NOVA") << "kept for another try";
}

TEST_F(AdvancedPageTest, EachOneByteFieldGoesOutInItsOwnByte) {
  // Set through its own control, a field changes its own request byte and no
  // other: two fields swapped anywhere on the way show here. Lists take an
  // entry, check boxes (-1) a click.
  const struct { int control, index; size_t at; } fields[] = {
      {IDC_ADV_SPEAKER, 0, 58},       {IDC_ADV_RINGER_VOLUME, 7, 55}, {IDC_ADV_USB_MODE, 0, 61},
      {IDC_ADV_FAX_DUPLEX, 2, 62},    {IDC_ADV_IMAGE_QUALITY, 1, 63}, {IDC_ADV_ALARM_SOUND, -1, 56},
      {IDC_ADV_KEY_SOUND, -1, 57},    {IDC_ADV_TONER_LOW, -1, 64}};
  Open();
  HWND page = AdvancedPage();
  Press(page, IDC_APPLY);
  for (const auto& f : fields) {
    SCOPED_TRACE(f.control);
    Bytes expected = LastRequest();
    f.index >= 0 ? Choose(page, f.control, f.index) : Press(page, f.control);
    expected[f.at] = f.index >= 0 ? f.index : Checked(page, f.control);
    ASSERT_NE(expected, LastRequest()) << "the machine's value already";
    Press(page, IDC_APPLY);
    EXPECT_EQ(LastRequest(), expected);
  }
}

TEST_F(AdvancedPageTest, LeavingAsksNothingWhenOnlyWhatAplicarNeverSendsChanged) {
  Open();
  AdvancedPage();
  // The machine's free memory and a counter moved, and the Information page
  // read them; the two settings bytes that never leave the program changed.
  machine.state().systemInfo[112] = 40;
  ++machine.state().systemInfo[116];
  panelSheet->SetActivePage(3);
  Pump();
  ASSERT_EQ(systemInfo.freeMemoryPercent, 40);
  settingsBlock.cassette2PaperSize ^= 1;
  settingsBlock.autoClearTimeout ^= 1;
  Command(ID_APP_EXIT_MENU);
  EXPECT_TRUE(answerer.boxes.empty());
  EXPECT_FALSE(IsWindow(Main()));
}

TEST_F(AdvancedPageTest, ACharacterOf128OrMoreIsTakenOutAtOnceAndOnlyThen) {
  Open();
  HWND page = AdvancedPage();
  HWND edit = GetDlgItem(page, 1039);
  Type(page, 1039, "AB");
  Type(page, 1039, "\xE9", /*replace=*/false);
  EXPECT_EQ(ItemText(page, 1039), "AB");
  EXPECT_EQ(Caret(page, 1039), 2) << "kept within the text";
  EXPECT_EQ(beeper.beeps, std::vector<UINT>{MB_OK}) << "the standard beep";
  EXPECT_FALSE(NonAsciiTyped) << "acted on once";
  EXPECT_STREQ(systemInfo.customerName, "PAPELARIA SAO BENTO") << "nothing stored";
  SendMessageA(edit, EM_SETSEL, 1, 1);
  SendMessageA(edit, WM_CHAR, 0xC7, 0);
  EXPECT_EQ(ItemText(page, 1039), "AB");
  EXPECT_EQ(Caret(page, 1039), 2) << "the selection start after the keystroke";
  // A later Delete and a paste are the user's own and stay.
  SendMessageA(edit, EM_SETSEL, 0, 0);
  SendMessageA(edit, WM_KEYDOWN, VK_DELETE, 0);
  SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("X"));
  EXPECT_EQ(ItemText(page, 1039), "XB");
  EXPECT_EQ(beeper.beeps, std::vector<UINT>(2, MB_OK));

  // Text set from outside past the limit never runs into the next field.
  SetDlgItemTextA(page, 1039, std::string(30, 'N').c_str());
  Press(page, 1051);
  EXPECT_EQ(std::string(systemInfo.customerName), std::string(20, 'N'));
  EXPECT_STREQ(systemInfo.customerNumber, "11 3061 4400");
}

TEST_F(AdvancedPageTest, AfterAFileLoadTheFirstOpeningSkipsTheMachine) {
  Open();
  std::strcpy(systemInfo.customerName, "FROM FILE   ");
  systemInfo.language = 12;
  advancedFromFile = true;
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

}  // namespace
}  // namespace settings_test
