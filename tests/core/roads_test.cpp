// Every command against the emulated machine on every road the link offers:
// the same exchanges and the same waits whatever carries the bytes.
#include <cstring>

#include "tests/core/core_fixture.h"

namespace {

class RoadsTest : public CommandTest, public ::testing::WithParamInterface<Road> {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    os.RemoveDevice("LPT1");
    ConnectRoad(os, GetParam(), device);
  }
};

TEST_P(RoadsTest, EveryCommandCompletesWithItsWaits) {
  ASSERT_TRUE(Mfp_Inquiry());
  ASSERT_TRUE(fullPanel);
  MakeTable();
  EXPECT_TRUE(Mfp_GetSystemInfo());
  EXPECT_TRUE(Mfp_GetSettings());
  settingsBlock.redialCount = 12;
  EXPECT_TRUE(Mfp_SetSettings());
  std::strcpy(systemInfo.customerName, "NOVO CLIENTE");
  EXPECT_TRUE(Mfp_SetAdvanced());
  EXPECT_TRUE(Mfp_GetPhonebook());
  std::strcpy(phonebookTable[79].name, "ULTIMO");
  std::strcpy(phonebookTable[79].number, "0800");
  EXPECT_TRUE(Mfp_SetPhonebook());

  using C = MachineCommand;
  EXPECT_EQ(machine.RequestKinds(),
            (std::vector<C>{C::Inquiry, C::GetSystemInfo, C::GetSettings, C::SetSettings,
                            C::SetAdvanced, C::GetPhonebook, C::SetPhonebook}));
  EXPECT_STREQ(systemInfo.modelName, "QUILLMARK K40 SERIES            ");
  EXPECT_STREQ(phonebookTable[0].name, "JOAO DA SILVA");
  EXPECT_EQ(machine.state().settings[12], 12);
  EXPECT_EQ(machine.state().phonebook[79].name, "ULTIMO");
  // 1500 + 1000 + 1000 + 500 + 6000 + 2000 + 1000 ms, and one last tick read.
  EXPECT_EQ(os.nowUs, 13000001u);
  EXPECT_EQ(os.openHandles, 0);
}

TEST_P(RoadsTest, RoadSpecificTraffic) {
  ASSERT_TRUE(Mfp_Inquiry());
  MakeTable();
  ASSERT_TRUE(Mfp_GetPhonebook());
  ASSERT_TRUE(Mfp_SetPhonebook());
  switch (GetParam()) {
    case Road::Lpt1:
      EXPECT_EQ(os.opens.size(), 7u);
      EXPECT_EQ(os.timeoutsSet.size(), 7u);
      EXPECT_TRUE(os.ioControls.empty());
      break;
    case Road::Ecp1:
      EXPECT_EQ(os.opens.size(), 7u);
      EXPECT_TRUE(os.timeoutsSet.empty());
      EXPECT_EQ(os.ioControls.size(), 8u);  // two per read
      break;
    case Road::UsbPipes:
      ASSERT_EQ(os.opens.size(), 7u);
      EXPECT_EQ(os.opens[0].name, kTestWritePipe);
      EXPECT_EQ(os.opens[1].name, kTestReadPipe);
      EXPECT_EQ(os.opens[5].name, kTestWritePipe);  // the whole 5370-byte record
      break;
    case Road::UsbNt5:
      // Writes up to 3072 bytes take the pipe, reads always the library.
      ASSERT_EQ(os.opens.size(), 2u);
      EXPECT_EQ(os.opens[0].name, kTestWritePipe);
      EXPECT_EQ(FakeUsbLibrary::readCalls, (std::vector<int32_t>{43, 11, 2624, 2736, 10}));
      EXPECT_EQ(FakeUsbLibrary::writeCalls, (std::vector<int32_t>{3072, 2298}));
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(AllRoads, RoadsTest,
                         ::testing::Values(Road::Lpt1, Road::Ecp1, Road::UsbPipes, Road::UsbNt5),
                         [](const ::testing::TestParamInfo<Road>& info) {
                           return std::string(RoadName(info.param));
                         });

}  // namespace
