// The shared file chooser over GetOpenFileNameA / GetSaveFileNameA.
#include "files/choose_file.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "app/app_shell.h"

namespace {
// The current directory is taken into a buffer of this size; a longer one is
// not used at all rather than cut into a wrong folder.
constexpr DWORD kDirectoryBuffer = 256;
// Room for the chosen path; the dialog itself refuses a longer one.
constexpr DWORD kPathBuffer = 1024;

using FileDialogFn = BOOL(WINAPI*)(LPOPENFILENAMEA);

// The dialog library, and the shell libraries it brings with it, are loaded
// on the first file dialog: most runs never open one, and loading them at
// start costs every run time and memory.
FileDialogFn FileDialog(FileDialogMode mode) {
  static HMODULE library = LoadLibraryA("comdlg32.dll");
  if (!library) return nullptr;
  const char* name = mode == FileDialogMode::Open ? "GetOpenFileNameA" : "GetSaveFileNameA";
  return reinterpret_cast<FileDialogFn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}
}  // namespace

std::string FilterForDialog(const char* filter) {
  std::string result = filter ? filter : "";
  for (char& c : result) {
    if (c == '|') c = '\0';
  }
  // The dialog reads pairs until an empty string: make sure one ends the list.
  result.push_back('\0');
  result.push_back('\0');
  return result;
}

bool ChooseFile(FileDialogMode mode, const char* defaultExt, uint32_t options, const char* filter,
                const char* appendedExt, std::string& path, unsigned* filterIndex) {
  std::vector<char> file(kPathBuffer, '\0');
  std::string dialogFilter = FilterForDialog(filter);
  char directory[kDirectoryBuffer] = {};

  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = AppMainWindow();
  ofn.lpstrFilter = dialogFilter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = kPathBuffer;
  ofn.lpstrDefExt = defaultExt;
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | options;
  if (appendedExt) {
    DWORD length = GetCurrentDirectoryA(kDirectoryBuffer, directory);
    if (length > 0 && length < kDirectoryBuffer) ofn.lpstrInitialDir = directory;
  }

  FileDialogFn dialog = FileDialog(mode);
  if (!dialog || !dialog(&ofn)) return false;

  path.assign(file.data());
  if (filterIndex) *filterIndex = ofn.nFilterIndex;
  // The dialog reports the extension's offset, or the end of the name (or 0
  // for a name ending in a dot) when there is none.
  bool noExtension = ofn.nFileExtension == 0 || ofn.nFileExtension >= path.size() ||
                     path[ofn.nFileExtension] == '\0';
  if (appendedExt && noExtension) path += appendedExt;
  return true;
}
