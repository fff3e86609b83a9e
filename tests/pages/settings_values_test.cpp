// The Settings and Advanced pages' portable decisions: number reading, the
// value mapping both ways, limits, arrow steps and text mending.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "commands/device_data.h"
#include "pages/settings_values.h"

namespace {

TEST(ParseNumber, ReadsLikeTheRuntimeSaturatesAndKeepsTheLowByte) {
  struct Case {
    const char* text;
    int value;
    uint8_t stored;
  } cases[] = {{"", 0, 0},          {"  12", 12, 12},     {"\t-3", -3, 253},     {"+5", 5, 5},
               {"- 5", 0, 0},       {"abc", 0, 0},        {"12ab", 12, 12},      {"300", 300, 44},
               {"-1", -1, 255},     {"2147483648", INT_MAX, 255},                {"-2147483649", INT_MIN, 0},
               {"99999999999999999999", INT_MAX, 255}};
  for (const Case& c : cases) {
    EXPECT_EQ(ParseNumber(c.text), c.value) << c.text;
    EXPECT_EQ(LowByte(ParseNumber(c.text)), c.stored) << c.text;
  }
}

TEST(SettingsMapping, PowerSaveBothWaysAndEveryFieldBack) {
  struct Case {
    int radio, minutes;     // page values stored
    uint8_t powerSave;      // what the record gets
    bool afterRead;         // shown again after a read (else after a file load)
    int shownRadio, shownMinutes;
  } cases[] = {{0, 3, 0, true, 0, 2},  {0, 3, 0, false, 0, 3}, {1, 3, 4, true, 1, 3},
               {-1, 2, 3, true, 1, 2}, {1, -1, 0, true, 0, 2}};
  for (const Case& c : cases) {
    SettingsValues v;
    v.powerSaveOn = c.radio;
    v.powerSaveMinutes = c.minutes;
    v.paperType = -1;
    SettingsBlock r{};
    StoreSettings(v, r);
    EXPECT_EQ(r.powerSave, c.powerSave) << c.radio << "/" << c.minutes;
    EXPECT_EQ(r.bypassPaperType, 255);
    FillSettings(r, v, c.afterRead);
    EXPECT_EQ(v.powerSaveOn, c.shownRadio) << c.radio << "/" << c.minutes;
    EXPECT_EQ(v.powerSaveMinutes, c.shownMinutes) << c.radio << "/" << c.minutes;
  }
  SettingsBlock r{};
  auto* bytes = reinterpret_cast<uint8_t*>(&r);
  for (size_t i = 0; i < sizeof r; ++i) bytes[i] = static_cast<uint8_t>(i * 7 % 31);
  SettingsValues v;
  FillSettings(r, v, true);
  SettingsBlock back{};
  StoreSettings(v, back);
  EXPECT_EQ(std::memcmp(&r, &back, sizeof r), 0);
}

TEST(SettingsNumbers, LimitsOnTheSignedNumberAndArrowSteps) {
  struct Clamp {
    const char *discard, *interval, *rings, *count;
    int out[4];
    bool limited;
  } clamps[] = {{"10", "3", "2", "7", {10, 3, 2, 7}, false},
                {"", "15", "1", "", {0, 15, 1, 0}, false},
                {"99", "16", "9", "14", {30, 15, 7, 13}, true},
                {"-1", "-1", "0", "-1", {0, 1, 1, 0}, true}};
  for (const Clamp& c : clamps) {
    SettingsValues v;
    v.discard = c.discard, v.redialInterval = c.interval, v.rings = c.rings, v.redialCount = c.count;
    SettingsBlock r{};
    EXPECT_EQ(ClampNumbers(v, r), c.limited) << c.discard;
    const uint8_t stored[4] = {r.discardSize, r.redialInterval, r.ringsToAnswer, r.redialCount};
    const std::string shown[4] = {v.discard, v.redialInterval, v.rings, v.redialCount};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(stored[i], c.out[i]) << c.discard << " field " << i;
      EXPECT_EQ(shown[i], std::to_string(c.out[i])) << c.discard << " field " << i;
    }
  }
  struct Spin {
    const char* text;
    SpinStep step;
    int minimum, maximum, expected;
  } spins[] = {{"7", SpinStep::Up, 1, 7, 7},       {"1", SpinStep::Down, 1, 7, 1},
               {"", SpinStep::Down, 0, 30, 0},     {"", SpinStep::Up, 0, 30, 1},
               {"99", SpinStep::Down, 1, 15, 98},  {"-5", SpinStep::Up, 1, 7, -4},
               {"07", SpinStep::Other, 1, 7, 7},   {"99999999999", SpinStep::Up, 0, 13, 13}};
  for (const Spin& s : spins)
    EXPECT_EQ(SpinNumber(s.text, s.step, s.minimum, s.maximum), s.expected) << s.text << " " << int(s.step);
}

TEST(AdvancedMapping, TextsFitTheirFieldsAndLoseTrailingBlanks) {
  SystemInfo info{};
  std::strcpy(info.customerNumber, "11 3061");
  StoreText(info.customerName, std::string(30, 'N'));  // set from outside, past the edit's limit
  EXPECT_EQ(std::string(info.customerName), std::string(20, 'N'));
  EXPECT_STREQ(info.customerNumber, "11 3061") << "the next field is not run into";
  AdvancedValues v;
  v.prefixDial = "1234567";
  v.language = -1;
  StoreAdvanced(v, info);
  EXPECT_STREQ(info.prefixDial, "12345");
  EXPECT_EQ(info.language, 255);

  std::memcpy(info.terminalIdName, "PAPELARIA SA        ", 20);
  info.language = 12;
  FillAdvanced(info, v);
  EXPECT_EQ(v.terminalIdName, "PAPELARIA SA");
  EXPECT_STREQ(info.terminalIdName, "PAPELARIA SA") << "trimmed in the record too";
  EXPECT_EQ(v.language, 12);
}

TEST(AdvancedMapping, NonAsciiBytesGoAndTheCaretStaysInTheText) {
  struct Case {
    std::string text;
    int selectionStart;
    std::string kept;
    int caret;
  } cases[] = {{"ABC", 2, "ABC", 2}, {"ABC", 4, "ABC", 3}, {"A\xC9" "B", 3, "AB", 2}, {"\xE9\xE9", 2, "", 0}};
  for (const Case& c : cases) {
    std::string text = c.text;
    size_t dropped = DropNonAscii(text);
    EXPECT_EQ(text, c.kept);
    EXPECT_EQ(CaretAfterDrop(c.selectionStart, dropped, text.size()), c.caret) << c.text;
  }
}

}  // namespace
