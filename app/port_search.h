// Finding the machine: which Windows family we run on, which road to try, and
// the identification loop with its fallbacks.
//
// Portable: the OS is reached through TheOs(), the user through IdentifyUi, so
// every branch can be exercised without Windows.
#pragma once

#include <cstdint>
#include <optional>

#include "link/device_link.h"
#include "link/os.h"

// The loaded USB library: usbnamer.dll (Windows 98 and Me) or usbduct.dll
// (NT 5 and later). Once loaded it stays loaded; later searches reuse it.
extern OsLibrary usbNamingLibrary;
extern OsLibrary usbTransferLibrary;

// Win32 platform ids as GetVersionExA reports them.
constexpr uint32_t kPlatformWin32Windows = 1;
constexpr uint32_t kPlatformWin32Nt = 2;

// Host family from GetVersionExA's answer (versionOk false: the call failed).
HostPlatform HostPlatformFrom(bool versionOk, uint32_t platformId, uint32_t major, uint32_t minor);

// Sets DeviceLink::portKind (and on the USB roads its names and entry points)
// for DeviceLink::hostPlatform.
void SelectPort();
// The road the user named instead of the search: the USB road only when this
// host's USB library and pipe are there. False when it is not.
bool SelectForcedPort(PortKind kind);

// The scanner driver's "PortType" profile value as the panel keeps it: 1..3, else 1.
int PortTypeFromProfile(int value);

enum class NoAnswerChoice { Abort, Retry, Ignore };
enum class IdentifyResult { Answered, Ignored, Aborted };

// What the identification loop needs from the user interface.
class IdentifyUi {
 public:
  virtual ~IdentifyUi() = default;
  virtual void BeginWait() = 0;  // wait cursor on
  virtual void EndWait() = 0;    // and off
  // "Não responde" with Abort / Retry / Ignore.
  virtual NoAnswerChoice AskNoAnswer() = 0;
};

using InquiryFn = bool (*)();

// Port search and identification: two inquiries per attempt, a silent step
// from USB down to the parallel port, then the user's choice. Retry repeats the
// whole port search. With `forcedPort` only that road is tried, without the
// step down from USB; a USB road that is not there counts as no answer.
IdentifyResult SearchAndIdentify(IdentifyUi& ui, InquiryFn inquiry,
                                 std::optional<PortKind> forcedPort = std::nullopt);

// Forgets the USB libraries (tests; the process normally keeps them).
void ResetPortSearch();
