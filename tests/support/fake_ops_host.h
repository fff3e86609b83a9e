// A fake host for the machine operations: files in memory, a local time the
// test sets, settings files saved as the profile text they would hold (not
// read back: the profile functions' reading is the platform's), and names
// passed through as they are. Installs itself while it lives.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ops/ops_host.h"

class FakeOpsHost final : public OpsHost {
 public:
  FakeOpsHost() { InstallOpsHost(this); }
  ~FakeOpsHost() override { InstallOpsHost(nullptr); }

  std::map<std::string, std::vector<uint8_t>> files;  // full path -> bytes
  std::string backupFolder = "C:\\Backups";
  BackupStamp now{2026, 12, 9, 10, 0, 0, 0};
  bool failWrites = false;

  std::string Text(const std::string& path) const;
  std::vector<std::string> BackupNames() const { return const_cast<FakeOpsHost*>(this)->FileNames(backupFolder); }

  bool ReadFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes) override;
  bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes) override;
  bool CreateNewFile(const std::string& path, const std::vector<uint8_t>& bytes) override;
  bool RemoveFile(const std::string& path) override { return files.erase(path) > 0; }
  std::vector<std::string> FileNames(const std::string& folder) override;
  std::string BackupFolder() override { return backupFolder; }
  BackupStamp LocalTime() override { return now; }
  int SaveSettingsFile(const std::string& path) override;
  int LoadSettingsFile(const std::string&, bool*) override { return 0; }
  int LoadSettingsSections(const std::string&, bool* settings, bool* advanced) override {
    *settings = *advanced = false;
    return 0;
  }
  std::string FoldAccents(const std::string& utf8, bool*) override { return utf8; }
};
