// kbemu against the emulator of a running program (this test, through
// Ostrel.dll): what it shows of a key-map block write.
#include <gtest/gtest.h>

#include <sstream>

#include "device/commands.h"
#include "device/transport.h"
#include "tests/support/device_harness.h"
#include "tests/windows/process_driver.h"

namespace velkor::testing {
namespace {

TEST(Kbemu, LogShowsTheTenPiecesOfAKeyMapBlockWrite) {
  DeviceHarness& harness = Harness();
  for (const char* c : {"attach", "reset", "fault clear", "log clear"}) harness.Control(c);
  Transport transport(harness.api());
  transport.StartInterfaceReads();
  DeviceCommands commands(transport);
  std::vector<uint8_t> block(512);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i);
  ASSERT_EQ(commands.WriteKeyMapBlock(block.data(), 1), kSuccess);

  DWORD code = 0;
  const std::string log = RunAndCapture(L"kbemu.exe", L"log 20", code);
  ASSERT_EQ(code, 0u) << log;
  std::vector<std::string> requests;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);) {
    if (line.find(" > WriteKeyMapBlock") != std::string::npos) requests.push_back(line);
  }
  ASSERT_EQ(requests.size(), 10u) << log;
  for (size_t i = 0; i < 10; ++i) {
    EXPECT_NE(requests[i].find("addr=" + std::to_string(512 + 56 * i)), std::string::npos) << requests[i];
  }
  // The last piece: 8 bytes at 1016 (F8 03), then the previous piece's bytes
  // 456.. (C8 C9 ..) still in the buffer.
  EXPECT_NE(requests[9].find("len=8 "), std::string::npos) << requests[9];
  EXPECT_NE(requests[9].find("08 08 F8 03 00 F8 F9 FA FB FC FD FE FF C8 C9 CA"), std::string::npos)
      << requests[9];

  const std::string keymap = RunAndCapture(L"kbemu.exe", L"dump keymap 1", code);
  EXPECT_EQ(keymap.substr(0, 20), "0200: 00 01 02 03 04") << keymap;
}

}  // namespace
}  // namespace velkor::testing
