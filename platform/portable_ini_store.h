// The INI store written in portable C++ (used on the host, and available on
// Windows beside the platform's functions so both can be held to one contract).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ini_store.h"

namespace velkor {

// One INI file as lines, kept as read so that a write changes only the line it
// must. Exposed for tests and fuzzing.
class IniDocument {
 public:
  enum class Encoding { kUtf8, kUtf8Bom, kUtf16Le, kUtf16Be };

  static IniDocument Parse(const std::string& bytes);
  std::string Serialise() const;

  // The value of key in section, with quotes and blanks removed; nothing when
  // the section or key is missing or the key has no "=".
  std::optional<std::u16string> Find(std::u16string_view section, std::u16string_view key) const;
  void Set(std::u16string_view section, std::u16string_view key, std::u16string_view value);

  Encoding encoding() const { return encoding_; }

 private:
  enum class Kind { kOther, kSection, kKey };
  struct Line {
    std::u16string text;
    Kind kind = Kind::kOther;
    std::u16string name;   // section name or key name, trimmed
    size_t value_pos = 0;  // for keys: index just after '='
    bool has_value = false;
    // In 8-bit files, the line's bytes as read, written back as they are so
    // that bytes which are not UTF-8 (an ANSI code page) survive; nothing for
    // a line this program wrote, which is written as UTF-8.
    std::optional<std::string> raw;
    std::u16string ending;  // "\r\n", "\n" or "\r"; empty for a last line without one
  };
  static Line Classify(std::u16string text);
  // Index of the first line of the first section called name, or npos.
  size_t FindSection(std::u16string_view name) const;
  // Puts a new line before index at, ending it with the file's line ending;
  // the line before it gets one first if it had none.
  void InsertLine(size_t at, std::u16string text);

  std::vector<Line> lines_;
  Encoding encoding_ = Encoding::kUtf8;
  std::u16string newline_ = u"\r\n";  // the first line's ending, for new lines
};

class PortableIniStore : public IniStore {
 public:
  std::u16string ReadString(const std::u16string& path, std::u16string_view section,
                            std::u16string_view key, std::u16string_view default_text,
                            size_t capacity = kTextCapacity) override;
  bool WriteString(const std::u16string& path, std::u16string_view section, std::u16string_view key,
                   std::u16string_view value) override;

 private:
  // The last file read is kept parsed while its bytes stay the same.
  const IniDocument* Load(const std::u16string& path);

  std::u16string cached_path_;
  std::string cached_bytes_;
  std::optional<IniDocument> cached_;
};

// The value the platform's reader returns for a default text.
std::u16string IniDefaultText(std::u16string_view default_text);

}  // namespace velkor
