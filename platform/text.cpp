#include "platform/text.h"

#include <algorithm>

#include <cstdint>

namespace velkor {

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

char16_t FoldAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const auto b0 = static_cast<uint8_t>(text[i]);
    int extra = 0;
    char32_t cp = 0;
    if (b0 < 0x80) {
      cp = b0;
    } else if ((b0 & 0xE0) == 0xC0) {
      extra = 1;
      cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
      extra = 2;
      cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
      extra = 3;
      cp = b0 & 0x07;
    } else {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      if (i + k >= text.size()) { ok = false; break; }
      const auto b = static_cast<uint8_t>(text[i + k]);
      if ((b & 0xC0) != 0x80) { ok = false; break; }
      cp = (cp << 6) | (b & 0x3F);
    }
    if (!ok || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    AppendUtf16(out, cp);
    i += extra + 1;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

int ParseLeadingInt(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  int64_t value = 0;
  while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
    value = value * 10 + (text[i] - u'0');
    if (value > 0x80000000LL) value = 0x80000000LL;  // saturate, never overflow
    ++i;
  }
  if (negative) value = -value;
  if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;
  return static_cast<int>(value);
}

std::u16string DecimalText(int value) {
  const std::string s = std::to_string(value);
  return std::u16string(s.begin(), s.end());
}

std::u16string FormatFirstInteger(std::u16string_view text, int64_t value) {
  constexpr size_t kMaxFieldWidth = 32;
  std::u16string out;
  bool used = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'%') {
      out += text[i];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == u'%') {
      out += u'%';
      ++i;
      continue;
    }
    size_t j = i + 1;
    bool zero = false;
    for (; j < text.size() && text[j] == u'0'; ++j) zero = true;
    size_t width = 0;
    for (; j < text.size() && text[j] >= u'0' && text[j] <= u'9'; ++j) {
      width = std::min<size_t>(width * 10 + static_cast<size_t>(text[j] - u'0'), kMaxFieldWidth);
    }
    const char16_t type = j < text.size() ? text[j] : u'\0';
    const bool hex = type == u'x' || type == u'X';
    const bool is_signed = type == u'd' || type == u'i';
    if (used || !(hex || is_signed || type == u'u')) {
      out += u'%';  // shown as written
      continue;
    }
    const bool negative = is_signed && value < 0;
    uint64_t magnitude = is_signed ? static_cast<uint64_t>(value) : static_cast<uint32_t>(value);
    if (negative) magnitude = 0 - static_cast<uint64_t>(value);
    const char* digits = type == u'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    const unsigned base = hex ? 16 : 10;
    std::u16string number;
    do {
      number.insert(number.begin(), static_cast<char16_t>(digits[magnitude % base]));
      magnitude /= base;
    } while (magnitude != 0);
    const size_t length = number.size() + (negative ? 1 : 0);
    if (length < width && zero) number.insert(0, width - length, u'0');
    if (length < width && !zero) out.append(width - length, u' ');
    if (negative) out += u'-';
    out += number;
    used = true;
    i = j;
  }
  return out;
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  size_t b = 0;
  size_t e = text.size();
  while (b < e && (text[b] == u' ' || text[b] == u'\t')) ++b;
  while (e > b && (text[e - 1] == u' ' || text[e - 1] == u'\t')) --e;
  return text.substr(b, e - b);
}

}  // namespace velkor
