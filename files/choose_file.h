// ChooseFile: the standard open or save dialog shared by the phonebook and
// settings file commands and the firmware page's browse button.
#pragma once

#include <cstdint>
#include <string>

enum class FileDialogMode { Open, Save };

// The dialogs' filters: description and pattern pairs, "|" between them and
// "||" at the end.
inline constexpr const char kPhonebookFilter[] = "Phonebook Files(*.pbf)|*.pbf|All files (*.*)|*.*||";
inline constexpr const char kSettingsFilter[] = "Settings files(*.STF)|*.stf|All files (*.*)|*.*||";
inline constexpr const char kAllFilesFilter[] = "All files (*.*)|*.*||";

// Runs the dialog modally, owned by the main window, with no initial file
// name. `defaultExt` (nullptr: none) is added by the dialog to a typed name
// without one; `options` are OFN_ flags added to the dialog's own.
//
// `appendedExt` non-null: the dialog starts in the process's current
// directory, and a chosen name that still has no extension gets
// `appendedExt` appended. nullptr (the firmware page): neither.
//
// Returns false when the user cancels; otherwise true with the full path
// and, when `filterIndex` is given, the 1-based filter the user left chosen.
bool ChooseFile(FileDialogMode mode, const char* defaultExt, uint32_t options, const char* filter,
                const char* appendedExt, std::string& path, unsigned* filterIndex = nullptr);

// "a|b||" -> "a\0b\0\0", as the dialog wants its filter.
std::string FilterForDialog(const char* filter);
