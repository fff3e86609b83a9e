// rcpclean.dll: the library the product's uninstaller loads to remove the
// product's Start-menu program groups and its emptied program folder.
//
// The uninstaller calls both exports by name with three 32-bit arguments whose
// meaning is its own; the library needs none of them. The export names are
// fixed by rcpclean.def so 32-bit builds do not decorate them.
#include <windows.h>

#include "cleanup/folder_cleanup.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

// The opening call: nothing to prepare.
LONG WINAPI UninstInitialize(DWORD, DWORD, DWORD) { return 0; }

// The closing call, made once the uninstaller has deleted the product's files.
LONG WINAPI UninstUnInitialize(DWORD, DWORD, DWORD) {
  rcpclean::RemoveProductFolders(rcpclean::FamilyFromVersion(GetVersion()));
  return 0;
}

}  // extern "C"
