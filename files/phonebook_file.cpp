// Saving and loading phonebook files: the bytes come from pbf_format, this
// file only moves them to and from the disk.
#include "files/phonebook_file.h"

#include <windows.h>

#include <string>
#include <vector>

#include "commands/device_data.h"
#include "files/pbf_format.h"

namespace {

size_t TableEntries() { return phonebookTable ? size_t(speedDialCount) + oneTouchCount : 0; }

// The folder a path names its file in; "." for a bare name.
std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);  // a drive's root
  return path.substr(0, slash);
}

bool WriteAll(HANDLE file, const std::vector<uint8_t>& bytes) {
  DWORD written = 0;
  return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

}  // namespace

bool SavePhonebookFile(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  // A file the user protected, or a folder, is not replaced (Windows refuses
  // the replacement itself; not every file system under it does).
  const DWORD existing = GetFileAttributesA(path);
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  const std::vector<uint8_t> bytes = EncodePhonebookFile(phonebookTable, TableEntries());

  // Written whole beside the old file, then swapped in: a full disk or a
  // pulled drive leaves the old file, never a truncated one.
  char temp[MAX_PATH] = {};
  if (!GetTempFileNameA(FolderOf(path).c_str(), "pbf", 0, temp)) return false;
  HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = file != INVALID_HANDLE_VALUE;
  if (ok) {
    ok = WriteAll(file, bytes) && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
  }
  ok = ok && MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileA(temp);
  return ok;
}

bool LoadPhonebookFile(const char* path, PhonebookFileError* error) {
  PhonebookFileError failure = PhonebookFileError::None;
  HANDLE file = path ? CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr)
                     : INVALID_HANDLE_VALUE;
  // Header and table, nothing more: later bytes are not ours.
  std::vector<uint8_t> bytes(kPbfHeaderSize + TableEntries() * sizeof(PhonebookEntry));
  size_t size = 0;
  if (file == INVALID_HANDLE_VALUE) {
    failure = PhonebookFileError::CannotOpen;
  } else {
    // Read whole before the table is touched: a read error halfway must not
    // leave it half replaced.
    while (size < bytes.size()) {
      DWORD got = 0;
      if (!ReadFile(file, bytes.data() + size, static_cast<DWORD>(bytes.size() - size), &got, nullptr)) {
        failure = PhonebookFileError::CannotOpen;
        break;
      }
      if (got == 0) break;
      size += got;
    }
    CloseHandle(file);
  }
  if (failure == PhonebookFileError::None &&
      !DecodePhonebookFile(bytes.data(), size, phonebookTable, TableEntries()))
    failure = PhonebookFileError::NotPhonebook;
  if (error) *error = failure;
  return failure == PhonebookFileError::None;
}
