// Puts the emulated machine's parallel interface behind the fake OS's port
// registers, so the Windows 95 road runs against it register by register.
#pragma once

#include "emulator/ieee1284_peripheral.h"
#include "emulator/k40_machine.h"
#include "tests/support/fake_os.h"

class PeripheralPorts final : public FakePortRegisters {
 public:
  explicit PeripheralPorts(Ieee1284Peripheral& peripheral) : peripheral_(peripheral) {}
  uint8_t In(uint16_t port) override { return peripheral_.In(port); }
  void Out(uint16_t port, uint8_t value) override { peripheral_.Out(port, value); }

 private:
  Ieee1284Peripheral& peripheral_;
};

// A K40 on LPT1 at 0x378, wired to a fake OS.
struct MachineOnLpt1 {
  FakeOs os;
  K40Machine machine;
  Ieee1284Peripheral peripheral{machine, 0x378};
  PeripheralPorts ports{peripheral};

  MachineOnLpt1() {
    os.ports = &ports;
    os.biosWord = 0x378;
  }
};
