// Hook chains on a window and the notification-area icon built on them,
// driven in-process with the messages the shell and the mouse send.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "ui/win32/subclass_wnd.h"
#include "ui/win32/tray_icon.h"

namespace velkor::testing {
namespace {

constexpr UINT kProbe = WM_APP + 1;
constexpr UINT kThrow = WM_APP + 2;
constexpr UINT kCallback = WM_APP + 3;
constexpr UINT kIconId = 7;

// Who saw the probe messages, in order.
std::vector<std::string> seen;

LRESULT CALLBACK OriginalProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kProbe || message == kCallback) seen.push_back("window");
  if (message == WM_NCDESTROY) seen.push_back("window:ncdestroy");
  if (message == kThrow) return 42;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

WNDPROC foreign_next = nullptr;
LRESULT CALLBACK ForeignProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kProbe) seen.push_back("foreign");
  return CallWindowProcW(foreign_next, hwnd, message, wparam, lparam);
}

class TestWindow {
 public:
  explicit TestWindow(HWND parent = nullptr) {
    static const ATOM window_class = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = OriginalProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"VelkorTrayTestWindow";
      return RegisterClassW(&wc);
    }();
    hwnd_ = CreateWindowExW(0, MAKEINTATOM(window_class), L"tray test", parent ? WS_CHILD : WS_OVERLAPPED, 0, 0,
                            10, 10, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    seen.clear();
  }
  ~TestWindow() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }
  HWND get() const { return hwnd_; }
  bool HasOriginalProc() const { return GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) == LONG_PTR(&OriginalProc); }

 private:
  HWND hwnd_;
};

class NamedHook : public CSubclassWnd {
 public:
  explicit NamedHook(std::string name) : name_(std::move(name)) {}
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == kProbe) {
      seen.push_back(name_);
      if (unhook_on_probe) Hook(nullptr);
    }
    if (message == WM_NCDESTROY) seen.push_back(name_ + ":ncdestroy");
    if (message == kThrow) throw std::runtime_error("hook failed");
    return CSubclassWnd::WindowProc(message, wparam, lparam);
  }
  bool unhook_on_probe = false;

 private:
  std::string name_;
};

std::vector<std::string> Probe(HWND window) {
  seen.clear();
  SendMessageW(window, kProbe, 0, 0);
  return seen;
}

using Seen = std::vector<std::string>;

TEST(SubclassChain, HooksSeeMessagesNewestFirstThenTheWindow) {
  TestWindow window;
  NamedHook a("a"), b("b");
  ASSERT_TRUE(a.Hook(window.get()));
  ASSERT_TRUE(b.Hook(window.get()));
  EXPECT_EQ(Probe(window.get()), (Seen{"b", "a", "window"}));
  // A hook moved to another window leaves the first one alone.
  TestWindow other;
  ASSERT_TRUE(b.Hook(other.get()));
  EXPECT_EQ(Probe(window.get()), (Seen{"a", "window"}));
  EXPECT_EQ(Probe(other.get()), (Seen{"b", "window"}));
  EXPECT_FALSE(a.Hook(reinterpret_cast<HWND>(0x1234)));
  EXPECT_EQ(a.hooked_window(), nullptr);
  EXPECT_TRUE(window.HasOriginalProc());
}

TEST(SubclassChain, TheWindowGetsItsProcedureBackExactlyWhenTheLastHookGoes) {
  std::array<int, 3> order{0, 1, 2};
  do {
    TestWindow window;
    std::array<NamedHook, 3> hooks{NamedHook("0"), NamedHook("1"), NamedHook("2")};
    for (auto& hook : hooks) ASSERT_TRUE(hook.Hook(window.get()));
    Seen left{"2", "1", "0"};
    for (int i : order) {
      ASSERT_FALSE(window.HasOriginalProc());
      hooks[i].Hook(nullptr);
      left.erase(std::find(left.begin(), left.end(), std::to_string(i)));
      Seen expected = left;
      expected.push_back("window");
      EXPECT_EQ(Probe(window.get()), expected) << "after unhooking " << i;
    }
    EXPECT_TRUE(window.HasOriginalProc());
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST(SubclassChain, DestroyingTheWindowUnhooksEverythingBeforeItsLastMessage) {
  NamedHook a("a"), b("b");
  {
    TestWindow window;
    a.Hook(window.get());
    b.Hook(window.get());
    DestroyWindow(window.get());
  }
  EXPECT_EQ(seen, (Seen{"window:ncdestroy"}));
  EXPECT_EQ(a.hooked_window(), nullptr);
  EXPECT_EQ(b.hooked_window(), nullptr);
}

TEST(SubclassChain, ALaterSubclassOfTheWindowIsNeitherCutOffNorLosesTheWindow) {
  TestWindow window;
  NamedHook a("a"), b("b");
  a.Hook(window.get());
  foreign_next = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window.get(), GWLP_WNDPROC, LONG_PTR(&ForeignProc)));
  a.Hook(nullptr);
  EXPECT_EQ(GetWindowLongPtrW(window.get(), GWLP_WNDPROC), LONG_PTR(&ForeignProc));
  EXPECT_EQ(Probe(window.get()), (Seen{"foreign", "window"}));
  b.Hook(window.get());
  EXPECT_EQ(Probe(window.get()), (Seen{"foreign", "b", "window"}));
}

TEST(SubclassChain, AHookLeavingOrThrowingInItsHandlerStillLetsTheWindowAnswer) {
  TestWindow window;
  NamedHook a("a"), b("b");
  a.Hook(window.get());
  b.Hook(window.get());
  b.unhook_on_probe = true;
  EXPECT_EQ(Probe(window.get()), (Seen{"b", "window"}));
  EXPECT_EQ(Probe(window.get()), (Seen{"a", "window"}));
  EXPECT_EQ(SendMessageW(window.get(), kThrow, 0, 0), 42);
}

// The notification-area icon on a hidden window of its own.
class TrayIconTest : public ::testing::Test {
 protected:
  bool Create(const std::wstring& tip = L"Velkor") {
    return tray.Create(window.get(), kCallback, tip, LoadIconW(nullptr, IDI_APPLICATION), kIconId);
  }
  TrayIconState State() const { return ReadTrayIconState(window.get()); }
  void Notify(UINT mouse_message, WPARAM icon_id = kIconId) {
    SendMessageW(window.get(), kCallback, icon_id, mouse_message);
  }
  static void ShellRestarted(HWND to) { SendMessageW(to, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0); }

  TestWindow window;
  CTrayIcon tray;
};

TEST_F(TrayIconTest, NothingWorksWithoutAWindow) {
  HWND gone = TestWindow().get();
  for (HWND bad : {HWND(nullptr), gone}) {
    EXPECT_FALSE(tray.Create(bad, kCallback, L"tip", nullptr, kIconId));
    EXPECT_FALSE(tray.active());
    EXPECT_FALSE(tray.Hide());
    EXPECT_FALSE(tray.Show());
    EXPECT_FALSE(tray.SetIcon(UINT{IDI_KEYBOARD}));
    EXPECT_FALSE(tray.SetTooltip(L"other"));
    EXPECT_EQ(tray.icon_resource(), 0u);
    EXPECT_EQ(tray.tooltip(), L"");
  }
}

TEST_F(TrayIconTest, CreateAddsTheIconAndPublishesIt) {
  ASSERT_TRUE(Create(L"Velkor: no keyboard"));
  tray.set_icon_resource(IDI_NO_KEYBOARD);
  EXPECT_TRUE(tray.active());
  EXPECT_NE(FindWindowW(nullptr, L"Wine System Tray"), nullptr);
  const TrayIconState state = State();
  EXPECT_EQ(state.icon, UINT{IDI_NO_KEYBOARD});
  EXPECT_EQ(state.adds, 1u);
  EXPECT_EQ(state.tip, L"Velkor: no keyboard");
  EXPECT_TRUE(tray.SetIcon(UINT{IDI_KEYBOARD}));
  EXPECT_EQ(State().icon, UINT{IDI_KEYBOARD});
}

TEST_F(TrayIconTest, MouseMessagesOfItsOwnIconReachTheOwnerAndTheWindow) {
  ASSERT_TRUE(Create());
  std::vector<UINT> got;
  tray.on_notification = [&](UINT message) { got.push_back(message); };
  Notify(WM_RBUTTONUP);
  Notify(WM_RBUTTONUP, kIconId + 1);
  EXPECT_EQ(got, std::vector<UINT>{WM_RBUTTONUP});
  EXPECT_EQ(seen, (Seen{"window", "window"}));

  Notify(WM_LBUTTONDOWN);
  EXPECT_FALSE(tray.pending_click()) << "no click command";
  tray.SetClickCommand(IDC_MAIN_PROFILE_MENU);
  Notify(WM_LBUTTONDOWN, kIconId + 1);
  EXPECT_FALSE(tray.pending_click());
  Notify(WM_LBUTTONDOWN);
  EXPECT_TRUE(tray.pending_click());
  Notify(WM_LBUTTONDBLCLK);
  EXPECT_FALSE(tray.pending_click());
  Notify(WM_LBUTTONDOWN);
  EXPECT_TRUE(tray.TakePendingClick());
  EXPECT_FALSE(tray.pending_click());
}

TEST_F(TrayIconTest, RemovingTheIconFromItsOwnMenuLeavesTheWindowWorking) {
  ASSERT_TRUE(Create());
  tray.on_notification = [&](UINT) { tray.Remove(); };
  Notify(WM_RBUTTONUP);
  EXPECT_FALSE(tray.active());
  EXPECT_EQ(seen, (Seen{"window"}));
  EXPECT_TRUE(window.HasOriginalProc());
}

TEST_F(TrayIconTest, HideAndShowOnlyInTheirStatesAndCountAdds) {
  ASSERT_TRUE(Create());
  tray.set_icon_resource(IDI_NO_KEYBOARD);
  EXPECT_FALSE(tray.Show());
  EXPECT_TRUE(tray.Hide());
  EXPECT_FALSE(tray.Hide());
  EXPECT_EQ(State().icon, 0u);
  // Changed while hidden: shown when it comes back.
  EXPECT_TRUE(tray.SetIcon(UINT{IDI_ACTIVITY}));
  EXPECT_EQ(State().icon, 0u);
  EXPECT_TRUE(tray.Show());
  EXPECT_EQ(State().icon, UINT{IDI_ACTIVITY});
  EXPECT_EQ(State().adds, 2u);
}

TEST_F(TrayIconTest, TooltipsAreCutToWhatTheAreaTakesAndReadableOutside) {
  ASSERT_TRUE(Create());
  EXPECT_TRUE(tray.SetTooltip(std::wstring(200, L'k')));
  EXPECT_EQ(tray.tooltip(), std::wstring(127, L'k'));
  EXPECT_EQ(State().tip, std::wstring(127, L'k'));
  // Never half a character.
  tray.SetTooltip(std::wstring(126, L'k') + L"\U0001F5AE");
  EXPECT_EQ(tray.tooltip(), std::wstring(126, L'k'));
  // Atoms ignore case: the new spelling must still be the one read.
  tray.SetTooltip(L"Velkor tray");
  tray.SetTooltip(L"VELKOR TRAY");
  EXPECT_EQ(State().tip, L"VELKOR TRAY");
  tray.SetTooltip(L"");
  EXPECT_EQ(State().tip, L"");
}

TEST_F(TrayIconTest, AShellRestartAddsTheIconAgainUnlessHidden) {
  ASSERT_TRUE(Create(L"first"));
  tray.SetTooltip(L"current");
  ShellRestarted(window.get());
  EXPECT_EQ(State().adds, 2u);
  EXPECT_EQ(State().tip, L"current");
  tray.Hide();
  ShellRestarted(window.get());
  EXPECT_EQ(State().adds, 2u);
  EXPECT_TRUE(tray.hidden());
}

TEST_F(TrayIconTest, AnIconOnAChildWindowHearsTheRestartThroughItsTopLevelWindow) {
  TestWindow child(window.get());
  ASSERT_TRUE(tray.Create(child.get(), kCallback, L"child", nullptr, kIconId));
  ShellRestarted(window.get());
  EXPECT_EQ(ReadTrayIconState(child.get()).adds, 2u);
  tray.Remove();
  EXPECT_TRUE(window.HasOriginalProc());
  EXPECT_TRUE(child.HasOriginalProc());
}

TEST_F(TrayIconTest, AnIconTheShellRefusedIsAddedWhenTheShellComesBack) {
  // The shell refuses a second icon with the same window and id.
  NOTIFYICONDATAW taken{};
  taken.cbSize = sizeof(taken);
  taken.hWnd = window.get();
  taken.uID = kIconId;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &taken));
  EXPECT_FALSE(Create());
  EXPECT_FALSE(tray.active());
  EXPECT_EQ(State().adds, 0u);
  ShellRestarted(window.get());
  EXPECT_TRUE(tray.active());
  EXPECT_EQ(State().adds, 1u);
}

TEST_F(TrayIconTest, RemoveAndASecondCreateTakeEverythingOffTheWindow) {
  auto published = [](HWND w) {
    return GetPropW(w, L"VelkorTrayIcon") || GetPropW(w, L"VelkorTrayAdds") || GetPropW(w, L"VelkorTrayTip");
  };
  ASSERT_TRUE(Create(L"Velkor removal check"));
  TestWindow second;
  ASSERT_TRUE(tray.Create(second.get(), kCallback, L"second", nullptr, kIconId));
  EXPECT_FALSE(published(window.get()));
  EXPECT_TRUE(window.HasOriginalProc());
  EXPECT_EQ(GlobalFindAtomW(L"Velkor removal check"), 0);
  tray.Remove();
  EXPECT_FALSE(tray.active());
  EXPECT_FALSE(published(second.get()));
  EXPECT_TRUE(second.HasOriginalProc());
  EXPECT_FALSE(tray.SetTooltip(L"after"));
}

}  // namespace
}  // namespace velkor::testing
