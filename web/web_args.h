// rcpweb's command line. Portable.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/device_link.h"

struct WebArgs {
  bool help = false;
  bool version = false;
  bool setPassword = false;
  bool lan = false;
  std::string address = "127.0.0.1";  // --listen; --lan alone listens on every address
  int port = 8640;
  std::optional<PortKind> machinePort;  // --port: no port search
};

// `args` without the program name. False, with a message for the user,
// for anything it does not understand.
bool ParseWebArgs(const std::vector<std::string>& args, WebArgs& out, std::string& error);

// "127.0.0.1:8640" into its parts; false for anything else (a name, a port
// out of 1..65535, trailing text).
bool ParseListen(const std::string& text, std::string& address, int& port);

// The Host names a browser may use for this server: the address it listens
// on, and for the loopback address also "localhost"; `extra` names this PC
// (its name and addresses) in LAN mode.
std::vector<std::string> AllowedHosts(const std::string& address, int port, const std::vector<std::string>& extra);

extern const char kWebHelp[];
