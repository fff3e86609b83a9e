// The machine's end of a parallel cable, at signal level: it sits behind the
// port's data, status and control registers and answers the host's control
// lines as the Quillmark K40 does in IEEE 1284 compatibility mode (bytes to the
// machine), nibble-mode negotiation, reverse nibble transfer (bytes from the
// machine) and termination. It reacts at once to every control write, so a
// host that polls the status register sees each answer on its next read.
#pragma once

#include <cstdint>

class K40Machine;

class Ieee1284Peripheral {
 public:
  // Registers at `base` (data), `base` + 1 (status), `base` + 2 (control).
  explicit Ieee1284Peripheral(K40Machine& machine, uint16_t base = 0x378);

  // Register access by the host; other ports read as 0xFF and ignore writes.
  // A status read may hand the machine a byte it refused before.
  uint8_t In(uint16_t port);
  void Out(uint16_t port, uint8_t value);

  // Misbehaviour.
  bool neverNegotiate = false;   // ignores event 1 (a plain Centronics device)
  int32_t replyByteLimit = -1;   // after this many bytes sent, offers no more (-1: no limit)
  int32_t ignoredStrobe = 0;     // leaves the n-th strobe (counted from 1) unanswered (0: none)

  // Line levels (true = high), as the cable carries them.
  bool nFault() const { return nFault_; }
  bool select() const { return select_; }
  bool pError() const { return pError_; }
  bool nAck() const { return nAck_; }
  bool busy() const { return busy_; }

  enum class Phase { Compatibility, Negotiating, ReverseIdle, Nibble, Terminating };
  Phase phase() const { return phase_; }
  uint8_t extensibility() const { return extensibility_; }

  int32_t strobes() const { return strobes_; }
  int32_t bytesSent() const { return bytesSent_; }

 private:
  void OnControl(uint8_t levels);
  bool HasData() const;
  void ShowReverseIdle();
  void ShowCompatibilityIdle();
  void ShowNibble(uint8_t nibble);

  K40Machine& machine_;
  uint16_t base_;
  uint8_t data_ = 0;
  uint8_t controlLevels_ = 0x07;  // compatibility idle before the host writes anything
  bool nFault_ = true, select_ = true, pError_ = false, nAck_ = true, busy_ = false;
  Phase phase_ = Phase::Compatibility;
  uint8_t extensibility_ = 0;
  uint8_t byte_ = 0;      // the byte going out in nibbles
  bool highNibble_ = false;
  int32_t strobes_ = 0;
  int32_t bytesSent_ = 0;
  // A strobed byte the machine did not take yet (Busy stays up meanwhile).
  bool refused_ = false;
  uint8_t refusedByte_ = 0;
};
