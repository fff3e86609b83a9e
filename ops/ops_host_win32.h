// The Win32 host's own setting: tests put their backup folder here instead
// of the user's application data.
#pragma once

#include <string>

std::string& BackupFolderOverride();
