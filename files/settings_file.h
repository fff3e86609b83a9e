// The settings file (.STF): the machine's fax and paper settings and its
// advanced settings kept on disk as a profile (INI) file with the sections
// "Settings" and "Advanced", written and read through the Windows profile
// functions. Keys and value forms: settings_profile.h.
#pragma once

#include <string>

// Writes SettingsBlock and the writable SystemInfo fields (all but
// imageQuality) into `path`, made a full path first. The keys go into a new
// file beside it, which then replaces `path`: a save that fails half way
// leaves the old file as it was. Returns 1 when the file was written, 0 when
// not (nothing is left behind then).
int SaveSettingsFile(const std::string& path);

// Reads `path` (made a full path first) into SettingsBlock and the writable
// SystemInfo fields. Returns 0, with both records unchanged, when the file
// cannot be opened for reading; 1 otherwise.
int LoadSettingsFile(const std::string& path);

// As LoadSettingsFile, for a backup: only the sections the file holds are
// taken (a backup made before the machine's advanced settings were ever
// read has none of them). `settings` / `advanced` tell which were taken.
int LoadSettingsBackup(const std::string& path, bool* settings, bool* advanced);
