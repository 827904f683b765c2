// Profile files, byte for byte, and what the import check lets through.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "model/profile_image.h"
#include "tests/support/device_harness.h"
#include "tests/support/temp_dir.h"

namespace velkor::testing {
namespace {

using Bytes = std::vector<uint8_t>;

void FixChecksum(Bytes& b) { b[31] = HeaderChecksum(b.data()); }

TEST(ProfileFile, TheDefaultImageIsAnEmptyFileOf32832Bytes) {
  ProfileImage image = ProfileImage::Default();
  const Bytes file = SerialiseImage(image);
  ASSERT_EQ(file.size(), 32832u);
  // 46+44+20+03+01+40+80+08 = 0x176: the checksum is 0x76.
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 32),
            Hex("46 44 20 00 03 00 01 00 40 80 00 00 00 08 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                "00 00 00 76"));
  EXPECT_EQ(Bytes(file.begin() + 32, file.begin() + 64),
            Hex("4B 48 20 00 20 80 00 00 04 00 00 02 00 00 00 00 45 0C 41 67 4F 1C 0E 00", 32));
  // Bank 0's G slots carry their identity codes: entry 256 at 64 + 256 x 16.
  EXPECT_EQ(Bytes(file.begin() + 4160, file.begin() + 4176), Hex("00 00 01 03", 16));
  EXPECT_EQ(Bytes(file.begin() + 4160 + 9 * 16, file.begin() + 4164 + 9 * 16), Hex("00 00 01 13"));
  EXPECT_EQ(file[64 + 16 * (512 + 256) + 2], 0);  // not bank 1's
  EXPECT_EQ(CheckFileBytes(file).result, 1);
}

TEST(ProfileFile, TheCheckRejectsWhatIsNotAWholeFile) {
  ProfileImage image = ProfileImage::Default();
  const Bytes good = SerialiseImage(image);

  Bytes short_one(good.begin(), good.end() - 1);
  EXPECT_EQ(CheckFileBytes(short_one).result, 0);
  EXPECT_FALSE(CheckFileBytes(short_one).wrong_format);  // only the import message

  Bytes off_by_one = good;
  off_by_one[8] = 0x41;
  FixChecksum(off_by_one);
  EXPECT_EQ(CheckFileBytes(off_by_one).result, 0);
  EXPECT_TRUE(CheckFileBytes(off_by_one).wrong_format);

  Bytes too_many = good;  // 101 macros, with the total to match
  too_many[14] = 101;
  const uint32_t total = 32832 + 101 * 16512;
  for (int i = 0; i < 4; ++i) too_many[8 + i] = static_cast<uint8_t>(total >> (8 * i));
  FixChecksum(too_many);
  too_many.resize(total, 0);
  EXPECT_TRUE(CheckFileBytes(too_many).wrong_format);

  Bytes flag = good;
  flag[30] = 2;
  FixChecksum(flag);
  EXPECT_TRUE(CheckFileBytes(flag).wrong_format);
  flag[30] = 1;
  FixChecksum(flag);
  EXPECT_EQ(CheckFileBytes(flag).result, 1);

  Bytes checksum = good;
  checksum[31] ^= 1;
  EXPECT_TRUE(CheckFileBytes(checksum).wrong_format);

  Bytes magic = good;
  magic[0] = 0x47;
  FixChecksum(magic);
  EXPECT_TRUE(CheckFileBytes(magic).wrong_format);

  // A header that claims more bytes than the file has: rejected as a wrong format.
  Bytes claims_more = good;
  claims_more[14] = 1;
  const uint32_t claimed = 32832 + 16512;
  for (int i = 0; i < 4; ++i) claims_more[8 + i] = static_cast<uint8_t>(claimed >> (8 * i));
  FixChecksum(claims_more);
  EXPECT_TRUE(CheckFileBytes(claims_more).wrong_format);
  ProfileImage loaded;
  EXPECT_FALSE(LoadImageBytes(claims_more, loaded));
}

ProfileImage Rich() {
  ProfileImage image = ProfileImage::Default();
  image.Entry(0, 0x1E) = {3, 0, 0, 0x11223344, 0};
  image.texts[0x1E] = u"C:\\Games\\play.exe";
  image.Entry(2, 0x30) = {6, 0, 0, 0, 0};
  image.texts[2 * 512 + 0x30] = u"Hello, 世界";
  image.Entry(1, 0x02) = {2, 0, 0x030, 0, 0};
  image.texts[512 + 0x02] = u"not packed: a single key has no text";
  for (int i = 0; i < kMaxMacros; ++i) {
    MacroRecord& m = image.macros.emplace_back();
    std::u16string name = u"M";
    name += static_cast<char16_t>(u'0' + i % 10);
    m.SetName(name);
    m.id = static_cast<uint16_t>(i + 1);
    m.cycles = static_cast<uint8_t>(i + 1);
    m.action_count = 2;
    m.actions[0] = {static_cast<uint32_t>(i * 10), 0x01E, 0};
    m.actions[1] = {0, 0x01E, 1};
  }
  return image;
}

TEST(ProfileFile, AnImageWithTextsAndAHundredMacrosComesBackWhole) {
  TempDir dir;
  ProfileImage image = Rich();
  const std::u16string path = dir.File("p.kpx");
  ASSERT_TRUE(WriteImageFile(image, path));
  const FileCheck check = CheckFile(path);
  EXPECT_EQ(check.result, 1);

  // The launch path at pool offset 0, the text block after it (17 + 1 characters).
  EXPECT_EQ(image.Entry(0, 0x1E).parameter, 0u);
  EXPECT_EQ(image.Entry(2, 0x30).parameter, 36u);
  const std::string raw = dir.ReadBytes("p.kpx");
  const Bytes file(raw.begin(), raw.end());
  const size_t pool = 32832 + 100 * 16512;
  // The pool is sized by every text, the one on a single key too; it is not packed.
  EXPECT_EQ(file.size(), pool + 36 + 20 + 74);
  EXPECT_EQ(Bytes(file.begin() + pool, file.begin() + pool + 6), Hex("43 00 3A 00 5C 00"));

  ProfileImage back;
  ASSERT_TRUE(LoadFile(path, back));
  EXPECT_EQ(back.entries, image.entries);
  EXPECT_EQ(back.texts[0x1E], std::u16string(u"C:\\Games\\play.exe"));
  EXPECT_EQ(back.texts[2 * 512 + 0x30], std::u16string(u"Hello, 世界"));
  EXPECT_FALSE(back.texts[512 + 0x02].has_value());
  ASSERT_EQ(back.macros.size(), 100u);
  EXPECT_EQ(back.macros[99].Name(), u"M9");
  EXPECT_EQ(back.macros[99].cycles, 100);
  EXPECT_EQ(back.macros[42].actions[0].delay_ms, 420u);
  EXPECT_EQ(std::memcmp(&back.macros[7], &image.macros[7], sizeof(MacroRecord)), 0);
}

TEST(ProfileFile, TextsOutsideThePoolAreNoTexts) {
  ProfileImage image = ProfileImage::Default();
  image.Entry(0, 1) = {6, 0, 0, 0, 0};
  image.texts[1] = u"ab";
  Bytes file = SerialiseImage(image);
  // Point the entry past the pool, then at an odd offset.
  file[64 + 16 + 4] = 0x10;
  ProfileImage loaded;
  ASSERT_TRUE(LoadImageBytes(file, loaded));
  EXPECT_FALSE(loaded.texts[1].has_value());
  file[64 + 16 + 4] = 0x01;  // the lowest bit is cleared: offset 0
  ASSERT_TRUE(LoadImageBytes(file, loaded));
  EXPECT_EQ(loaded.texts[1], std::u16string(u"ab"));
  // A text with no terminator inside the pool.
  file[file.size() - 2] = 'x';
  ASSERT_TRUE(LoadImageBytes(file, loaded));
  EXPECT_FALSE(loaded.texts[1].has_value());
}

// Entries pointing at one text of the pool: as many all get it as every
// entry holding a full text slot (260 characters with the terminator) takes.
Bytes FileWithEveryEntrySharing(size_t characters) {
  ProfileImage image = ProfileImage::Default();
  for (int e = 0; e < kImageEntries; ++e) image.entries[static_cast<size_t>(e)] = {6, 0, 0, 0, 0};
  image.texts[0] = std::u16string(characters, u'x');
  Bytes file = SerialiseImage(image);
  for (int e = 0; e < kImageEntries; ++e) {
    for (int i = 0; i < 4; ++i) file[64 + 16 * static_cast<size_t>(e) + 4 + static_cast<size_t>(i)] = 0;
  }
  return file;
}

TEST(ProfileFile, SharedTextsAllLoadAndSurviveTheNextSave) {
  ProfileImage image = ProfileImage::Default();
  image.Entry(0, 1) = {6, 0, 0, 0, 0};
  image.Entry(2, 7) = {3, 0, 0, 0, 0};
  image.texts[1] = u"shared";
  Bytes file = SerialiseImage(image);
  ASSERT_EQ(file.size(), 32832u + 14);  // one text in the pool
  // The launch entry points at the text block's text.
  for (size_t i = 0; i < 4; ++i) file[64 + 16 * (1024 + 7) + 4 + i] = 0;
  ProfileImage loaded;
  ASSERT_TRUE(LoadImageBytes(file, loaded));
  EXPECT_EQ(loaded.texts[1], std::u16string(u"shared"));
  EXPECT_EQ(loaded.texts[1024 + 7], std::u16string(u"shared"));
  // Saved again, each entry has its own copy in the pool.
  const Bytes again = SerialiseImage(loaded);
  ASSERT_EQ(again.size(), 32832u + 28);
  EXPECT_EQ(Bytes(again.begin() + 64 + 16 * (1024 + 7) + 4, again.begin() + 64 + 16 * (1024 + 7) + 8),
            Hex("0E 00 00 00"));

  // Every entry sharing a text of 259 characters: all 2048 load.
  ASSERT_TRUE(LoadImageBytes(FileWithEveryEntrySharing(259), loaded));
  EXPECT_EQ(loaded.texts[2047], std::u16string(259, u'x'));
  EXPECT_EQ(loaded.TextTotal(), 2048u * 520);
}

TEST(ProfileFile, EntriesSharingOneTextCanNotBlowTheImageUp) {
  // 2048 text blocks all pointing at one 4000-character text: 16 MB if all
  // were copied; the program holds at most about one megabyte of them.
  const Bytes file = FileWithEveryEntrySharing(4000);
  ASSERT_EQ(CheckFileBytes(file).result, 1);
  ProfileImage loaded;
  ASSERT_TRUE(LoadImageBytes(file, loaded));
  EXPECT_EQ(loaded.texts[0], std::u16string(4000, u'x'));
  EXPECT_EQ(loaded.TextTotal(), 133u * 8002);  // 2048 x 520 bytes hold 133 of them
  EXPECT_TRUE(loaded.texts[132].has_value());
  EXPECT_FALSE(loaded.texts[133].has_value());
}

TEST(ProfileFile, AnEntryWithoutItsTextPointsPastThePool) {
  ProfileImage image = ProfileImage::Default();
  image.Entry(0, 1) = {6, 0, 0, 0, 0};
  image.texts[1] = u"ab";
  image.Entry(0, 2) = {3, 0, 0, 0, 0};  // a launch entry whose text was lost
  const Bytes file = SerialiseImage(image);
  EXPECT_EQ(Bytes(file.begin() + 64 + 32 + 4, file.begin() + 64 + 32 + 8), Hex("FF FF FF FF"));
  ProfileImage loaded;
  ASSERT_TRUE(LoadImageBytes(file, loaded));
  EXPECT_FALSE(loaded.texts[2].has_value());
  EXPECT_EQ(loaded.texts[1], std::u16string(u"ab"));
}

TEST(ProfileFile, AFailedWriteLeavesTheOldFile) {
  TempDir dir;
  ProfileImage image = ProfileImage::Default();
  const std::u16string path = dir.File("p.kpx");
  ASSERT_TRUE(WriteImageFile(image, path));
  // The folder can't take the temporary file: a directory stands in its way
  // only under its own name, so make the target itself a directory's child.
  const std::u16string inside = (dir.path() / "p.kpx" / "x.kpx").u16string();
  EXPECT_FALSE(WriteImageFile(image, inside));
  EXPECT_EQ(CheckFile(path).result, 1);
  EXPECT_EQ(std::filesystem::directory_iterator(dir.path())->path().filename(), "p.kpx");
}

TEST(ProfileFile, MissingAndUnreadableFiles) {
  TempDir dir;
  EXPECT_EQ(CheckFile(dir.File("none.kpx")).result, 0);
  dir.WriteBytes("short.kpx", "FD");
  EXPECT_EQ(CheckFile(dir.File("short.kpx")).result, 0);
  EXPECT_FALSE(CheckFile(dir.File("short.kpx")).wrong_format);
  ProfileImage image = ProfileImage::Default();
  EXPECT_FALSE(WriteImageFile(image, (dir.path() / "no-folder" / "p.kpx").u16string()));
}

}  // namespace
}  // namespace velkor::testing
