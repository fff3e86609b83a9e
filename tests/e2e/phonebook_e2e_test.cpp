// End-to-end tests of the phonebook with the real rcpanel.exe from the demo
// folder: an entry edited and sent with "Gravação" is in the emulated
// machine's state file and in the list after a restart; a phonebook saved to
// a file, cleared, sent, loaded back and sent again leaves the machine with
// its original entries.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "emulator/k40_machine.h"
#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

constexpr DWORD kStartMs = 60000;
constexpr DWORD kExitMs = 20000;
constexpr DWORD kCommandMs = 30000;
constexpr int kPhonebookTab = 2;
constexpr int kList = 1027;
constexpr int kEditButton = 1025;
constexpr int kDeleteAllButton = 1031;
constexpr int kWriteButton = 1024;
constexpr int kEntryName = 1002;
constexpr int kEntryNumber = 1001;
constexpr WORD kLoadPhonebook = 40008;
constexpr WORD kSavePhonebook = 40009;

// Backslashes only: the file dialogs take a typed path as Windows writes it.
std::string WorkPath(const std::string& name) {
  std::string path = kWorkDir + "\\" + name;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

std::string StatePath(const char* tag) { return WorkPath(std::string(tag) + "-phonebook-state.dat"); }

// The panel's list view, read and driven through memory in its process.
class RemoteList {
 public:
  RemoteList(HWND list, DWORD pid) : m_list(list) {
    m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (m_process)
      m_remote = static_cast<char*>(VirtualAllocEx(m_process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  }
  ~RemoteList() {
    if (m_remote) VirtualFreeEx(m_process, m_remote, 0, MEM_RELEASE);
    if (m_process) CloseHandle(m_process);
  }
  bool ok() const { return m_remote != nullptr; }
  int Rows() const { return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, 0)); }
  std::string Cell(int row, int column) const {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = m_remote + 1024;
    item.cchTextMax = 256;
    SIZE_T moved = 0;
    WriteProcessMemory(m_process, m_remote, &item, sizeof item, &moved);
    Send(LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(m_remote));
    char text[257] = {};
    ReadProcessMemory(m_process, m_remote + 1024, text, 256, &moved);
    return text;
  }
  std::string Row(int row) const { return Cell(row, 0) + "|" + Cell(row, 1) + "|" + Cell(row, 2); }
  void Select(int row) const {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SIZE_T moved = 0;
    WriteProcessMemory(m_process, m_remote, &item, sizeof item, &moved);
    Send(LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(m_remote));
  }

 private:
  LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) const {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(m_list, msg, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
  }
  HWND m_list;
  HANDLE m_process = nullptr;
  char* m_remote = nullptr;
};

struct DialogSearch {
  DWORD pid;
  int controlId;
  HWND found;
};

BOOL CALLBACK FindDialogWith(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (pid == search->pid && IsWindowVisible(window) && lstrcmpA(name, "#32770") == 0 &&
      GetDlgItem(window, search->controlId) != nullptr) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// A visible dialog of the panel holding control `controlId`; nullptr after `ms`.
HWND WaitForDialogWith(const Panel& panel, int controlId, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    DialogSearch search{panel.pid(), controlId, nullptr};
    EnumWindows(&FindDialogWith, reinterpret_cast<LPARAM>(&search));
    if (search.found || GetTickCount() - start >= ms) return search.found;
    Sleep(50);
  }
}

bool WaitGone(HWND window, DWORD ms) {
  for (DWORD waited = 0; IsWindow(window); waited += 20) {
    if (waited >= ms) return false;
    Sleep(20);
  }
  return true;
}

void Click(HWND page, int id) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)),
                      SMTO_NORMAL, kCommandMs, &result);
}

void Type(HWND edit, const std::string& keys) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(edit, EM_SETSEL, 0, -1, SMTO_NORMAL, 10000, &result);
  for (unsigned char c : keys) SendMessageTimeoutA(edit, WM_CHAR, c, 0, SMTO_NORMAL, 10000, &result);
}

// Answers the file dialog that menu command `command` opens with `path`.
bool ChooseThroughDialog(const Panel& panel, HWND main, WORD command, const std::string& path) {
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  constexpr int kFileNameField = 0x47C;  // a combo box in the explorer-style dialog
  HWND dialog = WaitForDialogWith(panel, kFileNameField, 20000);
  if (!dialog) return false;
  Sleep(300);  // the dialog fills its own fields once shown
  SetDlgItemTextA(dialog, kFileNameField, path.c_str());
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return WaitGone(dialog, 20000);
}

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

K40Machine::State SavedState(const std::string& path) {
  K40Machine machine;
  EXPECT_TRUE(machine.LoadState(path)) << path;
  return machine.state();
}

struct Opened {
  HWND main = nullptr;
  HWND page = nullptr;
  HWND list = nullptr;
};

// Starts the panel and shows the phonebook page (its first read included).
Opened OpenPhonebook(Panel& panel) {
  Opened o;
  o.main = WaitForMainWindow(panel, kStartMs);
  if (!o.main) return o;
  o.page = SelectPage(FindTabControl(o.main), kPhonebookTab, kCommandMs);
  if (o.page) o.list = GetDlgItem(o.page, kList);
  return o;
}

TEST(Phonebook, EditSentWithGravacaoSurvivesARestart) {
  const std::string state = StatePath("edit");
  DeleteFileA(state.c_str());
  {
    Panel panel("state=" + state);
    ASSERT_TRUE(panel.started());
    Opened o = OpenPhonebook(panel);
    ASSERT_NE(o.list, nullptr) << Printable(panel.DebugLines());
    EXPECT_EQ(WaitForMessageBox(panel, 300), nullptr);
    RemoteList list(o.list, panel.pid());
    ASSERT_TRUE(list.ok());
    ASSERT_EQ(list.Rows(), 80);
    EXPECT_EQ(list.Row(0), "  1|JOAO DA SILVA|01133456789");
    EXPECT_EQ(list.Row(7), "  8|GRUPO VENDAS|*GROUP DIAL*");

    list.Select(2);
    PostMessageA(o.page, WM_COMMAND, MAKEWPARAM(kEditButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(o.page, kEditButton)));
    HWND editor = WaitForDialogWith(panel, kEntryName, 20000);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(WindowText(editor), "Editar");
    EXPECT_EQ(ItemText(editor, kEntryName), "PADARIA BOM PAO");
    Type(GetDlgItem(editor, kEntryName), "padaria nova");
    Type(GetDlgItem(editor, kEntryNumber), "1132149999p");
    EXPECT_EQ(ItemText(editor, kEntryName), "PADARIA NOVA");
    PressButton(editor, IDOK);
    ASSERT_TRUE(WaitGone(editor, 20000));
    EXPECT_EQ(list.Row(2), "  3|PADARIA NOVA|1132149999P");

    Click(o.page, kWriteButton);
    EXPECT_EQ(WaitForMessageBox(panel, 300), nullptr) << "the machine took it";
    PostMessageA(o.main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(panel.WaitForExit(kExitMs));
    const auto lines = panel.DebugLines();
    std::string missing;
    EXPECT_TRUE(InOrder(lines,
                        {"===> GET PHONEBOOK <===\n", "Number of entries = 80 \n", "===> SET PHONEBOOK <===\n",
                         "WriteData = 5370 \n", "Size to read = 10 \n", "ReadData = 10 \n"},
                        &missing))
        << "missing: " << missing << "\n" << Printable(lines);
  }
  K40Machine::State saved = SavedState(state);
  EXPECT_EQ(saved.phonebook[2].name, "PADARIA NOVA");
  EXPECT_EQ(saved.phonebook[2].number, "1132149999P");
  EXPECT_EQ(saved.phonebook[7].number, std::string("\xE0\x01\x02\x05", 4)) << "the group dial is untouched";

  Panel again("state=" + state);
  ASSERT_TRUE(again.started());
  Opened o = OpenPhonebook(again);
  ASSERT_NE(o.list, nullptr);
  RemoteList list(o.list, again.pid());
  EXPECT_EQ(list.Row(2), "  3|PADARIA NOVA|1132149999P");
  EXPECT_EQ(list.Row(0), "  1|JOAO DA SILVA|01133456789");
  PostMessageA(o.main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(again.WaitForExit(kExitMs));
}

TEST(Phonebook, FileSavedClearedAndLoadedBackRestoresTheMachine) {
  const std::string state = StatePath("file");
  const std::string file = WorkPath("e2e-agenda.PBF");
  DeleteFileA(state.c_str());
  DeleteFileA(file.c_str());
  const K40Machine::State original = K40Machine::DefaultState();

  Panel panel("state=" + state);
  ASSERT_TRUE(panel.started());
  Opened o = OpenPhonebook(panel);
  ASSERT_NE(o.list, nullptr) << Printable(panel.DebugLines());
  RemoteList list(o.list, panel.pid());
  ASSERT_TRUE(list.ok());
  std::vector<std::string> rows;
  for (int r = 0; r < 80; ++r) rows.push_back(list.Row(r));

  ASSERT_TRUE(ChooseThroughDialog(panel, o.main, kSavePhonebook, file));
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 100 && bytes.size() != 5480; ++i, Sleep(50)) bytes = FileBytes(file);
  ASSERT_EQ(bytes.size(), 5480u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 40 + 68 * 2)), "PADARIA BOM PAO");

  Click(o.page, kDeleteAllButton);
  EXPECT_EQ(list.Row(0), "  1||");
  Click(o.page, kWriteButton);
  EXPECT_EQ(WaitForMessageBox(panel, 300), nullptr);
  K40Machine::State cleared = SavedState(state);
  EXPECT_EQ(cleared.phonebook[0].name, "");
  EXPECT_EQ(cleared.phonebook[7].name, "GRUPO VENDAS") << "the group dial stays";

  ASSERT_TRUE(ChooseThroughDialog(panel, o.main, kLoadPhonebook, file));
  for (int i = 0; i < 100 && list.Row(0) != rows[0]; ++i) Sleep(50);
  for (int r = 0; r < 80; ++r) EXPECT_EQ(list.Row(r), rows[r]) << "row " << r;
  Click(o.page, kWriteButton);
  EXPECT_EQ(WaitForMessageBox(panel, 300), nullptr);
  PostMessageA(o.main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(panel.WaitForExit(kExitMs));

  K40Machine::State restored = SavedState(state);
  for (int i = 0; i < 80; ++i) {
    EXPECT_EQ(restored.phonebook[i].name, original.phonebook[i].name) << "slot " << i + 1;
    EXPECT_EQ(restored.phonebook[i].number, original.phonebook[i].number) << "slot " << i + 1;
  }
  EXPECT_EQ(Count(panel.DebugLines(), "===> SET PHONEBOOK <===\n"), 2);
  DeleteFileA(file.c_str());
}

// A wrong "Excluir tudo" sent with "Gravação" is undone from the backup
// list; leaving with the restored entries unsent asks first, Cancelar keeps
// the panel open and Sim sends them; every write is read back.
TEST(Phonebook, BackupUndoesAWrongClearAndLeavingAsksFirst) {
  const std::string state = StatePath("backup");
  DeleteFileA(state.c_str());
  const K40Machine::State original = K40Machine::DefaultState();
  Panel panel("state=" + state);
  ASSERT_TRUE(panel.started());
  Opened o = OpenPhonebook(panel);
  ASSERT_NE(o.list, nullptr) << Printable(panel.DebugLines());
  RemoteList list(o.list, panel.pid());
  ASSERT_TRUE(list.ok());
  const std::string first = list.Row(0);

  Click(o.page, kDeleteAllButton);
  Click(o.page, kWriteButton);
  EXPECT_EQ(WaitForMessageBox(panel, 300), nullptr) << "the machine took it and it read back the same";
  EXPECT_EQ(SavedState(state).phonebook[0].name, "");

  PostMessageA(o.main, WM_COMMAND, MAKEWPARAM(40022, 0), 0);  // "Restaurar cópia de segurança..."
  HWND backups = WaitForDialogWith(panel, 1110, 20000);
  ASSERT_NE(backups, nullptr);
  PressButton(backups, IDOK);  // the newest: what the machine held before the clear
  ASSERT_TRUE(WaitGone(backups, 20000));
  for (int i = 0; i < 100 && list.Row(0) != first; ++i) Sleep(50);
  EXPECT_EQ(list.Row(0), first);
  EXPECT_EQ(SavedState(state).phonebook[0].name, "") << "nothing sent before Gravação";

  PostMessageA(o.main, WM_CLOSE, 0, 0);
  HWND box = WaitForMessageBox(panel, 20000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ItemText(box, 0xFFFF), "Há alterações que ainda não foram enviadas à máquina. Enviar antes de sair?");
  PressButton(box, IDCANCEL);
  ASSERT_TRUE(WaitGone(box, 20000));
  Sleep(1000);
  EXPECT_TRUE(IsWindow(o.main)) << "Cancelar keeps the panel open";

  PostMessageA(o.main, WM_CLOSE, 0, 0);
  box = WaitForMessageBox(panel, 20000);
  ASSERT_NE(box, nullptr);
  PressButton(box, IDYES);
  ASSERT_TRUE(panel.WaitForExit(kExitMs + kCommandMs));
  const K40Machine::State restored = SavedState(state);
  for (int i = 0; i < K40Machine::kEntries; ++i) {
    EXPECT_EQ(restored.phonebook[i].name, original.phonebook[i].name) << i;
    EXPECT_EQ(restored.phonebook[i].number, original.phonebook[i].number) << i;
  }
  std::string missing;
  EXPECT_TRUE(InOrder(panel.DebugLines(),
                      {"===> GET PHONEBOOK <===\n", "===> SET PHONEBOOK <===\n", "===> GET PHONEBOOK <===\n",
                       "===> SET PHONEBOOK <===\n", "===> GET PHONEBOOK <===\n"},
                      &missing))
      << "each write read back; missing: " << missing;
}

// A machine that stores one entry wrongly: the write is reported with the
// position, and leaving then asks, since the machine lacks the user's entry.
TEST(Phonebook, AnEntryStoredWronglyIsReported) {
  const std::string state = StatePath("wrong");
  DeleteFileA(state.c_str());
  Panel panel("state=" + state + ";fault.setphonebook=storesonewrong:1");
  ASSERT_TRUE(panel.started());
  Opened o = OpenPhonebook(panel);
  ASSERT_NE(o.list, nullptr) << Printable(panel.DebugLines());
  PostMessageA(o.page, WM_COMMAND, MAKEWPARAM(kWriteButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(o.page, kWriteButton)));
  HWND box = WaitForMessageBox(panel, 30000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ItemText(box, 0xFFFF),
            "A máquina não guardou como enviadas as posições: 1. Confira as posições e grave de novo.");
  PressButton(box, IDOK);
  ASSERT_TRUE(WaitGone(box, 20000));
  PostMessageA(o.main, WM_CLOSE, 0, 0);
  box = WaitForMessageBox(panel, 20000);
  ASSERT_NE(box, nullptr);
  PressButton(box, IDNO);
  EXPECT_TRUE(panel.WaitForExit(kExitMs));
}

}  // namespace

int main(int argc, char** argv) {
  StartWatchdog(280000);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
