// Use per day, week and month from a machine's readings. Each counter's rise
// between two readings is spread over the days the gap covers, in proportion
// to the time of each day within it, so a reading after a holiday does not
// put two weeks of printing on one day. A counter that goes down (a service
// reset, a replaced board) starts a new series: that gap counts no use.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "history/history.h"

struct Usage {
  uint64_t counters[kCounterCount] = {};
  uint64_t Scans() const { return counters[kPlatenScans] + counters[kAdfScans]; }
  uint64_t Prints() const { return counters[kPrints]; }
  uint64_t Jams() const { return counters[kAdfJams] + counters[kPrintJams]; }
};

// Days since 1970-01-01 and back.
int64_t DayNumber(int year, int month, int day);
void DayDate(int64_t dayNumber, int* year, int* month, int* day);

struct DailyUsage {
  std::map<int64_t, Usage> days;  // only days with some use
  // The days the readings cover, from the first reading's to the last one's.
  int64_t firstDay = 0, lastDay = -1;
  bool Covers(int64_t from, int64_t to) const { return from <= lastDay && to >= firstDay; }
  Usage Between(int64_t from, int64_t to) const;  // both days included
};
DailyUsage UsagePerDay(std::vector<Reading> readings);

struct PeriodUsage {
  int64_t firstDay = 0, lastDay = 0;
  int year = 0, month = 0;  // months only
  bool known = false;       // the readings cover some of it
  Usage use;
};
// The `count` months up to and including `year`-`month`, oldest first.
std::vector<PeriodUsage> UsagePerMonth(const DailyUsage& daily, int year, int month, int count);
// A round top for a chart's axis at or above `max`: 1, 2 or 5 times a power
// of ten, 10 at least.
uint64_t ChartTop(uint64_t max);

// Every month from the first reading's to `year`-`month`, one line each, for
// a spreadsheet: UTF-8 with a byte-order mark and a header; months the
// readings do not reach have empty figures.
std::string MonthlyCsv(const MachineHistory& history, int year, int month);

// The `count` weeks (Monday to Sunday) up to the one holding `day`, oldest first.
std::vector<PeriodUsage> UsagePerWeek(const DailyUsage& daily, int64_t day, int count);
