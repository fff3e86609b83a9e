// rcpweb's machine jobs over the shared start-up and the machine operations.
// Each job borrows the port for itself (start-up), runs the operations the
// panel's pages run, and gives the port back (shut-down), so the panel and
// the scanner can use it in between.
#include "web/web_machine_win32.h"

#include <windows.h>

#include <algorithm>

#include "app/startup.h"
#include "app/startup_win32.h"
#include "commands/commands.h"
#include "files/pbf_format.h"
#include "ops/machine_ops.h"
#include "ops/ops_host.h"

namespace {

class QuietStartupUi : public StartupUi {
 public:
  void PortBusy() override {}
  void BeginWait() override {}
  void EndWait() override {}
  // No one to ask: a silent machine ends the job.
  NoAnswerChoice AskNoAnswer() override { return NoAnswerChoice::Abort; }
};

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

// Every record, as the pages read them; a write first reads what the machine
// holds now, so that the caller can refuse to overwrite a change it never saw.
bool ReadRecords(JobOutcome& out) {
  ops::PhonebookOutcome phonebook;
  if (!ops::ReadSystemInfo().ok() || !ops::ReadSettings().ok() || !(phonebook = ops::ReadPhonebook()).ok()) {
    out.status = JobStatus::NoAnswer;
    return false;
  }
  out.now.info = systemInfo;
  out.now.settings = settingsBlock;
  out.now.phonebook = phonebook.machine;
  out.haveRecords = true;
  return true;
}

}  // namespace

Win32MachineJobs::Win32MachineJobs(std::optional<PortKind> port) : port_(port) {}

JobOutcome Win32MachineJobs::ReadAll() {
  JobOutcome out;
  Borrowed port(port_);
  out.status = port.Status();
  if (out.status == JobStatus::Done) ReadRecords(out);
  return out;
}

JobOutcome Win32MachineJobs::WritePhonebook(const std::vector<PhonebookEntry>& entries, const StillAsRead& check) {
  JobOutcome out;
  Borrowed port(port_);
  out.status = port.Status();
  if (out.status != JobStatus::Done || !ReadRecords(out)) return out;
  if (entries.size() != out.now.phonebook.size() || !check(out.now)) {
    out.status = JobStatus::Changed;
    return out;
  }
  std::copy(entries.begin(), entries.end(), phonebookTable);
  ops::PhonebookWrite write;
  write.lastRead = &out.now.phonebook;
  const ops::PhonebookOutcome written = ops::WritePhonebook(write);
  if (!written.machine.empty()) out.now.phonebook = written.machine;
  out.differing = ops::PositionList(written.differing);
  switch (written.failure) {
    case ops::Failure::None: out.status = JobStatus::Done; break;
    case ops::Failure::ReadBackFailed: out.status = JobStatus::ReadBackFailed; break;
    case ops::Failure::ReadBackDiffers: out.status = JobStatus::ReadBackDiffers; break;
    default: out.status = JobStatus::SendFailed; break;
  }
  return out;
}

JobOutcome Win32MachineJobs::ApplySettings(const SettingsBlock* settings, const SystemInfo* advanced,
                                           const StillAsRead& check) {
  JobOutcome out;
  Borrowed port(port_);
  out.status = port.Status();
  if (out.status != JobStatus::Done || !ReadRecords(out)) return out;
  if (!check(out.now)) {
    out.status = JobStatus::Changed;
    return out;
  }
  if (settings) settingsBlock = *settings;
  if (advanced) systemInfo = *advanced;
  ops::SettingsApply apply;
  apply.parts = (settings ? ops::kFaxSettings : 0u) | (advanced ? ops::kAdvancedSettings : 0u);
  apply.lastSettings = &out.now.settings;
  apply.lastInfo = &out.now.info;
  // No one sees the machine's panel from here: its acknowledgement decides.
  apply.acknowledged = true;
  if (!ops::ApplySettings(apply).ok()) {
    out.status = JobStatus::SendFailed;
    return out;
  }
  if (settings) out.now.settings = *settings;
  if (advanced) out.now.info = *advanced;
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
    std::vector<PhonebookEntry> table(into.phonebook);
    std::vector<uint8_t> bytes;
    if (!TheOpsHost().ReadFile(path, kPbfHeaderSize + sizeof(PhonebookEntry) * table.size(), bytes)) return false;
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
  const bool loaded = TheOpsHost().LoadSettingsSections(path, &settings, &advanced) != 0;
  if (loaded) {
    into.settings = settingsBlock;
    into.info = systemInfo;
  }
  settingsBlock = keptSettings;
  systemInfo = keptInfo;
  return loaded;
}
