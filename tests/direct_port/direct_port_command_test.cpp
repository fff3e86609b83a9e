// Whole device commands over the Windows 95 register road: the request goes
// out strobe by strobe, the reply comes back nibble by nibble through
// negotiation and termination, and the records end up as the machine holds
// them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "commands/commands.h"
#include "commands/device_data.h"
#include "link/device_link.h"
#include "link/direct_port.h"
#include "tests/direct_port/peripheral_ports.h"

namespace {

class DirectPortCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDirectPort();
    DeviceLink::Reset();
    ResetDeviceData();
    DeviceLink::hostPlatform = HostPlatform::Windows95;
    // Not consulted on Windows 95.
    DeviceLink::portKind = PortKind::Usb;
  }
  void TearDown() override {
    ResetDeviceData();
    DeviceLink::Reset();
    ResetDirectPort();
  }

  int Lines(const std::string& line) const {
    return static_cast<int>(std::count(lpt1.os.debugLines.begin(), lpt1.os.debugLines.end(), line));
  }
  bool AnyFailureTraced() const {
    for (const auto& line : lpt1.os.debugLines)
      if (line.find("failed") != std::string::npos || line.find("never") != std::string::npos)
        return true;
    return false;
  }

  MachineOnLpt1 lpt1;
};

TEST_F(DirectPortCommandTest, InquiryIdentifiesTheMachine) {
  ASSERT_TRUE(Mfp_Inquiry());
  EXPECT_TRUE(inquiryAnswered);
  EXPECT_TRUE(fullPanel);
  ASSERT_EQ(lpt1.machine.RequestKinds(), std::vector<MachineCommand>{MachineCommand::Inquiry});
  EXPECT_EQ(Lines("Extensibility value = 00\n\r"), 1);
  EXPECT_EQ(Lines("Length = 39 \n"), 1);
  EXPECT_FALSE(AnyFailureTraced());
  EXPECT_EQ(lpt1.machine.Pending(), 0u);
  EXPECT_EQ(controlShadow, 0x07);
}

TEST_F(DirectPortCommandTest, InquiryOfAMachineWithTheSmallPageSet) {
  lpt1.machine.state().inquiryMode = 1;
  ASSERT_TRUE(Mfp_Inquiry());
  EXPECT_TRUE(inquiryAnswered);
  EXPECT_FALSE(fullPanel);
}

TEST_F(DirectPortCommandTest, InquiryOfAMachineThatNeverNegotiatesFails) {
  lpt1.peripheral.neverNegotiate = true;
  EXPECT_FALSE(Mfp_Inquiry());
  EXPECT_FALSE(inquiryAnswered);
  EXPECT_EQ(Lines("failed (nAck) on event 2\n\r"), 1);
}

TEST_F(DirectPortCommandTest, GetSettingsFillsTheRecord) {
  auto& wire = lpt1.machine.state().settings;
  for (size_t i = 0; i < wire.size(); ++i) wire[i] = static_cast<uint8_t>(0x30 + i);
  ASSERT_TRUE(Mfp_GetSettings());
  EXPECT_EQ(std::memcmp(&settingsBlock, wire.data(), wire.size()), 0);
  EXPECT_EQ(lpt1.machine.RequestKinds(),
            std::vector<MachineCommand>{MachineCommand::GetSettings});
  EXPECT_EQ(Lines("Extensibility value = 00\n\r"), 1);
  EXPECT_FALSE(AnyFailureTraced());
}

TEST_F(DirectPortCommandTest, GetPhonebookReadsHeadAndEntriesInTwoTransfers) {
  speedDialCount = 80;
  ASSERT_TRUE(CreatePhonebookTable());
  auto& book = lpt1.machine.state().phonebook;
  for (auto& entry : book) entry = {};
  book[0] = {"ANA PAULA", "01155512345"};
  book[41] = {"OFICINA", "P9#33"};
  book[79] = {"ULTIMO NOME DA LISTA", std::string(46, '7')};

  ASSERT_TRUE(Mfp_GetPhonebook());
  EXPECT_STREQ(phonebookTable[0].name, "ANA PAULA");
  EXPECT_STREQ(phonebookTable[0].number, "01155512345");
  EXPECT_STREQ(phonebookTable[41].name, "OFICINA");
  EXPECT_STREQ(phonebookTable[41].number, "P9#33");
  EXPECT_STREQ(phonebookTable[79].name, "ULTIMO NOME DA LISTA");
  EXPECT_EQ(std::string(phonebookTable[79].number), std::string(46, '7'));
  EXPECT_STREQ(phonebookTable[1].name, "");
  // Head and entries: a negotiation each; every entry arrived in the first try.
  EXPECT_EQ(Lines("Extensibility value = 00\n\r"), 2);
  EXPECT_EQ(Lines("ReadData = 11 \n"), 1);
  EXPECT_EQ(Lines("ReadData = 5360 \n"), 1);
  EXPECT_FALSE(AnyFailureTraced());
  EXPECT_EQ(lpt1.machine.Pending(), 0u);
  EXPECT_EQ(controlShadow, 0x07);
}

}  // namespace
