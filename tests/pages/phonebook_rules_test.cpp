// The phonebook page's and the entry editor's decisions: row texts, the
// group-dial test, the OK rule, the field clean-up and the copy into an entry
// that never leaves its fields.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "pages/phonebook_rules.h"

namespace {

PhonebookEntry Entry(const char* name, const std::string& number) {
  PhonebookEntry e{};
  std::strncpy(e.name, name, sizeof e.name - 1);
  std::memcpy(e.number, number.data(), number.size() < 46 ? number.size() : 46);
  return e;
}

TEST(PhonebookRows, SlotNumbersAreRightAlignedInThree) {
  EXPECT_EQ(RowNumberText(0), "  1");
  EXPECT_EQ(RowNumberText(9), " 10");
  EXPECT_EQ(RowNumberText(79), " 80");
  EXPECT_EQ(RowNumberText(999), "1000");  // wider numbers are not cut
}

TEST(PhonebookRows, NumberColumnAndGroupDial) {
  struct Case {
    std::string number;
    bool groupDial;
    std::string shown;
  } cases[] = {
      {"01133456789", false, "01133456789"},
      {"", false, ""},
      {std::string("\xE0\x01\x02\x05", 4), true, "*GROUP DIAL*"},
      {std::string("\xE0", 1), true, "*GROUP DIAL*"},
      // Other high bytes are not the mark, whatever the sign of char.
      {std::string("\xE1\x01", 2), false, std::string("\xE1\x01", 2)},
      {std::string("\x60\x01", 2), false, std::string("\x60\x01", 2)},  // 0xE0 with its top bit lost
      {"1\xE0", false, "1\xE0"},                                       // the mark counts only first
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.number));
    PhonebookEntry e = Entry("X", c.number);
    EXPECT_EQ(IsGroupDial(e), c.groupDial);
    EXPECT_EQ(NumberColumnText(e), c.shown);
  }
}

TEST(PhonebookRows, NumberOfAFullFieldStopsAtItsTerminator) {
  PhonebookEntry e{};
  std::memset(e.number, '7', 46);
  EXPECT_EQ(NumberColumnText(e), std::string(46, '7'));
}

TEST(EditorOkRule, MoreThanTwoCharactersWithADigit) {
  struct Case {
    const char* number;
    bool accepted;
  } cases[] = {
      {"", false},    {"1", false},   {"12", false},  {"123", true}, {"***", false},
      {"*1#", true},  {"P12", true},  {"##*#", false}, {"PPP", false}, {"9##", true},
      {"0800123456789012345678901234567890123456789012", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsAcceptableNumber(c.number), c.accepted) << '"' << c.number << '"';
}

TEST(EditorFields, ChangedFieldIsUpperCasedAndLosesHighBytes) {
  struct Case {
    std::string text;
    size_t caret;
    std::string cleaned;
    size_t caretAfter;
    size_t dropped;
  } cases[] = {
      {"ab-1", 4, "AB-1", 4, 0},
      {"12p", 3, "12P", 3, 0},
      {"JOAO", 2, "JOAO", 2, 0},
      {"", 0, "", 0, 0},
      // A paste of "9\xE0" and "\xE9" (bytes of 128 and above) at the start.
      {"\xE0" "123", 1, "123", 0, 1},
      {"1\xE9" "2\xC3\xA7" "3", 6, "123", 3, 3},
      {"a\xE9" "b", 1, "AB", 1, 1},  // caret before the dropped byte keeps its place
      {"abc", 99, "ABC", 3, 0},      // a caret past the end stays at the end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    CleanedField f = CleanChangedField(c.text, c.caret);
    EXPECT_EQ(f.text, c.cleaned);
    EXPECT_EQ(f.caret, c.caretAfter);
    EXPECT_EQ(f.dropped, c.dropped);
  }
}

TEST(EditorFields, NonAsciiKeyRestoresTheTextBeforeIt) {
  struct Case {
    std::string before;
    size_t caret;
    std::string restored;
    size_t caretAfter;
  } cases[] = {
      {"JOAO", 3, "JOAO", 3},
      {"", 1, "", 0},
      {"A\xE9" "B", 3, "AB", 2},  // k = 1
      {"\xE9\xE9", 1, "", 0},     // p - k below zero
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.before));
    CleanedField f = RestoreBeforeNonAscii(c.before, c.caret);
    EXPECT_EQ(f.text, c.restored);
    EXPECT_EQ(f.caret, c.caretAfter);
  }
}

// The entry between two guards, to catch any write outside it.
struct Guarded {
  uint8_t before[16];
  PhonebookEntry entry;
  uint8_t after[16];
};

TEST(EntryCopy, NeverWritesPastAFieldAndAlwaysTerminates) {
  struct Case {
    std::string name;
    std::string number;
    std::string storedName;
    std::string storedNumber;
  } cases[] = {
      {"ANA", "123", "ANA", "123"},
      {"", "", "", ""},
      {std::string(20, 'N'), std::string(46, '9'), std::string(20, 'N'), std::string(46, '9')},
      {std::string(300, 'N'), std::string(300, '9'), std::string(20, 'N'), std::string(46, '9')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.size());
    Guarded g;
    std::memset(&g, 0x5A, sizeof g);
    StoreEntry(g.entry, c.name, c.number);
    EXPECT_EQ(std::string(g.entry.name), c.storedName);
    EXPECT_EQ(std::string(g.entry.number), c.storedNumber);
    // The rest of each field is cleared, terminators included.
    for (size_t i = c.storedName.size(); i < sizeof g.entry.name; ++i) ASSERT_EQ(g.entry.name[i], 0) << i;
    for (size_t i = c.storedNumber.size(); i < sizeof g.entry.number; ++i) ASSERT_EQ(g.entry.number[i], 0) << i;
    for (uint8_t b : g.before) ASSERT_EQ(b, 0x5A);
    for (uint8_t b : g.after) ASSERT_EQ(b, 0x5A);
  }
}

TEST(EntryCopy, ClearAllKeepsGroupDialsOnly) {
  PhonebookEntry table[4] = {Entry("A", "1"), Entry("GRUPO", std::string("\xE0\x01\x02", 3)),
                             Entry("", ""), Entry("B", "P2")};
  PhonebookEntry group = table[1];
  ClearAllButGroupDials(table, 4);
  const PhonebookEntry empty{};
  EXPECT_EQ(std::memcmp(&table[0], &empty, sizeof empty), 0);
  EXPECT_EQ(std::memcmp(&table[1], &group, sizeof group), 0);
  EXPECT_EQ(std::memcmp(&table[2], &empty, sizeof empty), 0);
  EXPECT_EQ(std::memcmp(&table[3], &empty, sizeof empty), 0);
  ClearAllButGroupDials(nullptr, 80);  // no table: nothing to do
}

}  // namespace
