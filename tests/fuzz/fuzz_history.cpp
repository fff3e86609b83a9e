// Fuzz target: any bytes as a machine's history file. Each reading read must
// be written and read back the same, a reading kept after them must follow
// them (or, kept once, leave the text as it was), and the use worked out
// from them must account for every rise.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>

#include "history/history.h"
#include "history/usage.h"

namespace {

bool Same(const Reading& a, const Reading& b) {
  return std::memcmp(&a.time, &b.time, sizeof a.time) == 0 && a.serial == b.serial && a.model == b.model &&
         std::memcmp(a.counters, b.counters, sizeof a.counters) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<Reading> readings = ParseHistory(text);
  for (const Reading& r : readings) {
    const std::vector<Reading> again = ParseHistory(HistoryHeader() + ReadingLine(r));
    if (again.size() != 1 || !Same(again[0], r)) std::abort();
  }

  Reading next;
  next.time = {2099, 12, 31, 23, 59, 59};
  next.serial = "K40";
  next.counters[kPrints] = 7;
  bool added = false;
  const std::string after = WithReading(text, next, &added);
  const std::vector<Reading> kept = ParseHistory(after);
  if (added ? kept.size() != readings.size() + 1 || !Same(kept.back(), next) : after != text) std::abort();

  // Every month from 2000 on: together they hold each counter's rises.
  uint64_t rises[kCounterCount] = {};
  std::vector<Reading> sorted = readings;
  std::stable_sort(sorted.begin(), sorted.end(), [](const Reading& a, const Reading& b) {
    const HistoryTime &x = a.time, &y = b.time;
    return std::tie(x.year, x.month, x.day, x.hour, x.minute, x.second) <
           std::tie(y.year, y.month, y.day, y.hour, y.minute, y.second);
  });
  for (size_t i = 1; i < sorted.size(); ++i)
    for (int c = 0; c < kCounterCount; ++c)
      if (sorted[i].counters[c] > sorted[i - 1].counters[c]) rises[c] += sorted[i].counters[c] - sorted[i - 1].counters[c];
  const std::vector<PeriodUsage> months = UsagePerMonth(UsagePerDay(readings), 2099, 12, 100 * 12);
  uint64_t counted[kCounterCount] = {};
  for (const PeriodUsage& m : months)
    for (int c = 0; c < kCounterCount; ++c) counted[c] += m.use.counters[c];
  if (std::memcmp(rises, counted, sizeof rises) != 0) std::abort();
  return 0;
}
