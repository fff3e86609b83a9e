// The phonebook commands: decoding the reply into the table by slot number,
// the read and write retries, the acknowledgement, the traces and waits, and
// the table left alone by every failure.
#include <cstring>

#include "tests/core/core_fixture.h"

namespace {

constexpr int kReplySize = 11 + 67 * 80;
constexpr int kSetSize = 10 + 67 * 80;

const char* const kGetRequestDump[] = {"0x0000: 1B A4 00 06 50 E0 82 C1 ....P...\r\n",
                                       "0x0008: 42 FF 00 00 00 00 00 00 B.\r\n"};

class PhonebookTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    MakeTable();
  }
  void TearDown() override {
    if (phonebookTable == guarded + 1) phonebookTable = nullptr;  // not ours to free
    CommandTest::TearDown();
  }

  // Every entry "OLD<slot>" / "<slot>", so changes show.
  void FillTable() {
    for (int i = 0; i < 80; ++i) {
      std::memset(&phonebookTable[i], 0, sizeof(PhonebookEntry));
      std::snprintf(phonebookTable[i].name, 21, "OLD%d", i + 1);
      std::snprintf(phonebookTable[i].number, 47, "%d", i + 1);
    }
    std::memcpy(before, phonebookTable, sizeof before);
  }
  bool TableUnchanged() { return std::memcmp(before, phonebookTable, sizeof before) == 0; }
  bool EntryUnchanged(int index) {
    return std::memcmp(&before[index], &phonebookTable[index], sizeof(PhonebookEntry)) == 0;
  }

  // The table placed between two guard entries, to catch writes outside it.
  void UseGuardedTable() {
    FreePhonebookTable();
    std::memset(guarded, 0x47, sizeof guarded);
    phonebookTable = guarded + 1;
    FillTable();
  }
  bool GuardsIntact() {
    for (const PhonebookEntry* g : {&guarded[0], &guarded[81]}) {
      const auto* p = reinterpret_cast<const uint8_t*>(g);
      for (size_t i = 0; i < sizeof(PhonebookEntry); ++i)
        if (p[i] != 0x47) return false;
    }
    return true;
  }

  std::vector<std::string> GetLinesBeforeBody(int headCount) {
    std::vector<std::string> lines = {"===> GET PHONEBOOK <===\n", kGetRequestDump[0],
                                      kGetRequestDump[1], "WriteData = 10 \n"};
    lines.push_back("ReadData = " + std::to_string(headCount) + " \n");
    return lines;
  }

  PhonebookEntry before[80];
  PhonebookEntry guarded[82];
};

TEST(TrimTrailingSpaces, OnlyTrailingBlanksGo) {
  char a[] = "ABC   ";
  char b[] = "    ";
  char c[] = "";
  char d[] = " A B \t";
  char e[] = "A B  ";
  EXPECT_STREQ(TrimTrailingSpaces(a), "ABC");
  EXPECT_STREQ(TrimTrailingSpaces(b), "");
  EXPECT_STREQ(TrimTrailingSpaces(c), "");
  EXPECT_STREQ(TrimTrailingSpaces(d), " A B \t");
  EXPECT_STREQ(TrimTrailingSpaces(e), "A B");
  EXPECT_EQ(e[3], '\0');
  EXPECT_EQ(e[4], '\0');
}

// --- get -------------------------------------------------------------------------

TEST_F(PhonebookTest, GetFillsEverySlotTracesAndTakesTwoSeconds) {
  FillTable();
  ASSERT_TRUE(Mfp_GetPhonebook());
  EXPECT_STREQ(phonebookTable[0].name, "JOAO DA SILVA");
  EXPECT_STREQ(phonebookTable[0].number, "01133456789");
  EXPECT_STREQ(phonebookTable[14].name, "FARMACIA CENTRAL");
  EXPECT_STREQ(phonebookTable[9].name, "");  // empty on the machine: blanks only
  EXPECT_STREQ(phonebookTable[9].number, "");
  EXPECT_EQ(std::string(phonebookTable[7].number), std::string("\xE0\x01\x02\x05", 4));

  ASSERT_EQ(machine.Requests().size(), 1u);
  EXPECT_EQ(machine.Requests()[0],
            (std::vector<uint8_t>{0x1B, 0xA4, 0x00, 0x06, 0x50, 0xE0, 0x82, 0xC1, 0x42, 0xFF}));
  std::vector<std::string> expected = GetLinesBeforeBody(11);
  expected.push_back("Size to read = 5360 \n");
  expected.push_back("ReadData = 5360 \n");
  expected.push_back("0x0000: 1B A4 14 F7 50 E0 82 C1 ....P...\r\n");
  expected.push_back("0x0008: 42 FF 50 01 4A 4F 41 4F B.P.JOAO\r\n");
  ASSERT_EQ(os.debugLines.size(), expected.size() + 11 + 2);
  EXPECT_EQ(std::vector<std::string>(os.debugLines.begin(), os.debugLines.begin() + 9), expected);
  // The dump stops after 100 bytes: its last row holds four.
  EXPECT_EQ(os.debugLines[19], "0x0060: 20 20 20 30 00 00 00 00    0\r\n");
  EXPECT_EQ(os.debugLines[20], "Length = 5367 \n");
  EXPECT_EQ(os.debugLines[21], "Number of entries = 80 \n");

  EXPECT_EQ(os.sleeps, std::vector<uint32_t>{1000});
  EXPECT_EQ(os.nowUs, 2000001u);  // 1000 ms spin, 1000 ms sleep
}

TEST_F(PhonebookTest, GetFollowsSlotNumbersNotReplyOrder) {
  machine.SetFault(MachineCommand::GetPhonebook, {MachineFault::Shuffled});
  machine.state().phonebook[40] = {"QUARENTA E UM", "41"};
  ASSERT_TRUE(Mfp_GetPhonebook());
  EXPECT_STREQ(phonebookTable[0].name, "JOAO DA SILVA");
  EXPECT_STREQ(phonebookTable[1].name, "MARIA OLIVEIRA");
  EXPECT_STREQ(phonebookTable[40].name, "QUARENTA E UM");
  EXPECT_STREQ(phonebookTable[40].number, "41");
  EXPECT_STREQ(phonebookTable[14].number, "P1133331212");
}

TEST_F(PhonebookTest, GetTrimsPaddedNamesAndBlankNumbers) {
  FillTable();
  machine.state().phonebook[2] = {"ABC" + std::string(17, ' '), std::string(46, ' ')};
  machine.state().phonebook[3] = {std::string(20, 'Z'), std::string(46, '9')};
  ASSERT_TRUE(Mfp_GetPhonebook());
  EXPECT_STREQ(phonebookTable[2].name, "ABC");
  EXPECT_STREQ(phonebookTable[2].number, "");
  EXPECT_EQ(std::string(phonebookTable[3].name), std::string(20, 'Z'));
  EXPECT_EQ(std::string(phonebookTable[3].number), std::string(46, '9'));
}

TEST_F(PhonebookTest, GetFailuresLeaveTheTableAlone) {
  FillTable();
  // Request not taken whole.
  machine.SetFault(MachineCommand::GetPhonebook, {MachineFault::PartialWrite, 6});
  EXPECT_FALSE(Mfp_GetPhonebook());
  EXPECT_EQ(os.debugLines.back(), "WriteData = 6 \n");
  EXPECT_TRUE(os.sleeps.empty());
  K40Machine fresh;  // the first machine holds half a request now
  MachineDevice freshDevice(fresh);
  os.AddDevice("LPT1", &freshDevice);
  // Head cut short.
  fresh.SetFault(MachineCommand::GetPhonebook, {MachineFault::ShortReply, 8});
  os.ClearDebug();
  EXPECT_FALSE(Mfp_GetPhonebook());
  EXPECT_EQ(os.debugLines, GetLinesBeforeBody(8));
  EXPECT_TRUE(os.sleeps.empty());
  // A body of 11 bytes is not enough.
  fresh.SetFault(MachineCommand::GetPhonebook, {MachineFault::ShortReply, 22});
  EXPECT_FALSE(Mfp_GetPhonebook());
  // Silence.
  fresh.SetFault(MachineCommand::GetPhonebook, {MachineFault::Silent});
  EXPECT_FALSE(Mfp_GetPhonebook());
  EXPECT_TRUE(TableUnchanged());
  os.RemoveDevice("LPT1");
}

TEST_F(PhonebookTest, GetRetriesTheMissingBodyOnceAfterHalfASecond) {
  ScriptedDevice scripted(device);
  scripted.readLimits = {11, 3000};
  os.AddDevice("LPT1", &scripted);
  ASSERT_TRUE(Mfp_GetPhonebook());
  EXPECT_EQ(scripted.readCalls, (std::vector<uint32_t>{11, 5360, 2360}));
  EXPECT_EQ(os.sleeps, (std::vector<uint32_t>{1000, 500}));
  EXPECT_EQ(os.debugLines[6], "ReadData = 3000 \n");
  EXPECT_EQ(os.debugLines[20], "Retry Read(n) = 2360 \n");
  EXPECT_STREQ(phonebookTable[14].name, "FARMACIA CENTRAL");  // record 14 lies past 3000
}

TEST_F(PhonebookTest, GetAsksOnceMoreOnlyWhenTheRetryBroughtNothing) {
  ScriptedDevice scripted(device);
  scripted.readLimits = {11, 3000, 0};
  os.AddDevice("LPT1", &scripted);
  ASSERT_TRUE(Mfp_GetPhonebook());
  EXPECT_EQ(scripted.readCalls, (std::vector<uint32_t>{11, 5360, 2360, 2360}));
  EXPECT_EQ(os.sleeps, (std::vector<uint32_t>{1000, 500, 500}));
  EXPECT_EQ(os.debugLines[20], "Retry Read(n) = 0 \n");
  EXPECT_EQ(os.debugLines[21], "Length = 5367 \n");

  ScriptedDevice partly(device);
  partly.readLimits = {11, 3000, 100};
  os.AddDevice("LPT1", &partly);
  os.sleeps.clear();
  EXPECT_FALSE(Mfp_GetPhonebook()) << "still short after the retry";
  EXPECT_EQ(partly.readCalls, (std::vector<uint32_t>{11, 5360, 2360}));
  EXPECT_EQ(os.sleeps, (std::vector<uint32_t>{1000, 500}));
  os.RemoveDevice("LPT1");
}

TEST_F(PhonebookTest, ABodyStillShortAfterTheRetriesIsAFailure) {
  UseGuardedTable();
  // Two whole records and 30 bytes of the third: the rest would read as
  // erased entries.
  machine.SetFault(MachineCommand::GetPhonebook, {MachineFault::ShortReply, 11 + 67 * 2 + 30});
  EXPECT_FALSE(Mfp_GetPhonebook());
  EXPECT_TRUE(TableUnchanged());
  EXPECT_TRUE(GuardsIntact());
  EXPECT_EQ(os.sleeps, (std::vector<uint32_t>{1000, 500, 500}));
  EXPECT_EQ(os.debugLines.back(), "Retry Read(n) = 0 \n");
}

TEST_F(PhonebookTest, RecordsWithSlotsOutsideTheTableAreSkipped) {
  UseGuardedTable();
  std::vector<uint8_t> bytes(kReplySize, 0);
  bytes[0] = 0x1B;
  bytes[1] = 0xA4;
  bytes[2] = 0x14;
  bytes[3] = 0xF7;
  bytes[10] = 80;
  auto put = [&](int record, uint8_t slot, const std::string& name) {
    uint8_t* r = &bytes[11 + 67 * record];
    std::memset(r + 1, ' ', 66);
    r[0] = slot;
    std::memcpy(r + 1, name.data(), name.size());
  };
  put(0, 81, "BAD81");
  put(1, 0, "BAD0");
  put(2, 255, "BAD255");
  put(3, 1, "ONE");
  put(4, 80, "EIGHTY");
  UseReply(bytes);
  ASSERT_TRUE(Mfp_GetPhonebook());
  EXPECT_STREQ(phonebookTable[0].name, "ONE");
  EXPECT_STREQ(phonebookTable[0].number, "");
  EXPECT_STREQ(phonebookTable[79].name, "EIGHTY");
  for (int i = 1; i < 79; ++i) EXPECT_TRUE(EntryUnchanged(i)) << i;
  EXPECT_TRUE(GuardsIntact());
}

// --- set -------------------------------------------------------------------------

TEST_F(PhonebookTest, SetRequestPadsWithFFAndLeavesTheTableAlone) {
  std::strcpy(phonebookTable[0].name, "ABC");
  std::strcpy(phonebookTable[1].name, "JOSE");
  std::strcpy(phonebookTable[1].number, "123");
  std::strcpy(phonebookTable[2].name, std::string(20, 'W').c_str());
  std::strcpy(phonebookTable[2].number, std::string(46, '5').c_str());
  std::memcpy(before, phonebookTable, sizeof before);

  ASSERT_TRUE(Mfp_SetPhonebook());
  std::vector<uint8_t> expected(kSetSize, 0xFF);
  const uint8_t head[] = {0x1B, 0xA4, 0x14, 0xF6, 0x50, 0xE0, 0x82, 0xC2, 0x42, 80};
  std::memcpy(expected.data(), head, sizeof head);
  for (int i = 0; i < 80; ++i) expected[10 + 67 * i] = static_cast<uint8_t>(i + 1);
  std::memcpy(&expected[11], "ABC", 3);
  std::memcpy(&expected[11 + 67], "JOSE", 4);
  std::memcpy(&expected[11 + 67 + 20], "123", 3);
  std::memset(&expected[11 + 134], 'W', 20);
  std::memset(&expected[11 + 134 + 20], '5', 46);
  ASSERT_EQ(machine.Requests().size(), 1u);
  EXPECT_EQ(machine.Requests()[0], expected);
  EXPECT_TRUE(TableUnchanged());
  EXPECT_EQ(machine.state().phonebook[1].number, "123");
  EXPECT_EQ(machine.state().phonebook[4].name, "");

  EXPECT_EQ(os.debugLines, Lines({"===> SET PHONEBOOK <===\n", "WriteData = 5370 \n",
                                  "Size to read = 10 \n", "ReadData = 10 \n",
                                  "0x0000: 1B A4 00 06 50 E0 82 C2 ....P...\r\n",
                                  "0x0008: 42 00 00 00 00 00 00 00 B.\r\n"}));
  EXPECT_EQ(os.sleeps, std::vector<uint32_t>{1000});
  EXPECT_EQ(os.nowUs, 1000000u);
}

TEST_F(PhonebookTest, SetContinuesAPartialWriteOnceAfterHalfASecond) {
  ScriptedDevice scripted(device);
  scripted.writeLimits = {100};
  os.AddDevice("LPT1", &scripted);
  EXPECT_TRUE(Mfp_SetPhonebook());
  EXPECT_EQ(scripted.writeCalls, (std::vector<uint32_t>{5370, 5270}));
  EXPECT_EQ(os.sleeps, (std::vector<uint32_t>{500, 1000}));
  EXPECT_EQ(os.debugLines[1], "WriteData = 100 \n");
  EXPECT_EQ(os.debugLines[2], "WriteData(retry) = 100 \n");
  EXPECT_EQ(machine.Requests().size(), 1u);
  os.RemoveDevice("LPT1");
}

TEST_F(PhonebookTest, SetRetriesAgainOnlyWhenTheRetryWroteNothing) {
  ScriptedDevice scripted(device);
  scripted.writeLimits = {100, 0};
  os.AddDevice("LPT1", &scripted);
  EXPECT_TRUE(Mfp_SetPhonebook());
  EXPECT_EQ(scripted.writeCalls, (std::vector<uint32_t>{5370, 5270, 5270}));
  EXPECT_EQ(os.sleeps, (std::vector<uint32_t>{500, 500, 1000}));
  os.RemoveDevice("LPT1");
}

TEST_F(PhonebookTest, SetStillShortAfterTheRetriesFailsWithoutReading) {
  const std::vector<std::deque<uint32_t>> scripts = {{100, 50}, {100, 0, 10}, {0, 0, 0}};
  const std::vector<std::vector<uint32_t>> sleeps = {
      {500, 1000}, {500, 500, 1000}, {500, 500, 1000}};
  for (size_t k = 0; k < scripts.size(); ++k) {
    ReplyDevice sink;
    sink.reply = std::vector<uint8_t>{0x1B, 0xA4, 0x00, 0x06, 0, 0, 0, 0, 0, 0};
    ScriptedDevice scripted(sink);
    scripted.writeLimits = scripts[k];
    os.AddDevice("LPT1", &scripted);
    os.sleeps.clear();
    os.ClearDebug();
    EXPECT_FALSE(Mfp_SetPhonebook()) << k;
    EXPECT_TRUE(scripted.readCalls.empty()) << k;
    EXPECT_EQ(os.sleeps, sleeps[k]) << k;
    EXPECT_EQ(os.debugLines.back().substr(0, 18), "WriteData(retry) =") << k;
  }
  os.RemoveDevice("LPT1");
}

TEST_F(PhonebookTest, SetJudgesTheAcknowledgementByItsLength) {
  struct Case {
    std::vector<uint8_t> ack;
    bool ok;
  };
  const std::vector<Case> cases = {
      {{0x1B, 0xA4, 0x00, 0x06, 1, 2, 3, 4, 5, 6}, true},
      {{0x1B, 0xA4, 0x00, 0x07, 1, 2, 3, 4, 5, 6}, false},
      {{0x1B, 0xA4, 0x00, 0x01, 9}, true},
      {{0x1B, 0xA4, 0x00, 0x06}, true},  // four bytes: nothing to compare
      {{0x1B, 0xA4, 0x00}, false},
      {{}, false},
  };
  for (const Case& c : cases) {
    ReplyDevice answer;
    answer.reply = c.ack;
    os.AddDevice("LPT1", &answer);
    EXPECT_EQ(Mfp_SetPhonebook(), c.ok) << c.ack.size();
    ASSERT_EQ(answer.writes.size(), 1u);
    EXPECT_EQ(answer.writes[0].size(), static_cast<size_t>(kSetSize));
  }
  os.RemoveDevice("LPT1");
}

TEST_F(PhonebookTest, WithoutATableNothingIsDecodedOrSent) {
  FreePhonebookTable();
  EXPECT_FALSE(Mfp_GetPhonebook());  // a body of nothing is not an answer
  ASSERT_TRUE(Mfp_SetPhonebook());   // the head alone, N = 0; the machine acknowledges
  EXPECT_EQ(machine.Requests().back(),
            (std::vector<uint8_t>{0x1B, 0xA4, 0x00, 0x06, 0x50, 0xE0, 0x82, 0xC2, 0x42, 0x00}));
}

}  // namespace
