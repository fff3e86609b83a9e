// Contacts under Wine: names lose their accents through the platform's
// decomposition; "Importar contatos..." shows each contact's position and
// changes and takes nothing before OK (and sends nothing to the machine);
// "Exportar contatos..." writes CSV or vCard that imports back unchanged;
// broken files are told once and change nothing.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "commands/device_data.h"
#include "files/contacts.h"
#include "ops/ops_host.h"
#include "commands/phonebook_rules.h"
#include "res/resource.h"
#include "tests/app/scratch_folder.h"
#include "tests/pages/phonebook_fixture.h"

namespace {

// The Windows build takes plain literals as Windows-1252; names are UTF-8.
std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

std::string FoldAccents(const std::string& utf8, bool* changed) { return PlatformOpsHost().FoldAccents(utf8, changed); }

TEST(FoldAccents, ThePlatformTakesTheMarksOff) {
  const struct {
    std::string utf8, folded;
    bool changed;
  } cases[] = {
      {U8(u8"João Conceição"), "Joao Conceicao", true},
      {U8(u8"Márcia Götz"), "Marcia Gotz", true},
      {U8(u8"Françoise Ávila"), "Francoise Avila", true},
      {U8(u8"Zé Ninguém"), "Ze Ninguem", true},
      {"Plain Name", "Plain Name", false},
      {U8(u8"Øystein"), U8(u8"Øystein"), false},  // no decomposition: left for the field rule to drop
      {"", "", false},
  };
  for (const auto& c : cases) {
    bool changed = false;
    EXPECT_EQ(FoldAccents(c.utf8, &changed), c.folded) << c.utf8;
    EXPECT_EQ(changed, c.changed) << c.utf8;
  }
  bool changed = false;
  EXPECT_EQ(NameForMachine(FoldAccents(U8(u8"João Conceição"), &changed)).text, "JOAO CONCEICAO");
  const MachineName long_name = NameForMachine(FoldAccents(U8(u8"Øystein Ñúñez de la Conceição"), &changed));
  EXPECT_EQ(long_name.text, "YSTEIN NUNEZ DE LA C");
  EXPECT_TRUE(long_name.cut && long_name.dropped);
}

class ContactsCommandTest : public PhonebookPanelTest, protected ScratchFolder {
 protected:
  ContactsCommandTest() : ScratchFolder("rcp-contacts-") {}
  // The preview's rows, "<slot>|<contact>|<name>|<number>|<changes>".
  static std::vector<std::string> PreviewRows(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_IMP_LIST);
    std::vector<std::string> rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < count; ++r) {
      std::string row;
      for (int column = 0; column < 5; ++column) {
        wchar_t text[128] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 128;
        SendMessageW(list, LVM_GETITEMTEXTW, r, reinterpret_cast<LPARAM>(&item));
        char utf8[384] = {};
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
        if (column) row += '|';
        row += utf8;
      }
      rows.push_back(row);
    }
    return rows;
  }
  static void Press(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  void NoPhonebookSent() {
    for (MachineCommand kind : machine.RequestKinds()) EXPECT_NE(kind, MachineCommand::SetPhonebook);
  }
};

const char kOutlookCsv[] =
    "First Name,Last Name,Company,Business Fax,Business Phone,Notes\r\n"
    "Jo\xE3o,Concei\xE7\xE3o,\"Concei\xE7\xE3o, Filhos\",+55 (11) 5555-0101,+55 11 5555-0100,\"a \"\"b\"\"\r\nc\"\r\n"
    "Sem,Telefone,,,,\r\n"
    "Maximiliano Bartolomeu,de Albuquerque,,0800 123 4567,,\r\n";

TEST_F(ContactsCommandTest, ImportShowsThePlanAndTakesItOnlyAfterOk) {
  Open();
  Click(IDC_PB_DELETE_ALL);  // the group dials stay
  Write("outlook.csv", kOutlookCsv);
  std::vector<std::string> fillRows, replaceRows;
  std::string summary;
  OnEditor([&](HWND dialog) {
    fillRows = PreviewRows(dialog);
    Press(dialog, IDC_IMP_REPLACE);
    replaceRows = PreviewRows(dialog);
    SetDlgItemTextA(dialog, IDC_IMP_PREFIX, "0021");
    char text[160] = {};
    GetDlgItemTextA(dialog, IDC_IMP_SUMMARY, text, sizeof text);
    summary = text;
    Press(dialog, IDOK);
  });
  int firstFree = 0;
  while (IsGroupDial(phonebookTable[firstFree])) ++firstFree;
  answerer.ExpectFile("outlook.csv");
  Command(ID_IMPORT_CONTACTS);
  ASSERT_EQ(editorsSeen, 1);
  ASSERT_EQ(fillRows.size(), 3u);
  EXPECT_EQ(fillRows[0], RowNumberText(firstFree) +
                             U8(u8"|João Conceição|JOAO CONCEICAO|00551155550101|acentos removidos, número ajustado"));
  EXPECT_EQ(fillRows[1], U8(u8"  -|Sem Telefone|SEM TELEFONE||ignorado: sem número"));
  EXPECT_NE(fillRows[2].find(U8(u8"|MAXIMILIANO BARTOLOM|08001234567|nome cortado, número ajustado")),
            std::string::npos);
  EXPECT_EQ(replaceRows.size(), 3u);
  EXPECT_EQ(summary, "2 de 3 contatos serão gravados nas posições indicadas.");

  EXPECT_STREQ(phonebookTable[firstFree].name, "JOAO CONCEICAO");
  EXPECT_STREQ(phonebookTable[firstFree].number, "0021551155550101");
  EXPECT_EQ(Rows()[firstFree], RowNumberText(firstFree) + "|JOAO CONCEICAO|0021551155550101");
  EXPECT_TRUE(answerer.boxes.empty());
  NoPhonebookSent();
}

TEST_F(ContactsCommandTest, TheNumberColumnCanBeChosen) {
  Open();
  Click(IDC_PB_DELETE_ALL);
  // Names, but no column the reader knows for numbers: the preview opens
  // empty and the user picks one.
  Write("escritorio.csv", "Contato;Linha direta;Ramal\r\nRui;1111-2222;12\r\nLia;5555-6666;\r\n");
  std::vector<std::string> before, after;
  OnEditor([&](HWND dialog) {
    before = PreviewRows(dialog);
    const bool okBefore = IsWindowEnabled(GetDlgItem(dialog, IDOK));
    HWND column = GetDlgItem(dialog, IDC_IMP_COLUMN);
    EXPECT_EQ(SendMessageA(column, CB_GETCOUNT, 0, 0), 4);
    SendMessageA(column, CB_SETCURSEL, 2, 0);  // after "(escolhida pelo nome)" and "Contato"
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_IMP_COLUMN, CBN_SELCHANGE), reinterpret_cast<LPARAM>(column));
    after = PreviewRows(dialog);
    EXPECT_FALSE(okBefore);
    Press(dialog, IDOK);
  });
  answerer.ExpectFile("escritorio.csv");
  Command(ID_IMPORT_CONTACTS);
  EXPECT_TRUE(before.empty());
  ASSERT_EQ(after.size(), 2u);
  int firstFree = 0;
  while (IsGroupDial(phonebookTable[firstFree])) ++firstFree;
  EXPECT_EQ(after[0], RowNumberText(firstFree) + "|Rui|RUI|11112222|" + U8(u8"número ajustado"));
  EXPECT_STREQ(phonebookTable[firstFree].number, "11112222");
  EXPECT_TRUE(answerer.boxes.empty());
}

TEST_F(ContactsCommandTest, CancelledPreviewAndBrokenFilesChangeNothing) {
  Open();
  Write("good.csv", kOutlookCsv);
  Write("empty.csv", "");
  Write("broken.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ana\r\nTEL:5551234\r\n");
  Write("other.csv", "Foo,Bar\r\n1,2\r\n");
  Write("huge.csv", std::string(kOutlookCsv) + std::string(kMaxContactsFileBytes, '\n'));  // never read in part
  const std::vector<uint8_t> table = TableBytes();
  const std::vector<std::string> rows = Rows();

  OnEditor([](HWND dialog) { Press(dialog, IDCANCEL); });
  answerer.ExpectFile("good.csv");
  Command(ID_IMPORT_CONTACTS);
  EXPECT_EQ(editorsSeen, 1);
  EXPECT_EQ(TableBytes(), table);

  const struct {
    const char* file;
    const char* message;
  } cases[] = {
      {"empty.csv", "O arquivo de contatos está vazio. Nenhum contato foi importado."},
      {"broken.vcf", "O arquivo de contatos está danificado. Nenhum contato foi importado."},
      {"other.csv", "O arquivo não tem uma coluna de nome. Nenhum contato foi importado."},
      {"huge.csv", "O arquivo de contatos tem mais de 16 MB e não foi lido. Nenhum contato foi importado."},
      {"nobody.csv", "Não foi possível ler o arquivo."},
  };
  for (const auto& c : cases) {
    answerer.boxes.clear();
    answerer.ExpectFile(c.file);
    answerer.Expect(IDOK);
    Command(ID_IMPORT_CONTACTS);
    ASSERT_EQ(answerer.boxes.size(), 1u) << c.file;
    EXPECT_EQ(answerer.boxes[0].text, c.message);
    EXPECT_EQ(answerer.boxes[0].owner, Main());
  }
  EXPECT_EQ(editorsSeen, 1) << "no preview for a file that gives no contacts";
  EXPECT_EQ(TableBytes(), table);
  EXPECT_EQ(Rows(), rows);
  NoPhonebookSent();
}

TEST_F(ContactsCommandTest, ExportThenImportGivesTheSameEntriesBack) {
  Open();
  StoreEntry(phonebookTable[10], "O'HARA, ANA", "12P34#");
  const std::vector<uint8_t> table = TableBytes();
  for (const char* name : {"agenda.csv", "agenda.vcf"}) {
    answerer.ExpectFile(name);
    Command(ID_EXPORT_CONTACTS);
    const std::string file = Read(name);
    if (name[7] == 'c') {
      EXPECT_EQ(file.substr(0, 27), "\xEF\xBB\xBFSlot,Name,Number,Group\r\n");
      EXPECT_NE(file.find("11,\"O'HARA, ANA\",12P34#,\r\n"), std::string::npos);
    } else {
      EXPECT_EQ(file.substr(0, 26), "BEGIN:VCARD\r\nVERSION:3.0\r\n");
    }
    Click(IDC_PB_DELETE_ALL);
    StoreEntry(phonebookTable[0], "STRAY", "999");
    OnEditor([](HWND dialog) {
      Press(dialog, IDC_IMP_REPLACE);
      Press(dialog, IDOK);
    });
    answerer.ExpectFile(name);
    Command(ID_IMPORT_CONTACTS);
    EXPECT_EQ(TableBytes(), table) << name;
  }
  EXPECT_TRUE(answerer.boxes.empty());
  NoPhonebookSent();
}

TEST_F(ContactsCommandTest, TheTypeChosenInTheDialogDecidesUnlessTheNameSays) {
  Open();
  const struct {
    const char* typed;
    int filter;
    const char* file;
    bool vcard;
  } cases[] = {
      {"lista", 2, "lista.vcf", true},
      {"lista", 1, "lista.csv", false},
      {"lista.txt", 2, "lista.txt", true},
      {"lista.txt", 1, "lista.txt", false},
      {"outra.csv", 2, "outra.csv", false},
  };
  for (const auto& c : cases) {
    DeleteFileA(Path(c.file).c_str());
    answerer.ExpectFile(c.typed, c.filter);
    Command(ID_EXPORT_CONTACTS);
    const std::string file = Read(c.file);
    EXPECT_EQ(file.rfind(c.vcard ? "BEGIN:VCARD" : "\xEF\xBB\xBFSlot,", 0), 0u) << c.typed << " " << c.filter;
  }
  EXPECT_TRUE(answerer.boxes.empty());
}

TEST_F(ContactsCommandTest, MenuItemsFollowThePhonebookPage) {
  Open(false);
  HMENU menu = GetMenu(Main());
  EXPECT_TRUE(GetMenuState(menu, ID_IMPORT_CONTACTS, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(menu, ID_EXPORT_CONTACTS, MF_BYCOMMAND) & MF_GRAYED);
  Command(ID_IMPORT_CONTACTS);  // a command from outside while the page is not shown
  Command(ID_EXPORT_CONTACTS);
  EXPECT_TRUE(answerer.fileDialogs.empty());
  Select(kPhonebookTab);
  EXPECT_FALSE(GetMenuState(menu, ID_IMPORT_CONTACTS, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(menu, ID_EXPORT_CONTACTS, MF_BYCOMMAND) & MF_GRAYED);
  Select(0);
  EXPECT_TRUE(GetMenuState(menu, ID_IMPORT_CONTACTS, MF_BYCOMMAND) & MF_GRAYED);
}

}  // namespace
