#include "platform/portable_ini_store.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/text.h"

namespace velkor {

namespace fs = std::filesystem;

namespace {

std::u16string DecodeUtf16(const std::string& bytes, size_t start, bool big_endian) {
  std::u16string out;
  out.reserve((bytes.size() - start) / 2);
  for (size_t i = start; i + 1 < bytes.size(); i += 2) {
    const auto b0 = static_cast<uint8_t>(bytes[i]);
    const auto b1 = static_cast<uint8_t>(bytes[i + 1]);
    out += static_cast<char16_t>(big_endian ? (b0 << 8) | b1 : (b1 << 8) | b0);
  }
  return out;
}

std::string EncodeUtf16(std::u16string_view text, bool big_endian) {
  std::string out;
  out.reserve(text.size() * 2 + 2);
  const auto put = [&](char16_t c) {
    const auto lo = static_cast<char>(c & 0xFF);
    const auto hi = static_cast<char>(c >> 8);
    if (big_endian) {
      out += hi;
      out += lo;
    } else {
      out += lo;
      out += hi;
    }
  };
  put(u'\uFEFF');
  for (char16_t c : text) put(c);
  return out;
}

// Calls emit(text, ending) for every line: the ending is "\r\n", "\n", "\r",
// or empty for a last line without one. Nothing follows a final line ending.
template <typename Char, typename Emit>
void SplitLines(std::basic_string_view<Char> text, Emit emit) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != Char('\r') && text[end] != Char('\n')) ++end;
    size_t width = 0;
    if (end < text.size()) {
      width = (text[end] == Char('\r') && end + 1 < text.size() && text[end + 1] == Char('\n')) ? 2 : 1;
    }
    emit(text.substr(start, end - start), text.substr(end, width));
    start = end + width;
  }
}

bool ReadAll(const fs::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

std::u16string_view StripQuotes(std::u16string_view value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

std::u16string IniDefaultText(std::u16string_view default_text) {
  size_t end = default_text.size();
  while (end > 1 && default_text[end - 1] == u' ') --end;
  return std::u16string(default_text.substr(0, end));
}

IniDocument::Line IniDocument::Classify(std::u16string text) {
  Line line;
  line.text = std::move(text);
  const std::u16string_view view = line.text;
  const std::u16string_view body = TrimBlanks(view);
  if (body.empty() || body.front() == u';') return line;
  if (body.front() == u'[') {
    const size_t close = body.find(u']');
    if (close != std::u16string_view::npos) {
      line.kind = Kind::kSection;
      line.name = std::u16string(TrimBlanks(body.substr(1, close - 1)));
    }
    return line;
  }
  line.kind = Kind::kKey;
  const size_t eq = view.find(u'=');
  if (eq == std::u16string_view::npos) {
    line.name = std::u16string(body);
  } else {
    line.name = std::u16string(TrimBlanks(view.substr(0, eq)));
    line.value_pos = eq + 1;
    line.has_value = true;
  }
  return line;
}

IniDocument IniDocument::Parse(const std::string& bytes) {
  IniDocument doc;
  std::optional<std::u16string> wide;
  size_t start = 0;
  if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF &&
      static_cast<uint8_t>(bytes[1]) == 0xFE) {
    doc.encoding_ = Encoding::kUtf16Le;
    wide = DecodeUtf16(bytes, 2, false);
  } else if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFE &&
             static_cast<uint8_t>(bytes[1]) == 0xFF) {
    doc.encoding_ = Encoding::kUtf16Be;
    wide = DecodeUtf16(bytes, 2, true);
  } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    doc.encoding_ = Encoding::kUtf8Bom;
    start = 3;
  }
  if (wide) {
    SplitLines(std::u16string_view(*wide), [&doc](std::u16string_view text, std::u16string_view ending) {
      Line& line = doc.lines_.emplace_back(Classify(std::u16string(text)));
      line.ending = ending;
    });
  } else {
    // Line breaks are single bytes that never occur inside a character of
    // UTF-8 or of the ANSI code pages, so the bytes split safely. Each line is
    // read as UTF-8; bytes that are not (an ANSI file) read as U+FFFD but are
    // kept as they were for writing.
    SplitLines(std::string_view(bytes).substr(start), [&doc](std::string_view text, std::string_view ending) {
      Line& line = doc.lines_.emplace_back(Classify(Utf8ToUtf16(text)));
      line.raw = std::string(text);
      line.ending.assign(ending.begin(), ending.end());
    });
  }
  // Only the last line can lack an ending, so the first line's is the file's.
  if (!doc.lines_.empty() && !doc.lines_.front().ending.empty()) doc.newline_ = doc.lines_.front().ending;
  return doc;
}

std::string IniDocument::Serialise() const {
  if (encoding_ == Encoding::kUtf16Le || encoding_ == Encoding::kUtf16Be) {
    std::u16string text;
    for (const Line& line : lines_) {
      text += line.text;
      text += line.ending;
    }
    return EncodeUtf16(text, encoding_ == Encoding::kUtf16Be);
  }
  std::string out = encoding_ == Encoding::kUtf8Bom ? "\xEF\xBB\xBF" : "";
  for (const Line& line : lines_) {
    out += line.raw ? *line.raw : Utf16ToUtf8(line.text);
    for (char16_t c : line.ending) out += static_cast<char>(c);
  }
  return out;
}

void IniDocument::InsertLine(size_t at, std::u16string text) {
  if (at > 0 && lines_[at - 1].ending.empty()) lines_[at - 1].ending = newline_;
  Line line = Classify(std::move(text));
  line.ending = newline_;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

size_t IniDocument::FindSection(std::u16string_view name) const {
  const std::u16string_view wanted = TrimBlanks(name);
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::kSection && EqualsNoCase(lines_[i].name, wanted)) return i;
  }
  return std::u16string::npos;
}

std::optional<std::u16string> IniDocument::Find(std::u16string_view section,
                                                std::u16string_view key) const {
  const size_t head = FindSection(section);
  if (head == std::u16string::npos) return std::nullopt;
  const std::u16string_view wanted = TrimBlanks(key);
  for (size_t i = head + 1; i < lines_.size() && lines_[i].kind != Kind::kSection; ++i) {
    const Line& line = lines_[i];
    if (line.kind != Kind::kKey || !EqualsNoCase(line.name, wanted)) continue;
    if (!line.has_value) return std::nullopt;
    const std::u16string_view value =
        TrimBlanks(std::u16string_view(line.text).substr(line.value_pos));
    return std::u16string(StripQuotes(value));
  }
  return std::nullopt;
}

void IniDocument::Set(std::u16string_view section, std::u16string_view key,
                      std::u16string_view value) {
  const std::u16string_view wanted = TrimBlanks(key);
  const size_t head = FindSection(section);
  if (head == std::u16string::npos) {
    if (!lines_.empty() && !TrimBlanks(lines_.back().text).empty()) InsertLine(lines_.size(), u"");
    std::u16string header(1, u'[');
    header.append(TrimBlanks(section));
    header += u']';
    InsertLine(lines_.size(), std::move(header));
    InsertLine(lines_.size(), std::u16string(wanted) + u"=" + std::u16string(value));
    return;
  }
  size_t insert_at = head + 1;
  for (size_t i = head + 1; i < lines_.size() && lines_[i].kind != Kind::kSection; ++i) {
    Line& line = lines_[i];
    if (line.kind == Kind::kKey && EqualsNoCase(line.name, wanted)) {
      // The new text is written as UTF-8; the line keeps its own ending.
      Line replaced = Classify(line.name + u"=" + std::u16string(value));
      replaced.ending = std::move(line.ending);
      line = std::move(replaced);
      return;
    }
    if (!TrimBlanks(line.text).empty()) insert_at = i + 1;
  }
  InsertLine(insert_at, std::u16string(wanted) + u"=" + std::u16string(value));
}

const IniDocument* PortableIniStore::Load(const std::u16string& path) {
  std::string bytes;
  if (!ReadAll(fs::path(path), bytes)) return nullptr;
  // Reading the bytes is cheap; parsing them again is not needed when they
  // are the ones parsed last time.
  if (!cached_ || cached_path_ != path || cached_bytes_ != bytes) {
    cached_ = IniDocument::Parse(bytes);
    cached_path_ = path;
    cached_bytes_ = std::move(bytes);
  }
  return &*cached_;
}

std::u16string PortableIniStore::ReadString(const std::u16string& path,
                                            std::u16string_view section, std::u16string_view key,
                                            std::u16string_view default_text, size_t capacity) {
  if (capacity == 0) return {};
  std::u16string result;
  const IniDocument* doc = Load(path);
  std::optional<std::u16string> found;
  if (doc) found = doc->Find(section, key);
  result = found ? std::move(*found) : IniDefaultText(default_text);
  if (result.size() > capacity - 1) result.resize(capacity - 1);
  return result;
}

bool PortableIniStore::WriteString(const std::u16string& path, std::u16string_view section,
                                   std::u16string_view key, std::u16string_view value) {
  const fs::path file(path);
  IniDocument doc;
  std::string bytes;
  std::error_code ec;
  if (fs::exists(file, ec)) {
    if (!ReadAll(file, bytes)) return false;
    doc = IniDocument::Parse(bytes);
  }
  doc.Set(section, key, value);
  cached_.reset();

  // Written beside the old file and then moved over it, so a failure midway
  // leaves the old file whole.
  const std::string data = doc.Serialise();
  return WriteFileAtomically(path, data.data(), data.size());
}

}  // namespace velkor
