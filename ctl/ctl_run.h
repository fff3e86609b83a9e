// One run of rcpctl: the command line in, the exit code out. Start-up is the
// panel's own (app/startup.*); what the panel shows in boxes rcpctl writes to
// its output, and the user's choice on a silent machine becomes an exit code.
#pragma once

#include <string>
#include <vector>

#include "ctl/ctl_console.h"
#include "ctl/ctl_text.h"

// `args` without the program name.
int RunCtl(const std::vector<std::string>& args, CtlConsole& console, CtlLanguage language);
