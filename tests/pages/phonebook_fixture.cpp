// The phonebook tests' fixture (see phonebook_fixture.h).
#include "tests/pages/phonebook_fixture.h"

#include <commctrl.h>

#include "commands/device_data.h"
#include "link/device_link.h"
#include "pages/page_set.h"
#include "pages/phonebook_page.h"
#include "res/resource.h"
#include "widgets/property_sheet.h"

namespace {
std::function<void(HWND)> editorScript;
HWND editorWindow = nullptr;

void CALLBACK RunEditorScript(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (editorScript && IsWindow(editorWindow)) editorScript(editorWindow);
}
}  // namespace

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

std::string Text(HWND window) { return BoxAnswerer::Text(window); }

void Retype(HWND edit, const std::string& keys) {
  SendMessageA(edit, EM_SETSEL, 0, -1);
  for (unsigned char c : keys) SendMessageA(edit, WM_CHAR, c, 0);
}

void PhonebookPanelTest::SetUp() {
  ASSERT_TRUE(beeper.Installed()) << "MessageBeep is not imported by the test program";
  ResetDeviceData();
  DeviceLink::Reset();
  DeviceLink::hostPlatform = HostPlatform::Nt5;
  DeviceLink::portKind = PortKind::Lpt1;
  os.machine = &machine;
  answerer.onOtherDialog = [this](HWND dialog) {
    ++editorsSeen;
    editorWindow = dialog;
    SetTimer(nullptr, 0, 10, &RunEditorScript);
  };
}

void PhonebookPanelTest::TearDown() {
  panel.reset();
  Pump();
  editorScript = nullptr;
  EXPECT_EQ(answerer.Unexpected(), 0) << "a box or file dialog nobody expected";
  ResetDeviceData();
}

void PhonebookPanelTest::Open(bool showPhonebook) {
  inquiryAnswered = fullPanel = true;
  speedDialCount = kSpeedDialEntries;
  ASSERT_TRUE(CreatePhonebookTable());
  panel = std::make_unique<CMainPanel>();
  ASSERT_NE(panel->Create(), nullptr);
  ShowWindow(Main(), SW_SHOW);
  Pump();
  if (showPhonebook) Select(kPhonebookTab);
}

void PhonebookPanelTest::Select(int index) {
  ASSERT_TRUE(panelSheet->SetActivePage(index));
  Pump();
}

HWND PhonebookPanelTest::PageWindow() const { return phonebookPage->GetHwnd(); }
HWND PhonebookPanelTest::List() const { return GetDlgItem(PageWindow(), IDC_PB_LIST); }

std::vector<std::string> PhonebookPanelTest::Rows() const {
  std::vector<std::string> rows;
  int count = static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
  for (int r = 0; r < count; ++r) {
    std::string row;
    for (int column = 0; column < 3; ++column) {
      char text[128] = {};
      LVITEMA item{};
      item.iSubItem = column;
      item.pszText = text;
      item.cchTextMax = sizeof text;
      SendMessageA(List(), LVM_GETITEMTEXTA, r, reinterpret_cast<LPARAM>(&item));
      if (column) row += '|';
      row += text;
    }
    rows.push_back(row);
  }
  return rows;
}

void PhonebookPanelTest::SelectRow(int row) {
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  if (row >= 0) SendMessageA(List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

void PhonebookPanelTest::Click(int id) {
  SendMessageA(PageWindow(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(PageWindow(), id)));
  Pump();
}

void PhonebookPanelTest::Command(WORD id) {
  SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
  Pump();
}

void PhonebookPanelTest::OnEditor(std::function<void(HWND)> script) { editorScript = std::move(script); }

std::vector<uint8_t> TableBytes() {
  auto* p = reinterpret_cast<const uint8_t*>(phonebookTable);
  return std::vector<uint8_t>(p, p + speedDialCount * sizeof(PhonebookEntry));
}
