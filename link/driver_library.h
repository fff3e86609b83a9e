// Loading a library of the machine's driver package (Win32 only).
#pragma once

// Loads `name` ("usbduct.dll" and the like) from the program's folder, the
// system folder, the 16-bit system folder or the Windows folder, the first
// that holds it; never from the current directory or PATH. nullptr when none
// holds a library of that name that loads.
void* LoadDriverLibrary(const char* name);
