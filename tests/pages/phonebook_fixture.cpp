// The phonebook page's test fixture (see phonebook_fixture.h).
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

void PhonebookPanelTest::SetUp() {
  ASSERT_TRUE(beeper.Installed()) << "MessageBeep is not imported by the test program";
  ResetDeviceData();
  DeviceLink::Reset();
  DeviceLink::hostPlatform = HostPlatform::Nt5;
  DeviceLink::portKind = PortKind::Lpt1;
  os.machine = &machine;
  answerer.onOtherDialog = [this](HWND dialog) {
    ++m_editors;
    editorWindow = dialog;
    // Once its modal loop runs.
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
  // What start-up does once the machine answered.
  inquiryAnswered = true;
  fullPanel = true;
  speedDialCount = kSpeedDialEntries;
  oneTouchCount = 0;
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

CPhonebook& PhonebookPanelTest::Page() const { return *phonebookPage; }
HWND PhonebookPanelTest::PageWindow() const { return phonebookPage->GetHwnd(); }
HWND PhonebookPanelTest::List() const { return GetDlgItem(PageWindow(), IDC_PB_LIST); }

int PhonebookPanelTest::RowCount() const {
  return static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
}

std::string PhonebookPanelTest::Cell(int row, int column) const {
  char text[128] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(List(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

std::vector<std::string> PhonebookPanelTest::Rows() const {
  std::vector<std::string> rows;
  for (int r = 0; r < RowCount(); ++r) rows.push_back(Cell(r, 0) + "|" + Cell(r, 1) + "|" + Cell(r, 2));
  return rows;
}

void PhonebookPanelTest::SelectRow(int row) {
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = 0;
  SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  if (row < 0) return;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

void PhonebookPanelTest::Click(int id) {
  SendMessageA(PageWindow(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(PageWindow(), id)));
  Pump();
}

void PhonebookPanelTest::DoubleClickList() {
  // What the list sends its parent for a double click.
  NMITEMACTIVATE click{};
  click.hdr.hwndFrom = List();
  click.hdr.idFrom = IDC_PB_LIST;
  click.hdr.code = NM_DBLCLK;
  click.iItem = -1;
  SendMessageA(PageWindow(), WM_NOTIFY, IDC_PB_LIST, reinterpret_cast<LPARAM>(&click));
  Pump();
}

void PhonebookPanelTest::OnEditor(std::function<void(HWND)> script) { editorScript = std::move(script); }

void TypeInto(HWND edit, const std::string& keys) {
  for (unsigned char c : keys) SendMessageA(edit, WM_CHAR, c, 0);
}

void SelectAll(HWND edit) { SendMessageA(edit, EM_SETSEL, 0, -1); }

void PressOk(HWND dialog) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }
void PressCancel(HWND dialog) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

std::string Text(HWND window) { return BoxAnswerer::Text(window); }
