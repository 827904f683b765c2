// The lighting model: the effect list, the record and its decoding, the user
// mode files, and every lighting operation with its keyboard traffic checked
// in the emulator's request log against bytes written out here by hand.
#include "model/lighting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include "device/commands.h"
#include "device/transport.h"
#include "model/lighting_operations.h"
#include "model/profile_operations.h"
#include "platform/portable_ini_store.h"
#include "platform/text.h"
#include "tests/support/device_harness.h"
#include "tests/support/temp_dir.h"

namespace velkor::testing {
namespace {

constexpr int kControlA = 1058;    // light position 64
constexpr int kControlB = 1075;    // 90
constexpr int kControlEsc = 1022;  // 0
constexpr int kControlG1 = 1000;   // 125

class RecordingView : public LightingView {
 public:
  std::vector<std::string> calls;
  std::vector<std::u16string> names;

  static std::string Hex6(Colour c) {
    char text[16];
    std::snprintf(text, sizeof(text), "%06X", static_cast<unsigned>(c));
    return text;
  }
  void ClearEffectList() override { calls.push_back("clear effects"); }
  void ShowUserModeNames(const std::vector<std::u16string>& n) override {
    names = n;
    calls.push_back("names");
  }
  void ShowColourFields(Colour c) override { calls.push_back("fields " + Hex6(c)); }
  void TintKey(int control, Colour c) override {
    calls.push_back("tint " + std::to_string(control) + " " + Hex6(c));
  }
  void SelectEffectInList(int index) override {
    calls.push_back("select " + std::to_string(index));
  }
  void ShowSliders(int b, int s) override {
    calls.push_back("sliders " + std::to_string(b) + " " + std::to_string(s));
  }
  void ShowEffectColours(Colour c, bool mc, Colour stone, bool smc, Colour ribbon,
                         bool rmc) override {
    calls.push_back("colours " + Hex6(c) + (mc ? "+" : "-") + " " + Hex6(stone) +
                    (smc ? "+" : "-") + " " + Hex6(ribbon) + (rmc ? "+" : "-"));
  }
  void ShowUserMode(int mode, Colour paint, Colour base, int tool) override {
    calls.push_back("mode " + std::to_string(mode) + " " + Hex6(paint) + " " + Hex6(base) + " " +
                    std::to_string(tool));
  }
  void ShowReportRate(int index) override { calls.push_back("rate " + std::to_string(index)); }
  void RebuildPanel() override { calls.push_back("rebuild"); }
};

const std::string kBegin = "01 00 00 00 00";
const std::string kEnd = "02 00 00 00 00";

std::string Zeros(int n) {
  std::string z;
  for (int i = 0; i < n; ++i) z += " 00";
  return z;
}

class LightingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    harness_ = &Harness();
    for (const char* c : {"attach", "reset", "fault clear", "latency 500 500", "log clear"})
      harness_->Control(c);
    transport_ = std::make_unique<Transport>(harness_->api());
    transport_->StartInterfaceReads();
    commands_ = std::make_unique<DeviceCommands>(*transport_);
    files_.user_folder = dir_.path().u16string();
    files_.template_file = dir_.File("template.userd");
    ops_ = std::make_unique<LightingOperations>(*commands_, ini_, files_, view_);
  }
  std::vector<std::string> Log() { return RequestTexts(LoggedRequests(*harness_)); }
  void ClearLog() { harness_->Control("log clear"); }
  std::string ModeFile(int n) {
    return dir_.ReadBytes("UserDengColor_" + std::to_string(n) + ".userd");
  }
  std::u16string Read(int file, std::u16string_view section, std::u16string_view key) {
    return ini_.ReadString(files_.UserModeFilePath(file), section, key, u"(none)");
  }
  // Puts a record into the keyboard for a profile, outside the code under test.
  void PutRecord(int profile, const std::vector<uint8_t>& bytes) {
    commands_->WriteParameters(bytes.data(), static_cast<int>(bytes.size()), profile * 42);
    ClearLog();
  }
  // Sets the state as a load would find it, without keyboard traffic.
  void UseEffect(int effect) {
    ops_->state().effect = effect;
    ops_->state().effects = EffectList::FromConfigBlock(ConfigBlock{});
  }

  DeviceHarness* harness_ = nullptr;
  std::unique_ptr<Transport> transport_;
  std::unique_ptr<DeviceCommands> commands_;
  TempDir dir_;
  PortableIniStore ini_;
  LightingFiles files_;
  RecordingView view_;
  std::unique_ptr<LightingOperations> ops_;
};

// ---- Effects ---------------------------------------------------------------

TEST(EffectListTest, WalksTheSupportedBytesInOrderSkippingEmptySlots) {
  uint8_t bytes[32] = {5, 0, 20, 1, 0, 0, 20};
  const EffectList list = EffectList::FromSupportedBytes(bytes);
  EXPECT_EQ(list.effects(), (std::vector<int>{5, 20, 1, 20}));
  EXPECT_EQ(list.IndexOf(20), 1);  // the first index holding it
  EXPECT_EQ(list.IndexOf(1), 2);
  EXPECT_EQ(list.IndexOf(7), -1);
  EXPECT_EQ(list.EffectAt(0), 5);
  EXPECT_EQ(list.EffectAt(4), -1);
  EXPECT_EQ(list.EffectAt(-1), -1);

  ConfigBlock block{};
  block[12] = 3;
  block[43] = 18;  // the last slot counts
  EXPECT_EQ(EffectList::FromConfigBlock(block).effects(), (std::vector<int>{3, 18}));
}

TEST(EffectListTest, TraitsDecideTheControlsAndTheMulticolourWrite) {
  EXPECT_TRUE(TraitsOfEffect(1).colour);
  EXPECT_FALSE(TraitsOfEffect(1).speed);
  EXPECT_TRUE(TraitsOfEffect(2).colour && !TraitsOfEffect(2).multicolour);
  EXPECT_FALSE(TraitsOfEffect(4).colour);
  EXPECT_EQ(TraitsOfEffect(5).direction, DirectionKind::kLeftRight);
  EXPECT_EQ(TraitsOfEffect(12).direction, DirectionKind::kUpDown);
  EXPECT_EQ(TraitsOfEffect(18).direction, DirectionKind::kSpreadGather);
  EXPECT_TRUE(TraitsOfEffect(16).multicolour && !TraitsOfEffect(16).speed);
  EXPECT_TRUE(TraitsOfEffect(17).four_colour);
  EXPECT_TRUE(TraitsOfEffect(20).key_colours && TraitsOfEffect(20).brightness);
  EXPECT_FALSE(TraitsOfEffect(19).brightness);
  // Effect 2 writes the flag on selection though it shows no multicolour mark;
  // 10 and 16 show the mark but don't write it.
  for (int e : {2, 3, 5, 6, 7, 8, 9, 13, 14, 15}) EXPECT_TRUE(SelectionWritesMulticolour(e)) << e;
  for (int e : {1, 4, 10, 11, 12, 16, 17, 18, 20}) EXPECT_FALSE(SelectionWritesMulticolour(e)) << e;
}

TEST(EffectListTest, NamesComeFromTheSkinSectionOfTheLanguage) {
  TempDir dir;
  const std::u16string skin =
      dir.WriteBytes("Main.ini", "[Mode]\r\n5=Wave\r\n[Mode1]\r\n5=Welle\r\n20=Eigene\r\n");
  PortableIniStore ini;
  uint8_t bytes[32] = {5, 20};
  const EffectList list = EffectList::FromSupportedBytes(bytes);
  EXPECT_EQ(EffectNames(ini, skin, 0, list), (std::vector<std::u16string>{u"Wave", u""}));
  EXPECT_EQ(EffectNames(ini, skin, 1, list), (std::vector<std::u16string>{u"Welle", u"Eigene"}));
}

// ---- The user mode file ----------------------------------------------------------

TEST(UserModeFileTest, MissingEmptyOrJunkFilesGiveTheDefaults) {
  TempDir dir;
  PortableIniStore ini;
  const std::u16string junk_text =
      dir.WriteBytes("junk.userd", std::string("\xFF\xFE[\0=\r\n]]]=,,,\x01", 16));
  for (const std::u16string& path :
       {dir.File("missing.userd"), dir.WriteBytes("empty.userd", ""), junk_text}) {
    const UserModeFile file(ini, path);
    EXPECT_EQ(file.CurrentMode(), 0);
    EXPECT_EQ(file.Name(3), u"0");
    const UserModeSettings s = file.Settings(0);
    EXPECT_EQ(s.tool, 0);
    EXPECT_EQ(s.base_colour, 0u);
    EXPECT_EQ(s.paint_colour, 0u);
    const UserModeKey key = file.Key(0, 64);
    EXPECT_EQ(key.colour, kRed);
    EXPECT_TRUE(key.follows_base);
  }
}

TEST(UserModeFileTest, EntriesParseAndBadValuesFallBack) {
  TempDir dir;
  PortableIniStore ini;
  const UserModeFile file(
      ini, dir.WriteBytes("u.userd",
                          "[PRESENTMODE]\r\nmode=42\r\n"
                          "[Mode0]\r\ntool=1\r\njcolor=1, 2 ,3\r\ncolor=300,-4,9x\r\n"
                          "64=10,20,30,7\r\n65=1,2,3,0\r\n66=1,2\r\n67=abc\r\n68=\r\n"));
  EXPECT_EQ(file.CurrentMode(), 0);  // 42 is no user mode
  const UserModeSettings s = file.Settings(0);
  EXPECT_EQ(s.tool, 1);
  EXPECT_EQ(s.base_colour, RgbColour(1, 2, 3));
  EXPECT_EQ(s.paint_colour, RgbColour(255, 0, 9));  // each number kept within 0..255
  const UserModeKey key = file.Key(0, 64);
  EXPECT_EQ(key.colour, RgbColour(10, 20, 30));
  EXPECT_TRUE(key.follows_base);  // any non-zero flag is 1
  EXPECT_FALSE(file.Key(0, 65).follows_base);
  for (int position : {66, 67, 68}) {
    EXPECT_EQ(file.Key(0, position).colour, kRed) << position;
    EXPECT_TRUE(file.Key(0, position).follows_base) << position;
  }
}

TEST(UserModeFileTest, WritesDecimalTextAndKeepsNamesWhole) {
  TempDir dir;
  PortableIniStore ini;
  UserModeFile file(ini, dir.File("u.userd"));
  ASSERT_TRUE(file.SetCurrentMode(9));
  EXPECT_FALSE(file.SetCurrentMode(10));
  ASSERT_TRUE(file.WriteSettings(9, {1, RgbColour(1, 2, 3), RgbColour(250, 0, 7)}));
  ASSERT_TRUE(file.WriteKey(9, 110, {RgbColour(0, 128, 255), false}));
  ASSERT_TRUE(file.SetName(9, u"  two\r\nlines "));
  const std::string text = dir.ReadBytes("u.userd");
  for (const char* line :
       {"mode=9", "tool=1", "jcolor=1,2,3", "color=250,0,7", "110=0,128,255,0"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
  EXPECT_EQ(text.find("lines"), text.find("two") + 5);  // one line, the breaks as blanks
  EXPECT_EQ(file.Name(9), u"  two  lines ");
  ASSERT_TRUE(file.SetName(1, u"'quoted'"));
  EXPECT_EQ(file.Name(1), u"'quoted'");
  ASSERT_TRUE(file.SetName(2, std::u16string(300, u'x')));
  EXPECT_EQ(file.Name(2).size(), 259u);
}

TEST(LightingFilesTest, PanelSwitchIsOnOnlyForOne) {
  TempDir dir;
  PortableIniStore ini;
  const LightingFiles files{dir.path().u16string(), u""};
  EXPECT_FALSE(ReadPanelSwitch(ini, files));
  ASSERT_TRUE(WritePanelSwitch(ini, files, true));
  EXPECT_NE(dir.ReadBytes("wskb.ini").find("DengCheck=1"), std::string::npos);
  EXPECT_TRUE(ReadPanelSwitch(ini, files));
  dir.WriteBytes("wskb.ini", "[KEYCOLOR]\r\nDengCheck=2\r\n");
  EXPECT_FALSE(ReadPanelSwitch(ini, files));
  ASSERT_TRUE(WritePanelSwitch(ini, files, false));
  EXPECT_NE(dir.ReadBytes("wskb.ini").find("DengCheck=0"), std::string::npos);
}

TEST(LightingFilesTest, SeedingCopiesTheTemplateOnceAndMarksIt) {
  TempDir dir;
  PortableIniStore ini;
  const std::string bytes = std::string("\xFF\xFE[\0M\0", 6) + std::string(1, '\0') + "\x80tail";
  const LightingFiles files{dir.path().u16string(), dir.WriteBytes("template.userd", bytes)};
  SeedUserModeFiles(ini, files);
  for (int n = 0; n < 4; ++n)
    EXPECT_EQ(dir.ReadBytes("UserDengColor_" + std::to_string(n) + ".userd"), bytes) << n;
  EXPECT_NE(dir.ReadBytes("wskb.ini").find("usermodeCheck=1"), std::string::npos);
  // Once marked, neither a changed template nor the files are touched.
  dir.WriteBytes("template.userd", "changed");
  dir.WriteBytes("UserDengColor_0.userd", "mine");
  SeedUserModeFiles(ini, files);
  EXPECT_EQ(dir.ReadBytes("UserDengColor_0.userd"), "mine");
  EXPECT_EQ(dir.ReadBytes("UserDengColor_1.userd"), bytes);
}

TEST(LightingFilesTest, AMissingTemplateNeverWipesAUsersFile) {
  TempDir dir;
  PortableIniStore ini;
  const LightingFiles files{dir.path().u16string(), dir.File("no-such-template.userd")};
  const std::string mine = "[MODENAME]\r\n0=Mine\r\n";
  dir.WriteBytes("UserDengColor_1.userd", mine);
  SeedUserModeFiles(ini, files);
  EXPECT_EQ(dir.ReadBytes("UserDengColor_1.userd"), mine);
  EXPECT_EQ(dir.ReadBytes("UserDengColor_2.userd"), "");
  EXPECT_EQ(ini.ReadString(files.SettingsPath(), u"KEYCOLOR", u"usermodeCheck", u"0"), u"1");
  const LightingFiles made = LightingFilesFor(u"C:\\Users\\me\\Documents", u"D:\\Kb\\\\Skins\\UserDengColor_");
  EXPECT_EQ(made.user_folder, u"C:\\Users\\me\\Documents\\QN582");
  EXPECT_EQ(made.template_file, u"D:\\Kb\\\\Skins\\UserDengColor_3.userd");
}

TEST(LightingFilesTest, AMissingTemplateLeavesEmptyFilesThatReadAsDefaults) {
  TempDir dir;
  PortableIniStore ini;
  // The per-user folder's creation seeds the files, as at first start.
  const std::u16string template_file = dir.File("no-such-template.userd");
  ProfileFolder folder(dir.path().u16string(), [&](const std::u16string& made) {
    SeedUserModeFiles(ini, LightingFiles{made, template_file});
  });
  ASSERT_TRUE(folder.Ensure());
  const LightingFiles files{folder.folder(), template_file};
  for (int n = 0; n < 4; ++n) {
    std::error_code ec;
    EXPECT_EQ(std::filesystem::file_size(std::filesystem::path(files.UserModeFilePath(n)), ec), 0u)
        << n;
    EXPECT_FALSE(ec) << n;
  }
  EXPECT_EQ(ini.ReadString(files.SettingsPath(), u"KEYCOLOR", u"usermodeCheck", u""), u"1");
  const UserModeKey key = UserModeFile(ini, files.UserModeFilePath(0)).Key(0, 64);
  EXPECT_EQ(key.colour, kRed);
  EXPECT_TRUE(key.follows_base);
}

#if !defined(_WIN32)
// Files can't grow past `limit` bytes while it lives, as on a full disk: a
// write past it fails (EFBIG) instead of raising SIGXFSZ.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    if (getrlimit(RLIMIT_FSIZE, &old_limit_) != 0) return;
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old_limit_;
    small.rlim_cur = limit;
    ok_ = old_handler_ != SIG_ERR && setrlimit(RLIMIT_FSIZE, &small) == 0;
  }
  ~FileSizeLimit() {
    if (old_handler_ == SIG_ERR) return;
    setrlimit(RLIMIT_FSIZE, &old_limit_);
    std::signal(SIGXFSZ, old_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  bool ok() const { return ok_; }

 private:
  rlimit old_limit_{};
  void (*old_handler_)(int) = SIG_ERR;
  bool ok_ = false;
};
#endif

TEST(LightingFilesTest, AFullDiskNeverCostsAUserTheirSchemes) {
#if defined(_WIN32)
  GTEST_SKIP() << "a full disk is simulated with a file size limit";
#else
  TempDir dir;
  PortableIniStore ini;
  std::string schemes = "\xFF\xFE";
  for (int n = 0; schemes.size() < 20000; ++n) schemes += "K" + std::to_string(n) + "=12,34,56,0\r\n";
  const LightingFiles files{dir.path().u16string(), dir.WriteBytes("template.userd", std::string(12000, 'T'))};
  const std::u16string mine = dir.WriteBytes("UserDengColor_0.userd", schemes);
  bool copied = true;
  {
    const FileSizeLimit full(4096);
    ASSERT_TRUE(full.ok());
    copied = CopyFileBytes(files.template_file, mine);  // a restore
    SeedUserModeFiles(ini, files);                       // the first start
  }
  EXPECT_FALSE(copied);
  const std::string after = dir.ReadBytes("UserDengColor_0.userd");
  EXPECT_EQ(after.size(), schemes.size());
  EXPECT_TRUE(after == schemes) << "the schemes are not what they were";
  // Nothing half-written is left behind either.
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "template.userd" || name == "UserDengColor_0.userd" || name == "wskb.ini") << name;
  }
#endif
}

// ---- Loading -------------------------------------------------------------------

TEST_F(LightingTest, LoadLightingReadsAllThreeRecordsAndDecodesTheCurrentOne) {
  PutRecord(1, Hex("05 02 03 FF 01 0A 14 1E 00 00 00 00 00 00 00 FF 00 02 00 01 00 00 00 00 00 "
                   "11 22 33 01 00 44 55 66 07 00"));
  ops_->SetProfile(1);
  EXPECT_EQ(ops_->LoadLighting(false), 0);
  EXPECT_EQ(Log(), (std::vector<std::string>{"03 2C 00 00 00", kBegin, "05 38 00 00 00",
                                             "05 38 2A 00 00", "05 38 54 00 00", kEnd}));
  const LightingState& s = ops_->state();
  EXPECT_EQ(s.effect, 5);
  EXPECT_EQ(s.brightness, 2);
  EXPECT_EQ(s.speed, 3);
  EXPECT_EQ(s.direction, 0xFF);
  EXPECT_TRUE(s.multicolour);
  EXPECT_EQ(s.colour, 0x1E140Au);
  EXPECT_EQ(s.report_rate, 3);  // 0xFF
  EXPECT_EQ(s.four_colour, 2);
  EXPECT_TRUE(s.trigger_grid);
  EXPECT_FALSE(s.trigger_single);
  EXPECT_EQ(s.stone_colour, 0x332211u);
  EXPECT_TRUE(s.stone_multicolour);
  EXPECT_EQ(s.ribbon_colour, 0x665544u);
  EXPECT_TRUE(s.ribbon_multicolour);
  EXPECT_EQ(s.records[0].effect(), 1);  // the factory record
  EXPECT_EQ(s.records[2].brightness(), 4);
  EXPECT_EQ(s.effects.size(), 19);
  EXPECT_EQ(s.effects.IndexOf(20), 18);
  EXPECT_EQ(view_.calls, (std::vector<std::string>{"clear effects"}));

  // A trigger byte other than 0 or 1 leaves the style as it was.
  PutRecord(1, Hex("05 02 03 FF 01 0A 14 1E 00 00 00 00 00 00 00 FF 00 02 00 07"));
  ops_->LoadLighting(false);
  EXPECT_TRUE(ops_->state().trigger_grid);
  EXPECT_FALSE(ops_->state().trigger_single);
}

TEST_F(LightingTest, LoadWithUserModesSendsTheModesColoursInsideTheLoad) {
  const ConfigBlock config = [] {
    ConfigBlock b{};
    b[12] = 5;
    b[14] = 20;
    b[15] = 1;
    return b;
  }();
  commands_->WriteConfigBlock(config.data());
  dir_.WriteBytes("UserDengColor_0.userd",
                  "[PRESENTMODE]\r\nmode=2\r\n[MODENAME]\r\n0=Red\r\n2=Mine\r\n"
                  "[Mode2]\r\ntool=1\r\njcolor=1,2,3\r\ncolor=4,5,6\r\n"
                  "64=10,20,30,7\r\n0=0,0,0,0\r\n110=7,8,9,0\r\n125=99,99,99,0\r\n");
  ClearLog();
  EXPECT_EQ(ops_->LoadLighting(true), 0);
  EXPECT_EQ(ops_->state().effects.effects(), (std::vector<int>{5, 20, 1}));
  EXPECT_EQ(view_.names, (std::vector<std::u16string>{u"Red", u"0", u"Mine", u"0", u"0", u"0", u"0",
                                                      u"0", u"0", u"0"}));
  EXPECT_EQ(view_.calls, (std::vector<std::string>{"clear effects", "names", "fields 0000FF"}));
  const LightingState& s = ops_->state();
  EXPECT_EQ(s.user_mode, 2);
  EXPECT_EQ(s.tool, 1);
  EXPECT_EQ(s.base_colour, RgbColour(1, 2, 3));
  EXPECT_EQ(s.paint_colour, RgbColour(4, 5, 6));
  EXPECT_EQ(ops_->colours().At(0, 64), RgbColour(10, 20, 30));
  EXPECT_TRUE(ops_->follows_base().Get(kControlA, 0));
  EXPECT_FALSE(ops_->follows_base().Get(kControlEsc, 0));
  EXPECT_FALSE(ops_->follows_base().Get(kFnControl, 0));
  EXPECT_TRUE(ops_->follows_base().Get(kControlB, 0));  // missing entry: red, following
  EXPECT_EQ(ops_->colours().At(0, 125), 0u);            // the G keys' entry is not loaded
  EXPECT_FALSE(ops_->follows_base().Get(GKeyControl(1), 0));

  const std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), 17u);
  EXPECT_EQ(log[0], "03 2C 00 00 00");
  EXPECT_EQ(log[1], kBegin);
  EXPECT_EQ(log[2], kBegin);
  const char* pieces[9] = {"00 00", "36 00", "6C 00", "A2 00", "D8 00",
                           "0E 01", "44 01", "7A 01", "B0 01"};
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(log[3 + i].substr(0, 11), "11 36 " + std::string(pieces[i])) << i;
  EXPECT_EQ(log[12], kEnd);
  EXPECT_EQ(log[13].substr(0, 8), "05 38 00");
  EXPECT_EQ(log[16], kEnd);
  // Profile 0's block now holds Esc 00 00 00, A 10 20 30 at 192, Fn 7 8 9 at 330.
  const std::string colours = harness_->Control("dump colours 0");
  EXPECT_NE(colours.find("0000: 00 00 00 FF 00 00 FF 00 00 FF 00 00 FF 00 00 FF"),
            std::string::npos)
      << colours;
  EXPECT_NE(colours.find("00C0: 0A 14 1E"), std::string::npos) << colours;
  EXPECT_NE(colours.find("0140: 00 FF 00 00 FF 00 00 FF 00 00 07 08 09"), std::string::npos)
      << colours;
}

TEST_F(LightingTest, AnUnreadableConfigurationBlockStopsTheLoad) {
  ops_->state().effect = 7;
  ops_->state().brightness = 3;
  ops_->state().effects = EffectList::FromConfigBlock(ConfigBlock{});
  harness_->Control("fault status-ff always 0x03");
  EXPECT_EQ(ops_->LoadLighting(true), -1);
  for (const std::string& r : Log()) EXPECT_EQ(r.substr(0, 2), "03");
  EXPECT_EQ(ops_->state().effect, 7);
  EXPECT_EQ(ops_->state().brightness, 3);
  EXPECT_TRUE(ops_->state().effects.empty());
  EXPECT_EQ(view_.calls, (std::vector<std::string>{"clear effects"}));
  EXPECT_EQ(ops_->Reload(false), -1);  // and the panel is rebuilt all the same
  EXPECT_EQ(view_.calls.back(), "rebuild");
}

TEST_F(LightingTest, ARecordThatCannotBeReadKeepsTheLastCopy) {
  ASSERT_EQ(ops_->LoadLighting(false), 0);
  PutRecord(0, Hex("09 02"));
  harness_->Control("fault status-ff always 0x05");
  EXPECT_EQ(ops_->LoadLighting(false), 0);  // record reads are not reported
  EXPECT_EQ(ops_->state().effect, 1);       // the factory record read before, not zeros
  EXPECT_EQ(ops_->state().brightness, 4);
}

// ---- Record writes -------------------------------------------------------------------

TEST_F(LightingTest, BrightnessAndSpeedAreWrittenOnlyWhenTheyChange) {
  ops_->SetProfile(1);
  ops_->state().brightness = 2;
  ops_->state().speed = 1;
  ops_->SetBrightness(2);
  ops_->SetSpeedFromSlider(3);  // speed 1 again
  ops_->SetBrightness(5);       // no such brightness
  ops_->SetSpeedFromSlider(-1);
  EXPECT_TRUE(Log().empty());
  ops_->SetBrightness(4);
  ops_->SetSpeedFromSlider(1);
  EXPECT_EQ(Log(), (std::vector<std::string>{kBegin, "06 01 2B 00 00 04", kEnd, kBegin,
                                             "06 01 2C 00 00 03", kEnd}));
  EXPECT_EQ(ops_->state().brightness, 4);
  EXPECT_EQ(ops_->state().speed, 3);
  EXPECT_NE(harness_->Control("dump lighting").find("0020: FF 00 00 00 00 00 00 00 00 00 01 04 03"),
            std::string::npos);
}

TEST_F(LightingTest, AColourTurnsMulticolourOffBeforeItsThreeBytes) {
  ops_->SetProfile(2);
  ops_->state().multicolour = true;
  ops_->SetColour(RgbColour(0x12, 0x34, 0x56));
  EXPECT_EQ(Log(), (std::vector<std::string>{kBegin, "06 01 58 00 00 00", "06 03 59 00 00 12 34 56",
                                             kEnd}));
  EXPECT_FALSE(ops_->state().multicolour);
  EXPECT_EQ(ops_->state().colour, 0x563412u);
}

TEST_F(LightingTest, SelectingAnEffectWritesTheMulticolourFlagOnlyWhereItShould) {
  ops_->state().multicolour = true;
  ops_->SelectEffect(4);
  ops_->SelectEffect(5);
  EXPECT_EQ(Log(), (std::vector<std::string>{kBegin, "06 01 00 00 00 04", kEnd, kBegin,
                                             "06 01 00 00 00 05", "06 01 04 00 00 01", kEnd}));
  EXPECT_EQ(ops_->state().effect, 5);
}

TEST_F(LightingTest, TheOtherFieldsGoToTheirOffsetsInTheCurrentRecord) {
  ops_->SetProfile(1);
  ops_->SetDirection(0xFF);
  ops_->ToggleMulticolour();
  ops_->SetFourColour(3);
  ops_->SetReportRate(2);
  ops_->SetFourColour(4);  // out of range: nothing
  ops_->SetReportRate(-1);
  EXPECT_EQ(Log(), (std::vector<std::string>{kBegin, "06 01 2D 00 00 FF", kEnd, kBegin,
                                             "06 01 2E 00 00 01", kEnd, kBegin, "06 01 3B 00 00 03",
                                             kEnd, kBegin, "06 01 39 00 00 02", kEnd}));
  const LightingState& s = ops_->state();
  EXPECT_EQ(s.direction, 0xFF);
  EXPECT_TRUE(s.multicolour);
  EXPECT_EQ(s.four_colour, 3);
  EXPECT_EQ(s.report_rate, 2);
}

// ---- User modes -------------------------------------------------------------------

TEST_F(LightingTest, PaintingUnderAnotherEffectChangesNothing) {
  dir_.WriteBytes("UserDengColor_0.userd", "[Mode0]\r\n64=1,1,1,1\r\n");
  UseEffect(7);
  ops_->state().paint_colour = RgbColour(9, 9, 9);
  ops_->follows_base().Set(kControlA, 0, true);
  EXPECT_FALSE(ops_->PaintKey(kControlA));
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(view_.calls.empty());
  EXPECT_EQ(ops_->colours().At(0, 64), 0u);
  EXPECT_TRUE(ops_->follows_base().Get(kControlA, 0));
  EXPECT_EQ(ModeFile(0), "[Mode0]\r\n64=1,1,1,1\r\n");
  EXPECT_EQ(harness_->Control("dump colours 0").substr(0, 54),
            "0000: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n");
}

TEST_F(LightingTest, PaintingWritesTheKeysColourAndEntryWithTheTool) {
  UseEffect(kUserDefinedEffect);
  ops_->SetProfile(1);
  ops_->state().user_mode = 3;
  ops_->state().paint_colour = RgbColour(10, 20, 30);
  ops_->state().base_colour = RgbColour(0xAA, 0xBB, 0xCC);
  ops_->follows_base().Set(kControlA, 1, true);
  ASSERT_TRUE(ops_->PaintKey(kControlA));  // paint tool
  ops_->state().tool = 1;
  ASSERT_TRUE(ops_->PaintKey(kFnControl));
  ASSERT_TRUE(ops_->PaintKey(kControlG1));
  EXPECT_FALSE(ops_->PaintKey(1130));  // a button without a light
  // A at 512 + 192, Fn at 512 + 330, the G keys at 512 + 375.
  EXPECT_EQ(Log(), (std::vector<std::string>{kBegin, "11 03 C0 02 00 0A 14 1E", kEnd, kBegin,
                                             "11 03 4A 03 00 AA BB CC", kEnd, kBegin,
                                             "11 03 77 03 00 AA BB CC", kEnd}));
  EXPECT_EQ(view_.calls,
            (std::vector<std::string>{"tint 1058 1E140A", "tint 1174 CCBBAA", "tint 1000 CCBBAA"}));
  EXPECT_FALSE(ops_->follows_base().Get(kControlA, 1));
  EXPECT_TRUE(ops_->follows_base().Get(kFnControl, 1));
  EXPECT_FALSE(ops_->follows_base().Get(kFnControl, 0));
  EXPECT_EQ(ops_->colours().At(1, 110), RgbColour(0xAA, 0xBB, 0xCC));
  EXPECT_EQ(Read(1, u"Mode3", u"64"), u"10,20,30,0");
  EXPECT_EQ(Read(1, u"Mode3", u"110"), u"170,187,204,1");
  EXPECT_EQ(Read(1, u"Mode3", u"125"), u"170,187,204,1");
}

TEST_F(LightingTest, ABaseColourChangeRecoloursTheFollowingKeysOnly) {
  UseEffect(kUserDefinedEffect);
  ops_->state().base_colour = RgbColour(1, 2, 3);
  ops_->follows_base().Set(kControlA, 0, true);
  ops_->follows_base().Set(kControlG1, 0, true);
  ops_->follows_base().Set(kFnControl, 0, true);
  ops_->colours().Set(0, 0, RgbColour(5, 5, 5));  // Esc, painted
  ops_->SetBaseColour(RgbColour(1, 2, 3));
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(view_.calls.empty());
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(files_.UserModeFilePath(0))));

  ops_->SetBaseColour(RgbColour(0x40, 0x50, 0x60));
  EXPECT_EQ(view_.calls,
            (std::vector<std::string>{"tint 1058 605040", "tint 1000 605040", "tint 1174 605040"}));
  EXPECT_EQ(Read(0, u"Mode0", u"jcolor"), u"64,80,96");
  EXPECT_EQ(Read(0, u"Mode0", u"color"), u"0,0,0");
  EXPECT_EQ(Read(0, u"Mode0", u"tool"), u"0");
  EXPECT_EQ(Read(0, u"Mode0", u"64"), u"64,80,96,1");
  EXPECT_EQ(Read(0, u"Mode0", u"125"), u"64,80,96,1");
  EXPECT_EQ(Read(0, u"Mode0", u"110"), u"64,80,96,1");
  EXPECT_EQ(Read(0, u"Mode0", u"0"), u"(none)");
  const std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), 11u);
  EXPECT_EQ(log[0], kBegin);
  EXPECT_EQ(log[1].substr(0, 23), "11 36 00 00 00 05 05 05");
  EXPECT_EQ(log[10], kEnd);
  const std::string colours = harness_->Control("dump colours 0");
  EXPECT_NE(colours.find("00C0: 40 50 60"), std::string::npos) << colours;
  EXPECT_NE(colours.find("0140: 00 00 00 00 00 00 00 00 00 00 40 50 60"), std::string::npos)
      << colours;
}

TEST_F(LightingTest, TheColourBlockGoesInNinePiecesOfFiftyFour) {
  ops_->SetProfile(2);
  ops_->colours().Set(2, 0, RgbColour(1, 2, 3));
  ops_->colours().Set(2, 18, RgbColour(4, 5, 6));
  ops_->colours().Set(2, 161, RgbColour(7, 8, 9));
  ops_->colours().Set(2, 162, RgbColour(0xEE, 0xEE, 0xEE));  // beyond what is sent
  ops_->SendColourBlock();
  EXPECT_EQ(
      Log(),
      (std::vector<std::string>{
          kBegin, "11 36 00 04 00 01 02 03" + Zeros(51), "11 36 36 04 00 04 05 06" + Zeros(51),
          "11 36 6C 04 00" + Zeros(54), "11 36 A2 04 00" + Zeros(54), "11 36 D8 04 00" + Zeros(54),
          "11 36 0E 05 00" + Zeros(54), "11 36 44 05 00" + Zeros(54), "11 36 7A 05 00" + Zeros(54),
          "11 36 B0 05 00" + Zeros(51) + " 07 08 09", kEnd}));
}

TEST_F(LightingTest, UserModeSettingsGoToTheFileOnly) {
  ops_->state().user_mode = 4;
  ops_->SetPaintColour(RgbColour(1, 2, 3));
  ops_->SelectTool(1);
  ops_->SelectTool(2);  // no such tool
  ops_->RenameUserMode(4, u"Night");
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(ops_->state().tool, 1);
  EXPECT_EQ(Read(0, u"Mode4", u"color"), u"1,2,3");
  EXPECT_EQ(Read(0, u"Mode4", u"tool"), u"1");
  EXPECT_EQ(Read(0, u"Mode4", u"jcolor"), u"0,0,0");
  EXPECT_EQ(Read(0, u"MODENAME", u"4"), u"Night");
}

TEST_F(LightingTest, SelectingAUserModeStoresItAndLoadsItsColours) {
  ops_->SetProfile(1);
  dir_.WriteBytes("UserDengColor_1.userd", "[Mode6]\r\ntool=1\r\n90=1,2,3,0\r\n");
  ops_->SelectUserMode(6);
  ops_->SelectUserMode(10);  // no such mode
  EXPECT_EQ(Read(1, u"PRESENTMODE", u"mode"), u"6");
  EXPECT_EQ(ops_->state().user_mode, 6);
  EXPECT_EQ(ops_->state().tool, 1);
  EXPECT_EQ(ops_->colours().At(1, 90), RgbColour(1, 2, 3));
  EXPECT_FALSE(ops_->follows_base().Get(kControlB, 1));
  const std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), 11u);
  EXPECT_EQ(log[1].substr(0, 11), "11 36 00 02");  // profile 1's block
  ops_->ShowKeyColours();
  EXPECT_EQ(view_.calls.size(), static_cast<size_t>(kLitKeyCount));
  EXPECT_NE(std::find(view_.calls.begin(), view_.calls.end(), "tint 1075 030201"),
            view_.calls.end());
}

// ---- Restore and the switch -------------------------------------------------------------

TEST_F(LightingTest, RestoreWritesEffectOneThenTheDefaultRecord) {
  ops_->SetProfile(1);
  ASSERT_EQ(ops_->LoadLighting(false), 0);
  ops_->state().brightness = 1;
  ops_->state().speed = 4;
  ops_->state().colour = RgbColour(1, 2, 3);
  ops_->state().multicolour = true;
  dir_.WriteBytes("UserDengColor_3.userd",
                  "[MODENAME]\r\n0=Pristine\r\n[Mode0]\r\ncolor=9,9,9\r\n");
  dir_.WriteBytes("UserDengColor_1.userd", "[MODENAME]\r\n0=Changed\r\n");
  ClearLog();
  view_.calls.clear();
  ops_->RestoreDefaults();

  const std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), 17u);
  EXPECT_EQ(log[0], kBegin);
  EXPECT_EQ(log[1], "06 01 2A 00 00 01");
  EXPECT_EQ(log[2], kEnd);
  EXPECT_EQ(log[3], kBegin);
  EXPECT_EQ(log[4].substr(0, 11), "11 36 00 02");
  EXPECT_EQ(log[13], kEnd);
  EXPECT_EQ(log[14], kBegin);
  EXPECT_EQ(log[15],
            "06 23 2A 00 00 "
            "01 04 01 00 00 FF 00 00 08 FF FF FF "
            "FF 00 00 FF FF 00 00 00 00 FF FF 00 "
            "00 FF FF FF 00 00 FF FF FF 00 00");
  EXPECT_EQ(log[16], kEnd);
  EXPECT_EQ(ModeFile(1), ModeFile(3));
  EXPECT_EQ(view_.calls,
            (std::vector<std::string>{"select 0", "names", "mode 0 090909 000000 0", "sliders 4 3",
                                      "colours 0000FF- FFFFFF- FFFFFF-", "rate 3"}));
  // The program's copy is what the keyboard now holds: these change nothing.
  ClearLog();
  ops_->SetBrightness(4);
  ops_->SetSpeedFromSlider(3);
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(ops_->state().effect, 1);
  EXPECT_FALSE(ops_->state().multicolour);
  EXPECT_EQ(ops_->state().stone_colour, kWhite);
}

TEST_F(LightingTest, ThePanelSwitchFollowsTheSettingsFile) {
  ops_->SetPanelSwitch(true);
  EXPECT_TRUE(ops_->state().panel_switch);
  EXPECT_NE(dir_.ReadBytes("wskb.ini").find("DengCheck=1"), std::string::npos);
  ops_->state().panel_switch = false;
  ASSERT_EQ(ops_->LoadLighting(false), 0);  // each load reads it back
  EXPECT_TRUE(ops_->state().panel_switch);
}

}  // namespace
}  // namespace velkor::testing
