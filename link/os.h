// The one seam between the portable core and the operating system.
//
// Everything the device code needs from the OS passes through here: devices and
// pipes, comm time-outs, control codes, the parallel port's registers, the
// debugger output, the tick counter, sleeping and library loading. The program
// installs the Win32 implementation (os_win32.cpp); tests install a fake with a
// virtual clock so the protocol's multi-second waits cost no real time.
#pragma once

#include <cstddef>
#include <cstdint>

using OsHandle = void*;   // nullptr: nothing open
using OsLibrary = void*;  // nullptr: not loaded

// Values as Win32 defines them, so the Win32 implementation passes them through.
namespace os_flags {
constexpr uint32_t GenericRead = 0x80000000u;
constexpr uint32_t GenericWrite = 0x40000000u;
constexpr uint32_t ShareRead = 0x1u;
constexpr uint32_t ShareWrite = 0x2u;
constexpr uint32_t AttributeNormal = 0x80u;
}  // namespace os_flags

// COMMTIMEOUTS, field for field.
struct CommTimeouts {
  uint32_t ReadIntervalTimeout;
  uint32_t ReadTotalTimeoutMultiplier;
  uint32_t ReadTotalTimeoutConstant;
  uint32_t WriteTotalTimeoutMultiplier;
  uint32_t WriteTotalTimeoutConstant;
};

class Os {
 public:
  virtual ~Os() = default;

  // CreateFileA with OPEN_EXISTING; nullptr when it fails.
  virtual OsHandle OpenDevice(const char* name, uint32_t access, uint32_t share,
                              uint32_t attributes) = 0;
  // WriteFile / ReadFile, synchronous; the count moved is stored even on failure.
  virtual bool WriteDevice(OsHandle h, const uint8_t* bytes, uint32_t length,
                           uint32_t* written) = 0;
  virtual bool ReadDevice(OsHandle h, uint8_t* buffer, uint32_t length, uint32_t* read) = 0;
  virtual void CloseDevice(OsHandle h) = 0;
  // GetFileSizeEx of an open file; false when the size cannot be read.
  virtual bool FileSize(OsHandle h, uint64_t* size) { return false; }
  virtual bool GetTimeouts(OsHandle h, CommTimeouts* timeouts) = 0;
  virtual bool SetTimeouts(OsHandle h, const CommTimeouts& timeouts) = 0;
  // DeviceIoControl with an input buffer and no output buffer.
  virtual bool IoControl(OsHandle h, uint32_t code, const void* input, uint32_t inputLength) = 0;

  // Parallel-port registers and the BIOS data area (the Windows 95 road).
  virtual uint8_t PortIn(uint16_t port) = 0;
  virtual void PortOut(uint16_t port, uint8_t value) = 0;
  virtual uint16_t BiosWord(uint32_t linearAddress) = 0;

  // GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT) / GlobalFree; nullptr when memory
  // runs out. The default is the C heap.
  virtual void* AllocZeroed(uint32_t size);
  virtual void FreeZeroed(void* block);

  virtual void DebugOutput(const char* text) = 0;  // OutputDebugStringA
  virtual uint32_t TickCount() = 0;                // GetTickCount
  virtual void SleepMs(uint32_t ms) = 0;           // Sleep

  // A driver package's library, from the program's and the system's folders only.
  virtual OsLibrary LoadLib(const char* name) = 0;
  virtual void* LibProc(OsLibrary library, const char* name) = 0;  // GetProcAddress
  virtual void FreeLib(OsLibrary library) = 0;                      // FreeLibrary
};

// The installed implementation. The program installs the Win32 one at start-up;
// tests install their fake. Installing nullptr restores the default.
Os& TheOs();
void InstallOs(Os* os);
