// What keeps the machine's data from being lost, under Wine against the
// emulated machine: a dated backup of what it held before each "Gravação"
// and each "Aplicar" (the newest 20 of each kept) that "Restaurar cópia de
// segurança..." loads back; the phonebook read back after each write and a
// difference told; and leaving with unsent edits or settings not applied
// asking Sim / Não / Cancelar.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "commands/device_data.h"
#include "files/pbf_format.h"
#include "ops/machine_ops.h"
#include "ops/ops_host_win32.h"
#include "pages/advanced_page.h"
#include "pages/page_set.h"
#include "pages/phonebook_page.h"
#include "commands/phonebook_rules.h"
#include "pages/settings_page.h"
#include "widgets/property_sheet.h"
#include "res/resource.h"
#include "tests/app/scratch_folder.h"
#include "tests/pages/phonebook_fixture.h"

namespace {

// The backups' file names, newest first.
std::vector<std::string> ListBackups(BackupKind kind) {
  std::vector<std::string> names;
  for (const ops::BackupListing& backup : ops::ListBackups(kind)) names.push_back(backup.name);
  return names;
}

int Count(const std::vector<std::string>& lines, const std::string& line) {
  int n = 0;
  for (const std::string& l : lines) n += l == line;
  return n;
}

class SafeguardTest : public PhonebookPanelTest, protected ScratchFolder {
 protected:
  SafeguardTest() : ScratchFolder("rcp-backups-") {}
  void SetUp() override {
    PhonebookPanelTest::SetUp();
    BackupFolderOverride() = m_dir;
  }
  void TearDown() override {
    BackupFolderOverride().clear();
    PhonebookPanelTest::TearDown();
  }
  static HWND SettingsWindow() { return static_cast<CPropertyPage*>(settingsPage)->GetHwnd(); }
  static HWND AdvancedWindow() { return static_cast<CPropertyPage*>(advancedPage)->GetHwnd(); }
  static void Choose(HWND page, int id, int index) {
    HWND combo = GetDlgItem(page, id);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    Pump();
  }
  static void Press(HWND page, int id) {
    SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
    Pump();
  }
  // Picks row `row` of the backup list and presses OK.
  void RestoreRow(int row) {
    OnEditor([row](HWND dialog) {
      SendDlgItemMessageA(dialog, IDC_BACKUP_LIST, LB_SETCURSEL, row, 0);
      SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    Command(ID_RESTORE_BACKUP);
  }
  bool RestoreEnabled() const {
    return !(GetMenuState(GetMenu(Main()), ID_RESTORE_BACKUP, MF_BYCOMMAND) & MF_GRAYED);
  }
  void Edit(int index, const char* name, const char* number) {
    StoreEntry(phonebookTable[index], name, number);
    phonebookPage->FillList();
  }
};

TEST_F(SafeguardTest, GravacaoKeepsWhatTheMachineHeldAndTheListLoadsItBack) {
  Open();
  const std::vector<uint8_t> original = TableBytes();
  const std::vector<std::string> rows = Rows();
  Click(IDC_PB_DELETE_ALL);
  Click(IDC_PB_WRITE);
  EXPECT_TRUE(answerer.boxes.empty());
  EXPECT_EQ(machine.state().phonebook[0].name, "");
  const std::vector<std::string> kept = ListBackups(BackupKind::Phonebook);
  ASSERT_EQ(kept.size(), 1u);
  const std::string file = Read(kept[0]);
  ASSERT_EQ(file.size(), 5480u);
  std::vector<PhonebookEntry> held(80);
  ASSERT_TRUE(DecodePhonebookFile(reinterpret_cast<const uint8_t*>(file.data()), file.size(), held.data(), 80));
  EXPECT_EQ(std::memcmp(held.data(), original.data(), original.size()), 0) << "the machine's entries as last read";

  const size_t requests = machine.Requests().size();
  std::vector<std::string> listed;
  OnEditor([&](HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_BACKUP_LIST);
    for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
      char text[64] = {};
      SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      listed.push_back(text);
    }
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  Command(ID_RESTORE_BACKUP);
  ASSERT_EQ(listed.size(), 1u);
  BackupStamp stamp;
  ASSERT_TRUE(ParseBackupFileName(kept[0], BackupKind::Phonebook, &stamp));
  EXPECT_EQ(listed[0], BackupStampText(stamp));
  EXPECT_EQ(TableBytes(), original);
  EXPECT_EQ(Rows(), rows);
  EXPECT_EQ(machine.Requests().size(), requests) << "nothing reaches the machine before Gravação";
  EXPECT_EQ(machine.state().phonebook[0].name, "");

  Click(IDC_PB_WRITE);
  EXPECT_EQ(machine.state().phonebook[0].name, std::string(phonebookTable[0].name));
  EXPECT_EQ(ListBackups(BackupKind::Phonebook).size(), 2u) << "the cleared phonebook was kept too";
}

TEST_F(SafeguardTest, OnlyTheNewestTwentyStayAndAnEmptyListIsTold) {
  Open();
  answerer.Expect(IDOK);
  Command(ID_RESTORE_BACKUP);
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].text,
            "Ainda não há cópias de segurança. Uma cópia do que a máquina guardava é feita antes de cada gravação.");
  EXPECT_EQ(editorsSeen, 0);

  for (int day = 1; day <= 25; ++day)
    std::ofstream(m_dir + "\\" + BackupFileName(BackupKind::Phonebook, {2020, 1, day, 8, 0, 0, 0})) << "old";
  std::ofstream(m_dir + "\\agenda.PBF") << "not ours";
  Click(IDC_PB_WRITE);
  const std::vector<std::string> kept = ListBackups(BackupKind::Phonebook);
  ASSERT_EQ(kept.size(), 20u);
  EXPECT_EQ(Read(kept[0]).size(), 5480u) << "the newest is the one just made";
  EXPECT_EQ(kept.back(), BackupFileName(BackupKind::Phonebook, {2020, 1, 7, 8, 0, 0, 0}));
  EXPECT_EQ(Names().size(), 21u) << "a file that is not a backup stays";
}

TEST_F(SafeguardTest, TheBackupJustMadeStaysWhenTheClockIsBehindTheOthers) {
  // A clock set back, or the hour that falls back: the new name sorts oldest.
  for (int day = 1; day <= 20; ++day)
    std::ofstream(m_dir + "\\" + BackupFileName(BackupKind::Phonebook, {2099, 1, day, 8, 0, 0, 0})) << "later";
  Open();
  Click(IDC_PB_WRITE);
  const std::vector<std::string> kept = ListBackups(BackupKind::Phonebook);
  ASSERT_EQ(kept.size(), 20u);
  EXPECT_EQ(Read(kept.back()).size(), 5480u) << "the one just made";
  EXPECT_EQ(kept[18], BackupFileName(BackupKind::Phonebook, {2099, 1, 2, 8, 0, 0, 0})) << "the oldest other went";
}

TEST_F(SafeguardTest, AnEntryTheMachineStoredWronglyIsTold) {
  Open();
  machine.SetFault(MachineCommand::SetPhonebook, {MachineFault::StoresOneWrong, 3});
  Edit(2, "PADARIA NOVA", "1132149999");
  os.debugLines.clear();
  answerer.Expect(IDOK);
  Click(IDC_PB_WRITE);
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].text,
            "A máquina não guardou como enviadas as posições: 3. Confira as posições e grave de novo.");
  EXPECT_EQ(machine.state().phonebook[2].number, "113214999");
  EXPECT_STREQ(phonebookTable[2].number, "1132149999") << "the list keeps what the user sent";
  EXPECT_EQ(Rows()[2], "  3|PADARIA NOVA|1132149999");
  EXPECT_TRUE(phonebookPage->HasUnsentChanges());
  EXPECT_EQ(Count(os.debugLines, "===> SET PHONEBOOK <===\n"), 1);
  EXPECT_EQ(Count(os.debugLines, "===> GET PHONEBOOK <===\n"), 1);

  // A machine that takes the write but then does not answer the check.
  machine.ClearFaults();
  machine.SetFault(MachineCommand::GetPhonebook, {MachineFault::Silent, 0});
  answerer.boxes.clear();
  answerer.Expect(IDOK);
  Click(IDC_PB_WRITE);
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].text, "A gravação não pôde ser conferida: a máquina não respondeu à leitura.");
  EXPECT_STREQ(phonebookTable[2].number, "1132149999");
}

TEST_F(SafeguardTest, LeavingWithUnsentEditsAsksOnce) {
  Open();
  Command(ID_APP_EXIT_MENU);  // nothing changed: no question, the window ends
  EXPECT_TRUE(answerer.boxes.empty());
  EXPECT_FALSE(IsWindow(Main()));

  struct Case {
    int answer;
    UINT how;  // WM_COMMAND with this id, or WM_CLOSE for the close box
    bool closes, sent;
  } cases[] = {
      {IDCANCEL, ID_APP_EXIT_MENU, false, false},
      {IDCANCEL, WM_CLOSE, false, false},
      {IDNO, IDC_EXIT, true, false},
      {IDYES, WM_CLOSE, true, true},
  };
  for (const Case& c : cases) {
    panel.reset();
    Pump();
    machine.state().phonebook[0].name = "JOAO DA SILVA";
    Open();
    Edit(0, "NOVO NOME", "5551234");
    answerer.boxes.clear();
    answerer.Expect(c.answer);
    if (c.how == WM_CLOSE) SendMessageA(Main(), WM_CLOSE, 0, 0);
    else SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(c.how, 0), 0);
    Pump();
    ASSERT_EQ(answerer.boxes.size(), 1u) << c.answer;
    EXPECT_EQ(answerer.boxes[0].text, "Há alterações que ainda não foram enviadas à máquina. Enviar antes de sair?");
    EXPECT_EQ(answerer.boxes[0].buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));  // ids in order
    EXPECT_EQ(!IsWindow(Main()), c.closes) << c.answer;
    EXPECT_EQ(machine.state().phonebook[0].name == "NOVO NOME", c.sent) << c.answer;
  }
}

TEST_F(SafeguardTest, AplicarKeepsTheSettingsTheMachineHeldAndTheListLoadsThemBack) {
  Open(false);
  const auto carried = machine.state().settings;
  const SettingsBlock original = settingsBlock;
  EXPECT_TRUE(RestoreEnabled()) << "on the Settings page";
  Choose(SettingsWindow(), IDC_SET_TRAY1_SIZE, 0);
  Press(SettingsWindow(), IDC_APPLY);
  EXPECT_NE(machine.state().settings, carried);
  std::vector<std::string> kept = ListBackups(BackupKind::Settings);
  ASSERT_EQ(kept.size(), 1u);
  const std::string first = Read(kept[0]);
  EXPECT_EQ(first.rfind("[Settings]\r\n", 0), 0u) << first;
  EXPECT_EQ(first.find("[Advanced]"), std::string::npos) << "the advanced settings were never read";

  // The Advanced page's write keeps both, the settings as last sent.
  Select(1);
  EXPECT_TRUE(RestoreEnabled()) << "on the Advanced page";
  const auto info = machine.state().systemInfo;
  SetDlgItemTextA(AdvancedWindow(), IDC_ADV_TERMINAL_NAME, "FILIAL NORTE");
  Press(AdvancedWindow(), IDC_APPLY);
  EXPECT_NE(machine.state().systemInfo, info);
  kept = ListBackups(BackupKind::Settings);
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_NE(Read(kept[0]).find("[Advanced]"), std::string::npos);
  EXPECT_TRUE(ListBackups(BackupKind::Phonebook).empty());

  // The older backup back on the Settings page: its settings, the advanced
  // record untouched (the backup has none), nothing sent before Aplicar.
  Select(0);
  const SystemInfo advanced = systemInfo;
  const size_t requests = machine.Requests().size();
  RestoreRow(1);
  EXPECT_EQ(std::memcmp(&settingsBlock, &original, sizeof original), 0);
  EXPECT_EQ(SendDlgItemMessageA(SettingsWindow(), IDC_SET_TRAY1_SIZE, CB_GETCURSEL, 0, 0), 1) << "A4 again";
  EXPECT_EQ(std::memcmp(&systemInfo, &advanced, sizeof advanced), 0);
  EXPECT_EQ(machine.Requests().size(), requests);
  Press(SettingsWindow(), IDC_APPLY);
  EXPECT_EQ(machine.state().settings, carried);

  Select(3);
  EXPECT_FALSE(RestoreEnabled()) << "not on the Information page";
}

TEST_F(SafeguardTest, LeavingWithSettingsNotAppliedAsksOnce) {
  struct Case {
    int page;  // 0 Settings, 1 Advanced
    bool change;
    int answer;  // 0: no question expected
    bool silent, closes, sent;
  } cases[] = {
      {1, false, 0, false, true, false},  // the Advanced page seen, nothing changed
      {0, true, IDCANCEL, false, false, false},
      {0, true, IDYES, false, true, true},
      {1, true, IDNO, false, true, false},
      {1, true, IDYES, false, true, true},
      {0, true, IDYES, true, false, false},  // the machine does not take it: stay
  };
  for (const Case& c : cases) {
    panel.reset();
    Pump();
    machine = K40Machine();
    os.machine = &machine;
    Open(false);
    Select(c.page);
    const auto settings = machine.state().settings;
    const auto info = machine.state().systemInfo;
    if (c.change && c.page == 0) Choose(SettingsWindow(), IDC_SET_TRAY1_SIZE, 0);
    if (c.change && c.page == 1) SetDlgItemTextA(AdvancedWindow(), IDC_ADV_TERMINAL_NAME, "FILIAL NORTE");
    if (c.silent) os.machine = nullptr;  // unplugged
    answerer.boxes.clear();
    if (c.answer) answerer.Expect(c.answer);
    if (c.silent) answerer.Expect(IDOK);
    SendMessageA(Main(), WM_CLOSE, 0, 0);
    Pump();
    ASSERT_EQ(answerer.boxes.size(), (c.answer ? 1u : 0u) + (c.silent ? 1u : 0u)) << c.page << c.answer;
    if (c.answer) {
      EXPECT_EQ(answerer.boxes[0].text, "Há alterações que ainda não foram enviadas à máquina. Enviar antes de sair?");
    }
    if (c.silent) {
      EXPECT_EQ(answerer.boxes[1].text, "Não responde");
    }
    EXPECT_EQ(!IsWindow(Main()), c.closes) << c.page << c.answer;
    const bool sent = machine.state().settings != settings || machine.state().systemInfo != info;
    EXPECT_EQ(sent, c.sent) << c.page << c.answer;
  }
}

}  // namespace
