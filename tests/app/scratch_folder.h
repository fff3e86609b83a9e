// A folder of a test's own under the temporary folder, made the process's
// current directory while it lives (the file dialogs start there); emptied,
// read-only files included, and removed at the end.
#pragma once

#include <windows.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& prefix) {
    char temp[MAX_PATH] = {}, current[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    GetCurrentDirectoryA(MAX_PATH, current);
    m_saved = current;
    m_dir = std::string(temp) + prefix + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(m_dir.c_str(), nullptr);
    SetCurrentDirectoryA(m_dir.c_str());
  }
  ~ScratchFolder() {
    SetCurrentDirectoryA(m_saved.c_str());
    for (const std::string& name : Names()) {
      SetFileAttributesA(Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(Path(name).c_str());
    }
    RemoveDirectoryA(m_dir.c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string Path(const std::string& name) const { return m_dir + "\\" + name; }
  // The files in it, lower case: the dialogs may add an extension either way.
  std::set<std::string> Names() const {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Path("*.*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      std::string name = found.cFileName;
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      names.insert(name);
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 protected:
  std::string m_dir;

 private:
  std::string m_saved;
};
