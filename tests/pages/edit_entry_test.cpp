// The entry editor under Wine, made modeless and driven as a user types:
// its look and place, upper-casing, the input classes and limits, keys and
// pastes of bytes of 128 and above, and the OK rule.
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
  // An editor for table entry `index` holding `name` and `number`.
  void OpenEditor(int index, const char* name, const char* number) {
    if (!panel) Open(false);
    editor.reset();
    std::memset(&phonebookTable[index], 0, sizeof(PhonebookEntry));
    std::strcpy(phonebookTable[index].name, name);
    std::strcpy(phonebookTable[index].number, number);
    editor = std::make_unique<CEditEntry>(index);
    ASSERT_NE(editor->Create(), nullptr);
    ShowWindow(Dialog(), SW_SHOW);
    Pump();
    beeper.beeps.clear();
  }
  HWND Dialog() const { return editor->GetHwnd(); }
  HWND Name() const { return GetDlgItem(Dialog(), IDC_ENTRY_NAME); }
  HWND Number() const { return GetDlgItem(Dialog(), IDC_ENTRY_NUMBER); }
  HWND Field(int id) const { return GetDlgItem(Dialog(), id); }
  size_t Caret(HWND edit) const {
    DWORD start = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return start;
  }
  void Ok() { SendMessageA(Dialog(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

  std::unique_ptr<CEditEntry> editor;
};

TEST_F(EditEntryTest, ShowsTheEntryWithItsButtonsTitleAndPlace) {
  OpenEditor(4, "CARLOS PEREIRA", "011987654321");
  EXPECT_EQ(Text(Name()), "CARLOS PEREIRA");
  EXPECT_EQ(Text(Number()), "011987654321");
  EXPECT_EQ(Text(Dialog()), "Editar");
  EXPECT_EQ(SendMessageA(Name(), EM_GETLIMITTEXT, 0, 0), 20);
  EXPECT_EQ(SendMessageA(Number(), EM_GETLIMITTEXT, 0, 0), 46);
  for (int id : {IDOK, IDCANCEL}) {
    auto* button = dynamic_cast<CHoverButton*>(CControl::FromHandle(GetDlgItem(Dialog(), id)));
    ASSERT_NE(button, nullptr) << "button " << id;
    EXPECT_TRUE(button->IsFlat()) << "button " << id;
    EXPECT_NE(button->GetIcon(), nullptr) << "button " << id;
  }
  EXPECT_EQ(Text(GetDlgItem(Dialog(), IDOK)), "OK");
  EXPECT_EQ(Text(GetDlgItem(Dialog(), IDCANCEL)), "Cancelar");
  // Owned by the main window and centred on it.
  EXPECT_EQ(GetWindow(Dialog(), GW_OWNER), Main());
  RECT dialog, main;
  GetWindowRect(Dialog(), &dialog);
  GetWindowRect(Main(), &main);
  EXPECT_NEAR((dialog.left + dialog.right) / 2, (main.left + main.right) / 2, 1);
  EXPECT_NEAR((dialog.top + dialog.bottom) / 2, (main.top + main.bottom) / 2, 1);
  EXPECT_TRUE(beeper.beeps.empty());
}

TEST_F(EditEntryTest, TypedKeysAsEachFieldTakesThem) {
  struct Case {
    int field;
    const char* keys;
    std::string shown;
    std::vector<UINT> beeps;
  } cases[] = {
      {IDC_ENTRY_NAME, "ab-1", "AB-1", {}},
      {IDC_ENTRY_NAME, "o'neil & co. #2/+*,", "O'NEIL & CO. #2/+*,", {}},
      {IDC_ENTRY_NAME, "a_b", "AB", {kSimpleBeep}},  // outside the name's class
      {IDC_ENTRY_NUMBER, "12p#*P", "12P#*P", {}},
      {IDC_ENTRY_NUMBER, "1 a", "1", {kSimpleBeep, kSimpleBeep}},
      {IDC_ENTRY_NAME, "ab\xE9", "AB", {MB_OK}},     // a key of 128 and above is taken back
      {IDC_ENTRY_NUMBER, "1\xE0" "2", "12", {MB_OK}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    OpenEditor(0, "", "");
    TypeInto(Field(c.field), c.keys);
    EXPECT_EQ(Text(Field(c.field)), c.shown);
    EXPECT_EQ(Caret(Field(c.field)), c.shown.size());
    EXPECT_EQ(beeper.beeps, c.beeps);
  }
}

TEST_F(EditEntryTest, FieldsStopAtTheirLimits) {
  OpenEditor(0, "", "");
  TypeInto(Name(), std::string(21, 'x'));
  TypeInto(Number(), std::string(47, '7'));
  EXPECT_EQ(Text(Name()), std::string(20, 'X'));
  EXPECT_EQ(Text(Number()), std::string(46, '7'));
}

TEST_F(EditEntryTest, CaretStaysWhereTheUserTyped) {
  OpenEditor(0, "", "");
  TypeInto(Name(), "ac");
  SendMessageA(Name(), EM_SETSEL, 1, 1);
  TypeInto(Name(), "b");
  EXPECT_EQ(Text(Name()), "ABC");
  EXPECT_EQ(Caret(Name()), 2u);
}

TEST_F(EditEntryTest, PastedHighBytesAreDroppedSoNoGroupDialCanBeMade) {
  struct Case {
    const char* how;
    bool clipboard;
  } cases[] = {{"replaced selection", false}, {"paste from the clipboard", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    OpenEditor(0, "", "");
    const char pasted[] = "\xE0" "123";
    if (c.clipboard) {
      ASSERT_TRUE(OpenClipboard(Dialog()));
      EmptyClipboard();
      HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, sizeof pasted);
      std::memcpy(GlobalLock(text), pasted, sizeof pasted);
      GlobalUnlock(text);
      SetClipboardData(CF_TEXT, text);
      CloseClipboard();
      SendMessageA(Number(), WM_PASTE, 0, 0);
    } else {
      SendMessageA(Number(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pasted));
    }
    EXPECT_EQ(Text(Number()), "123");
    EXPECT_EQ(beeper.beeps, std::vector<UINT>{MB_OK});
    Ok();
    ASSERT_FALSE(IsWindow(Dialog())) << "accepted";
    EXPECT_EQ(editor->m_strNumber, "123");
  }
}

TEST_F(EditEntryTest, ChangesAfterAHighByteKeyAreNotTakenBackAgain) {
  OpenEditor(0, "ABC", "");
  SendMessageA(Name(), EM_SETSEL, 3, 3);
  TypeInto(Name(), "\xC7");
  ASSERT_EQ(Text(Name()), "ABC");
  // Delete is no typed character: the field must still follow it.
  SendMessageA(Name(), EM_SETSEL, 0, 0);
  SendMessageA(Name(), WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ(Text(Name()), "BC");
  EXPECT_EQ(beeper.beeps, std::vector<UINT>{MB_OK});
}

TEST_F(EditEntryTest, TextSetFromOutsideIsCleanedOnceAndTheWriteBackEnds) {
  OpenEditor(0, "", "");
  SetWindowTextA(Name(), "maria \xE9 souza");
  EXPECT_EQ(Text(Name()), "MARIA  SOUZA");
  EXPECT_EQ(editor->m_strName, "MARIA  SOUZA");
  SetWindowTextA(Number(), "55p");
  EXPECT_EQ(Text(Number()), "55P");
  EXPECT_EQ(editor->m_strNumber, "55P");
}

TEST_F(EditEntryTest, OkOnlyForANumberOfMoreThanTwoCharactersWithADigit) {
  struct Case {
    const char* name;
    const char* number;
    bool closes;
    bool byEnter;
  } cases[] = {
      {"", "12", false, false},  {"", "123", true, false},  {"", "*1#", true, false},
      {"", "***", false, false}, {"X", "", false, false},   {"", "P1P", true, true},
      {"", "9", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    OpenEditor(0, "", "");
    TypeInto(Name(), c.name);
    TypeInto(Number(), c.number);
    beeper.beeps.clear();
    if (c.byEnter) {
      SetFocus(Number());
      MSG enter{Number(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
      IsDialogMessageA(Dialog(), &enter);
      Pump();
    } else {
      Ok();
    }
    EXPECT_EQ(!IsWindow(Dialog()), c.closes);
    EXPECT_EQ(beeper.beeps, c.closes ? std::vector<UINT>{} : std::vector<UINT>{MB_OK});
    if (c.closes) {
      EXPECT_EQ(editor->m_strNumber, c.number);
      EXPECT_EQ(editor->m_strName, c.name);
    }
  }
}

TEST_F(EditEntryTest, NeverWritesTheTable) {
  OpenEditor(6, "ESCRITORIO", "04132229876");
  PhonebookEntry before = phonebookTable[6];
  TypeInto(Name(), "x");
  TypeInto(Number(), "5");
  Ok();
  ASSERT_FALSE(IsWindow(Dialog()));
  EXPECT_EQ(std::memcmp(&before, &phonebookTable[6], sizeof before), 0) << "the page copies after OK, not the editor";
}

}  // namespace
