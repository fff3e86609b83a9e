// Mfp_GetSystemInfo: the machine's identity, versions, counters and advanced
// settings, decoded into the program-wide SystemInfo record.
#include <cstring>

#include "commands/commands.h"
#include "commands/device_data.h"
#include "link/trace.h"

namespace {

constexpr uint32_t kSystemInfoWaitMs = 1000;

// Clears the whole field and copies exactly the wire width, so the last byte
// stays the terminator whatever the machine sent.
template <size_t N>
void TakeText(char (&field)[N], const uint8_t* reply, int offset) {
  std::memset(field, 0, N);
  std::memcpy(field, reply + offset, N - 1);
}

void Decode(const uint8_t* r, SystemInfo& info) {
  TakeText(info.modelName, r, 10);
  TakeText(info.terminalIdNumber, r, 42);
  TakeText(info.terminalIdName, r, 62);
  TakeText(info.firmwareVersion, r, 82);
  TakeText(info.engineVersion, r, 87);
  TakeText(info.emulation1Version, r, 92);
  TakeText(info.emulation2Version, r, 107);
  info.freeMemoryPercent = r[122];
  info.platenScanCount = GetBigEndian32(r + 123);
  info.adfScanCount = GetBigEndian32(r + 127);
  info.printCount = GetBigEndian32(r + 131);
  info.drumCount = GetBigEndian32(r + 135);
  info.adfJamCount = GetBigEndian32(r + 139);
  info.printJamCount = GetBigEndian32(r + 143);
  info.receiveMode = r[147];
  TakeText(info.prefixDial, r, 148);
  info.ringerVolume = r[153];
  info.alarmSound = r[154];
  info.keySound = r[155];
  info.speaker = r[156];
  info.language = r[157];
  info.tonerSave = r[158];
  info.usbMode = r[159];
  info.faxDuplex = r[160];
  info.imageQuality = r[161];
  info.notifyTonerLow = r[162];
  TakeText(info.customerName, r, 163);
  TakeText(info.customerNumber, r, 183);
  TakeText(info.serviceNumber, r, 203);
  TakeText(info.serialNumber, r, 249);
}

SystemInfoListener systemInfoListener = nullptr;

}  // namespace

void SetSystemInfoListener(SystemInfoListener listener) { systemInfoListener = listener; }

bool Mfp_GetSystemInfo() {
  int32_t received = 0;
  HeapBytes reply = ReadBlockReply(kBlockSystemInfo, kSystemInfoWaitMs, kSystemInfoReplySize,
                                   "Mfp_GetSystemInfo", received);
  if (reply == nullptr) return false;
  DebugLine("dwRet = %d \n", received);
  DebugLine("dwSize = %d \n", kSystemInfoReplySize);
  // Only a whole record is decoded: every field lies at a fixed offset.
  bool ok = received == kSystemInfoReplySize && FrameLength(reply.get()) != 0;
  if (ok) {
    DebugLine("Length = %d \n", FrameLength(reply.get()));
    Decode(reply.get(), systemInfo);
    if (systemInfoListener) systemInfoListener(systemInfo);
  }
  return ok;
}
