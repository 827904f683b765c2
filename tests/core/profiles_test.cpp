// Applying a profile image to the keyboard and reading one back, checked in
// the emulator's request log and memory.
#include <gtest/gtest.h>

#include "device/commands.h"
#include "device/transport.h"
#include "model/profiles.h"
#include "tests/support/device_harness.h"

namespace velkor::testing {
namespace {

class ProfilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    harness_ = &Harness();
    for (const char* c : {"attach", "reset", "fault clear", "latency 1000 1000", "log clear"}) harness_->Control(c);
    transport_ = std::make_unique<Transport>(harness_->api());
    transport_->StartInterfaceReads();
    commands_ = std::make_unique<DeviceCommands>(*transport_);
    locks_.Create();
    profiles_ = std::make_unique<Profiles>(locks_);
    profiles_->working = ProfileImage::Default();
    profiles_->macro_capacity = 0x80 * 128;
  }
  void AddMacro1() {
    MacroRecord& m = profiles_->working.macros.emplace_back();
    m.SetName(u"Macro1");
    m.id = 7;
    m.action_count = 2;
    m.actions[0] = {120, 0x01D, 0};
    m.actions[1] = {0, 0x01E, 1};
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& r : LoggedRequests(*harness_)) names.push_back(r.name);
    return names;
  }
  ApplyOutcome Apply(bool all) {
    std::lock_guard working(locks_.working());
    return profiles_->ApplyToKeyboard(*commands_, all);
  }

  DeviceHarness* harness_ = nullptr;
  std::unique_ptr<Transport> transport_;
  std::unique_ptr<DeviceCommands> commands_;
  ImageLocks locks_;
  std::unique_ptr<Profiles> profiles_;
};

TEST_F(ProfilesTest, ApplySendsTheStoreAndTheCurrentKeyMapBetweenOpenAndClose) {
  AddMacro1();
  profiles_->working.Entry(0, 0x1E) = {2, 0, 0x030, 0, 0};  // A sends B
  profiles_->working.Entry(0, 0x30) = {4, 0, 7, 0, 0};      // B plays the macro with id 7
  const ApplyOutcome outcome = Apply(false);
  EXPECT_TRUE(outcome.success);
  EXPECT_FALSE(outcome.names_dropped);
  std::vector<std::string> expected = {"ReadConfigBlock", "BeginAccess", "WriteMacroMemory"};
  expected.insert(expected.end(), 10, "WriteKeyMapBlock");
  expected.push_back("EndAccess");
  EXPECT_EQ(Names(), expected);
  const auto sent = LoggedRequests(*harness_);
  EXPECT_EQ(sent[2].length(), 42u);  // the store with its name
  EXPECT_EQ(sent[3].address(), 0u);  // profile 0's key map
  // What the keyboard holds now: A (position 19, bytes 57..59) sends B's
  // usage 05; B (position 52, bytes 156..158) plays the macro at position 0.
  const std::string keymap = harness_->Control("dump keymap 0");
  EXPECT_NE(keymap.find("0030: 02 02 3A 02 02 1E 02 02 14 02 02 05 02 02 1D 02\n"), std::string::npos)
      << keymap;
  EXPECT_NE(keymap.find("0090: 02 02 3E 02 02 22 02 02 17 02 02 0A 05 01 00 05\n"), std::string::npos)
      << keymap;
  EXPECT_EQ(harness_->Control("dump macros").substr(0, 54),
            "0000: AA 55 2A 00 01 00 01 00 00 00 00 00 00 00 00 00\n");
  EXPECT_EQ(profiles_->applied.entries, profiles_->working.entries);
}

TEST_F(ProfilesTest, ALargerStoreGoesInPiecesOfFiftySix) {
  for (char16_t name : {u'A', u'B', u'C'}) {
    MacroRecord& m = profiles_->working.macros.emplace_back();
    m.SetName(std::u16string(1, name));
    m.id = static_cast<uint16_t>(name);
    m.action_count = 20;
  }
  ASSERT_TRUE(Apply(false).success);
  std::vector<unsigned> pieces;
  for (const auto& r : LoggedRequests(*harness_)) {
    if (r.name == "WriteMacroMemory") pieces.push_back(r.length());
  }
  // 16 + 2 x 3 + 3 x (4 + 20 x 4 + 2) = 280 bytes: five full pieces.
  EXPECT_EQ(pieces, (std::vector<unsigned>{56, 56, 56, 56, 56}));
  EXPECT_EQ(harness_->Control("dump macros").substr(0, 29), "0000: AA 55 18 01 03 00 01 00");
}

TEST_F(ProfilesTest, ApplyToAllProfilesSendsThreeKeyMaps) {
  EXPECT_TRUE(Apply(true).success);
  const auto sent = LoggedRequests(*harness_);
  ASSERT_EQ(sent.size(), 1u + 1 + 30 + 1);
  EXPECT_EQ(sent[2].address(), 0u);
  EXPECT_EQ(sent[12].address(), 512u);
  EXPECT_EQ(sent[22].address(), 1024u);
}

TEST_F(ProfilesTest, ApplySendsNothingWhenTheMacrosCanNotFit) {
  AddMacro1();
  profiles_->macro_capacity = 29;
  const ApplyOutcome too_large = Apply(false);
  EXPECT_FALSE(too_large.success);
  EXPECT_TRUE(too_large.macros_too_large);
  for (const auto& n : Names()) EXPECT_NE(n, "BeginAccess");

  profiles_->macro_capacity = 30;  // fits without the name
  const ApplyOutcome tight = Apply(false);
  EXPECT_TRUE(tight.success);
  EXPECT_TRUE(tight.names_dropped);
}

TEST_F(ProfilesTest, ApplyGuessesNoProfileWhenTheKeyboardCanNotSay) {
  profiles_->working.Entry(0, 1).kind = 1;
  harness_->Control("fault status-ff always 0x03");
  const ApplyOutcome outcome = Apply(false);
  EXPECT_FALSE(outcome.success);
  EXPECT_TRUE(outcome.profile_unknown);
  for (const auto& n : Names()) EXPECT_EQ(n, "ReadConfigBlock");
  EXPECT_EQ(profiles_->applied.Entry(0, 1).kind, 0);  // still what the keyboard has
}

// Success means the keyboard took every command; otherwise the applied
// image stays what the keyboard was last given whole.
TEST_F(ProfilesTest, AFailedMacroStoreSendsNoKeyMapsAndIsAFailure) {
  AddMacro1();
  profiles_->working.Entry(0, 0x30) = {4, 0, 7, 0, 0};  // B plays the macro
  profiles_->macro_capacity = 30;                       // the name would be dropped
  harness_->Control("fault status-fe always 0x0A");
  const ApplyOutcome outcome = Apply(false);
  EXPECT_FALSE(outcome.success);
  EXPECT_EQ(outcome.last_status, kStatusFE);
  EXPECT_FALSE(outcome.names_dropped);  // only after a transfer that went
  EXPECT_EQ(Names(), (std::vector<std::string>{"ReadConfigBlock", "BeginAccess", "WriteMacroMemory",
                                               "WriteMacroMemory", "WriteMacroMemory", "EndAccess"}));
  EXPECT_EQ(profiles_->applied.Entry(0, 0x30).kind, 0);
  EXPECT_TRUE(profiles_->applied.macros.empty());
  // The keyboard's key map does not name a macro it lacks.
  EXPECT_NE(harness_->Control("dump keymap 0").find("0090: 02 02 3E 02 02 22 02 02 17 02 02 0A 02 02 05 05\n"),
            std::string::npos);
}

TEST_F(ProfilesTest, AnAllProfileApplyStopsAtTheFirstFailedKeyMapAndStillCloses) {
  profiles_->working.Entry(0, 0x1E).kind = 1;
  profiles_->working.Entry(2, 0x1E).kind = 1;
  harness_->Control("fault status-fe 3 0x08");  // profile 0's first piece, three times
  const ApplyOutcome outcome = Apply(true);
  EXPECT_FALSE(outcome.success);
  EXPECT_EQ(outcome.last_status, kStatusFE);
  std::vector<std::string> expected = {"BeginAccess", "WriteMacroMemory"};
  expected.insert(expected.end(), 3, "WriteKeyMapBlock");
  expected.push_back("EndAccess");
  EXPECT_EQ(Names(), expected);
  EXPECT_EQ(profiles_->applied.Entry(2, 0x1E).kind, 0);

  // The same apply again goes whole and becomes the applied image.
  harness_->Control("log clear");
  EXPECT_TRUE(Apply(true).success);
  EXPECT_EQ(Names().size(), 1u + 1 + 30 + 1);
  EXPECT_EQ(profiles_->applied.Entry(2, 0x1E).kind, 1);
}

TEST_F(ProfilesTest, AFailedOpenOrCloseIsAFailedApply) {
  profiles_->working.Entry(0, 1).kind = 1;
  harness_->Control("fault status-ff 3 0x01");
  EXPECT_FALSE(Apply(false).success);
  EXPECT_EQ(Names(), (std::vector<std::string>{"ReadConfigBlock", "BeginAccess", "BeginAccess", "BeginAccess"}));

  harness_->Control("log clear");
  harness_->Control("fault status-fe 3 0x02");
  const ApplyOutcome unclosed = Apply(false);
  EXPECT_FALSE(unclosed.success);
  EXPECT_EQ(unclosed.last_status, kStatusFE);
  EXPECT_EQ(profiles_->applied.Entry(0, 1).kind, 0);
  EXPECT_EQ(Names().back(), "EndAccess");
}

TEST_F(ProfilesTest, ExportReadsBackWhatWasApplied) {
  AddMacro1();
  profiles_->working.Entry(0, 0x1E) = {2, 0, 0x030, 0, 0};
  profiles_->working.Entry(0, 0x30) = {4, 0, 7, 0, 0};
  ASSERT_TRUE(Apply(false).success);
  harness_->Control("log clear");
  const std::optional<ProfileImage> image = profiles_->ExportKeyboard(*commands_);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->Entry(0, 0x1E), (KeyAssignment{2, 0, 0x030, 0, 0}));
  EXPECT_EQ(image->Entry(0, 0x30), (KeyAssignment{4, 0, 1, 0, 0}));  // the store's first macro
  EXPECT_EQ(image->Entry(1, 0x1E), (KeyAssignment{0, 0, 0, 0, 0}));
  EXPECT_EQ(image->Entry(1, 256).extra, 0x0301);
  ASSERT_EQ(image->macros.size(), 1u);
  EXPECT_EQ(image->macros[0].Name(), u"Macro1");
  EXPECT_EQ(image->macros[0].id, 1);
  EXPECT_EQ(image->file_header[14], 1);
  // Three key maps, the store's header, then the store.
  const auto sent = LoggedRequests(*harness_);
  ASSERT_EQ(sent.size(), 30u + 1 + 1);
  EXPECT_EQ(sent[30].length(), 16u);
  EXPECT_EQ(sent[31].length(), 42u);
}

TEST_F(ProfilesTest, ExportRefusesAnUnknownProfileAndFailedReads) {
  harness_->Control("fault status-ff 3 0x03");
  EXPECT_FALSE(profiles_->ExportKeyboard(*commands_));
  for (const auto& n : Names()) EXPECT_EQ(n, "ReadConfigBlock");
  harness_->Control("fault noreply 3 0x07 after 10");  // block 1 never answers
  EXPECT_FALSE(profiles_->ExportKeyboard(*commands_));
}

TEST_F(ProfilesTest, TheMacroCapacityComesFromTheConfigurationBlock) {
  ConfigBlock block{};
  ASSERT_EQ(commands_->ReadConfigBlock(block.data()), kSuccess);
  profiles_->AdoptConfigBlock(block);
  EXPECT_EQ(profiles_->macro_capacity, 16384u);  // 0x80 x 128
}

TEST_F(ProfilesTest, ExportOfAKeyboardWithoutAStoreHasNoMacros) {
  harness_->Control("reset");
  const uint8_t junk[16] = {0x12, 0x34};
  ASSERT_EQ(commands_->WriteMacroMemory(junk, 16), kSuccess);
  const std::optional<ProfileImage> image = profiles_->ExportKeyboard(*commands_);
  ASSERT_TRUE(image);
  EXPECT_TRUE(image->macros.empty());
}

TEST_F(ProfilesTest, TheKeyboardsLayoutReplacesTheBuiltInOne) {
  ASSERT_EQ(profiles_->ReadDefaultLayout(*commands_), kSuccess);
  EXPECT_EQ(EntryAt(profiles_->default_layout, 146), (KeyMapEntry{5, 3, 3}));
  EXPECT_EQ(EntryAt(profiles_->default_layout, 19), (KeyMapEntry{2, 2, 0x04}));
  harness_->Control("fault status-fe 3 0x0F");
  const KeyMapBytes before = profiles_->default_layout;
  EXPECT_EQ(profiles_->ReadDefaultLayout(*commands_), kStatusFE);
  EXPECT_EQ(profiles_->default_layout, before);
}

}  // namespace
}  // namespace velkor::testing
