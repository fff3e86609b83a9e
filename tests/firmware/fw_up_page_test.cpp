// The firmware page under Wine, in the main window against the emulated
// machine: its first display, the choice of an image through the real file
// dialog, an update to the completion box on the LPT and ECP roads, a failed
// one, and a window that keeps painting but takes no input while it works.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/main_panel.h"
#include "commands/device_data.h"
#include "emulator/k40_machine.h"
#include "link/device_link.h"
#include "pages/fw_up_page.h"
#include "pages/page_set.h"
#include "res/resource.h"
#include "tests/app/box_answerer.h"
#include "tests/app/machine_os.h"
#include "widgets/property_sheet.h"

namespace {

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

std::vector<uint8_t> Image(size_t size, const char* head = "$IMG1.05") {
  std::vector<uint8_t> image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 7 + 1);
  size_t i = 0;
  for (; head[i] && i < size; ++i) image[i] = static_cast<uint8_t>(head[i]);
  if (i < size) image[i] = 0;  // ends the version text the machine takes from the image
  return image;
}

// The emulated machine's OS, with every sleep also taking a fifth of its
// length in real time, so that another thread can look at the window during
// the update's pauses.
class SlowOs final : public Os {
 public:
  explicit SlowOs(MachineOs& inner) : inner_(inner) { InstallOs(this); }
  ~SlowOs() override { InstallOs(&inner_); }
  OsHandle OpenDevice(const char* n, uint32_t a, uint32_t s, uint32_t f) override { return inner_.OpenDevice(n, a, s, f); }
  bool WriteDevice(OsHandle h, const uint8_t* b, uint32_t l, uint32_t* w) override { return inner_.WriteDevice(h, b, l, w); }
  bool ReadDevice(OsHandle h, uint8_t* b, uint32_t l, uint32_t* r) override { return inner_.ReadDevice(h, b, l, r); }
  void CloseDevice(OsHandle h) override { inner_.CloseDevice(h); }
  bool FileSize(OsHandle h, uint64_t* size) override { return inner_.FileSize(h, size); }
  bool GetTimeouts(OsHandle h, CommTimeouts* t) override { return inner_.GetTimeouts(h, t); }
  bool SetTimeouts(OsHandle h, const CommTimeouts& t) override { return inner_.SetTimeouts(h, t); }
  bool IoControl(OsHandle h, uint32_t c, const void* i, uint32_t l) override { return inner_.IoControl(h, c, i, l); }
  uint8_t PortIn(uint16_t p) override { return inner_.PortIn(p); }
  void PortOut(uint16_t p, uint8_t v) override { inner_.PortOut(p, v); }
  uint16_t BiosWord(uint32_t a) override { return inner_.BiosWord(a); }
  void DebugOutput(const char* text) override { inner_.DebugOutput(text); }
  uint32_t TickCount() override { return inner_.TickCount(); }
  void SleepMs(uint32_t ms) override {
    inner_.SleepMs(ms);
    ::Sleep(ms / 5);
  }
  OsLibrary LoadLib(const char* name) override { return inner_.LoadLib(name); }
  void* LibProc(OsLibrary l, const char* name) override { return inner_.LibProc(l, name); }
  void FreeLib(OsLibrary l) override { inner_.FreeLib(l); }

 private:
  MachineOs& inner_;
};

class FwUpPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDeviceData();
    DeviceLink::Reset();
    DeviceLink::hostPlatform = HostPlatform::Nt5;
    DeviceLink::portKind = PortKind::Lpt1;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    m_dir = std::string(temp) + "rcp-fw-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(m_dir.c_str(), nullptr);
  }
  void TearDown() override {
    panel.reset();
    Pump();
    EXPECT_EQ(answerer.Unexpected(), 0) << "a box or file dialog nobody expected";
    for (const std::string& file : m_files) DeleteFileA(file.c_str());
    RemoveDirectoryA(m_dir.c_str());
    ResetDeviceData();
  }

  // The main window as start-up opens it without a full answer: the firmware
  // page alone, shown at once.
  void Open(bool withMachine = true) {
    os.machine = withMachine ? &machine : nullptr;
    panel = std::make_unique<CMainPanel>();
    ASSERT_NE(panel->Create(), nullptr);
    Pump();
    ASSERT_NE(fwUpPage, nullptr);
    page = static_cast<CPropertyPage*>(fwUpPage)->GetHwnd();
    ASSERT_NE(page, nullptr);
  }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = m_dir + "\\" + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    m_files.push_back(path);
    return path;
  }
  void Click(int id) {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    Pump();
  }
  void Choose(const std::string& path) {
    answerer.ExpectFile(path);
    Click(IDC_FW_BROWSE);
  }
  std::string Shown(int id) const { return BoxAnswerer::Text(GetDlgItem(page, id)); }
  bool UpdateEnabled() const { return IsWindowEnabled(GetDlgItem(page, IDC_FW_UPDATE)) != FALSE; }
  int Progress() const { return static_cast<int>(SendMessageA(GetDlgItem(page, IDC_FW_PROGRESS), PBM_GETPOS, 0, 0)); }

  MachineOs os;
  K40Machine machine;
  BoxAnswerer answerer;
  std::unique_ptr<CMainPanel> panel;
  HWND page = nullptr;
  std::string m_dir;
  std::vector<std::string> m_files;
};

TEST_F(FwUpPageTest, FirstDisplayShowsTheMachineAndNoImage) {
  Open();
  const auto& info = machine.state().systemInfo;
  auto text = [&](int offset, int width) { return std::string(&info[offset - 10], &info[offset - 10] + width); };
  EXPECT_EQ(Shown(IDC_FW_MODEL), text(10, 32));
  EXPECT_EQ(Shown(IDC_FW_VERSION), text(82, 5));
  EXPECT_EQ(Shown(IDC_FW_EMULATION1), text(92, 15));
  EXPECT_EQ(Shown(IDC_FW_EMULATION2), text(107, 15));
  EXPECT_EQ(Shown(IDC_FW_MESSAGE), "Selecione um arquivo de firmware.");
  for (int id : {IDC_FW_FILENAME, IDC_FW_FILESIZE, IDC_FW_PERCENT}) EXPECT_EQ(Shown(id), "") << id;
  EXPECT_FALSE(UpdateEnabled());
}

TEST_F(FwUpPageTest, ASilentMachineAtFirstDisplayLeavesTheFieldsEmpty) {
  answerer.Expect(IDOK);
  Open(false);
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].text, "Não responde");
  for (int id : {IDC_FW_MODEL, IDC_FW_VERSION, IDC_FW_EMULATION1, IDC_FW_EMULATION2}) EXPECT_EQ(Shown(id), "") << id;
}

TEST_F(FwUpPageTest, ChoicesShowTheSizeAndSetTheUpdateButton) {
  Open();
  const std::string valid = Write("valid.img", Image(1048576));
  const std::string locked = Write("locked.img", Image(100));
  // 3 GiB, sparse: the size must not come out negative.
  const std::string huge = m_dir + "\\huge.img";
  {
    HANDLE file = CreateFileA(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, "$IMG", 4, &written, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = 3221225472LL;
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
    m_files.push_back(huge);
  }
  struct {
    std::string typed;  // empty: Cancel
    std::string name;   // path shown afterwards
    const char* size;
    bool enabled;
    const char* message;
  } steps[] = {
      {valid, valid, "1048576 Byte", true, "Selecione um arquivo de firmware."},
      {"", valid, "1048576 Byte", true, "Selecione um arquivo de firmware."},
      {Write("lower.img", Image(5, "$img")), m_dir + "\\lower.img", "5 Byte", false, "Arquivo de firmware inválido"},
      {Write("four.img", Image(4)), m_dir + "\\four.img", "4 Byte", true, "Selecione um arquivo de firmware."},
      {Write("three.img", Image(3)), m_dir + "\\three.img", "3 Byte", false, "Arquivo de firmware inválido"},
      {valid, valid, "1048576 Byte", true, "Selecione um arquivo de firmware."},
      {locked, "", "1048576 Byte", false, "Selecione um arquivo de firmware."},
      {huge, huge, "3221225472 Byte", true, "Selecione um arquivo de firmware."},
  };
  HANDLE lock = CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  for (const auto& step : steps) {
    SCOPED_TRACE(step.typed.empty() ? "cancel" : step.typed);
    Choose(step.typed);
    EXPECT_EQ(Shown(IDC_FW_FILENAME), step.name);
    EXPECT_EQ(Shown(IDC_FW_FILESIZE), step.size);
    EXPECT_EQ(UpdateEnabled(), step.enabled);
    EXPECT_EQ(Shown(IDC_FW_MESSAGE), step.message);
  }
  CloseHandle(lock);
  EXPECT_EQ(answerer.fileDialogs.size(), 8u);
  EXPECT_TRUE(answerer.boxes.empty()) << "choices never show a box";
}

TEST_F(FwUpPageTest, UpdateRunsToTheCompletionBoxOnTheLinkAndTheEcpRoad) {
  for (PortKind port : {PortKind::Lpt1, PortKind::Ecp1}) {
    SCOPED_TRACE(port == PortKind::Lpt1 ? "LPT1" : "ECP");
    DeviceLink::portKind = port;
    machine = K40Machine();
    os.debugLines.clear();
    Open();
    const std::vector<uint8_t> image = Image(10000);
    Choose(Write("update.img", image));
    const uint64_t before = os.virtualMs;
    os.debugLines.clear();
    answerer.Expect(IDOK);
    SetFocus(GetDlgItem(page, IDC_FW_UPDATE));
    Click(IDC_FW_UPDATE);
    ASSERT_EQ(answerer.boxes.size(), 1u);
    // The machine restarted with the image's version, and the page says so.
    EXPECT_EQ(answerer.boxes[0].text, "Atualização concluída! A máquina agora usa o firmware 1.05.");
    EXPECT_EQ(answerer.boxes[0].caption, "Dalvenor");
    EXPECT_EQ(answerer.boxes[0].buttons, std::vector<int>{IDOK});
    EXPECT_EQ(Shown(IDC_FW_VERSION), "1.05 ");
    answerer.boxes.clear();
    EXPECT_GE(os.virtualMs - before, 45000u);
    EXPECT_EQ(machine.state().firmwareImage, image);
    EXPECT_EQ(Shown(IDC_FW_MESSAGE), "Selecione um arquivo de firmware.");
    for (int id : {IDC_FW_FILENAME, IDC_FW_FILESIZE, IDC_FW_PERCENT}) EXPECT_EQ(Shown(id), "") << id;
    EXPECT_EQ(Progress(), 0);
    EXPECT_FALSE(UpdateEnabled());
    EXPECT_EQ(GetFocus(), GetDlgItem(page, IDC_FW_BROWSE)) << "the keyboard moves on from the greyed button";
    const bool ecpLine = !os.debugLines.empty() && os.debugLines[0] == " >> OnUpdate4NtLpt()  <<<";
    EXPECT_EQ(ecpLine, port == PortKind::Ecp1);
    panel.reset();
    Pump();
  }
}

TEST_F(FwUpPageTest, AnUpdateThatDidNotTakeIsNotCalledDone) {
  struct {
    FirmwareRestart restart;
    const char* box;
    const char* version;  // on the page afterwards
  } cases[] = {
      {FirmwareRestart::KeepsOld, "A máquina informa a mesma versão de firmware de antes: 1.04.", "1.04 "},
      {FirmwareRestart::Silent,
       "A máquina não respondeu depois de reiniciar: não foi possível confirmar a atualização.", "1.04 "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.box);
    machine = K40Machine();
    machine.SetFirmwareRestart(c.restart);
    Open();
    Choose(Write("kept.img", Image(10000)));
    answerer.Expect(IDOK);
    Click(IDC_FW_UPDATE);
    ASSERT_EQ(answerer.boxes.size(), 1u);
    EXPECT_EQ(answerer.boxes[0].text, c.box);
    EXPECT_EQ(answerer.boxes[0].caption, "Dalvenor");
    answerer.boxes.clear();
    EXPECT_EQ(Shown(IDC_FW_VERSION), c.version);
    EXPECT_EQ(machine.state().firmwareImagesReceived, 1u);
    panel.reset();
    Pump();
  }
}

TEST_F(FwUpPageTest, FailureKeepsTheChoiceAndAGoneImageIsForgotten) {
  Open();
  const std::string path = Write("fails.img", Image(10000));
  Choose(path);
  machine.SetFault(MachineCommand::FirmwareStart, {MachineFault::Silent});
  os.debugLines.clear();
  Click(IDC_FW_UPDATE);
  EXPECT_EQ(Shown(IDC_FW_MESSAGE), "Falha ao gravar os dados.");
  EXPECT_EQ(Shown(IDC_FW_FILENAME), path);
  EXPECT_EQ(Shown(IDC_FW_FILESIZE), "10000 Byte");
  EXPECT_TRUE(UpdateEnabled());
  // The start command at once (the version before is the one the page
  // shows), not answered.
  EXPECT_EQ(os.debugLines, std::vector<std::string>{"FwUp: Failed to read response "});

  DeleteFileA(path.c_str());
  Click(IDC_FW_UPDATE);
  EXPECT_EQ(Shown(IDC_FW_FILENAME), "");
  EXPECT_FALSE(UpdateEnabled());
  EXPECT_TRUE(answerer.boxes.empty());
}

TEST_F(FwUpPageTest, DuringTheLongPauseTheWindowPaintsAnswersAndTakesNoInput) {
  Open();
  Choose(Write("slow.img", Image(10000)));
  HWND main = panel->GetHwnd();
  HWND tab = panelSheet->GetTabControl();
  struct Watch {
    HWND main, page, tab;
    std::atomic<bool> sawPause{false}, answered{false}, painted{false}, hung{true}, done{false};
  } watch{main, page, tab};
  HANDLE thread = CreateThread(nullptr, 0, [](void* arg) -> DWORD {
    auto& w = *static_cast<Watch*>(arg);
    HWND message = GetDlgItem(w.page, IDC_FW_MESSAGE);
    char text[160] = {};
    DWORD_PTR result = 0;
    for (int i = 0; i < 400 && !w.sawPause; ++i) {
      Sleep(25);
      SendMessageTimeoutA(message, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 1000, &result);
      w.sawPause = std::string(text).rfind("Gravação concluída.", 0) == 0;
    }
    if (!w.sawPause) return 1;
    // Five seconds without a look at the queue makes a window "not responding".
    Sleep(5200);
    w.hung = IsHungAppWindow(w.main) != FALSE;
    w.answered = SendMessageTimeoutA(w.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
    InvalidateRect(w.page, nullptr, TRUE);
    for (int i = 0; i < 40 && !w.painted; ++i) {
      Sleep(25);
      w.painted = GetUpdateRect(w.page, nullptr, FALSE) == FALSE;
    }
    // A click on "Procurar..." and on another tab, and a key: none may act.
    HWND browse = GetDlgItem(w.page, IDC_FW_BROWSE);
    PostMessageA(browse, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(browse, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PostMessageA(w.tab, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(w.tab, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PostMessageA(GetDlgItem(w.page, IDC_FW_UPDATE), WM_KEYDOWN, VK_SPACE, 0);
    PostMessageA(GetDlgItem(w.page, IDC_FW_UPDATE), WM_KEYUP, VK_SPACE, 0);
    w.done = true;
    return 0;
  }, &watch, 0, nullptr);
  {
    SlowOs slow(os);
    answerer.Expect(IDOK);
    Click(IDC_FW_UPDATE);
  }
  EXPECT_TRUE(watch.done) << "the look at the window did not end within the pause";
  WaitForSingleObject(thread, 20000);
  CloseHandle(thread);
  EXPECT_TRUE(watch.sawPause);
  EXPECT_FALSE(watch.hung);
  EXPECT_TRUE(watch.answered);
  EXPECT_TRUE(watch.painted);
  EXPECT_EQ(answerer.fileDialogs.size(), 1u) << "a click during the update opened the file dialog";
  EXPECT_EQ(panelSheet->GetActivePage(), static_cast<CPropertyPage*>(fwUpPage));
  EXPECT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(machine.state().firmwareImage.size(), 10000u);
  int starts = 0;
  for (MachineCommand kind : machine.RequestKinds()) starts += kind == MachineCommand::FirmwareStart;
  EXPECT_EQ(starts, 1);
}

}  // namespace
