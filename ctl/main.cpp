// Entry point of rcpctl.exe: the command line as the program's own code page
// sees it, the user's UI language, then one run.
#include <windows.h>

#include <string>
#include <vector>

#include "ctl/ctl_console.h"
#include "ctl/ctl_run.h"
#include "history/history.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  KeepEveryReading();
  CtlConsole console;
  return RunCtl(args, console, CtlLanguageFromLangId(GetUserDefaultUILanguage()));
}
