// Key assignments into the keyboard's key map and back, against entries
// written here by hand.
#include <gtest/gtest.h>

#include "model/key_assignment.h"

namespace velkor::testing {
namespace {

// Positions of a few keys in the built-in default layout.
constexpr int kPosA = 19;
constexpr int kPosB = 52;
constexpr int kPosEsc = 8;

KeyAssignment Kind(AssignmentKind kind, uint32_t parameter = 0) {
  KeyAssignment a;
  a.kind = static_cast<uint16_t>(kind);
  a.parameter = parameter;
  return a;
}

KeyMapEntry At(const KeyMapBytes& b, int p) { return EntryAt(b, p); }

TEST(EncodeKeyMap, AnAllDefaultBankIsTheDefaultLayout) {
  EXPECT_EQ(EncodeKeyMap(EmptyBank(), BuiltInDefaultLayout(), nullptr), BuiltInDefaultLayout());
  const KeyMapBytes read = AdoptReadLayout(BuiltInDefaultLayout());
  EXPECT_EQ(At(read, 146), (KeyMapEntry{5, 3, 3}));
  EXPECT_EQ(EncodeKeyMap(EmptyBank(), read, nullptr), read);
}

TEST(EncodeKeyMap, EachKindWritesItsEntry) {
  Bank bank = EmptyBank();
  bank[0x1E] = Kind(AssignmentKind::kSingleKey, 0x030);  // A sends B
  bank[0x30] = Kind(AssignmentKind::kSingleKey, 0x036);  // B sends Right Shift
  bank[0x01] = Kind(AssignmentKind::kSingleKey, 0x120);  // Esc sends a consumer key: no usage
  bank[0x02] = Kind(AssignmentKind::kMedia, 5);           // "1": volume down
  bank[0x03] = Kind(AssignmentKind::kPlayMacro, 7);       // "2": the macro with id 7
  bank[0x04] = Kind(AssignmentKind::kPlayMacro, 9);       // "3": no such macro
  bank[0x05] = Kind(AssignmentKind::kFunction, 0x102);    // "4": function index, low byte
  bank[0x06] = Kind(AssignmentKind::kStopMacro);          // "5"
  bank[0x07] = Kind(AssignmentKind::kDisabled);           // "6"
  bank[0x08] = Kind(AssignmentKind::kTextBlock);          // "7"
  bank[0x09] = Kind(AssignmentKind::kLaunch);             // "8": as the default
  bank[0x0A] = Kind(AssignmentKind::kMedia, 40);          // "9": no such media index
  const auto position = [](uint32_t id) { return id == 7 ? 3 : 0; };
  const KeyMapBytes block = EncodeKeyMap(bank, BuiltInDefaultLayout(), position);
  EXPECT_EQ(At(block, kPosA), (KeyMapEntry{2, 2, 0x05}));
  EXPECT_EQ(At(block, kPosB), (KeyMapEntry{2, 1, 0x20}));
  EXPECT_EQ(At(block, kPosEsc), (KeyMapEntry{2, 2, 0x00}));
  // The digits "1".."9" sit at positions 17, 25, .. 81.
  EXPECT_EQ(At(block, 17), (KeyMapEntry{3, 0xEA, 0x00}));
  EXPECT_EQ(At(block, 25), (KeyMapEntry{5, 1, 3}));
  EXPECT_EQ(At(block, 33), (KeyMapEntry{5, 1, 0}));
  EXPECT_EQ(At(block, 41), (KeyMapEntry{5, 5, 0x02}));
  EXPECT_EQ(At(block, 49), (KeyMapEntry{5, 2, 0}));
  EXPECT_EQ(At(block, 57), (KeyMapEntry{0, 0, 0}));
  EXPECT_EQ(At(block, 65), (KeyMapEntry{0, 0, 0}));
  EXPECT_EQ(At(block, 73), (KeyMapEntry{2, 2, 0x25}));  // "8" keeps its own usage
  EXPECT_EQ(At(block, 81), (KeyMapEntry{3, 0x00, 0x00}));
  // The trailing 32 bytes and the positions of no key stay.
  EXPECT_TRUE(std::equal(block.begin() + 480, block.end(), BuiltInDefaultLayout().begin() + 480));
  EXPECT_EQ(At(block, 0), (KeyMapEntry{5, 0, 0}));
}

TEST(EncodeKeyMap, PositionOneFortySixIsNeverWritten) {
  const KeyMapBytes layout = AdoptReadLayout(BuiltInDefaultLayout());
  Bank bank;
  bank.fill(Kind(AssignmentKind::kDisabled));
  const KeyMapBytes block = EncodeKeyMap(bank, layout, nullptr);
  EXPECT_EQ(At(block, 146), (KeyMapEntry{5, 3, 3}));
  EXPECT_EQ(At(block, kPosA), (KeyMapEntry{0, 0, 0}));
}

TEST(DecodeKeyMap, TheDefaultLayoutDecodesToAnEmptyBank) {
  const Bank bank = DecodeKeyMap(BuiltInDefaultLayout(), BuiltInDefaultLayout());
  for (int s = 0; s < kBankSlots; ++s) {
    const uint16_t expected_extra = s >= 256 && s < 265 ? 0x0301 + (s - 256)
                                    : s >= 265 && s < 274 ? 0x1301 + (s - 265)
                                                          : 0;
    EXPECT_EQ(bank[s], (KeyAssignment{0, expected_extra, 0, 0, 0})) << s;
  }
}

TEST(DecodeKeyMap, EntriesBecomeTheirKinds) {
  KeyMapBytes block = BuiltInDefaultLayout();
  SetEntry(block, kPosA, {3, 0xEA, 0x00});
  SetEntry(block, kPosB, {3, 0x34, 0x12});
  SetEntry(block, kPosEsc, {5, 1, 0});
  SetEntry(block, 17, {6, 0xA2, 3});    // a G key where the default is "1"
  SetEntry(block, 25, {2, 1, 0x22});    // Shift and Right Shift: the lowest bit
  SetEntry(block, 33, {2, 2, 0x04});
  SetEntry(block, 41, {5, 2, 9});
  SetEntry(block, 49, {5, 5, 4});
  SetEntry(block, 57, {5, 7, 1});
  SetEntry(block, 65, {2, 2, 0xF0});    // a usage no key has
  SetEntry(block, 73, {2, 1, 0x00});    // an empty modifier mask
  SetEntry(block, 81, {2, 3, 0x04});    // another sub-type
  SetEntry(block, 89, {4, 0x81, 0x00}); // a system control
  const Bank bank = DecodeKeyMap(block, BuiltInDefaultLayout());
  EXPECT_EQ(bank[0x1E], Kind(AssignmentKind::kMedia, 5));
  EXPECT_EQ(bank[0x30], Kind(AssignmentKind::kDisabled));
  EXPECT_EQ(bank[0x01], Kind(AssignmentKind::kPlayMacro, 1));
  EXPECT_EQ(bank[0x02], Kind(AssignmentKind::kDisabled));
  EXPECT_EQ(bank[0x03], Kind(AssignmentKind::kSingleKey, 0x02A));
  EXPECT_EQ(bank[0x04], Kind(AssignmentKind::kSingleKey, 0x01E));
  EXPECT_EQ(bank[0x05], Kind(AssignmentKind::kStopMacro));
  EXPECT_EQ(bank[0x06], Kind(AssignmentKind::kFunction, 4));
  EXPECT_EQ(bank[0x07], Kind(AssignmentKind::kDisabled));
  EXPECT_EQ(bank[0x08], Kind(AssignmentKind::kDisabled));
  EXPECT_EQ(bank[0x09], Kind(AssignmentKind::kSingleKey, 0));
  EXPECT_EQ(bank[0x0A], Kind(AssignmentKind::kDisabled));
  EXPECT_EQ(bank[0x0B], Kind(AssignmentKind::kDisabled));
}

TEST(KeyOfEntry, FollowsTheEntryTypes) {
  EXPECT_EQ(KeyOfEntry({2, 2, 0x04}), KeyCode{0x01E});
  EXPECT_EQ(KeyOfEntry({2, 7, 0x20}), KeyCode{0x036});  // any b1 but 2 is a modifier mask
  EXPECT_EQ(KeyOfEntry({6, 0xA2, 18}), KeyCode{0x211});
  EXPECT_FALSE(KeyOfEntry({6, 0xA2, 19}).has_value());
  EXPECT_FALSE(KeyOfEntry({6, 0xA1, 1}).has_value());
  EXPECT_FALSE(KeyOfEntry({5, 1, 0}).has_value());
  EXPECT_FALSE(KeyOfEntry({0, 0, 0}).has_value());
  EXPECT_FALSE(KeyOfEntry({1, 2, 4}).has_value());
}

}  // namespace
}  // namespace velkor::testing
