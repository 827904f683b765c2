// The macro store the keyboard plays from, byte for byte.
#include <gtest/gtest.h>

#include "model/macro_store.h"
#include "tests/support/device_harness.h"

namespace velkor::testing {
namespace {

MacroRecord Macro1() {
  MacroRecord m;
  m.SetName(u"Macro1");
  m.id = 1;
  m.cycles = 1;
  m.action_count = 2;
  m.actions[0] = {120, 0x01D, 0};  // press Ctrl, then 120 ms
  m.actions[1] = {0, 0x01E, 1};    // release A
  return m;
}

TEST(MacroStore, AnEmptyListIsTheHeaderAlone) {
  const StoreSizes sizes = StoreSize({});
  EXPECT_EQ(sizes.with_names, 16u);
  EXPECT_EQ(sizes.without_names, 16u);
  EXPECT_EQ(EncodeStore({}, 16, true), Hex("AA 55 10 00 00 00 01 00", 16));
  EXPECT_EQ(PlanStore({}, 16).outcome, StorePlan::Outcome::kWithNames);
  EXPECT_EQ(PlanStore({}, 0).outcome, StorePlan::Outcome::kTooLarge);  // the keyboard was never read
}

TEST(MacroStore, OneMacroWithAndWithoutItsName) {
  const MacroList list{Macro1()};
  const StoreSizes sizes = StoreSize(list);
  EXPECT_EQ(sizes.without_names, 30u);
  EXPECT_EQ(sizes.with_names, 42u);
  EXPECT_EQ(EncodeStore(list, 30, false),
            Hex("AA 55 1E 00 01 00 00 00 00 00 00 00 00 00 00 00 12 00 "
                "02 00 01 00 0C A0 01 01 00 20 02 04"));
  EXPECT_EQ(EncodeStore(list, 42, true),
            Hex("AA 55 2A 00 01 00 01 00 00 00 00 00 00 00 00 00 12 00 "
                "02 00 01 06 0C A0 01 01 00 20 02 04 4D 00 61 00 63 00 72 00 6F 00 31 00"));
  // Capacity decides: an exact fit keeps the names, one byte less drops them.
  EXPECT_EQ(PlanStore(list, 42).outcome, StorePlan::Outcome::kWithNames);
  EXPECT_EQ(PlanStore(list, 41).outcome, StorePlan::Outcome::kWithoutNames);
  EXPECT_EQ(PlanStore(list, 41).bytes.size(), 30u);
  EXPECT_EQ(PlanStore(list, 29).outcome, StorePlan::Outcome::kTooLarge);
  EXPECT_TRUE(PlanStore(list, 29).bytes.empty());
}

TEST(MacroStore, ActionWordsCarryDelayKindAndDirection) {
  EXPECT_EQ(EncodeAction({120, 0x01D, 0}), (std::array<uint16_t, 2>{0xA00C, 0x0101}));
  EXPECT_EQ(EncodeAction({0, 0x01E, 1}), (std::array<uint16_t, 2>{0x2000, 0x0402}));
  EXPECT_EQ(EncodeAction({15, 0x01E, 1})[0], 0x2001);           // 15 ms is one unit of 10
  EXPECT_EQ(EncodeAction({40950, 0x01E, 1})[0], 0x2FFF);
  EXPECT_EQ(EncodeAction({50000, 0x01E, 1})[0], 0x2FFF);        // held at the longest, not wrapped
  EXPECT_EQ(EncodeAction({0, 0x120, 7}), (std::array<uint16_t, 2>{0xB000, 0x00E2}));  // Mute, press
  EXPECT_EQ(EncodeAction({0, 0x15E, 1}), (std::array<uint16_t, 2>{0x4000, 0x0081}));  // Power
  EXPECT_EQ(EncodeAction({0, 0x171, 1}), (std::array<uint16_t, 2>{0x0000, 0x0000}));  // Left Button
  EXPECT_EQ(EncodeAction({0, 0x036, 0}), (std::array<uint16_t, 2>{0xA000, 0x2001}));  // Right Shift
}

TEST(MacroStore, DecodingGivesIdsInStoreOrderAndNamesWhenThereAreNone) {
  MacroRecord second = Macro1();
  second.SetName(u"Second");
  second.id = 40;
  second.cycles = 3;
  second.actions[0].delay_ms = 15;
  const MacroList list{Macro1(), second};
  const auto without = DecodeStore(EncodeStore(list, StoreSize(list).without_names, false), nullptr);
  ASSERT_TRUE(without);
  ASSERT_EQ(without->size(), 2u);
  EXPECT_EQ((*without)[0].Name(), u"Macro1");
  EXPECT_EQ((*without)[1].Name(), u"Macro2");
  EXPECT_EQ((*without)[1].id, 2);
  EXPECT_EQ((*without)[1].cycles, 3);
  EXPECT_EQ((*without)[1].actions[0].delay_ms, 10u);
  EXPECT_EQ((*without)[1].actions[0].key, 0x01D);
  EXPECT_EQ((*without)[1].actions[0].direction, 0);
  EXPECT_EQ((*without)[1].actions[1].key, 0x01E);
  EXPECT_EQ((*without)[1].actions[1].direction, 1);

  const auto with = DecodeStore(EncodeStore(list, StoreSize(list).with_names, true), nullptr);
  ASSERT_TRUE(with);
  EXPECT_EQ((*with)[1].Name(), u"Second");
}

TEST(MacroStore, ConsumerAndSystemActionsDecodeToTheirKeys) {
  // One macro: Mute pressed (3, 0x00E2), Power released (4, 0x0081), an action of no kind.
  const std::vector<uint8_t> store = Hex(
      "AA 55 1E 00 01 00 00 00 00 00 00 00 00 00 00 00 12 00 03 00 01 00 "
      "00 B0 E2 00 00 40 81 00 05 00 00 00", 34);
  std::vector<uint8_t> exact(store.begin(), store.begin() + 34);
  exact[2] = 34;
  const auto list = DecodeStore(exact, nullptr);
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 1u);
  const MacroRecord& m = (*list)[0];
  ASSERT_EQ(m.action_count, 3);
  EXPECT_EQ(m.actions[0].key, 0x120);
  EXPECT_EQ(m.actions[0].direction, 0);
  EXPECT_EQ(m.actions[1].key, 0x15E);
  EXPECT_EQ(m.actions[1].direction, 1);
  EXPECT_EQ(m.actions[2].key, 0);
  EXPECT_EQ(m.actions[2].delay_ms, 50u);
}

TEST(MacroStore, DecodingNeverReadsPastTheBytes) {
  const MacroList list{Macro1()};
  const std::vector<uint8_t> good = EncodeStore(list, 42, true);
  for (size_t cut = 16; cut < good.size(); ++cut) {
    EXPECT_FALSE(DecodeStore(std::vector<uint8_t>(good.begin(), good.begin() + cut), nullptr)) << cut;
  }
  std::vector<uint8_t> bad = good;
  bad[16] = 0xF0;  // the block lies past the end
  EXPECT_FALSE(DecodeStore(bad, nullptr));
  bad = good;
  bad[4] = 101;  // more macros than a list holds
  EXPECT_FALSE(DecodeStore(bad, nullptr));
  bad = good;
  bad[0] = 0x00;  // not a store at all: no macros
  ASSERT_TRUE(DecodeStore(bad, nullptr));
  EXPECT_TRUE(DecodeStore(bad, nullptr)->empty());
  EXPECT_TRUE(DecodeStore({}, nullptr)->empty());
}

TEST(MacroRecord, NamesAreCutTo249Characters) {
  MacroRecord m;
  m.SetName(std::u16string(300, u'x'));
  EXPECT_EQ(m.Name().size(), 249u);
  EXPECT_EQ(m.name[249], u'\0');
  EXPECT_EQ(MacroPosition({Macro1()}, 1), 0);
  MacroRecord b = Macro1();
  b.id = 5;
  EXPECT_EQ(MacroPosition({Macro1(), b}, 5), 1);
  EXPECT_EQ(MacroPosition({Macro1(), b}, 6), 0);
}

}  // namespace
}  // namespace velkor::testing
