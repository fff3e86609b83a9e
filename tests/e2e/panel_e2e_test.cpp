// End-to-end tests of the real rcpanel.exe: started from the demo folder
// against the emulated machine that the stand-in DLLs host, driven from this
// process, with its debugger output read from Wine's debugstr channel.
// Each ctest entry runs one suite, one panel at a time.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "emulator/k40_machine.h"
#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

// Start-up includes the inquiry's 1.5 s spin (twice more, and the parallel
// fallback, for a silent machine); Wine's first start in a prefix is slower.
constexpr DWORD kStartMs = 60000;
constexpr DWORD kExitMs = 20000;

const char kPortAcquired[] = "TRV 508 RCP: Port Acquire - SUCCESS";
const char kPortRefused[] = "TRV 508 RCP: Port Acquire - FAILED";
const char kPortReleased[] = "TRV 508 RCP: Port Release - TRUE\n";
const char kPortNotReleased[] = "TRV 508 RCP: Port Release - FALSE\n";
const char kInquiryMark[] = "===> INQUIRY <===\n";
const char kInquiryDump[] = "0x0000: 1B A4 00 04 50 E0 82 CD ....P...\r\n";

std::string FreshState(const std::string& tag) {
  const std::string path = kWorkDir + "\\" + tag + "-state.dat";
  DeleteFileA(path.c_str());
  return "state=" + path;
}

// The Information page's values as the machine holds them: texts up to their
// first NUL within the field, free memory " %d %% ", counters "%d".
struct InfoValues {
  std::vector<std::pair<int, std::string>> byControl;
};

InfoValues ExpectedInfo(const K40Machine& machine) {
  const auto& info = machine.state().systemInfo;  // reply bytes 10..268
  auto text = [&](int offset, int width) {
    std::string s(reinterpret_cast<const char*>(&info[offset - 10]), width);
    return s.substr(0, s.find('\0'));
  };
  auto counter = [&](int offset) {
    const uint8_t* p = &info[offset - 10];
    const uint32_t v = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
    return std::to_string(v);
  };
  char freeMemory[16];
  std::snprintf(freeMemory, sizeof freeMemory, " %d %% ", info[122 - 10]);
  InfoValues values;
  values.byControl = {
      {1003, text(10, 32)},  {1065, text(82, 5)},  {1066, text(87, 5)}, {1067, text(92, 15)},
      {1068, text(107, 15)}, {1075, freeMemory},
      {1069, counter(123)},  {1070, counter(127)}, {1071, counter(131)}, {1072, counter(135)},
      {1073, counter(139)},  {1074, counter(143)},
  };
  return values;
}

void CloseMainWindow(HWND main) { PostMessageA(main, WM_CLOSE, 0, 0); }

// Per-program Windows version in Wine's registry (see Windows98Road).
const char kWine98Key[] = "Software\\Wine\\AppDefaults\\rcpanel.exe";

// ---------------------------------------------------------------------------

TEST(Identified, MainWindowShowsFivePagesAndTheMachinesInformation) {
  Panel panel(FreshState("identified"));
  ASSERT_TRUE(panel.started());
  HWND main = WaitForMainWindow(panel, kStartMs);
  ASSERT_NE(main, nullptr) << "no main window; debugger lines:\n" << Printable(panel.DebugLines());
  EXPECT_EQ(WindowText(main), "Dalvenor");

  HWND tab = FindTabControl(main);
  const std::vector<std::string> tabs = TabTexts(tab, panel.pid());
  ASSERT_EQ(tabs.size(), 5u) << Printable(tabs);
  EXPECT_EQ(tabs[3], "Informação") << Printable(tabs);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 0) << "the settings page comes first";

  HWND page = SelectPage(tab, 3, 30000);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(WaitForMessageBox(panel, 500), nullptr) << "the information page reported a failure";
  for (const auto& [id, expected] : ExpectedInfo(K40Machine()).byControl) {
    EXPECT_EQ(ItemText(page, id), expected) << "control " << id;
  }
  EXPECT_EQ(ItemText(page, 1075), " 87 % ");

  CloseMainWindow(main);
  ASSERT_TRUE(panel.WaitForExit(kExitMs)) << "the panel did not end after its window closed";

  const auto lines = panel.DebugLines();
  std::string missing;
  EXPECT_TRUE(InOrder(lines,
                      {kPortAcquired, "WriteFile = nLength(8) nByte(8)\n", kInquiryMark, kInquiryDump,
                       "WriteData = 8 \n", "Length = 39 \n", "dwRet = 269 \n", "dwSize = 269 \n", kPortReleased},
                      &missing))
      << "missing or out of order: " << missing << "\nall lines:\n" << Printable(lines);
  EXPECT_EQ(Count(lines, kInquiryMark), 1) << Printable(lines);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), kPortReleased);
}

TEST(Identified, OtherInquiryModeOpensTheFirmwarePageAlone) {
  Panel panel(FreshState("mode-1") + ";inquiry_mode=1");
  ASSERT_TRUE(panel.started());
  HWND main = WaitForMainWindow(panel, kStartMs);
  ASSERT_NE(main, nullptr) << Printable(panel.DebugLines());
  HWND tab = FindTabControl(main);
  EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 1) << Printable(TabTexts(tab, panel.pid()));
  EXPECT_EQ(WaitForMessageBox(panel, 0), nullptr);
  CloseMainWindow(main);
  ASSERT_TRUE(panel.WaitForExit(kExitMs));
  EXPECT_EQ(Count(panel.DebugLines(), "Length = 39 \n"), 1) << "the machine did answer";
}

TEST(Identified, InformationPageReportsAMachineThatStopsAnswering) {
  Panel panel(FreshState("sysinfo-silent") + ";fault.sysinfo=silent");
  ASSERT_TRUE(panel.started());
  HWND main = WaitForMainWindow(panel, kStartMs);
  ASSERT_NE(main, nullptr) << Printable(panel.DebugLines());
  HWND tab = FindTabControl(main);
  // Posted: the page's first read runs inside the selection, and its box
  // must be answered from here meanwhile.
  PostMessageA(GetParent(tab), PSM_SETCURSEL, 3, 0);
  HWND box = WaitForMessageBox(panel, 30000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(box), "Dalvenor");
  EXPECT_EQ(ItemText(box, 0xFFFF), "Não responde");
  EXPECT_TRUE(ItemVisible(box, IDOK));
  EXPECT_FALSE(ItemVisible(box, IDRETRY));
  EXPECT_FALSE(ItemVisible(box, IDIGNORE));
  PressButton(box, IDOK);
  for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(20);
  EXPECT_EQ(WaitForMessageBox(panel, 1000), nullptr) << "one box per failed read";

  HWND page = reinterpret_cast<HWND>(SendMessageA(GetParent(tab), PSM_GETCURRENTPAGEHWND, 0, 0));
  ASSERT_NE(page, nullptr);
  for (const auto& [id, unused] : ExpectedInfo(K40Machine()).byControl) {
    EXPECT_EQ(ItemText(page, id), "") << "control " << id << " must stay empty";
  }
  CloseMainWindow(main);
  EXPECT_TRUE(panel.WaitForExit(kExitMs));
}

TEST(Silent, AbortEndsWithoutAMainWindow) {
  Panel panel(FreshState("abort") + ";fault=silent");
  ASSERT_TRUE(panel.started());
  HWND box = WaitForMessageBox(panel, kStartMs);
  ASSERT_NE(box, nullptr) << Printable(panel.DebugLines());
  PressButton(box, IDABORT);
  ASSERT_TRUE(panel.WaitForExit(kExitMs)) << "Abort must end the program";
  const auto lines = panel.DebugLines();
  EXPECT_EQ(Count(lines, kInquiryMark), 4) << Printable(lines);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), kPortReleased);
}

TEST(Silent, NoAnswerOffersAbortRetryIgnoreAndIgnoreOpensTheFirmwarePageAlone) {
  Panel panel(FreshState("silent") + ";fault=silent");
  ASSERT_TRUE(panel.started());

  // First box: Retry searches again (USB first, then the parallel port).
  for (int round = 0; round < 2; ++round) {
    HWND box = WaitForMessageBox(panel, kStartMs);
    ASSERT_NE(box, nullptr) << "round " << round << "; debugger lines:\n" << Printable(panel.DebugLines());
    EXPECT_EQ(WindowText(box), "Dalvenor");
    EXPECT_EQ(ItemText(box, 0xFFFF), "Não responde");
    EXPECT_TRUE(ItemVisible(box, IDABORT));
    EXPECT_TRUE(ItemVisible(box, IDRETRY));
    EXPECT_TRUE(ItemVisible(box, IDIGNORE));
    EXPECT_FALSE(ItemVisible(box, IDOK));
    EXPECT_EQ(WaitForMainWindow(panel, 0), nullptr);
    PressButton(box, round == 0 ? IDRETRY : IDIGNORE);
    // The box must be gone before the next look, or it would be found again.
    for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(20);
  }
  // The firmware page's first display asks the machine too.
  HWND box = WaitForMessageBox(panel, kStartMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ItemText(box, 0xFFFF), "Não responde");
  EXPECT_TRUE(ItemVisible(box, IDOK));
  PressButton(box, IDOK);

  HWND main = WaitForMainWindow(panel, kStartMs);
  ASSERT_NE(main, nullptr);
  HWND tab = FindTabControl(main);
  EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 1) << Printable(TabTexts(tab, panel.pid()));

  CloseMainWindow(main);
  ASSERT_TRUE(panel.WaitForExit(kExitMs));
  const auto lines = panel.DebugLines();
  // Two searches, each: two inquiries over USB, two on the parallel port.
  EXPECT_EQ(Count(lines, kInquiryMark), 8) << Printable(lines);
  EXPECT_EQ(Count(lines, "Length = 39 \n"), 0);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), kPortAcquired);
  EXPECT_EQ(lines.back(), kPortReleased);
}

TEST(SecondStart, BringsTheFirstWindowBackAndEnds) {
  Panel first(FreshState("second-start"));
  ASSERT_TRUE(first.started());
  HWND main = WaitForMainWindow(first, kStartMs);
  ASSERT_NE(main, nullptr);
  ShowWindow(main, SW_MINIMIZE);
  for (int i = 0; i < 100 && !IsIconic(main); ++i) Sleep(20);
  ASSERT_TRUE(IsIconic(main));

  Panel second(FreshState("second-start-2"));
  ASSERT_TRUE(second.started());
  const DWORD start = GetTickCount();
  ASSERT_TRUE(second.WaitForExit(kExitMs)) << "the second copy kept running";
  std::printf("second copy ended after %lu ms\n", static_cast<unsigned long>(GetTickCount() - start));
  for (int i = 0; i < 100 && IsIconic(main); ++i) Sleep(20);
  EXPECT_FALSE(IsIconic(main)) << "the first copy's window was not restored";
  // Only one main window, the first copy's (other programs' windows don't count).
  int ours = 0;
  for (HWND w : AllMainWindows()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    ours += pid == first.pid() || pid == second.pid() ? 1 : 0;
  }
  EXPECT_EQ(ours, 1);
  EXPECT_TRUE(IsWindow(main));
  EXPECT_TRUE(second.DebugLines().empty()) << "the second copy must stop before borrowing the port:\n"
                                           << Printable(second.DebugLines());

  CloseMainWindow(main);
  EXPECT_TRUE(first.WaitForExit(kExitMs));
}

TEST(HeldPort, AnotherHolderMakesThePanelSayThePortIsBusy) {
  using PortFn = int32_t(__stdcall*)(int32_t);
  HMODULE lender = LoadLibraryA((kDemoDir + "\\portlend.dll").c_str());
  ASSERT_NE(lender, nullptr);
  auto acquire = reinterpret_cast<PortFn>(reinterpret_cast<void*>(GetProcAddress(lender, "PortAcquire")));
  auto release = reinterpret_cast<PortFn>(reinterpret_cast<void*>(GetProcAddress(lender, "PortRelease")));
  ASSERT_NE(acquire(8), 0);

  Panel panel(FreshState("held-port"));
  ASSERT_TRUE(panel.started());
  HWND box = WaitForMessageBox(panel, kStartMs);
  ASSERT_NE(box, nullptr) << Printable(panel.DebugLines());
  EXPECT_EQ(WindowText(box), "Quillmark K40 Series");
  EXPECT_EQ(ItemText(box, 0xFFFF), "Porta está ocupada");
  EXPECT_TRUE(ItemVisible(box, IDOK));
  EXPECT_FALSE(ItemVisible(box, IDRETRY));
  PressButton(box, IDOK);
  EXPECT_TRUE(panel.WaitForExit(kExitMs)) << "the panel must end after the box";
  release(8);
  FreeLibrary(lender);

  const auto lines = panel.DebugLines();
  // Refused: no inquiry; the exit step still gives the port back (and is told no).
  EXPECT_EQ(lines, (std::vector<std::string>{kPortRefused, kPortNotReleased})) << Printable(lines);
}

TEST(Windows98Road, BothUsbPipesCarryTheIdentification) {
  // Wine reports Windows 98 to this program alone; the key goes when the test ends.
  const char* kKey = kWine98Key;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
  RegCloseKey(key);
  struct Cleanup {
    const char* key;
    ~Cleanup() { RegDeleteKeyA(HKEY_CURRENT_USER, key); }
  } cleanup{kKey};

  Panel panel(FreshState("win98"));
  ASSERT_TRUE(panel.started());
  HWND main = WaitForMainWindow(panel, kStartMs);
  ASSERT_NE(main, nullptr) << Printable(panel.DebugLines());
  EXPECT_EQ(SendMessageA(FindTabControl(main), TCM_GETITEMCOUNT, 0, 0), 5);
  CloseMainWindow(main);
  ASSERT_TRUE(panel.WaitForExit(kExitMs));

  const auto lines = panel.DebugLines();
  std::string missing;
  EXPECT_TRUE(InOrder(lines,
                      {kPortAcquired, " USB Control Port = \\\\.\\pipe\\QuillmarkK40",
                       "WriteFile = nLength(8) nByte(8)\n", kInquiryMark, kInquiryDump, "WriteData = 8 \n",
                       "ReadFile nLength = 43, nBytes = 43 \n", "Length = 39 \n", kPortReleased},
                      &missing))
      << "missing or out of order: " << missing << "\nall lines:\n" << Printable(lines);
}

// The machine on the parallel port, through the bridge that parallel_road.sh
// starts; the USB libraries are there but their pipes are not.
class ParallelRoad : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetEnvironmentVariableA("RCP_PTY_BRIDGE", nullptr, 0) == 0) {
      GTEST_SKIP() << "needs the parallel-port bridge (tests/e2e/parallel_road.sh)";
    }
  }
};

TEST_F(ParallelRoad, EcpDeviceCarriesTheIdentificationOnNt) {
  Panel panel("usb=off");
  ASSERT_TRUE(panel.started());
  HWND main = WaitForMainWindow(panel, kStartMs);
  ASSERT_NE(main, nullptr) << Printable(panel.DebugLines());
  EXPECT_EQ(SendMessageA(FindTabControl(main), TCM_GETITEMCOUNT, 0, 0), 5);
  CloseMainWindow(main);
  ASSERT_TRUE(panel.WaitForExit(kExitMs));

  // Wine's port driver knows nothing of the ECP driver's control codes: both
  // are reported and the read goes on.
  const auto lines = panel.DebugLines();
  std::string missing;
  EXPECT_TRUE(InOrder(lines,
                      {kPortAcquired, kInquiryMark, kInquiryDump, "WriteData = 8 \n",
                       "[Error: Device can't be set to the H/W mode(Method) you want.]",
                       "[Error: Mode has not been changed.]", "Length = 39 \n", kPortReleased},
                      &missing))
      << "missing or out of order: " << missing << "\nall lines:\n" << Printable(lines);
  EXPECT_EQ(Count(lines, kInquiryMark), 1) << "no USB pipe: the ECP device straight away\n" << Printable(lines);
}

TEST_F(ParallelRoad, Lpt1CarriesTheIdentificationOnWindows98) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kWine98Key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
  RegCloseKey(key);
  struct Cleanup {
    ~Cleanup() { RegDeleteKeyA(HKEY_CURRENT_USER, kWine98Key); }
  } cleanup;

  Panel panel("usb=off");
  ASSERT_TRUE(panel.started());
  HWND main = WaitForMainWindow(panel, kStartMs);
  ASSERT_NE(main, nullptr) << Printable(panel.DebugLines());
  CloseMainWindow(main);
  ASSERT_TRUE(panel.WaitForExit(kExitMs));

  const auto lines = panel.DebugLines();
  std::string missing;
  EXPECT_TRUE(InOrder(lines, {kPortAcquired, kInquiryMark, "WriteData = 8 \n", "Length = 39 \n", kPortReleased},
                      &missing))
      << "missing or out of order: " << missing << "\nall lines:\n" << Printable(lines);
  EXPECT_EQ(Count(lines, kInquiryMark), 1) << "no USB pipe: LPT1 straight away\n" << Printable(lines);
  EXPECT_EQ(Count(lines, "[Error: Mode has not been changed.]"), 0);
}

}  // namespace

int main(int argc, char** argv) {
  StartWatchdog(240000);
  // A run ended by the watchdog may have left the panel on the Windows 98 road.
  RegDeleteKeyA(HKEY_CURRENT_USER, kWine98Key);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
