// The images of a skinned window: the background and mask pictures (decoded
// by the platform's picture loader), the state sheets (decoded once and kept
// as memory drawing surfaces for the rest of the run), and the window shape
// made from a mask.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/win32/gdi.h"

namespace velkor {

// A skin file that cannot be loaded ends the program at once, with exit code
// 0 and no message: the program cannot show a window without its skin.
[[noreturn]] void EndProgramForMissingSkin();

// Reads the whole file into movable memory and decodes it with the OLE
// picture loader (BMP, JPEG, GIF). Null when anything fails.
UniqueBitmap LoadSkinPicture(const std::u16string& path);

// A JPEG decoded once and drawn at 1:1 from its top-left corner into an
// off-screen image of the owning window's client size plus 100 pixels each
// way.
class StateSheet {
 public:
  ~StateSheet();
  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }

  // Null when the file cannot be decoded.
  static std::unique_ptr<StateSheet> Render(const std::u16string& path, int client_width, int client_height);

 private:
  UniqueMemoryDc dc_;
  UniqueBitmap bitmap_;
  HGDIOBJ old_bitmap_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// The sheets of each kind of window, shared by all its buttons and kept for
// the rest of the run.
class SheetCache {
 public:
  static SheetCache& Instance();
  // The sheet of a window kind; renders it the first time. Null when the file
  // cannot be decoded.
  const StateSheet* Get(std::u16string_view window_kind, const std::u16string& path, int client_width,
                        int client_height);

 private:
  std::map<std::u16string, std::unique_ptr<StateSheet>> sheets_;
};

// Every pixel of the mask that is not exactly white belongs to the window.
// Null when the bitmap cannot be read.
UniqueRegion RegionFromMask(HBITMAP mask);

// Starts GDI+ once for the process (the sheets need it).
bool StartGdiPlus();

}  // namespace velkor
