// What every contacts reader owes the table, whatever bytes it is given: an
// error leaves no contacts; the contacts taken keep every field terminated
// and the group dial as it was; and the entries written out as CSV and as
// vCard come back the same.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "files/contacts.h"
#include "commands/phonebook_rules.h"

inline void RequireContactsSound(const ContactsReadResult& read) {
  if (read.error != ContactsError::None && !read.contacts.empty()) std::abort();
  std::vector<PhonebookEntry> table(80);
  StoreEntry(table[3], "GROUP", "");
  table[3].number[0] = static_cast<char>(0xE0);
  const PhonebookEntry group = table[3];
  auto identity = [](const std::string& s, bool*) { return s; };
  const auto rows = PlanImport(table.data(), 80, read.contacts, ImportMode::ReplaceAll, "00", identity);
  ApplyImport(table.data(), 80, ImportMode::ReplaceAll, rows);
  if (std::memcmp(&table[3], &group, sizeof group) != 0) std::abort();
  for (const PhonebookEntry& e : table)
    if (!std::memchr(e.name, 0, sizeof e.name) || !std::memchr(e.number, 0, sizeof e.number)) std::abort();

  // With nothing taken the table is the same every time: its round trip is
  // proven once by the unit tests, not again for every input.
  if (read.contacts.empty()) return;
  for (bool vcard : {false, true}) {
    const std::string file = vcard ? ExportVCard(table.data(), 80) : ExportCsv(table.data(), 80);
    const ContactsReadResult again = ReadContacts(file);
    std::vector<PhonebookEntry> copy(80);
    copy[3] = group;
    ApplyImport(copy.data(), 80, ImportMode::ReplaceAll,
                PlanImport(copy.data(), 80, again.contacts, ImportMode::ReplaceAll, "00", identity));
    if (std::memcmp(copy.data(), table.data(), 80 * sizeof(PhonebookEntry)) != 0) std::abort();
  }
}
