// The settings file under Wine: what the profile functions write and read,
// the replace that keeps an old file whole, and the main window's load and
// save commands with their dialogs, machine reads, page refills and messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/settings_file.h"
#include "tests/pages/settings_fixture.h"

namespace settings_test {
namespace {

const char kOfficeFile[] =
    "[Settings]\r\nBypass paper type=300\r\nDiscard size=25\r\nPower save =5\r\n"
    "[Advanced]\r\nTerminal ID Name=LOJA NOVA\r\nLanguage=10\r\n";

// Each test in a folder of its own, made the current directory.
class SettingsFileTest : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    m_dir = std::string(temp) + "rcp-stf-" + testing::UnitTest::GetInstance()->current_test_info()->name();
    CreateDirectoryA(m_dir.c_str(), nullptr);
    SetCurrentDirectoryA(m_dir.c_str());
  }
  void TearDown() override {
    PanelFixture::TearDown();
    SetCurrentDirectoryA("C:\\");
    for (const std::string& name : Files()) {
      SetFileAttributesA(Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(Path(name).c_str());
    }
    RemoveDirectoryA(m_dir.c_str());
  }
  std::string Path(const std::string& name) const { return m_dir + "\\" + name; }
  // Names in lower case: Windows finds a file whatever the case.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Path("*.*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
      std::string name = found.cFileName;
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(name);
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
  }
  void Write(const std::string& name, const std::string& text) const { std::ofstream(Path(name), std::ios::binary) << text; }
  std::string Read(const std::string& name) const {
    std::ostringstream text;
    text << std::ifstream(Path(name), std::ios::binary).rdbuf();
    return text.str();
  }
  std::string Key(const char* section, const char* key, const std::string& name) const {
    char value[128] = {};
    GetPrivateProfileStringA(section, key, "(missing)", value, sizeof value, Path(name).c_str());
    return value;
  }

  std::string m_dir;
};

TEST_F(SettingsFileTest, SavedThroughTheProfileFunctionsAndReadBack) {
  auto* bytes = reinterpret_cast<uint8_t*>(&settingsBlock);
  for (size_t i = 0; i < sizeof settingsBlock; ++i) bytes[i] = static_cast<uint8_t>(i + 1);
  std::strcpy(systemInfo.customerName, "ACME");
  std::strcpy(systemInfo.serialNumber, "SN42");
  systemInfo.ringerVolume = 10;
  ASSERT_EQ(SaveSettingsFile("office.STF"), 1);  // a bare name: the current folder
  std::istringstream lines(Read("office.STF"));
  std::vector<std::string> keys;
  for (std::string line; std::getline(lines, line);) keys.push_back(line.substr(0, line.find('=')));
  const std::vector<std::string> expected = {
      "[Settings]\r", "Cassette #1 paper size", "Cassette #2 paper size", "Bypass paper size",
      "Sending confirmation", "Bypass paper type", "Remote receive code", "Clock mode", "Auto Clear Timeout",
      "Discard size", "Rings to answer", "Redial interval", "Redial count",
      "Power save",  // Wine's profile functions drop the key's trailing blank
      "Auto journal", "Local ID", "Rx reduction", "Horizontal reduction", "ECM mode", "Memory transmission",
      "[Advanced]\r", "Terminal ID Name", "Terminal ID Number", "Customer Name", "Customer Number",
      "Service number", "Serial number", "Receive mode", "Speaker", "Ringer volume", "USB mode", "Fax duplex",
      "Language", "Prefix dial", "Alarm sound", "Key sound", "Toner save", "Notify toner low"};
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(Key("Settings", "Power save ", "office.STF"), "7");
  EXPECT_EQ(Files(), std::vector<std::string>{"office.stf"}) << "nothing left beside it";

  SettingsBlock settings = settingsBlock;
  SystemInfo info = systemInfo;
  std::memset(&settingsBlock, 0, sizeof settingsBlock);
  std::memset(&systemInfo, 0, sizeof systemInfo);
  ASSERT_EQ(LoadSettingsFile(Path("office.STF")), 1);
  EXPECT_EQ(std::memcmp(&settings, &settingsBlock, sizeof settings), 0);
  EXPECT_EQ(std::memcmp(&info, &systemInfo, sizeof info), 0);

  Write("office.STF", kOfficeFile);
  ASSERT_EQ(LoadSettingsFile("office.STF"), 1);
  EXPECT_EQ(settingsBlock.bypassPaperType, 44);
  EXPECT_EQ(settingsBlock.powerSave, 5) << "the key ending in a blank, as other writers keep it";
  EXPECT_STREQ(systemInfo.customerName, "") << "a missing key";

  std::strcpy(systemInfo.customerName, "KEPT");
  Write("settings-only.STF", "[Settings]\r\nBypass paper type=2\r\n");
  ASSERT_EQ(LoadSettingsFile("settings-only.STF"), 1);
  EXPECT_EQ(settingsBlock.bypassPaperType, 2);
  EXPECT_STREQ(systemInfo.customerName, "KEPT") << "no [Advanced]: the advanced settings stay";
}

TEST_F(SettingsFileTest, AFailedSaveLeavesTheOldFileWholeAndAFailedLoadTheRecords) {
  Write("kept.STF", kOfficeFile);
  SetFileAttributesA(Path("kept.STF").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(SaveSettingsFile(Path("kept.STF")), 0);
  EXPECT_EQ(SaveSettingsFile(Path("no-such-folder\\x.STF")), 0);
  EXPECT_EQ(Read("kept.STF"), kOfficeFile);
  EXPECT_EQ(Files(), std::vector<std::string>{"kept.stf"}) << "no half-written file left";
  settingsBlock.discardSize = 9;
  EXPECT_EQ(LoadSettingsFile(Path("missing.STF")), 0);
  EXPECT_EQ(LoadSettingsFile(m_dir), 0) << "a folder";
  EXPECT_EQ(settingsBlock.discardSize, 9);
}

TEST_F(SettingsFileTest, TheMenuCommandsSaveAndLoadWithThePagesRules) {
  Open();
  HMENU file = GetSubMenu(GetMenu(Main()), 0);
  const UINT ids[] = {ID_LOAD_PHONEBOOK,  ID_SAVE_PHONEBOOK,  ID_LOAD_SETTINGS,  ID_SAVE_SETTINGS, ID_IMPORT_CONTACTS,
                      ID_EXPORT_CONTACTS, ID_RESTORE_BACKUP, ID_USAGE_HISTORY,  0,                ID_APP_EXIT_MENU};
  ASSERT_EQ(GetMenuItemCount(file), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(GetMenuItemID(file, i), ids[i]) << i;
  char text[64] = {};
  GetMenuStringA(file, ID_LOAD_SETTINGS, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "Carregar configurações...");
  GetMenuStringA(file, ID_SAVE_SETTINGS, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "Salvar configurações...");
  EXPECT_FALSE(GetMenuState(file, ID_SAVE_SETTINGS, MF_BYCOMMAND) & MF_GRAYED);

  // A load, then a save, before the Advanced page was ever opened: the file
  // fills the Settings page at once, and the save reads the machine's
  // advanced values first (which then replace the loaded ones in the file).
  Write("office.STF", kOfficeFile);
  answerer.ExpectFile("office");  // typed without extension
  Command(ID_LOAD_SETTINGS);
  EXPECT_EQ(ItemText(SettingsPage(), 1021), "25");
  EXPECT_TRUE(advancedFromFile);
  answerer.ExpectFile("backup");
  Command(ID_SAVE_SETTINGS);
  EXPECT_EQ(Count(MachineCommand::GetSystemInfo), 1u);
  EXPECT_EQ(Key("Settings", "Discard size", "backup.STF"), "25");
  EXPECT_EQ(Key("Advanced", "Terminal ID Name", "backup.STF"), "PAPELARIA SAO BENTO");

  // The first opening shows the record without reading the machine; once
  // open, a load refills it at once and a save reads nothing.
  HWND advanced = AdvancedPage();
  EXPECT_EQ(Count(MachineCommand::GetSystemInfo), 1u);
  EXPECT_EQ(ItemText(advanced, 1038), "PAPELARIA SAO BENTO");
  answerer.ExpectFile("office.STF");
  Command(ID_LOAD_SETTINGS);
  EXPECT_EQ(ItemText(advanced, 1038), "LOJA NOVA");
  EXPECT_EQ(Selected(advanced, 1058), 10);
  answerer.ExpectFile("backup.STF");
  answerer.Expect(IDYES);  // replace it?
  Command(ID_SAVE_SETTINGS);
  EXPECT_EQ(Count(MachineCommand::GetSystemInfo), 1u);
  EXPECT_EQ(Key("Advanced", "Terminal ID Name", "backup.STF"), "LOJA NOVA");
  EXPECT_EQ(Files(), (std::vector<std::string>{"backup.stf", "office.stf"}));
  EXPECT_EQ(answerer.boxes.size(), 1u);
}

TEST_F(SettingsFileTest, FilesThatCannotBeReadOrWrittenAreReported) {
  Write("locked.STF", kOfficeFile);
  SetFileAttributesA(Path("locked.STF").c_str(), FILE_ATTRIBUTE_READONLY);
  Open();
  answerer.ExpectFile("missing");
  answerer.Expect(IDOK);
  Command(ID_LOAD_SETTINGS);
  EXPECT_FALSE(advancedFromFile) << "the Advanced page must still read the machine";
  answerer.ExpectFile("locked.STF");
  answerer.Expect(IDYES);  // replace it?
  answerer.Expect(IDOK);
  Command(ID_SAVE_SETTINGS);
  ASSERT_EQ(answerer.boxes.size(), 3u);
  EXPECT_EQ(answerer.boxes[0].text, "Não foi possível ler o arquivo.");
  EXPECT_EQ(answerer.boxes[2].text, "Não foi possível gravar o arquivo.");
  EXPECT_EQ(answerer.boxes[2].owner, Main());
  EXPECT_EQ(Read("locked.STF"), kOfficeFile);
  AdvancedPage();
  EXPECT_EQ(Count(MachineCommand::GetSystemInfo), 2u) << "one by the save, one by the page";

  // A phonebook chosen by mistake would load as all zeros.
  Write("agenda.PBF", std::string("QMV FAX-RCP Phonebook\0\0\0" "1.00", 28) + std::string(300, '\0'));
  const SettingsBlock held = settingsBlock;
  answerer.ExpectFile("agenda.PBF");
  answerer.Expect(IDOK);
  Command(ID_LOAD_SETTINGS);
  ASSERT_EQ(answerer.boxes.size(), 4u);
  EXPECT_EQ(answerer.boxes[3].text, "Arquivo de configurações inválido.");
  EXPECT_EQ(std::memcmp(&held, &settingsBlock, sizeof held), 0);

  answerer.ExpectFile("");
  Command(ID_LOAD_SETTINGS);  // cancelled: nothing happens
  EXPECT_EQ(answerer.boxes.size(), 4u);
}

}  // namespace
}  // namespace settings_test
