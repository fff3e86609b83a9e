// The firmware update with the applied check, natively on the virtual clock
// against the emulated machine: the version read before the transfer, the
// inquiry and system information after the restart pause with their
// retries, and the completion box for each way the restart can go.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/device_data.h"
#include "firmware/fw_transfer.h"
#include "tests/core/machine_devices.h"
#include "tests/firmware/fw_fakes.h"

namespace {

using Lines = std::vector<std::string>;
constexpr char kPath[] = "C:\\fw\\k40.img";

std::vector<uint8_t> Image(const char* head, size_t size) {
  std::vector<uint8_t> image(size, 0x5A);
  // The head's NUL ends the version text the machine takes from the image.
  std::copy(head, head + std::strlen(head) + 1, image.begin());
  return image;
}

// The exchanges in the trace, in order: "inquiry" for its marker line,
// "sysinfo" for the system information's count line.
Lines Markers(const std::vector<std::string>& debug) {
  Lines out;
  for (const std::string& line : debug) {
    if (line == "===> INQUIRY <===\n") out.push_back("inquiry");
    if (line.rfind("dwRet = ", 0) == 0) out.push_back("sysinfo");
  }
  return out;
}

class FwAppliedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDeviceData();
    inquiryAnswered = true;
    ConnectRoad(os, Road::Lpt1, scripted);
    file.bytes = Image("$IMG1.05", 10000);
    os.AddDevice(kPath, &file);
    view.fileName = kPath;
    view.updateEnabled = true;
    view.recordShown = false;
    // The machine restarts during the long pause after the last chunk.
    view.afterPause = [this](uint32_t ms) {
      if (ms == 40000) machine.EndFirmware();
    };
  }
  void TearDown() override {
    EXPECT_EQ(os.openHandles, 0);
    EXPECT_EQ(view.cursors, 0);
    DeviceLink::Reset();
    ResetDeviceData();
  }
  FwUpTransfer& Press() {
    transfer.CheckApplied(true);
    transfer.OnUpdate();
    return transfer;
  }
  std::string Box() const {
    for (const std::string& e : view.events)
      if (e.rfind("box ", 0) == 0 || e.rfind("warn ", 0) == 0) return e;
    return "";
  }

  FakeOs os;
  K40Machine machine;
  MachineDevice device{machine};
  ScriptedDevice scripted{device};
  FakeFile file;
  FakeFwView view{os};
  FwUpTransfer transfer{view};
};

TEST(JudgeFirmware, VersionsBeforeAndAfter) {
  struct {
    bool read;
    const char* before;
    const char* after;
    FwOutcome outcome;
  } cases[] = {
      {true, "1.04", "1.05", FwOutcome::Applied},
      {true, "1.04", "1.04", FwOutcome::NotApplied},
      // The version before was not read: the new one is all there is to say.
      {true, "", "1.04", FwOutcome::Applied},
      {false, "1.04", "", FwOutcome::Silent},
      {false, "", "", FwOutcome::Silent},
  };
  for (const auto& c : cases)
    EXPECT_EQ(JudgeFirmware(c.read, c.before, c.after), c.outcome) << c.before << " -> " << c.after;
}

TEST_F(FwAppliedTest, EachWayTheRestartGoes) {
  const std::string done = "box Atualização concluída! A máquina agora usa o firmware 1.05.|Dalvenor/108";
  const std::string kept =
      "warn A máquina ainda usa o firmware 1.04, o mesmo de antes: a nova imagem não foi aplicada.|Dalvenor/108";
  const std::string silent =
      "warn A máquina não respondeu depois de reiniciar: não foi possível confirmar a atualização.|Dalvenor/108";
  const Lines before = {"sysinfo"};
  struct {
    const char* name;
    FirmwareRestart restart;
    FwOutcome outcome;
    std::string box;
    std::string after;
    // Exchanges after the image: inquiries and system-information reads.
    Lines markers;
    uint32_t pausesMs;
  } cases[] = {
      {"applies", FirmwareRestart::Applies, FwOutcome::Applied, done, "1.05",
       {"inquiry", "sysinfo"}, 45500},
      {"keeps the old version", FirmwareRestart::KeepsOld, FwOutcome::NotApplied, kept, "1.04",
       {"inquiry", "sysinfo"}, 45500},
      // Two inquiries, as at start-up, and no system information.
      {"silent", FirmwareRestart::Silent, FwOutcome::Silent, silent, "",
       {"inquiry", "inquiry"}, 45500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    machine = K40Machine();
    machine.SetFirmwareRestart(c.restart);
    view.events.clear();
    view.pauses.clear();
    view.fileName = kPath;
    os.ClearDebug();
    FwUpTransfer& t = Press();
    EXPECT_EQ(t.outcome(), c.outcome);
    EXPECT_FALSE(fullPanel) << "the check's inquiry leaves start-up's identity flags alone";
    EXPECT_EQ(t.versionBefore(), "1.04");
    EXPECT_EQ(t.versionAfter(), c.after);
    EXPECT_EQ(Box(), c.box);
    EXPECT_EQ(machine.state().firmwareImage, file.bytes) << "the image itself is sent whatever follows";
    Lines expected = before;
    expected.insert(expected.end(), c.markers.begin(), c.markers.end());
    EXPECT_EQ(Markers(os.debugLines), expected);
    // The transfer's own waits are unchanged.
    EXPECT_EQ(view.pauses, (std::vector<uint32_t>{500, 5000, 40000}));
    const bool infoShown = std::find(view.events.begin(), view.events.end(), "info read") != view.events.end();
    EXPECT_EQ(infoShown, c.outcome != FwOutcome::Silent);
    // Back to the first state in every case: a new image must be chosen.
    EXPECT_EQ(view.fileName, "");
    EXPECT_FALSE(view.updateEnabled);
  }
}

TEST_F(FwAppliedTest, RetriesAfterTheRestart) {
  struct {
    const char* name;
    MachineCommand command;
    MachineFault fault;
    FwOutcome outcome;
    int inquiries, infos;  // after the image
  } cases[] = {
      {"first inquiry unanswered", MachineCommand::Inquiry, {MachineFault::FirstReplyBad}, FwOutcome::Applied, 2, 1},
      {"system information never whole", MachineCommand::GetSystemInfo, {MachineFault::ShortReply, 100},
       FwOutcome::Silent, 1, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    machine = K40Machine();
    view.fileName = kPath;
    os.ClearDebug();
    // The faults start with the restart, so the read before the transfer is good.
    view.afterPause = [&](uint32_t ms) {
      if (ms != 40000) return;
      machine.EndFirmware();
      machine.SetFault(c.command, c.fault);
    };
    FwUpTransfer fresh(view);
    fresh.CheckApplied(true);
    fresh.OnUpdate();
    EXPECT_EQ(fresh.outcome(), c.outcome);
    int inquiries = 0, infos = 0;
    for (const std::string& line : Markers(os.debugLines)) {
      inquiries += line == "inquiry";
      infos += line == "sysinfo";
    }
    EXPECT_EQ(inquiries, c.inquiries);
    EXPECT_EQ(infos, c.infos + 1) << "one read before the transfer";
  }
}

TEST_F(FwAppliedTest, AMachineSilentBeforeTheTransferIsStillUpdated) {
  machine.SetFault(MachineCommand::GetSystemInfo, {MachineFault::Silent});
  view.afterPause = [this](uint32_t ms) {
    if (ms != 40000) return;
    machine.EndFirmware();
    machine.ClearFaults();
  };
  FwUpTransfer& t = Press();
  EXPECT_EQ(t.versionBefore(), "");
  EXPECT_EQ(t.outcome(), FwOutcome::Applied);
  EXPECT_EQ(Box(), "box Atualização concluída! A máquina agora usa o firmware 1.05.|Dalvenor/108");
}

}  // namespace
