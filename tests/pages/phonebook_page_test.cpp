// The phonebook page under Wine against the emulated machine: the first
// read and the list it fills, the columns, edit, delete and delete-all with
// their beeps and focus, the requests "Gravação" sends, and the messages of a
// machine that does not answer.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "commands/device_data.h"
#include "pages/page_set.h"
#include "pages/phonebook_page.h"
#include "res/resource.h"
#include "tests/pages/phonebook_fixture.h"
#include "widgets/property_sheet.h"

namespace {

const char kGetMark[] = "===> GET PHONEBOOK <===\n";
const char kSetMark[] = "===> SET PHONEBOOK <===\n";
constexpr size_t kSetRequestSize = 10 + 67 * 80;

int Count(const std::vector<std::string>& lines, const std::string& line) {
  int n = 0;
  for (const auto& l : lines) n += l == line ? 1 : 0;
  return n;
}

// The rows the default machine's phonebook gives.
std::vector<std::string> DefaultRows() {
  std::vector<std::string> rows;
  const K40Machine::State state = K40Machine::DefaultState();
  for (int i = 0; i < 80; ++i) {
    char index[8];
    std::snprintf(index, sizeof index, "%3d", i + 1);
    const auto& e = state.phonebook[i];
    bool group = !e.number.empty() && static_cast<unsigned char>(e.number[0]) == 0xE0;
    rows.push_back(std::string(index) + "|" + e.name + "|" + (group ? "*GROUP DIAL*" : e.number));
  }
  return rows;
}

// The 67-byte record of slot `slot` in a set request.
std::vector<uint8_t> Record(const std::vector<uint8_t>& request, int slot) {
  auto at = request.begin() + 10 + 67 * (slot - 1);
  return std::vector<uint8_t>(at, at + 67);
}

std::vector<uint8_t> WireRecord(int slot, const std::string& name, const std::string& number) {
  std::vector<uint8_t> record(67, 0xFF);
  record[0] = static_cast<uint8_t>(slot);
  std::memcpy(&record[1], name.data(), name.size());
  std::memcpy(&record[21], number.data(), number.size());
  return record;
}

class PhonebookPageTest : public PhonebookPanelTest {};

TEST_F(PhonebookPageTest, FirstDisplayWaitsReadsAndListsEightyRows) {
  Open(false);
  const uint64_t before = os.virtualMs;
  Select(kPhonebookTab);
  const uint64_t spent = os.virtualMs - before;
  // The page's 1,500 ms sleep, then the read's own 1,000 ms spin and 1,000 ms sleep.
  EXPECT_GE(spent, 3500u);
  EXPECT_LT(spent, 3600u);
  EXPECT_TRUE(answerer.boxes.empty());
  EXPECT_EQ(Rows(), DefaultRows());
  EXPECT_EQ(Cell(7, 1), "GRUPO VENDAS");
  EXPECT_EQ(Cell(7, 2), "*GROUP DIAL*");
  EXPECT_EQ(Cell(14, 2), "P1133331212");
  EXPECT_EQ(Count(os.debugLines, kGetMark), 1);
  EXPECT_EQ(Count(os.debugLines, "Number of entries = 80 \n"), 1);
  EXPECT_TRUE(beeper.beeps.empty());
}

TEST_F(PhonebookPageTest, PageLooksAsItsTemplateAndColumnsSay) {
  Open();
  HWND page = PageWindow();
  EXPECT_EQ(Text(GetDlgItem(page, IDC_PB_SPEED_DIAL)), "Marcação Rápida ( 1 ~ 80 )");
  EXPECT_EQ(IsDlgButtonChecked(page, IDC_PB_SPEED_DIAL), BST_CHECKED);
  EXPECT_FALSE(GetWindowLongA(GetDlgItem(page, IDC_PB_ONE_TOUCH), GWL_STYLE) & WS_VISIBLE);
  struct Button {
    int id;
    const char* text;
  } buttons[] = {{IDC_PB_EDIT, "Editar"},     {IDC_PB_DELETE, "Excluir"}, {IDC_PB_DELETE_ALL, "Excluir tudo"},
                 {IDC_PB_READ, "Leitura"},    {IDC_PB_WRITE, "Gravação"}};
  for (const Button& b : buttons) EXPECT_EQ(Text(GetDlgItem(page, b.id)), b.text);

  LONG style = GetWindowLongA(page, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, 0) << "no border or dialog frame of its own";
  EXPECT_TRUE(style & WS_GROUP);
  EXPECT_TRUE(style & WS_TABSTOP);

  HWND list = List();
  LONG listStyle = GetWindowLongA(list, GWL_STYLE);
  EXPECT_EQ(listStyle & LVS_TYPEMASK, LVS_REPORT);
  for (LONG bit : {LONG(LVS_SINGLESEL), LONG(LVS_SHOWSELALWAYS), LONG(LVS_NOSORTHEADER)}) EXPECT_TRUE(listStyle & bit) << bit;
  // The list view draws its border as a client edge.
  EXPECT_TRUE((listStyle & WS_BORDER) || (GetWindowLongA(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
  EXPECT_TRUE(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);

  // The number column was sized on the empty list, before its scroll bar
  // came: now that it is there, the three columns fill the width exactly.
  RECT client;
  GetClientRect(list, &client);
  ASSERT_TRUE(listStyle & WS_VSCROLL);
  struct Column {
    const char* title;
    int format;
    int width;
  } columns[] = {{"N.", LVCFMT_RIGHT, 40},
                 {"Nome", LVCFMT_LEFT, 150},
                 {"Telefone", LVCFMT_LEFT, int(client.right) - 190}};
  for (int i = 0; i < 3; ++i) {
    char title[32] = {};
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.pszText = title;
    column.cchTextMax = sizeof title;
    ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column))) << "column " << i;
    EXPECT_STREQ(title, columns[i].title);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, columns[i].format) << "column " << i;
    EXPECT_EQ(column.cx, columns[i].width) << "column " << i;
  }
  EXPECT_FALSE(SendMessageA(list, LVM_GETCOLUMNA, 3, reinterpret_cast<LPARAM>(&client)));
}

TEST_F(PhonebookPageTest, FirstReadWithoutAnswerShowsOneBoxAndEightyEmptyRows) {
  os.machine = nullptr;
  answerer.Expect(IDOK);
  Open();
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].text, "Não responde");
  EXPECT_EQ(answerer.boxes[0].caption, "Dalvenor");
  EXPECT_EQ(answerer.boxes[0].owner, Main());
  ASSERT_EQ(RowCount(), 80);
  for (int r = 0; r < 80; ++r) {
    char index[8];
    std::snprintf(index, sizeof index, "%3d", r + 1);
    ASSERT_EQ(Rows()[r], std::string(index) + "||") << "row " << r;
  }
  EXPECT_EQ(Text(GetDlgItem(PageWindow(), IDC_PB_SPEED_DIAL)), "Marcação Rápida ( 1 ~ 80 )");
}

TEST_F(PhonebookPageTest, RefusedChangesBeepOnceAndChangeNothing) {
  Open();
  std::vector<uint8_t> before(reinterpret_cast<uint8_t*>(phonebookTable),
                              reinterpret_cast<uint8_t*>(phonebookTable + 80));
  struct Case {
    const char* what;
    int row;     // selected row, -1 none
    int action;  // button, or 0 for a double click
  } cases[] = {
      {"Editar without a row", -1, IDC_PB_EDIT},
      {"Excluir without a row", -1, IDC_PB_DELETE},
      {"double click without a row", -1, 0},
      {"Editar on the group dial", 7, IDC_PB_EDIT},
      {"Excluir on the group dial", 7, IDC_PB_DELETE},
      {"double click on the group dial", 7, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    beeper.beeps.clear();
    SelectRow(c.row);
    if (c.action)
      Click(c.action);
    else
      DoubleClickList();
    EXPECT_EQ(beeper.beeps, std::vector<UINT>{MB_OK});
    EXPECT_EQ(EditorsSeen(), 0);
    EXPECT_EQ(std::memcmp(before.data(), phonebookTable, before.size()), 0);
    EXPECT_EQ(Rows(), DefaultRows());
  }
}

TEST_F(PhonebookPageTest, EditAndDeleteThenGravacaoSendsThePaddedTable) {
  Open();
  SelectRow(1);
  OnEditor([](HWND editor) {
    HWND name = GetDlgItem(editor, IDC_ENTRY_NAME);
    HWND number = GetDlgItem(editor, IDC_ENTRY_NUMBER);
    SelectAll(name);
    TypeInto(name, "nova empresa");
    SelectAll(number);
    TypeInto(number, "0p1234");
    PressOk(editor);
  });
  Click(IDC_PB_EDIT);
  ASSERT_EQ(EditorsSeen(), 1);
  EXPECT_EQ(Cell(1, 1), "NOVA EMPRESA");
  EXPECT_EQ(Cell(1, 2), "0P1234");
  EXPECT_STREQ(phonebookTable[1].name, "NOVA EMPRESA");
  EXPECT_STREQ(phonebookTable[1].number, "0P1234");
  EXPECT_EQ(GetFocus(), List()) << "the focus goes back to the list";

  SelectRow(2);
  SetFocus(GetDlgItem(PageWindow(), IDC_PB_DELETE));
  Click(IDC_PB_DELETE);
  EXPECT_EQ(Rows()[2], "  3||");
  EXPECT_EQ(GetFocus(), List());
  EXPECT_TRUE(beeper.beeps.empty());

  const size_t requestsBefore = machine.Requests().size();
  const uint64_t start = os.virtualMs;
  Click(IDC_PB_WRITE);
  EXPECT_TRUE(answerer.boxes.empty()) << "a write that worked shows nothing";
  EXPECT_GE(os.virtualMs - start, 1500u) << "the command's 1,000 ms and the page's 500 ms";
  ASSERT_EQ(machine.Requests().size(), requestsBefore + 1);
  const std::vector<uint8_t>& request = machine.Requests().back();
  ASSERT_EQ(request.size(), kSetRequestSize);
  const std::vector<uint8_t> head = {0x1B, 0xA4, 0x14, 0xF6, 0x50, 0xE0, 0x82, 0xC2, 0x42, 0x50};
  EXPECT_EQ(std::vector<uint8_t>(request.begin(), request.begin() + 10), head);
  EXPECT_EQ(Record(request, 1), WireRecord(1, "JOAO DA SILVA", "01133456789"));
  EXPECT_EQ(Record(request, 2), WireRecord(2, "NOVA EMPRESA", "0P1234"));
  EXPECT_EQ(Record(request, 3), WireRecord(3, "", "")) << "a deleted entry: its slot and 66 bytes of 0xFF";
  EXPECT_EQ(Record(request, 8), WireRecord(8, "GRUPO VENDAS", std::string("\xE0\x01\x02\x05", 4)));
  EXPECT_EQ(Record(request, 80), WireRecord(80, "", ""));

  // The machine took it; the group dial is as it was.
  EXPECT_EQ(machine.state().phonebook[1].name, "NOVA EMPRESA");
  EXPECT_EQ(machine.state().phonebook[1].number, "0P1234");
  EXPECT_EQ(machine.state().phonebook[2].name, "");
  EXPECT_EQ(machine.state().phonebook[7].number, std::string("\xE0\x01\x02\x05", 4));
  EXPECT_EQ(Count(os.debugLines, kSetMark), 1);
  EXPECT_EQ(Count(os.debugLines, "WriteData = 5370 \n"), 1);
  EXPECT_EQ(Count(os.debugLines, "ReadData = 10 \n"), 1);
}

TEST_F(PhonebookPageTest, CancelledEditorAndDoubleClickLeaveTheEntry) {
  Open();
  std::vector<uint8_t> before(reinterpret_cast<uint8_t*>(phonebookTable),
                              reinterpret_cast<uint8_t*>(phonebookTable + 80));
  SelectRow(4);
  OnEditor([](HWND editor) {
    TypeInto(GetDlgItem(editor, IDC_ENTRY_NAME), "xyz");
    TypeInto(GetDlgItem(editor, IDC_ENTRY_NUMBER), "999");
    PressCancel(editor);
  });
  DoubleClickList();
  ASSERT_EQ(EditorsSeen(), 1) << "a double click on a row opens the editor";
  EXPECT_EQ(std::memcmp(before.data(), phonebookTable, before.size()), 0);
  EXPECT_EQ(Rows(), DefaultRows());
  EXPECT_EQ(GetFocus(), List());
  EXPECT_TRUE(beeper.beeps.empty());
}

TEST_F(PhonebookPageTest, EditorTextBeyondAFieldIsCutToItsWidth) {
  Open();
  SelectRow(0);
  OnEditor([](HWND editor) {
    // Set from outside, past the edits' limits.
    SetWindowTextA(GetDlgItem(editor, IDC_ENTRY_NAME), std::string(30, 'n').c_str());
    SetWindowTextA(GetDlgItem(editor, IDC_ENTRY_NUMBER), std::string(60, '5').c_str());
    PressOk(editor);
  });
  Click(IDC_PB_EDIT);
  ASSERT_EQ(EditorsSeen(), 1);
  EXPECT_EQ(std::string(phonebookTable[0].name), std::string(20, 'N'));
  EXPECT_EQ(std::string(phonebookTable[0].number), std::string(46, '5'));
  EXPECT_EQ(phonebookTable[1].name[0], 'M') << "the next entry is untouched";
  EXPECT_EQ(Cell(0, 1), std::string(20, 'N'));
}

TEST_F(PhonebookPageTest, ExcluirTudoKeepsOnlyTheGroupDial) {
  Open();
  PhonebookEntry group = phonebookTable[7];
  Click(IDC_PB_DELETE_ALL);
  EXPECT_TRUE(answerer.boxes.empty()) << "no question asked";
  std::vector<std::string> rows = Rows();
  ASSERT_EQ(rows.size(), 80u);
  for (int r = 0; r < 80; ++r) {
    char index[8];
    std::snprintf(index, sizeof index, "%3d", r + 1);
    std::string expected = std::string(index) + (r == 7 ? "|GRUPO VENDAS|*GROUP DIAL*" : "||");
    EXPECT_EQ(rows[r], expected);
  }
  EXPECT_EQ(std::memcmp(&phonebookTable[7], &group, sizeof group), 0);
}

TEST_F(PhonebookPageTest, LeituraRefillsAndFailuresShowOneBoxEach) {
  Open();
  machine.state().phonebook[0].name = "NOME NOVO";
  machine.state().phonebook[79] = {"ULTIMO", "1234567"};
  const uint64_t start = os.virtualMs;
  Click(IDC_PB_READ);
  // The read's 1,000 ms spin and 1,000 ms sleep, then the page's 500 ms spin.
  EXPECT_GE(os.virtualMs - start, 2500u);
  EXPECT_LT(os.virtualMs - start, 2600u);
  EXPECT_TRUE(answerer.boxes.empty());
  EXPECT_EQ(Cell(0, 1), "NOME NOVO");
  EXPECT_EQ(Rows()[79], " 80|ULTIMO|1234567");
  const std::vector<std::string> shown = Rows();

  os.machine = nullptr;  // cable pulled
  struct Case {
    int button;
    const char* mark;
  } cases[] = {{IDC_PB_READ, kGetMark}, {IDC_PB_WRITE, kSetMark}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mark);
    answerer.boxes.clear();
    answerer.Expect(IDOK);
    const int marks = Count(os.debugLines, c.mark);
    Click(c.button);
    ASSERT_EQ(answerer.boxes.size(), 1u);
    EXPECT_EQ(answerer.boxes[0].text, "Não responde");
    EXPECT_EQ(answerer.boxes[0].buttons, std::vector<int>{IDOK});
    EXPECT_EQ(Count(os.debugLines, c.mark), marks + 1) << "one attempt";
    EXPECT_EQ(Rows(), shown);
  }
  EXPECT_TRUE(beeper.beeps.empty());
}

TEST_F(PhonebookPageTest, SpeedDialButtonRefillsFromTheTable) {
  Open();
  std::strcpy(phonebookTable[3].name, "DIRETO NA TABELA");
  EXPECT_NE(Cell(3, 1), "DIRETO NA TABELA");
  Click(IDC_PB_SPEED_DIAL);
  EXPECT_EQ(Cell(3, 1), "DIRETO NA TABELA");
  EXPECT_EQ(RowCount(), 80);
}

TEST_F(PhonebookPageTest, FileMenuFollowsThePage) {
  Open(false);
  auto greyed = [this](UINT id) { return (GetMenuState(GetMenu(Main()), id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
  struct Step {
    int tab;
    bool available;
  } steps[] = {{0, false}, {kPhonebookTab, true}, {3, false}, {kPhonebookTab, true}, {1, false}};
  for (const Step& s : steps) {
    Select(s.tab);
    EXPECT_EQ(greyed(ID_LOAD_PHONEBOOK), !s.available) << "tab " << s.tab;
    EXPECT_EQ(greyed(ID_SAVE_PHONEBOOK), !s.available) << "tab " << s.tab;
  }
  EXPECT_EQ(Count(os.debugLines, kGetMark), 1) << "the page reads the machine when first shown only";
}

}  // namespace
