// k40-pty-bridge: the emulated machine on the parallel port, for the panel
// running under Wine. A Linux program, not a DLL: Wine opens "LPT1" as
// <prefix>/dosdevices/lpt1 and "\\.\QordEcp1" as <prefix>/dosdevices/qordecp1,
// and takes a terminal there for a port with comm time-outs. So the bridge
// makes a pseudo-terminal, points the links at its slave side and runs one
// K40Machine on the master side.
//
//   k40-pty-bridge [--demo <dir>] <link>...
//
// Settings as for the DLL stand-ins: <dir>/k40-machine.ini, then the
// environment variable K40_MACHINE; the state file defaults to
// <dir>/k40-state.dat and is saved after every command that changes it.
// Prints "ready <slave>" once serving; SIGTERM or SIGINT ends it and removes
// the links.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "emulator/k40_machine.h"
#include "emulator/standins/standin_config.h"

namespace {

volatile sig_atomic_t stopping = 0;
void Stop(int) { stopping = 1; }

long NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000L + ts.tv_nsec / 1000000L;
}

// "Z:\work\x.dat" or "Z:/work/x.dat" (as the DLLs take it) to a Unix path.
std::string UnixPath(std::string path) {
  if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':') path.erase(0, 2);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  std::string demo = ".";
  std::vector<std::string> links;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--demo") == 0 && i + 1 < argc) {
      demo = argv[++i];
    } else {
      links.push_back(argv[i]);
    }
  }
  if (links.empty()) {
    fprintf(stderr, "usage: k40-pty-bridge [--demo <dir>] <link>...\n");
    return 2;
  }

  StandinConfig config;
  config.ApplyFile(demo + "/k40-machine.ini");
  if (const char* env = getenv("K40_MACHINE")) config.ApplyVariable(env);
  for (const auto& bad : config.errors) fprintf(stderr, "k40-pty-bridge: setting not understood: %s\n", bad.c_str());
  const std::string statePath = config.statePath.empty() ? demo + "/k40-state.dat" : UnixPath(config.statePath);

  K40Machine machine;
  machine.LoadState(statePath);
  config.ApplyTo(machine);

  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    perror("k40-pty-bridge: pseudo-terminal");
    return 1;
  }
  const std::string slaveName = ptsname(master);
  // Held open for the whole run: the panel opens and closes the port around
  // every transfer, and the last close of the slave would hang the line up.
  const int slave = open(slaveName.c_str(), O_RDWR | O_NOCTTY);
  termios raw{};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave, TCSANOW, &raw);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

  for (const auto& link : links) {
    unlink(link.c_str());
    if (symlink(slaveName.c_str(), link.c_str()) != 0) {
      fprintf(stderr, "k40-pty-bridge: cannot link %s: %s\n", link.c_str(), strerror(errno));
      return 1;
    }
  }
  signal(SIGTERM, Stop);
  signal(SIGINT, Stop);
  signal(SIGPIPE, SIG_IGN);
  printf("ready %s\n", slaveName.c_str());
  fflush(stdout);

  std::vector<uint8_t> outgoing;  // reply bytes the terminal has not taken yet
  long lastReceive = NowMs();
  uint8_t buffer[8192];
  while (!stopping) {
    pollfd p{master, static_cast<short>(POLLIN | (outgoing.empty() ? 0 : POLLOUT)), 0};
    if (poll(&p, 1, 100) < 0 && errno != EINTR) break;

    if (p.revents & POLLIN) {
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n > 0) {
        const size_t before = machine.Requests().size();
        machine.Receive(buffer, static_cast<size_t>(n));
        lastReceive = NowMs();
        if (machine.Requests().size() > before) {
          // A new request: what the host left unread of the last reply goes,
          // as the machine itself forgets it.
          tcflush(slave, TCIFLUSH);
          outgoing.clear();
          const auto kinds = machine.RequestKinds();
          bool changed = false;
          for (size_t i = before; i < kinds.size(); ++i) changed = changed || ChangesState(kinds[i]);
          if (changed) machine.SaveState(statePath);
          machine.ForgetRequests();
        }
        size_t got;
        while ((got = machine.Send(buffer, sizeof buffer)) > 0) outgoing.insert(outgoing.end(), buffer, buffer + got);
      }
    }
    if (!outgoing.empty()) {
      const ssize_t n = write(master, outgoing.data(), outgoing.size());
      if (n > 0) outgoing.erase(outgoing.begin(), outgoing.begin() + n);
    }
    if (machine.ReceivingFirmware() && NowMs() - lastReceive >= config.firmwareQuietMs) {
      machine.EndFirmware();
      machine.SaveState(statePath);
    }
  }

  for (const auto& link : links) unlink(link.c_str());
  return 0;
}
