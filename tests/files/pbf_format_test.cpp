// The phonebook file's bytes: the exact header and size, the signature rule,
// short, long and foreign files, and the terminators a loaded entry gets back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "files/pbf_format.h"

namespace {

std::vector<uint8_t> Header() {  // written out here, not taken from the code under test
  std::vector<uint8_t> h(40, 0);
  std::memcpy(h.data(), "QMV FAX-RCP Phonebook", 21);
  std::memcpy(h.data() + 24, "1.00", 4);
  h[32] = 0x14;
  h[34] = 0x50;
  return h;
}

void Fill(PhonebookEntry* table, const char* prefix) {
  std::memset(table, 0, 80 * sizeof(PhonebookEntry));
  for (int i = 0; i < 80; ++i) std::snprintf(table[i].name, 21, "%s%d", prefix, i + 1);
}

TEST(PbfFormat, FileIsTheHeaderAndTheTableAndLoadsBackByteForByte) {
  PhonebookEntry saved[80], loaded[80];
  Fill(saved, "SAVED");
  Fill(loaded, "OTHER");
  std::vector<uint8_t> file = EncodePhonebookFile(saved, 80);
  ASSERT_EQ(file.size(), 5480u);
  EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 40), Header());
  EXPECT_EQ(std::memcmp(file.data() + 40, saved, sizeof saved), 0);
  ASSERT_TRUE(DecodePhonebookFile(file.data(), file.size(), loaded, 80));
  EXPECT_EQ(std::memcmp(saved, loaded, sizeof saved), 0);
}

TEST(PbfFormat, SignatureIsTheTextUpToTheFirstNul) {
  auto with = [](size_t at, uint8_t value) {
    std::vector<uint8_t> h = Header();
    h[at] = value;
    return h;
  };
  const std::pair<std::vector<uint8_t>, bool> cases[] = {
      {with(24, '9'), true},  // version and capacities are not looked at
      {with(22, 'x'), true},  {with(21, 'S'), false}, {with(0, 'q'), false},
      {std::vector<uint8_t>(40, 'Q'), false},  // no NUL anywhere: compared no further than 22 bytes
      {std::vector<uint8_t>(40, 0), false}};
  for (const auto& [header, accepted] : cases) EXPECT_EQ(HasPbfSignature(header.data()), accepted);
}

TEST(PbfFormat, ShortLongAndForeignFiles) {
  PhonebookEntry saved[80];
  Fill(saved, "FILE");
  std::vector<uint8_t> whole = EncodePhonebookFile(saved, 80);
  auto head = [&](size_t n) { return std::vector<uint8_t>(whole.begin(), whole.begin() + n); };
  std::vector<uint8_t> longer = whole;
  longer.resize(6000, 0x33);
  const std::string settings = "[Settings]\r\nCassette #1 paper size=1\r\n";
  struct Case {
    std::vector<uint8_t> file;
    bool accepted;
    size_t replaced;  // leading table bytes that take the file's
  } cases[] = {{{}, false, 0},           {head(20), false, 0},    {{settings.begin(), settings.end()}, false, 0},
               {head(21), true, 0},      {head(40 + 680), true, 680}, {longer, true, 80 * 68},
               // The last record only partly there: its first 30 bytes (the
               // name) from the file, the rest as the table had it.
               {head(40 + 680 + 30), true, 680 + 30}};
  for (const Case& c : cases) {
    PhonebookEntry table[80], before[80];
    Fill(table, "MEM");
    for (PhonebookEntry& e : table) std::snprintf(e.number, sizeof e.number, "1132149999 ramal 2040");
    std::memcpy(before, table, sizeof table);
    EXPECT_EQ(DecodePhonebookFile(c.file.data(), c.file.size(), table, 80), c.accepted) << c.file.size();
    std::vector<uint8_t> expected(reinterpret_cast<const uint8_t*>(before), reinterpret_cast<const uint8_t*>(before + 80));
    std::memcpy(expected.data(), saved, c.replaced);
    for (size_t at = 0; at < expected.size(); ++at)
      ASSERT_EQ(reinterpret_cast<const uint8_t*>(table)[at], expected[at]) << c.file.size() << ": entry " << at / 68
                                                                            << " byte " << at % 68;
  }
}

TEST(PbfFormat, LoadedEntriesAlwaysEndWithinTheirFields) {
  // Records without a NUL anywhere are cut at each field's last byte.
  std::vector<uint8_t> file = Header();
  file.resize(40 + 80 * 68, 'Z');
  PhonebookEntry table[80];
  Fill(table, "MEM");
  ASSERT_TRUE(DecodePhonebookFile(file.data(), file.size(), table, 80));
  for (const PhonebookEntry& e : table) {
    ASSERT_EQ(std::string(e.name), std::string(20, 'Z'));
    ASSERT_EQ(std::string(e.number), std::string(46, 'Z'));
  }
}

}  // namespace
