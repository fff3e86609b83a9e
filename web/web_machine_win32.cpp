// rcpweb's machine jobs over the shared start-up and the device commands.
// Each job borrows the port for itself (start-up), does its exchanges with
// the pages' pause after each, and gives the port back (shut-down), so the
// panel and the scanner can use it in between.
#include "web/web_machine_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "app/startup.h"
#include "app/startup_win32.h"
#include "commands/commands.h"
#include "files/pbf_format.h"
#include "files/settings_file.h"
#include "files/settings_profile.h"
#include "link/os.h"
#include "link/trace.h"
#include "ops/machine_ops.h"
#include "ops/ops_host.h"

namespace {

// The pause the pages keep after every exchange.
constexpr uint32_t kAfterExchangeMs = 500;

class QuietStartupUi : public StartupUi {
 public:
  void PortBusy() override {}
  void BeginWait() override {}
  void EndWait() override {}
  // No one to ask: a silent machine ends the job.
  NoAnswerChoice AskNoAnswer() override { return NoAnswerChoice::Abort; }
};

bool Exchange(bool (*command)()) {
  const bool ok = command();
  BusyWait(kAfterExchangeMs);
  return ok;
}

// A settings write counts only when the machine acknowledged taking it.
bool Acknowledged(bool (*command)(bool*)) {
  bool acknowledged = false;
  const bool ok = command(&acknowledged);
  BusyWait(kAfterExchangeMs);
  return ok && acknowledged;
}

size_t SpeedDials() { return phonebookTable ? speedDialCount : 0; }

// The port borrowed for one job and given back at its end.
class Borrowed {
 public:
  explicit Borrowed(std::optional<PortKind> port) {
    QuietStartupUi ui;
    result_ = StartUpMachine(ui, &DetectHostPlatform, &Mfp_Inquiry, port);
  }
  ~Borrowed() { ShutDownMachine(); }
  JobStatus Status() const {
    if (result_ == StartupResult::Answered) return JobStatus::Done;
    return result_ == StartupResult::PortBusy ? JobStatus::PortBusy : JobStatus::NoAnswer;
  }

 private:
  StartupResult result_;
};

void TakePhonebook(MachineRecords& into) {
  into.phonebook.assign(phonebookTable, phonebookTable + SpeedDials());
}

bool SameEntry(const PhonebookEntry& a, const PhonebookEntry& b) {
  return std::strncmp(a.name, b.name, sizeof a.name) == 0 && std::strncmp(a.number, b.number, sizeof a.number) == 0;
}

}  // namespace

Win32MachineJobs::Win32MachineJobs(std::optional<PortKind> port) : port_(port) {}

JobOutcome Win32MachineJobs::ReadAll() {
  JobOutcome out;
  Borrowed port(port_);
  out.status = port.Status();
  if (out.status != JobStatus::Done) return out;
  if (!Exchange(&Mfp_GetSystemInfo) || !Exchange(&Mfp_GetSettings) || !Exchange(&Mfp_GetPhonebook)) {
    out.status = JobStatus::NoAnswer;
    return out;
  }
  out.now.info = systemInfo;
  out.now.settings = settingsBlock;
  TakePhonebook(out.now);
  out.haveRecords = true;
  return out;
}

JobOutcome Win32MachineJobs::WritePhonebook(const std::vector<PhonebookEntry>& entries, const StillAsRead& check) {
  JobOutcome out;
  Borrowed port(port_);
  out.status = port.Status();
  if (out.status != JobStatus::Done) return out;
  if (!Exchange(&Mfp_GetSystemInfo) || !Exchange(&Mfp_GetSettings) || !Exchange(&Mfp_GetPhonebook)) {
    out.status = JobStatus::NoAnswer;
    return out;
  }
  out.now.info = systemInfo;
  out.now.settings = settingsBlock;
  TakePhonebook(out.now);
  out.haveRecords = true;
  if (entries.size() != SpeedDials() || !check(out.now)) {
    out.status = JobStatus::Changed;
    return out;
  }
  // What the machine held is kept before it is overwritten; a backup that
  // cannot be written does not stop the write, as in the panel.
  const size_t total = static_cast<size_t>(speedDialCount) + oneTouchCount;
  ops::KeepBackup(BackupKind::Phonebook, EncodePhonebookFile(phonebookTable, total));
  std::copy(entries.begin(), entries.end(), phonebookTable);
  if (!Exchange(&Mfp_SetPhonebook)) {
    out.status = JobStatus::SendFailed;
    return out;
  }
  if (!Exchange(&Mfp_GetPhonebook)) {
    out.status = JobStatus::ReadBackFailed;
    return out;
  }
  TakePhonebook(out.now);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (SameEntry(entries[i], out.now.phonebook[i])) continue;
    if (!out.differing.empty()) out.differing += ", ";
    out.differing += std::to_string(i + 1);
  }
  out.status = out.differing.empty() ? JobStatus::Done : JobStatus::ReadBackDiffers;
  return out;
}

JobOutcome Win32MachineJobs::ApplySettings(const SettingsBlock* settings, const SystemInfo* advanced,
                                           const StillAsRead& check) {
  JobOutcome out;
  Borrowed port(port_);
  out.status = port.Status();
  if (out.status != JobStatus::Done) return out;
  if (!Exchange(&Mfp_GetSystemInfo) || !Exchange(&Mfp_GetSettings) || !Exchange(&Mfp_GetPhonebook)) {
    out.status = JobStatus::NoAnswer;
    return out;
  }
  out.now.info = systemInfo;
  out.now.settings = settingsBlock;
  TakePhonebook(out.now);
  out.haveRecords = true;
  if (!check(out.now)) {
    out.status = JobStatus::Changed;
    return out;
  }
  const std::string backup = SettingsProfileText(&settingsBlock, &systemInfo);
  ops::KeepBackup(BackupKind::Settings, std::vector<uint8_t>(backup.begin(), backup.end()));
  if (settings) {
    settingsBlock = *settings;
    if (!Acknowledged(&Mfp_SetSettings)) {
      out.status = JobStatus::SendFailed;
      return out;
    }
    out.now.settings = *settings;
  }
  if (advanced) {
    systemInfo = *advanced;
    if (!Acknowledged(&Mfp_SetAdvanced)) {
      out.status = JobStatus::SendFailed;
      return out;
    }
    out.now.info = *advanced;
  }
  out.status = JobStatus::Done;
  return out;
}

std::vector<BackupItem> Win32MachineJobs::Backups() {
  std::vector<BackupItem> items;
  for (BackupKind kind : {BackupKind::Phonebook, BackupKind::Settings}) {
    for (const ops::BackupListing& backup : ops::ListBackups(kind))
      items.push_back({backup.name, BackupStampText(backup.stamp), kind == BackupKind::Phonebook});
  }
  return items;
}

bool Win32MachineJobs::LoadBackup(const std::string& name, MachineRecords& into) {
  const bool phonebook = ParseBackupFileName(name, BackupKind::Phonebook);
  if (!phonebook && !ParseBackupFileName(name, BackupKind::Settings)) return false;
  const std::string path = PathIn(TheOpsHost().BackupFolder(), name);
  if (phonebook) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    if (!in.good() && !in.eof()) return false;
    std::vector<PhonebookEntry> table(into.phonebook);
    if (!DecodePhonebookFile(bytes.data(), bytes.size(), table.data(), table.size())) return false;
    into.phonebook = table;
    return true;
  }
  // The settings file functions work on the device records: they are lent
  // for the load and put back.
  const SettingsBlock keptSettings = settingsBlock;
  const SystemInfo keptInfo = systemInfo;
  settingsBlock = into.settings;
  systemInfo = into.info;
  bool settings = false, advanced = false;
  const bool loaded = LoadSettingsSections(path, &settings, &advanced) != 0;
  if (loaded) {
    into.settings = settingsBlock;
    into.info = systemInfo;
  }
  settingsBlock = keptSettings;
  systemInfo = keptInfo;
  return loaded;
}
