// Character classes of the filtering edits. The tables are the characters
// the machine's keypad and display accept in its name and dial fields.
#include "widgets/input_class.h"

#include <cstring>

bool NonAsciiTyped = false;

namespace {

constexpr uint32_t kBackspace = 8;

bool IsDigit(uint32_t c) { return c >= '0' && c <= '9'; }

// strchr also matches the terminating NUL, so code 0 is ruled out first.
bool IsOneOf(uint32_t c, const char* set) {
  return c != 0 && c < 128 && std::strchr(set, static_cast<int>(c)) != nullptr;
}

bool IsLetter(uint32_t c) {
  // Lower case counts as its capital; the character itself is not changed.
  if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
  return c >= 'A' && c <= 'Z';
}

}  // namespace

bool IsAdmitted(int32_t inputClass, uint32_t code) {
  if (code == kBackspace) return true;
  switch (inputClass) {
    case DialSpaced:
      return IsDigit(code) || IsOneOf(code, " #*Pp");
    case NameText:
      return IsLetter(code) || IsDigit(code) || IsOneOf(code, " +-,.'/*#&");
    case DigitsPlus:
      return IsDigit(code) || IsOneOf(code, " +");
    case DialString:
      return IsDigit(code) || IsOneOf(code, "#*Pp");
    default:
      return false;
  }
}

bool FilterTypedChar(int32_t inputClass, uint32_t code) {
  if (code >= 128) {
    NonAsciiTyped = true;
    return true;
  }
  NonAsciiTyped = false;
  return IsAdmitted(inputClass, code);
}
