// The firmware update natively, on the fake OS's virtual clock: the road
// choice, the command and chunk bytes on each road against the emulated
// machine, the waits, the retry rule, the progress texts, the completion
// sequence and every failure with its debugger lines.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "commands/device_data.h"
#include "emulator/ieee1284_peripheral.h"
#include "firmware/fw_transfer.h"
#include "link/direct_port.h"
#include "tests/core/machine_devices.h"
#include "tests/direct_port/peripheral_ports.h"
#include "tests/firmware/fw_fakes.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;
using Sizes = std::vector<uint32_t>;

constexpr char kPath[] = "C:\\fw\\k40.img";
const Bytes kLink(kFwStartLink, kFwStartLink + 8);
const Bytes kDirect(kFwStartDirect, kFwStartDirect + 8);
const char kFailed[] = "Falha ao gravar os dados.";
const char kEcpEntry[] = " >> OnUpdate4NtLpt()  <<<";
const char kWin95Entry[] = " >> OnUpdateWin95Lpt()  <<<";
const char kBusy36[] = "failed (busy) on event 36\n\r";
const char kNeverAcked[] = "busy never acknowledged signal\n\r";

Bytes Image(size_t size) {
  Bytes image(size);
  for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>(i * 31 + i / 251);
  const char head[] = "$IMG1.05";
  std::copy(head, head + std::min<size_t>(size, 8), image.begin());
  return image;
}

// Where the road under test leads; Win95 uses the peripheral on the registers.
enum class Via { Lpt1, Ecp1, Ecp2, UsbPipes, UsbNt5, Win95 };

class FwTransferTest : public ::testing::Test {
 public:  // the table rows arrange the fixture's parts
  void SetUp() override {
    ResetDeviceData();
    inquiryAnswered = true;
    Fresh(Via::Lpt1);
  }
  // A new machine on `via`, a page with a valid 10000-byte image chosen.
  void Fresh(Via via, size_t size = 10000) {
    machine = K40Machine();
    ResetDirectPort();
    peripheral = std::make_unique<Ieee1284Peripheral>(machine, 0x378);
    ports = std::make_unique<PeripheralPorts>(*peripheral);
    os.ports = ports.get();
    os.ClearDebug();
    os.opens.clear();
    os.ioControls.clear();
    os.failAllocations = false;
    scripted.writeCalls.clear();
    scripted.writeLimits.clear();
    scripted.readLimits.clear();
    file = FakeFile();
    file.bytes = Image(size);
    os.AddDevice(kPath, &file);
    view = FakeFwView(os);
    view.fileName = kPath;
    view.fileSize = std::to_string(size) + " Byte";
    view.message = "Selecione um arquivo de firmware.";
    view.updateEnabled = true;
    Connect(via);
  }
  void TearDown() override {
    // The closing step leaves nothing behind, whatever the exit.
    EXPECT_EQ(os.openHandles, 0);
    EXPECT_EQ(os.liveAllocations, 0);
    EXPECT_EQ(view.cursors, 0);
    DeviceLink::Reset();
    ResetDeviceData();
  }

  void Connect(Via via) {
    switch (via) {
      case Via::Lpt1: ConnectRoad(os, Road::Lpt1, scripted); break;
      case Via::Ecp1: ConnectRoad(os, Road::Ecp1, scripted); break;
      case Via::UsbPipes: ConnectRoad(os, Road::UsbPipes, scripted); break;
      case Via::UsbNt5: ConnectRoad(os, Road::UsbNt5, scripted); break;
      case Via::Ecp2:
        ConnectRoad(os, Road::Lpt1, scripted);
        DeviceLink::portKind = PortKind::Ecp2;
        os.AddDevice("\\\\.\\QordEcp2", &scripted);
        break;
      case Via::Win95:
        DeviceLink::Reset();
        DeviceLink::hostPlatform = HostPlatform::Windows95;
        break;
    }
  }
  void Press() { FwUpTransfer(view).OnUpdate(); }
  // Image bytes the machine kept, and the start commands it took.
  const Bytes& Received() const { return machine.state().firmwareImage; }
  int Starts() const {
    int n = 0;
    for (MachineCommand kind : machine.RequestKinds()) n += kind == MachineCommand::FirmwareStart;
    return n;
  }
  void ExpectCompleted() {
    EXPECT_EQ(Received(), file.bytes);
    EXPECT_EQ(view.message, "Selecione um arquivo de firmware.");
    EXPECT_EQ(view.fileName, "");
    EXPECT_EQ(view.fileSize, "");
    EXPECT_EQ(view.percent, "");
    EXPECT_EQ(view.progress, 0);
    EXPECT_FALSE(view.updateEnabled);
  }
  void ExpectFailed() {
    EXPECT_EQ(view.message, kFailed);
    EXPECT_EQ(view.fileName, kPath);
    EXPECT_EQ(view.fileSize, "10000 Byte");
    EXPECT_TRUE(view.updateEnabled);
  }

  FakeOs os;
  K40Machine machine;
  MachineDevice device{machine};
  ScriptedDevice scripted{device};
  std::unique_ptr<Ieee1284Peripheral> peripheral;
  std::unique_ptr<PeripheralPorts> ports;
  FakeFile file;
  FakeFwView view{os};
};

TEST(FwPercent, FloatingPointQuotientFirstTruncated) {
  struct { uint32_t sent, total; int percent; } cases[] = {
      {1, 3, 33}, {2, 3, 66}, {3, 3, 100}, {50, 100, 50}, {0, 7, 0},
      {29, 100, 28},  // 0.29 * 100 is 28.999... in binary floating point
      {4096, 1048576, 0}, {1048575, 1048576, 99}, {0xFFFFFFFFu, 0xFFFFFFFFu, 100},
  };
  for (const auto& c : cases) EXPECT_EQ(FwPercent(c.sent, c.total), c.percent) << c.sent << "/" << c.total;
}

TEST(FwSizeText, UnsignedNumberBlankByte) {
  EXPECT_EQ(FwSizeText(1), "1 Byte");
  EXPECT_EQ(FwSizeText(1048576), "1048576 Byte");
  EXPECT_EQ(FwSizeText(0x80000000u), "2147483648 Byte");
  EXPECT_EQ(FwSizeText(0x140000000ull), "5368709120 Byte");
}

TEST_F(FwTransferTest, EachRoadSendsItsCommandThenTheImageInChunks) {
  struct {
    HostPlatform platform;
    Via via;
    size_t size;
    const char* entry;  // nullptr: the DeviceLink road, which has none
    Bytes command;
    Sizes writes;  // every write the device saw
    std::vector<uint32_t> pauses;
  } cases[] = {
      {HostPlatform::Nt5, Via::Lpt1, 8192, nullptr, kLink, {8, 4096, 4096}, {500, 5000, 40000}},
      {HostPlatform::Nt5, Via::Lpt1, 10000, nullptr, kLink, {8, 4096, 4096, 1808}, {500, 5000, 40000}},
      {HostPlatform::OtherWindows, Via::Lpt1, 10000, nullptr, kLink, {8, 4096, 4096, 1808}, {500, 5000, 40000}},
      {HostPlatform::Nt5, Via::Ecp2, 10000, nullptr, kLink, {8, 4096, 4096, 1808}, {500, 5000, 40000}},
      {HostPlatform::Windows98, Via::UsbPipes, 10000, nullptr, kLink, {8, 4096, 4096, 1808}, {500, 5000, 40000}},
      // The transfer library takes at most 3072 bytes a call on NT 5.
      {HostPlatform::Nt5, Via::UsbNt5, 10000, nullptr, kLink, {8, 3072, 1024, 3072, 1024, 1808}, {500, 5000, 40000}},
      {HostPlatform::Nt5, Via::Ecp1, 8192, kEcpEntry, kDirect, {8, 4096, 4096}, {5000, 40000}},
      {HostPlatform::Nt5, Via::Ecp1, 10000, kEcpEntry, kDirect, {8, 4096, 4096, 1808}, {5000, 40000}},
      // Windows 95 goes to the registers whatever the port.
      {HostPlatform::Windows95, Via::Win95, 10000, kWin95Entry, kDirect, {}, {5000, 40000}},
      {HostPlatform::Windows95, Via::Ecp1, 10000, kWin95Entry, kDirect, {}, {5000, 40000}},
      {HostPlatform::Windows95, Via::UsbNt5, 10000, kWin95Entry, kDirect, {}, {5000, 40000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "platform " << int(c.platform) << " via " << int(c.via) << " size " << c.size);
    Fresh(c.via, c.size);
    DeviceLink::hostPlatform = c.platform;
    Press();
    ASSERT_FALSE(machine.Requests().empty());
    EXPECT_EQ(machine.Requests()[0], c.command);
    ExpectCompleted();
    EXPECT_EQ(scripted.writeCalls, c.writes);
    EXPECT_EQ(view.pauses, c.pauses);
    EXPECT_EQ(os.DebugText().find(" >> ") == std::string::npos, c.entry == nullptr);
    if (c.entry) {
      EXPECT_EQ(os.debugLines.front(), c.entry);
    }
    if (c.via == Via::Ecp1 && c.platform != HostPlatform::Windows95) {
      // One open for the whole transfer, then the three controls in order.
      int ecpOpens = 0;
      for (const FakeOpen& open : os.opens) ecpOpens += open.name == kEcp1Name;
      EXPECT_EQ(ecpOpens, 1);
      ASSERT_EQ(os.ioControls.size(), 3u);
      EXPECT_EQ(os.ioControls[0].code, 0x00182014u);
      EXPECT_EQ(os.ioControls[0].input, Bytes{0x00});
      EXPECT_EQ(os.ioControls[1].code, 0x00182004u);
      EXPECT_EQ(os.ioControls[1].input, Bytes{0x10});
      EXPECT_EQ(os.ioControls[2].code, 0x00182008u);
      EXPECT_EQ(os.ioControls[2].input, (Bytes{1, 0, 0, 0}));
    }
    if (c.platform == HostPlatform::Windows95) {
      // Nothing is read back on the direct road: no negotiation ever.
      EXPECT_EQ(peripheral->phase(), Ieee1284Peripheral::Phase::Compatibility);
      EXPECT_EQ(peripheral->strobes(), static_cast<int32_t>(8 + c.size));
    }
  }
}

TEST_F(FwTransferTest, ProgressAndCompletionInOrder) {
  file.bytes = Image(12);
  file.readLimit = 4;  // four bytes a chunk: 33, 66, 100
  inquiryAnswered = false;
  Press();
  const Lines expected = {
      "cursor", "pause 500", "range 0-100", "pos 0", "pause 5000",
      "pos 33", "shown 4 bytes transferidos.|33 %",
      "pos 66", "shown 8 bytes transferidos.|66 %",
      "pos 100", "shown 12 bytes transferidos.|100 %",
      "now Gravação concluída. Não desligue até que a máquina seja inicializada.", "pause 40000",
      "box Atualização concluída!|Dalvenor/1", "pos 0", "update off",
      "shown Selecione um arquivo de firmware.|", "restore"};
  EXPECT_EQ(view.events, expected);
  EXPECT_EQ(os.NowMs(), 45500u) << "the pauses, nothing else";

  // With an answered inquiry the caption is string 108; a 100-byte image in halves.
  inquiryAnswered = true;
  Fresh(Via::Lpt1, 100);
  file.readLimit = 50;
  Press();
  EXPECT_EQ(view.events[6], "shown 50 bytes transferidos.|50 %");
  EXPECT_EQ(view.events[8], "shown 100 bytes transferidos.|100 %");
  EXPECT_EQ(view.events[11], "box Atualização concluída!|Dalvenor/108");
}

TEST_F(FwTransferTest, AShortChunkGetsAtMostTwoMoreAttempts) {
  struct {
    const char* name;
    Sizes limits;  // per write after the command
    bool completes;
    Lines lines;
    Sizes writes;
    std::vector<uint32_t> pauses;
  } cases[] = {
      {"second attempt completes", {1000}, true, {"FwUp: Data written - 1000 "},
       {8, 4096, 3096, 4096, 1808}, {500, 5000, 1000, 40000}},
      {"second in part: no third", {1000, 500}, false, {"FwUp: Data written - 1000 "},
       {8, 4096, 3096}, {500, 5000, 1000}},
      {"second nothing, third completes", {1000, 0}, true, {"FwUp: Data written - 1000 "},
       {8, 4096, 3096, 3096, 4096, 1808}, {500, 5000, 1000, 1000, 40000}},
      {"nothing three times", {0, 0, 0}, false, {"FwUp: Data written - 0 "},
       {8, 4096, 4096, 4096}, {500, 5000, 1000, 1000}},
      {"third in part", {1000, 0, 10}, false, {"FwUp: Data written - 1000 "},
       {8, 4096, 3096, 3096}, {500, 5000, 1000, 1000}},
      {"the last chunk", {4096, 4096, 1800}, true, {"FwUp: Data written - 1800 "},
       {8, 4096, 4096, 1808, 8}, {500, 5000, 1000, 40000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh(Via::Lpt1);
    scripted.writeLimits.assign({8});
    scripted.writeLimits.insert(scripted.writeLimits.end(), c.limits.begin(), c.limits.end());
    Press();
    EXPECT_EQ(os.debugLines, c.lines);
    EXPECT_EQ(scripted.writeCalls, c.writes);
    EXPECT_EQ(view.pauses, c.pauses);
    if (c.completes)
      ExpectCompleted();
    else
      ExpectFailed();
  }
}

TEST_F(FwTransferTest, FailuresLeaveTheirLinesAndMessage) {
  struct {
    const char* name;
    Via via;
    std::function<void(FwTransferTest&)> arrange;
    Lines lines;
    int starts;       // start commands the machine took
    size_t received;  // image bytes it kept
    std::vector<uint32_t> pauses;
    bool refused = false;  // not an image (any more): Update greyed, nothing sent
  } cases[] = {
      {"no chunk buffer, link", Via::Lpt1, [](auto& t) { t.os.failAllocations = true; }, {}, 0, 0, {}},
      {"no chunk buffer, ECP", Via::Ecp1, [](auto& t) { t.os.failAllocations = true; },
       {kEcpEntry, "Error on writing to port."}, 0, 0, {}},
      {"no chunk buffer, Windows 95", Via::Win95, [](auto& t) { t.os.failAllocations = true; },
       {kWin95Entry, "Error on writing to port."}, 0, 0, {}},
      {"no ECP device", Via::Ecp1, [](auto& t) { t.os.RemoveDevice(kEcp1Name); },
       {kEcpEntry, "Failed to open port..."}, 0, 0, {}},
      {"command short, ECP", Via::Ecp1, [](auto& t) { t.scripted.writeLimits = {5}; },
       {kEcpEntry, "Error on writing to port. - Update command"}, 0, 0, {}},
      {"command short, Windows 95", Via::Win95, [](auto& t) { t.peripheral->ignoredStrobe = 3; },
       {kWin95Entry, kBusy36, "Error on writing to port. - Update command"}, 0, 0, {}},
      {"command short, link", Via::Lpt1, [](auto& t) { t.scripted.writeLimits = {7}; }, {}, 0, 0, {}},
      {"machine silent", Via::Lpt1,
       [](auto& t) { t.machine.SetFault(MachineCommand::FirmwareStart, {MachineFault::Silent}); },
       {"FwUp: Failed to read response "}, 2, 0, {500, 6000, 500}},
      {"second command short", Via::Lpt1,
       [](auto& t) {
         t.machine.SetFault(MachineCommand::FirmwareStart, {MachineFault::FirstReplyBad});
         t.scripted.writeLimits = {8, 7};
       },
       {"FwUp: Failed to read response "}, 1, 0, {500, 6000}},
      {"second reply short", Via::Lpt1, [](auto& t) { t.scripted.readLimits = {9, 8}; t.machine.SetFault(MachineCommand::FirmwareStart, {MachineFault::FirstReplyBad}); },
       {"FwUp: Failed to read response "}, 2, 0, {500, 6000, 500}},
      {"no file size", Via::Lpt1, [](auto& t) { t.file.sizeFails = true; }, {}, 0, 0, {}},
      // Checked on the handle that is sent, before the machine hears of it:
      // the file may have changed since it was chosen.
      {"file of no bytes", Via::Lpt1, [](auto& t) { t.file.bytes.clear(); }, {}, 0, 0, {}, true},
      {"signature gone", Via::Lpt1, [](auto& t) { t.file.bytes[3] = 'g'; }, {}, 0, 0, {}, true},
      {"signature gone, ECP", Via::Ecp1, [](auto& t) { t.file.bytes[0] = 0; }, {kEcpEntry}, 0, 0, {}, true},
      {"file ends early", Via::Lpt1, [](auto& t) { t.file.endsAt = 5000; }, {}, 1, 5000, {500, 5000}},
      {"link dies", Via::Lpt1,
       [](auto& t) { t.machine.SetFault(MachineCommand::FirmwareData, {MachineFault::DiesAfter, 6000}); },
       {"FwUp: Data written - 1904 "}, 1, 6000, {500, 5000, 1000, 1000}},
      {"link dies, Windows 95", Via::Win95,
       [](auto& t) { t.machine.SetFault(MachineCommand::FirmwareData, {MachineFault::DiesAfter, 6000}); },
       {kWin95Entry, kNeverAcked, "FwUp: Data written - 1904 ", kNeverAcked, kNeverAcked}, 1, 6000, {5000, 1000, 1000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh(c.via);
    c.arrange(*this);
    Press();
    EXPECT_EQ(os.debugLines, c.lines);
    EXPECT_EQ(Starts(), c.starts);
    EXPECT_EQ(Received().size(), c.received);
    EXPECT_EQ(view.pauses, c.pauses);
    if (c.refused) {
      EXPECT_EQ(view.message, "Arquivo de firmware inválido");
      EXPECT_FALSE(view.updateEnabled);
    } else {
      ExpectFailed();
    }
    EXPECT_EQ(view.events.front(), "cursor");
  }
}

TEST_F(FwTransferTest, AnEcpControlThatFailsIsOnlyTracedAndTheTransferGoesOn) {
  Fresh(Via::Ecp1);
  os.failingIoControls = {0x00182014u, 0x00182004u, 0x00182008u};
  Press();
  EXPECT_EQ(os.debugLines, (Lines{kEcpEntry, "[Error: Device can't be set to the H/W mode(Method) you want.]",
                                  "[Error: Mode has not been changed.]", "[Error: Direction has not been changed.]"}));
  ExpectCompleted();
}

TEST_F(FwTransferTest, AStartThatIsNotAnsweredWellIsSentOnceMore) {
  struct {
    const char* name;
    std::function<void(FwTransferTest&)> arrange;
  } cases[] = {
      {"first reply bad", [](auto& t) { t.machine.SetFault(MachineCommand::FirmwareStart, {MachineFault::FirstReplyBad}); }},
      {"first reply short", [](auto& t) { t.scripted.readLimits = {8}; }},
      // Only the count of the second reply is judged.
      {"every reply bad", [](auto& t) { t.machine.SetFault(MachineCommand::FirmwareStart, {MachineFault::WrongLeader}); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh(Via::Lpt1);
    c.arrange(*this);
    Press();
    EXPECT_EQ(os.debugLines, Lines{"FwUp: Failed to read response "});
    EXPECT_EQ(view.pauses, (std::vector<uint32_t>{500, 6000, 500, 5000, 40000}));
    EXPECT_EQ(machine.Requests()[0], kLink);
    EXPECT_EQ(machine.Requests()[1], kLink);
    ExpectCompleted();
  }
}

TEST_F(FwTransferTest, AnImageGoneSinceItWasChosenIsForgottenSilently) {
  os.RemoveDevice(kPath);
  Press();
  EXPECT_EQ(view.fileName, "");
  EXPECT_FALSE(view.updateEnabled);
  EXPECT_EQ(view.message, "Selecione um arquivo de firmware.");
  EXPECT_TRUE(os.debugLines.empty());
  EXPECT_TRUE(machine.Requests().empty());
  EXPECT_EQ(view.events, (Lines{"update off", "shown Selecione um arquivo de firmware.|"}));
}

}  // namespace
