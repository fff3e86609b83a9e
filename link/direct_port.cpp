// The Windows 95 road: the first parallel port driven through its three I/O
// registers. Bytes to the machine go out in the compatibility (Centronics)
// handshake; bytes from it come back in IEEE 1284 nibble mode, with a
// negotiation before and a termination after every read. Each handshake step
// waits at most 1 s for the machine.
#include "link/direct_port.h"

#include "link/os.h"
#include "link/trace.h"

uint16_t lptBase = 0;
uint8_t controlShadow = 0;

namespace {

constexpr uint32_t kBiosLpt1Word = 0x408;  // segment 0x40, offset 8
constexpr uint32_t kWaitSeconds = 1;

// Control-line bits of controlShadow (1 = line high).
constexpr uint8_t kNStrobe = 0x01;
constexpr uint8_t kNAutoFd = 0x02;
constexpr uint8_t kNSelectIn = 0x08;
// The port inverts nStrobe, nAutoFd and nSelectIn between register and pins.
constexpr uint8_t kControlInversion = 0x0B;

uint16_t DataPort() { return lptBase; }
uint16_t StatusPort() { return static_cast<uint16_t>(lptBase + 1); }
uint16_t ControlPort() { return static_cast<uint16_t>(lptBase + 2); }

// The BIOS leaves 0 in its table when the machine has no first parallel port;
// then there are no registers to touch (ports 0 to 2 belong to the DMA
// controller), so every routine gives up before any register access.
bool PortPresent() {
  if (lptBase == 0) lptBase = TheOs().BiosWord(kBiosLpt1Word);
  return lptBase != 0;
}

void WriteControl() { TheOs().PortOut(ControlPort(), controlShadow ^ kControlInversion); }

// One register write that takes `low` lines low and `high` lines high.
void SetLowAndHigh(uint8_t low, uint8_t high) {
  controlShadow = static_cast<uint8_t>((controlShadow & ~low) | high);
  WriteControl();
}

void SetLines(uint8_t lines, bool high) {
  if (high)
    SetLowAndHigh(0, lines);
  else
    SetLowAndHigh(lines, 0);
}

bool LineLevel(uint8_t status, uint8_t bit) {
  bool set = (status >> bit) & 1;
  // The port presents Busy inverted.
  return bit == kStatusBusy ? !set : set;
}

// Waits up to 1 s for a status line to reach `level`. On time-out traces
// `failure`, where the step has a message, and gives false.
bool Await(uint8_t bit, uint8_t level, const char* failure = nullptr) {
  if (!WaitStatus(bit, level, kWaitSeconds)) return true;
  if (failure != nullptr) Trace("%s", failure);
  return false;
}

}  // namespace

uint8_t NibbleFromStatus(uint8_t status) {
  uint8_t nibble = (status >> kStatusNFault) & 0x07;  // nFault, Select, PError
  if (!(status & 0x80)) nibble |= 0x08;               // Busy line, inverted in bit 7
  return nibble;
}

bool WaitStatus(uint8_t bit, uint8_t level, uint32_t timeoutSeconds) {
  if (!PortPresent()) return true;
  Os& os = TheOs();
  const uint32_t limit = timeoutSeconds * 1000;
  const uint32_t start = os.TickCount();
  for (;;) {
    if (os.TickCount() - start >= limit) return true;
    uint8_t status = os.PortIn(StatusPort());
    // The lines other than Busy may still be settling on the first read.
    if (bit != kStatusBusy) status = os.PortIn(StatusPort());
    if (LineLevel(status, bit) == (level != 0)) return false;
  }
}

bool WriteCompatByte(uint8_t byte) {
  if (!PortPresent()) return false;
  TheOs().PortOut(DataPort(), byte);
  // Set nStrobe low: the data lines are valid.
  SetLines(kNStrobe, false);
  // Event 36: Busy goes high, the machine has latched the byte.
  if (!Await(kStatusBusy, 1, "failed (busy) on event 36\n")) {
    // End the strobe all the same: left low, the next byte's strobe would
    // bring no falling edge and the machine could never take it.
    SetLines(kNStrobe, true);
    return false;
  }
  SetLines(kNStrobe, true);
  // Busy goes low: the machine is ready for the next byte.
  return Await(kStatusBusy, 0, "busy never acknowledged signal\n");
}

bool Negotiate(uint8_t extensibility) {
  if (!PortPresent()) return false;
  Os& os = TheOs();
  Trace("Extensibility value = %02x\n", extensibility);
  // Compatibility idle whatever came before: nStrobe, nAutoFd and nInit
  // high, nSelectIn low. The shadow already takes event 1's levels.
  os.PortOut(ControlPort(), 0x0C);
  controlShadow = 0x0D;
  // Event 0: the extensibility value on the data lines.
  os.PortOut(DataPort(), extensibility);
  // Event 1: set nSelectIn high and nAutoFd low.
  WriteControl();
  // Event 2: nAck goes low, nFault, Select and PError go high.
  if (!Await(kStatusNAck, 0, "failed (nAck) on event 2\n")) return false;
  if (!Await(kStatusNFault, 1, "failed (nFault) on event 2\n")) return false;
  if (!Await(kStatusSelect, 1, "failed (select) on event 2\n")) return false;
  if (!Await(kStatusPError, 1, "failed (perror) on event 2\n")) return false;
  // Event 3: set nStrobe low and nAutoFd high, latching the value.
  SetLowAndHigh(kNStrobe, kNAutoFd);
  // Event 4: set nStrobe high.
  SetLines(kNStrobe, true);
  // Event 6: nAck goes high (event 5's XFlag and nDataAvail are not needed).
  return Await(kStatusNAck, 1, "failed (nAck) on event 6\n");
}

bool ReadNibbleByte(uint8_t* out) {
  if (!PortPresent()) return false;
  Os& os = TheOs();
  // nDataAvail (nFault) goes low: the machine has a byte for us.
  if (!Await(kStatusNFault, 0)) return false;
  // Event 7: set nAutoFd low.
  SetLines(kNAutoFd, false);
  // Event 9: nAck goes low, the low nibble is on the status lines.
  if (!Await(kStatusNAck, 0)) return false;
  *out = NibbleFromStatus(os.PortIn(StatusPort()));
  // Event 10: set nAutoFd high. Between the two nibbles each change is
  // written twice, which holds the line one more bus cycle before nAck is
  // polled.
  SetLines(kNAutoFd, true);
  WriteControl();
  // Event 11: nAck goes high.
  if (!Await(kStatusNAck, 1)) return false;
  // Event 7: set nAutoFd low for the high nibble.
  SetLines(kNAutoFd, false);
  WriteControl();
  // Event 9: nAck goes low.
  if (!Await(kStatusNAck, 0)) return false;
  *out |= static_cast<uint8_t>(NibbleFromStatus(os.PortIn(StatusPort())) << 4);
  // Event 10: set nAutoFd high.
  SetLines(kNAutoFd, true);
  // Event 11: nAck goes high.
  return Await(kStatusNAck, 1);
}

bool Terminate() {
  if (!PortPresent()) return false;
  // Event 22: set nSelectIn low and nAutoFd high.
  SetLowAndHigh(kNSelectIn, kNAutoFd);
  // Events 23 and 24: Busy and nFault go high, then nAck goes low.
  if (!Await(kStatusBusy, 1, "failed (busy) on event 23\n")) return false;
  if (!Await(kStatusNFault, 1, "failed (nFault) on event 23\n")) return false;
  if (!Await(kStatusNAck, 0, "failed (nAck) on event 24\n")) return false;
  // Event 25: set nAutoFd low.
  SetLines(kNAutoFd, false);
  // Event 26: Busy stays high as the machine returns to compatibility mode.
  if (!Await(kStatusBusy, 1, "failed (busy) on event 26\n")) return false;
  // Event 27: nAck goes high.
  if (!Await(kStatusNAck, 1, "failed (nAck) on event 27\n")) return false;
  // Event 28: set nAutoFd high; back in compatibility idle.
  SetLines(kNAutoFd, true);
  return true;
}

int32_t DirectWrite(const uint8_t* bytes, int32_t length) {
  if (!PortPresent()) return 0;
  int32_t sent = 0;
  while (sent < length && WriteCompatByte(bytes[sent])) ++sent;
  return sent;
}

int32_t DirectRead(uint8_t* buffer, int32_t length) {
  if (!PortPresent()) return 0;
  // A failed negotiation does not stop the reads: they fail on their own
  // time-outs, and the termination below puts the lines back in any case.
  Negotiate(0x00);  // nibble mode
  int32_t received = 0;
  while (received < length && ReadNibbleByte(&buffer[received])) ++received;
  Terminate();
  return received;
}

void ResetDirectPort() {
  lptBase = 0;
  controlShadow = 0;
}
