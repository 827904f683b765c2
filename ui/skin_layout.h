// Reading a window's skin file: the INI beside its images that says where
// every control sits, which images make the window's background and shape,
// and (for the main window) the lighting panel's labels.
//
// Rectangles are "x,y,w,h" in the window's client pixels, read the way the
// C library reads "%d,%d,%d,%d". A missing key reads as 1,1,1,1. A value that
// does not give all four numbers is treated like a missing key, so a damaged
// line disables its button at (1, 1) instead of giving it a half-made
// rectangle.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/ini_store.h"

namespace velkor {

struct SkinRect {
  int x = 1;
  int y = 1;
  int w = 1;
  int h = 1;
  bool operator==(const SkinRect&) const = default;
};

inline constexpr SkinRect kMissingSkinRect{1, 1, 1, 1};

// Four decimal numbers separated by single commas; blanks before a number are
// skipped, anything after the fourth is ignored. Out-of-range numbers are
// held at the int limits.
SkinRect ParseSkinRect(std::u16string_view text);

// How an image button takes its rectangle: moved to (x, y) with size w x h,
// its face cut from the sheets at (x - 1, y - 1); at (1, 1) it is disabled.
struct ImageButtonPlacement {
  SkinRect rect;
  int source_x = 1;
  int source_y = 1;
  bool enabled = false;
};
ImageButtonPlacement PlaceImageButton(const SkinRect& rect);

inline constexpr std::u16string_view kScreenSection = u"SCREEN";
inline constexpr std::u16string_view kButtonSection = u"BUTTONINFO";
inline constexpr std::u16string_view kArrowSection = u"BUTTONINFO2";
inline constexpr std::u16string_view kDefaultLink = u"https://example.com/keyboard/";

// "%s%d": UP_ARROW_LEFT1 ... DOWN_ARROW_RIGHT2.
enum class ArrowSide { kLeft, kRight };
std::u16string ArrowSourceKey(ArrowSide side, bool flipped, int frame_number);

// The arrow pictures beside the flip buttons remember the frame they showed
// last: a call with frame 0 or 1 shows frame 1 or 2 and remembers it; any
// other value shows the remembered frame again (frame 1 at first).
class ArrowFrame {
 public:
  int Next(int frame) {
    if (frame == 0 || frame == 1) last_ = frame + 1;
    return last_;
  }
  int last() const { return last_; }

 private:
  int last_ = 1;
};

class SkinFile {
 public:
  // path: the full path of the window's INI; folder: the folder its image
  // names are relative to (with or without a trailing separator).
  SkinFile(IniStore& store, std::u16string path, std::u16string folder);

  const std::u16string& path() const { return path_; }
  const std::u16string& folder() const { return folder_; }

  // A value of BUTTONINFO (or another section of rectangles).
  SkinRect Rect(std::u16string_view key, std::u16string_view section = kButtonSection) const;

  // SCREEN Main and Mask as full paths; an empty Main gives an empty path (the
  // window then has nothing to load and the caller ends the program), a
  // missing Mask is the background again.
  std::u16string BackgroundPath() const;
  std::u16string MaskPath() const;
  // SCREEN Link, at most 259 characters.
  std::u16string Link() const;

  // Lighting panel labels (Control_Name for language 0, Control_Name1 for 1);
  // a missing key is an empty text. Any other language reads nothing, so the
  // window keeps the texts of its template. (Effect names are the lighting
  // model's.)
  std::optional<std::u16string> Label(int language, std::u16string_view key) const;

  // A full path for a file of the skin folder.
  std::u16string FileInFolder(std::u16string_view name) const;

 private:
  std::u16string ReadScreen(std::u16string_view key, std::u16string_view default_text) const;

  IniStore& store_;
  std::u16string path_;
  std::u16string folder_;
};

}  // namespace velkor
