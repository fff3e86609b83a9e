// The record frame helpers and the hex dump the commands write.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/commands.h"
#include "tests/support/fake_os.h"

namespace {

TEST(TraceHexDump, InquiryRequestIsOneLine) {
  FakeOs os;
  const uint8_t request[] = {0x1B, 0xA4, 0x00, 0x04, 0x50, 0xE0, 0x82, 0xCD};
  TraceHexDump(request, 8);
  // The offset field follows the Windows wsprintf "%#04x": "0x" and four digits.
  EXPECT_EQ(os.debugLines,
            std::vector<std::string>{"0x0000: 1B A4 00 04 50 E0 82 CD ....P...\r\n"});
}

TEST(TraceHexDump, ShortLastRowIsPaddedWithZeroFields) {
  FakeOs os;
  const uint8_t bytes[] = {0x20, 0x7E, 0x7F, 0x1F, 0x41, 0x00, 0xFF, 0x80, 0x42, 0x43};
  TraceHexDump(bytes, 10);
  EXPECT_EQ(os.debugLines, (std::vector<std::string>{
                               "0x0000: 20 7E 7F 1F 41 00 FF 80  ~..A...\r\n",
                               "0x0008: 42 43 00 00 00 00 00 00 BC\r\n",
                           }));
}

TEST(TraceHexDump, RowOffsetsCountOnInHex) {
  FakeOs os;
  std::vector<uint8_t> bytes(0x88, 0x2E);
  TraceHexDump(bytes.data(), static_cast<int>(bytes.size()));
  ASSERT_EQ(os.debugLines.size(), 17u);
  EXPECT_EQ(os.debugLines[2].substr(0, 8), "0x0010: ");
  EXPECT_EQ(os.debugLines[16].substr(0, 8), "0x0080: ");
}

TEST(TraceHexDump, NothingForAnEmptyOrNegativeCount) {
  FakeOs os;
  const uint8_t byte = 0x1B;
  TraceHexDump(&byte, 0);
  TraceHexDump(&byte, -3);
  EXPECT_TRUE(os.debugLines.empty());
}

TEST(Frame, BlockRequestHeadAndBigEndianNumbers) {
  uint8_t record[9] = {};
  PutBlockRequestHead(record, 171, kCmdWriteBlock, kBlockSystemInfo);
  EXPECT_EQ(std::vector<uint8_t>(record, record + 9),
            (std::vector<uint8_t>{0x1B, 0xA4, 0x00, 0xA7, 0x50, 0xE0, 0x82, 0xC2, 0x40}));
  EXPECT_EQ(FrameLength(record), 0xA7);
  const uint8_t counter[] = {0x00, 0x01, 0x86, 0xA0};
  EXPECT_EQ(GetBigEndian32(counter), 100000u);
  uint8_t length[2];
  PutBigEndian16(length, 5366);
  EXPECT_EQ(GetBigEndian16(length), 5366);
  EXPECT_EQ(length[0], 0x14);
}

}  // namespace
