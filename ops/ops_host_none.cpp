// Builds without a platform of their own (the native test tree): no files,
// no backup folder, names kept as they are. Tests install their fake.
#include "ops/ops_host.h"

namespace {

class NoHost final : public OpsHost {
 public:
  bool ReadFile(const std::string&, size_t, std::vector<uint8_t>&) override { return false; }
  bool ReplaceFile(const std::string&, const std::vector<uint8_t>&) override { return false; }
  bool CreateNewFile(const std::string&, const std::vector<uint8_t>&) override { return false; }
  bool RemoveFile(const std::string&) override { return false; }
  std::vector<std::string> FileNames(const std::string&) override { return {}; }
  std::string BackupFolder() override { return {}; }
  BackupStamp LocalTime() override { return {}; }
  int SaveSettingsFile(const std::string&) override { return 0; }
  int LoadSettingsFile(const std::string&, bool*) override { return 0; }
  int LoadSettingsSections(const std::string&, bool* settings, bool* advanced) override {
    *settings = *advanced = false;
    return 0;
  }
  std::string FoldAccents(const std::string& utf8, bool*) override { return utf8; }
};

}  // namespace

OpsHost& PlatformOpsHost() {
  static NoHost host;
  return host;
}
