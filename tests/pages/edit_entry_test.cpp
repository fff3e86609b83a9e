// The entry editor under Wine, made modeless and driven as a user types: its
// look and place, upper-casing, input classes and limits, keys and pastes of
// bytes of 128 and above, text set from outside, and the OK rule.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "commands/device_data.h"
#include "pages/edit_entry.h"
#include "res/resource.h"
#include "tests/pages/phonebook_fixture.h"
#include "widgets/hover_button.h"
#include "widgets/input_class.h"

namespace {

constexpr UINT kSimpleBeep = 0xFFFFFFFF;

class EditEntryTest : public PhonebookPanelTest {
 protected:
  void TearDown() override {
    editor.reset();
    NonAsciiTyped = false;
    PhonebookPanelTest::TearDown();
  }
  void OpenEditor(const char* name = "", const char* number = "") {
    if (!panel) Open(false);
    editor.reset();
    std::strcpy(phonebookTable[4].name, name);
    std::strcpy(phonebookTable[4].number, number);
    editor = std::make_unique<CEditEntry>(4);
    ASSERT_NE(editor->Create(), nullptr);
    ShowWindow(editor->GetHwnd(), SW_SHOW);
    Pump();
    beeper.beeps.clear();
  }
  HWND Field(int id) const { return GetDlgItem(editor->GetHwnd(), id); }
  void Type(int id, const std::string& keys) {
    for (unsigned char c : keys) SendMessageA(Field(id), WM_CHAR, c, 0);
  }

  std::unique_ptr<CEditEntry> editor;
};

TEST_F(EditEntryTest, ShowsTheEntryWithFlatIconButtonsCentredOnTheMainWindow) {
  OpenEditor("CARLOS PEREIRA", "011987654321");
  HWND dialog = editor->GetHwnd();
  EXPECT_EQ(Text(dialog), "Editar");
  EXPECT_EQ(Text(Field(IDC_ENTRY_NAME)), "CARLOS PEREIRA");
  EXPECT_EQ(Text(Field(IDC_ENTRY_NUMBER)), "011987654321");
  for (int id : {IDOK, IDCANCEL}) {
    auto* button = dynamic_cast<CHoverButton*>(CControl::FromHandle(Field(id)));
    ASSERT_NE(button, nullptr) << id;
    EXPECT_TRUE(button->IsFlat() && button->GetIcon() != nullptr) << id;
  }
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), Main());
  RECT d, m;
  GetWindowRect(dialog, &d);
  GetWindowRect(Main(), &m);
  EXPECT_NEAR(d.left + d.right, m.left + m.right, 2);
  EXPECT_NEAR(d.top + d.bottom, m.top + m.bottom, 2);
}

TEST_F(EditEntryTest, TypedKeysAsEachFieldTakesThem) {
  struct Case {
    int field;
    std::string keys, shown;
    std::vector<UINT> beeps;
  } cases[] = {
      {IDC_ENTRY_NAME, "ab-1 o'k&#", "AB-1 O'K&#", {}},
      {IDC_ENTRY_NAME, "a_b", "AB", {kSimpleBeep}},  // outside the name's class
      {IDC_ENTRY_NAME, std::string(21, 'x'), std::string(20, 'X'), {}},
      {IDC_ENTRY_NUMBER, "12p#*", "12P#*", {}},
      {IDC_ENTRY_NUMBER, "1 a", "1", {kSimpleBeep, kSimpleBeep}},
      {IDC_ENTRY_NUMBER, std::string(47, '7'), std::string(46, '7'), {}},
      {IDC_ENTRY_NAME, "ab\xE9", "AB", {MB_OK}},  // a key of 128 and above is taken back
  };
  for (const Case& c : cases) {
    OpenEditor();
    Type(c.field, c.keys);
    EXPECT_EQ(Text(Field(c.field)), c.shown);
    DWORD caret = 0;
    SendMessageA(Field(c.field), EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
    EXPECT_EQ(caret, c.shown.size()) << c.keys;
    if (c.keys.size() < 20) {
      EXPECT_EQ(beeper.beeps, c.beeps) << c.keys;
    }
  }
}

TEST_F(EditEntryTest, PastesAndTextFromOutsideAreCleanedAndTheWriteBackEnds) {
  OpenEditor();
  SendMessageA(Field(IDC_ENTRY_NUMBER), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("\xE0" "123"));
  EXPECT_EQ(Text(Field(IDC_ENTRY_NUMBER)), "123") << "a pasted number can never become a group dial";
  EXPECT_EQ(beeper.beeps, std::vector<UINT>{MB_OK});
  SetWindowTextA(Field(IDC_ENTRY_NAME), "maria \xE9 souza");
  EXPECT_EQ(Text(Field(IDC_ENTRY_NAME)), "MARIA  SOUZA");
  EXPECT_EQ(editor->m_strName, "MARIA  SOUZA");

  // After a key of 128 and above, a change that is no typed key (Delete)
  // must not be taken back as if it were that key again.
  Type(IDC_ENTRY_NAME, "\xC7");
  SendMessageA(Field(IDC_ENTRY_NAME), EM_SETSEL, 0, 0);
  SendMessageA(Field(IDC_ENTRY_NAME), WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ(Text(Field(IDC_ENTRY_NAME)), "ARIA  SOUZA");
}

TEST_F(EditEntryTest, OkOnlyForANumberOfMoreThanTwoCharactersWithADigit) {
  const struct {
    const char* number;
    bool closes, byEnter;
  } cases[] = {{"12", false, false}, {"123", true, false}, {"*1#", true, false},
               {"***", false, false}, {"", false, true},   {"P1P", true, true}};
  for (const auto& c : cases) {
    OpenEditor("", "");
    Type(IDC_ENTRY_NUMBER, c.number);
    if (c.byEnter) {
      MSG enter{Field(IDC_ENTRY_NUMBER), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
      IsDialogMessageA(editor->GetHwnd(), &enter);
    } else {
      SendMessageA(editor->GetHwnd(), WM_COMMAND, IDOK, 0);
    }
    EXPECT_EQ(!IsWindow(editor->GetHwnd()), c.closes) << c.number;
    EXPECT_EQ(beeper.beeps, c.closes ? std::vector<UINT>{} : std::vector<UINT>{MB_OK}) << c.number;
    if (c.closes) {
      EXPECT_EQ(editor->m_strNumber + editor->m_strName, c.number) << "the name may be empty";
    }
    EXPECT_EQ(phonebookTable[4].number[0], '\0') << "the editor never writes the table";
  }
}

}  // namespace
