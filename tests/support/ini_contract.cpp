#include "tests/support/ini_contract.h"

#include "tests/support/temp_dir.h"

namespace velkor::testing {
namespace {

TEST_P(IniContract, SectionsAndKeysMatchWithoutRegardToCase) {
  TempDir dir;
  const auto path = dir.WriteBytes("a.ini", "[Language]\r\nLanguage=1\r\n[ENGINSH]\r\nMain_Caption=Hi\r\n");
  EXPECT_EQ(store->ReadString(path, u"LANGUAGE", u"language", u" "), u"1");
  EXPECT_EQ(store->ReadString(path, u"language", u"LANGUAGE", u" "), u"1");
  EXPECT_EQ(store->ReadString(path, u"enginsh", u"MAIN_CAPTION", u" "), u"Hi");
}

TEST_P(IniContract, MissingFileSectionOrKeyGivesTheDefault) {
  TempDir dir;
  const auto path = dir.WriteBytes("a.ini", "[S]\r\nk=v\r\nempty=\r\n");
  EXPECT_EQ(store->ReadString(dir.File("none.ini"), u"S", u"k", u"dflt"), u"dflt");
  EXPECT_EQ(store->ReadString(path, u"T", u"k", u"dflt"), u"dflt");
  EXPECT_EQ(store->ReadString(path, u"S", u"other", u"dflt"), u"dflt");
  // A single space stays a single space; other trailing blanks go.
  EXPECT_EQ(store->ReadString(path, u"S", u"other", u" "), u" ");
  EXPECT_EQ(store->ReadString(path, u"S", u"other", u"ab  "), u"ab");
  // A key with nothing after "=" is there: it gives an empty text.
  EXPECT_EQ(store->ReadString(path, u"S", u"empty", u" "), u"");
}

TEST_P(IniContract, ValuesLoseSurroundingBlanksUnlessQuoted) {
  TempDir dir;
  const auto path = dir.WriteBytes(
      "a.ini", "[S]\r\n  plain  =  a b  \r\ndq=\"kept   \"\r\nsq=' both '\r\nodd=\"half\r\n");
  EXPECT_EQ(store->ReadString(path, u"S", u"plain", u" "), u"a b");
  EXPECT_EQ(store->ReadString(path, u"S", u"dq", u" "), u"kept   ");
  EXPECT_EQ(store->ReadString(path, u"S", u"sq", u" "), u" both ");
  EXPECT_EQ(store->ReadString(path, u"S", u"odd", u" "), u"\"half");
}

TEST_P(IniContract, ValuesAreCutToTheBuffer) {
  TempDir dir;
  const std::string long_value(400, 'x');
  const auto path = dir.WriteBytes("a.ini", "[S]\r\nk=" + long_value + "\r\n");
  EXPECT_EQ(store->ReadString(path, u"S", u"k", u" "), std::u16string(259, u'x'));
  EXPECT_EQ(store->ReadString(path, u"S", u"k", u" ", 10), std::u16string(9, u'x'));
}

TEST_P(IniContract, Utf16FileWithByteOrderMarkKeepsChineseText) {
  TempDir dir;
  const auto path = dir.WriteUtf16(
      "lang.ini", u"[LANGUAGE]\r\nlanguage=1\r\n[CHINESE]\r\nMAIN_CAPTION=游戏键盘设置\r\n"
                  u"MAIN_BOOT_ERROR_TEXT=\"无法进入Boot模式! \"\r\n");
  EXPECT_EQ(store->ReadString(path, u"chinese", u"main_caption", u" "), u"游戏键盘设置");
  EXPECT_EQ(store->ReadString(path, u"CHINESE", u"MAIN_BOOT_ERROR_TEXT", u" "), u"无法进入Boot模式! ");
}

TEST_P(IniContract, WriteThenReadBack) {
  TempDir dir;
  const auto fresh = dir.File("new.ini");
  ASSERT_TRUE(store->WriteString(fresh, u"PROFILES", u"Flip", u"1"));
  ASSERT_TRUE(store->WriteString(fresh, u"PROFILES", u"Other", u"two"));
  EXPECT_EQ(store->ReadString(fresh, u"profiles", u"flip", u" "), u"1");
  EXPECT_EQ(store->ReadString(fresh, u"PROFILES", u"Other", u" "), u"two");

  // Writing to "language" changes the "LANGUAGE" section's key in place.
  const auto path = dir.WriteUtf16(
      "lang.ini", u"[LANGUAGE]\r\nlanguage=0\r\n[CHINESE]\r\nMAIN_CAPTION=游戏键盘设置\r\n");
  ASSERT_TRUE(store->WriteString(path, u"language", u"language", u"1"));
  EXPECT_EQ(store->ReadString(path, u"LANGUAGE", u"language", u" "), u"1");
  ASSERT_TRUE(store->WriteString(path, u"CHINESE", u"MAIN_HELP_PROMPT", u"帮助"));
  EXPECT_EQ(store->ReadString(path, u"CHINESE", u"MAIN_HELP_PROMPT", u" "), u"帮助");
  EXPECT_EQ(store->ReadString(path, u"CHINESE", u"MAIN_CAPTION", u" "), u"游戏键盘设置");

  // The file stays UTF-16LE with its mark, and the section was not doubled.
  const std::string bytes = dir.ReadBytes("lang.ini");
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  size_t sections = 0;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    if (bytes[i] == '[' && bytes[i + 1] == 0) ++sections;
  }
  EXPECT_EQ(sections, 2u);
}

TEST_P(IniContract, AQuotedValueKeepsItsBlanksThroughAWrite) {
  TempDir dir;
  const auto path = dir.File("q.ini");
  ASSERT_TRUE(store->WriteString(path, u"MODENAME", u"3", u"\"  two blanks first \""));
  ASSERT_TRUE(store->WriteString(path, u"MODENAME", u"4", u"\"\"quoted\"\""));
  EXPECT_EQ(store->ReadString(path, u"MODENAME", u"3", u" "), u"  two blanks first ");
  EXPECT_EQ(store->ReadString(path, u"MODENAME", u"4", u" "), u"\"quoted\"");
}

TEST_P(IniContract, WriteIntoAMissingFolderFails) {
  TempDir dir;
  const auto path = (dir.path() / "no-such-folder" / "a.ini").u16string();
  EXPECT_FALSE(store->WriteString(path, u"S", u"k", u"v"));
  EXPECT_EQ(store->ReadString(path, u"S", u"k", u"d"), u"d");
}

}  // namespace
}  // namespace velkor::testing
