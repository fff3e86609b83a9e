// What the Settings and Advanced pages decide, without windows: their page
// values, how those map into SettingsBlock and SystemInfo and back, how a
// number typed into an edit is read, limited and stepped, and how a text
// that took a character the machine cannot keep is mended. The page classes
// only bind these values to their controls; the settings file reads numbers
// the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "commands/device_data.h"

// A decimal number as the C runtime's atoi reads it: leading white space and
// one sign skipped, digits up to the first other character, 0 when there are
// none. A value beyond the int range saturates to INT_MAX or INT_MIN instead
// of overflowing.
int ParseNumber(const char* text);
inline int ParseNumber(const std::string& text) { return ParseNumber(text.c_str()); }
// What a one-byte field keeps of a number: its low 8 bits (300 -> 44, -1 -> 255).
inline uint8_t LowByte(int value) { return static_cast<uint8_t>(static_cast<unsigned>(value) & 0xFFu); }
// Unsigned decimal without leading zeros.
std::string ByteText(uint8_t value);

// Copies `text` into a NUL-terminated field of `size` bytes (its width plus
// one): the whole field is cleared first, at most size - 1 bytes are taken,
// so a text longer than the field is cut and never runs into the next one.
void StoreText(char* field, size_t size, const std::string& text);
template <size_t N>
void StoreText(char (&field)[N], const std::string& text) {
  StoreText(field, N, text);
}

// --- Settings page ---------------------------------------------------------

// One value per control of the page: list indices (-1: no selection), check
// states, the power-save radio index (0 "Desligado", 1 "Ligado", -1 none)
// and the texts of the four number edits.
struct SettingsValues {
  int tray1Size = 0;           // list 1017
  int bypassSize = 0;          // list 1019
  int paperType = 0;           // list 1020
  int sendConfirmation = 0;    // list 1018
  int remoteCode = 0;          // list 1024
  int clockMode = 0;           // list 1053
  int powerSaveMinutes = 0;    // list 1000
  int tray2Size = 0;           // hidden list 1022
  int autoClear = 0;           // hidden list 1081
  int autoJournal = 0;         // check 1056
  int localId = 0;             // check 1057
  int rxReduction = 0;         // check 1058
  int horizontalReduction = 0; // check 1059
  int ecmMode = 0;             // check 1028
  int memoryTransmission = 0;  // check 1029
  int powerSaveOn = 0;         // radios 1002, 1003
  std::string discard;         // edit 1021
  std::string rings;           // edit 1023
  std::string redialInterval;  // edit 1026
  std::string redialCount;     // edit 1025
};

// A number edit, its range and its field, in the order the page limits them
// when an edit loses the focus.
struct NumberField {
  std::string SettingsValues::*text;
  uint8_t SettingsBlock::*field;
  int minimum;
  int maximum;
};
extern const NumberField kNumberFields[4];  // discard, redial interval, rings, redial count

// Every field from the page values: indices and check states as their low 8
// bits, powerSave from the radio and the minutes list, the numbers as read
// (not limited: a typed 99 is kept until the edit loses the focus).
void StoreSettings(const SettingsValues& values, SettingsBlock& record);
// The page values from the record. powerSave 0 selects "Desligado" and puts
// the minutes list on "15" when `offShowsFifteen` (after a read from the
// machine); otherwise the minutes list keeps its index (after a file load).
void FillSettings(const SettingsBlock& record, SettingsValues& values, bool offShowsFifteen);
// Limits the four numbers to their ranges (judged on the signed number, so
// "-1" becomes the minimum), stores them and rewrites their texts. Returns
// whether any had to be limited.
bool ClampNumbers(SettingsValues& values, SettingsBlock& record);
// The minutes list is usable exactly when "Desligado" is not selected.
inline bool MinutesEnabled(const SettingsValues& values) { return values.powerSaveOn != 0; }

enum class SpinStep { Up, Down, Other };
// One arrow click on a number: up adds 1 but not past the maximum, down takes
// 1 but not below the minimum; other scroll codes leave the number as read.
// Only the bound the arrow moves towards is applied.
int SpinNumber(const std::string& text, SpinStep step, int minimum, int maximum);

// --- Advanced page ---------------------------------------------------------

struct AdvancedValues {
  int alarmSound = 0;      // check 1051
  int keySound = 0;        // check 1052
  int tonerSave = 0;       // check 1054
  int notifyTonerLow = 0;  // check 1055
  int receiveMode = 0;     // list 1022
  int speaker = 0;         // list 1061
  int ringerVolume = 0;    // list 1062
  int usbMode = 0;         // list 1057
  int faxDuplex = 0;       // list 1050
  int language = 0;        // list 1058
  int imageQuality = 0;    // list 1064
  std::string terminalIdName;    // edit 1038
  std::string terminalIdNumber;  // edit 1037
  std::string customerName;      // edit 1039
  std::string customerNumber;    // edit 1040
  std::string serviceNumber;     // edit 1041
  std::string serialNumber;      // edit 1042
  std::string prefixDial;        // edit 1001
};

// The eighteen writable SystemInfo fields from the page values.
void StoreAdvanced(const AdvancedValues& values, SystemInfo& record);
// The page values from the record; the record's seven texts lose their
// trailing blanks first, in place.
void FillAdvanced(SystemInfo& record, AdvancedValues& values);
// Whether "Aplicar" would send the same bytes for both records: the eighteen
// writable fields only, each text up to its terminator and blank-padded as
// on the wire. Counters and versions change with every read and are no
// change of the user's.
bool SameAdvancedFields(const SystemInfo& a, const SystemInfo& b);

// Drops every byte of 128 or more from `text`; returns how many went.
size_t DropNonAscii(std::string& text);
// Where the caret goes after DropNonAscii: `selectionStart` less the dropped
// count, kept within 0..length of the text now shown.
int CaretAfterDrop(int selectionStart, size_t dropped, size_t length);

// --- Lists and edits, as both pages and the web panel offer them -------------

// A list's entries, in the order of the value's indices.
using ListTexts = std::initializer_list<const char*>;
struct SettingsList {
  const char* key;  // the value's name outside the program (the web panel's forms)
  int SettingsValues::*value;
  ListTexts texts;
};
// In the page's order: tray 1, bypass size, paper type, send confirmation,
// remote code, clock mode, power-save minutes, tray 2, auto clear.
extern const SettingsList kSettingsLists[9];
struct AdvancedList {
  const char* key;
  int AdvancedValues::*value;
  ListTexts texts;
};
// Receive mode, speaker, ringer volume, USB mode, fax duplex, language, image quality.
extern const AdvancedList kAdvancedLists[7];
// An edit of the Advanced page: its width and the characters it admits
// (an input class of widgets/input_class.h).
struct AdvancedText {
  const char* key;
  std::string AdvancedValues::*text;
  int limit;
  int32_t inputClass;
};
// In the order the page limits them.
extern const AdvancedText kAdvancedTexts[7];
