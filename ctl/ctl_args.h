// rcpctl's command line: one verb, its file, and the options. Portable.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/device_link.h"

enum class CtlVerb { Help, Version, Info, SettingsGet, SettingsSet, PhonebookGet, PhonebookSet, Firmware, History };

// What rcpctl hands back to the shell; documented in --help and the README.
enum class CtlExit : int {
  Ok = 0,
  Usage = 1,           // bad argument; nothing was sent
  PortBusy = 2,        // the scanner driver holds the port
  NoAnswer = 3,        // the machine did not answer
  FileError = 4,       // a file cannot be read or written, or is not of its kind
  TransferFailed = 5,  // the machine did not take what was sent
  NotConfirmed = 6,    // sent, but the machine does not confirm it: the firmware's new version,
                       // the phonebook as read back
};

struct CtlArgs {
  CtlVerb verb = CtlVerb::Help;
  std::string file;
  bool json = false;
  bool csv = false;  // history only
  std::optional<PortKind> port;  // --port: no port search
};

// Why a command line was refused.
enum class CtlUsageError { None, NoVerb, UnknownVerb, UnknownOption, MissingFile, ExtraArgument, BadPort, BadFormat, JsonNotHere,
                           CsvNotHere, TwoFormats };

// `args` without the program name.
CtlUsageError ParseCtlArgs(const std::vector<std::string>& args, CtlArgs& out, std::string& offending);

// True for a name that ends in ".PBF" (any case): the phonebook files rcpctl reads and writes.
bool IsPhonebookFileName(const std::string& path);
// ".STF", likewise.
bool IsSettingsFileName(const std::string& path);

// "usb", "lpt1", "ecp1" for the JSON output and messages.
const char* PortLabel(PortKind kind);
