// Benchmark of the Windows 95 register road: a whole phonebook reply (11-byte
// head and 80 entries, 5,371 bytes, read in two transfers as the phonebook
// command does) from the emulated machine. Prints the register accesses per
// byte next to the handshake's minimum, the real time our own code takes, and
// the time the same accesses take at 1 µs each, the cost of an ISA-bus port
// access on the machines this road serves.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "emulator/ieee1284_peripheral.h"
#include "emulator/k40_machine.h"
#include "link/direct_port.h"
#include "tests/support/fake_os.h"

namespace {

// Counts every register access on its way to the machine's interface.
class CountingPorts final : public FakePortRegisters {
 public:
  explicit CountingPorts(Ieee1284Peripheral& peripheral) : peripheral_(peripheral) {}
  uint8_t In(uint16_t port) override {
    ++accesses;
    return peripheral_.In(port);
  }
  void Out(uint16_t port, uint8_t value) override {
    ++accesses;
    peripheral_.Out(port, value);
  }
  uint64_t accesses = 0;

 private:
  Ieee1284Peripheral& peripheral_;
};

constexpr int kHead = 11;
constexpr int kBody = 67 * 80;
constexpr int kReply = kHead + kBody;  // 5,371
// Per byte: two nibbles of 6 writes and 12 reads in all. Per transfer:
// negotiation 5 writes and 10 reads, termination 3 writes and 8 reads.
constexpr int kPerByte = 18;
constexpr int kPerTransfer = 26;

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
  const uint8_t request[10] = {0x1B, 0xA4, 0x00, 0x06, 0x50, 0xE0, 0x82, 0xC1, 0x42, 0xFF};

  FakeOs os;
  K40Machine machine;
  for (auto& entry : machine.state().phonebook) {
    entry.name = "NOME DE TESTE COMPLE";
    entry.number = "0115551234567890123456789012345678901234567890";
  }
  Ieee1284Peripheral peripheral(machine, 0x378);
  CountingPorts ports(peripheral);
  os.ports = &ports;
  os.biosWord = 0x378;
  ResetDirectPort();

  std::vector<uint8_t> reply(kReply);
  uint64_t accesses = 0;
  uint64_t virtualUs = 0;
  std::chrono::steady_clock::duration real{};
  for (int round = 0; round < rounds; ++round) {
    if (DirectWrite(request, sizeof request) != sizeof request || machine.Pending() != kReply) {
      std::fprintf(stderr, "the machine did not queue a %d-byte phonebook reply\n", kReply);
      return 1;
    }
    ports.accesses = 0;
    const uint64_t virtualStart = os.nowUs;
    const auto start = std::chrono::steady_clock::now();
    int32_t got = DirectRead(reply.data(), kHead);
    got += DirectRead(reply.data() + kHead, kBody);
    real += std::chrono::steady_clock::now() - start;
    virtualUs += os.nowUs - virtualStart;
    accesses += ports.accesses;
    if (got != kReply) {
      std::fprintf(stderr, "read %d of %d bytes\n", got, kReply);
      return 1;
    }
  }

  const double bytes = double(kReply) * rounds;
  const double seconds = std::chrono::duration<double>(real).count();
  const double minimum = (double(kPerByte) * kReply + 2.0 * kPerTransfer) / kReply;
  // Register accesses only, at 1 µs each (the fake clock also charges tick reads).
  const double isaSeconds = double(accesses) * 1e-6 / rounds;
  std::printf("phonebook read over the register road: %d bytes in 2 transfers, %d rounds\n",
              kReply, rounds);
  std::printf("  register accesses per byte: %.3f (handshake minimum %.3f = %d per byte + %d per transfer)\n",
              double(accesses) / bytes, minimum, kPerByte, kPerTransfer);
  std::printf("  our own code (emulated machine included): %.0f bytes/s, %.1f us per phonebook\n",
              bytes / seconds, seconds * 1e6 / rounds);
  std::printf("  at 1 us per register access: %.0f bytes/s, %.1f ms per phonebook\n",
              kReply / isaSeconds, isaSeconds * 1e3);
  std::printf("  fake clock (accesses and tick reads at 1 us): %.1f ms per phonebook\n",
              double(virtualUs) / rounds / 1e3);
  return 0;
}
