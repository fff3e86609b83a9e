// Use per day, week and month (see usage.h).
#include "history/usage.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int64_t kDay = 86400;

int64_t SecondsOf(const HistoryTime& t) {
  return DayNumber(t.year, t.month, t.day) * kDay + t.hour * 3600 + t.minute * 60 + t.second;
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

int DaysInMonth(int year, int month) {
  return static_cast<int>(DayNumber(month == 12 ? year + 1 : year, month == 12 ? 1 : month + 1, 1) -
                          DayNumber(year, month, 1));
}

}  // namespace

// The proleptic Gregorian calendar's day count, in whole eras of 400 years.
int64_t DayNumber(int year, int month, int day) {
  const int64_t y = static_cast<int64_t>(year) - (month <= 2);
  const int64_t era = FloorDiv(y, 400);
  const int64_t yearOfEra = y - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void DayDate(int64_t dayNumber, int* year, int* month, int* day) {
  const int64_t z = dayNumber + 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t dayOfEra = z - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  *day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(yearOfEra + era * 400 + (*month <= 2));
}

Usage DailyUsage::Between(int64_t from, int64_t to) const {
  Usage sum;
  for (auto it = days.lower_bound(from); it != days.end() && it->first <= to; ++it)
    for (int c = 0; c < kCounterCount; ++c) sum.counters[c] += it->second.counters[c];
  return sum;
}

DailyUsage UsagePerDay(std::vector<Reading> readings) {
  DailyUsage daily;
  if (readings.empty()) return daily;
  std::stable_sort(readings.begin(), readings.end(),
                   [](const Reading& a, const Reading& b) { return SecondsOf(a.time) < SecondsOf(b.time); });
  daily.firstDay = FloorDiv(SecondsOf(readings.front().time), kDay);
  daily.lastDay = FloorDiv(SecondsOf(readings.back().time), kDay);
  for (size_t i = 1; i < readings.size(); ++i) {
    const Reading& a = readings[i - 1];
    const Reading& b = readings[i];
    const int64_t from = SecondsOf(a.time), to = SecondsOf(b.time);
    const int64_t span = to - from;
    for (int c = 0; c < kCounterCount; ++c) {
      // Gone down: a new series starts at b, and the gap counts nothing.
      if (b.counters[c] <= a.counters[c]) continue;
      const uint64_t rise = b.counters[c] - a.counters[c];
      if (span == 0) {
        daily.days[FloorDiv(to, kDay)].counters[c] += rise;
        continue;
      }
      // Each day gets the rise's share of the seconds it holds; the shares
      // are cut from running totals, so together they are the rise exactly.
      uint64_t given = 0;
      for (int64_t day = FloorDiv(from, kDay); day <= FloorDiv(to, kDay); ++day) {
        const int64_t end = std::min(to, (day + 1) * kDay);
        const uint64_t upTo = static_cast<uint64_t>(
            static_cast<long double>(rise) * static_cast<long double>(end - from) / static_cast<long double>(span));
        const uint64_t share = (end == to ? rise : upTo) - given;
        given += share;
        if (share) daily.days[day].counters[c] += share;
      }
    }
  }
  return daily;
}

std::vector<PeriodUsage> UsagePerMonth(const DailyUsage& daily, int year, int month, int count) {
  std::vector<PeriodUsage> months(static_cast<size_t>(std::max(count, 0)));
  for (int i = count - 1; i >= 0; --i) {
    PeriodUsage& m = months[static_cast<size_t>(i)];
    m.year = year;
    m.month = month;
    m.firstDay = DayNumber(year, month, 1);
    m.lastDay = m.firstDay + DaysInMonth(year, month) - 1;
    m.known = daily.Covers(m.firstDay, m.lastDay);
    m.use = daily.Between(m.firstDay, m.lastDay);
    if (--month == 0) {
      month = 12;
      --year;
    }
  }
  return months;
}

std::vector<PeriodUsage> UsagePerWeek(const DailyUsage& daily, int64_t day, int count) {
  // Day 0 (1970-01-01) was a Thursday.
  const int64_t monday = day - ((day % 7 + 7 + 3) % 7);
  std::vector<PeriodUsage> weeks(static_cast<size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i) {
    PeriodUsage& w = weeks[static_cast<size_t>(i)];
    w.firstDay = monday - 7 * (count - 1 - i);
    w.lastDay = w.firstDay + 6;
    w.known = daily.Covers(w.firstDay, w.lastDay);
    w.use = daily.Between(w.firstDay, w.lastDay);
  }
  return weeks;
}

uint64_t ChartTop(uint64_t max) {
  for (uint64_t power = 10;; power *= 10)
    for (uint64_t step : {1, 2, 5})
      if (step * power >= max || step * power > UINT64_MAX / 50) return step * power;
}

std::string MonthlyCsv(const MachineHistory& history, int year, int month) {
  // Spelled in UTF-8 bytes: Windows builds take plain literals as Windows-1252.
  std::string out =
      "\xEF\xBB\xBFM\xC3\xAAs,N\xC3\xBA" "mero de s\xC3\xA9" "rie,Modelo,Digitaliza\xC3\xA7\xC3\xB5" "es do vidro,"
      "Digitaliza\xC3\xA7\xC3\xB5" "es do AAO,Impress\xC3\xB5" "es,Fotoreceptor,Atolamentos do AAO,"
      "Atolamentos de impress\xC3\xA3o\r\n";
  if (history.readings.empty()) return out;
  const HistoryTime& first = history.readings.front().time;
  const int count = (year - first.year) * 12 + (month - first.month) + 1;
  for (const PeriodUsage& m : UsagePerMonth(UsagePerDay(history.readings), year, month, std::max(count, 1))) {
    char label[16];
    std::snprintf(label, sizeof label, "%04d-%02d", m.year, m.month);
    std::string line = std::string(label) + "," + CsvField(history.serial) + "," + CsvField(history.model);
    for (uint64_t value : m.use.counters) line.append(",").append(m.known ? std::to_string(value) : "");
    out += line + "\r\n";
  }
  return out;
}
