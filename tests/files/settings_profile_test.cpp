// The settings file's contents without a file: keys, order, value forms and
// how values are read back, over an in-memory profile.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "commands/device_data.h"
#include "files/settings_profile.h"

namespace {

struct Line {
  std::string section, key, value;
  bool operator==(const Line&) const = default;
};

// Records every write in order; the same values are read back by key.
class MemoryProfile final : public ProfileWriter, public ProfileReader {
 public:
  std::vector<Line> lines;
  std::map<std::pair<std::string, std::string>, std::string> values;
  int failAt = -1;  // the write with this index fails

  bool Write(const char* section, const char* key, const char* value) override {
    if (static_cast<int>(lines.size()) == failAt) return false;
    lines.push_back({section, key, value});
    values[{section, key}] = value;
    return true;
  }
  void Read(const char* section, const char* key, char* buffer, size_t size) override {
    auto found = values.find({section, key});
    std::string value = found == values.end() ? "" : found->second;
    size_t n = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
  }
};

std::string Value(const MemoryProfile& profile, const char* advancedKey) {
  auto found = profile.values.find({"Advanced", advancedKey});
  return found == profile.values.end() ? "(missing)" : found->second;
}

const char* const kSettingsKeys[] = {
    "Cassette #1 paper size", "Cassette #2 paper size", "Bypass paper size", "Sending confirmation",
    "Bypass paper type", "Remote receive code", "Clock mode", "Auto Clear Timeout", "Discard size",
    "Rings to answer", "Redial interval", "Redial count", "Power save ", "Auto journal", "Local ID",
    "Rx reduction", "Horizontal reduction", "ECM mode", "Memory transmission"};
const char* const kAdvancedKeys[] = {
    "Terminal ID Name", "Terminal ID Number", "Customer Name", "Customer Number", "Service number",
    "Serial number", "Receive mode", "Speaker", "Ringer volume", "USB mode", "Fax duplex", "Language",
    "Prefix dial", "Alarm sound", "Key sound", "Toner save", "Notify toner low"};

SettingsBlock SampleSettings() {
  SettingsBlock s{};
  auto* bytes = reinterpret_cast<uint8_t*>(&s);
  for (size_t i = 0; i < sizeof s; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + 1);
  s.powerSave = 3;
  s.autoClearTimeout = 255;
  return s;
}

SystemInfo SampleInfo() {
  SystemInfo info{};
  std::strcpy(info.modelName, "QUILLMARK");
  std::strcpy(info.terminalIdName, "PAPELARIA SAO BENTO");
  std::strcpy(info.terminalIdNumber, "+55 11 3061 4400");
  std::strcpy(info.customerName, "CLIENTE");
  std::strcpy(info.customerNumber, "11 3061");
  std::strcpy(info.serviceNumber, "0800 771 2040");
  std::strcpy(info.serialNumber, "K40BR0712345");
  std::strcpy(info.prefixDial, "0");
  info.receiveMode = 2;
  info.speaker = 1;
  info.ringerVolume = 10;
  info.usbMode = 1;
  info.faxDuplex = 2;
  info.language = 3;
  info.alarmSound = 1;
  info.keySound = 0;
  info.tonerSave = 1;
  info.notifyTonerLow = 1;
  info.imageQuality = 2;
  return info;
}

TEST(SettingsProfile, WritesThirtySixKeysInOrderWithTheirValues) {
  SettingsBlock settings = SampleSettings();
  SystemInfo info = SampleInfo();
  MemoryProfile profile;
  ASSERT_TRUE(WriteSettingsProfile(settings, info, profile));
  ASSERT_EQ(profile.lines.size(), 36u);
  for (size_t i = 0; i < 19; ++i) {
    EXPECT_EQ(profile.lines[i].section, "Settings") << i;
    EXPECT_EQ(profile.lines[i].key, kSettingsKeys[i]) << i;
  }
  for (size_t i = 0; i < 17; ++i) {
    EXPECT_EQ(profile.lines[19 + i].section, "Advanced") << i;
    EXPECT_EQ(profile.lines[19 + i].key, kAdvancedKeys[i]) << i;
  }
  EXPECT_EQ(profile.lines[0].value, std::to_string(settings.cassette1PaperSize));
  EXPECT_EQ(profile.lines[7].value, "255");
  EXPECT_EQ(profile.lines[12], (Line{"Settings", "Power save ", "3"}));
  EXPECT_EQ(profile.lines[19].value, "PAPELARIA SAO BENTO");
  EXPECT_EQ(profile.lines[23].value, "0800 771 2040");
  EXPECT_EQ(profile.lines[27].value, "10");
  EXPECT_EQ(profile.lines[31].value, "0");
  for (const Line& line : profile.lines) {
    EXPECT_EQ(line.key.find("mage"), std::string::npos) << "image quality has no key";
  }
}

TEST(SettingsProfile, ReadingWhatWasWrittenGivesTheRecordsBack) {
  SettingsBlock settings = SampleSettings();
  SystemInfo info = SampleInfo();
  MemoryProfile profile;
  ASSERT_TRUE(WriteSettingsProfile(settings, info, profile));

  SettingsBlock settingsBack{};
  SystemInfo infoBack{};
  infoBack.imageQuality = 1;
  ReadSettingsProfile(profile, settingsBack, infoBack);
  EXPECT_EQ(std::memcmp(&settings, &settingsBack, sizeof settings), 0);
  EXPECT_EQ(infoBack.imageQuality, 1) << "no key: kept";
  infoBack.imageQuality = info.imageQuality;
  std::strcpy(infoBack.modelName, info.modelName);
  EXPECT_EQ(std::memcmp(&info, &infoBack, sizeof info), 0);
}

TEST(SettingsProfile, TextsStopBeforeALineBreak) {
  SystemInfo info = SampleInfo();
  std::strcpy(info.customerName, "ACME\r\n[Settings]");
  std::strcpy(info.serialNumber, "K40\nECM mode=0");
  std::strcpy(info.prefixDial, "\r9");
  MemoryProfile profile;
  ASSERT_TRUE(WriteSettingsProfile(SampleSettings(), info, profile));
  EXPECT_EQ(Value(profile, "Customer Name"), "ACME");
  EXPECT_EQ(Value(profile, "Serial number"), "K40");
  EXPECT_EQ(Value(profile, "Prefix dial"), "");
  for (const Line& line : profile.lines) {
    EXPECT_EQ(line.value.find_first_of("\r\n"), std::string::npos) << line.key;
  }
  EXPECT_EQ(ProfileText("A\nB"), "A");
  EXPECT_EQ(ProfileText("AB"), "AB");
}

TEST(SettingsProfile, AnUnterminatedTextIsWrittenToItsWidthOnly) {
  SystemInfo info = SampleInfo();
  std::memset(info.customerName, 'C', sizeof info.customerName);  // no NUL
  std::memset(info.customerNumber, 'D', sizeof info.customerNumber - 1);
  MemoryProfile profile;
  ASSERT_TRUE(WriteSettingsProfile(SampleSettings(), info, profile));
  EXPECT_EQ(Value(profile, "Customer Name"), std::string(20, 'C'));
}

TEST(SettingsProfile, AFailedWriteStopsTheSave) {
  MemoryProfile profile;
  profile.failAt = 20;
  EXPECT_FALSE(WriteSettingsProfile(SampleSettings(), SampleInfo(), profile));
  EXPECT_EQ(profile.lines.size(), 20u);
}

TEST(SettingsProfile, NumbersKeepTheirLowByteAndTextsTheirWidth) {
  struct Case {
    const char* value;
    uint8_t expected;
  } cases[] = {{"300", 44}, {"-1", 255}, {"abc", 0}, {"", 0}, {" 7", 7}, {"12x", 12},
               {"99999999999999", 255}, {"-99999999999999", 0}, {"256", 0}, {"0255", 255}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    MemoryProfile profile;
    profile.values[{"Settings", "Discard size"}] = c.value;
    profile.values[{"Settings", "Power save "}] = c.value;
    profile.values[{"Advanced", "Language"}] = c.value;
    SettingsBlock settings{};
    SystemInfo info{};
    ReadSettingsProfile(profile, settings, info);
    EXPECT_EQ(settings.discardSize, c.expected);
    EXPECT_EQ(settings.powerSave, c.expected);
    EXPECT_EQ(info.language, c.expected);
  }

  MemoryProfile profile;
  profile.values[{"Advanced", "Service number"}] = std::string(40, '1') + "234567890";  // 50 characters
  profile.values[{"Advanced", "Prefix dial"}] = "1234567";
  profile.values[{"Advanced", "Customer Name"}] = std::string(25, 'N');
  SettingsBlock settings{};
  SystemInfo info{};
  ReadSettingsProfile(profile, settings, info);
  EXPECT_EQ(std::string(info.serviceNumber), std::string(40, '1') + "234567");
  EXPECT_STREQ(info.prefixDial, "12345");
  EXPECT_EQ(std::string(info.customerName), std::string(20, 'N'));
  EXPECT_EQ(info.customerNumber[0], '\0');
}

TEST(SettingsProfile, AMissingAdvancedSectionEmptiesItsFields) {
  MemoryProfile written;
  ASSERT_TRUE(WriteSettingsProfile(SampleSettings(), SampleInfo(), written));
  MemoryProfile profile;
  for (const Line& line : written.lines)
    if (line.section == "Settings") profile.values[{line.section, line.key}] = line.value;

  SettingsBlock settings{};
  SystemInfo info = SampleInfo();
  ReadSettingsProfile(profile, settings, info);
  SettingsBlock expected = SampleSettings();
  EXPECT_EQ(std::memcmp(&settings, &expected, sizeof settings), 0);
  for (const char* text : {info.terminalIdName, info.terminalIdNumber, info.customerName, info.customerNumber,
                           info.serviceNumber, info.serialNumber, info.prefixDial})
    EXPECT_STREQ(text, "");
  for (uint8_t number : {info.receiveMode, info.speaker, info.ringerVolume, info.usbMode, info.faxDuplex,
                         info.language, info.alarmSound, info.keySound, info.tonerSave, info.notifyTonerLow})
    EXPECT_EQ(number, 0);
  EXPECT_EQ(info.imageQuality, 2);
  EXPECT_STREQ(info.modelName, "QUILLMARK");
}

}  // namespace
