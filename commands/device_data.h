// The program-wide device records: what the machine last told us, and the
// working copies the pages edit in place. Plain structs, one instance each.
#pragma once

#include <cstdint>

// System information reply, decoded. Texts are one byte wider than on the
// wire and always NUL-terminated.
struct SystemInfo {
  char modelName[33];
  char terminalIdNumber[21];
  char terminalIdName[21];
  char firmwareVersion[6];
  char engineVersion[6];
  char emulation1Version[16];
  char emulation2Version[16];
  uint8_t freeMemoryPercent;
  uint32_t platenScanCount;
  uint32_t adfScanCount;
  uint32_t printCount;
  uint32_t drumCount;
  uint32_t adfJamCount;
  uint32_t printJamCount;
  uint8_t receiveMode;
  char prefixDial[6];
  uint8_t ringerVolume;
  uint8_t alarmSound;
  uint8_t keySound;
  uint8_t speaker;
  uint8_t language;
  uint8_t tonerSave;
  uint8_t usbMode;
  uint8_t faxDuplex;
  uint8_t imageQuality;
  uint8_t notifyTonerLow;
  char customerName[21];
  char customerNumber[21];
  char serviceNumber[47];
  char serialNumber[21];
};

// Fax and paper settings: 17 carried on the wire, in wire order, then two
// that live only in the program and the settings file.
struct SettingsBlock {
  uint8_t cassette1PaperSize;
  uint8_t bypassPaperSize;
  uint8_t bypassPaperType;
  uint8_t sendingConfirmation;
  uint8_t autoJournal;
  uint8_t remoteReceiveCode;
  uint8_t powerSave;
  uint8_t ecmMode;
  uint8_t rxReduction;
  uint8_t horizontalReduction;
  uint8_t discardSize;
  uint8_t redialInterval;
  uint8_t redialCount;
  uint8_t ringsToAnswer;
  uint8_t memoryTransmission;
  uint8_t localId;
  uint8_t clockMode;
  uint8_t cassette2PaperSize;
  uint8_t autoClearTimeout;
};
static_assert(sizeof(SettingsBlock) == 19, "SettingsBlock is 19 bytes");
constexpr int kCarriedSettings = 17;

// One phonebook entry, the same 68 bytes in memory and in phonebook files.
struct PhonebookEntry {
  char name[21];
  char number[47];
};
static_assert(sizeof(PhonebookEntry) == 68, "PhonebookEntry is 68 bytes");

constexpr uint8_t kGroupDialMark = 0xE0;  // first number byte of a group-dial entry
constexpr int kSpeedDialEntries = 80;

extern SystemInfo systemInfo;
extern SettingsBlock settingsBlock;
extern PhonebookEntry* phonebookTable;  // speedDialCount + oneTouchCount entries, or null
extern uint8_t speedDialCount;
extern uint8_t oneTouchCount;
extern bool inquiryAnswered;  // a valid inquiry reply arrived
extern bool fullPanel;        // its mode byte selected the full page set

// Start-up's clearing of the device data: both records, both counts, both flags.
void ClearDeviceData();
// Makes the zero-filled table for speedDialCount + oneTouchCount entries.
bool CreatePhonebookTable();
void FreePhonebookTable();
// Everything above back to a fresh process, table freed (tests).
void ResetDeviceData();
