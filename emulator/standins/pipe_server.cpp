// The ring-of-instances pipe server of the USB stand-ins (see pipe_server.h).
#include "emulator/standins/pipe_server.h"

#include <vector>

#include "emulator/standins/machine_host.h"

namespace {

constexpr size_t kRingSize = 64;
// Made before Start returns: the panel's pipe test and its first request.
// The server's thread makes the rest, so that the panel's start does not
// wait for all of them.
constexpr size_t kReadyAtStart = 2;
constexpr DWORD kPipeBuffer = 65536;
// How often the idle thread looks at the clock (firmware end of stream).
constexpr DWORD kIdlePollMs = 50;
// A client that stays connected without writing or closing is let go.
constexpr DWORD kClientQuietMs = 10000;

}  // namespace

PipeServer::PipeServer(std::string name, Direction direction, MachineHost& host)
    : name_(std::move(name)), direction_(direction), host_(host) {
  InitializeCriticalSection(&lock_);
}

bool PipeServer::Start() {
  for (size_t i = 0; i < kReadyAtStart; ++i) {
    Instance* instance = MakeInstance();
    if (instance == nullptr) break;
    ring_.push_back(instance);
  }
  if (ring_.empty()) return false;

  // The thread runs this DLL's code until the process ends: keep the DLL
  // loaded even if the panel frees it.
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCSTR>(&PipeServer::ThreadMain), &self);
  HANDLE thread = CreateThread(nullptr, 0, &PipeServer::ThreadMain, this, 0, nullptr);
  if (thread == nullptr) return false;
  CloseHandle(thread);
  return true;
}

bool PipeServer::Busy() {
  EnterCriticalSection(&lock_);
  bool busy = serving_;
  if (!busy && !ring_.empty()) {
    // A client gets the oldest listening instance, the front of the ring. Its
    // connect event alone is not enough: Wine signals it only once the thread
    // that issued the connect has run the completion, which can trail a
    // client that has already written and gone; bytes waiting in it are seen
    // at once. Every other instance is looked at through its event, all in
    // one wait: a look per instance costs the reader milliseconds.
    Instance* front = ring_.front();
    DWORD waiting = 0;
    busy = PeekNamedPipe(front->pipe, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0;
    HANDLE events[MAXIMUM_WAIT_OBJECTS];
    for (size_t first = 0; !busy && first < ring_.size(); first += MAXIMUM_WAIT_OBJECTS) {
      DWORD count = 0;
      for (size_t i = first; i < ring_.size() && count < MAXIMUM_WAIT_OBJECTS; ++i) {
        busy = busy || ring_[i]->connected;
        events[count++] = ring_[i]->event;
      }
      busy = busy || WaitForMultipleObjects(count, events, FALSE, 0) < WAIT_OBJECT_0 + count;
    }
  }
  LeaveCriticalSection(&lock_);
  return busy;
}

PipeServer::Instance* PipeServer::MakeInstance() {
  const DWORD inbound = direction_ == Direction::FromHost ? kPipeBuffer : 4096;
  const DWORD outbound = direction_ == Direction::ToHost ? kPipeBuffer : 4096;
  // Duplex: the panel opens the write pipe for reading and writing to see
  // whether the machine is there.
  HANDLE pipe = CreateNamedPipeA(name_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                 PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT,
                                 PIPE_UNLIMITED_INSTANCES, outbound, inbound, 0, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return nullptr;
  auto* instance = new Instance;
  instance->pipe = pipe;
  instance->event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  instance->overlapped.hEvent = instance->event;
  if (!ConnectNamedPipe(pipe, &instance->overlapped)) {
    switch (GetLastError()) {
      case ERROR_IO_PENDING:
        break;
      case ERROR_PIPE_CONNECTED:
      case ERROR_NO_DATA:  // connected, wrote and closed already: the bytes wait
        instance->connected = true;
        SetEvent(instance->event);
        break;
      default:
        DropInstance(instance);
        return nullptr;
    }
  } else {
    instance->connected = true;
  }
  return instance;
}

void PipeServer::DropInstance(Instance* instance) {
  CancelIo(instance->pipe);
  DisconnectNamedPipe(instance->pipe);
  CloseHandle(instance->pipe);
  if (instance->event) CloseHandle(instance->event);
  delete instance;
}

DWORD WINAPI PipeServer::ThreadMain(void* self) {
  static_cast<PipeServer*>(self)->Run();
  return 0;
}

void PipeServer::Run() {
  for (;;) {
    EnterCriticalSection(&lock_);
    const bool shortOfInstances = ring_.size() < kRingSize;
    LeaveCriticalSection(&lock_);
    if (shortOfInstances) {
      // Appended behind the ones listening already: clients keep coming to
      // the oldest, the front.
      if (Instance* fresh = MakeInstance()) {
        EnterCriticalSection(&lock_);
        ring_.push_back(fresh);
        LeaveCriticalSection(&lock_);
        continue;
      }
    }

    EnterCriticalSection(&lock_);
    Instance* instance = ring_.empty() ? nullptr : ring_.front();
    LeaveCriticalSection(&lock_);

    if (instance == nullptr) {
      // Out of instances (handles exhausted?): try again shortly.
      Sleep(kIdlePollMs);
      if (Instance* fresh = MakeInstance()) {
        EnterCriticalSection(&lock_);
        ring_.push_back(fresh);
        LeaveCriticalSection(&lock_);
      }
      continue;
    }

    if (!instance->connected) {
      if (WaitForSingleObject(instance->event, kIdlePollMs) == WAIT_TIMEOUT) {
        host_.Idle();
        continue;
      }
      DWORD unused = 0;
      // Whatever the outcome (a client that has already gone still left its
      // bytes), the instance has had its client.
      GetOverlappedResult(instance->pipe, &instance->overlapped, &unused, FALSE);
    }

    EnterCriticalSection(&lock_);
    serving_ = true;
    ring_.pop_front();
    LeaveCriticalSection(&lock_);

    if (direction_ == Direction::FromHost) {
      ServeRequests(instance);
    } else {
      ServeReplies(instance);
    }
    DropInstance(instance);

    Instance* fresh = MakeInstance();
    EnterCriticalSection(&lock_);
    if (fresh) ring_.push_back(fresh);
    serving_ = false;
    LeaveCriticalSection(&lock_);
  }
}

bool PipeServer::Transfer(Instance* instance, bool write, void* buffer, DWORD length, DWORD timeoutMs,
                          DWORD* moved) {
  *moved = 0;
  ResetEvent(instance->event);
  instance->overlapped = OVERLAPPED{};
  instance->overlapped.hEvent = instance->event;
  BOOL ok = write ? WriteFile(instance->pipe, buffer, length, moved, &instance->overlapped)
                  : ReadFile(instance->pipe, buffer, length, moved, &instance->overlapped);
  if (ok) return true;
  if (GetLastError() != ERROR_IO_PENDING) return false;
  if (WaitForSingleObject(instance->event, timeoutMs) != WAIT_OBJECT_0) {
    CancelIo(instance->pipe);
    GetOverlappedResult(instance->pipe, &instance->overlapped, moved, TRUE);
    return false;
  }
  return GetOverlappedResult(instance->pipe, &instance->overlapped, moved, FALSE) != FALSE;
}

void PipeServer::ServeRequests(Instance* instance) {
  // Everything the client writes until it closes its end goes to the machine.
  std::vector<uint8_t> buffer(kPipeBuffer);
  for (;;) {
    DWORD n = 0;
    const bool ok = Transfer(instance, false, buffer.data(), static_cast<DWORD>(buffer.size()),
                             kClientQuietMs, &n);
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    if (n > 0) host_.Receive(buffer.data(), static_cast<int32_t>(n), false);
    if (!ok && error != ERROR_MORE_DATA) return;  // broken pipe: the client is done
  }
}

void PipeServer::ServeReplies(Instance* instance) {
  // The reply of a request still in the write pipe is not made yet.
  host_.WaitForPipeWrites();
  std::vector<uint8_t> buffer(kPipeBuffer);
  const int32_t n = host_.Send(buffer.data(), static_cast<int32_t>(buffer.size()));
  if (n <= 0) return;  // nothing to say: disconnecting ends the client's read with 0 bytes

  DWORD written = 0;
  if (!Transfer(instance, true, buffer.data(), static_cast<DWORD>(n), kClientQuietMs, &written)) return;
  // Disconnecting would discard what the client has not read yet: wait until
  // it closes its end (the pending read then fails with a broken pipe).
  uint8_t ignored = 0;
  DWORD unused = 0;
  Transfer(instance, false, &ignored, 1, kClientQuietMs, &unused);
}
