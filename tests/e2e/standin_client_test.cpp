// Drives the driver-package stand-ins from a client process, as the panel
// does: the USB libraries' names, pipes and transfer entry points, the hold on
// the shared port between processes, and the machine's state file. Each ctest
// entry runs one suite in a process of its own (one emulated machine per
// process; the two USB libraries serve the same pipe names).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "emulator/k40_machine.h"
#include "emulator/standins/standin_config.h"
#include "link/callconv.h"

namespace {

using NameFn = int32_t(RCP_WINAPI*)(char*, int32_t);
using TransferFn = int32_t(RCP_WINAPI*)(uint8_t*, int32_t);
using PortFn = int32_t(RCP_WINAPI*)(int32_t);

const std::string kDemo = RCP_TEST_DEMO_DIR;    // Windows path of dist/demo
const std::string kWork = RCP_TEST_WORK_DIR;    // Windows path of a scratch folder
std::string selfPath;

const std::vector<uint8_t> kInquiry = {0x1B, 0xA4, 0x00, 0x04, 0x50, 0xE0, 0x82, 0xCD};
const std::vector<uint8_t> kGetPhonebook = {0x1B, 0xA4, 0x00, 0x06, 0x50, 0xE0, 0x82, 0xC1, 0x42, 0xFF};

HMODULE LoadStandin(const char* name) {
  HMODULE module = LoadLibraryA((kDemo + "\\" + name).c_str());
  EXPECT_NE(module, nullptr) << name << " error " << GetLastError();
  return module;
}

template <typename Fn>
Fn Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

std::string ControlPortName(HMODULE module) {
  auto getName = Entry<NameFn>(module, "GetControlPortName");
  if (getName == nullptr) return {};
  char name[256] = {};
  getName(name, sizeof name);
  return name;
}

// One connection to the write pipe, as the panel makes it: open, write, close.
int WriteThroughPipe(const std::string& pipe, const std::vector<uint8_t>& bytes) {
  HANDLE h = CreateFileA(pipe.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -static_cast<int>(GetLastError());
  DWORD written = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return static_cast<int>(written);
}

int ReadThroughPipe(const std::string& pipe, uint8_t* buffer, DWORD length) {
  HANDLE h = CreateFileA(pipe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return -static_cast<int>(GetLastError());
  DWORD read = 0;
  ReadFile(h, buffer, length, &read, nullptr);
  CloseHandle(h);
  return static_cast<int>(read);
}

std::vector<uint8_t> SetPhonebookRequest(const char* firstName, const char* firstNumber) {
  const int n = K40Machine::kEntries;
  std::vector<uint8_t> r(10 + 67 * n, 0xFF);
  const size_t length = r.size() - 4;
  const uint8_t head[10] = {0x1B, 0xA4, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length),
                            0x50, 0xE0, 0x82, 0xC2, 0x42, static_cast<uint8_t>(n)};
  std::memcpy(r.data(), head, sizeof head);
  for (int i = 0; i < n; ++i) r[10 + 67 * i] = static_cast<uint8_t>(i + 1);
  std::memcpy(&r[11], firstName, std::strlen(firstName));
  std::memcpy(&r[11 + 20], firstNumber, std::strlen(firstNumber));
  return r;
}

void UseMachine(const std::string& settings) {
  SetEnvironmentVariableA("K40_MACHINE", settings.c_str());
}

// ---------------------------------------------------------------------------
// The USB transfer library: write pipe for requests, Win2kUsbRead for replies.

class Usbduct : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    DeleteFileA(StatePath().c_str());
    UseMachine("state=" + StatePath() + ";firmware_quiet_ms=300");
    module = LoadStandin("usbduct.dll");
  }
  static std::string StatePath() { return kWork + "\\usbduct-state.dat"; }
  static std::string WritePipe() { return ControlPortName(module) + "\\PIPE00"; }
  static inline HMODULE module = nullptr;
};

TEST_F(Usbduct, NamesTheControlPortAndRefusesATooSmallBuffer) {
  auto getName = Entry<NameFn>(module, "GetControlPortName");
  ASSERT_NE(getName, nullptr);
  ASSERT_NE(Entry<TransferFn>(module, "Win2kUsbWrite"), nullptr);
  ASSERT_NE(Entry<TransferFn>(module, "Win2kUsbRead"), nullptr);
  char name[256];
  std::memset(name, 'x', sizeof name);
  getName(name, 256);
  EXPECT_STREQ(name, "\\\\.\\pipe\\QuillmarkK40");
  char tiny[8];
  std::memset(tiny, 'x', sizeof tiny);
  EXPECT_EQ(getName(tiny, sizeof tiny), 0);
  EXPECT_EQ(tiny[0], '\0') << "a name that does not fit must not be left half-written";
}

TEST_F(Usbduct, WritePipeOpensForThePresenceTest) {
  HANDLE h = CreateFileA(WritePipe().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << "error " << GetLastError();
  CloseHandle(h);
}

TEST_F(Usbduct, ReplyReadAtOnceWaitsForTheRequestStillInThePipe) {
  auto read = Entry<TransferFn>(module, "Win2kUsbRead");
  // More rounds than the ring has instances: each served one is replaced.
  for (int round = 0; round < 100; ++round) {
    ASSERT_EQ(WriteThroughPipe(WritePipe(), kInquiry), 8) << "round " << round;
    uint8_t reply[43] = {};
    ASSERT_EQ(read(reply, sizeof reply), 43) << "round " << round;
    EXPECT_EQ(reply[0], 0x1B);
    EXPECT_EQ(reply[1], 0xA4);
    EXPECT_EQ(reply[42], 2) << "inquiry mode byte";
  }
  uint8_t none[16];
  EXPECT_EQ(read(none, sizeof none), 0) << "nothing is pending once the reply was taken";
}

TEST_F(Usbduct, PhonebookHeadAndEntriesComeAsTheHostAsksForThem) {
  auto read = Entry<TransferFn>(module, "Win2kUsbRead");
  ASSERT_EQ(WriteThroughPipe(WritePipe(), kGetPhonebook), 10);
  std::vector<uint8_t> reply(11 + 67 * 80);
  ASSERT_EQ(read(reply.data(), 11), 11);
  EXPECT_EQ(reply[10], 80);
  ASSERT_EQ(read(&reply[11], 2624), 2624);
  ASSERT_EQ(read(&reply[11 + 2624], 2736), 2736);
  EXPECT_EQ(reply[11], 1) << "first record is slot 1";
  EXPECT_EQ(reply[11 + 67 * 79], 80) << "last record is slot 80";
}

TEST_F(Usbduct, LargeRequestInPiecesIsAcknowledgedAndSurvivesInTheStateFile) {
  auto write = Entry<TransferFn>(module, "Win2kUsbWrite");
  auto read = Entry<TransferFn>(module, "Win2kUsbRead");
  std::vector<uint8_t> request = SetPhonebookRequest("ZELIA MARTINS", "0215550199");
  size_t sent = 0;
  while (sent < request.size()) {
    const int piece = static_cast<int>(std::min<size_t>(3072, request.size() - sent));
    const int n = write(&request[sent], piece);
    ASSERT_GT(n, 0);
    sent += static_cast<size_t>(n);
  }
  uint8_t ack[10] = {};
  ASSERT_EQ(read(ack, sizeof ack), 10);
  EXPECT_EQ(ack[0], 0x1B);

  K40Machine saved;
  ASSERT_TRUE(saved.LoadState(StatePath())) << StatePath();
  EXPECT_EQ(saved.state().phonebook[0].name, "ZELIA MARTINS");
  EXPECT_EQ(saved.state().phonebook[0].number, "0215550199");
  EXPECT_TRUE(saved.state().phonebook[1].name.empty());
}

TEST_F(Usbduct, FirmwareImageEndsAfterAPauseAndIsKept) {
  auto write = Entry<TransferFn>(module, "Win2kUsbWrite");
  auto read = Entry<TransferFn>(module, "Win2kUsbRead");
  ASSERT_EQ(WriteThroughPipe(WritePipe(), {0x1B, 0xA5, 0x00, 0x04, 0x50, 0xE0, 0x82, 0x05}), 8);
  uint8_t reply[9] = {};
  ASSERT_EQ(read(reply, sizeof reply), 9);
  EXPECT_EQ(reply[0], 0x1B);

  // As the panel sends it: 4096-byte chunks, over 3072 through the library in
  // pieces, the short last chunk through the pipe.
  std::vector<uint8_t> image(5000);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + 3);
  ASSERT_EQ(write(&image[0], 3072), 3072);
  ASSERT_EQ(write(&image[3072], 1024), 1024);
  ASSERT_EQ(WriteThroughPipe(WritePipe(), std::vector<uint8_t>(image.begin() + 4096, image.end())), 904);

  K40Machine saved;
  for (int i = 0; i < 100; ++i) {  // the quiet period is 300 ms here
    Sleep(50);
    if (saved.LoadState(StatePath()) && saved.state().firmwareImagesReceived > 0) break;
  }
  EXPECT_EQ(saved.state().firmwareImagesReceived, 1u);
  EXPECT_EQ(saved.state().firmwareImage, image);

  // Back to commands once the machine has restarted.
  ASSERT_EQ(WriteThroughPipe(WritePipe(), kInquiry), 8);
  uint8_t inquiry[43] = {};
  EXPECT_EQ(read(inquiry, sizeof inquiry), 43);
}

// ---------------------------------------------------------------------------
// The USB naming library: both pipes.

class Usbnamer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    UseMachine("state=" + kWork + "\\usbnamer-state.dat");
    module = LoadStandin("usbnamer.dll");
    base = ControlPortName(module);
  }
  static inline HMODULE module = nullptr;
  static inline std::string base;
};

TEST_F(Usbnamer, RequestsAndRepliesTravelThroughTheTwoPipes) {
  EXPECT_EQ(Entry<TransferFn>(module, "Win2kUsbRead"), nullptr) << "only the transfer library has it";
  for (int round = 0; round < 100; ++round) {  // past the rings' first instances
    ASSERT_EQ(WriteThroughPipe(base + "\\PIPE00", kInquiry), 8) << "round " << round;
    uint8_t reply[43] = {};
    ASSERT_EQ(ReadThroughPipe(base + "\\PIPE01", reply, sizeof reply), 43) << "round " << round;
    EXPECT_EQ(reply[0], 0x1B);
    EXPECT_EQ(reply[42], 2);
  }
}

TEST_F(Usbnamer, PhonebookHeadIsATransferOfItsOwn) {
  ASSERT_EQ(WriteThroughPipe(base + "\\PIPE00", kGetPhonebook), 10);
  std::vector<uint8_t> reply(11 + 67 * 80);
  ASSERT_EQ(ReadThroughPipe(base + "\\PIPE01", reply.data(), 11), 11);
  ASSERT_EQ(ReadThroughPipe(base + "\\PIPE01", &reply[11], 67 * 80), 67 * 80);
  EXPECT_EQ(reply[11 + 67 * 79], 80);
}

TEST_F(Usbnamer, ReadWithNothingToSayEndsWithNoBytes) {
  uint8_t reply[43];
  const DWORD start = GetTickCount();
  EXPECT_EQ(ReadThroughPipe(base + "\\PIPE01", reply, sizeof reply), 0);
  EXPECT_LT(GetTickCount() - start, 5000u) << "the read must not hang";
}

// ---------------------------------------------------------------------------
// A machine told to stay silent.

class Silent : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    UseMachine("state=" + kWork + "\\silent-state.dat;fault=silent");
    module = LoadStandin("usbduct.dll");
  }
  static inline HMODULE module = nullptr;
};

TEST_F(Silent, TakesTheRequestAndNeverAnswers) {
  const std::string pipe = ControlPortName(module) + "\\PIPE00";
  ASSERT_EQ(WriteThroughPipe(pipe, kInquiry), 8);
  uint8_t reply[43];
  EXPECT_EQ(Entry<TransferFn>(module, "Win2kUsbRead")(reply, sizeof reply), 0);
}

// ---------------------------------------------------------------------------
// The port-sharing library: a hold is seen by other processes.

int TryAcquireInAnotherProcess() {
  std::string command = "\"" + selfPath + "\" --try-acquire";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  DWORD code = 99;
  if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(pi.hProcess, &code);
  } else {
    TerminateProcess(pi.hProcess, 98);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<int>(code);
}

TEST(Portlend, SecondHolderIsRefusedUntilTheFirstReleases) {
  HMODULE module = LoadStandin("portlend.dll");
  auto acquire = Entry<PortFn>(module, "PortAcquire");
  auto release = Entry<PortFn>(module, "PortRelease");
  ASSERT_NE(acquire, nullptr);
  ASSERT_NE(release, nullptr);

  EXPECT_EQ(TryAcquireInAnotherProcess(), 1) << "free port";
  ASSERT_NE(acquire(8), 0);
  EXPECT_NE(acquire(8), 0) << "the holder may ask again";
  EXPECT_EQ(TryAcquireInAnotherProcess(), 0) << "held port";
  EXPECT_NE(release(8), 0);
  EXPECT_EQ(release(8), 0) << "nothing left to release";
  EXPECT_EQ(TryAcquireInAnotherProcess(), 1) << "released port";
}

// ---------------------------------------------------------------------------
// The stand-ins' settings lines.

TEST(StandinConfig, ReadsFaultsModeStateAndUsb) {
  StandinConfig config;
  config.ApplyText(
      "# comment\n"
      "  fault = silent  \n"
      "fault.inquiry=short:5\r\n"
      "inquiry_mode = 0x01\n"
      "state = Z:\\tmp\\k40.dat\n"
      "usb = off\n"
      "firmware_quiet_ms = 250\n");
  EXPECT_TRUE(config.errors.empty()) << config.errors.front();
  EXPECT_EQ(config.firmwareQuietMs, 250);
  ASSERT_EQ(config.faults.size(), static_cast<size_t>(kMachineCommandCount) + 1);
  EXPECT_EQ(config.faults.front().second.kind, MachineFault::Silent);
  EXPECT_EQ(config.faults.back().first, MachineCommand::Inquiry);
  EXPECT_EQ(config.faults.back().second.kind, MachineFault::ShortReply);
  EXPECT_EQ(config.faults.back().second.n, 5);
  EXPECT_EQ(config.inquiryMode, 1);
  EXPECT_EQ(config.statePath, "Z:\\tmp\\k40.dat");
  EXPECT_FALSE(config.usb);
}

TEST(StandinConfig, RejectsWhatItCannotRead) {
  StandinConfig config;
  config.ApplyText("fault = loud\nfault = short\nfault = silent:3\nfault.print = silent\n"
                   "inquiry_mode = 300\nusb = maybe\ncolour = red\nno equals sign\nfirmware_quiet_ms = 0\n");
  EXPECT_EQ(config.errors.size(), 9u);
  EXPECT_TRUE(config.faults.empty());
  EXPECT_FALSE(config.inquiryMode.has_value());
  EXPECT_TRUE(config.usb);
}

TEST(StandinConfig, LaterLinesWinAndReachTheMachine) {
  StandinConfig config;
  config.ApplyText("fault = silent\nfault.inquiry = none\ninquiry_mode = 1\n");
  K40Machine machine;
  config.ApplyTo(machine);
  EXPECT_EQ(machine.state().inquiryMode, 1);
  const uint8_t inquiry[] = {0x1B, 0xA4, 0x00, 0x04, 0x50, 0xE0, 0x82, 0xCD};
  machine.Receive(inquiry, sizeof inquiry);
  uint8_t reply[43] = {};
  ASSERT_EQ(machine.Send(reply, sizeof reply), 43u) << "the inquiry was let off the silence";
  EXPECT_EQ(reply[42], 1);
  const uint8_t sysinfo[] = {0x1B, 0xA4, 0x00, 0x05, 0x50, 0xE0, 0x82, 0xC1, 0x40};
  machine.Receive(sysinfo, sizeof sysinfo);
  EXPECT_EQ(machine.Pending(), 0u) << "every other command stays silent";
}

}  // namespace

int main(int argc, char** argv) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  selfPath = path;
  if (argc > 1 && std::strcmp(argv[1], "--try-acquire") == 0) {
    // Child of the Portlend test: 1 when the port could be taken (then given back).
    HMODULE module = LoadLibraryA((kDemo + "\\portlend.dll").c_str());
    if (module == nullptr) return 2;
    const int got = Entry<PortFn>(module, "PortAcquire")(8) != 0 ? 1 : 0;
    if (got) Entry<PortFn>(module, "PortRelease")(8);
    return got;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
