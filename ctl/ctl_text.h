// rcpctl's messages in Portuguese and English, chosen by the user's UI
// language. Portable: the language comes in as a value. Texts with %s take
// one text argument.
#pragma once

#include <string>

#include "ctl/ctl_args.h"

enum class CtlLanguage { Portuguese, English };

// Portuguese for the Portuguese UI languages (primary language 0x16), English otherwise.
CtlLanguage CtlLanguageFromLangId(unsigned langId);

enum class CtlMsg {
  Help,
  UsageNoVerb,
  UsageUnknownVerb,
  UsageUnknownOption,
  UsageMissingFile,
  UsageExtraArgument,
  UsageBadPort,
  UsageBadFormat,
  UsageJsonNotHere,
  UsageCsvNotHere,
  UsageTwoFormats,
  SeeHelp,
  PortBusy,
  NoAnswer,
  NoUsbRoad,
  FileUnreadable,
  FileUnwritable,
  NotPhonebookFile,
  NotSettingsFile,
  SettingsKeyMissing,
  SettingsValueBad,
  NotFirmwareImage,
  SendFailed,
  PhonebookSaved,
  PhonebookSent,
  SettingsSaved,
  SettingsSent,
  BackupKept,
  ReadBackDiffers,
  ReadBackFailed,
  FwSending,
  FwBytesSent,
  FwWritten,
  FwFailed,
  FwDone,
  FwApplied,
  FwSameVersion,
  FwSilent,
  FwUnconfirmed,
  InfoModel,
  InfoFirmware,
  InfoEngine,
  InfoEmulation1,
  InfoEmulation2,
  InfoSerial,
  InfoTerminal,
  InfoFreeMemory,
  InfoPlatenScans,
  InfoAdfScans,
  InfoPrints,
  InfoDrum,
  InfoAdfJams,
  InfoPrintJams,
  InfoPort,
  HistoryNone,
  HistoryMachine,
  HistoryLast,
  HistoryMonth,
  HistoryPrinted,
  HistoryScanned,
  HistoryJams,
  HistoryDrum,
  Count,
};

const char* CtlText(CtlMsg msg, CtlLanguage language);
// The text with its %s filled.
std::string CtlFormat(CtlMsg msg, CtlLanguage language, const std::string& argument);

CtlMsg UsageMessage(CtlUsageError error);
