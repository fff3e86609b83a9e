// The emulated machine's side of a firmware update: a start command again
// before the image, the faults of one transfer, the version it takes from
// the image, and the stand-ins' settings that ask for them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/k40_machine.h"
#include "emulator/standins/standin_config.h"

namespace {

using Bytes = std::vector<uint8_t>;
const Bytes kStart = {0x1B, 0xA5, 0x00, 0x04, 0x50, 0xE0, 0x82, 0x05};

size_t Put(K40Machine& m, const Bytes& bytes) { return m.Receive(bytes.data(), bytes.size()); }
size_t Put(K40Machine& m, const Bytes& bytes, size_t from, size_t to) {
  return m.Receive(bytes.data() + from, to - from);
}

std::string Version(const K40Machine& m) {
  const auto& info = m.state().systemInfo;  // reply bytes 10..268
  return std::string(info.begin() + 72, info.begin() + 77);
}

TEST(FwMachine, AStartBeforeTheFirstImageByteStartsAgainWithANewReply) {
  K40Machine m;
  Put(m, kStart);
  uint8_t reply[9];
  ASSERT_EQ(m.Send(reply, 5), 5u);  // the host read part of it only
  // The resend, in three pieces: held, then a start again.
  EXPECT_EQ(Put(m, kStart, 0, 3), 3u);
  EXPECT_EQ(Put(m, kStart, 3, 7), 4u);
  EXPECT_EQ(m.Pending(), 4u);
  EXPECT_EQ(Put(m, kStart, 7, 8), 1u);
  EXPECT_EQ(m.Pending(), 9u);
  EXPECT_EQ(m.RequestKinds(), (std::vector<MachineCommand>{MachineCommand::FirmwareStart,
                                                           MachineCommand::FirmwareStart}));
  // A start-like beginning that goes on otherwise is image.
  const Bytes image = {0x1B, 0xA5, 0x00, 0x07, '$', 'I'};
  EXPECT_EQ(Put(m, image, 0, 2), 2u);
  EXPECT_EQ(Put(m, image, 2, 6), 4u);
  EXPECT_EQ(m.state().firmwareImage, image);
  // Once image bytes came, a start command is image too.
  EXPECT_EQ(Put(m, kStart), 8u);
  EXPECT_EQ(m.state().firmwareImage.size(), 14u);
  // A held piece that nothing follows is image when the machine restarts.
  m.EndFirmware();
  Put(m, kStart);
  Put(m, kStart, 0, 2);
  m.EndFirmware();
  EXPECT_EQ(m.state().firmwareImage, (Bytes{0x1B, 0xA5}));
}

TEST(FwMachine, FaultsOfOneTransfer) {
  struct {
    MachineFault fault;
    std::vector<size_t> accepted;  // per 4096-byte call
  } cases[] = {
      {{MachineFault::PartialWrite, 1000}, {1000, 4096, 4096}},
      {{MachineFault::PartialTwice, 1000}, {1000, 1000, 4096}},
      {{MachineFault::PartialTwice, 0}, {0, 0, 4096}},
      {{MachineFault::DiesAfter, 6000}, {4096, 1904, 0}},
      {{MachineFault::Silent, 0}, {0, 0, 0}},
  };
  const Bytes chunk(4096, '$');
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault.kind);
    K40Machine m;
    m.SetFault(MachineCommand::FirmwareData, c.fault);
    for (int transfer = 0; transfer < 2; ++transfer) {  // each start begins anew
      Put(m, kStart);
      std::vector<size_t> accepted;
      for (size_t call = 0; call < c.accepted.size(); ++call) accepted.push_back(Put(m, chunk));
      EXPECT_EQ(accepted, c.accepted);
      m.EndFirmware();
    }
  }
}

TEST(FwMachine, TheImageNamesTheNewFirmwareVersion) {
  struct {
    Bytes image;
    const char* version;
  } cases[] = {
      {{'$', 'I', 'M', 'G', '1', '.', '0', '5', 0, 0xAA}, "1.05 "},
      {{'$', 'I', 'M', 'G', '2', '.', '1', '0', 'a', 0xAA}, "2.10a"},
      {{'$', 'I', 'M', 'G', 'B', 0, 0, 0, 0}, "B    "},
      {{'$', 'I', 'M', 'G', '1', '.', '0'}, "1.04 "},           // too short
      {{'$', 'i', 'm', 'g', '1', '.', '0', '5', 0}, "1.04 "},   // no signature
      {{'$', 'I', 'M', 'G', '1', 0x07, '0', '5', 0}, "1.04 "},  // not printable
      {{'$', 'I', 'M', 'G', 0, '1', '0', '5', 0}, "1.04 "},     // empty
  };
  for (const auto& c : cases) {
    K40Machine m;
    Put(m, kStart);
    Put(m, c.image);
    m.EndFirmware();
    EXPECT_EQ(Version(m), c.version);
  }
}

TEST(FwMachine, StandinSettingsForFirmware) {
  StandinConfig config;
  config.ApplyText("fault.fwdata = partialtwice:0\nfault.fwdata = dies:6000\nfirmware_rate = 65536\n"
                   "fault.fwdata = dies\nfirmware_rate = fast\n");
  ASSERT_EQ(config.faults.size(), 2u);
  EXPECT_EQ(config.faults[0].second.kind, MachineFault::PartialTwice);
  EXPECT_EQ(config.faults[1].second.kind, MachineFault::DiesAfter);
  EXPECT_EQ(config.faults[1].second.n, 6000);
  EXPECT_EQ(config.firmwareRate, 65536);
  EXPECT_EQ(config.errors, (std::vector<std::string>{"fault.fwdata = dies", "firmware_rate = fast"}));
}

}  // namespace
