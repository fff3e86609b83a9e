// Parsing of the stand-ins' machine settings (see standin_config.h).
#include "emulator/standins/standin_config.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A whole number in min..max (`base` as for strtol); nullopt for anything else.
std::optional<int> ParseNumber(const std::string& text, int base, long min, long max) {
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, base);
  if (text.empty() || *end != '\0' || n < min || n > max) return std::nullopt;
  return static_cast<int>(n);
}

struct NamedCommand {
  const char* name;
  MachineCommand command;
};
constexpr NamedCommand kCommandNames[] = {
    {"inquiry", MachineCommand::Inquiry},           {"sysinfo", MachineCommand::GetSystemInfo},
    {"getsettings", MachineCommand::GetSettings},   {"setsettings", MachineCommand::SetSettings},
    {"setadvanced", MachineCommand::SetAdvanced},   {"getphonebook", MachineCommand::GetPhonebook},
    {"setphonebook", MachineCommand::SetPhonebook}, {"fwstart", MachineCommand::FirmwareStart},
    {"fwdata", MachineCommand::FirmwareData},
};

}  // namespace

bool ChangesState(MachineCommand kind) {
  return kind == MachineCommand::SetSettings || kind == MachineCommand::SetAdvanced ||
         kind == MachineCommand::SetPhonebook;
}

std::optional<MachineCommand> ParseCommandName(const std::string& text) {
  const std::string name = Lower(Trim(text));
  for (const auto& c : kCommandNames) {
    if (name == c.name) return c.command;
  }
  return std::nullopt;
}

std::optional<MachineFault> ParseFault(const std::string& text) {
  std::string kind = Lower(Trim(text));
  int n = 0;
  const size_t colon = kind.find(':');
  if (colon != std::string::npos) {
    const auto count = ParseNumber(Trim(kind.substr(colon + 1)), 10, 0, 1000000);
    if (!count) return std::nullopt;
    n = *count;
    kind = Trim(kind.substr(0, colon));
  }
  struct NamedKind {
    const char* name;
    MachineFault::Kind kind;
    bool takesCount;
  };
  static constexpr NamedKind kKinds[] = {
      {"none", MachineFault::None, false},
      {"silent", MachineFault::Silent, false},
      {"short", MachineFault::ShortReply, true},
      {"partial", MachineFault::PartialWrite, true},
      {"wrongleader", MachineFault::WrongLeader, false},
      {"wrongchannel", MachineFault::WrongChannel, false},
      {"firstreplybad", MachineFault::FirstReplyBad, false},
      {"shuffled", MachineFault::Shuffled, false},
      {"partialtwice", MachineFault::PartialTwice, true},
      {"dies", MachineFault::DiesAfter, true},
      {"shortdeclared", MachineFault::ShortDeclared, true},
      {"firstsilent", MachineFault::FirstSilent, false},
      {"storesonewrong", MachineFault::StoresOneWrong, true},
  };
  for (const auto& k : kKinds) {
    if (kind == k.name) {
      if (k.takesCount != (colon != std::string::npos)) return std::nullopt;
      MachineFault fault;
      fault.kind = k.kind;
      fault.n = n;
      return fault;
    }
  }
  return std::nullopt;
}

void StandinConfig::ApplyLine(const std::string& raw) {
  const std::string line = Trim(raw);
  if (line.empty() || line[0] == '#' || line[0] == ';') return;
  const size_t eq = line.find('=');
  if (eq == std::string::npos) {
    errors.push_back(line);
    return;
  }
  const std::string key = Lower(Trim(line.substr(0, eq)));
  const std::string value = Trim(line.substr(eq + 1));

  if (key == "fault" || key.rfind("fault.", 0) == 0) {
    const auto fault = ParseFault(value);
    if (!fault) {
      errors.push_back(line);
      return;
    }
    if (key == "fault") {
      for (const auto& c : kCommandNames) faults.emplace_back(c.command, *fault);
      return;
    }
    const auto command = ParseCommandName(key.substr(6));
    if (!command) {
      errors.push_back(line);
      return;
    }
    faults.emplace_back(*command, *fault);
  } else if (key == "inquiry_mode") {
    const auto mode = ParseNumber(value, 0, 0, 255);
    if (!mode) {
      errors.push_back(line);
      return;
    }
    inquiryMode = *mode;
  } else if (key == "firmware_quiet_ms") {
    const auto ms = ParseNumber(value, 10, 1, 600000);
    if (!ms) {
      errors.push_back(line);
      return;
    }
    firmwareQuietMs = *ms;
  } else if (key == "firmware_rate") {
    const auto rate = ParseNumber(value, 10, 0, 100000000);
    if (!rate) {
      errors.push_back(line);
      return;
    }
    firmwareRate = *rate;
  } else if (key == "firmware_restart") {
    const std::string v = Lower(value);
    if (v == "applies") {
      firmwareRestart = FirmwareRestart::Applies;
    } else if (v == "keepsold") {
      firmwareRestart = FirmwareRestart::KeepsOld;
    } else if (v == "silent") {
      firmwareRestart = FirmwareRestart::Silent;
    } else {
      errors.push_back(line);
    }
  } else if (key == "state") {
    statePath = value;
  } else if (key == "shared") {
    const std::string v = Lower(value);
    if (v == "on" || v == "1" || v == "yes") {
      shared = true;
    } else if (v == "off" || v == "0" || v == "no") {
      shared = false;
    } else {
      errors.push_back(line);
    }
  } else if (key == "usb") {
    const std::string v = Lower(value);
    if (v == "on" || v == "1" || v == "yes") {
      usb = true;
    } else if (v == "off" || v == "0" || v == "no") {
      usb = false;
    } else {
      errors.push_back(line);
    }
  } else {
    errors.push_back(line);
  }
}

void StandinConfig::ApplyText(const std::string& text) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    ApplyLine(text.substr(start, end - start));
    start = end + 1;
  }
}

void StandinConfig::ApplyFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  ApplyText(text.str());
}

void StandinConfig::ApplyVariable(const std::string& value) {
  std::string lines = value;
  for (char& c : lines) {
    if (c == ';') c = '\n';
  }
  ApplyText(lines);
}

void StandinConfig::ApplyTo(K40Machine& machine) const {
  for (const auto& [command, fault] : faults) machine.SetFault(command, fault);
  if (inquiryMode) machine.state().inquiryMode = static_cast<uint8_t>(*inquiryMode);
  machine.SetFirmwareRestart(firmwareRestart);
}
