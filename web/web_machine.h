// What rcpweb asks of the machine, one job at a time: read every record,
// write the phonebook (backup first, then read back and compare), apply the
// settings (backup first), and the backups kept by earlier writes. Each job
// borrows the port for itself and gives it back. Before a write the job reads
// what the machine holds now and lets the caller refuse to overwrite it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "commands/device_data.h"

struct MachineRecords {
  SystemInfo info{};
  SettingsBlock settings{};
  std::vector<PhonebookEntry> phonebook;  // the speed-dial entries
};

enum class JobStatus {
  Done,
  PortBusy,         // the scanner driver keeps the port
  NoAnswer,         // the machine did not answer (or no road to it)
  Changed,          // the machine no longer holds what the page read: nothing written
  SendFailed,       // the write was not taken
  ReadBackFailed,   // written, but the check could not read it back
  ReadBackDiffers,  // written, but the machine holds something else
};

struct JobOutcome {
  JobStatus status = JobStatus::NoAnswer;
  MachineRecords now;        // what the machine holds after the job, as far as read
  bool haveRecords = false;  // `now` was read in this job
  std::string differing;     // "3, 17": the entries read back differently
};

// Whether the records the machine holds now are the ones the page read.
using StillAsRead = std::function<bool(const MachineRecords&)>;

struct BackupItem {
  std::string name;  // the file's name in the backup folder
  std::string when;  // "08/12/2026 18:04:20"
  bool phonebook = false;
};

class MachineJobs {
 public:
  virtual ~MachineJobs() = default;
  virtual JobOutcome ReadAll() = 0;
  // `entries`: the speed-dial entries to send; the one-touch entries stay.
  virtual JobOutcome WritePhonebook(const std::vector<PhonebookEntry>& entries, const StillAsRead& check) = 0;
  // Either may be null: only the other page's record is sent.
  virtual JobOutcome ApplySettings(const SettingsBlock* settings, const SystemInfo* advanced,
                                   const StillAsRead& check) = 0;
  virtual std::vector<BackupItem> Backups() = 0;
  // A backup's records laid over `into`; false when it cannot be read.
  virtual bool LoadBackup(const std::string& name, MachineRecords& into) = 0;
};
