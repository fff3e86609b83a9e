// The phonebook page under Wine against the emulated machine: the first read
// and the list it fills, refused changes, edit and delete with the request
// "Gravação" then sends, "Leitura", and the machine that stops answering.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "commands/device_data.h"
#include "res/resource.h"
#include "tests/pages/phonebook_fixture.h"

namespace {

int Count(const std::vector<std::string>& lines, const char* line) {
  int n = 0;
  for (const auto& l : lines) n += l == line ? 1 : 0;
  return n;
}

std::string Row(int index, const std::string& name, const std::string& number) {
  char slot[8];
  std::snprintf(slot, sizeof slot, "%3d", index + 1);
  return std::string(slot) + "|" + name + "|" + number;
}

std::vector<std::string> DefaultRows() {
  std::vector<std::string> rows;
  for (const auto& e : K40Machine::DefaultState().phonebook)
    rows.push_back(Row(int(rows.size()), e.name, e.number[0] == '\xE0' ? "*GROUP DIAL*" : e.number));
  return rows;
}

std::vector<uint8_t> WireRecord(int slot, const std::string& name, const std::string& number) {
  std::vector<uint8_t> record(67, 0xFF);
  record[0] = static_cast<uint8_t>(slot);
  std::memcpy(&record[1], name.data(), name.size());
  std::memcpy(&record[21], number.data(), number.size());
  return record;
}

void DoubleClick(HWND page, HWND list) {
  NMITEMACTIVATE click{};
  click.hdr = {list, IDC_PB_LIST, static_cast<UINT>(NM_DBLCLK)};
  SendMessageA(page, WM_NOTIFY, IDC_PB_LIST, reinterpret_cast<LPARAM>(&click));
  Pump();
}

class PhonebookPageTest : public PhonebookPanelTest {};

TEST_F(PhonebookPageTest, FirstDisplaySleepsReadsAndListsEightyRowsInThreeColumns) {
  Open(false);
  const uint64_t before = os.virtualMs;
  Select(kPhonebookTab);
  // The page's 1,500 ms sleep, then the read's 1,000 ms spin and 1,000 ms sleep.
  EXPECT_GE(os.virtualMs - before, 3500u);
  EXPECT_LT(os.virtualMs - before, 3600u);
  EXPECT_TRUE(answerer.boxes.empty());
  EXPECT_EQ(Rows(), DefaultRows());
  EXPECT_EQ(Rows()[7], "  8|GRUPO VENDAS|*GROUP DIAL*");
  EXPECT_EQ(Count(os.debugLines, "===> GET PHONEBOOK <===\n"), 1);
  EXPECT_EQ(Count(os.debugLines, "Number of entries = 80 \n"), 1);
  EXPECT_EQ(Text(GetDlgItem(PageWindow(), IDC_PB_SPEED_DIAL)), "Marcação Rápida ( 1 ~ 80 )");
  EXPECT_EQ(IsDlgButtonChecked(PageWindow(), IDC_PB_SPEED_DIAL), BST_CHECKED);
  LONG style = GetWindowLongA(PageWindow(), GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_GROUP | WS_TABSTOP), WS_GROUP | WS_TABSTOP);
  EXPECT_TRUE(SendMessageA(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);

  // The number column was sized on the empty list: with the scroll bar that
  // 80 rows bring, the three columns fill the width exactly.
  RECT client;
  GetClientRect(List(), &client);
  ASSERT_TRUE(GetWindowLongA(List(), GWL_STYLE) & WS_VSCROLL);
  const struct {
    const char* title;
    int format, width;
  } columns[] = {{"N.", LVCFMT_RIGHT, 40}, {"Nome", LVCFMT_LEFT, 150}, {"Telefone", LVCFMT_LEFT, int(client.right) - 190}};
  for (int i = 0; i < 3; ++i) {
    char title[32] = {};
    LVCOLUMNA column{LVCF_FMT | LVCF_WIDTH | LVCF_TEXT, 0, 0, title, sizeof title};
    ASSERT_TRUE(SendMessageA(List(), LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(title, columns[i].title);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, columns[i].format) << title;
    EXPECT_EQ(column.cx, columns[i].width) << title;
  }
}

TEST_F(PhonebookPageTest, FirstReadWithoutAnswerShowsOneBoxAndEmptyRows) {
  os.machine = nullptr;
  answerer.Expect(IDOK);  // the settings page, read as the window opens
  answerer.Expect(IDOK);
  Open();
  ASSERT_EQ(answerer.boxes.size(), 2u);
  EXPECT_EQ(answerer.boxes[1].text, "Não responde");
  EXPECT_EQ(answerer.boxes[1].owner, Main());
  std::vector<std::string> rows = Rows();
  ASSERT_EQ(rows.size(), 80u);
  for (int r = 0; r < 80; ++r) EXPECT_EQ(rows[r], Row(r, "", ""));
}

TEST_F(PhonebookPageTest, NoSelectionOrAGroupDialBeepsOnceAndChangesNothing) {
  Open();
  const std::vector<uint8_t> table(reinterpret_cast<uint8_t*>(phonebookTable),
                                   reinterpret_cast<uint8_t*>(phonebookTable + 80));
  for (int row : {-1, 7}) {
    for (int action : {IDC_PB_EDIT, IDC_PB_DELETE, 0}) {  // 0: a double click
      SCOPED_TRACE(std::to_string(row) + " " + std::to_string(action));
      beeper.beeps.clear();
      SelectRow(row);
      if (action)
        Click(action);
      else
        DoubleClick(PageWindow(), List());
      EXPECT_EQ(beeper.beeps, std::vector<UINT>{MB_OK});
      EXPECT_EQ(std::memcmp(table.data(), phonebookTable, table.size()), 0);
    }
  }
  EXPECT_EQ(editorsSeen, 0);
  EXPECT_EQ(Rows(), DefaultRows());
}

TEST_F(PhonebookPageTest, EditAndDeleteThenGravacaoSendsThePaddedTable) {
  Open();
  SelectRow(1);
  OnEditor([](HWND editor) {
    Retype(GetDlgItem(editor, IDC_ENTRY_NAME), "nova empresa");
    Retype(GetDlgItem(editor, IDC_ENTRY_NUMBER), "0p1234");
    PostMessageA(editor, WM_COMMAND, IDOK, 0);
  });
  Click(IDC_PB_EDIT);
  EXPECT_EQ(Rows()[1], "  2|NOVA EMPRESA|0P1234");
  EXPECT_STREQ(phonebookTable[1].number, "0P1234");
  EXPECT_EQ(GetFocus(), List()) << "the focus goes back to the list";

  // Cancel, after a double click: nothing changes.
  SelectRow(4);
  OnEditor([](HWND editor) {
    Retype(GetDlgItem(editor, IDC_ENTRY_NAME), "xyz");
    PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
  });
  DoubleClick(PageWindow(), List());
  EXPECT_EQ(Rows()[4], DefaultRows()[4]);
  EXPECT_EQ(editorsSeen, 2);

  SelectRow(2);
  SetFocus(GetDlgItem(PageWindow(), IDC_PB_DELETE));
  Click(IDC_PB_DELETE);
  EXPECT_EQ(Rows()[2], "  3||");
  EXPECT_EQ(GetFocus(), List());

  Click(IDC_PB_WRITE);
  EXPECT_TRUE(answerer.boxes.empty()) << "a write that worked shows nothing";
  EXPECT_TRUE(beeper.beeps.empty());
  // The write, then the read that checks it.
  const std::vector<MachineCommand> kinds = machine.RequestKinds();
  ASSERT_GE(kinds.size(), 2u);
  EXPECT_EQ(kinds[kinds.size() - 2], MachineCommand::SetPhonebook);
  EXPECT_EQ(kinds.back(), MachineCommand::GetPhonebook);
  const std::vector<uint8_t>& request = machine.Requests()[machine.Requests().size() - 2];
  ASSERT_EQ(request.size(), 10u + 67 * 80);
  EXPECT_EQ(std::vector<uint8_t>(request.begin(), request.begin() + 10),
            (std::vector<uint8_t>{0x1B, 0xA4, 0x14, 0xF6, 0x50, 0xE0, 0x82, 0xC2, 0x42, 80}));
  auto record = [&](int slot) { return std::vector<uint8_t>(&request[10 + 67 * (slot - 1)], &request[10 + 67 * slot]); };
  EXPECT_EQ(record(1), WireRecord(1, "JOAO DA SILVA", "01133456789"));
  EXPECT_EQ(record(2), WireRecord(2, "NOVA EMPRESA", "0P1234"));
  EXPECT_EQ(record(3), WireRecord(3, "", "")) << "a deleted entry: its slot and 66 bytes of 0xFF";
  EXPECT_EQ(record(8), WireRecord(8, "GRUPO VENDAS", "\xE0\x01\x02\x05"));
  EXPECT_EQ(machine.state().phonebook[1].number, "0P1234");
  EXPECT_EQ(machine.state().phonebook[7].number, "\xE0\x01\x02\x05") << "the group dial is untouched";
  EXPECT_EQ(Count(os.debugLines, "===> SET PHONEBOOK <===\n"), 1);
  EXPECT_EQ(Count(os.debugLines, "WriteData = 5370 \n"), 1);
  EXPECT_EQ(Count(os.debugLines, "===> GET PHONEBOOK <===\n"), 2) << "the first read and the check";
}

TEST_F(PhonebookPageTest, LeituraRefillsAndEachFailedActionShowsOneBox) {
  Open();
  machine.state().phonebook[79] = {"ULTIMO", "1234567"};
  SelectRow(79);
  SendMessageA(List(), LVM_ENSUREVISIBLE, 79, FALSE);
  const uint64_t start = os.virtualMs;
  Click(IDC_PB_READ);
  // The read's 1,000 ms spin and 1,000 ms sleep, then the page's 500 ms spin.
  EXPECT_GE(os.virtualMs - start, 2500u);
  EXPECT_LT(os.virtualMs - start, 2600u);
  const std::vector<std::string> rows = Rows();
  EXPECT_EQ(rows[79], " 80|ULTIMO|1234567");
  // Refilled as a new list would be: nothing selected or focused, at the top.
  EXPECT_EQ(SendMessageA(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED | LVNI_FOCUSED), -1);
  EXPECT_EQ(SendMessageA(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), -1);
  EXPECT_EQ(SendMessageA(List(), LVM_GETSELECTIONMARK, 0, 0), -1);
  EXPECT_EQ(SendMessageA(List(), LVM_GETTOPINDEX, 0, 0), 0);

  os.machine = nullptr;  // cable pulled
  for (int button : {IDC_PB_READ, IDC_PB_WRITE, IDC_PB_READ}) {
    answerer.boxes.clear();
    answerer.Expect(IDOK);
    Click(button);
    ASSERT_EQ(answerer.boxes.size(), 1u) << button;
    EXPECT_EQ(answerer.boxes[0].text, "Não responde");
    EXPECT_EQ(Rows(), rows) << "the rows stay as they were";
  }

  // A reply that stops partway is no answer either.
  os.machine = &machine;
  machine.SetFault(MachineCommand::GetPhonebook, {MachineFault::ShortReply, 3000});
  answerer.boxes.clear();
  answerer.Expect(IDOK);
  Click(IDC_PB_READ);
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].text, "Não responde");
  EXPECT_EQ(Rows(), rows);
}

}  // namespace
