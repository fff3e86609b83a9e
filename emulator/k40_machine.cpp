// The emulated Quillmark K40: request parsing, the replies of each command,
// the machine's default identity and phonebook, fault injection and the state
// file. Portable; the link stand-ins and tests drive it through Receive/Send.
#include "emulator/k40_machine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint8_t kLeader = 0x1B;
constexpr uint8_t kBadLeader = 0x1C;
constexpr uint8_t kControlChannel = 0xA4;
constexpr uint8_t kFirmwareChannel = 0xA5;
constexpr uint8_t kGetBlock = 0xC1;
constexpr uint8_t kSetBlock = 0xC2;
constexpr uint8_t kInquiryCode = 0xCD;
constexpr uint8_t kFirmwareStartCode = 0x05;
constexpr uint8_t kSystemInfoBlock = 0x40;
constexpr uint8_t kSettingsBlock = 0x41;
constexpr uint8_t kPhonebookBlock = 0x42;

constexpr size_t kNameWidth = 20;
constexpr size_t kNumberWidth = 46;
constexpr size_t kRecordSize = 1 + kNameWidth + kNumberWidth;  // 67
constexpr size_t kSystemInfoReplySize = 269;
constexpr size_t kSettingsReplySize = 27;
constexpr size_t kAckSize = 10;
constexpr size_t kInquiryReplySize = 43;
constexpr size_t kFirmwareReplySize = 9;
constexpr size_t kAdvancedPayload = 162;
// The largest request: a phonebook write of 255 records.
constexpr size_t kMaxLength = 6 + kRecordSize * 255;

// systemInfo holds reply bytes 10..268; these are reply offsets.
constexpr size_t kInfoBase = 10;

int Index(MachineCommand c) { return static_cast<int>(c); }

void PutText(uint8_t* at, size_t width, const std::string& text) {
  std::memset(at, ' ', width);
  std::memcpy(at, text.data(), std::min(width, text.size()));
}

void PutInfoText(std::array<uint8_t, 259>& info, size_t offset, size_t width,
                 const std::string& text) {
  PutText(info.data() + offset - kInfoBase, width, text);
}

void PutInfoCounter(std::array<uint8_t, 259>& info, size_t offset, uint32_t value) {
  uint8_t* p = info.data() + offset - kInfoBase;
  p[0] = static_cast<uint8_t>(value >> 24);
  p[1] = static_cast<uint8_t>(value >> 16);
  p[2] = static_cast<uint8_t>(value >> 8);
  p[3] = static_cast<uint8_t>(value);
}

void PutInfoByte(std::array<uint8_t, 259>& info, size_t offset, uint8_t value) {
  info[offset - kInfoBase] = value;
}

// Host texts in a phonebook write end at the first 0xFF (the host's filler) or
// NUL; a host that space-pads gets its trailing blanks dropped, since the
// machine pads with blanks on the way out anyway.
std::string TakeWireText(const uint8_t* at, size_t width) {
  size_t end = 0;
  while (end < width && at[end] != 0xFF && at[end] != 0x00) ++end;
  while (end > 0 && at[end - 1] == ' ') --end;
  return std::string(reinterpret_cast<const char*>(at), end);
}

std::vector<uint8_t> Frame(uint8_t channel, size_t size, const uint8_t tail[6]) {
  std::vector<uint8_t> reply(size, 0);
  reply[0] = kLeader;
  reply[1] = channel;
  reply[2] = static_cast<uint8_t>((size - 4) >> 8);
  reply[3] = static_cast<uint8_t>(size - 4);
  // Offsets 4..9 echo the request's signature and command; the host ignores them.
  std::memcpy(&reply[4], tail, std::min<size_t>(6, size - 4));
  return reply;
}

// Which command a request header names, judged from the `n` bytes known so
// far: NotYet while the bytes that decide it have not arrived.
enum class Recognised { NotYet, Known, Unknown };
Recognised Recognise(const uint8_t* h, size_t n, MachineCommand* out) {
  if (n < 8) return Recognised::NotYet;
  const bool sig = h[5] == 0xE0 && h[6] == 0x82;
  if (h[1] == kFirmwareChannel) {
    if (sig && (h[4] == 0x50 || h[4] == 0x40) && h[7] == kFirmwareStartCode) {
      *out = MachineCommand::FirmwareStart;
      return Recognised::Known;
    }
    return Recognised::Unknown;
  }
  if (!sig || h[4] != 0x50) return Recognised::Unknown;
  if (h[7] == kInquiryCode) {
    *out = MachineCommand::Inquiry;
    return Recognised::Known;
  }
  if (h[7] != kGetBlock && h[7] != kSetBlock) return Recognised::Unknown;
  if (n < 9) return Recognised::NotYet;
  const bool get = h[7] == kGetBlock;
  switch (h[8]) {
    case kSystemInfoBlock:
      *out = get ? MachineCommand::GetSystemInfo : MachineCommand::SetAdvanced;
      return Recognised::Known;
    case kSettingsBlock:
      *out = get ? MachineCommand::GetSettings : MachineCommand::SetSettings;
      return Recognised::Known;
    case kPhonebookBlock:
      *out = get ? MachineCommand::GetPhonebook : MachineCommand::SetPhonebook;
      return Recognised::Known;
    default:
      return Recognised::Unknown;
  }
}

// A complete request's length must fit its command, else it is dropped.
bool LengthFits(MachineCommand c, const std::vector<uint8_t>& r) {
  const size_t length = r.size() - 4;
  switch (c) {
    case MachineCommand::Inquiry:
    case MachineCommand::FirmwareStart:
      return length == 4;
    case MachineCommand::GetSystemInfo:
    case MachineCommand::GetSettings:
      return length == 5;
    case MachineCommand::GetPhonebook:
      return length == 6;
    case MachineCommand::SetSettings:
      return length == 5 + 17;
    case MachineCommand::SetAdvanced:
      return length == 5 + kAdvancedPayload;
    case MachineCommand::SetPhonebook:
      return length >= 6 && (length - 6) % kRecordSize == 0 &&
             (length - 6) / kRecordSize == r[9];
    case MachineCommand::FirmwareData:
      return false;
  }
  return false;
}

}  // namespace

K40Machine::State K40Machine::DefaultState() {
  State s;
  s.inquiryMode = 2;

  auto& info = s.systemInfo;
  PutInfoText(info, 10, 32, "QUILLMARK K40 SERIES");
  PutInfoText(info, 42, 20, "+55 11 3061 4400");
  PutInfoText(info, 62, 20, "PAPELARIA SAO BENTO");
  PutInfoText(info, 82, 5, "1.04");
  PutInfoText(info, 87, 5, "2.01");
  PutInfoText(info, 92, 15, "PCL 6 V1.10");
  PutInfoText(info, 107, 15, "PCL 5E V2.05");
  PutInfoByte(info, 122, 87);
  PutInfoCounter(info, 123, 12408);   // platen scans
  PutInfoCounter(info, 127, 5310);    // feeder scans
  PutInfoCounter(info, 131, 48231);   // printed pages
  PutInfoCounter(info, 135, 9812);    // drum
  PutInfoCounter(info, 139, 17);      // feeder jams
  PutInfoCounter(info, 143, 42);      // print jams
  PutInfoByte(info, 147, 2);          // TEL/FAX
  PutInfoText(info, 148, 5, "0");
  PutInfoByte(info, 153, 5);          // ringer volume
  PutInfoByte(info, 154, 1);          // alarm
  PutInfoByte(info, 155, 1);          // key sound
  PutInfoByte(info, 156, 2);          // speaker COM
  PutInfoByte(info, 157, 3);          // Portuguese
  PutInfoByte(info, 158, 0);          // toner save
  PutInfoByte(info, 159, 1);          // USB fast
  PutInfoByte(info, 160, 0);          // fax duplex off
  PutInfoByte(info, 161, 0);          // image quality normal
  PutInfoByte(info, 162, 1);          // notify toner low
  PutInfoText(info, 163, 20, "PAPELARIA SAO BENTO");
  PutInfoText(info, 183, 20, "11 3061 4400");
  PutInfoText(info, 203, 46, "ASSISTENCIA VELTRA 0800 771 2040");
  PutInfoText(info, 249, 20, "K40BR0712345");

  s.settings = {
      1,   // cassette 1: A4
      1,   // bypass: A4
      0,   // bypass type: plain paper
      2,   // sending confirmation: on error
      1,   // auto journal
      5,   // remote receive code *5*
      2,   // power save 10 minutes
      1,   // ECM
      1,   // Rx reduction
      0,   // horizontal reduction
      10,  // discard size, mm
      3,   // redial interval, minutes
      7,   // redial count
      2,   // rings to answer
      1,   // memory transmission
      1,   // local ID
      1,   // 24-hour clock
  };

  auto put = [&s](int slot, const char* name, std::string number) {
    s.phonebook[slot - 1] = Entry{name, std::move(number)};
  };
  put(1, "JOAO DA SILVA", "01133456789");
  put(2, "MARIA OLIVEIRA", "02125551234");
  put(3, "PADARIA BOM PAO", "1132145566");
  put(4, "CONTABILIDADE", "08007045522");
  put(5, "CARLOS PEREIRA", "011987654321");
  put(6, "ANA PAULA SOUZA", "03134567890");
  put(7, "ESCRITORIO CURITIBA", "04132229876");
  // A group dial: the mark, then the member slots.
  put(8, "GRUPO VENDAS", std::string("\xE0\x01\x02\x05", 4));
  put(15, "FARMACIA CENTRAL", "P1133331212");
  return s;
}

K40Machine::K40Machine() : state_(DefaultState()) {}

std::vector<MachineCommand> K40Machine::RequestKinds() const { return kinds_; }

void K40Machine::ForgetRequests() {
  requests_.clear();
  kinds_.clear();
  firmwareLogged_ = false;
}

size_t K40Machine::Pending() const { return reply_.size() - replyPos_; }

size_t K40Machine::Send(uint8_t* buffer, size_t length) {
  const size_t n = std::min(length, Pending());
  if (n > 0) std::memcpy(buffer, reply_.data() + replyPos_, n);
  replyPos_ += n;
  if (replyPos_ == reply_.size()) {
    reply_.clear();
    replyPos_ = 0;
  }
  return n;
}

void K40Machine::SetFault(MachineCommand command, MachineFault fault) {
  faults_[Index(command)] = fault;
  answered_[Index(command)] = 0;
}

void K40Machine::ClearFaults() {
  faults_.fill(MachineFault{});
  answered_.fill(0);
}

bool K40Machine::ReceivingFirmware() const { return firmwareMode_; }

void K40Machine::EndFirmware() {
  if (!firmwareMode_) return;
  firmwareMode_ = false;
  if (!startHeld_.empty()) {
    // Only a piece of a start command came: that was image after all.
    std::vector<uint8_t> held;
    held.swap(startHeld_);
    AppendImage(held.data(), held.size());
  }
  ++state_.firmwareImagesReceived;
  if (restart_ == FirmwareRestart::Applies) TakeVersionFromImage();
  if (restart_ == FirmwareRestart::Silent) {
    for (int i = 0; i < kMachineCommandCount; ++i)
      SetFault(static_cast<MachineCommand>(i), MachineFault{MachineFault::Silent, 0});
  }
  // A restart forgets whatever was in flight.
  pendingRequest_.clear();
  requestCutChecked_ = false;
  reply_.clear();
  replyPos_ = 0;
}

size_t K40Machine::TakeFirmware(const uint8_t* bytes, size_t length) {
  const MachineFault& fault = faults_[Index(MachineCommand::FirmwareData)];
  if (fault.kind == MachineFault::Silent || length == 0) return 0;
  const size_t limit = static_cast<size_t>(std::max(fault.n, 0));
  size_t take = length;
  const int cuts = fault.kind == MachineFault::PartialWrite   ? 1
                   : fault.kind == MachineFault::PartialTwice ? 2
                                                              : 0;
  if (firmwareCuts_ < cuts) {
    take = std::min(length, limit);
    ++firmwareCuts_;
  }
  if (fault.kind == MachineFault::DiesAfter)
    take = firmwareTaken_ >= limit ? 0 : std::min(length, limit - firmwareTaken_);
  if (take == 0) return 0;
  AppendImage(bytes, take);
  return take;
}

void K40Machine::AppendImage(const uint8_t* bytes, size_t take) {
  firmwareTaken_ += take;
  state_.firmwareImage.insert(state_.firmwareImage.end(), bytes, bytes + take);
  if (!firmwareLogged_) {
    requests_.emplace_back();
    kinds_.push_back(MachineCommand::FirmwareData);
    firmwareLogged_ = true;
  }
  requests_.back().insert(requests_.back().end(), bytes, bytes + take);
}

// Takes the bytes that continue a start command held so far (either
// variant); returns how many, stopping at the first that does not fit.
size_t K40Machine::HoldStartCommand(const uint8_t* bytes, size_t length) {
  static constexpr uint8_t kStart[8] = {kLeader, kFirmwareChannel, 0x00, 0x04, 0x50, 0xE0, 0x82,
                                        kFirmwareStartCode};
  size_t n = 0;
  while (n < length && startHeld_.size() < sizeof kStart) {
    const size_t at = startHeld_.size();
    const bool fits = bytes[n] == kStart[at] || (at == 4 && bytes[n] == 0x40);
    if (!fits) break;
    startHeld_.push_back(bytes[n++]);
  }
  return n;
}

void K40Machine::TakeVersionFromImage() {
  constexpr size_t kSignature = 4, kVersionWidth = 5;
  const std::vector<uint8_t>& image = state_.firmwareImage;
  if (image.size() < kSignature + kVersionWidth || std::memcmp(image.data(), "$IMG", kSignature) != 0)
    return;
  std::string version;
  for (size_t i = kSignature; i < kSignature + kVersionWidth && image[i] != 0; ++i) {
    if (image[i] < 0x20 || image[i] > 0x7E) return;
    version += static_cast<char>(image[i]);
  }
  if (!version.empty()) PutInfoText(state_.systemInfo, 82, kVersionWidth, version);
}

// The bytes held do not start a plausible frame: drop the leader and look for
// the next one among what is held.
void K40Machine::DropNoise() {
  auto next = std::find(pendingRequest_.begin() + 1, pendingRequest_.end(), kLeader);
  pendingRequest_.erase(pendingRequest_.begin(), next);
  requestCutChecked_ = false;
}

size_t K40Machine::Receive(const uint8_t* bytes, size_t length) {
  size_t accepted = 0;
  size_t cutAt = SIZE_MAX;  // index in this call where PartialWrite stops it
  while (accepted < length) {
    if (firmwareMode_) {
      if (!firmwareLogged_) {
        accepted += HoldStartCommand(bytes + accepted, length - accepted);
        if (startHeld_.size() == 8) {
          pendingRequest_.swap(startHeld_);
          startHeld_.clear();
          HandleRequest();  // a start again: reception begins anew
          continue;
        }
        if (accepted == length) return accepted;
        if (!startHeld_.empty()) {
          std::vector<uint8_t> held;
          held.swap(startHeld_);
          AppendImage(held.data(), held.size());
        }
      }
      return accepted + TakeFirmware(bytes + accepted, length - accepted);
    }

    if (pendingRequest_.empty() && bytes[accepted] != kLeader) {
      ++accepted;  // noise between requests
      continue;
    }

    if (!requestCutChecked_) {
      uint8_t head[9];
      size_t known = std::min(pendingRequest_.size(), sizeof head);
      std::copy_n(pendingRequest_.begin(), known, head);
      for (size_t i = accepted; known < sizeof head && i < length; ++i) head[known++] = bytes[i];
      MachineCommand command{};
      const Recognised r = Recognise(head, known, &command);
      if (r != Recognised::NotYet) {
        requestCutChecked_ = true;
        const MachineFault& fault = faults_[Index(command)];
        if (r == Recognised::Known && fault.kind == MachineFault::PartialWrite) {
          const size_t limit = static_cast<size_t>(std::max(fault.n, 0));
          const size_t held = pendingRequest_.size();
          cutAt = accepted + (limit > held ? limit - held : 0);
        }
      }
    }
    if (accepted == cutAt) return accepted;

    pendingRequest_.push_back(bytes[accepted++]);
    const size_t held = pendingRequest_.size();
    if (held == 4) {
      const size_t declared = (size_t{pendingRequest_[2]} << 8) | pendingRequest_[3];
      const uint8_t channel = pendingRequest_[1];
      if ((channel != kControlChannel && channel != kFirmwareChannel) || declared < 4 ||
          declared > kMaxLength) {
        DropNoise();
        cutAt = SIZE_MAX;
        continue;
      }
    }
    if (held >= 4 && held == 4 + ((size_t{pendingRequest_[2]} << 8) | pendingRequest_[3])) {
      HandleRequest();
      cutAt = SIZE_MAX;
    }
  }
  return accepted;
}

void K40Machine::QueueReply(MachineCommand command, std::vector<uint8_t> reply) {
  const MachineFault& fault = faults_[Index(command)];
  const int count = answered_[Index(command)]++;
  switch (fault.kind) {
    case MachineFault::Silent:
      return;
    case MachineFault::ShortReply:
      if (fault.n >= 0 && static_cast<size_t>(fault.n) < reply.size()) reply.resize(fault.n);
      break;
    case MachineFault::FirstSilent:
      if (count == 0) return;
      break;
    case MachineFault::ShortDeclared:
      if (fault.n >= 4 && static_cast<size_t>(fault.n) < reply.size()) {
        reply.resize(fault.n);
        reply[2] = static_cast<uint8_t>((fault.n - 4) >> 8);
        reply[3] = static_cast<uint8_t>(fault.n - 4);
      }
      break;
    case MachineFault::WrongLeader:
      reply[0] = kBadLeader;
      break;
    case MachineFault::WrongChannel:
      reply[1] = reply[1] == kControlChannel ? kFirmwareChannel : kControlChannel;
      break;
    case MachineFault::FirstReplyBad:
      if (count == 0) reply[0] = kBadLeader;
      break;
    default:
      break;
  }
  reply_ = std::move(reply);
  replyPos_ = 0;
}

void K40Machine::HandleRequest() {
  std::vector<uint8_t> request;
  request.swap(pendingRequest_);
  requestCutChecked_ = false;
  // A new command flushes what the host left unread of the last reply.
  reply_.clear();
  replyPos_ = 0;

  MachineCommand command{};
  if (Recognise(request.data(), request.size(), &command) != Recognised::Known ||
      !LengthFits(command, request)) {
    ++ignoredRequests_;
    return;
  }
  requests_.push_back(request);
  kinds_.push_back(command);

  const uint8_t* r = request.data();
  switch (command) {
    case MachineCommand::Inquiry: {
      const uint8_t tail[6] = {0x50, 0xE0, 0x82, kInquiryCode, 0x00, 0x00};
      auto reply = Frame(kControlChannel, kInquiryReplySize, tail);
      PutText(&reply[10], 32, "VELTRA QUILLMARK K40 SERIES");
      reply[42] = state_.inquiryMode;
      QueueReply(command, std::move(reply));
      break;
    }
    case MachineCommand::GetSystemInfo: {
      const uint8_t tail[6] = {0x50, 0xE0, 0x82, kGetBlock, kSystemInfoBlock, 0x00};
      auto reply = Frame(kControlChannel, kSystemInfoReplySize, tail);
      std::copy(state_.systemInfo.begin(), state_.systemInfo.end(), reply.begin() + 10);
      QueueReply(command, std::move(reply));
      break;
    }
    case MachineCommand::GetSettings: {
      const uint8_t tail[6] = {0x50, 0xE0, 0x82, kGetBlock, kSettingsBlock, 0x00};
      auto reply = Frame(kControlChannel, kSettingsReplySize, tail);
      std::copy(state_.settings.begin(), state_.settings.end(), reply.begin() + 10);
      QueueReply(command, std::move(reply));
      break;
    }
    case MachineCommand::SetSettings: {
      std::copy(r + 9, r + 9 + state_.settings.size(), state_.settings.begin());
      const uint8_t tail[6] = {0x50, 0xE0, 0x82, kSetBlock, kSettingsBlock, 0x00};
      QueueReply(command, Frame(kControlChannel, kAckSize, tail));
      break;
    }
    case MachineCommand::SetAdvanced: {
      // The payload is the two terminal-ID texts, then reply bytes 147..268.
      const uint8_t* p = r + 9;
      std::copy(p, p + 40, state_.systemInfo.begin() + (42 - kInfoBase));
      std::copy(p + 40, p + kAdvancedPayload, state_.systemInfo.begin() + (147 - kInfoBase));
      const uint8_t tail[6] = {0x50, 0xE0, 0x82, kSetBlock, kSystemInfoBlock, 0x00};
      QueueReply(command, Frame(kControlChannel, kAckSize, tail));
      break;
    }
    case MachineCommand::GetPhonebook: {
      const uint8_t tail[6] = {0x50, 0xE0, 0x82, kGetBlock, kPhonebookBlock, r[9]};
      auto reply = Frame(kControlChannel, 11 + kRecordSize * kEntries, tail);
      reply[10] = kEntries;
      const bool shuffled = faults_[Index(command)].kind == MachineFault::Shuffled;
      for (int i = 0; i < kEntries; ++i) {
        // 37 is prime to 80, so this visits every slot once, out of order.
        const int index = shuffled ? (i * 37 + 11) % kEntries : i;
        uint8_t* rec = &reply[11 + kRecordSize * i];
        rec[0] = static_cast<uint8_t>(index + 1);
        PutText(rec + 1, kNameWidth, state_.phonebook[index].name);
        PutText(rec + 1 + kNameWidth, kNumberWidth, state_.phonebook[index].number);
      }
      QueueReply(command, std::move(reply));
      break;
    }
    case MachineCommand::SetPhonebook: {
      const size_t records = r[9];
      for (size_t i = 0; i < records; ++i) {
        const uint8_t* rec = r + 10 + kRecordSize * i;
        const int slot = rec[0];
        if (slot < 1 || slot > kEntries) continue;  // the machine has slots 1..80 only
        Entry& e = state_.phonebook[slot - 1];
        e.name = TakeWireText(rec + 1, kNameWidth);
        e.number = TakeWireText(rec + 1 + kNameWidth, kNumberWidth);
        if (faults_[Index(command)].kind == MachineFault::StoresOneWrong && slot == faults_[Index(command)].n) {
          if (e.number.empty()) e.number.assign(1, '9');
          else e.number.pop_back();
        }
      }
      const uint8_t tail[6] = {0x50, 0xE0, 0x82, kSetBlock, kPhonebookBlock, 0x00};
      QueueReply(command, Frame(kControlChannel, kAckSize, tail));
      break;
    }
    case MachineCommand::FirmwareStart: {
      firmwareMode_ = true;
      firmwareCuts_ = 0;
      firmwareTaken_ = 0;
      firmwareLogged_ = false;
      state_.firmwareImage.clear();
      // Only the DeviceLink road's variant is answered; the direct parallel
      // roads never read a reply.
      if (r[4] == 0x50) {
        const uint8_t tail[6] = {0x50, 0xE0, 0x82, kFirmwareStartCode, 0x00, 0x00};
        QueueReply(command, Frame(kFirmwareChannel, kFirmwareReplySize, tail));
      }
      break;
    }
    case MachineCommand::FirmwareData:
      break;
  }
}

// ---------------------------------------------------------------------------
// State file: "K40STATE", version, the state's fields in order, then an
// FNV-1a checksum of everything before it. Numbers little-endian.

namespace {

constexpr char kMagic[8] = {'K', '4', '0', 'S', 'T', 'A', 'T', 'E'};
constexpr uint32_t kStateVersion = 1;
// Far above any real image; guards against a damaged size field.
constexpr uint32_t kMaxImage = 64u << 20;

uint32_t Fnv1a(const uint8_t* p, size_t n) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
  return h;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

class Reader {
 public:
  Reader(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  bool Bytes(void* out, size_t n) {
    if (n > n_ - pos_) return false;
    if (n == 0) return true;
    std::memcpy(out, p_ + pos_, n);
    pos_ += n;
    return true;
  }
  bool U8(uint8_t& v) { return Bytes(&v, 1); }
  bool U32(uint32_t& v) {
    uint8_t b[4];
    if (!Bytes(b, 4)) return false;
    v = b[0] | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
    return true;
  }
  bool Text(std::string& s, size_t max) {
    uint8_t len;
    if (!U8(len) || len > max || len > n_ - pos_) return false;
    s.assign(reinterpret_cast<const char*>(p_ + pos_), len);
    pos_ += len;
    return true;
  }
  size_t Left() const { return n_ - pos_; }

 private:
  const uint8_t* p_;
  size_t n_;
  size_t pos_ = 0;
};

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t chunk[65536];
  size_t n;
  bool ok = true;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    out.insert(out.end(), chunk, chunk + n);
    if (out.size() > kMaxImage + (1u << 20)) {
      ok = false;
      break;
    }
  }
  if (std::ferror(f)) ok = false;
  std::fclose(f);
  return ok;
}

}  // namespace

bool K40Machine::SaveState(const std::string& path) const {
  if (state_.firmwareImage.size() > kMaxImage) return false;
  std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
  PutU32(out, kStateVersion);
  out.push_back(state_.inquiryMode);
  out.insert(out.end(), state_.systemInfo.begin(), state_.systemInfo.end());
  out.insert(out.end(), state_.settings.begin(), state_.settings.end());
  for (const Entry& e : state_.phonebook) {
    const size_t nameLen = std::min(e.name.size(), kNameWidth);
    const size_t numberLen = std::min(e.number.size(), kNumberWidth);
    out.push_back(static_cast<uint8_t>(nameLen));
    out.insert(out.end(), e.name.begin(), e.name.begin() + nameLen);
    out.push_back(static_cast<uint8_t>(numberLen));
    out.insert(out.end(), e.number.begin(), e.number.begin() + numberLen);
  }
  PutU32(out, state_.firmwareImagesReceived);
  PutU32(out, static_cast<uint32_t>(state_.firmwareImage.size()));
  out.insert(out.end(), state_.firmwareImage.begin(), state_.firmwareImage.end());
  PutU32(out, Fnv1a(out.data(), out.size()));

  // Written aside and moved into place, so a crash mid-write leaves the old
  // file (or none), never a half one under the real name.
  const std::string temp = path + ".tmp";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) {
    std::remove(temp.c_str());
    return false;
  }
  std::remove(path.c_str());  // rename does not replace on Windows
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

bool K40Machine::LoadState(const std::string& path) {
  std::vector<uint8_t> file;
  if (!ReadWholeFile(path, file)) return false;
  if (file.size() < sizeof kMagic + 8) return false;
  const size_t body = file.size() - 4;
  Reader sum(file.data() + body, 4);
  uint32_t stored = 0;
  if (!sum.U32(stored) || stored != Fnv1a(file.data(), body)) return false;

  Reader in(file.data(), body);
  char magic[sizeof kMagic];
  uint32_t version = 0;
  if (!in.Bytes(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof kMagic) != 0)
    return false;
  if (!in.U32(version) || version != kStateVersion) return false;

  State s;
  if (!in.U8(s.inquiryMode) || !in.Bytes(s.systemInfo.data(), s.systemInfo.size()) ||
      !in.Bytes(s.settings.data(), s.settings.size()))
    return false;
  for (Entry& e : s.phonebook) {
    if (!in.Text(e.name, kNameWidth) || !in.Text(e.number, kNumberWidth)) return false;
  }
  uint32_t imageSize = 0;
  if (!in.U32(s.firmwareImagesReceived) || !in.U32(imageSize) || imageSize > kMaxImage ||
      imageSize != in.Left())
    return false;
  s.firmwareImage.resize(imageSize);
  if (!in.Bytes(s.firmwareImage.data(), imageSize)) return false;
  state_ = std::move(s);
  return true;
}
