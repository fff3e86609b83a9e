// The Windows 95 road register by register: the order of every register write
// and read of each handshake, the control-line levels each routine leaves
// behind, the nibble decoding, and the failure paths with their trace lines.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "link/direct_port.h"
#include "tests/direct_port/peripheral_ports.h"

bool operator==(const FakePortAccess& a, const FakePortAccess& b) {
  return a.write == b.write && a.port == b.port && a.value == b.value;
}

void PrintTo(const FakePortAccess& a, std::ostream* os) {
  char text[32];
  std::snprintf(text, sizeof text, "%s %03X %02X", a.write ? "W" : "R", a.port, a.value);
  *os << text;
}

namespace {

constexpr uint16_t kData = 0x378, kStatus = 0x379, kControl = 0x37A;

FakePortAccess W(uint16_t port, uint8_t value) { return {true, port, value}; }
FakePortAccess R(uint16_t port, uint8_t value) { return {false, port, value}; }

std::vector<FakePortAccess> Repeat(int n, FakePortAccess access) {
  return std::vector<FakePortAccess>(n, access);
}

std::vector<FakePortAccess> Join(std::initializer_list<std::vector<FakePortAccess>> parts) {
  std::vector<FakePortAccess> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const uint8_t kInquiry[8] = {0x1B, 0xA4, 0x00, 0x04, 0x50, 0xE0, 0x82, 0xCD};

// ---------------------------------------------------------------------------
// Against the emulated machine.

class DirectPortTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetDirectPort(); }
  void TearDown() override { ResetDirectPort(); }

  // The machine has its 43-byte inquiry reply queued; lines in compatibility idle.
  void QueueInquiryReply() {
    controlShadow = 0x07;
    ASSERT_EQ(DirectWrite(kInquiry, 8), 8);
    ASSERT_EQ(lpt1.machine.Pending(), 43u);
    StartLog();
  }
  void StartLog() {
    lpt1.os.logPortAccesses = true;
    lpt1.os.portAccesses.clear();
    lpt1.os.ClearDebug();
  }

  MachineOnLpt1 lpt1;
};

TEST(NibbleFromStatus, TakesNFaultSelectPErrorAndTheTrueBusyLine) {
  EXPECT_EQ(NibbleFromStatus(0x48), 0x09);  // nFault high, nAck high, bit 7 clear: Busy high
  EXPECT_EQ(NibbleFromStatus(0x80), 0x00);  // bit 7 set: Busy low
  EXPECT_EQ(NibbleFromStatus(0x00), 0x08);
  EXPECT_EQ(NibbleFromStatus(0x38), 0x0F);
  EXPECT_EQ(NibbleFromStatus(0x10 | 0x80), 0x02);
  EXPECT_EQ(NibbleFromStatus(0x20 | 0x80), 0x04);
  EXPECT_EQ(NibbleFromStatus(0x47 | 0x80), 0x00);  // nAck and the spare bits are not data
}

TEST_F(DirectPortTest, CompatibilityByteStrobesAndWaitsForBusyBothWays) {
  controlShadow = 0x07;
  StartLog();
  ASSERT_TRUE(WriteCompatByte(0x1B));
  EXPECT_EQ(lpt1.os.portAccesses, (std::vector<FakePortAccess>{
                                      W(kData, 0x1B),
                                      W(kControl, 0x0D),  // nStrobe low
                                      R(kStatus, 0x58),   // Busy high: one read, bit 7
                                      W(kControl, 0x0C),  // nStrobe high
                                      R(kStatus, 0xD8),   // Busy low
                                  }));
  EXPECT_EQ(controlShadow, 0x07);
  EXPECT_EQ(lpt1.peripheral.strobes(), 1);
  EXPECT_TRUE(lpt1.os.debugLines.empty());
}

TEST_F(DirectPortTest, FirstWriteOfTheProcessStrobesWithTheOtherLinesLow) {
  // controlShadow starts at 0: only nStrobe ever moves during a write.
  StartLog();
  ASSERT_EQ(DirectWrite(kInquiry, 1), 1);
  EXPECT_EQ(lpt1.os.portAccesses[1], W(kControl, 0x0B));
  EXPECT_EQ(lpt1.os.portAccesses[3], W(kControl, 0x0A));
  EXPECT_EQ(controlShadow, 0x01);
}

TEST_F(DirectPortTest, NegotiationForNibbleMode) {
  QueueInquiryReply();
  ASSERT_TRUE(Negotiate(0x00));
  EXPECT_EQ(lpt1.os.portAccesses,
            Join({{W(kControl, 0x0C), W(kData, 0x00), W(kControl, 0x06)},
                  // nAck low, nFault, Select and PError high; four waits, two reads each.
                  Repeat(8, R(kStatus, 0xB8)),
                  {W(kControl, 0x05), W(kControl, 0x04)},
                  // nAck high; nDataAvail low: the reply is waiting.
                  Repeat(2, R(kStatus, 0xC0))}));
  EXPECT_EQ(controlShadow, 0x0F);
  EXPECT_EQ(lpt1.os.debugLines, std::vector<std::string>{"Extensibility value = 00\n\r"});
  EXPECT_EQ(lpt1.peripheral.phase(), Ieee1284Peripheral::Phase::ReverseIdle);
}

TEST_F(DirectPortTest, NibbleByteInTwoHalves) {
  QueueInquiryReply();
  ASSERT_TRUE(Negotiate(0x00));
  lpt1.os.portAccesses.clear();
  uint8_t byte = 0;
  ASSERT_TRUE(ReadNibbleByte(&byte));
  EXPECT_EQ(byte, 0x1B);
  EXPECT_EQ(lpt1.os.portAccesses,
            Join({Repeat(2, R(kStatus, 0xC0)),  // nDataAvail low
                  {W(kControl, 0x06)},          // nAutoFd low
                  // 0xB: nFault, Select and Busy high, nAck low.
                  Repeat(3, R(kStatus, 0x18)),
                  Repeat(2, W(kControl, 0x04)),  // nAutoFd high, twice
                  Repeat(2, R(kStatus, 0x58)),   // nAck high
                  Repeat(2, W(kControl, 0x06)),  // nAutoFd low, twice
                  // 0x1: nFault high only, nAck low.
                  Repeat(3, R(kStatus, 0x88)),
                  {W(kControl, 0x04)},
                  Repeat(2, R(kStatus, 0xC0))}));  // nAck high, more data waiting
  EXPECT_EQ(controlShadow, 0x0F);
  EXPECT_TRUE(lpt1.os.debugLines.size() == 1);  // only the negotiation's line
}

TEST_F(DirectPortTest, TerminationBackToCompatibilityIdle) {
  QueueInquiryReply();
  ASSERT_TRUE(Negotiate(0x00));
  uint8_t byte;
  ASSERT_TRUE(ReadNibbleByte(&byte));
  lpt1.os.portAccesses.clear();
  ASSERT_TRUE(Terminate());
  EXPECT_EQ(lpt1.os.portAccesses,
            Join({{W(kControl, 0x0C)},          // nSelectIn low, nAutoFd high
                  Repeat(5, R(kStatus, 0x08)),  // Busy high (once), nFault high, nAck low
                  {W(kControl, 0x0E)},          // nAutoFd low
                  Repeat(3, R(kStatus, 0x48)),  // Busy high (once), nAck high
                  {W(kControl, 0x0C)}}));       // nAutoFd high
  EXPECT_EQ(controlShadow, 0x07);
  EXPECT_EQ(lpt1.peripheral.phase(), Ieee1284Peripheral::Phase::Compatibility);
}

TEST_F(DirectPortTest, WholeReplyCostsTheHandshakeMinimumOfRegisterAccesses) {
  QueueInquiryReply();
  uint8_t reply[43] = {};
  const uint64_t start = lpt1.os.nowUs;
  ASSERT_EQ(DirectRead(reply, 43), 43);
  EXPECT_EQ(reply[0], 0x1B);
  EXPECT_EQ(reply[1], 0xA4);
  EXPECT_EQ(reply[2], 0x00);
  EXPECT_EQ(reply[3], 0x27);
  EXPECT_EQ(controlShadow, 0x07);
  // Negotiation 15, termination 11, every byte 18.
  EXPECT_EQ(lpt1.os.portAccesses.size(), 15u + 11u + 18u * 43u);
  EXPECT_EQ(lpt1.os.debugLines, std::vector<std::string>{"Extensibility value = 00\n\r"});
  // No wait ever spins: the machine answers each step at once.
  EXPECT_LT(lpt1.os.nowUs - start, 2000u);
}

TEST_F(DirectPortTest, ReadOfMoreThanTheMachineSendsEndsAfterOneSecond) {
  QueueInquiryReply();
  lpt1.peripheral.replyByteLimit = 10;
  uint8_t reply[43] = {};
  const uint64_t start = lpt1.os.nowUs;
  EXPECT_EQ(DirectRead(reply, 43), 10);
  // One wait of 1 s on a millisecond tick counter, and nothing else to speak of.
  const uint64_t elapsedUs = lpt1.os.nowUs - start;
  EXPECT_GE(elapsedUs, 999000u);
  EXPECT_LT(elapsedUs, 1002000u);
  EXPECT_EQ(reply[0], 0x1B);
  EXPECT_EQ(reply[10], 0x00);  // never filled
  EXPECT_EQ(lpt1.os.debugLines, std::vector<std::string>{"Extensibility value = 00\n\r"});
  EXPECT_EQ(controlShadow, 0x07);  // termination completed
  EXPECT_EQ(lpt1.peripheral.phase(), Ieee1284Peripheral::Phase::Compatibility);
}

TEST_F(DirectPortTest, MachineThatNeverNegotiatesGivesNothing) {
  QueueInquiryReply();
  lpt1.peripheral.neverNegotiate = true;
  uint8_t reply[43] = {};
  const uint64_t start = lpt1.os.nowUs;
  EXPECT_EQ(DirectRead(reply, 43), 0);
  EXPECT_EQ(lpt1.os.debugLines, (std::vector<std::string>{
                                    "Extensibility value = 00\n\r",
                                    "failed (nAck) on event 2\n\r",
                                    "failed (busy) on event 23\n\r",
                                }));
  // Event 2, the first byte's nDataAvail and event 23: three waits of 1 s.
  const uint64_t elapsedUs = lpt1.os.nowUs - start;
  EXPECT_GE(elapsedUs, 2997000u);
  EXPECT_LT(elapsedUs, 3004000u);
  EXPECT_EQ(lpt1.machine.Pending(), 43u);
}

TEST_F(DirectPortTest, UnacknowledgedThirdByteEndsTheWrite) {
  controlShadow = 0x07;
  StartLog();
  lpt1.peripheral.ignoredStrobe = 3;
  EXPECT_EQ(DirectWrite(kInquiry, 8), 2);
  EXPECT_EQ(lpt1.os.debugLines, std::vector<std::string>{"failed (busy) on event 36\n\r"});
  EXPECT_EQ(lpt1.peripheral.strobes(), 3);
  // The strobe is ended even so, so a retry from the failed byte gets through.
  EXPECT_EQ(lpt1.os.portAccesses.back(), W(kControl, 0x0C));
  EXPECT_EQ(controlShadow, 0x07);
  EXPECT_EQ(DirectWrite(kInquiry + 2, 6), 6);
  ASSERT_EQ(lpt1.machine.Requests().size(), 1u);
  EXPECT_EQ(lpt1.machine.Requests()[0], std::vector<uint8_t>(kInquiry, kInquiry + 8));
}

TEST_F(DirectPortTest, NoFirstParallelPortTouchesNoRegister) {
  lpt1.os.biosWord = 0;
  StartLog();
  uint8_t reply[43] = {};
  EXPECT_EQ(DirectWrite(kInquiry, 8), 0);
  EXPECT_EQ(DirectRead(reply, 43), 0);
  EXPECT_FALSE(Negotiate(0x00));
  EXPECT_FALSE(WriteCompatByte(0x1B));
  EXPECT_TRUE(lpt1.os.portAccesses.empty());
  EXPECT_TRUE(lpt1.os.debugLines.empty());
  EXPECT_EQ(lpt1.os.NowMs(), 0u);
  EXPECT_EQ(lptBase, 0);
  // Read again while it is 0...
  EXPECT_EQ(lpt1.os.biosReads, 4);
  lpt1.os.biosWord = 0x378;
  EXPECT_EQ(DirectWrite(kInquiry, 8), 8);
  EXPECT_EQ(lptBase, 0x378);
  // ...and kept once it is not.
  lpt1.os.biosWord = 0x278;
  EXPECT_EQ(DirectRead(reply, 43), 43);
  EXPECT_EQ(lpt1.os.biosReads, 5);
}

TEST(DirectPortBase, RegistersFollowTheBiosAddress) {
  ResetDirectPort();
  FakeOs os;
  K40Machine machine;
  Ieee1284Peripheral peripheral(machine, 0x278);
  PeripheralPorts ports(peripheral);
  os.ports = &ports;
  os.biosWord = 0x278;
  os.logPortAccesses = true;
  EXPECT_EQ(DirectWrite(kInquiry, 8), 8);
  uint8_t reply[43] = {};
  EXPECT_EQ(DirectRead(reply, 43), 43);
  for (const auto& access : os.portAccesses) {
    EXPECT_GE(access.port, 0x278);
    EXPECT_LE(access.port, 0x27A);
  }
  // The first parallel port's word: segment 0x40, offset 8.
  EXPECT_EQ(os.biosAddresses, std::vector<uint32_t>{0x408});
  ResetDirectPort();
}

// ---------------------------------------------------------------------------
// Against scripted status lines, for the steps a well-behaved machine never
// fails.

// Status answers set by the test: a queue first, then per last control value,
// then a fixed value.
class ScriptedPort final : public FakePortRegisters {
 public:
  uint8_t In(uint16_t port) override {
    if (port != kStatus) return 0xFF;
    if (!queue.empty()) {
      uint8_t value = queue.front();
      queue.erase(queue.begin());
      return value;
    }
    auto it = afterControl.find(control);
    return it != afterControl.end() ? it->second : status;
  }
  void Out(uint16_t port, uint8_t value) override {
    if (port == kControl) control = value;
  }

  std::vector<uint8_t> queue;
  std::map<uint8_t, uint8_t> afterControl;
  uint8_t status = 0xFF;
  uint8_t control = 0x0C;
};

class ScriptedPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDirectPort();
    os.ports = &port;
    os.logPortAccesses = true;
  }
  void TearDown() override { ResetDirectPort(); }

  int StatusReads() const {
    int n = 0;
    for (const auto& access : os.portAccesses) n += !access.write && access.port == kStatus;
    return n;
  }

  FakeOs os;
  ScriptedPort port;
};

TEST_F(ScriptedPortTest, WaitTestsTheClockBeforeTheFirstRead) {
  EXPECT_TRUE(WaitStatus(kStatusNAck, 0, 0));
  EXPECT_TRUE(os.portAccesses.empty());
}

TEST_F(ScriptedPortTest, WaitUsesTheSecondOfTwoReadsExceptForBusy) {
  port.queue = {0x08, 0x00, 0x00, 0x08};
  EXPECT_FALSE(WaitStatus(kStatusNFault, 1, 1));
  EXPECT_EQ(StatusReads(), 4);  // the first pair ended on nFault low

  os.portAccesses.clear();
  port.queue = {0x00};  // bit 7 clear: Busy high
  EXPECT_FALSE(WaitStatus(kStatusBusy, 1, 1));
  EXPECT_EQ(StatusReads(), 1);

  os.portAccesses.clear();
  port.queue = {0x00, 0x80};
  EXPECT_FALSE(WaitStatus(kStatusBusy, 0, 1));
  EXPECT_EQ(StatusReads(), 2);
}

TEST_F(ScriptedPortTest, WaitGivesUpAfterOneSecond) {
  port.status = 0x00;
  const uint64_t start = os.nowUs;
  EXPECT_TRUE(WaitStatus(kStatusNAck, 1, 1));
  EXPECT_GE(os.nowUs - start, 999000u);
  EXPECT_LT(os.nowUs - start, 1001000u);
  EXPECT_EQ(StatusReads() % 2, 0);
}

struct NegotiationFailure {
  uint8_t status;
  const char* line;
};

class NegotiationFailureTest : public ScriptedPortTest,
                               public ::testing::WithParamInterface<NegotiationFailure> {};

TEST_P(NegotiationFailureTest, NamesTheSignalAndTheEvent) {
  port.status = GetParam().status;
  EXPECT_FALSE(Negotiate(0xAB));
  EXPECT_EQ(os.debugLines,
            (std::vector<std::string>{"Extensibility value = ab\n\r", GetParam().line}));
}

INSTANTIATE_TEST_SUITE_P(
    Event2And6, NegotiationFailureTest,
    ::testing::Values(NegotiationFailure{0xC0 | 0x38, "failed (nAck) on event 2\n\r"},
                      NegotiationFailure{0x80 | 0x30, "failed (nFault) on event 2\n\r"},
                      NegotiationFailure{0x80 | 0x28, "failed (select) on event 2\n\r"},
                      NegotiationFailure{0x80 | 0x18, "failed (perror) on event 2\n\r"},
                      // nAck never rises again.
                      NegotiationFailure{0x80 | 0x38, "failed (nAck) on event 6\n\r"}));

struct TerminationFailure {
  uint8_t afterEvent22;
  uint8_t afterEvent25;
  const char* line;
};

class TerminationFailureTest : public ScriptedPortTest,
                               public ::testing::WithParamInterface<TerminationFailure> {};

TEST_P(TerminationFailureTest, NamesTheSignalAndTheEvent) {
  controlShadow = 0x0F;
  port.afterControl = {{0x0C, GetParam().afterEvent22}, {0x0E, GetParam().afterEvent25}};
  EXPECT_FALSE(Terminate());
  EXPECT_EQ(os.debugLines, std::vector<std::string>{GetParam().line});
}

INSTANTIATE_TEST_SUITE_P(
    Events23To27, TerminationFailureTest,
    ::testing::Values(TerminationFailure{0xD8, 0x48, "failed (busy) on event 23\n\r"},
                      TerminationFailure{0x00, 0x48, "failed (nFault) on event 23\n\r"},
                      TerminationFailure{0x48, 0x48, "failed (nAck) on event 24\n\r"},
                      TerminationFailure{0x08, 0xC8, "failed (busy) on event 26\n\r"},
                      TerminationFailure{0x08, 0x08, "failed (nAck) on event 27\n\r"}));

TEST_F(ScriptedPortTest, BusyThatNeverDropsFailsTheByte) {
  controlShadow = 0x07;
  port.status = 0x00;  // Busy high for good
  EXPECT_EQ(DirectWrite(kInquiry, 8), 0);
  EXPECT_EQ(os.debugLines, std::vector<std::string>{"busy never acknowledged signal\n\r"});
  EXPECT_EQ(controlShadow, 0x07);
}

TEST_F(ScriptedPortTest, NibbleByteFailuresAreSilent) {
  controlShadow = 0x0F;
  port.status = 0xC8;  // nDataAvail high: nothing to send
  uint8_t byte = 0x55;
  EXPECT_FALSE(ReadNibbleByte(&byte));
  EXPECT_EQ(byte, 0x55);
  for (const auto& access : os.portAccesses) EXPECT_FALSE(access.write);

  // Data offered, but nAck never answers event 7: nAutoFd is left low for
  // the termination to raise.
  port.status = 0xC0;
  EXPECT_FALSE(ReadNibbleByte(&byte));
  EXPECT_EQ(controlShadow, 0x0D);
  EXPECT_TRUE(os.debugLines.empty());
}

}  // namespace
