// The main window and the information page under Wine: page sets and tab
// order, tab images, the phonebook menu rule, the sizing rule, commands and
// help, and the information page against the emulated machine.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/app_shell.h"
#include "app/main_panel.h"
#include "commands/device_data.h"
#include "emulator/k40_machine.h"
#include "link/device_link.h"
#include "pages/info_page.h"
#include "pages/page_set.h"
#include "pages/settings_page.h"
#include "res/resource.h"
#include "tests/app/box_answerer.h"
#include "tests/app/help_recorder.h"
#include "tests/app/machine_os.h"
#include "widgets/hover_button.h"
#include "widgets/property_sheet.h"

namespace {

struct HelpCall {
  HWND window;
  std::string file;
  UINT command;
  ULONG_PTR data;
};
std::vector<HelpCall> helpCalls;
BOOL WINAPI RecordHelp(HWND window, LPCSTR file, UINT command, ULONG_PTR data) {
  helpCalls.push_back({window, file, command, data});
  return TRUE;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

struct Tab {
  std::string text;
  int image;
};

std::vector<Tab> Tabs(HWND tabControl) {
  std::vector<Tab> tabs;
  int count = static_cast<int>(SendMessageA(tabControl, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[128] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tabControl, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
    tabs.push_back({text, item.iImage});
  }
  return tabs;
}

std::vector<std::string> TabTexts(HWND tabControl) {
  std::vector<std::string> texts;
  for (const Tab& tab : Tabs(tabControl)) texts.push_back(tab.text);
  return texts;
}

// Wire positions inside the machine's system-information block (reply
// offset minus the 10 bytes of frame).
void PutText(K40Machine& machine, int offset, int width, const char* text) {
  auto& block = machine.state().systemInfo;
  for (int i = 0; i < width; ++i) block[offset - 10 + i] = 0;
  for (int i = 0; text[i] && i < width; ++i) block[offset - 10 + i] = static_cast<uint8_t>(text[i]);
}
void PutCounter(K40Machine& machine, int offset, uint32_t value) {
  auto& block = machine.state().systemInfo;
  for (int i = 0; i < 4; ++i) block[offset - 10 + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

const int kInfoControls[] = {IDC_INFO_MODEL,        IDC_INFO_FIRMWARE,  IDC_INFO_ENGINE,
                             IDC_INFO_EMULATION1,   IDC_INFO_EMULATION2, IDC_INFO_FREE_MEMORY,
                             IDC_INFO_PLATEN_SCANS, IDC_INFO_ADF_SCANS, IDC_INFO_PRINTS,
                             IDC_INFO_DRUM,         IDC_INFO_ADF_JAMS,  IDC_INFO_PRINT_JAMS};

class PanelTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetDeviceData();
    DeviceLink::Reset();
    DeviceLink::hostPlatform = HostPlatform::Nt5;
    DeviceLink::portKind = PortKind::Lpt1;
    helpCalls.clear();
    CMainPanel::helpEngine = &RecordHelp;
  }
  void TearDown() override {
    panel.reset();
    Pump();
    EXPECT_EQ(answerer.Unexpected(), 0) << "a message box nobody expected";
    CMainPanel::helpEngine = &WinHelpA;
    ResetDeviceData();
  }

  void Open(bool full, bool withMachine = true) {
    inquiryAnswered = full;
    fullPanel = full;
    // Start-up makes the phonebook table once the machine answered.
    speedDialCount = full ? kSpeedDialEntries : 0;
    ASSERT_TRUE(CreatePhonebookTable());
    os.machine = withMachine ? &machine : nullptr;
    panel = std::make_unique<CMainPanel>();
    ASSERT_NE(panel->Create(), nullptr);
    Pump();
    ASSERT_NE(panelSheet, nullptr);
  }
  HWND Main() const { return panel->GetHwnd(); }
  HWND TabControl() const { return panelSheet->GetTabControl(); }
  bool Greyed(UINT id) const {
    return (GetMenuState(GetMenu(Main()), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
  }
  void Select(int index) {
    ASSERT_TRUE(panelSheet->SetActivePage(index));
    Pump();
  }
  std::string InfoText(int id) const {
    return BoxAnswerer::Text(GetDlgItem(static_cast<CPropertyPage*>(infoPage)->GetHwnd(), id));
  }

  MachineOs os;
  K40Machine machine;
  BoxAnswerer answerer;
  // Help goes to the (recorded) engine only with a help file beside the program.
  HelpFileBeside helpFile;
  DocumentRecorder documents;
  std::unique_ptr<CMainPanel> panel;
};

TEST_F(PanelTest, FullPageSetInTabOrderWithImages) {
  Open(true);
  std::vector<Tab> tabs = Tabs(TabControl());
  std::vector<std::string> expected = {"Configurações", "Avançado", "Diretório telefônico", "Informação",
                                       "Atualização do firmware"};
  ASSERT_EQ(TabTexts(TabControl()), expected);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(tabs[i].image, i) << "tab " << i;
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(TabControl(), TCM_GETIMAGELIST, 0, 0));
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(images), 5);
  int width = 0, height = 0;
  ImageList_GetIconSize(images, &width, &height);
  EXPECT_EQ(width, 20);
  EXPECT_EQ(panelSheet->GetActiveIndex(), 0);
  EXPECT_EQ(panelSheet->GetActivePage(), static_cast<CPropertyPage*>(settingsPage));
  EXPECT_EQ(BoxAnswerer::Text(Main()), "Dalvenor");
  EXPECT_EQ(AppMainWindow(), Main());
  // Exit and help are raised icon buttons.
  for (int id : {IDC_EXIT, IDC_HELPBTN}) {
    auto* button = dynamic_cast<CHoverButton*>(CControl::FromHandle(GetDlgItem(Main(), id)));
    ASSERT_NE(button, nullptr) << "button " << id << " is not bound";
    EXPECT_FALSE(button->IsFlat()) << "button " << id;
    EXPECT_NE(button->GetIcon(), nullptr) << "button " << id;
  }
}

TEST_F(PanelTest, WithoutFullPanelOnlyTheFirmwarePageWithTheFirstImage) {
  Open(false);
  std::vector<Tab> tabs = Tabs(TabControl());
  ASSERT_EQ(tabs.size(), 1u);
  EXPECT_EQ(tabs[0].text, "Atualização do firmware");
  EXPECT_EQ(tabs[0].image, 0);
  EXPECT_EQ(BoxAnswerer::Text(Main()), "Dalvenor");
  // All five page objects exist, whichever were added.
  EXPECT_TRUE(settingsPage && advancedPage && phonebookPage && infoPage && fwUpPage);
  EXPECT_TRUE(Greyed(ID_LOAD_PHONEBOOK));
  EXPECT_TRUE(Greyed(ID_SAVE_PHONEBOOK));
  // No settings to keep in a file: greyed, and no file dialog either way.
  EXPECT_TRUE(Greyed(ID_LOAD_SETTINGS) && Greyed(ID_SAVE_SETTINGS));
  for (WORD id : {ID_LOAD_SETTINGS, ID_SAVE_SETTINGS}) SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
  Pump();
}

TEST_F(PanelTest, SheetAndButtonsTakePartInTabbing) {
  Open(true);
  HWND sheet = panelSheet->GetHwnd();
  EXPECT_EQ(GetParent(sheet), Main());
  LONG_PTR style = GetWindowLongPtrA(sheet, GWL_STYLE);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_TRUE(style & WS_TABSTOP);
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_TRUE(GetWindowLongPtrA(sheet, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
  // Only one row of tabs.
  EXPECT_FALSE(GetWindowLongPtrA(TabControl(), GWL_STYLE) & TCS_MULTILINE);
}

TEST_F(PanelTest, PhonebookMenuFollowsThePhonebookPage) {
  Open(true);
  EXPECT_TRUE(Greyed(ID_LOAD_PHONEBOOK));
  EXPECT_TRUE(Greyed(ID_SAVE_PHONEBOOK));
  Select(2);
  EXPECT_FALSE(Greyed(ID_LOAD_PHONEBOOK));
  EXPECT_FALSE(Greyed(ID_SAVE_PHONEBOOK));
  Select(4);
  EXPECT_TRUE(Greyed(ID_LOAD_PHONEBOOK));
  EXPECT_TRUE(Greyed(ID_SAVE_PHONEBOOK));
  Select(2);
  Select(0);
  EXPECT_TRUE(Greyed(ID_LOAD_PHONEBOOK));
  EXPECT_TRUE(Greyed(ID_SAVE_PHONEBOOK));
}

TEST_F(PanelTest, WindowIsSizedAroundTheSheet) {
  std::vector<LONG> clientHeights;
  for (bool full : {true, false}) {
    SCOPED_TRACE(full ? "five pages" : "firmware page alone");
    Open(full);
    HWND sheet = panelSheet->GetHwnd();
    RECT sheetRect, mainRect;
    GetWindowRect(sheet, &sheetRect);
    GetWindowRect(Main(), &mainRect);
    POINT origin{sheetRect.left, sheetRect.top};
    ScreenToClient(Main(), &origin);
    EXPECT_EQ(origin.x, 10);
    EXPECT_EQ(origin.y, 10);

    HDC dc = GetDC(Main());
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(Main(), WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(Main(), dc);

    int sheetWidth = sheetRect.right - sheetRect.left;  // client width + 20
    int sheetHeight = sheetRect.bottom - sheetRect.top;
    EXPECT_EQ(mainRect.right - mainRect.left, sheetWidth + 10);
    EXPECT_EQ(mainRect.bottom - mainRect.top, 6 * metrics.tmHeight + sheetHeight +
                                                  GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU));

    // One row of tabs whatever their number: the sheet is as tall with five
    // pages as with one, and its page area holds the page it shows.
    RECT client;
    GetClientRect(sheet, &client);
    clientHeights.push_back(client.bottom);
    RECT area;
    GetClientRect(TabControl(), &area);
    TabCtrl_AdjustRect(TabControl(), FALSE, &area);
    MapWindowPoints(TabControl(), nullptr, reinterpret_cast<POINT*>(&area), 2);
    RECT page, tab;
    GetWindowRect(panelSheet->GetActivePage()->GetHwnd(), &page);
    GetWindowRect(TabControl(), &tab);
    EXPECT_EQ(page.top, area.top);
    EXPECT_EQ(page.bottom, area.bottom);
    EXPECT_LE(tab.bottom, sheetRect.bottom);

    // The exit and help buttons lie wholly below the sheet, with a margin.
    for (int id : {IDC_EXIT, IDC_HELPBTN}) {
      RECT button;
      GetWindowRect(GetDlgItem(Main(), id), &button);
      EXPECT_GE(button.top, sheetRect.bottom + 4) << "button " << id;
      RECT mainClient;
      GetClientRect(Main(), &mainClient);
      MapWindowPoints(Main(), nullptr, reinterpret_cast<POINT*>(&mainClient), 2);
      EXPECT_LE(button.bottom, mainClient.bottom) << "button " << id;
    }
    panel.reset();
  }
  ASSERT_EQ(clientHeights.size(), 2u);
  EXPECT_EQ(clientHeights[0], clientHeights[1]);
}

TEST_F(PanelTest, EnterKeepsTheWindowOpenExitAndEscEndIt) {
  Open(true);
  // Enter in a field of a page, routed as the dialog manager routes it.
  HWND field = GetDlgItem(static_cast<CPropertyPage*>(settingsPage)->GetHwnd(), IDC_SET_DISCARD);
  ASSERT_NE(field, nullptr);
  SetFocus(field);
  MSG enter{field, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  IsDialogMessageA(Main(), &enter);
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  Pump();
  ASSERT_TRUE(IsWindow(Main())) << "Enter ended the program";
  EXPECT_TRUE(IsWindow(panelSheet->GetHwnd()));

  HWND main = Main();
  SendMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_EXIT)));
  Pump();
  EXPECT_FALSE(IsWindow(main));
  panel.reset();

  Open(true);
  main = Main();
  SendMessageA(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  Pump();
  EXPECT_FALSE(IsWindow(main)) << "Esc / the close box end the window";
}

TEST_F(PanelTest, HelpCommandsOpenContextOneBesideTheProgram) {
  Open(false);
  char program[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string expectedFile = program;
  expectedFile = expectedFile.substr(0, expectedFile.rfind('.')) + ".HLP";

  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(IDC_HELPBTN, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(Main(), IDC_HELPBTN)));
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(ID_HELP_STANDARD, 0), 0);
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(ID_HELP_CONTENTS, 0), 0);
  ASSERT_EQ(helpCalls.size(), 3u);
  for (const HelpCall& call : helpCalls) {
    EXPECT_EQ(call.window, Main());
    EXPECT_EQ(call.file, expectedFile);
    EXPECT_EQ(call.command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(call.data, 1u);
  }
  // Closing the window closes the help viewer.
  helpCalls.clear();
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(ID_APP_EXIT_MENU, 0), 0);
  Pump();
  EXPECT_FALSE(IsWindow(panelSheet ? panelSheet->GetHwnd() : nullptr));
  ASSERT_EQ(helpCalls.size(), 1u);
  EXPECT_EQ(helpCalls[0].command, static_cast<UINT>(HELP_QUIT));
  EXPECT_EQ(helpCalls[0].file, expectedFile);
  EXPECT_EQ(AppMainWindow(), nullptr) << "later boxes must not belong to a destroyed window";
}

TEST_F(PanelTest, ExitButtonAndUnwiredFileCommandsAndMinimisedIcon) {
  Open(true);
  for (int i = 0; i < 2; ++i) answerer.ExpectFile("");  // the settings-file dialogs, cancelled
  for (WORD id : {ID_LOAD_PHONEBOOK, ID_SAVE_PHONEBOOK, ID_LOAD_SETTINGS, ID_SAVE_SETTINGS})
    SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
  Pump();
  EXPECT_TRUE(IsWindow(Main())) << "file commands do not end the window";
  LRESULT dragIcon = SendMessageA(Main(), WM_QUERYDRAGICON, 0, 0);
  EXPECT_NE(dragIcon, 0);
  EXPECT_EQ(dragIcon, SendMessageA(Main(), WM_GETICON, ICON_BIG, 0)) << "the application icon";
  EXPECT_EQ(dragIcon, SendMessageA(Main(), WM_GETICON, ICON_SMALL, 0));
  HWND main = Main();
  SendMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_EXIT)));
  Pump();
  EXPECT_FALSE(IsWindow(main));
}

// --- modal run: F1 and the about box are seen inside the dialog's own loop ---

int scriptStep = 0;
bool scriptBusy = false;
std::vector<std::string> otherDialogs;

void CALLBACK ModalScript(HWND, UINT, UINT_PTR, DWORD) {
  if (scriptBusy) return;
  scriptBusy = true;
  HWND main = AppMainWindow();
  if (main) {
    switch (scriptStep++) {
      case 0:
        // What Windows posts for F1, here to a control of the active page.
      {
        HWND page = panelSheet->GetActivePage()->GetHwnd();
        HWND control = GetWindow(page, GW_CHILD);
        PostMessageA(control ? control : page, 0x004D, 0, 0);
        break;
      }
      case 1:
        SendMessageA(main, WM_COMMAND, MAKEWPARAM(ID_ABOUT, 0), 0);  // returns when the box is closed
        break;
      case 2:
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), 0);
        break;
    }
  }
  scriptBusy = false;
}

TEST_F(PanelTest, F1AnywhereOpensHelpOnceAndAboutIsModal) {
  inquiryAnswered = fullPanel = false;
  os.machine = &machine;
  scriptStep = 0;
  otherDialogs.clear();
  answerer.onOtherDialog = [](HWND dialog) {
    otherDialogs.push_back(BoxAnswerer::Text(dialog));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  };
  UINT_PTR timer = SetTimer(nullptr, 0, 20, &ModalScript);
  CMainPanel modal;
  INT_PTR result = modal.DoModal();
  KillTimer(nullptr, timer);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(otherDialogs, std::vector<std::string>{"Sobre"});
  ASSERT_EQ(helpCalls.size(), 2u);
  EXPECT_EQ(helpCalls[0].command, static_cast<UINT>(HELP_CONTEXT));
  EXPECT_EQ(helpCalls[0].data, 1u);
  EXPECT_EQ(helpCalls[1].command, static_cast<UINT>(HELP_QUIT));
}

// --- modal run: the page-switching keys of a property sheet ---

struct SwitchKey {
  WPARAM key;
  bool shift;
};
const SwitchKey kSwitchKeys[] = {
    {VK_TAB, false}, {VK_NEXT, false}, {VK_PRIOR, false}, {VK_TAB, true}, {VK_TAB, true}, {VK_TAB, false},
};
size_t switchStep = 0;
bool switchBusy = false;
std::vector<int> activeAfterKey;

void HoldKeys(bool control, bool shift) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = control ? 0x80 : 0;
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
}

void CALLBACK SwitchScript(HWND, UINT, UINT_PTR, DWORD) {
  if (switchBusy || !AppMainWindow()) return;
  switchBusy = true;
  if (switchStep > 0) activeAfterKey.push_back(panelSheet->GetActiveIndex());
  if (switchStep < std::size(kSwitchKeys)) {
    const SwitchKey& key = kSwitchKeys[switchStep];
    HoldKeys(true, key.shift);
    // From a control of the page, or from the window's own exit button.
    HWND page = panelSheet->GetActivePage()->GetHwnd();
    HWND target = switchStep == 1 ? GetDlgItem(AppMainWindow(), IDC_EXIT) : GetWindow(page, GW_CHILD);
    PostMessageA(target ? target : page, WM_KEYDOWN, key.key, 1);
  } else {
    HoldKeys(false, false);
    PostMessageA(AppMainWindow(), WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), 0);
  }
  ++switchStep;
  switchBusy = false;
}

TEST_F(PanelTest, ControlTabAndControlPageKeysSwitchPages) {
  inquiryAnswered = fullPanel = true;
  speedDialCount = kSpeedDialEntries;
  ASSERT_TRUE(CreatePhonebookTable());
  os.machine = &machine;
  switchStep = 0;
  activeAfterKey.clear();
  UINT_PTR timer = SetTimer(nullptr, 0, 20, &SwitchScript);
  CMainPanel modal;
  INT_PTR result = modal.DoModal();
  KillTimer(nullptr, timer);
  HoldKeys(false, false);
  EXPECT_EQ(result, IDOK);
  // Tab and PageDown go on, PageUp and Shift+Tab go back, both wrap.
  EXPECT_EQ(activeAfterKey, (std::vector<int>{1, 2, 1, 0, 4, 0}));
}

// --- page layouts under the font the system really has ---

// Width in pixels of `text` (ampersands of mnemonics left out) in the font of
// `control`.
int TextWidth(HWND control, std::string text) {
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size.cx;
}

struct Clipped {
  HWND page;
  std::vector<std::string> texts;
  std::vector<RECT> groups;   // group boxes
  std::vector<std::pair<std::string, RECT>> pushButtons;
};

BOOL CALLBACK FindClipped(HWND control, LPARAM found) {
  auto* clipped = reinterpret_cast<Clipped*>(found);
  if (GetParent(control) != clipped->page) return TRUE;
  LONG style = GetWindowLongA(control, GWL_STYLE);
  if (!(style & WS_VISIBLE)) return TRUE;
  char name[32] = {};
  GetClassNameA(control, name, sizeof name);
  std::string text = BoxAnswerer::Text(control);
  RECT client;
  GetClientRect(control, &client);
  int room = client.right;
  int oneLine = 0;
  if (lstrcmpiA(name, "Static") == 0) {
    LONG type = style & SS_TYPEMASK;
    // Labels only: the sunken value fields are filled at run time.
    if ((type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT) || (style & SS_SUNKEN)) return TRUE;
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    oneLine = metrics.tmHeight;
    // A label two lines high may wrap.
    if (client.bottom >= 2 * oneLine) return TRUE;
  } else if (lstrcmpiA(name, "Button") == 0) {
    LONG type = style & BS_TYPEMASK;
    RECT onScreen;
    GetWindowRect(control, &onScreen);
    if (type == BS_GROUPBOX) {
      clipped->groups.push_back(onScreen);
      return TRUE;
    }
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) clipped->pushButtons.push_back({text, onScreen});
    if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON)
      room -= GetSystemMetrics(SM_CXMENUCHECK) + 4;  // the box or circle and its gap
  } else {
    return TRUE;
  }
  if (!text.empty() && TextWidth(control, text) > room) clipped->texts.push_back(text);
  return TRUE;
}

TEST_F(PanelTest, PageTextsFitTheirControls) {
  Open(true);
  // The firmware page keeps the geometry it has always had.
  for (int index = 0; index < 4; ++index) {
    Select(index);
    Clipped clipped{panelSheet->GetActivePage()->GetHwnd(), {}};
    EnumChildWindows(clipped.page, &FindClipped, reinterpret_cast<LPARAM>(&clipped));
    EXPECT_EQ(clipped.texts, std::vector<std::string>{}) << "page " << index;
    // The command buttons stay clear of the group boxes.
    for (const auto& [text, button] : clipped.pushButtons)
      for (const RECT& group : clipped.groups) {
        RECT overlap;
        EXPECT_FALSE(IntersectRect(&overlap, &button, &group)) << "page " << index << ": " << text;
      }
  }
  // The longest model name the record holds, in capitals as the machine sends it.
  HWND model = GetDlgItem(static_cast<CPropertyPage*>(infoPage)->GetHwnd(), IDC_INFO_MODEL);
  RECT client;
  GetClientRect(model, &client);
  EXPECT_LE(TextWidth(model, "VELTRA QUILLMARK K40 SERIES PLUS"), client.right);
}

// --- information page ---

TEST_F(PanelTest, InfoPageShowsTheMachinesValues) {
  PutText(machine, 10, 32, "QUILLMARK K40 TEST");
  PutText(machine, 82, 5, "V1.23");
  PutCounter(machine, 123, 0);
  PutCounter(machine, 127, 4294967294u);
  PutCounter(machine, 131, 12345);
  machine.state().systemInfo[122 - 10] = 100;
  Open(true);
  uint64_t before = os.virtualMs;
  size_t opensBefore = os.opens.size();  // the settings page read the machine already
  Select(3);
  EXPECT_TRUE(answerer.boxes.empty());
  EXPECT_GE(os.virtualMs - before, 1500u) << "the command's 1000 ms and the page's 500 ms";
  EXPECT_EQ(InfoText(IDC_INFO_MODEL), "QUILLMARK K40 TEST");
  EXPECT_EQ(InfoText(IDC_INFO_FIRMWARE), "V1.23");
  EXPECT_EQ(InfoText(IDC_INFO_ENGINE), systemInfo.engineVersion);
  EXPECT_EQ(InfoText(IDC_INFO_EMULATION1), systemInfo.emulation1Version);
  EXPECT_EQ(InfoText(IDC_INFO_EMULATION2), systemInfo.emulation2Version);
  EXPECT_EQ(InfoText(IDC_INFO_FREE_MEMORY), " 100 % ");
  EXPECT_EQ(InfoText(IDC_INFO_PLATEN_SCANS), "0");
  EXPECT_EQ(InfoText(IDC_INFO_ADF_SCANS), "4294967294");
  EXPECT_EQ(InfoText(IDC_INFO_PRINTS), "12345");
  EXPECT_EQ(InfoText(IDC_INFO_DRUM), std::to_string(systemInfo.drumCount));
  EXPECT_EQ(InfoText(IDC_INFO_ADF_JAMS), std::to_string(systemInfo.adfJamCount));
  EXPECT_EQ(InfoText(IDC_INFO_PRINT_JAMS), std::to_string(systemInfo.printJamCount));
  EXPECT_EQ(os.opens.size() - opensBefore, 2u) << "one write and one read, each opening LPT1";
}

TEST_F(PanelTest, InfoFailureKeepsOldValuesAndShowsOneBox) {
  PutCounter(machine, 131, 777);
  Open(true);
  Select(3);
  ASSERT_EQ(InfoText(IDC_INFO_PRINTS), "777");
  std::vector<std::string> before;
  for (int id : kInfoControls) before.push_back(InfoText(id));

  os.machine = nullptr;  // cable pulled
  answerer.Expect(IDOK);
  HWND page = static_cast<CPropertyPage*>(infoPage)->GetHwnd();
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_REFRESH)));
  Pump();
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].text, "Não responde");
  EXPECT_EQ(answerer.boxes[0].caption, "Dalvenor");
  EXPECT_EQ(answerer.boxes[0].owner, Main());
  EXPECT_EQ(answerer.boxes[0].buttons, std::vector<int>{IDOK});
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(InfoText(kInfoControls[i]), before[i]) << "control " << kInfoControls[i];

  // And a later success replaces every value again.
  os.machine = &machine;
  PutCounter(machine, 131, 778);
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_REFRESH, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_REFRESH)));
  Pump();
  EXPECT_EQ(InfoText(IDC_INFO_PRINTS), "778");
  EXPECT_EQ(answerer.boxes.size(), 1u);
}

TEST_F(PanelTest, InfoFirstDisplayWithoutMachineIsEmptyWithOneBox) {
  answerer.Expect(IDOK);  // the settings page, read as the window opens
  Open(true, /*withMachine=*/false);
  answerer.Expect(IDOK);
  Select(3);
  ASSERT_EQ(answerer.boxes.size(), 2u);
  EXPECT_EQ(answerer.boxes[1].text, "Não responde");
  for (int id : kInfoControls) EXPECT_EQ(InfoText(id), "") << "control " << id;
}

TEST_F(PanelTest, ReportLinkFailureReturnsTheBoxResult) {
  Open(false);
  answerer.Expect(IDOK);
  EXPECT_EQ(ReportLinkFailure(IDS_NO_ANSWER), IDOK);
  ASSERT_EQ(answerer.boxes.size(), 1u);
  EXPECT_EQ(answerer.boxes[0].owner, Main());
  EXPECT_EQ(answerer.boxes[0].caption, "Dalvenor");
}

}  // namespace
