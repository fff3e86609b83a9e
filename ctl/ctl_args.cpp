// Parsing rcpctl's command line (see ctl_args.h).
#include "ctl/ctl_args.h"

#include <cctype>

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool EndsWithNoCase(const std::string& text, const char* tail) {
  const std::string t = tail;
  return text.size() > t.size() && Lower(text.substr(text.size() - t.size())) == t;
}

struct VerbName {
  const char* first;
  const char* second;  // null: no sub-verb
  CtlVerb verb;
  bool takesFile;
};
constexpr VerbName kVerbs[] = {
    {"info", nullptr, CtlVerb::Info, false},
    {"settings", "get", CtlVerb::SettingsGet, true},
    {"settings", "set", CtlVerb::SettingsSet, true},
    {"phonebook", "get", CtlVerb::PhonebookGet, true},
    {"phonebook", "set", CtlVerb::PhonebookSet, true},
    {"firmware", nullptr, CtlVerb::Firmware, true},
    {"history", nullptr, CtlVerb::History, false},
};

}  // namespace

bool IsPhonebookFileName(const std::string& path) { return EndsWithNoCase(path, ".pbf"); }
bool IsSettingsFileName(const std::string& path) { return EndsWithNoCase(path, ".stf"); }

const char* PortLabel(PortKind kind) {
  switch (kind) {
    case PortKind::Usb:
      return "usb";
    case PortKind::Lpt1:
    case PortKind::Lpt2:
    case PortKind::Lpt3:
      return "lpt1";
    default:
      return "ecp1";
  }
}

CtlUsageError ParseCtlArgs(const std::vector<std::string>& args, CtlArgs& out, std::string& offending) {
  out = CtlArgs{};
  std::vector<std::string> words;
  bool help = false, version = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h" || a == "/?") {
      help = true;
    } else if (a == "--version") {
      version = true;
    } else if (a == "--json") {
      out.json = true;
    } else if (a == "--csv") {
      out.csv = true;
    } else if (a == "--port" || a.rfind("--port=", 0) == 0) {
      std::string value;
      if (a == "--port") {
        if (i + 1 >= args.size()) {
          offending = a;
          return CtlUsageError::BadPort;
        }
        value = args[++i];
      } else {
        value = a.substr(7);
      }
      const std::string v = Lower(value);
      if (v == "usb")
        out.port = PortKind::Usb;
      else if (v == "lpt1")
        out.port = PortKind::Lpt1;
      else if (v == "ecp" || v == "ecp1")
        out.port = PortKind::Ecp1;
      else {
        offending = value;
        return CtlUsageError::BadPort;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      offending = a;
      return CtlUsageError::UnknownOption;
    } else {
      words.push_back(a);
    }
  }
  if (help) {
    out.verb = CtlVerb::Help;
    return CtlUsageError::None;
  }
  if (version) {
    out.verb = CtlVerb::Version;
    return CtlUsageError::None;
  }
  if (words.empty()) return CtlUsageError::NoVerb;

  const std::string first = Lower(words[0]);
  const std::string second = words.size() > 1 ? Lower(words[1]) : "";
  for (const VerbName& v : kVerbs) {
    if (first != v.first || (v.second && second != v.second)) continue;
    const size_t fileAt = v.second ? 2 : 1;
    if (v.takesFile) {
      if (words.size() <= fileAt) {
        offending = words[0];
        return CtlUsageError::MissingFile;
      }
      out.file = words[fileAt];
    }
    const size_t used = fileAt + (v.takesFile ? 1 : 0);
    if (words.size() > used) {
      offending = words[used];
      return CtlUsageError::ExtraArgument;
    }
    out.verb = v.verb;
    if (out.json && v.verb != CtlVerb::Info && v.verb != CtlVerb::History) {
      offending = "--json";
      return CtlUsageError::JsonNotHere;
    }
    if (out.csv && v.verb != CtlVerb::History) {
      offending = "--csv";
      return CtlUsageError::CsvNotHere;
    }
    if (out.csv && out.json) return CtlUsageError::TwoFormats;
    const bool phonebook = v.verb == CtlVerb::PhonebookGet || v.verb == CtlVerb::PhonebookSet;
    const bool settings = v.verb == CtlVerb::SettingsGet || v.verb == CtlVerb::SettingsSet;
    if ((phonebook && !IsPhonebookFileName(out.file)) || (settings && !IsSettingsFileName(out.file))) {
      offending = out.file;
      return CtlUsageError::BadFormat;
    }
    return CtlUsageError::None;
  }
  offending = words.size() > 1 && (first == "settings" || first == "phonebook") ? words[1] : words[0];
  return CtlUsageError::UnknownVerb;
}
