// The fault matrix: every command on every road against every way the
// machine or the link misbehaves. Whatever happens, a command either fails
// and leaves the records as they were, or succeeds with exactly what a sound
// machine gives; it never waits without end. (Under the sanitizer tree the
// same cases also prove that nothing is written outside a buffer.)
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "commands/commands.h"
#include "commands/device_data.h"
#include "emulator/ieee1284_peripheral.h"
#include "emulator/k40_machine.h"
#include "link/direct_port.h"
#include "tests/core/machine_devices.h"
#include "tests/direct_port/peripheral_ports.h"

namespace {

enum class Cmd { Inquiry, GetSystemInfo, GetSettings, SetSettings, SetAdvanced, GetPhonebook, SetPhonebook };
enum class Way { UsbWindows98, UsbNt5, Lpt1, Ecp1, Windows95 };
enum class Fault { None, Silent, ShortReply, PartialWrite, WrongLeader, WrongChannel, FirstReplyBad,
                   Shuffled, LinkDies, ShortDeclared, FirstSilent };

const char* Name(Cmd c) {
  static const char* names[] = {"Inquiry", "GetSystemInfo", "GetSettings", "SetSettings",
                                "SetAdvanced", "GetPhonebook", "SetPhonebook"};
  return names[static_cast<int>(c)];
}
const char* Name(Way w) {
  static const char* names[] = {"UsbWindows98", "UsbNt5", "Lpt1", "Ecp1", "Windows95"};
  return names[static_cast<int>(w)];
}
const char* Name(Fault f) {
  static const char* names[] = {"None", "Silent", "ShortReply", "PartialWrite", "WrongLeader",
                                "WrongChannel", "FirstReplyBad", "Shuffled", "LinkDies",
                                "ShortDeclared", "FirstSilent"};
  return names[static_cast<int>(f)];
}

MachineCommand MachineSide(Cmd c) {
  switch (c) {
    case Cmd::Inquiry: return MachineCommand::Inquiry;
    case Cmd::GetSystemInfo: return MachineCommand::GetSystemInfo;
    case Cmd::GetSettings: return MachineCommand::GetSettings;
    case Cmd::SetSettings: return MachineCommand::SetSettings;
    case Cmd::SetAdvanced: return MachineCommand::SetAdvanced;
    case Cmd::GetPhonebook: return MachineCommand::GetPhonebook;
    case Cmd::SetPhonebook: return MachineCommand::SetPhonebook;
  }
  return MachineCommand::Inquiry;
}

bool RunCommand(Cmd c) {
  switch (c) {
    case Cmd::Inquiry: return Mfp_Inquiry();
    case Cmd::GetSystemInfo: return Mfp_GetSystemInfo();
    case Cmd::GetSettings: return Mfp_GetSettings();
    case Cmd::SetSettings: return Mfp_SetSettings();
    case Cmd::SetAdvanced: return Mfp_SetAdvanced();
    case Cmd::GetPhonebook: return Mfp_GetPhonebook();
    case Cmd::SetPhonebook: return Mfp_SetPhonebook();
  }
  return false;
}

// A cable that goes dead after it has carried `budget` bytes either way.
class DyingDevice : public FakeDevice {
 public:
  DyingDevice(FakeDevice& inner, uint32_t budget) : inner_(inner), budget_(budget) {}
  uint32_t Write(const uint8_t* bytes, uint32_t length) override {
    uint32_t n = inner_.Write(bytes, std::min(length, budget_));
    budget_ -= n;
    return n;
  }
  uint32_t Read(uint8_t* buffer, uint32_t length) override {
    uint32_t n = inner_.Read(buffer, std::min(length, budget_));
    budget_ -= n;
    return n;
  }

 private:
  FakeDevice& inner_;
  uint32_t budget_;
};

// Everything a command may change, as bytes.
struct Records {
  std::vector<uint8_t> systemInfo, settings, table;
  bool answered, full;
  static Records Take() {
    Records r;
    auto bytes = [](const void* p, size_t n) {
      auto b = static_cast<const uint8_t*>(p);
      return std::vector<uint8_t>(b, b + n);
    };
    r.systemInfo = bytes(&::systemInfo, sizeof ::systemInfo);
    r.settings = bytes(&settingsBlock, sizeof settingsBlock);
    r.table = bytes(phonebookTable, sizeof(PhonebookEntry) * kSpeedDialEntries);
    r.answered = inquiryAnswered;
    r.full = fullPanel;
    return r;
  }
  bool operator==(const Records&) const = default;
};

// Distinct values in every record, so that "unchanged" means something and
// the set commands have something to send.
void FillRecords() {
  ResetDeviceData();
  speedDialCount = kSpeedDialEntries;
  ASSERT_TRUE(CreatePhonebookTable());
  std::strcpy(systemInfo.modelName, "BEFORE");
  std::strcpy(systemInfo.terminalIdName, "TERMINAL");
  std::strcpy(systemInfo.customerName, "CLIENTE");
  std::strcpy(systemInfo.serviceNumber, "0800");
  systemInfo.language = 3;
  auto* settings = reinterpret_cast<uint8_t*>(&settingsBlock);
  for (size_t i = 0; i < sizeof settingsBlock; ++i) settings[i] = static_cast<uint8_t>(i + 1);
  for (int i = 0; i < kSpeedDialEntries; ++i) {
    std::snprintf(phonebookTable[i].name, sizeof phonebookTable[i].name, "OLD %d", i);
    std::snprintf(phonebookTable[i].number, sizeof phonebookTable[i].number, "9%d", i);
  }
}

// One world: the machine, the fake OS and the road between them.
struct World {
  FakeOs os;
  K40Machine machine;
  MachineDevice device{machine};
  std::unique_ptr<DyingDevice> dying;
  std::unique_ptr<Ieee1284Peripheral> peripheral;
  std::unique_ptr<PeripheralPorts> ports;

  World(Way way, Fault fault, MachineCommand command) {
    ResetDirectPort();
    FakeDevice* road = &device;
    if (fault == Fault::LinkDies && way != Way::Windows95) {
      dying = std::make_unique<DyingDevice>(device, 20);
      road = dying.get();
    }
    switch (way) {
      case Way::UsbWindows98: ConnectRoad(os, Road::UsbPipes, *road); break;
      case Way::UsbNt5: ConnectRoad(os, Road::UsbNt5, *road); break;
      case Way::Lpt1: ConnectRoad(os, Road::Lpt1, *road); break;
      case Way::Ecp1: ConnectRoad(os, Road::Ecp1, *road); break;
      case Way::Windows95:
        DeviceLink::Reset();
        DeviceLink::hostPlatform = HostPlatform::Windows95;
        peripheral = std::make_unique<Ieee1284Peripheral>(machine, 0x378);
        if (fault == Fault::LinkDies) peripheral->replyByteLimit = 12;
        ports = std::make_unique<PeripheralPorts>(*peripheral);
        os.ports = ports.get();
        os.biosWord = 0x378;
        break;
    }
    MachineFault injected;
    switch (fault) {
      case Fault::None: case Fault::LinkDies: break;
      case Fault::Silent: injected.kind = MachineFault::Silent; break;
      case Fault::ShortReply: injected = {MachineFault::ShortReply, 9}; break;
      case Fault::PartialWrite: injected = {MachineFault::PartialWrite, 5}; break;
      case Fault::WrongLeader: injected.kind = MachineFault::WrongLeader; break;
      case Fault::WrongChannel: injected.kind = MachineFault::WrongChannel; break;
      case Fault::FirstReplyBad: injected.kind = MachineFault::FirstReplyBad; break;
      case Fault::Shuffled: injected.kind = MachineFault::Shuffled; break;
      case Fault::ShortDeclared: injected = {MachineFault::ShortDeclared, 20}; break;
      case Fault::FirstSilent: injected.kind = MachineFault::FirstSilent; break;
    }
    machine.SetFault(command, injected);
  }
  ~World() {
    DeviceLink::Reset();
    ResetDirectPort();
  }
};

using Case = std::tuple<Cmd, Way, Fault>;

class FaultMatrix : public ::testing::TestWithParam<Case> {
 protected:
  void TearDown() override { ResetDeviceData(); }
};

TEST_P(FaultMatrix, FailsCleanOrSucceedsExactlyAndNeverHangs) {
  auto [cmd, way, fault] = GetParam();
  MachineCommand side = MachineSide(cmd);

  // What a sound machine on the same road gives.
  FillRecords();
  Records expected;
  K40Machine::State expectedMachine;
  {
    World sound(way, Fault::None, side);
    ASSERT_TRUE(RunCommand(cmd)) << "a sound machine must answer";
    expected = Records::Take();
    expectedMachine = sound.machine.state();
  }

  FillRecords();
  Records before = Records::Take();
  World world(way, fault, side);
  bool ok = RunCommand(cmd);
  Records after = Records::Take();

  if (fault == Fault::None) {
    EXPECT_TRUE(ok);
  }
  bool isSet = cmd == Cmd::SetSettings || cmd == Cmd::SetAdvanced || cmd == Cmd::SetPhonebook;
  // A set command succeeds once its request went out whole: the machine
  // applies it, and its acknowledgement is only read to clear it.
  if (fault == Fault::Silent && !isSet) {
    EXPECT_FALSE(ok) << "a silent machine cannot have answered";
  }
  // An inquiry reply is valid from its fifth byte on; the mode byte that
  // did not arrive reads as zero, which is not the full page set.
  if (cmd == Cmd::Inquiry && (fault == Fault::ShortReply || fault == Fault::LinkDies || fault == Fault::ShortDeclared))
    expected.full = false;
  if (ok) {
    EXPECT_TRUE(after == expected) << "success with values other than the machine's";
    if (isSet) {
      EXPECT_EQ(world.machine.state().settings, expectedMachine.settings);
      EXPECT_EQ(world.machine.state().systemInfo, expectedMachine.systemInfo);
      for (int i = 0; i < K40Machine::kEntries; ++i) {
        EXPECT_EQ(world.machine.state().phonebook[i].name, expectedMachine.phonebook[i].name) << i;
        EXPECT_EQ(world.machine.state().phonebook[i].number, expectedMachine.phonebook[i].number) << i;
      }
    }
  } else {
    EXPECT_TRUE(after == before) << "a failed command changed a record";
  }
  // The longest sound exchange takes 6 s of waits; retries and time-outs of
  // a failing one stay within a bound, never without end.
  EXPECT_LT(world.os.NowMs(), 60000u) << "took " << world.os.NowMs() << " ms";
  EXPECT_EQ(world.os.openHandles, 0) << "a port left open";
}

INSTANTIATE_TEST_SUITE_P(
    All, FaultMatrix,
    ::testing::Combine(::testing::Values(Cmd::Inquiry, Cmd::GetSystemInfo, Cmd::GetSettings, Cmd::SetSettings,
                                         Cmd::SetAdvanced, Cmd::GetPhonebook, Cmd::SetPhonebook),
                       ::testing::Values(Way::UsbWindows98, Way::UsbNt5, Way::Lpt1, Way::Ecp1, Way::Windows95),
                       ::testing::Values(Fault::None, Fault::Silent, Fault::ShortReply, Fault::PartialWrite,
                                         Fault::WrongLeader, Fault::WrongChannel, Fault::FirstReplyBad,
                                         Fault::Shuffled, Fault::LinkDies, Fault::ShortDeclared,
                                         Fault::FirstSilent)),
    [](const ::testing::TestParamInfo<Case>& info) {
      return std::string(Name(std::get<0>(info.param))) + "_" + Name(std::get<1>(info.param)) + "_" +
             Name(std::get<2>(info.param));
    });

}  // namespace
