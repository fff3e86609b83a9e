// The Settings and Advanced pages' portable decisions: number reading,
// the value mapping both ways, limiting, arrow steps and text mending.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "commands/device_data.h"
#include "pages/settings_values.h"

namespace {

TEST(ParseNumber, ReadsLikeTheRuntimeAndSaturates) {
  struct Case {
    const char* text;
    int expected;
    uint8_t stored;
  } cases[] = {
      {"", 0, 0},
      {"7", 7, 7},
      {"  12", 12, 12},
      {"\t\n-3", -3, 253},
      {"+5", 5, 5},
      {"-", 0, 0},
      {"- 5", 0, 0},
      {"abc", 0, 0},
      {"12ab", 12, 12},
      {"300", 300, 44},
      {"-1", -1, 255},
      {"2147483647", INT_MAX, 255},
      {"2147483648", INT_MAX, 255},
      {"99999999999999999999", INT_MAX, 255},
      {"-2147483648", INT_MIN, 0},
      {"-2147483649", INT_MIN, 0},
      {"-99999999999999999999", INT_MIN, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseNumber(c.text), c.expected);
    EXPECT_EQ(LowByte(ParseNumber(c.text)), c.stored);
  }
  EXPECT_EQ(ByteText(0), "0");
  EXPECT_EQ(ByteText(255), "255");
}

TEST(StoreText, NeverRunsIntoTheNextField) {
  SystemInfo info{};
  std::memset(info.customerNumber, 'N', sizeof info.customerNumber - 1);
  StoreText(info.customerName, std::string(30, 'A'));
  EXPECT_EQ(std::string(info.customerName), std::string(20, 'A'));
  EXPECT_EQ(info.customerName[20], '\0');
  EXPECT_EQ(std::string(info.customerNumber), std::string(20, 'N'));

  std::memset(info.prefixDial, 'X', sizeof info.prefixDial);
  StoreText(info.prefixDial, "12");
  EXPECT_EQ(std::memcmp(info.prefixDial, "12\0\0\0\0", 6), 0) << "the whole field is cleared";
}

// --- Settings page -----------------------------------------------------------

TEST(StoreSettings, MapsEveryValueToItsField) {
  SettingsValues v;
  v.tray1Size = 2;
  v.bypassSize = 1;
  v.paperType = -1;  // no selection
  v.sendConfirmation = 2;
  v.remoteCode = 9;
  v.clockMode = 1;
  v.tray2Size = 2;
  v.autoClear = 4;
  v.autoJournal = 1;
  v.localId = 0;
  v.rxReduction = 1;
  v.horizontalReduction = 1;
  v.ecmMode = 0;
  v.memoryTransmission = 1;
  v.powerSaveOn = 1;
  v.powerSaveMinutes = 3;  // "30"
  v.discard = "99";        // kept until the edit loses the focus
  v.rings = "300";
  v.redialInterval = "";
  v.redialCount = "-1";
  SettingsBlock r{};
  StoreSettings(v, r);
  EXPECT_EQ(r.cassette1PaperSize, 2);
  EXPECT_EQ(r.bypassPaperSize, 1);
  EXPECT_EQ(r.bypassPaperType, 255);
  EXPECT_EQ(r.sendingConfirmation, 2);
  EXPECT_EQ(r.remoteReceiveCode, 9);
  EXPECT_EQ(r.clockMode, 1);
  EXPECT_EQ(r.cassette2PaperSize, 2);
  EXPECT_EQ(r.autoClearTimeout, 4);
  EXPECT_EQ(r.autoJournal, 1);
  EXPECT_EQ(r.localId, 0);
  EXPECT_EQ(r.rxReduction, 1);
  EXPECT_EQ(r.horizontalReduction, 1);
  EXPECT_EQ(r.ecmMode, 0);
  EXPECT_EQ(r.memoryTransmission, 1);
  EXPECT_EQ(r.powerSave, 4);
  EXPECT_EQ(r.discardSize, 99);
  EXPECT_EQ(r.ringsToAnswer, 44);
  EXPECT_EQ(r.redialInterval, 0);
  EXPECT_EQ(r.redialCount, 255);
}

TEST(StoreSettings, PowerSaveFromRadioAndMinutes) {
  struct Case {
    int radio, minutes;
    uint8_t expected;
  } cases[] = {{0, 3, 0}, {1, 0, 1}, {1, 4, 5}, {-1, 2, 3}, {1, -1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "radio " << c.radio << " minutes " << c.minutes);
    SettingsValues v;
    v.powerSaveOn = c.radio;
    v.powerSaveMinutes = c.minutes;
    SettingsBlock r{};
    StoreSettings(v, r);
    EXPECT_EQ(r.powerSave, c.expected);
    EXPECT_EQ(MinutesEnabled(v), c.radio != 0);
  }
}

TEST(FillSettings, ShowsTheRecordAndPowerSaveBothWays) {
  struct Case {
    uint8_t powerSave;
    bool offShowsFifteen;
    int radio, minutes;
  } cases[] = {
      {0, true, 0, 2},   // after a read: "Desligado" with "15"
      {0, false, 0, 4},  // after a file load: the minutes list keeps its entry
      {3, true, 1, 2},
      {3, false, 1, 2},
      {200, true, 1, 199},  // no such entry: no selection
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.powerSave) << (c.offShowsFifteen ? " read" : " file"));
    SettingsBlock r{};
    r.powerSave = c.powerSave;
    r.bypassPaperType = 9;
    r.autoClearTimeout = 7;
    r.discardSize = 255;
    r.ringsToAnswer = 3;
    r.ecmMode = 1;
    SettingsValues v;
    v.powerSaveMinutes = 4;
    FillSettings(r, v, c.offShowsFifteen);
    EXPECT_EQ(v.powerSaveOn, c.radio);
    EXPECT_EQ(v.powerSaveMinutes, c.minutes);
    EXPECT_EQ(v.paperType, 9);
    EXPECT_EQ(v.autoClear, 7);
    EXPECT_EQ(v.ecmMode, 1);
    EXPECT_EQ(v.discard, "255");
    EXPECT_EQ(v.rings, "3");
    EXPECT_EQ(v.redialCount, "0");
  }
}

TEST(FillSettings, ThenStoreGivesBackTheSameRecord) {
  SettingsBlock r{};
  auto* bytes = reinterpret_cast<uint8_t*>(&r);
  for (size_t i = 0; i < sizeof r; ++i) bytes[i] = static_cast<uint8_t>(i % 3);
  r.powerSave = 5;
  r.discardSize = 30;
  SettingsValues v;
  FillSettings(r, v, true);
  SettingsBlock back{};
  StoreSettings(v, back);
  EXPECT_EQ(std::memcmp(&r, &back, sizeof r), 0);
}

TEST(ClampNumbers, LimitsTheSignedNumberToEachRange) {
  struct Case {
    const char *discard, *interval, *rings, *count;
    int discardOut, intervalOut, ringsOut, countOut;
    bool limited;
  } cases[] = {
      {"10", "3", "2", "7", 10, 3, 2, 7, false},
      {"", "1", "1", "", 0, 1, 1, 0, false},
      {"99", "99", "9", "99", 30, 15, 7, 13, true},
      {"-1", "-1", "-1", "-1", 0, 1, 1, 0, true},
      {"0", "0", "0", "0", 0, 1, 1, 0, true},
      {"0", "16", "8", "14", 0, 15, 7, 13, true},
      {"99999999999", "1", "1", "0", 30, 1, 1, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.discard << "/" << c.interval << "/" << c.rings << "/" << c.count);
    SettingsValues v;
    v.discard = c.discard;
    v.redialInterval = c.interval;
    v.rings = c.rings;
    v.redialCount = c.count;
    SettingsBlock r{};
    EXPECT_EQ(ClampNumbers(v, r), c.limited);
    EXPECT_EQ(r.discardSize, c.discardOut);
    EXPECT_EQ(r.redialInterval, c.intervalOut);
    EXPECT_EQ(r.ringsToAnswer, c.ringsOut);
    EXPECT_EQ(r.redialCount, c.countOut);
    EXPECT_EQ(v.discard, std::to_string(c.discardOut));
    EXPECT_EQ(v.redialInterval, std::to_string(c.intervalOut));
    EXPECT_EQ(v.rings, std::to_string(c.ringsOut));
    EXPECT_EQ(v.redialCount, std::to_string(c.countOut));
  }
}

TEST(SpinNumber, StepsAndAppliesOnlyTheBoundItMovesTowards) {
  struct Case {
    const char* text;
    SpinStep step;
    int minimum, maximum, expected;
  } cases[] = {
      {"7", SpinStep::Up, 1, 7, 7},
      {"1", SpinStep::Down, 1, 7, 1},
      {"", SpinStep::Down, 0, 30, 0},
      {"", SpinStep::Up, 0, 30, 1},
      {"", SpinStep::Up, 1, 7, 1},
      {"99", SpinStep::Down, 1, 15, 98},
      {"99", SpinStep::Up, 1, 15, 15},
      {"-5", SpinStep::Up, 1, 7, -4},
      {"-5", SpinStep::Down, 1, 7, 1},
      {"07", SpinStep::Other, 1, 7, 7},
      {"", SpinStep::Other, 0, 30, 0},
      {"99999999999", SpinStep::Up, 0, 13, 13},
      {"-99999999999", SpinStep::Down, 0, 13, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << "\" step " << int(c.step));
    EXPECT_EQ(SpinNumber(c.text, c.step, c.minimum, c.maximum), c.expected);
  }
}

TEST(NumberFields, RangesInTheOrderTheyAreLimited) {
  EXPECT_EQ(kNumberFields[0].field, &SettingsBlock::discardSize);
  EXPECT_EQ(kNumberFields[1].field, &SettingsBlock::redialInterval);
  EXPECT_EQ(kNumberFields[2].field, &SettingsBlock::ringsToAnswer);
  EXPECT_EQ(kNumberFields[3].field, &SettingsBlock::redialCount);
  const int ranges[4][2] = {{0, 30}, {1, 15}, {1, 7}, {0, 13}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(kNumberFields[i].minimum, ranges[i][0]) << i;
    EXPECT_EQ(kNumberFields[i].maximum, ranges[i][1]) << i;
  }
}

// --- Advanced page -----------------------------------------------------------

TEST(AdvancedValues, StoreAndFillEveryWritableField) {
  AdvancedValues v;
  v.alarmSound = 1;
  v.keySound = 0;
  v.tonerSave = 1;
  v.notifyTonerLow = 1;
  v.receiveMode = 3;
  v.speaker = 2;
  v.ringerVolume = 10;
  v.usbMode = 1;
  v.faxDuplex = -1;
  v.language = 3;
  v.imageQuality = 2;
  v.terminalIdName = "PAPELARIA";
  v.terminalIdNumber = "+55 11 3061";
  v.customerName = "CLIENTE";
  v.customerNumber = "11 3061 4400";
  v.serviceNumber = std::string(46, '9');
  v.serialNumber = "K40BR";
  v.prefixDial = "0";
  SystemInfo info{};
  std::strcpy(info.modelName, "MODEL");
  info.freeMemoryPercent = 87;
  StoreAdvanced(v, info);
  EXPECT_EQ(info.alarmSound, 1);
  EXPECT_EQ(info.keySound, 0);
  EXPECT_EQ(info.tonerSave, 1);
  EXPECT_EQ(info.notifyTonerLow, 1);
  EXPECT_EQ(info.receiveMode, 3);
  EXPECT_EQ(info.speaker, 2);
  EXPECT_EQ(info.ringerVolume, 10);
  EXPECT_EQ(info.usbMode, 1);
  EXPECT_EQ(info.faxDuplex, 255);
  EXPECT_EQ(info.language, 3);
  EXPECT_EQ(info.imageQuality, 2);
  EXPECT_STREQ(info.terminalIdName, "PAPELARIA");
  EXPECT_STREQ(info.terminalIdNumber, "+55 11 3061");
  EXPECT_STREQ(info.customerName, "CLIENTE");
  EXPECT_STREQ(info.customerNumber, "11 3061 4400");
  EXPECT_EQ(std::string(info.serviceNumber), std::string(46, '9'));
  EXPECT_STREQ(info.serialNumber, "K40BR");
  EXPECT_STREQ(info.prefixDial, "0");
  EXPECT_STREQ(info.modelName, "MODEL") << "read-only fields stay";
  EXPECT_EQ(info.freeMemoryPercent, 87);

  AdvancedValues back;
  FillAdvanced(info, back);
  EXPECT_EQ(back.faxDuplex, 255) << "no such entry: the list shows no selection";
  EXPECT_EQ(back.serviceNumber, v.serviceNumber);
  EXPECT_EQ(back.terminalIdNumber, v.terminalIdNumber);
  EXPECT_EQ(back.ringerVolume, 10);
}

TEST(AdvancedValues, FillTrimsTheRecordsTextsInPlace) {
  SystemInfo info{};
  std::memcpy(info.terminalIdName, "PAPELARIA SA        ", 20);  // twelve letters, eight blanks
  std::memcpy(info.prefixDial, "12   ", 5);
  std::memcpy(info.serialNumber, "   ", 3);
  info.language = 12;
  AdvancedValues v;
  FillAdvanced(info, v);
  EXPECT_EQ(v.terminalIdName, "PAPELARIA SA");
  EXPECT_EQ(std::memcmp(info.terminalIdName, "PAPELARIA SA\0\0\0\0\0\0\0\0\0", 21), 0);
  EXPECT_EQ(v.prefixDial, "12");
  EXPECT_STREQ(info.prefixDial, "12");
  EXPECT_EQ(v.serialNumber, "");
  EXPECT_EQ(v.language, 12);
}

TEST(NonAsciiMending, DropsHighBytesAndKeepsTheCaretInTheText) {
  struct Case {
    std::string text;
    int selectionStart;
    std::string kept;
    int caret;
  } cases[] = {
      {"ABC", 2, "ABC", 2},
      {"ABC", 4, "ABC", 3},  // typed at the end: the caret stays within the text
      {"A\xC9" "B", 3, "AB", 2},
      {"\xE9\xE9", 2, "", 0},
      {"AB", 0, "AB", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string text = c.text;
    size_t dropped = DropNonAscii(text);
    EXPECT_EQ(text, c.kept);
    EXPECT_EQ(dropped, c.text.size() - c.kept.size());
    EXPECT_EQ(CaretAfterDrop(c.selectionStart, dropped, text.size()), c.caret);
  }
}

}  // namespace
