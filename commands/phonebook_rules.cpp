// The phonebook page's and the entry editor's decisions (see phonebook_rules.h).
#include "commands/phonebook_rules.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsHighByte(char c) { return static_cast<unsigned char>(c) >= 128; }

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool IsGroupDial(const PhonebookEntry& entry) {
  return static_cast<unsigned char>(entry.number[0]) == kGroupDialMark;
}

std::string RowNumberText(int index) {
  char text[16];
  std::snprintf(text, sizeof text, "%3d", index + 1);
  return text;
}

std::string NumberColumnText(const PhonebookEntry& entry) {
  if (IsGroupDial(entry)) return kGroupDialText;
  return std::string(entry.number, strnlen(entry.number, sizeof entry.number));
}

bool IsAcceptableNumber(const std::string& number) {
  if (number.size() <= 2) return false;
  for (char c : number) {
    if (c >= '0' && c <= '9') return true;
  }
  return false;
}

CleanedField CleanChangedField(const std::string& text, size_t caret) {
  CleanedField field{{}, 0, 0};
  field.text.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (i == caret) field.caret = field.text.size();
    if (IsHighByte(text[i])) {
      ++field.dropped;
      continue;
    }
    field.text.push_back(UpperAscii(text[i]));
  }
  if (caret >= text.size()) field.caret = field.text.size();
  return field;
}

CleanedField RestoreBeforeNonAscii(const std::string& before, size_t caret) {
  CleanedField field{{}, 0, 0};
  for (char c : before) {
    if (IsHighByte(c))
      ++field.dropped;
    else
      field.text.push_back(c);
  }
  field.caret = caret > field.dropped ? caret - field.dropped : 0;
  if (field.caret > field.text.size()) field.caret = field.text.size();
  return field;
}

void ClearEntry(PhonebookEntry& entry) {
  std::memset(entry.name, 0, sizeof entry.name);
  std::memset(entry.number, 0, sizeof entry.number);
}

void StoreEntry(PhonebookEntry& entry, const std::string& name, const std::string& number) {
  ClearEntry(entry);
  // A control can hold more than its limit (text set from outside): the
  // fields keep their widths and their terminators whatever comes.
  std::memcpy(entry.name, name.data(), name.size() < kEntryNameChars ? name.size() : kEntryNameChars);
  std::memcpy(entry.number, number.data(),
              number.size() < kEntryNumberChars ? number.size() : kEntryNumberChars);
}

void ClearAllButGroupDials(PhonebookEntry* table, size_t count) {
  if (table == nullptr) return;
  for (size_t i = 0; i < count; ++i) {
    if (!IsGroupDial(table[i])) ClearEntry(table[i]);
  }
}
