// The common set-up of the command tests: a fresh fake OS with its virtual
// clock, fresh device records, and the emulated machine on the LPT port.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/commands.h"
#include "commands/device_data.h"
#include "link/direct_port.h"
#include "tests/core/machine_devices.h"

class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDeviceData();
    ResetDirectPort();
    ConnectRoad(os, Road::Lpt1, device);
  }
  void TearDown() override {
    ResetDeviceData();
    DeviceLink::Reset();
  }

  // The machine answered the inquiry: the table start-up makes.
  void MakeTable() {
    inquiryAnswered = true;
    fullPanel = true;
    speedDialCount = kSpeedDialEntries;
    oneTouchCount = 0;
    ASSERT_TRUE(CreatePhonebookTable());
  }

  // Puts a scripted reply behind the LPT port instead of the machine.
  void UseReply(const std::vector<uint8_t>& bytes) {
    reply.reply = bytes;
    os.AddDevice("LPT1", &reply);
  }

  FakeOs os;
  K40Machine machine;
  MachineDevice device{machine};
  ReplyDevice reply;
};

inline std::vector<std::string> Lines(std::initializer_list<const char*> lines) {
  return std::vector<std::string>(lines.begin(), lines.end());
}
