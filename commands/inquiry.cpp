// Mfp_Inquiry: the machine identifies itself, and its answer sets the two
// identity flags the rest of the program reads.
#include "commands/commands.h"
#include "commands/device_data.h"
#include "link/device_link.h"
#include "link/trace.h"

namespace {
constexpr int kInquiryModeOffset = 42;
constexpr uint8_t kFullPanelMode = 2;
constexpr uint32_t kInquiryWaitMs = 1500;
}  // namespace

bool Mfp_Inquiry() {
  static const uint8_t kRequest[] = {kLeader, kControlChannel, 0x00, 0x04,
                                     0x50,    0xE0,            0x82, kCmdInquiry};
  constexpr int kRequestSize = sizeof kRequest;

  int32_t written = DeviceLink::Write(kRequest, kRequestSize);
  DebugLine("===> INQUIRY <===\n");
  TraceHexDump(kRequest, kRequestSize);
  DebugLine("WriteData = %d \n", written);
  // The machine needs time to prepare its answer; it is waited for even when
  // the request did not get through, so every attempt costs the same.
  BusyWait(kInquiryWaitMs);
  if (written != kRequestSize) return false;

  HeapBytes reply = ZeroedBytes(kInquiryReplySize);
  if (reply == nullptr) {
    DebugLine("Mfp_Inquiry() - Memory Allocation error! \n");
    return false;
  }
  int32_t received = DeviceLink::Read(reply.get(), kInquiryReplySize);
  // A short answer still counts: what did not arrive reads as zero.
  bool valid = received > 4 && reply[0] == kLeader && reply[1] == kControlChannel;
  if (valid) {
    DebugLine("Length = %d \n", FrameLength(reply.get()));
    inquiryAnswered = true;
    fullPanel = reply[kInquiryModeOffset] == kFullPanelMode;
  }
  return valid;
}
