// The machine's commands. Each makes one exchange over DeviceLink, writes its
// trace lines, and returns success; none shows anything to the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

// Record frame.
constexpr uint8_t kLeader = 0x1B;
constexpr uint8_t kControlChannel = 0xA4;
constexpr uint8_t kFirmwareChannel = 0xA5;
constexpr uint8_t kCmdInquiry = 0xCD;
constexpr uint8_t kCmdReadBlock = 0xC1;
constexpr uint8_t kCmdWriteBlock = 0xC2;
constexpr uint8_t kCmdFirmwareStart = 0x05;
constexpr uint8_t kBlockSystemInfo = 0x40;
constexpr uint8_t kBlockSettings = 0x41;
constexpr uint8_t kBlockPhonebook = 0x42;

constexpr int kInquiryReplySize = 43;
constexpr int kSystemInfoReplySize = 269;
constexpr int kSettingsReplySize = 27;
constexpr int kSetSettingsRequestSize = 26;
constexpr int kSetAdvancedRequestSize = 171;
constexpr int kAckSize = 10;
constexpr int kPhonebookHeadSize = 11;
constexpr int kPhonebookRecordSize = 67;

// A request or reply buffer from the heap, freed with its owner; null when
// memory runs out (the commands report that and fail).
struct FreeDeleter {
  void operator()(uint8_t* bytes) const { std::free(bytes); }
};
using HeapBytes = std::unique_ptr<uint8_t[], FreeDeleter>;
inline HeapBytes ZeroedBytes(size_t size) {
  return HeapBytes(static_cast<uint8_t*>(std::calloc(size, 1)));
}

// 8 bytes per line: offset, hex fields, printable characters.
void TraceHexDump(const uint8_t* bytes, int count);

// Frame helpers. Numbers on the wire are big-endian.
uint16_t GetBigEndian16(const uint8_t* bytes);
uint32_t GetBigEndian32(const uint8_t* bytes);
void PutBigEndian16(uint8_t* bytes, uint16_t value);
// Leader, control channel, length (total - 4), signature 50 E0 82, command and
// block selector: the first 9 bytes of a block request of `total` bytes.
void PutBlockRequestHead(uint8_t* record, int total, uint8_t command, uint8_t block);
// The length field of a record: the count of the bytes after the first four.
inline uint16_t FrameLength(const uint8_t* record) { return GetBigEndian16(record + 2); }

// Sends the 9-byte read request for `block`, waits `waitMs` for the machine to
// prepare its reply (also when the request did not go out whole, so every
// attempt costs the same) and reads at most `replySize` bytes into a zeroed
// buffer, setting `received`. Null when the request did not go out whole or
// memory ran out; the latter is traced under `command`, the caller's name.
HeapBytes ReadBlockReply(uint8_t block, uint32_t waitMs, int replySize, const char* command,
                         int32_t& received);

// An acknowledgement of `count` bytes is whole when the count is its length
// field plus 4 (a count of 4 or less declares nothing).
bool AckAccepted(const uint8_t* ack, int32_t count);

bool Mfp_Inquiry();
bool Mfp_GetSystemInfo();
struct SystemInfo;
// Told of every successful Mfp_GetSystemInfo, after the record took the
// reply: the programs keep the machine's counters with it. Null: no one.
using SystemInfoListener = void (*)(const SystemInfo& info);
void SetSystemInfoListener(SystemInfoListener listener);
bool Mfp_GetSettings();
// Both succeed once the request went out whole; `acknowledged`, when given,
// tells whether the machine's acknowledgement says it took the settings.
bool Mfp_SetSettings(bool* acknowledged = nullptr);
bool Mfp_SetAdvanced(bool* acknowledged = nullptr);
bool Mfp_GetPhonebook();
bool Mfp_SetPhonebook();

// Trailing blanks (0x20 only) become NULs; returns `text`.
char* TrimTrailingSpaces(char* text);
