// The main window's contacts commands over the contacts operations.
#include "pages/contacts_commands.h"

#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/app_shell.h"
#include "commands/device_data.h"
#include "files/choose_file.h"
#include "files/contacts.h"
#include "ops/machine_ops.h"
#include "pages/import_contacts.h"
#include "pages/page_set.h"
#include "pages/phonebook_page.h"
#include "res/resource.h"
#include "widgets/property_sheet.h"

namespace {

constexpr char kContactsOpenFilter[] =
    "Contatos (*.csv;*.vcf)|*.csv;*.vcf|All files (*.*)|*.*||";
constexpr char kContactsSaveFilter[] = "CSV (*.csv)|*.csv|vCard (*.vcf)|*.vcf||";

bool PhonebookPageActive() {
  return phonebookPage != nullptr && phonebookPage->GetHwnd() != nullptr && panelSheet != nullptr &&
         panelSheet->GetActivePage() == phonebookPage && phonebookTable != nullptr;
}

void TellUser(UINT textId) { ShowAppMessage(AppMainWindow(), textId, MB_OK | MB_ICONERROR); }

bool EndsWith(const std::string& path, const char* lowerExt) {
  const size_t n = std::strlen(lowerExt);
  if (path.size() < n) return false;
  std::string ext = path.substr(path.size() - n);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == lowerExt;
}

}  // namespace

void OnImportContacts() {
  if (!PhonebookPageActive()) return;
  std::string path;
  if (!ChooseFile(FileDialogMode::Open, nullptr, 0, kContactsOpenFilter, "", path)) return;
  ops::ContactsFile file = ops::ReadContactsFile(path);
  if (!file.ok()) {
    TellUser(IDS_FILE_READ_FAILED);
    return;
  }
  switch (file.read.error) {
    case ContactsError::None: break;
    case ContactsError::NoNumberColumn: break;  // the user chooses the column in the preview
    case ContactsError::TooLarge: TellUser(IDS_CONTACTS_TOO_LARGE); return;
    case ContactsError::Empty: TellUser(IDS_CONTACTS_EMPTY); return;
    case ContactsError::Malformed: TellUser(IDS_CONTACTS_MALFORMED); return;
    case ContactsError::NoColumns: TellUser(IDS_CONTACTS_NO_COLUMNS); return;
    case ContactsError::NoContacts: TellUser(IDS_CONTACTS_NONE); return;
  }
  CImportContacts preview(std::move(file.read.contacts), std::move(file.csvBytes));
  if (preview.DoModal() != IDOK) return;
  ops::ApplyContactsImport(preview.m_mode, preview.m_rows);
  phonebookPage->FillList();
}

void OnExportContacts() {
  if (!PhonebookPageActive()) return;
  std::string path;
  unsigned filter = 1;
  // The dialog gives a bare name the chosen type's extension.
  if (!ChooseFile(FileDialogMode::Save, "CSV", OFN_OVERWRITEPROMPT, kContactsSaveFilter, ".CSV", path, &filter))
    return;
  // The name's own extension decides when it is one of the two; any other
  // name is written in the type chosen in the dialog.
  const bool vcard = EndsWith(path, ".vcf") || (!EndsWith(path, ".csv") && filter == 2);
  if (!ops::ExportContacts(path, vcard).ok()) TellUser(IDS_FILE_WRITE_FAILED);
}
