// Start-up decisions against the fake OS: host families, each road of the
// port search, the identification loop's fallbacks and the port borrowing,
// with the driver package's libraries played by plain functions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/port_search.h"
#include "app/shared_port.h"
#include "app/startup.h"
#include "commands/device_data.h"
#include "link/trace.h"
#include "tests/support/fake_os.h"

namespace {

// --- stand-ins for the driver package's entry points ---
std::string controlName = "\\\\.\\K40USB0";
bool fillWholeBuffer = false;  // a library that does not terminate the name
int nameCalls = 0;
std::vector<uint32_t> acquireArgs, releaseArgs;
int32_t acquireResult = 1, releaseResult = 1;

int32_t RCP_WINAPI FakeGetControlPortName(char* buffer, int32_t size) {
  ++nameCalls;
  if (fillWholeBuffer) {
    std::memset(buffer, 'N', size);
    return 1;
  }
  std::strncpy(buffer, controlName.c_str(), size - 1);
  return 1;
}
int32_t RCP_WINAPI FakeUsbTransfer(uint8_t*, int32_t) { return 0; }
int32_t RCP_WINAPI FakePortAcquire(uint32_t port) {
  acquireArgs.push_back(port);
  return acquireResult;
}
int32_t RCP_WINAPI FakePortRelease(uint32_t port) {
  releaseArgs.push_back(port);
  return releaseResult;
}

template <typename F>
void* Proc(F f) {
  return reinterpret_cast<void*>(f);
}

class NullDevice : public FakeDevice {
 public:
  uint32_t Write(const uint8_t*, uint32_t length) override { return length; }
  uint32_t Read(uint8_t*, uint32_t) override { return 0; }
};

class StartupTest : public testing::Test {
 protected:
  void SetUp() override {
    DeviceLink::Reset();
    ResetPortSearch();
    portSharingLibrary = nullptr;
    controlName = "\\\\.\\K40USB0";
    fillWholeBuffer = false;
    nameCalls = 0;
    acquireArgs.clear();
    releaseArgs.clear();
    acquireResult = releaseResult = 1;
  }
  void TearDown() override { DeviceLink::Reset(); }

  void AddNamingLibrary() {
    os.AddLibrary("usbnamer.dll", {{"GetControlPortName", Proc(&FakeGetControlPortName)}});
  }
  void AddTransferLibrary(bool withRead = true) {
    std::map<std::string, void*> procs = {{"GetControlPortName", Proc(&FakeGetControlPortName)},
                                          {"Win2kUsbWrite", Proc(&FakeUsbTransfer)}};
    if (withRead) procs["Win2kUsbRead"] = Proc(&FakeUsbTransfer);
    os.AddLibrary("usbduct.dll", procs);
  }
  void AddPipe() { os.AddDevice(controlName + "\\PIPE00", &pipe); }

  FakeOs os;
  NullDevice pipe;
};

TEST(HostPlatformTest, FollowsTheVersionTable) {
  struct Row {
    bool ok;
    uint32_t platform, major, minor;
    HostPlatform expected;
  } rows[] = {
      {false, 2, 6, 1, HostPlatform::OtherWindows},  // GetVersionExA failed
      {true, 2, 4, 0, HostPlatform::OtherWindows},   // NT 4
      {true, 2, 5, 0, HostPlatform::Nt5},            // 2000
      {true, 2, 6, 1, HostPlatform::Nt5},            // 7
      {true, 1, 4, 0, HostPlatform::Windows95},
      {true, 1, 4, 3, HostPlatform::Windows95},      // 95 OSR2
      {true, 1, 4, 9, HostPlatform::Windows95},
      {true, 1, 4, 10, HostPlatform::Windows98},
      {true, 1, 4, 90, HostPlatform::Windows98},     // Me
      {true, 1, 5, 0, HostPlatform::Windows98},
      {true, 0, 3, 10, HostPlatform::OtherWindows},  // Win32s
      {true, 3, 5, 0, HostPlatform::OtherWindows},   // CE
  };
  for (const Row& r : rows)
    EXPECT_EQ(HostPlatformFrom(r.ok, r.platform, r.major, r.minor), r.expected)
        << "platform " << r.platform << " version " << r.major << "." << r.minor;
}

TEST(PortTypeTest, KeepsOneToThreeElseOne) {
  EXPECT_EQ(PortTypeFromProfile(1), 1);
  EXPECT_EQ(PortTypeFromProfile(3), 3);
  EXPECT_EQ(PortTypeFromProfile(0), 1);
  EXPECT_EQ(PortTypeFromProfile(4), 1);
  EXPECT_EQ(PortTypeFromProfile(-2), 1);
}

// --- port search ---

TEST_F(StartupTest, Windows98WithoutNamingLibraryUsesLpt1) {
  DeviceLink::hostPlatform = HostPlatform::Windows98;
  SelectPort();
  EXPECT_EQ(DeviceLink::portKind, PortKind::Lpt1);
  EXPECT_EQ(os.loads, std::vector<std::string>{"usbnamer.dll"});
  EXPECT_TRUE(os.debugLines.empty());
  EXPECT_TRUE(os.opens.empty());
}

TEST_F(StartupTest, Windows98WithOpenPipeUsesUsb) {
  DeviceLink::hostPlatform = HostPlatform::Windows98;
  AddNamingLibrary();
  AddPipe();
  SelectPort();
  EXPECT_EQ(DeviceLink::portKind, PortKind::Usb);
  EXPECT_STREQ(DeviceLink::controlPortName, "\\\\.\\K40USB0");
  EXPECT_STREQ(DeviceLink::writePipeName, "\\\\.\\K40USB0\\PIPE00");
  EXPECT_STREQ(DeviceLink::readPipeName, "\\\\.\\K40USB0\\PIPE01");
  EXPECT_EQ(os.debugLines, std::vector<std::string>{" USB Control Port = \\\\.\\K40USB0"});
  ASSERT_EQ(os.opens.size(), 1u);
  EXPECT_EQ(os.opens[0].name, "\\\\.\\K40USB0\\PIPE00");
  EXPECT_EQ(os.opens[0].access, os_flags::GenericRead | os_flags::GenericWrite);
  EXPECT_EQ(os.opens[0].share, os_flags::ShareRead | os_flags::ShareWrite);
  EXPECT_EQ(os.opens[0].attributes, os_flags::AttributeNormal);
  EXPECT_EQ(os.openHandles, 0) << "the pipe test must close the pipe";
  EXPECT_EQ(DeviceLink::Win2kUsbWrite, nullptr);
}

TEST_F(StartupTest, Windows98WithClosedPipeUsesLpt1AndStillTracesTheName) {
  DeviceLink::hostPlatform = HostPlatform::Windows98;
  AddNamingLibrary();
  SelectPort();
  EXPECT_EQ(DeviceLink::portKind, PortKind::Lpt1);
  EXPECT_EQ(os.debugLines, std::vector<std::string>{" USB Control Port = \\\\.\\K40USB0"});
  EXPECT_TRUE(os.frees.empty()) << "a loaded library stays loaded";
}

TEST_F(StartupTest, Nt5RoadsAndNoTraceLine) {
  DeviceLink::hostPlatform = HostPlatform::Nt5;
  SelectPort();
  EXPECT_EQ(DeviceLink::portKind, PortKind::Ecp1) << "no transfer library";
  EXPECT_EQ(os.loads, std::vector<std::string>{"usbduct.dll"});

  AddTransferLibrary();
  SelectPort();
  EXPECT_EQ(DeviceLink::portKind, PortKind::Ecp1) << "pipe does not open";

  AddPipe();
  SelectPort();
  EXPECT_EQ(DeviceLink::portKind, PortKind::Usb);
  EXPECT_EQ(reinterpret_cast<void*>(DeviceLink::Win2kUsbWrite), Proc(&FakeUsbTransfer));
  EXPECT_EQ(reinterpret_cast<void*>(DeviceLink::Win2kUsbRead), Proc(&FakeUsbTransfer));
  EXPECT_TRUE(os.debugLines.empty());
  EXPECT_EQ(os.loads.size(), 2u) << "loaded on the second search, reused on the third";
}

TEST_F(StartupTest, Windows95AndOtherHostsTakeEcp1WithoutLibraries) {
  for (HostPlatform host : {HostPlatform::Windows95, HostPlatform::OtherWindows}) {
    DeviceLink::hostPlatform = host;
    DeviceLink::portKind = PortKind::Usb;
    SelectPort();
    EXPECT_EQ(DeviceLink::portKind, PortKind::Ecp1);
  }
  EXPECT_TRUE(os.loads.empty());
}

TEST_F(StartupTest, TransferLibraryMissingAnEntryPointCountsAsAbsent) {
  DeviceLink::hostPlatform = HostPlatform::Nt5;
  AddTransferLibrary(/*withRead=*/false);
  AddPipe();
  SelectPort();
  EXPECT_EQ(DeviceLink::portKind, PortKind::Ecp1);
  EXPECT_EQ(os.frees, std::vector<std::string>{"usbduct.dll"});
  EXPECT_EQ(usbTransferLibrary, nullptr);
  EXPECT_EQ(DeviceLink::GetControlPortName, nullptr);
  EXPECT_EQ(DeviceLink::Win2kUsbWrite, nullptr);
  EXPECT_EQ(nameCalls, 0);
  EXPECT_TRUE(os.opens.empty());
}

TEST_F(StartupTest, NamingLibraryWithoutGetControlPortNameCountsAsAbsent) {
  DeviceLink::hostPlatform = HostPlatform::Windows98;
  os.AddLibrary("usbnamer.dll", {});
  SelectPort();
  EXPECT_EQ(DeviceLink::portKind, PortKind::Lpt1);
  EXPECT_EQ(os.frees, std::vector<std::string>{"usbnamer.dll"});
  EXPECT_EQ(usbNamingLibrary, nullptr);
}

TEST_F(StartupTest, ControlNameWithoutRoomForSuffixLeavesUsbUnused) {
  DeviceLink::hostPlatform = HostPlatform::Nt5;
  AddTransferLibrary();
  controlName = std::string(250, 'P');  // 250 + "\PIPE00" does not fit in 255
  AddPipe();
  SelectPort();
  EXPECT_EQ(DeviceLink::portKind, PortKind::Ecp1);
  EXPECT_TRUE(os.opens.empty());

  fillWholeBuffer = true;  // not even terminated
  SelectPort();
  EXPECT_EQ(DeviceLink::portKind, PortKind::Ecp1);
  EXPECT_TRUE(os.opens.empty());

  fillWholeBuffer = false;
  controlName = "\\\\.\\" + std::string(244, 'P');  // exactly fits
  AddPipe();
  SelectPort();
  EXPECT_EQ(DeviceLink::portKind, PortKind::Usb);
  EXPECT_EQ(std::strlen(DeviceLink::readPipeName), 255u);
}

// --- identification loop ---

std::vector<bool> inquiryScript;
size_t inquiryCalls = 0;
bool ScriptedInquiry() {
  bool answer = inquiryCalls < inquiryScript.size() && inquiryScript[inquiryCalls];
  ++inquiryCalls;
  return answer;
}

class ScriptedUi : public IdentifyUi {
 public:
  std::vector<NoAnswerChoice> choices;
  int asked = 0, waits = 0, depth = 0;
  std::vector<PortKind> portsAtInquiry;
  void BeginWait() override {
    ++waits;
    ++depth;
    portsAtInquiry.push_back(DeviceLink::portKind);
  }
  void EndWait() override { --depth; }
  NoAnswerChoice AskNoAnswer() override {
    EXPECT_EQ(depth, 0) << "the box must not appear under the wait cursor";
    return choices.at(asked++);
  }
};

class IdentifyTest : public StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    inquiryScript.clear();
    inquiryCalls = 0;
  }
  ScriptedUi ui;
};

TEST_F(IdentifyTest, SecondInquiryOfAnAttemptMayAnswer) {
  DeviceLink::hostPlatform = HostPlatform::OtherWindows;
  inquiryScript = {false, true};
  EXPECT_EQ(SearchAndIdentify(ui, ScriptedInquiry), IdentifyResult::Answered);
  EXPECT_EQ(inquiryCalls, 2u);
  EXPECT_EQ(ui.waits, 1);
  EXPECT_EQ(ui.asked, 0);
}

TEST_F(IdentifyTest, SilentUsbFallsBackToEcp1WithoutAsking) {
  DeviceLink::hostPlatform = HostPlatform::Nt5;
  AddTransferLibrary();
  AddPipe();
  inquiryScript = {false, false, true};
  EXPECT_EQ(SearchAndIdentify(ui, ScriptedInquiry), IdentifyResult::Answered);
  EXPECT_EQ(ui.portsAtInquiry, (std::vector<PortKind>{PortKind::Usb, PortKind::Ecp1}));
  EXPECT_EQ(DeviceLink::portKind, PortKind::Ecp1);
  EXPECT_EQ(ui.asked, 0);
}

TEST_F(IdentifyTest, Windows98SilentUsbFallsBackToLpt1ThenAsks) {
  DeviceLink::hostPlatform = HostPlatform::Windows98;
  AddNamingLibrary();
  AddPipe();
  ui.choices = {NoAnswerChoice::Abort};
  EXPECT_EQ(SearchAndIdentify(ui, ScriptedInquiry), IdentifyResult::Aborted);
  EXPECT_EQ(ui.portsAtInquiry, (std::vector<PortKind>{PortKind::Usb, PortKind::Lpt1}));
  EXPECT_EQ(inquiryCalls, 4u);
  EXPECT_EQ(ui.asked, 1);
}

TEST_F(IdentifyTest, IgnoreEndsTheSearchWithoutAnswer) {
  DeviceLink::hostPlatform = HostPlatform::OtherWindows;
  ui.choices = {NoAnswerChoice::Ignore};
  EXPECT_EQ(SearchAndIdentify(ui, ScriptedInquiry), IdentifyResult::Ignored);
  EXPECT_EQ(inquiryCalls, 2u);
}

TEST_F(IdentifyTest, RetryRepeatsTheUsbSearchWithoutReloadingTheLibrary) {
  DeviceLink::hostPlatform = HostPlatform::Windows98;
  AddNamingLibrary();
  AddPipe();
  inquiryScript = {false, false, false, false, true};
  ui.choices = {NoAnswerChoice::Retry};
  EXPECT_EQ(SearchAndIdentify(ui, ScriptedInquiry), IdentifyResult::Answered);
  EXPECT_EQ(ui.portsAtInquiry,
            (std::vector<PortKind>{PortKind::Usb, PortKind::Lpt1, PortKind::Usb}));
  EXPECT_EQ(os.loads, std::vector<std::string>{"usbnamer.dll"});
  EXPECT_EQ(nameCalls, 2) << "names rebuilt on Retry";
  EXPECT_EQ(os.opens.size(), 2u) << "pipe tested again on Retry";
  EXPECT_EQ(os.debugLines,
            (std::vector<std::string>{" USB Control Port = \\\\.\\K40USB0",
                                      " USB Control Port = \\\\.\\K40USB0"}));
}

// --- port borrowing ---

TEST_F(StartupTest, NoPortSharingLibraryMeansRunWithoutSharing) {
  EXPECT_TRUE(AcquireSharedPort());
  EXPECT_EQ(os.loads, std::vector<std::string>{"portlend.dll"});
  EXPECT_FALSE(ReleaseSharedPort());
  EXPECT_TRUE(os.debugLines.empty());
}

TEST_F(StartupTest, AcquireAndReleaseWriteTheirLines) {
  os.AddLibrary("portlend.dll", {{"PortAcquire", Proc(&FakePortAcquire)},
                                 {"PortRelease", Proc(&FakePortRelease)}});
  EXPECT_TRUE(AcquireSharedPort());
  EXPECT_TRUE(ReleaseSharedPort());
  EXPECT_EQ(acquireArgs, std::vector<uint32_t>{8});
  EXPECT_EQ(releaseArgs, std::vector<uint32_t>{8});
  EXPECT_EQ(os.debugLines, (std::vector<std::string>{"TRV 508 RCP: Port Acquire - SUCCESS",
                                                     "TRV 508 RCP: Port Release - TRUE\n"}));
  EXPECT_EQ(os.frees, std::vector<std::string>{"portlend.dll"});
  EXPECT_EQ(portSharingLibrary, nullptr);
  EXPECT_FALSE(ReleaseSharedPort()) << "a second release has nothing to release";
}

TEST_F(StartupTest, RefusedPortIsStillReleasedAtExit) {
  os.AddLibrary("portlend.dll", {{"PortAcquire", Proc(&FakePortAcquire)},
                                 {"PortRelease", Proc(&FakePortRelease)}});
  acquireResult = 0;
  EXPECT_FALSE(AcquireSharedPort());
  EXPECT_NE(portSharingLibrary, nullptr);
  EXPECT_TRUE(os.frees.empty());

  releaseResult = 0;
  EXPECT_FALSE(ReleaseSharedPort());
  EXPECT_EQ(releaseArgs, std::vector<uint32_t>{8});
  EXPECT_EQ(os.debugLines, (std::vector<std::string>{"TRV 508 RCP: Port Acquire - FAILED",
                                                     "TRV 508 RCP: Port Release - FALSE\n"}));
  EXPECT_EQ(os.frees, std::vector<std::string>{"portlend.dll"});
}

TEST_F(StartupTest, LibraryWithoutEntryPointsIsFreedQuietlyOnRelease) {
  os.AddLibrary("portlend.dll", {});
  EXPECT_FALSE(AcquireSharedPort());
  EXPECT_EQ(portSharingLibrary, nullptr);
  EXPECT_EQ(os.frees, std::vector<std::string>{"portlend.dll"});
  EXPECT_FALSE(ReleaseSharedPort());
  EXPECT_EQ(os.debugLines, std::vector<std::string>{"TRV 508 RCP: Port Acquire - FAILED"});

  os.AddLibrary("portlend.dll", {{"PortAcquire", Proc(&FakePortAcquire)}});
  os.frees.clear();
  os.ClearDebug();
  EXPECT_TRUE(AcquireSharedPort());
  EXPECT_FALSE(ReleaseSharedPort());
  EXPECT_EQ(os.frees, std::vector<std::string>{"portlend.dll"});
  EXPECT_EQ(os.debugLines, std::vector<std::string>{"TRV 508 RCP: Port Acquire - SUCCESS"});
}

// --- the start-up shared by the panel and rcpctl ---

// Inquiry answers in turn (then false), the roads they were asked on, and
// the front end's calls.
std::vector<bool> turnAnswers;
std::vector<PortKind> askedOn;
bool AnswersInTurn() {
  askedOn.push_back(DeviceLink::portKind);
  if (askedOn.size() > turnAnswers.size()) return false;
  return turnAnswers[askedOn.size() - 1];
}
HostPlatform Nt5Host() { return HostPlatform::Nt5; }

class RecordingUi : public StartupUi {
 public:
  std::vector<std::string> calls;
  std::vector<NoAnswerChoice> choices;
  void PortBusy() override { calls.push_back("busy"); }
  void BeginWait() override { calls.push_back("wait"); }
  void EndWait() override { calls.push_back("done"); }
  NoAnswerChoice AskNoAnswer() override {
    calls.push_back("ask");
    NoAnswerChoice c = choices.empty() ? NoAnswerChoice::Abort : choices.front();
    if (!choices.empty()) choices.erase(choices.begin());
    return c;
  }
};

TEST_F(StartupTest, SharedStartUpForEachOutcome) {
  using Calls = std::vector<std::string>;
  using Roads = std::vector<PortKind>;
  struct {
    const char* name;
    bool busy, usb;
    std::optional<PortKind> forced;
    std::vector<bool> answers;
    std::vector<NoAnswerChoice> choices;
    StartupResult result;
    Calls calls;
    Roads roads;
  } cases[] = {
      {"answers on USB", false, true, {}, {true}, {}, StartupResult::Answered, {"wait", "done"}, {PortKind::Usb}},
      {"USB silent, ECP answers", false, true, {}, {false, false, true}, {}, StartupResult::Answered,
       {"wait", "done", "wait", "done"}, {PortKind::Usb, PortKind::Usb, PortKind::Ecp1}},
      {"busy port", true, true, {}, {true}, {}, StartupResult::PortBusy, {"busy"}, {}},
      {"silent, ignored", false, false, {}, {}, {NoAnswerChoice::Ignore}, StartupResult::Ignored,
       {"wait", "done", "ask"}, {PortKind::Ecp1, PortKind::Ecp1}},
      {"silent, retried, aborted", false, false, {}, {}, {NoAnswerChoice::Retry}, StartupResult::Aborted,
       {"wait", "done", "ask", "wait", "done", "ask"}, {PortKind::Ecp1, PortKind::Ecp1, PortKind::Ecp1, PortKind::Ecp1}},
      // A forced road: that one only, no step down from USB.
      {"forced LPT1", false, true, PortKind::Lpt1, {true}, {}, StartupResult::Answered, {"wait", "done"},
       {PortKind::Lpt1}},
      {"forced USB, silent", false, true, PortKind::Usb, {}, {}, StartupResult::Aborted, {"wait", "done", "ask"},
       {PortKind::Usb, PortKind::Usb}},
      {"forced USB, none there", false, false, PortKind::Usb, {true}, {}, StartupResult::Aborted, {"ask"}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    ResetDeviceData();
    if (c.usb) {
      AddTransferLibrary();
      AddPipe();
    } else {
      os.AddLibrary("usbduct.dll", {});  // one without its entry points counts as absent
      os.RemoveDevice(controlName + "\\PIPE00");
    }
    os.AddLibrary("portlend.dll", {{"PortAcquire", Proc(&FakePortAcquire)}, {"PortRelease", Proc(&FakePortRelease)}});
    acquireResult = c.busy ? 0 : 1;
    turnAnswers = c.answers;
    askedOn.clear();
    RecordingUi ui;
    ui.choices = c.choices;
    EXPECT_EQ(StartUpMachine(ui, &Nt5Host, &AnswersInTurn, c.forced), c.result);
    EXPECT_EQ(ui.calls, c.calls);
    EXPECT_EQ(askedOn, c.roads);
    const bool answered = c.result == StartupResult::Answered;
    EXPECT_EQ(speedDialCount, answered ? 80 : 0);
    EXPECT_EQ(phonebookTable != nullptr, answered);
    ShutDownMachine();
    EXPECT_EQ(phonebookTable, nullptr);
    EXPECT_EQ(releaseArgs, std::vector<uint32_t>{8}) << "the port goes back in every case";
  }
}

}  // namespace
