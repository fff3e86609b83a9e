// The phonebook page's and the entry editor's decisions over plain entries and
// texts, without windows: what a list row shows, which entries the user may
// change, when the editor may close with OK, how an edited field is cleaned,
// and how texts go into an entry without ever leaving its fields. The
// contacts import and the web panel hold entries to the same rules.
#pragma once

#include <cstddef>
#include <string>

#include "commands/device_data.h"

// Characters a name and a number hold at most (the fields are one byte wider
// for the terminator).
constexpr size_t kEntryNameChars = sizeof(PhonebookEntry::name) - 1;      // 20
constexpr size_t kEntryNumberChars = sizeof(PhonebookEntry::number) - 1;  // 46

// What column 2 shows for a group-dial entry.
inline constexpr const char kGroupDialText[] = "*GROUP DIAL*";

// A number whose first byte is 0xE0 belongs to a group dial, which the page
// never changes. The byte is compared unsigned: char may be signed.
bool IsGroupDial(const PhonebookEntry& entry);

// Column 0 of row `index`: the slot number index + 1, right-aligned in three.
std::string RowNumberText(int index);
// Column 2: "*GROUP DIAL*" for a group dial, else the number.
std::string NumberColumnText(const PhonebookEntry& entry);

// The editor's OK rule: more than 2 characters, at least one a digit.
bool IsAcceptableNumber(const std::string& number);

// One field of the editor after a change.
struct CleanedField {
  std::string text;
  size_t caret;
  size_t dropped;  // bytes of 128 and above taken out
};

// A change that did not come from a typed non-ASCII key (typing, deleting,
// pasting): bytes of 128 and above are dropped, so that nothing pasted can
// make a number look like a group dial, and letters become capitals. The
// caret keeps its place among the characters that stay.
CleanedField CleanChangedField(const std::string& text, size_t caret);
// After a typed key of 128 or above: the field goes back to `before`, its
// text before that key (with any such bytes dropped, k of them), and the
// caret to `caret` - k.
CleanedField RestoreBeforeNonAscii(const std::string& before, size_t caret);

// Clears the entry's characters (both fields all NUL).
void ClearEntry(PhonebookEntry& entry);
// Clears the entry and copies at most 20 name and 46 number characters into
// it, always terminated, whatever the lengths given.
void StoreEntry(PhonebookEntry& entry, const std::string& name, const std::string& number);
// "Excluir tudo": clears every entry but the group dials.
void ClearAllButGroupDials(PhonebookEntry* table, size_t count);
