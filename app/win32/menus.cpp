#include "app/win32/menus.h"

#include "app/main_window_rules.h"
#include "platform/win32/wide.h"

namespace velkor {

namespace {

PopupMenu Load(UINT id, const std::vector<MenuLabel>& labels) {
  PopupMenu loaded;
  loaded.menu.reset(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id)));
  if (!loaded.menu) return loaded;
  loaded.popup = GetSubMenu(loaded.menu.get(), 0);
  if (!loaded.popup) return loaded;
  // A position the menu does not have is not added: ModifyMenu fails there.
  for (const MenuLabel& label : labels) {
    ModifyMenuW(loaded.popup, static_cast<UINT>(label.position), MF_BYPOSITION | MF_STRING,
                static_cast<UINT_PTR>(label.command), W(label.text));
  }
  return loaded;
}

}  // namespace

PopupMenu LoadTrayMenu(LanguageTable* language) {
  PopupMenu menu = Load(kTrayIconId, TrayMenuLabels(language ? language->ReadTrayMenu() : std::nullopt));
  if (menu.popup) SetMenuDefaultItem(menu.popup, 0, TRUE);
  return menu;
}

PopupMenu LoadButtonMenu(LanguageTable* language) {
  return Load(kButtonMenuId, ButtonMenuLabels(language ? language->ReadButtonMenu() : std::nullopt));
}

}  // namespace velkor
