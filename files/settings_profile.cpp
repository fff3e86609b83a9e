// The settings file's keys, their order and their value forms (see
// settings_profile.h).
#include "files/settings_profile.h"

#include <cstring>

#include "pages/settings_values.h"

namespace {

struct SettingsKey {
  const char* key;
  uint8_t SettingsBlock::*field;
  uint8_t minimum, maximum;  // what the Settings page offers
};

// Every field of SettingsBlock. The power-save key ends in a blank: the
// settings files already kept by users have it so.
constexpr SettingsKey kSettingsKeys[] = {
    {"Cassette #1 paper size", &SettingsBlock::cassette1PaperSize, 0, 2},
    {"Cassette #2 paper size", &SettingsBlock::cassette2PaperSize, 0, 2},
    {"Bypass paper size", &SettingsBlock::bypassPaperSize, 0, 2},
    {"Sending confirmation", &SettingsBlock::sendingConfirmation, 0, 2},
    {"Bypass paper type", &SettingsBlock::bypassPaperType, 0, 7},
    {"Remote receive code", &SettingsBlock::remoteReceiveCode, 0, 9},
    {"Clock mode", &SettingsBlock::clockMode, 0, 1},
    {"Auto Clear Timeout", &SettingsBlock::autoClearTimeout, 0, 4},
    {"Discard size", &SettingsBlock::discardSize, 0, 30},
    {"Rings to answer", &SettingsBlock::ringsToAnswer, 1, 7},
    {"Redial interval", &SettingsBlock::redialInterval, 1, 15},
    {"Redial count", &SettingsBlock::redialCount, 0, 13},
    {"Power save ", &SettingsBlock::powerSave, 0, 5},
    {"Auto journal", &SettingsBlock::autoJournal, 0, 1},
    {"Local ID", &SettingsBlock::localId, 0, 1},
    {"Rx reduction", &SettingsBlock::rxReduction, 0, 1},
    {"Horizontal reduction", &SettingsBlock::horizontalReduction, 0, 1},
    {"ECM mode", &SettingsBlock::ecmMode, 0, 1},
    {"Memory transmission", &SettingsBlock::memoryTransmission, 0, 1},
};

// An "Advanced" key: a text field (pointer and size of the record's array)
// or a one-byte number with the largest value its list or check box offers.
struct AdvancedKey {
  const char* key;
  size_t textOffset;  // offsetof the text array, or kNoText
  size_t textSize;
  uint8_t SystemInfo::*number;
  uint8_t maximum;
};
constexpr size_t kNoText = static_cast<size_t>(-1);

#define RCP_TEXT_KEY(name, member) \
  { name, offsetof(SystemInfo, member), sizeof(SystemInfo::member), nullptr, 0 }
#define RCP_NUMBER_KEY(name, member, maximum) \
  { name, kNoText, 0, &SystemInfo::member, maximum }

// The writable fields of SystemInfo but imageQuality.
const AdvancedKey kAdvancedKeys[] = {
    RCP_TEXT_KEY("Terminal ID Name", terminalIdName),
    RCP_TEXT_KEY("Terminal ID Number", terminalIdNumber),
    RCP_TEXT_KEY("Customer Name", customerName),
    RCP_TEXT_KEY("Customer Number", customerNumber),
    RCP_TEXT_KEY("Service number", serviceNumber),
    RCP_TEXT_KEY("Serial number", serialNumber),
    RCP_NUMBER_KEY("Receive mode", receiveMode, 3),
    RCP_NUMBER_KEY("Speaker", speaker, 2),
    RCP_NUMBER_KEY("Ringer volume", ringerVolume, 10),
    RCP_NUMBER_KEY("USB mode", usbMode, 1),
    RCP_NUMBER_KEY("Fax duplex", faxDuplex, 2),
    RCP_NUMBER_KEY("Language", language, 10),
    RCP_TEXT_KEY("Prefix dial", prefixDial),
    RCP_NUMBER_KEY("Alarm sound", alarmSound, 1),
    RCP_NUMBER_KEY("Key sound", keySound, 1),
    RCP_NUMBER_KEY("Toner save", tonerSave, 1),
    RCP_NUMBER_KEY("Notify toner low", notifyTonerLow, 1),
};

#undef RCP_TEXT_KEY
#undef RCP_NUMBER_KEY

const char* TextIn(const SystemInfo& info, const AdvancedKey& k) {
  return reinterpret_cast<const char*>(&info) + k.textOffset;
}
char* TextIn(SystemInfo& info, const AdvancedKey& k) { return reinterpret_cast<char*>(&info) + k.textOffset; }

uint8_t ReadNumber(ProfileReader& reader, const char* section, const char* key) {
  char buffer[kProfileNumberBuffer] = {};
  reader.Read(section, key, buffer, sizeof buffer);
  buffer[sizeof buffer - 1] = '\0';
  return LowByte(ParseNumber(buffer));
}

}  // namespace

std::string ProfileText(const char* text) { return std::string(text, std::strcspn(text, "\r\n")); }

bool WriteSettingsProfile(const SettingsBlock& settings, const SystemInfo& info, ProfileWriter& writer) {
  for (const SettingsKey& k : kSettingsKeys) {
    if (!writer.Write(kSettingsSection, k.key, ByteText(settings.*k.field).c_str())) return false;
  }
  for (const AdvancedKey& k : kAdvancedKeys) {
    std::string value;
    if (k.textOffset == kNoText) {
      value = ByteText(info.*k.number);
    } else {
      // A record filled from outside need not be terminated within its field.
      const char* text = TextIn(info, k);
      value = ProfileText(std::string(text, strnlen(text, k.textSize - 1)).c_str());
    }
    if (!writer.Write(kAdvancedSection, k.key, value.c_str())) return false;
  }
  return true;
}

void ReadSettingsProfile(ProfileReader& reader, SettingsBlock& settings, SystemInfo& info) {
  for (const SettingsKey& k : kSettingsKeys) settings.*k.field = ReadNumber(reader, kSettingsSection, k.key);
  for (const AdvancedKey& k : kAdvancedKeys) {
    if (k.textOffset == kNoText) {
      info.*k.number = ReadNumber(reader, kAdvancedSection, k.key);
    } else {
      // Straight into the field, with its width plus one as the buffer.
      char* field = TextIn(info, k);
      std::memset(field, 0, k.textSize);
      reader.Read(kAdvancedSection, k.key, field, k.textSize);
      field[k.textSize - 1] = '\0';
    }
  }
}

namespace {

// A number as the file must hold it for the machine: decimal digits only
// (the profile reader has taken off the blanks around it), within range.
bool NumberWithin(const char* text, int minimum, int maximum) {
  if (*text == '\0') return false;
  for (const char* p = text; *p; ++p)
    if (*p < '0' || *p > '9') return false;
  const int value = ParseNumber(text);
  return value >= minimum && value <= maximum;
}

// A value longer than any field, so that one too long for its field shows.
constexpr size_t kCheckBuffer = 256;

}  // namespace

ProfileCheck CheckSettingsProfile(ProfileSource& source) {
  ProfileCheck check;
  check.advanced = source.HasSection(kAdvancedSection);
  if (!source.HasSection(kSettingsSection)) {
    check.fault = ProfileFault::NoSettings;
    return check;
  }
  char value[kCheckBuffer];
  auto fault = [&](ProfileFault f, const char* section, const char* key) {
    check.fault = f;
    check.key = std::string("[").append(section).append("] ").append(key);
    return check;
  };
  for (const SettingsKey& k : kSettingsKeys) {
    if (!source.HasKey(kSettingsSection, k.key)) return fault(ProfileFault::MissingKey, kSettingsSection, k.key);
    source.Read(kSettingsSection, k.key, value, sizeof value);
    value[sizeof value - 1] = '\0';
    if (!NumberWithin(value, k.minimum, k.maximum)) return fault(ProfileFault::BadValue, kSettingsSection, k.key);
  }
  if (!check.advanced) return check;
  for (const AdvancedKey& k : kAdvancedKeys) {
    if (!source.HasKey(kAdvancedSection, k.key)) return fault(ProfileFault::MissingKey, kAdvancedSection, k.key);
    source.Read(kAdvancedSection, k.key, value, sizeof value);
    value[sizeof value - 1] = '\0';
    const bool good =
        k.textOffset == kNoText ? NumberWithin(value, 0, k.maximum) : std::strlen(value) < k.textSize;
    if (!good) return fault(ProfileFault::BadValue, kAdvancedSection, k.key);
  }
  return check;
}

namespace {

class TextWriter final : public ProfileWriter {
 public:
  TextWriter(bool settings, bool advanced) : m_settings(settings), m_advanced(advanced) {}
  bool Write(const char* section, const char* key, const char* value) override {
    if (!(std::strcmp(section, kSettingsSection) == 0 ? m_settings : m_advanced)) return true;
    if (m_section != section) {
      m_section = section;
      text += "[" + m_section + "]\r\n";
    }
    text += std::string(key) + "=" + value + "\r\n";
    return true;
  }
  std::string text;

 private:
  bool m_settings, m_advanced;
  std::string m_section;
};

}  // namespace

std::string SettingsProfileText(const SettingsBlock* settings, const SystemInfo* info) {
  TextWriter writer(settings != nullptr, info != nullptr);
  WriteSettingsProfile(settings ? *settings : SettingsBlock{}, info ? *info : SystemInfo{}, writer);
  return writer.text;
}
