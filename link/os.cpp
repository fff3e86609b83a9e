// Holds the installed OS implementation. Builds without one only matter to
// tests, which always install theirs first.
#include "link/os.h"

#include <cstdlib>

namespace {
Os* installed = nullptr;
}  // namespace

Os* DefaultOs();  // os_win32.cpp on Windows; absent elsewhere.

Os& TheOs() {
  if (installed == nullptr) {
    installed = DefaultOs();
    if (installed == nullptr) std::abort();  // a test forgot to install its fake
  }
  return *installed;
}

void InstallOs(Os* os) { installed = os; }

void* Os::AllocZeroed(uint32_t size) { return std::calloc(size, 1); }
void Os::FreeZeroed(void* block) { std::free(block); }
