// The Settings and Advanced pages' value mapping, number reading, limiting
// and stepping, and the mending of texts (see settings_values.h).
#include "pages/settings_values.h"

#include "widgets/input_class.h"

#include <climits>
#include <cstring>

#include "commands/commands.h"

int ParseNumber(const char* text) {
  if (text == nullptr) return 0;
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  // Accumulated as a negative number, whose range is the wider one.
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 - (*p - '0');
    if (value < INT_MIN) return negative ? INT_MIN : INT_MAX;
  }
  if (negative) return static_cast<int>(value);
  return value < -static_cast<long long>(INT_MAX) ? INT_MAX : static_cast<int>(-value);
}

std::string ByteText(uint8_t value) { return std::to_string(static_cast<unsigned>(value)); }

void StoreText(char* field, size_t size, const std::string& text) {
  if (size == 0) return;
  std::memset(field, 0, size);
  std::memcpy(field, text.data(), text.size() < size - 1 ? text.size() : size - 1);
}

// --- Settings page ---------------------------------------------------------

const NumberField kNumberFields[4] = {
    {&SettingsValues::discard, &SettingsBlock::discardSize, 0, 30},
    {&SettingsValues::redialInterval, &SettingsBlock::redialInterval, 1, 15},
    {&SettingsValues::rings, &SettingsBlock::ringsToAnswer, 1, 7},
    {&SettingsValues::redialCount, &SettingsBlock::redialCount, 0, 13},
};

namespace {

// The lists and check boxes that map one to one onto a settings byte.
struct DirectSetting {
  int SettingsValues::*value;
  uint8_t SettingsBlock::*field;
};
constexpr DirectSetting kDirectSettings[] = {
    {&SettingsValues::tray1Size, &SettingsBlock::cassette1PaperSize},
    {&SettingsValues::bypassSize, &SettingsBlock::bypassPaperSize},
    {&SettingsValues::paperType, &SettingsBlock::bypassPaperType},
    {&SettingsValues::sendConfirmation, &SettingsBlock::sendingConfirmation},
    {&SettingsValues::remoteCode, &SettingsBlock::remoteReceiveCode},
    {&SettingsValues::clockMode, &SettingsBlock::clockMode},
    {&SettingsValues::tray2Size, &SettingsBlock::cassette2PaperSize},
    {&SettingsValues::autoClear, &SettingsBlock::autoClearTimeout},
    {&SettingsValues::autoJournal, &SettingsBlock::autoJournal},
    {&SettingsValues::localId, &SettingsBlock::localId},
    {&SettingsValues::rxReduction, &SettingsBlock::rxReduction},
    {&SettingsValues::horizontalReduction, &SettingsBlock::horizontalReduction},
    {&SettingsValues::ecmMode, &SettingsBlock::ecmMode},
    {&SettingsValues::memoryTransmission, &SettingsBlock::memoryTransmission},
};

// The minutes list entry shown with power save off after a read: "15".
constexpr int kMinutesShownWhenOff = 2;

}  // namespace

void StoreSettings(const SettingsValues& values, SettingsBlock& record) {
  for (const DirectSetting& s : kDirectSettings) record.*s.field = LowByte(values.*s.value);
  record.powerSave = values.powerSaveOn == 0 ? 0 : LowByte(values.powerSaveMinutes + 1);
  for (const NumberField& n : kNumberFields) record.*n.field = LowByte(ParseNumber(values.*n.text));
}

void FillSettings(const SettingsBlock& record, SettingsValues& values, bool offShowsFifteen) {
  for (const DirectSetting& s : kDirectSettings) values.*s.value = record.*s.field;
  if (record.powerSave == 0) {
    values.powerSaveOn = 0;
    if (offShowsFifteen) values.powerSaveMinutes = kMinutesShownWhenOff;
  } else {
    values.powerSaveOn = 1;
    values.powerSaveMinutes = record.powerSave - 1;
  }
  for (const NumberField& n : kNumberFields) values.*n.text = ByteText(record.*n.field);
}

bool ClampNumbers(SettingsValues& values, SettingsBlock& record) {
  bool limited = false;
  for (const NumberField& n : kNumberFields) {
    int value = ParseNumber(values.*n.text);
    if (value < n.minimum) {
      value = n.minimum;
      limited = true;
    } else if (value > n.maximum) {
      value = n.maximum;
      limited = true;
    }
    record.*n.field = LowByte(value);
    values.*n.text = std::to_string(value);
  }
  return limited;
}

int SpinNumber(const std::string& text, SpinStep step, int minimum, int maximum) {
  int value = ParseNumber(text);
  // Compared before the step, so that a saturated number cannot overflow.
  if (step == SpinStep::Up) return value >= maximum ? maximum : value + 1;
  if (step == SpinStep::Down) return value <= minimum ? minimum : value - 1;
  return value;
}

// --- Advanced page ---------------------------------------------------------

namespace {

struct AdvancedByte {
  int AdvancedValues::*value;
  uint8_t SystemInfo::*field;
};
constexpr AdvancedByte kAdvancedBytes[] = {
    {&AdvancedValues::receiveMode, &SystemInfo::receiveMode},
    {&AdvancedValues::ringerVolume, &SystemInfo::ringerVolume},
    {&AdvancedValues::alarmSound, &SystemInfo::alarmSound},
    {&AdvancedValues::keySound, &SystemInfo::keySound},
    {&AdvancedValues::speaker, &SystemInfo::speaker},
    {&AdvancedValues::language, &SystemInfo::language},
    {&AdvancedValues::tonerSave, &SystemInfo::tonerSave},
    {&AdvancedValues::usbMode, &SystemInfo::usbMode},
    {&AdvancedValues::faxDuplex, &SystemInfo::faxDuplex},
    {&AdvancedValues::imageQuality, &SystemInfo::imageQuality},
    {&AdvancedValues::notifyTonerLow, &SystemInfo::notifyTonerLow},
};

// Each text with its field, as a pointer and a size, since the widths differ.
template <typename Values, typename Fn>
void ForEachText(SystemInfo& record, Values& values, Fn fn) {
  fn(record.customerName, sizeof record.customerName, values.customerName);
  fn(record.customerNumber, sizeof record.customerNumber, values.customerNumber);
  fn(record.prefixDial, sizeof record.prefixDial, values.prefixDial);
  fn(record.terminalIdName, sizeof record.terminalIdName, values.terminalIdName);
  fn(record.terminalIdNumber, sizeof record.terminalIdNumber, values.terminalIdNumber);
  fn(record.serviceNumber, sizeof record.serviceNumber, values.serviceNumber);
  fn(record.serialNumber, sizeof record.serialNumber, values.serialNumber);
}

}  // namespace

void StoreAdvanced(const AdvancedValues& values, SystemInfo& record) {
  for (const AdvancedByte& b : kAdvancedBytes) record.*b.field = LowByte(values.*b.value);
  ForEachText(record, values,
              [](char* field, size_t size, const std::string& text) { StoreText(field, size, text); });
}

void FillAdvanced(SystemInfo& record, AdvancedValues& values) {
  for (const AdvancedByte& b : kAdvancedBytes) values.*b.value = record.*b.field;
  ForEachText(record, values, [](char* field, size_t size, std::string& text) {
    // The field is always terminated, but a record filled from outside
    // need not be: never read past it.
    field[size - 1] = '\0';
    TrimTrailingSpaces(field);
    text = field;
  });
}

namespace {

// A text as the request carries it: up to its terminator, then blanks to the
// field's width.
template <size_t N>
bool SameOnWire(const char (&a)[N], const char (&b)[N]) {
  const size_t la = strnlen(a, N - 1), lb = strnlen(b, N - 1);
  for (size_t i = 0; i < N - 1; ++i)
    if ((i < la ? a[i] : ' ') != (i < lb ? b[i] : ' ')) return false;
  return true;
}

}  // namespace

bool SameAdvancedFields(const SystemInfo& a, const SystemInfo& b) {
  for (const AdvancedByte& byte : kAdvancedBytes)
    if (a.*byte.field != b.*byte.field) return false;
  return SameOnWire(a.terminalIdNumber, b.terminalIdNumber) && SameOnWire(a.terminalIdName, b.terminalIdName) &&
         SameOnWire(a.prefixDial, b.prefixDial) && SameOnWire(a.customerName, b.customerName) &&
         SameOnWire(a.customerNumber, b.customerNumber) && SameOnWire(a.serviceNumber, b.serviceNumber) &&
         SameOnWire(a.serialNumber, b.serialNumber);
}

size_t DropNonAscii(std::string& text) {
  size_t kept = 0;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 128) text[kept++] = c;
  }
  size_t dropped = text.size() - kept;
  text.resize(kept);
  return dropped;
}

int CaretAfterDrop(int selectionStart, size_t dropped, size_t length) {
  long long caret = static_cast<long long>(selectionStart) - static_cast<long long>(dropped);
  if (caret < 0) return 0;
  if (caret > static_cast<long long>(length)) return static_cast<int>(length);
  return static_cast<int>(caret);
}

const SettingsList kSettingsLists[9] = {
    {"tray1Size", &SettingsValues::tray1Size, {"Carta", "A4", "Ofício I"}},
    {"bypassSize", &SettingsValues::bypassSize, {"Carta", "A4", "Ofício I"}},
    {"paperType",
     &SettingsValues::paperType,
     {"Papel comum", "Normal", "Transparências", "Cartão", "Etiquetas", "Pré-impresso", "Papel em cores",
      "Envelope"}},
    {"sendConfirmation", &SettingsValues::sendConfirmation, {"Desl", "Lig", "Em erro"}},
    {"remoteCode",
     &SettingsValues::remoteCode,
     {"*0*", "*1*", "*2*", "*3*", "*4*", "*5*", "*6*", "*7*", "*8*", "*9*"}},
    {"clockMode", &SettingsValues::clockMode, {"12 horas", "24 horas"}},
    {"powerSaveMinutes", &SettingsValues::powerSaveMinutes, {"5", "10", "15", "30", "45"}},
    {"tray2Size", &SettingsValues::tray2Size, {"Letter", "A4", "Legal"}},
    {"autoClear", &SettingsValues::autoClear, {"Off", "15 sec", "30 sec", "60 sec", "180 sec"}},
};

const AdvancedList kAdvancedLists[7] = {
    {"receiveMode", &AdvancedValues::receiveMode, {"TEL", "FAX", "TEL/FAX", "SEC/FAX"}},
    {"speaker", &AdvancedValues::speaker, {"Desligado", "Ligado", "COM"}},
    {"ringerVolume", &AdvancedValues::ringerVolume, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
    {"usbMode", &AdvancedValues::usbMode, {"Lento", "Rápido"}},
    {"faxDuplex", &AdvancedValues::faxDuplex, {"Desligado", "Borda longa", "Borda curta"}},
    {"language",
     &AdvancedValues::language,
     {"Inglês", "Francês", "Espanhol", "Português", "Alemão", "Italiano", "Holandês", "Dinamarquês", "Sueco",
      "Finlandês", "Norueguês"}},
    {"imageQuality", &AdvancedValues::imageQuality, {"Normal", "Texto aperfeiçoado", "Imagem aperfeiçoada"}},
};

const AdvancedText kAdvancedTexts[7] = {
    {"terminalIdName", &AdvancedValues::terminalIdName, 20, NameText},
    {"terminalIdNumber", &AdvancedValues::terminalIdNumber, 20, DigitsPlus},
    {"customerName", &AdvancedValues::customerName, 20, NameText},
    {"customerNumber", &AdvancedValues::customerNumber, 20, DialSpaced},
    {"serviceNumber", &AdvancedValues::serviceNumber, 46, DialSpaced},
    {"serialNumber", &AdvancedValues::serialNumber, 20, NameText},
    {"prefixDial", &AdvancedValues::prefixDial, 5, DialSpaced},
};
