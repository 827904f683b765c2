// The main window's decisions, its presence steps and the keyboard thread,
// without a window.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/device_worker.h"
#include "app/main_window_rules.h"
#include "app/presence.h"

namespace velkor::testing {
namespace {

TEST(MainWindowRules, OwnMessagesNeedTheirTagsExceptGs) {
  EXPECT_EQ(ClassifyMainMessage(0x4D4E, 0x494E4954), MainMessage::kInit);
  EXPECT_EQ(ClassifyMainMessage(0x5350, 0x4F50454E), MainMessage::kOpen);
  EXPECT_EQ(ClassifyMainMessage(0x4D4B, 0x4C4C494B), MainMessage::kKill);
  EXPECT_EQ(ClassifyMainMessage(0x5452, 0x50524F46), MainMessage::kLoadProfile);
  EXPECT_EQ(ClassifyMainMessage(0x5045, 0x004C4544), MainMessage::kBankLed);
  EXPECT_EQ(ClassifyMainMessage(0x4753, 0), MainMessage::kCloseEditors);
  EXPECT_EQ(ClassifyMainMessage(0x4753, 12345), MainMessage::kCloseEditors);
  // The right number with another tag is swallowed, never acted on.
  EXPECT_EQ(ClassifyMainMessage(0x5350, 0x4F50454F), MainMessage::kIgnored);
  EXPECT_EQ(ClassifyMainMessage(0x4D4B, 0x4B494C4C), MainMessage::kIgnored) << "KILL in the other byte order";
  EXPECT_EQ(ClassifyMainMessage(0x4D4E, 0), MainMessage::kIgnored);
  EXPECT_EQ(ClassifyMainMessage(0x5045, 0x4C4544), MainMessage::kBankLed);
  EXPECT_EQ(ClassifyMainMessage(0x0111, 0x4F50454E), MainMessage::kNotOurs);
}

TEST(MainWindowRules, PreTranslationSwallowsEnterEscapeAndArrowsOnlyWhereTold) {
  constexpr uint32_t kDown = 0x0100, kUp = 0x0101, kChar = 0x0102;
  for (uint32_t m : {kDown, kUp}) {
    EXPECT_TRUE(PreTranslate(m, 0x0D, true, false).swallow);
    EXPECT_TRUE(PreTranslate(m, 0x1B, false, false).swallow);
    for (uint32_t arrow = 0x25; arrow <= 0x28; ++arrow) {
      EXPECT_TRUE(PreTranslate(m, arrow, true, true).swallow);
      EXPECT_FALSE(PreTranslate(m, arrow, true, false).swallow);
    }
    EXPECT_FALSE(PreTranslate(m, 0x24, true, true).swallow) << "Home is no arrow";
    EXPECT_FALSE(PreTranslate(m, 0x29, true, true).swallow);
  }
  EXPECT_FALSE(PreTranslate(kChar, 0x0D, true, false).swallow);
  const PreTranslateDecision time = PreTranslate(0x001E, 0, true, false);
  EXPECT_TRUE(time.apply_first);
  EXPECT_FALSE(time.swallow) << "the message still goes on";
  EXPECT_FALSE(PreTranslate(0x001E, 0, false, false).apply_first) << "only the main window's";
}

TEST(MainWindowRules, CommandsGoWhereTheTablesSay) {
  EXPECT_EQ(RouteMainCommand(1).command, MainCommand::kOk);
  EXPECT_EQ(RouteMainCommand(2).command, MainCommand::kCancel);
  EXPECT_EQ(RouteMainCommand(1124).command, MainCommand::kExitProgram);
  EXPECT_EQ(RouteMainCommand(32774).command, MainCommand::kExitProgram);
  EXPECT_EQ(RouteMainCommand(32779).command, MainCommand::kCloseProgram);
  EXPECT_EQ(RouteMainCommand(1128).command, MainCommand::kBankIndicator);
  EXPECT_EQ(RouteMainCommand(32780).command, MainCommand::kFirmwareUpdate);
  const RoutedCommand default_profile = RouteMainCommand(9000);
  EXPECT_EQ(default_profile.command, MainCommand::kSwitchProfile);
  EXPECT_EQ(default_profile.profile, -1);
  EXPECT_EQ(RouteMainCommand(9003).profile, 2);
  EXPECT_EQ(RouteMainCommand(9200).profile, 199);
  EXPECT_EQ(RouteMainCommand(9201).command, MainCommand::kNone);
  EXPECT_EQ(RouteMainCommand(8999).command, MainCommand::kNone);
  EXPECT_EQ(RouteMainCommand(32784).command, MainCommand::kSwitchLanguage);
  EXPECT_EQ(RouteMainCommand(32784).language, 0);
  EXPECT_EQ(RouteMainCommand(32785).language, 1);
  EXPECT_EQ(RouteMainCommand(32786).command, MainCommand::kNone);
  // The buttons around the keyboard picture.
  EXPECT_EQ(RouteMainCommand(1135).command, MainCommand::kProfileButton);
  EXPECT_EQ(RouteMainCommand(1137).profile, 2);
  EXPECT_EQ(RouteMainCommand(1147).command, MainCommand::kReportRate);
  EXPECT_EQ(RouteMainCommand(1147).rate, 0);
  EXPECT_EQ(RouteMainCommand(1168).rate, 1);
  EXPECT_EQ(RouteMainCommand(1170).rate, 3);
  EXPECT_EQ(RouteMainCommand(1130).command, MainCommand::kFlip);
  EXPECT_EQ(RouteMainCommand(1131).command, MainCommand::kFlip);
  EXPECT_EQ(RouteMainCommand(1129).command, MainCommand::kNone) << "the flip indicator is no button";
  EXPECT_EQ(RouteMainCommand(1167).command, MainCommand::kLamp);
}

TEST(MainWindowRules, TheTrayImageIsSetOnlyWhenItChanges) {
  TrayImage image;
  image.Reset(128);
  EXPECT_EQ(image.Set(0, 128), std::nullopt) << "shown already";
  EXPECT_EQ(image.Set(0, 141), 141);
  EXPECT_EQ(image.Set(1, 0), 142) << "activity";
  EXPECT_EQ(image.Set(1, 0), std::nullopt);
  EXPECT_EQ(image.Set(0, 0), 141) << "back to the base image";
  EXPECT_EQ(image.Set(0, 0), std::nullopt);
  // The keyboard goes during activity: the new base shows at once, and the
  // end of the activity does not bring back the old one.
  EXPECT_EQ(image.Set(1, 0), 142);
  EXPECT_EQ(image.Set(0, 128), 128);
  EXPECT_EQ(image.Set(0, 0), std::nullopt);
}

TEST(MainWindowRules, TrayMouseMessages) {
  EXPECT_EQ(OnTrayMouse(140, 0x0205, true), TrayMouseAction::kMenu);
  EXPECT_EQ(OnTrayMouse(140, 0x0203, true), TrayMouseAction::kOpen);
  EXPECT_EQ(OnTrayMouse(140, 0x0201, true), TrayMouseAction::kMarkPending);
  EXPECT_EQ(OnTrayMouse(140, 0x0201, false), TrayMouseAction::kNone);
  EXPECT_EQ(OnTrayMouse(141, 0x0205, true), TrayMouseAction::kNone) << "another icon";
  EXPECT_EQ(OnTrayMouse(140, 0x0204, true), TrayMouseAction::kNone) << "right button down";
}

TEST(MainWindowRules, MenusAreRelabelledOnlyWithALanguage) {
  EXPECT_TRUE(TrayMenuLabels(std::nullopt).empty());
  EXPECT_TRUE(ButtonMenuLabels(std::nullopt).empty());
  const std::vector<MenuLabel> tray = TrayMenuLabels(TrayMenuTexts{u"Open", u"About", u"Exit"});
  ASSERT_EQ(tray.size(), 3u);
  EXPECT_EQ(tray[2].command, 32774);
  EXPECT_EQ(tray[2].text, u"Exit");
  ButtonMenuTexts texts{u"Import", u"Export", u"About", u"Close", u"中文", u"English"};
  const std::vector<MenuLabel> button = ButtonMenuLabels(texts);
  ASSERT_EQ(button.size(), 6u);
  // The separator at position 2 becomes the about item.
  EXPECT_EQ(button[2].position, 2);
  EXPECT_EQ(button[2].command, 32773);
  EXPECT_EQ(button[2].text, u"About");
  EXPECT_EQ(button[5].position, 4);
  EXPECT_EQ(button[5].command, 32785);
}

TEST(MainWindowRules, GKeyCaptionsAndEventNames) {
  EXPECT_EQ(GKeyCaption(0, 0), u"A1");
  EXPECT_EQ(GKeyCaption(1, 4), u"B5");
  EXPECT_EQ(GKeyCaption(1, 5), u"");
  EXPECT_EQ(GKeyCaption(0, 8), u"");
  EXPECT_EQ(NamedEventName(1), u"Velkor_Event_Main_01");
  EXPECT_EQ(NamedEventName(99), u"Velkor_Event_Main_99");
  EXPECT_EQ(NamedEventName(208), u"Velkor_Event_Main_208");
}

TEST(MainWindowRules, EndingTheProgram) {
  EXPECT_EQ(DecideExit(ExitOrigin::kPerson, false, false), ExitStep::kExitNow);
  EXPECT_EQ(DecideExit(ExitOrigin::kPerson, true, false), ExitStep::kAskFirst);
  EXPECT_EQ(DecideExit(ExitOrigin::kOtherProcess, true, false), ExitStep::kExitNow) << "never waits for a person";
  EXPECT_EQ(DecideExit(ExitOrigin::kOtherProcess, true, true), ExitStep::kAfterJob);
  EXPECT_EQ(DecideExit(ExitOrigin::kPerson, false, true), ExitStep::kAfterJob);
  NcPaintCountdown countdown;
  EXPECT_TRUE(countdown.HideInsteadOfPaint());
  EXPECT_TRUE(countdown.HideInsteadOfPaint());
  EXPECT_FALSE(countdown.HideInsteadOfPaint());
  NcPaintCountdown shown;
  shown.Stop();
  EXPECT_FALSE(shown.HideInsteadOfPaint()) << "a window shown on purpose stays shown";
}

TEST(MainWindowRules, AnApplyClearsThePendingFlagOnlyForWhatItSent) {
  ApplyState state;
  state.SetPending(true);
  ASSERT_TRUE(state.BeginJob());
  EXPECT_FALSE(state.BeginJob()) << "a second job is refused while one runs";
  const uint64_t sent = state.serial();
  state.ClearIfUnchangedSince(sent);
  EXPECT_FALSE(state.pending());
  state.EndJob();

  // An edit made while the keyboard is written stays pending.
  state.SetPending(true);
  ASSERT_TRUE(state.BeginJob());
  const uint64_t started = state.serial();
  state.SetPending(true);
  state.ClearIfUnchangedSince(started);
  EXPECT_TRUE(state.pending());
  state.EndJob();
  EXPECT_FALSE(state.job_running());
}

// A presence host that writes down what the steps did.
class RecordingHost : public PresenceHost {
 public:
  bool ReadDefaultLayout() override {
    log.push_back("layout");
    return layout_ok;
  }
  void ReportDefaultLayoutUnreadable() override { log.push_back("layout message"); }
  void ReadConfigBlock() override { log.push_back("config"); }
  void LoadActiveProfile() override { log.push_back("load"); }
  void ForgetActiveProfile() override { log.push_back("forget"); }
  void CloseEditors() override { log.push_back("close editors"); }
  void HideMainWindow() override { log.push_back("hide"); }
  bool WaitUntilReady() override {
    log.push_back("wait");
    return ready;
  }
  void SetTrayIcon(int resource) override { log.push_back("tray " + std::to_string(resource)); }
  void OpenMainWindow() override { log.push_back("open"); }

  bool layout_ok = true;
  bool ready = true;
  std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST(Presence, AKeyboardAtStartIsReadLoadedAndShownOnce) {
  PresenceState state;
  RecordingHost host;
  RunPresence(1, state, host);
  EXPECT_EQ(host.log, (Log{"layout", "config", "load", "wait", "tray 141", "open"}));
  EXPECT_EQ(state.count.load(), 1);
  EXPECT_EQ(state.auto_show.load(), 1);

  // Gone, then back: closed and hidden, then read again but not opened.
  host.log.clear();
  RunPresence(0, state, host);
  EXPECT_EQ(host.log, (Log{"forget", "close editors", "hide", "wait", "tray 128"}));
  host.log.clear();
  RunPresence(1, state, host);
  EXPECT_EQ(host.log, (Log{"layout", "config", "load", "wait", "tray 141"}));
}

TEST(Presence, RepeatedCountsStartAndUnreadableLayouts) {
  PresenceState state;
  RecordingHost host;
  RunPresence(0, state, host);
  EXPECT_TRUE(host.log.empty()) << "the count it knows already";

  state.auto_show.store(1);  // "/Start", or no keyboard at start
  host.layout_ok = false;
  RunPresence(2, state, host);
  EXPECT_EQ(host.log, (Log{"layout", "layout message", "config", "load", "wait", "tray 141"}));
  host.log.clear();
  RunPresence(2, state, host);
  EXPECT_TRUE(host.log.empty());
}

TEST(Presence, AProgramThatEndsWhileWaitingKeepsItsOldCount) {
  PresenceState state;
  RecordingHost host;
  host.ready = false;
  RunPresence(1, state, host);
  EXPECT_EQ(host.log, (Log{"layout", "config", "load", "wait"}));
  EXPECT_EQ(state.count.load(), 0);
  EXPECT_EQ(state.auto_show.load(), 0);
}

template <typename F>
bool Eventually(F done) {
  for (int i = 0; i < 500; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

TEST(DeviceWorker, RunsJobsOneAtATimeInOrderOnItsOwnThread) {
  DeviceWorker worker;
  std::mutex mutex;
  std::vector<int> order;
  std::atomic<int> running{0};
  std::atomic<bool> overlapped{false};
  std::atomic<bool> on_worker{true};
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(worker.Post([&, i] {
      if (running.fetch_add(1) != 0) overlapped = true;
      if (!worker.OnWorkerThread()) on_worker = false;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
      {
        std::lock_guard lock(mutex);
        order.push_back(i);
      }
      running.fetch_sub(1);
      if (i == 3) throw std::runtime_error("a job that throws does not end the thread");
    }));
  }
  EXPECT_FALSE(worker.OnWorkerThread());
  ASSERT_TRUE(Eventually([&] { return worker.pending() == 0; }));
  EXPECT_FALSE(overlapped);
  EXPECT_TRUE(on_worker);
  std::vector<int> expected(20);
  for (int i = 0; i < 20; ++i) expected[static_cast<size_t>(i)] = i;
  EXPECT_EQ(order, expected);
}

TEST(DeviceWorker, StoppingLetsTheRunningJobFinishAndDropsTheRest) {
  DeviceWorker worker;
  std::atomic<bool> release{false};
  std::atomic<bool> started{false};
  std::atomic<int> later{0};
  worker.Post([&] {
    started = true;
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  worker.Post([&] { ++later; });
  ASSERT_TRUE(Eventually([&] { return started.load(); }));
  EXPECT_EQ(worker.pending(), 2u);
  worker.Stop();
  EXPECT_FALSE(worker.Post([&] { ++later; }));
  release = true;
  ASSERT_TRUE(Eventually([&] { return worker.pending() == 0; }));
  EXPECT_EQ(later.load(), 0);
}

}  // namespace
}  // namespace velkor::testing
