// Mfp_Inquiry: the request, the reply judging, the identity flags, the trace
// and the time it takes.
#include "tests/core/core_fixture.h"

namespace {

const std::vector<uint8_t> kInquiryRequest = {0x1B, 0xA4, 0x00, 0x04, 0x50, 0xE0, 0x82, 0xCD};
const char kInquiryDump[] = "0x0000: 1B A4 00 04 50 E0 82 CD ....P...\r\n";

class InquiryTest : public CommandTest {};

TEST_F(InquiryTest, FullPanelMachineSetsBothFlags) {
  EXPECT_TRUE(Mfp_Inquiry());
  EXPECT_TRUE(inquiryAnswered);
  EXPECT_TRUE(fullPanel);
  ASSERT_EQ(machine.Requests().size(), 1u);
  EXPECT_EQ(machine.Requests()[0], kInquiryRequest);
  EXPECT_EQ(os.debugLines, Lines({"===> INQUIRY <===\n", kInquiryDump, "WriteData = 8 \n",
                                  "Length = 39 \n"}));
  EXPECT_EQ(os.nowUs, 1500001u);  // the 1500 ms spin, nothing else
  EXPECT_TRUE(os.sleeps.empty());
}

TEST_F(InquiryTest, OtherModeByteAnswersButClearsFullPanel) {
  fullPanel = true;
  machine.state().inquiryMode = 1;
  EXPECT_TRUE(Mfp_Inquiry());
  EXPECT_TRUE(inquiryAnswered);
  EXPECT_FALSE(fullPanel);
}

TEST_F(InquiryTest, FiveByteReplyIsValid) {
  fullPanel = true;
  UseReply({0x1B, 0xA4, 0x00, 0x27, 0x00});
  EXPECT_TRUE(Mfp_Inquiry());
  EXPECT_TRUE(inquiryAnswered);
  EXPECT_FALSE(fullPanel);  // byte 42 never arrived
  EXPECT_EQ(os.debugLines.back(), "Length = 39 \n");
}

TEST_F(InquiryTest, InvalidRepliesLeaveTheFlagsAlone) {
  const std::vector<std::vector<uint8_t>> replies = {
      {0x1B, 0xA4, 0x00, 0x27},        // four bytes
      {0x1B, 0xA5, 0x00, 0x27, 0x00},  // other channel
      {0x1C, 0xA4, 0x00, 0x27, 0x00},  // other leader
      {},
  };
  for (const auto& bytes : replies) {
    ReplyDevice answer;
    answer.reply = bytes;
    os.AddDevice("LPT1", &answer);
    inquiryAnswered = false;
    fullPanel = true;
    os.ClearDebug();
    EXPECT_FALSE(Mfp_Inquiry()) << bytes.size();
    EXPECT_FALSE(inquiryAnswered);
    EXPECT_TRUE(fullPanel);
    EXPECT_EQ(os.debugLines, Lines({"===> INQUIRY <===\n", kInquiryDump, "WriteData = 8 \n"}));
  }
}

TEST_F(InquiryTest, SilentMachineCostsTheSpinAndTheReadTimeout) {
  machine.SetFault(MachineCommand::Inquiry, {MachineFault::Silent});
  EXPECT_FALSE(Mfp_Inquiry());
  EXPECT_FALSE(inquiryAnswered);
  EXPECT_EQ(os.nowUs, 1500001u + 3000000u);
}

TEST_F(InquiryTest, ShortWriteStillTracesAndWaitsButDoesNotRead) {
  machine.SetFault(MachineCommand::Inquiry, {MachineFault::PartialWrite, 5});
  EXPECT_FALSE(Mfp_Inquiry());
  EXPECT_EQ(os.debugLines, Lines({"===> INQUIRY <===\n", kInquiryDump, "WriteData = 5 \n"}));
  EXPECT_EQ(os.opens.size(), 1u);  // the write only
  EXPECT_EQ(os.nowUs, 1500001u);
}

TEST_F(InquiryTest, PortThatCannotOpenFails) {
  os.RemoveDevice("LPT1");
  EXPECT_FALSE(Mfp_Inquiry());
  EXPECT_EQ(os.debugLines, Lines({"Can not open the port: LPT1 \n", "===> INQUIRY <===\n",
                                  kInquiryDump, "WriteData = 0 \n"}));
  EXPECT_FALSE(inquiryAnswered);
}

}  // namespace
