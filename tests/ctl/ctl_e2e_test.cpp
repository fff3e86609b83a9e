// rcpctl.exe from the demo folder under Wine, against the driver-package
// stand-ins: every verb, the JSON output parsed, the exit code of each
// failure, files deployed and read back, and firmware updates that take and
// that do not. The machine keeps its state in a file of each test's own.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "commands/device_data.h"
#include "emulator/k40_machine.h"
#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

struct CtlResult {
  DWORD code = 999;
  std::string out, err;
  std::vector<std::string> debug;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string Work(const std::string& name) { return kWorkDir + "\\" + name; }

// One run of rcpctl with `args`; `machine` as K40_MACHINE.
CtlResult RunCtl(const std::string& machine, const std::string& args, DWORD ms = 120000,
                 const std::string& program = kDemoDir + "\\rcpctl.exe") {
  CtlResult run;
  SetEnvironmentVariableA("WINEDEBUG", "-all,+pid,+debugstr,err+module");
  SetEnvironmentVariableA("K40_MACHINE", machine.c_str());
  const std::string outPath = Work("ctl-out.txt"), errPath = Work("ctl-err.txt");
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nullptr;
  si.hStdOutput = out;
  si.hStdError = err;
  PROCESS_INFORMATION pi{};
  std::string command = "\"" + program + "\" " + args;
  const uint64_t mark = StderrMark();
  bool created = false;
  for (int attempt = 0; attempt < 5 && !created; ++attempt) {
    if (attempt > 0) Sleep(500);  // Wine refuses a start now and then
    created = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, kWorkDir.c_str(), &si, &pi);
  }
  CloseHandle(out);
  CloseHandle(err);
  if (!created) return run;
  if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 998);
  WaitForSingleObject(pi.hProcess, 5000);
  GetExitCodeProcess(pi.hProcess, &run.code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  run.out = ReadAll(outPath);
  run.err = ReadAll(errPath);
  run.debug = DebugLinesOf(pi.dwProcessId, mark);
  return run;
}

// A machine of the test's own, from the factory state.
std::string FreshMachine(const std::string& name, const std::string& more = "") {
  const std::string state = Work(name + ".dat");
  DeleteFileA(state.c_str());
  return "state=" + state + (more.empty() ? "" : ";" + more);
}

std::string Describe(const CtlResult& r) {
  return "exit " + std::to_string(r.code) + "\nout: " + r.out + "\nerr: " + r.err + "\ntrace:\n" +
         Printable(r.debug);
}

// A small JSON reader: checks the syntax and flattens the values into
// "a.b" -> text (strings unquoted, numbers and literals as written).
class Json {
 public:
  explicit Json(const std::string& text) : s_(text) {
    Space();
    ok_ = Value("") && (Space(), at_ == s_.size());
  }
  bool ok() const { return ok_; }
  std::string operator[](const std::string& path) const {
    auto it = values_.find(path);
    return it == values_.end() ? "<none>" : it->second;
  }

 private:
  void Space() {
    while (at_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[at_]))) ++at_;
  }
  bool Eat(char c) {
    Space();
    if (at_ < s_.size() && s_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool String(std::string& out) {
    if (!Eat('"')) return false;
    while (at_ < s_.size() && s_[at_] != '"') {
      if (static_cast<unsigned char>(s_[at_]) < 0x20) return false;
      if (s_[at_] == '\\') {
        if (++at_ >= s_.size()) return false;
        const char e = s_[at_];
        if (e == 'u') {
          if (at_ + 4 >= s_.size()) return false;
          out += static_cast<char>(std::stoi(s_.substr(at_ + 1, 4), nullptr, 16));
          at_ += 4;
        } else {
          out += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
        }
        ++at_;
        continue;
      }
      out += s_[at_++];
    }
    return Eat('"');
  }
  bool Value(const std::string& path) {
    Space();
    if (at_ >= s_.size()) return false;
    if (s_[at_] == '{') {
      ++at_;
      if (Eat('}')) return true;
      do {
        std::string key;
        if (!String(key) || !Eat(':') || !Value(path.empty() ? key : path + "." + key)) return false;
      } while (Eat(','));
      return Eat('}');
    }
    if (s_[at_] == '"') {
      std::string text;
      if (!String(text)) return false;
      values_[path] = text;
      return true;
    }
    const size_t start = at_;
    while (at_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[at_])) || s_[at_] == '-' || s_[at_] == '.'))
      ++at_;
    if (at_ == start) return false;
    values_[path] = s_.substr(start, at_ - start);
    return true;
  }

  std::string s_;
  size_t at_ = 0;
  bool ok_ = false;
  std::map<std::string, std::string> values_;
};

uint32_t Counter(const K40Machine::State& state, int replyOffset) {
  const uint8_t* p = state.systemInfo.data() + replyOffset - 10;
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(CtlInfo, JsonCarriesTheMachinesValues) {
  const CtlResult r = RunCtl(FreshMachine("ctl-info"), "info --json");
  ASSERT_EQ(r.code, 0u) << Describe(r);
  const Json json(r.out);
  ASSERT_TRUE(json.ok()) << r.out;
  const K40Machine::State factory = K40Machine::DefaultState();
  EXPECT_EQ(json["model"], "QUILLMARK K40 SERIES");
  EXPECT_EQ(json["versions.firmware"], "1.04");
  EXPECT_EQ(json["port"], "usb");
  EXPECT_EQ(json["freeMemoryPercent"], std::to_string(factory.systemInfo[122 - 10]));
  EXPECT_EQ(json["counters.platenScans"], std::to_string(Counter(factory, 123)));
  EXPECT_EQ(json["counters.prints"], std::to_string(Counter(factory, 131)));
  EXPECT_EQ(json["counters.printJams"], std::to_string(Counter(factory, 143)));
  // The panel's start-up, line for line, then the system information and the port given back.
  std::string missing;
  EXPECT_TRUE(InOrder(r.debug,
                      {"TRV 508 RCP: Port Acquire - SUCCESS", "===> INQUIRY <===\n", "Length = 39 \n",
                       "dwRet = 269 \n", "TRV 508 RCP: Port Release - TRUE\n"},
                      &missing))
      << missing << "\n" << Describe(r);
  EXPECT_EQ(Count(r.debug, "===> INQUIRY <===\n"), 1);
}

TEST(CtlInfo, TextOutputAndAForcedRoad) {
  const CtlResult text = RunCtl(FreshMachine("ctl-info-text"), "--port usb info");
  ASSERT_EQ(text.code, 0u) << Describe(text);
  EXPECT_TRUE(Has(text.out, "QUILLMARK K40 SERIES")) << text.out;
  EXPECT_TRUE(Has(text.out, ": 1.04\n")) << text.out;
  EXPECT_TRUE(Has(text.out, ": usb\n")) << text.out;

  // The parallel port names no machine here: no step back to USB either.
  const CtlResult lpt = RunCtl(FreshMachine("ctl-info-lpt"), "info --port lpt1");
  EXPECT_EQ(lpt.code, 3u) << Describe(lpt);
  EXPECT_EQ(Count(lpt.debug, "===> INQUIRY <===\n"), 2) << Describe(lpt);
  EXPECT_EQ(Count(lpt.debug, "TRV 508 RCP: Port Release - TRUE\n"), 1);
}

TEST(CtlFailures, EachFailureHasItsExitCodeAndLeavesTheMachineAlone) {
  const std::string junk = Work("junk.pbf"), cut = Work("cut.pbf");
  WriteAll(junk, "not a phonebook at all, just some text that is long enough");
  DeleteFileA(cut.c_str());
  struct {
    const char* name;
    std::string machine;
    std::string args;
    DWORD code;
    bool talks;  // the port is borrowed at all
  } cases[] = {
      {"bad verb", "", "reboot", 1, false},
      {"bad port", "", "info --port com2", 1, false},
      {"csv without its reader", "", "phonebook set a.csv", 1, false},
      {"missing file", "", "phonebook set " + Work("nowhere.pbf"), 4, false},
      {"not a phonebook", "", "phonebook set " + junk, 4, false},
      {"wrong signature", "", "firmware " + kDemoDir + "\\firmware\\wrong-signature.img", 4, false},
      {"missing image", "", "firmware " + Work("nowhere.img"), 4, false},
      {"silent machine", "fault=silent", "info", 3, true},
      {"a phonebook reply cut short", "fault.getphonebook=short:3000", "phonebook get " + cut, 3, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string machine = FreshMachine("ctl-failures", c.machine);
    const CtlResult r = RunCtl(machine, c.args);
    EXPECT_EQ(r.code, c.code) << Describe(r);
    EXPECT_FALSE(r.err.empty()) << "a message says why";
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_EQ(Count(r.debug, "TRV 508 RCP: Port Acquire - SUCCESS"), c.talks ? 1 : 0) << Describe(r);
    K40Machine after;
    after.LoadState(Work("ctl-failures.dat"));
    EXPECT_EQ(after.state().phonebook[0].name, K40Machine::DefaultState().phonebook[0].name);
  }
  EXPECT_EQ(GetFileAttributesA(cut.c_str()), INVALID_FILE_ATTRIBUTES) << "no file from half a reply";
}

TEST(CtlFailures, ABusyPortEndsBeforeTheSearch) {
  // This process holds the port through the same port-sharing library.
  HMODULE lend = LoadLibraryA((kDemoDir + "\\portlend.dll").c_str());
  ASSERT_NE(lend, nullptr);
  using LendFn = int32_t(WINAPI*)(int32_t);
  auto acquire = reinterpret_cast<LendFn>(reinterpret_cast<void*>(GetProcAddress(lend, "PortAcquire")));
  auto release = reinterpret_cast<LendFn>(reinterpret_cast<void*>(GetProcAddress(lend, "PortRelease")));
  ASSERT_TRUE(acquire && release);
  ASSERT_EQ(acquire(8), 1);
  const CtlResult r = RunCtl(FreshMachine("ctl-busy"), "info --json");
  release(8);
  FreeLibrary(lend);
  EXPECT_EQ(r.code, 2u) << Describe(r);
  EXPECT_TRUE(r.out.empty());
  EXPECT_TRUE(Has(r.err, "Porta está ocupada.") || Has(r.err, "The port is busy.")) << r.err;
  EXPECT_EQ(r.debug, (std::vector<std::string>{"TRV 508 RCP: Port Acquire - FAILED",
                                               "TRV 508 RCP: Port Release - FALSE\n"}))
      << Describe(r);
}

TEST(CtlFailures, DriverLibrariesOnPathAreNeverLoaded) {
  // rcpctl alone in a folder, the USB library planted in a folder on PATH as
  // any user could; then where a driver package puts it.
  const std::string alone = Work("alone"), planted = Work("on-path"), library = "\\usbduct.dll";
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  for (const std::string& folder : {alone, planted}) CreateDirectoryA(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA((kDemoDir + "\\rcpctl.exe").c_str(), (alone + "\\rcpctl.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA((kDemoDir + library).c_str(), (planted + library).c_str(), FALSE));
  std::string path(32767, '\0');
  path.resize(GetEnvironmentVariableA("PATH", &path[0], static_cast<DWORD>(path.size())));
  SetEnvironmentVariableA("PATH", (planted + ";" + path).c_str());
  for (const std::string& folder : {planted, alone, std::string(system)}) {
    if (folder != planted) CopyFileA((kDemoDir + library).c_str(), (folder + library).c_str(), FALSE);
    const CtlResult r = RunCtl(FreshMachine("ctl-planted"), "--port usb info", 120000, alone + "\\rcpctl.exe");
    if (folder != planted) DeleteFileA((folder + library).c_str());
    EXPECT_EQ(r.code, folder == planted ? 3u : 0u) << "library in " << folder << "\n" << Describe(r);
  }
  SetEnvironmentVariableA("PATH", path.c_str());
  DeleteFileA((planted + library).c_str());
}

// A phonebook as the panel saves it: the header, then 80 entries.
std::string DeployedPhonebook() {
  std::string file;
  file.assign("QMV FAX-RCP Phonebook\0\0\0" "1.00\0\0\0\0" "\x14\0\x50\0\0\0\0\0", 40);
  for (int i = 0; i < kSpeedDialEntries; ++i) {
    PhonebookEntry e{};
    std::snprintf(e.name, sizeof e.name, "FILIAL %02d", i + 1);
    std::snprintf(e.number, sizeof e.number, "0 11 5555 %04d", i * 7);
    if (i % 9 == 8) e = PhonebookEntry{};  // some slots empty
    file.append(reinterpret_cast<const char*>(&e), sizeof e);
  }
  return file;
}

// The path rcpctl names after `label` on a line of its output; empty when none.
std::string NamedPath(const std::string& out, const std::string& label) {
  const size_t at = out.find(label);
  if (at == std::string::npos) return {};
  const size_t start = out.rfind(' ', at) + 1;
  return out.substr(start, out.find_first_of("\r\n", at) - start);
}

TEST(CtlFiles, APhonebookDeployedReadsBackEqual) {
  const std::string file = DeployedPhonebook();
  const std::string in = Work("deploy.pbf"), back = Work("back.PBF");
  WriteAll(in, file);
  DeleteFileA(back.c_str());
  const std::string machine = FreshMachine("ctl-phonebook");

  const CtlResult set = RunCtl(machine, "phonebook set " + in);
  ASSERT_EQ(set.code, 0u) << Describe(set);
  std::string missing;
  EXPECT_TRUE(InOrder(set.debug, {"===> GET PHONEBOOK <===\n", "===> SET PHONEBOOK <===\n"}, &missing))
      << missing << Describe(set);
  K40Machine saved;
  ASSERT_TRUE(saved.LoadState(Work("ctl-phonebook.dat")));
  EXPECT_EQ(saved.state().phonebook[0].name, "FILIAL 01");
  EXPECT_EQ(saved.state().phonebook[79].number, "0 11 5555 0553");
  EXPECT_EQ(saved.state().phonebook[8].name, "");

  const CtlResult get = RunCtl(machine, "phonebook get " + back);
  ASSERT_EQ(get.code, 0u) << Describe(get);
  EXPECT_TRUE(ReadAll(back) == file) << "the file read back differs from the one deployed";
}

TEST(CtlFiles, PhonebookSetKeepsWhatTheMachineHeldAndChecksWhatItStored) {
  const std::string in = Work("deploy.pbf");
  WriteAll(in, DeployedPhonebook());
  const struct {
    const char* name;
    std::string fault;
    DWORD code;
  } cases[] = {
      {"stored as sent", "", 0},
      {"position 3 stored otherwise", "fault.setphonebook=storesonewrong:3", 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CtlResult set = RunCtl(FreshMachine("ctl-checked", c.fault), "phonebook set " + in);
    EXPECT_EQ(set.code, c.code) << Describe(set);
    std::string missing;
    EXPECT_TRUE(InOrder(set.debug, {"===> GET PHONEBOOK <===\n", "===> SET PHONEBOOK <===\n",
                                    "===> GET PHONEBOOK <===\n"}, &missing))
        << missing << Describe(set);
    // The backup is named, in the user's application data, as the panel's.
    const std::string backup = NamedPath(set.out, "Diretorio-");
    EXPECT_TRUE(Has(backup, "\\Dalvenor\\Backups\\Diretorio-")) << set.out;
    const std::string held = ReadAll(backup);
    ASSERT_EQ(held.size(), 5480u) << set.out;
    EXPECT_EQ(std::string(held.c_str() + 40), K40Machine::DefaultState().phonebook[0].name)
        << "the machine's entries before the write";
    if (c.code != 0) EXPECT_TRUE(Has(set.err, " 3")) << "the position is named: " << set.err;
  }
}

// "section/key" -> value of a settings file, through the profile functions.
std::map<std::string, std::string> ProfileValues(const std::string& path) {
  std::map<std::string, std::string> values;
  for (const char* section : {"Settings", "Advanced"}) {
    char keys[4096] = {};
    GetPrivateProfileStringA(section, nullptr, "", keys, sizeof keys, path.c_str());
    for (const char* k = keys; *k; k += std::strlen(k) + 1) {
      char value[256] = {};
      GetPrivateProfileStringA(section, k, "", value, sizeof value, path.c_str());
      values[std::string(section) + "/" + k] = value;
    }
  }
  return values;
}

TEST(CtlFiles, SettingsDeployedReadBackEqual) {
  const std::string machine = FreshMachine("ctl-settings");
  // The machine's own settings first, then changed ones deployed from a file.
  const std::string first = Work("first.STF"), changed = Work("changed.stf"), back = Work("back.STF");
  for (const std::string& f : {first, changed, back}) DeleteFileA(f.c_str());
  const CtlResult get = RunCtl(machine, "settings get " + first);
  ASSERT_EQ(get.code, 0u) << Describe(get);
  std::map<std::string, std::string> values = ProfileValues(first);
  ASSERT_EQ(values.size(), 36u) << "19 settings and 17 advanced values";
  for (const auto& [key, value] : values) {
    const size_t slash = key.find('/');
    WritePrivateProfileStringA(key.substr(0, slash).c_str(), key.substr(slash + 1).c_str(), value.c_str(),
                               changed.c_str());
  }
  WritePrivateProfileStringA("Settings", "Rings to answer", "4", changed.c_str());
  WritePrivateProfileStringA("Advanced", "Terminal ID Name", "FILIAL CENTRO", changed.c_str());
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, changed.c_str());

  const CtlResult set = RunCtl(machine, "settings set " + changed);
  ASSERT_EQ(set.code, 0u) << Describe(set);
  std::string missing;
  EXPECT_TRUE(InOrder(set.debug, {"===> SET SETTINGS <===\n"}, &missing)) << missing << Describe(set);
  EXPECT_TRUE(Has(set.out, "Configuracoes-")) << "the machine's settings were kept first: " << set.out;
  const CtlResult again = RunCtl(machine, "settings get " + back);
  ASSERT_EQ(again.code, 0u) << Describe(again);
  const auto deployed = ProfileValues(changed), readBack = ProfileValues(back);
  EXPECT_EQ(readBack, deployed);
  EXPECT_EQ(readBack.at("Settings/Rings to answer"), "4");
  EXPECT_EQ(readBack.at("Advanced/Terminal ID Name"), "FILIAL CENTRO");

  // The same file changed: a key missing or a value out of range is refused
  // before the port is borrowed; without [Advanced] the machine's advanced
  // settings are neither read nor sent; an acknowledgement missing fails.
  const std::string edited = Work("edited.stf");
  const struct {
    const char *section, *key, *value, *fault;
    DWORD code;
  } cases[] = {{"Advanced", "Speaker", nullptr, "", 4},
               {"Settings", "Rings to answer", "9", "", 4},
               {"Advanced", nullptr, nullptr, "", 0},
               {"Advanced", nullptr, nullptr, ";fault.setsettings=silent", 5}};
  for (const auto& c : cases) {
    CopyFileA(changed.c_str(), edited.c_str(), FALSE);
    WritePrivateProfileStringA(c.section, c.key, c.value, edited.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, edited.c_str());
    const CtlResult r = RunCtl(machine + c.fault, "settings set " + edited);
    EXPECT_EQ(r.code, c.code) << (c.key ? c.key : c.fault) << Describe(r);
    EXPECT_EQ(Count(r.debug, "TRV 508 RCP: Port Acquire - SUCCESS"), c.code == 4 ? 0 : 1);
    EXPECT_EQ(Count(r.debug, "dwRet = 269 \n") + Count(r.debug, "WriteData = 171 \n"), 0) << Describe(r);
  }
  EXPECT_EQ(Count(set.debug, "WriteData = 171 \n"), 1) << "the whole file sent the advanced settings";
}

TEST(CtlFirmware, AnUpdateThatTakesAndOneThatDoesNot) {
  const std::string image = kDemoDir + "\\firmware\\k40-fw-1.05.img";
  struct {
    const char* restart;
    DWORD code;
    const char* pt;
    const char* en;
  } cases[] = {
      {"applies", 0, "A máquina agora usa o firmware 1.05.", "The machine now runs firmware 1.05."},
      {"keepsold", 6, "mesma versão de firmware de antes: 1.04", "same firmware version as before: 1.04"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.restart);
    const std::string machine = FreshMachine("ctl-firmware", std::string("firmware_restart=") + c.restart);
    const CtlResult r = RunCtl(machine, "firmware " + image, 150000);
    EXPECT_EQ(r.code, c.code) << Describe(r);
    const std::string all = r.out + r.err;
    EXPECT_TRUE(Has(all, c.pt) || Has(all, c.en)) << all;
    // Redirected output: plain progress lines, the last at 100 %.
    EXPECT_TRUE(Has(r.out, "100 %  300000 ")) << r.out;
    EXPECT_FALSE(Has(r.out, "\r")) << "no in-place redraw in a file";
    K40Machine saved;
    ASSERT_TRUE(saved.LoadState(Work("ctl-firmware.dat")));
    EXPECT_EQ(saved.state().firmwareImagesReceived, 1u);
    // The version before, the image, then the check after the restart.
    std::string missing;
    EXPECT_TRUE(InOrder(r.debug,
                        {"dwRet = 269 \n", "WriteFile = nLength(8) nByte(8)\n", "===> INQUIRY <===\n",
                         "dwRet = 269 \n", "TRV 508 RCP: Port Release - TRUE\n"},
                        &missing))
        << missing << "\n" << Describe(r);
  }
}

// Each read of the machine keeps a reading; history prints the months
// without the machine. The readings of this prefix's other tests are cleared first.
TEST(CtlHistory, InfoKeepsAReadingOnceAndHistoryShowsIt) {
  char appData[MAX_PATH] = {};
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, appData)));
  const std::string folder = std::string(appData) + "\\Dalvenor\\History";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*.csv").c_str(), &found);
  for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
    DeleteFileA((folder + "\\" + found.cFileName).c_str());
  if (search != INVALID_HANDLE_VALUE) FindClose(search);

  CtlResult r = RunCtl("", "history");
  ASSERT_EQ(r.code, 0u) << Describe(r);
  EXPECT_TRUE(Has(r.out, "No readings kept yet") || Has(r.out, "Nenhuma leitura")) << Describe(r);

  const std::string machine = FreshMachine("ctl-history");
  for (int run = 0; run < 2; ++run) ASSERT_EQ(RunCtl(machine, "info").code, 0u);
  const std::string kept = ReadAll(folder + "\\K40BR0712345.csv");
  EXPECT_EQ(std::count(kept.begin(), kept.end(), '\n'), 2) << kept;  // the header and one reading

  r = RunCtl("", "history --json");
  ASSERT_EQ(r.code, 0u) << Describe(r);
  EXPECT_TRUE(Has(r.out, "{\"machines\":[{\"serial\":\"K40BR0712345\",\"model\":\"QUILLMARK K40 SERIES\""))
      << r.out;
  EXPECT_TRUE(Has(r.out, "\"prints\":0,\"drum\":0,\"adfJams\":0,\"printJams\":0}}]}]}")) << r.out;
  r = RunCtl("", "history --csv");
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 13) << r.out;
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  StartWatchdog(280000);
  return RUN_ALL_TESTS();
}
