// The language file that ships with the program: complete in both languages,
// no placeholder reaching a user, and the program's own texts kept exactly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "model/key_summary.h"
#include "platform/portable_ini_store.h"
#include "platform/text.h"
#include "tests/support/temp_dir.h"
#include "ui/language_table.h"

#ifndef VELKOR_TEST_SKINS_DIR
#error "VELKOR_TEST_SKINS_DIR names the built Skins folder"
#endif

namespace velkor::testing {
namespace {

std::u16string ShippedPath() { return Utf8ToUtf16(VELKOR_TEST_SKINS_DIR "/language.ini"); }

std::vector<std::u16string> EveryKeyTheProgramReads() {
  std::vector<std::u16string> keys;
  for (size_t i = 0; i < kLanguageSlotCount; ++i) keys.emplace_back(LanguageKeyName(LangKey{i}));
  for (size_t i = 0; i < kMainCaptionCount; ++i) keys.emplace_back(MainCaptionKeyName(MainCaption{i}));
  for (size_t i = 0; i < kCompositeTextCount; ++i) keys.emplace_back(CompositeKeyName(CompositeText{i}));
  for (const char16_t* k : {u"GUANYU_TITLE", u"GUANYU_JIESHAO", u"GUANYU_BANQUAN", u"GUANYU_OK",
                            u"MENU_1", u"MENU_2", u"MENU_3", u"MENU_4", u"CHINESE_5", u"ENGINSH_6",
                            u"MENU_11", u"MENU_22", u"MENU_33"}) {
    keys.emplace_back(k);
  }
  return keys;
}

std::string Narrow(std::u16string_view s) { return Utf16ToUtf8(s); }

TEST(ShippedLanguageFile, IsUtf16WithAMarkAndSelectsEnglish) {
  std::ifstream in(VELKOR_TEST_SKINS_DIR "/language.ini", std::ios::binary);
  ASSERT_TRUE(in) << "missing " << VELKOR_TEST_SKINS_DIR "/language.ini";
  char mark[2] = {};
  in.read(mark, 2);
  EXPECT_EQ(static_cast<unsigned char>(mark[0]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(mark[1]), 0xFE);
  PortableIniStore store;
  EXPECT_EQ(store.ReadString(ShippedPath(), u"LANGUAGE", u"language", u" "), u"0");
}

TEST(ShippedLanguageFile, BothSectionsCarryEveryKeyWithARealText) {
  PortableIniStore store;
  const std::set<std::u16string> placeholders = {u"hello", u"hello world", u"Hello world", u"", u" "};
  for (std::u16string_view section : {kEnglishSection, kChineseSection}) {
    for (const std::u16string& key : EveryKeyTheProgramReads()) {
      const std::u16string value = store.ReadString(ShippedPath(), section, key, u"\x01missing");
      EXPECT_NE(value, u"\x01missing") << Narrow(section) << " lacks " << Narrow(key);
      EXPECT_EQ(placeholders.count(value), 0u) << Narrow(section) << " " << Narrow(key);
    }
  }
}

TEST(ShippedLanguageFile, KeepsTheProgramsOwnTextsExactly) {
  PortableIniStore store;
  LanguageTable table(store, ShippedPath());
  table.Load();
  const std::set<std::u16string> english_in_file_differs = {
      // Built in only in Chinese; the English section says them in English.
      u"MAIN_UPDATE_ERROR_TEXT", u"MAIN_BOOT_ERROR_TEXT", u"MAIN_SHELL_ERROR_TEXT",
      u"MAIN_UPDATE_BACKUP_OK", u"MAIN_UPDATE_BACKUP_NG",
      // Empty when built in; the file gives the version.
      u"MAIN_BUTTON_TARVO_VER"};
  for (size_t i = 0; i < kLanguageSlotCount; ++i) {
    const LangKey key{i};
    const std::u16string_view built_in = LanguageBuiltIn(key);
    if (built_in == u"hello world" || built_in == u"Hello world") continue;
    if (english_in_file_differs.count(std::u16string(LanguageKeyName(key)))) continue;
    EXPECT_EQ(table.Text(key), built_in) << Narrow(LanguageKeyName(key));
  }
}

TEST(ShippedLanguageFile, ChineseSectionKeepsTheUpdateTexts) {
  PortableIniStore store;
  for (LangKey key : {LangKey::MAIN_UPDATE_ERROR_TEXT, LangKey::MAIN_BOOT_ERROR_TEXT,
                      LangKey::MAIN_SHELL_ERROR_TEXT, LangKey::MAIN_UPDATE_BACKUP_OK,
                      LangKey::MAIN_UPDATE_BACKUP_NG}) {
    EXPECT_EQ(store.ReadString(ShippedPath(), kChineseSection, LanguageKeyName(key), u" "),
              LanguageBuiltIn(key));
  }
}

// What a key button's tip says of each kind of assignment, in both languages.
TEST(ShippedLanguageFile, KeyTipsNameTheAssignmentInBothLanguages) {
  // A copy: switching the language writes the file's selector.
  TempDir dir;
  std::filesystem::copy_file(VELKOR_TEST_SKINS_DIR "/language.ini", dir.path() / "language.ini");
  PortableIniStore store;
  LanguageTable table(store, dir.File("language.ini"));
  table.Load();
  const auto macro = [](uint32_t id) { return id == 7 ? std::u16string(u"Combo") : std::u16string(); };
  struct Case {
    std::u16string_view head;
    KeyAssignment entry;
    std::u16string_view english, chinese;
  };
  const Case cases[] = {
      {u"A", {0, 0, 0, 0, 0}, u"A", u"A"},
      {u"A", {1, 0, 0, 0, 0}, u"AKeys, Set: ", u"A按键设置： "},
      {u"A", {2, 0, 0x030, 0, 0}, u"AKeys, Set: Key(B)", u"A按键设置： 按键(B)"},
      {u"G3", {4, 0, 7, 0, 0}, u"G3Keys, Set: Macro(Combo)", u"G3按键设置： 宏(Combo)"},
      {u"A", {7, 0, 1, 0, 0}, u"AKeys, Set: Media(Play/Pause)", u"A按键设置： 多媒体(播放/暂停)"},
      {u"A", {8, 0, 4, 0, 0}, u"AKeys, Set: Function(Copy)", u"A按键设置： 功能(复制)"},
  };
  for (int language : {0, 1}) {
    ASSERT_TRUE(table.SwitchLanguage(language));
    for (const Case& c : cases) {
      const KeySummary tip = SummaryText(c.head, c.entry, &table, macro);
      EXPECT_EQ(tip.text, language == 0 ? c.english : c.chinese) << int(c.entry.kind) << " " << language;
      EXPECT_EQ(tip.assigned, c.entry.kind != 0);
    }
  }
}

}  // namespace
}  // namespace velkor::testing
