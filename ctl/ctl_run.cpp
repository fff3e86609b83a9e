// rcpctl's verbs over the shared start-up, the device commands, the file
// formats and the firmware transfer. Files are checked before the port is
// borrowed, so a bad file never reaches the machine.
#include "ctl/ctl_run.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "app/startup.h"
#include "app/startup_win32.h"
#include "commands/commands.h"
#include "commands/device_data.h"
#include "ctl/ctl_history.h"
#include "ctl/ctl_report.h"
#include "files/pbf_format.h"
#include "files/settings_file.h"
#include "firmware/fw_transfer.h"
#include "link/os.h"
#include "ops/machine_ops.h"
#include "ops/ops_host.h"
#include "res/resource.h"

namespace {

constexpr char kVersionText[] = "rcpctl 1.0";

int Code(CtlExit e) { return static_cast<int>(e); }

class CtlStartupUi : public StartupUi {
 public:
  void PortBusy() override {}
  void BeginWait() override {}
  void EndWait() override {}
  // No one to ask: a silent machine ends the run.
  NoAnswerChoice AskNoAnswer() override { return NoAnswerChoice::Abort; }
};

// Up to `limit` bytes of a file; false when it cannot be opened or read.
bool ReadFileHead(const std::string& path, size_t limit, std::vector<uint8_t>& bytes) {
  return TheOpsHost().ReadFile(path, limit, bytes);
}

// The firmware transfer's page, as lines of text.
class CtlFwView final : public FwUpView {
 public:
  CtlFwView(CtlConsole& console, CtlLanguage language) : console_(console), language_(language) {}

  std::string& FileName() override { return fileName_; }
  std::string& FileSize() override { return fileSize_; }
  std::string& Message() override { return message_; }
  std::string& Percent() override { return percent_; }
  void SetProgressRange(int, int) override {}
  void SetProgressPos(int) override {}
  void EnableUpdate(bool) override {}
  void Redisplay() override {
    // Only the progress: the other messages are written where they happen.
    if (percent_.empty() || percent_ == shownPercent_) return;
    shownPercent_ = percent_;
    console_.Progress(percent_ + "  " + message_);
  }
  void ShowMessageNow(const std::string& text) override {
    console_.EndProgress();
    console_.Line(text);
  }
  void ShowWaitCursor() override {}
  void RestoreCursor() override {}
  void Pause(uint32_t ms) override { TheOs().SleepMs(ms); }
  void ShowBox(const std::string& text, const std::string&) override { console_.Line(text); }
  void ShowWarningBox(const std::string& text, const std::string&) override { console_.Error(text); }
  std::string Text(unsigned id) override {
    switch (id) {
      case IDS_FW_BYTES_SENT:
        return CtlText(CtlMsg::FwBytesSent, language_);
      case IDS_FW_WRITTEN:
        return CtlText(CtlMsg::FwWritten, language_);
      case IDS_FW_WRITE_FAILED:
        return CtlText(CtlMsg::FwFailed, language_);
      case IDS_FW_DONE:
        return CtlText(CtlMsg::FwDone, language_);
      case IDS_FW_DONE_VERSION:
        return CtlText(CtlMsg::FwApplied, language_);
      case IDS_FW_SAME_VERSION:
        return CtlText(CtlMsg::FwSameVersion, language_);
      case IDS_FW_NO_ANSWER_AFTER:
        return CtlText(CtlMsg::FwSilent, language_);
      case IDS_FW_UNCONFIRMED:
        return CtlText(CtlMsg::FwUnconfirmed, language_);
      default:
        return "";
    }
  }

 private:
  CtlConsole& console_;
  CtlLanguage language_;
  std::string fileName_, fileSize_, message_, percent_, shownPercent_;
};

class CtlRun {
 public:
  CtlRun(const CtlArgs& args, CtlConsole& console, CtlLanguage language)
      : args_(args), console_(console), language_(language) {}

  int Run();

 private:
  void Say(CtlMsg msg, const std::string& argument = "") { console_.Line(CtlFormat(msg, language_, argument)); }
  void Complain(CtlMsg msg, const std::string& argument = "") {
    console_.Error(CtlFormat(msg, language_, argument));
  }
  int CheckFileFirst();
  int SettingsFileCheck();
  int Info();
  int PhonebookGet();
  int PhonebookSet();
  int SettingsGet();
  int SettingsSet();
  int Firmware();
  // Where the write's backup went, when one was kept.
  void SayBackup(const std::string& name) {
    if (!name.empty()) Say(CtlMsg::BackupKept, PathIn(TheOpsHost().BackupFolder(), name));
  }

  const CtlArgs& args_;
  CtlConsole& console_;
  CtlLanguage language_;
  ProfileCheck settingsCheck_;  // what SettingsFileCheck found
};

int CtlRun::CheckFileFirst() {
  std::vector<uint8_t> head;
  switch (args_.verb) {
    case CtlVerb::PhonebookSet:
      if (!ReadFileHead(args_.file, kPbfHeaderSize, head)) {
        Complain(CtlMsg::FileUnreadable, args_.file);
        return Code(CtlExit::FileError);
      }
      head.resize(kPbfHeaderSize, 0);
      if (!HasPbfSignature(head.data())) {
        Complain(CtlMsg::NotPhonebookFile, args_.file);
        return Code(CtlExit::FileError);
      }
      return Code(CtlExit::Ok);
    case CtlVerb::Firmware:
      if (!ReadFileHead(args_.file, 4, head)) {
        Complain(CtlMsg::FileUnreadable, args_.file);
        return Code(CtlExit::FileError);
      }
      head.resize(4, 0);
      if (!HasFwSignature(head.data())) {
        Complain(CtlMsg::NotFirmwareImage, args_.file);
        return Code(CtlExit::FileError);
      }
      return Code(CtlExit::Ok);
    case CtlVerb::SettingsSet:
      return SettingsFileCheck();
    default:
      return Code(CtlExit::Ok);
  }
}

int CtlRun::Run() {
  const int fileCheck = CheckFileFirst();
  if (fileCheck != Code(CtlExit::Ok)) return fileCheck;

  RemoveCurrentDirectoryFromDllSearch();
  CtlStartupUi ui;
  const StartupResult started = StartUpMachine(ui, &DetectHostPlatform, &Mfp_Inquiry, args_.port);
  int code = Code(CtlExit::Ok);
  if (started == StartupResult::PortBusy) {
    Complain(CtlMsg::PortBusy);
    code = Code(CtlExit::PortBusy);
  } else if (started != StartupResult::Answered) {
    const bool noUsb = args_.port == PortKind::Usb && DeviceLink::portKind == PortKind::Usb &&
                       DeviceLink::writePipeName[0] == '\0';
    Complain(noUsb ? CtlMsg::NoUsbRoad : CtlMsg::NoAnswer);
    code = Code(CtlExit::NoAnswer);
  } else {
    switch (args_.verb) {
      case CtlVerb::Info:
        code = Info();
        break;
      case CtlVerb::PhonebookGet:
        code = PhonebookGet();
        break;
      case CtlVerb::PhonebookSet:
        code = PhonebookSet();
        break;
      case CtlVerb::SettingsGet:
        code = SettingsGet();
        break;
      case CtlVerb::SettingsSet:
        code = SettingsSet();
        break;
      case CtlVerb::Firmware:
        code = Firmware();
        break;
      default:
        break;
    }
  }
  ShutDownMachine();
  return code;
}

int CtlRun::Info() {
  // The last exchange of the run: no pause for a next one.
  if (!ops::ReadSystemInfo(0).ok()) {
    Complain(CtlMsg::NoAnswer);
    return Code(CtlExit::NoAnswer);
  }
  if (args_.json)
    console_.Utf8(InfoJson(systemInfo, DeviceLink::portKind));
  else
    console_.Line(InfoText(systemInfo, DeviceLink::portKind, language_));
  return Code(CtlExit::Ok);
}

int CtlRun::PhonebookGet() {
  if (!ops::ReadPhonebook().ok()) {
    Complain(CtlMsg::NoAnswer);
    return Code(CtlExit::NoAnswer);
  }
  if (!ops::SavePhonebookFile(args_.file).ok()) {
    Complain(CtlMsg::FileUnwritable, args_.file);
    return Code(CtlExit::FileError);
  }
  Say(CtlMsg::PhonebookSaved, args_.file);
  return Code(CtlExit::Ok);
}

int CtlRun::PhonebookSet() {
  // The machine's entries first, as the page holds them: a file with fewer
  // entries than the table leaves the rest as the machine has them.
  const ops::PhonebookOutcome read = ops::ReadPhonebook();
  if (!read.ok()) {
    Complain(CtlMsg::NoAnswer);
    return Code(CtlExit::NoAnswer);
  }
  const ops::Outcome loaded = ops::LoadPhonebookFile(args_.file);
  if (!loaded.ok()) {
    Complain(loaded.failure == ops::Failure::NotPhonebookFile ? CtlMsg::NotPhonebookFile : CtlMsg::FileUnreadable,
             args_.file);
    return Code(CtlExit::FileError);
  }
  ops::PhonebookWrite write;
  write.lastRead = &read.machine;
  const ops::PhonebookOutcome written = ops::WritePhonebook(write);
  SayBackup(written.backup);
  switch (written.failure) {
    case ops::Failure::None:
      Say(CtlMsg::PhonebookSent);
      return Code(CtlExit::Ok);
    case ops::Failure::ReadBackFailed:
      Complain(CtlMsg::ReadBackFailed);
      return Code(CtlExit::NotConfirmed);
    case ops::Failure::ReadBackDiffers:
      Complain(CtlMsg::ReadBackDiffers, ops::PositionList(written.differing));
      return Code(CtlExit::NotConfirmed);
    default:
      Complain(CtlMsg::SendFailed);
      return Code(CtlExit::TransferFailed);
  }
}

int CtlRun::SettingsFileCheck() {
  // No one sees these values before they go out: the file must hold every
  // key of each section it has, each value one the pages would offer.
  if (!CheckSettingsFile(args_.file, settingsCheck_)) {
    Complain(CtlMsg::FileUnreadable, args_.file);
    return Code(CtlExit::FileError);
  }
  switch (settingsCheck_.fault) {
    case ProfileFault::None:
      return Code(CtlExit::Ok);
    case ProfileFault::NoSettings:
      Complain(CtlMsg::NotSettingsFile, args_.file);
      break;
    case ProfileFault::MissingKey:
      Complain(CtlMsg::SettingsKeyMissing, settingsCheck_.key);
      break;
    case ProfileFault::BadValue:
      Complain(CtlMsg::SettingsValueBad, settingsCheck_.key);
      break;
  }
  return Code(CtlExit::FileError);
}

int CtlRun::SettingsGet() {
  // Both records, as the Settings and Advanced pages read them.
  if (!ops::ReadSettings().ok() || !ops::ReadSystemInfo().ok()) {
    Complain(CtlMsg::NoAnswer);
    return Code(CtlExit::NoAnswer);
  }
  if (!ops::SaveSettingsFile(args_.file).ok()) {
    Complain(CtlMsg::FileUnwritable, args_.file);
    return Code(CtlExit::FileError);
  }
  Say(CtlMsg::SettingsSaved, args_.file);
  return Code(CtlExit::Ok);
}

int CtlRun::SettingsSet() {
  // The machine's records first: what the file does not carry (the image
  // quality) goes back as the machine has it, and they are the backup. A file
  // without its advanced section leaves the machine's advanced settings
  // alone: not even read.
  const bool advanced = settingsCheck_.advanced;
  if (!ops::ReadSettings().ok() || (advanced && !ops::ReadSystemInfo().ok())) {
    Complain(CtlMsg::NoAnswer);
    return Code(CtlExit::NoAnswer);
  }
  const SettingsBlock heldSettings = settingsBlock;
  const SystemInfo heldInfo = systemInfo;
  if (!ops::LoadSettingsSections(args_.file).ok()) {
    Complain(CtlMsg::FileUnreadable, args_.file);
    return Code(CtlExit::FileError);
  }
  ops::SettingsApply apply;
  apply.parts = ops::kFaxSettings | (advanced ? ops::kAdvancedSettings : 0u);
  apply.lastSettings = &heldSettings;
  apply.lastInfo = advanced ? &heldInfo : nullptr;
  // No one sees the machine after rcpctl: its acknowledgement says whether
  // the settings were taken (the pages go by the write alone).
  apply.acknowledged = true;
  const ops::SettingsOutcome applied = ops::ApplySettings(apply);
  SayBackup(applied.backup);
  if (!applied.ok()) {
    Complain(CtlMsg::SendFailed);
    return Code(CtlExit::TransferFailed);
  }
  Say(CtlMsg::SettingsSent);
  return Code(CtlExit::Ok);
}

int CtlRun::Firmware() {
  // The version before, read as the firmware page reads it when shown; the
  // update itself then sends nothing but the start command and the image.
  const std::string before = ops::ReadSystemInfo().ok() ? CurrentFwVersion() : std::string();
  CtlFwView view(console_, language_);
  FwUpChooseImage(view, args_.file);
  Say(CtlMsg::FwSending, args_.file);
  FwUpTransfer transfer(view);
  transfer.CheckApplied(before);
  transfer.OnUpdate();
  console_.EndProgress();
  switch (transfer.outcome()) {
    case FwOutcome::Applied:
    case FwOutcome::Sent:
      return Code(CtlExit::Ok);
    case FwOutcome::SameVersion:
    case FwOutcome::Unconfirmed:
    case FwOutcome::Silent:
      return Code(CtlExit::NotConfirmed);
    case FwOutcome::NotRun:
      Complain(CtlMsg::FileUnreadable, args_.file);
      return Code(CtlExit::FileError);
    case FwOutcome::Refused:
      Complain(CtlMsg::NotFirmwareImage, args_.file);
      return Code(CtlExit::FileError);
    case FwOutcome::Failed:
      break;
  }
  Complain(CtlMsg::FwFailed);
  return Code(CtlExit::TransferFailed);
}

// The readings kept on this PC: no machine needed, the port left alone.
int RunHistory(const CtlArgs& args, CtlConsole& console, CtlLanguage language) {
  HistoryStore& store = TheHistoryStore();
  const HistoryTime now = store.Now();
  const std::vector<MachineHistory> machines = LoadHistories(store);
  if (machines.empty() && (args.json || args.csv)) console.Error(CtlText(CtlMsg::HistoryNone, language));
  if (args.json)
    console.Utf8(HistoryJson(machines, now.year, now.month));
  else if (args.csv)
    console.Utf8(HistoryCsv(machines, now.year, now.month));
  else
    console.Line(machines.empty() ? CtlText(CtlMsg::HistoryNone, language)
                                  : HistoryText(machines, now.year, now.month, language));
  return Code(CtlExit::Ok);
}

}  // namespace

int RunCtl(const std::vector<std::string>& argv, CtlConsole& console, CtlLanguage language) {
  CtlArgs args;
  std::string offending;
  const CtlUsageError error = ParseCtlArgs(argv, args, offending);
  if (error != CtlUsageError::None) {
    console.Error(CtlFormat(UsageMessage(error), language, offending));
    console.Error(CtlText(CtlMsg::SeeHelp, language));
    return Code(CtlExit::Usage);
  }
  if (args.verb == CtlVerb::Help) {
    console.Line(CtlText(CtlMsg::Help, language));
    return Code(CtlExit::Ok);
  }
  if (args.verb == CtlVerb::Version) {
    console.Line(kVersionText);
    return Code(CtlExit::Ok);
  }
  if (args.verb == CtlVerb::History) return RunHistory(args, console, language);
  return CtlRun(args, console, language).Run();
}
