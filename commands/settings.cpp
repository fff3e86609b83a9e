// The settings commands: Mfp_GetSettings and Mfp_SetSettings move the 17
// carried fax and paper settings of SettingsBlock; Mfp_SetAdvanced sends the
// writable fields of SystemInfo back to the machine.
#include <cstddef>
#include <cstring>

#include "commands/commands.h"
#include "commands/device_data.h"
#include "link/device_link.h"
#include "link/trace.h"

namespace {

constexpr uint32_t kGetSettingsWaitMs = 1000;
constexpr uint32_t kSetSettingsWaitMs = 500;
// The machine stores the advanced settings in flash before it answers.
constexpr uint32_t kSetAdvancedStoreWaitMs = 5000;
constexpr uint32_t kSetAdvancedAnswerWaitMs = 1000;

constexpr int kSettingsDataOffset = 10;  // in the get reply
constexpr int kRequestDataOffset = 9;    // in the set requests

// The carried settings lead the record, one byte each, in wire order.
static_assert(offsetof(SettingsBlock, clockMode) == kCarriedSettings - 1,
              "carried settings are the first 17 bytes");
uint8_t* CarriedSettings() { return reinterpret_cast<uint8_t*>(&settingsBlock); }

// A text goes up to its terminator, the rest of the field stays blank.
template <size_t N>
int PutText(uint8_t* request, int offset, const char (&field)[N]) {
  size_t length = strnlen(field, N - 1);
  std::memcpy(request + offset, field, length);
  return offset + static_cast<int>(N - 1);
}

int PutByte(uint8_t* request, int offset, uint8_t value) {
  request[offset] = value;
  return offset + 1;
}

void BuildAdvancedRequest(uint8_t (&request)[kSetAdvancedRequestSize]) {
  std::memset(request, ' ', sizeof request);
  PutBlockRequestHead(request, sizeof request, kCmdWriteBlock, kBlockSystemInfo);
  const SystemInfo& s = systemInfo;
  int at = kRequestDataOffset;
  at = PutText(request, at, s.terminalIdNumber);
  at = PutText(request, at, s.terminalIdName);
  at = PutByte(request, at, s.receiveMode);
  at = PutText(request, at, s.prefixDial);
  at = PutByte(request, at, s.ringerVolume);
  at = PutByte(request, at, s.alarmSound);
  at = PutByte(request, at, s.keySound);
  at = PutByte(request, at, s.speaker);
  at = PutByte(request, at, s.language);
  at = PutByte(request, at, s.tonerSave);
  at = PutByte(request, at, s.usbMode);
  at = PutByte(request, at, s.faxDuplex);
  at = PutByte(request, at, s.imageQuality);
  at = PutByte(request, at, s.notifyTonerLow);
  at = PutText(request, at, s.customerName);
  at = PutText(request, at, s.customerNumber);
  at = PutText(request, at, s.serviceNumber);
  PutText(request, at, s.serialNumber);
}

}  // namespace

bool Mfp_GetSettings() {
  int32_t received = 0;
  HeapBytes reply =
      ReadBlockReply(kBlockSettings, kGetSettingsWaitMs, kSettingsReplySize, "Mfp_GetSettings", received);
  if (reply == nullptr) return false;
  int declared = received >= 5 ? FrameLength(reply.get()) : 0;
  if (declared != 0) DebugLine("Length = %d \n", declared);
  // Only the whole record, as its length field declares it: settings that
  // did not arrive would read as zero, and the next "Aplicar" would send them.
  bool ok = received == kSettingsReplySize && received == declared + 4;
  if (ok) std::memcpy(CarriedSettings(), reply.get() + kSettingsDataOffset, kCarriedSettings);
  return ok;
}

bool Mfp_SetSettings(bool* acknowledged) {
  if (acknowledged) *acknowledged = false;
  uint8_t request[kSetSettingsRequestSize];
  PutBlockRequestHead(request, sizeof request, kCmdWriteBlock, kBlockSettings);
  std::memcpy(request + kRequestDataOffset, CarriedSettings(), kCarriedSettings);

  int32_t written = DeviceLink::Write(request, sizeof request);
  DebugLine("===> SET SETTINGS <===\n");
  DebugLine("WriteData = %d \n", written);
  TraceHexDump(request, sizeof request);
  BusyWait(kSetSettingsWaitMs);
  if (written != kSetSettingsRequestSize) return false;
  // The pages act on the write alone; reading the acknowledgement clears it
  // from the machine's side, and rcpctl judges it.
  uint8_t ack[kAckSize] = {};
  const int32_t ackRead = DeviceLink::Read(ack, kAckSize);
  if (acknowledged) *acknowledged = AckAccepted(ack, ackRead);
  return true;
}

bool Mfp_SetAdvanced(bool* acknowledged) {
  if (acknowledged) *acknowledged = false;
  uint8_t request[kSetAdvancedRequestSize];
  BuildAdvancedRequest(request);

  int32_t written = DeviceLink::Write(request, sizeof request);
  BusyWait(kSetAdvancedStoreWaitMs);
  DebugLine("WriteData = %d \n", written);
  BusyWait(kSetAdvancedAnswerWaitMs);
  if (written != kSetAdvancedRequestSize) return false;
  uint8_t ack[kAckSize] = {};
  const int32_t ackRead = DeviceLink::Read(ack, sizeof ack);
  if (acknowledged) *acknowledged = AckAccepted(ack, ackRead);
  return true;
}
