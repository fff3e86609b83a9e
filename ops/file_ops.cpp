// The file jobs (see machine_ops.h): phonebook and settings files, the
// backups of what the machine held, and contacts in and out.
#include <string>
#include <vector>

#include "files/pbf_format.h"
#include "files/settings_profile.h"
#include "ops/machine_ops.h"
#include "ops/ops_host.h"

namespace ops {
namespace {

size_t TableEntries() { return phonebookTable ? size_t(speedDialCount) + oneTouchCount : 0; }

Outcome Failed(Failure failure) {
  Outcome outcome;
  outcome.failure = failure;
  return outcome;
}


}  // namespace

Outcome SavePhonebookFile(const std::string& path) {
  if (path.empty()) return Failed(Failure::FileUnwritable);
  const std::vector<uint8_t> bytes = EncodePhonebookFile(phonebookTable, TableEntries());
  return TheOpsHost().ReplaceFile(path, bytes) ? Outcome{} : Failed(Failure::FileUnwritable);
}

Outcome LoadPhonebookFile(const std::string& path) {
  // Header and table, nothing more: later bytes are not ours. Read whole
  // before the table is touched, so a failure leaves it as it was.
  std::vector<uint8_t> bytes;
  if (path.empty() ||
      !TheOpsHost().ReadFile(path, kPbfHeaderSize + TableEntries() * sizeof(PhonebookEntry), bytes))
    return Failed(Failure::FileUnreadable);
  if (!DecodePhonebookFile(bytes.data(), bytes.size(), phonebookTable, TableEntries()))
    return Failed(Failure::NotPhonebookFile);
  return {};
}

Outcome SaveSettingsFile(const std::string& path) {
  return TheOpsHost().SaveSettingsFile(path) ? Outcome{} : Failed(Failure::FileUnwritable);
}

Outcome LoadSettingsFile(const std::string& path) {
  bool notSettings = false;
  if (TheOpsHost().LoadSettingsFile(path, &notSettings)) return {};
  return Failed(notSettings ? Failure::NotSettingsFile : Failure::FileUnreadable);
}

Outcome KeepBackup(BackupKind kind, const std::vector<uint8_t>& bytes) {
  OpsHost& host = TheOpsHost();
  const std::string folder = host.BackupFolder();
  if (folder.empty()) return Failed(Failure::FileUnwritable);
  std::vector<std::string> names = host.FileNames(folder);
  BackupStamp stamp = host.LocalTime();
  // Two backups within one millisecond: the later one takes the next free
  // name. An existing file is never written over.
  std::string name;
  bool written = false;
  // A folder that takes no file at all is not tried a thousand times.
  int failures = 0;
  for (; !written && failures < 3 && stamp.millisecond <= 999; ++stamp.millisecond) {
    name = BackupFileName(kind, stamp);
    bool taken = false;
    for (const std::string& n : names) taken = taken || n == name;
    if (taken) continue;
    written = host.CreateNewFile(PathIn(folder, name), bytes);
    if (written) break;
    // Made meanwhile by another copy of the program, or not writable at all.
    ++failures;
    names.push_back(name);
  }
  if (!written) return Failed(Failure::FileUnwritable);
  names.push_back(name);
  for (const std::string& old : BackupsToRemove(names, kind, name)) host.RemoveFile(PathIn(folder, old));
  Outcome outcome;
  outcome.backup = name;
  return outcome;
}

Outcome KeepSettingsBackup(const SettingsBlock* settings, const SystemInfo* info) {
  if (!settings && !info) return {};
  const std::string text = SettingsProfileText(settings, info);
  return KeepBackup(BackupKind::Settings, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<BackupListing> ListBackups(BackupKind kind) {
  OpsHost& host = TheOpsHost();
  const std::string folder = host.BackupFolder();
  std::vector<BackupListing> listed;
  if (folder.empty()) return listed;
  for (const std::string& name : BackupsNewestFirst(host.FileNames(folder), kind)) {
    BackupListing backup{name, {}};
    ParseBackupFileName(name, kind, &backup.stamp);
    listed.push_back(backup);
  }
  return listed;
}

Outcome RestorePhonebookBackup(const std::string& name) {
  const std::string folder = TheOpsHost().BackupFolder();
  if (folder.empty() || !ParseBackupFileName(name, BackupKind::Phonebook)) return Failed(Failure::NoBackups);
  return LoadPhonebookFile(PathIn(folder, name));
}

SettingsRestore LoadSettingsSections(const std::string& path) {
  SettingsRestore restore;
  if (!TheOpsHost().LoadSettingsSections(path, &restore.settings, &restore.advanced))
    restore.failure = Failure::FileUnreadable;
  return restore;
}

SettingsRestore RestoreSettingsBackup(const std::string& name) {
  const std::string folder = TheOpsHost().BackupFolder();
  if (folder.empty() || !ParseBackupFileName(name, BackupKind::Settings)) {
    SettingsRestore restore;
    restore.failure = Failure::NoBackups;
    return restore;
  }
  return LoadSettingsSections(PathIn(folder, name));
}

ContactsFile ReadContactsFile(const std::string& path) {
  ContactsFile file;
  std::vector<uint8_t> raw;
  // One byte past the limit is enough for the reader to refuse a larger
  // file, which is not read on without end.
  if (!TheOpsHost().ReadFile(path, kMaxContactsFileBytes + 1, raw)) {
    file.failure = Failure::FileUnreadable;
    return file;
  }
  const std::string bytes(raw.begin(), raw.end());
  file.read = ReadContacts(bytes);
  if (!CsvHeaders(bytes).empty()) file.csvBytes = bytes;
  return file;
}

std::vector<ImportRow> PlanContactsImport(const std::vector<Contact>& contacts, ImportMode mode,
                                          const std::string& internationalPrefix) {
  OpsHost& host = TheOpsHost();
  const size_t entries = phonebookTable ? speedDialCount : 0;
  return PlanImport(phonebookTable, entries, contacts, mode, internationalPrefix,
                    [&host](const std::string& utf8, bool* changed) { return host.FoldAccents(utf8, changed); });
}

void ApplyContactsImport(ImportMode mode, const std::vector<ImportRow>& rows) {
  if (phonebookTable) ApplyImport(phonebookTable, speedDialCount, mode, rows);
}

Outcome ExportContacts(const std::string& path, bool vcard) {
  const size_t entries = phonebookTable ? speedDialCount : 0;
  const std::string text = vcard ? ExportVCard(phonebookTable, entries) : ExportCsv(phonebookTable, entries);
  return TheOpsHost().ReplaceFile(path, std::vector<uint8_t>(text.begin(), text.end()))
             ? Outcome{}
             : Failed(Failure::FileUnwritable);
}

}  // namespace ops
