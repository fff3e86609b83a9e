#include "tests/support/fake_ops_host.h"

#include <algorithm>

#include "commands/device_data.h"
#include "files/settings_profile.h"

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
