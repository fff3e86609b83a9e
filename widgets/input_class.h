// Which typed characters a filtering edit admits, by input class. Portable:
// the edit control (filter_edit.cpp) only passes on or refuses.
#pragma once

#include <cstdint>

// The input classes the dialogs give their filtering edits.
enum InputClass : int32_t {
  DialSpaced = 1,  // digits, space, # * P p
  NameText = 2,    // letters, digits, space, + - , . ' / * # &
  DigitsPlus = 5,  // digits, space, +
  DialString = 6,  // digits, # * P p
};

// True when the last character typed into any filtering edit had a code of
// 128 or above; cleared by any other typed character. One for the program.
extern bool NonAsciiTyped;

// Whether class `inputClass` admits character `code` below 128. Backspace is
// admitted by every class; an unknown class admits nothing else.
bool IsAdmitted(int32_t inputClass, uint32_t code);

// Decision for one typed character: updates NonAsciiTyped and returns true
// when the character goes on to the edit, false when it is refused (beep).
// Codes of 128 and above always go on.
bool FilterTypedChar(int32_t inputClass, uint32_t code);
