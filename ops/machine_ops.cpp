// The machine jobs (see machine_ops.h): reads, the checked phonebook write
// and the settings apply, each with its pauses and its backup.
#include "ops/machine_ops.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "commands/commands.h"
#include "files/pbf_format.h"
#include "files/settings_profile.h"
#include "link/trace.h"

namespace ops {
namespace {

size_t TableEntries() { return phonebookTable ? size_t(speedDialCount) + oneTouchCount : 0; }

void Pause(uint32_t ms) {
  if (ms > 0) BusyWait(ms);
}

bool Exchange(bool (*command)(), uint32_t pauseMs) {
  const bool ok = command();
  Pause(pauseMs);
  return ok;
}

Outcome Answered(bool ok) {
  Outcome outcome;
  if (!ok) outcome.failure = Failure::NoAnswer;
  return outcome;
}

Entries SpeedDialEntries() {
  if (!phonebookTable) return {};
  return Entries(phonebookTable, phonebookTable + speedDialCount);
}

// The texts as the wire carries them: up to the terminator, without the
// blanks the wire pads with.
std::string FieldText(const char* field, size_t width) {
  std::string text(field, strnlen(field, width));
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::vector<int> DifferingPositions(const Entries& a, const Entries& b) {
  std::vector<int> differing;
  for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    static const PhonebookEntry kEmpty{};
    const PhonebookEntry& x = i < a.size() ? a[i] : kEmpty;
    const PhonebookEntry& y = i < b.size() ? b[i] : kEmpty;
    if (!SameEntry(x, y)) differing.push_back(static_cast<int>(i) + 1);
  }
  return differing;
}

// The fields a settings file keeps of the advanced record.
bool SameAdvanced(const SystemInfo& a, const SystemInfo& b) {
  return SettingsProfileText(nullptr, &a) == SettingsProfileText(nullptr, &b);
}

}  // namespace

std::string PositionList(const std::vector<int>& positions) {
  std::string list;
  for (int position : positions) list += (list.empty() ? "" : ", ") + std::to_string(position);
  return list;
}

bool SameEntry(const PhonebookEntry& a, const PhonebookEntry& b) {
  return FieldText(a.name, sizeof a.name) == FieldText(b.name, sizeof b.name) &&
         FieldText(a.number, sizeof a.number) == FieldText(b.number, sizeof b.number);
}

Outcome ReadSystemInfo(uint32_t pauseMs) { return Answered(Exchange(&Mfp_GetSystemInfo, pauseMs)); }

Outcome ReadAdvanced(uint32_t pauseMs) {
  // One more try before the caller tells the user.
  const bool ok = Mfp_GetSystemInfo() || Mfp_GetSystemInfo();
  Pause(pauseMs);
  return Answered(ok);
}

Outcome ReadSettings(uint32_t pauseMs) { return Answered(Exchange(&Mfp_GetSettings, pauseMs)); }

PhonebookOutcome ReadPhonebook(uint32_t pauseMs) {
  PhonebookOutcome outcome;
  if (!Exchange(&Mfp_GetPhonebook, pauseMs)) {
    outcome.failure = Failure::NoAnswer;
    return outcome;
  }
  outcome.machine = SpeedDialEntries();
  return outcome;
}

PhonebookOutcome WritePhonebook(const PhonebookWrite& write) {
  PhonebookOutcome outcome;
  const size_t entries = TableEntries();
  // Whatever the machine answers, the table ends holding what was sent.
  const Entries sent(phonebookTable, phonebookTable + entries);
  auto restoreSent = [&] { std::copy(sent.begin(), sent.end(), phonebookTable); };

  if (write.expected) {
    if (!Exchange(&Mfp_GetPhonebook, kPauseAfterExchangeMs)) {
      restoreSent();
      outcome.failure = Failure::NoAnswer;
      return outcome;
    }
    outcome.machine = SpeedDialEntries();
    restoreSent();
    outcome.differing = DifferingPositions(*write.expected, outcome.machine);
    if (!outcome.differing.empty()) {
      outcome.failure = Failure::Changed;
      return outcome;
    }
  }

  // What the machine held is kept before it is overwritten; a backup that
  // cannot be written does not stop the write.
  if (write.lastRead && entries > 0) {
    Entries held = sent;
    std::copy_n(write.lastRead->begin(), std::min(write.lastRead->size(), held.size()), held.begin());
    outcome.backup = KeepBackup(BackupKind::Phonebook, EncodePhonebookFile(held.data(), held.size())).backup;
  }

  if (!Exchange(&Mfp_SetPhonebook, kPauseAfterExchangeMs)) {
    outcome.failure = Failure::NoAnswer;
    return outcome;
  }
  const bool read = Exchange(&Mfp_GetPhonebook, kPauseAfterExchangeMs);
  outcome.machine = read ? SpeedDialEntries() : Entries();
  restoreSent();
  if (!read) {
    outcome.failure = Failure::ReadBackFailed;
    return outcome;
  }
  outcome.differing = DifferingPositions(outcome.machine, SpeedDialEntries());
  if (!outcome.differing.empty()) outcome.failure = Failure::ReadBackDiffers;
  return outcome;
}

SettingsOutcome ApplySettings(const SettingsApply& apply) {
  SettingsOutcome outcome;
  const bool fax = apply.parts & kFaxSettings;
  const bool advanced = apply.parts & kAdvancedSettings;

  // The reads of the check land in the records: what is to be sent goes back.
  const SettingsBlock toSendSettings = settingsBlock;
  const SystemInfo toSendInfo = systemInfo;
  bool changed = false;
  if (fax && apply.expectedSettings) {
    if (!Exchange(&Mfp_GetSettings, kPauseAfterExchangeMs)) {
      settingsBlock = toSendSettings;
      outcome.failure = Failure::NoAnswer;
      return outcome;
    }
    outcome.machineSettings = settingsBlock;
    changed = std::memcmp(&settingsBlock, apply.expectedSettings, kCarriedSettings) != 0;
    settingsBlock = toSendSettings;
  }
  if (advanced && apply.expectedInfo) {
    if (!Exchange(&Mfp_GetSystemInfo, kPauseAfterExchangeMs)) {
      systemInfo = toSendInfo;
      outcome.failure = Failure::NoAnswer;
      return outcome;
    }
    outcome.machineInfo = systemInfo;
    changed = changed || !SameAdvanced(systemInfo, *apply.expectedInfo);
    systemInfo = toSendInfo;
  }
  if (changed) {
    outcome.failure = Failure::Changed;
    return outcome;
  }

  outcome.backup = KeepSettingsBackup(apply.lastSettings, apply.lastInfo).backup;
  auto send = [&apply](bool (*command)(bool*)) {
    bool taken = false;
    const bool sent = command(&taken);
    Pause(kPauseAfterExchangeMs);
    return sent && (taken || !apply.acknowledged);
  };
  if ((fax && !send(&Mfp_SetSettings)) || (advanced && !send(&Mfp_SetAdvanced))) outcome.failure = Failure::NoAnswer;
  return outcome;
}

}  // namespace ops
