// The firmware update: the image file chosen on the firmware page, checked
// for its "$IMG" signature, then sent to the machine after the firmware start
// command, as it lies on disk, in chunks of 4096 bytes, over one of three
// roads: the parallel port's registers on Windows 95, the ECP driver's device
// held open for the whole transfer, or DeviceLink (USB and LPT), which alone
// waits for the machine's 9-byte answer to the start command.
//
// Portable: the file, the port and the clock go through the OS seam, the page
// through FwUpView.
#pragma once

#include <cstdint>
#include <string>

#include "firmware/fw_up_view.h"
#include "link/os.h"

constexpr uint32_t kFwChunkSize = 4096;
constexpr int32_t kFwStartSize = 8;
constexpr int32_t kFwReplySize = 9;

// The firmware start command: signature 0x50 through DeviceLink, 0x40 on the
// two direct parallel roads.
extern const uint8_t kFwStartLink[kFwStartSize];
extern const uint8_t kFwStartDirect[kFwStartSize];

// The progress in percent: the integer part of (sent / total) * 100, worked
// out in floating point, quotient first, truncated.
int FwPercent(uint32_t sent, uint32_t total);

// "<size> Byte", unsigned: files of 2 GiB and more show their real size.
std::string FwSizeText(uint64_t size);

// The four bytes "$IMG", byte for byte.
bool HasFwSignature(const uint8_t head[4]);

// The browse step after the user chose `path`: the path, its size, the
// signature test and the Update button's state. A file that cannot be opened
// is forgotten and a file without the signature is refused; either disables
// Update, so that no invalid file can be sent after an earlier valid one.
void FwUpChooseImage(FwUpView& page, const std::string& path);

// How an update ended, as far as the machine tells.
enum class FwOutcome {
  NotRun,       // the image could not be opened
  Refused,      // the image is no longer a firmware image: nothing was sent
  Failed,       // "Falha ao gravar os dados."
  Sent,         // every byte taken; no check was asked for
  Applied,      // the machine reports a version other than before
  SameVersion,  // it reports the version it had before (a re-flash, or not applied)
  Unconfirmed,  // it answers, but the version before is not known
  Silent,       // it did not answer after its restart
};

// The verdict after the restart: `read` whether the system information came
// back, `before` the version known before the transfer (empty: unknown).
FwOutcome JudgeFirmware(bool read, const std::string& before, const std::string& after);

// The firmware version of the system-information record, without its blanks.
std::string CurrentFwVersion();

// One press of Update, from the firmware start command to the completion box
// or the failure message.
class FwUpTransfer {
 public:
  explicit FwUpTransfer(FwUpView& page) : page_(page) {}
  FwUpTransfer(const FwUpTransfer&) = delete;
  FwUpTransfer& operator=(const FwUpTransfer&) = delete;

  // Chooses the road: Windows 95 first, then the ECP driver's device, else
  // DeviceLink.
  void OnUpdate();
  void OnUpdate4NtLpt();
  void OnUpdateWin95Lpt();

  // Reads the firmware version again after the machine's restart and says
  // in the completion box how it compares with `versionBefore`, which the
  // caller read before the update (empty: not known). Without it the
  // completion box only says that the transfer ended. The update itself
  // sends nothing but the start command and the image.
  void CheckApplied(const std::string& versionBefore);

  FwOutcome outcome() const { return outcome_; }
  // The versions known before the transfer and read after the restart
  // (empty: not known).
  const std::string& versionBefore() const { return before_; }
  const std::string& versionAfter() const { return after_; }

 private:
  enum class Road { DeviceLink, Ecp, Win95 };

  void Run(Road road);
  // True when every byte of the image was accepted; false with the failure
  // message set.
  bool Transfer(Road road);
  // The first chunk, read on the handle that is streamed: it must start with
  // the signature, and the file's size must fit the counters. False with the
  // page told why; the machine has heard nothing yet.
  bool ReadFirstChunk(uint32_t* n, uint32_t* total);
  bool Refuse();
  bool SendStartCommand(Road road);
  void SetUpEcpDevice();
  uint32_t Send(Road road, const uint8_t* bytes, uint32_t length);
  bool Fail();
  void Complete();
  // The completion box: with the check, what the machine says it runs now.
  void ReportCompletion();
  // Inquiry and system information after the restart, with their retries.
  bool ReadMachineAgain();
  // The chunk buffer, the ECP device and the image, each once.
  void ReleaseHandles();
  void Close();

  FwUpView& page_;
  OsHandle image_ = nullptr;
  OsHandle ecp_ = nullptr;
  uint8_t* buffer_ = nullptr;
  bool checkApplied_ = false;
  FwOutcome outcome_ = FwOutcome::NotRun;
  std::string before_;
  std::string after_;
};
