// Fuzz target: loading any bytes as a phonebook file. The table must stay
// within its bounds with every name and number terminated, and what is then
// saved must load back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "files/pbf_format.h"
#include "tests/fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetDeviceData();
  speedDialCount = kSpeedDialEntries;
  CreatePhonebookTable();
  DecodePhonebookFile(data, size, phonebookTable, kSpeedDialEntries);
  RequireRecordsSound();

  std::vector<uint8_t> saved = EncodePhonebookFile(phonebookTable, kSpeedDialEntries);
  std::vector<PhonebookEntry> again(kSpeedDialEntries);
  if (!DecodePhonebookFile(saved.data(), saved.size(), again.data(), kSpeedDialEntries) ||
      std::memcmp(again.data(), phonebookTable, kSpeedDialEntries * sizeof(PhonebookEntry)) != 0)
    std::abort();
  ResetDeviceData();
  return 0;
}
