// Fuzz target: any request body as rcpweb's handlers decode it (phonebook,
// settings, advanced settings, a contacts import and its preview). A body is
// either refused with a message or gives records whose texts stay within
// their fields and that pass the editor's rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "commands/phonebook_rules.h"
#include "web/web_records.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::vector<PhonebookEntry> Table() {
  std::vector<PhonebookEntry> table(kSpeedDialEntries);
  std::memset(table.data(), 0, table.size() * sizeof table[0]);
  std::strcpy(table[0].name, "ANA");
  std::strcpy(table[0].number, "1133445566");
  std::strcpy(table[3].name, "TURMA");
  table[3].number[0] = static_cast<char>(kGroupDialMark);
  return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  Json request;
  std::string error;
  if (!ParseRequestBody(body, request, error)) {
    Check(!error.empty());
    return 0;
  }
  const std::vector<PhonebookEntry> table = Table();
  std::vector<PhonebookEntry> entries;
  error.clear();
  if (DecodePhonebook(request, table.data(), table.size(), entries, error)) {
    Check(entries.size() == table.size());
    for (size_t i = 0; i < entries.size(); ++i) {
      const PhonebookEntry& e = entries[i];
      Check(e.name[kEntryNameChars] == '\0' && e.number[kEntryNumberChars] == '\0');
      if (IsGroupDial(table[i])) {
        Check(std::memcmp(&e, &table[i], sizeof e) == 0);
        continue;
      }
      Check(!IsGroupDial(e));
      Check((e.name[0] == '\0' && e.number[0] == '\0') || IsAcceptableNumber(e.number));
    }
  } else {
    Check(!error.empty());
  }

  SettingsBlock settings{};
  SystemInfo info{};
  error.clear();
  if (!DecodeSettings(request.value("settings", Json()), settings, error)) Check(!error.empty());
  error.clear();
  if (DecodeAdvanced(request.value("advanced", Json()), info, error)) {
    Check(info.terminalIdName[sizeof info.terminalIdName - 1] == '\0');
    Check(info.prefixDial[sizeof info.prefixDial - 1] == '\0');
  } else {
    Check(!error.empty());
  }
  // Every answer built from what was decoded can be written out.
  (void)Fingerprint(SettingsJson(settings));
  (void)Fingerprint(AdvancedJson(info));

  ImportRequest import;
  error.clear();
  if (DecodeImport(request, import, error)) {
    const FoldName fold = [](const std::string& text, bool*) { return text; };
    Json preview = ImportPreview(import, table.data(), table.size(), fold, error);
    if (error.empty()) (void)Fingerprint(preview);
  }
  return 0;
}
