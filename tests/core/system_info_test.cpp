// Mfp_GetSystemInfo: decoding every field, judging the reply, and leaving the
// record alone on every kind of failure.
#include <cstring>

#include "tests/core/core_fixture.h"

namespace {

class SystemInfoTest : public CommandTest {
 protected:
  // Reply offset -> the machine's stored wire bytes (reply bytes 10..268).
  uint8_t* Wire(int offset) { return machine.state().systemInfo.data() + offset - 10; }
  void PutWire(int offset, const std::string& text) {
    std::memcpy(Wire(offset), text.data(), text.size());
  }
  // A record full of a pattern (texts still terminated), to see it untouched.
  void FillRecord() {
    std::memset(&systemInfo, 0x5A, sizeof systemInfo);
    systemInfo.modelName[32] = '\0';
    std::memcpy(&before, &systemInfo, sizeof before);
  }
  bool RecordUnchanged() { return std::memcmp(&before, &systemInfo, sizeof before) == 0; }

  SystemInfo before{};
};

TEST_F(SystemInfoTest, DecodesEveryField) {
  auto& s = systemInfo;
  std::memset(Wire(10), 0, 259);
  PutWire(10, "QUILLMARK K40");
  PutWire(42, "5511306144");
  PutWire(62, "PAPELARIA");
  PutWire(82, "1.04");
  PutWire(87, "2.01");
  PutWire(92, "PCL 6");
  PutWire(107, "PCL 5E");
  *Wire(122) = 87;
  const uint8_t counters[6][4] = {{0, 0, 1, 0}, {0, 1, 0x86, 0xA0}, {0, 0, 0, 1},
                                  {0x12, 0x34, 0x56, 0x78}, {0, 0, 0, 0}, {0xFF, 0xFF, 0xFF, 0xFF}};
  for (int i = 0; i < 6; ++i) std::memcpy(Wire(123 + 4 * i), counters[i], 4);
  const uint8_t settings[] = {3, 0, 10, 1, 0, 2, 10, 1, 1, 2, 2, 1};  // 147, then 153..162 below
  *Wire(147) = settings[0];
  PutWire(148, "12");
  for (int i = 0; i < 10; ++i) *Wire(153 + i) = settings[i + 1];
  PutWire(163, "CLIENTE");
  PutWire(183, "4711");
  PutWire(203, std::string(46, 'S'));
  PutWire(249, "SN12345");

  ASSERT_TRUE(Mfp_GetSystemInfo());
  EXPECT_STREQ(s.modelName, "QUILLMARK K40");
  EXPECT_STREQ(s.terminalIdNumber, "5511306144");
  EXPECT_STREQ(s.terminalIdName, "PAPELARIA");
  EXPECT_STREQ(s.firmwareVersion, "1.04");
  EXPECT_STREQ(s.engineVersion, "2.01");
  EXPECT_STREQ(s.emulation1Version, "PCL 6");
  EXPECT_STREQ(s.emulation2Version, "PCL 5E");
  EXPECT_EQ(s.freeMemoryPercent, 87);
  EXPECT_EQ(s.platenScanCount, 256u);
  EXPECT_EQ(s.adfScanCount, 100000u);
  EXPECT_EQ(s.printCount, 1u);
  EXPECT_EQ(s.drumCount, 0x12345678u);
  EXPECT_EQ(s.adfJamCount, 0u);
  EXPECT_EQ(s.printJamCount, 0xFFFFFFFFu);
  EXPECT_EQ(s.receiveMode, 3);
  EXPECT_STREQ(s.prefixDial, "12");
  const uint8_t bytes[] = {s.ringerVolume, s.alarmSound, s.keySound, s.speaker,
                           s.language,     s.tonerSave,  s.usbMode,  s.faxDuplex,
                           s.imageQuality, s.notifyTonerLow};
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 10),
            std::vector<uint8_t>(settings + 1, settings + 11));
  EXPECT_STREQ(s.customerName, "CLIENTE");
  EXPECT_STREQ(s.customerNumber, "4711");
  EXPECT_EQ(std::string(s.serviceNumber), std::string(46, 'S'));
  EXPECT_STREQ(s.serialNumber, "SN12345");

  ASSERT_EQ(machine.Requests().size(), 1u);
  EXPECT_EQ(machine.Requests()[0],
            (std::vector<uint8_t>{0x1B, 0xA4, 0x00, 0x05, 0x50, 0xE0, 0x82, 0xC1, 0x40}));
  EXPECT_EQ(os.debugLines, Lines({"dwRet = 269 \n", "dwSize = 269 \n", "Length = 265 \n"}));
  EXPECT_EQ(os.nowUs, 1000001u);
}

TEST_F(SystemInfoTest, FullWidthModelNameIsKeptWholeAndTerminated) {
  std::memset(&systemInfo, 'x', sizeof systemInfo);
  PutWire(10, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
  ASSERT_TRUE(Mfp_GetSystemInfo());
  EXPECT_EQ(std::string(systemInfo.modelName), "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
  EXPECT_EQ(systemInfo.modelName[32], '\0');
  EXPECT_EQ(systemInfo.serialNumber[20], '\0');
}

TEST_F(SystemInfoTest, SuccessReplacesUnsentEdits) {
  ASSERT_TRUE(Mfp_GetSystemInfo());
  std::strcpy(systemInfo.customerName, "EDITADO");
  systemInfo.ringerVolume = 9;
  ASSERT_TRUE(Mfp_GetSystemInfo());
  EXPECT_STREQ(systemInfo.customerName, "PAPELARIA SAO BENTO ");
  EXPECT_EQ(systemInfo.ringerVolume, 5);
}

TEST_F(SystemInfoTest, ReplyOneByteShortFails) {
  FillRecord();
  machine.SetFault(MachineCommand::GetSystemInfo, {MachineFault::ShortReply, 268});
  EXPECT_FALSE(Mfp_GetSystemInfo());
  EXPECT_TRUE(RecordUnchanged());
  EXPECT_EQ(os.debugLines, Lines({"dwRet = 268 \n", "dwSize = 269 \n"}));
}

TEST_F(SystemInfoTest, ZeroLengthFieldFails) {
  FillRecord();
  std::vector<uint8_t> bytes(269, 0x41);
  bytes[0] = 0x1B;
  bytes[1] = 0xA4;
  bytes[2] = bytes[3] = 0;
  UseReply(bytes);
  EXPECT_FALSE(Mfp_GetSystemInfo());
  EXPECT_TRUE(RecordUnchanged());
  EXPECT_EQ(os.debugLines, Lines({"dwRet = 269 \n", "dwSize = 269 \n"}));
}

TEST_F(SystemInfoTest, SilentMachineOrShortWriteFails) {
  FillRecord();
  machine.SetFault(MachineCommand::GetSystemInfo, {MachineFault::Silent});
  EXPECT_FALSE(Mfp_GetSystemInfo());
  EXPECT_TRUE(RecordUnchanged());
  EXPECT_EQ(os.debugLines, Lines({"dwRet = 0 \n", "dwSize = 269 \n"}));

  os.ClearDebug();
  os.nowUs = 0;
  machine.SetFault(MachineCommand::GetSystemInfo, {MachineFault::PartialWrite, 8});
  EXPECT_FALSE(Mfp_GetSystemInfo());
  EXPECT_TRUE(RecordUnchanged());
  EXPECT_TRUE(os.debugLines.empty());
  EXPECT_EQ(os.nowUs, 1000001u);  // waits whatever the write returned
}

}  // namespace
