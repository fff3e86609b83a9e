// The phonebook file's bytes, without files: a fixed 40-byte header and then
// the table's entries exactly as they are held in memory, 68 bytes each.
//
//   0  24  "QMV FAX-RCP Phonebook" and 3 NULs
//  24   8  "1.00" and 4 NULs
//  32   8  14 00 50 00 00 00 00 00 (one-touch and speed-dial capacities)
//  40       the entries, in table order
//
// Only the signature is looked at on the way in; the record count is the
// running program's, not the file's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "commands/device_data.h"

constexpr size_t kPbfHeaderSize = 40;
constexpr size_t kPbfSignatureLength = 21;

// The header every file gets.
const uint8_t* PbfHeader();

// Header and `count` entries: 40 + 68 * count bytes.
std::vector<uint8_t> EncodePhonebookFile(const PhonebookEntry* table, size_t count);

// The signature is the header's text up to its first NUL: the 21 characters
// and a NUL right after them. `header` holds kPbfHeaderSize bytes.
bool HasPbfSignature(const uint8_t* header);

// Loads `size` file bytes into `table` (`count` entries): the header (a
// shorter file counts as zero-filled) must carry the signature, else false
// and the table is untouched. Then as many entry bytes as the file holds, at
// most 68 * count, replace the table's from its start; later entries keep
// theirs. Every entry the file reached gets its terminators back, so no user
// of the table can read past a field whatever the file held.
bool DecodePhonebookFile(const uint8_t* bytes, size_t size, PhonebookEntry* table, size_t count);
