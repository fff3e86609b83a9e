// Phonebook files under Wine: the bytes on disk, saves that fail without
// harming the old file, loads of short and foreign files, and the menu
// commands with their file dialogs, messages and refilled list.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/main_panel.h"
#include "commands/device_data.h"
#include "files/phonebook_file.h"
#include "res/resource.h"
#include "tests/pages/phonebook_fixture.h"

namespace {

const char kInvalidFile[] = "Arquivo de diretório telefônico inválido.";
const char kReadFailed[] = "Não foi possível ler o arquivo.";
const char kWriteFailed[] = "Não foi possível gravar o arquivo.";

std::vector<uint8_t> ExpectedHeader() {
  std::vector<uint8_t> h(40, 0);
  std::memcpy(h.data(), "QMV FAX-RCP Phonebook", 21);
  std::memcpy(h.data() + 24, "1.00", 4);
  h[32] = 0x14;
  h[34] = 0x50;
  return h;
}

std::vector<uint8_t> TableBytes() {
  auto* p = reinterpret_cast<const uint8_t*>(phonebookTable);
  return std::vector<uint8_t>(p, p + 80 * sizeof(PhonebookEntry));
}

void FillTable(const char* prefix) {
  for (int i = 0; i < 80; ++i) {
    std::memset(&phonebookTable[i], 0, sizeof(PhonebookEntry));
    std::snprintf(phonebookTable[i].name, 21, "%s %d", prefix, i + 1);
    std::snprintf(phonebookTable[i].number, 47, "0%d", 5000 + i);
  }
}

// A folder of its own for each test, made the current directory (where the
// file dialogs start).
class FileFolder {
 public:
  FileFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    m_saved = current;
    static int serial = 0;
    m_dir = std::string(temp) + "rcp-pbf-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    CreateDirectoryA(m_dir.c_str(), nullptr);
    SetCurrentDirectoryA(m_dir.c_str());
  }
  ~FileFolder() {
    SetCurrentDirectoryA(m_saved.c_str());
    for (const std::string& name : Names()) {
      std::string path = Path(name);
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileA(path.c_str())) RemoveDirectoryA(path.c_str());
    }
    RemoveDirectoryA(m_dir.c_str());
  }
  std::string Path(const std::string& name) const { return m_dir + "\\" + name; }
  // Lower case: the dialogs may give the extension either way, and Windows
  // file names do not tell case apart.
  std::set<std::string> Names() const {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((m_dir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      std::string name = found.cFileName;
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (name != "." && name != "..") names.insert(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
  }
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream out(Path(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<uint8_t> Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string m_dir;
  std::string m_saved;
};

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

const char kSettingsFile[] =
    "[Settings]\r\nCassette #1 paper size=1\r\nCassette #2 paper size=0\r\n[Advanced]\r\n"
    "Terminal ID Name=PAPELARIA\r\n";

// --- the file functions, on a table of 80 entries without windows ---

class PhonebookFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDeviceData();
    speedDialCount = 80;
    ASSERT_TRUE(CreatePhonebookTable());
    FillTable("MEM");
  }
  void TearDown() override { ResetDeviceData(); }
  FileFolder folder;
};

TEST_F(PhonebookFileTest, SaveWritesTheHeaderAndEveryEntryAndLeavesNothingElse) {
  folder.Write("agenda.PBF", std::vector<uint8_t>(9000, 0x41));  // an older, longer file
  ASSERT_TRUE(SavePhonebookFile(folder.Path("agenda.PBF").c_str()));
  std::vector<uint8_t> file = folder.Read("agenda.PBF");
  ASSERT_EQ(file.size(), 5480u);
  EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 40), ExpectedHeader());
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 40, file.end()), TableBytes());
  EXPECT_EQ(folder.Names(), std::set<std::string>{"agenda.pbf"}) << "no temporary file left";
}

TEST_F(PhonebookFileTest, FailedSavesKeepTheOldFileWhole) {
  const std::vector<uint8_t> old = Bytes("the old phonebook");
  folder.Write("locked.PBF", old);
  SetFileAttributesA(folder.Path("locked.PBF").c_str(), FILE_ATTRIBUTE_READONLY);
  CreateDirectoryA(folder.Path("folder.PBF").c_str(), nullptr);
  struct Case {
    const char* what;
    std::string path;
  } cases[] = {
      {"a read-only file", folder.Path("locked.PBF")},
      {"a folder of that name", folder.Path("folder.PBF")},
      {"a folder that does not exist", folder.Path("missing\\new.PBF")},
      {"no name", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(SavePhonebookFile(c.path.c_str()));
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"folder.pbf", "locked.pbf"}));
    EXPECT_EQ(folder.Read("locked.PBF"), old);
  }
}

TEST_F(PhonebookFileTest, LoadTakesWhatTheFileHoldsAndRefusesOthers) {
  FillTable("FILE");
  const std::vector<uint8_t> saved = TableBytes();
  ASSERT_TRUE(SavePhonebookFile(folder.Path("whole.PBF").c_str()));
  std::vector<uint8_t> whole = folder.Read("whole.PBF");
  auto head = [&](size_t n) { return std::vector<uint8_t>(whole.begin(), whole.begin() + n); };
  std::vector<uint8_t> longer = whole;
  longer.insert(longer.end(), 300, 0x77);

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;  // written to "case.PBF"; none for a missing file
    bool exists;
    PhonebookFileError error;
    int replaced;  // leading entries that take the file's
  } cases[] = {
      {"the whole file", whole, true, PhonebookFileError::None, 80},
      {"more bytes than the table", longer, true, PhonebookFileError::None, 80},
      {"the header and ten records", head(40 + 10 * 68), true, PhonebookFileError::None, 10},
      {"the signature alone", head(21), true, PhonebookFileError::None, 0},
      {"an empty file", {}, true, PhonebookFileError::NotPhonebook, 0},
      {"a settings file", Bytes(kSettingsFile), true, PhonebookFileError::NotPhonebook, 0},
      {"no such file", {}, false, PhonebookFileError::CannotOpen, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteFileA(folder.Path("case.PBF").c_str());
    if (c.exists) folder.Write("case.PBF", c.bytes);
    FillTable("MEM");
    const std::vector<uint8_t> before = TableBytes();
    PhonebookFileError error = PhonebookFileError::None;
    EXPECT_EQ(LoadPhonebookFile(folder.Path("case.PBF").c_str(), &error), c.error == PhonebookFileError::None);
    EXPECT_EQ(error, c.error);
    const std::vector<uint8_t> after = TableBytes();
    const size_t cut = size_t(c.replaced) * 68;
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + cut, saved.begin()));
    EXPECT_TRUE(std::equal(after.begin() + cut, after.end(), before.begin() + cut));
  }
  PhonebookFileError error = PhonebookFileError::None;
  EXPECT_FALSE(LoadPhonebookFile(folder.Path("").c_str(), &error)) << "a folder";
  EXPECT_EQ(error, PhonebookFileError::CannotOpen);
}

// --- the menu commands on the main window ---

class PhonebookCommandTest : public PhonebookPanelTest {
 protected:
  void Command(WORD id) {
    SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    Pump();
  }
  FileFolder folder;
};

TEST_F(PhonebookCommandTest, SaveThenClearThenLoadBringsTheEntriesBack) {
  Open();
  const std::vector<uint8_t> original = TableBytes();
  const std::vector<std::string> rows = Rows();
  ASSERT_EQ(rows[7], "  8|GRUPO VENDAS|*GROUP DIAL*");

  answerer.ExpectFile("agenda");  // the dialog adds the extension
  Command(ID_SAVE_PHONEBOOK);
  ASSERT_EQ(answerer.fileDialogs.size(), 1u);
  EXPECT_EQ(folder.Names(), std::set<std::string>{"agenda.pbf"});
  std::vector<uint8_t> file = folder.Read("agenda.PBF");
  ASSERT_EQ(file.size(), 5480u);
  EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 40), ExpectedHeader());

  Click(IDC_PB_DELETE_ALL);
  ASSERT_NE(Rows(), rows);
  answerer.ExpectFile("agenda");  // typed without extension: ".PBF" is appended
  Command(ID_LOAD_PHONEBOOK);
  ASSERT_EQ(answerer.fileDialogs.size(), 2u);
  EXPECT_EQ(TableBytes(), original);
  EXPECT_EQ(Rows(), rows) << "the list is refilled";
  EXPECT_TRUE(answerer.boxes.empty());
  for (MachineCommand kind : machine.RequestKinds())
    EXPECT_NE(kind, MachineCommand::SetPhonebook) << "loading sends nothing to the machine";
}

TEST_F(PhonebookCommandTest, TenRecordsReplaceTheFirstTen) {
  Open();
  FillTable("FILE");
  ASSERT_TRUE(SavePhonebookFile(folder.Path("full.PBF").c_str()));
  std::vector<uint8_t> ten = folder.Read("full.PBF");
  ten.resize(40 + 10 * 68);
  folder.Write("ten.pbf", ten);
  Click(IDC_PB_READ);  // the machine's entries again
  const std::vector<std::string> rows = Rows();

  answerer.ExpectFile("ten.pbf");
  Command(ID_LOAD_PHONEBOOK);
  for (int r = 0; r < 80; ++r) {
    if (r < 10)
      EXPECT_EQ(Cell(r, 1), "FILE " + std::to_string(r + 1)) << "row " << r;
    else
      EXPECT_EQ(Rows()[r], rows[r]) << "row " << r;
  }
}

TEST_F(PhonebookCommandTest, FailuresAreToldOnceAndChangeNothing) {
  Open();
  folder.Write("empty.PBF", {});
  folder.Write("office.STF", Bytes(kSettingsFile));
  folder.Write("locked.PBF", Bytes("old"));
  SetFileAttributesA(folder.Path("locked.PBF").c_str(), FILE_ATTRIBUTE_READONLY);
  const std::vector<uint8_t> table = TableBytes();
  const std::vector<std::string> rows = Rows();
  struct Case {
    WORD command;
    const char* typed;
    bool overwritePrompt;
    const char* message;
  } cases[] = {
      {ID_LOAD_PHONEBOOK, "empty.PBF", false, kInvalidFile},
      {ID_LOAD_PHONEBOOK, "office.STF", false, kInvalidFile},
      {ID_LOAD_PHONEBOOK, "nobody", false, kReadFailed},
      {ID_SAVE_PHONEBOOK, "locked.PBF", true, kWriteFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    answerer.boxes.clear();
    answerer.ExpectFile(c.typed);
    if (c.overwritePrompt) answerer.Expect(IDYES);
    answerer.Expect(IDOK);
    Command(c.command);
    ASSERT_EQ(answerer.boxes.size(), c.overwritePrompt ? 2u : 1u);
    EXPECT_EQ(answerer.boxes.back().text, c.message);
    EXPECT_EQ(answerer.boxes.back().caption, "Dalvenor");
    EXPECT_EQ(answerer.boxes.back().owner, Main());
    EXPECT_EQ(TableBytes(), table);
    EXPECT_EQ(Rows(), rows);
  }
  EXPECT_EQ(folder.Read("locked.PBF"), Bytes("old"));
  EXPECT_EQ(folder.Names(), (std::set<std::string>{"empty.pbf", "locked.pbf", "office.stf"}));

  // Cancel: nothing at all.
  answerer.boxes.clear();
  answerer.ExpectFile("");
  Command(ID_LOAD_PHONEBOOK);
  answerer.ExpectFile("");
  Command(ID_SAVE_PHONEBOOK);
  EXPECT_TRUE(answerer.boxes.empty());
}

TEST_F(PhonebookCommandTest, CommandsDoNothingUnlessThePhonebookPageIsActive) {
  Open(false);  // the settings page
  auto tryBoth = [this](const char* when) {
    SCOPED_TRACE(when);
    Command(ID_LOAD_PHONEBOOK);
    Command(ID_SAVE_PHONEBOOK);
    EXPECT_TRUE(answerer.fileDialogs.empty()) << "no file dialog";
    EXPECT_TRUE(folder.Names().empty());
  };
  tryBoth("the page not yet made");
  Select(kPhonebookTab);
  Select(3);
  tryBoth("another page active");

  // The firmware page alone: no phonebook page, no table.
  panel.reset();
  ResetDeviceData();
  panel = std::make_unique<CMainPanel>();
  ASSERT_NE(panel->Create(), nullptr);
  Pump();
  tryBoth("no machine");
}

}  // namespace
