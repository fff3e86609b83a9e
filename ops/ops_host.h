// What the machine operations need from the platform besides the link:
// whole files, the backup folder, the local time, settings files through the
// platform's profile functions, and taking accents off names. The program
// gets the Win32 implementation by default (ops_host_win32.cpp); tests
// install a fake with files in memory and a clock they set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ops/backup_names.h"

class OpsHost {
 public:
  virtual ~OpsHost() = default;

  // At most `limit` bytes from the start of the file; false when it cannot be
  // opened or read.
  virtual bool ReadFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes) = 0;
  // Written whole beside `path`, then swapped in: a failure leaves the old
  // file as it was. A read-only file or a folder is not replaced.
  virtual bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes) = 0;
  // A file that must not exist yet; false (and nothing left behind) when it
  // exists or cannot be written whole.
  virtual bool CreateNewFile(const std::string& path, const std::vector<uint8_t>& bytes) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  // The names of the files (not folders) in `folder`.
  virtual std::vector<std::string> FileNames(const std::string& folder) = 0;

  // Where the backups go, made when missing; empty when there is none.
  virtual std::string BackupFolder() = 0;
  virtual BackupStamp LocalTime() = 0;

  // Settings files (.STF) between the file and the program-wide records, as
  // files/settings_file.h does it: 1 on success, 0 otherwise.
  virtual int SaveSettingsFile(const std::string& path) = 0;
  // `notSettings` set when the file has no settings section to take.
  virtual int LoadSettingsFile(const std::string& path, bool* notSettings) = 0;
  // Only the sections the file holds are taken; `settings` / `advanced` say which.
  virtual int LoadSettingsSections(const std::string& path, bool* settings, bool* advanced) = 0;

  // A UTF-8 name without its accents; `changed` set when any were taken off.
  virtual std::string FoldAccents(const std::string& utf8, bool* changed) = 0;
};

// The installed host; installing nullptr restores the platform's own.
OpsHost& TheOpsHost();
void InstallOpsHost(OpsHost* host);
// The platform's own host (Win32, or one that has nothing on other builds).
OpsHost& PlatformOpsHost();

// `folder` and `name` joined with the platform's separator.
std::string PathIn(const std::string& folder, const std::string& name);
