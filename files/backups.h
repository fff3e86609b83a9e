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

// Writes a dated backup of `bytes` and removes the oldest beyond 20 of that
// kind. False when the file could not be written.
bool KeepBackup(BackupKind kind, const std::vector<uint8_t>& bytes);
// The backups of that kind, newest first: file names within BackupFolder().
std::vector<std::string> ListBackups(BackupKind kind);

// "Restaurar cópia de segurança...": on the phonebook page lists the
// phonebook backups and loads the chosen one into the table and the list,
// to be sent with "Gravação" like any loaded file.
void OnRestoreBackup();
