// DeviceLink on each road: which rule a call takes, how the port is opened,
// the time-outs and control codes it sets, the USB piece sizes, and the
// debugger lines it writes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "link/device_link.h"
#include "link/direct_port.h"
#include "link/os.h"
#include "tests/core/machine_devices.h"

namespace {

using os_flags::AttributeNormal;
using os_flags::GenericRead;
using os_flags::GenericWrite;
using os_flags::ShareRead;
using os_flags::ShareWrite;

class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeviceLink::Reset();
    ResetDirectPort();
    FakeUsbLibrary::Reset(nullptr);
  }
  void TearDown() override { DeviceLink::Reset(); }

  void Connect(Road road) { ConnectRoad(os, road, device); }
  void SetReply(size_t size) {
    device.reply.resize(size);
    for (size_t i = 0; i < size; ++i) device.reply[i] = static_cast<uint8_t>(i * 7);
  }

  FakeOs os;
  ReplyDevice device;
  std::vector<uint8_t> bytes = std::vector<uint8_t>(8000, 0x5A);
  std::vector<uint8_t> buffer = std::vector<uint8_t>(8000, 0);
};

void ExpectOpen(const FakeOpen& open, const std::string& name, uint32_t access, uint32_t share,
                uint32_t attributes) {
  EXPECT_EQ(open.name, name);
  EXPECT_EQ(open.access, access) << open.name;
  EXPECT_EQ(open.share, share) << open.name;
  EXPECT_EQ(open.attributes, attributes) << open.name;
}

// --- names -----------------------------------------------------------------

TEST(PortName, TableIsFixed) {
  EXPECT_STREQ(PortName(PortKind::Usb), "USB");
  EXPECT_STREQ(PortName(PortKind::Lpt1), "LPT1");
  EXPECT_STREQ(PortName(PortKind::Lpt2), "LPT2");
  EXPECT_STREQ(PortName(PortKind::Lpt3), "LPT3");
  EXPECT_STREQ(PortName(PortKind::Ecp1), "\\\\.\\QordEcp1");
  EXPECT_STREQ(PortName(PortKind::Ecp2), "\\\\.\\QordEcp2");
  EXPECT_STREQ(PortName(PortKind::Ecp3), "\\\\.\\QordEcp3");
}

TEST_F(LinkTest, UsbNamesGetThePipeSuffixes) {
  ASSERT_TRUE(DeviceLink::SetUsbNames("\\\\.\\K40"));
  EXPECT_STREQ(DeviceLink::controlPortName, "\\\\.\\K40");
  EXPECT_STREQ(DeviceLink::writePipeName, "\\\\.\\K40\\PIPE00");
  EXPECT_STREQ(DeviceLink::readPipeName, "\\\\.\\K40\\PIPE01");
}

TEST_F(LinkTest, UsbNamesMayBeBuiltFromTheControlPortBufferItself) {
  // Start-up lets the library fill controlPortName, then builds the names.
  std::strcpy(DeviceLink::controlPortName, "\\\\.\\K40");
  ASSERT_TRUE(DeviceLink::SetUsbNames(DeviceLink::controlPortName));
  EXPECT_STREQ(DeviceLink::controlPortName, "\\\\.\\K40");
  EXPECT_STREQ(DeviceLink::readPipeName, "\\\\.\\K40\\PIPE01");
}

TEST_F(LinkTest, UsbNameThatIsNoDeviceOrHasNoRoomForASuffixLeavesTheRoadUnavailable) {
  ASSERT_TRUE(DeviceLink::SetUsbNames("\\\\.\\OLD"));
  const std::string longest = "\\\\.\\" + std::string(244, 'n');  // 248 + 7 = 255 characters: still fits
  ASSERT_TRUE(DeviceLink::SetUsbNames(longest.c_str()));
  EXPECT_EQ(std::string(DeviceLink::writePipeName), longest + "\\PIPE00");

  const std::string tooLong = "\\\\.\\" + std::string(245, 'n');
  EXPECT_FALSE(DeviceLink::SetUsbNames(tooLong.c_str()));
  EXPECT_STREQ(DeviceLink::controlPortName, "");
  EXPECT_STREQ(DeviceLink::writePipeName, "");
  EXPECT_STREQ(DeviceLink::readPipeName, "");

  std::string unterminated(300, 'x');
  EXPECT_FALSE(DeviceLink::SetUsbNames(unterminated.c_str()));
  EXPECT_FALSE(DeviceLink::SetUsbNames(nullptr));
  // Not a device: the pipes would be "\PIPE00" and the like on the current drive.
  for (const char* name : {"", "K40USB0", "\\PIPE", "\\\\?\\K40", "\\\\.\\"})
    EXPECT_FALSE(DeviceLink::SetUsbNames(name)) << "\"" << name << "\"";
}

// --- Windows 95 ------------------------------------------------------------

TEST_F(LinkTest, Windows95HandsEveryCallToTheRegisterRoad) {
  os.biosWord = 0;  // no parallel port: the register road gives up at once
  for (PortKind kind : {PortKind::Usb, PortKind::Lpt1, PortKind::Ecp1}) {
    Connect(Road::UsbNt5);
    os.AddDevice("LPT1", &device);
    os.AddDevice(kEcp1Name, &device);
    DeviceLink::hostPlatform = HostPlatform::Windows95;
    DeviceLink::portKind = kind;
    int readsBefore = os.biosReads;
    EXPECT_EQ(DeviceLink::Write(bytes.data(), 8), 0);
    EXPECT_EQ(DeviceLink::Read(buffer.data(), 43), 0);
    EXPECT_EQ(os.biosReads, readsBefore + 2);
  }
  EXPECT_TRUE(os.opens.empty());
  EXPECT_TRUE(FakeUsbLibrary::writeCalls.empty());
  EXPECT_TRUE(FakeUsbLibrary::readCalls.empty());
  EXPECT_TRUE(os.debugLines.empty());
}

// --- USB writes --------------------------------------------------------------

TEST_F(LinkTest, Nt5UsbWriteOf3072BytesGoesThroughTheWritePipe) {
  Connect(Road::UsbNt5);
  EXPECT_EQ(DeviceLink::Write(bytes.data(), 3072), 3072);
  ASSERT_EQ(os.opens.size(), 1u);
  ExpectOpen(os.opens[0], kTestWritePipe, GenericWrite, ShareRead | ShareWrite, AttributeNormal);
  ASSERT_EQ(device.writes.size(), 1u);
  EXPECT_EQ(device.writes[0].size(), 3072u);
  EXPECT_TRUE(FakeUsbLibrary::writeCalls.empty());
  EXPECT_EQ(os.debugLines, std::vector<std::string>{"WriteFile = nLength(3072) nByte(3072)\n"});
  EXPECT_EQ(os.openHandles, 0);
}

TEST_F(LinkTest, Nt5UsbWriteOf3073BytesGoesToTheLibraryIn3072AndOne) {
  Connect(Road::UsbNt5);
  for (int i = 0; i < 3073; ++i) bytes[i] = static_cast<uint8_t>(i);
  EXPECT_EQ(DeviceLink::Write(bytes.data(), 3073), 3073);
  EXPECT_TRUE(os.opens.empty());
  EXPECT_EQ(FakeUsbLibrary::writeCalls, (std::vector<int32_t>{3072, 1}));
  ASSERT_EQ(device.writes.size(), 2u);
  EXPECT_EQ(device.writes[1], std::vector<uint8_t>{static_cast<uint8_t>(3072)});
  EXPECT_EQ(os.debugLines,
            (std::vector<std::string>{"Win2kUsbWrite(?) = 3072", "Win2kUsbWrite(?) = 1"}));
}

TEST_F(LinkTest, Nt5UsbShortPieceIsContinuedFromWhereItStopped) {
  Connect(Road::UsbNt5);
  FakeUsbLibrary::writeResults = {1000};
  EXPECT_EQ(DeviceLink::Write(bytes.data(), 4000), 4000);
  EXPECT_EQ(FakeUsbLibrary::writeCalls, (std::vector<int32_t>{3072, 3000}));
  EXPECT_EQ(os.debugLines,
            (std::vector<std::string>{"Win2kUsbWrite(?) = 1000", "Win2kUsbWrite(?) = 3000"}));
}

TEST_F(LinkTest, Nt5UsbPieceThatMovesNothingEndsTheWrite) {
  Connect(Road::UsbNt5);
  FakeUsbLibrary::writeResults = {3072, 0};
  EXPECT_EQ(DeviceLink::Write(bytes.data(), 7000), 3072);
  EXPECT_EQ(FakeUsbLibrary::writeCalls, (std::vector<int32_t>{3072, 3072}));
}

TEST_F(LinkTest, Nt5UsbLibraryCountsOutsideTheRequestAreKeptInRange) {
  Connect(Road::UsbNt5);
  FakeUsbLibrary::writeResults = {-5};
  EXPECT_EQ(DeviceLink::Write(bytes.data(), 4000), 0);
  FakeUsbLibrary::readResults = {-1, 9999};
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 100), 0);
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 100), 100);
}

// A driver that claims to have moved more than it was given.
class OverReportingDevice : public FakeDevice {
 public:
  uint32_t Write(const uint8_t*, uint32_t length) override { return length + 100; }
  uint32_t Read(uint8_t*, uint32_t length) override { return length + 100; }
};

TEST_F(LinkTest, PortAndPipeCountsBeyondTheRequestAreKeptInRange) {
  OverReportingDevice liar;
  for (Road road : {Road::Lpt1, Road::Ecp1, Road::UsbPipes}) {
    Connect(road);
    os.AddDevice("LPT1", &liar);
    os.AddDevice(kEcp1Name, &liar);
    os.AddDevice(kTestWritePipe, &liar);
    os.AddDevice(kTestReadPipe, &liar);
    os.chargeReadTimeouts = false;
    EXPECT_EQ(DeviceLink::Write(bytes.data(), 10), 10) << RoadName(road);
    EXPECT_EQ(DeviceLink::Read(buffer.data(), 43), 43) << RoadName(road);
  }
  EXPECT_EQ(os.debugLines, (std::vector<std::string>{"WriteFile = nLength(10) nByte(10)\n",
                                                     "ReadFile nLength = 43, nBytes = 43 \n"}));
}

TEST_F(LinkTest, MissingUsbLibraryEntryPointsMoveNothing) {
  Connect(Road::UsbNt5);
  DeviceLink::Win2kUsbWrite = nullptr;
  DeviceLink::Win2kUsbRead = nullptr;
  EXPECT_EQ(DeviceLink::Write(bytes.data(), 4000), 0);
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 43), 0);
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 5360), 0);
  EXPECT_EQ(os.debugLines,
            (std::vector<std::string>{"Win2kUsbWrite(?) = 0", "Read(1/2) = 0"}));
}

TEST_F(LinkTest, Windows98UsbWritesAnySizeThroughThePipe) {
  Connect(Road::UsbPipes);
  EXPECT_EQ(DeviceLink::Write(bytes.data(), 5370), 5370);
  ASSERT_EQ(os.opens.size(), 1u);
  ExpectOpen(os.opens[0], kTestWritePipe, GenericWrite, ShareRead | ShareWrite, AttributeNormal);
  EXPECT_EQ(os.debugLines, std::vector<std::string>{"WriteFile = nLength(5370) nByte(5370)\n"});
}

TEST_F(LinkTest, UsbWritePipeThatDoesNotOpenFailsSilently) {
  Connect(Road::UsbPipes);
  os.RemoveDevice(kTestWritePipe);
  EXPECT_EQ(DeviceLink::Write(bytes.data(), 10), 0);
  EXPECT_TRUE(os.debugLines.empty());
}

// --- parallel-port writes ------------------------------------------------------

TEST_F(LinkTest, EcpWriteOpensExclusivelyWithoutTimeoutsOrControlCodes) {
  Connect(Road::Ecp1);
  EXPECT_EQ(DeviceLink::Write(bytes.data(), 26), 26);
  ASSERT_EQ(os.opens.size(), 1u);
  ExpectOpen(os.opens[0], kEcp1Name, GenericWrite, 0, 0);
  EXPECT_TRUE(os.timeoutsSet.empty());
  EXPECT_TRUE(os.ioControls.empty());
  EXPECT_TRUE(os.debugLines.empty());
  EXPECT_EQ(os.openHandles, 0);
}

TEST_F(LinkTest, PortWriteThatCannotOpenNamesThePort) {
  Connect(Road::Ecp1);
  os.RemoveDevice(kEcp1Name);
  EXPECT_EQ(DeviceLink::Write(bytes.data(), 8), 0);
  Connect(Road::Lpt1);
  os.RemoveDevice("LPT1");
  EXPECT_EQ(DeviceLink::Write(bytes.data(), 8), 0);
  EXPECT_EQ(os.debugLines, (std::vector<std::string>{"Can not open the port: \\\\.\\QordEcp1 \n",
                                                     "Can not open the port: LPT1 \n"}));
}

TEST_F(LinkTest, LptWriteSetsTheTimeoutsAndKeepsTheMultipliers) {
  Connect(Road::Lpt1);
  os.initialTimeouts = {1, 11, 2, 17, 3};
  EXPECT_EQ(DeviceLink::Write(bytes.data(), 9), 9);
  ASSERT_EQ(os.opens.size(), 1u);
  ExpectOpen(os.opens[0], "LPT1", GenericWrite, 0, 0);
  ASSERT_EQ(os.timeoutsSet.size(), 1u);
  const CommTimeouts& t = os.timeoutsSet[0];
  EXPECT_EQ(t.ReadIntervalTimeout, 200u);
  EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 11u);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 3000u);
  EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 17u);
  EXPECT_EQ(t.WriteTotalTimeoutConstant, 5000u);
  EXPECT_TRUE(os.debugLines.empty());
}

TEST_F(LinkTest, LptWriteWhoseTimeoutsCannotBeReadFailsSilently) {
  Connect(Road::Lpt1);
  os.failGetTimeouts = true;
  EXPECT_EQ(DeviceLink::Write(bytes.data(), 9), 0);
  EXPECT_TRUE(device.writes.empty());
  EXPECT_TRUE(os.debugLines.empty());
  EXPECT_EQ(os.openHandles, 0);
}

TEST_F(LinkTest, OtherEcpNamesTakeTheLptRules) {
  Connect(Road::Lpt1);
  DeviceLink::portKind = PortKind::Ecp2;
  os.AddDevice("\\\\.\\QordEcp2", &device);
  EXPECT_EQ(DeviceLink::Write(bytes.data(), 9), 9);
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 0), 0);
  EXPECT_EQ(os.timeoutsSet.size(), 2u);
  EXPECT_TRUE(os.ioControls.empty());
}

// --- parallel-port reads -------------------------------------------------------

TEST_F(LinkTest, LptReadOpensForReadAndWriteAndSetsTheTimeouts) {
  Connect(Road::Lpt1);
  SetReply(43);
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 43), 43);
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 43), device.reply);
  ASSERT_EQ(os.opens.size(), 1u);
  ExpectOpen(os.opens[0], "LPT1", GenericRead | GenericWrite, 0, AttributeNormal);
  ASSERT_EQ(os.timeoutsSet.size(), 1u);
  EXPECT_EQ(os.timeoutsSet[0].ReadTotalTimeoutConstant, 3000u);
  EXPECT_TRUE(os.debugLines.empty());
  EXPECT_EQ(os.openHandles, 0);
}

TEST_F(LinkTest, PortReadThatCannotOpenTracesTheFixedLptText) {
  Connect(Road::Ecp1);
  os.RemoveDevice(kEcp1Name);
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 43), 0);
  EXPECT_EQ(os.debugLines, std::vector<std::string>{"\n Can not open the port: LPT1 \n\r"});
}

TEST_F(LinkTest, LptReadWhoseTimeoutsCannotBeReadIsTraced) {
  Connect(Road::Lpt1);
  SetReply(43);
  os.failGetTimeouts = true;
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 43), 0);
  EXPECT_EQ(os.debugLines, std::vector<std::string>{"\n ERROR: Failed to set Comm State\n\r"});
  EXPECT_EQ(os.openHandles, 0);
}

TEST_F(LinkTest, EcpReadSetsHardwareModeThenEcpMode) {
  Connect(Road::Ecp1);
  SetReply(27);
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 27), 27);
  ASSERT_EQ(os.opens.size(), 1u);
  ExpectOpen(os.opens[0], kEcp1Name, GenericRead | GenericWrite, 0, AttributeNormal);
  ASSERT_EQ(os.ioControls.size(), 2u);
  EXPECT_EQ(os.ioControls[0].device, kEcp1Name);
  EXPECT_EQ(os.ioControls[0].code, 0x00182014u);
  EXPECT_EQ(os.ioControls[0].input, std::vector<uint8_t>{0x00});
  EXPECT_EQ(os.ioControls[1].code, 0x00182004u);
  EXPECT_EQ(os.ioControls[1].input, std::vector<uint8_t>{0x10});
  EXPECT_TRUE(os.timeoutsSet.empty());
  EXPECT_TRUE(os.debugLines.empty());
}

TEST_F(LinkTest, EcpControlCodeFailuresAreReportedAndTheReadGoesOn) {
  Connect(Road::Ecp1);
  SetReply(27);
  os.failingIoControls = {0x00182014u, 0x00182004u};
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 27), 27);
  EXPECT_EQ(os.debugLines,
            (std::vector<std::string>{
                "[Error: Device can't be set to the H/W mode(Method) you want.]",
                "[Error: Mode has not been changed.]"}));
}

// --- USB reads -------------------------------------------------------------------

TEST_F(LinkTest, Nt5UsbReadOf5000BytesIsOneLibraryCall) {
  Connect(Road::UsbNt5);
  SetReply(6000);
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 5000), 5000);
  EXPECT_EQ(FakeUsbLibrary::readCalls, std::vector<int32_t>{5000});
  EXPECT_TRUE(os.opens.empty());
  EXPECT_TRUE(os.debugLines.empty());
}

TEST_F(LinkTest, Nt5UsbReadsAbove5000BytesComeIn2624AndTheRest) {
  Connect(Road::UsbNt5);
  SetReply(5001);
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 5001), 5001);
  EXPECT_EQ(FakeUsbLibrary::readCalls, (std::vector<int32_t>{2624, 2377}));
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 5001), device.reply);
  EXPECT_EQ(os.debugLines, (std::vector<std::string>{"Read(1/2) = 2624", "Read(2/2) = 5001"}));

  FakeUsbLibrary::readCalls.clear();
  os.ClearDebug();
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 5360), 0);  // nothing left to send
  EXPECT_EQ(FakeUsbLibrary::readCalls, (std::vector<int32_t>{2624}));

  FakeUsbLibrary::readCalls.clear();
  FakeUsbLibrary::readResults = {2624, 2736};
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 5360), 5360);
  EXPECT_EQ(FakeUsbLibrary::readCalls, (std::vector<int32_t>{2624, 2736}));
}

TEST_F(LinkTest, Nt5UsbTwoPartReadReturnsWhatBothPartsBrought) {
  Connect(Road::UsbNt5);
  FakeUsbLibrary::readResults = {2624, 100};
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 5360), 2724);
  EXPECT_EQ(os.debugLines, (std::vector<std::string>{"Read(1/2) = 2624", "Read(2/2) = 2724"}));
}

TEST_F(LinkTest, Nt5UsbShortFirstPartEndsTheRead) {
  Connect(Road::UsbNt5);
  FakeUsbLibrary::readResults = {1000};
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 5360), 1000);
  EXPECT_EQ(FakeUsbLibrary::readCalls, std::vector<int32_t>{2624});
  EXPECT_EQ(os.debugLines, std::vector<std::string>{"Read(1/2) = 1000"});
}

TEST_F(LinkTest, Windows98UsbReadUsesTheReadPipe) {
  Connect(Road::UsbPipes);
  SetReply(20);
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 43), 20);
  ASSERT_EQ(os.opens.size(), 1u);
  ExpectOpen(os.opens[0], kTestReadPipe, GenericRead, 0, AttributeNormal);
  EXPECT_EQ(os.debugLines, std::vector<std::string>{"ReadFile nLength = 43, nBytes = 20 \n"});
  EXPECT_EQ(os.openHandles, 0);
}

TEST_F(LinkTest, Windows98UsbReadPipeThatDoesNotOpenIsReported) {
  Connect(Road::UsbPipes);
  os.RemoveDevice(kTestReadPipe);
  EXPECT_EQ(DeviceLink::Read(buffer.data(), 43), 0);
  EXPECT_EQ(os.debugLines, std::vector<std::string>{" USB Port open error - for Reading "});
}

}  // namespace
