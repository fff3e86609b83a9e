// The settings file's keys, their order and their value forms (see
// settings_profile.h).
#include "files/settings_profile.h"

#include <cstring>

#include "pages/settings_values.h"

namespace {

struct SettingsKey {
  const char* key;
  uint8_t SettingsBlock::*field;
};

// Every field of SettingsBlock. The power-save key ends in a blank: the
// settings files already kept by users have it so.
constexpr SettingsKey kSettingsKeys[] = {
    {"Cassette #1 paper size", &SettingsBlock::cassette1PaperSize},
    {"Cassette #2 paper size", &SettingsBlock::cassette2PaperSize},
    {"Bypass paper size", &SettingsBlock::bypassPaperSize},
    {"Sending confirmation", &SettingsBlock::sendingConfirmation},
    {"Bypass paper type", &SettingsBlock::bypassPaperType},
    {"Remote receive code", &SettingsBlock::remoteReceiveCode},
    {"Clock mode", &SettingsBlock::clockMode},
    {"Auto Clear Timeout", &SettingsBlock::autoClearTimeout},
    {"Discard size", &SettingsBlock::discardSize},
    {"Rings to answer", &SettingsBlock::ringsToAnswer},
    {"Redial interval", &SettingsBlock::redialInterval},
    {"Redial count", &SettingsBlock::redialCount},
    {"Power save ", &SettingsBlock::powerSave},
    {"Auto journal", &SettingsBlock::autoJournal},
    {"Local ID", &SettingsBlock::localId},
    {"Rx reduction", &SettingsBlock::rxReduction},
    {"Horizontal reduction", &SettingsBlock::horizontalReduction},
    {"ECM mode", &SettingsBlock::ecmMode},
    {"Memory transmission", &SettingsBlock::memoryTransmission},
};

// An "Advanced" key: a text field (pointer and size of the record's array)
// or a one-byte number.
struct AdvancedKey {
  const char* key;
  size_t textOffset;  // offsetof the text array, or kNoText
  size_t textSize;
  uint8_t SystemInfo::*number;
};
constexpr size_t kNoText = static_cast<size_t>(-1);

#define RCP_TEXT_KEY(name, member) \
  { name, offsetof(SystemInfo, member), sizeof(SystemInfo::member), nullptr }
#define RCP_NUMBER_KEY(name, member) \
  { name, kNoText, 0, &SystemInfo::member }

// The writable fields of SystemInfo but imageQuality.
const AdvancedKey kAdvancedKeys[] = {
    RCP_TEXT_KEY("Terminal ID Name", terminalIdName),
    RCP_TEXT_KEY("Terminal ID Number", terminalIdNumber),
    RCP_TEXT_KEY("Customer Name", customerName),
    RCP_TEXT_KEY("Customer Number", customerNumber),
    RCP_TEXT_KEY("Service number", serviceNumber),
    RCP_TEXT_KEY("Serial number", serialNumber),
    RCP_NUMBER_KEY("Receive mode", receiveMode),
    RCP_NUMBER_KEY("Speaker", speaker),
    RCP_NUMBER_KEY("Ringer volume", ringerVolume),
    RCP_NUMBER_KEY("USB mode", usbMode),
    RCP_NUMBER_KEY("Fax duplex", faxDuplex),
    RCP_NUMBER_KEY("Language", language),
    RCP_TEXT_KEY("Prefix dial", prefixDial),
    RCP_NUMBER_KEY("Alarm sound", alarmSound),
    RCP_NUMBER_KEY("Key sound", keySound),
    RCP_NUMBER_KEY("Toner save", tonerSave),
    RCP_NUMBER_KEY("Notify toner low", notifyTonerLow),
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
