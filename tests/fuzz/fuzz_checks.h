// Invariants every fuzz target checks after each run, beyond what the
// sanitizers see: the program-wide records keep their terminators.
#pragma once

#include <cstdlib>
#include <cstring>

#include "commands/device_data.h"

template <size_t N>
inline void RequireTerminated(const char (&text)[N]) {
  if (std::memchr(text, 0, N) == nullptr) std::abort();
}

inline void RequireRecordsSound() {
  RequireTerminated(systemInfo.modelName);
  RequireTerminated(systemInfo.terminalIdNumber);
  RequireTerminated(systemInfo.terminalIdName);
  RequireTerminated(systemInfo.firmwareVersion);
  RequireTerminated(systemInfo.engineVersion);
  RequireTerminated(systemInfo.emulation1Version);
  RequireTerminated(systemInfo.emulation2Version);
  RequireTerminated(systemInfo.prefixDial);
  RequireTerminated(systemInfo.customerName);
  RequireTerminated(systemInfo.customerNumber);
  RequireTerminated(systemInfo.serviceNumber);
  RequireTerminated(systemInfo.serialNumber);
  int entries = speedDialCount + oneTouchCount;
  for (int i = 0; phonebookTable && i < entries; ++i) {
    RequireTerminated(phonebookTable[i].name);
    RequireTerminated(phonebookTable[i].number);
  }
}
