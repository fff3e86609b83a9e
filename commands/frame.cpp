// The record frame shared by every request and reply, the block read exchange
// of the get commands, and the hex dump the commands write of what they send
// and receive.
#include <cstdio>
#include <cstring>

#include "commands/commands.h"
#include "link/device_link.h"
#include "link/os.h"
#include "link/trace.h"

uint16_t GetBigEndian16(const uint8_t* bytes) {
  return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

uint32_t GetBigEndian32(const uint8_t* bytes) {
  return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
         uint32_t(bytes[3]);
}

void PutBigEndian16(uint8_t* bytes, uint16_t value) {
  bytes[0] = static_cast<uint8_t>(value >> 8);
  bytes[1] = static_cast<uint8_t>(value);
}

void PutBlockRequestHead(uint8_t* record, int total, uint8_t command, uint8_t block) {
  record[0] = kLeader;
  record[1] = kControlChannel;
  PutBigEndian16(record + 2, static_cast<uint16_t>(total - 4));
  record[4] = 0x50;
  record[5] = 0xE0;
  record[6] = 0x82;
  record[7] = command;
  record[8] = block;
}

bool AckAccepted(const uint8_t* ack, int32_t count) {
  const int expected = count > 4 ? FrameLength(ack) : 0;
  return count == expected + 4;
}

HeapBytes ReadBlockReply(uint8_t block, uint32_t waitMs, int replySize, const char* command,
                         int32_t& received) {
  received = 0;
  uint8_t request[9];
  PutBlockRequestHead(request, sizeof request, kCmdReadBlock, block);

  int32_t written = DeviceLink::Write(request, sizeof request);
  BusyWait(waitMs);
  if (written != static_cast<int32_t>(sizeof request)) return nullptr;

  HeapBytes reply = ZeroedBytes(replySize);
  if (reply == nullptr) {
    DebugLine("%s() - Memory Allocation error! \n", command);
    return nullptr;
  }
  received = DeviceLink::Read(reply.get(), replySize);
  return reply;
}

void TraceHexDump(const uint8_t* bytes, int count) {
  constexpr int kPerRow = 8;
  for (int row = 0; row < count; row += kPerRow) {
    char line[100] = {};
    size_t used = 0;
    auto append = [&](const char* format, auto value) {
      int n = std::snprintf(line + used, sizeof line - used, format, value);
      if (n > 0) used += static_cast<size_t>(n) < sizeof line - used ? n : sizeof line - used - 1;
    };
    // The offset field is "%#04x" in the Windows wsprintf dialect, which puts
    // "0x" in front of every value, zero included, and pads the digits (not
    // the prefix) to the width: 0 gives "0x0000", 8 gives "0x0008". C's printf
    // would give "0000" and "0x08", so spell out the Windows result.
    append("0x%04x: ", static_cast<unsigned>(row));
    for (int j = 0; j < kPerRow; ++j)
      append("%02X ", row + j < count ? static_cast<unsigned>(bytes[row + j]) : 0u);
    for (int j = 0; j < kPerRow && row + j < count; ++j) {
      uint8_t c = bytes[row + j];
      append("%c", (c >= 0x20 && c <= 0x7E) ? static_cast<int>(c) : '.');
    }
    append("%s", "\r\n");
    TheOs().DebugOutput(line);
  }
}
