#include "ostrel/hid_framing.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace velkor::testing {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(MatchInterface, NamesEachOfTheKeyboardsInterfaces) {
  EXPECT_EQ(MatchInterface(0x0C45, 0x6741, 0xFF1C, 0x0092), KeyboardInterface::kCommand);
  EXPECT_EQ(MatchInterface(0x0C45, 0x6741, 0x000C, 0x0001), KeyboardInterface::kConsumer);
  EXPECT_EQ(MatchInterface(0x0C45, 0x6741, 0x0008, 0x0089), KeyboardInterface::kLed);
}

TEST(MatchInterface, EveryFieldMustMatch) {
  EXPECT_EQ(MatchInterface(0x0C46, 0x6741, 0xFF1C, 0x0092), KeyboardInterface::kNone);
  EXPECT_EQ(MatchInterface(0x0C45, 0x6742, 0xFF1C, 0x0092), KeyboardInterface::kNone);
  // The keyboard's own boot keyboard collection, and usages of one
  // interface paired with the page of another.
  EXPECT_EQ(MatchInterface(0x0C45, 0x6741, 0x0001, 0x0006), KeyboardInterface::kNone);
  EXPECT_EQ(MatchInterface(0x0C45, 0x6741, 0xFF1C, 0x0001), KeyboardInterface::kNone);
  EXPECT_EQ(MatchInterface(0x0C45, 0x6741, 0x000C, 0x0092), KeyboardInterface::kNone);
  EXPECT_EQ(MatchInterface(0x0C45, 0x6741, 0x0092, 0xFF1C), KeyboardInterface::kNone);
}

TEST(FrameOutputReport, PadsWithZerosToTheInterfacesLength) {
  const Bytes bank_flags = {0x05, 0x03};
  EXPECT_EQ(FrameOutputReport(bank_flags.data(), bank_flags.size(), 2), (Bytes{0x05, 0x03}));
  EXPECT_EQ(FrameOutputReport(bank_flags.data(), bank_flags.size(), 8),
            (Bytes{0x05, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));

  Bytes command(64, 0x00);
  command[0] = 0x04;
  command[1] = 0xA1;
  command[63] = 0x5A;
  EXPECT_EQ(FrameOutputReport(command.data(), command.size(), 64), command);
  Bytes longer = command;
  longer.push_back(0x00);
  EXPECT_EQ(FrameOutputReport(command.data(), command.size(), 65), longer);
}

TEST(FrameOutputReport, RefusesWhatWouldHaveToBeCut) {
  const Bytes command = {0x04, 0x11, 0x22, 0x33};
  EXPECT_TRUE(FrameOutputReport(command.data(), command.size(), 3).empty());
  EXPECT_TRUE(FrameOutputReport(command.data(), command.size(), 0).empty());
  EXPECT_TRUE(FrameOutputReport(command.data(), 0, 64).empty());
  EXPECT_TRUE(FrameOutputReport(nullptr, 4, 64).empty());
}

TEST(CommandReplyFromInput, DeliversTheFirst64BytesPaddedWithZeros) {
  Bytes report(65, 0x00);
  for (size_t i = 0; i < report.size(); ++i) report[i] = static_cast<uint8_t>(i + 1);
  const Bytes reply = CommandReplyFromInput(report.data(), report.size());
  ASSERT_EQ(reply.size(), 64u);
  EXPECT_EQ(reply.front(), 0x01);
  EXPECT_EQ(reply.back(), 0x40);  // the 65th byte is dropped

  const Bytes short_report = {0x04, 0xA1, 0x00, 0x07};
  Bytes expected(64, 0x00);
  expected[0] = 0x04;
  expected[1] = 0xA1;
  expected[3] = 0x07;
  EXPECT_EQ(CommandReplyFromInput(short_report.data(), short_report.size()), expected);

  EXPECT_TRUE(CommandReplyFromInput(short_report.data(), 0).empty());
  EXPECT_TRUE(CommandReplyFromInput(nullptr, 64).empty());
}

TEST(ConsumerCodeFromInput, ReadsTheCodeLowByteFirst) {
  const Bytes volume_up = {0x03, 0xE9, 0x00};
  EXPECT_EQ(ConsumerCodeFromInput(volume_up.data(), volume_up.size()), uint16_t{0x00E9});
  const Bytes home_with_tail = {0x03, 0x23, 0x02, 0xFF, 0xFF};
  EXPECT_EQ(ConsumerCodeFromInput(home_with_tail.data(), home_with_tail.size()), uint16_t{0x0223});
}

TEST(ConsumerCodeFromInput, ReleaseAndShortReportsAreNotDelivered) {
  const Bytes release = {0x03, 0x00, 0x00};
  EXPECT_EQ(ConsumerCodeFromInput(release.data(), release.size()), std::nullopt);
  const Bytes cut = {0x03, 0xE9};
  EXPECT_EQ(ConsumerCodeFromInput(cut.data(), cut.size()), std::nullopt);
  EXPECT_EQ(ConsumerCodeFromInput(nullptr, 3), std::nullopt);
}

TEST(CountKeyboards, CountsPhysicalKeyboardsNotInterfaces) {
  const std::vector<KeyboardInterfaceEntry> entries = {
      {u"USB\\VID_0C45&PID_6741\\5&1C2D&0&1", KeyboardInterface::kCommand},
      {u"USB\\VID_0C45&PID_6741\\5&1C2D&0&1", KeyboardInterface::kConsumer},
      {u"USB\\VID_0C45&PID_6741\\5&1C2D&0&1", KeyboardInterface::kLed},
      {u"usb\\vid_0c45&pid_6741\\5&1c2d&0&1", KeyboardInterface::kCommand},  // same, other case
      {u"USB\\VID_0C45&PID_6741\\5&9F8E&0&4", KeyboardInterface::kCommand},
      {u"USB\\VID_0C45&PID_6741\\5&9F8E&0&4", KeyboardInterface::kLed},
      // Only its consumer interface has appeared so far.
      {u"USB\\VID_0C45&PID_6741\\5&7777&0&2", KeyboardInterface::kConsumer},
  };
  EXPECT_EQ(CountKeyboards(entries), 2);
  EXPECT_EQ(CountKeyboards(entries, KeyboardInterface::kConsumer), 2);
  EXPECT_EQ(CountKeyboards(entries, KeyboardInterface::kLed), 2);
  EXPECT_EQ(CountKeyboards({}), 0);
}

TEST(DeviceGrouping, InterfaceNodesOfACompositeDeviceAreRecognised) {
  EXPECT_TRUE(IsUsbInterfaceNode(u"USB\\VID_0C45&PID_6741&MI_01\\6&2F3A1B&0&0001"));
  EXPECT_TRUE(IsUsbInterfaceNode(u"usb\\vid_0c45&pid_6741&mi_00\\6&2f3a1b&0&0000"));
  EXPECT_FALSE(IsUsbInterfaceNode(u"USB\\VID_0C45&PID_6741\\5&1C2D3E&0&3"));
  // "MI_" only counts as a field of the hardware part.
  EXPECT_FALSE(IsUsbInterfaceNode(u"USB\\VID_0C45&PID_6741\\MI_00&1"));
  EXPECT_FALSE(IsUsbInterfaceNode(u"USB\\VID_0C45&XMI_01\\1"));
  EXPECT_FALSE(IsUsbInterfaceNode(u"MI_01"));
  EXPECT_FALSE(IsUsbInterfaceNode(u""));
}

TEST(DeviceGrouping, PathKeyDropsTheInterfaceFields) {
  const std::u16string guid = u"{4d1e55b2-f16f-11cf-88cb-001111000030}";
  const std::u16string command = u"\\\\?\\hid#vid_0c45&pid_6741&mi_01&col02#7&2a&0&0001#" + guid;
  const std::u16string consumer = u"\\\\?\\HID#VID_0C45&PID_6741&MI_02#7&3b&0&0000#" + guid;
  EXPECT_EQ(DeviceKeyFromPath(command), u"\\\\?\\hid#vid_0c45&pid_6741");
  EXPECT_EQ(DeviceKeyFromPath(consumer), DeviceKeyFromPath(command));
  EXPECT_EQ(DeviceKeyFromPath(u"\\\\?\\hid#vid_0c45&pid_6741&col03#7&2a&0&0002#" + guid),
            u"\\\\?\\hid#vid_0c45&pid_6741");
  EXPECT_EQ(DeviceKeyFromPath(u"\\\\?\\hid#vid_0c45&pid_6741#7&2a&0&0000#" + guid),
            u"\\\\?\\hid#vid_0c45&pid_6741");
  EXPECT_NE(DeviceKeyFromPath(u"\\\\?\\hid#vid_0c45&pid_6742&mi_01#7&2a&0&0000#" + guid),
            DeviceKeyFromPath(command));
}

TEST(CountDebouncer, AChangeIsReportedOnItsSecondSighting) {
  CountDebouncer count(0);
  EXPECT_EQ(count.Poll(1), std::nullopt);
  EXPECT_EQ(count.Poll(1), 1);
  EXPECT_EQ(count.current(), 1);
  EXPECT_EQ(count.Poll(1), std::nullopt);  // reported once only
  EXPECT_EQ(count.Poll(0), std::nullopt);
  EXPECT_EQ(count.Poll(0), 0);
}

TEST(CountDebouncer, InterfacesAppearingOneByOneGiveOneChange) {
  CountDebouncer count(0);
  std::vector<int> reported;
  for (int seen : {1, 2, 3, 3, 3}) {
    if (const auto change = count.Poll(seen)) reported.push_back(*change);
  }
  EXPECT_EQ(reported, std::vector<int>{3});
}

TEST(CountDebouncer, ABlipThatGoesBackIsNeverReported) {
  CountDebouncer count(2);
  EXPECT_EQ(count.Poll(1), std::nullopt);
  EXPECT_EQ(count.Poll(2), std::nullopt);
  EXPECT_EQ(count.Poll(1), std::nullopt);  // the earlier sighting of 1 does not carry over
  EXPECT_EQ(count.current(), 2);
}

TEST(CountDebouncer, AChangeThatWasNotAppliedIsOfferedAgain) {
  SettledValue<int> open(0);
  EXPECT_EQ(open.Poll(2), std::nullopt);
  EXPECT_EQ(open.Poll(2), 2);
  open.Set(1);  // one of the two could not be opened
  EXPECT_EQ(open.Poll(2), std::nullopt);
  EXPECT_EQ(open.Poll(2), 2);
}

}  // namespace
}  // namespace velkor::testing
