// Requests of rcpweb's pages into records and records into answers (see
// web_records.h). Every value is checked before any record is touched.
#include "web/web_records.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <utility>

#include "commands/phonebook_rules.h"
#include "pages/settings_values.h"
#include "widgets/input_class.h"

namespace {

std::string FieldText(const char* field, size_t size) { return Cp1252ToUtf8(std::string(field, strnlen(field, size))); }
template <size_t N>
std::string FieldText(const char (&field)[N]) {
  return FieldText(field, N);
}

std::string EntryError(size_t index, const char* what) {
  char text[160];
  std::snprintf(text, sizeof text, "Entrada %u: %s", static_cast<unsigned>(index + 1), what);
  return text;
}

// The pages' own list texts: Windows-1252 in Windows builds, UTF-8 elsewhere.
std::string ProgramText(const char* text) { return DecodeContactsText(text); }

bool AllAdmitted(const std::string& text, int32_t inputClass) {
  for (unsigned char c : text)
    if (c >= 128 || !IsAdmitted(inputClass, c)) return false;
  return true;
}

// A field as the editor leaves it after typing: capitals, nothing above 127.
// False when the text had anything above 127: that never reaches a record.
bool EditorText(const std::string& text, std::string& out) {
  CleanedField cleaned = CleanChangedField(text, 0);
  out = std::move(cleaned.text);
  return cleaned.dropped == 0;
}

bool GetInt(const Json& values, const char* key, int& out, std::string& error) {
  auto it = values.find(key);
  if (it == values.end()) {
    error = std::string("Falta o campo \"") + key + "\".";
    return false;
  }
  if (!it->is_number_integer()) {
    error = std::string("O campo \"") + key + "\" deve ser um número inteiro.";
    return false;
  }
  const auto v = it->get<long long>();
  if (v < -1000000 || v > 1000000) {
    error = std::string("O campo \"") + key + "\" está fora dos limites.";
    return false;
  }
  out = static_cast<int>(v);
  return true;
}

bool InRange(int value, int minimum, int maximum, const char* key, std::string& error) {
  if (value >= minimum && value <= maximum) return true;
  char text[160];
  std::snprintf(text, sizeof text, "O campo \"%s\" deve estar entre %d e %d.", key, minimum, maximum);
  error = text;
  return false;
}

constexpr const char* kSettingsChecks[] = {"autoJournal", "localId", "rxReduction", "horizontalReduction",
                                           "ecmMode", "memoryTransmission", "powerSaveOn"};
constexpr int SettingsValues::*kSettingsCheckFields[] = {
    &SettingsValues::autoJournal, &SettingsValues::localId,
    &SettingsValues::rxReduction, &SettingsValues::horizontalReduction,
    &SettingsValues::ecmMode,     &SettingsValues::memoryTransmission,
    &SettingsValues::powerSaveOn};
constexpr const char* kNumberKeys[] = {"discard", "redialInterval", "rings", "redialCount"};
static_assert(std::size(kNumberKeys) == std::size(kNumberFields));
constexpr const char* kAdvancedChecks[] = {"alarmSound", "keySound", "tonerSave", "notifyTonerLow"};
constexpr int AdvancedValues::*kAdvancedCheckFields[] = {&AdvancedValues::alarmSound, &AdvancedValues::keySound,
                                                         &AdvancedValues::tonerSave,
                                                         &AdvancedValues::notifyTonerLow};
// Lists the Settings page keeps hidden: a form need not carry them.
bool HiddenList(const char* key) { return !std::strcmp(key, "tray2Size") || !std::strcmp(key, "autoClear"); }

const char* InputClassName(int32_t inputClass) {
  switch (inputClass) {
    case NameText: return "name";
    case DigitsPlus: return "digitsPlus";
    case DialSpaced: return "dialSpaced";
    default: return "dial";
  }
}

// The code points 0..255 of a UTF-8 text as bytes (how the page sends a file).
bool Latin1Bytes(const std::string& utf8, std::string& out) {
  out.clear();
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size() &&
               (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
      out += static_cast<char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseRequestBody(const std::string& body, Json& out, std::string& error) {
  // Nesting is counted before parsing, outside strings.
  int depth = 0;
  bool inString = false, escaped = false;
  for (char c : body) {
    if (inString) {
      if (escaped) escaped = false;
      else if (c == '\\') escaped = true;
      else if (c == '"') inString = false;
      continue;
    }
    if (c == '"') inString = true;
    else if (c == '[' || c == '{') {
      if (++depth > kMaxJsonDepth) {
        error = "O pedido tem níveis demais.";
        return false;
      }
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  out = Json::parse(body, nullptr, false);
  if (out.is_discarded() || !out.is_object()) {
    error = "O pedido não é um objeto JSON válido.";
    return false;
  }
  return true;
}

std::string Fingerprint(const Json& shown) {
  // Not a secret: only a way to notice that the records changed.
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : shown.dump(-1, ' ', false, Json::error_handler_t::replace)) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

Json InfoJson(const SystemInfo& info) {
  // The machine pads its texts with blanks.
  auto text = [](const auto& field) {
    std::string t = FieldText(field);
    t.erase(t.find_last_not_of(' ') + 1);
    return t;
  };
  return Json{{"modelName", text(info.modelName)},
              {"firmwareVersion", text(info.firmwareVersion)},
              {"engineVersion", text(info.engineVersion)},
              {"emulation1Version", text(info.emulation1Version)},
              {"emulation2Version", text(info.emulation2Version)},
              {"freeMemoryPercent", info.freeMemoryPercent},
              {"platenScanCount", info.platenScanCount},
              {"adfScanCount", info.adfScanCount},
              {"printCount", info.printCount},
              {"drumCount", info.drumCount},
              {"adfJamCount", info.adfJamCount},
              {"printJamCount", info.printJamCount}};
}

Json PhonebookJson(const PhonebookEntry* table, size_t count) {
  Json entries = Json::array();
  for (size_t i = 0; i < count; ++i) {
    const PhonebookEntry& e = table[i];
    const bool group = IsGroupDial(e);
    entries.push_back({{"name", FieldText(e.name)}, {"number", group ? "" : FieldText(e.number)}, {"group", group}});
  }
  return entries;
}

bool DecodePhonebook(const Json& body, const PhonebookEntry* current, size_t count, std::vector<PhonebookEntry>& out,
                     std::string& error) {
  auto it = body.find("entries");
  if (it == body.end() || !it->is_array() || it->size() != count) {
    error = "O pedido deve trazer as " + std::to_string(count) + " entradas do diretório.";
    return false;
  }
  std::vector<PhonebookEntry> decoded(current, current + count);
  for (size_t i = 0; i < count; ++i) {
    const Json& item = (*it)[i];
    if (!item.is_object() || !item.contains("name") || !item["name"].is_string() || !item.contains("number") ||
        !item["number"].is_string()) {
      error = EntryError(i, "deve ter um nome e um número em texto.");
      return false;
    }
    const bool group = item.value("group", false);
    if (IsGroupDial(current[i])) {
      if (!group || item["name"].get<std::string>() != FieldText(current[i].name)) {
        error = EntryError(i, "a discagem de grupo não pode ser alterada aqui.");
        return false;
      }
      continue;  // kept as the machine holds it
    }
    if (group) {
      error = EntryError(i, "não é uma discagem de grupo.");
      return false;
    }
    std::string name, number;
    if (!EditorText(item["name"].get<std::string>(), name) || !AllAdmitted(name, NameText)) {
      error = EntryError(i, "o nome tem caracteres que a máquina não aceita.");
      return false;
    }
    if (name.size() > kEntryNameChars) {
      error = EntryError(i, "o nome tem mais de 20 caracteres.");
      return false;
    }
    if (!EditorText(item["number"].get<std::string>(), number) || !AllAdmitted(number, DialString)) {
      error = EntryError(i, "o número tem caracteres que não se discam.");
      return false;
    }
    if (number.size() > kEntryNumberChars) {
      error = EntryError(i, "o número tem mais de 46 caracteres.");
      return false;
    }
    if ((!name.empty() || !number.empty()) && !IsAcceptableNumber(number)) {
      error = EntryError(i, "o número precisa de mais de dois caracteres, ao menos um deles um dígito.");
      return false;
    }
    StoreEntry(decoded[i], name, number);
  }
  out = std::move(decoded);
  return true;
}

Json SettingsJson(const SettingsBlock& record) {
  SettingsValues v;
  FillSettings(record, v, true);
  Json out;
  for (const SettingsList& list : kSettingsLists) out[list.key] = v.*list.value;
  for (size_t i = 0; i < std::size(kSettingsChecks); ++i) out[kSettingsChecks[i]] = v.*kSettingsCheckFields[i];
  for (size_t i = 0; i < std::size(kNumberKeys); ++i) out[kNumberKeys[i]] = ParseNumber(v.*kNumberFields[i].text);
  return out;
}

Json AdvancedJson(const SystemInfo& record) {
  SystemInfo copy = record;
  AdvancedValues v;
  FillAdvanced(copy, v);
  Json out;
  for (const AdvancedList& list : kAdvancedLists) out[list.key] = v.*list.value;
  for (size_t i = 0; i < std::size(kAdvancedChecks); ++i) out[kAdvancedChecks[i]] = v.*kAdvancedCheckFields[i];
  for (const AdvancedText& text : kAdvancedTexts) out[text.key] = Cp1252ToUtf8(v.*text.text);
  return out;
}

Json SettingsForms() {
  Json settings = Json::array(), advanced = Json::array();
  for (const SettingsList& list : kSettingsLists) {
    Json texts = Json::array();
    for (const char* t : list.texts) texts.push_back(ProgramText(t));
    settings.push_back({{"key", list.key}, {"kind", "list"}, {"texts", texts}, {"hidden", HiddenList(list.key)}});
  }
  for (size_t i = 0; i < std::size(kNumberKeys); ++i)
    settings.push_back({{"key", kNumberKeys[i]},
                        {"kind", "number"},
                        {"min", kNumberFields[i].minimum},
                        {"max", kNumberFields[i].maximum}});
  for (const char* key : kSettingsChecks) settings.push_back({{"key", key}, {"kind", "check"}});
  for (const AdvancedList& list : kAdvancedLists) {
    Json texts = Json::array();
    for (const char* t : list.texts) texts.push_back(ProgramText(t));
    advanced.push_back({{"key", list.key}, {"kind", "list"}, {"texts", texts}});
  }
  for (const char* key : kAdvancedChecks) advanced.push_back({{"key", key}, {"kind", "check"}});
  for (const AdvancedText& text : kAdvancedTexts)
    advanced.push_back(
        {{"key", text.key}, {"kind", "text"}, {"limit", text.limit}, {"chars", InputClassName(text.inputClass)}});
  return Json{{"settings", settings}, {"advanced", advanced}};
}

bool DecodeSettings(const Json& values, SettingsBlock& record, std::string& error) {
  if (!values.is_object()) {
    error = "Faltam as configurações.";
    return false;
  }
  SettingsValues v;
  FillSettings(record, v, true);
  for (const SettingsList& list : kSettingsLists) {
    if (HiddenList(list.key) && !values.contains(list.key)) continue;
    if (!GetInt(values, list.key, v.*list.value, error) ||
        !InRange(v.*list.value, 0, static_cast<int>(list.texts.size()) - 1, list.key, error))
      return false;
  }
  for (size_t i = 0; i < std::size(kSettingsChecks); ++i)
    if (!GetInt(values, kSettingsChecks[i], v.*kSettingsCheckFields[i], error) ||
        !InRange(v.*kSettingsCheckFields[i], 0, 1, kSettingsChecks[i], error))
      return false;
  for (size_t i = 0; i < std::size(kNumberKeys); ++i) {
    int n = 0;
    if (!GetInt(values, kNumberKeys[i], n, error) ||
        !InRange(n, kNumberFields[i].minimum, kNumberFields[i].maximum, kNumberKeys[i], error))
      return false;
    v.*kNumberFields[i].text = std::to_string(n);
  }
  StoreSettings(v, record);
  return true;
}

bool DecodeAdvanced(const Json& values, SystemInfo& record, std::string& error) {
  if (!values.is_object()) {
    error = "Faltam as configurações avançadas.";
    return false;
  }
  SystemInfo copy = record;
  AdvancedValues v;
  FillAdvanced(copy, v);
  for (const AdvancedList& list : kAdvancedLists)
    if (!GetInt(values, list.key, v.*list.value, error) ||
        !InRange(v.*list.value, 0, static_cast<int>(list.texts.size()) - 1, list.key, error))
      return false;
  for (size_t i = 0; i < std::size(kAdvancedChecks); ++i)
    if (!GetInt(values, kAdvancedChecks[i], v.*kAdvancedCheckFields[i], error) ||
        !InRange(v.*kAdvancedCheckFields[i], 0, 1, kAdvancedChecks[i], error))
      return false;
  for (const AdvancedText& text : kAdvancedTexts) {
    auto it = values.find(text.key);
    if (it == values.end() || !it->is_string()) {
      error = std::string("O campo \"") + text.key + "\" deve ser um texto.";
      return false;
    }
    const std::string s = it->get<std::string>();
    if (!AllAdmitted(s, text.inputClass)) {
      error = std::string("O campo \"") + text.key + "\" tem caracteres que a máquina não aceita.";
      return false;
    }
    if (s.size() > static_cast<size_t>(text.limit)) {
      error = std::string("O campo \"") + text.key + "\" tem mais de " + std::to_string(text.limit) + " caracteres.";
      return false;
    }
    v.*text.text = s;
  }
  StoreAdvanced(v, record);
  return true;
}

bool DecodeImport(const Json& body, ImportRequest& out, std::string& error) {
  auto file = body.find("file");
  if (file == body.end() || !file->is_string() || !Latin1Bytes(file->get<std::string>(), out.bytes)) {
    error = "O arquivo de contatos não veio no pedido.";
    return false;
  }
  const std::string mode = body.value("mode", std::string("fill"));
  if (mode != "fill" && mode != "replace") {
    error = "O modo de importação deve ser \"fill\" ou \"replace\".";
    return false;
  }
  out.mode = mode == "replace" ? ImportMode::ReplaceAll : ImportMode::FillEmpty;
  auto prefix = body.find("prefix");
  if (prefix != body.end()) {
    if (!prefix->is_string() || prefix->get<std::string>().size() > 6 ||
        !AllAdmitted(prefix->get<std::string>(), DialString)) {
      error = "O prefixo internacional deve ter até 6 caracteres de discagem.";
      return false;
    }
    out.prefix = prefix->get<std::string>();
  }
  auto column = body.find("numberColumn");
  if (column != body.end()) {
    if (!column->is_string()) {
      error = "A coluna de números deve ser um texto.";
      return false;
    }
    out.numberColumn = column->get<std::string>();
  }
  return true;
}

std::string ImportNotesText(unsigned notes) {
  static const std::pair<unsigned, const char*> kTexts[] = {
      {kNoteNoNumber, "ignorado: sem número"},   {kNoteNoFreeSlot, "ignorado: sem posição livre"},
      {kNoteGroupDial, "ignorado: discagem em grupo"}, {kNoteAccentsRemoved, "acentos removidos"},
      {kNoteCharsDropped, "caracteres omitidos"}, {kNoteNameCut, "nome cortado"},
      {kNoteNumberChanged, "número ajustado"},    {kNoteNumberCut, "número cortado"}};
  std::string text;
  for (const auto& [note, words] : kTexts) {
    if (!(notes & note)) continue;
    if (!text.empty()) text += ", ";
    text += words;
  }
  return text;
}

Json ImportPreview(const ImportRequest& request, const PhonebookEntry* table, size_t count, const FoldName& fold,
                   std::string& error) {
  CsvOptions options;
  options.numberColumn = request.numberColumn;
  ContactsReadResult read = ReadContacts(request.bytes, options);
  switch (read.error) {
    case ContactsError::None: break;
    case ContactsError::NoNumberColumn: break;  // the user chooses the column
    case ContactsError::TooLarge:
      error = "O arquivo de contatos tem mais de 16 MB e não foi lido. Nenhum contato foi importado.";
      return {};
    case ContactsError::Empty: error = "O arquivo de contatos está vazio. Nenhum contato foi importado."; return {};
    case ContactsError::Malformed:
      error = "O arquivo de contatos está danificado. Nenhum contato foi importado.";
      return {};
    case ContactsError::NoColumns:
      error = "O arquivo não tem uma coluna de nome. Nenhum contato foi importado.";
      return {};
    case ContactsError::NoContacts: error = "O arquivo não tem contatos. Nenhum contato foi importado."; return {};
  }
  const std::vector<ImportRow> rows =
      PlanImport(table, count, read.contacts, request.mode, request.prefix, fold);
  std::vector<PhonebookEntry> after(table, table + count);
  ApplyImport(after.data(), count, request.mode, rows);
  Json shown = Json::array();
  int taken = 0;
  for (const ImportRow& row : rows) {
    if (row.slot >= 0) ++taken;
    shown.push_back({{"slot", row.slot >= 0 ? row.slot + 1 : 0},
                     {"contact", row.sourceName},
                     {"name", Cp1252ToUtf8(row.name)},
                     {"number", Cp1252ToUtf8(row.number)},
                     {"notes", ImportNotesText(row.notes)}});
  }
  char summary[160];
  std::snprintf(summary, sizeof summary, "%d de %d contatos serão gravados nas posições indicadas.", taken,
                static_cast<int>(rows.size()));
  Json headers = Json::array();
  for (const std::string& h : CsvHeaders(request.bytes)) headers.push_back(h);
  return Json{{"rows", shown}, {"summary", summary}, {"taken", taken}, {"headers", headers},
              {"entries", PhonebookJson(after.data(), count)}};
}
