// rcpweb's HTTP side: the gate before every handler, the pages' files, and
// the JSON API over the machine jobs with the last records read kept for
// everyone while a job runs.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "files/contacts.h"
#include "web/web_gate.h"
#include "web/web_machine.h"

struct WebAsset {
  std::string body;
  std::string type;
};

struct WebOptions {
  std::string address = "127.0.0.1";
  int port = 8640;
  bool lan = false;                       // a password and a login are needed
  std::vector<std::string> allowedHosts;  // "127.0.0.1:8640", "localhost:8640", ...
  std::function<bool(const std::string&)> checkPassword;
  SessionStore::Clock clock;
  SessionStore::RandomBytes random;
  std::function<bool(const std::string& name, WebAsset& out)> asset;
  FoldName fold;
  GateLimits limits;
  // The protocol's sleeps so far (ms), for the Server-Timing header.
  std::function<uint64_t()> protocolSleeps;
};

// Limits of what a client may send.
constexpr size_t kMaxBodyBytes = 4 * 1024 * 1024;  // a contacts file of a few thousand cards
constexpr size_t kMaxHeaders = 64;
constexpr int kClientTimeoutSeconds = 5;

class WebServer {
 public:
  WebServer(WebOptions options, MachineJobs& jobs);
  ~WebServer();
  // Binds the address; false when it is taken or cannot be had.
  bool Bind();
  // Serves until Stop().
  void Serve();
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
