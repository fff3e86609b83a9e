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
#include "commands/commands.h"
#include "commands/device_data.h"
#include "emulator/k40_machine.h"
#include "files/phonebook_file.h"
#include "files/settings_file.h"
#include "link/device_link.h"
#include "link/trace.h"
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

constexpr const char* kBuiltInTheWait = "main window: built in the inquiry's wait";

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
  // As the program opens its main window: built hidden while the inquiry's
  // wait spins, then finished once the answer is in.
  void Prepare() {
    panel = std::make_unique<CMainPanel>();
    SetWaitJob(&CMainPanel::PrepareDuringWait, panel.get());
    Mfp_Inquiry();
    SetWaitJob(nullptr, nullptr);
  }
  void Finish() {
    panel->FinishPrepared();
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
    std::printf("%-44s %10s %10s %14s\n", "action", "real-ms", "max-ms", "waits+link-ms");
    for (const std::string& name : order) {
      const Sample& s = samples.at(name);
      std::printf("%-44s %10.2f %10.2f %14.0f%s%s\n", name.c_str(), Median(s.ours),
                  *std::max_element(s.ours.begin(), s.ours.end()), Median(s.virtualMs),
                  s.boxes ? "  (a box was shown)" : "",
                  name == kBuiltInTheWait ? "  (inside the wait: not the user's)" : "");
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

// A bare page; on the phonebook's template it holds what the phonebook page
// shows (three columns, 80 rows), put there with plain list calls: showing
// that many rows is Wine's work, whoever fills them.
class ListedPage : public CPropertyPage {
 public:
  using CPropertyPage::CPropertyPage;

 protected:
  BOOL InitPage() override {
    HWND list = GetItem(IDC_PB_LIST);
    if (!list) return CPropertyPage::InitPage();
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    const int widths[] = {40, 150, 280};
    char title[] = "Coluna";
    for (int c = 0; c < 3; ++c) {
      LVCOLUMNA desc{};
      desc.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
      desc.cx = widths[c];
      desc.pszText = title;
      desc.iSubItem = c;
      SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&desc));
    }
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_SETITEMCOUNT, 80, 0);
    for (int i = 0; i < 80; ++i) {
      char text[32];
      std::snprintf(text, sizeof text, "%3d", i + 1);
      LVITEMA item{};
      item.mask = LVIF_TEXT;
      item.iItem = i;
      item.pszText = text;
      SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
      char name[] = "CARLOS PEREIRA", number[] = "011987654321";
      char* cells[] = {name, number};
      for (int c = 1; c <= 2; ++c) {
        item.iSubItem = c;
        item.pszText = cells[c - 1];
        SendMessageA(list, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
      }
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    return CPropertyPage::InitPage();
  }
};

// The main window with its sheet and all its pages through the thin sheet
// and page classes, none of the pages' own work: the yardstick for the
// main window's first display (ms[0]: shown and painted, having been made
// hidden) and, page by page as the sheet turns to them, for each page's
// first display (ms[i]).
std::vector<double> BareMainWindowMs(const std::vector<int>& pageTemplates) {
  std::vector<double> ms;
  HWND main = BareMainDialog();
  std::vector<std::unique_ptr<CPropertyPage>> pages;
  CPropertySheet sheet;
  for (int id : pageTemplates) {
    pages.push_back(std::make_unique<ListedPage>(id));
    sheet.AddPage(*pages.back());
  }
  sheet.Create(main);
  // Made hidden, as the program does it in the inquiry's wait: the user sees
  // it shown and painted.
  double start = NowMs();
  ShowWindow(main, SW_SHOW);
  UpdateWindow(main);
  Pump();
  ms.push_back(NowMs() - start);
  for (size_t i = 1; i < pageTemplates.size(); ++i) {
    start = NowMs();
    sheet.SetActivePage(static_cast<int>(i));
    Pump();
    ms.push_back(NowMs() - start);
  }
  sheet.Destroy();
  DestroyWindow(main);
  Pump();
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  Bench bench;
  // The page templates, for the bare windows.
  bench.Open();
  std::vector<std::string> names;
  std::vector<int> pageTemplates;
  for (int i = 0; i < panelSheet->GetPageCount(); ++i) {
    names.push_back(i == 0 ? "main window with its first page" : TabName(i) + ": first display");
    pageTemplates.push_back(panelSheet->GetPage(i)->GetTemplateId());
  }
  bench.Close();

  std::vector<std::vector<double>> bare(pageTemplates.size());
  for (int round = 0; round < rounds; ++round) {
    // Wine's share of the first displays, in the same round so that both
    // see the same machine: the same windows made bare, none of the pages'
    // own work. What is left is ours.
    std::vector<double> one = BareMainWindowMs(pageTemplates);
    for (size_t i = 0; i < one.size(); ++i) bare[i].push_back(one[i]);

    bench.Time(kBuiltInTheWait, [&] { bench.Prepare(); });
    bench.Time("main window with its first page", [&] { bench.Finish(); });
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

  std::printf("\n%-44s %10s %10s %10s\n", "first displays", "in all", "bare", "ours-ms");
  for (size_t i = 0; i < names.size(); ++i) {
    double all = Median(bench.samples[names[i]].ours), wine = Median(bare[i]);
    std::printf("%-44s %10.2f %10.2f %10.2f\n", names[i].c_str(), all, wine, all - wine);
  }
  return 0;
}
