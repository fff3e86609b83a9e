// Backups of what the machine held, kept in the user's application-data
// folder before every write to it, and the main window's command that lists
// them and loads one into the page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/backup_names.h"

// "<application data>\Dalvenor\Backups", made when missing. Tests put their
// own folder in BackupFolderOverride().
std::string BackupFolder();
std::string& BackupFolderOverride();

// Writes a dated backup of `bytes` in a file of its own (never over another)
// and removes the oldest beyond 20 of that kind, never the one just written.
// False when the file could not be written.
bool KeepBackup(BackupKind kind, const std::vector<uint8_t>& bytes);
// The backups of that kind, newest first: file names within BackupFolder().
std::vector<std::string> ListBackups(BackupKind kind);

// Before either settings page's "Aplicar": a settings file (.STF) of what
// the machine held as last read or sent, with the sections the pages know.
// Nothing when neither page has had an answer.
void KeepSettingsBackup();

// "Restaurar cópia de segurança...": lists the backups of the active page's
// kind (phonebook, or settings on the two settings pages) and loads the
// chosen one into the records and the pages, to be sent with "Gravação" or
// "Aplicar" like any loaded file.
void OnRestoreBackup();
