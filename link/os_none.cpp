// Builds without a real OS implementation (the native test build): the tests
// install their fake before any device code runs.
#include "link/os.h"

Os* DefaultOs() { return nullptr; }
