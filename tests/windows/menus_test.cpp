// The tray menu and the button menu as the program pops them up, for each
// language selector.
#include "app/win32/menus.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_ini_store.h"
#include "resources/resource.h"
#include "tests/support/temp_dir.h"

namespace velkor::testing {
namespace {

struct Item {
  UINT id;
  std::wstring text;
  bool operator==(const Item&) const = default;
};

std::vector<Item> ItemsOf(HMENU popup) {
  std::vector<Item> items;
  for (int i = 0; i < GetMenuItemCount(popup); ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{sizeof(info)};
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 128;
    GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info);
    items.push_back({(info.fType & MFT_SEPARATOR) ? 0u : info.wID, text});
  }
  return items;
}

class MenusTest : public ::testing::Test {
 protected:
  // The shipped language file with the selector set to value.
  LanguageTable& Language(const wchar_t* value) {
    const std::u16string path = dir_.File("language.ini");
    std::filesystem::copy_file(VELKOR_TEST_SKINS_DIR "/language.ini", std::filesystem::path(path),
                               std::filesystem::copy_options::overwrite_existing);
    WritePrivateProfileStringW(L"LANGUAGE", L"language", value, W(path));
    table_ = std::make_unique<LanguageTable>(ini_, path);
    table_->Load();
    return *table_;
  }

  TempDir dir_;
  Win32IniStore ini_;
  std::unique_ptr<LanguageTable> table_;
};

TEST_F(MenusTest, TheTrayMenuSpeaksTheSelectedLanguageAndOpensByDefault) {
  const std::vector<Item> english = {{ID_OPEN_WINDOW, L"Open"}, {ID_ABOUT, L"About"}, {ID_EXIT, L"Exit"}};
  const std::vector<Item> chinese = {{ID_OPEN_WINDOW, L"打开"}, {ID_ABOUT, L"关于"}, {ID_EXIT, L"退出"}};
  const std::vector<Item> resource = {{ID_OPEN_WINDOW, L"打开(&O)"}, {ID_ABOUT, L"关于(&A)"}, {ID_EXIT, L"退出(&x)"}};
  const std::pair<const wchar_t*, const std::vector<Item>*> cases[] = {
      {L"0", &english}, {L"1", &chinese}, {L"2", &resource}};
  for (const auto& [selector, expected] : cases) {
    const PopupMenu menu = LoadTrayMenu(&Language(selector));
    ASSERT_NE(menu.popup, nullptr);
    EXPECT_EQ(ItemsOf(menu.popup), *expected) << "selector " << selector;
    EXPECT_EQ(GetMenuDefaultItem(menu.popup, TRUE, 0), 0u) << "selector " << selector;
  }
  const PopupMenu unlabelled = LoadTrayMenu(nullptr);
  EXPECT_EQ(ItemsOf(unlabelled.popup), resource);
}

TEST_F(MenusTest, TheButtonMenuTurnsItsSeparatorIntoAboutAndGrowsNoFurther) {
  const std::vector<Item> english = {
      {ID_IMPORT_PROFILE, L"Import"}, {ID_EXPORT_PROFILE, L"Export"}, {ID_ABOUT, L"About"}};
  EXPECT_EQ(ItemsOf(LoadButtonMenu(&Language(L"0")).popup), english);
  const std::vector<Item> chinese = {{ID_IMPORT_PROFILE, L"导入"}, {ID_EXPORT_PROFILE, L"导出"}, {ID_ABOUT, L"关于"}};
  EXPECT_EQ(ItemsOf(LoadButtonMenu(&Language(L"1")).popup), chinese);
  const std::vector<Item> resource = {{ID_IMPORT_PROFILE, L"还原"}, {ID_EXPORT_PROFILE, L"备份"}, {0, L""}};
  EXPECT_EQ(ItemsOf(LoadButtonMenu(&Language(L"2")).popup), resource);
}

}  // namespace
}  // namespace velkor::testing
