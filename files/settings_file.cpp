// The settings file over the Windows profile functions (see settings_file.h).
#include "files/settings_file.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "commands/device_data.h"
#include "files/settings_profile.h"

namespace {

// A bare name would send the profile functions to the Windows folder.
std::string FullPath(const std::string& path) {
  DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::vector<char> full(size + 1, '\0');
  DWORD length = GetFullPathNameA(path.c_str(), size + 1, full.data(), nullptr);
  if (length == 0 || length > size) return path;
  return std::string(full.data(), length);
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

// Puts the finished file in place of `path`.
bool Replace(const char* finished, const std::string& path) {
  // A read-only file stays, as Windows keeps it; Wine would replace it.
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  if (MoveFileExA(finished, path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
  // Windows 95 and 98 have no MoveFileEx: the old file steps aside under a
  // name of its own until the new one is in place, and comes back if it
  // cannot be.
  char aside[MAX_PATH] = {};
  if (GetTempFileNameA(FolderOf(path).c_str(), "stf", 0, aside) == 0) return false;
  DeleteFileA(aside);
  bool stepped = MoveFileA(path.c_str(), aside) != FALSE;
  if (MoveFileA(finished, path.c_str())) {
    if (stepped) DeleteFileA(aside);
    return true;
  }
  if (stepped) MoveFileA(aside, path.c_str());
  return false;
}

// Collects a section's keys and writes the section in one call: one call
// per key would have the profile functions rewrite the file 36 times.
class FileWriter final : public ProfileWriter {
 public:
  explicit FileWriter(const char* path) : m_path(path) {}
  bool Write(const char* section, const char* key, const char* value) override {
    if (m_section != section && !Flush()) return false;
    m_section = section;
    m_lines.append(key).append("=").append(value).push_back('\0');
    return true;
  }
  // Writes the section collected so far; false when it could not be written.
  bool Flush() {
    if (m_section.empty()) return true;
    m_lines.push_back('\0');
    const bool written = WritePrivateProfileSectionA(m_section.c_str(), m_lines.c_str(), m_path) != FALSE;
    m_section.clear();
    m_lines.clear();
    return written;
  }

 private:
  const char* m_path;
  std::string m_section;
  std::string m_lines;  // "key=value\0" each
};

class FileReader final : public ProfileSource {
 public:
  explicit FileReader(const char* path) : m_path(path) {}
  void Read(const char* section, const char* key, char* buffer, size_t size) override {
    GetPrivateProfileStringA(section, key, "", buffer, static_cast<DWORD>(size), m_path);
  }
  bool HasSection(const char* section) override {
    std::vector<char> names(kNamesBuffer, '\0');
    GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), m_path);
    for (const char* n = names.data(); *n; n += lstrlenA(n) + 1)
      if (lstrcmpiA(n, section) == 0) return true;
    return false;
  }
  // Found exactly as a read finds it (case and blanks around the key as the
  // profile functions treat them); no value in a file is this control byte.
  bool HasKey(const char* section, const char* key) override {
    char value[2] = {};
    GetPrivateProfileStringA(section, key, kAbsent, value, sizeof value, m_path);
    return std::strcmp(value, kAbsent) != 0;
  }

 private:
  static constexpr DWORD kNamesBuffer = 32768;
  static constexpr char kAbsent[] = "\x01";
  const char* m_path;
};

// Only whether the file can be read: the profile functions read it.
bool Readable(const std::string& full) {
  HANDLE file = CreateFileA(full.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

}  // namespace

int SaveSettingsFile(const std::string& path) {
  const std::string full = FullPath(path);
  // The new contents go into a file of their own in the same folder, so that
  // the replace below is a rename on one volume and the old file stays whole
  // until the new one is.
  char temp[MAX_PATH] = {};
  if (GetTempFileNameA(FolderOf(full).c_str(), "stf", 0, temp) == 0) return 0;
  FileWriter writer(temp);
  bool written = WriteSettingsProfile(settingsBlock, systemInfo, writer) && writer.Flush();
  // No section, key or value: the profile functions write out and let go of
  // their cached copy of the file.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, temp);
  if (written && Replace(temp, full)) return 1;
  DeleteFileA(temp);
  return 0;
}

int LoadSettingsFile(const std::string& path, SettingsFileError* error) {
  if (error) *error = SettingsFileError::None;
  const std::string full = FullPath(path);
  if (!Readable(full)) {
    if (error) *error = SettingsFileError::CannotOpen;
    return 0;
  }
  FileReader reader(full.c_str());
  // Any other file would read as all zeros, which "Aplicar" would then send.
  if (!reader.HasSection(kSettingsSection)) {
    if (error) *error = SettingsFileError::NotSettings;
    return 0;
  }
  // A file without [Advanced] would read those fields as zeros, which the
  // exit question would then offer to send: they stay as they were.
  SystemInfo readInfo = systemInfo;
  ReadSettingsProfile(reader, settingsBlock, readInfo);
  if (reader.HasSection(kAdvancedSection)) systemInfo = readInfo;
  return 1;
}

int LoadSettingsSections(const std::string& path, bool* settings, bool* advanced) {
  *settings = *advanced = false;
  const std::string full = FullPath(path);
  if (!Readable(full)) return 0;
  SettingsBlock readSettings = settingsBlock;
  SystemInfo readInfo = systemInfo;
  FileReader reader(full.c_str());
  ReadSettingsProfile(reader, readSettings, readInfo);
  char keys[8] = {};
  *settings = GetPrivateProfileSectionA(kSettingsSection, keys, sizeof keys, full.c_str()) > 0;
  *advanced = GetPrivateProfileSectionA(kAdvancedSection, keys, sizeof keys, full.c_str()) > 0;
  if (*settings) settingsBlock = readSettings;
  if (*advanced) systemInfo = readInfo;
  return 1;
}

bool CheckSettingsFile(const std::string& path, ProfileCheck& check) {
  const std::string full = FullPath(path);
  if (!Readable(full)) return false;
  FileReader reader(full.c_str());
  check = CheckSettingsProfile(reader);
  return true;
}
