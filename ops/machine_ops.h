// The jobs the panel, rcpctl and any other front end do with the machine,
// each done once here: which commands in which order, the pauses between
// them, the backup kept before a write and the check made after it. An
// operation works on the program-wide records (device_data.h), as the
// commands do, and returns what happened; it never shows anything. Files,
// the clock and the backup folder come through the OpsHost (ops_host.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commands/device_data.h"
#include "files/contacts.h"
#include "ops/backup_names.h"

namespace ops {

// The machine needs a pause after each exchange before it takes the next.
constexpr uint32_t kPauseAfterExchangeMs = 500;

enum class Failure {
  None,
  NoAnswer,          // the machine did not answer, or did not take what was sent
  ReadBackFailed,    // written, but the check that reads it back got no answer
  ReadBackDiffers,   // written, and the machine stored some entries otherwise
  Changed,           // the machine no longer holds what the caller read: nothing was written
  FileUnreadable,
  FileUnwritable,
  NotPhonebookFile,
  NotSettingsFile,   // no settings section in it
  NoBackups,         // nothing to list or restore
};

// What one operation did.
struct Outcome {
  Failure failure = Failure::None;
  bool ok() const { return failure == Failure::None; }
  // The name of the backup kept first (within the backup folder); empty
  // when none was kept (never read, or it could not be written, which does
  // not stop the write).
  std::string backup;
  // 1-based positions: stored otherwise (ReadBackDiffers) or changed since
  // the caller's read (Changed).
  std::vector<int> differing;
};

using Entries = std::vector<PhonebookEntry>;

// "3, 17": positions as the messages name them.
std::string PositionList(const std::vector<int>& positions);

// Two entries hold the same texts as the wire carries them (up to the
// terminator, without the blanks the wire pads with).
bool SameEntry(const PhonebookEntry& a, const PhonebookEntry& b);

struct PhonebookOutcome : Outcome {
  // The speed-dial entries as the machine holds them after the operation (as
  // read, read back, or found changed); empty when it did not answer.
  Entries machine;
};

// The records are read into the program-wide ones; `pauseMs` is spun after
// the exchange (0: none, for the last exchange of a run).
Outcome ReadSystemInfo(uint32_t pauseMs = kPauseAfterExchangeMs);
// The system information, with one more try when the first gets no answer.
Outcome ReadAdvanced(uint32_t pauseMs = kPauseAfterExchangeMs);
Outcome ReadSettings(uint32_t pauseMs = kPauseAfterExchangeMs);
PhonebookOutcome ReadPhonebook(uint32_t pauseMs = kPauseAfterExchangeMs);

// The table as it stands goes to the machine.
struct PhonebookWrite {
  // The speed-dial entries as the machine held them when last read: kept as
  // a backup first. Null: nothing known to keep.
  const Entries* lastRead = nullptr;
  // When set, the machine is read first and nothing is written when its
  // speed-dial entries differ from these (someone changed them since).
  const Entries* expected = nullptr;
};
// Backup, send, read back and compare. The table keeps what was sent
// whatever the machine answers.
PhonebookOutcome WritePhonebook(const PhonebookWrite& write);

enum SettingsPart : unsigned { kFaxSettings = 1u, kAdvancedSettings = 2u };

struct SettingsApply {
  unsigned parts = kFaxSettings;
  // The machine's values as last read or sent, for the backup; null: unknown
  // (the backup leaves that section out, and none is kept when both are).
  const SettingsBlock* lastSettings = nullptr;
  const SystemInfo* lastInfo = nullptr;
  // When set, the machine is read first and nothing is sent when what it
  // holds differs from these (the advanced ones: the fields a file keeps).
  const SettingsBlock* expectedSettings = nullptr;
  const SystemInfo* expectedInfo = nullptr;
  // The machine's acknowledgement must say it took them (a front end that
  // shows no page the user would see the values on); otherwise the write
  // going out whole is enough, as on the pages.
  bool acknowledged = false;
};

struct SettingsOutcome : Outcome {
  // What the machine held when it was found changed (Changed only).
  SettingsBlock machineSettings{};
  SystemInfo machineInfo{};
};
// Backup, then the fax settings and then the advanced ones, as `parts` says.
SettingsOutcome ApplySettings(const SettingsApply& apply);

// Phonebook and settings files, between the file and the program-wide records.
Outcome SavePhonebookFile(const std::string& path);
// Replaces as many entries as the file holds; the table is untouched on failure.
Outcome LoadPhonebookFile(const std::string& path);
Outcome SaveSettingsFile(const std::string& path);
Outcome LoadSettingsFile(const std::string& path);

// Backups of what the machine held: a dated file that never replaces
// another, and only the newest 20 of its kind kept (never the one just
// written removed).
Outcome KeepBackup(BackupKind kind, const std::vector<uint8_t>& bytes);
// The settings backup: the sections of the records that are known.
Outcome KeepSettingsBackup(const SettingsBlock* settings, const SystemInfo* info);

struct BackupListing {
  std::string name;  // within the backup folder
  BackupStamp stamp;
};
// Newest first.
std::vector<BackupListing> ListBackups(BackupKind kind);
// Loads a listed backup into the table, to be sent like any loaded file.
Outcome RestorePhonebookBackup(const std::string& name);
struct SettingsRestore : Outcome {
  bool settings = false, advanced = false;  // the sections taken
};
SettingsRestore RestoreSettingsBackup(const std::string& name);
// A settings file of which only the sections it holds are taken.
SettingsRestore LoadSettingsSections(const std::string& path);

// Contacts import: the file read, its plan shown, the plan taken.
struct ContactsFile {
  Failure failure = Failure::None;  // FileUnreadable, or None with `read.error` saying more
  bool ok() const { return failure == Failure::None; }
  ContactsReadResult read;
  std::string csvBytes;  // the file when it is a CSV, so another number column can be chosen
};
ContactsFile ReadContactsFile(const std::string& path);
// The plan over the speed-dial entries.
std::vector<ImportRow> PlanContactsImport(const std::vector<Contact>& contacts, ImportMode mode,
                                          const std::string& internationalPrefix);
void ApplyContactsImport(ImportMode mode, const std::vector<ImportRow>& rows);
// The entries as CSV, or as vCard.
Outcome ExportContacts(const std::string& path, bool vcard);

}  // namespace ops
