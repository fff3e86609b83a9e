// Removal of the product's empty folders at uninstall time (Win32).
//
// The exported entry point decides the Windows family from GetVersion and calls
// RemoveProductFolders; tests call it with either family directly, since the
// host they run on reports only one.
#pragma once

#include "cleanup/product_folders.h"

namespace rcpclean {

// Removes the program group "Veltra Quillmark K40 Series" from the user's
// Start-menu programs folder and, on the NT family, from the all-users one;
// then the program folder when it holds nothing. Only empty folders go: no file
// is ever deleted, and every failure is ignored.
void RemoveProductFolders(WindowsFamily family);

}  // namespace rcpclean
