// The operations' host on Windows (see ops_host.h): files through the file
// functions, the backup folder under the user's application data, settings
// files through the profile functions, and accents taken off through the
// platform's Unicode decomposition.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files/settings_file.h"
#include "ops/ops_host.h"
#include "ops/ops_host_win32.h"

namespace {

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

// The combining marks a decomposition splits off Latin letters. The
// platform's character types are no help here: some give letters like
// "Ø" the non-spacing flag, and dropping those would lose the letter.
bool IsMark(wchar_t c) {
  return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
         (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

void* ShellProc(const char* name) {
  static HMODULE shell = LoadLibraryA("shell32.dll");
  return shell ? reinterpret_cast<void*>(GetProcAddress(shell, name)) : nullptr;
}

class Win32Host final : public OpsHost {
 public:
  bool ReadFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.assign(limit, 0);
    size_t size = 0;
    bool ok = true;
    while (size < limit) {
      DWORD got = 0;
      const DWORD ask = static_cast<DWORD>(std::min<size_t>(limit - size, 1u << 20));
      if (!::ReadFile(file, bytes.data() + size, ask, &got, nullptr)) {
        ok = false;
        break;
      }
      if (got == 0) break;
      size += got;
    }
    CloseHandle(file);
    bytes.resize(size);
    return ok;
  }

  bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes) override {
    // A file the user protected, or a folder, is not replaced (Windows
    // refuses the replacement itself; not every file system under it does).
    const DWORD existing = GetFileAttributesA(path.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
      return false;
    // Written whole beside the old file, then swapped in: a full disk or a
    // pulled drive leaves the old file, never a truncated one.
    char temp[MAX_PATH] = {};
    if (!GetTempFileNameA(FolderOf(path).c_str(), "rcp", 0, temp)) return false;
    HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = file != INVALID_HANDLE_VALUE;
    if (ok) {
      ok = WriteAll(file, bytes) && FlushFileBuffers(file);
      ok = CloseHandle(file) && ok;
    }
    ok = ok && MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileA(temp);
    return ok;
  }

  bool CreateNewFile(const std::string& path, const std::vector<uint8_t>& bytes) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = WriteAll(file, bytes);
    ok = CloseHandle(file) && ok;
    if (!ok) DeleteFileA(path.c_str());
    return ok;
  }

  bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }

  std::vector<std::string> FileNames(const std::string& folder) override {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(PathIn(folder, "*.*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
  }

  std::string BackupFolder() override {
    if (!BackupFolderOverride().empty()) return BackupFolderOverride();
    using FolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    auto folderPath = reinterpret_cast<FolderPathFn>(ShellProc("SHGetFolderPathA"));
    char base[MAX_PATH] = {};
    if (!folderPath || FAILED(folderPath(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base))) return {};
    std::string folder = std::string(base) + "\\Dalvenor";
    CreateDirectoryA(folder.c_str(), nullptr);
    folder += "\\Backups";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
  }

  BackupStamp LocalTime() override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
  }

  int SaveSettingsFile(const std::string& path) override { return ::SaveSettingsFile(path); }
  int LoadSettingsFile(const std::string& path, bool* notSettings) override {
    SettingsFileError error = SettingsFileError::None;
    const int loaded = ::LoadSettingsFile(path, &error);
    *notSettings = error == SettingsFileError::NotSettings;
    return loaded;
  }
  int LoadSettingsSections(const std::string& path, bool* settings, bool* advanced) override {
    return ::LoadSettingsSections(path, settings, advanced);
  }

  std::string FoldAccents(const std::string& utf8, bool* changed) override {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) return utf8;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    // Each accented letter becomes its base letter and a combining mark.
    const int m = FoldStringW(MAP_COMPOSITE, wide.c_str(), n, nullptr, 0);
    std::wstring split(static_cast<size_t>(m > 0 ? m : 0), L'\0');
    if (m <= 0 || FoldStringW(MAP_COMPOSITE, wide.c_str(), n, split.data(), m) <= 0) split = wide;
    std::wstring kept;
    for (wchar_t c : split) {
      if (IsMark(c)) {
        if (changed) *changed = true;
        continue;
      }
      kept += c;
    }
    const int k =
        WideCharToMultiByte(CP_UTF8, 0, kept.data(), static_cast<int>(kept.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(k > 0 ? k : 0), '\0');
    if (k > 0)
      WideCharToMultiByte(CP_UTF8, 0, kept.data(), static_cast<int>(kept.size()), out.data(), k, nullptr, nullptr);
    return out;
  }
};

}  // namespace

std::string& BackupFolderOverride() {
  static std::string folder;
  return folder;
}

OpsHost& PlatformOpsHost() {
  static Win32Host host;
  return host;
}
