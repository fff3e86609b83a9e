// The Win32 implementation of the OS seam: each call is the real function.
#include <windows.h>

#include "link/driver_library.h"
#include "link/os.h"
#include "link/port_io.h"

namespace {

class Win32Os final : public Os {
 public:
  OsHandle OpenDevice(const char* name, uint32_t access, uint32_t share,
                      uint32_t attributes) override {
    HANDLE h = CreateFileA(name, access, share, nullptr, OPEN_EXISTING, attributes, nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : h;
  }
  bool WriteDevice(OsHandle h, const uint8_t* bytes, uint32_t length,
                   uint32_t* written) override {
    DWORD n = 0;
    BOOL ok = WriteFile(h, bytes, length, &n, nullptr);
    *written = n;
    return ok != FALSE;
  }
  bool ReadDevice(OsHandle h, uint8_t* buffer, uint32_t length, uint32_t* read) override {
    DWORD n = 0;
    BOOL ok = ReadFile(h, buffer, length, &n, nullptr);
    *read = n;
    return ok != FALSE;
  }
  void CloseDevice(OsHandle h) override { CloseHandle(h); }
  bool FileSize(OsHandle h, uint64_t* size) override {
    LARGE_INTEGER n{};
    if (!GetFileSizeEx(h, &n) || n.QuadPart < 0) return false;
    *size = static_cast<uint64_t>(n.QuadPart);
    return true;
  }
  void* AllocZeroed(uint32_t size) override { return GlobalAlloc(GPTR, size); }
  void FreeZeroed(void* block) override { GlobalFree(block); }
  bool GetTimeouts(OsHandle h, CommTimeouts* t) override {
    COMMTIMEOUTS ct{};
    if (!GetCommTimeouts(h, &ct)) return false;
    *t = {ct.ReadIntervalTimeout, ct.ReadTotalTimeoutMultiplier, ct.ReadTotalTimeoutConstant,
          ct.WriteTotalTimeoutMultiplier, ct.WriteTotalTimeoutConstant};
    return true;
  }
  bool SetTimeouts(OsHandle h, const CommTimeouts& t) override {
    COMMTIMEOUTS ct{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier,
                    t.ReadTotalTimeoutConstant, t.WriteTotalTimeoutMultiplier,
                    t.WriteTotalTimeoutConstant};
    return SetCommTimeouts(h, &ct) != FALSE;
  }
  bool IoControl(OsHandle h, uint32_t code, const void* input, uint32_t inputLength) override {
    DWORD returned = 0;
    return DeviceIoControl(h, code, const_cast<void*>(input), inputLength, nullptr, 0,
                           &returned, nullptr) != FALSE;
  }

  // Only reached on Windows 95, where ring-3 port I/O and the flat view of the
  // BIOS data area are allowed.
  uint8_t PortIn(uint16_t port) override { return PortInByte(port); }
  void PortOut(uint16_t port, uint8_t value) override { PortOutByte(port, value); }
  uint16_t BiosWord(uint32_t linearAddress) override {
    return *reinterpret_cast<const volatile uint16_t*>(static_cast<uintptr_t>(linearAddress));
  }

  void DebugOutput(const char* text) override { OutputDebugStringA(text); }
  uint32_t TickCount() override { return GetTickCount(); }
  void SleepMs(uint32_t ms) override { Sleep(ms); }

  OsLibrary LoadLib(const char* name) override { return LoadDriverLibrary(name); }
  void* LibProc(OsLibrary library, const char* name) override {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
  }
  void FreeLib(OsLibrary library) override { FreeLibrary(static_cast<HMODULE>(library)); }
};

}  // namespace

Os* DefaultOs() {
  static Win32Os os;
  return &os;
}
