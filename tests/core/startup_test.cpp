#include <gtest/gtest.h>

#include <vector>

#include "app/single_instance.h"
#include "app/startup_facts.h"

namespace velkor::testing {
namespace {

TEST(SplitPath, GivesDriveFolderNameAndExtension) {
  const PathParts p = SplitPath(u"C:\\Program Files\\Velkor\\Velkor.exe");
  EXPECT_EQ(p.drive, u"C:");
  EXPECT_EQ(p.folder, u"\\Program Files\\Velkor\\");
  EXPECT_EQ(p.name, u"Velkor");
  EXPECT_EQ(p.extension, u".exe");

  const PathParts q = SplitPath(u"\\\\server\\share/my.tools/prog");
  EXPECT_EQ(q.drive, u"");
  EXPECT_EQ(q.folder, u"\\\\server\\share/my.tools/");
  EXPECT_EQ(q.name, u"prog");
  EXPECT_EQ(q.extension, u"");

  const PathParts r = SplitPath(u"a.b.exe");
  EXPECT_EQ(r.folder, u"");
  EXPECT_EQ(r.name, u"a.b");
  EXPECT_EQ(r.extension, u".exe");
}

TEST(StartupFacts, EveryLocationComesFromTheProgramPath) {
  const StartupFacts f = BuildStartupFacts(u"D:\\Games\\Kb\\Velkor.exe");
  EXPECT_EQ(f.program_drive, u"D:");
  EXPECT_EQ(f.program_folder, u"\\Games\\Kb\\");
  EXPECT_EQ(f.program_file_name, u"Velkor.exe");
  EXPECT_EQ(f.program_name, u"Velkor");
  EXPECT_EQ(f.help_folder, u"D:\\Games\\Kb\\Help\\");
  EXPECT_EQ(f.main_skin, u"D:\\Games\\Kb\\Skins\\Main.ini");
  EXPECT_EQ(f.main_skin_folder, u"D:\\Games\\Kb\\Skins\\");
  EXPECT_EQ(f.profile_skin, u"D:\\Games\\Kb\\Skins\\Profile.ini");
  EXPECT_EQ(f.profile_skin_folder, u"D:\\Games\\Kb\\Skins\\");
  EXPECT_EQ(f.update_skin, u"D:\\Games\\Kb\\Skins\\UpdateDlg.ini");
  EXPECT_EQ(f.update_skin_folder, u"D:\\Games\\Kb\\Skins\\");
  EXPECT_EQ(f.package_folder, u"D:\\Games\\Kb\\Package");
  EXPECT_EQ(f.key_skin, u"D:\\Games\\Kb\\Skins\\Key.ini");
  EXPECT_EQ(f.skin_folder, u"D:\\Games\\Kb\\Skins\\");
  EXPECT_EQ(f.composite_skin, u"D:\\Games\\Kb\\Skins\\Composite.ini");
  EXPECT_EQ(f.composite_skin_folder, u"D:\\Games\\Kb\\Skins\\");
  // The two colour-file prefixes carry a doubled separator.
  EXPECT_EQ(f.colour_file_prefix, u"D:\\Games\\Kb\\\\QN582\\UserDengColor_");
  EXPECT_EQ(f.skin_colour_file_prefix, u"D:\\Games\\Kb\\\\Skins\\UserDengColor_");
  EXPECT_EQ(f.daemon, u"D:\\Games\\Kb\\Tassel.exe");
  EXPECT_EQ(f.language_file, u"D:\\Games\\Kb\\Skins\\language.ini");
}

TEST(SingleInstance, MessagesAndMarkerSpellTheirLetters) {
  const auto letters = [](uint32_t v, int n) {
    std::string s;
    for (int i = n - 1; i >= 0; --i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
  };
  EXPECT_EQ(letters(kMainWindowMarker, 4), "MAIN");
  EXPECT_EQ(letters(kMsgShowWindow, 2), "SP");
  EXPECT_EQ(letters(kShowWindowTag, 4), "OPEN");
  EXPECT_EQ(letters(kMsgKillProgram, 2), "MK");
  // KILL in memory order: the low byte first.
  EXPECT_EQ(letters(kKillProgramTag, 4), "LLIK");
}

class FakeSystem : public InstanceSystem {
 public:
  uint32_t other_pid = 0;
  bool mutex_exists = false;
  std::vector<std::string> calls;

  uint32_t FindOtherProgramProcess() override {
    calls.push_back("find");
    return other_pid;
  }
  bool NotifyProgramWindows(uint32_t pid, WindowAction action) override {
    calls.push_back((action == WindowAction::kShow ? "show " : "kill ") + std::to_string(pid));
    return true;
  }
  bool OpenOrCreateInstanceMutex() override {
    calls.push_back("mutex");
    return mutex_exists;
  }
};

using Calls = std::vector<std::string>;

TEST(SingleInstance, FirstStartBecomesTheInstance) {
  FakeSystem sys;
  const auto d = DecideInstance({}, sys);
  EXPECT_FALSE(d.exit_now);
  EXPECT_FALSE(d.auto_show);
  EXPECT_EQ(sys.calls, (Calls{"mutex"}));
}

TEST(SingleInstance, SecondStartShowsTheRunningInstanceAndEnds) {
  FakeSystem sys;
  sys.mutex_exists = true;
  sys.other_pid = 42;
  EXPECT_TRUE(DecideInstance({u"/start"}, sys).exit_now);
  EXPECT_EQ(sys.calls, (Calls{"mutex", "find", "show 42"}));

  // The mutex is there but no program process: still only this one ends.
  FakeSystem orphan;
  orphan.mutex_exists = true;
  EXPECT_TRUE(DecideInstance({}, orphan).exit_now);
  EXPECT_EQ(orphan.calls, (Calls{"mutex", "find"}));
}

TEST(SingleInstance, KillInAnyCaseEndsTheInstanceAndThisProcess) {
  for (const char16_t* spelling : {u"/Kill", u"/KILL", u"/kIlL"}) {
    FakeSystem sys;
    sys.other_pid = 7;
    const auto d = DecideInstance({spelling, u"/Start"}, sys);
    EXPECT_TRUE(d.exit_now);
    EXPECT_EQ(sys.calls, (Calls{"find", "kill 7"}));  // the mutex is never touched
  }
  FakeSystem alone;
  EXPECT_TRUE(DecideInstance({u"/Kill"}, alone).exit_now);
  EXPECT_EQ(alone.calls, (Calls{"find"}));
}

TEST(SingleInstance, StartThenKillNotesStartAndEnds) {
  FakeSystem sys;
  const auto d = DecideInstance({u"/Start", u"/Kill"}, sys);
  EXPECT_TRUE(d.auto_show);
  EXPECT_TRUE(d.exit_now);
}

TEST(SingleInstance, OtherArgumentsHaveNoEffect) {
  FakeSystem sys;
  const auto d = DecideInstance({u"/Killer", u"Kill", u"/Start ", u"-start", u""}, sys);
  EXPECT_FALSE(d.exit_now);
  EXPECT_FALSE(d.auto_show);
  EXPECT_EQ(sys.calls, (Calls{"mutex"}));
  EXPECT_EQ(ClassifyArgument(u"/START"), ArgumentKind::kStart);
}

TEST(SingleInstance, TheProcessSearchLooksAtEveryEntryButThisProcess) {
  // Under Wine the running instance is often the first process listed.
  const std::vector<ProcessEntry> list = {{40, u"VELKOR.EXE"}, {12, u"Tassel.exe"}, {77, u"Velkor.exe"}};
  EXPECT_EQ(PickProgramProcess(list, u"Velkor.exe", 77), 40u);
  EXPECT_EQ(PickProgramProcess(list, u"velkor.exe", 40), 77u);
  EXPECT_EQ(PickProgramProcess({{77, u"Velkor.exe"}}, u"Velkor.exe", 77), 0u);
  EXPECT_EQ(PickProgramProcess(list, u"Velkor", 0), 0u) << "the whole file name must match";
}

}  // namespace
}  // namespace velkor::testing
