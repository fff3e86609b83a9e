// The settings file (.STF): the machine's fax and paper settings and its
// advanced settings kept on disk as a profile (INI) file with the sections
// "Settings" and "Advanced", written and read through the Windows profile
// functions. Keys and value forms: settings_profile.h.
#pragma once

#include <string>

#include "files/settings_profile.h"

// Writes SettingsBlock and the writable SystemInfo fields (all but
// imageQuality) into `path`, made a full path first. The keys go into a new
// file beside it, which then replaces `path`: a save that fails half way
// leaves the old file as it was. Returns 1 when the file was written, 0 when
// not (nothing is left behind then).
int SaveSettingsFile(const std::string& path);

enum class SettingsFileError {
  None,
  CannotOpen,   // the file cannot be opened for reading
  NotSettings,  // it has no "Settings" section
};

// Reads `path` (made a full path first) into SettingsBlock and the writable
// SystemInfo fields. Returns 0, with both records unchanged and `error` (when
// given) saying why, when the file cannot be opened for reading or is not a
// settings file; 1 otherwise.
int LoadSettingsFile(const std::string& path, SettingsFileError* error = nullptr);

// As LoadSettingsFile, but only the sections the file holds are taken (a
// backup made before the machine's advanced settings were ever read has
// none of them). `settings` / `advanced` tell which were taken.
int LoadSettingsSections(const std::string& path, bool* settings, bool* advanced);

// The stricter check of CheckSettingsProfile on the file at `path`; false
// when it cannot be opened for reading.
bool CheckSettingsFile(const std::string& path, ProfileCheck& check);
