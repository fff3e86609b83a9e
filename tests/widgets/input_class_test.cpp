// Input classes of the filtering edits. Portable: builds natively too.
#include <string>

#include <gtest/gtest.h>

#include "widgets/input_class.h"

namespace {

std::string Admitted(int32_t inputClass) {
  std::string out;
  for (uint32_t c = 1; c < 128; ++c)
    if (IsAdmitted(inputClass, c)) out += static_cast<char>(c);
  return out;
}

TEST(InputClass, EachClassAdmitsExactlyItsTable) {
  const std::string digits = "0123456789";
  const std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ", lower = "abcdefghijklmnopqrstuvwxyz";
  EXPECT_EQ(Admitted(DialSpaced), "\b #*0123456789Pp");
  EXPECT_EQ(Admitted(NameText), "\b #&'*+,-./" + digits + upper + lower);
  EXPECT_EQ(Admitted(DigitsPlus), "\b +" + digits);
  EXPECT_EQ(Admitted(DialString), "\b#*" + digits + "Pp");
  EXPECT_EQ(Admitted(0), "\b") << "an unknown class admits only backspace";
  EXPECT_FALSE(IsAdmitted(NameText, 0));
}

TEST(InputClass, NonAsciiIsLetThroughAndRemembered) {
  EXPECT_TRUE(FilterTypedChar(DialString, 0xE3));  // 'ã' in Windows-1252
  EXPECT_TRUE(NonAsciiTyped);
  EXPECT_FALSE(FilterTypedChar(DialString, 'a'));  // refused, yet a plain character
  EXPECT_FALSE(NonAsciiTyped);
  EXPECT_TRUE(FilterTypedChar(DialString, 0x80));
  EXPECT_TRUE(NonAsciiTyped);
  EXPECT_TRUE(FilterTypedChar(DialString, '1'));
  EXPECT_FALSE(NonAsciiTyped);
}

}  // namespace
