// The Windows 95 road: the first parallel port driven through its registers,
// IEEE 1284 compatibility mode forward and nibble mode in reverse.
#pragma once

#include <cstdint>

// I/O base of the first parallel port, from the BIOS data area word at 0x408;
// read again while it is 0, kept once non-zero.
extern uint16_t lptBase;
// Wanted levels of nStrobe (bit 0), nAutoFd (1), nInit (2), nSelectIn (3);
// the control register always receives controlShadow ^ 0x0B.
extern uint8_t controlShadow;

int32_t DirectWrite(const uint8_t* bytes, int32_t length);
int32_t DirectRead(uint8_t* buffer, int32_t length);

// Status bits.
constexpr uint8_t kStatusNFault = 3;
constexpr uint8_t kStatusSelect = 4;
constexpr uint8_t kStatusPError = 5;
constexpr uint8_t kStatusNAck = 6;
constexpr uint8_t kStatusBusy = 7;

// One nibble as the machine puts it on the status lines in nibble mode:
// nFault, Select, PError and the Busy line (inverse of bit 7) become bits 0-3.
uint8_t NibbleFromStatus(uint8_t status);

// True on time-out. For bit 7 `level` is the Busy line level, not the bit.
bool WaitStatus(uint8_t bit, uint8_t level, uint32_t timeoutSeconds);
bool WriteCompatByte(uint8_t byte);
bool Negotiate(uint8_t extensibility);
bool ReadNibbleByte(uint8_t* out);
bool Terminate();

// Back to the state of a fresh process (tests).
void ResetDirectPort();
