// The usage chart as SVG (see web_history.h).
#include "web/web_history.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr const char* kMonthNames[12] = {"jan", "fev", "mar", "abr", "mai", "jun",
                                         "jul", "ago", "set", "out", "nov", "dez"};
constexpr const char* kPrinted = "#1f4e8c";
constexpr const char* kScanned = "#60a848";
constexpr const char* kJams = "#c82020";

std::string Num(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::string Rect(double x, double y, double w, double h, const char* fill) {
  return "<rect x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" width=\"" + Num(w) + "\" height=\"" + Num(h) +
         "\" fill=\"" + fill + "\"/>";
}

std::string TextAt(double x, double y, const std::string& anchor, const std::string& text,
                   const char* fill = "#404040") {
  return "<text x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" text-anchor=\"" + anchor + "\" fill=\"" + fill + "\">" +
         text + "</text>";
}

std::string Triangle(double x, double y, double size) {
  return "<path d=\"M" + Num(x - size / 2) + " " + Num(y - size) + "H" + Num(x + size / 2) + "L" + Num(x) + " " +
         Num(y) + "Z\" fill=\"" + kJams + "\"/>";
}

}  // namespace

std::string UsageChartSvg(const std::vector<PeriodUsage>& months) {
  constexpr double kWidth = 640, kHeight = 260, kLeft = 56, kRight = 628, kTop = 52, kBottom = 228;
  uint64_t highest = 0;
  for (const PeriodUsage& m : months) highest = std::max({highest, m.use.Prints(), m.use.Scans()});
  const uint64_t top = ChartTop(highest);

  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 640 260\" width=\"" + Num(kWidth) +
                    "\" height=\"" + Num(kHeight) +
                    "\" role=\"img\" font-family=\"sans-serif\" font-size=\"12\">"
                    "<title>Impressões e digitalizações por mês, atolamentos marcados</title>";
  svg += Rect(0, 0, kWidth, kHeight, "#ffffff");
  // The legend along the top.
  svg += Rect(kLeft, 12, 10, 10, kPrinted) + TextAt(kLeft + 16, 21, "start", "Impressões");
  svg += Rect(kLeft + 110, 12, 10, 10, kScanned) + TextAt(kLeft + 126, 21, "start", "Digitalizações");
  svg += Triangle(kLeft + 245, 22, 10) + TextAt(kLeft + 256, 21, "start", "Atolamentos");
  for (int step = 0; step <= 2; ++step) {
    const double y = kBottom - (kBottom - kTop) * step / 2;
    svg += Rect(kLeft, y, kRight - kLeft, 1, step == 0 ? "#a0a0a0" : "#d8d8d8");
    svg += TextAt(kLeft - 6, y + 4, "end", std::to_string(top * static_cast<uint64_t>(step) / 2));
  }
  const double slot = months.empty() ? 0 : (kRight - kLeft) / static_cast<double>(months.size());
  const double bar = std::max(2.0, slot * 0.3);
  for (size_t i = 0; i < months.size(); ++i) {
    const PeriodUsage& m = months[i];
    const double centre = kLeft + slot * static_cast<double>(i) + slot / 2;
    svg += TextAt(centre, kBottom + 18, "middle", kMonthNames[(m.month + 11) % 12], m.known ? "#404040" : "#a0a0a0");
    if (!m.known) continue;
    const double printed = (kBottom - kTop) * static_cast<double>(m.use.Prints()) / static_cast<double>(top);
    const double scanned = (kBottom - kTop) * static_cast<double>(m.use.Scans()) / static_cast<double>(top);
    svg += "<g><title>" + std::string(kMonthNames[(m.month + 11) % 12]) + "/" + std::to_string(m.year) + ": " +
           std::to_string(m.use.Prints()) + " impressões, " + std::to_string(m.use.Scans()) +
           " digitalizações, " + std::to_string(m.use.Jams()) + " atolamentos</title>";
    svg += Rect(centre - bar - 1, kBottom - printed, bar, printed, kPrinted);
    svg += Rect(centre + 1, kBottom - scanned, bar, scanned, kScanned);
    if (m.use.Jams() > 0) {
      const double markY = kBottom - std::max(printed, scanned) - 3;
      svg += Triangle(centre, markY, 10) + TextAt(centre + 7, markY - 8, "start", std::to_string(m.use.Jams()), kJams);
    }
    svg += "</g>";
  }
  return svg + "</svg>";
}
