// The settings-file commands of the main window (see settings_commands.h).
#include "files/settings_commands.h"

#include <windows.h>
#include <commdlg.h>

#include <string>

#include "app/app_shell.h"
#include "commands/commands.h"
#include "files/choose_file.h"
#include "files/settings_file.h"
#include "pages/advanced_page.h"
#include "pages/page_set.h"
#include "pages/settings_page.h"
#include "res/resource.h"

namespace {
constexpr char kSettingsExtension[] = ".STF";
constexpr char kSettingsDefaultExt[] = "STF";
}  // namespace

void OnLoadSettings() {
  std::string path;
  if (!ChooseFile(FileDialogMode::Open, nullptr, OFN_OVERWRITEPROMPT, kSettingsFilter, kSettingsExtension,
                  path))
    return;
  SettingsFileError error = SettingsFileError::None;
  bool loaded = LoadSettingsFile(path, &error) != 0;
  if (!loaded)
    ShowAppMessage(AppMainWindow(),
                   error == SettingsFileError::NotSettings ? IDS_SETTINGS_FILE_INVALID : IDS_FILE_READ_FAILED,
                   MB_ICONERROR);
  // After a failed load the records hold nothing from a file: the pages are
  // refilled all the same, and the Advanced page must still read the machine.
  ShowLoadedSettings(true, loaded);
}

void ShowLoadedSettings(bool settings, bool advanced) {
  if (settings && settingsPage && settingsPage->GetHwnd()) settingsPage->FillFromRecord();
  if (advancedPageOpen) {
    if (advancedPage) advancedPage->FillFromRecord();
  } else if (advanced) {
    // The page, when first opened, shows the loaded values instead of
    // reading the machine.
    advancedFromFile = true;
  }
}

void OnSaveSettings() {
  std::string path;
  if (!ChooseFile(FileDialogMode::Save, kSettingsDefaultExt, OFN_OVERWRITEPROMPT, kSettingsFilter,
                  kSettingsExtension, path))
    return;
  // Without the Advanced page the record may never have been read: take the
  // machine's values, whatever the answer (on failure what is held is saved).
  if (!advancedPageOpen) Mfp_GetSystemInfo();
  if (SaveSettingsFile(path) == 0) ShowAppMessage(AppMainWindow(), IDS_FILE_WRITE_FAILED, MB_ICONERROR);
}
