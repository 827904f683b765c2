#include "ui/language_table.h"

#include <gtest/gtest.h>

#include "platform/portable_ini_store.h"
#include "tests/support/temp_dir.h"

namespace velkor::testing {
namespace {

class LanguageTableTest : public ::testing::Test {
 protected:
  std::u16string WriteLanguageFile(std::u16string_view text) { return dir.WriteUtf16("language.ini", text); }
  PortableIniStore store;
  TempDir dir;
};

constexpr std::u16string_view kTwoLanguages =
    u"[LANGUAGE]\r\nlanguage=0\r\n"
    u"[ENGINSH]\r\nMAIN_CAPTION=Gaming Keyboard Settings\r\nPROFILE_1=Profile 1\r\n"
    u"MENU_11=Open\r\nMENU_22=About\r\nMENU_33=Exit\r\nMENU_1=Import\r\nENGINSH_6=English\r\n"
    u"KEYBOARD_TRAY_DESC=Keyboard\r\nEXTRA_MACRO_TOO_LONG=Too long.\\r\\n Reduce.\r\n"
    u"[CHINESE]\r\nMAIN_CAPTION=游戏键盘设置\r\nPROFILE_1=配置 1\r\nMENU_11=打开\r\nMENU_1=导入\r\n"
    u"CHINESE_5=中文\r\nKEYBOARD_TRAY_DESC=键盘\r\n";

TEST_F(LanguageTableTest, SlotsHoldTheirBuiltInTextsUntilLoaded) {
  LanguageTable table(store, dir.File("language.ini"));
  EXPECT_EQ(table.Text(LangKey::MACRO_ACTION_RECORD_DELAY), u"RecordDelay");
  EXPECT_EQ(table.Text(LangKey::MACRO_ERR_MAX), u"The maximum number of macro: %d   ");
  EXPECT_EQ(table.Text(LangKey::EXTRA_MACRO_TOO_LONG),
            u"Macro space exceeds the hardware space.\r\n Please reduce the number of macros or "
            u"macro action number，and then download.");
  EXPECT_EQ(table.Text(LangKey::PROFILE_NEW), u"\\The new contextual  mode");
  EXPECT_EQ(table.Text(LangKey::MAIN_UPDATE_BACKUP_NG), u"备份失败,请重新备份!");
  EXPECT_EQ(table.Text(LangKey::MAIN_BUTTON_TARVO_VER), u"");
  EXPECT_EQ(table.Text(LangKey::MEDIA_MAIL_18), u"Hello world");
  EXPECT_EQ(table.Text(LangKey::MAIN_NO_DEVICE_PROMPT),
            u"Device is not detected，the key settings can not be displayed! ");
  // The loading order starts and ends where the table says.
  EXPECT_EQ(LanguageKeyName(LangKey{0}), u"MACRO_ACTION_RECORD_DELAY");
  EXPECT_EQ(LanguageKeyName(LangKey{kLanguageSlotCount - 1}), u"KEY_EDITOR_NO_PROFILE");
  EXPECT_EQ(kLanguageSlotCount, 89u);
}

TEST_F(LanguageTableTest, WithoutAFileEverySlotBecomesASpace) {
  LanguageTable table(store, dir.File("language.ini"));
  table.Load();
  EXPECT_EQ(table.language(), 0);
  for (size_t i = 0; i < kLanguageSlotCount; ++i) {
    EXPECT_EQ(table.Text(LangKey{i}), u" ") << std::string(LanguageKeyName(LangKey{i}).begin(),
                                                            LanguageKeyName(LangKey{i}).end());
  }
  MainWindowLabels labels;
  EXPECT_TRUE(table.ReadMainWindowLabels(labels));
  EXPECT_EQ(labels.Caption(MainCaption::PROFILE_APPLY), u" ");
}

TEST_F(LanguageTableTest, SelectorChoosesTheSection) {
  struct Case {
    std::u16string selector_line;
    std::u16string caption;
  } cases[] = {
      {u"language=0", u"Gaming Keyboard Settings"},
      {u"language=1", u"游戏键盘设置"},
      {u"language= 01 ", u"游戏键盘设置"},
      {u"language=abc", u"Gaming Keyboard Settings"},  // no digits counts as 0
      {u"language=", u"Gaming Keyboard Settings"},
      {u"other=1", u"Gaming Keyboard Settings"},       // missing selector
  };
  for (const Case& c : cases) {
    std::u16string text(kTwoLanguages);
    text.replace(text.find(u"language=0"), 10, c.selector_line);
    LanguageTable table(store, WriteLanguageFile(text));
    table.Load();
    EXPECT_EQ(table.Text(LangKey::MAIN_CAPTION), c.caption);
    // A key the selected section lacks reads as a single space.
    EXPECT_EQ(table.Text(LangKey::MAIN_HELP_PROMPT), u" ");
  }
}

TEST_F(LanguageTableTest, AnyOtherLanguageNumberKeepsTheBuiltInTexts) {
  std::u16string text(kTwoLanguages);
  text.replace(text.find(u"language=0"), 10, u"language=2");
  LanguageTable table(store, WriteLanguageFile(text));
  table.Load();
  EXPECT_EQ(table.language(), 2);
  for (size_t i = 0; i < kLanguageSlotCount; ++i) {
    EXPECT_EQ(table.Text(LangKey{i}), LanguageBuiltIn(LangKey{i}));
  }
  MainWindowLabels labels;
  EXPECT_FALSE(table.ReadMainWindowLabels(labels));
  for (size_t i = 0; i < kMainCaptionCount; ++i) EXPECT_EQ(labels.captions[i], u"hello");
  EXPECT_EQ(labels.close_tip, u"Close");
  CompositeTexts composite;
  EXPECT_FALSE(table.ReadCompositeTexts(composite));
  EXPECT_EQ(composite.Text(CompositeText::COMPOSITE_PROMPT_CLEAR),
            u"Restore the default functiong of buttons");
  EXPECT_EQ(composite.Text(CompositeText::FUNCTION_TISHI), u"hello");
  EXPECT_FALSE(table.ReadTrayMenu().has_value());
  EXPECT_FALSE(table.ReadButtonMenu().has_value());
  EXPECT_FALSE(table.ReadAboutBox().has_value());
}

TEST_F(LanguageTableTest, LowerCaseSectionNameIsFound) {
  LanguageTable table(store, WriteLanguageFile(u"[language]\r\nLANGUAGE=1\r\n[chinese]\r\nMAIN_CAPTION=游戏键盘设置\r\n"));
  table.Load();
  EXPECT_EQ(table.Text(LangKey::MAIN_CAPTION), u"游戏键盘设置");
}

TEST_F(LanguageTableTest, SwitchWritesTheSelectorAndReloads) {
  LanguageTable table(store, WriteLanguageFile(kTwoLanguages));
  table.Load();
  ASSERT_EQ(table.Text(LangKey::KEYBOARD_TRAY_DESC), u"Keyboard");
  ASSERT_TRUE(table.SwitchLanguage(1));
  EXPECT_EQ(table.language(), 1);
  EXPECT_EQ(store.ReadString(table.path(), u"LANGUAGE", u"language", u" "), u"1");
  EXPECT_EQ(table.Text(LangKey::KEYBOARD_TRAY_DESC), u"键盘");
  MainWindowLabels labels;
  ASSERT_TRUE(table.ReadMainWindowLabels(labels));
  EXPECT_EQ(labels.Caption(MainCaption::PROFILE_1), u"配置 1");
  // Only 0 and 1 are languages.
  EXPECT_FALSE(table.SwitchLanguage(2));
  EXPECT_FALSE(table.SwitchLanguage(-1));
  EXPECT_EQ(store.ReadString(table.path(), u"LANGUAGE", u"language", u" "), u"1");
  ASSERT_TRUE(table.SwitchLanguage(0));
  EXPECT_EQ(table.Text(LangKey::MAIN_CAPTION), u"Gaming Keyboard Settings");
}

TEST_F(LanguageTableTest, WindowReadersFollowTheFileAsItStandsNow) {
  const auto path = WriteLanguageFile(kTwoLanguages);
  LanguageTable table(store, path);
  table.Load();
  auto tray = table.ReadTrayMenu();
  ASSERT_TRUE(tray);
  EXPECT_EQ(tray->open_item, u"Open");
  EXPECT_EQ(tray->exit_item, u"Exit");
  auto menu = table.ReadButtonMenu();
  ASSERT_TRUE(menu);
  EXPECT_EQ(menu->import_item, u"Import");
  EXPECT_EQ(menu->chinese_item, u"中文");   // always from "CHINESE"
  EXPECT_EQ(menu->english_item, u"English");

  // Another program switches the file to Chinese: the table keeps its texts
  // until it is loaded again, the menus follow at once.
  store.WriteString(path, u"LANGUAGE", u"language", u"1");
  EXPECT_EQ(table.Text(LangKey::MAIN_CAPTION), u"Gaming Keyboard Settings");
  EXPECT_EQ(table.ReadTrayMenu()->open_item, u"打开");
  menu = table.ReadButtonMenu();
  EXPECT_EQ(menu->import_item, u"导入");
  EXPECT_EQ(menu->english_item, u"English");
  EXPECT_EQ(table.ReadAboutBox()->title, u" ");
  // So does any single key a window reads.
  EXPECT_EQ(table.ReadKey(u"PROFILE_1"), u"配置 1");
  EXPECT_EQ(table.ReadKey(u"MENU_22"), u" ");
  store.WriteString(path, u"LANGUAGE", u"language", u"2");
  EXPECT_EQ(table.ReadKey(u"PROFILE_1"), std::nullopt);
  // With no language the windows fall back to the built-in texts.
  EXPECT_EQ(table.TextOf(u"MAIN_HELP_PROMPT"), u"Help");
  EXPECT_EQ(table.TextOf(u"PROFILE_1"), u"hello");
  EXPECT_EQ(table.TextOf(u"COMPOSITE_PROMPT_OSK"), u"Open the on-screen keyboard");
  EXPECT_EQ(table.TextOf(u"NO_SUCH_KEY"), u"");
}

TEST_F(LanguageTableTest, LineBreaksWrittenAsEscapesBecomeLineBreaks) {
  LanguageTable table(store, WriteLanguageFile(kTwoLanguages));
  table.Load();
  EXPECT_EQ(table.Text(LangKey::EXTRA_MACRO_TOO_LONG), u"Too long.\r\n Reduce.");
  EXPECT_EQ(ExpandLineBreaks(u"\\The new\\n\\x\\"), u"\\The new\n\\x\\");
}

}  // namespace
}  // namespace velkor::testing
