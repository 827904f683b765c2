// The whole-program test driver against driver_target.exe, a small program
// that keeps the same contract with the outside as Velkor.exe.
#include "tests/windows/app_driver.h"

#include <gtest/gtest.h>

#include "tests/windows/driver_target_ids.h"

namespace velkor::testing {
namespace {

using namespace target;

constexpr wchar_t kTarget[] = L"driver_target.exe";
constexpr DWORD kStartMs = 15000;
constexpr DWORD kWaitMs = 5000;

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(app.Start(L"", kTarget, kStartMs)); }
  bool TextBecomes(const std::wstring& text) {
    return app.WaitFor([&] { return app.ControlText(kTextControl) == text; }, kWaitMs);
  }
  AppDriver app;
};

TEST(DriverStartTest, StartWaitsForReadyNotJustTheWindowAndEndEndsThroughTheProgram) {
  AppDriver app;
  ASSERT_TRUE(app.Start(L"/ready-after=400", kTarget, kStartMs));
  // Ready is published after the tray icon, so the tray is complete now.
  EXPECT_EQ(app.Tray(), (DriverTrayState{141, 1, L"Keyboard attached"}));
  EXPECT_FALSE(app.MainVisible());
  EXPECT_FALSE(app.Start(L"", kTarget, kStartMs)) << "a second program under the same driver";
  EXPECT_TRUE(app.End());
  EXPECT_EQ(app.ExitCode(), 0u);
  EXPECT_FALSE(app.running());
  EXPECT_EQ(app.main_window(), nullptr);
}

TEST(DriverStartTest, AProgramThatNeverGetsReadyFailsInTimeAndIsEndedWithTheDriver) {
  EXPECT_FALSE(AppDriver().Start(L"", L"no_such_program.exe", kStartMs));
  DWORD id = 0;
  {
    AppDriver app;
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(app.Start(L"/noready", kTarget, 1000));
    EXPECT_LT(GetTickCount64() - start, 4000u);
    EXPECT_TRUE(app.running());
    EXPECT_NE(app.main_window(), nullptr) << "the window is there, only not ready";
    id = app.process_id();
  }
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (process) {
    EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0) << "the driver left its program running";
    CloseHandle(process);
  }
}

TEST_F(DriverTest, ReadsControlsAndTheTrayAndSendsCommands) {
  EXPECT_EQ(app.ControlText(kTextControl), L"idle");
  EXPECT_TRUE(app.ControlVisible(kTextControl));
  EXPECT_FALSE(app.ControlVisible(kHiddenControl));
  EXPECT_TRUE(app.HasControl(kHiddenControl));
  EXPECT_FALSE(app.ControlEnabled(kDisabledControl));
  EXPECT_TRUE(app.ControlEnabled(kCheckControl));
  EXPECT_FALSE(app.HasControl(999));
  EXPECT_EQ(app.ControlText(999), L"");

  EXPECT_FALSE(app.ControlChecked(kCheckControl));
  EXPECT_TRUE(app.SendCommand(kCheckControl));
  EXPECT_TRUE(app.ControlChecked(kCheckControl)) << "SendCommand returns after the command was handled";

  ASSERT_TRUE(app.PostCommand(kCmdTrayBusy));
  EXPECT_TRUE(app.WaitFor(
      [&] {
        return app.Tray() == DriverTrayState{142, 2, L"Busy"};
      },
      kWaitMs))
      << app.Tray().icon << " " << app.Tray().adds;

  ASSERT_TRUE(app.PostShow());
  EXPECT_TRUE(app.WaitFor([&] { return app.MainVisible(); }, kWaitMs));
  ASSERT_TRUE(app.PostCommand(IDCANCEL));
  EXPECT_TRUE(app.WaitFor([&] { return !app.MainVisible(); }, kWaitMs));
  ASSERT_TRUE(app.PostTrayMouse(WM_LBUTTONDBLCLK));
  EXPECT_TRUE(app.WaitFor([&] { return app.MainVisible(); }, kWaitMs));
}

TEST_F(DriverTest, AnswersTellsABusyWindowFromAResponsiveOne) {
  DWORD elapsed = 0;
  EXPECT_TRUE(app.Answers(2000, &elapsed));
  EXPECT_LT(elapsed, 1000u);
  // Sent, so the UI thread is inside the one-second hang when this returns.
  EXPECT_FALSE(app.SendCommand(kCmdHang, 50));
  EXPECT_FALSE(app.Answers(200, &elapsed));
  EXPECT_GE(elapsed, 150u);
  EXPECT_TRUE(app.Answers(5000, &elapsed));
  EXPECT_GT(elapsed, 0u);
}

TEST_F(DriverTest, MessageBoxesAreFoundReadAndAnsweredWithTheirOwnButtonsOnly) {
  EXPECT_EQ(app.FindMessageBox(), nullptr);
  ASSERT_TRUE(app.PostCommand(kCmdAsk));
  std::wstring text;
  ASSERT_TRUE(app.WaitMessageBox(kWaitMs, &text));
  EXPECT_EQ(text, L"Keep the changes?");
  EXPECT_FALSE(app.AnswerMessageBox(IDOK)) << "a Yes/No/Cancel box has no OK button";
  EXPECT_NE(app.FindMessageBox(), nullptr);
  EXPECT_TRUE(app.AnswerMessageBox(IDNO));
  EXPECT_TRUE(TextBecomes(L"answer " + std::to_wstring(IDNO)));
  EXPECT_EQ(app.FindMessageBox(), nullptr);
  EXPECT_FALSE(app.AnswerMessageBox(IDYES)) << "no box is open";
}

TEST_F(DriverTest, DialogsAreCountedByTheirControlAndAreNoMessageBoxes) {
  EXPECT_EQ(app.CountDialogsWithControl(kAboutMarkControl), 0);
  ASSERT_TRUE(app.PostCommand(kCmdAbout));
  ASSERT_TRUE(app.PostCommand(kCmdAbout));
  EXPECT_TRUE(app.WaitFor([&] { return app.CountDialogsWithControl(kAboutMarkControl) == 2; }, kWaitMs));
  EXPECT_EQ(app.FindMessageBox(), nullptr) << "an about box is no message box";
  EXPECT_FALSE(app.WaitMessageBox(100));
  EXPECT_EQ(app.CountDialogsWithControl(kTextControl, false), 0) << "the main window is not counted";
}

TEST_F(DriverTest, PopupMenusOpenCloseAndChoose) {
  ASSERT_TRUE(app.PostTrayMouse(WM_RBUTTONUP));
  ASSERT_TRUE(app.WaitPopupMenu(kWaitMs));
  std::optional<DriverPopupMenu> popup = app.PopupMenu();
  ASSERT_TRUE(popup);
  EXPECT_NE(popup->menu, nullptr) << "the menu window gives its menu";
  std::vector<DriverMenuItem> items;
  if (popup->items_readable) {
    ASSERT_EQ(popup->items.size(), 5u);
    EXPECT_TRUE(app.WaitPopupMenu(0, &items));
    EXPECT_EQ(items.size(), 5u);
    EXPECT_FALSE(app.ChooseMenuItem(kMenuDisabled)) << "a grayed item cannot be chosen";
  } else {
    // Another process's menu cannot be read here: that is told, not given
    // as an empty menu.
    EXPECT_FALSE(app.WaitPopupMenu(0, &items));
    EXPECT_TRUE(items.empty());
  }
  EXPECT_TRUE(app.ClosePopupMenu());
  EXPECT_EQ(app.FindPopupMenu(), nullptr);
  EXPECT_TRUE(TextBecomes(L"menu ended"));
  EXPECT_TRUE(app.ClosePopupMenu()) << "nothing to close";

  ASSERT_TRUE(app.PostTrayMouse(WM_RBUTTONUP));
  ASSERT_TRUE(app.WaitPopupMenu(kWaitMs));
  EXPECT_TRUE(app.ChooseMenuItem(kMenuLighting));
  EXPECT_TRUE(TextBecomes(L"chose " + std::to_wstring(kMenuLighting)));
  EXPECT_FALSE(app.ChooseMenuItem(kMenuLighting)) << "no menu is open";

  // The menu's own keyboard handling: the underlined letter, and arrows past
  // the separator.
  ASSERT_TRUE(app.PostTrayMouse(WM_RBUTTONUP));
  ASSERT_TRUE(app.WaitPopupMenu(kWaitMs));
  EXPECT_TRUE(app.TypeMenuMnemonic(L'x'));
  EXPECT_TRUE(TextBecomes(L"chose " + std::to_wstring(kMenuExit)));
  ASSERT_TRUE(app.PostTrayMouse(WM_RBUTTONUP));
  ASSERT_TRUE(app.WaitPopupMenu(kWaitMs));
  EXPECT_TRUE(app.PressMenuKey(VK_DOWN));
  EXPECT_TRUE(app.PressMenuKey(VK_DOWN));
  EXPECT_TRUE(app.PressMenuKey(VK_RETURN));
  EXPECT_TRUE(TextBecomes(L"chose " + std::to_wstring(kMenuLighting)));
  EXPECT_FALSE(app.PressMenuKey(VK_RETURN)) << "no menu is open";
}

TEST(MenuReaderTest, ReadsItemsStatesAndTextsOfAMenuItCanReach) {
  HMENU menu = CreatePopupMenu();
  ASSERT_NE(menu, nullptr);
  HMENU sub = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kMenuOpen, L"&Open");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING | MF_CHECKED, kMenuLighting, L"&Lighting on\tCtrl+L");
  AppendMenuW(menu, MF_STRING | MF_GRAYED, kMenuDisabled, L"Not now");
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"More");
  SetMenuDefaultItem(menu, kMenuOpen, FALSE);
  std::optional<std::vector<DriverMenuItem>> items = ReadMenuItems(menu);
  DestroyMenu(menu);
  ASSERT_TRUE(items);
  ASSERT_EQ(items->size(), 5u);
  const std::vector<DriverMenuItem>& i = *items;
  EXPECT_EQ(i[0].id, kMenuOpen);
  EXPECT_EQ(i[0].text, L"&Open");
  EXPECT_TRUE(i[0].is_default);
  EXPECT_FALSE(i[0].checked);
  EXPECT_TRUE(i[1].separator);
  EXPECT_TRUE(i[1].text.empty());
  EXPECT_EQ(i[2].text, L"&Lighting on\tCtrl+L");
  EXPECT_TRUE(i[2].checked);
  EXPECT_FALSE(i[2].is_default);
  EXPECT_TRUE(i[2].enabled);
  EXPECT_FALSE(i[3].enabled);
  EXPECT_TRUE(i[4].submenu);
  EXPECT_FALSE(ReadMenuItems(nullptr)) << "an unusable handle is no empty menu";
}

TEST_F(DriverTest, ExitCodeIsTheProgramsOwn) {
  ASSERT_TRUE(app.PostCommand(kCmdQuitSeven));
  ASSERT_TRUE(app.WaitExit(kWaitMs));
  EXPECT_EQ(app.ExitCode(), 7u);
  EXPECT_FALSE(app.running());
  EXPECT_TRUE(app.End()) << "it had ended by itself";
  EXPECT_FALSE(app.PostCommand(kCmdAsk));
  EXPECT_FALSE(app.Answers(100));
}

TEST(KbemuLogTest, KeepsRequestLinesWholeAndSkipsEverythingElse) {
  const std::string log =
      "#1 > ReadConfig             len=16 addr=0     | 04 01 00 11 10 00 00 00\r\n"
      "#1 < ReadConfig             len=16 addr=0     | 04 01 00 11 10 00 00 00\n"
      "led > bank flags | 01 00\n"
      "evt attach\n"
      "#2   refused: no keyboard attached\n"
      "#3 > WriteLighting          len=4  addr=12    | 04 02 00 21 zz 0c 00\n"
      "#4 > WriteLighting          len=4  addr=12    | 04 02 00 21 04 0C 00 FF\n"
      "#5 > Broken | \n";
  const std::vector<KbemuRequest> requests = ParseKbemuRequests(log);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].name, "ReadConfig");
  EXPECT_EQ(requests[0].bytes, (std::vector<uint8_t>{0x04, 0x01, 0x00, 0x11, 0x10, 0, 0, 0}));
  EXPECT_EQ(requests[1].name, "WriteLighting");
  EXPECT_EQ(requests[1].command(), 0x21);
  EXPECT_EQ(requests[1].bytes.back(), 0xFF);
  EXPECT_TRUE(ParseKbemuRequests("").empty());
}

TEST(KbemuLogTest, RunsTheToolBesideTheTest) {
  DWORD code = STILL_ACTIVE;
  const std::string status = Kbemu(L"status", &code);
  EXPECT_EQ(code, 0u);
  EXPECT_NE(status.find("attached:"), std::string::npos) << status;
  EXPECT_TRUE(KbemuClearLog());
  EXPECT_TRUE(KbemuRequests().empty());
  Kbemu(L"no-such-command", &code);
  EXPECT_NE(code, 0u);
}

}  // namespace
}  // namespace velkor::testing
