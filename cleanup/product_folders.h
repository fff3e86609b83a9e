// The folders the uninstall cleanup removes, and the small decisions about them.
//
// Kept apart from the shell calls (folder_cleanup.cpp) so the names, the family
// choice and the bounded path join can be read and tested without windows.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rcpclean {

// The installer always puts the product here; drive and folder are fixed.
inline constexpr char kProgramFolder[] = "C:\\Program Files\\Veltra Quillmark K40 Series";
inline constexpr char kProgramFolderPattern[] =
    "C:\\Program Files\\Veltra Quillmark K40 Series\\*.*";
// Appended to a Start-menu programs folder reported by the shell.
inline constexpr char kGroupSuffix[] = "\\Veltra Quillmark K40 Series";

// Shell folder ids, as Win32 numbers them (CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS).
inline constexpr int kUserProgramsFolder = 2;
inline constexpr int kCommonProgramsFolder = 23;

// Room for one path, as Win32 sizes it (MAX_PATH).
inline constexpr std::size_t kPathCapacity = 260;

enum class WindowsFamily { Nt, Windows95 };

// GetVersion sets its high bit on the Windows 95 family only.
WindowsFamily FamilyFromVersion(std::uint32_t version);

// The Start-menu folders whose program group goes, in the order they are tried:
// the user's, then (NT family only, where an all-users group exists) everyone's.
struct GroupFolders {
  int ids[2];
  int count;
};
GroupFolders GroupFoldersFor(WindowsFamily family);

// Appends kGroupSuffix to the NUL-terminated path in a buffer of `capacity` bytes.
// False, with the buffer untouched, when the result would not fit: a long
// Start-menu path must never run past the buffer.
bool AppendGroupSuffix(char* path, std::size_t capacity);

// False for "." and "..", which every search of an existing folder returns and
// which say nothing about what the folder holds.
bool IsRealEntry(const char* name);

}  // namespace rcpclean
