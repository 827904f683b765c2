#include "platform/portable_ini_store.h"

#include <gtest/gtest.h>

#include "tests/support/ini_contract.h"
#include "tests/support/temp_dir.h"

namespace velkor::testing {
namespace {

// text as UTF-16LE bytes with a mark.
std::string Utf16Le(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(Portable, IniContract,
                         ::testing::Values(IniStoreMaker{
                             "Portable", [] { return std::make_unique<PortableIniStore>(); }}),
                         IniStoreName);

TEST(IniDocument, WriteKeepsOtherLinesAsTheyWere) {
  auto doc = IniDocument::Parse("; comment\n[A]\nx = 1\n\n[B]\ny=2\n");
  doc.Set(u"a", u"X", u"5");
  doc.Set(u"A", u"z", u"6");
  doc.Set(u"C", u"w", u"7");
  EXPECT_EQ(doc.Serialise(), "; comment\n[A]\nx=5\nz=6\n\n[B]\ny=2\n\n[C]\nw=7\n");
}

TEST(IniDocument, EncodingsAreDetectedAndKept) {
  const std::string be = std::string("\xFE\xFF\0[\0S\0]\0\n\0k\0=" "\x4E\x2D", 16);
  auto doc = IniDocument::Parse(be);
  EXPECT_EQ(doc.encoding(), IniDocument::Encoding::kUtf16Be);
  EXPECT_EQ(doc.Find(u"s", u"K"), std::u16string(u"中"));
  auto bom8 = IniDocument::Parse("\xEF\xBB\xBF[S]\r\nk=\xE4\xB8\xAD\r\n");
  EXPECT_EQ(bom8.encoding(), IniDocument::Encoding::kUtf8Bom);
  EXPECT_EQ(bom8.Find(u"S", u"k"), std::u16string(u"中"));
  EXPECT_EQ(bom8.Serialise(), "\xEF\xBB\xBF[S]\r\nk=\xE4\xB8\xAD\r\n");
}

TEST(IniDocument, LineEndingsStayAsTheyWere) {
  // Mixed endings, a lone "\r", and a last line without one.
  auto doc = IniDocument::Parse("[A]\r\nx=1\nlone\r\r\ny=2");
  doc.Set(u"A", u"x", u"5");
  doc.Set(u"A", u"y", u"6");
  EXPECT_EQ(doc.Serialise(), "[A]\r\nx=5\nlone\r\r\ny=6");
  // A key added after it starts a line of its own; new lines take the first line's ending.
  doc.Set(u"A", u"z", u"7");
  EXPECT_EQ(doc.Serialise(), "[A]\r\nx=5\nlone\r\r\ny=6\r\nz=7\r\n");

  auto lf = IniDocument::Parse("[A]\nx=1");
  lf.Set(u"B", u"k", u"v");
  EXPECT_EQ(lf.Serialise(), "[A]\nx=1\n\n[B]\nk=v\n");
  auto bare = IniDocument::Parse("[A]");  // no ending anywhere: CRLF
  bare.Set(u"A", u"k", u"v");
  EXPECT_EQ(bare.Serialise(), "[A]\r\nk=v\r\n");

  auto wide = IniDocument::Parse(Utf16Le(u"[S]\nk=1\r\nlast=x"));
  wide.Set(u"S", u"k", u"中");
  wide.Set(u"S", u"new", u"2");
  EXPECT_EQ(wide.Serialise(), Utf16Le(u"[S]\nk=中\r\nlast=x\nnew=2\n"));
}

TEST(IniDocument, ReadAndWrittenUnchangedKeepsEveryByte) {
  const std::string gbk = "\xD6\xD0\xCE\xC4";  // 中文 in the Chinese ANSI code page
  for (const std::string& bytes : {"; " + gbk + "\r\n[" + gbk + "]\n" + gbk + "=" + gbk + "\r\r\n\n" + gbk,
                                   "\xEF\xBB\xBF[S]\nk=" + gbk + "\xE4\xB8\r\n", std::string("\xEF\xBB\xBF"),
                                   std::string(), std::string("\n\r\r\n"), std::string("\xFF"),
                                   Utf16Le(u"[S]\r\nk=\xDC00\r\rend")}) {
    EXPECT_EQ(IniDocument::Parse(bytes).Serialise(), bytes);
  }
}

TEST(IniDocument, JunkNeverBreaksReading) {
  // Lines without "=", unclosed sections, stray bytes and odd line ends.
  const std::string junk = "garbage\r[unclosed\n=novalue\n[S]\nflag\n\xFF\xFE\xFD=1\r\nk=v\n[]\n";
  auto doc = IniDocument::Parse(junk);
  EXPECT_EQ(doc.Find(u"S", u"k"), std::u16string(u"v"));
  EXPECT_FALSE(doc.Find(u"S", u"flag").has_value());
  EXPECT_FALSE(doc.Find(u"unclosed", u"k").has_value());
  std::string odd(1, '\xFF');  // a lone byte that is half a mark
  EXPECT_FALSE(IniDocument::Parse(odd).Find(u"S", u"k").has_value());
  EXPECT_FALSE(IniDocument::Parse(std::string("\xFF\xFE[", 3)).Find(u"S", u"k").has_value());
}

TEST(PortableIniStore, SeesAFileChangedBehindItsBack) {
  TempDir dir;
  PortableIniStore store;
  const auto path = dir.WriteBytes("a.ini", "[S]\nk=old\n");
  EXPECT_EQ(store.ReadString(path, u"S", u"k", u" "), u"old");
  dir.WriteBytes("a.ini", "[S]\nk=newer value\n");
  EXPECT_EQ(store.ReadString(path, u"S", u"k", u" "), u"newer value");
}

TEST(PortableIniStore, WriteLeavesLegacyBytesOfOtherLinesAsTheyWere) {
  TempDir dir;
  PortableIniStore store;
  const std::string gbk = "\xD6\xD0\xCE\xC4";  // 中文 in the Chinese ANSI code page
  const auto path = dir.WriteBytes("gbk.ini", "[S]\r\nname=" + gbk + "\r\nk=1\r\n[" + gbk + "]\nx=" + gbk);
  ASSERT_TRUE(store.WriteString(path, u"S", u"k", u"2"));
  EXPECT_EQ(dir.ReadBytes("gbk.ini"), "[S]\r\nname=" + gbk + "\r\nk=2\r\n[" + gbk + "]\nx=" + gbk);
  // A new line is UTF-8 among the old bytes.
  ASSERT_TRUE(store.WriteString(path, u"S", u"title", u"中"));
  EXPECT_EQ(dir.ReadBytes("gbk.ini"),
            "[S]\r\nname=" + gbk + "\r\nk=2\r\ntitle=\xE4\xB8\xAD\r\n[" + gbk + "]\nx=" + gbk);
  EXPECT_EQ(store.ReadString(path, u"S", u"title", u" "), u"中");
}

}  // namespace
}  // namespace velkor::testing
