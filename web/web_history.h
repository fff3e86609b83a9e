// The Máquina page's picture of the machine's use: the same chart as the
// panel's (pages printed and scanned per month over the last 12 months,
// jams marked) drawn as SVG. Portable.
#pragma once

#include <string>
#include <vector>

#include "history/usage.h"

// A standalone SVG document (UTF-8) of `months`, oldest first.
std::string UsageChartSvg(const std::vector<PeriodUsage>& months);
