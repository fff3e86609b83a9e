// The settings file under Wine: the file the profile functions write and
// read, the replace that keeps an old file whole, and the load and save
// commands of the main window with their dialogs, reads and messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/settings_file.h"
#include "res/resource.h"
#include "tests/pages/settings_fixture.h"

namespace settings_test {
namespace {

std::string CurrentDirectory() {
  char dir[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, dir);
  return dir;
}

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// File names compare without case, as Windows finds them.
std::vector<std::string> Lower(std::vector<std::string> names) {
  for (std::string& name : names)
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return names;
}

// Each test in a folder of its own, made the current directory.
class SettingsFileTest : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    m_saved = CurrentDirectory();
    m_dir = std::string(temp) + "rcp-stf-" + std::to_string(GetCurrentProcessId()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name();
    CreateDirectoryA(m_dir.c_str(), nullptr);
    SetCurrentDirectoryA(m_dir.c_str());
  }
  void TearDown() override {
    PanelFixture::TearDown();
    SetCurrentDirectoryA(m_saved.c_str());
    for (const std::string& name : FilesIn(m_dir)) {
      std::string path = m_dir + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(m_dir.c_str());
  }
  std::string PathOf(const std::string& name) const { return m_dir + "\\" + name; }
  void WriteFile(const std::string& name, const std::string& contents) const {
    std::ofstream out(PathOf(name), std::ios::binary);
    out << contents;
  }
  std::string ReadFile(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // The file's lines without their line ends and blank lines.
  std::vector<std::string> Lines(const std::string& name) const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(name));
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) lines.push_back(line);
    }
    return lines;
  }
  std::string Key(const std::string& section, const std::string& key, const std::string& name) const {
    char value[128] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "(missing)", value, sizeof value, PathOf(name).c_str());
    return value;
  }

  void SampleRecords() {
    auto* bytes = reinterpret_cast<uint8_t*>(&settingsBlock);
    for (size_t i = 0; i < sizeof settingsBlock; ++i) bytes[i] = static_cast<uint8_t>(i + 1);
    std::strcpy(systemInfo.terminalIdName, "LOJA");
    std::strcpy(systemInfo.terminalIdNumber, "+55 21 5555");
    std::strcpy(systemInfo.customerName, "JOAO");
    std::strcpy(systemInfo.customerNumber, "21 5555 0000");
    std::strcpy(systemInfo.serviceNumber, "0800 123");
    std::strcpy(systemInfo.serialNumber, "SN42");
    std::strcpy(systemInfo.prefixDial, "9");
    systemInfo.receiveMode = 3;
    systemInfo.speaker = 1;
    systemInfo.ringerVolume = 10;
    systemInfo.usbMode = 1;
    systemInfo.faxDuplex = 2;
    systemInfo.language = 4;
    systemInfo.alarmSound = 1;
    systemInfo.keySound = 0;
    systemInfo.tonerSave = 1;
    systemInfo.notifyTonerLow = 0;
    systemInfo.imageQuality = 2;
  }

  std::string m_dir;
  std::string m_saved;
};

const char kLoadedFile[] =
    "[Settings]\r\n"
    "Cassette #1 paper size=2\r\nCassette #2 paper size=1\r\nBypass paper size=0\r\n"
    "Sending confirmation=1\r\nBypass paper type=300\r\nRemote receive code=-1\r\nClock mode=abc\r\n"
    "Auto Clear Timeout=3\r\nDiscard size=25\r\nRings to answer=5\r\nRedial interval=12\r\n"
    "Redial count=0\r\nPower save =5\r\nAuto journal=0\r\nLocal ID=0\r\nRx reduction=0\r\n"
    "Horizontal reduction=1\r\nECM mode=0\r\nMemory transmission=0\r\n"
    "[Advanced]\r\n"
    "Terminal ID Name=LOJA NOVA\r\nTerminal ID Number=+55 21 5555\r\nCustomer Name=JOAO\r\n"
    "Customer Number=21 5555 0000\r\n"
    "Service number=12345678901234567890123456789012345678901234567890\r\n"
    "Serial number=SN42\r\nReceive mode=3\r\nSpeaker=0\r\nRinger volume=10\r\nUSB mode=0\r\n"
    "Fax duplex=2\r\nLanguage=10\r\nPrefix dial=9\r\nAlarm sound=0\r\nKey sound=0\r\nToner save=1\r\n"
    "Notify toner low=0\r\n";

// --- the file ------------------------------------------------------------------

TEST_F(SettingsFileTest, ASavedFileHoldsThirtySixKeyLinesInOrder) {
  SampleRecords();
  ASSERT_EQ(SaveSettingsFile("office.STF"), 1);  // a bare name: the current folder
  const std::vector<std::string> expected = {
      "[Settings]",
      "Cassette #1 paper size=1", "Cassette #2 paper size=18", "Bypass paper size=2",
      "Sending confirmation=4", "Bypass paper type=3", "Remote receive code=6", "Clock mode=17",
      "Auto Clear Timeout=19", "Discard size=11", "Rings to answer=14", "Redial interval=12",
      "Redial count=13", "Power save=7", "Auto journal=5", "Local ID=16", "Rx reduction=9",
      "Horizontal reduction=10", "ECM mode=8", "Memory transmission=15",
      "[Advanced]",
      "Terminal ID Name=LOJA", "Terminal ID Number=+55 21 5555", "Customer Name=JOAO",
      "Customer Number=21 5555 0000", "Service number=0800 123", "Serial number=SN42", "Receive mode=3",
      "Speaker=1", "Ringer volume=10", "USB mode=1", "Fax duplex=2", "Language=4", "Prefix dial=9",
      "Alarm sound=1", "Key sound=0", "Toner save=1", "Notify toner low=0"};
  std::vector<std::string> lines = Lines("office.STF");
  // Wine's profile functions drop the blank the power-save key ends in when
  // they write it; the profile reader finds the key under either spelling.
  for (std::string& line : lines)
    if (line.rfind("Power save =", 0) == 0) line.erase(10, 1);
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(Key("Settings", "Power save ", "office.STF"), "7");
  EXPECT_EQ(FilesIn(m_dir), std::vector<std::string>{"office.STF"}) << "nothing else left beside it";
}

TEST_F(SettingsFileTest, LoadingReadsNumbersAsTheRuntimeDoesAndCutsTexts) {
  WriteFile("in.STF", kLoadedFile);
  systemInfo.imageQuality = 2;
  ASSERT_EQ(LoadSettingsFile(PathOf("in.STF")), 1);
  EXPECT_EQ(settingsBlock.cassette1PaperSize, 2);
  EXPECT_EQ(settingsBlock.bypassPaperType, 44) << "300";
  EXPECT_EQ(settingsBlock.remoteReceiveCode, 255) << "-1";
  EXPECT_EQ(settingsBlock.clockMode, 0) << "letters";
  EXPECT_EQ(settingsBlock.powerSave, 5) << "the key that ends in a blank";
  EXPECT_EQ(settingsBlock.discardSize, 25);
  EXPECT_EQ(settingsBlock.horizontalReduction, 1);
  EXPECT_STREQ(systemInfo.terminalIdName, "LOJA NOVA");
  EXPECT_EQ(std::string(systemInfo.serviceNumber), "1234567890123456789012345678901234567890123456")
      << "50 characters load as their first 46";
  EXPECT_EQ(systemInfo.language, 10);
  EXPECT_EQ(systemInfo.imageQuality, 2) << "no key";
}

TEST_F(SettingsFileTest, AFileWithoutTheAdvancedSectionEmptiesIt) {
  std::string settingsOnly(kLoadedFile, std::strstr(kLoadedFile, "[Advanced]") - kLoadedFile);
  WriteFile("settings-only.STF", settingsOnly);
  SampleRecords();
  ASSERT_EQ(LoadSettingsFile("settings-only.STF"), 1);
  EXPECT_EQ(settingsBlock.discardSize, 25);
  for (const char* text : {systemInfo.terminalIdName, systemInfo.terminalIdNumber, systemInfo.customerName,
                           systemInfo.customerNumber, systemInfo.serviceNumber, systemInfo.serialNumber,
                           systemInfo.prefixDial})
    EXPECT_STREQ(text, "");
  EXPECT_EQ(systemInfo.ringerVolume, 0);
  EXPECT_EQ(systemInfo.alarmSound, 0);
  EXPECT_EQ(systemInfo.imageQuality, 2);
}

TEST_F(SettingsFileTest, SavedAndLoadedAgainGivesTheSameRecords) {
  SampleRecords();
  std::strcpy(systemInfo.customerName, "ACME\r\n[Settings]");  // a line break never reaches the file
  ASSERT_EQ(SaveSettingsFile(PathOf("round.STF")), 1);
  SettingsBlock settings = settingsBlock;
  SystemInfo info = systemInfo;
  std::memset(info.customerName, 0, sizeof info.customerName);
  std::strcpy(info.customerName, "ACME");
  std::memset(&settingsBlock, 0, sizeof settingsBlock);
  std::memset(&systemInfo, 0, sizeof systemInfo);
  systemInfo.imageQuality = 2;
  ASSERT_EQ(LoadSettingsFile(PathOf("round.STF")), 1);
  EXPECT_EQ(std::memcmp(&settings, &settingsBlock, sizeof settings), 0);
  EXPECT_EQ(std::memcmp(&info, &systemInfo, sizeof info), 0);
  EXPECT_EQ(Lines("round.STF").size(), 38u);
}

TEST_F(SettingsFileTest, AFailedSaveLeavesTheOldFileWholeAndNothingBeside) {
  WriteFile("kept.STF", kLoadedFile);
  SetFileAttributesA(PathOf("kept.STF").c_str(), FILE_ATTRIBUTE_READONLY);
  SampleRecords();
  EXPECT_EQ(SaveSettingsFile(PathOf("kept.STF")), 0);
  EXPECT_EQ(ReadFile("kept.STF"), kLoadedFile);
  EXPECT_EQ(FilesIn(m_dir), std::vector<std::string>{"kept.STF"});

  EXPECT_EQ(SaveSettingsFile(PathOf("no-such-folder\\x.STF")), 0);
  EXPECT_EQ(SaveSettingsFile(m_dir), 0) << "a folder";
  EXPECT_EQ(FilesIn(m_dir), std::vector<std::string>{"kept.STF"});
}

TEST_F(SettingsFileTest, AFileThatCannotBeOpenedLeavesTheRecordsAlone) {
  SampleRecords();
  SettingsBlock settings = settingsBlock;
  SystemInfo info = systemInfo;
  EXPECT_EQ(LoadSettingsFile(PathOf("missing.STF")), 0);
  EXPECT_EQ(LoadSettingsFile(m_dir), 0) << "a folder";
  EXPECT_EQ(std::memcmp(&settings, &settingsBlock, sizeof settings), 0);
  EXPECT_EQ(std::memcmp(&info, &systemInfo, sizeof info), 0);
}

// --- the commands ----------------------------------------------------------------

TEST_F(SettingsFileTest, TheFileMenuOffersBothCommandsBeforeTheSeparator) {
  Open();
  HMENU file = GetSubMenu(GetMenu(Main()), 0);
  ASSERT_EQ(GetMenuItemCount(file), 6);
  const UINT ids[] = {ID_LOAD_PHONEBOOK, ID_SAVE_PHONEBOOK, ID_LOAD_SETTINGS, ID_SAVE_SETTINGS, 0,
                      ID_APP_EXIT_MENU};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(GetMenuItemID(file, i), ids[i]) << "item " << i;
  char text[64] = {};
  GetMenuStringA(file, 2, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Carregar configurações...");
  GetMenuStringA(file, 3, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Salvar configurações...");
  for (UINT id : {ID_LOAD_SETTINGS, ID_SAVE_SETTINGS})
    EXPECT_FALSE(GetMenuState(file, id, MF_BYCOMMAND) & MF_GRAYED) << id;
  Select(4);
  for (UINT id : {ID_LOAD_SETTINGS, ID_SAVE_SETTINGS})
    EXPECT_FALSE(GetMenuState(file, id, MF_BYCOMMAND) & MF_GRAYED) << "on any page, " << id;
}

TEST_F(SettingsFileTest, SavingReadsTheAdvancedValuesOnlyWhileThePageWasNeverOpened) {
  Open();
  answerer.ExpectFile("backup");
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(ID_SAVE_SETTINGS, 0), 0);
  Pump();
  ASSERT_EQ(answerer.fileDialogs.size(), 1u);
  EXPECT_EQ(Lower(FilesIn(m_dir)), std::vector<std::string>{"backup.stf"}) << "the extension added";
  EXPECT_EQ(Count(MachineCommand::GetSystemInfo), 1u);
  EXPECT_EQ(Key("Advanced", "Terminal ID Name", "backup.STF"), "PAPELARIA SAO BENTO")
      << "as the machine sends it, blanks and all up to the profile reader";
  EXPECT_EQ(Key("Settings", "Discard size", "backup.STF"), "10");

  Select(1);
  EXPECT_EQ(Count(MachineCommand::GetSystemInfo), 2u);
  Retype(AdvancedPage(), 1042, "CHANGED");
  FocusOn(AdvancedPage(), 1022);
  answerer.ExpectFile("backup.STF");
  answerer.Expect(IDYES);  // replace the file that is there
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(ID_SAVE_SETTINGS, 0), 0);
  Pump();
  EXPECT_EQ(Count(MachineCommand::GetSystemInfo), 2u) << "the page's values are saved as they are";
  EXPECT_EQ(Key("Advanced", "Serial number", "backup.STF"), "CHANGED");
  EXPECT_EQ(FilesIn(m_dir).size(), 1u) << "the same file, nothing beside it";
}

TEST_F(SettingsFileTest, LoadingRefillsTheSettingsPageAndWaitsForTheAdvancedPage) {
  WriteFile("office.STF", kLoadedFile);
  Open();
  answerer.ExpectFile("office");  // typed without extension
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(ID_LOAD_SETTINGS, 0), 0);
  Pump();
  ASSERT_EQ(answerer.fileDialogs.size(), 1u);
  HWND settings = SettingsPage();
  EXPECT_EQ(ItemText(settings, 1021), "25");
  EXPECT_EQ(Selected(settings, 1000), 4);
  EXPECT_TRUE(advancedFromFile);
  EXPECT_EQ(Kinds(), std::vector<MachineCommand>{MachineCommand::GetSettings}) << "no device traffic";

  Select(1);
  EXPECT_EQ(Count(MachineCommand::GetSystemInfo), 0u);
  EXPECT_EQ(ItemText(AdvancedPage(), 1038), "LOJA NOVA");

  // Loaded while the page is open: refilled at once.
  WriteFile("second.STF", "[Advanced]\r\nTerminal ID Name=OUTRA\r\n");
  answerer.ExpectFile("second.STF");
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(ID_LOAD_SETTINGS, 0), 0);
  Pump();
  EXPECT_EQ(ItemText(AdvancedPage(), 1038), "OUTRA");
  EXPECT_EQ(ItemText(settings, 1021), "0") << "the file has no Settings section";
  EXPECT_FALSE(advancedFromFile);
  EXPECT_TRUE(answerer.boxes.empty());
}

TEST_F(SettingsFileTest, ALoadedFileReachesTheMachineOnlyThroughAplicar) {
  WriteFile("office.STF", kLoadedFile);
  Open();
  answerer.ExpectFile("office.STF");
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(ID_LOAD_SETTINGS, 0), 0);
  Pump();
  Press(SettingsPage(), IDC_APPLY);
  Select(1);
  Press(AdvancedPage(), IDC_APPLY);
  const uint8_t settings[17] = {2, 0, 44, 1, 0, 255, 5, 0, 0, 1, 25, 12, 0, 5, 0, 0, 0};
  EXPECT_EQ(std::memcmp(machine.state().settings.data(), settings, 17), 0);
  const auto& block = machine.state().systemInfo;
  EXPECT_EQ(std::string(block.begin() + (62 - 10), block.begin() + (82 - 10)), "LOJA NOVA           ");
  EXPECT_EQ(block[157 - 10], 10) << "language";
}

TEST_F(SettingsFileTest, AFileThatCannotBeReadIsReportedAndTheAdvancedPageReadsTheMachine) {
  Open();
  answerer.ExpectFile("missing");
  answerer.Expect(IDOK);
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(ID_LOAD_SETTINGS, 0), 0);
  Pump();
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].text, "Não foi possível ler o arquivo.");
  EXPECT_EQ(answerer.boxes[0].caption, "Dalvenor");
  EXPECT_EQ(answerer.boxes[0].owner, Main());
  EXPECT_FALSE(advancedFromFile);
  Select(1);
  EXPECT_EQ(Count(MachineCommand::GetSystemInfo), 1u);
  EXPECT_EQ(ItemText(AdvancedPage(), 1038), "PAPELARIA SAO BENTO");
}

TEST_F(SettingsFileTest, AFileThatCannotBeWrittenIsReported) {
  WriteFile("locked.STF", kLoadedFile);
  SetFileAttributesA(PathOf("locked.STF").c_str(), FILE_ATTRIBUTE_READONLY);
  Open();
  answerer.ExpectFile("locked.STF");
  answerer.Expect(IDYES);  // replace it?
  answerer.Expect(IDOK);
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(ID_SAVE_SETTINGS, 0), 0);
  Pump();
  ASSERT_EQ(answerer.boxes.size(), 2u);
  EXPECT_EQ(answerer.boxes[1].text, "Não foi possível gravar o arquivo.");
  EXPECT_EQ(ReadFile("locked.STF"), kLoadedFile);
}

TEST_F(SettingsFileTest, LoadThenSaveBeforeTheAdvancedPageTakesTheMachinesAdvancedValues) {
  WriteFile("office.STF", kLoadedFile);
  Open();
  answerer.ExpectFile("office.STF");
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(ID_LOAD_SETTINGS, 0), 0);
  Pump();
  answerer.ExpectFile("copy");
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(ID_SAVE_SETTINGS, 0), 0);
  Pump();
  EXPECT_EQ(Key("Advanced", "Terminal ID Name", "copy.STF"), "PAPELARIA SAO BENTO");
  EXPECT_EQ(Key("Settings", "Discard size", "copy.STF"), "25");
}

TEST_F(SettingsFileTest, CancelledDialogsDoNothing) {
  Open();
  answerer.ExpectFile("");
  answerer.ExpectFile("");
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(ID_LOAD_SETTINGS, 0), 0);
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(ID_SAVE_SETTINGS, 0), 0);
  Pump();
  EXPECT_EQ(answerer.fileDialogs.size(), 2u);
  EXPECT_FALSE(advancedFromFile);
  EXPECT_EQ(Count(MachineCommand::GetSystemInfo), 0u);
  EXPECT_TRUE(FilesIn(m_dir).empty());
}

}  // namespace
}  // namespace settings_test
