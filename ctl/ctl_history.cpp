// rcpctl history's output (see ctl_history.h).
#include "ctl/ctl_history.h"

#include <cstdio>

#include "ctl/ctl_report.h"
#include "history/usage.h"

namespace {

// The counters' JSON and CSV names, as rcpctl info --json names them.
constexpr const char* kCounterNames[kCounterCount] = {"platenScans", "adfScans", "prints",
                                                      "drum",        "adfJams",  "printJams"};

std::vector<PeriodUsage> Months(const MachineHistory& machine, int year, int month) {
  return UsagePerMonth(UsagePerDay(machine.readings), year, month, kHistoryMonths);
}

std::string MonthText(const PeriodUsage& m) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d", m.year, m.month);
  return text;
}

std::string Column(const std::string& text, size_t width) {
  return text.size() >= width ? " " + text : std::string(width - text.size(), ' ') + text;
}

}  // namespace

std::string HistoryText(const std::vector<MachineHistory>& machines, int year, int month, CtlLanguage language) {
  constexpr size_t kWidth = 15;
  std::string out;
  for (const MachineHistory& machine : machines) {
    if (!out.empty()) out += "\n";
    out += CtlFormat(CtlMsg::HistoryMachine, language, machine.serial + " (" + machine.model + ")") + "\n";
    out += CtlFormat(CtlMsg::HistoryLast, language, HistoryTimeText(machine.readings.back().time)) + "\n";
    std::string head = CtlText(CtlMsg::HistoryMonth, language);
    head.resize(7, ' ');
    for (CtlMsg label : {CtlMsg::HistoryPrinted, CtlMsg::HistoryScanned, CtlMsg::HistoryJams, CtlMsg::HistoryDrum})
      head += Column(CtlText(label, language), kWidth);
    out += head + "\n";
    for (const PeriodUsage& m : Months(machine, year, month)) {
      std::string line = MonthText(m);
      for (uint64_t value : {m.use.Prints(), m.use.Scans(), m.use.Jams(), m.use.counters[kDrum]})
        line += Column(m.known ? std::to_string(value) : "-", kWidth);
      out += line + "\n";
    }
  }
  if (!out.empty()) out.pop_back();  // the console adds the last line end
  return out;
}

std::string HistoryCsv(const std::vector<MachineHistory>& machines, int year, int month) {
  std::string out = "serial,model,month";
  for (const char* name : kCounterNames) out.append(",").append(name);
  out += "\r\n";
  for (const MachineHistory& machine : machines) {
    for (const PeriodUsage& m : Months(machine, year, month)) {
      std::string line = CsvField(machine.serial) + "," + CsvField(machine.model) + "," + MonthText(m);
      for (uint64_t value : m.use.counters) line.append(",").append(m.known ? std::to_string(value) : "");
      out += line + "\r\n";
    }
  }
  return out;
}

std::string HistoryJson(const std::vector<MachineHistory>& machines, int year, int month) {
  std::string out = "{\"machines\":[";
  for (size_t i = 0; i < machines.size(); ++i) {
    const MachineHistory& machine = machines[i];
    out += std::string(i ? "," : "") + "{\"serial\":" + JsonString(machine.serial) +
           ",\"model\":" + JsonString(machine.model) +
           ",\"firstReading\":" + JsonString(HistoryTimeText(machine.readings.front().time)) +
           ",\"lastReading\":" + JsonString(HistoryTimeText(machine.readings.back().time)) + ",\"months\":[";
    const std::vector<PeriodUsage> months = Months(machine, year, month);
    for (size_t j = 0; j < months.size(); ++j) {
      const PeriodUsage& m = months[j];
      out += std::string(j ? "," : "") + "{\"month\":\"" + MonthText(m) + "\",\"counters\":";
      if (!m.known) {
        out += "null}";
        continue;
      }
      for (int c = 0; c < kCounterCount; ++c)
        out += std::string(c ? "," : "{") + "\"" + kCounterNames[c] + "\":" + std::to_string(m.use.counters[c]);
      out += "}}";
    }
    out += "]}";
  }
  return out + "]}\n";
}
