// The history file and keeping a reading in it (see history.h).
#include "history/history.h"

#include "commands/commands.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr int kSecondsKeptOnce = 3600;

// Machine texts are fixed-width fields padded with blanks or NULs; a CSV
// file and a file name want plain text.
template <size_t N>
std::string PlainText(const char (&field)[N]) {
  std::string text;
  for (size_t i = 0; i < N && field[i]; ++i) {
    const unsigned char c = static_cast<unsigned char>(field[i]);
    text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// A spreadsheet runs a field that starts with one of these as a formula; an
// apostrophe before it (after any others) keeps it text, and is taken off on reading.
bool LooksLikeFormula(const std::string& text) {
  const size_t first = text.find_first_not_of('\'');
  return first != std::string::npos && std::string("=+-@").find(text[first]) != std::string::npos;
}

std::string Unshielded(const std::string& field) {
  return !field.empty() && field[0] == '\'' && LooksLikeFormula(field) ? field.substr(1) : field;
}

// One line's fields (without its line break); quotes as RFC 4180 has them.
std::vector<std::string> CsvFields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"')
        fields.back() += c;
      else if (i + 1 < line.size() && line[i + 1] == '"')
        fields.back() += line[++i];
      else
        quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  return fields;
}

bool ParseNumber(const std::string& text, uint64_t max, uint64_t* value) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > max) return false;
  *value = v;
  return true;
}

bool ParseTime(const std::string& text, HistoryTime* time) {
  // "YYYY-MM-DD HH:MM:SS"
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':')
    return false;
  uint64_t parts[6];
  const int at[6][2] = {{0, 4}, {5, 2}, {8, 2}, {11, 2}, {14, 2}, {17, 2}};
  for (int i = 0; i < 6; ++i)
    if (!ParseNumber(text.substr(at[i][0], at[i][1]), 9999, &parts[i])) return false;
  // Years of this machine's life only: a line edited by hand to the year 1
  // must not spread its counts over two thousand years of days.
  constexpr uint64_t kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (parts[0] < 2000 || parts[0] > 2099 || parts[1] < 1 || parts[1] > 12 || parts[2] < 1 ||
      parts[2] > kDays[parts[1] - 1] || (parts[1] == 2 && parts[2] == 29 && parts[0] % 4 != 0) || parts[3] > 23 ||
      parts[4] > 59 || parts[5] > 59)
    return false;
  *time = {static_cast<int>(parts[0]), static_cast<int>(parts[1]), static_cast<int>(parts[2]),
           static_cast<int>(parts[3]), static_cast<int>(parts[4]), static_cast<int>(parts[5])};
  return true;
}

bool ParseReading(const std::string& line, Reading* reading) {
  const std::vector<std::string> fields = CsvFields(line);
  if (fields.size() != 3 + kCounterCount || !ParseTime(fields[0], &reading->time)) return false;
  reading->serial = Unshielded(fields[1]);
  reading->model = Unshielded(fields[2]);
  for (int i = 0; i < kCounterCount; ++i) {
    uint64_t value = 0;
    if (!ParseNumber(fields[3 + i], 0xFFFFFFFFu, &value)) return false;
    reading->counters[i] = static_cast<uint32_t>(value);
  }
  return true;
}

// Seconds on a scale good for comparing two readings (not a calendar).
int64_t Seconds(const HistoryTime& t) {
  return ((((static_cast<int64_t>(t.year) * 12 + t.month) * 31 + t.day) * 24 + t.hour) * 60 + t.minute) * 60 +
         t.second;
}

// Readings in time order: a file edited by hand, or a clock put back, may hold them otherwise.
MachineHistory HistoryOf(const std::string& text) {
  MachineHistory history;
  history.readings = ParseHistory(text);
  std::stable_sort(history.readings.begin(), history.readings.end(),
                   [](const Reading& a, const Reading& b) { return Seconds(a.time) < Seconds(b.time); });
  if (!history.readings.empty()) {
    history.serial = history.readings.back().serial;
    history.model = history.readings.back().model;
  }
  return history;
}

HistoryStore* installedStore = nullptr;

}  // namespace

HistoryStore& PlatformHistoryStore();

Reading ReadingOf(const SystemInfo& info, const HistoryTime& time) {
  Reading reading;
  reading.time = time;
  reading.serial = PlainText(info.serialNumber);
  reading.model = PlainText(info.modelName);
  const uint32_t counters[kCounterCount] = {info.platenScanCount, info.adfScanCount, info.printCount,
                                            info.drumCount,       info.adfJamCount,  info.printJamCount};
  std::copy(counters, counters + kCounterCount, reading.counters);
  return reading;
}

std::string HistoryTimeText(const HistoryTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

std::string HistoryHeader() {
  // Spelled in UTF-8 bytes: Windows builds take plain literals as Windows-1252.
  return std::string(kBom) +
         "Data e hora,N\xC3\xBA" "mero de s\xC3\xA9" "rie,Modelo,"
         "Digitaliza\xC3\xA7\xC3\xB5" "es do vidro,Digitaliza\xC3\xA7\xC3\xB5" "es do AAO,Impress\xC3\xB5" "es,"
         "Fotoreceptor,Atolamentos do AAO,Atolamentos de impress\xC3\xA3o\r\n";
}

std::string CsvField(const std::string& field) {
  const std::string text = LooksLikeFormula(field) ? "'" + field : field;
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

std::string ReadingLine(const Reading& r) {
  std::string line = HistoryTimeText(r.time);
  line.append(",").append(CsvField(r.serial)).append(",").append(CsvField(r.model));
  for (uint32_t c : r.counters) line.append(",").append(std::to_string(c));
  return line.append("\r\n");
}

std::vector<Reading> ParseHistory(const std::string& text) {
  std::vector<Reading> readings;
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; start = end + 1, end = text.find('\n', start)) {
    Reading reading;
    if (ParseReading(text.substr(start, end - start), &reading)) readings.push_back(reading);
  }
  return readings;
}

std::string WithReading(const std::string& text, const Reading& reading, bool* added) {
  // Only what ends in a line break is whole.
  const size_t whole = text.rfind('\n');
  std::string kept = whole == std::string::npos ? std::string() : text.substr(0, whole + 1);
  if (kept.empty()) kept = HistoryHeader();
  // Only the last reading matters: the lines are read from the end, so a
  // history of years costs no more than one of days.
  Reading last;
  bool haveLast = false;
  for (size_t end = kept.size() - 1; end != std::string::npos && !haveLast;) {
    const size_t before = end == 0 ? std::string::npos : kept.rfind('\n', end - 1);
    const size_t start = before == std::string::npos ? 0 : before + 1;
    haveLast = ParseReading(kept.substr(start, end - start), &last);
    end = before;
  }
  if (haveLast) {
    const int64_t apart = std::llabs(Seconds(reading.time) - Seconds(last.time));
    if (apart < kSecondsKeptOnce && std::equal(last.counters, last.counters + kCounterCount, reading.counters)) {
      *added = false;
      return text;
    }
  }
  *added = true;
  return kept + ReadingLine(reading);
}

std::string HistoryFileName(const std::string& serial) {
  std::string name;
  for (char c : serial) {
    const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
                       c == '_' || c == '.';
    name += plain ? c : '_';
  }
  // "." and ".." are no file names of ours.
  if (name.find_first_not_of('.') == std::string::npos) name = "sem-numero-de-serie";
  return name + ".csv";
}

HistoryStore& TheHistoryStore() { return installedStore ? *installedStore : PlatformHistoryStore(); }
void InstallHistoryStore(HistoryStore* store) { installedStore = store; }

KeepResult KeepReading(const SystemInfo& info) {
  HistoryStore& store = TheHistoryStore();
  return KeepReading(store, ReadingOf(info, store.Now()));
}

KeepResult KeepReading(HistoryStore& store, const Reading& reading) {
  const std::string name = HistoryFileName(reading.serial);
  std::string text;
  // A file that exists but cannot be read is never written over.
  if (!store.Read(name, text)) return KeepResult::Failed;
  bool added = false;
  const std::string next = WithReading(text, reading, &added);
  if (!added) return KeepResult::Unchanged;
  return store.Replace(name, next) ? KeepResult::Kept : KeepResult::Failed;
}

void KeepEveryReading() {
  // A reading that cannot be kept costs the user nothing: the read itself succeeded.
  SetSystemInfoListener([](const SystemInfo& info) { KeepReading(info); });
}

MachineHistory LoadHistory(HistoryStore& store, const std::string& serial) {
  std::string text;
  return store.Read(HistoryFileName(serial), text) ? HistoryOf(text) : MachineHistory{};
}

MachineHistory HistoryToShow(HistoryStore& store, const std::string& serial) {
  if (!serial.empty()) {
    MachineHistory history = LoadHistory(store, serial);
    if (!history.readings.empty()) return history;
  }
  std::vector<MachineHistory> all = LoadHistories(store);
  return all.empty() ? MachineHistory{} : std::move(all.front());
}

std::vector<MachineHistory> LoadHistories(HistoryStore& store) {
  std::vector<MachineHistory> histories;
  for (const std::string& name : store.Names()) {
    std::string text;
    if (!store.Read(name, text)) continue;
    MachineHistory history = HistoryOf(text);
    if (!history.readings.empty()) histories.push_back(std::move(history));
  }
  std::stable_sort(histories.begin(), histories.end(), [](const MachineHistory& a, const MachineHistory& b) {
    return Seconds(a.readings.back().time) > Seconds(b.readings.back().time);
  });
  return histories;
}
