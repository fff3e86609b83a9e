// The main window's settings-file commands: 40011 loads a file into the
// device records and refills the Settings and Advanced pages, 40012 saves
// the records into a file. The file is chosen in the standard dialog; a file
// that cannot be read or written, or is not a settings file, is reported.
#pragma once

void OnLoadSettings();
void OnSaveSettings();
// After a load into the records: the pages show what was taken; an
// Advanced page not opened yet shows the loaded values when it first opens.
void ShowLoadedSettings(bool settings, bool advanced);
