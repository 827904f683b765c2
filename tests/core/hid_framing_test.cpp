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

TEST(VendorProductFromPath, ReadsTheHardwarePartOfAUsbInterfacePath) {
  using Pair = std::pair<uint16_t, uint16_t>;
  const std::u16string guid = u"{4d1e55b2-f16f-11cf-88cb-001111000030}";
  EXPECT_EQ(VendorProductFromPath(u"\\\\?\\hid#vid_0c45&pid_6741&mi_01&col02#7&2a&0&0001#" + guid),
            (Pair{0x0C45, 0x6741}));
  EXPECT_EQ(VendorProductFromPath(u"\\\\?\\HID#VID_046D&PID_C52B&MI_00#8&1b&0&0000#" + guid), (Pair{0x046D, 0xC52B}));
  // Fields of the instance part do not count.
  EXPECT_EQ(VendorProductFromPath(u"\\\\?\\hid#vid_0c45&pid_6741#vid_1111&pid_2222#" + guid), (Pair{0x0C45, 0x6741}));
}

TEST(VendorProductFromPath, APathThatDoesNotSayPlainlyMustBeAsked) {
  // A Bluetooth path spells them otherwise; the interface is then probed.
  EXPECT_EQ(VendorProductFromPath(
                u"\\\\?\\hid#{00001124-0000-1000-8000-00805f9b34fb}_vid&0002046d_pid&b342#9&1&0#{4d1e55b2}"),
            std::nullopt);
  EXPECT_EQ(VendorProductFromPath(u"\\\\?\\hid#vid_0c45#7&2a#{4d1e55b2}"), std::nullopt);  // no product
  EXPECT_EQ(VendorProductFromPath(u"\\\\?\\hid#vid_0c4&pid_6741#7&2a#{4d1e55b2}"), std::nullopt);
  EXPECT_EQ(VendorProductFromPath(u"\\\\?\\hid#vid_0c4g&pid_6741#7&2a#{4d1e55b2}"), std::nullopt);
  EXPECT_EQ(VendorProductFromPath(u"no path at all"), std::nullopt);
}

TEST(CountEvents, AReplacedKeyboardGivesARemovalAndAnArrivalAtTheSameCount) {
  const std::vector<KeyboardPresence> first = {{u"USB\\A", 1}};
  const std::vector<KeyboardPresence> replaced = {{u"USB\\A", 4}};
  EXPECT_EQ(CountEvents(first, replaced), (std::vector<int>{0, 1}));

  const std::vector<KeyboardPresence> two = {{u"USB\\A", 1}, {u"USB\\B", 2}};
  const std::vector<KeyboardPresence> b_replaced = {{u"USB\\A", 1}, {u"USB\\B", 5}};
  EXPECT_EQ(CountEvents(two, b_replaced), (std::vector<int>{1, 2}));
}

TEST(CountEvents, PlainArrivalsAndRemovalsGiveOneChange) {
  const std::vector<KeyboardPresence> none;
  const std::vector<KeyboardPresence> one = {{u"USB\\A", 1}};
  const std::vector<KeyboardPresence> two = {{u"USB\\A", 1}, {u"USB\\B", 2}};
  EXPECT_EQ(CountEvents(none, one), (std::vector<int>{1}));
  EXPECT_EQ(CountEvents(one, none), (std::vector<int>{0}));
  EXPECT_EQ(CountEvents(one, two), (std::vector<int>{2}));
  EXPECT_EQ(CountEvents(two, one), (std::vector<int>{1}));
  EXPECT_TRUE(CountEvents(two, two).empty());
  // One gone and another come at once: the removal is announced first.
  const std::vector<KeyboardPresence> other = {{u"USB\\B", 2}};
  EXPECT_EQ(CountEvents(one, other), (std::vector<int>{0, 1}));
}

}  // namespace
}  // namespace velkor::testing
