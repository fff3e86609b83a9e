// The phonebook file's bytes (see pbf_format.h).
#include "files/pbf_format.h"

#include <cstring>

namespace {

constexpr uint8_t kHeader[kPbfHeaderSize] = {
    'Q', 'M', 'V', ' ', 'F', 'A', 'X', '-', 'R', 'C', 'P', ' ', 'P', 'h', 'o', 'n', 'e', 'b', 'o', 'o',
    'k', 0,   0,   0,                                // signature, 24 bytes
    '1', '.', '0', '0', 0,   0,   0,   0,            // version, 8 bytes
    0x14, 0x00, 0x50, 0x00, 0x00, 0x00, 0x00, 0x00,  // 20 one-touch, 80 speed-dial
};

}  // namespace

const uint8_t* PbfHeader() { return kHeader; }

std::vector<uint8_t> EncodePhonebookFile(const PhonebookEntry* table, size_t count) {
  const size_t body = table != nullptr ? count * sizeof(PhonebookEntry) : 0;
  std::vector<uint8_t> bytes(kPbfHeaderSize + body);
  std::memcpy(bytes.data(), kHeader, kPbfHeaderSize);
  if (body > 0) std::memcpy(bytes.data() + kPbfHeaderSize, table, body);
  return bytes;
}

bool HasPbfSignature(const uint8_t* header) {
  // Compared as far as the signature goes and no further: a header without
  // any NUL must not lead the comparison past its 40 bytes.
  return std::memcmp(header, kHeader, kPbfSignatureLength) == 0 && header[kPbfSignatureLength] == 0;
}

bool DecodePhonebookFile(const uint8_t* bytes, size_t size, PhonebookEntry* table, size_t count) {
  uint8_t header[kPbfHeaderSize] = {};
  const size_t headerBytes = size < kPbfHeaderSize ? size : kPbfHeaderSize;
  if (headerBytes > 0) std::memcpy(header, bytes, headerBytes);
  if (!HasPbfSignature(header)) return false;
  if (table == nullptr || size <= kPbfHeaderSize) return true;

  size_t body = size - kPbfHeaderSize;
  const size_t room = count * sizeof(PhonebookEntry);
  if (body > room) body = room;
  std::memcpy(table, bytes + kPbfHeaderSize, body);
  const size_t reached = (body + sizeof(PhonebookEntry) - 1) / sizeof(PhonebookEntry);
  for (size_t i = 0; i < reached; ++i) {
    table[i].name[sizeof table[i].name - 1] = '\0';
    table[i].number[sizeof table[i].number - 1] = '\0';
  }
  return true;
}
