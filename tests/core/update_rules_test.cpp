// The firmware update's steps: nothing reaches the keyboard without an
// updater to start, a keyboard left in boot mode is told about, and the
// chosen updater is forgotten once it was tried.
#include "editors/update_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "device/commands.h"
#include "device/transport.h"
#include "tests/support/device_harness.h"

namespace velkor::testing {
namespace {

// Answers as the test says and writes down every call in order.
struct FakeUpdateHost : UpdateHost {
  bool file_there = true, boot_mode_written = true;
  intptr_t shell_result = 33;  // the shell's first success
  std::string calls;
  std::optional<LangKey> text;

  bool FileExists(const std::u16string&) override {
    calls += "exists ";
    return file_there;
  }
  bool EnterBootMode() override {
    calls += "boot ";
    return boot_mode_written;
  }
  intptr_t ShellOpen(const std::u16string& path) override {
    calls += path == u"up.exe" ? "open " : "open-other ";
    return shell_result;
  }
  void ShowText(LangKey shown) override {
    calls += "text ";
    text = shown;
  }
  void Close() override { calls += "close "; }
};

TEST(StartUpdate, StopsAtTheFirstStepThatFailsAndForgetsAnUpdaterOnceTried) {
  struct Case {
    bool file_there, boot_mode_written;
    intptr_t shell_result;
    UpdateOutcome outcome;
    std::string calls;
    std::optional<LangKey> text;
    bool path_kept;
  } cases[] = {
      {true, true, 33, UpdateOutcome::kStarted, "exists boot open close ", std::nullopt, false},
      {false, true, 33, UpdateOutcome::kNoUpdater, "exists text ", LangKey::MAIN_UPDATE_ERROR_TEXT, true},
      // The person may try again once the keyboard is free.
      {true, false, 33, UpdateOutcome::kBootModeRefused, "exists boot text ", LangKey::MAIN_BOOT_ERROR_TEXT, true},
      {true, true, 32, UpdateOutcome::kUpdaterNotStarted, "exists boot open text ",
       LangKey::MAIN_SHELL_ERROR_BOOT_TEXT, false},
      {true, true, 2, UpdateOutcome::kUpdaterNotStarted, "exists boot open text ",
       LangKey::MAIN_SHELL_ERROR_BOOT_TEXT, false},
  };
  for (const Case& c : cases) {
    FakeUpdateHost host;
    host.file_there = c.file_there;
    host.boot_mode_written = c.boot_mode_written;
    host.shell_result = c.shell_result;
    std::u16string path = u"up.exe";
    EXPECT_EQ(StartUpdate(host, path), c.outcome) << c.calls;
    EXPECT_EQ(host.calls, c.calls);
    EXPECT_EQ(host.text, c.text) << c.calls;
    EXPECT_EQ(path.empty(), !c.path_kept) << c.calls;
    // Nothing chosen any more (or ever): neither the files nor the keyboard are asked.
    if (!path.empty()) continue;
    host.calls.clear();
    EXPECT_EQ(StartUpdate(host, path), UpdateOutcome::kNoUpdater);
    EXPECT_EQ(host.calls, "text ");
    EXPECT_EQ(host.text, LangKey::MAIN_UPDATE_ERROR_TEXT);
  }
  // The keyboard left in boot mode types nothing: the text says how to get it back.
  EXPECT_NE(LanguageBuiltIn(LangKey::MAIN_SHELL_ERROR_BOOT_TEXT).find(u"unplug"), std::u16string_view::npos);
}

// The service library's answers to the boot-mode request, read the way the
// window reads them.
TEST(StartUpdate, OnlyAWrittenBootModeRequestCountsAsSent) {
  DeviceHarness& harness = Harness();
  for (const char* c : {"attach", "reset", "fault clear", "log clear"}) harness.Control(c);
  Transport transport(harness.api());
  transport.StartInterfaceReads();
  DeviceCommands commands(transport);
  EXPECT_TRUE(BootModeRequestWritten(commands.EnterBootMode()));
  EXPECT_NE(harness.Control("status").find("boot mode: yes"), std::string::npos);
  // The keyboard left for its boot mode: a second request reaches nobody.
  EXPECT_FALSE(BootModeRequestWritten(commands.EnterBootMode()));
  EXPECT_FALSE(BootModeRequestWritten(-1)) << "a refused write";
  harness.Control("attach");
}

}  // namespace
}  // namespace velkor::testing
