// Contacts from other programs into the speed-dial entries, and the entries
// out again, without windows: CSV (RFC 4180) and vCard (2.1, 3.0, 4.0) read
// into plain contacts, each contact's slot and machine texts decided, and the
// table written as CSV or vCard 3.0.
//
// Names come out of the readers as UTF-8. Taking the accents off is the
// platform's business (its Unicode normalisation), so the plan takes that
// step as a function; everything after it happens here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "commands/device_data.h"

struct Contact {
  std::string name;    // UTF-8
  std::string number;  // as written in the file
  int slot = 0;        // 1-based slot the file asks for (our own exports), 0 = any
  bool groupDial = false;  // marked as a group dial by our own export
};

// A contacts file larger than this is refused, not read in part.
constexpr size_t kMaxContactsFileBytes = size_t{16} << 20;
// What the readers keep of a CSV field or a contact's name or number (cut
// between characters), and of a vCard's unfolded line (pictures and the like
// are longer, and not read).
constexpr size_t kMaxContactsFieldBytes = 1024;
constexpr size_t kMaxContactsLineBytes = size_t{64} << 10;

enum class ContactsError {
  None,
  TooLarge,      // over kMaxContactsFileBytes
  Empty,         // no bytes, or nothing but blanks
  Malformed,     // an unterminated quoted field or vCard
  NoColumns,     // a CSV without a name column
  NoNumberColumn,  // a CSV with names but no number column found (or not the chosen one)
  NoContacts,    // read, but not one contact in it
};

struct ContactsReadResult {
  ContactsError error = ContactsError::None;
  std::vector<Contact> contacts;  // empty whenever error is set
};

struct CsvOptions {
  // Header of the column that holds the numbers; empty = find it by name.
  std::string numberColumn;
};

// Any file bytes as UTF-8: a UTF-8 BOM is dropped, UTF-16 with a BOM is
// converted, bytes that are not valid UTF-8 are taken as Windows-1252.
std::string DecodeContactsText(const std::string& bytes);
// Windows-1252 bytes as UTF-8.
std::string Cp1252ToUtf8(const std::string& bytes);

// RFC 4180 records. The delimiter is the one of ',' ';' and TAB that the first
// record holds most of. False on a quoted field that never closes.
bool ParseCsv(const std::string& text, std::vector<std::vector<std::string>>& records);

// A field that a spreadsheet would run as a formula (one starting with
// '=', '+', '-', '@', TAB or CR, after any apostrophes) with an apostrophe
// before it, and the same taken off again: ShieldCsvFormula and
// UnshieldCsvFormula give every text back.
std::string ShieldCsvFormula(const std::string& field);
std::string UnshieldCsvFormula(const std::string& field);

ContactsReadResult ReadCsvContacts(const std::string& bytes, const CsvOptions& options = {});
// The CSV's column headers as UTF-8, for the user to choose the number
// column from; empty for anything that is not a CSV with a header.
std::vector<std::string> CsvHeaders(const std::string& bytes);
ContactsReadResult ReadVCardContacts(const std::string& bytes);
// vCard when the first line that is not blank is BEGIN:VCARD, CSV otherwise.
ContactsReadResult ReadContacts(const std::string& bytes, const CsvOptions& options = {});

// A number reduced to what the number field takes.
struct ReducedNumber {
  std::string text;
  bool cut = false;      // longer than 46 after reduction
  bool changed = false;  // anything besides the cut differs from the file
};
// Digits, '*' and '#' stay; a leading '+' becomes `internationalPrefix`;
// ',' 'p' and 'w' (either case) become the pause 'P'; everything else goes.
// A "tel:" URI loses its scheme and its parameters.
ReducedNumber ReduceNumber(const std::string& raw, const std::string& internationalPrefix);

// A name after the platform took its accents off: capitals, only the
// characters the name field takes, blanks folded, cut at 20.
struct MachineName {
  std::string text;
  bool cut = false;
  bool dropped = false;  // characters the field does not take were left out
};
MachineName NameForMachine(const std::string& folded);

enum class ImportMode { FillEmpty, ReplaceAll };

// What happened to one contact; the preview shows one row per contact.
enum ImportNote : unsigned {
  kNoteNameCut = 1u << 0,
  kNoteAccentsRemoved = 1u << 1,
  kNoteCharsDropped = 1u << 2,
  kNoteNumberCut = 1u << 3,
  kNoteNumberChanged = 1u << 4,
  kNoteNoNumber = 1u << 5,    // skipped
  kNoteNoFreeSlot = 1u << 6,  // skipped
  kNoteGroupDial = 1u << 7,   // skipped: a group dial is never written
};

struct ImportRow {
  std::string sourceName;  // as in the file (UTF-8)
  std::string name;        // as it goes into the entry
  std::string number;
  int slot = -1;           // table index, -1 when skipped
  unsigned notes = 0;
};

// Takes the accents off a UTF-8 name and returns it as single-byte text;
// sets *changed when it took any off.
using FoldName = std::function<std::string(const std::string& utf8, bool* changed)>;

// Decides each contact's slot among the first `count` entries. Group dials
// are never touched; FillEmpty uses only empty entries, ReplaceAll every
// other one. A slot the file asks for is honoured when it is free.
std::vector<ImportRow> PlanImport(const PhonebookEntry* table, size_t count,
                                  const std::vector<Contact>& contacts, ImportMode mode,
                                  const std::string& internationalPrefix, const FoldName& fold);
// Writes the planned rows into the table (ReplaceAll first clears every entry
// but the group dials).
void ApplyImport(PhonebookEntry* table, size_t count, ImportMode mode,
                 const std::vector<ImportRow>& rows);

// The entries that are not empty. CSV: UTF-8 with a BOM, CRLF records,
// columns Slot, Name, Number, Group. vCard 3.0: one card per entry. Group
// dials are marked and their numbers left out; numbers keep only their dial
// characters. Neither file lets a name start a formula in a spreadsheet (a
// CSV field that would is led by an apostrophe, which the CSV reader takes
// off again) or a line of its own in the vCard.
std::string ExportCsv(const PhonebookEntry* table, size_t count);
std::string ExportVCard(const PhonebookEntry* table, size_t count);
