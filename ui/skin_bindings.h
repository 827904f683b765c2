// Which skin key places which control of each skinned window, how (image
// button, plain control, position only, arrow picture), with which of the
// window's state sheets, and with which caption or tooltip. The windows apply
// these lists in order; a later row for the same control skins it again.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

enum class SkinWindow { kMain, kComposite, kProfile, kUpdate };

enum class BindingKind : uint8_t {
  kImageButton,   // moved and sized, face from the sheets at (x - 1, y - 1)
  kPlain,         // moved and sized
  kPositionOnly,  // moved, keeps its size, repainted
  kArrow,         // an image button whose source point comes from BUTTONINFO2
};

// How a button's caption is drawn.
enum class CaptionStyle : uint8_t {
  kNone,
  kButton,          // "Tahoma" 9, white, one line, centred
  kSmallButton,     // "Tahoma" 8, white, one line, centred
  kCurrentProfile,  // "Arial" 10, 0xE4E4E4, one line at the bottom, turned by 268 tenths
  kVersion,         // "Verdana" 8, 0xE4E4E4, one line, vertically centred
};

// Indices into the window's sheet files: normal, over, pressed, disabled, checked.
using SheetPicks = std::array<uint8_t, 5>;

struct SkinBinding {
  std::u16string key;
  int control = 0;
  BindingKind kind = BindingKind::kPlain;
  SheetPicks sheets{};
  CaptionStyle caption_style = CaptionStyle::kNone;
  std::u16string_view caption_key;  // language file key of the caption, if any
  std::u16string_view tooltip_key;  // language file key of the tooltip, if any
  bool tooltip_is_link = false;     // the tooltip is the skin's web address
  bool starts_disabled = false;     // disabled whatever its rectangle says
};

struct SkinWindowPlan {
  SkinWindow window;
  int template_id;
  std::u16string_view ini_name;                   // in the Skins folder
  std::vector<std::u16string_view> sheet_files;   // in the Skins folder
  std::vector<SkinBinding> bindings;
};

const SkinWindowPlan& SkinPlanOf(SkinWindow window);
std::span<const SkinWindow> AllSkinWindows();

// The page picture of the composite dialog is skinned again with the set of
// the page on show: 0 single key, 1 macro, 2 multimedia, 3 function.
SkinBinding CompositePagePicture(int page);

// Every picture the main window's lighting panel and busy indicator load
// from the Skins folder.
std::span<const std::u16string_view> LightingPanelPictures();

}  // namespace velkor
