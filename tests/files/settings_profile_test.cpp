// The settings file's contents over an in-memory profile: keys in order,
// value forms, line breaks, and how values are read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "commands/device_data.h"
#include "files/settings_profile.h"

namespace {

class MemoryProfile final : public ProfileWriter, public ProfileSource {
 public:
  std::vector<std::string> lines;  // "section/key=value", in write order
  std::map<std::pair<std::string, std::string>, std::string> values;
  size_t failAt = SIZE_MAX;

  bool Write(const char* section, const char* key, const char* value) override {
    if (lines.size() == failAt) return false;
    lines.push_back(std::string(section) + "/" + key + "=" + value);
    values[{section, key}] = value;
    return true;
  }
  void Read(const char* section, const char* key, char* buffer, size_t size) override {
    std::string value = values.count({section, key}) ? values[{section, key}] : "";
    std::strncpy(buffer, value.c_str(), size - 1);
    buffer[size - 1] = '\0';
  }
  bool HasSection(const char* section) override {
    return std::any_of(values.begin(), values.end(), [&](const auto& v) { return v.first.first == section; });
  }
  bool HasKey(const char* section, const char* key) override { return values.count({section, key}) > 0; }
};

TEST(SettingsProfile, ThirtySixKeysInOrderEachValueOneLine) {
  SettingsBlock settings{};
  auto* bytes = reinterpret_cast<uint8_t*>(&settings);
  for (size_t i = 0; i < sizeof settings; ++i) bytes[i] = static_cast<uint8_t>(i + 1);
  settings.autoClearTimeout = 255;
  SystemInfo info{};
  std::strcpy(info.terminalIdName, "LOJA");
  std::strcpy(info.customerName, "ACME\r\n[Settings]");
  std::strcpy(info.serialNumber, "K40\nECM mode=0");
  info.ringerVolume = 10;
  MemoryProfile profile;
  ASSERT_TRUE(WriteSettingsProfile(settings, info, profile));
  const std::vector<std::string> expected = {
      "Settings/Cassette #1 paper size=1", "Settings/Cassette #2 paper size=18", "Settings/Bypass paper size=2",
      "Settings/Sending confirmation=4", "Settings/Bypass paper type=3", "Settings/Remote receive code=6",
      "Settings/Clock mode=17", "Settings/Auto Clear Timeout=255", "Settings/Discard size=11",
      "Settings/Rings to answer=14", "Settings/Redial interval=12", "Settings/Redial count=13",
      "Settings/Power save =7", "Settings/Auto journal=5", "Settings/Local ID=16", "Settings/Rx reduction=9",
      "Settings/Horizontal reduction=10", "Settings/ECM mode=8", "Settings/Memory transmission=15",
      "Advanced/Terminal ID Name=LOJA", "Advanced/Terminal ID Number=", "Advanced/Customer Name=ACME",
      "Advanced/Customer Number=", "Advanced/Service number=", "Advanced/Serial number=K40",
      "Advanced/Receive mode=0", "Advanced/Speaker=0", "Advanced/Ringer volume=10", "Advanced/USB mode=0",
      "Advanced/Fax duplex=0", "Advanced/Language=0", "Advanced/Prefix dial=", "Advanced/Alarm sound=0",
      "Advanced/Key sound=0", "Advanced/Toner save=0", "Advanced/Notify toner low=0"};
  EXPECT_EQ(profile.lines, expected);

  MemoryProfile failing;
  failing.failAt = 20;
  EXPECT_FALSE(WriteSettingsProfile(settings, info, failing));
  EXPECT_EQ(failing.lines.size(), 20u) << "stops at the first failed write";
}

TEST(SettingsProfile, ReadsNumbersAsLowBytesAndCutsTextsToTheirFields) {
  struct Case {
    const char* value;
    uint8_t expected;
  } cases[] = {{"300", 44}, {"-1", 255}, {"abc", 0}, {"", 0}, {" 7", 7}, {"99999999999999", 255}};
  for (const Case& c : cases) {
    MemoryProfile profile;
    profile.values[{"Settings", "Power save "}] = c.value;
    profile.values[{"Advanced", "Language"}] = c.value;
    SettingsBlock settings{};
    SystemInfo info{};
    ReadSettingsProfile(profile, settings, info);
    EXPECT_EQ(settings.powerSave, c.expected) << c.value;
    EXPECT_EQ(info.language, c.expected) << c.value;
  }
  // Only a Settings section: the Advanced fields empty, image quality kept.
  MemoryProfile profile;
  profile.values[{"Settings", "Discard size"}] = "25";
  profile.values[{"Advanced", "Service number"}] = std::string(46, '1') + "2345";
  SettingsBlock settings{};
  SystemInfo info{};
  std::strcpy(info.customerName, "OLD");
  info.speaker = 2;
  info.imageQuality = 2;
  ReadSettingsProfile(profile, settings, info);
  EXPECT_EQ(settings.discardSize, 25);
  EXPECT_EQ(std::string(info.serviceNumber), std::string(46, '1')) << "50 characters load as 46";
  EXPECT_STREQ(info.customerName, "");
  EXPECT_EQ(info.speaker, 0);
  EXPECT_EQ(info.imageQuality, 2);
}

TEST(SettingsProfile, TheStrictCheckNamesTheFirstKeyAtFault) {
  SettingsBlock settings{};
  settings.ringsToAnswer = settings.redialInterval = 1;
  MemoryProfile good;
  ASSERT_TRUE(WriteSettingsProfile(settings, SystemInfo{}, good));
  const struct {
    const char *section, *key, *value;  // null: the key is missing
    ProfileFault fault;
  } cases[] = {
      {"Settings", "Discard size", "30", ProfileFault::None},
      {"Settings", "Redial count", nullptr, ProfileFault::MissingKey},
      {"Settings", "Rings to answer", "0", ProfileFault::BadValue},
      {"Settings", "Power save ", "1O", ProfileFault::BadValue},
      {"Advanced", "Language", nullptr, ProfileFault::MissingKey},
      {"Advanced", "Ringer volume", "11", ProfileFault::BadValue},
      {"Advanced", "Prefix dial", "123456", ProfileFault::BadValue},
  };
  for (const auto& c : cases) {
    MemoryProfile profile = good;
    if (c.value) profile.values[{c.section, c.key}] = c.value;
    else profile.values.erase({c.section, c.key});
    const ProfileCheck check = CheckSettingsProfile(profile);
    EXPECT_EQ(check.fault, c.fault) << c.key;
    EXPECT_EQ(check.key, c.fault == ProfileFault::None ? "" : "[" + std::string(c.section) + "] " + c.key);
  }
  // Without Advanced the settings alone are judged; without Settings it is no settings file.
  std::erase_if(good.values, [](const auto& v) { return v.first.first == "Advanced"; });
  EXPECT_EQ(CheckSettingsProfile(good).fault, ProfileFault::None);
  EXPECT_FALSE(CheckSettingsProfile(good).advanced);
  std::erase_if(good.values, [](const auto& v) { return v.first.first == "Settings"; });
  EXPECT_EQ(CheckSettingsProfile(good).fault, ProfileFault::NoSettings);
}

}  // namespace

TEST(SettingsProfile, BackupTextHoldsTheSectionsGiven) {
  SettingsBlock settings{};
  settings.redialCount = 7;
  SystemInfo info{};
  std::strcpy(info.terminalIdName, "LOJA");
  const std::string both = SettingsProfileText(&settings, &info);
  EXPECT_EQ(both.rfind("[Settings]\r\nCassette #1 paper size=0\r\n", 0), 0u);
  EXPECT_NE(both.find("Redial count=7\r\n"), std::string::npos);
  EXPECT_NE(both.find("Memory transmission=0\r\n[Advanced]\r\nTerminal ID Name=LOJA\r\n"), std::string::npos)
      << "the last settings key, then the advanced section";
  EXPECT_EQ(SettingsProfileText(&settings, nullptr), both.substr(0, both.find("[Advanced]")));
  EXPECT_EQ(SettingsProfileText(nullptr, &info), both.substr(both.find("[Advanced]")));
  EXPECT_EQ(SettingsProfileText(nullptr, nullptr), "");
}
