// rcpctl's portable part: the command line, the messages in both languages
// and the info output, JSON included.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ctl/ctl_args.h"
#include "ctl/ctl_history.h"
#include "ctl/ctl_report.h"
#include "ctl/ctl_text.h"

namespace {

using Args = std::vector<std::string>;

TEST(CtlArgs, VerbsFilesAndOptions) {
  struct {
    Args args;
    CtlUsageError error;
    CtlVerb verb;
    std::string file;
    bool json;
    std::optional<PortKind> port;
    std::string offending;
  } cases[] = {
      {{"info"}, CtlUsageError::None, CtlVerb::Info, "", false, {}, ""},
      {{"info", "--json"}, CtlUsageError::None, CtlVerb::Info, "", true, {}, ""},
      {{"--port", "usb", "INFO"}, CtlUsageError::None, CtlVerb::Info, "", false, PortKind::Usb, ""},
      {{"--port=lpt1", "info"}, CtlUsageError::None, CtlVerb::Info, "", false, PortKind::Lpt1, ""},
      {{"info", "--port", "ECP"}, CtlUsageError::None, CtlVerb::Info, "", false, PortKind::Ecp1, ""},
      {{"phonebook", "get", "a.pbf"}, CtlUsageError::None, CtlVerb::PhonebookGet, "a.pbf", false, {}, ""},
      {{"phonebook", "set", "C:\\x\\B.PBF"}, CtlUsageError::None, CtlVerb::PhonebookSet, "C:\\x\\B.PBF", false, {}, ""},
      {{"settings", "get", "s.STF"}, CtlUsageError::None, CtlVerb::SettingsGet, "s.STF", false, {}, ""},
      {{"settings", "set", "s.stf"}, CtlUsageError::None, CtlVerb::SettingsSet, "s.stf", false, {}, ""},
      {{"firmware", "k40.img"}, CtlUsageError::None, CtlVerb::Firmware, "k40.img", false, {}, ""},
      {{"--help", "firmware"}, CtlUsageError::None, CtlVerb::Help, "", false, {}, ""},
      {{"/?"}, CtlUsageError::None, CtlVerb::Help, "", false, {}, ""},
      {{"--version"}, CtlUsageError::None, CtlVerb::Version, "", false, {}, ""},
      {{}, CtlUsageError::NoVerb, CtlVerb::Help, "", false, {}, ""},
      {{"reboot"}, CtlUsageError::UnknownVerb, CtlVerb::Help, "", false, {}, "reboot"},
      {{"phonebook", "erase", "a.pbf"}, CtlUsageError::UnknownVerb, CtlVerb::Help, "", false, {}, "erase"},
      {{"info", "--fast"}, CtlUsageError::UnknownOption, CtlVerb::Help, "", false, {}, "--fast"},
      {{"firmware"}, CtlUsageError::MissingFile, CtlVerb::Help, "", false, {}, "firmware"},
      {{"phonebook", "set"}, CtlUsageError::MissingFile, CtlVerb::Help, "", false, {}, "phonebook"},
      {{"info", "extra"}, CtlUsageError::ExtraArgument, CtlVerb::Help, "", false, {}, "extra"},
      {{"firmware", "a.img", "b.img"}, CtlUsageError::ExtraArgument, CtlVerb::Help, "", false, {}, "b.img"},
      {{"--port", "com1", "info"}, CtlUsageError::BadPort, CtlVerb::Help, "", false, {}, "com1"},
      {{"info", "--port"}, CtlUsageError::BadPort, CtlVerb::Help, "", false, {}, "--port"},
      {{"phonebook", "get", "a.csv"}, CtlUsageError::BadFormat, CtlVerb::Help, "", false, {}, "a.csv"},
      {{"phonebook", "get", ".pbf"}, CtlUsageError::BadFormat, CtlVerb::Help, "", false, {}, ".pbf"},
      {{"settings", "set", "a.pbf"}, CtlUsageError::BadFormat, CtlVerb::Help, "", false, {}, "a.pbf"},
      {{"firmware", "a.img", "--json"}, CtlUsageError::JsonNotHere, CtlVerb::Help, "", false, {}, "--json"},
      {{"history", "--json"}, CtlUsageError::None, CtlVerb::History, "", true, {}, ""},
      {{"info", "--csv"}, CtlUsageError::CsvNotHere, CtlVerb::Help, "", false, {}, "--csv"},
      {{"history", "--csv", "--json"}, CtlUsageError::TwoFormats, CtlVerb::Help, "", false, {}, ""},
  };
  for (const auto& c : cases) {
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    SCOPED_TRACE(joined);
    CtlArgs args;
    std::string offending;
    EXPECT_EQ(ParseCtlArgs(c.args, args, offending), c.error);
    EXPECT_EQ(offending, c.offending);
    if (c.error != CtlUsageError::None) continue;
    EXPECT_EQ(args.verb, c.verb);
    EXPECT_EQ(args.file, c.file);
    EXPECT_EQ(args.json, c.json);
    EXPECT_EQ(args.port, c.port);
  }
}

TEST(CtlText, BothLanguagesForEveryMessage) {
  EXPECT_EQ(CtlLanguageFromLangId(0x0416), CtlLanguage::Portuguese);  // pt-BR
  EXPECT_EQ(CtlLanguageFromLangId(0x0816), CtlLanguage::Portuguese);  // pt-PT
  EXPECT_EQ(CtlLanguageFromLangId(0x0409), CtlLanguage::English);
  EXPECT_EQ(CtlLanguageFromLangId(0x0C0A), CtlLanguage::English);  // any other: English
  for (int i = 0; i < static_cast<int>(CtlMsg::Count); ++i) {
    const auto msg = static_cast<CtlMsg>(i);
    const std::string pt = CtlText(msg, CtlLanguage::Portuguese), en = CtlText(msg, CtlLanguage::English);
    EXPECT_FALSE(pt.empty()) << i;
    EXPECT_FALSE(en.empty()) << i;
    EXPECT_NE(pt, en) << i;
    // A text with an argument takes it in both languages.
    EXPECT_EQ(pt.find("%s") != std::string::npos, en.find("%s") != std::string::npos) << i;
  }
  EXPECT_EQ(CtlFormat(CtlMsg::UsageUnknownVerb, CtlLanguage::Portuguese, "x"), "Verbo desconhecido: x");
  EXPECT_EQ(CtlFormat(CtlMsg::PortBusy, CtlLanguage::Portuguese, "x"), "Porta está ocupada.");
}

TEST(CtlText, HelpNamesEveryExitCode) {
  struct {
    CtlExit code;
    const char* pt;
    const char* en;
  } cases[] = {
      {CtlExit::Ok, "0 concluído", "0 done"},
      {CtlExit::Usage, "1 argumento inválido", "1 bad argument"},
      {CtlExit::PortBusy, "2 porta ocupada", "2 port busy"},
      {CtlExit::NoAnswer, "3 a máquina não responde", "3 the machine does not answer"},
      {CtlExit::FileError, "4 erro de arquivo", "4 file error"},
      {CtlExit::TransferFailed, "5 falha na transferência", "5 transfer failed"},
      {CtlExit::NotConfirmed, "6 atualização não confirmada", "6 update not confirmed"},
  };
  const std::string pt = CtlText(CtlMsg::Help, CtlLanguage::Portuguese);
  const std::string en = CtlText(CtlMsg::Help, CtlLanguage::English);
  for (const auto& c : cases) {
    EXPECT_EQ(c.pt[0] - '0', static_cast<int>(c.code));
    EXPECT_NE(pt.find(c.pt), std::string::npos) << c.pt;
    EXPECT_NE(en.find(c.en), std::string::npos) << c.en;
  }
}

SystemInfo SampleInfo() {
  SystemInfo info{};
  std::strcpy(info.modelName, "QUILLMARK K40 SERIES");
  std::strcpy(info.firmwareVersion, "1.04 ");
  std::strcpy(info.engineVersion, "2.01");
  std::strcpy(info.emulation1Version, "PCL 6");
  std::strcpy(info.emulation2Version, "PCL 5E");
  std::strcpy(info.serialNumber, "K40\"7\\");
  std::strcpy(info.terminalIdName, "PAPELARIA S\xC3O BENTO");  // 1252 "Ã"
  std::strcpy(info.terminalIdNumber, "+55 11");
  info.freeMemoryPercent = 87;
  info.platenScanCount = 4000000000u;
  info.printCount = 48231;
  info.printJamCount = 42;
  return info;
}

TEST(CtlReport, InfoAsJson) {
  const std::string json = InfoJson(SampleInfo(), PortKind::Ecp1);
  for (const char* part : {
           "\"model\": \"QUILLMARK K40 SERIES\"",
           "\"serialNumber\": \"K40\\\"7\\\\\"",
           "\"name\": \"PAPELARIA S\xC3\x83O BENTO\"",  // UTF-8 "Ã"
           "\"firmware\": \"1.04\"",                     // blanks dropped
           "\"freeMemoryPercent\": 87",
           "\"platenScans\": 4000000000",  // unsigned
           "\"prints\": 48231",
           "\"printJams\": 42",
           "\"port\": \"ecp1\"",
       })
    EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
  EXPECT_EQ(json.front(), '{');
  EXPECT_EQ(json.substr(json.size() - 2), "}\n");
}

TEST(CtlReport, TextAndEncoding) {
  struct {
    std::string in, out;
  } cases[] = {
      {"abc", "abc"},
      {"\xE7\xE3o", "\xC3\xA7\xC3\xA3o"},  // "ção"
      {"\x80", "\xE2\x82\xAC"},            // euro sign
      {"\x81", "\xEF\xBF\xBD"},            // a hole of the code page
  };
  for (const auto& c : cases) EXPECT_EQ(Cp1252ToUtf8(c.in), c.out);
  EXPECT_EQ(JsonString(std::string("a\x01\n", 3)), "\"a\\u0001\\n\"");

  const std::string pt = InfoText(SampleInfo(), PortKind::Usb, CtlLanguage::Portuguese);
  EXPECT_NE(pt.find("Versão do firmware: 1.04\n"), std::string::npos) << pt;
  EXPECT_NE(pt.find("Porta: usb\n"), std::string::npos) << pt;
  const std::string en = InfoText(SampleInfo(), PortKind::Lpt1, CtlLanguage::English);
  EXPECT_NE(en.find("Free memory: 87 %\n"), std::string::npos) << en;
  EXPECT_NE(en.find("Port: lpt1\n"), std::string::npos) << en;
}

// Two machines; the second's readings end before the months shown begin.
TEST(CtlReport, HistoryMonthByMonth) {
  auto reading = [](const char* serial, int month, int day, uint32_t prints) {
    Reading r;
    r.time = {2026, month, day, 0, 0, 0};
    r.serial = serial;
    r.model = "QUILLMARK K40, SERIES";
    r.counters[kPrints] = prints;
    r.counters[kAdfJams] = prints / 100;
    return r;
  };
  const std::vector<MachineHistory> machines = {
      {"K40A", "QUILLMARK K40, SERIES", {reading("K40A", 11, 1, 100), reading("K40A", 12, 1, 400)}},
      {"K40B", "QUILLMARK K40, SERIES", {reading("K40B", 1, 1, 5)}},
  };
  const std::string json = HistoryJson(machines, 2027, 1);
  for (const char* part : {"{\"machines\":[{\"serial\":\"K40A\"", "\"lastReading\":\"2026-12-01 00:00:00\"",
                           "{\"month\":\"2026-11\",\"counters\":{\"platenScans\":0,\"adfScans\":0,\"prints\":300,"
                           "\"drum\":0,\"adfJams\":3,\"printJams\":0}}",
                           "{\"month\":\"2026-12\",\"counters\":{", "{\"month\":\"2027-01\",\"counters\":null}"})
    EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
  const std::string csv = HistoryCsv(machines, 2027, 1);
  EXPECT_EQ(csv.substr(0, csv.find('\n')), "serial,model,month,platenScans,adfScans,prints,drum,adfJams,printJams\r");
  EXPECT_NE(csv.find("\r\nK40A,\"QUILLMARK K40, SERIES\",2026-11,0,0,300,0,3,0\r\n"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\nK40B,\"QUILLMARK K40, SERIES\",2026-12,,,,,,\r\n"), std::string::npos) << csv;
  const std::string text = HistoryText(machines, 2027, 1, CtlLanguage::Portuguese);
  EXPECT_NE(text.find("Número de série K40A (QUILLMARK K40, SERIES)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n2026-11            300              0              3              0\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("\n2027-01              -              -              -              -"), std::string::npos)
      << text;
}

}  // namespace
