// rcpctl info's output (see ctl_report.h).
#include "ctl/ctl_report.h"

#include <cstdio>
#include <cstring>

namespace {

// A fixed-width field of the record, trailing blanks dropped.
template <size_t N>
std::string Field(const char (&text)[N]) {
  std::string s(text, strnlen(text, N));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string Number(uint32_t n) { return std::to_string(n); }

}  // namespace

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", c);
          out += escape;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string InfoJson(const SystemInfo& info, PortKind port) {
  auto text = [](const std::string& s) { return JsonString(Cp1252ToUtf8(s)); };
  std::string j = "{\n";
  j += "  \"model\": " + text(Field(info.modelName)) + ",\n";
  j += "  \"serialNumber\": " + text(Field(info.serialNumber)) + ",\n";
  j += "  \"terminalId\": {\"number\": " + text(Field(info.terminalIdNumber)) +
       ", \"name\": " + text(Field(info.terminalIdName)) + "},\n";
  j += "  \"versions\": {\"firmware\": " + text(Field(info.firmwareVersion)) +
       ", \"engine\": " + text(Field(info.engineVersion)) +
       ", \"emulation1\": " + text(Field(info.emulation1Version)) +
       ", \"emulation2\": " + text(Field(info.emulation2Version)) + "},\n";
  j += "  \"freeMemoryPercent\": " + Number(info.freeMemoryPercent) + ",\n";
  j += "  \"counters\": {\"platenScans\": " + Number(info.platenScanCount) +
       ", \"adfScans\": " + Number(info.adfScanCount) + ", \"prints\": " + Number(info.printCount) +
       ", \"drum\": " + Number(info.drumCount) + ", \"adfJams\": " + Number(info.adfJamCount) +
       ", \"printJams\": " + Number(info.printJamCount) + "},\n";
  j += "  \"port\": " + JsonString(PortLabel(port)) + "\n";
  return j + "}\n";
}

std::string InfoText(const SystemInfo& info, PortKind port, CtlLanguage language) {
  struct Row {
    CtlMsg label;
    std::string value;
  };
  const Row rows[] = {
      {CtlMsg::InfoModel, Field(info.modelName)},
      {CtlMsg::InfoSerial, Field(info.serialNumber)},
      {CtlMsg::InfoTerminal, Field(info.terminalIdNumber) + " " + Field(info.terminalIdName)},
      {CtlMsg::InfoFirmware, Field(info.firmwareVersion)},
      {CtlMsg::InfoEngine, Field(info.engineVersion)},
      {CtlMsg::InfoEmulation1, Field(info.emulation1Version)},
      {CtlMsg::InfoEmulation2, Field(info.emulation2Version)},
      {CtlMsg::InfoFreeMemory, Number(info.freeMemoryPercent) + " %"},
      {CtlMsg::InfoPlatenScans, Number(info.platenScanCount)},
      {CtlMsg::InfoAdfScans, Number(info.adfScanCount)},
      {CtlMsg::InfoPrints, Number(info.printCount)},
      {CtlMsg::InfoDrum, Number(info.drumCount)},
      {CtlMsg::InfoAdfJams, Number(info.adfJamCount)},
      {CtlMsg::InfoPrintJams, Number(info.printJamCount)},
      {CtlMsg::InfoPort, PortLabel(port)},
  };
  std::string out;
  for (const Row& row : rows) out += std::string(CtlText(row.label, language)) + ": " + row.value + "\n";
  return out;
}
