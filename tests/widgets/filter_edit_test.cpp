// The filtering edit: typed characters reaching (or not) a real edit control.
#include <string>

#include <gtest/gtest.h>

#include "tests/widgets/gui_support.h"
#include "tests/widgets/test_ids.h"
#include "widgets/dialog.h"
#include "widgets/filter_edit.h"
#include "widgets/input_class.h"

namespace {

class FilterEditTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(dialog.Create());
    ASSERT_TRUE(edit.Attach(dialog, IDC_T_EDIT));
    ASSERT_TRUE(upper.Attach(dialog, IDC_T_UPPER));
  }
  // Types `text` one byte at a time, as the keyboard would.
  void Type(CFilterEdit& target, const std::string& text) {
    for (unsigned char c : text) ::SendMessageA(target.GetHwnd(), WM_CHAR, c, 1);
    PumpMessages();
  }
  static std::string Text(const CFilterEdit& target) {
    char buffer[256] = "";
    ::GetWindowTextA(target.GetHwnd(), buffer, sizeof buffer);
    return buffer;
  }

  CDialog dialog{IDD_TEST_EDITS};
  CFilterEdit edit, upper;
};

TEST_F(FilterEditTest, DialStringTakesDigitsHashAndPauseButNoSpaceOrLetters) {
  edit.m_inputClass = DialString;
  Type(edit, "1#p a*P9");
  EXPECT_EQ(Text(edit), "1#p*P9");
}

TEST_F(FilterEditTest, BackspaceAndControlCharacters) {
  edit.m_inputClass = NameText;
  Type(edit, "ab\x01\x09\x0d\x1b");
  EXPECT_EQ(Text(edit), "ab") << "control characters other than backspace are refused";
  Type(edit, "\b");
  EXPECT_EQ(Text(edit), "a");
}

TEST_F(FilterEditTest, NameTextKeepsTheCaseTyped) {
  edit.m_inputClass = NameText;
  upper.m_inputClass = NameText;
  Type(edit, "Ana & Cia.");
  Type(upper, "ana");
  EXPECT_EQ(Text(edit), "Ana & Cia.");
  EXPECT_EQ(Text(upper), "ANA") << "the upper-case edit style still converts";
}

TEST_F(FilterEditTest, CharacterAbove127IsInsertedAndFlagged) {
  edit.m_inputClass = NameText;
  Type(edit, "Jo\xE3");
  EXPECT_EQ(Text(edit), "Jo\xE3");
  EXPECT_TRUE(NonAsciiTyped);
  Type(edit, "o");
  EXPECT_FALSE(NonAsciiTyped);
  EXPECT_EQ(Text(edit), "Jo\xE3o");
}

TEST_F(FilterEditTest, PastedTextIsNotFiltered) {
  edit.m_inputClass = DialString;
  ::SendMessageA(edit.GetHwnd(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("abc"));
  EXPECT_EQ(Text(edit), "abc");
}

}  // namespace
