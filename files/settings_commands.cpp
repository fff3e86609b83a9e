// The settings-file commands of the main window (see settings_commands.h).
#include "files/settings_commands.h"

#include <windows.h>
#include <commdlg.h>

#include <string>

#include "app/app_shell.h"
#include "files/choose_file.h"
#include "ops/machine_ops.h"
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
  const ops::Outcome loaded = ops::LoadSettingsFile(path);
  if (!loaded.ok())
    ShowAppMessage(AppMainWindow(),
                   loaded.failure == ops::Failure::NotSettingsFile ? IDS_SETTINGS_FILE_INVALID : IDS_FILE_READ_FAILED,
                   MB_ICONERROR);
  // After a failed load the records hold nothing from a file: the pages are
  // refilled all the same, and the Advanced page must still read the machine.
  ShowLoadedSettings(true, loaded.ok());
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
  if (!advancedPageOpen) ops::ReadSystemInfo(0);
  if (!ops::SaveSettingsFile(path).ok()) ShowAppMessage(AppMainWindow(), IDS_FILE_WRITE_FAILED, MB_ICONERROR);
}
