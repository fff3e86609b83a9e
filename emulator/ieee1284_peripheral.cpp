// The K40's parallel interface at signal level: control-line edges in, status
// lines out, bytes to and from the emulated machine.
#include "emulator/ieee1284_peripheral.h"

#include "emulator/k40_machine.h"

namespace {

// Control-line levels (1 = high) after undoing the port's inversion.
constexpr uint8_t kControlInversion = 0x0B;
constexpr uint8_t kNStrobe = 0x01;
constexpr uint8_t kNAutoFd = 0x02;
constexpr uint8_t kNSelectIn = 0x08;

constexpr uint8_t kNibbleMode = 0x00;

}  // namespace

Ieee1284Peripheral::Ieee1284Peripheral(K40Machine& machine, uint16_t base)
    : machine_(machine), base_(base) {}

uint8_t Ieee1284Peripheral::In(uint16_t port) {
  if (port == base_) return data_;
  if (port == base_ + 2) return static_cast<uint8_t>(0xC0 | (controlLevels_ ^ kControlInversion));
  if (port != base_ + 1) return 0xFF;
  // A byte the machine refused keeps Busy up; it offers the byte again each
  // time the host looks, as a device that is busy for a while.
  if (refused_ && machine_.Receive(&refusedByte_, 1) == 1) {
    refused_ = false;
    if (controlLevels_ & kNStrobe) busy_ = false;
  }
  uint8_t status = 0;
  if (nFault_) status |= 0x08;
  if (select_) status |= 0x10;
  if (pError_) status |= 0x20;
  if (nAck_) status |= 0x40;
  if (!busy_) status |= 0x80;  // the port inverts Busy
  return status;
}

void Ieee1284Peripheral::Out(uint16_t port, uint8_t value) {
  if (port == base_)
    data_ = value;
  else if (port == base_ + 2)
    OnControl(static_cast<uint8_t>((value ^ kControlInversion) & 0x0F));
}

bool Ieee1284Peripheral::HasData() const {
  if (extensibility_ != kNibbleMode) return false;
  if (replyByteLimit >= 0 && bytesSent_ >= replyByteLimit) return false;
  return machine_.Pending() > 0;
}

// Reverse idle: nDataAvail (nFault) and AckDataReq (PError) low while a byte
// is waiting; XFlag (Select) low for nibble mode.
void Ieee1284Peripheral::ShowReverseIdle() {
  bool data = HasData();
  nFault_ = !data;
  pError_ = !data;
  select_ = false;
  nAck_ = true;
  busy_ = false;
}

void Ieee1284Peripheral::ShowCompatibilityIdle() {
  nFault_ = true;
  select_ = true;
  pError_ = false;
  nAck_ = true;
  busy_ = false;
}

void Ieee1284Peripheral::ShowNibble(uint8_t nibble) {
  nFault_ = nibble & 0x01;
  select_ = nibble & 0x02;
  pError_ = nibble & 0x04;
  busy_ = nibble & 0x08;
}

void Ieee1284Peripheral::OnControl(uint8_t levels) {
  const uint8_t before = controlLevels_;
  controlLevels_ = levels;
  auto fell = [&](uint8_t line) { return (before & line) && !(levels & line); };
  auto rose = [&](uint8_t line) { return !(before & line) && (levels & line); };
  const bool autoFdLow = !(levels & kNAutoFd);

  // Event 1 (nSelectIn high with nAutoFd low) starts a negotiation from any
  // phase: a host that gave up half-way begins again this way.
  if (rose(kNSelectIn) && autoFdLow) {
    if (neverNegotiate) return;
    // Event 2: nAck low, nFault, Select and PError high.
    phase_ = Phase::Negotiating;
    highNibble_ = false;
    nAck_ = false;
    nFault_ = true;
    select_ = true;
    pError_ = true;
    return;
  }

  switch (phase_) {
    case Phase::Compatibility:
      if (fell(kNStrobe)) {
        ++strobes_;
        if (strobes_ == ignoredStrobe) return;
        // Latch the byte and hold Busy while the machine takes it.
        busy_ = true;
        if (machine_.Receive(&data_, 1) == 0) {
          refused_ = true;
          refusedByte_ = data_;
        }
      } else if (rose(kNStrobe)) {
        busy_ = refused_;
      }
      return;

    case Phase::Negotiating:
      if (fell(kNStrobe)) {
        // Event 3: the extensibility value is latched.
        extensibility_ = data_;
      } else if (rose(kNStrobe)) {
        // Events 5 and 6: mode status, then nAck high.
        // Nibble mode is the only one offered: XFlag stays low whatever
        // was asked, and in any other mode no data is offered.
        ShowReverseIdle();
        phase_ = Phase::ReverseIdle;
      }
      return;

    case Phase::ReverseIdle:
    case Phase::Nibble:
      if (fell(kNSelectIn)) {
        // Events 23 and 24: Busy and nFault high, then nAck low.
        busy_ = true;
        nFault_ = true;
        nAck_ = false;
        phase_ = Phase::Terminating;
        return;
      }
      if (fell(kNAutoFd)) {
        // Event 8: a nibble on the status lines; event 9: nAck low.
        if (!highNibble_) {
          if (!HasData()) return;
          machine_.Send(&byte_, 1);
          ++bytesSent_;
        }
        ShowNibble(highNibble_ ? byte_ >> 4 : byte_ & 0x0F);
        nAck_ = false;
        phase_ = Phase::Nibble;
      } else if (rose(kNAutoFd) && phase_ == Phase::Nibble) {
        // Event 11: nAck high; after the high nibble, back to reverse idle.
        nAck_ = true;
        highNibble_ = !highNibble_;
        if (!highNibble_) ShowReverseIdle();
        phase_ = Phase::ReverseIdle;
      }
      return;

    case Phase::Terminating:
      if (fell(kNAutoFd)) {
        // Events 26 and 27: Busy stays high, nAck high.
        nAck_ = true;
      } else if (rose(kNAutoFd)) {
        // After event 28: compatibility idle, ready for bytes.
        ShowCompatibilityIdle();
        highNibble_ = false;
        phase_ = Phase::Compatibility;
      }
      return;
  }
}
