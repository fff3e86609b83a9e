// Every page action against a machine that has gone silent (unplugged after
// the pages were filled): each press shows exactly one "Não responde", and
// neither the page nor the device records change.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "commands/device_data.h"
#include "pages/page_set.h"
#include "res/resource.h"
#include "tests/pages/phonebook_fixture.h"
#include "widgets/property_sheet.h"

namespace {

// What a user sees of a page: every control's text, check state, list
// selection and list-view rows.
BOOL CALLBACK AddControl(HWND control, LPARAM data) {
  auto* seen = reinterpret_cast<std::vector<std::string>*>(data);
  char name[32] = {};
  GetClassNameA(control, name, sizeof name);
  std::string line(name);
  line.push_back(':');
  line.append(Text(control));
  if (lstrcmpiA(name, "Button") == 0) line += ':' + std::to_string(SendMessageA(control, BM_GETCHECK, 0, 0));
  if (lstrcmpiA(name, "ComboBox") == 0) line += ':' + std::to_string(SendMessageA(control, CB_GETCURSEL, 0, 0));
  if (lstrcmpiA(name, WC_LISTVIEWA) == 0) {
    int rows = static_cast<int>(SendMessageA(control, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
      for (int column = 0; column < 3; ++column) {
        char text[64] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(control, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        line += '|';
        line += text;
      }
    }
  }
  seen->push_back(line);
  return TRUE;
}

std::vector<std::string> Seen(HWND page) {
  std::vector<std::string> seen;
  EnumChildWindows(page, &AddControl, reinterpret_cast<LPARAM>(&seen));
  return seen;
}

std::vector<uint8_t> RecordBytes() {
  const size_t table = sizeof(PhonebookEntry) * kSpeedDialEntries;
  std::vector<uint8_t> bytes(sizeof systemInfo + sizeof settingsBlock + table);
  std::memcpy(bytes.data(), &systemInfo, sizeof systemInfo);
  std::memcpy(bytes.data() + sizeof systemInfo, &settingsBlock, sizeof settingsBlock);
  std::memcpy(bytes.data() + sizeof systemInfo + sizeof settingsBlock, phonebookTable, table);
  return bytes;
}

struct Action {
  int page;
  int button;
  const char* name;
  // "Aplicar" on the Advanced page first stores the page's values into the
  // record (values that a later system-information read from another page
  // may have replaced there); only the page is compared.
  bool storesPageFirst = false;
};

const Action kActions[] = {
    {0, IDC_REFRESH, "Configurações / Atualizar"}, {0, IDC_APPLY, "Configurações / Aplicar"},
    {1, IDC_REFRESH, "Avançado / Atualizar"},      {1, IDC_APPLY, "Avançado / Aplicar", true},
    {2, IDC_PB_READ, "Diretório telefônico / Leitura"},
    {2, IDC_PB_WRITE, "Diretório telefônico / Gravação"},
    {3, IDC_REFRESH, "Informação / Atualizar"},    {4, IDC_REFRESH, "Atualização do firmware / Atualizar"},
};

using SilentMachineTest = PhonebookPanelTest;

TEST_F(SilentMachineTest, EachActionReportsOnceAndChangesNothing) {
  Open(false);
  // Every page filled from the machine first.
  for (int page = 0; page < 5; ++page) Select(page);
  ASSERT_EQ(answerer.boxes.size(), 0u) << "a page could not read the machine";
  os.machine = nullptr;  // unplugged

  for (const Action& action : kActions) {
    SCOPED_TRACE(action.name);
    Select(action.page);
    HWND page = panelSheet->GetActivePage()->GetHwnd();
    std::vector<std::string> before = Seen(page);
    std::vector<uint8_t> records = RecordBytes();
    size_t boxes = answerer.boxes.size();
    answerer.Expect(IDOK);
    SendMessageA(GetDlgItem(page, action.button), BM_CLICK, 0, 0);
    Pump();
    ASSERT_EQ(answerer.boxes.size(), boxes + 1) << "one box per press";
    EXPECT_EQ(answerer.boxes.back().text, "Não responde");
    EXPECT_EQ(answerer.boxes.back().caption, "Dalvenor");
    EXPECT_EQ(Seen(page), before) << "the page changed";
    if (!action.storesPageFirst) {
      EXPECT_TRUE(RecordBytes() == records) << "a record changed";
    }
  }
}

}  // namespace
