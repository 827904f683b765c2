// kbemu against the emulator of a running program (this test, through
// Ostrel.dll): what it shows of a key-map block write and of two lighting
// changes.
#include <gtest/gtest.h>

#include <sstream>

#include "device/commands.h"
#include "device/transport.h"
#include "model/lighting_operations.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ini_store.h"
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

namespace velkor::testing {
namespace {

class NoView : public LightingView {
 public:
  void ClearEffectList() override {}
  void ShowUserModeNames(const std::vector<std::u16string>&) override {}
  void ShowColourFields(Colour) override {}
  void TintKey(int, Colour) override {}
  void SelectEffectInList(int) override {}
  void ShowSliders(int, int) override {}
  void ShowEffectColours(Colour, bool, Colour, bool, Colour, bool) override {}
  void ShowUserMode(int, Colour, Colour, int) override {}
  void ShowReportRate(int) override {}
  void RebuildPanel() override {}
};

std::vector<std::string> RequestLines(const std::string& log) {
  std::vector<std::string> lines;
  std::istringstream in(log);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find(" > ") != std::string::npos) lines.push_back(line.substr(line.find(" > ") + 3));
  }
  return lines;
}

TEST(Kbemu, LogShowsTheBracketedWritesOfABrightnessAndAColourChange) {
  DeviceHarness& harness = Harness();
  for (const char* c : {"attach", "reset", "fault clear"}) harness.Control(c);
  Transport transport(harness.api());
  transport.StartInterfaceReads();
  DeviceCommands commands(transport);
  Win32IniStore ini;
  NoView view;
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::u16string folder = FromWide(temp);
  LightingOperations lighting(commands, ini, LightingFiles{folder, folder + u"no-template.userd"}, view);
  ASSERT_EQ(lighting.LoadLighting(false), 0);
  harness.Control("log clear");

  lighting.SetBrightness(2);               // was 4
  lighting.SetColour(RgbColour(0x11, 0x22, 0x33));

  DWORD code = 0;
  const std::vector<std::string> lines = RequestLines(RunAndCapture(L"kbemu.exe", L"log 20", code));
  ASSERT_EQ(lines.size(), 7u);
  const auto starts = [](const std::string& line, const std::string& head, const std::string& bytes) {
    return line.rfind(head, 0) == 0 && line.find("| " + bytes) != std::string::npos;
  };
  EXPECT_TRUE(starts(lines[0], "BeginAccess", "04 01 00 01 00 00 00 00 00")) << lines[0];
  EXPECT_TRUE(starts(lines[1], "WriteParameters", "04 0A 00 06 01 01 00 00 02 00")) << lines[1];
  EXPECT_TRUE(starts(lines[2], "EndAccess", "04 02 00 02 00 00 00 00 00")) << lines[2];
  EXPECT_TRUE(starts(lines[3], "BeginAccess", "04 01 00 01")) << lines[3];
  EXPECT_TRUE(starts(lines[4], "WriteParameters", "04 0B 00 06 01 04 00 00 00 00")) << lines[4];
  EXPECT_TRUE(starts(lines[5], "WriteParameters", "04 74 00 06 03 05 00 00 11 22 33 00")) << lines[5];
  EXPECT_TRUE(starts(lines[6], "EndAccess", "04 02 00 02")) << lines[6];
  EXPECT_EQ(RunAndCapture(L"kbemu.exe", L"dump lighting", code).substr(0, 29), "0000: 01 02 01 00 00 11 22 33");
}

}  // namespace
}  // namespace velkor::testing
