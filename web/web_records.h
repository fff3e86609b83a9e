// What rcpweb's pages send and receive, turned into the machine's records and
// back, with the panel's own rules (the entry editor's, the settings pages'
// lists and limits). Anything a rule refuses is an error message for the
// page; nothing half-decoded ever reaches a record. Portable: no windows.h.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "commands/device_data.h"
#include "files/contacts.h"

using Json = nlohmann::json;

// The deepest nesting any request of ours has; deeper bodies are refused
// before they are parsed.
constexpr int kMaxJsonDepth = 6;

// Parses a request body: false, with a message, for anything that is not a
// JSON object within the nesting limit.
bool ParseRequestBody(const std::string& body, Json& out, std::string& error);

// A short fingerprint of a record as the page shows it, so that a write can
// tell whether the machine still holds what the page read.
std::string Fingerprint(const Json& shown);

// --- Máquina ---------------------------------------------------------------
Json InfoJson(const SystemInfo& info);

// --- Diretório telefônico --------------------------------------------------
// One object per entry: name, number (empty for a group dial) and group.
Json PhonebookJson(const PhonebookEntry* table, size_t count);
// {"entries": [...count entries...]} into `out`, against the table the
// machine holds: group dials must come back unchanged and are kept as they
// are; every other entry is empty or passes the editor's rules (capitals and
// the name characters, at most 20; dial characters, at most 46, at least
// three with a digit).
bool DecodePhonebook(const Json& body, const PhonebookEntry* current, size_t count,
                     std::vector<PhonebookEntry>& out, std::string& error);

// --- Configurações and Avançado ----------------------------------------------
// The page values by key, and the lists' texts and the numbers' ranges the
// forms are built from.
Json SettingsJson(const SettingsBlock& record);
Json AdvancedJson(const SystemInfo& record);
Json SettingsForms();
// Every key of the form, each within its list, range or character set; the
// record keeps whatever the form does not carry.
bool DecodeSettings(const Json& values, SettingsBlock& record, std::string& error);
bool DecodeAdvanced(const Json& values, SystemInfo& record, std::string& error);

// --- Importar contatos -------------------------------------------------------
struct ImportRequest {
  std::string bytes;  // the file as it is on disk
  ImportMode mode = ImportMode::FillEmpty;
  std::string prefix = "00";
  std::string numberColumn;
};
// {"file": <bytes as code points 0..255>, "mode": "fill"|"replace",
//  "prefix": "00", "numberColumn": ""}.
bool DecodeImport(const Json& body, ImportRequest& out, std::string& error);
// The preview: one row per contact and the entries as they would be; an
// error message when the file cannot be read.
Json ImportPreview(const ImportRequest& request, const PhonebookEntry* table, size_t count, const FoldName& fold,
                   std::string& error);
// "acentos removidos, número ajustado": one preview row's notes, as the panel words them.
std::string ImportNotesText(unsigned notes);
