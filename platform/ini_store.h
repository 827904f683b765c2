// Private-profile (INI) strings: how the program reads its skin and language
// files and keeps small per-user files. Two implementations share these
// semantics: the platform's own functions on Windows and PortableIniStore.
//
// - Section and key names match without regard to case; the first matching
//   section and the first matching key win.
// - Values lose the blanks around them; a value enclosed in a matching pair of
//   double or single quotes loses the pair (so "text   " keeps its blanks).
// - A missing file, section or key gives the default text (trailing blanks of
//   the default are dropped, but never its first character, so " " stays " ").
// - A key that is present with nothing after "=" gives an empty text.
// - The result is cut to capacity - 1 characters, as a fixed buffer would be.
// - Files may be UTF-16LE or UTF-16BE with a byte-order mark, UTF-8 with or
//   without one; writing keeps the file's encoding.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velkor {

inline constexpr size_t kTextCapacity = 260;  // wide characters, terminator included

class IniStore {
 public:
  virtual ~IniStore() = default;

  virtual std::u16string ReadString(const std::u16string& path, std::u16string_view section,
                                    std::u16string_view key, std::u16string_view default_text,
                                    size_t capacity = kTextCapacity) = 0;

  // Sets key = value in section, creating the file, section or key as needed.
  // Returns false when the file could not be written; the old file is then
  // left as it was.
  virtual bool WriteString(const std::u16string& path, std::u16string_view section,
                           std::u16string_view key, std::u16string_view value) = 0;
};

}  // namespace velkor
