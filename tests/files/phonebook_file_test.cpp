// Phonebook files under Wine, through the main window's menu commands and
// their file dialogs: save, clear and load back; failures told once without
// harm to the table or the old file; commands ignored unless the phonebook
// page is active.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "commands/device_data.h"
#include "files/phonebook_file.h"
#include "res/resource.h"
#include "tests/app/scratch_folder.h"
#include "tests/pages/phonebook_fixture.h"

namespace {

class PhonebookFileTest : public PhonebookPanelTest, protected ScratchFolder {
 protected:
  PhonebookFileTest() : ScratchFolder("rcp-pbf-") {}
};

TEST_F(PhonebookFileTest, SaveThenClearThenLoadBringsTheEntriesBack) {
  Open();
  const std::vector<uint8_t> original = TableBytes();
  const std::vector<std::string> rows = Rows();
  answerer.ExpectFile("agenda");  // the dialog adds the extension
  Command(ID_SAVE_PHONEBOOK);
  EXPECT_EQ(Names(), std::set<std::string>{"agenda.pbf"}) << "nothing but the file: no temporary one left";
  const std::string file = Read("agenda.pbf");
  ASSERT_EQ(file.size(), 5480u);
  EXPECT_EQ(file.substr(0, 40), std::string("QMV FAX-RCP Phonebook\0\0\0" "1.00\0\0\0\0" "\x14\0\x50\0\0\0\0\0", 40));
  EXPECT_EQ(file.substr(40), std::string(original.begin(), original.end()));

  Click(IDC_PB_DELETE_ALL);
  ASSERT_NE(Rows(), rows);
  answerer.ExpectFile("agenda");  // typed without extension: ".PBF" is appended
  Command(ID_LOAD_PHONEBOOK);
  EXPECT_EQ(TableBytes(), original);
  EXPECT_EQ(Rows(), rows) << "the list is refilled";
  EXPECT_EQ(answerer.fileDialogs.size(), 2u);
  EXPECT_TRUE(answerer.boxes.empty());
  for (MachineCommand kind : machine.RequestKinds()) EXPECT_NE(kind, MachineCommand::SetPhonebook);
}

TEST_F(PhonebookFileTest, FailuresAreToldOnceAndChangeNothing) {
  Open();
  Write("empty.PBF", "");
  Write("office.STF", "[Settings]\r\nCassette #1 paper size=1\r\n");
  Write("locked.PBF", "old");
  SetFileAttributesA(Path("locked.PBF").c_str(), FILE_ATTRIBUTE_READONLY);
  const std::vector<uint8_t> table = TableBytes();
  const struct {
    WORD command;
    const char* typed;
    const char* message;
  } cases[] = {
      {ID_LOAD_PHONEBOOK, "empty.PBF", "Arquivo de diretório telefônico inválido."},
      {ID_LOAD_PHONEBOOK, "office.STF", "Arquivo de diretório telefônico inválido."},
      {ID_LOAD_PHONEBOOK, "nobody", "Não foi possível ler o arquivo."},
      {ID_SAVE_PHONEBOOK, "locked.PBF", "Não foi possível gravar o arquivo."},
  };
  for (const auto& c : cases) {
    answerer.boxes.clear();
    answerer.ExpectFile(c.typed);
    if (c.command == ID_SAVE_PHONEBOOK) answerer.Expect(IDYES);  // replace it?
    answerer.Expect(IDOK);
    Command(c.command);
    ASSERT_FALSE(answerer.boxes.empty()) << c.typed;
    EXPECT_EQ(answerer.boxes.back().text, c.message);
    EXPECT_EQ(answerer.boxes.back().owner, Main());
    EXPECT_EQ(answerer.boxes.size(), c.command == ID_SAVE_PHONEBOOK ? 2u : 1u) << c.typed;
    EXPECT_EQ(TableBytes(), table);
  }
  EXPECT_EQ(Read("locked.PBF"), "old");
  EXPECT_EQ(Names(), (std::set<std::string>{"empty.pbf", "locked.pbf", "office.stf"}));
}

TEST_F(PhonebookFileTest, CommandsDoNothingUnlessThePhonebookPageIsActive) {
  Open(false);  // the settings page
  for (int tab : {0, kPhonebookTab + 1}) {
    if (tab) Select(kPhonebookTab);  // made, then left
    Select(tab);
    Command(ID_LOAD_PHONEBOOK);
    Command(ID_SAVE_PHONEBOOK);
  }
  panel.reset();
  ResetDeviceData();  // no machine: the firmware page alone, no table
  panel = std::make_unique<CMainPanel>();
  ASSERT_NE(panel->Create(), nullptr);
  Command(ID_LOAD_PHONEBOOK);
  Command(ID_SAVE_PHONEBOOK);
  EXPECT_TRUE(answerer.fileDialogs.empty());
  EXPECT_TRUE(Names().empty());
}

TEST_F(PhonebookFileTest, SaveIntoAFolderThatIsNotThereFails) {
  EXPECT_FALSE(SavePhonebookFile(Path("missing\\new.PBF").c_str()));
  EXPECT_FALSE(SavePhonebookFile(""));
  PhonebookFileError error = PhonebookFileError::None;
  EXPECT_FALSE(LoadPhonebookFile(m_dir.c_str(), &error)) << "a folder";
  EXPECT_EQ(error, PhonebookFileError::CannotOpen);
  EXPECT_TRUE(Names().empty());
}

}  // namespace
