// Trace lines and the spin wait, on the fake OS's virtual clock.
#include <gtest/gtest.h>

#include <string>

#include "link/trace.h"
#include "tests/support/fake_os.h"

namespace {

TEST(Trace, FormatsLikeWsprintfAndAppendsCarriageReturn) {
  FakeOs os;
  Trace("WriteData = %d ", 26);
  Trace("%02X %x %c %s", 0x0B, 0xAB, 'P', "LPT1");
  Trace("\n ERROR: Failed to set Comm State\n");
  ASSERT_EQ(os.debugLines.size(), 3u);
  EXPECT_EQ(os.debugLines[0], "WriteData = 26 \r");
  EXPECT_EQ(os.debugLines[1], "0B ab P LPT1\r");
  EXPECT_EQ(os.debugLines[2], "\n ERROR: Failed to set Comm State\n\r");
}

TEST(Trace, OverlongTextIsCutToFitWithItsCarriageReturn) {
  FakeOs os;
  std::string longText(400, 'A');
  Trace("%s", longText.c_str());
  ASSERT_EQ(os.debugLines.size(), 1u);
  const std::string& line = os.debugLines[0];
  ASSERT_EQ(line.size(), 255u);
  EXPECT_EQ(line.substr(0, 254), std::string(254, 'A'));
  EXPECT_EQ(line.back(), '\r');

  // Exactly at the limit: nothing is cut.
  os.ClearDebug();
  Trace("%s", std::string(254, 'B').c_str());
  EXPECT_EQ(os.debugLines[0], std::string(254, 'B') + "\r");
}

TEST(DebugLine, WritesAsItStandsAndCutsOverlongText) {
  FakeOs os;
  DebugLine("Length = %d \n", 39);
  DebugLine("%s", std::string(400, 'C').c_str());
  ASSERT_EQ(os.debugLines.size(), 2u);
  EXPECT_EQ(os.debugLines[0], "Length = 39 \n");
  EXPECT_EQ(os.debugLines[1], std::string(255, 'C'));
}

TEST(BusyWait, ZeroReturnsAtOnce) {
  FakeOs os;
  os.SetTickMs(1234);
  BusyWait(0);
  EXPECT_LE(os.nowUs, 1234000u + 2);
  EXPECT_TRUE(os.sleeps.empty());
}

TEST(BusyWait, SpinsTheFullTimeWithoutSleeping) {
  FakeOs os;
  BusyWait(1500);
  // The tick that reaches 1500 ms is read at 1 500 000 us and costs 1 us.
  EXPECT_EQ(os.nowUs, 1500001u);
  EXPECT_TRUE(os.sleeps.empty());
}

TEST(BusyWait, WaitsTheFullTimeAcrossTheTickCounterWrap) {
  FakeOs os;
  const uint32_t start = 0xFFFFFFFFu - 100;  // 100 ms before the counter wraps
  os.SetTickMs(start);
  const uint64_t begin = os.nowUs;
  BusyWait(500);
  EXPECT_EQ(os.nowUs - begin, 500001u);
  EXPECT_EQ(os.NowMs(), 399u);  // wrapped
}

TEST(BusyWait, AJobRunsOnceInsideTheWaitAndOnlyLengthensItWhenLonger) {
  struct Case {
    const char* name;
    uint32_t jobMs, innerWaitMs;  // its cost on the clock; a wait of its own
    bool withdrawn;
    uint64_t waitUs;  // the outer wait from its start (a tick read costs 1 us)
    int runs;
  };
  const Case cases[] = {
      {"shorter than the wait", 400, 0, false, 1500001, 1},
      {"longer than the wait", 2000, 0, false, 2000002, 1},  // then one tick read to see it is over
      {"waits itself, plainly", 100, 300, false, 1500001, 1},
      {"withdrawn", 400, 0, true, 1500001, 0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    FakeOs os;
    struct Run {
      FakeOs& os;
      const Case& test;
      int runs = 0;
    } run{os, test};
    SetWaitJob(
        [](void* context) {
          auto* r = static_cast<Run*>(context);
          ++r->runs;
          r->os.AdvanceMs(r->test.jobMs);
          if (r->test.innerWaitMs) BusyWait(r->test.innerWaitMs);
        },
        &run);
    if (test.withdrawn) SetWaitJob(nullptr, nullptr);
    BusyWait(1500);
    EXPECT_EQ(os.nowUs, test.waitUs);
    BusyWait(10);
    EXPECT_EQ(run.runs, test.runs);
  }
}

}  // namespace
