// The histories in "<application data>\Dalvenor\History", one CSV file per
// machine. A new text is written whole to a file beside the old one, flushed,
// and moved over it in one step, so a crash or a full disk leaves either the
// old file or the new one, never a mixture.
#include <windows.h>
#include <shlobj.h>

#include "history/history.h"

namespace {

std::string Folder() {
  using FolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
  // shell32 by its full name in the system folder, as everything the panel loads.
  static HMODULE shell = [] {
    char system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    return length > 0 && length < MAX_PATH ? LoadLibraryA((std::string(system) + "\\shell32.dll").c_str())
                                           : nullptr;
  }();
  auto folderPath = shell ? reinterpret_cast<FolderPathFn>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetFolderPathA"))) : nullptr;
  char base[MAX_PATH] = {};
  if (!folderPath || FAILED(folderPath(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base))) return {};
  std::string folder = std::string(base) + "\\Dalvenor";
  CreateDirectoryA(folder.c_str(), nullptr);
  folder += "\\History";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

class Win32HistoryStore final : public HistoryStore {
 public:
  bool Read(const std::string& name, std::string& text) override {
    text.clear();
    const std::string folder = Folder();
    if (folder.empty()) return false;
    HANDLE file = CreateFileA((folder + "\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    return ok;
  }

  bool Replace(const std::string& name, const std::string& text) override {
    const std::string folder = Folder();
    return !folder.empty() && ReplaceWholeFile(folder + "\\" + name, text);
  }

  std::vector<std::string> Names() override {
    std::vector<std::string> names;
    const std::string folder = Folder();
    if (folder.empty()) return names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.csv").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
  }

  HistoryTime Now() override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  }
};

}  // namespace

bool ReplaceWholeFile(const std::string& path, const std::string& text) {
  const std::string fresh = path + ".new";
  HANDLE file = CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool whole = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                     written == text.size() && FlushFileBuffers(file);
  CloseHandle(file);
  if (!whole || !MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(fresh.c_str());
    return false;
  }
  return true;
}

HistoryStore& PlatformHistoryStore() {
  static Win32HistoryStore store;
  return store;
}
