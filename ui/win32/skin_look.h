// The colours the program draws with over its dark skins: texts on the
// skin, and the system's text fields and lists.
#pragma once

#include <windows.h>

namespace velkor {

struct SkinLook {
  COLORREF text;              // labels and field texts
  COLORREF field_background;  // edits, combo boxes, lists
};
inline constexpr SkinLook kSkinLook{RGB(0xE4, 0xE4, 0xE4), RGB(0x14, 0x17, 0x1C)};

}  // namespace velkor
