// The main window's contacts commands and the name folding they use.
#include "files/contacts_commands.h"

#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/app_shell.h"
#include "commands/device_data.h"
#include "files/choose_file.h"
#include "files/contacts.h"
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

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  char buffer[16384];
  size_t got;
  // Contacts files are small: one byte past the limit is enough for the
  // reader to refuse a larger one, which is not read on without end.
  while (bytes.size() <= kMaxContactsFileBytes && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes.append(buffer, got);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

bool EndsWith(const std::string& path, const char* lowerExt) {
  const size_t n = std::strlen(lowerExt);
  if (path.size() < n) return false;
  std::string ext = path.substr(path.size() - n);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == lowerExt;
}

// The combining marks a decomposition splits off Latin letters. The
// platform's character types are no help here: some give letters like
// "Ø" the non-spacing flag, and dropping those would lose the letter.
bool IsMark(wchar_t c) {
  return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
         (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

}  // namespace

std::string FoldAccents(const std::string& utf8, bool* changed) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) return utf8;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  // Each accented letter becomes its base letter and a combining mark.
  const int m = FoldStringW(MAP_COMPOSITE, wide.c_str(), n, nullptr, 0);
  std::wstring split(static_cast<size_t>(m > 0 ? m : 0), L'\0');
  if (m <= 0 || FoldStringW(MAP_COMPOSITE, wide.c_str(), n, split.data(), m) <= 0) split = wide;
  std::wstring kept;
  for (wchar_t c : split) {
    if (IsMark(c)) {
      if (changed) *changed = true;
      continue;
    }
    kept += c;
  }
  const int k = WideCharToMultiByte(CP_UTF8, 0, kept.data(), static_cast<int>(kept.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(k > 0 ? k : 0), '\0');
  if (k > 0) WideCharToMultiByte(CP_UTF8, 0, kept.data(), static_cast<int>(kept.size()), out.data(), k, nullptr, nullptr);
  return out;
}

void OnImportContacts() {
  if (!PhonebookPageActive()) return;
  std::string path;
  if (!ChooseFile(FileDialogMode::Open, nullptr, 0, kContactsOpenFilter, "", path)) return;
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    TellUser(IDS_FILE_READ_FAILED);
    return;
  }
  ContactsReadResult read = ReadContacts(bytes);
  switch (read.error) {
    case ContactsError::None: break;
    case ContactsError::NoNumberColumn: break;  // the user chooses the column in the preview
    case ContactsError::TooLarge: TellUser(IDS_CONTACTS_TOO_LARGE); return;
    case ContactsError::Empty: TellUser(IDS_CONTACTS_EMPTY); return;
    case ContactsError::Malformed: TellUser(IDS_CONTACTS_MALFORMED); return;
    case ContactsError::NoColumns: TellUser(IDS_CONTACTS_NO_COLUMNS); return;
    case ContactsError::NoContacts: TellUser(IDS_CONTACTS_NONE); return;
  }
  const bool csv = !CsvHeaders(bytes).empty();
  CImportContacts preview(std::move(read.contacts), csv ? bytes : std::string());
  if (preview.DoModal() != IDOK) return;
  ApplyImport(phonebookTable, speedDialCount, preview.m_mode, preview.m_rows);
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
  const std::string bytes = vcard ? ExportVCard(phonebookTable, speedDialCount)
                                  : ExportCsv(phonebookTable, speedDialCount);
  if (!WriteWholeFile(path, bytes)) TellUser(IDS_FILE_WRITE_FAILED);
}
