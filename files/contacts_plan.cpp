// Contacts into entries (numbers, names, slots) and entries out as files.
#include <algorithm>
#include <cstring>

#include "files/contacts.h"
#include "commands/phonebook_rules.h"

namespace {

bool IsEmptyEntry(const PhonebookEntry& e) { return e.name[0] == '\0' && e.number[0] == '\0'; }

bool NameTakes(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
         (c != '\0' && std::strchr("#&'*+,-./", c) != nullptr);
}

std::string CsvField(const std::string& text) {
  const std::string s = ShieldCsvFormula(text);
  if (s.find_first_of(",;\"\r\n") == std::string::npos && (s.empty() || (s.front() != ' ' && s.back() != ' ')))
    return s;
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

// A line break in a name would end the property and could start another.
std::string VCardText(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
      out += "\\n";
      continue;
    }
    if (c == ',' || c == ';' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

// Names in the table are single-byte; any byte of 128 and up is taken as
// Windows-1252 so that the file stays valid UTF-8.
std::string EntryName(const PhonebookEntry& e) {
  return Cp1252ToUtf8(std::string(e.name, strnlen(e.name, sizeof e.name)));
}

// What the machine dials: an entry that came from a file or the machine may
// hold anything else.
std::string EntryNumber(const PhonebookEntry& e) {
  std::string dial;
  for (size_t i = 0; i < sizeof e.number && e.number[i] != '\0'; ++i) {
    const char c = e.number[i];
    if ((c >= '0' && c <= '9') || c == '*' || c == '#' || c == 'P' || c == 'p') dial += c;
  }
  return dial;
}

}  // namespace

ReducedNumber ReduceNumber(const std::string& raw, const std::string& internationalPrefix) {
  std::string s = raw;
  if (s.size() >= 4 && (s.compare(0, 4, "tel:") == 0 || s.compare(0, 4, "TEL:") == 0)) {
    s = s.substr(4);
    const size_t params = s.find(';');
    if (params != std::string::npos) s.resize(params);
  }
  ReducedNumber r;
  bool anyKept = false;
  for (char c : s) {
    if ((c >= '0' && c <= '9') || c == '*' || c == '#') {
      r.text += c;
      anyKept = true;
    } else if (c == '+' && !anyKept) {
      r.text += internationalPrefix;
      anyKept = true;
    } else if (c == ',' || c == 'p' || c == 'P' || c == 'w' || c == 'W') {
      r.text += 'P';
    }
  }
  r.changed = r.text != raw;
  if (r.text.size() > kEntryNumberChars) {
    r.text.resize(kEntryNumberChars);
    r.cut = true;
  }
  return r;
}

MachineName NameForMachine(const std::string& folded) {
  MachineName m;
  bool space = false;
  for (char raw : folded) {
    char c = raw;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    if (!NameTakes(c)) {
      m.dropped = true;
      continue;
    }
    if (c == ' ') {
      space = !m.text.empty();
      continue;
    }
    if (space) m.text += ' ';
    space = false;
    m.text += c;
  }
  if (m.text.size() > kEntryNameChars) {
    m.text.resize(kEntryNameChars);
    while (!m.text.empty() && m.text.back() == ' ') m.text.pop_back();
    m.cut = true;
  }
  return m;
}

std::vector<ImportRow> PlanImport(const PhonebookEntry* table, size_t count,
                                  const std::vector<Contact>& contacts, ImportMode mode,
                                  const std::string& internationalPrefix, const FoldName& fold) {
  std::vector<bool> open(count);
  for (size_t i = 0; i < count; ++i)
    open[i] = !IsGroupDial(table[i]) && (mode == ImportMode::ReplaceAll || IsEmptyEntry(table[i]));

  std::vector<ImportRow> rows(contacts.size());
  for (size_t k = 0; k < contacts.size(); ++k) {
    const Contact& c = contacts[k];
    ImportRow& row = rows[k];
    row.sourceName = c.name;
    bool accents = false;
    const MachineName name = NameForMachine(fold ? fold(c.name, &accents) : c.name);
    row.name = name.text;
    if (accents) row.notes |= kNoteAccentsRemoved;
    if (name.dropped) row.notes |= kNoteCharsDropped;
    if (name.cut) row.notes |= kNoteNameCut;
    if (c.groupDial) {
      row.notes |= kNoteGroupDial;
      continue;
    }
    const ReducedNumber number = ReduceNumber(c.number, internationalPrefix);
    row.number = number.text;
    if (number.cut) row.notes |= kNoteNumberCut;
    if (number.changed) row.notes |= kNoteNumberChanged;
    if (std::none_of(row.number.begin(), row.number.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
      row.notes |= kNoteNoNumber;
  }

  // The slots a file asks for first, so that our own exports come back
  // where they were; then everyone else in file order.
  auto wanted = [&](size_t k) {
    return !(rows[k].notes & (kNoteNoNumber | kNoteGroupDial)) && contacts[k].slot >= 1 &&
           static_cast<size_t>(contacts[k].slot) <= count;
  };
  for (size_t k = 0; k < contacts.size(); ++k) {
    if (!wanted(k)) continue;
    const size_t at = static_cast<size_t>(contacts[k].slot - 1);
    if (open[at]) {
      rows[k].slot = static_cast<int>(at);
      open[at] = false;
    }
  }
  size_t next = 0;
  for (size_t k = 0; k < contacts.size(); ++k) {
    if (rows[k].slot >= 0 || (rows[k].notes & (kNoteNoNumber | kNoteGroupDial))) continue;
    while (next < count && !open[next]) ++next;
    if (next == count) {
      rows[k].notes |= kNoteNoFreeSlot;
      continue;
    }
    rows[k].slot = static_cast<int>(next);
    open[next] = false;
  }
  return rows;
}

void ApplyImport(PhonebookEntry* table, size_t count, ImportMode mode, const std::vector<ImportRow>& rows) {
  if (mode == ImportMode::ReplaceAll) ClearAllButGroupDials(table, count);
  for (const ImportRow& row : rows)
    if (row.slot >= 0 && static_cast<size_t>(row.slot) < count && !IsGroupDial(table[row.slot]))
      StoreEntry(table[row.slot], row.name, row.number);
}

std::string ExportCsv(const PhonebookEntry* table, size_t count) {
  std::string out = "\xEF\xBB\xBFSlot,Name,Number,Group\r\n";
  for (size_t i = 0; i < count; ++i) {
    const PhonebookEntry& e = table[i];
    if (IsEmptyEntry(e)) continue;
    const bool group = IsGroupDial(e);
    out += std::to_string(i + 1) + "," + CsvField(EntryName(e)) + "," +
           (group ? std::string() : CsvField(EntryNumber(e))) + "," + (group ? kGroupDialText : "") + "\r\n";
  }
  return out;
}

std::string ExportVCard(const PhonebookEntry* table, size_t count) {
  std::string out;
  for (size_t i = 0; i < count; ++i) {
    const PhonebookEntry& e = table[i];
    if (IsEmptyEntry(e)) continue;
    const std::string name = VCardText(EntryName(e));
    out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    out += "FN:" + name + "\r\nN:" + name + ";;;;\r\n";
    if (IsGroupDial(e)) out += "X-K40-GROUP-DIAL:1\r\n";
    else out += "TEL;TYPE=FAX:" + EntryNumber(e) + "\r\n";
    out += "X-K40-SLOT:" + std::to_string(i + 1) + "\r\nEND:VCARD\r\n";
  }
  return out;
}
