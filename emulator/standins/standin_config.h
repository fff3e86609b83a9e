// Settings of the emulated machine that the driver-package stand-ins host:
// read from "key = value" lines (a file beside the DLLs) and from environment
// variables that override the file. Portable: no windows.h.
//
//   fault = silent                  every command misbehaves this way
//   fault.inquiry = short:5         one command only (inquiry, sysinfo,
//                                   getsettings, setsettings, setadvanced,
//                                   getphonebook, setphonebook, fwstart, fwdata)
//   inquiry_mode = 1                inquiry reply byte 42 (2: full page set)
//   state = Z:\path\k40-state.dat   where the machine keeps its state
//   firmware_quiet_ms = 10000       pause that ends a firmware image (the
//                                   machine then restarts with it)
//   shared = on                     two programs at once, each with its own
//                                   machine and pipes (named after the
//                                   process), kept in step through the state
//                                   file: a machine takes the file again when
//                                   another program changed it
//   usb = off                       the USB libraries name the port but serve
//                                   no pipes (the machine is on the parallel
//                                   port, see pty_bridge.cpp)
//   firmware_restart = keepsold     after an image: applies (default),
//                                   keepsold (the old version stays) or
//                                   silent (no answer after the restart)
//   firmware_rate = 65536           image bytes per second the machine takes
//                                   (0: as fast as they come)
//
// Fault kinds: none, silent, short:N, partial:N, wrongleader, wrongchannel,
// firstreplybad, shuffled, and for fwdata also partialtwice:N and dies:N.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "emulator/k40_machine.h"

struct StandinConfig {
  std::vector<std::pair<MachineCommand, MachineFault>> faults;  // applied in order
  std::optional<int> inquiryMode;
  std::string statePath;  // empty: the default beside the DLLs
  bool usb = true;
  bool shared = false;
  int firmwareQuietMs = 10000;  // the panel pauses 40 s after its last chunk
  int firmwareRate = 0;         // image bytes per second; 0: no limit
  FirmwareRestart firmwareRestart = FirmwareRestart::Applies;
  std::vector<std::string> errors;  // lines that could not be understood

  // One "key = value" line; blank lines and '#' comments are ignored.
  void ApplyLine(const std::string& line);
  void ApplyText(const std::string& text);
  // The lines of a settings file; a missing file changes nothing.
  void ApplyFile(const std::string& path);
  // The K40_MACHINE variable's value: lines separated by ';'.
  void ApplyVariable(const std::string& value);
  // Puts the faults and the inquiry mode into the machine.
  void ApplyTo(K40Machine& machine) const;
};

// True for the commands whose effect the state file keeps: the stand-ins save
// the machine after each of them.
bool ChangesState(MachineCommand kind);

// "silent", "short:5", ... ; nullopt for an unknown kind.
std::optional<MachineFault> ParseFault(const std::string& text);
// "inquiry", "sysinfo", ... ; nullopt for an unknown name.
std::optional<MachineCommand> ParseCommandName(const std::string& text);
