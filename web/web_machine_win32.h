// rcpweb's machine jobs on Windows (see web_machine.h).
#pragma once

#include <optional>

#include "link/device_link.h"
#include "web/web_machine.h"

class Win32MachineJobs final : public MachineJobs {
 public:
  // `port`: the road the user named (--port), else the search.
  explicit Win32MachineJobs(std::optional<PortKind> port);
  JobOutcome ReadAll() override;
  JobOutcome WritePhonebook(const std::vector<PhonebookEntry>& entries, const StillAsRead& check) override;
  JobOutcome ApplySettings(const SettingsBlock* settings, const SystemInfo* advanced,
                           const StillAsRead& check) override;
  std::vector<BackupItem> Backups() override;
  bool LoadBackup(const std::string& name, MachineRecords& into) override;

 private:
  std::optional<PortKind> port_;
};
