// Fuzz target: any bytes read as a vCard file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/contacts_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RequireContactsSound(ReadVCardContacts(std::string(reinterpret_cast<const char*>(data), size)));
  return 0;
}
