// Skinned windows under the platform: window shapes from masks, controls
// placed from a skin file with their faces cut from the right sheet, the
// dialog templates holding every control the skin files place, and a missing
// skin picture ending the program quietly.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ini_store.h"
#include "tests/support/temp_dir.h"
#include "ui/skin_bindings.h"
#include "ui/win32/base_dialog.h"
#include "ui/win32/png_button.h"
#include "ui/win32/skin_images.h"
#include "ui/win32/skinned_controls.h"

namespace velkor::testing {
namespace {

using PixelFn = std::function<COLORREF(int x, int y)>;

// A 24-bit bottom-up BMP file.
std::string BmpBytes(int width, int height, const PixelFn& pixel) {
  const int row = (width * 3 + 3) & ~3;
  const uint32_t image = static_cast<uint32_t>(row * height);
  std::string bytes(54 + image, '\0');
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&bytes[at], &v, 4); };
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&bytes[at], &v, 2); };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, 54 + image);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  put16(26, 1);
  put16(28, 24);
  put32(34, image);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = pixel(x, y);
      const size_t at = 54 + static_cast<size_t>(height - 1 - y) * row + static_cast<size_t>(x) * 3;
      bytes[at] = static_cast<char>(GetBValue(c));
      bytes[at + 1] = static_cast<char>(GetGValue(c));
      bytes[at + 2] = static_cast<char>(GetRValue(c));
    }
  }
  return bytes;
}

// A 32-bit top-down bitmap in memory.
UniqueBitmap MemoryBitmap(int width, int height, const PixelFn& pixel) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  auto* p = static_cast<uint32_t*>(bits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const COLORREF c = pixel(x, y);
      p[y * width + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
  return bitmap;
}

TEST(MaskRegion, WhiteIsOutsideTheWindowAndEverythingElseInside) {
  UniqueBitmap white = MemoryBitmap(40, 30, [](int, int) { return RGB(255, 255, 255); });
  UniqueRegion empty = RegionFromMask(white.get());
  ASSERT_TRUE(empty);
  RECT box{};
  EXPECT_EQ(GetRgnBox(empty.get(), &box), NULLREGION);

  UniqueBitmap solid = MemoryBitmap(40, 30, [](int, int) { return RGB(254, 255, 255); });
  UniqueRegion full = RegionFromMask(solid.get());
  ASSERT_TRUE(full);
  EXPECT_EQ(GetRgnBox(full.get(), &box), SIMPLEREGION);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.right, 40);
  EXPECT_EQ(box.bottom, 30);
}

TEST(MaskRegion, ThousandsOfRunsGiveExactlyTheirUnion) {
  // A checkerboard of 100 x 90 pixels: 4500 runs, so three batches.
  auto pixel = [](int x, int y) { return (x + y) % 2 == 0 ? RGB(255, 255, 255) : RGB(10, 20, 30); };
  UniqueBitmap mask = MemoryBitmap(100, 90, pixel);
  UniqueRegion shape = RegionFromMask(mask.get());
  ASSERT_TRUE(shape);
  int mismatches = 0;
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 100; ++x) {
      const bool inside = PtInRegion(shape.get(), x, y) != FALSE;
      if (inside != (pixel(x, y) != RGB(255, 255, 255))) ++mismatches;
    }
  EXPECT_EQ(mismatches, 0);
}

// A skin folder of the test's own with a profile manager skin. Every sheet
// pixel encodes its position and the sheet (blue channel), so a face shows
// where it was cut from.
class SkinFolder {
 public:
  static constexpr int kWidth = 220, kHeight = 160;
  static COLORREF SheetPixel(int sheet, int x, int y) { return RGB(x, y, 0x20 * (sheet + 1)); }

  SkinFolder() {
    dir_.WriteUtf16("Profile.ini",
                    u"[SCREEN]\r\nMain=back.bmp\r\nMask=mask.bmp\r\n"
                    u"[BUTTONINFO]\r\nCONTROL_OK=10,20,30,40\r\nCONTROL_CANCEL=50,20,30,40\r\n"
                    u"FUNC_ADD=90,20,30,40\r\nFUNC_LOAD=130,20,30,40\r\nFUNC_DELETE=170,20,30,40\r\n"
                    u"PROGRAM_LIST=10,70,200,80\r\nLEFT_ARROW=60,100,20,10\r\nLIST_AT=40,50,9,9\r\n"
                    u"[BUTTONINFO2]\r\nDOWN_ARROW_LEFT1=5,6,0,0\r\nDOWN_ARROW_LEFT2=25,6,0,0\r\n"
                    u"UP_ARROW_LEFT1=5,30,0,0\r\nUP_ARROW_LEFT2=25,30,0,0\r\n");
    dir_.WriteBytes("back.bmp", BmpBytes(kWidth, kHeight, [](int x, int y) { return RGB(x, y, 1); }));
    // Rounded off: the four corner pixels are outside.
    dir_.WriteBytes("mask.bmp", BmpBytes(kWidth, kHeight, [](int x, int y) {
                      const bool corner = (x == 0 || x == kWidth - 1) && (y == 0 || y == kHeight - 1);
                      return corner ? RGB(255, 255, 255) : RGB(0, 0, 0);
                    }));
    const char* sheets[] = {"Profile_normal.jpg", "Profile_over.jpg", "Profile_down.jpg", "s3.jpg", "s4.jpg"};
    for (int s = 0; s < 5; ++s) {
      dir_.WriteBytes(sheets[s], BmpBytes(kWidth, kHeight, [s](int x, int y) { return SheetPixel(s, x, y); }));
    }
  }
  std::u16string path() const { return dir_.path().u16string(); }
  std::u16string File(const char* name) const { return dir_.File(name); }

 private:
  TempDir dir_;
};

// Counts the clicks its buttons report.
class CountingDialog : public CBaseDialog {
 public:
  using CBaseDialog::CBaseDialog;
  int clicks(int id) const { return id == 1010 ? add_clicks_ : 0; }

 protected:
  bool OnCommand(int id, int notification) override {
    if (id == 1010 && notification == BN_CLICKED) ++add_clicks_;
    return id == 1010;
  }

 private:
  int add_clicks_ = 0;
};

class ProfileSkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog_ = std::make_unique<CountingDialog>(131, nullptr, ini_, folder_.File("Profile.ini"), folder_.path());
    ASSERT_TRUE(dialog_->Create());
    controls_ = std::make_unique<SkinnedControls>(SkinPlanOf(SkinWindow::kProfile));
    controls_->Apply(*dialog_, nullptr);
  }
  void TearDown() override {
    controls_.reset();
    if (dialog_) dialog_->Destroy();
  }
  RECT Placement(int id) {
    HWND control = GetDlgItem(dialog_->hwnd(), id);
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog_->hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  // Draws the button into a bitmap of its size and reads pixels back.
  std::pair<COLORREF, COLORREF> FaceCorners(CPngButton& button) {
    const auto pixels = FacePixels(button, {{0, 0}, {-1, -1}});
    return {pixels[0], pixels[1]};
  }
  // Negative coordinates count from the right or bottom edge.
  std::vector<COLORREF> FacePixels(CPngButton& button, std::vector<POINT> points) {
    RECT client{};
    GetClientRect(button.hwnd(), &client);
    WindowDc screen(nullptr);
    UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
    UniqueBitmap target(CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
    SelectedObject use(dc.get(), target.get());
    DRAWITEMSTRUCT item{ODT_BUTTON, 0, 0, ODA_DRAWENTIRE, 0, button.hwnd(), dc.get(), client, 0};
    if (SendMessageW(button.hwnd(), BM_GETSTATE, 0, 0) & BST_PUSHED) item.itemState |= ODS_SELECTED;
    button.DrawItem(item);
    std::vector<COLORREF> pixels;
    for (POINT p : points) {
      pixels.push_back(GetPixel(dc.get(), p.x < 0 ? client.right + p.x : p.x, p.y < 0 ? client.bottom + p.y : p.y));
    }
    return pixels;
  }

  SkinFolder folder_;
  Win32IniStore ini_;
  std::unique_ptr<CountingDialog> dialog_;
  std::unique_ptr<SkinnedControls> controls_;
};

TEST_F(ProfileSkinTest, TheWindowTakesItsSizeAndShapeFromItsPictures) {
  EXPECT_EQ(dialog_->ClientSize().cx, SkinFolder::kWidth);
  EXPECT_EQ(dialog_->ClientSize().cy, SkinFolder::kHeight);
  UniqueRegion shape(CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(GetWindowRgn(dialog_->hwnd(), shape.get()), ERROR);
  EXPECT_FALSE(PtInRegion(shape.get(), 0, 0));
  EXPECT_FALSE(PtInRegion(shape.get(), SkinFolder::kWidth - 1, SkinFolder::kHeight - 1));
  EXPECT_TRUE(PtInRegion(shape.get(), 1, 0));
  EXPECT_TRUE(PtInRegion(shape.get(), 100, 80));
  EXPECT_FALSE(IsWindowVisible(dialog_->hwnd()));
}

TEST_F(ProfileSkinTest, AButtonSitsAtItsRectangleWithItsFaceCutFromOneLeftAndAbove) {
  const RECT ok = Placement(IDOK);
  EXPECT_EQ(ok.left, 10);
  EXPECT_EQ(ok.top, 20);
  EXPECT_EQ(ok.right - ok.left, 30);
  EXPECT_EQ(ok.bottom - ok.top, 40);
  CPngButton* button = controls_->Button(IDOK);
  ASSERT_NE(button, nullptr);
  EXPECT_TRUE(IsWindowEnabled(button->hwnd()));
  const auto [first, last] = FaceCorners(*button);
  EXPECT_EQ(first, SkinFolder::SheetPixel(0, 9, 19));
  EXPECT_EQ(last, SkinFolder::SheetPixel(0, 38, 58));
  const RECT list = Placement(1007);
  EXPECT_EQ(list.left, 10);
  EXPECT_EQ(list.right - list.left, 200);
}

TEST_F(ProfileSkinTest, AButtonMissingFromTheSkinIsDisabledAtOneOne) {
  const RECT apply = Placement(1012);
  EXPECT_EQ(apply.left, 1);
  EXPECT_EQ(apply.top, 1);
  EXPECT_EQ(apply.right - apply.left, 1);
  EXPECT_EQ(apply.bottom - apply.top, 1);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog_->hwnd(), 1012)));
}

TEST_F(ProfileSkinTest, TheFaceFollowsTheButtonsState) {
  CPngButton* button = controls_->Button(1010);
  ASSERT_NE(button, nullptr);
  const SIZE client = dialog_->ClientSize();
  SheetSet five{};
  const char* names[] = {"Profile_normal.jpg", "Profile_over.jpg", "Profile_down.jpg", "s3.jpg", "s4.jpg"};
  for (int s = 0; s < 5; ++s) {
    five[s] = SheetCache::Instance().Get(u"state test", folder_.File(names[s]), client.cx, client.cy);
    ASSERT_NE(five[s], nullptr);
  }
  dialog_->SkinImageButton(*button, u"FUNC_ADD", five);
  auto sheet_shown = [&] { return GetBValue(FaceCorners(*button).first) / 0x20 - 1; };
  EXPECT_EQ(sheet_shown(), 0);
  button->SetChecked(true, false);
  EXPECT_EQ(sheet_shown(), 4);
  SendMessageW(button->hwnd(), WM_MOUSEHOVER, 0, 0);
  EXPECT_TRUE(button->hover());
  EXPECT_EQ(sheet_shown(), 1);
  SendMessageW(button->hwnd(), WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(button->hover());
  EXPECT_EQ(sheet_shown(), 4);
  SendMessageW(button->hwnd(), BM_SETSTATE, TRUE, 0);
  EXPECT_EQ(sheet_shown(), 2);
  SendMessageW(button->hwnd(), BM_SETSTATE, FALSE, 0);
  EnableWindow(button->hwnd(), FALSE);  // disabled and checked
  EXPECT_EQ(sheet_shown(), 3);
}

TEST_F(ProfileSkinTest, AFramedButtonLaysItsColourOverItsFaceInsideAFrame) {
  CPngButton* button = controls_->Button(1008);  // FUNC_LOAD at 130,20,30,40
  ASSERT_NE(button, nullptr);
  static HWND drawn_button;
  static int normal_draws;
  drawn_button = nullptr;
  normal_draws = 0;
  button->SetDrawCallback([](HWND hwnd, bool normal) {
    drawn_button = hwnd;
    normal_draws += normal ? 1 : 0;
  });
  // The face alone, then half red over it inside a 2-pixel red line along (1, 1).
  const auto plain = FacePixels(*button, {{3, 3}, {15, 20}});
  button->SetFramed(RGB(255, 0, 0), 50, true);
  const auto pixels = FacePixels(*button, {{1, 1}, {-2, -2}, {3, 3}, {15, 20}});
  EXPECT_EQ(pixels[0], RGB(255, 0, 0));
  EXPECT_EQ(pixels[1], RGB(255, 0, 0));
  auto about = [](int got, int want) { return got >= want - 2 && got <= want + 2; };
  for (int i : {0, 1}) {
    const COLORREF face = plain[static_cast<size_t>(i)], tinted = pixels[static_cast<size_t>(i) + 2];
    EXPECT_TRUE(about(GetRValue(tinted), (255 + GetRValue(face)) / 2) && about(GetGValue(tinted), GetGValue(face) / 2) &&
                about(GetBValue(tinted), GetBValue(face) / 2))
        << std::hex << face << " " << tinted;
  }
  EXPECT_EQ(drawn_button, button->hwnd());
  EXPECT_EQ(normal_draws, 2) << "one draw each time the face was asked for";
  button->SetFramed(RGB(255, 0, 0), 150, true);
  EXPECT_EQ(button->framed_percent(), 100);
  EXPECT_EQ(FacePixels(*button, {{15, 20}})[0], RGB(255, 0, 0)) << "all colour at full strength";
  button->SetFramed(RGB(255, 0, 0), 150, false);
  EXPECT_EQ(button->framed_percent(), 150);  // capped only in framed mode
  EXPECT_EQ(FacePixels(*button, {{15, 20}})[0], plain[1]) << "the tint off shows the face again";
}

TEST_F(ProfileSkinTest, ADoubleClickIsTwoClicks) {
  HWND add = GetDlgItem(dialog_->hwnd(), 1010);
  const LPARAM at = MAKELPARAM(5, 5);
  SendMessageW(add, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(add, WM_LBUTTONUP, 0, at);
  SendMessageW(add, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageW(add, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(dialog_->clicks(1010), 2);
}

TEST_F(ProfileSkinTest, TooltipsWaitForATextAndPopAfterTwoSeconds) {
  CPngButton* button = controls_->Button(IDCANCEL);
  ASSERT_NE(button, nullptr);
  button->SetTooltip(L"", true);
  EXPECT_EQ(button->tooltip(), nullptr);
  button->SetTooltip(L"Close the window", true);
  EXPECT_EQ(button->tooltip(), nullptr) << "made when the pointer first rests on the button";
  SendMessageW(button->hwnd(), WM_MOUSEHOVER, 0, 0);
  ASSERT_NE(button->tooltip(), nullptr);
  EXPECT_EQ(SendMessageW(button->tooltip(), TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 2000);
  EXPECT_EQ(SendMessageW(button->tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1);
  button->SetTooltip(L"Close", true);  // the same tool, a new text
  EXPECT_EQ(SendMessageW(button->tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST_F(ProfileSkinTest, ArrowsFollowTheFlipAndRememberTheirFrame) {
  // A plan of the test's own on the same template: an arrow on button 1010
  // and the list moved by position only.
  SkinBinding arrow;
  arrow.key = u"LEFT_ARROW";
  arrow.control = 1010;
  arrow.kind = BindingKind::kArrow;
  SkinBinding list;
  list.key = u"LIST_AT";
  list.control = 1007;
  list.kind = BindingKind::kPositionOnly;
  const SkinWindowPlan plan{SkinWindow::kProfile, 131, u"Profile.ini", {u"Profile_normal.jpg"}, {arrow, list}};
  RECT list_before = Placement(1007);
  SkinnedControls skinned(plan);
  skinned.Apply(*dialog_, nullptr, /*flipped=*/false);
  CPngButton* button = skinned.Button(1010);
  ASSERT_NE(button, nullptr);
  const RECT placed = Placement(1010);
  EXPECT_EQ(placed.left, 60);
  EXPECT_EQ(placed.top, 100);
  EXPECT_EQ(placed.right - placed.left, 20);
  EXPECT_EQ(placed.bottom - placed.top, 10);
  auto source = [&] { return std::make_pair(button->source_x(), button->source_y()); };
  EXPECT_EQ(source(), std::make_pair(5, 6));
  skinned.ShowArrow(*dialog_, 1010, false, 1);
  EXPECT_EQ(source(), std::make_pair(25, 6));
  skinned.ShowArrow(*dialog_, 1010, false, -1);  // no frame: the last one again
  EXPECT_EQ(source(), std::make_pair(25, 6));
  skinned.ShowArrow(*dialog_, 1010, true, 7);
  EXPECT_EQ(source(), std::make_pair(25, 30));
  skinned.ShowArrow(*dialog_, 1010, true, 0);
  EXPECT_EQ(source(), std::make_pair(5, 30));

  const RECT list_after = Placement(1007);
  EXPECT_EQ(list_after.left, 40);
  EXPECT_EQ(list_after.top, 50);
  EXPECT_EQ(list_after.right - list_after.left, list_before.right - list_before.left);
  EXPECT_EQ(list_after.bottom - list_after.top, list_before.bottom - list_before.top);
}

// What a control's skin key says it is.
enum class KeyKind { kAny, kPicture, kCombo, kEdit, kLabel, kButton };
KeyKind KindOfKey(const SkinBinding& b) {
  const std::string key = Utf16ToUtf8(b.key);
  auto ends = [&](const char* tail) {
    const std::string t(tail);
    return key.size() >= t.size() && key.compare(key.size() - t.size(), t.size(), t) == 0;
  };
  auto has = [&](const char* part) { return key.find(part) != std::string::npos; };
  if (b.kind == BindingKind::kImageButton || b.kind == BindingKind::kArrow || ends("Button") || has("m_btn_"))
    return KeyKind::kButton;
  // The busy indicator shows pictures although its key calls it a static.
  if (has("StaPic") || ends("PIC") || ends("Slider") || key == "CONTROL_JDTStatic") return KeyKind::kPicture;
  if (has("combo") || has("Combo") || has("Combox")) return KeyKind::kCombo;
  if (has("m_edit_")) return KeyKind::kEdit;
  if (has("Static") || ends("Statc") || ends("_static")) return KeyKind::kLabel;
  return KeyKind::kAny;
}

TEST(DialogTemplates, HoldEveryControlTheSkinFilesPlace) {
  for (SkinWindow window : AllSkinWindows()) {
    const SkinWindowPlan& plan = SkinPlanOf(window);
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(plan.template_id), nullptr,
                                     [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(dialog, nullptr) << "template " << plan.template_id;
    for (const SkinBinding& b : plan.bindings) {
      HWND control = GetDlgItem(dialog, b.control);
      ASSERT_NE(control, nullptr) << "template " << plan.template_id << " lacks " << b.control << " for "
                                  << Utf16ToUtf8(b.key);
      wchar_t cls[32] = {};
      GetClassNameW(control, cls, 32);
      const std::string name = Utf16ToUtf8(FromWide(cls));
      const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
      const std::string what = Utf16ToUtf8(b.key) + " (" + std::to_string(b.control) + ") is a " + name;
      switch (KindOfKey(b)) {
        case KeyKind::kButton: EXPECT_EQ(_wcsicmp(cls, L"Button"), 0) << what; break;
        case KeyKind::kPicture:
          EXPECT_EQ(_wcsicmp(cls, L"Static"), 0) << what;
          EXPECT_EQ(style & SS_TYPEMASK, SS_BITMAP) << what;
          break;
        case KeyKind::kCombo: EXPECT_EQ(_wcsicmp(cls, L"ComboBox"), 0) << what; break;
        case KeyKind::kEdit: EXPECT_EQ(_wcsicmp(cls, L"Edit"), 0) << what; break;
        case KeyKind::kLabel:
          EXPECT_EQ(_wcsicmp(cls, L"Static"), 0) << what;
          EXPECT_NE(style & SS_TYPEMASK, SS_BITMAP) << what;
          break;
        case KeyKind::kAny: break;
      }
    }
    DestroyWindow(dialog);
  }
}

// The skin viewer opens a window the way the program does; a skin without
// its background, its mask or one of its sheets ends it at once with exit
// code 0.
class MissingSkinPicture : public ::testing::TestWithParam<const char*> {};

TEST_P(MissingSkinPicture, EndsTheProgramQuietly) {
  SkinFolder folder;
  std::filesystem::remove(std::filesystem::path(folder.File(GetParam())));
  std::u16string viewer = ModulePath();
  viewer = viewer.substr(0, viewer.find_last_of(u"\\/") + 1) + u"skin_viewer.exe";
  std::wstring command = L"\"" + ToWide(viewer) + L"\" profile --seconds 20 --skins \"" + ToWide(folder.path()) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process));
  const DWORD waited = WaitForSingleObject(process.hProcess, 10000);
  DWORD code = 1234;
  GetExitCodeProcess(process.hProcess, &code);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_EQ(waited, WAIT_OBJECT_0) << "the viewer kept running";
  EXPECT_EQ(code, 0u);
}

INSTANTIATE_TEST_SUITE_P(Skin, MissingSkinPicture, ::testing::Values("back.bmp", "mask.bmp", "Profile_over.jpg"));

}  // namespace
}  // namespace velkor::testing
