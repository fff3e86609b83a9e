// The settings commands: Mfp_GetSettings' reply judging, and the request
// layouts, traces and waits of Mfp_SetSettings and Mfp_SetAdvanced.
#include <cstring>

#include "tests/core/core_fixture.h"

namespace {

const std::vector<uint8_t> kGetRequest = {0x1B, 0xA4, 0x00, 0x05, 0x50, 0xE0, 0x82, 0xC1, 0x41};

class SettingsTest : public CommandTest {
 protected:
  void FillRecord(uint8_t value) {
    std::memset(&settingsBlock, value, sizeof settingsBlock);
    before = settingsBlock;
  }
  bool RecordUnchanged() { return std::memcmp(&before, &settingsBlock, sizeof before) == 0; }
  std::vector<uint8_t> Carried() {
    const auto* p = reinterpret_cast<const uint8_t*>(&settingsBlock);
    return std::vector<uint8_t>(p, p + kCarriedSettings);
  }
  // A get reply of `size` bytes declaring `declared`, settings 1, 2, 3...
  std::vector<uint8_t> Reply(size_t size, uint16_t declared) {
    std::vector<uint8_t> bytes(size, 0);
    for (size_t i = 0; i < size; ++i) bytes[i] = i < 10 ? 0xEE : static_cast<uint8_t>(i - 9);
    if (size > 0) bytes[0] = 0x1B;
    if (size > 1) bytes[1] = 0xA4;
    if (size > 3) {
      bytes[2] = static_cast<uint8_t>(declared >> 8);
      bytes[3] = static_cast<uint8_t>(declared);
    }
    return bytes;
  }

  SettingsBlock before{};
};

// --- get ---------------------------------------------------------------------

TEST_F(SettingsTest, GetTakesAllCarriedSettingsAndNothingElse) {
  FillRecord(0x77);
  ASSERT_TRUE(Mfp_GetSettings());
  const auto& wire = machine.state().settings;
  EXPECT_EQ(Carried(), std::vector<uint8_t>(wire.begin(), wire.end()));
  EXPECT_EQ(settingsBlock.cassette2PaperSize, 0x77);
  EXPECT_EQ(settingsBlock.autoClearTimeout, 0x77);
  ASSERT_EQ(machine.Requests().size(), 1u);
  EXPECT_EQ(machine.Requests()[0], kGetRequest);
  EXPECT_EQ(os.debugLines, Lines({"Length = 23 \n"}));
  EXPECT_EQ(os.nowUs, 1000001u);
}

TEST_F(SettingsTest, GetIgnoresTheFrameBytesOfACompleteReply) {
  UseReply(Reply(27, 0x17));
  ASSERT_TRUE(Mfp_GetSettings());
  EXPECT_EQ(settingsBlock.cassette1PaperSize, 1);
  EXPECT_EQ(settingsBlock.clockMode, 17);
}

TEST_F(SettingsTest, GetFailsWhenTheLengthFieldDisagrees) {
  FillRecord(0x33);
  UseReply(Reply(27, 0x16));
  EXPECT_FALSE(Mfp_GetSettings());
  EXPECT_TRUE(RecordUnchanged());
  EXPECT_EQ(os.debugLines, Lines({"Length = 22 \n"}));
}

TEST_F(SettingsTest, AnythingShortOfTheWholeRecordFails) {
  // Settings that did not arrive must not read as zero: even a reply that
  // declares its shorter length.
  const struct {
    size_t size;
    uint16_t declared;
  } cases[] = {{0, 0}, {3, 0}, {4, 0x17}, {20, 16}, {26, 22}};
  for (const auto& c : cases) {
    ReplyDevice answer;
    answer.reply = Reply(c.size, c.declared);
    os.AddDevice("LPT1", &answer);
    FillRecord(0x33);
    EXPECT_FALSE(Mfp_GetSettings()) << c.size;
    EXPECT_TRUE(RecordUnchanged()) << c.size;
  }
  os.RemoveDevice("LPT1");
}

TEST_F(SettingsTest, GetFailuresLeaveTheRecordAlone) {
  FillRecord(0x44);
  machine.SetFault(MachineCommand::GetSettings, {MachineFault::Silent});
  EXPECT_FALSE(Mfp_GetSettings());
  machine.SetFault(MachineCommand::GetSettings, {MachineFault::ShortReply, 26});
  EXPECT_FALSE(Mfp_GetSettings());
  os.RemoveDevice("LPT1");
  os.nowUs = 0;
  EXPECT_FALSE(Mfp_GetSettings());
  EXPECT_EQ(os.nowUs, 1000001u);
  EXPECT_TRUE(RecordUnchanged());
}

// --- set -----------------------------------------------------------------------

TEST_F(SettingsTest, SetOfAnEmptyRecordSendsSeventeenZeros) {
  bool taken = false;
  ASSERT_TRUE(Mfp_SetSettings(&taken));
  EXPECT_TRUE(taken) << "the machine's acknowledgement";
  std::vector<uint8_t> expected = {0x1B, 0xA4, 0x00, 0x16, 0x50, 0xE0, 0x82, 0xC2, 0x41};
  expected.resize(26, 0);
  ASSERT_EQ(machine.Requests().size(), 1u);
  EXPECT_EQ(machine.Requests()[0], expected);
  EXPECT_EQ(os.debugLines, Lines({"===> SET SETTINGS <===\n", "WriteData = 26 \n",
                                  "0x0000: 1B A4 00 16 50 E0 82 C2 ....P...\r\n",
                                  "0x0008: 41 00 00 00 00 00 00 00 A.......\r\n",
                                  "0x0010: 00 00 00 00 00 00 00 00 ........\r\n",
                                  "0x0018: 00 00 00 00 00 00 00 00 ..\r\n"}));
  EXPECT_EQ(os.nowUs, 500001u);
}

TEST_F(SettingsTest, SetCarriesTheSeventeenSettingsInOrder) {
  auto* p = reinterpret_cast<uint8_t*>(&settingsBlock);
  for (int i = 0; i < 19; ++i) p[i] = static_cast<uint8_t>(0x30 + i);
  ASSERT_TRUE(Mfp_SetSettings());
  const auto& sent = machine.Requests()[0];
  EXPECT_EQ(std::vector<uint8_t>(sent.begin() + 9, sent.end()), Carried());
  EXPECT_EQ(machine.state().settings[16], 0x40);
}

TEST_F(SettingsTest, SetsSucceedWithoutAcknowledgementButSaySo) {
  machine.SetFault(MachineCommand::SetSettings, {MachineFault::Silent});
  machine.SetFault(MachineCommand::SetAdvanced, {MachineFault::Silent});
  bool settingsTaken = true, advancedTaken = true;
  EXPECT_TRUE(Mfp_SetSettings(&settingsTaken));
  EXPECT_EQ(os.opens.size(), 2u);  // write, then the (empty) read
  EXPECT_TRUE(Mfp_SetAdvanced(&advancedTaken));
  EXPECT_FALSE(settingsTaken || advancedTaken);
}

TEST_F(SettingsTest, SetWithAShortWriteFailsWithoutReading) {
  machine.SetFault(MachineCommand::SetSettings, {MachineFault::PartialWrite, 20});
  EXPECT_FALSE(Mfp_SetSettings());
  EXPECT_EQ(os.opens.size(), 1u);
  EXPECT_EQ(os.debugLines[1], "WriteData = 20 \n");
  EXPECT_EQ(os.nowUs, 500001u);
}

// --- advanced ----------------------------------------------------------------------

TEST_F(SettingsTest, AdvancedRequestCarriesTheWritableFieldsSpacePadded) {
  auto& s = systemInfo;
  std::strcpy(s.terminalIdNumber, "5511");
  std::strcpy(s.terminalIdName, std::string(20, 'N').c_str());
  s.receiveMode = 1;
  std::strcpy(s.prefixDial, "12");
  s.ringerVolume = 10;
  s.alarmSound = 1;
  s.keySound = 0;
  s.speaker = 2;
  s.language = 3;
  s.tonerSave = 1;
  s.usbMode = 0;
  s.faxDuplex = 2;
  s.imageQuality = 1;
  s.notifyTonerLow = 0;
  s.customerName[0] = '\0';
  std::strcpy(s.customerNumber, "99");
  std::strcpy(s.serviceNumber, "0800");
  std::strcpy(s.serialNumber, "K40");
  std::strcpy(s.modelName, "NOT SENT");

  bool taken = false;
  ASSERT_TRUE(Mfp_SetAdvanced(&taken));
  EXPECT_TRUE(taken);
  std::vector<uint8_t> expected = {0x1B, 0xA4, 0x00, 0xA7, 0x50, 0xE0, 0x82, 0xC2, 0x40};
  auto text = [&](const std::string& t, size_t width) {
    std::string field = t + std::string(width - t.size(), ' ');
    expected.insert(expected.end(), field.begin(), field.end());
  };
  text("5511", 20);
  text(std::string(20, 'N'), 20);
  expected.push_back(1);
  expected.insert(expected.end(), {0x31, 0x32, 0x20, 0x20, 0x20});
  expected.insert(expected.end(), {10, 1, 0, 2, 3, 1, 0, 2, 1, 0});
  text("", 20);
  text("99", 20);
  text("0800", 46);
  text("K40", 20);
  ASSERT_EQ(expected.size(), 171u);
  ASSERT_EQ(machine.Requests().size(), 1u);
  EXPECT_EQ(machine.Requests()[0], expected);
  EXPECT_EQ(os.debugLines, Lines({"WriteData = 171 \n"}));
  EXPECT_EQ(os.nowUs, 6000001u);  // 5000 ms, the line, then 1000 ms more
}

TEST_F(SettingsTest, AdvancedFailsOnAShortWriteWithoutReading) {
  machine.SetFault(MachineCommand::SetAdvanced, {MachineFault::PartialWrite, 100});
  EXPECT_FALSE(Mfp_SetAdvanced());
  EXPECT_EQ(os.opens.size(), 1u);
  EXPECT_EQ(os.debugLines, Lines({"WriteData = 100 \n"}));
  EXPECT_EQ(os.nowUs, 6000001u);
}


}  // namespace
