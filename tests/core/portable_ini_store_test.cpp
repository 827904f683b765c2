#include "platform/portable_ini_store.h"

#include <gtest/gtest.h>

#include "tests/support/ini_contract.h"
#include "tests/support/temp_dir.h"

namespace velkor::testing {
namespace {

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

}  // namespace
}  // namespace velkor::testing
