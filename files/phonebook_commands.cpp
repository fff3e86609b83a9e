// The main window's phonebook file commands: choose a file, save or load it,
// refill the page, tell the user when it failed.
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "app/app_shell.h"
#include "commands/device_data.h"
#include "files/choose_file.h"
#include "files/phonebook_file.h"
#include "pages/page_set.h"
#include "pages/phonebook_page.h"
#include "res/resource.h"
#include "widgets/property_sheet.h"

namespace {

constexpr char kPhonebookExtension[] = ".PBF";

// The menu items are grey otherwise, but a command message can still come
// from outside: without the page there is no list to refill, without a
// table nothing to save.
bool PhonebookPageActive() {
  return phonebookPage != nullptr && phonebookPage->GetHwnd() != nullptr && panelSheet != nullptr &&
         panelSheet->GetActivePage() == phonebookPage && phonebookTable != nullptr;
}

void TellUser(UINT textId) { ShowAppMessage(AppMainWindow(), textId, MB_OK | MB_ICONERROR); }

}  // namespace

void OnLoadPhonebook() {
  if (!PhonebookPageActive()) return;
  std::string path;
  if (!ChooseFile(FileDialogMode::Open, nullptr, 0, kPhonebookFilter, kPhonebookExtension, path)) return;
  PhonebookFileError error = PhonebookFileError::None;
  if (LoadPhonebookFile(path.c_str(), &error)) {
    phonebookPage->FillList();
    return;
  }
  TellUser(error == PhonebookFileError::NotPhonebook ? IDS_PHONEBOOK_FILE_INVALID : IDS_FILE_READ_FAILED);
}

void OnSavePhonebook() {
  if (!PhonebookPageActive()) return;
  std::string path;
  if (!ChooseFile(FileDialogMode::Save, "PBF", OFN_OVERWRITEPROMPT, kPhonebookFilter, kPhonebookExtension, path))
    return;
  if (!SavePhonebookFile(path.c_str())) TellUser(IDS_FILE_WRITE_FAILED);
}
