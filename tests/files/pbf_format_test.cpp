// The phonebook file's bytes: the exact header, the 5,480-byte file of 80
// entries, the signature rule, short and long files, and the terminators a
// loaded entry always gets back.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "files/pbf_format.h"

namespace {

constexpr size_t kEntries = 80;

std::vector<uint8_t> Header() {
  // Written out here, not taken from the code under test.
  const char signature[] = "QMV FAX-RCP Phonebook";
  std::vector<uint8_t> h(40, 0);
  std::memcpy(h.data(), signature, 21);
  std::memcpy(h.data() + 24, "1.00", 4);
  h[32] = 0x14;
  h[34] = 0x50;
  return h;
}

void Fill(PhonebookEntry* table, const char* prefix) {
  std::memset(table, 0, kEntries * sizeof(PhonebookEntry));
  for (size_t i = 0; i < kEntries; ++i) {
    std::snprintf(table[i].name, sizeof table[i].name, "%s%zu", prefix, i + 1);
    std::snprintf(table[i].number, sizeof table[i].number, "0%zu", 1000 + i);
  }
}

TEST(PbfFormat, HeaderIsByteForByteAndAFileOf80EntriesIs5480Bytes) {
  EXPECT_EQ(std::vector<uint8_t>(PbfHeader(), PbfHeader() + kPbfHeaderSize), Header());
  PhonebookEntry table[kEntries];
  Fill(table, "N");
  table[7].number[0] = static_cast<char>(0xE0);  // a group dial is filed like any entry
  std::vector<uint8_t> file = EncodePhonebookFile(table, kEntries);
  ASSERT_EQ(file.size(), 5480u);
  EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 40), Header());
  EXPECT_EQ(std::memcmp(file.data() + 40, table, sizeof table), 0);
  // Entry 2 at 40 + 68: name "N2" NUL-padded to 21, then its number.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[108])), "N2");
  EXPECT_EQ(file[108 + 20], 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[108 + 21])), "01001");
  EXPECT_EQ(EncodePhonebookFile(nullptr, 0).size(), 40u) << "no table: the header alone";
}

TEST(PbfFormat, SaveAndLoadRestoreTheTableByteForByte) {
  PhonebookEntry saved[kEntries], loaded[kEntries];
  Fill(saved, "SAVED");
  Fill(loaded, "OTHER");
  std::vector<uint8_t> file = EncodePhonebookFile(saved, kEntries);
  ASSERT_TRUE(DecodePhonebookFile(file.data(), file.size(), loaded, kEntries));
  EXPECT_EQ(std::memcmp(saved, loaded, sizeof saved), 0);
}

TEST(PbfFormat, SignatureIsTheTextUpToTheFirstNul) {
  struct Case {
    const char* what;
    std::vector<uint8_t> header;
    bool accepted;
  };
  std::vector<Case> cases;
  cases.push_back({"the program's own header", Header(), true});
  std::vector<uint8_t> h = Header();
  std::memcpy(h.data() + 24, "9.99", 4);
  h[32] = 0xFF;
  cases.push_back({"any version and capacities", h, true});
  h = Header();
  h[22] = 'x';
  cases.push_back({"bytes after the signature's NUL", h, true});
  h = Header();
  h[21] = 'S';
  cases.push_back({"a longer text", h, false});
  h = Header();
  h[0] = 'q';
  cases.push_back({"another first letter", h, false});
  cases.push_back({"no NUL at all", std::vector<uint8_t>(40, 'Q'), false});
  h = std::vector<uint8_t>(40, 0);
  std::memcpy(h.data(), "Settings", 8);
  cases.push_back({"another file's text", h, false});
  cases.push_back({"all zero", std::vector<uint8_t>(40, 0), false});
  for (const Case& c : cases) EXPECT_EQ(HasPbfSignature(c.header.data()), c.accepted) << c.what;
}

TEST(PbfFormat, ShortLongAndForeignFiles) {
  PhonebookEntry saved[kEntries];
  Fill(saved, "FILE");
  const std::vector<uint8_t> whole = EncodePhonebookFile(saved, kEntries);
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    bool accepted;
    size_t replaced;  // leading entries that take the file's
  } cases[] = {
      {"empty", {}, false, 0},
      {"the signature alone", std::vector<uint8_t>(whole.begin(), whole.begin() + 21), true, 0},
      {"the header alone", std::vector<uint8_t>(whole.begin(), whole.begin() + 40), true, 0},
      {"ten records", std::vector<uint8_t>(whole.begin(), whole.begin() + 40 + 10 * 68), true, 10},
      {"80 records and more bytes", whole, true, 80},
      {"20 signature characters", std::vector<uint8_t>(whole.begin(), whole.begin() + 20), false, 0},
      {"a settings file", std::vector<uint8_t>(300, 0x01), false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> file = c.file;
    if (file.size() == whole.size()) file.insert(file.end(), 500, 0x33);
    PhonebookEntry table[kEntries], before[kEntries];
    Fill(table, "MEM");
    std::memcpy(before, table, sizeof table);
    EXPECT_EQ(DecodePhonebookFile(file.data(), file.size(), table, kEntries), c.accepted);
    for (size_t i = 0; i < kEntries; ++i) {
      const PhonebookEntry& expected = i < c.replaced ? saved[i] : before[i];
      ASSERT_EQ(std::memcmp(&table[i], &expected, sizeof expected), 0) << "entry " << i;
    }
  }
}

TEST(PbfFormat, PartlyReadRecordKeepsTheRestOfItsEntry) {
  PhonebookEntry saved[kEntries], table[kEntries];
  Fill(saved, "F");
  Fill(table, "MEMORY");
  std::vector<uint8_t> file = EncodePhonebookFile(saved, kEntries);
  file.resize(40 + 68 + 2);  // entry 1 whole, two name bytes of entry 2
  ASSERT_TRUE(DecodePhonebookFile(file.data(), file.size(), table, kEntries));
  EXPECT_STREQ(table[0].name, "F1");
  EXPECT_STREQ(table[1].name, "F2MORY2");
  EXPECT_STREQ(table[1].number, "01001");
}

TEST(PbfFormat, LoadedEntriesAlwaysEndWithinTheirFields) {
  // Records with no NUL anywhere: the names and numbers are cut at their
  // last byte, so nothing that reads the table runs past an entry.
  std::vector<uint8_t> file = Header();
  file.resize(40 + kEntries * 68, 'Z');
  PhonebookEntry table[kEntries];
  Fill(table, "MEM");
  ASSERT_TRUE(DecodePhonebookFile(file.data(), file.size(), table, kEntries));
  for (size_t i = 0; i < kEntries; ++i) {
    EXPECT_EQ(std::string(table[i].name), std::string(20, 'Z')) << i;
    EXPECT_EQ(std::string(table[i].number), std::string(46, 'Z')) << i;
  }
}

TEST(PbfFormat, AnyBytesAfterTheHeaderKeepEveryEntryTerminatedAndTheTableInBounds) {
  std::mt19937 random(20260);
  struct Guarded {
    uint8_t before[68];
    PhonebookEntry table[kEntries];
    uint8_t after[68];
  } g;
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> file = Header();
    file.resize(40 + random() % (kEntries * 68 + 200));
    for (size_t i = 40; i < file.size(); ++i) file[i] = static_cast<uint8_t>(random());
    std::memset(&g, 0x5A, sizeof g);
    std::memset(g.table, 0, sizeof g.table);
    ASSERT_TRUE(DecodePhonebookFile(file.data(), file.size(), g.table, kEntries));
    for (uint8_t b : g.before) ASSERT_EQ(b, 0x5A);
    for (uint8_t b : g.after) ASSERT_EQ(b, 0x5A);
    for (const PhonebookEntry& e : g.table) {
      ASSERT_NE(std::memchr(e.name, 0, sizeof e.name), nullptr);
      ASSERT_NE(std::memchr(e.number, 0, sizeof e.number), nullptr);
    }
  }
}

}  // namespace
