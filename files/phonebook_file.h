// Phonebook files (.PBF): the whole phonebook table behind a fixed header
// (pbf_format.h), and the main window's commands that save and load them.
#pragma once

// Why a load failed.
enum class PhonebookFileError {
  None,
  CannotOpen,    // the file cannot be opened or read
  NotPhonebook,  // its header does not carry the phonebook signature
};

// Writes the header and every entry of the table. The bytes go to a new file
// beside `path` first, which then replaces `path`: a save that fails halfway
// leaves the old file as it was. False when anything fails.
bool SavePhonebookFile(const char* path);

// Replaces the table's entries with the file's, as far as the file goes. On
// failure the table is unchanged and `error` (when given) says why.
bool LoadPhonebookFile(const char* path, PhonebookFileError* error = nullptr);

// The main window's "Carregar diretório telefônico" and "Salvar diretório
// telefônico": each asks for a file, loads or saves it and tells the user
// when that failed. Loading refills the phonebook page's list. Both do
// nothing unless the phonebook page is the active page.
void OnLoadPhonebook();
void OnSavePhonebook();
