// What rcpctl history prints: each machine's use per month over the last
// 12 months, from the readings kept, as text, CSV or JSON. Portable.
#pragma once

#include <string>
#include <vector>

#include "ctl/ctl_text.h"
#include "history/history.h"

constexpr int kHistoryMonths = 12;

// `year`-`month`: the last month shown (the current one). Text in the
// program's code page; CSV and JSON in UTF-8. Months the readings do not
// reach are "-" in the text, empty in CSV and null in JSON.
std::string HistoryText(const std::vector<MachineHistory>& machines, int year, int month, CtlLanguage language);
std::string HistoryCsv(const std::vector<MachineHistory>& machines, int year, int month);
std::string HistoryJson(const std::vector<MachineHistory>& machines, int year, int month);
