// The machine's use over time: the monthly figures, keeping a reading once,
// and a history cut short by a crash.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "history/history.h"
#include "history/usage.h"

namespace {

HistoryTime At(const char* text) {
  HistoryTime t;
  std::sscanf(text, "%d-%d-%d %d:%d:%d", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second);
  return t;
}

Reading R(const char* time, uint32_t prints, uint32_t platen = 0, uint32_t adf = 0, uint32_t jams = 0) {
  Reading r;
  r.time = At(time);
  r.serial = "K40-0001";
  r.model = "QUILLMARK K40, FAX";
  r.counters[kPrints] = prints;
  r.counters[kPlatenScans] = platen;
  r.counters[kAdfScans] = adf;
  r.counters[kPrintJams] = jams;
  return r;
}

// Months December 2025 to March 2026: -1 where the readings do not reach.
struct MonthRow {
  const char* what;
  std::vector<Reading> readings;
  int prints[4];
  int scans[4];
};

TEST(UsageHistory, MonthlyFiguresFromTheDifferences) {
  const MonthRow rows[] = {
      {"a gap over a month boundary is shared by the hours on each side",
       {R("2026-01-31 22:00:00", 0, 10), R("2026-02-01 02:00:00", 40, 30)},
       {-1, 20, 20, -1},
       {-1, 10, 10, -1}},
      {"a long gap is spread over the days it covers",
       {R("2026-01-01 00:00:00", 0), R("2026-03-01 00:00:00", 590)},
       {-1, 310, 280, 0},
       {-1, 0, 0, 0}},
      {"a counter that goes down starts again and never counts as negative",
       {R("2026-01-05 08:00:00", 1000, 500), R("2026-01-20 08:00:00", 1500, 600),
        R("2026-02-03 08:00:00", 20, 600), R("2026-02-20 08:00:00", 120, 5), R("2026-02-25 08:00:00", 130, 8)},
       {-1, 500, 110, -1},
       {-1, 100, 3, -1}},
      {"duplicate readings and readings out of order count once",
       {R("2026-01-20 12:00:00", 50, 7, 1), R("2026-01-10 12:00:00", 0), R("2026-01-10 12:00:00", 0),
        R("2026-01-20 12:00:00", 50, 7, 1), R("2026-01-20 12:00:00", 50, 7, 1)},
       {-1, 50, -1, -1},
       {-1, 8, -1, -1}},
      {"one reading knows its month and no use",
       {R("2025-12-24 18:00:00", 123456, 7)},
       {0, -1, -1, -1},
       {0, -1, -1, -1}},
  };
  for (const MonthRow& row : rows) {
    const std::vector<PeriodUsage> months = UsagePerMonth(UsagePerDay(row.readings), 2026, 3, 4);
    ASSERT_EQ(months.size(), 4u);
    for (int i = 0; i < 4; ++i) {
      const int prints = months[i].known ? static_cast<int>(months[i].use.Prints()) : -1;
      const int scans = months[i].known ? static_cast<int>(months[i].use.Scans()) : -1;
      EXPECT_EQ(prints, row.prints[i]) << row.what << ", month " << months[i].month;
      EXPECT_EQ(scans, row.scans[i]) << row.what << ", month " << months[i].month;
    }
  }
  // Weeks and days share the spreading: a week of even use, Monday to Sunday.
  const DailyUsage daily = UsagePerDay({R("2026-03-02 00:00:00", 0), R("2026-03-09 00:00:00", 700)});
  const std::vector<PeriodUsage> weeks = UsagePerWeek(daily, DayNumber(2026, 3, 9), 2);
  EXPECT_EQ(weeks[0].firstDay, DayNumber(2026, 3, 2));
  EXPECT_EQ(weeks[0].use.Prints(), 700u);
  EXPECT_EQ(daily.Between(DayNumber(2026, 3, 4), DayNumber(2026, 3, 4)).Prints(), 100u);
}

// Files in memory; Replace can be made to fail as a full disk would.
class MemoryStore final : public HistoryStore {
 public:
  bool Read(const std::string& name, std::string& text) override {
    if (unreadable) return false;
    text = files[name];
    return true;
  }
  bool Replace(const std::string& name, const std::string& text) override {
    if (diskFull) return false;
    files[name] = text;
    return true;
  }
  std::vector<std::string> Names() override {
    std::vector<std::string> names;
    for (const auto& [name, text] : files) names.push_back(name);
    return names;
  }
  HistoryTime Now() override { return now; }

  std::map<std::string, std::string> files;
  HistoryTime now;
  bool diskFull = false, unreadable = false;
};

TEST(UsageHistory, ReadingsKeptOnceWithinTheHour) {
  struct Row {
    const char* what;
    Reading next;
    KeepResult result;
  } const rows[] = {
      {"same counters 59 minutes later", R("2026-03-01 10:59:59", 100, 5), KeepResult::Unchanged},
      {"same counters an hour later", R("2026-03-01 11:00:00", 100, 5), KeepResult::Kept},
      {"other counters a second later", R("2026-03-01 10:00:01", 101, 5), KeepResult::Kept},
  };
  for (const Row& row : rows) {
    MemoryStore store;
    ASSERT_EQ(KeepReading(store, R("2026-03-01 10:00:00", 100, 5)), KeepResult::Kept);
    EXPECT_EQ(KeepReading(store, row.next), row.result) << row.what;
    const MachineHistory history = LoadHistory(store, "K40-0001");
    EXPECT_EQ(history.readings.size(), row.result == KeepResult::Kept ? 2u : 1u) << row.what;
  }
  // The file a spreadsheet opens: a header, the model quoted for its comma.
  MemoryStore store;
  KeepReading(store, R("2026-03-01 10:00:00", 100, 5));
  EXPECT_EQ(store.files["K40-0001.csv"].substr(3, 12), "Data e hora,");
  EXPECT_NE(store.files["K40-0001.csv"].find("\r\n2026-03-01 10:00:00,K40-0001,\"QUILLMARK K40, FAX\",5,0,100,0,0,0\r\n"),
            std::string::npos);
  EXPECT_EQ(HistoryFileName("AB 12/..\\x"), "AB_12_.._x.csv");
  // A model a spreadsheet would run as a formula is kept as text, and read back as sent.
  Reading formula = R("2026-03-02 10:00:00", 100, 5);
  formula.model = "=1+1";
  KeepReading(store, formula);
  EXPECT_NE(store.files["K40-0001.csv"].find(",'=1+1,"), std::string::npos);
  EXPECT_EQ(LoadHistory(store, "K40-0001").model, "=1+1");
}

TEST(UsageHistory, ACrashMidWriteLeavesEarlierReadings) {
  MemoryStore store;
  KeepReading(store, R("2026-03-01 10:00:00", 100));
  KeepReading(store, R("2026-03-02 10:00:00", 200));
  const std::string whole = store.files["K40-0001.csv"];
  const std::string third = ReadingLine(R("2026-03-03 10:00:00", 300));
  // The third line cut anywhere before its line break, as a crash or a full
  // disk may leave a file that is written in place: the two whole readings
  // are read, and the next reading follows them on a line of its own.
  for (size_t cut = 0; cut < third.size(); ++cut) {
    store.files["K40-0001.csv"] = whole + third.substr(0, cut);
    EXPECT_EQ(LoadHistory(store, "K40-0001").readings.size(), 2u) << "cut at " << cut;
    ASSERT_EQ(KeepReading(store, R("2026-03-04 10:00:00", 400)), KeepResult::Kept);
    const MachineHistory history = LoadHistory(store, "K40-0001");
    ASSERT_EQ(history.readings.size(), 3u) << "cut at " << cut;
    EXPECT_EQ(history.readings[2].counters[kPrints], 400u) << "cut at " << cut;
  }
  // A write that fails, or a file that cannot be read, changes nothing.
  store.files["K40-0001.csv"] = whole;
  store.diskFull = true;
  EXPECT_EQ(KeepReading(store, R("2026-03-05 10:00:00", 500)), KeepResult::Failed);
  store.diskFull = false;
  store.unreadable = true;
  EXPECT_EQ(KeepReading(store, R("2026-03-05 10:00:00", 500)), KeepResult::Failed);
  EXPECT_EQ(store.files["K40-0001.csv"], whole);
}

}  // namespace
