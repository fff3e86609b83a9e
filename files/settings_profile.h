// The settings file's contents, without windows: its two sections, their keys
// in file order and how each value is written and read. The file itself is
// reached through the platform's profile functions (settings_file.cpp), here
// seen as a writer and a reader of one value at a time.
#pragma once

#include <cstddef>
#include <string>

#include "commands/device_data.h"

inline constexpr const char kSettingsSection[] = "Settings";
inline constexpr const char kAdvancedSection[] = "Advanced";

class ProfileWriter {
 public:
  virtual ~ProfileWriter() = default;
  // False when the value could not be written.
  virtual bool Write(const char* section, const char* key, const char* value) = 0;
};

class ProfileReader {
 public:
  virtual ~ProfileReader() = default;
  // Fills `buffer` (`size` bytes, always NUL-terminated, at most size - 1
  // characters) with the value, or with an empty text when the key is missing.
  virtual void Read(const char* section, const char* key, char* buffer, size_t size) = 0;
};

// The 19 keys of "Settings" then the 17 of "Advanced", in file order. Stops
// at the first value that cannot be written and returns false.
bool WriteSettingsProfile(const SettingsBlock& settings, const SystemInfo& info, ProfileWriter& writer);
// Every key back into the records: numbers keep their low 8 bits (a missing
// key or a value without digits is 0), texts are cut at their field's width
// (a missing key is an empty text). imageQuality has no key and keeps its value.
void ReadSettingsProfile(ProfileReader& reader, SettingsBlock& settings, SystemInfo& info);

// A profile that also tells which sections and keys it holds (a missing key
// and an empty value read alike).
class ProfileSource : public ProfileReader {
 public:
  virtual bool HasSection(const char* section) = 0;
  virtual bool HasKey(const char* section, const char* key) = 0;
};

enum class ProfileFault {
  None,
  NoSettings,  // no "Settings" section: not a settings file
  MissingKey,  // a key of a section the file has is missing
  BadValue,    // a number that is not one, or outside its field's range or
               // list; a text longer than its field
};

struct ProfileCheck {
  ProfileFault fault = ProfileFault::None;
  std::string key;        // the key at fault, as "[Section] key"
  bool advanced = false;  // the file has an "Advanced" section
};

// The stricter reading for a file whose values reach the machine with no one
// looking at them first: every key of each section the file has, each number
// plain decimal digits within what the pages offer for its field, each text
// within its field's width. The first fault found, in file order.
ProfileCheck CheckSettingsProfile(ProfileSource& source);

// The whole file as text ("[Settings]", "key=value" lines, CR LF), as the
// profile functions would write it; a null record leaves its section out.
// The backups of what the machine held are written this way.
std::string SettingsProfileText(const SettingsBlock* settings, const SystemInfo* info);

// A text as it may stand in the file: a profile value is one line, so a text
// with a carriage return or line feed ends before the first of them.
std::string ProfileText(const char* text);

// Buffer for a number read from the file.
constexpr size_t kProfileNumberBuffer = 32;
