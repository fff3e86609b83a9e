// The program-wide device records and the phonebook table's lifetime.
#include "commands/device_data.h"

#include <cstdlib>
#include <cstring>

SystemInfo systemInfo;
SettingsBlock settingsBlock;
PhonebookEntry* phonebookTable = nullptr;
uint8_t speedDialCount = 0;
uint8_t oneTouchCount = 0;
bool inquiryAnswered = false;
bool fullPanel = false;

void ClearDeviceData() {
  std::memset(&systemInfo, 0, sizeof systemInfo);
  std::memset(&settingsBlock, 0, sizeof settingsBlock);
  speedDialCount = 0;
  oneTouchCount = 0;
  inquiryAnswered = false;
  fullPanel = false;
}

bool CreatePhonebookTable() {
  FreePhonebookTable();
  size_t entries = size_t(speedDialCount) + oneTouchCount;
  if (entries == 0) return true;  // no machine, no table
  phonebookTable = static_cast<PhonebookEntry*>(std::calloc(entries, sizeof(PhonebookEntry)));
  return phonebookTable != nullptr;
}

void FreePhonebookTable() {
  std::free(phonebookTable);
  phonebookTable = nullptr;
}

void ResetDeviceData() {
  FreePhonebookTable();
  ClearDeviceData();
}
