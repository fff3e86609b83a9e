// Fuzz target: reading any values for the settings file's keys (the input's
// lines, one per key in the order they are read). Every text must stay
// terminated within its field, and what is then written must read back as
// the same records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "files/settings_profile.h"
#include "tests/fuzz/fuzz_checks.h"

namespace {

class LineReader final : public ProfileReader {
 public:
  LineReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  void Read(const char*, const char*, char* buffer, size_t size) override {
    size_t end = pos_;
    while (end < size_ && data_[end] != '\n') ++end;
    size_t n = std::min(end - pos_, size - 1);
    std::memcpy(buffer, data_ + pos_, n);
    buffer[n] = '\0';
    pos_ = end < size_ ? end + 1 : end;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// Keys are read back in the order they were written: a list, searched from
// where the last read stopped, is all the profile needs.
class MapProfile final : public ProfileWriter, public ProfileReader {
 public:
  bool Write(const char* section, const char* key, const char* value) override {
    values_.push_back({std::string(section) + '\n' + key, value});
    return true;
  }
  void Read(const char* section, const char* key, char* buffer, size_t size) override {
    const std::string wanted = std::string(section) + '\n' + key;
    std::string value;
    for (size_t n = 0; n < values_.size(); ++n) {
      const auto& entry = values_[(next_ + n) % values_.size()];
      if (entry.first == wanted) {
        value = entry.second;
        next_ = (next_ + n + 1) % values_.size();
        break;
      }
    }
    size_t n = std::min(value.size(), size - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
  }

 private:
  std::vector<std::pair<std::string, std::string>> values_;
  size_t next_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetDeviceData();
  LineReader input(data, size);
  ReadSettingsProfile(input, settingsBlock, systemInfo);
  RequireRecordsSound();

  // A text cut at a line break on the first write is whole from then on.
  MapProfile first, second;
  if (!WriteSettingsProfile(settingsBlock, systemInfo, first)) std::abort();
  ReadSettingsProfile(first, settingsBlock, systemInfo);
  SettingsBlock settings = settingsBlock;
  SystemInfo info = systemInfo;
  if (!WriteSettingsProfile(settings, info, second)) std::abort();
  ReadSettingsProfile(second, settingsBlock, systemInfo);
  if (std::memcmp(&settings, &settingsBlock, sizeof settings) != 0 ||
      std::memcmp(&info, &systemInfo, sizeof info) != 0)
    std::abort();
  ResetDeviceData();
  return 0;
}
