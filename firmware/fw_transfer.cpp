// The firmware update (see fw_transfer.h): image check, start command, chunk
// loop with its retries, progress and the completion sequence.
#include "firmware/fw_transfer.h"

#include <cstdio>
#include <cstring>

#include "commands/commands.h"
#include "commands/device_data.h"
#include "link/device_link.h"
#include "link/direct_port.h"
#include "link/trace.h"
#include "res/resource.h"

namespace {

constexpr uint8_t kLeaderByte = 0x1B;
constexpr uint8_t kSignature[4] = {'$', 'I', 'M', 'G'};

// ECP driver controls: device type 0x18, buffered, any access.
constexpr uint32_t kIoctlSetHardwareMode = 0x00182014;  // function 0x805
constexpr uint32_t kIoctlSetPortMode = 0x00182004;      // function 0x801
constexpr uint32_t kIoctlSetDirection = 0x00182008;     // function 0x802

// Pauses, ms. The machine needs them to prepare its answer, to make room for
// the image, to recover from a refused chunk and to write its flash.
constexpr uint32_t kReplyWait = 500;
constexpr uint32_t kResendWait = 6000;
constexpr uint32_t kBeforeImage = 5000;
constexpr uint32_t kRetryWait = 1000;
constexpr uint32_t kFlashWrite = 40000;

uint32_t Clamped(int64_t moved, uint32_t asked) {
  if (moved < 0) return 0;
  return moved > asked ? asked : static_cast<uint32_t>(moved);
}

std::string WithoutTrailingBlanks(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

void KeepViewPainted(void* view) { static_cast<FwUpView*>(view)->KeepPainted(); }

}  // namespace

const uint8_t kFwStartLink[kFwStartSize] = {0x1B, 0xA5, 0x00, 0x04, 0x50, 0xE0, 0x82, 0x05};
const uint8_t kFwStartDirect[kFwStartSize] = {0x1B, 0xA5, 0x00, 0x04, 0x40, 0xE0, 0x82, 0x05};

int FwPercent(uint32_t sent, uint32_t total) {
  return static_cast<int>(static_cast<double>(sent) / static_cast<double>(total) * 100.0);
}

std::string FwSizeText(uint64_t size) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu Byte", static_cast<unsigned long long>(size));
  return text;
}

FwOutcome JudgeFirmware(bool read, const std::string& before, const std::string& after) {
  if (!read) return FwOutcome::Silent;
  // Without the version from before, a version now proves nothing.
  if (before.empty()) return FwOutcome::Unconfirmed;
  return before == after ? FwOutcome::SameVersion : FwOutcome::Applied;
}

std::string CurrentFwVersion() {
  return WithoutTrailingBlanks(
      std::string(systemInfo.firmwareVersion, strnlen(systemInfo.firmwareVersion, sizeof systemInfo.firmwareVersion)));
}

bool HasFwSignature(const uint8_t head[4]) { return std::memcmp(head, kSignature, 4) == 0; }

void FwUpChooseImage(FwUpView& page, const std::string& path) {
  Os& os = TheOs();
  page.FileName() = path;
  OsHandle file = os.OpenDevice(path.c_str(), os_flags::GenericRead, os_flags::ShareRead,
                                os_flags::AttributeNormal);
  if (file == nullptr) {
    page.FileName().clear();
    page.EnableUpdate(false);
    page.Redisplay();
    return;
  }
  uint64_t size = 0;
  if (!os.FileSize(file, &size)) size = 0;
  page.FileSize() = FwSizeText(size);
  // A file shorter than the signature leaves zeros and fails the test.
  uint8_t head[4] = {};
  uint32_t got = 0;
  os.ReadDevice(file, head, sizeof head, &got);
  if (HasFwSignature(head)) {
    page.EnableUpdate(true);
    page.Message() = page.Text(IDS_FW_SELECT_FILE);
  } else {
    page.EnableUpdate(false);
    page.Message() = page.Text(IDS_FW_INVALID_FILE);
  }
  page.Redisplay();
  os.CloseDevice(file);
}

void FwUpTransfer::CheckApplied(const std::string& versionBefore) {
  checkApplied_ = true;
  before_ = WithoutTrailingBlanks(versionBefore);
}

void FwUpTransfer::OnUpdate() {
  if (DeviceLink::hostPlatform == HostPlatform::Windows95)
    OnUpdateWin95Lpt();
  else if (DeviceLink::portKind == PortKind::Ecp1)
    OnUpdate4NtLpt();
  else
    Run(Road::DeviceLink);
}

void FwUpTransfer::OnUpdate4NtLpt() {
  DebugLine(" >> OnUpdate4NtLpt()  <<<");
  Run(Road::Ecp);
}

void FwUpTransfer::OnUpdateWin95Lpt() {
  DebugLine(" >> OnUpdateWin95Lpt()  <<<");
  Run(Road::Win95);
}

void FwUpTransfer::Run(Road road) {
  image_ = TheOs().OpenDevice(page_.FileName().c_str(), os_flags::GenericRead, os_flags::ShareRead,
                              os_flags::AttributeNormal);
  if (image_ == nullptr) {
    // Gone since it was chosen: forgotten, without a word.
    outcome_ = FwOutcome::NotRun;
    page_.FileName().clear();
    page_.EnableUpdate(false);
    page_.Redisplay();
    return;
  }
  page_.ShowWaitCursor();
  outcome_ = FwOutcome::Failed;
  after_.clear();
  if (Transfer(road)) Complete();
  Close();
}

bool FwUpTransfer::Transfer(Road road) {
  Os& os = TheOs();
  buffer_ = static_cast<uint8_t*>(os.AllocZeroed(kFwChunkSize));
  if (buffer_ == nullptr) {
    if (road != Road::DeviceLink) DebugLine("Error on writing to port.");
    return Fail();
  }
  uint32_t n = 0, total = 0;
  if (!ReadFirstChunk(&n, &total)) return false;
  if (!SendStartCommand(road)) return Fail();

  page_.SetProgressRange(0, 100);
  page_.SetProgressPos(0);
  page_.Pause(kBeforeImage);

  uint32_t sent = 0;
  for (bool first = true; sent < total; first = false) {
    if (!first) {
      os.ReadDevice(image_, buffer_, kFwChunkSize, &n);
      n = Clamped(n, kFwChunkSize);
    }
    // The file ended (or failed) before its measured size: never spin on it.
    if (n == 0) return Fail();
    uint32_t w = Send(road, buffer_, n);
    if (w < n) {
      DebugLine("FwUp: Data written - %d ", static_cast<int>(w));
      page_.Pause(kRetryWait);
      uint32_t r = Send(road, buffer_ + w, n - w);
      // A third attempt only when the second moved nothing at all.
      if (r < 1) {
        page_.Pause(kRetryWait);
        r = Send(road, buffer_ + w, n - w);
      }
      w += r;
      if (w < n) return Fail();
    }
    sent += w;

    const int percent = FwPercent(sent, total);
    char text[64];
    page_.SetProgressPos(percent);
    std::snprintf(text, sizeof text, "%d %%", percent);
    page_.Percent() = text;
    std::snprintf(text, sizeof text, "%u ", static_cast<unsigned>(sent));
    page_.Message() = text + page_.Text(IDS_FW_BYTES_SENT);
    page_.Redisplay();
  }
  return true;
}

bool FwUpTransfer::ReadFirstChunk(uint32_t* n, uint32_t* total) {
  // Checked here rather than trusted from the choice: the file may have been
  // replaced since. It is open without write sharing from now on, so what is
  // checked is what is sent.
  Os& os = TheOs();
  uint64_t size = 0;
  if (!os.FileSize(image_, &size)) return Fail();
  *n = 0;
  uint32_t got = 0;
  do {
    got = 0;
    os.ReadDevice(image_, buffer_ + *n, kFwChunkSize - *n, &got);
    *n += Clamped(got, kFwChunkSize - *n);
  } while (*n < sizeof kSignature && got > 0);
  // A size the counters cannot hold, or one below what was read, would end
  // the loop at once or never.
  if (*n < sizeof kSignature || !HasFwSignature(buffer_) || size > UINT32_MAX || size < *n) return Refuse();
  *total = static_cast<uint32_t>(size);
  return true;
}

bool FwUpTransfer::Refuse() {
  outcome_ = FwOutcome::Refused;
  page_.Message() = page_.Text(IDS_FW_INVALID_FILE);
  page_.EnableUpdate(false);
  page_.Redisplay();
  return false;
}

bool FwUpTransfer::SendStartCommand(Road road) {
  switch (road) {
    case Road::Win95:
      if (Send(road, kFwStartDirect, kFwStartSize) < kFwStartSize) {
        DebugLine("Error on writing to port. - Update command");
        return false;
      }
      return true;

    case Road::Ecp:
      ecp_ = TheOs().OpenDevice(PortName(PortKind::Ecp1), os_flags::GenericWrite, 0, 0);
      if (ecp_ == nullptr) {
        DebugLine("Failed to open port...");
        return false;
      }
      SetUpEcpDevice();
      if (Send(road, kFwStartDirect, kFwStartSize) < kFwStartSize) {
        DebugLine("Error on writing to port. - Update command");
        return false;
      }
      return true;

    case Road::DeviceLink: {
      // Not into the chunk buffer: that holds the first chunk already.
      uint8_t reply[kFwReplySize] = {};
      if (Send(road, kFwStartLink, kFwStartSize) < kFwStartSize) return false;
      page_.Pause(kReplyWait);
      if (DeviceLink::Read(reply, kFwReplySize) == kFwReplySize && reply[0] == kLeaderByte) return true;
      // One more command; its answer only has to be whole.
      DebugLine("FwUp: Failed to read response ");
      page_.Pause(kResendWait);
      if (Send(road, kFwStartLink, kFwStartSize) < kFwStartSize) return false;
      page_.Pause(kReplyWait);
      return DeviceLink::Read(reply, kFwReplySize) >= kFwReplySize;
    }
  }
  return false;
}

// The driver must be in ECP mode, forward, before it takes the image; one
// that refuses may still manage in the mode it is in.
void FwUpTransfer::SetUpEcpDevice() {
  Os& os = TheOs();
  const uint8_t method = 0x00;
  const uint8_t mode = 0x10;                       // the IEEE 1284 extensibility value of ECP
  const uint8_t direction[4] = {0x01, 0x00, 0x00, 0x00};  // 32-bit 1, little-endian
  if (!os.IoControl(ecp_, kIoctlSetHardwareMode, &method, 1))
    DebugLine("[Error: Device can't be set to the H/W mode(Method) you want.]");
  if (!os.IoControl(ecp_, kIoctlSetPortMode, &mode, 1)) DebugLine("[Error: Mode has not been changed.]");
  if (!os.IoControl(ecp_, kIoctlSetDirection, direction, sizeof direction))
    DebugLine("[Error: Direction has not been changed.]");
}

uint32_t FwUpTransfer::Send(Road road, const uint8_t* bytes, uint32_t length) {
  switch (road) {
    case Road::Win95:
      return Clamped(DirectWrite(bytes, static_cast<int32_t>(length)), length);
    case Road::Ecp: {
      uint32_t written = 0;
      TheOs().WriteDevice(ecp_, bytes, length, &written);
      return Clamped(written, length);
    }
    case Road::DeviceLink:
      return Clamped(DeviceLink::Write(bytes, static_cast<int32_t>(length)), length);
  }
  return 0;
}

bool FwUpTransfer::Fail() {
  page_.Message() = page_.Text(IDS_FW_WRITE_FAILED);
  page_.Redisplay();
  return false;
}

void FwUpTransfer::Complete() {
  // The machine restarts with the new image; switching it off now would
  // leave it without firmware.
  page_.Message() = page_.Text(IDS_FW_WRITTEN);
  page_.ShowMessageNow(page_.Message());
  page_.Pause(kFlashWrite);
  // The check opens the port again: an ECP device still held unshared would
  // refuse it.
  if (checkApplied_) ReleaseHandles();
  ReportCompletion();
  // Back to the first state: a new image must be chosen for the next update.
  page_.Message() = page_.Text(IDS_FW_SELECT_FILE);
  page_.FileName().clear();
  page_.FileSize().clear();
  page_.SetProgressPos(0);
  page_.Percent().clear();
  page_.EnableUpdate(false);
}

void FwUpTransfer::ReportCompletion() {
  const std::string caption = page_.Text(inquiryAnswered ? IDS_APP_TITLE_ANSWERED : IDS_APP_TITLE);
  if (!checkApplied_) {
    outcome_ = FwOutcome::Sent;
    page_.Message() = page_.Text(IDS_FW_DONE);
    page_.ShowBox(page_.Message(), caption);
    return;
  }
  const bool read = ReadMachineAgain();
  after_ = read ? CurrentFwVersion() : std::string();
  if (read) page_.MachineInfoRead();
  outcome_ = JudgeFirmware(read, before_, after_);
  unsigned textId = IDS_FW_NO_ANSWER_AFTER;
  if (outcome_ == FwOutcome::Applied) textId = IDS_FW_DONE_VERSION;
  if (outcome_ == FwOutcome::SameVersion) textId = IDS_FW_SAME_VERSION;
  if (outcome_ == FwOutcome::Unconfirmed) textId = IDS_FW_UNCONFIRMED;
  std::string text = page_.Text(textId);
  const size_t slot = text.find("%s");
  if (slot != std::string::npos) text.replace(slot, 2, after_);
  switch (outcome_) {
    case FwOutcome::Applied:
      page_.Message() = page_.Text(IDS_FW_DONE) + " " + text;
      page_.ShowBox(page_.Message(), caption);
      break;
    case FwOutcome::SameVersion:
      // Re-flashing the running version is a normal repair: neither success
      // nor failure can be told from the version alone.
      page_.Message() = text;
      page_.ShowBox(page_.Message(), caption);
      break;
    default:
      page_.Message() = text;
      page_.ShowWarningBox(page_.Message(), caption);
      break;
  }
}

bool FwUpTransfer::ReadMachineAgain() {
  // Only a question: the identity flags stay those of start-up, which chose
  // the pages and the title.
  const bool answered = inquiryAnswered, full = fullPanel;
  // A silent machine makes these waits last seconds: the page keeps painting.
  SetWaitPump(&KeepViewPainted, &page_);
  // As at start-up: a second inquiry when the first finds no answer.
  const bool read = (Mfp_Inquiry() || Mfp_Inquiry()) && (Mfp_GetSystemInfo() || Mfp_GetSystemInfo());
  SetWaitPump(nullptr, nullptr);
  inquiryAnswered = answered;
  fullPanel = full;
  return read;
}

void FwUpTransfer::ReleaseHandles() {
  Os& os = TheOs();
  if (buffer_ != nullptr) os.FreeZeroed(buffer_);
  if (ecp_ != nullptr) os.CloseDevice(ecp_);
  if (image_ != nullptr) os.CloseDevice(image_);
  buffer_ = nullptr;
  ecp_ = nullptr;
  image_ = nullptr;
}

void FwUpTransfer::Close() {
  page_.Redisplay();
  ReleaseHandles();
  page_.RestoreCursor();
}
