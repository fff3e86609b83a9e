// Byte I/O on x86 ports, spelled per compiler. Only the Windows 95 road uses
// it: there user programs may touch the parallel port's registers directly.
#pragma once

#include <cstdint>

#if defined(_MSC_VER)
#include <intrin.h>
inline uint8_t PortInByte(uint16_t port) { return __inbyte(port); }
inline void PortOutByte(uint16_t port, uint8_t value) { __outbyte(port, value); }
#elif defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
inline uint8_t PortInByte(uint16_t port) {
  uint8_t value;
  __asm__ __volatile__("inb %1, %0" : "=a"(value) : "Nd"(port));
  return value;
}
inline void PortOutByte(uint16_t port, uint8_t value) {
  __asm__ __volatile__("outb %0, %1" : : "a"(value), "Nd"(port));
}
#else
inline uint8_t PortInByte(uint16_t) { return 0xFF; }
inline void PortOutByte(uint16_t, uint8_t) {}
#endif
