#include "tests/support/fake_ops_host.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "commands/device_data.h"
#include "files/settings_profile.h"

namespace {

// "key=value" lines of one "[section]" of a profile text.
class TextReader final : public ProfileReader {
 public:
  explicit TextReader(const std::string& text) : text_(text) {}
  bool HasSection(const char* section) const { return text_.find(std::string("[") + section + "]") != std::string::npos; }
  void Read(const char* section, const char* key, char* buffer, size_t size) override {
    std::string value;
    size_t at = text_.find(std::string("[") + section + "]");
    const size_t end = at == std::string::npos ? at : text_.find("\n[", at);
    const std::string wanted = std::string("\n") + key + "=";
    at = at == std::string::npos ? at : text_.find(wanted, at);
    if (at != std::string::npos && at < end) {
      at += wanted.size();
      value = text_.substr(at, text_.find_first_of("\r\n", at) - at);
    }
    std::snprintf(buffer, size, "%s", value.c_str());
  }

 private:
  const std::string& text_;
};

}  // namespace

std::string FakeOpsHost::Text(const std::string& path) const {
  auto it = files.find(path);
  return it == files.end() ? std::string() : std::string(it->second.begin(), it->second.end());
}

bool FakeOpsHost::ReadFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes) {
  auto it = files.find(path);
  if (it == files.end()) return false;
  bytes.assign(it->second.begin(), it->second.begin() + std::min(limit, it->second.size()));
  return true;
}

bool FakeOpsHost::ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (failWrites) return false;
  files[path] = bytes;
  return true;
}

bool FakeOpsHost::CreateNewFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (failWrites || files.count(path)) return false;
  files[path] = bytes;
  return true;
}

std::vector<std::string> FakeOpsHost::FileNames(const std::string& folder) {
  std::vector<std::string> names;
  const std::string prefix = PathIn(folder, "");
  for (const auto& [path, bytes] : files)
    if (path.rfind(prefix, 0) == 0 && path.find('\\', prefix.size()) == std::string::npos)
      names.push_back(path.substr(prefix.size()));
  return names;
}

int FakeOpsHost::SaveSettingsFile(const std::string& path) {
  const std::string text = SettingsProfileText(&settingsBlock, &systemInfo);
  return ReplaceFile(path, std::vector<uint8_t>(text.begin(), text.end())) ? 1 : 0;
}

int FakeOpsHost::LoadSettingsFile(const std::string& path) {
  bool settings = false, advanced = false;
  if (!LoadSettingsSections(path, &settings, &advanced)) return 0;
  return 1;
}

int FakeOpsHost::LoadSettingsSections(const std::string& path, bool* settings, bool* advanced) {
  *settings = *advanced = false;
  if (!files.count(path)) return 0;
  const std::string text = "\n" + Text(path);
  TextReader reader(text);
  SettingsBlock readSettings = settingsBlock;
  SystemInfo readInfo = systemInfo;
  ReadSettingsProfile(reader, readSettings, readInfo);
  *settings = reader.HasSection(kSettingsSection);
  *advanced = reader.HasSection(kAdvancedSection);
  if (*settings) settingsBlock = readSettings;
  if (*advanced) systemInfo = readInfo;
  return 1;
}
