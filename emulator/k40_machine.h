// The emulated Quillmark K40: the machine's side of the protocol, portable
// (no windows.h). It takes the host's bytes, parses framed requests, keeps the
// machine's state, queues replies, and can be told to misbehave per command.
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

struct MachineFault {
  enum Kind {
    None,
    Silent,         // takes the request, never answers
    ShortReply,     // the reply is cut to `n` bytes
    PartialWrite,   // of the request (or of one write call) only `n` bytes are accepted
    WrongLeader,    // reply starts with 0x1C instead of 0x1B
    WrongChannel,   // reply carries channel 0xA5 instead of 0xA4
    FirstReplyBad,  // the first reply is wrong-leader, later ones are good
    Shuffled,       // phonebook records come in a shuffled slot order
  };
  Kind kind = None;
  int n = 0;
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

  State& state() { return state_; }
  const State& state() const { return state_; }

  // Host to machine: returns the count accepted.
  size_t Receive(const uint8_t* bytes, size_t length);
  // Machine to host: up to `length` bytes of what is queued; 0 when nothing is.
  size_t Send(uint8_t* buffer, size_t length);
  size_t Pending() const;

  void SetFault(MachineCommand command, MachineFault fault);
  void ClearFaults();

  // Ends firmware reception (the machine restarts with the new image).
  void EndFirmware();
  bool ReceivingFirmware() const;

  // Every complete request, as received (tests).
  const std::vector<std::vector<uint8_t>>& Requests() const { return requests_; }
  std::vector<MachineCommand> RequestKinds() const;

  // The state kept in a file, so what the panel writes survives a restart.
  bool SaveState(const std::string& path) const;
  bool LoadState(const std::string& path);

 private:
  State state_;
  // Implementation details are the implementer's; see k40_machine.cpp.
  struct Impl;
  std::vector<std::vector<uint8_t>> requests_;
  std::vector<uint8_t> pendingRequest_;
  std::vector<uint8_t> reply_;
  size_t replyPos_ = 0;
  std::array<MachineFault, kMachineCommandCount> faults_{};
  std::array<int, kMachineCommandCount> answered_{};
  bool firmwareMode_ = false;
};
