// Where a stand-in DLL lies: its settings, state and lock files sit beside it.
#pragma once

#include <string>

// The folder of the module that holds this code, with a trailing backslash;
// empty when Windows cannot say.
std::string ModuleFolder();
