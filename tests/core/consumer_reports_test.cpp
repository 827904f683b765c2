#include "ostrel/consumer_reports.h"

#include <gtest/gtest.h>

#include <vector>

namespace velkor::testing {
namespace {

using Bytes = std::vector<uint8_t>;
using Codes = std::vector<uint16_t>;

HidFieldCaps ArrayField(uint8_t id, uint16_t count) {
  HidFieldCaps f;
  f.report_id = id;
  f.button = true;
  f.array = true;
  f.usage_page = 0x000C;
  f.usage_min = 0x0000;
  f.usage_max = 0x023C;  // the declared maximum; the keyboard's own codes lie above it
  f.report_count = count;
  return f;
}

HidFieldCaps BitField(uint8_t id, uint16_t first, uint16_t last) {
  HidFieldCaps f;
  f.report_id = id;
  f.button = true;
  f.array = false;
  f.usage_page = 0x000C;
  f.usage_min = first;
  f.usage_max = last;
  return f;
}

HidFieldCaps ValueField(uint8_t id, uint16_t bits, uint16_t count) {
  HidFieldCaps f;
  f.report_id = id;
  f.button = false;
  f.usage_page = 0x000C;
  f.usage_min = f.usage_max = 0x0001;
  f.bit_size = bits;
  f.report_count = count;
  f.logical_max = 0x03FF;
  return f;
}

HidCollection Consumer(uint16_t input_length, std::vector<HidFieldCaps> input) {
  HidCollection c;
  c.vendor = 0x0C45;
  c.product = 0x6741;
  c.usage_page = 0x000C;
  c.usage = 0x0001;
  c.input_length = input_length;
  c.input = std::move(input);
  return c;
}

// The platform's parser must not be asked for reports of code slots.
const ConsumerDecoder::PressedUsages kNeverAsked = [] {
  ADD_FAILURE() << "the platform's parser was asked for a report of code slots";
  return Codes{};
};

TEST(ConsumerLayout, TheCommonLayoutWorksAsItAlwaysHas) {
  // Without capabilities, and with capabilities that say the same.
  for (const ConsumerLayout& layout : {ConsumerLayout{}, ConsumerLayoutFrom(Consumer(3, {ArrayField(0x02, 1)}))}) {
    ConsumerDecoder decoder(layout);
    EXPECT_EQ(decoder.Decode(Bytes{0x02, 0xFF, 0x02}, kNeverAsked), Codes{0x02FF});
    // A keyboard that sends its bank key twice without a release in between
    // switches the bank twice, as before.
    EXPECT_EQ(decoder.Decode(Bytes{0x02, 0xFF, 0x02}, kNeverAsked), Codes{0x02FF});
    EXPECT_EQ(decoder.Decode(Bytes{0x02, 0x00, 0x00}, kNeverAsked), Codes{});
    EXPECT_EQ(decoder.Decode(Bytes{0x02, 0x11, 0x18}, kNeverAsked), Codes{0x1811});  // above the declared maximum
    EXPECT_EQ(decoder.Decode(Bytes{0x02, 0x01}, kNeverAsked), Codes{});             // cut short
    EXPECT_EQ(decoder.Decode(Bytes{}, kNeverAsked), Codes{});
  }
  EXPECT_EQ(ConsumerLayoutFrom(Consumer(3, {ArrayField(0x02, 1)})).reports,
            (std::vector<ConsumerReportLayout>{{0x02, 1, 2, false}}));
}

TEST(ConsumerLayout, EverySlotOfAnArrayIsReadAndAHeldKeyIsNotRepeated) {
  const ConsumerLayout layout = ConsumerLayoutFrom(Consumer(9, {ArrayField(0x02, 4)}));
  EXPECT_EQ(layout.reports, (std::vector<ConsumerReportLayout>{{0x02, 4, 2, false}}));
  ConsumerDecoder decoder(layout);
  EXPECT_EQ(decoder.Decode(Bytes{0x02, 0xE9, 0x00, 0, 0, 0, 0, 0, 0}, kNeverAsked), Codes{0x00E9});
  // The bank key pressed while volume-up is held: only the bank key is new.
  EXPECT_EQ(decoder.Decode(Bytes{0x02, 0xE9, 0x00, 0xFF, 0x02, 0, 0, 0, 0}, kNeverAsked), Codes{0x02FF});
  // Volume-up let go: nothing new.
  EXPECT_EQ(decoder.Decode(Bytes{0x02, 0xFF, 0x02, 0, 0, 0, 0, 0, 0}, kNeverAsked), Codes{});
  EXPECT_EQ(decoder.Decode(Bytes{0x02, 0, 0, 0, 0, 0, 0, 0, 0}, kNeverAsked), Codes{});
  // Two at once, in slot order, each once; a vendor code in the last slot.
  EXPECT_EQ(decoder.Decode(Bytes{0x02, 0x10, 0x18, 0x01, 0x04, 0x10, 0x18, 0x11, 0x18}, kNeverAsked),
            (Codes{0x1810, 0x0401, 0x1811}));
}

TEST(ConsumerLayout, SlotsFitTheReportWhateverTheCountSays) {
  // No count given: as many slots as the report holds.
  EXPECT_EQ(ConsumerLayoutFrom(Consumer(5, {ArrayField(0x02, 0)})).reports,
            (std::vector<ConsumerReportLayout>{{0x02, 2, 2, false}}));
  // A count larger than the report: cut to the report.
  const ConsumerLayout layout = ConsumerLayoutFrom(Consumer(6, {ArrayField(0x02, 4)}));
  EXPECT_EQ(layout.reports, (std::vector<ConsumerReportLayout>{{0x02, 2, 2, false}}));
  // And a report that arrives shorter than its slots is read no further.
  ConsumerDecoder decoder(layout);
  EXPECT_EQ(decoder.Decode(Bytes{0x02, 0xE9, 0x00, 0xEA}, kNeverAsked), Codes{0x00E9});
}

TEST(ConsumerLayout, AnUnnumberedCollectionReadsAfterTheZeroByte) {
  const ConsumerLayout layout = ConsumerLayoutFrom(Consumer(3, {ArrayField(0x00, 1)}));
  EXPECT_EQ(layout.reports, (std::vector<ConsumerReportLayout>{{0x00, 1, 2, false}}));
  ConsumerDecoder decoder(layout);
  EXPECT_EQ(decoder.Decode(Bytes{0x00, 0xCD, 0x00}, kNeverAsked), Codes{0x00CD});
  EXPECT_EQ(decoder.Decode(Bytes{0x00, 0x00, 0x00}, kNeverAsked), Codes{});
}

TEST(ConsumerLayout, ByteWideSlots) {
  // One report of an ID and one 8-bit code: the report is exactly that long.
  EXPECT_EQ(ConsumerLayoutFrom(Consumer(2, {ArrayField(0x01, 1)})).reports,
            (std::vector<ConsumerReportLayout>{{0x01, 1, 1, false}}));
  const ConsumerLayout values = ConsumerLayoutFrom(Consumer(3, {ValueField(0x04, 8, 2)}));
  EXPECT_EQ(values.reports, (std::vector<ConsumerReportLayout>{{0x04, 2, 1, false}}));
  ConsumerDecoder decoder(values);
  EXPECT_EQ(decoder.Decode(Bytes{0x04, 0xE9, 0xB5}, kNeverAsked), (Codes{0x00E9, 0x00B5}));
}

TEST(ConsumerLayout, ABitmapIsReadByThePlatformsParser) {
  // Report 2: one 16-bit code; report 3: one bit for each of nine usages.
  const ConsumerLayout layout =
      ConsumerLayoutFrom(Consumer(3, {ArrayField(0x02, 1), BitField(0x03, 0x00E2, 0x00EA)}));
  EXPECT_EQ(layout.reports,
            (std::vector<ConsumerReportLayout>{{0x02, 1, 2, false}, {0x03, 0, 2, true}}));
  ConsumerDecoder decoder(layout);
  Codes pressed = {0x00E9};
  int asked = 0;
  const auto parser = [&] {
    ++asked;
    return pressed;
  };
  EXPECT_EQ(decoder.Decode(Bytes{0x03, 0x80, 0x00}, parser), Codes{0x00E9});
  EXPECT_EQ(decoder.Decode(Bytes{0x03, 0x80, 0x00}, parser), Codes{});  // still held
  pressed = {0x00E9, 0x00EA};
  EXPECT_EQ(decoder.Decode(Bytes{0x03, 0x80, 0x01}, parser), Codes{0x00EA});
  pressed = {};
  EXPECT_EQ(decoder.Decode(Bytes{0x03, 0x00, 0x00}, parser), Codes{});
  EXPECT_EQ(asked, 4);
  // The code report beside it is still read slot by slot.
  EXPECT_EQ(decoder.Decode(Bytes{0x02, 0xFF, 0x02}, parser), Codes{0x02FF});
  EXPECT_EQ(asked, 4);
}

TEST(ConsumerLayout, SlotsOfMixedSizesAreLeftToTheParser) {
  const ConsumerLayout layout = ConsumerLayoutFrom(Consumer(4, {ValueField(0x02, 8, 1), ValueField(0x02, 16, 1)}));
  EXPECT_EQ(layout.reports, (std::vector<ConsumerReportLayout>{{0x02, 0, 2, true}}));
}

TEST(ConsumerLayout, DescriptionForTheLog) {
  EXPECT_EQ(DescribeConsumerLayout(
                ConsumerLayoutFrom(Consumer(9, {ArrayField(0x02, 4), BitField(0x03, 0x00E2, 0x00EA)}))),
            "report 02: 4 slots of 16 bits; report 03: bitmap");
}

}  // namespace
}  // namespace velkor::testing
