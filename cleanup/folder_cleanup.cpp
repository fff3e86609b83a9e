// Removal of the product's empty folders through the shell and file services.
#include "cleanup/folder_cleanup.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

namespace rcpclean {
namespace {

void RemoveProgramGroup(int folderId) {
  LPITEMIDLIST items = nullptr;
  // No owner window: the uninstaller may be running without one, and a missing
  // folder is simply skipped.
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, &items)) || items == nullptr) return;
  char path[kPathCapacity] = {};
  const bool named = SHGetPathFromIDListA(items, path) != FALSE;
  CoTaskMemFree(items);
  if (!named || !AppendGroupSuffix(path, sizeof path)) return;
  // Fails while the group still holds a shortcut, which is what keeps it.
  RemoveDirectoryA(path);
}

}  // namespace

void RemoveProductFolders(WindowsFamily family) {
  // The program folder is looked at before anything else is touched.
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(kProgramFolderPattern, &found);
  bool holdsEntries = false;
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (IsRealEntry(found.cFileName)) {
        holdsEntries = true;
        break;
      }
    } while (FindNextFileA(search, &found));
  }

  const GroupFolders groups = GroupFoldersFor(family);
  for (int i = 0; i < groups.count; ++i) RemoveProgramGroup(groups.ids[i]);

  if (search == INVALID_HANDLE_VALUE) return;  // no folder, or one we cannot list
  // Closed first: an open search holds the folder open.
  FindClose(search);
  if (!holdsEntries) RemoveDirectoryA(kProgramFolder);
}

}  // namespace rcpclean
