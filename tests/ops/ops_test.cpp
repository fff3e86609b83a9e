// The machine operations against the emulated machine on the virtual clock:
// the checked phonebook write and the settings apply (their commands in
// order, their backups, what they return when the machine stores otherwise,
// stays silent or was changed since the caller read it), and the backups
// themselves (names, never one written over, the newest 20 kept).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "files/pbf_format.h"
#include "ops/machine_ops.h"
#include "tests/core/core_fixture.h"
#include "tests/support/fake_ops_host.h"

namespace {

using Kinds = std::vector<MachineCommand>;
constexpr auto kGetPb = MachineCommand::GetPhonebook;
constexpr auto kSetPb = MachineCommand::SetPhonebook;

class OpsTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    MakeTable();
  }
  // The machine's entries as a caller read them, then the table edited.
  ops::Entries ReadAndEdit() {
    const ops::PhonebookOutcome read = ops::ReadPhonebook();
    EXPECT_TRUE(read.ok());
    std::snprintf(phonebookTable[2].name, sizeof phonebookTable[2].name, "NOVA FILIAL");
    std::snprintf(phonebookTable[2].number, sizeof phonebookTable[2].number, "0115550123");
    machine.ForgetRequests();
    return read.machine;
  }
  std::vector<PhonebookEntry> Backup(const std::string& name) {
    std::vector<PhonebookEntry> held(80);
    const std::vector<uint8_t>& bytes = host.files[PathIn(host.backupFolder, name)];
    EXPECT_TRUE(DecodePhonebookFile(bytes.data(), bytes.size(), held.data(), held.size()));
    return held;
  }

  FakeOpsHost host;
};

TEST_F(OpsTest, PhonebookWriteKeepsABackupSendsAndReadsBack) {
  struct {
    const char* name;
    MachineCommand faulty;
    MachineFault fault;
    bool expectChanged;  // someone changed the machine after the caller's read
    ops::Failure failure;
    Kinds commands;
    std::vector<int> differing;
  } cases[] = {
      {"taken", kSetPb, {}, false, ops::Failure::None, {kSetPb, kGetPb}, {}},
      {"stored otherwise", kSetPb, {MachineFault::StoresOneWrong, 3}, false, ops::Failure::ReadBackDiffers,
       {kSetPb, kGetPb}, {3}},
      {"silent check", kGetPb, {MachineFault::Silent}, false, ops::Failure::ReadBackFailed, {kSetPb, kGetPb}, {}},
      {"not taken", kSetPb, {MachineFault::Silent}, false, ops::Failure::NoAnswer, {kSetPb}, {}},
      {"changed since read", kSetPb, {}, true, ops::Failure::Changed, {kGetPb}, {1}},
      {"unchanged since read", kSetPb, {}, false, ops::Failure::None, {kGetPb, kSetPb, kGetPb}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    machine.ClearFaults();
    host.files.clear();
    const ops::Entries lastRead = ReadAndEdit();
    machine.SetFault(c.faulty, c.fault);
    if (c.expectChanged) machine.state().phonebook[0].name = "AT THE KEYPAD";
    const std::vector<PhonebookEntry> sent(phonebookTable, phonebookTable + 80);
    ops::PhonebookWrite write;
    write.lastRead = &lastRead;
    const bool checks = c.expectChanged || c.commands.front() == kGetPb;
    if (checks) write.expected = &lastRead;

    const ops::PhonebookOutcome outcome = ops::WritePhonebook(write);
    EXPECT_EQ(outcome.failure, c.failure);
    EXPECT_EQ(machine.RequestKinds(), c.commands);
    EXPECT_EQ(outcome.differing, c.differing);
    EXPECT_EQ(std::memcmp(phonebookTable, sent.data(), sizeof(PhonebookEntry) * 80), 0) << "the table keeps what was sent";
    if (c.failure == ops::Failure::Changed) {
      EXPECT_TRUE(outcome.backup.empty());
      EXPECT_TRUE(host.BackupNames().empty());
      EXPECT_STREQ(outcome.machine[0].name, "AT THE KEYPAD") << "what the machine holds now, to show";
    } else {
      ASSERT_EQ(host.BackupNames(), std::vector<std::string>{outcome.backup});
      EXPECT_EQ(std::memcmp(Backup(outcome.backup).data(), lastRead.data(), sizeof(PhonebookEntry) * 80), 0)
          << "the backup holds the entries as last read";
    }
  }
}

TEST_F(OpsTest, SettingsApplyKeepsOneBackupThenSendsEachPart) {
  ASSERT_TRUE(ops::ReadSettings().ok());
  ASSERT_TRUE(ops::ReadSystemInfo().ok());
  const SettingsBlock heldSettings = settingsBlock;
  settingsBlock.ringsToAnswer = 4;
  std::snprintf(systemInfo.terminalIdName, sizeof systemInfo.terminalIdName, "FILIAL CENTRO");
  machine.ForgetRequests();

  ops::SettingsApply apply;
  apply.parts = ops::kFaxSettings | ops::kAdvancedSettings;
  apply.lastSettings = &heldSettings;
  const ops::SettingsOutcome applied = ops::ApplySettings(apply);
  ASSERT_TRUE(applied.ok());
  EXPECT_EQ(machine.RequestKinds(), (Kinds{MachineCommand::SetSettings, MachineCommand::SetAdvanced}));
  const std::string backup = host.Text(PathIn(host.backupFolder, applied.backup));
  EXPECT_EQ(backup.rfind("[Settings]\r\n", 0), 0u) << backup;
  EXPECT_EQ(backup.find("[Advanced]"), std::string::npos) << "the advanced values were not given";
  EXPECT_EQ(machine.state().settings[13], 4) << "rings to answer";

  // Someone changed the rings at the keypad since: nothing is sent.
  machine.state().settings[13] = 2;
  machine.ForgetRequests();
  apply.parts = ops::kFaxSettings;
  const SettingsBlock lastSent = settingsBlock;
  apply.expectedSettings = &lastSent;
  settingsBlock.ringsToAnswer = 5;
  const SettingsBlock toSend = settingsBlock;
  const ops::SettingsOutcome refused = ops::ApplySettings(apply);
  EXPECT_EQ(refused.failure, ops::Failure::Changed);
  EXPECT_EQ(refused.machineSettings.ringsToAnswer, 2);
  EXPECT_EQ(std::memcmp(&settingsBlock, &toSend, sizeof toSend), 0) << "the record keeps what was to be sent";
  EXPECT_EQ(machine.RequestKinds(), Kinds{MachineCommand::GetSettings});
  EXPECT_EQ(host.BackupNames().size(), 1u);
}

TEST_F(OpsTest, BackupsNeverOverwriteAndKeepTheNewestTwenty) {
  // 25 older backups, one of them at the very millisecond of the next.
  for (int day = 1; day <= 24; ++day)
    host.files[PathIn(host.backupFolder, BackupFileName(BackupKind::Phonebook, {2026, 11, day, 9, 0, 0, 0}))] = {1};
  const std::string same = BackupFileName(BackupKind::Phonebook, host.now);
  host.files[PathIn(host.backupFolder, same)] = {2};
  host.files[PathIn(host.backupFolder, "agenda.PBF")] = {3};

  const ops::Outcome kept = ops::KeepBackup(BackupKind::Phonebook, {4, 5});
  ASSERT_TRUE(kept.ok());
  EXPECT_NE(kept.backup, same);
  EXPECT_EQ(host.files[PathIn(host.backupFolder, same)], std::vector<uint8_t>{2}) << "never written over";
  const std::vector<ops::BackupListing> listed = ops::ListBackups(BackupKind::Phonebook);
  ASSERT_EQ(listed.size(), 20u);
  EXPECT_EQ(listed[0].name, kept.backup);
  EXPECT_EQ(listed[1].name, same);
  EXPECT_EQ(host.BackupNames().size(), 21u) << "a file that is not a backup stays";

  // A clock set back: the one just written is the oldest, and still stays.
  host.now = {2020, 1, 1, 0, 0, 0, 0};
  const ops::Outcome old = ops::KeepBackup(BackupKind::Phonebook, {6});
  EXPECT_TRUE(host.files.count(PathIn(host.backupFolder, old.backup)));

  // A backup restored is loaded like a file; anything else is refused.
  host.files[PathIn(host.backupFolder, kept.backup)] = EncodePhonebookFile(phonebookTable, 80);
  EXPECT_TRUE(ops::RestorePhonebookBackup(kept.backup).ok());
  EXPECT_EQ(ops::RestorePhonebookBackup(same).failure, ops::Failure::NotPhonebookFile);
  EXPECT_EQ(ops::RestorePhonebookBackup("agenda.PBF").failure, ops::Failure::NoBackups);
}

}  // namespace
