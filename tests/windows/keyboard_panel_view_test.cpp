// The keyboard picture's buttons on the skinned main window: preview frames
// tint exactly the keys they name and the window draws them at once; the
// flipped layout shows one set of keys; the bank lights its indicator.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "app/win32/keyboard_panel.h"
#include "model/lighting_preview.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ini_store.h"
#include "resources/resource.h"
#include "ui/skin_bindings.h"
#include "ui/win32/base_dialog.h"
#include "ui/win32/skinned_controls.h"

namespace velkor::testing {
namespace {

class KeyboardPanelViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OleInitialize(nullptr);
    std::u16string folder = ModulePath();
    folder = folder.substr(0, folder.find_last_of(u"\\/") + 1) + u"Skins";
    const SkinWindowPlan& plan = SkinPlanOf(SkinWindow::kMain);
    dialog_ = std::make_unique<CBaseDialog>(static_cast<UINT>(plan.template_id), nullptr, ini_,
                                            folder + u"\\" + std::u16string(plan.ini_name), folder);
    dialog_->Create();
    controls_ = std::make_unique<SkinnedControls>(plan);
    controls_->Apply(*dialog_, nullptr);
    panel_ = std::make_unique<CKeyboardPanel>(*dialog_, *controls_, [] {});
    panel_->Attach();
    ShowWindow(dialog_->hwnd(), SW_SHOWNA);
    UpdateWindow(dialog_->hwnd());
  }
  void TearDown() override {
    panel_.reset();
    dialog_->Destroy();
  }

  CPngButton& Key(int control) { return *controls_->Button(control); }
  // The colour the window shows inside a key, a few pixels from its left edge.
  COLORREF ScreenPixel(int control) {
    RECT at{};
    GetWindowRect(Key(control).hwnd(), &at);
    MapWindowPoints(nullptr, dialog_->hwnd(), reinterpret_cast<POINT*>(&at), 2);
    HDC window = GetDCEx(dialog_->hwnd(), nullptr, DCX_CACHE);
    const COLORREF c = GetPixel(window, at.left + 4, at.top + (at.bottom - at.top) / 2);
    ReleaseDC(dialog_->hwnd(), window);
    return c;
  }

  // A checksum of the button's face as it draws it.
  uint64_t FaceOf(int control) {
    RECT client{};
    GetClientRect(Key(control).hwnd(), &client);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, picture);
    Key(control).DrawInto(memory);
    uint64_t sum = 1469598103934665603ull;
    for (int y = 0; y < client.bottom; ++y) {
      for (int x = 0; x < client.right; ++x) sum = (sum ^ GetPixel(memory, x, y)) * 1099511628211ull;
    }
    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return sum;
  }

  Win32IniStore ini_;
  std::unique_ptr<CBaseDialog> dialog_;
  std::unique_ptr<SkinnedControls> controls_;
  std::unique_ptr<CKeyboardPanel> panel_;
};

TEST_F(KeyboardPanelViewTest, APreviewFrameTintsTheKeysItNamesAndDrawsThemAtOnce) {
  const COLORREF plain = ScreenPixel(IDC_MAIN_KEY_A);
  const COLORREF neighbour = ScreenPixel(IDC_MAIN_KEY_S);
  PreviewFrame frame;
  frame.kind = PreviewFrameKind::kTints;
  frame.tints.fill(kNoTint);
  const int a = LitKeyIndex(IDC_MAIN_KEY_A);
  const int g1 = LitKeyIndex(IDC_MAIN_G1);
  ASSERT_GE(a, 0);
  ASSERT_GE(g1, 0);
  frame.tints[static_cast<size_t>(a)] = 0x0000FF;  // red
  frame.tints[static_cast<size_t>(g1)] = 0;        // black is a colour too
  panel_->ShowPreviewFrame(frame);
  EXPECT_TRUE(Key(IDC_MAIN_KEY_A).framed());
  EXPECT_EQ(Key(IDC_MAIN_KEY_A).framed_colour(), RGB(255, 0, 0));
  EXPECT_EQ(Key(IDC_MAIN_KEY_A).framed_percent(), 50);
  EXPECT_TRUE(Key(IDC_MAIN_G1).framed());
  EXPECT_FALSE(Key(IDC_MAIN_KEY_S).framed());
  // Drawn at once, without a paint message: half red over the key's picture.
  const COLORREF tinted = ScreenPixel(IDC_MAIN_KEY_A);
  EXPECT_NEAR(GetRValue(tinted), (255 + GetRValue(plain)) / 2, 3) << std::hex << plain << " " << tinted;
  EXPECT_NEAR(GetGValue(tinted), GetGValue(plain) / 2, 3);
  EXPECT_EQ(ScreenPixel(IDC_MAIN_KEY_S), neighbour) << "an untinted key is left as it was";

  // The next frame without A's tint draws it plain again at once.
  frame.tints[static_cast<size_t>(a)] = kNoTint;
  panel_->ShowPreviewFrame(frame);
  EXPECT_FALSE(Key(IDC_MAIN_KEY_A).framed());
  EXPECT_EQ(ScreenPixel(IDC_MAIN_KEY_A), plain);

  // A frame that leaves the keys alone, then one that clears every tint and check.
  Key(IDC_MAIN_KEY_S).SetChecked(true, true);
  frame.kind = PreviewFrameKind::kLeave;
  frame.tints.fill(kNoTint);
  panel_->ShowPreviewFrame(frame);
  EXPECT_TRUE(Key(IDC_MAIN_G1).framed());
  frame.kind = PreviewFrameKind::kClearTints;
  panel_->ShowPreviewFrame(frame);
  EXPECT_FALSE(Key(IDC_MAIN_G1).framed());
  EXPECT_FALSE(Key(IDC_MAIN_KEY_S).checked());
}

TEST_F(KeyboardPanelViewTest, TheEngineLightsOnlyGridKeysAndNoKeyOutsideIt) {
  // Effect 4 colours every key of the grid alike, G1..G5 included; G6..G9
  // and Right Win lie outside the grid and stay plain.
  LightingPreview preview;
  FixedSeedPreviewRandom random(1);
  LightingState state;
  state.effect = 4;
  PreviewFrame frame;
  preview.Tick(state, random, frame);
  panel_->ShowPreviewFrame(frame);
  const COLORREF colour = Key(IDC_MAIN_KEY_A).framed_colour();
  for (int control : {IDC_MAIN_KEY_ESC, IDC_MAIN_KEY_NUM_ENTER, IDC_MAIN_G1, IDC_MAIN_G5, IDC_MAIN_FN}) {
    EXPECT_TRUE(Key(control).framed()) << control;
    EXPECT_EQ(Key(control).framed_colour(), colour) << control;
  }
  for (int control : {IDC_MAIN_G6, IDC_MAIN_G9, IDC_MAIN_KEY_RIGHT_WIN}) EXPECT_FALSE(Key(control).framed()) << control;
}

TEST_F(KeyboardPanelViewTest, OneSetOfKeysShowsInEachLayoutAndTheBankLightsItsIndicator) {
  auto shown = [&](int control) { return IsWindowVisible(GetDlgItem(dialog_->hwnd(), control)) != FALSE; };
  auto enabled = [&](int control) { return IsWindowEnabled(GetDlgItem(dialog_->hwnd(), control)) != FALSE; };
  const int flip = panel_->flip();
  for (int toggles = 0; toggles < 2; ++toggles) {
    const bool flipped = panel_->flip() != 0;
    for (int f = IDC_MAIN_KEY_F1; f <= IDC_MAIN_KEY_F4; ++f) {
      EXPECT_EQ(shown(f), !flipped) << f;
      EXPECT_EQ(enabled(f), !flipped) << f;
    }
    for (int d = IDC_MAIN_D1; d <= IDC_MAIN_D6; ++d) {
      EXPECT_EQ(shown(d), flipped) << d;
      EXPECT_EQ(enabled(d), flipped) << d;
    }
    EXPECT_TRUE(shown(IDC_MAIN_KEY_F5));
    panel_->ToggleFlip();
  }
  EXPECT_EQ(panel_->flip(), flip) << "two toggles give the layout back";

  panel_->ShowBank(1, {true, false, false, false, false, false, false, false, true});
  wchar_t caption[8] = {};
  GetDlgItemTextW(dialog_->hwnd(), IDC_MAIN_G1, caption, 8);
  EXPECT_STREQ(caption, L"B1");
  GetDlgItemTextW(dialog_->hwnd(), IDC_MAIN_G6, caption, 8);
  EXPECT_STREQ(caption, L"");
  EXPECT_TRUE(Key(IDC_MAIN_G1).checked());
  EXPECT_FALSE(Key(IDC_MAIN_G2).checked());
  EXPECT_TRUE(Key(IDC_MAIN_G9).checked());
  // The indicator is disabled, so its disabled face is what a person sees:
  // the lit lens for bank B, the plain one for bank A.
  const uint64_t lit = FaceOf(IDC_MAIN_LOCK_AB);
  EXPECT_TRUE(Key(IDC_MAIN_LOCK_AB).checked());
  panel_->ShowBank(0, {});
  GetDlgItemTextW(dialog_->hwnd(), IDC_MAIN_G1, caption, 8);
  EXPECT_STREQ(caption, L"A1");
  EXPECT_FALSE(Key(IDC_MAIN_LOCK_AB).checked());
  EXPECT_NE(FaceOf(IDC_MAIN_LOCK_AB), lit);
}

}  // namespace
}  // namespace velkor::testing
