// The profile operations as the windows use them, with a recording stand-in
// for the windows and the emulator for the keyboard.
#include <gtest/gtest.h>

#include <filesystem>

#include "device/commands.h"
#include "device/transport.h"
#include "model/key_summary.h"
#include "model/profile_operations.h"
#include "tests/support/device_harness.h"
#include "tests/support/temp_dir.h"

namespace velkor::testing {
namespace {

class RecordingUi : public ProfileUi {
 public:
  std::vector<std::string> calls;
  std::vector<std::u16string> messages;
  bool composite_open = false;
  bool main_changes = false;
  bool manager_open = false;
  bool answer_yes = false;
  bool main_apply_result = true;

  void ShowCurrentBank(int bank) override { calls.push_back("bank " + std::to_string(bank)); }
  void SetApplyEnabled(bool e) override { calls.push_back(e ? "apply on" : "apply off"); }
  void ShowMessage(const std::u16string& text) override { messages.push_back(text); }
  bool AskYesNo(const std::u16string& q) override {
    messages.push_back(q);
    return answer_yes;
  }
  bool CompositeDialogOpen() override { return composite_open; }
  bool MainHasUnappliedChanges() override { return main_changes; }
  bool ManagerHasUnappliedChanges() override { return false; }
  bool ManagerOpen() override { return manager_open; }
  void ManagerCheckRow(int row) override { calls.push_back("row " + std::to_string(row)); }
  bool RunMainApply() override {
    calls.push_back("main apply");
    return main_apply_result;
  }
  void RebuildProfileMenu() override { calls.push_back("menu"); }
};

class ProfileOperationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    harness_ = &Harness();
    for (const char* c : {"attach", "reset", "fault clear", "log clear"}) harness_->Control(c);
    transport_ = std::make_unique<Transport>(harness_->api());
    transport_->StartInterfaceReads();
    commands_ = std::make_unique<DeviceCommands>(*transport_);
    locks_.Create();
    profiles_ = std::make_unique<Profiles>(locks_);
    profiles_->macro_capacity = 0x80 * 128;
    folder_ = std::make_unique<ProfileFolder>(dir_.path().u16string(), [this](const std::u16string&) { ++created_; });
    ops_ = std::make_unique<ProfileOperations>(*profiles_, locks_, *commands_, *folder_, ui_, nullptr);
  }
  size_t KeyMapWrites() {
    size_t n = 0;
    for (const auto& r : LoggedRequests(*harness_)) n += r.name == "WriteKeyMapBlock";
    return n;
  }

  TempDir dir_;
  int created_ = 0;
  DeviceHarness* harness_ = nullptr;
  std::unique_ptr<Transport> transport_;
  std::unique_ptr<DeviceCommands> commands_;
  ImageLocks locks_;
  std::unique_ptr<Profiles> profiles_;
  std::unique_ptr<ProfileFolder> folder_;
  RecordingUi ui_;
  std::unique_ptr<ProfileOperations> ops_;
};

TEST_F(ProfileOperationsTest, TheFolderIsMadeOnceAndTheFileSavedOnlyWhenItExists) {
  EXPECT_FALSE(ops_->SaveToProfileFile());
  EXPECT_EQ(created_, 1);
  EXPECT_TRUE(std::filesystem::is_directory(dir_.path() / "QN582"));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(folder_->ProfileFilePath())));
  ops_->ReloadFromKeyboard(false);  // writes the file from the keyboard
  EXPECT_EQ(created_, 1);
  EXPECT_TRUE(ops_->SaveToProfileFile());
  EXPECT_EQ(folder_->ProfileFilePath(), (dir_.path() / "QN582" / "$Profile0").u16string());
}

TEST_F(ProfileOperationsTest, ReloadTakesTheKeyboardsContentsOrTheDefaultImage) {
  harness_->Control("bankkey");
  ops_->ReloadFromKeyboard(false);
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{"bank 0", "apply off"}));
  EXPECT_EQ(CheckFile(folder_->ProfileFilePath()).result, 1);
  EXPECT_EQ(profiles_->working.Entry(0, 256).extra, 0x0301);

  // A keyboard that can't be read: the profile file, or without one the
  // default image.
  ui_.calls.clear();
  harness_->Control("detach");
  commands_->ForgetActiveProfile();
  profiles_->working.Entry(1, 5).kind = 1;
  ops_->ReloadFromKeyboard(true);
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{"bank -1"}));
  EXPECT_EQ(profiles_->working.Entry(1, 5).kind, 0);
  EXPECT_EQ(profiles_->working.Entry(1, 256).extra, 0x0301);  // as the file holds it
  std::filesystem::remove(std::filesystem::path(folder_->ProfileFilePath()));
  profiles_->working.Entry(1, 5).kind = 1;
  ops_->ReloadFromKeyboard(true);
  EXPECT_EQ(profiles_->working.Entry(1, 5).kind, 0);
  EXPECT_EQ(profiles_->working.Entry(1, 256).extra, 0);  // the default image
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(folder_->ProfileFilePath())));
}

TEST_F(ProfileOperationsTest, ImportChecksLoadsSavesAndSendsAllProfiles) {
  ops_->ReloadFromKeyboard(true);
  ProfileImage image = ProfileImage::Default();
  image.Entry(2, 0x1E) = {1, 0, 0, 0, 0};
  const std::u16string path = dir_.File("mine.kpx");
  ASSERT_TRUE(WriteImageFile(image, path));
  harness_->Control("log clear");
  EXPECT_TRUE(ops_->Import(path));
  EXPECT_EQ(KeyMapWrites(), 30u);
  EXPECT_EQ(profiles_->working.Entry(2, 0x1E).kind, 1);
  ProfileImage saved;
  ASSERT_TRUE(LoadFile(folder_->ProfileFilePath(), saved));
  EXPECT_EQ(saved.Entry(2, 0x1E).kind, 1);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(ui_.calls.back(), "apply off");
}

TEST_F(ProfileOperationsTest, AnImportTheKeyboardDidNotTakeIsToldAndStaysPending) {
  ops_->ReloadFromKeyboard(true);
  const ProfileImage applied_before = profiles_->applied;
  ProfileImage image = ProfileImage::Default();
  image.Entry(0, 0x1E) = {1, 0, 0, 0, 0};
  MacroRecord& m = image.macros.emplace_back();
  m.SetName(u"M");
  m.id = 1;
  const std::u16string path = dir_.File("mine.kpx");
  ASSERT_TRUE(WriteImageFile(image, path));
  const std::u16string failed = u"The keyboard did not take the settings. They are kept: press Apply to send them again.";

  for (const char* fault : {"fault status-fe always 0x0A",   // the macro store
                            "fault status-fe 3 0x08"}) {     // profile 0's key map
    SCOPED_TRACE(fault);
    harness_->Control("fault clear");
    harness_->Control(fault);
    ui_.messages.clear();
    ui_.calls.clear();
    EXPECT_FALSE(ops_->Import(path));
    EXPECT_EQ(ui_.messages, std::vector<std::u16string>{failed});
    EXPECT_EQ(ui_.calls.back(), "apply on");
    EXPECT_EQ(profiles_->applied.entries, applied_before.entries);
    EXPECT_TRUE(profiles_->applied.macros.empty());
    EXPECT_EQ(profiles_->working.Entry(0, 0x1E).kind, 1);  // the edits are kept, pending
  }
  // The Apply that follows owes the keyboard all three profiles, not just
  // the active one; once they went, it is back to the active one.
  harness_->Control("fault clear");
  harness_->Control("log clear");
  EXPECT_TRUE(ops_->Apply());
  EXPECT_EQ(KeyMapWrites(), 30u);
  harness_->Control("log clear");
  EXPECT_TRUE(ops_->Apply());
  EXPECT_EQ(KeyMapWrites(), 10u);

  // Too large for the keyboard: its own message says why, and Apply stays on.
  harness_->Control("fault clear");
  profiles_->macro_capacity = 16;
  ui_.messages.clear();
  EXPECT_FALSE(ops_->Import(path));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].substr(0, 39), u"Macro space exceeds the hardware space.");
  EXPECT_EQ(ui_.calls.back(), "apply on");
}

// What the keyboard cannot give back (texts, names it stored without, cycle
// counts) stays in the profile file however often the keyboard comes and
// goes, as long as the keyboard holds what the file would send it.
TEST_F(ProfileOperationsTest, PluggingInKeepsAProfileFileThatDescribesTheKeyboard) {
  ops_->ReloadFromKeyboard(true);  // the profile file exists from here on
  ProfileImage image = ProfileImage::Default();
  image.Entry(0, 0x1E) = {3, 0, 0, 0, 0};
  image.texts[0x1E] = u"C:\\Tools\\calc.exe";
  image.Entry(1, 0x30) = {6, 0, 0, 0, 0};
  image.texts[512 + 0x30] = u"Kind regards";
  image.Entry(0, 0x2E) = {4, 5, 7, 0, 0};  // C plays macro 7 five times
  MacroRecord& m = image.macros.emplace_back();
  m.SetName(u"Combo");
  m.id = 7;
  m.action_count = 2;
  m.actions[0] = {120, 0x01D, 0};
  m.actions[1] = {0, 0x01D, 1};
  profiles_->macro_capacity = StoreSize(image.macros).without_names;  // the keyboard gets no name
  const std::u16string mine = dir_.File("mine.kpx");
  ASSERT_TRUE(WriteImageFile(image, mine));
  ASSERT_TRUE(ops_->Import(mine));
  const std::string profile_file = "QN582/$Profile0";
  const std::string kept = dir_.ReadBytes(profile_file);
  ASSERT_EQ(kept.size(), 32832u + 16512 + 36 + 26);

  for (int cycle = 0; cycle < 10; ++cycle) {
    harness_->Control("detach");
    commands_->ForgetActiveProfile();
    harness_->Control("attach");
    ops_->ReloadFromKeyboard(false);
  }
  EXPECT_EQ(dir_.ReadBytes(profile_file), kept);
  EXPECT_EQ(profiles_->working.texts[0x1E], std::u16string(u"C:\\Tools\\calc.exe"));
  EXPECT_EQ(profiles_->working.texts[512 + 0x30], std::u16string(u"Kind regards"));
  EXPECT_EQ(profiles_->working.Entry(0, 0x2E), (KeyAssignment{4, 5, 7, 0, 0}));
  ASSERT_EQ(profiles_->working.macros.size(), 1u);
  EXPECT_EQ(profiles_->working.macros[0].Name(), u"Combo");

  // The keyboard holding the store with the names describes the file too.
  profiles_->macro_capacity = 0x80 * 128;
  ASSERT_TRUE(ops_->Import(mine));
  ops_->ReloadFromKeyboard(false);
  EXPECT_EQ(dir_.ReadBytes(profile_file), kept);

  // Changed behind the program's back, the store alone: the keyboard's contents win.
  std::vector<uint8_t> store = FromDump(harness_->Control("dump macros"));
  ASSERT_EQ(store.size(), 16u + 2 + 12 + 10);
  store[18 + 2] = 9;  // the macro plays nine times
  ASSERT_EQ(commands_->WriteMacroMemory(store.data(), static_cast<int>(store.size())), kSuccess);
  ops_->ReloadFromKeyboard(false);
  ProfileImage replaced;
  ASSERT_TRUE(LoadFile(folder_->ProfileFilePath(), replaced));
  ASSERT_EQ(replaced.macros.size(), 1u);
  EXPECT_EQ(replaced.macros[0].cycles, 9);
  EXPECT_EQ(replaced.Entry(0, 0x2E), (KeyAssignment{4, 0, 1, 0, 0}));
  EXPECT_FALSE(replaced.texts[512 + 0x30].has_value());

  // And a key map changed there.
  KeyMapBytes changed{};
  ASSERT_EQ(commands_->ReadKeyMapBlock(changed.data(), 2), kSuccess);
  SetEntry(changed, 19, {0, 0, 0});  // A disabled in profile 2
  ASSERT_EQ(commands_->WriteKeyMapBlock(changed.data(), 2), kSuccess);
  ops_->ReloadFromKeyboard(false);
  ProfileImage file;
  ASSERT_TRUE(LoadFile(folder_->ProfileFilePath(), file));
  EXPECT_EQ(file.Entry(2, 0x1E).kind, 1);
  EXPECT_EQ(file.Entry(0, 0x1E).kind, 0);  // a launch entry is sent as the key itself
  EXPECT_EQ(file.macros[0].Name(), u"Combo");  // stored with its name this time
  EXPECT_EQ(profiles_->working.Entry(2, 0x1E).kind, 1);
}

TEST_F(ProfileOperationsTest, ImportOfABadFileSaysWhyAndChangesNothing) {
  profiles_->working.Entry(0, 1).kind = 2;
  const std::u16string wrong = dir_.WriteBytes("wrong.kpx", std::string(32832, '\x01'));
  EXPECT_FALSE(ops_->Import(wrong));
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0], u"wrong file format, revert to the default values: \n  " + wrong);
  EXPECT_EQ(ui_.messages[1], u"File format error, import failed! ");
  ui_.messages.clear();
  EXPECT_FALSE(ops_->Import(dir_.WriteBytes("short.kpx", "FD")));
  EXPECT_EQ(ui_.messages, (std::vector<std::u16string>{u"File format error, import failed! "}));
  EXPECT_EQ(profiles_->working.Entry(0, 1).kind, 2);
  EXPECT_EQ(KeyMapWrites(), 0u);
}

TEST_F(ProfileOperationsTest, SwitchingProfiles) {
  ui_.composite_open = true;
  EXPECT_FALSE(ops_->SwitchProfile(2));
  EXPECT_EQ(ui_.messages.back(), u"When fast switch scene mode, you must first close the editor dialog box.");
  ui_.composite_open = false;

  ui_.manager_open = true;
  EXPECT_TRUE(ops_->SwitchProfile(2));
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{"row 2", "bank 2", "menu"}));
  EXPECT_NE(harness_->Control("status").find("active profile: 2"), std::string::npos);

  ui_.calls.clear();
  EXPECT_TRUE(ops_->SwitchProfile(5));  // 3 or more is profile 0
  EXPECT_EQ(commands_->cached_active_profile(), 0);
  ui_.calls.clear();
  EXPECT_TRUE(ops_->SwitchProfile(-1));  // "<Default Profile>": no change, a refresh
  EXPECT_EQ(commands_->cached_active_profile(), 0);
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{"bank 0", "menu"}));

  // Unapplied changes: the answer decides.
  ui_.manager_open = false;
  ui_.main_changes = true;
  ui_.calls.clear();
  ui_.answer_yes = true;
  EXPECT_TRUE(ops_->SwitchProfile(1));
  EXPECT_EQ(ui_.messages.back(), u"Whether to save the profile settings made?");
  EXPECT_EQ(ui_.calls.front(), "main apply");
  EXPECT_EQ(commands_->cached_active_profile(), 1);
  // A save the keyboard refused: the switch goes ahead and the edits, maybe
  // in the profile left, go with all three profiles at the next Apply.
  ui_.main_apply_result = false;
  EXPECT_TRUE(ops_->SwitchProfile(2));
  EXPECT_EQ(commands_->cached_active_profile(), 2);
  harness_->Control("log clear");
  EXPECT_TRUE(ops_->Apply());
  EXPECT_EQ(KeyMapWrites(), 30u);
  ui_.main_apply_result = true;

  ui_.calls.clear();
  ui_.answer_yes = false;
  profiles_->working.Entry(0, 7).kind = 1;  // an edit thrown away
  EXPECT_TRUE(ops_->SwitchProfile(0));
  EXPECT_EQ(ui_.calls.front(), "apply off");
  EXPECT_EQ(profiles_->working.Entry(0, 7).kind, 0);
}

TEST(ProfileMenu, ShowsTheDefaultItemAndTheThreeProfiles) {
  const ProfileMenuModel menu = BuildProfileMenu(1, u"C:\\Users\\me\\Documents\\QN582\\$Profile0", nullptr);
  ASSERT_EQ(menu.items.size(), 5u);
  EXPECT_EQ(menu.items[0].id, 9000);
  EXPECT_EQ(menu.items[0].text, u"<Default Profile>");
  EXPECT_EQ(menu.items[1].id, 0);
  EXPECT_EQ(menu.items[2].id, 9001);
  EXPECT_EQ(menu.items[4].id, 9003);
  EXPECT_EQ(menu.items[4].text, u"$Profile0");
  EXPECT_TRUE(menu.items[3].checked);
  EXPECT_EQ(menu.button_text, u"$Profile0");
  EXPECT_EQ(menu.tooltip, u"The current contextual  mode: $Profile0");
  const ProfileMenuModel unknown = BuildProfileMenu(-1, u"C:\\x\\$Profile0", nullptr);
  EXPECT_TRUE(unknown.items[0].checked);
  EXPECT_EQ(unknown.button_text, u"<Default Profile>");
}

class RecordingButtons : public KeyButtonView {
 public:
  std::vector<std::pair<int, KeySummary>> shown;
  int apply_enabled = 0;
  void ShowAssignment(int control, const KeySummary& s) override { shown.emplace_back(control, s); }
  void EnableApply() override { ++apply_enabled; }
};

TEST(KeySummary, NamesTheKeyAndWhatItDoes) {
  const auto none = [](uint32_t) { return std::u16string(); };
  EXPECT_EQ(SummaryText(u"A", {2, 0, 0x030, 0, 0}, nullptr, none).text, u"AKeys, Set: Key(B)");
  EXPECT_EQ(SummaryText(u"A", {1, 0, 0, 0, 0}, nullptr, none).text, u"AKeys, Set: ");
  EXPECT_TRUE(SummaryText(u"A", {1, 0, 0, 0, 0}, nullptr, none).assigned);
  EXPECT_EQ(SummaryText(u"A", {0, 0, 0, 0, 0}, nullptr, none).text, u"A");
  EXPECT_FALSE(SummaryText(u"A", {0, 0, 0, 0, 0}, nullptr, none).assigned);
  EXPECT_EQ(SummaryText(u"G3", {4, 0, 7, 0, 0}, nullptr, [](uint32_t id) { return id == 7 ? u"Combo" : u""; }).text,
            u"G3Keys, Set: Macro(Combo)");
  EXPECT_EQ(SummaryText(u"A", {8, 0, 4, 0, 0}, nullptr, none).text, u"AKeys, Set: Function(Copy)");
  EXPECT_EQ(SummaryText(u"A", {7, 0, 0, 0, 0}, nullptr, none).text, u"AKeys, Set: Media(Hello world)");
  EXPECT_EQ(SummaryText(std::u16string(300, u'x'), {0, 0, 0, 0, 0}, nullptr, none).text.size(), 259u);
}

TEST(KeySummary, RefreshAndClearWalkTheGButtonsThenThePanel) {
  ProfileImage image = ProfileImage::Default();
  image.Entry(1, 0x1E) = {2, 0, 0x030, 0, 0};
  image.Entry(1, 266) = {2, 0x1302, 0x030, 0, 0};  // G2 of set 1 sends B
  image.Entry(1, 257) = {2, 0x0302, 0x02E, 0, 0};  // G2 of set 0 sends C
  RecordingButtons view;
  RefreshKeyButtons(image, 1, 1, nullptr, view);
  ASSERT_EQ(view.shown.size(), 113u);
  EXPECT_EQ(view.shown[0].first, 1000);
  EXPECT_EQ(view.shown[1].second.text, u"G2Keys, Set: Key(B)");
  EXPECT_EQ(view.shown[8].first, 1143);
  EXPECT_EQ(view.shown[9].first, 1058);  // the panel's first key, "A"
  EXPECT_EQ(view.shown[9].second.text, u"AKeys, Set: Key(B)");

  view.shown.clear();
  ClearVisibleAssignments(image, 1, 1, nullptr, view);
  EXPECT_EQ(view.apply_enabled, 1);
  EXPECT_EQ(image.Entry(1, 0x1E), KeyAssignment{});
  EXPECT_EQ(image.Entry(1, 266), KeyAssignment{});
  EXPECT_EQ(image.Entry(1, 257).kind, 2);  // the other set is not visible
  EXPECT_EQ(view.shown[9].second.text, u"A");
  EXPECT_FALSE(view.shown[9].second.assigned);
}

}  // namespace
}  // namespace velkor::testing
