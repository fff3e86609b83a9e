// The machine's use over time: every successful system-information read
// kept as one reading (time, serial number, model and the six counters) in a
// plain CSV file per machine, and the use per day, week and month worked
// out from the differences between readings. Portable: the files and the
// clock come through a HistoryStore, so tests use one in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commands/device_data.h"

// Local time to the second, as the PC's clock gives it.
struct HistoryTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The six counters in the record's order.
enum Counter : int { kPlatenScans, kAdfScans, kPrints, kDrum, kAdfJams, kPrintJams, kCounterCount };

struct Reading {
  HistoryTime time;
  std::string serial, model;  // printable ASCII, trailing blanks removed
  uint32_t counters[kCounterCount] = {};
};

// The reading the record holds now.
Reading ReadingOf(const SystemInfo& info, const HistoryTime& time);

// "2026-12-09 20:41:25"
std::string HistoryTimeText(const HistoryTime& time);

// The history file: UTF-8 with a byte-order mark, a header line a spreadsheet
// shows, then one line per reading. Only lines ended by a line break count,
// so a last line cut short by a crash or a full disk is left out; so is any
// line that does not read as a reading.
std::string HistoryHeader();
std::string ReadingLine(const Reading& reading);
// A field of a CSV line: quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);
std::vector<Reading> ParseHistory(const std::string& text);

// `text` with `reading` added at the end; the same text when the last
// reading has the same counters and is less than an hour away (kept once).
// A torn last line is dropped first.
std::string WithReading(const std::string& text, const Reading& reading, bool* added);

// The file name of a machine's history: its serial number, with anything a
// file name cannot hold replaced.
std::string HistoryFileName(const std::string& serial);

// Where the histories live (the user's application data on Windows).
class HistoryStore {
 public:
  virtual ~HistoryStore() = default;
  // The whole file; true and empty when there is none yet; false when it
  // exists but cannot be read.
  virtual bool Read(const std::string& name, std::string& text) = 0;
  // Written whole beside the old file, then swapped in: a failure (a full
  // disk, a crash) leaves the old file as it was.
  virtual bool Replace(const std::string& name, const std::string& text) = 0;
  // The names of the histories kept.
  virtual std::vector<std::string> Names() = 0;
  virtual HistoryTime Now() = 0;
};

// `text` written whole beside `path` and swapped in, so a failure leaves
// the old file as it was (the platform's own; false on other builds).
bool ReplaceWholeFile(const std::string& path, const std::string& text);

// The installed store; installing nullptr restores the platform's own.
HistoryStore& TheHistoryStore();
void InstallHistoryStore(HistoryStore* store);

enum class KeepResult { Kept, Unchanged, Failed };
// Keeps what the record holds now in its machine's history.
KeepResult KeepReading(const SystemInfo& info);
KeepResult KeepReading(HistoryStore& store, const Reading& reading);
// From now on every successful system-information read keeps a reading.
void KeepEveryReading();

// One machine's history as kept.
struct MachineHistory {
  std::string serial, model;
  std::vector<Reading> readings;  // oldest first
};
// Every machine with at least one reading, the one read most recently first.
std::vector<MachineHistory> LoadHistories(HistoryStore& store);
// The history of the machine with this serial number (empty when none).
MachineHistory LoadHistory(HistoryStore& store, const std::string& serial);
// What a front end shows: the history of the machine it read (`serial`),
// else the one read most recently; empty when there is none.
MachineHistory HistoryToShow(HistoryStore& store, const std::string& serial);
