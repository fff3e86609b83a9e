// One firmware update of the real rcpanel.exe from the demo folder: the
// sample image chosen in the real file dialog, sent over the USB road to the
// emulated machine, the completion box after the machine's restart pause,
// and the new version on the Information page and the firmware page. The
// update's pauses are real here (45 s), so this is the only such run.
#include <windows.h>

#include <gtest/gtest.h>

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
constexpr int kBrowse = 1023, kUpdate = 1000, kRefresh = 1060;
constexpr int kFileName = 1004, kFileSize = 1007, kVersion = 1065, kMessage = 1075, kPercent = 1076;
constexpr int kFileNameCombo = 0x47C, kFileNameEdit = 0x480;
const char kWritten[] = "Gravação concluída. Não desligue até que a máquina seja inicializada.";
const char kSelect[] = "Selecione um arquivo de firmware.";

void Click(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Polls `dialog`'s control `id` until it reads `text`; false after `ms`.
bool WaitForText(HWND dialog, int id, const std::string& text, DWORD ms) {
  const DWORD start = GetTickCount();
  while (ItemText(dialog, id) != text) {
    if (GetTickCount() - start >= ms) return false;
    Sleep(50);
  }
  return true;
}

struct FileDialogSearch {
  DWORD pid;
  HWND found;
};

HWND WaitForFileDialog(DWORD pid, DWORD ms) {
  const DWORD start = GetTickCount();
  FileDialogSearch search{pid, nullptr};
  while (search.found == nullptr && GetTickCount() - start < ms) {
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<FileDialogSearch*>(param);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          if (owner != s->pid || !IsWindowVisible(window)) return TRUE;
          if (GetDlgItem(window, kFileNameCombo) || GetDlgItem(window, kFileNameEdit)) s->found = window;
          return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    Sleep(50);
  }
  return search.found;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(FirmwareUpdate, TheChosenImageReachesTheMachineWhichRestartsWithItsVersion) {
  std::string image = kDemoDir + "\\firmware\\k40-fw-1.05.img";
  for (char& c : image) c = c == '/' ? '\\' : c;  // as the file dialog gives it back
  const std::vector<uint8_t> bytes = ReadAll(image);
  ASSERT_EQ(bytes.size(), 300000u) << "no sample image at " << image;
  const std::string state = kWorkDir + "\\firmware-state.dat";
  DeleteFileA(state.c_str());

  Panel panel("state=" + state);
  ASSERT_TRUE(panel.started());
  HWND main = WaitForMainWindow(panel, kStartMs);
  ASSERT_NE(main, nullptr) << Printable(panel.DebugLines());
  HWND tab = FindTabControl(main);
  HWND page = SelectPage(tab, 4, 30000);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(ItemText(page, kVersion), "1.04 ");

  Click(page, kBrowse);
  HWND dialog = WaitForFileDialog(panel.pid(), 30000);
  ASSERT_NE(dialog, nullptr) << "no file dialog";
  Sleep(500);  // the dialog fills its own fields first
  const int field = GetDlgItem(dialog, kFileNameCombo) ? kFileNameCombo : kFileNameEdit;
  DWORD_PTR result = 0;
  SendMessageTimeoutA(GetDlgItem(dialog, field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(image.c_str()),
                      SMTO_NORMAL, 10000, &result);
  PressButton(dialog, IDOK);
  ASSERT_TRUE(WaitForText(page, kFileName, image, 20000))
      << "shown: " << ItemText(page, kFileName) << ", dialog still open: " << IsWindow(dialog);
  EXPECT_EQ(ItemText(page, kFileSize), "300000 Byte");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, kUpdate)));

  // The page answers while it works: its texts can be read all along.
  Click(page, kUpdate);
  ASSERT_TRUE(WaitForText(page, kMessage, kWritten, 30000)) << ItemText(page, kMessage);
  EXPECT_EQ(ItemText(page, kPercent), "100 %");
  HWND box = WaitForMessageBox(panel, 60000);
  ASSERT_NE(box, nullptr) << "no completion box";
  // Asked again after its restart, the machine reports the image's version.
  EXPECT_EQ(ItemText(box, 0xFFFF), "Atualização concluída! A máquina agora usa o firmware 1.05.");
  EXPECT_EQ(WindowText(box), "Dalvenor");
  PressButton(box, IDOK);
  ASSERT_TRUE(WaitForText(page, kMessage, kSelect, 10000));
  for (int id : {kFileName, kFileSize, kPercent}) EXPECT_EQ(ItemText(page, id), "") << id;
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kUpdate)));

  // The machine restarted with the image: both pages read the new version.
  HWND info = SelectPage(tab, 3, 30000);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(ItemText(info, kVersion), "1.05 ");
  page = SelectPage(tab, 4, 30000);
  Click(page, kRefresh);
  EXPECT_TRUE(WaitForText(page, kVersion, "1.05 ", 20000)) << ItemText(page, kVersion);
  EXPECT_EQ(WaitForMessageBox(panel, 300), nullptr);

  PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(panel.WaitForExit(20000));

  K40Machine saved;
  ASSERT_TRUE(saved.LoadState(state));
  EXPECT_EQ(saved.state().firmwareImagesReceived, 1u);
  EXPECT_TRUE(saved.state().firmwareImage == bytes) << "the machine kept another image";

  // On NT 5 the start command and the short last chunk go through the write
  // pipe, every 4096-byte chunk through the transfer library as 3072 + 1024.
  const auto lines = panel.DebugLines();
  std::string missing;
  EXPECT_TRUE(InOrder(lines,
                      {"WriteFile = nLength(8) nByte(8)\n", "Win2kUsbWrite(?) = 3072", "Win2kUsbWrite(?) = 1024",
                       "WriteFile = nLength(992) nByte(992)\n"},
                      &missing))
      << missing << "\n" << Printable(lines);
  EXPECT_EQ(Count(lines, "Win2kUsbWrite(?) = 3072"), 73);
  EXPECT_EQ(Count(lines, "Win2kUsbWrite(?) = 1024"), 73);
  for (const std::string& line : lines) EXPECT_EQ(line.find("FwUp:"), std::string::npos) << line;
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  StartWatchdog(240000);
  return RUN_ALL_TESTS();
}
