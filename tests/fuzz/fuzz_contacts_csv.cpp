// Fuzz target: any bytes read as a CSV contacts file, the first byte choosing
// whether a number column is named.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/contacts_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  CsvOptions options;
  if (data[0] & 1) options.numberColumn = "Business Fax";
  RequireContactsSound(ReadCsvContacts(std::string(reinterpret_cast<const char*>(data) + 1, size - 1), options));
  return 0;
}
