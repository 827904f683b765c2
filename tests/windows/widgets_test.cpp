// The image slider and the colour button on a small window of their own,
// driven with the messages the mouse and the keyboard send. The palette runs
// its own loop: what a person does there is posted to it from a timer.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "tests/windows/test_host_window.h"
#include "widgets/widget_geometry.h"
#include "widgets/win32/bitmap_slider.h"
#include "widgets/win32/skin_color_btn.h"

namespace velkor::testing {
namespace {

constexpr int kSliderId = 301;
constexpr int kButtonId = 302;

struct Received {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};
// What the host window was told, in order.
std::vector<Received> received;

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kSliderMovedMessage || message == WM_COMMAND) received.push_back({message, wparam, lparam});
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LPARAM Point(int x, int y) {
  return MAKELPARAM(x, y);
}

// The slider's messages as (id, position) pairs.
std::vector<std::pair<WPARAM, LPARAM>> SliderMoves() {
  std::vector<std::pair<WPARAM, LPARAM>> moves;
  for (const Received& r : received) {
    if (r.message == kSliderMovedMessage) moves.emplace_back(r.wparam, r.lparam);
  }
  return moves;
}

int ColourChosenCount(HWND button) {
  int count = 0;
  for (const Received& r : received) {
    if (r.message == WM_COMMAND && r.wparam == MAKEWPARAM(kButtonId, kColourChosenNotification) &&
        r.lparam == reinterpret_cast<LPARAM>(button)) {
      ++count;
    }
  }
  return count;
}

// Something to do with the palette once its loop runs: a thread timer
// fires from inside that loop.
std::function<void(HWND palette)> palette_action;
void CALLBACK RunPaletteAction(HWND, UINT, UINT_PTR id, DWORD) {
  HWND palette = CSkinColorBtn::OpenPaletteWindow();
  if (!palette) return;
  KillTimer(nullptr, id);
  auto action = std::move(palette_action);
  palette_action = nullptr;
  if (action) action(palette);
}

// The colour dialog of this thread, once it shows.
HWND FindColourDialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM out) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(hwnd, name, 16);
        if (IsWindowVisible(hwnd) && lstrcmpW(name, L"#32770") == 0) {
          *reinterpret_cast<HWND*>(out) = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}
WPARAM dialog_answer = IDCANCEL;
bool dialog_seen = false;
void CALLBACK AnswerColourDialog(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = FindColourDialog();
  if (!dialog) return;
  KillTimer(nullptr, id);
  dialog_seen = true;
  PostMessageW(dialog, WM_COMMAND, dialog_answer, 0);
}

// Nothing may keep a test waiting: after five seconds any palette gets
// Escape and any colour dialog Cancel, and the test fails.
bool watchdog_fired = false;
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
  watchdog_fired = true;
  if (HWND palette = CSkinColorBtn::OpenPaletteWindow()) PostMessageW(palette, WM_KEYDOWN, VK_ESCAPE, 0);
  if (HWND dialog = FindColourDialog()) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

class WidgetViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static const ATOM host_class = RegisterTestHostClass(L"VelkorWidgetTestHost", HostProc);
    host_ = CreateWindowExW(0, MAKEINTATOM(host_class), L"widgets", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    slider_ = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_NOTIFY, 20, 20, 101, 20,
                              host_, reinterpret_cast<HMENU>(kSliderId), GetModuleHandleW(nullptr), nullptr);
    // The owner shows the slider's picture; the control takes its size.
    HDC screen = GetDC(nullptr);
    picture_ = CreateCompatibleBitmap(screen, 101, 20);
    ReleaseDC(nullptr, screen);
    SendMessageW(slider_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_));
    button_ = CreateWindowExW(0, L"BUTTON", nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 20, 80, 40,
                              21, host_, reinterpret_cast<HMENU>(kButtonId), GetModuleHandleW(nullptr), nullptr);
    ShowWindow(host_, SW_SHOW);
    UpdateWindow(host_);
    watchdog_ = SetTimer(nullptr, 0, 5000, Watchdog);
    received.clear();
    palette_action = nullptr;
    dialog_seen = false;
    watchdog_fired = false;
  }
  void TearDown() override {
    KillTimer(nullptr, watchdog_);
    EXPECT_FALSE(watchdog_fired) << "the palette or the colour dialog did not close by itself";
    if (IsWindow(host_)) DestroyWindow(host_);
    DeleteObject(picture_);
    palette_action = nullptr;
  }

  void WhenPaletteOpens(std::function<void(HWND)> action) {
    palette_action = std::move(action);
    SetTimer(nullptr, 0, 20, RunPaletteAction);
  }
  void AnswerColourDialogWith(WPARAM answer) {
    dialog_answer = answer;
    SetTimer(nullptr, 0, 20, AnswerColourDialog);
  }
  static void Mouse(HWND control, UINT message, int x, int y = 5) {
    SendMessageW(control, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, Point(x, y));
  }
  static void Key(HWND control, WPARAM key) { SendMessageW(control, WM_KEYDOWN, key, 1); }
  static void ClickAt(HWND palette, WidgetPoint at) {
    PostMessageW(palette, WM_LBUTTONDOWN, MK_LBUTTON, Point(at.x, at.y));
    PostMessageW(palette, WM_LBUTTONUP, 0, Point(at.x, at.y));
  }
  static WidgetPoint CentreOf(const WidgetRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

  // The button's face as it paints it (WM_PRINTCLIENT into a memory DC).
  struct Face {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    ~Face() {
      SelectObject(dc, old);
      DeleteObject(bitmap);
      DeleteDC(dc);
    }
    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }
  };
  std::unique_ptr<Face> PaintedFace() {
    auto face = std::make_unique<Face>();
    HDC screen = GetDC(nullptr);
    face->dc = CreateCompatibleDC(screen);
    face->bitmap = CreateCompatibleBitmap(screen, 40, 21);
    ReleaseDC(nullptr, screen);
    face->old = SelectObject(face->dc, face->bitmap);
    SendMessageW(button_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(face->dc), PRF_CLIENT);
    return face;
  }

  HWND host_ = nullptr;
  HWND slider_ = nullptr;
  HWND button_ = nullptr;
  HBITMAP picture_ = nullptr;
  UINT_PTR watchdog_ = 0;
};

using WidgetSliderView = WidgetViewTest;
using WidgetColourButtonView = WidgetViewTest;

TEST_F(WidgetSliderView, TheMouseSendsEachChangeAndNothingWhenThePositionStays) {
  CBitmapSlider slider;
  ASSERT_TRUE(slider.Attach(slider_));
  RECT client{};
  GetClientRect(slider_, &client);
  ASSERT_EQ(client.right, 101);
  EXPECT_EQ(slider.GetPos(), 0);

  Mouse(slider_, WM_LBUTTONDOWN, 0);  // already at 0: nothing to say
  EXPECT_TRUE(slider.dragging());
  EXPECT_EQ(GetCapture(), slider_);
  Mouse(slider_, WM_MOUSEMOVE, 50);
  Mouse(slider_, WM_MOUSEMOVE, 55);   // still 2
  Mouse(slider_, WM_MOUSEMOVE, 300);  // right of the control: the end
  Mouse(slider_, WM_MOUSEMOVE, -30);
  Mouse(slider_, WM_MOUSEMOVE, 30);
  Mouse(slider_, WM_LBUTTONUP, 30);
  EXPECT_FALSE(slider.dragging());
  EXPECT_NE(GetCapture(), slider_);
  Mouse(slider_, WM_MOUSEMOVE, 100);  // the button is up: no drag
  using Moves = std::vector<std::pair<WPARAM, LPARAM>>;
  EXPECT_EQ(SliderMoves(), (Moves{{kSliderId, 2}, {kSliderId, 4}, {kSliderId, 0}, {kSliderId, 1}}));
  EXPECT_EQ(slider.GetPos(), 1);

  // A press on the current position says nothing; one elsewhere jumps there.
  received.clear();
  Mouse(slider_, WM_LBUTTONDOWN, 30);
  Mouse(slider_, WM_LBUTTONUP, 30);
  EXPECT_TRUE(SliderMoves().empty());
  Mouse(slider_, WM_LBUTTONDOWN, 76);
  EXPECT_EQ(SliderMoves(), (Moves{{kSliderId, 3}}));

  // Losing the mouse ends the drag.
  SetCapture(host_);
  EXPECT_FALSE(slider.dragging());
  ReleaseCapture();
  Mouse(slider_, WM_MOUSEMOVE, 0);
  EXPECT_EQ(slider.GetPos(), 3);
  EXPECT_EQ(SliderMoves().size(), 1u);
}

TEST_F(WidgetSliderView, KeysStepPageAndClampWithAMessageOnlyForAChange) {
  CBitmapSlider slider;
  ASSERT_TRUE(slider.Attach(slider_));
  slider.SetRange(0, 30);
  slider.SetPos(5);
  EXPECT_TRUE(received.empty()) << "the program's own moves are not announced";
  EXPECT_NE(SendMessageW(slider_, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, 0);

  for (WPARAM key : {VK_RIGHT, VK_NEXT, VK_NEXT, VK_NEXT, VK_NEXT, VK_HOME, VK_LEFT, VK_END, VK_PRIOR, VK_DOWN, VK_UP})
    Key(slider_, key);
  std::vector<LPARAM> positions;
  for (const auto& [id, pos] : SliderMoves()) {
    EXPECT_EQ(id, static_cast<WPARAM>(kSliderId));
    positions.push_back(pos);
  }
  // The fourth Page Down and Left at 0 change nothing and say nothing.
  EXPECT_EQ(positions, (std::vector<LPARAM>{6, 16, 26, 30, 0, 30, 20, 19, 20}));

  received.clear();
  slider.SetPos(99);
  EXPECT_EQ(slider.GetPos(), 30);
  slider.SetRange(0, 4);
  EXPECT_EQ(slider.GetPos(), 4);
  slider.SetPageSize(2);
  Key(slider_, VK_PRIOR);
  EXPECT_EQ(SliderMoves(), (std::vector<std::pair<WPARAM, LPARAM>>{{kSliderId, 2}}));
}

TEST_F(WidgetColourButtonView, PaintsTheSwatchTheGreyPartAndTheArrow) {
  CSkinColorBtn button;
  ASSERT_TRUE(button.Attach(button_));
  const COLORREF chosen = RGB(0x10, 0x80, 0xF0);
  button.SetColour(chosen);
  {
    const auto face = PaintedFace();
    EXPECT_EQ(face->at(3, 10), chosen);
    EXPECT_EQ(face->at(23, 19), chosen);  // the swatch's last pixel inside the outline
    EXPECT_NE(face->at(24, 10), chosen);  // the outline
    EXPECT_EQ(face->at(37, 3), RGB(0x94, 0x92, 0x8B));
    EXPECT_EQ(face->at(32, 9), RGB(0, 0, 0));  // the arrow's middle: right - 8, mid - 1
    EXPECT_EQ(face->at(32, 14), RGB(0x94, 0x92, 0x8B));  // under the arrow
  }
  // The window's own paint shows the same.
  UpdateWindow(host_);
  HDC window = GetDC(button_);
  EXPECT_EQ(GetPixel(window, 3, 10), chosen);
  EXPECT_EQ(GetPixel(window, 32, 9), RGB(0, 0, 0));
  ReleaseDC(button_, window);

  button.SetNoColour();
  EXPECT_FALSE(button.has_colour());
  EXPECT_EQ(PaintedFace()->at(3, 10), GetSysColor(COLOR_BTNFACE));
  button.SetColour(chosen);
  EnableWindow(button_, FALSE);
  EXPECT_EQ(PaintedFace()->at(3, 10), GetSysColor(COLOR_BTNFACE)) << "no swatch on a disabled button";
  EXPECT_EQ(PaintedFace()->at(37, 3), RGB(0x94, 0x92, 0x8B));
  EXPECT_TRUE(received.empty());
}

TEST_F(WidgetColourButtonView, FocusRectangleLiesThreePixelsOutsideTheButton) {
  CSkinColorBtn button;
  ASSERT_TRUE(button.Attach(button_));
  RECT rect{};
  SetFocus(host_);
  EXPECT_FALSE(button.FocusRectInParent(rect));
  SetFocus(button_);
  ASSERT_TRUE(button.FocusRectInParent(rect));
  EXPECT_EQ(rect.left, 17);
  EXPECT_EQ(rect.top, 77);
  EXPECT_EQ(rect.right, 63);
  EXPECT_EQ(rect.bottom, 104);
}

TEST_F(WidgetColourButtonView, AClickedCellIsTakenAndSentEvenWhenItIsTheSameColour) {
  CSkinColorBtn button;
  ASSERT_TRUE(button.Attach(button_));
  EXPECT_EQ(button.palette().size(), 40u);
  button.SetColour(RGB(1, 2, 3));
  const COLORREF cell13 = button.palette()[13];
  RECT under{};
  RECT place{};
  WhenPaletteOpens([&](HWND palette) {
    GetWindowRect(button_, &under);
    GetWindowRect(palette, &place);
    ClickAt(palette, CentreOf(PaletteCellRect(button.Layout(), 13)));
  });
  EXPECT_TRUE(button.DropDown());
  EXPECT_EQ(CSkinColorBtn::OpenPaletteWindow(), nullptr);
  EXPECT_EQ(button.colour(), cell13);
  EXPECT_EQ(PaintedFace()->at(3, 10), cell13);
  EXPECT_EQ(ColourChosenCount(button_), 1);
  EXPECT_EQ(place.left, under.left);
  EXPECT_EQ(place.top, under.bottom) << "the palette drops under the button";

  WhenPaletteOpens([&](HWND palette) { ClickAt(palette, CentreOf(PaletteCellRect(button.Layout(), 13))); });
  EXPECT_TRUE(button.DropDown());
  EXPECT_EQ(ColourChosenCount(button_), 2) << "a person may apply the same colour again";
}

TEST_F(WidgetColourButtonView, TheButtonsOwnClickSpaceAndArrowsWithEnter) {
  CSkinColorBtn button;
  ASSERT_TRUE(button.Attach(button_));
  button.SetColumns(10);
  button.SetColour(button.palette()[0]);  // the highlight starts on its cell
  // Right, then Down: cell 11.
  WhenPaletteOpens([](HWND palette) {
    for (WPARAM key : {VK_RIGHT, VK_DOWN, VK_RETURN}) PostMessageW(palette, WM_KEYDOWN, key, 1);
  });
  Mouse(button_, WM_LBUTTONDOWN, 5);
  Mouse(button_, WM_LBUTTONUP, 5);
  EXPECT_EQ(button.colour(), button.palette()[11]);
  EXPECT_EQ(ColourChosenCount(button_), 1);

  bool opened = false;
  WhenPaletteOpens([&](HWND palette) {
    opened = true;
    PostMessageW(palette, WM_KEYDOWN, VK_ESCAPE, 1);
  });
  SetFocus(button_);
  Key(button_, VK_SPACE);
  EXPECT_TRUE(opened);

  // A press that is let go outside the button opens nothing.
  opened = false;
  WhenPaletteOpens([&](HWND palette) { opened = true; });
  Mouse(button_, WM_LBUTTONDOWN, 5);
  Mouse(button_, WM_LBUTTONUP, 200);
  EXPECT_FALSE(opened);
  EXPECT_EQ(ColourChosenCount(button_), 1);
}

TEST_F(WidgetColourButtonView, EscapeAClickOutsideAndLosingTheActivationChooseNothing) {
  CSkinColorBtn button;
  ASSERT_TRUE(button.Attach(button_));
  button.SetColour(RGB(9, 9, 9));
  WhenPaletteOpens([](HWND palette) { PostMessageW(palette, WM_KEYDOWN, VK_ESCAPE, 1); });
  EXPECT_FALSE(button.DropDown());
  EXPECT_EQ(CSkinColorBtn::OpenPaletteWindow(), nullptr);

  WhenPaletteOpens([](HWND palette) { ClickAt(palette, {-20, -20}); });
  EXPECT_FALSE(button.DropDown());

  // Another window taking the activation from the button's window.
  ASSERT_EQ(GetActiveWindow(), host_);
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  WhenPaletteOpens([&](HWND) { ShowWindow(other, SW_SHOW); });
  EXPECT_FALSE(button.DropDown());
  DestroyWindow(other);

  EXPECT_EQ(button.colour(), RGB(9, 9, 9));
  EXPECT_EQ(ColourChosenCount(button_), 0);

  // A click on the gap between two cells leaves the palette open: the next
  // click, on the first cell, still chooses.
  WhenPaletteOpens([&](HWND palette) {
    ClickAt(palette, {kPaletteMargin + kPaletteCell, kPaletteMargin + 1});
    ClickAt(palette, {kPaletteMargin + 1, kPaletteMargin + 1});
  });
  EXPECT_TRUE(button.DropDown());
  EXPECT_EQ(button.colour(), button.palette()[0]);
}

TEST_F(WidgetColourButtonView, OtherOpensTheColourDialogWhoseOkChoosesAndCancelDoesNot) {
  CSkinColorBtn button;
  ASSERT_TRUE(button.Attach(button_));
  button.SetOtherButtonText(L"other");
  button.SetColour(RGB(1, 2, 3));
  WhenPaletteOpens([&](HWND palette) {
    ClickAt(palette, CentreOf(button.Layout().other));
    AnswerColourDialogWith(IDCANCEL);
  });
  EXPECT_FALSE(button.DropDown());
  EXPECT_TRUE(dialog_seen);
  EXPECT_EQ(ColourChosenCount(button_), 0);

  dialog_seen = false;
  WhenPaletteOpens([&](HWND palette) {
    ClickAt(palette, CentreOf(button.Layout().other));
    AnswerColourDialogWith(IDOK);
  });
  EXPECT_TRUE(button.DropDown());
  EXPECT_TRUE(dialog_seen);
  EXPECT_EQ(ColourChosenCount(button_), 1);
  EXPECT_TRUE(button.has_colour());
}

TEST_F(WidgetColourButtonView, ThePaletteClosesWhenTheButtonOrItsObjectGoes) {
  auto button = std::make_unique<CSkinColorBtn>();
  ASSERT_TRUE(button->Attach(button_));
  // The object destroyed while its palette runs: the loop ends and nothing
  // of it is touched again.
  CSkinColorBtn* raw = button.get();
  WhenPaletteOpens([&](HWND) { button.reset(); });
  EXPECT_FALSE(raw->DropDown());
  EXPECT_EQ(CSkinColorBtn::OpenPaletteWindow(), nullptr);

  CSkinColorBtn second;
  ASSERT_TRUE(second.Attach(button_));
  WhenPaletteOpens([&](HWND) { DestroyWindow(button_); });
  EXPECT_FALSE(second.DropDown());
  EXPECT_EQ(CSkinColorBtn::OpenPaletteWindow(), nullptr);
  EXPECT_EQ(ColourChosenCount(button_), 0);
}

}  // namespace
}  // namespace velkor::testing
