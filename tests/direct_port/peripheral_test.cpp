// The emulated parallel interface beyond the single handshakes: replies that
// span several reads, modes it does not offer, and a host that gives up
// half-way through a byte.
#include <gtest/gtest.h>

#include <vector>

#include "link/direct_port.h"
#include "tests/direct_port/peripheral_ports.h"

namespace {

const uint8_t kInquiry[8] = {0x1B, 0xA4, 0x00, 0x04, 0x50, 0xE0, 0x82, 0xCD};

class PeripheralTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDirectPort();
    ASSERT_EQ(DirectWrite(kInquiry, 8), 8);
    ASSERT_EQ(lpt1.machine.Pending(), 43u);
  }
  void TearDown() override { ResetDirectPort(); }

  MachineOnLpt1 lpt1;
};

TEST_F(PeripheralTest, ReplyContinuesWhereTheLastReadEnded) {
  std::vector<uint8_t> whole(43);
  ASSERT_EQ(DirectRead(whole.data(), 11), 11);
  ASSERT_EQ(DirectRead(whole.data() + 11, 32), 32);
  EXPECT_EQ(lpt1.machine.Pending(), 0u);
  EXPECT_EQ(whole[0], 0x1B);
  EXPECT_EQ(whole[3], 0x27);
  EXPECT_EQ(whole[42], lpt1.machine.state().inquiryMode);
  EXPECT_EQ(lpt1.peripheral.bytesSent(), 43);
}

TEST_F(PeripheralTest, OffersNoDataInModesOtherThanNibble) {
  ASSERT_TRUE(Negotiate(0x10));  // ECP: the negotiation itself completes
  EXPECT_FALSE(lpt1.peripheral.select());  // XFlag low: not supported
  EXPECT_TRUE(lpt1.peripheral.nFault());   // no data available
  uint8_t byte;
  EXPECT_FALSE(ReadNibbleByte(&byte));
  EXPECT_TRUE(Terminate());
  EXPECT_EQ(lpt1.machine.Pending(), 43u);
}

TEST_F(PeripheralTest, HalfByteIsDroppedWhenTheHostStartsOver) {
  ASSERT_TRUE(Negotiate(0x00));
  // Low nibble of the first byte only (events 7 to 11), then a new negotiation.
  TheOs().PortOut(0x37A, 0x06);
  EXPECT_FALSE(lpt1.peripheral.nAck());
  TheOs().PortOut(0x37A, 0x04);
  EXPECT_TRUE(lpt1.peripheral.nAck());
  ASSERT_TRUE(Negotiate(0x00));
  uint8_t byte = 0;
  ASSERT_TRUE(ReadNibbleByte(&byte));
  EXPECT_EQ(byte, 0xA4);  // the second reply byte, starting from its low nibble
  EXPECT_TRUE(Terminate());
}

TEST_F(PeripheralTest, ReplyByteLimitCountsFromTheStart) {
  lpt1.peripheral.replyByteLimit = 5;
  uint8_t reply[43] = {};
  EXPECT_EQ(DirectRead(reply, 3), 3);
  EXPECT_EQ(DirectRead(reply, 43), 2);
  EXPECT_EQ(DirectRead(reply, 43), 0);
  EXPECT_EQ(lpt1.machine.Pending(), 38u);
}

}  // namespace
