// Writing a whole file so that a failure midway never leaves a half-written
// file in place of a good one: the bytes go to a temporary file of a unique
// name beside it, which then replaces it. A write first removes the temporary
// files that earlier writes of the same file left behind (a writer ended
// midway), except those of writes still in progress in this process.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace velkor {

bool WriteFileAtomically(const std::u16string& path, const void* data, size_t size);

// True when `candidate` is a name this writer gives the temporary file of a
// write to a file named `name`: exactly `name` + "." + decimal digits + "-" +
// decimal digits + ".tmp". Both are bare file names.
bool IsTemporaryFileNameOf(const std::filesystem::path& name, const std::filesystem::path& candidate);

// For as long as it lives, marks the temporary file at `path` as belonging to
// a write in progress in this process, so that no write removes it as a
// leftover. Each write holds one for its own temporary file.
class InFlightTemporaryFile {
 public:
  explicit InFlightTemporaryFile(const std::filesystem::path& path);
  ~InFlightTemporaryFile();
  InFlightTemporaryFile(const InFlightTemporaryFile&) = delete;
  InFlightTemporaryFile& operator=(const InFlightTemporaryFile&) = delete;

 private:
  std::filesystem::path::string_type name_;
};

}  // namespace velkor
