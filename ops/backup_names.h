// Names of the backups the panel keeps of what the machine held before each
// write: one file per write, named after its kind and the moment it was
// taken, so that names sort by age; only the newest ones are kept.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class BackupKind { Phonebook, Settings };

struct BackupStamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

constexpr size_t kBackupsKept = 20;

// "Diretorio-20261208-180420-123.PBF", "Configuracoes-20261208-180420-123.STF".
std::string BackupFileName(BackupKind kind, const BackupStamp& stamp);
// False for any name that is not one of ours of that kind.
bool ParseBackupFileName(const std::string& name, BackupKind kind, BackupStamp* stamp = nullptr);
// Our names of that kind among `names` (any others are left alone), newest first.
std::vector<std::string> BackupsNewestFirst(const std::vector<std::string>& names, BackupKind kind);
// The ones beyond the newest `keep`. `justWritten` is never among them and
// counts as one of the `keep`, whatever its name says of its age: a clock set
// back names a new backup older than the ones before it.
std::vector<std::string> BackupsToRemove(const std::vector<std::string>& names, BackupKind kind,
                                         const std::string& justWritten = {}, size_t keep = kBackupsKept);
// "08/12/2026 18:04:20", as the backup list shows it.
std::string BackupStampText(const BackupStamp& stamp);
