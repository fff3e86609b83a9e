// The emulated Quillmark K40: the machine's side of the protocol, portable
// (no windows.h). It takes the host's bytes, parses framed requests, keeps the
// machine's state, queues replies, and can be told to misbehave per command.
//
// Host bytes: 0x1B, channel (0xA4 control, 0xA5 firmware), big-endian length
// of what follows, signature, command, block, operands. A request may arrive
// in any number of Receive calls; it is complete when length + 4 bytes are in.
// Bytes before a leader are skipped (and counted as accepted). A leader whose
// channel is neither 0xA4 nor 0xA5, or whose length is below 4 or above the
// largest phonebook write, is taken for noise and the search resumes at the
// next 0x1B. A complete request that matches no command (or a known command
// with the wrong length) is dropped without a reply and only counted in
// IgnoredRequestCount().
//
// Replies: each complete request first discards whatever is left unread of
// the previous reply (the machine flushes its output on a new command), then
// queues its own. Send hands out up to the asked count and keeps the rest for
// the next Send (the phonebook's 11-byte head, then its body).
//
// Not thread-safe: callers serialise Receive, Send and the rest.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class MachineCommand {
  Inquiry,        // 1B A4 00 04 50 E0 82 CD
  GetSystemInfo,  // ... C1 40
  GetSettings,    // ... C1 41
  SetSettings,    // ... C2 41 + 17 bytes
  SetAdvanced,    // ... C2 40 + 162 bytes
  GetPhonebook,   // ... C1 42 FF
  SetPhonebook,   // ... C2 42 N + 67 * N bytes
  FirmwareStart,  // 1B A5 00 04 (50|40) E0 82 05
  FirmwareData,   // image bytes after the start command
};
constexpr int kMachineCommandCount = 9;

// What one command does wrong, set with K40Machine::SetFault. Each command has
// at most one fault; it lasts until replaced or ClearFaults().
struct MachineFault {
  enum Kind {
    None,
    // Takes the request (a set command is still applied, a firmware start
    // still starts reception) and queues no reply. On FirmwareData: every
    // image byte is refused (Receive returns 0), a machine that stopped
    // listening.
    Silent,
    // The reply is cut to its first `n` bytes (the phonebook reply counts its
    // 11-byte head and body together). No effect when n >= the reply size.
    ShortReply,
    // Per request: the Receive call in which the request's command becomes
    // recognisable (its header bytes held so far plus those in the call)
    // accepts the request's bytes only up to its n-th byte and returns there,
    // refusing the rest of that call; bytes already held before that call are
    // never taken back, so the call may accept 0. Later calls accept normally.
    // No effect when the request is n bytes or shorter. On FirmwareData: the
    // first Receive call that carries image bytes (after each start command)
    // accepts at most `n` of them; later calls accept normally.
    PartialWrite,
    WrongLeader,    // every reply starts with 0x1C instead of 0x1B
    // Every reply carries the other channel: 0xA5 instead of 0xA4 (and 0xA4
    // on the firmware start reply, which normally carries 0xA5).
    WrongChannel,
    // The first reply of the command after SetFault starts with 0x1C; later
    // replies are good.
    FirstReplyBad,
    // Phonebook records come in a fixed shuffled slot order (the same every
    // time); slot numbers still name the right entries. Other commands: none.
    Shuffled,
    // FirmwareData only: as PartialWrite, but for the first two Receive calls
    // that carry image bytes after each start command.
    PartialTwice,
    // FirmwareData only: after `n` image bytes since the start command every
    // further byte is refused (the cable was pulled).
    DiesAfter,
    // The reply is cut to its first `n` bytes and its length field declares
    // n - 4: a machine that sends fewer settings and says so. No effect when
    // n < 4 or n >= the reply size.
    ShortDeclared,
    // The first request of the command after SetFault is taken (and a set
    // command applied) but not answered; later requests are answered.
    FirstSilent,
    // SetPhonebook only: the entry of slot `n` is stored with the last
    // character of its number lost (an empty number becomes "9").
    StoresOneWrong,
  };
  Kind kind = None;
  int n = 0;
};

// What the machine does when it restarts after a firmware image.
enum class FirmwareRestart {
  Applies,  // runs the new image and reports its version
  KeepsOld, // the image did not take: the old version stays
  Silent,   // answers nothing after the restart
};

class K40Machine {
 public:
  static constexpr int kEntries = 80;

  struct Entry {
    std::string name;    // at most 20 characters
    std::string number;  // at most 46 characters; starting with 0xE0: group dial
  };

  struct State {
    uint8_t inquiryMode = 2;                      // inquiry reply byte 42
    std::array<uint8_t, 259> systemInfo{};        // reply bytes 10..268, as on the wire
    std::array<uint8_t, 17> settings{};           // the 17 carried settings, wire order
    std::array<Entry, kEntries> phonebook{};      // slot k at index k - 1
    std::vector<uint8_t> firmwareImage;           // last image received
    uint32_t firmwareImagesReceived = 0;
  };

  K40Machine();  // a realistic machine: identity, counters, settings, some entries

  // The state a new machine starts with (what the constructor installs).
  static State DefaultState();

  State& state() { return state_; }
  const State& state() const { return state_; }

  // Host to machine: returns the count accepted (see PartialWrite and Silent
  // on FirmwareData for the cases where it is below `length`).
  size_t Receive(const uint8_t* bytes, size_t length);
  // Machine to host: up to `length` bytes of what is queued; 0 when nothing is.
  size_t Send(uint8_t* buffer, size_t length);
  size_t Pending() const;

  void SetFault(MachineCommand command, MachineFault fault);
  void ClearFaults();

  // Ends firmware reception (the machine restarts with the new image):
  // firmwareImagesReceived grows by one, any half-received request and any
  // unread reply are dropped. Does nothing when no reception is running.
  //
  // The new image names its version: when it starts with "$IMG", the five
  // bytes after those four hold the firmware version text (ended by a NUL
  // or filling all five). A non-empty text of printable ASCII becomes the
  // system information's firmwareVersion (blank-padded, as the machine
  // keeps its texts); any other image leaves the version as it was.
  //
  // Until the first image byte a start command (either variant, in any
  // number of Receive calls) starts reception again with a new reply: the
  // host resends it after a bad first reply. Bytes held as a possible start
  // command that turn out to be something else are image bytes.
  void EndFirmware();
  bool ReceivingFirmware() const;
  // How the next restarts go (not kept in the state file).
  void SetFirmwareRestart(FirmwareRestart restart) { restart_ = restart; }

  // Every complete request, as received (tests). A firmware start is one
  // entry; the image that follows is one FirmwareData entry, opened by its
  // first accepted byte and extended with every later one (so during a
  // transfer Requests().back() is the image so far). A start command with no
  // image bytes before EndFirmware leaves no FirmwareData entry.
  const std::vector<std::vector<uint8_t>>& Requests() const { return requests_; }
  std::vector<MachineCommand> RequestKinds() const;
  // Empties Requests() and RequestKinds(); an image still arriving goes on
  // in a FirmwareData entry of its own. The host of a running panel keeps no
  // history: it would grow with every command.
  void ForgetRequests();
  // Complete requests that matched no command (dropped, not in Requests()).
  size_t IgnoredRequestCount() const { return ignoredRequests_; }

  // The state kept in a file, so what the panel writes survives a restart.
  // A versioned binary file with a checksum; written to a temporary name and
  // then moved over `path`. LoadState returns false and leaves the state as
  // it was when the file is missing, short, of another version or damaged.
  bool SaveState(const std::string& path) const;
  bool LoadState(const std::string& path);

 private:
  void HandleRequest();
  void QueueReply(MachineCommand command, std::vector<uint8_t> reply);
  size_t TakeFirmware(const uint8_t* bytes, size_t length);
  size_t HoldStartCommand(const uint8_t* bytes, size_t length);
  void AppendImage(const uint8_t* bytes, size_t length);
  void TakeVersionFromImage();
  void DropNoise();

  State state_;
  std::vector<std::vector<uint8_t>> requests_;
  std::vector<MachineCommand> kinds_;
  std::vector<uint8_t> pendingRequest_;
  bool requestCutChecked_ = false;  // PartialWrite already judged for this request
  std::vector<uint8_t> reply_;
  size_t replyPos_ = 0;
  std::array<MachineFault, kMachineCommandCount> faults_{};
  std::array<int, kMachineCommandCount> answered_{};  // replies since SetFault
  bool firmwareMode_ = false;
  int firmwareCuts_ = 0;            // PartialWrite / PartialTwice cuts made on this image
  size_t firmwareTaken_ = 0;        // image bytes since the start command
  std::vector<uint8_t> startHeld_;  // before the first image byte: a start command so far
  bool firmwareLogged_ = false;     // this image has its FirmwareData entry
  size_t ignoredRequests_ = 0;
  FirmwareRestart restart_ = FirmwareRestart::Applies;
};
