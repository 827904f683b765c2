// The atomic file writer: exact bytes through a temporary file, and the
// temporary files of writes that never finished cleared away on the next
// write of the same file, without touching anything else.
#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_dir.h"

namespace velkor::testing {
namespace {

namespace fs = std::filesystem;

std::set<std::string> NamesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

bool Write(const std::u16string& path, const std::string& bytes) {
  return WriteFileAtomically(path, bytes.data(), bytes.size());
}

TEST(AtomicFileTest, OnlyTheWritersOwnPatternIsALeftover) {
  for (const char* name : {"X.1-2.tmp", "X.0-0.tmp", "X.2147483647-123456789.tmp", "X.007-10.tmp"})
    EXPECT_TRUE(IsTemporaryFileNameOf("X", name)) << name;
  for (const char* name : {"X", "X.tmp", "X.1-2.tmp.bak", "Y.1-2.tmp", "X.1-.tmp", "X.-2.tmp", "X.a-2.tmp",
                           "X.1-2a.tmp", "X.1-2.TMP", "X.1-2-3.tmp", "X1-2.tmp", "X.1.2.tmp", "XX.1-2.tmp",
                           ".1-2.tmp", "x.1-2.tmp"})
    EXPECT_FALSE(IsTemporaryFileNameOf("X", name)) << name;
  // The name is matched whole, whatever digits and dots it holds itself.
  EXPECT_TRUE(IsTemporaryFileNameOf("wskb.ini.3", "wskb.ini.3.4-5.tmp"));
  EXPECT_FALSE(IsTemporaryFileNameOf("wskb.ini", "wskb.ini.3.4-5.tmp"));
  EXPECT_FALSE(IsTemporaryFileNameOf("", ".1-2.tmp"));
}

TEST(AtomicFileTest, TheNextWriteClearsLeftoversAndNothingElse) {
  TempDir dir;
  dir.WriteBytes("X", "old");
  const std::set<std::string> kept = {"X.tmp", "X.1-2.tmp.bak", "Y.1-2.tmp", "X.1-.tmp", "X.a-2.tmp", "Y"};
  for (const std::string& name : kept) dir.WriteBytes(name, "keep " + name);
  dir.WriteBytes("X.1-2.tmp", std::string(8192, 'L'));
  dir.WriteBytes("X.40-1234567.tmp", "");
  // A folder of that name is not a file this writer left.
  fs::create_directory(dir.path() / "X.5-6.tmp");
  const std::string bytes = std::string("\xFF\xFE\0\r\n", 5) + std::string(3000, '\x80');
  ASSERT_TRUE(Write(dir.File("X"), bytes));
  EXPECT_EQ(dir.ReadBytes("X"), bytes);
  std::set<std::string> expected = kept;
  expected.insert({"X", "X.5-6.tmp"});
  EXPECT_EQ(NamesIn(dir.path()), expected);
  for (const std::string& name : kept) EXPECT_EQ(dir.ReadBytes(name), "keep " + name) << name;
}

TEST(AtomicFileTest, LeftoversAreFoundWhicheverSeparatorThePathUses) {
  TempDir dir;
  // The folder's own form ('\' on Windows) and the generic one ('/').
  const std::u16string native = dir.File("file.ini");
  const std::u16string generic = dir.path().generic_u16string() + u"/file.ini";
  for (const std::u16string& path : {native, generic}) {
    dir.WriteBytes("file.ini.12-34.tmp", "left");
    ASSERT_TRUE(Write(path, "[S]\r\nk=v\r\n"));
    EXPECT_EQ(NamesIn(dir.path()), std::set<std::string>{"file.ini"});
    EXPECT_EQ(dir.ReadBytes("file.ini"), "[S]\r\nk=v\r\n");
  }
}

TEST(AtomicFileTest, ATemporaryFileOfAWriteInProgressIsNeverTakenForALeftover) {
  TempDir dir;
  const std::string busy = "X.77-88.tmp";
  dir.WriteBytes(busy, "half written");
  {
    const InFlightTemporaryFile claim(dir.path() / busy);
    ASSERT_TRUE(Write(dir.File("X"), "one"));
    EXPECT_EQ(dir.ReadBytes(busy), "half written");
  }
  ASSERT_TRUE(Write(dir.File("X"), "two"));
  EXPECT_EQ(NamesIn(dir.path()), std::set<std::string>{"X"});
  EXPECT_EQ(dir.ReadBytes("X"), "two");
}

#if !defined(_WIN32)
// Windows may refuse to replace a file that another rename is replacing at
// that moment, so writers racing on one file are a host test.
TEST(AtomicFileTest, WritersRacingOnOneFileNeverRemoveEachOthersTemporaryFiles) {
  TempDir dir;
  const std::u16string path = dir.File("race.ini");
  constexpr int kWriters = 4;
  constexpr int kWrites = 100;
  std::vector<int> failures(kWriters, 0);
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      const std::string bytes(512 + w, static_cast<char>('a' + w));
      for (int i = 0; i < kWrites; ++i) failures[w] += Write(path, bytes) ? 0 : 1;
    });
  }
  for (std::thread& writer : writers) writer.join();
  EXPECT_EQ(failures, std::vector<int>(kWriters, 0));
  EXPECT_EQ(NamesIn(dir.path()), std::set<std::string>{"race.ini"});
}

TEST(AtomicFileTest, APathTheSystemCantTakeFailsTheWriteWithoutThrowing) {
  TempDir dir;
  // A lone surrogate has no UTF-8 form.
  EXPECT_FALSE(Write(dir.path().u16string() + u"/\xD800.ini", "x"));
}
#endif

}  // namespace
}  // namespace velkor::testing
