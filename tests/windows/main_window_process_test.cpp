// Velkor.exe as a person and other programs use it: it follows the keyboard
// (the emulator, driven with kbemu), lives in the notification area, shows
// and hides its window, applies edits and ends through one routine.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <cstdio>
#include <vector>

#include "app/main_window_rules.h"
#include "app/startup_facts.h"
#include "model/profile_image.h"
#include "platform/win32/known_folders.h"
#include "platform/win32/wide.h"
#include "resources/resource.h"
#include "tests/windows/app_driver.h"

namespace velkor::testing {
namespace {

constexpr DWORD kWaitMs = 15000;
constexpr UINT kMsgLoadProfile = 0x5452;

std::vector<std::string> Names(const std::vector<KbemuRequest>& requests) {
  std::vector<std::string> names;
  for (const auto& r : requests) names.push_back(r.name);
  return names;
}

int CountOf(const std::vector<KbemuRequest>& requests, const std::string& name) {
  return static_cast<int>(std::count_if(requests.begin(), requests.end(),
                                        [&](const KbemuRequest& r) { return r.name == name; }));
}

std::wstring ProfileFile() { return ToWide(DocumentsFolder()) + L"\\QN582\\$Profile0"; }

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

FILETIME WriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// The lighting panel's switch as the program keeps it between runs.
std::wstring LightingSettings() { return ToWide(DocumentsFolder()) + L"\\QN582\\wskb.ini"; }
bool LampSetting() {
  wchar_t value[8] = {};
  GetPrivateProfileStringW(L"KEYCOLOR", L"DengCheck", L"0", value, 8, LightingSettings().c_str());
  return std::wstring(value) == L"1";
}

// The flipped layout's setting in the program's registry settings.
constexpr wchar_t kProfileSettings[] = L"Software\\Velkor_Orvane\\Velkor\\PROFILES";
void SetFlipSetting(const wchar_t* value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kProfileSettings, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != 0) return;
  if (value) {
    RegSetValueExW(key, L"Flip", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
  } else {
    RegDeleteValueW(key, L"Flip");
  }
  RegCloseKey(key);
}
std::wstring ProfileSetting(const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kProfileSettings, 0, KEY_READ, &key) != 0) return L"(none)";
  wchar_t value[520] = {};
  DWORD size = sizeof(value) - sizeof(wchar_t);
  const LONG read = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return read == 0 ? std::wstring(value) : L"(none)";
}
std::wstring FlipSetting() { return ProfileSetting(L"Flip"); }

std::wstring LanguageFile() { return ToWide(FolderOf(ModulePath())) + L"Skins\\language.ini"; }

// Sets the language selector of the shared language file for one test and
// puts the file back as it was afterwards.
class LanguageSelector {
 public:
  explicit LanguageSelector(const wchar_t* value) : saved_(ReadAll(LanguageFile())) {
    WritePrivateProfileStringW(L"LANGUAGE", L"language", value, LanguageFile().c_str());
  }
  ~LanguageSelector() {
    std::ofstream out(std::filesystem::path(LanguageFile()), std::ios::binary | std::ios::trunc);
    out.write(saved_.data(), static_cast<std::streamsize>(saved_.size()));
  }

 private:
  std::string saved_;
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EndProgramsAndResetKeyboard();
    // The lamp off and the plain layout, whatever an earlier run left.
    WritePrivateProfileStringW(L"KEYCOLOR", L"DengCheck", L"0", LightingSettings().c_str());
    SetFlipSetting(nullptr);
  }
  void TearDown() override {
    driver_.End(5000);
    TerminateAll(L"Tassel.exe");
    SetFlipSetting(nullptr);
    WritePrivateProfileStringW(L"KEYCOLOR", L"DengCheck", L"0", LightingSettings().c_str());
  }

  // Starts the program with a keyboard and waits until it has read it.
  void StartWithKeyboard(const std::wstring& arguments = L"/Start") {
    ASSERT_TRUE(driver_.Start(arguments));
    ASSERT_TRUE(driver_.WaitFor([&] { return driver_.Tray().icon == IDI_KEYBOARD; }, kWaitMs));
    ASSERT_TRUE(driver_.WaitFor([&] { return driver_.ControlChecked(IDC_MAIN_PROFILE1); }, kWaitMs));
  }

  void Show() {
    driver_.PostShow();
    ASSERT_TRUE(driver_.WaitFor([&] { return driver_.MainVisible(); }, kWaitMs));
  }

  // Restores the defaults through the window's question: an edit, then Apply.
  void RestoreDefaultsAnsweringYes() {
    ASSERT_TRUE(driver_.PostCommand(IDC_MAIN_DEFAULT));
    ASSERT_TRUE(driver_.WaitMessageBox(kWaitMs));
    ASSERT_TRUE(driver_.AnswerMessageBox(IDYES));
  }

  // An edit whose Apply the keyboard did not take.
  void LeaveAnEditPending() {
    Kbemu(L"fault noreply always");
    KbemuClearLog();
    RestoreDefaultsAnsweringYes();
    ASSERT_TRUE(driver_.WaitFor([&] { return CountOf(KbemuRequests(), "BeginAccess") == 3; }, 20000));
    ASSERT_TRUE(driver_.WaitFor([&] { return !driver_.ControlVisible(IDC_MAIN_BUSY); }, 20000));
    ASSERT_TRUE(driver_.ControlEnabled(IDC_MAIN_APPLY));
    Kbemu(L"fault clear");
  }

  AppDriver driver_;
};

TEST_F(MainWindowTest, WithoutAKeyboardItWaitsInTheNotificationArea) {
  Kbemu(L"detach");
  ASSERT_TRUE(driver_.Start(L""));
  EXPECT_FALSE(driver_.MainVisible());
  const DriverTrayState tray = driver_.Tray();
  EXPECT_EQ(tray.icon, static_cast<UINT>(IDI_NO_KEYBOARD));
  EXPECT_EQ(tray.adds, 1u);
  EXPECT_EQ(tray.tip, L"Pellmar") << "KEYBOARD_TRAY_DESC of the language file";

  // "Open" tells the person why there is nothing to show.
  ASSERT_TRUE(driver_.PostCommand(ID_OPEN_WINDOW));
  std::wstring text;
  ASSERT_TRUE(driver_.WaitMessageBox(kWaitMs, &text));
  EXPECT_EQ(text, L"Device is not detected\uFF0Cthe key settings can not be displayed! ");
  EXPECT_TRUE(driver_.AnswerMessageBox(IDOK));
  EXPECT_FALSE(driver_.MainVisible());

  // The keyboard arrives later: read, icon 141, but the window does not open.
  KbemuClearLog();
  Kbemu(L"attach");
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.Tray().icon == IDI_KEYBOARD; }, kWaitMs));
  const std::vector<KbemuRequest> requests = KbemuRequests();
  EXPECT_EQ(CountOf(requests, "ReadDefaultLayoutBlock"), 10);
  EXPECT_GE(CountOf(requests, "ReadConfigBlock"), 1);
  EXPECT_FALSE(driver_.WaitFor([&] { return driver_.MainVisible(); }, 700));
}

TEST_F(MainWindowTest, AShowRequestWhileAKeyboardIsReadWaitsForIt) {
  Kbemu(L"detach");
  ASSERT_TRUE(driver_.Start(L""));
  Kbemu(L"latency 15000 15000");  // about 2.5 s to read the keyboard
  KbemuClearLog();
  Kbemu(L"attach");
  ASSERT_TRUE(driver_.WaitFor([&] { return !KbemuRequests().empty(); }, kWaitMs));
  driver_.PostShow();
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.MainVisible() || driver_.FindMessageBox(); }, kWaitMs));
  EXPECT_TRUE(driver_.MainVisible());
  EXPECT_EQ(driver_.FindMessageBox(), nullptr) << "no 'no keyboard' message for a keyboard being read";
  EXPECT_EQ(driver_.Tray().icon, static_cast<UINT>(IDI_KEYBOARD));
  Kbemu(L"latency 1000 1000");
}

TEST_F(MainWindowTest, AnEndRequestedByAnotherProgramEndsEvenWithAMessageBoxOpen) {
  Kbemu(L"detach");
  ASSERT_TRUE(driver_.Start(L""));
  ASSERT_TRUE(driver_.PostCommand(ID_OPEN_WINDOW));
  ASSERT_TRUE(driver_.WaitMessageBox(kWaitMs));
  ChildProcess killer = StartProgram(L"Velkor.exe", L"/Kill");
  ASSERT_TRUE(killer.WaitForExit(kWaitMs));
  ASSERT_TRUE(driver_.WaitExit(kWaitMs)) << "the open message box kept the program alive";
  EXPECT_EQ(driver_.ExitCode(), 0u);
}

TEST_F(MainWindowTest, AKeyboardAtStartIsReadAndTheWindowOpensOnce) {
  KbemuClearLog();
  ASSERT_TRUE(driver_.Start(L""));
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.MainVisible(); }, kWaitMs)) << "opens by itself";
  EXPECT_EQ(driver_.Tray().icon, static_cast<UINT>(IDI_KEYBOARD));
  EXPECT_TRUE(driver_.ControlChecked(IDC_MAIN_PROFILE1)) << "the active profile is marked";
  EXPECT_FALSE(driver_.ControlChecked(IDC_MAIN_PROFILE2));
  EXPECT_EQ(driver_.ControlText(IDC_MAIN_PROFILES), L"$Profile0");
  EXPECT_FALSE(driver_.ControlEnabled(IDC_MAIN_APPLY)) << "nothing to apply";
  const std::vector<std::string> names = Names(KbemuRequests());
  ASSERT_FALSE(names.empty());
  // The default layout first, then the configuration block, then the profile.
  EXPECT_EQ(names.front(), "ReadDefaultLayoutBlock");
  EXPECT_EQ(std::count(names.begin(), names.end(), "ReadDefaultLayoutBlock"), 10);
  EXPECT_EQ(std::count(names.begin(), names.end(), "ReadKeyMapBlock"), 30);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(ProfileFile())));

  // Hidden, then the keyboard goes and comes back: read again, not opened.
  ASSERT_TRUE(driver_.PostCommand(IDCANCEL));
  ASSERT_TRUE(driver_.WaitFor([&] { return !driver_.MainVisible(); }, kWaitMs));
  Kbemu(L"detach");
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.Tray().icon == IDI_NO_KEYBOARD; }, kWaitMs));
  KbemuClearLog();
  Kbemu(L"attach");
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.Tray().icon == IDI_KEYBOARD; }, kWaitMs));
  EXPECT_EQ(CountOf(KbemuRequests(), "ReadDefaultLayoutBlock"), 10);
  EXPECT_FALSE(driver_.WaitFor([&] { return driver_.MainVisible(); }, 700));

  // The same count again changes nothing and reads nothing.
  KbemuClearLog();
  Kbemu(L"attach");
  EXPECT_FALSE(driver_.WaitFor([&] { return !KbemuRequests().empty(); }, 700));
}

TEST_F(MainWindowTest, RemovalClosesTheAboutBoxHidesTheWindowAndForgetsTheProfile) {
  StartWithKeyboard();
  Show();
  for (int i = 0; i < 3; ++i) driver_.PostCommand(ID_ABOUT);
  driver_.Post(WM_SYSCOMMAND, 16, 0);  // the system menu's About
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.CountDialogsWithControl(IDC_ABOUT_TEXT) == 1; }, kWaitMs));
  ASSERT_TRUE(driver_.Answers(5000));
  EXPECT_EQ(driver_.CountDialogsWithControl(IDC_ABOUT_TEXT, false), 1) << "one about box however often asked";

  Kbemu(L"detach");
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.CountDialogsWithControl(IDC_ABOUT_TEXT, false) == 0; }, kWaitMs));
  ASSERT_TRUE(driver_.WaitFor([&] { return !driver_.MainVisible(); }, kWaitMs));
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.Tray().icon == IDI_NO_KEYBOARD; }, kWaitMs));

  // The active profile is read from the keyboard again, not taken from before.
  KbemuClearLog();
  Kbemu(L"attach");
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.Tray().icon == IDI_KEYBOARD; }, kWaitMs));
  EXPECT_GE(CountOf(KbemuRequests(), "ReadConfigBlock"), 2) << "the block, then the active profile";
}

TEST_F(MainWindowTest, ApplySendsOnlyWhatIsPendingAndOnlyOnce) {
  StartWithKeyboard();
  const std::wstring file = ProfileFile();
  const std::string before = ReadAll(file);
  const FILETIME written = WriteTime(file);
  ASSERT_FALSE(before.empty());

  // Nothing pending: neither the file nor the keyboard hears of it.
  KbemuClearLog();
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_APPLY));
  ASSERT_TRUE(driver_.Answers(5000));
  EXPECT_FALSE(driver_.WaitFor([&] { return !KbemuRequests().empty(); }, 500));
  EXPECT_TRUE(SameTime(WriteTime(file), written));

  // An edit (restoring the defaults) applies at once: the profile file, then
  // the macro store and the active profile's key map in one access.
  KbemuClearLog();
  RestoreDefaultsAnsweringYes();
  ASSERT_TRUE(driver_.WaitFor([&] { return CountOf(KbemuRequests(), "EndAccess") == 1; }, kWaitMs));
  const std::vector<KbemuRequest> sent = KbemuRequests();
  const std::vector<std::string> names = Names(sent);
  ASSERT_GE(names.size(), 13u);
  EXPECT_EQ(names.front(), "BeginAccess");
  EXPECT_EQ(names.back(), "EndAccess");
  const auto first_map = std::find(names.begin(), names.end(), "WriteKeyMapBlock");
  EXPECT_TRUE(std::all_of(names.begin() + 1, first_map, [](const std::string& n) { return n == "WriteMacroMemory"; }));
  EXPECT_GE(first_map - names.begin(), 2);
  EXPECT_EQ(std::count(names.begin(), names.end(), "WriteKeyMapBlock"), 10);
  EXPECT_EQ(names.end() - first_map, 11);
  // Profile 0's block: the first piece goes to address 0.
  const KbemuRequest& first_piece = sent[static_cast<size_t>(first_map - names.begin())];
  ASSERT_GE(first_piece.bytes.size(), 8u);
  EXPECT_EQ(first_piece.bytes[5], 0);
  EXPECT_EQ(first_piece.bytes[6], 0);
  EXPECT_FALSE(SameTime(WriteTime(file), written)) << "the profile file was written";
  ASSERT_TRUE(driver_.WaitFor([&] { return !driver_.ControlEnabled(IDC_MAIN_APPLY); }, kWaitMs));
  // It lingers a moment after the job, so that a quick apply is seen at all.
  EXPECT_TRUE(driver_.WaitFor([&] { return !driver_.ControlVisible(IDC_MAIN_BUSY); }, 2000))
      << "the busy picture goes when the apply is done";
  EXPECT_FALSE(driver_.WaitFor([&] { return CountOf(KbemuRequests(), "BeginAccess") > 1; }, 700)) << "sent once";
}

TEST_F(MainWindowTest, AKeyboardThatStopsAnsweringLeavesTheEditPendingAndTheWindowAlive) {
  StartWithKeyboard();
  Show();
  Kbemu(L"fault noreply always");
  KbemuClearLog();
  RestoreDefaultsAnsweringYes();
  // While the keyboard keeps the window waiting for replies, it still
  // answers at once and shows the busy picture.
  ASSERT_TRUE(driver_.WaitFor([&] { return CountOf(KbemuRequests(), "BeginAccess") >= 1; }, kWaitMs));
  DWORD elapsed = 0;
  EXPECT_TRUE(driver_.Answers(100, &elapsed)) << elapsed << " ms";
  EXPECT_TRUE(driver_.ControlVisible(IDC_MAIN_BUSY));
  EXPECT_TRUE(driver_.ControlEnabled(IDC_MAIN_APPLY));
  // A second Apply meanwhile is refused, not queued.
  driver_.PostCommand(IDC_MAIN_APPLY);
  ASSERT_TRUE(driver_.WaitFor([&] { return !driver_.ControlVisible(IDC_MAIN_BUSY); }, 20000));
  EXPECT_EQ(CountOf(KbemuRequests(), "BeginAccess"), 3) << "one request, written three times";
  EXPECT_TRUE(driver_.ControlEnabled(IDC_MAIN_APPLY)) << "the edit is still pending";
  EXPECT_EQ(driver_.FindMessageBox(), nullptr) << "a failed Apply tells nothing but its button";

  // Once the keyboard answers again, the same Apply sends everything.
  Kbemu(L"fault clear");
  KbemuClearLog();
  driver_.PostCommand(IDC_MAIN_APPLY);
  ASSERT_TRUE(driver_.WaitFor([&] { return !driver_.ControlEnabled(IDC_MAIN_APPLY); }, kWaitMs));
  EXPECT_EQ(CountOf(KbemuRequests(), "WriteKeyMapBlock"), 10);
}

TEST_F(MainWindowTest, KeysAndMessagesThatMustNotCloseOrShowTheWindow) {
  StartWithKeyboard();
  // A show request with the wrong tag does nothing.
  driver_.Post(0x5350, 0x4F50454F, 0);
  ASSERT_TRUE(driver_.Answers(5000));
  EXPECT_FALSE(driver_.MainVisible());

  Show();
  for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
    driver_.Post(WM_KEYDOWN, key, 0);
    driver_.Post(WM_KEYUP, key, 0);
  }
  ASSERT_TRUE(driver_.Answers(5000));
  EXPECT_TRUE(driver_.MainVisible()) << "Enter and Escape neither close nor hide";

  // Cancel and the system menu's close hide; the program goes on.
  driver_.PostCommand(IDCANCEL);
  ASSERT_TRUE(driver_.WaitFor([&] { return !driver_.MainVisible(); }, kWaitMs));
  Show();
  driver_.Post(WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(driver_.WaitFor([&] { return !driver_.MainVisible(); }, kWaitMs));
  EXPECT_TRUE(driver_.running());

  // The close control ends it, through its shutdown.
  driver_.PostCommand(IDC_MAIN_CLOSE);
  ASSERT_TRUE(driver_.WaitExit(kWaitMs));
  EXPECT_EQ(driver_.ExitCode(), 0u);
}

TEST_F(MainWindowTest, EndingWithUnappliedEditsAsksAPersonButNeverAnotherProgram) {
  StartWithKeyboard();
  LeaveAnEditPending();

  // The close control asks; Yes applies, then the program ends.
  KbemuClearLog();
  driver_.PostCommand(IDC_MAIN_CLOSE);
  std::wstring question;
  ASSERT_TRUE(driver_.WaitMessageBox(kWaitMs, &question));
  EXPECT_EQ(question, L"Some settings have not been applied. Apply them before the program ends?");
  ASSERT_TRUE(driver_.AnswerMessageBox(IDYES));
  ASSERT_TRUE(driver_.WaitExit(kWaitMs));
  EXPECT_EQ(CountOf(KbemuRequests(), "WriteKeyMapBlock"), 10);

  // Another program's end request with edits pending asks nobody.
  StartWithKeyboard();
  LeaveAnEditPending();
  driver_.PostCommand(ID_CLOSE_PROGRAM);
  ASSERT_TRUE(driver_.WaitExit(kWaitMs));
  EXPECT_EQ(driver_.ExitCode(), 0u);
}

TEST_F(MainWindowTest, EndingWhileTheKeyboardIsBusyOrAfterAFailedApply) {
  // Another program's end during an apply that the keyboard never answers:
  // the apply is let finish (fail), then the program ends without asking.
  StartWithKeyboard();
  Kbemu(L"fault noreply always");
  KbemuClearLog();
  RestoreDefaultsAnsweringYes();
  ASSERT_TRUE(driver_.WaitFor([&] { return CountOf(KbemuRequests(), "BeginAccess") >= 1; }, kWaitMs));
  driver_.Post(kDriverEndMessage, kDriverEndTag, 0);
  ASSERT_TRUE(driver_.WaitExit(20000));
  EXPECT_EQ(driver_.ExitCode(), 0u);
  EXPECT_EQ(driver_.FindMessageBox(), nullptr);

  // A person answers Yes, the keyboard refuses: the program stays, shows
  // its window and says why; then another program's end still works.
  StartWithKeyboard();
  LeaveAnEditPending();
  Kbemu(L"fault noreply always");
  driver_.PostCommand(IDC_MAIN_CLOSE);
  ASSERT_TRUE(driver_.WaitMessageBox(kWaitMs));
  ASSERT_TRUE(driver_.AnswerMessageBox(IDYES));
  std::wstring told;
  ASSERT_TRUE(driver_.WaitMessageBox(20000, &told));
  EXPECT_EQ(told, L"The keyboard did not take the settings. They are kept: press Apply to send them again.");
  EXPECT_TRUE(driver_.MainVisible());
  EXPECT_TRUE(driver_.running());
  driver_.Post(kDriverEndMessage, kDriverEndTag, 0);
  ASSERT_TRUE(driver_.WaitExit(kWaitMs)) << "the message box kept the program alive";
  Kbemu(L"fault clear");

  // No: the program ends and sends nothing.
  StartWithKeyboard();
  LeaveAnEditPending();
  KbemuClearLog();
  driver_.PostCommand(IDC_MAIN_CLOSE);
  ASSERT_TRUE(driver_.WaitMessageBox(kWaitMs));
  ASSERT_TRUE(driver_.AnswerMessageBox(IDNO));
  ASSERT_TRUE(driver_.WaitExit(kWaitMs));
  EXPECT_EQ(CountOf(KbemuRequests(), "BeginAccess"), 0);
}

TEST_F(MainWindowTest, AKeyboardReadAgainLeavesNothingPending) {
  StartWithKeyboard();
  LeaveAnEditPending();
  Kbemu(L"detach");
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.Tray().icon == IDI_NO_KEYBOARD; }, kWaitMs));
  Kbemu(L"attach");
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.Tray().icon == IDI_KEYBOARD; }, kWaitMs));
  EXPECT_TRUE(driver_.WaitFor([&] { return !driver_.ControlEnabled(IDC_MAIN_APPLY); }, kWaitMs))
      << "the keyboard's contents replaced the image, so nothing is pending";
}

TEST_F(MainWindowTest, TheTrayIconMenusAndTheShellsRestart) {
  StartWithKeyboard();
  // A double click opens the window without a menu.
  driver_.PostTrayMouse(WM_LBUTTONDBLCLK);
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.MainVisible(); }, kWaitMs));
  EXPECT_EQ(driver_.FindPopupMenu(), nullptr);

  // The shell restarts: the icon comes back with its tooltip.
  const DriverTrayState before = driver_.Tray();
  driver_.Post(RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.Tray().adds == before.adds + 1; }, kWaitMs));
  EXPECT_EQ(driver_.Tray().tip, before.tip);
  EXPECT_EQ(driver_.Tray().icon, static_cast<UINT>(IDI_KEYBOARD));
}

// Chooses the n-th item (from 1) of the open popup menu with the arrow keys.
bool ChooseByKeys(AppDriver& driver, int n) {
  if (!driver.WaitPopupMenu(kWaitMs)) return false;
  // A message answered from inside the menu's loop: the loop takes keys now.
  if (!driver.Answers(5000)) return false;
  for (int i = 0; i < n; ++i) driver.PressMenuKey(VK_DOWN);
  driver.PressMenuKey(VK_RETURN);
  return driver.WaitFor([&] { return driver.FindPopupMenu() == nullptr; }, kWaitMs);
}

TEST_F(MainWindowTest, TheTrayMenuAndTheButtonMenuCarryTheirCommands) {
  // (Their texts per language are checked in-process: another process
  // cannot read a menu's items under Wine.)
  StartWithKeyboard();
  driver_.PostTrayMouse(WM_RBUTTONUP);
  ASSERT_TRUE(ChooseByKeys(driver_, 2)) << "the tray menu did not open and close";
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.CountDialogsWithControl(IDC_ABOUT_TEXT) == 1; }, kWaitMs));

  // The button menu's third item is About too, not a separator.
  Kbemu(L"detach");  // closes the about box
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.CountDialogsWithControl(IDC_ABOUT_TEXT, false) == 0; }, kWaitMs));
  driver_.PostCommand(IDC_MAIN_MENU);
  ASSERT_TRUE(ChooseByKeys(driver_, 3)) << "the button menu did not open and close";
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.CountDialogsWithControl(IDC_ABOUT_TEXT) == 1; }, kWaitMs));

  // The tray menu's Exit ends the program.
  driver_.PostTrayMouse(WM_RBUTTONUP);
  ASSERT_TRUE(ChooseByKeys(driver_, 3));
  ASSERT_TRUE(driver_.WaitExit(kWaitMs)) << driver_.CountDialogsWithControl(IDC_ABOUT_TEXT, false) << " about, "
                                         << (driver_.FindMessageBox() ? "a message box" : "no box");
  EXPECT_EQ(driver_.ExitCode(), 0u);
}

TEST_F(MainWindowTest, ALanguageSwitchRelabelsTheWindowAndIsKept) {
  LanguageSelector english(L"0");
  StartWithKeyboard();
  EXPECT_EQ(driver_.ControlText(IDC_MAIN_PROFILE1), L"Profile 1");
  ASSERT_TRUE(driver_.SendCommand(ID_LANGUAGE_CHINESE));
  EXPECT_EQ(driver_.ControlText(IDC_MAIN_PROFILE1), L"配置 1");
  wchar_t caption[64] = {};
  GetWindowTextW(driver_.main_window(), caption, 64);
  EXPECT_STREQ(caption, L"游戏键盘设置");
  EXPECT_EQ(driver_.Tray().tip, L"Pellmar");
  wchar_t selector[8] = {};
  GetPrivateProfileStringW(L"LANGUAGE", L"language", L"", selector, 8, LanguageFile().c_str());
  EXPECT_STREQ(selector, L"1");
}

TEST_F(MainWindowTest, TwoBankKeyPressesSendTheLedReportTwiceAndEndWhereTheyBegan) {
  StartWithKeyboard();
  KbemuClearLog();
  Kbemu(L"bankkey");
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.ControlText(IDC_MAIN_G1) == L"B1"; }, kWaitMs));
  EXPECT_TRUE(driver_.ControlChecked(IDC_MAIN_LOCK_AB)) << "the bank indicator is lit for bank B";
  EXPECT_EQ(driver_.ControlText(IDC_MAIN_G6), L"");
  Kbemu(L"bankkey");
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.ControlText(IDC_MAIN_G1) == L"A1"; }, kWaitMs));
  EXPECT_FALSE(driver_.ControlChecked(IDC_MAIN_LOCK_AB));
  const std::string log = Kbemu(L"log 50");
  std::vector<std::string> reports;
  for (size_t at = log.find("led > bank flags | "); at != std::string::npos;
       at = log.find("led > bank flags | ", at + 1)) {
    reports.push_back(log.substr(at + 19, 5));
  }
  EXPECT_EQ(reports, (std::vector<std::string>{"05 03", "05 02"}));
}

// The key editor the program runs for a click (a stand-in until the editor
// is built): what it was opened for, from its window's properties.
struct EditorOpened {
  int slot = -1;
  int control = 0;
  bool macro_key = false;
};

std::optional<EditorOpened> OpenEditor(DWORD process, bool close = true) {
  std::optional<EditorOpened> found;
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner != process || !GetPropW(w, L"VelkorEditorSlot")) continue;
    EditorOpened e;
    e.slot = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(w, L"VelkorEditorSlot"))) - 1;
    e.control = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(w, L"VelkorEditorControl")));
    e.macro_key = GetPropW(w, L"VelkorEditorMacroKey") != nullptr;
    if (close) PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
    found = e;
  }
  return found;
}

TEST_F(MainWindowTest, AKeyClickOpensTheEditorOnItsSlot) {
  StartWithKeyboard();
  Show();
  std::optional<EditorOpened> opened;
  auto click = [&](int control) {
    opened.reset();
    driver_.PostCommand(control);
    return driver_.WaitFor([&] { return (opened = OpenEditor(driver_.process_id())).has_value(); }, kWaitMs);
  };
  ASSERT_TRUE(click(IDC_MAIN_KEY_INSERT));
  EXPECT_EQ(opened->slot, 0xD2);
  EXPECT_EQ(opened->control, IDC_MAIN_KEY_INSERT);
  EXPECT_FALSE(opened->macro_key);

  // G9 in bank B: the second set's slot, and the macro key's flag.
  Kbemu(L"bankkey");
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.ControlText(IDC_MAIN_G1) == L"B1"; }, kWaitMs));
  ASSERT_TRUE(driver_.WaitFor([&] { return !OpenEditor(driver_.process_id(), false).has_value(); }, kWaitMs));
  ASSERT_TRUE(click(IDC_MAIN_G9));
  EXPECT_EQ(opened->slot, 0x111);
  EXPECT_TRUE(opened->macro_key);

  // Fn, D1 and the bank indicator open nothing with the lamp off.
  ASSERT_TRUE(driver_.WaitFor([&] { return !OpenEditor(driver_.process_id(), false).has_value(); }, kWaitMs));
  for (int control : {static_cast<int>(IDC_MAIN_FN), static_cast<int>(IDC_MAIN_D1), static_cast<int>(IDC_MAIN_LOCK_AB)}) {
    driver_.PostCommand(control);
  }
  ASSERT_TRUE(driver_.Answers(5000));
  EXPECT_FALSE(driver_.WaitFor([&] { return OpenEditor(driver_.process_id()).has_value(); }, 500));

  // Removal closes an open editor.
  driver_.PostCommand(IDC_MAIN_KEY_A);
  ASSERT_TRUE(driver_.WaitFor([&] { return OpenEditor(driver_.process_id(), false).has_value(); }, kWaitMs));
  EXPECT_EQ(OpenEditor(driver_.process_id(), false)->slot, 0x1E);
  Kbemu(L"detach");
  EXPECT_TRUE(driver_.WaitFor([&] { return !OpenEditor(driver_.process_id(), false).has_value(); }, kWaitMs));
}

TEST_F(MainWindowTest, WithTheLampOnKeysPaintOnlyInTheUserEffectButGKeysStillOpenTheEditor) {
  StartWithKeyboard();
  Show();
  KbemuClearLog();
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_LAMP));
  ASSERT_TRUE(driver_.WaitFor([] { return LampSetting(); }, kWaitMs));
  EXPECT_EQ(CountOf(KbemuRequests(), "WriteConfigBlock"), 1) << "on once the profile was selected again";

  // The keyboard runs effect 1: a click on a panel key does nothing at all.
  KbemuClearLog();
  driver_.PostCommand(IDC_MAIN_KEY_A);
  ASSERT_TRUE(driver_.Answers(5000));
  EXPECT_FALSE(driver_.WaitFor([&] { return OpenEditor(driver_.process_id()).has_value(); }, 500));
  EXPECT_TRUE(KbemuRequests().empty());

  std::optional<EditorOpened> opened;
  driver_.PostCommand(IDC_MAIN_G1);
  ASSERT_TRUE(driver_.WaitFor([&] { return (opened = OpenEditor(driver_.process_id())).has_value(); }, kWaitMs));
  EXPECT_EQ(opened->slot, 0x100);

  // Off again, a key click edits the key's assignment. The G1 editor must be
  // gone for good first: seen gone twice, the window's loop answering between.
  ASSERT_TRUE(driver_.WaitFor([&] {
    return !OpenEditor(driver_.process_id(), false).has_value() && driver_.Answers(5000) &&
           !OpenEditor(driver_.process_id(), false).has_value();
  }, kWaitMs));
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_LAMP));
  EXPECT_FALSE(LampSetting());
  driver_.PostCommand(IDC_MAIN_KEY_A);
  ASSERT_TRUE(driver_.WaitFor([&] { return (opened = OpenEditor(driver_.process_id())).has_value(); }, kWaitMs));
  EXPECT_EQ(opened->slot, 0x1E);
}

// One byte at offset 15 of the current profile's lighting record (42 bytes each).
std::vector<uint8_t> ReportRateWrite(uint8_t checksum, uint8_t address, uint8_t rate) {
  std::vector<uint8_t> report(64, 0);
  const uint8_t head[] = {0x04, checksum, 0x00, 0x06, 0x01, address, 0x00, 0x00, rate};
  std::copy(std::begin(head), std::end(head), report.begin());
  return report;
}

TEST_F(MainWindowTest, AReportRateButtonWritesItsByteEvenWhenCheckedAlready) {
  StartWithKeyboard();
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.ControlChecked(IDC_MAIN_REPORT4); }, kWaitMs));
  KbemuClearLog();
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_REPORT4));
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_REPORT4));
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_REPORT2));
  const std::vector<KbemuRequest> sent = KbemuRequests();
  EXPECT_EQ(Names(sent), (std::vector<std::string>{"BeginAccess", "WriteParameters", "EndAccess", "BeginAccess",
                                                   "WriteParameters", "EndAccess", "BeginAccess", "WriteParameters",
                                                   "EndAccess"}));
  ASSERT_EQ(sent.size(), 9u);
  EXPECT_EQ(sent[1].bytes, ReportRateWrite(0x19, 0x0F, 3));
  EXPECT_EQ(sent[4].bytes, ReportRateWrite(0x19, 0x0F, 3));
  EXPECT_EQ(sent[7].bytes, ReportRateWrite(0x17, 0x0F, 1));
  EXPECT_TRUE(driver_.ControlChecked(IDC_MAIN_REPORT2));
  EXPECT_FALSE(driver_.ControlChecked(IDC_MAIN_REPORT4));
  EXPECT_NE(Kbemu(L"dump lighting").find("0000: 01 04 01 00 00 FF 00 00 08 FF FF FF FF 00 00 01"), std::string::npos);
}

TEST_F(MainWindowTest, AProfileButtonReloadsLightingAndSwitchesOnlyToAnotherProfile) {
  StartWithKeyboard();
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_LAMP));
  ASSERT_TRUE(driver_.WaitFor([] { return LampSetting(); }, kWaitMs));

  // The profile the keyboard runs: lighting read again, the lamp off, no switch.
  KbemuClearLog();
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_PROFILE1));
  const std::vector<KbemuRequest> same = KbemuRequests();
  EXPECT_EQ(CountOf(same, "ReadConfigBlock"), 1);
  EXPECT_EQ(CountOf(same, "ReadParameters"), 3);
  EXPECT_EQ(CountOf(same, "WriteConfigBlock"), 0);
  EXPECT_FALSE(LampSetting());
  EXPECT_TRUE(driver_.ControlChecked(IDC_MAIN_PROFILE1));

  // Another profile: the configuration write, then the check moves.
  KbemuClearLog();
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_PROFILE2));
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.ControlChecked(IDC_MAIN_PROFILE2); }, kWaitMs));
  EXPECT_FALSE(driver_.ControlChecked(IDC_MAIN_PROFILE1));
  EXPECT_EQ(CountOf(KbemuRequests(), "WriteConfigBlock"), 1);
  EXPECT_NE(Kbemu(L"status").find("active profile: 1"), std::string::npos);
  // The lighting moved with it: its writes go to profile 1's record.
  KbemuClearLog();
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_REPORT4));
  const std::vector<KbemuRequest> rate = KbemuRequests();
  ASSERT_EQ(rate.size(), 3u);
  EXPECT_EQ(rate[1].bytes, ReportRateWrite(0x43, 0x39, 3));
}

TEST_F(MainWindowTest, TheFlipSettingChoosesTheLayoutAndTheFlipButtonsToggleIt) {
  auto f_keys_shown = [&] {
    for (int id = IDC_MAIN_KEY_F1; id <= IDC_MAIN_KEY_F4; ++id) {
      if (!driver_.ControlEnabled(id) || !driver_.ControlVisible(id)) return false;
    }
    for (int id = IDC_MAIN_D1; id <= IDC_MAIN_D6; ++id) {
      if (driver_.ControlEnabled(id) || driver_.ControlVisible(id)) return false;
    }
    return true;
  };
  auto d_keys_shown = [&] {
    for (int id = IDC_MAIN_KEY_F1; id <= IDC_MAIN_KEY_F4; ++id) {
      if (driver_.ControlEnabled(id) || driver_.ControlVisible(id)) return false;
    }
    for (int id = IDC_MAIN_D1; id <= IDC_MAIN_D6; ++id) {
      if (!driver_.ControlEnabled(id) || !driver_.ControlVisible(id)) return false;
    }
    return true;
  };
  SetFlipSetting(L"5");  // any number but 0 is the flipped layout
  StartWithKeyboard();
  EXPECT_TRUE(d_keys_shown());
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_FLIP1));
  EXPECT_EQ(FlipSetting(), L"0");
  EXPECT_TRUE(f_keys_shown());
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_FLIP2));
  EXPECT_EQ(FlipSetting(), L"1");
  EXPECT_TRUE(d_keys_shown());
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_FLIP1));
  EXPECT_EQ(FlipSetting(), L"0");
  EXPECT_TRUE(f_keys_shown()) << "two presses bring F1..F4 back";
}

TEST_F(MainWindowTest, RestoreDefaultsSendsNothingAfterNoAndTheLightingTooWithTheLampOn) {
  StartWithKeyboard();
  KbemuClearLog();
  ASSERT_TRUE(driver_.PostCommand(IDC_MAIN_DEFAULT));
  std::wstring question;
  ASSERT_TRUE(driver_.WaitMessageBox(kWaitMs, &question));
  EXPECT_EQ(question, L"Do you want to restore the default settings?");
  ASSERT_TRUE(driver_.AnswerMessageBox(IDNO));
  ASSERT_TRUE(driver_.Answers(5000));
  EXPECT_FALSE(driver_.WaitFor([&] { return !KbemuRequests().empty(); }, 500));
  EXPECT_FALSE(driver_.ControlEnabled(IDC_MAIN_APPLY));

  // The lamp off: the key assignments only.
  RestoreDefaultsAnsweringYes();
  ASSERT_TRUE(driver_.WaitFor([&] { return CountOf(KbemuRequests(), "WriteKeyMapBlock") == 10; }, kWaitMs));
  EXPECT_EQ(CountOf(KbemuRequests(), "WriteParameters"), 0);

  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_LAMP));
  ASSERT_TRUE(driver_.WaitFor([] { return LampSetting(); }, kWaitMs));
  KbemuClearLog();
  RestoreDefaultsAnsweringYes();
  ASSERT_TRUE(driver_.WaitFor([&] { return CountOf(KbemuRequests(), "WriteKeyMapBlock") == 10; }, kWaitMs));
  // The lighting defaults went first, on the window's thread: effect 1, then
  // the whole default record.
  const std::vector<KbemuRequest> sent = KbemuRequests();
  const auto first_map = std::find_if(sent.begin(), sent.end(), [](const KbemuRequest& r) { return r.name == "WriteKeyMapBlock"; });
  EXPECT_GE(std::count_if(sent.begin(), first_map, [](const KbemuRequest& r) { return r.name == "WriteParameters"; }), 2);
}

TEST_F(MainWindowTest, AMissingSkinPictureEndsTheProgramSilently) {
  const std::wstring arrow = ToWide(FolderOf(ModulePath())) + L"Skins\\Arrow.jpg";
  const std::wstring aside = arrow + L".aside";
  ASSERT_TRUE(MoveFileExW(arrow.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING));
  struct PutBack {
    std::wstring from, to;
    ~PutBack() { MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING); }
  } put_back{aside, arrow};
  EXPECT_FALSE(driver_.Start(L"", L"Velkor.exe", 10000));
  ASSERT_TRUE(driver_.WaitExit(kWaitMs));
  EXPECT_EQ(driver_.ExitCode(), 0u);
  EXPECT_EQ(driver_.FindMessageBox(), nullptr);
}

// ---- The lighting panel ----------------------------------------------------------------

// A request's bytes from the command on: code, length, address (low, high),
// status and, for a write, its payload ("06 01 02 00 00 03").
std::string Sent(const KbemuRequest& r) {
  const bool write = r.bytes.size() > 4 && (r.bytes[3] == 0x06 || r.bytes[3] == 0x11);
  const size_t end = std::min<size_t>(write ? 8u + r.bytes[4] : 8u, r.bytes.size());
  std::string text;
  char b[4];
  for (size_t i = 3; i < end; ++i) {
    std::snprintf(b, sizeof(b), i > 3 ? " %02X" : "%02X", r.bytes[i]);
    text += b;
  }
  return text;
}

// The lighting writes of the log, without the access brackets around them.
std::vector<std::string> LightingWrites() {
  std::vector<std::string> writes;
  for (const KbemuRequest& r : KbemuRequests()) {
    if (r.name == "WriteParameters" || r.name == "WriteKeyColours") writes.push_back(Sent(r));
  }
  return writes;
}

class LightingPanelProcessTest : public MainWindowTest {
 protected:
  void LampOn() {
    ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_LAMP));
    ASSERT_TRUE(driver_.WaitFor([] { return LampSetting(); }, kWaitMs));
    ASSERT_TRUE(driver_.WaitFor([&] { return driver_.ControlVisible(IDC_MAIN_EFFECT_LIST); }, kWaitMs));
  }
  // The keyboard lists effects 1..18, then 20.
  void SelectEffect(int effect) {
    HWND list = driver_.Control(IDC_MAIN_EFFECT_LIST);
    const int index = effect == 20 ? 18 : effect - 1;
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(IDC_MAIN_EFFECT_LIST, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  }
  std::wstring Fields() {
    return driver_.ControlText(IDC_MAIN_RED) + L"," + driver_.ControlText(IDC_MAIN_GREEN) + L"," +
           driver_.ControlText(IDC_MAIN_BLUE);
  }
};

TEST_F(LightingPanelProcessTest, WithTheLampOffAPresetFillsTheFieldsAndSendsNothing) {
  StartWithKeyboard();
  Show();
  EXPECT_FALSE(driver_.ControlVisible(IDC_MAIN_EFFECT_LIST));
  EXPECT_TRUE(driver_.ControlVisible(IDC_MAIN_PRESET1));
  KbemuClearLog();
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_PRESET3));
  EXPECT_EQ(Fields(), L"1,126,255");
  EXPECT_TRUE(KbemuRequests().empty());
}

TEST_F(LightingPanelProcessTest, EachEffectShowsItsControlsAndTheSlidersAndColoursWrite) {
  StartWithKeyboard();
  Show();
  LampOn();
  KbemuClearLog();
  SelectEffect(4);
  EXPECT_EQ(LightingWrites(), std::vector<std::string>{"06 01 00 00 00 04"});
  EXPECT_TRUE(driver_.ControlVisible(IDC_MAIN_SPEED_SLIDER));
  for (int colour : {IDC_MAIN_FY_COLOR, IDC_MAIN_HX_COLOR, IDC_MAIN_HX_MULTI, IDC_MAIN_USER_PAINT_COLOR}) {
    EXPECT_FALSE(driver_.ControlVisible(colour)) << colour;
  }
  SelectEffect(17);
  EXPECT_TRUE(driver_.ControlVisible(IDC_MAIN_FOUR_RED));
  EXPECT_TRUE(driver_.ControlVisible(IDC_MAIN_FOUR_BLUE));
  EXPECT_FALSE(driver_.ControlVisible(IDC_MAIN_SPEED_SLIDER));
  SelectEffect(12);
  EXPECT_TRUE(driver_.ControlVisible(IDC_MAIN_DIRECTION_FIRST));
  EXPECT_TRUE(driver_.ControlVisible(IDC_MAIN_DIRECTION_SECOND));
  EXPECT_FALSE(driver_.ControlVisible(IDC_MAIN_DIRECTION_FIRST_LABEL));
  EXPECT_FALSE(driver_.ControlVisible(IDC_MAIN_DIRECTION_SECOND_LABEL));

  // The speed slider pressed a quarter of the way along: position 1, speed 3.
  HWND slider = driver_.Control(IDC_MAIN_SPEED_SLIDER);
  RECT r{};
  GetClientRect(slider, &r);
  KbemuClearLog();
  PostMessageW(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((r.right - 1) / 4, r.bottom / 2));
  PostMessageW(slider, WM_LBUTTONUP, 0, MAKELPARAM((r.right - 1) / 4, r.bottom / 2));
  EXPECT_TRUE(driver_.WaitFor([] { return LightingWrites() == std::vector<std::string>{"06 01 02 00 00 03"}; }, kWaitMs))
      << "speed 3 written";

  // Multicolour on under effect 16, then a preset: multicolour off first.
  SelectEffect(16);
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_FY_MULTI));
  KbemuClearLog();
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_PRESET1));
  EXPECT_EQ(LightingWrites(), (std::vector<std::string>{"06 01 04 00 00 00", "06 03 05 00 00 EC 63 1F"}));
  EXPECT_EQ(Fields(), L"236,99,31");
  KbemuClearLog();
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_HX_MULTI));
  EXPECT_EQ(LightingWrites(), std::vector<std::string>{"06 01 04 00 00 01"}) << "the marks showed it off";
}

TEST_F(LightingPanelProcessTest, NumberFieldsCapAtTwoFiftyFiveAndRefuseAnEmptyField) {
  StartWithKeyboard();
  Show();
  LampOn();  // effect 1: the fields are its colour
  KbemuClearLog();
  SendMessageW(driver_.Control(IDC_MAIN_RED), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"300"));
  ASSERT_TRUE(driver_.Answers(5000));
  EXPECT_EQ(driver_.ControlText(IDC_MAIN_RED), L"255");
  const std::vector<std::string> writes = LightingWrites();
  ASSERT_FALSE(writes.empty());
  EXPECT_EQ(writes.back().substr(0, 14), "06 03 05 00 00");
  EXPECT_EQ(writes.back().substr(15, 2), "FF");
  const std::wstring green = driver_.ControlText(IDC_MAIN_GREEN);

  // An emptied field: the message, then its number back. The change runs
  // the message box, so it is sent from a thread of its own.
  HWND field = driver_.Control(IDC_MAIN_GREEN);
  std::thread emptying([field] { SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"")); });
  std::wstring text;
  const bool asked = driver_.WaitMessageBox(kWaitMs, &text);
  if (asked) driver_.AnswerMessageBox(IDOK);
  emptying.join();
  ASSERT_TRUE(asked);
  EXPECT_EQ(text, L"Enter an integer.");
  EXPECT_EQ(driver_.ControlText(IDC_MAIN_GREEN), green);
}

TEST_F(LightingPanelProcessTest, TheLampStaysOffWhileTheKeyEditorIsOpen) {
  StartWithKeyboard();
  Show();
  driver_.PostCommand(IDC_MAIN_KEY_A);
  ASSERT_TRUE(driver_.WaitFor([&] { return OpenEditor(driver_.process_id(), false).has_value(); }, kWaitMs));
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_LAMP));
  // The profile cannot be selected again under the editor: it says so.
  std::wstring text;
  ASSERT_TRUE(driver_.WaitMessageBox(kWaitMs, &text));
  EXPECT_TRUE(driver_.AnswerMessageBox(IDOK));
  EXPECT_FALSE(driver_.WaitFor([] { return LampSetting(); }, 1000));
  EXPECT_FALSE(driver_.ControlVisible(IDC_MAIN_EFFECT_LIST));
  ASSERT_TRUE(driver_.WaitFor([&] { return OpenEditor(driver_.process_id()).has_value(); }, kWaitMs));
  ASSERT_TRUE(driver_.WaitFor([&] { return !OpenEditor(driver_.process_id(), false).has_value(); }, kWaitMs));
  std::optional<EditorOpened> opened;
  driver_.PostCommand(IDC_MAIN_KEY_B);
  ASSERT_TRUE(driver_.WaitFor([&] { return (opened = OpenEditor(driver_.process_id())).has_value(); }, kWaitMs));
  EXPECT_EQ(opened->control, IDC_MAIN_KEY_B);
}

TEST_F(LightingPanelProcessTest, PaintingInTheUserEffectWritesTheKeyAndItsEntryAndTheLightingKeyIsFollowed) {
  StartWithKeyboard();
  Show();
  LampOn();
  SelectEffect(20);
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_PRESET2));  // the paint colour (254, 0, 0)
  KbemuClearLog();
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_KEY_A));
  // Key A lights at position 64: bytes 192.. of profile 0's colour block.
  EXPECT_EQ(LightingWrites(), std::vector<std::string>{"11 03 C0 00 00 FE 00 00"});
  wchar_t entry[32] = {};
  GetPrivateProfileStringW(L"Mode0", L"64", L"", entry, 32,
                           (ToWide(DocumentsFolder()) + L"\\QN582\\UserDengColor_0.userd").c_str());
  EXPECT_STREQ(entry, L"254,0,0,0");

  // The keyboard's own lighting key steps to the next effect: the list follows.
  KbemuClearLog();
  Kbemu(L"lightkey");
  HWND list = driver_.Control(IDC_MAIN_EFFECT_LIST);
  EXPECT_TRUE(driver_.WaitFor([&] { return SendMessageW(list, CB_GETCURSEL, 0, 0) == 0; }, kWaitMs))
      << "effect 1 after 20";
  EXPECT_TRUE(driver_.ControlVisible(IDC_MAIN_FY_COLOR));
  EXPECT_FALSE(driver_.ControlVisible(IDC_MAIN_USER_MODE_LIST));
}


// ---- The profile manager ----------------------------------------------------------------

// A list view row's check box, read from another process (the state comes
// back as the answer, no memory of ours is handed over).
bool RowChecked(HWND list, int row) {
  const LRESULT state = SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

class ProfileManagerProcessTest : public MainWindowTest {
 protected:
  // Opens the manager (its handler runs it modally, so the command is posted).
  HWND OpenManager() {
    driver_.PostCommand(IDC_MAIN_PROFILES);
    HWND dialog = nullptr;
    driver_.WaitFor([&] { return (dialog = driver_.FindDialogWithControl(IDC_PROFILE_LIST)) != nullptr; },
                    kWaitMs);
    // Filled once its start is through: three rows, Apply off.
    if (dialog) {
      driver_.WaitFor([&] { return SendMessageW(GetDlgItem(dialog, IDC_PROFILE_LIST), LVM_GETITEMCOUNT, 0, 0) == 3 &&
                                   !IsWindowEnabled(GetDlgItem(dialog, IDC_PROFILE_APPLY)); }, kWaitMs);
    }
    return dialog;
  }
  // A key the person presses in the list (it has the focus).
  static void Press(HWND list, WPARAM key) {
    SetForegroundWindow(GetAncestor(list, GA_ROOT));
    PostMessageW(list, WM_KEYDOWN, key, 1);
    PostMessageW(list, WM_KEYUP, key, 0xC0000001);
  }
  void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  void SwitchToProfile2() {
    ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_PROFILE2));
    ASSERT_TRUE(driver_.WaitFor([&] { return driver_.ControlChecked(IDC_MAIN_PROFILE2); }, kWaitMs));
  }
  // The program with its window shown, the keyboard on profile 0 or 1,
  // then the manager; nullptr when any of it failed.
  HWND StartAndOpenManager(bool on_profile2) {
    StartWithKeyboard();
    if (!HasFatalFailure()) Show();
    if (!HasFatalFailure() && on_profile2) SwitchToProfile2();
    return HasFatalFailure() ? nullptr : OpenManager();
  }
};

TEST_F(ProfileManagerProcessTest, ItListsTheProfileFileThreeTimesWithTheKeyboardsProfileChecked) {
  HWND dialog = StartAndOpenManager(true);
  ASSERT_NE(dialog, nullptr);
  HWND list = GetDlgItem(dialog, IDC_PROFILE_LIST);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_FALSE(RowChecked(list, 0));
  EXPECT_TRUE(RowChecked(list, 1));
  EXPECT_FALSE(RowChecked(list, 2));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_PROFILE_APPLY)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_PROFILE_SPARE)));

  // Delete with no row selected does nothing, Apply stays off.
  Click(dialog, IDC_PROFILE_DELETE);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_PROFILE_APPLY)));

  // A switch from the main window while it is open: its row follows.
  ASSERT_TRUE(driver_.PostCommand(kDefaultProfileCommand + 1 + 2));
  EXPECT_TRUE(driver_.WaitFor([&] { return RowChecked(list, 2) && !RowChecked(list, 1); }, kWaitMs));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_PROFILE_APPLY)));
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_TRUE(driver_.WaitFor([&] { return !driver_.FindDialogWithControl(IDC_PROFILE_LIST); }, kWaitMs));
}

TEST_F(ProfileManagerProcessTest, ApplyStoresTheListAndChoosesOnlyAProfileTheKeyboardHas) {
  HWND dialog = StartAndOpenManager(true);
  ASSERT_NE(dialog, nullptr);
  HWND list = GetDlgItem(dialog, IDC_PROFILE_LIST);

  // The checked row unchecked with the keyboard: no profile chosen, the
  // contents read again all the same.
  Press(list, VK_HOME);  // the focus onto row 0, then row 1
  Press(list, VK_DOWN);
  Press(list, VK_SPACE);
  ASSERT_TRUE(driver_.WaitFor([&] { return !RowChecked(list, 1); }, kWaitMs));
  EXPECT_FALSE(RowChecked(list, 0));
  EXPECT_FALSE(RowChecked(list, 2));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_PROFILE_APPLY)));
  KbemuClearLog();
  Click(dialog, IDC_PROFILE_APPLY);
  ASSERT_TRUE(driver_.WaitFor([&] { return CountOf(KbemuRequests(), "ReadKeyMapBlock") > 0 &&
                                           !driver_.ControlVisible(IDC_MAIN_BUSY); }, kWaitMs));
  std::vector<KbemuRequest> sent = KbemuRequests();
  EXPECT_EQ(CountOf(sent, "WriteConfigBlock"), 0);
  EXPECT_EQ(CountOf(sent, "ReadKeyMapBlock"), 30) << "the three key maps, ten pieces each";
  EXPECT_NE(Kbemu(L"status").find("active profile: 1"), std::string::npos);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_PROFILE_APPLY)));
  // The list went into the settings: three rows, each the profile file.
  EXPECT_EQ(ProfileSetting(L"PROFILE00"), L"3");
  const std::wstring file = ToWide(DocumentsFolder()) + L"\\QN582\\$Profile0.kpx";
  EXPECT_EQ(ProfileSetting(L"PROFILE01"), file);
  EXPECT_EQ(ProfileSetting(L"PROFILE03"), file);

  // Row 2 checked: the configuration block says profile 2, the button follows.
  Press(list, VK_DOWN);
  Press(list, VK_SPACE);
  ASSERT_TRUE(driver_.WaitFor([&] { return RowChecked(list, 2); }, kWaitMs));
  KbemuClearLog();
  Click(dialog, IDC_PROFILE_APPLY);
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.ControlChecked(IDC_MAIN_PROFILE3); }, kWaitMs));
  sent = KbemuRequests();
  const auto write = std::find_if(sent.begin(), sent.end(), [](const KbemuRequest& r) { return r.name == "WriteConfigBlock"; });
  ASSERT_NE(write, sent.end());
  EXPECT_EQ(write->bytes[8 + 10], 2) << "byte 10 of the block";
  EXPECT_NE(Kbemu(L"status").find("active profile: 2"), std::string::npos);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}


TEST_F(ProfileManagerProcessTest, AnAddedFileIsWrittenListedOnceWithItsExtensionAndUnappliedEditsAreAskedAbout) {
  StartWithKeyboard();
  Show();
  LeaveAnEditPending();
  HWND dialog = OpenManager();
  ASSERT_NE(dialog, nullptr);
  HWND list = GetDlgItem(dialog, IDC_PROFILE_LIST);
  const std::wstring folder = ToWide(DocumentsFolder()) + L"\\QN582\\";
  const std::wstring added = folder + L"x.kpx";
  DeleteFileW(added.c_str());
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROFILE_ADD, BN_CLICKED), 0);
  ASSERT_TRUE(driver_.AnswerFileDialog(added));
  ASSERT_TRUE(driver_.WaitFor([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 4; }, kWaitMs));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_PROFILE_APPLY)));
  EXPECT_EQ(CheckFile(FromWide(added)).result, 1) << "a new file holds the default image";

  // Apply: the key edits were never applied, so the reload asks first; No
  // drops them for what the keyboard holds.
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROFILE_APPLY, BN_CLICKED), 0);
  std::wstring question;
  ASSERT_TRUE(driver_.WaitMessageBox(kWaitMs, &question));
  EXPECT_EQ(question, L"Whether to save the profile settings made?") << "the profile switch's question";
  EXPECT_TRUE(driver_.AnswerMessageBox(IDNO));
  ASSERT_TRUE(driver_.WaitFor([&] { return !driver_.ControlEnabled(IDC_MAIN_APPLY) &&
                                           !driver_.ControlVisible(IDC_MAIN_BUSY); }, kWaitMs));
  EXPECT_EQ(ProfileSetting(L"PROFILE00"), L"4");
  EXPECT_EQ(ProfileSetting(L"PROFILE04"), added) << "\".kpx\" once";
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  DeleteFileW(added.c_str());
}


TEST_F(ProfileManagerProcessTest, ALoadedFileStandsForNoProfileEvenAfterADeleteAndASecondOpeningIsSkinned) {
  HWND dialog = StartAndOpenManager(false);
  ASSERT_NE(dialog, nullptr);
  RECT first_ok{};
  GetWindowRect(GetDlgItem(dialog, IDOK), &first_ok);
  HWND list = GetDlgItem(dialog, IDC_PROFILE_LIST);
  const std::wstring loaded = ToWide(DocumentsFolder()) + L"\\QN582\\$Profile0.kpx";
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROFILE_LOAD, BN_CLICKED), 0);
  ASSERT_TRUE(driver_.AnswerFileDialog(loaded));
  ASSERT_TRUE(driver_.WaitFor([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 4; }, kWaitMs));
  // Row 0 selected and deleted: the loaded file moves up to row 2.
  Press(list, VK_HOME);
  ASSERT_TRUE(driver_.WaitFor([&] { return SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == 0; }, kWaitMs));
  Click(dialog, IDC_PROFILE_DELETE);
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
  Press(list, VK_END);
  Press(list, VK_SPACE);
  ASSERT_TRUE(driver_.WaitFor([&] { return RowChecked(list, 2); }, kWaitMs));
  KbemuClearLog();
  Click(dialog, IDC_PROFILE_APPLY);
  ASSERT_TRUE(driver_.WaitFor([&] { return CountOf(KbemuRequests(), "ReadKeyMapBlock") == 30 &&
                                           !driver_.ControlVisible(IDC_MAIN_BUSY); }, kWaitMs));
  EXPECT_EQ(CountOf(KbemuRequests(), "WriteConfigBlock"), 0) << "an added file asks for no profile";
  EXPECT_NE(Kbemu(L"status").find("active profile: 0"), std::string::npos);

  // Closed and opened again: its buttons are skinned again, in their places.
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  ASSERT_TRUE(driver_.WaitFor([&] { return !driver_.FindDialogWithControl(IDC_PROFILE_LIST); }, kWaitMs));
  dialog = OpenManager();
  ASSERT_NE(dialog, nullptr);
  RECT second_ok{};
  GetWindowRect(GetDlgItem(dialog, IDOK), &second_ok);
  EXPECT_EQ(second_ok.right - second_ok.left, first_ok.right - first_ok.left);
  EXPECT_EQ(second_ok.bottom - second_ok.top, first_ok.bottom - first_ok.top);
  EXPECT_EQ(second_ok.left, first_ok.left) << "the skin's place, not the template's";
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

}  // namespace
}  // namespace velkor::testing

namespace velkor::testing {
namespace {

// Every byte of a kbemu dump ("0000: 01 02 ..." lines), in order.
std::vector<uint8_t> DumpBytes(const std::string& dump) {
  std::vector<uint8_t> bytes;
  size_t at = 0;
  while (at < dump.size()) {
    const size_t end = std::min(dump.find('\n', at), dump.size());
    const std::string line = dump.substr(at, end - at);
    const size_t colon = line.find(':');
    if (colon != std::string::npos) {
      for (size_t i = colon + 1; i + 2 <= line.size(); ++i) {
        if (line[i] == ' ') continue;
        bytes.push_back(static_cast<uint8_t>(std::stoi(line.substr(i, 2), nullptr, 16)));
        i += 2;
      }
    }
    at = end + 1;
  }
  return bytes;
}

std::vector<uint8_t> KeyMapEntry(int profile, int position) {
  const std::vector<uint8_t> map = DumpBytes(Kbemu(L"dump keymap " + std::to_wstring(profile)));
  const size_t at = static_cast<size_t>(position) * 3;
  return map.size() >= at + 3 ? std::vector<uint8_t>(map.begin() + at, map.begin() + at + 3) : std::vector<uint8_t>{};
}

// The position the keyboard's own layout gives a key entry.
int DefaultPositionOf(std::vector<uint8_t> entry) {
  const std::vector<uint8_t> layout = DumpBytes(Kbemu(L"dump default"));
  for (size_t p = 0; p + 3 <= std::min<size_t>(layout.size(), 480); p += 3) {
    if (std::equal(entry.begin(), entry.end(), layout.begin() + p)) return static_cast<int>(p / 3);
  }
  return -1;
}

class KeyEditorProcessTest : public MainWindowTest {
 protected:
  // Opens the editor with a click on a key (its handler runs it modally).
  HWND OpenEditorOn(int control) {
    driver_.PostCommand(control);
    HWND dialog = nullptr;
    driver_.WaitFor([&] { return (dialog = driver_.FindDialogWithControl(IDC_EDITOR_KEY_BOX)) != nullptr; },
                    kWaitMs);
    // Through its start once the slot is marked on it.
    if (dialog) driver_.WaitFor([&] { return GetPropW(dialog, L"VelkorEditorSlot") != nullptr; }, kWaitMs);
    return dialog;
  }
  static void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  static std::wstring Text(HWND dialog, int id) {
    wchar_t text[300] = {};
    SendMessageW(GetDlgItem(dialog, id), WM_GETTEXT, 300, reinterpret_cast<LPARAM>(text));
    return text;
  }
  static bool Shown(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }
  // OK closes the editor; the main window's Apply sends everything.
  void OkAndApply(HWND dialog) {
    KbemuClearLog();
    Click(dialog, IDOK);
    ASSERT_TRUE(driver_.WaitFor([&] { return !IsWindow(dialog); }, kWaitMs));
    ASSERT_TRUE(driver_.WaitFor([&] { return driver_.ControlEnabled(IDC_MAIN_APPLY); }, kWaitMs));
    ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_APPLY));
    ASSERT_TRUE(driver_.WaitFor([&] { return CountOf(KbemuRequests(), "EndAccess") == 1; }, kWaitMs));
    ASSERT_TRUE(driver_.WaitFor([&] { return !driver_.ControlEnabled(IDC_MAIN_APPLY); }, kWaitMs));
  }
  void StartShown() {
    StartWithKeyboard();
    if (!HasFatalFailure()) Show();
  }
};

TEST_F(KeyEditorProcessTest, AMultimediaFunctionChosenForAKeyReachesTheKeyMap) {
  StartShown();
  const int a = DefaultPositionOf({0x02, 0x02, 0x04});
  ASSERT_GE(a, 0);
  HWND editor = OpenEditorOn(IDC_MAIN_KEY_A);
  ASSERT_NE(editor, nullptr);
  // A key of the default function opens on the single-key page, empty.
  EXPECT_TRUE(Shown(editor, IDC_EDITOR_KEY_BOX));
  EXPECT_FALSE(Shown(editor, IDC_EDITOR_MEDIA_LIST));
  EXPECT_FALSE(Shown(editor, IDC_EDITOR_ACTION_LIST));
  EXPECT_EQ(Text(editor, IDC_EDITOR_KEY_BOX), L"");
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, IDC_EDITOR_APPLY)));
  Click(editor, IDC_EDITOR_PAGE_MEDIA);
  EXPECT_TRUE(Shown(editor, IDC_EDITOR_MEDIA_LIST));
  EXPECT_FALSE(Shown(editor, IDC_EDITOR_KEY_BOX));
  EXPECT_EQ(SendMessageW(GetDlgItem(editor, IDC_EDITOR_MEDIA_LIST), CB_GETCOUNT, 0, 0), 18);
  SendMessageW(GetDlgItem(editor, IDC_EDITOR_MEDIA_LIST), CB_SETCURSEL, 5, 0);
  OkAndApply(editor);
  EXPECT_EQ(KeyMapEntry(0, a), (std::vector<uint8_t>{0x03, 0xEA, 0x00}));

  // Opened again, the key shows its function; Clear takes it back to the
  // default, Apply in the editor writes it, Cancel leaves it written.
  editor = OpenEditorOn(IDC_MAIN_KEY_A);
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(Shown(editor, IDC_EDITOR_MEDIA_LIST));
  EXPECT_EQ(SendMessageW(GetDlgItem(editor, IDC_EDITOR_MEDIA_LIST), CB_GETCURSEL, 0, 0), 5);
  Click(editor, IDC_EDITOR_CLEAR);
  EXPECT_TRUE(Shown(editor, IDC_EDITOR_KEY_BOX));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(editor, IDC_EDITOR_APPLY)));
  Click(editor, IDC_EDITOR_APPLY);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, IDC_EDITOR_APPLY)));
  Click(editor, IDCANCEL);
  ASSERT_TRUE(driver_.WaitFor([&] { return !IsWindow(editor); }, kWaitMs));
  KbemuClearLog();
  ASSERT_TRUE(driver_.SendCommand(IDC_MAIN_APPLY));
  ASSERT_TRUE(driver_.WaitFor([&] { return CountOf(KbemuRequests(), "EndAccess") == 1; }, kWaitMs));
  EXPECT_EQ(KeyMapEntry(0, a), (std::vector<uint8_t>{0x02, 0x02, 0x04}));
}

TEST_F(KeyEditorProcessTest, AMacroAddedOnTheMacroButtonPlaysOnAKeyAndGoesWithItsKeysWhenDeleted) {
  StartShown();
  const int a = DefaultPositionOf({0x02, 0x02, 0x04});
  ASSERT_GE(a, 0);
  driver_.PostCommand(IDC_MAIN_MACRO);
  HWND editor = nullptr;
  ASSERT_TRUE(driver_.WaitFor([&] { return (editor = driver_.FindDialogWithControl(IDC_EDITOR_KEY_BOX)) &&
                                           GetPropW(editor, L"VelkorEditorSlot"); }, kWaitMs));
  EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropW(editor, L"VelkorEditorSlot")) - 1, 0x108);
  // Macro-edit mode: only the macro page, the other pages' buttons off.
  EXPECT_TRUE(Shown(editor, IDC_EDITOR_ACTION_LIST));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, IDC_EDITOR_PAGE_KEY)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, IDC_EDITOR_CLEAR)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, IDC_EDITOR_RECORD)));  // no macro selected
  EXPECT_EQ(Text(editor, IDC_EDITOR_MEMORY).substr(0, 11), L"Memory: 16 ");
  // Apply sits beside OK and Cancel, under neither.
  RECT apply{}, ok{}, cancel{}, overlap{};
  GetWindowRect(GetDlgItem(editor, IDC_EDITOR_APPLY), &apply);
  GetWindowRect(GetDlgItem(editor, IDOK), &ok);
  GetWindowRect(GetDlgItem(editor, IDCANCEL), &cancel);
  EXPECT_TRUE(Shown(editor, IDC_EDITOR_APPLY));
  EXPECT_FALSE(IntersectRect(&overlap, &apply, &ok));
  EXPECT_FALSE(IntersectRect(&overlap, &apply, &cancel));
  Click(editor, IDC_EDITOR_MACRO_ADD);
  EXPECT_EQ(Text(editor, IDC_EDITOR_MACRO_LIST), L"Macro1");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(editor, IDC_EDITOR_RECORD)));
  // Cycles are held to 1..255 as they are typed.
  SetWindowTextW(GetDlgItem(editor, IDC_EDITOR_CYCLES), L"300");
  EXPECT_EQ(Text(editor, IDC_EDITOR_CYCLES), L"255");
  SetWindowTextW(GetDlgItem(editor, IDC_EDITOR_CYCLES), L"3");
  OkAndApply(editor);
  // The store: one macro of no actions, cycles 3, its name.
  EXPECT_EQ(DumpBytes(Kbemu(L"dump macros")),
            (std::vector<uint8_t>{0xAA, 0x55, 0x22, 0x00, 0x01, 0x00, 0x01, 0x00, 0, 0,    0, 0,    0,    0,    0,
                                  0,    0x12, 0x00, 0x00, 0x00, 0x03, 0x06, 0x4D, 0, 0x61, 0, 0x63, 0, 0x72, 0, 0x6F,
                                  0,    0x31, 0x00}));

  // The key "A" plays it: its first visit of the macro page selects it.
  editor = OpenEditorOn(IDC_MAIN_KEY_A);
  ASSERT_NE(editor, nullptr);
  Click(editor, IDC_EDITOR_PAGE_MACRO);
  EXPECT_EQ(Text(editor, IDC_EDITOR_MACRO_LIST), L"Macro1");
  OkAndApply(editor);
  EXPECT_EQ(KeyMapEntry(0, a), (std::vector<uint8_t>{0x05, 0x01, 0x00}));

  // Deleted again: keys play it, so the editor asks; No keeps it, Yes
  // deletes it, and after Apply "A" has its default function back.
  editor = OpenEditorOn(IDC_MAIN_KEY_A);
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(Shown(editor, IDC_EDITOR_ACTION_LIST));
  EXPECT_EQ(Text(editor, IDC_EDITOR_MACRO_LIST), L"Macro1");
  EXPECT_EQ(Text(editor, IDC_EDITOR_CYCLES), L"3");
  PostMessageW(editor, WM_COMMAND, MAKEWPARAM(IDC_EDITOR_MACRO_DELETE, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(editor, IDC_EDITOR_MACRO_DELETE)));
  std::wstring question;
  ASSERT_TRUE(driver_.WaitMessageBox(kWaitMs, &question));
  EXPECT_NE(question.find(L"really need to remove this macro?"), std::wstring::npos);
  ASSERT_TRUE(driver_.AnswerMessageBox(IDNO));
  ASSERT_TRUE(driver_.WaitFor([&] { return !driver_.FindMessageBox(); }, kWaitMs));
  EXPECT_EQ(Text(editor, IDC_EDITOR_MACRO_LIST), L"Macro1");
  PostMessageW(editor, WM_COMMAND, MAKEWPARAM(IDC_EDITOR_MACRO_DELETE, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(editor, IDC_EDITOR_MACRO_DELETE)));
  ASSERT_TRUE(driver_.WaitMessageBox(kWaitMs));
  ASSERT_TRUE(driver_.AnswerMessageBox(IDYES));
  ASSERT_TRUE(driver_.WaitFor([&] { return SendMessageW(GetDlgItem(editor, IDC_EDITOR_MACRO_LIST), CB_GETCOUNT, 0,
                                                        0) == 0; }, kWaitMs));
  OkAndApply(editor);
  EXPECT_EQ(DumpBytes(Kbemu(L"dump macros")),
            (std::vector<uint8_t>{0xAA, 0x55, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(KeyMapEntry(0, a), (std::vector<uint8_t>{0x02, 0x02, 0x04}));
}

TEST_F(KeyEditorProcessTest, WithTheKeyboardsProfileUnknownTheEditorSaysWhyInsteadOfOpening) {
  StartShown();
  // The keyboard comes back, but its configuration block cannot be read.
  Kbemu(L"fault noreply always 3");
  Kbemu(L"detach");
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.Tray().icon != IDI_KEYBOARD; }, kWaitMs));
  KbemuClearLog();
  Kbemu(L"attach");
  ASSERT_TRUE(driver_.WaitFor([&] { return CountOf(KbemuRequests(), "ReadConfigBlock") >= 3; }, 30000));
  ASSERT_TRUE(driver_.WaitFor([&] { return driver_.Answers(1000) && driver_.Tray().icon == IDI_KEYBOARD; }, 30000));
  Show();
  driver_.PostCommand(IDC_MAIN_KEY_A);
  std::wstring text;
  ASSERT_TRUE(driver_.WaitMessageBox(kWaitMs, &text));
  EXPECT_NE(text.find(L"has not said which profile is active"), std::wstring::npos);
  EXPECT_EQ(driver_.FindDialogWithControl(IDC_EDITOR_KEY_BOX), nullptr);
  ASSERT_TRUE(driver_.AnswerMessageBox(IDOK));
  Kbemu(L"fault clear");
}

TEST_F(KeyEditorProcessTest, CancelLeavesTheMacroListAsItWas) {
  StartShown();
  HWND editor = OpenEditorOn(IDC_MAIN_G1);
  ASSERT_NE(editor, nullptr);
  Click(editor, IDC_EDITOR_PAGE_MACRO);
  Click(editor, IDC_EDITOR_MACRO_ADD);
  Click(editor, IDC_EDITOR_MACRO_ADD);
  EXPECT_EQ(SendMessageW(GetDlgItem(editor, IDC_EDITOR_MACRO_LIST), CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(Text(editor, IDC_EDITOR_MACRO_LIST), L"Macro2");
  Click(editor, IDCANCEL);
  ASSERT_TRUE(driver_.WaitFor([&] { return !IsWindow(editor); }, kWaitMs));
  EXPECT_FALSE(driver_.ControlEnabled(IDC_MAIN_APPLY));
  editor = OpenEditorOn(IDC_MAIN_G1);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(SendMessageW(GetDlgItem(editor, IDC_EDITOR_MACRO_LIST), CB_GETCOUNT, 0, 0), 0);
  Click(editor, IDCANCEL);
}

}  // namespace
}  // namespace velkor::testing
