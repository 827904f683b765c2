// The tray icon's menu (140) and the main window's button menu (144), loaded
// from the resources and relabelled from the language file's selected
// section; the resource texts stay when no language is selected.
#pragma once

#include <windows.h>

#include "platform/win32/handles.h"
#include "ui/language_table.h"

namespace velkor {

struct MenuCloser {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using UniqueMenu = UniqueResource<HMENU, nullptr, MenuCloser>;

// The loaded menu bar and its first submenu, the one that pops up.
struct PopupMenu {
  UniqueMenu menu;
  HMENU popup = nullptr;
};

// Open, About, Exit; the first item is the default.
PopupMenu LoadTrayMenu(LanguageTable* language);
// Import, Export, and the separator turned into About.
PopupMenu LoadButtonMenu(LanguageTable* language);

}  // namespace velkor
