// Page-action benchmark under Wine: the real main window and pages on the
// emulated machine behind the OS seam, with the protocol's waits on the
// virtual clock. The real time an action takes is then our own code's (plus
// the emulated machine's, which is small); the virtual time is what the
// protocol's waits and the link cost the user. Prints one line per action;
// run by tools/bench-pages.sh.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/main_panel.h"
#include "commands/device_data.h"
#include "emulator/k40_machine.h"
#include "files/phonebook_file.h"
#include "files/settings_file.h"
#include "link/device_link.h"
#include "pages/page_set.h"
#include "res/resource.h"
#include "tests/app/box_answerer.h"
#include "tests/app/machine_os.h"
#include "widgets/property_sheet.h"
#include "widgets/property_page.h"
#include "widgets/resource_text.h"

namespace {

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Sample {
  std::vector<double> ours;
  std::vector<double> virtualMs;
  int boxes = 0;
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

class Bench {
 public:
  Bench() {
    ResetDeviceData();
    DeviceLink::Reset();
    DeviceLink::hostPlatform = HostPlatform::Nt5;
    DeviceLink::portKind = PortKind::Lpt1;
    os.machine = &machine;
    inquiryAnswered = fullPanel = true;
    speedDialCount = kSpeedDialEntries;
    CreatePhonebookTable();
  }
  ~Bench() {
    panel.reset();
    Pump();
    FreePhonebookTable();
  }

  // Times `action`: real milliseconds and virtual ones.
  void Time(const std::string& name, const std::function<void()>& action) {
    Sample& s = samples[name];
    if (std::find(order.begin(), order.end(), name) == order.end()) order.push_back(name);
    size_t boxesBefore = answerer.boxes.size();
    uint64_t virtualStart = os.virtualMs;
    double start = NowMs();
    action();
    double end = NowMs();
    // Every tick-counter read costs a virtual millisecond: the spins' own
    // reads are the waits themselves.
    s.ours.push_back(end - start);
    s.virtualMs.push_back(static_cast<double>(os.virtualMs - virtualStart));
    s.boxes += static_cast<int>(answerer.boxes.size() - boxesBefore);
  }

  void Open() {
    panel = std::make_unique<CMainPanel>();
    panel->Create();
    ShowWindow(panel->GetHwnd(), SW_SHOW);
    Pump();
  }
  void Close() {
    panel.reset();
    Pump();
  }
  HWND Page(int index) const {
    CPropertyPage* page = panelSheet ? panelSheet->GetPage(index) : nullptr;
    return page ? page->GetHwnd() : nullptr;
  }
  void Select(int index) {
    panelSheet->SetActivePage(index);
    Pump();
  }
  bool Has(int index, int id) const { return Page(index) && GetDlgItem(Page(index), id); }
  void Click(int index, int id) {
    SendMessageA(Page(index), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(Page(index), id)));
    Pump();
  }

  void Print() const {
    std::printf("%-44s %10s %10s %14s\n", "action", "ours-ms", "max-ms", "waits+link-ms");
    for (const std::string& name : order) {
      const Sample& s = samples.at(name);
      std::printf("%-44s %10.2f %10.2f %14.0f%s\n", name.c_str(), Median(s.ours),
                  *std::max_element(s.ours.begin(), s.ours.end()), Median(s.virtualMs),
                  s.boxes ? "  (a box was shown)" : "");
    }
  }

  MachineOs os;
  K40Machine machine;
  BoxAnswerer answerer;
  std::unique_ptr<CMainPanel> panel;
  std::vector<std::string> order;
  std::map<std::string, Sample> samples;
};

std::string TabName(int index) {
  HWND tab = panelSheet->GetTabControl();
  char text[64] = {};
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(tab, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
  return text;
}

INT_PTR CALLBACK BareProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

HWND BareMainDialog() {
  return CreateDialogParamA(ResourceInstance(), MAKEINTRESOURCEA(IDD_MAINPANEL), nullptr, &BareProc, 0);
}

// Paints what is shown of `main`, takes the time since `start`, then takes
// the windows away.
double PaintedMs(HWND main, double start) {
  UpdateWindow(main);
  Pump();
  double end = NowMs();
  DestroyWindow(main);
  Pump();
  return end - start;
}

// What Wine alone takes to make, show and paint a page's template, with no
// code of ours: the yardstick for a page's first display. The page goes on a
// shown top-level window of the main window's template.
double BareTemplateMs(int templateId) {
  HWND main = BareMainDialog();
  ShowWindow(main, SW_SHOW);
  Pump();
  double start = NowMs();
  HWND page = CreateDialogParamA(ResourceInstance(), MAKEINTRESOURCEA(templateId), main, &BareProc, 0);
  ShowWindow(page, SW_SHOW);
  return PaintedMs(main, start);
}

// The main window with its sheet and all its pages through the thin sheet
// and page classes, none of the pages' own work: the yardstick for the main
// window's first display.
double BareMainWindowMs(const std::vector<int>& pageTemplates) {
  double start = NowMs();
  HWND main = BareMainDialog();
  std::vector<std::unique_ptr<CPropertyPage>> pages;
  CPropertySheet sheet;
  for (int id : pageTemplates) {
    pages.push_back(std::make_unique<CPropertyPage>(id));
    sheet.AddPage(*pages.back());
  }
  sheet.Create(main);
  ShowWindow(main, SW_SHOW);
  return PaintedMs(main, start);
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  Bench bench;
  for (int round = 0; round < rounds; ++round) {
    bench.Time("main window with its first page", [&] { bench.Open(); });
    int pages = panelSheet->GetPageCount();
    for (int i = 1; i < pages; ++i) {
      std::string tab = TabName(i);
      bench.Time(tab + ": first display", [&] { bench.Select(i); });
    }
    for (int i = 0; i < pages; ++i) {
      std::string tab = TabName(i);
      bench.Select(i);
      if (bench.Has(i, IDC_REFRESH)) bench.Time(tab + ": refresh", [&] { bench.Click(i, IDC_REFRESH); });
      if (bench.Has(i, IDC_APPLY)) bench.Time(tab + ": \"Aplicar\"", [&] { bench.Click(i, IDC_APPLY); });
      if (bench.Has(i, IDC_PB_READ) && bench.Has(i, IDC_PB_LIST)) {
        bench.Time(tab + ": \"Leitura\"", [&] { bench.Click(i, IDC_PB_READ); });
        bench.Time(tab + ": \"Gravação\"", [&] { bench.Click(i, IDC_PB_WRITE); });
      }
    }
    bench.Close();
  }

  // The files' own work, through the program's own save and load (the file
  // dialog is the user's time).
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string phonebook = std::string(folder) + "rcp-bench.pbf";
  const std::string settings = std::string(folder) + "rcp-bench.stf";
  for (int round = 0; round < rounds; ++round) {
    bench.Time("phonebook file: save", [&] { SavePhonebookFile(phonebook.c_str()); });
    bench.Time("phonebook file: load", [&] { LoadPhonebookFile(phonebook.c_str()); });
    bench.Time("settings file: save", [&] { SaveSettingsFile(settings); });
    bench.Time("settings file: load", [&] { LoadSettingsFile(settings); });
  }
  DeleteFileA(phonebook.c_str());
  DeleteFileA(settings.c_str());
  bench.Print();

  // Wine's share of the first displays: the same templates made bare.
  std::printf("\n%-44s %10s\n", "the same windows with no code of ours", "ms");
  bench.Open();
  std::vector<std::pair<std::string, int>> templates;
  for (int i = 0; i < panelSheet->GetPageCount(); ++i)
    templates.emplace_back(TabName(i), panelSheet->GetPage(i)->GetTemplateId());
  bench.Close();
  std::vector<int> pageTemplates;
  for (const auto& t : templates) pageTemplates.push_back(t.second);
  for (size_t i = 0; i < templates.size(); ++i) {
    std::vector<double> ms;
    for (int round = 0; round < rounds; ++round)
      ms.push_back(i == 0 ? BareMainWindowMs(pageTemplates) : BareTemplateMs(templates[i].second));
    std::string name = i == 0 ? "main window with its first page" : templates[i].first + ": first display";
    std::printf("%-44s %10.2f\n", name.c_str(), Median(ms));
  }
  return 0;
}
