// The usage history dialog (see usage_history.h).
#include "pages/usage_history.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/app_shell.h"
#include "commands/device_data.h"
#include "files/choose_file.h"
#include "res/resource.h"
#include "widgets/resource_text.h"
#include "widgets/window.h"

namespace {

constexpr int kMonthsShown = 12;
constexpr char kHistoryFilter[] = "CSV (*.csv)|*.csv|All files (*.*)|*.*||";
constexpr COLORREF kPrintedColour = RGB(31, 78, 140);
constexpr COLORREF kScannedColour = RGB(96, 168, 72);
constexpr COLORREF kJamColour = RGB(200, 32, 32);
constexpr COLORREF kGridColour = RGB(216, 216, 216);
constexpr COLORREF kTextColour = RGB(64, 64, 64);
constexpr COLORREF kUnknownColour = RGB(160, 160, 160);

std::vector<std::string> MonthNames() {
  std::vector<std::string> names;
  // Split by hand: the string streams would bring the library's locale
  // machinery into the program and double its size.
  const std::string text = LoadText(IDS_HIST_MONTHS);
  for (size_t at = 0; at < text.size();) {
    const size_t end = std::min(text.find(' ', at), text.size());
    if (end > at) names.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  names.resize(12);
  return names;
}

std::string Format(UINT id, const std::string& a, const std::string& b, const std::string& c) {
  char text[512];
  std::snprintf(text, sizeof text, LoadText(id), a.c_str(), b.c_str(), c.c_str());
  return text;
}

// Pixels for a length given at 96 DPI, never less than one.
int Px(double length, int dpi) { return std::max(1, static_cast<int>(length * dpi / 96.0 + 0.5)); }

SIZE TextSize(HDC dc, const std::string& text) {
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  const RECT r{left, top, right, bottom};
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void Text(HDC dc, int x, int y, const std::string& text, COLORREF colour) {
  SetTextColor(dc, colour);
  TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// A jam mark: a triangle pointing down at (x, y), `size` wide.
void JamMark(HDC dc, int x, int y, int size) {
  const POINT corners[3] = {{x - size / 2, y - size}, {x + size / 2, y - size}, {x, y}};
  HBRUSH brush = CreateSolidBrush(kJamColour);
  HPEN pen = CreatePen(PS_SOLID, 1, kJamColour);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Polygon(dc, corners, 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

}  // namespace

void DrawUsageChart(HDC dc, const RECT& area, const std::vector<PeriodUsage>& months, int dpi, HFONT font) {
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  Fill(dc, area.left, area.top, area.right, area.bottom, RGB(255, 255, 255));
  HBRUSH frame = CreateSolidBrush(kUnknownColour);
  FrameRect(dc, &area, frame);
  DeleteObject(frame);

  uint64_t highest = 0;
  for (const PeriodUsage& m : months) highest = std::max({highest, m.use.Prints(), m.use.Scans()});
  const uint64_t top = ChartTop(highest);
  const int lineHeight = TextSize(dc, "0").cy;
  const int gap = Px(6, dpi);

  // The legend along the top.
  int x = area.left + gap * 2;
  const int legendY = area.top + gap;
  const int box = lineHeight * 2 / 3;
  for (const auto& [colour, id] : {std::pair{kPrintedColour, IDS_HIST_PRINTED}, std::pair{kScannedColour, IDS_HIST_SCANNED}}) {
    Fill(dc, x, legendY + (lineHeight - box) / 2, x + box, legendY + (lineHeight + box) / 2, colour);
    x += box + gap;
    Text(dc, x, legendY, LoadText(id), kTextColour);
    x += TextSize(dc, LoadText(id)).cx + gap * 3;
  }
  JamMark(dc, x + box / 2, legendY + (lineHeight + box) / 2, box);
  x += box + gap;
  Text(dc, x, legendY, LoadText(IDS_HIST_JAMS), kTextColour);

  // The plot: the axis labels on the left, the month names below.
  const std::string topText = std::to_string(top);
  const int left = area.left + gap * 2 + TextSize(dc, topText).cx;
  const int right = area.right - gap * 2;
  const int plotTop = legendY + lineHeight + gap * 2 + lineHeight;  // room for a jam mark above a full bar
  const int bottom = area.bottom - lineHeight - gap * 2;
  const int height = std::max(1, bottom - plotTop);
  for (uint64_t step = 0; step <= 2; ++step) {
    const uint64_t value = top * step / 2;
    const int y = bottom - static_cast<int>(height * step / 2);
    Fill(dc, left, y, right, y + Px(1, dpi), step == 0 ? kUnknownColour : kGridColour);
    const std::string label = std::to_string(value);
    Text(dc, left - gap - TextSize(dc, label).cx, y - lineHeight / 2, label, kTextColour);
  }

  const std::vector<std::string> names = MonthNames();
  const int count = static_cast<int>(months.size());
  const int slot = count ? (right - left) / count : 0;
  const int bar = std::max(Px(2, dpi), slot * 3 / 10);
  for (int i = 0; i < count; ++i) {
    const PeriodUsage& m = months[i];
    const int centre = left + slot * i + slot / 2;
    const std::string& name = names[(m.month + 11) % 12];
    Text(dc, centre - TextSize(dc, name).cx / 2, bottom + gap, name, m.known ? kTextColour : kUnknownColour);
    if (!m.known) continue;
    const auto barHeight = [&](uint64_t value) { return static_cast<int>(height * value / top); };
    const int printed = barHeight(m.use.Prints()), scanned = barHeight(m.use.Scans());
    Fill(dc, centre - bar - Px(1, dpi), bottom - printed, centre - Px(1, dpi), bottom, kPrintedColour);
    Fill(dc, centre + Px(1, dpi), bottom - scanned, centre + bar + Px(1, dpi), bottom, kScannedColour);
    if (m.use.Jams() == 0) continue;
    const int markY = bottom - std::max(printed, scanned) - Px(2, dpi);
    JamMark(dc, centre, markY, box);
    Text(dc, centre + box / 2 + Px(2, dpi), markY - lineHeight, std::to_string(m.use.Jams()), kJamColour);
  }
  SelectObject(dc, oldFont);
}

CUsageHistory::CUsageHistory(HWND parent) : CDialog(IDD_USAGE_HISTORY, parent) {}

BOOL CUsageHistory::OnInitDialog() {
  HistoryStore& store = TheHistoryStore();
  m_now = store.Now();
  // The machine whose system information the panel read last.
  m_history = HistoryToShow(store, ReadingOf(systemInfo, {}).serial);
  CenterWindow(m_hWnd);
  if (m_history.readings.empty()) {
    ShowNoHistory();
    return TRUE;
  }
  m_months = UsagePerMonth(UsagePerDay(m_history.readings), m_now.year, m_now.month, kMonthsShown);
  const HistoryTime& last = m_history.readings.back().time;
  char when[32];
  std::snprintf(when, sizeof when, "%02d/%02d/%04d %02d:%02d", last.day, last.month, last.year, last.hour, last.minute);
  SetDlgItemTextA(m_hWnd, IDC_HIST_MACHINE, Format(IDS_HIST_MACHINE, m_history.model, m_history.serial, when).c_str());
  FillTable();
  return TRUE;
}

void CUsageHistory::ShowNoHistory() {
  SetDlgItemTextA(m_hWnd, IDC_HIST_MACHINE, LoadText(IDS_HIST_NONE));
  ShowWindow(GetItem(IDC_HIST_CHART), SW_HIDE);
  ShowWindow(GetItem(IDC_HIST_TABLE), SW_HIDE);
  EnableWindow(GetItem(IDC_HIST_EXPORT), FALSE);
  // The buttons move up under the line and the dialog shrinks to them.
  RECT line, button, window;
  GetWindowRect(GetItem(IDC_HIST_MACHINE), &line);
  GetWindowRect(GetItem(IDOK), &button);
  GetWindowRect(m_hWnd, &window);
  const int shift = button.top - line.bottom - (line.bottom - line.top);
  for (int id : {IDC_HIST_EXPORT, IDOK}) {
    HWND control = GetItem(id);
    RECT r;
    GetWindowRect(control, &r);
    POINT p{r.left, r.top - shift};
    ScreenToClient(m_hWnd, &p);
    SetWindowPos(control, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetWindowPos(m_hWnd, nullptr, 0, 0, window.right - window.left, window.bottom - window.top - shift,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CenterWindow(m_hWnd);
}

void CUsageHistory::FillTable() {
  HWND table = GetItem(IDC_HIST_TABLE);
  ListView_SetExtendedListViewStyle(table, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  const struct {
    UINT label;
    uint64_t (*value)(const Usage&);
  } rows[] = {
      {IDS_HIST_PRINTED, [](const Usage& u) { return u.Prints(); }},
      {IDS_HIST_SCANNED, [](const Usage& u) { return u.Scans(); }},
      {IDS_HIST_JAMS, [](const Usage& u) { return u.Jams(); }},
      {IDS_HIST_DRUM, [](const Usage& u) { return u.counters[kDrum]; }},
  };
  // The year only where it starts and where it changes, so that twelve
  // months fit the dialog's width.
  const std::vector<std::string> names = MonthNames();
  std::vector<std::string> headers(kMonthsShown);
  for (int i = 0; i < kMonthsShown; ++i) {
    const PeriodUsage& m = m_months[i];
    char header[16];
    std::snprintf(header, sizeof header, i == 0 || m.month == 1 ? "%s/%02d" : "%s", names[m.month - 1].c_str(),
                  m.year % 100);
    headers[i] = header;
  }
  const auto width = [&](const std::string& text) {
    return static_cast<int>(SendMessageA(table, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.c_str())));
  };
  const int padding = width("00");
  int labelWidth = 0;
  for (const auto& row : rows) labelWidth = std::max(labelWidth, width(LoadText(row.label)) + padding);
  std::vector<int> widths(kMonthsShown);
  int used = labelWidth;
  for (int i = 0; i < kMonthsShown; ++i) {
    widths[i] = width(headers[i]);
    for (const auto& row : rows) widths[i] = std::max(widths[i], width(std::to_string(row.value(m_months[i].use))));
    used += widths[i] += padding;
  }
  // What is left of the table's width goes to the months alike.
  RECT client;
  GetClientRect(table, &client);
  const int spare = std::max(0, static_cast<int>(client.right - client.left) - used - 1) / kMonthsShown;

  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.fmt = LVCFMT_LEFT;
  column.cx = labelWidth;
  column.pszText = const_cast<char*>("");
  SendMessageA(table, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  for (int i = 0; i < kMonthsShown; ++i) {
    column.fmt = LVCFMT_RIGHT;
    column.cx = widths[i] + spare;
    column.pszText = const_cast<char*>(headers[i].c_str());
    SendMessageA(table, LVM_INSERTCOLUMNA, i + 1, reinterpret_cast<LPARAM>(&column));
  }
  int rowIndex = 0;
  for (const auto& row : rows) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = rowIndex;
    item.pszText = const_cast<char*>(LoadText(row.label));
    SendMessageA(table, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (int i = 0; i < kMonthsShown; ++i) {
      const std::string text = m_months[i].known ? std::to_string(row.value(m_months[i].use)) : "-";
      LVITEMA cell{};
      cell.iSubItem = i + 1;
      cell.pszText = const_cast<char*>(text.c_str());
      SendMessageA(table, LVM_SETITEMTEXTA, rowIndex, reinterpret_cast<LPARAM>(&cell));
    }
    ++rowIndex;
  }
}

bool CUsageHistory::OnCommand(WORD id, WORD, HWND) {
  if (id != IDC_HIST_EXPORT) return false;
  OnExport();
  return true;
}

void CUsageHistory::OnExport() {
  if (m_history.readings.empty()) return;
  std::string path;
  if (!ChooseFile(FileDialogMode::Save, "CSV", OFN_OVERWRITEPROMPT, kHistoryFilter, ".CSV", path)) return;
  if (!ReplaceWholeFile(path, MonthlyCsv(m_history, m_now.year, m_now.month)))
    ShowAppMessage(m_hWnd, IDS_FILE_WRITE_FAILED, MB_OK | MB_ICONERROR);
}

INT_PTR CUsageHistory::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_DRAWITEM || wParam != IDC_HIST_CHART) return FALSE;
  const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  // Drawn off screen and copied at once: no flicker while the bars build up.
  const RECT& r = draw->rcItem;
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC memory = CreateCompatibleDC(draw->hDC);
  HBITMAP bitmap = CreateCompatibleBitmap(draw->hDC, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const RECT area{0, 0, width, height};
  DrawUsageChart(memory, area, m_months, GetDeviceCaps(draw->hDC, LOGPIXELSY),
                 reinterpret_cast<HFONT>(SendMessageA(m_hWnd, WM_GETFONT, 0, 0)));
  BitBlt(draw->hDC, r.left, r.top, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return TRUE;
}
