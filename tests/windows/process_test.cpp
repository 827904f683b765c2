// Velkor.exe and Tassel.exe as whole processes: single instance, the command
// line and the daemon.
#include <gtest/gtest.h>

#include "app/single_instance.h"
#include "platform/win32/wide.h"
#include "tests/windows/process_driver.h"

namespace velkor::testing {
namespace {

constexpr DWORD kStartMs = 15000;
constexpr DWORD kExitMs = 15000;

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { EndStrays(); }
  void TearDown() override { EndStrays(); }

  static void EndStrays() {
    TerminateAll(L"Velkor.exe");
    TerminateAll(L"Tassel.exe");
    WaitUntil([] { return CountProcesses(L"Velkor.exe") == 0 && CountProcesses(L"Tassel.exe") == 0; },
              5000);
  }

  // Starts the instance and waits for its hidden, marked main window.
  ChildProcess StartInstance(const std::wstring& arguments = L"") {
    ChildProcess instance = StartProgram(L"Velkor.exe", arguments);
    EXPECT_TRUE(instance);
    EXPECT_TRUE(WaitUntil([&] { return FindMarkedWindow(instance.id()) != nullptr; }, kStartMs))
        << "the instance made no marked main window";
    return instance;
  }

  // Runs a second start to its end; it must never make a window of its own.
  DWORD RunSecondStart(const std::wstring& arguments) {
    ChildProcess second = StartProgram(L"Velkor.exe", arguments);
    EXPECT_TRUE(second);
    bool window_seen = false;
    const bool ended = WaitUntil(
        [&] {
          if (FindMarkedWindow(second.id()) || HasVisibleWindow(second.id())) window_seen = true;
          return second.WaitForExit(0);
        },
        kExitMs);
    EXPECT_TRUE(ended) << "the second start did not end";
    EXPECT_FALSE(window_seen) << "the second start made a window";
    if (!ended) second.Terminate();
    return second.ExitCode();
  }

  static bool MutexExists() {
    HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, W(kInstanceMutexName));
    if (h) CloseHandle(h);
    return h != nullptr;
  }
};

TEST_F(ProcessTest, SecondStartShowsTheRunningInstanceAndEnds) {
  ChildProcess instance = StartInstance();
  HWND main_window = FindMarkedWindow(instance.id());
  ASSERT_TRUE(main_window);
  EXPECT_FALSE(IsWindowVisible(main_window)) << "the main window starts hidden";

  EXPECT_EQ(RunSecondStart(L""), 0u);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main_window) != FALSE; }, 5000));
  EXPECT_FALSE(instance.WaitForExit(0)) << "the instance keeps running";

  EXPECT_EQ(RunSecondStart(L"/kill"), 0u);
  ASSERT_TRUE(instance.WaitForExit(kExitMs));
  EXPECT_EQ(instance.ExitCode(), 0u);
}

TEST_F(ProcessTest, KillInAnyCaseEndsTheInstanceThroughItsShutdown) {
  ChildProcess instance = StartInstance();
  EXPECT_TRUE(MutexExists());
  EXPECT_EQ(RunSecondStart(L"/KILL"), 0u);
  ASSERT_TRUE(instance.WaitForExit(kExitMs));
  // Ended by its own shutdown, not killed: exit code 0 and the mutex gone.
  EXPECT_EQ(instance.ExitCode(), 0u);
  EXPECT_FALSE(MutexExists());
}

TEST_F(ProcessTest, KillWithNoInstanceEndsAndStartsNothing) {
  EXPECT_EQ(RunSecondStart(L"/Kill"), 0u);
  EXPECT_FALSE(MutexExists());
  EXPECT_EQ(CountProcesses(L"Tassel.exe"), 0);
}

TEST_F(ProcessTest, StartFollowedByKillEndsTheProcess) {
  EXPECT_EQ(RunSecondStart(L"/Start /Kill"), 0u);
  EXPECT_FALSE(MutexExists());
}

TEST_F(ProcessTest, StartStaysHiddenAndAnUnknownArgumentChangesNothing) {
  ChildProcess instance = StartInstance(L"/Start /frobnicate");
  HWND main_window = FindMarkedWindow(instance.id());
  Sleep(300);
  EXPECT_FALSE(IsWindowVisible(main_window));
  EXPECT_EQ(RunSecondStart(L"--help"), 0u);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main_window) != FALSE; }, 5000));
  EXPECT_EQ(RunSecondStart(L"/Kill"), 0u);
  EXPECT_TRUE(instance.WaitForExit(kExitMs));
}

TEST_F(ProcessTest, DaemonRunsWithTheProgramAndEndsAfterIt) {
  ChildProcess instance = StartInstance();
  EXPECT_TRUE(WaitUntil([] { return CountProcesses(L"Tassel.exe") == 1; }, kStartMs))
      << "Tassel.exe was not started";

  // A second instance after the first: copies do not pile up.
  EXPECT_EQ(RunSecondStart(L"/Kill"), 0u);
  ASSERT_TRUE(instance.WaitForExit(kExitMs));
  ChildProcess next = StartInstance();
  Sleep(2500);
  EXPECT_LE(CountProcesses(L"Tassel.exe"), 1);
  EXPECT_GE(CountProcesses(L"Tassel.exe"), 1);

  EXPECT_EQ(RunSecondStart(L"/Kill"), 0u);
  ASSERT_TRUE(next.WaitForExit(kExitMs));
  EXPECT_TRUE(WaitUntil([] { return CountProcesses(L"Tassel.exe") == 0; }, 5000))
      << "Tassel.exe outlived the program";
}

}  // namespace
}  // namespace velkor::testing

namespace velkor::testing {
namespace {

TEST_F(ProcessTest, TheInstanceDrivesTheEmulatorThatKbemuSees) {
  ChildProcess instance = StartInstance();
  DWORD code = 0;
  std::string status = RunAndCapture(L"kbemu.exe", L"status", code);
  EXPECT_EQ(code, 0u);
  EXPECT_NE(status.find("attached: yes"), std::string::npos) << status;
  EXPECT_EQ(RunAndCapture(L"kbemu.exe", L"detach", code).rfind("ok", 0), 0u);
  status = RunAndCapture(L"kbemu.exe", L"status", code);
  EXPECT_NE(status.find("attached: no"), std::string::npos) << status;
  EXPECT_EQ(RunAndCapture(L"kbemu.exe", L"attach", code).rfind("ok", 0), 0u);
  EXPECT_EQ(RunAndCapture(L"kbemu.exe", L"fault sometimes", code).rfind("error:", 0), 0u);
  EXPECT_EQ(code, 1u);
  RunAndCapture(L"kbemu.exe", L"reset", code);
  EXPECT_EQ(RunAndCapture(L"kbemu.exe", L"lightkey", code).rfind("ok", 0), 0u);
  EXPECT_EQ(RunSecondStart(L"/Kill"), 0u);
  EXPECT_TRUE(instance.WaitForExit(kExitMs));

  // With no program running, kbemu works on the saved state, which kept the
  // lighting key's step to effect 2.
  status = RunAndCapture(L"kbemu.exe", L"dump lighting", code);
  EXPECT_EQ(status.substr(0, 8), "0000: 02") << status;
  EXPECT_EQ(RunAndCapture(L"kbemu.exe", L"fault echo", code).rfind("error:", 0), 0u);
}

TEST_F(ProcessTest, WithoutAWorkingServiceLibraryTheProgramEndsQuietly) {
  {
    ProgramCopy alone;  // no Ostrel.dll beside it
    ASSERT_TRUE(alone.Copy(L"Velkor.exe", L"Velkor.exe"));
    ChildProcess p = alone.Start(L"Velkor.exe", L"");
    ASSERT_TRUE(p);
    ASSERT_TRUE(p.WaitForExit(kExitMs));
    EXPECT_EQ(p.ExitCode(), 0u);
  }
  {
    ProgramCopy wrong;  // a library without the entry points
    ASSERT_TRUE(wrong.Copy(L"Velkor.exe", L"Velkor.exe"));
    ASSERT_TRUE(wrong.Copy(L"Tassel.exe", L"Ostrel.dll"));
    ChildProcess p = wrong.Start(L"Velkor.exe", L"");
    ASSERT_TRUE(p);
    ASSERT_TRUE(p.WaitForExit(kExitMs));
    EXPECT_EQ(p.ExitCode(), 0u);
  }
  EXPECT_FALSE(MutexExists());
}

}  // namespace
}  // namespace velkor::testing
