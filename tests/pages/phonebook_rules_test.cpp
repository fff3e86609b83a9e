// The phonebook page's and the editor's decisions: the number column and the
// group-dial test, the OK rule, the clean-up of a changed field, and the copy
// into an entry that never leaves its fields.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "commands/phonebook_rules.h"

namespace {

TEST(PhonebookRules, NumberColumnShowsGroupDialsByTheirUnsignedFirstByte) {
  const std::pair<std::string, std::string> cases[] = {
      {"01133456789", "01133456789"}, {"", ""}, {std::string("\xE0\x01\x02", 3), "*GROUP DIAL*"},
      {"\xE1\x01", "\xE1\x01"}, {"1\xE0", "1\xE0"}};
  for (const auto& [number, shown] : cases) {
    PhonebookEntry e{};
    std::memcpy(e.number, number.data(), number.size());
    EXPECT_EQ(NumberColumnText(e), shown);
    EXPECT_EQ(IsGroupDial(e), shown == "*GROUP DIAL*");
  }
  EXPECT_EQ(RowNumberText(0) + RowNumberText(79), "  1 80");
}

TEST(PhonebookRules, OkNeedsMoreThanTwoCharactersWithADigit) {
  const std::pair<const char*, bool> cases[] = {{"", false},   {"12", false}, {"123", true},  {"***", false},
                                                {"*1#", true}, {"PPP", false}, {"P1P", true}};
  for (const auto& [number, accepted] : cases) EXPECT_EQ(IsAcceptableNumber(number), accepted) << number;
}

TEST(PhonebookRules, ChangedFieldIsUpperCasedAndLosesPastedHighBytes) {
  struct Case {
    std::string text;
    size_t caret;
    std::string cleaned;
    size_t caretAfter, dropped;
  } cases[] = {
      {"ab-1", 4, "AB-1", 4, 0}, {"12p", 3, "12P", 3, 0},
      {"\xE0" "123", 4, "123", 3, 1},  // a pasted number can never become a group dial
      {"a\xE9" "b\xC3", 1, "AB", 1, 2}, {"abc", 99, "ABC", 3, 0}};
  for (const Case& c : cases) {
    CleanedField f = CleanChangedField(c.text, c.caret);
    EXPECT_EQ(f.text, c.cleaned);
    EXPECT_EQ(f.caret, c.caretAfter) << c.text;
    EXPECT_EQ(f.dropped, c.dropped) << c.text;
  }
  CleanedField restored = RestoreBeforeNonAscii("A\xE9" "B", 3);
  EXPECT_EQ(restored.text, "AB");
  EXPECT_EQ(restored.caret, 2u);
}

TEST(PhonebookRules, CopyIntoAnEntryKeepsWithinItsFieldsAndTerminates) {
  struct {
    uint8_t before[8];
    PhonebookEntry entry;
    uint8_t after[8];
  } g;
  for (size_t length : {size_t(3), size_t(20), size_t(46), size_t(300)}) {
    std::memset(&g, 0x5A, sizeof g);
    StoreEntry(g.entry, std::string(length, 'N'), std::string(length, '9'));
    EXPECT_EQ(std::string(g.entry.name), std::string(std::min<size_t>(length, 20), 'N'));
    EXPECT_EQ(std::string(g.entry.number), std::string(std::min<size_t>(length, 46), '9'));
    EXPECT_EQ(g.entry.name[20], 0);
    for (uint8_t b : g.before) ASSERT_EQ(b, 0x5A);
    for (uint8_t b : g.after) ASSERT_EQ(b, 0x5A);
  }
}

}  // namespace
