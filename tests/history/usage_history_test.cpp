// "Histórico de uso..." under Wine: the machine's line, the table's figures,
// the chart drawn to scale at 96 and 192 DPI with the jams marked, the
// export through the file chooser, and the one line shown with no history.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>

#include "commands/device_data.h"
#include "pages/usage_history.h"
#include "res/resource.h"
#include "tests/app/box_answerer.h"
#include "tests/app/scratch_folder.h"

namespace {

class MemoryStore final : public HistoryStore {
 public:
  MemoryStore() { InstallHistoryStore(this); }
  ~MemoryStore() override { InstallHistoryStore(nullptr); }
  bool Read(const std::string& name, std::string& text) override {
    text = files[name];
    return true;
  }
  bool Replace(const std::string& name, const std::string& text) override {
    files[name] = text;
    return true;
  }
  std::vector<std::string> Names() override {
    std::vector<std::string> names;
    for (const auto& [name, text] : files) names.push_back(name);
    return names;
  }
  HistoryTime Now() override { return {2026, 12, 15, 10, 0, 0}; }
  void Keep(const char* serial, int month, uint32_t prints, uint32_t scans, uint32_t jams) {
    Reading r;
    r.time = {2026, month, 1, 0, 0, 0};
    r.serial = serial;
    r.model = "QUILLMARK K40 SERIES";
    r.counters[kPrints] = prints;
    r.counters[kPlatenScans] = scans;
    r.counters[kPrintJams] = jams;
    ASSERT_EQ(KeepReading(*this, r), KeepResult::Kept);
  }
  std::map<std::string, std::string> files;
};

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

std::string Text(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string Cell(HWND list, int row, int column) {
  char text[64] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

// The tallest run of `colour` in any column of the chart drawn at `dpi` on
// an area and font scaled as dialog units would be.
int TallestBar(const std::vector<PeriodUsage>& months, int dpi, COLORREF colour, bool* jamMarked) {
  const int width = 570 * dpi / 96, height = 245 * dpi / 96;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  HFONT font = CreateFontA(-11 * dpi / 96, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  DrawUsageChart(dc, RECT{0, 0, width, height}, months, dpi, font);
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  const auto is = [&](int x, int y, COLORREF c) {
    return (pixels[y * width + x] & 0xFFFFFF) == (uint32_t{GetRValue(c)} << 16 | GetGValue(c) << 8 | GetBValue(c));
  };
  int tallest = 0;
  *jamMarked = false;
  for (int x = 0; x < width; ++x) {
    int run = 0;
    for (int y = 0; y < height; ++y) {
      run = is(x, y, colour) ? run + 1 : 0;
      tallest = std::max(tallest, run);
      *jamMarked = *jamMarked || is(x, y, RGB(200, 32, 32));
    }
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteObject(font);
  DeleteDC(dc);
  return tallest;
}

class UsageHistoryTest : public ::testing::Test, protected ScratchFolder {
 protected:
  UsageHistoryTest() : ScratchFolder("rcp-history-") {
    std::memset(&systemInfo, 0, sizeof systemInfo);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
  }
  void TearDown() override { EXPECT_EQ(answerer.Unexpected(), 0) << "a box or file dialog nobody expected"; }

  MemoryStore store;
  BoxAnswerer answerer;
};

TEST_F(UsageHistoryTest, TheMachinesMonthsInChartAndTableAndExported) {
  store.Keep("K40BR0712345", 10, 1000, 100, 0);
  store.Keep("K40BR0712345", 11, 1300, 170, 2);
  store.Keep("K40BR0712345", 12, 1400, 170, 2);
  store.Keep("OTHER", 12, 5, 5, 0);  // another machine, read later the same day
  std::strcpy(systemInfo.serialNumber, "K40BR0712345        ");

  CUsageHistory dialog;
  HWND window = dialog.Create();
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOW);
  Pump();
  EXPECT_EQ(Text(GetDlgItem(window, IDC_HIST_MACHINE)),
            "QUILLMARK K40 SERIES, número de série K40BR0712345. Última leitura: 01/12/2026 00:00.");
  HWND table = GetDlgItem(window, IDC_HIST_TABLE);
  EXPECT_TRUE(IsWindowVisible(table) && IsWindowVisible(GetDlgItem(window, IDC_HIST_CHART)));
  ASSERT_EQ(SendMessageA(table, LVM_GETITEMCOUNT, 0, 0), 4);
  // Columns: the row's name, then January to December 2026.
  EXPECT_EQ(Cell(table, 0, 0), "Impressões");
  EXPECT_EQ(Cell(table, 0, 9), "-");     // September: before the first reading
  EXPECT_EQ(Cell(table, 0, 10), "300");  // October
  EXPECT_EQ(Cell(table, 1, 10), "70");
  EXPECT_EQ(Cell(table, 2, 10), "2");
  EXPECT_EQ(Cell(table, 0, 11), "100");
  EXPECT_EQ(Cell(table, 2, 12), "0");  // December so far

  // Twice the DPI, twice the bars; the jams have their mark.
  const std::vector<PeriodUsage> months = UsagePerMonth(UsagePerDay(LoadHistory(store, "K40BR0712345").readings), 2026, 12, 12);
  bool jams96 = false, jams192 = false;
  const int bar96 = TallestBar(months, 96, RGB(31, 78, 140), &jams96);
  const int bar192 = TallestBar(months, 192, RGB(31, 78, 140), &jams192);
  EXPECT_GT(bar96, 40);
  EXPECT_NEAR(bar192, 2 * bar96, 4) << bar96;
  EXPECT_TRUE(jams96 && jams192);

  answerer.ExpectFile("uso");
  SendMessageA(GetDlgItem(window, IDC_HIST_EXPORT), BM_CLICK, 0, 0);
  Pump();
  std::ifstream file(Path("uso.CSV"), std::ios::binary);
  const std::string csv((std::istreambuf_iterator<char>(file)), {});
  EXPECT_NE(csv.find("\r\n2026-10,K40BR0712345,QUILLMARK K40 SERIES,70,0,300,0,0,2\r\n"), std::string::npos) << csv;
  EXPECT_EQ(csv.find("2026-09"), std::string::npos) << csv;
}

TEST_F(UsageHistoryTest, NoHistoryIsOneLineWithoutAChart) {
  CUsageHistory dialog;
  HWND window = dialog.Create();
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOW);
  Pump();
  EXPECT_EQ(Text(GetDlgItem(window, IDC_HIST_MACHINE)),
            "Ainda não há leituras guardadas: cada leitura da máquina (página Informação) guarda uma.");
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_HIST_CHART)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_HIST_TABLE)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_HIST_EXPORT)));
  // The dialog shrinks to the line and its buttons.
  RECT line, close, client;
  GetWindowRect(GetDlgItem(window, IDC_HIST_MACHINE), &line);
  GetWindowRect(GetDlgItem(window, IDOK), &close);
  GetClientRect(window, &client);
  EXPECT_LT(close.top - line.bottom, 3 * (line.bottom - line.top));
  EXPECT_LT(client.bottom, 6 * (close.bottom - close.top));
}

}  // namespace
