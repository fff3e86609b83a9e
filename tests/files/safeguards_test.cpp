// What keeps the machine's data from being lost, under Wine against the
// emulated machine: a dated backup of what it held before each "Gravação"
// (the newest 20 kept) that "Restaurar cópia de segurança..." loads back;
// the phonebook read back after each write and a difference told; and
// leaving with unsent edits asking Sim / Não / Cancelar.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "commands/device_data.h"
#include "files/backups.h"
#include "files/pbf_format.h"
#include "pages/page_set.h"
#include "pages/phonebook_page.h"
#include "pages/phonebook_rules.h"
#include "res/resource.h"
#include "tests/pages/phonebook_fixture.h"

namespace {

std::vector<uint8_t> TableBytes() {
  auto* p = reinterpret_cast<const uint8_t*>(phonebookTable);
  return std::vector<uint8_t>(p, p + 80 * sizeof(PhonebookEntry));
}

int Count(const std::vector<std::string>& lines, const std::string& line) {
  int n = 0;
  for (const std::string& l : lines) n += l == line;
  return n;
}

class SafeguardTest : public PhonebookPanelTest {
 protected:
  void SetUp() override {
    PhonebookPanelTest::SetUp();
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    m_dir = std::string(temp) + "rcp-backups-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(m_dir.c_str(), nullptr);
    BackupFolderOverride() = m_dir;
  }
  void TearDown() override {
    for (const std::string& name : Files()) DeleteFileA((m_dir + "\\" + name).c_str());
    RemoveDirectoryA(m_dir.c_str());
    BackupFolderOverride().clear();
    PhonebookPanelTest::TearDown();
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((m_dir + "\\*.*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(m_dir + "\\" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Edit(int index, const char* name, const char* number) {
    StoreEntry(phonebookTable[index], name, number);
    phonebookPage->FillList();
  }
  std::string m_dir;
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
  EXPECT_EQ(Files().size(), 21u) << "a file that is not a backup stays";
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

}  // namespace
