#include "ostrel/diagnostic_log.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace velkor::testing {
namespace {

HidFieldCaps Caps(uint8_t id, bool button, bool array, uint16_t page, uint16_t first, uint16_t last) {
  HidFieldCaps f;
  f.report_id = id;
  f.button = button;
  f.array = array;
  f.usage_page = page;
  f.usage_min = first;
  f.usage_max = last;
  return f;
}

HidCollection Command() {
  HidCollection c;
  c.vendor = 0x0C45;
  c.product = 0x6741;
  c.version = 0x0102;
  c.usage_page = 0xFF1C;
  c.usage = 0x0092;
  c.input_length = 64;
  c.output_length = 64;
  HidFieldCaps data = Caps(0x04, false, false, 0xFF1C, 0x0001, 0x0001);
  data.bit_size = 8;
  data.report_count = 63;
  data.logical_max = 255;
  c.input = {data};
  c.output = {data};
  return c;
}

TEST(DiagnosticLines, TheFieldsOfACollection) {
  HidCollection c = Command();
  c.feature = {Caps(0x06, true, false, 0xFF1C, 0x0010, 0x0017)};
  EXPECT_EQ(DescribeFields(c), (std::vector<std::string>{
                                   "input id 04 value FF1C:0001 size 8 count 63 logical 0-255",
                                   "output id 04 value FF1C:0001 size 8 count 63 logical 0-255",
                                   "feature id 06 bits FF1C:0010-0017 count ? logical 0-0",
                               }));
}

TEST(DiagnosticLines, ReportLayoutChecks) {
  EXPECT_TRUE(ReportLayoutProblems(Command(), KeyboardInterface::kCommand).empty());

  HidCollection odd = Command();
  odd.output = {Caps(0x03, false, false, 0xFF1C, 1, 1)};
  odd.output_length = 33;
  EXPECT_EQ(ReportLayoutProblems(odd, KeyboardInterface::kCommand),
            (std::vector<std::string>{
                "report 04 is not an output report of the command collection (output ids 03)",
                "the command collection's output reports take 33 bytes; commands are 64 and are refused"}));

  HidCollection led;
  led.usage_page = 0x0008;
  led.usage = 0x0089;
  led.output_length = 2;
  led.output = {Caps(0x00, true, false, 0x0008, 0x0001, 0x0003)};
  EXPECT_EQ(ReportLayoutProblems(led, KeyboardInterface::kLed),
            std::vector<std::string>{"report 05 is not an output report of the LED collection (output ids 00)"});
  led.output[0].report_id = 0x05;
  EXPECT_TRUE(ReportLayoutProblems(led, KeyboardInterface::kLed).empty());
}

TEST(DiagnosticLog, WritesNothingUntilOpenedThenEveryLineAtOnce) {
  TempDir dir;
  DiagnosticLog log;
  log.Line("before");
  EXPECT_FALSE(log.enabled());
  ASSERT_TRUE(log.OpenFile(dir.File("ostrel.log")));
  log.Line("> command 04 2A 00 03");
  // Read while still open: a log is read after something went wrong.
  const std::string text = dir.ReadBytes("ostrel.log");
  EXPECT_EQ(text.rfind("---- log opened ", 0), 0u);
  EXPECT_NE(text.find("     0.0"), std::string::npos) << text;
  EXPECT_NE(text.find("> command 04 2A 00 03\r\n"), std::string::npos);
  EXPECT_EQ(text.find("before"), std::string::npos);
}

TEST(DiagnosticLog, DebugTurnsOffOnlyWhatItTurnedOn) {
  TempDir dir;
  DiagnosticLog log;
  log.SetDebugLevel(1, dir.File("debug.log"));
  EXPECT_TRUE(log.enabled());
  log.SetDebugLevel(0, dir.File("debug.log"));
  EXPECT_FALSE(log.enabled());

  ASSERT_TRUE(log.OpenFile(dir.File("configured.log")));
  log.SetDebugLevel(2, dir.File("debug.log"));  // already on: stays in the configured file
  log.SetDebugLevel(0, dir.File("debug.log"));
  EXPECT_TRUE(log.enabled());
  log.Line("still here");
  EXPECT_NE(dir.ReadBytes("configured.log").find("still here"), std::string::npos);
}

TEST(DiagnosticLog, AFileThatCannotBeMadeLeavesTheLogOff) {
  TempDir dir;
  DiagnosticLog log;
  EXPECT_FALSE(log.OpenFile(dir.File("no-such-folder/ostrel.log")));
  EXPECT_FALSE(log.enabled());
}

}  // namespace
}  // namespace velkor::testing
