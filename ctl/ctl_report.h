// What rcpctl info prints: the system-information record as "label: value"
// lines or as one JSON object. Portable.
#pragma once

#include <string>

#include "commands/device_data.h"
#include "ctl/ctl_text.h"
// Machine texts are single-byte (Windows-1252), as the machine sends them;
// JSON strings must be UTF-8: Cp1252ToUtf8.
#include "files/contacts.h"

// A JSON string literal, quotes included.
std::string JsonString(const std::string& utf8);

// `port`: the road the machine answered on.
std::string InfoJson(const SystemInfo& info, PortKind port);
std::string InfoText(const SystemInfo& info, PortKind port, CtlLanguage language);
