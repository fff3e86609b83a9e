// The phonebook commands: Mfp_GetPhonebook replaces the table's entries with
// the machine's, Mfp_SetPhonebook sends the whole table back. Both move every
// entry in one exchange; the reply and the request carry one 67-byte record
// per slot (slot number, 20 name bytes, 46 number bytes).
#include <cstring>

#include "commands/commands.h"
#include "commands/device_data.h"
#include "link/device_link.h"
#include "link/os.h"
#include "link/trace.h"

namespace {

constexpr int kNameWidth = 20;
constexpr int kNumberWidth = 46;
constexpr int kSetHeadSize = 10;
// Where the head carries the entry count (one byte).
constexpr int kGetCountOffset = 10;
constexpr int kSetCountOffset = 9;
constexpr int kHexDumpLimit = 100;

constexpr uint32_t kGetRequestWaitMs = 1000;
// The machine gathers its entries after sending the head.
constexpr uint32_t kBodyWaitMs = 1000;
constexpr uint32_t kRetryWaitMs = 500;
constexpr uint32_t kAckWaitMs = 1000;

// Entries in the table; none without a table.
int TableEntries() {
  return phonebookTable != nullptr ? int(speedDialCount) + int(oneTouchCount) : 0;
}

void DecodeRecord(const uint8_t* record, int entries) {
  int slot = record[0];
  // The table holds slots 1..N only: a record outside it is skipped.
  if (slot < 1 || slot > entries) return;
  PhonebookEntry& entry = phonebookTable[slot - 1];
  std::memcpy(entry.name, record + 1, kNameWidth);
  entry.name[kNameWidth] = '\0';
  TrimTrailingSpaces(entry.name);
  std::memcpy(entry.number, record + 1 + kNameWidth, kNumberWidth);
  entry.number[kNumberWidth] = '\0';
  TrimTrailingSpaces(entry.number);
}

void EncodeRecord(uint8_t* record, int slot, const PhonebookEntry& entry) {
  record[0] = static_cast<uint8_t>(slot);
  std::memcpy(record + 1, entry.name, strnlen(entry.name, kNameWidth));
  std::memcpy(record + 1 + kNameWidth, entry.number, strnlen(entry.number, kNumberWidth));
}

}  // namespace

char* TrimTrailingSpaces(char* text) {
  for (size_t i = std::strlen(text); i > 0 && text[i - 1] == ' '; --i) text[i - 1] = '\0';
  return text;
}

bool Mfp_GetPhonebook() {
  uint8_t request[10];
  PutBlockRequestHead(request, sizeof request, kCmdReadBlock, kBlockPhonebook);
  request[9] = 0xFF;  // all entries

  int32_t written = DeviceLink::Write(request, sizeof request);
  DebugLine("===> GET PHONEBOOK <===\n");
  TraceHexDump(request, sizeof request);
  DebugLine("WriteData = %d \n", written);
  BusyWait(kGetRequestWaitMs);
  if (written != static_cast<int32_t>(sizeof request)) return false;

  const int entries = TableEntries();
  const int size = kPhonebookRecordSize * entries + kPhonebookHeadSize;
  const int bodySize = size - kPhonebookHeadSize;
  HeapBytes reply = ZeroedBytes(size);
  if (reply == nullptr) {
    DebugLine("Mfp_GetPhonebook() - Memory Allocation error! \n");
    return false;
  }

  int32_t headRead = DeviceLink::Read(reply.get(), kPhonebookHeadSize);
  DebugLine("ReadData = %d \n", headRead);
  if (headRead != kPhonebookHeadSize) return false;
  TheOs().SleepMs(kBodyWaitMs);

  uint8_t* body = reply.get() + kPhonebookHeadSize;
  int32_t received = DeviceLink::Read(body, bodySize);
  DebugLine("Size to read = %d \n", bodySize);
  DebugLine("ReadData = %d \n", received);
  TraceHexDump(reply.get(), size < kHexDumpLimit ? size : kHexDumpLimit);
  if (received < bodySize) {
    // A slow machine may still be sending: ask for the rest in place.
    TheOs().SleepMs(kRetryWaitMs);
    const int32_t missing = bodySize - received;
    int32_t retry = DeviceLink::Read(body + received, missing);
    DebugLine("Retry Read(n) = %d \n", retry);
    if (retry == 0) {
      TheOs().SleepMs(kRetryWaitMs);
      retry = DeviceLink::Read(body + received, missing);
    }
    received += retry;
  }
  // Only a whole body is an answer: the records that never arrived would
  // otherwise come out as erased entries, and the next write or backup would
  // carry the holes to the machine.
  if (entries == 0 || received < bodySize) return false;

  DebugLine("Length = %d \n", FrameLength(reply.get()));
  DebugLine("Number of entries = %d \n", reply[kGetCountOffset]);
  for (int i = 0; i < entries; ++i) DecodeRecord(body + i * kPhonebookRecordSize, entries);
  return true;
}

bool Mfp_SetPhonebook() {
  DebugLine("===> SET PHONEBOOK <===\n");
  const int entries = TableEntries();
  const int size = kPhonebookRecordSize * entries + kSetHeadSize;
  HeapBytes buffer = ZeroedBytes(size);
  if (buffer == nullptr) {
    DebugLine("Mfp_SetPhonebook() - Memory Allocation error! \n");
    return false;
  }
  uint8_t* request = buffer.get();
  // Bytes no text covers are 0xFF: the machine takes them as "no character".
  std::memset(request, 0xFF, size);
  PutBlockRequestHead(request, size, kCmdWriteBlock, kBlockPhonebook);
  request[kSetCountOffset] = static_cast<uint8_t>(entries);
  for (int i = 0; i < entries; ++i)
    EncodeRecord(request + kSetHeadSize + i * kPhonebookRecordSize, i + 1, phonebookTable[i]);

  int32_t written = DeviceLink::Write(request, size);
  DebugLine("WriteData = %d \n", written);
  if (written < size) {
    // The port may have taken only part of the record while the machine was
    // busy: send the rest once more, and once again if that moved nothing.
    TheOs().SleepMs(kRetryWaitMs);
    const int32_t remaining = size - written;
    int32_t retry = DeviceLink::Write(request + written, remaining);
    DebugLine("WriteData(retry) = %d \n", written);
    if (retry == 0) {
      TheOs().SleepMs(kRetryWaitMs);
      retry = DeviceLink::Write(request + written, remaining);
    }
    written += retry;
  }
  TheOs().SleepMs(kAckWaitMs);
  if (written != size) return false;

  int32_t ackRead = DeviceLink::Read(request, kAckSize);
  DebugLine("Size to read = %d \n", kAckSize);
  DebugLine("ReadData = %d \n", ackRead);
  TraceHexDump(request, kAckSize);
  return AckAccepted(request, ackRead);
}
