// The firmware update with the applied check, natively on the virtual clock
// against the emulated machine: the version the page knew before, the check
// after the restart pause with its retries and the page painted meanwhile,
// and the completion box for each way the restart can go.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "commands/device_data.h"
#include "firmware/fw_transfer.h"
#include "tests/core/machine_devices.h"
#include "tests/firmware/fw_fakes.h"

namespace {

using Lines = std::vector<std::string>;
using Pauses = std::vector<uint32_t>;
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
      if (ms != 40000) return;
      machine.EndFirmware();
      checkStartMs = os.NowMs();
    };
  }
  void TearDown() override {
    EXPECT_EQ(os.openHandles, 0);
    EXPECT_EQ(view.cursors, 0);
    DeviceLink::Reset();
    ResetDeviceData();
  }
  // The version the firmware page showed before the update.
  FwUpTransfer& Press(const std::string& shownBefore = "1.04 ") {
    transfer.CheckApplied(shownBefore);
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
  uint32_t checkStartMs = 0;
};

TEST(JudgeFirmware, VersionsBeforeAndAfter) {
  struct {
    bool read;
    const char* before;
    const char* after;
    FwOutcome outcome;
  } cases[] = {
      {true, "1.04", "1.05", FwOutcome::Applied},
      {true, "1.04", "1.04", FwOutcome::SameVersion},
      // Without the version before, a version now confirms nothing.
      {true, "", "1.05", FwOutcome::Unconfirmed},
      {false, "1.04", "", FwOutcome::Silent},
      {false, "", "", FwOutcome::Silent},
  };
  for (const auto& c : cases)
    EXPECT_EQ(JudgeFirmware(c.read, c.before, c.after), c.outcome) << c.before << " -> " << c.after;
}

TEST_F(FwAppliedTest, EachWayTheRestartGoes) {
  const std::string done = "box Atualização concluída! A máquina agora usa o firmware 1.05.|Dalvenor/108";
  // Neither success nor failure: re-flashing the running version is a repair.
  const std::string same = "box A máquina informa a mesma versão de firmware de antes: 1.04.|Dalvenor/108";
  const std::string silent =
      "warn A máquina não respondeu depois de reiniciar: não foi possível confirmar a atualização.|Dalvenor/108";
  const std::string unknown =
      "warn A máquina usa o firmware 1.05, mas a versão anterior não foi lida: não foi possível confirmar a "
      "atualização.|Dalvenor/108";
  struct {
    const char* name;
    Road road;
    FirmwareRestart restart;
    FwOutcome outcome;
    std::string box;
    std::string after;
    std::string before = "1.04 ";  // as the firmware page showed it
  } cases[] = {
      {"applies", Road::Lpt1, FirmwareRestart::Applies, FwOutcome::Applied, done, "1.05"},
      // The device held unshared for the transfer is let go before the check.
      {"applies, ECP", Road::Ecp1, FirmwareRestart::Applies, FwOutcome::Applied, done, "1.05"},
      {"same version", Road::Lpt1, FirmwareRestart::KeepsOld, FwOutcome::SameVersion, same, "1.04"},
      {"silent", Road::Lpt1, FirmwareRestart::Silent, FwOutcome::Silent, silent, ""},
      // The page never had an answer before: a version now confirms nothing.
      {"version before unknown", Road::Lpt1, FirmwareRestart::Applies, FwOutcome::Unconfirmed, unknown, "1.05", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    machine = K40Machine();
    machine.SetFirmwareRestart(c.restart);
    ConnectRoad(os, c.road, scripted);
    view.events.clear();
    view.pauses.clear();
    view.paintedAtMs.clear();
    view.fileName = kPath;
    os.ClearDebug();
    FwUpTransfer& t = Press(c.before);
    EXPECT_EQ(t.outcome(), c.outcome);
    EXPECT_FALSE(fullPanel) << "the check's inquiry leaves start-up's identity flags alone";
    EXPECT_EQ(t.versionAfter(), c.after);
    EXPECT_EQ(Box(), c.box);
    EXPECT_EQ(machine.state().firmwareImage, file.bytes) << "the image itself is sent whatever follows";
    // Nothing before the image; after it an inquiry and the system
    // information, or two inquiries (as at start-up) from a silent machine.
    const bool silentAfter = c.outcome == FwOutcome::Silent;
    EXPECT_EQ(Markers(os.debugLines), (Lines{"inquiry", silentAfter ? "inquiry" : "sysinfo"}));
    // The transfer's own waits are unchanged. The check's waits (8 s with a
    // silent machine on LPT) never leave the page 5 s without painting,
    // after which Windows calls it "not responding".
    EXPECT_EQ(view.pauses, (c.road == Road::Ecp1 ? Pauses{5000, 40000} : Pauses{500, 5000, 40000}));
    view.paintedAtMs.push_back(os.NowMs());
    for (uint32_t at : view.paintedAtMs) EXPECT_LT(at - std::exchange(checkStartMs, at), 5000u);
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
    fresh.CheckApplied("1.04");
    fresh.OnUpdate();
    EXPECT_EQ(fresh.outcome(), c.outcome);
    int inquiries = 0, infos = 0;
    for (const std::string& line : Markers(os.debugLines)) {
      inquiries += line == "inquiry";
      infos += line == "sysinfo";
    }
    EXPECT_EQ(inquiries, c.inquiries);
    EXPECT_EQ(infos, c.infos);
  }
}

}  // namespace
