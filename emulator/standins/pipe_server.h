// One of the machine's USB pipes, served inside the DLL that the panel loads.
//
// Wine hands a client the oldest listening instance of a pipe, and a server
// that keeps a single instance loses most clients (ERROR_PIPE_BUSY). So a ring
// of instances is created up front, all listening at once, and one thread
// serves them in creation order, replacing each by a fresh one when done.
#pragma once

#include <windows.h>

#include <deque>
#include <string>

class MachineHost;

class PipeServer {
 public:
  enum class Direction {
    FromHost,  // "\PIPE00": the host writes requests
    ToHost,    // "\PIPE01": the host reads replies
  };

  PipeServer(std::string name, Direction direction, MachineHost& host);
  PipeServer(const PipeServer&) = delete;
  PipeServer& operator=(const PipeServer&) = delete;

  // Creates the ring (so the pipe can be opened as soon as this returns) and
  // starts the serving thread. False when no instance could be made.
  bool Start();

  // A client has connected and its connection is not finished yet.
  bool Busy();

 private:
  struct Instance {
    HANDLE pipe = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
    OVERLAPPED overlapped{};
    bool connected = false;
  };

  static DWORD WINAPI ThreadMain(void* self);
  void Run();
  Instance* MakeInstance();
  static void DropInstance(Instance* instance);
  void ServeRequests(Instance* instance);
  void ServeReplies(Instance* instance);
  // Overlapped transfer on an instance: false on failure or after `timeoutMs`.
  static bool Transfer(Instance* instance, bool write, void* buffer, DWORD length, DWORD timeoutMs,
                       DWORD* moved);

  std::string name_;
  Direction direction_;
  MachineHost& host_;
  CRITICAL_SECTION lock_;
  std::deque<Instance*> ring_;
  bool serving_ = false;
};
