// Tests of the emulated Quillmark K40: the bytes of every reply, requests that
// arrive in pieces or among noise, set commands read back, the faults it can
// be told to commit, firmware reception and the state file.
#include "emulator/k40_machine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kInquiry = {0x1B, 0xA4, 0x00, 0x04, 0x50, 0xE0, 0x82, 0xCD};
const Bytes kGetSystemInfo = {0x1B, 0xA4, 0x00, 0x05, 0x50, 0xE0, 0x82, 0xC1, 0x40};
const Bytes kGetSettings = {0x1B, 0xA4, 0x00, 0x05, 0x50, 0xE0, 0x82, 0xC1, 0x41};
const Bytes kGetPhonebook = {0x1B, 0xA4, 0x00, 0x06, 0x50, 0xE0, 0x82, 0xC1, 0x42, 0xFF};
const Bytes kFirmwareStartLink = {0x1B, 0xA5, 0x00, 0x04, 0x50, 0xE0, 0x82, 0x05};
const Bytes kFirmwareStartDirect = {0x1B, 0xA5, 0x00, 0x04, 0x40, 0xE0, 0x82, 0x05};

constexpr size_t kPhonebookReply = 11 + 67 * 80;

size_t Put(K40Machine& m, const Bytes& b) { return m.Receive(b.data(), b.size()); }

Bytes TakeAll(K40Machine& m) {
  Bytes out(m.Pending());
  out.resize(m.Send(out.data(), out.size()));
  return out;
}

Bytes Ask(K40Machine& m, const Bytes& request) {
  EXPECT_EQ(Put(m, request), request.size());
  return TakeAll(m);
}

int Length(const Bytes& reply) { return reply[2] << 8 | reply[3]; }

std::string Text(const Bytes& b, size_t offset, size_t width) {
  return std::string(b.begin() + offset, b.begin() + offset + width);
}

std::string Padded(const std::string& s, size_t width) { return s + std::string(width - s.size(), ' '); }

Bytes SetSettingsRequest(const std::array<uint8_t, 17>& values) {
  Bytes r = {0x1B, 0xA4, 0x00, 0x16, 0x50, 0xE0, 0x82, 0xC2, 0x41};
  r.resize(9 + values.size());
  std::copy(values.begin(), values.end(), r.begin() + 9);
  return r;
}

struct WireEntry {
  int slot;
  std::string name;
  std::string number;
};

// As the panel builds it: text then 0xFF filler.
Bytes SetPhonebookRequest(const std::vector<WireEntry>& entries) {
  const size_t size = 10 + 67 * entries.size();
  Bytes r(size, 0xFF);
  const uint8_t head[] = {0x1B, 0xA4, uint8_t((size - 4) >> 8), uint8_t(size - 4),
                          0x50, 0xE0, 0x82, 0xC2, 0x42, uint8_t(entries.size())};
  std::copy(std::begin(head), std::end(head), r.begin());
  for (size_t i = 0; i < entries.size(); ++i) {
    uint8_t* rec = &r[10 + 67 * i];
    rec[0] = static_cast<uint8_t>(entries[i].slot);
    std::copy(entries[i].name.begin(), entries[i].name.end(), rec + 1);
    std::copy(entries[i].number.begin(), entries[i].number.end(), rec + 21);
  }
  return r;
}

Bytes FullSetPhonebook(const K40Machine::State& s) {
  std::vector<WireEntry> all;
  for (int i = 0; i < 80; ++i) all.push_back({i + 1, s.phonebook[i].name, s.phonebook[i].number});
  return SetPhonebookRequest(all);
}

// ---------------------------------------------------------------------------
// Replies of the read commands

TEST(K40Replies, InquiryIs43BytesWithTheModeByteLast) {
  K40Machine m;
  Bytes reply = Ask(m, kInquiry);
  ASSERT_EQ(reply.size(), 43u);
  EXPECT_EQ(reply[0], 0x1B);
  EXPECT_EQ(reply[1], 0xA4);
  EXPECT_EQ(Length(reply), 0x27);
  EXPECT_EQ(reply[42], 2);

  m.state().inquiryMode = 1;
  EXPECT_EQ(Ask(m, kInquiry)[42], 1);
}

TEST(K40Replies, SystemInfoCarriesTheStateAtOffsetTen) {
  K40Machine m;
  Bytes reply = Ask(m, kGetSystemInfo);
  ASSERT_EQ(reply.size(), 269u);
  EXPECT_EQ(reply[0], 0x1B);
  EXPECT_EQ(reply[1], 0xA4);
  EXPECT_EQ(Length(reply), 0x0109);
  EXPECT_TRUE(std::equal(m.state().systemInfo.begin(), m.state().systemInfo.end(),
                         reply.begin() + 10));
  // A realistic machine: the panel shows these as they come.
  EXPECT_EQ(Text(reply, 10, 32), Padded("QUILLMARK K40 SERIES", 32));
  EXPECT_EQ(Text(reply, 82, 5), "1.04 ");
  EXPECT_EQ(Text(reply, 87, 5), "2.01 ");
  EXPECT_EQ(Text(reply, 92, 15), Padded("PCL 6 V1.10", 15));
  EXPECT_EQ(reply[122], 87);
  EXPECT_EQ(reply[157], 3);  // Portuguese
  EXPECT_LE(reply[147], 3);  // receive mode index
  EXPECT_LE(reply[153], 10);
  EXPECT_LE(reply[156], 2);
  const uint32_t printCount = reply[131] << 24 | reply[132] << 16 | reply[133] << 8 | reply[134];
  EXPECT_GT(printCount, 0u);
  for (size_t i = 163; i < 183; ++i) EXPECT_NE(reply[i], 0) << "customer name byte " << i;
}

TEST(K40Replies, SettingsAre17ValuesWithinTheirRanges) {
  K40Machine m;
  Bytes reply = Ask(m, kGetSettings);
  ASSERT_EQ(reply.size(), 27u);
  EXPECT_EQ(Length(reply), 0x17);
  EXPECT_TRUE(std::equal(m.state().settings.begin(), m.state().settings.end(), reply.begin() + 10));
  const uint8_t max[17] = {2, 2, 7, 2, 1, 9, 5, 1, 1, 1, 30, 15, 13, 7, 1, 1, 1};
  for (int i = 0; i < 17; ++i) EXPECT_LE(reply[10 + i], max[i]) << "setting " << i;
  EXPECT_GE(reply[21], 1);  // redial interval
  EXPECT_GE(reply[23], 1);  // rings to answer
}

TEST(K40Replies, PhonebookIsAHeadThenEightyRecordsInSlotOrder) {
  K40Machine m;
  ASSERT_EQ(Put(m, kGetPhonebook), kGetPhonebook.size());
  ASSERT_EQ(m.Pending(), kPhonebookReply);

  // The panel reads the head alone, pauses, then reads the body.
  Bytes head(11);
  ASSERT_EQ(m.Send(head.data(), 11), 11u);
  EXPECT_EQ(head[0], 0x1B);
  EXPECT_EQ(head[1], 0xA4);
  EXPECT_EQ(Length(head), 7 + 67 * 80);
  EXPECT_EQ(head[10], 80);
  Bytes body = TakeAll(m);
  ASSERT_EQ(body.size(), 67u * 80);
  EXPECT_EQ(m.Pending(), 0u);

  int filled = 0, groups = 0;
  for (int i = 0; i < 80; ++i) {
    const uint8_t* rec = &body[67 * i];
    EXPECT_EQ(rec[0], i + 1);
    const auto& e = m.state().phonebook[i];
    EXPECT_EQ(std::string(rec + 1, rec + 21), Padded(e.name, 20)) << "slot " << i + 1;
    EXPECT_EQ(std::string(rec + 21, rec + 67), Padded(e.number, 46)) << "slot " << i + 1;
    if (!e.name.empty()) ++filled;
    if (rec[21] == 0xE0) ++groups;
  }
  EXPECT_GE(filled, 5);
  EXPECT_LT(filled, 80);
  EXPECT_EQ(groups, 1);
  EXPECT_EQ(std::string(body.begin() + 1, body.begin() + 21), Padded("JOAO DA SILVA", 20));
}

// ---------------------------------------------------------------------------
// How requests arrive

TEST(K40Framing, RequestsSplitAnywhereAreAnsweredOnceComplete) {
  K40Machine m;
  for (uint8_t b : kGetSettings) {
    EXPECT_EQ(m.Pending(), 0u);
    EXPECT_EQ(m.Receive(&b, 1), 1u);
  }
  EXPECT_EQ(TakeAll(m).size(), 27u);

  Bytes set = SetSettingsRequest({});
  EXPECT_EQ(m.Receive(set.data(), 3), 3u);
  EXPECT_EQ(m.Receive(set.data() + 3, 10), 10u);
  EXPECT_EQ(m.Pending(), 0u);
  EXPECT_EQ(m.Receive(set.data() + 13, set.size() - 13), set.size() - 13);
  EXPECT_EQ(TakeAll(m).size(), 10u);
  EXPECT_EQ(m.RequestKinds(),
            (std::vector<MachineCommand>{MachineCommand::GetSettings, MachineCommand::SetSettings}));
  EXPECT_EQ(m.Requests()[1], set);
}

TEST(K40Framing, NoiseIsSkippedAndUnknownRequestsAreDropped) {
  K40Machine m;
  // Noise, a leader with an impossible channel, then a good inquiry.
  Bytes stream = {0x00, 0xFF, 0x42, 0x1B, 0x00, 0x00, 0x04};
  stream.insert(stream.end(), kInquiry.begin(), kInquiry.end());
  EXPECT_EQ(Put(m, stream), stream.size());
  EXPECT_EQ(TakeAll(m).size(), 43u);
  EXPECT_EQ(m.Requests(), std::vector<Bytes>{kInquiry});

  // Well framed but no such command, and a known command with the wrong length.
  EXPECT_EQ(Put(m, {0x1B, 0xA4, 0x00, 0x05, 0x50, 0xE0, 0x82, 0xC1, 0x77}), 9u);
  EXPECT_EQ(Put(m, {0x1B, 0xA4, 0x00, 0x05, 0x50, 0xE0, 0x82, 0xCD, 0x00}), 9u);
  EXPECT_EQ(m.Pending(), 0u);
  EXPECT_EQ(m.IgnoredRequestCount(), 2u);
  EXPECT_EQ(m.Requests().size(), 1u);
}

TEST(K40Framing, TwoRequestsInOneWriteAndANewRequestFlushesTheOldReply) {
  K40Machine m;
  Bytes both = kGetSettings;
  both.insert(both.end(), kInquiry.begin(), kInquiry.end());
  EXPECT_EQ(Put(m, both), both.size());
  EXPECT_EQ(TakeAll(m).size(), 43u);  // only the latest reply is waiting

  ASSERT_EQ(Put(m, kGetPhonebook), kGetPhonebook.size());
  Bytes head(11);
  m.Send(head.data(), 11);
  EXPECT_EQ(Ask(m, kGetSettings).size(), 27u);
}

// ---------------------------------------------------------------------------
// Set commands change the machine

TEST(K40Set, SettingsAreAppliedAndAcknowledged) {
  K40Machine m;
  std::array<uint8_t, 17> values = {0, 2, 7, 1, 0, 9, 5, 0, 0, 1, 30, 15, 13, 7, 0, 0, 0};
  Bytes ack = Ask(m, SetSettingsRequest(values));
  EXPECT_EQ(ack, (Bytes{0x1B, 0xA4, 0x00, 0x06, 0x50, 0xE0, 0x82, 0xC2, 0x41, 0x00}));
  EXPECT_EQ(m.state().settings, values);
  Bytes reply = Ask(m, kGetSettings);
  EXPECT_TRUE(std::equal(values.begin(), values.end(), reply.begin() + 10));
}

TEST(K40Set, AdvancedChangesOnlyTheWritableSystemInfoFields) {
  K40Machine m;
  const Bytes before = Ask(m, kGetSystemInfo);

  Bytes request = {0x1B, 0xA4, 0x00, 0xA7, 0x50, 0xE0, 0x82, 0xC2, 0x40};
  Bytes payload(162);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(0x30 + i % 40);
  request.insert(request.end(), payload.begin(), payload.end());
  ASSERT_EQ(request.size(), 171u);
  EXPECT_EQ(Ask(m, request).size(), 10u);

  const Bytes after = Ask(m, kGetSystemInfo);
  ASSERT_EQ(after.size(), 269u);
  // Terminal ID texts, then offsets 147..268.
  EXPECT_TRUE(std::equal(payload.begin(), payload.begin() + 40, after.begin() + 42));
  EXPECT_TRUE(std::equal(payload.begin() + 40, payload.end(), after.begin() + 147));
  // Model name, versions, memory and counters stay.
  EXPECT_TRUE(std::equal(before.begin(), before.begin() + 42, after.begin()));
  EXPECT_TRUE(std::equal(before.begin() + 82, before.begin() + 147, after.begin() + 82));
}

TEST(K40Set, PhonebookRoundTripsThroughFillerSlotsAndGroupDial) {
  K40Machine m;
  const std::string group("\xE0\x03\x04", 3);
  // Out of order, with slots the machine does not have.
  Bytes request = SetPhonebookRequest({{12, "ANA", ""},
                                       {1, "JOSE  ", "0113"},
                                       {0, "NINGUEM", "999"},
                                       {81, "FORA", "888"},
                                       {40, "GRUPO", group},
                                       {2, "", ""},
                                       {80, std::string(20, 'Z'), std::string(46, '9')}});
  Bytes ack = Ask(m, request);
  ASSERT_EQ(ack.size(), 10u);
  EXPECT_EQ(ack[0], 0x1B);
  EXPECT_EQ(Length(ack) + 4, 10);  // the panel accepts it when A == L + 4

  const auto& book = m.state().phonebook;
  EXPECT_EQ(book[11].name, "ANA");
  EXPECT_EQ(book[11].number, "");
  EXPECT_EQ(book[0].name, "JOSE");
  EXPECT_EQ(book[0].number, "0113");
  EXPECT_EQ(book[39].number, group);
  EXPECT_EQ(book[1].name, "");  // slot 2 emptied
  EXPECT_EQ(book[79].name, std::string(20, 'Z'));
  EXPECT_EQ(book[79].number, std::string(46, '9'));
  const auto defaults = K40Machine::DefaultState().phonebook;
  EXPECT_EQ(book[2].name, defaults[2].name);  // untouched slot

  // Read back: the records name the same slots with blank padding.
  ASSERT_EQ(Put(m, kGetPhonebook), kGetPhonebook.size());
  Bytes reply = TakeAll(m);
  ASSERT_EQ(reply.size(), kPhonebookReply);
  const uint8_t* slot12 = &reply[11 + 67 * 11];
  EXPECT_EQ(slot12[0], 12);
  EXPECT_EQ(std::string(slot12 + 1, slot12 + 67), Padded("ANA", 20) + std::string(46, ' '));
  const uint8_t* slot40 = &reply[11 + 67 * 39];
  EXPECT_EQ(std::string(slot40 + 21, slot40 + 24), group);

  // A whole phonebook sent back unchanged leaves the machine unchanged.
  K40Machine fresh;
  Ask(fresh, FullSetPhonebook(m.state()));
  for (int i = 0; i < 80; ++i) {
    EXPECT_EQ(fresh.state().phonebook[i].name, book[i].name);
    EXPECT_EQ(fresh.state().phonebook[i].number, book[i].number);
  }
}

// ---------------------------------------------------------------------------
// Faults

TEST(K40Faults, ShortDeclaredCutsTheReplyAndSaysSo) {
  K40Machine m;
  m.SetFault(MachineCommand::GetSettings, {MachineFault::ShortDeclared, 20});
  Bytes settings = Ask(m, kGetSettings);
  ASSERT_EQ(settings.size(), 20u);
  EXPECT_EQ(settings[2], 0x00);
  EXPECT_EQ(settings[3], 16);
  EXPECT_EQ(Bytes(settings.begin() + 10, settings.end()),
            Bytes(m.state().settings.begin(), m.state().settings.begin() + 10));
  for (int n : {3, 27, 40}) {
    m.SetFault(MachineCommand::GetSettings, {MachineFault::ShortDeclared, n});
    Bytes whole = Ask(m, kGetSettings);
    EXPECT_EQ(whole.size(), 27u) << n;
    EXPECT_EQ(whole[3], 23) << n;
  }
}

TEST(K40Faults, FirstSilentMissesOnlyTheFirstAnswer) {
  K40Machine m;
  m.SetFault(MachineCommand::GetSystemInfo, {MachineFault::FirstSilent});
  EXPECT_EQ(Ask(m, kGetSystemInfo).size(), 0u);
  EXPECT_EQ(Ask(m, kGetSystemInfo).size(), 269u);
  EXPECT_EQ(Ask(m, kGetSystemInfo).size(), 269u);
  EXPECT_EQ(m.RequestKinds().size(), 3u) << "the silent request was taken";
}

TEST(K40Faults, ReplyFaultsChangeOnlyTheirCommand) {
  K40Machine m;
  m.SetFault(MachineCommand::Inquiry, {MachineFault::WrongLeader});
  m.SetFault(MachineCommand::GetSettings, {MachineFault::WrongChannel});
  m.SetFault(MachineCommand::GetSystemInfo, {MachineFault::ShortReply, 268});
  m.SetFault(MachineCommand::GetPhonebook, {MachineFault::ShortReply, 11 + 67 * 3 + 5});

  Bytes inquiry = Ask(m, kInquiry);
  EXPECT_EQ(inquiry.size(), 43u);
  EXPECT_EQ(inquiry[0], 0x1C);
  EXPECT_EQ(Ask(m, kInquiry)[0], 0x1C);  // every time

  Bytes settings = Ask(m, kGetSettings);
  EXPECT_EQ(settings[0], 0x1B);
  EXPECT_EQ(settings[1], 0xA5);

  EXPECT_EQ(Ask(m, kGetSystemInfo).size(), 268u);
  EXPECT_EQ(Ask(m, kGetPhonebook).size(), 11u + 67 * 3 + 5);  // head and body together

  const Bytes ack = Ask(m, SetSettingsRequest(m.state().settings));
  EXPECT_EQ(ack.size(), 10u);
  EXPECT_EQ(ack[0], 0x1B);
  EXPECT_EQ(ack[1], 0xA4);

  m.ClearFaults();
  EXPECT_EQ(Ask(m, kInquiry)[0], 0x1B);
  EXPECT_EQ(Ask(m, kGetSystemInfo).size(), 269u);
}

TEST(K40Faults, SilentTakesAndAppliesButNeverAnswers) {
  K40Machine m;
  m.SetFault(MachineCommand::SetSettings, {MachineFault::Silent});
  std::array<uint8_t, 17> values{};
  values[0] = 2;
  Bytes request = SetSettingsRequest(values);
  EXPECT_EQ(Put(m, request), request.size());
  EXPECT_EQ(m.Pending(), 0u);
  EXPECT_EQ(m.state().settings, values);
  EXPECT_EQ(m.RequestKinds().back(), MachineCommand::SetSettings);
}

TEST(K40Faults, FirstReplyBadSpoilsOnlyTheFirstReplyAfterItWasSet) {
  K40Machine m;
  m.SetFault(MachineCommand::Inquiry, {MachineFault::FirstReplyBad});
  EXPECT_EQ(Ask(m, kInquiry)[0], 0x1C);
  EXPECT_EQ(Ask(m, kInquiry)[0], 0x1B);
  EXPECT_EQ(Ask(m, kInquiry)[0], 0x1B);
  m.SetFault(MachineCommand::Inquiry, {MachineFault::FirstReplyBad});
  EXPECT_EQ(Ask(m, kInquiry)[0], 0x1C);
}

TEST(K40Faults, PartialWriteRefusesTheRestOfTheRequestOnce) {
  K40Machine m;
  m.SetFault(MachineCommand::SetPhonebook, {MachineFault::PartialWrite, 1000});
  Bytes request = FullSetPhonebook(m.state());
  ASSERT_EQ(request.size(), 5370u);
  EXPECT_EQ(Put(m, request), 1000u);
  EXPECT_EQ(m.Pending(), 0u);
  // The host sends the remainder again; now it is all taken.
  EXPECT_EQ(m.Receive(request.data() + 1000, request.size() - 1000), request.size() - 1000);
  EXPECT_EQ(TakeAll(m).size(), 10u);
  EXPECT_EQ(m.Requests().back(), request);
  // Each request is cut again.
  EXPECT_EQ(Put(m, request), 1000u);

  // Other commands are not affected, and a short request is never cut.
  K40Machine other;
  other.SetFault(MachineCommand::SetPhonebook, {MachineFault::PartialWrite, 1000});
  other.SetFault(MachineCommand::Inquiry, {MachineFault::PartialWrite, 8});
  EXPECT_EQ(Ask(other, kGetSettings).size(), 27u);
  EXPECT_EQ(Ask(other, kInquiry).size(), 43u);
}

TEST(K40Faults, PartialWriteByteByByteRefusesTheByteThatRevealsTheCommand) {
  K40Machine m;
  m.SetFault(MachineCommand::Inquiry, {MachineFault::PartialWrite, 3});
  std::vector<size_t> taken;
  for (size_t i = 0; i < kInquiry.size(); ++i) taken.push_back(m.Receive(&kInquiry[i], 1));
  EXPECT_EQ(taken, (std::vector<size_t>{1, 1, 1, 1, 1, 1, 1, 0}));
  EXPECT_EQ(m.Receive(&kInquiry[7], 1), 1u);
  EXPECT_EQ(TakeAll(m).size(), 43u);
}

TEST(K40Faults, ShuffledPhonebookStillNamesEverySlotOnce) {
  K40Machine m;
  m.SetFault(MachineCommand::GetPhonebook, {MachineFault::Shuffled});
  const Bytes first = Ask(m, kGetPhonebook);
  ASSERT_EQ(first.size(), kPhonebookReply);
  EXPECT_EQ(Ask(m, kGetPhonebook), first);  // deterministic

  std::set<int> slots;
  bool inOrder = true;
  for (int i = 0; i < 80; ++i) {
    const uint8_t* rec = &first[11 + 67 * i];
    slots.insert(rec[0]);
    inOrder = inOrder && rec[0] == i + 1;
    const auto& e = m.state().phonebook[rec[0] - 1];
    EXPECT_EQ(std::string(rec + 1, rec + 21), Padded(e.name, 20));
  }
  EXPECT_EQ(slots.size(), 80u);
  EXPECT_EQ(*slots.begin(), 1);
  EXPECT_EQ(*slots.rbegin(), 80);
  EXPECT_FALSE(inOrder);
}

// ---------------------------------------------------------------------------
// Firmware

TEST(K40Firmware, LinkStartIsAnsweredThenEveryByteIsImage) {
  K40Machine m;
  Bytes stream = kFirmwareStartLink;
  const Bytes image = {'$', 'I', 'M', 'G', 0x1B, 0xA4, 0x00, 0x04, 0x50, 0xE0, 0x82, 0xCD};
  stream.insert(stream.end(), image.begin(), image.begin() + 5);
  EXPECT_EQ(Put(m, stream), stream.size());
  EXPECT_TRUE(m.ReceivingFirmware());
  Bytes reply = TakeAll(m);
  ASSERT_EQ(reply.size(), 9u);
  EXPECT_EQ(reply[0], 0x1B);
  EXPECT_EQ(Length(reply), 5);

  // An inquiry inside the image is image, not a request.
  EXPECT_EQ(m.Receive(image.data() + 5, image.size() - 5), image.size() - 5);
  EXPECT_EQ(m.Pending(), 0u);
  EXPECT_EQ(m.state().firmwareImage, image);
  EXPECT_EQ(m.RequestKinds(), (std::vector<MachineCommand>{MachineCommand::FirmwareStart,
                                                           MachineCommand::FirmwareData}));
  EXPECT_EQ(m.Requests().back(), image);
  // A host that forgets its log mid-image loses no image byte.
  m.ForgetRequests();
  EXPECT_TRUE(m.Requests().empty() && m.RequestKinds().empty());
  EXPECT_EQ(m.Receive(image.data(), 4), 4u);
  EXPECT_EQ(m.RequestKinds(), std::vector<MachineCommand>{MachineCommand::FirmwareData});
  EXPECT_EQ(m.Requests().back(), Bytes(image.begin(), image.begin() + 4));
  Bytes whole = image;
  whole.insert(whole.end(), image.begin(), image.begin() + 4);
  EXPECT_EQ(m.state().firmwareImage, whole);

  m.EndFirmware();
  EXPECT_FALSE(m.ReceivingFirmware());
  EXPECT_EQ(m.state().firmwareImagesReceived, 1u);
  EXPECT_EQ(Ask(m, kInquiry).size(), 43u);  // requests again after the restart
  m.EndFirmware();                          // nothing running: no count
  EXPECT_EQ(m.state().firmwareImagesReceived, 1u);
}

TEST(K40Firmware, DirectStartIsNotAnsweredAndANewStartReplacesTheImage) {
  K40Machine m;
  m.state().firmwareImage = {1, 2, 3};
  EXPECT_EQ(Put(m, kFirmwareStartDirect), 8u);
  EXPECT_TRUE(m.ReceivingFirmware());
  EXPECT_EQ(m.Pending(), 0u);
  EXPECT_TRUE(m.state().firmwareImage.empty());
  EXPECT_EQ(Put(m, {9, 8, 7, 6}), 4u);
  m.EndFirmware();
  EXPECT_EQ(m.state().firmwareImage, (Bytes{9, 8, 7, 6}));

  // A start with no image: one entry, no FirmwareData, still a restart.
  Put(m, kFirmwareStartDirect);
  m.EndFirmware();
  EXPECT_EQ(m.state().firmwareImagesReceived, 2u);
  EXPECT_EQ(m.RequestKinds().back(), MachineCommand::FirmwareStart);
}

TEST(K40Firmware, FaultsOnTheStartReplyAndOnTheImage) {
  K40Machine m;
  m.SetFault(MachineCommand::FirmwareStart, {MachineFault::FirstReplyBad});
  m.SetFault(MachineCommand::FirmwareData, {MachineFault::PartialWrite, 100});
  Put(m, kFirmwareStartLink);
  EXPECT_EQ(TakeAll(m)[0], 0x1C);
  const Bytes chunk(4096, 0x5A);
  EXPECT_EQ(Put(m, chunk), 100u);
  EXPECT_EQ(m.Receive(chunk.data() + 100, 3996), 3996u);
  EXPECT_EQ(Put(m, chunk), 4096u);
  EXPECT_EQ(m.state().firmwareImage.size(), 8192u);
  m.EndFirmware();

  // The panel resends the start after a bad first reply: now it is good.
  Put(m, kFirmwareStartLink);
  EXPECT_EQ(TakeAll(m)[0], 0x1B);
  m.SetFault(MachineCommand::FirmwareData, {MachineFault::Silent});
  EXPECT_EQ(Put(m, chunk), 0u);
  EXPECT_TRUE(m.state().firmwareImage.empty());

  m.SetFault(MachineCommand::FirmwareStart, {MachineFault::WrongChannel});
  m.EndFirmware();
  Put(m, kFirmwareStartLink);
  EXPECT_EQ(TakeAll(m)[1], 0xA4);
}

// ---------------------------------------------------------------------------
// State file

class K40StateFile : public ::testing::Test {
 protected:
  void TearDown() override {
    std::remove(path_.c_str());
    std::remove((path_ + ".tmp").c_str());
  }
  Bytes ReadFile() {
    std::ifstream in(path_, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  void WriteFile(const Bytes& b) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  }
  static bool SameState(const K40Machine::State& a, const K40Machine::State& b) {
    for (int i = 0; i < 80; ++i)
      if (a.phonebook[i].name != b.phonebook[i].name ||
          a.phonebook[i].number != b.phonebook[i].number)
        return false;
    return a.inquiryMode == b.inquiryMode && a.systemInfo == b.systemInfo &&
           a.settings == b.settings && a.firmwareImage == b.firmwareImage &&
           a.firmwareImagesReceived == b.firmwareImagesReceived;
  }

  // One file per test: ctest runs the cases of this program in parallel.
  std::string path_ = ::testing::TempDir() + "k40_state_" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".bin";
};

TEST_F(K40StateFile, EveryPartOfTheStateSurvives) {
  K40Machine m;
  auto& s = m.state();
  s.inquiryMode = 1;
  s.systemInfo[0] = 'X';
  s.systemInfo[258] = 0xEE;
  s.settings[16] = 0;
  s.phonebook[0] = {"NOVO NOME", "5551999"};
  s.phonebook[79] = {std::string(20, 'A'), std::string("\xE0\x01", 2)};
  s.phonebook[7] = {};
  s.firmwareImage = Bytes(70000, 0x1B);
  s.firmwareImagesReceived = 7;
  ASSERT_TRUE(m.SaveState(path_));

  K40Machine loaded;
  ASSERT_TRUE(loaded.LoadState(path_));
  EXPECT_TRUE(SameState(loaded.state(), m.state()));
  // Saving again over an existing file works too.
  EXPECT_TRUE(loaded.SaveState(path_));
  EXPECT_TRUE(loaded.LoadState(path_));
}

TEST_F(K40StateFile, DamagedFilesAreRefusedAndTheStateKept) {
  K40Machine source;
  source.state().settings[0] = 2;
  source.state().firmwareImage = {1, 2, 3, 4};
  ASSERT_TRUE(source.SaveState(path_));
  const Bytes good = ReadFile();
  ASSERT_GT(good.size(), 300u);

  K40Machine m;
  m.state().inquiryMode = 9;  // a mark that a failed load must not wipe
  const auto before = m.state();

  std::remove(path_.c_str());
  EXPECT_FALSE(m.LoadState(path_));

  for (size_t cut : {size_t{0}, size_t{3}, size_t{12}, good.size() / 2, good.size() - 1}) {
    WriteFile(Bytes(good.begin(), good.begin() + cut));
    EXPECT_FALSE(m.LoadState(path_)) << "cut at " << cut;
  }
  for (size_t at : {size_t{0}, size_t{8}, size_t{13}, size_t{300}, good.size() - 5, good.size() - 1}) {
    Bytes bad = good;
    bad[at] ^= 0x40;
    WriteFile(bad);
    EXPECT_FALSE(m.LoadState(path_)) << "flip at " << at;
  }
  Bytes longer = good;
  longer.push_back(0);
  WriteFile(longer);
  EXPECT_FALSE(m.LoadState(path_));
  WriteFile(Bytes(5000, 0xFF));
  EXPECT_FALSE(m.LoadState(path_));

  EXPECT_TRUE(SameState(m.state(), before));
  WriteFile(good);
  EXPECT_TRUE(m.LoadState(path_));
  EXPECT_EQ(m.state().settings[0], 2);
}

}  // namespace
