#include "model/profile_image.h"

#include "platform/atomic_file.h"
#include "platform/bytes.h"
#include "platform/text.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <system_error>

namespace velkor {

namespace fs = std::filesystem;

namespace {

// 2048 entries, each with a whole text slot of 260 units (259 characters and
// the terminator): about a megabyte.
constexpr size_t kTextBudget = static_cast<size_t>(kImageEntries) * 260 * 2;

bool HasText(uint16_t kind) {
  return kind == static_cast<uint16_t>(AssignmentKind::kLaunch) ||
         kind == static_cast<uint16_t>(AssignmentKind::kTextBlock);
}

void PutEntry(uint8_t* p, const KeyAssignment& a) {
  Put16(p, a.kind);
  Put16(p + 2, a.extra);
  Put32(p + 4, a.parameter);
  Put32(p + 8, a.mark);
  Put32(p + 12, a.reserved);
}
KeyAssignment GetEntry(const uint8_t* p) {
  return {Get16(p), Get16(p + 2), Get32(p + 4), Get32(p + 8), Get32(p + 12)};
}

void PutMacro(uint8_t* p, const MacroRecord& m) {
  for (int i = 0; i < kMacroNameUnits; ++i) Put16(p + 2 * i, static_cast<uint16_t>(m.name[i]));
  p[500] = m.cycles;
  p[501] = m.reserved0;
  Put16(p + 502, m.new_macro);
  Put16(p + 504, m.reserved1);
  Put16(p + 506, m.id);
  Put16(p + 508, m.action_count);
  Put16(p + 510, m.reserved2);
  for (int i = 0; i < kMaxActions; ++i) {
    uint8_t* a = p + 512 + 8 * i;
    Put32(a, m.actions[i].delay_ms);
    Put16(a + 4, m.actions[i].key);
    Put16(a + 6, m.actions[i].direction);
  }
}
void GetMacro(const uint8_t* p, MacroRecord& m) {
  for (int i = 0; i < kMacroNameUnits; ++i) m.name[i] = static_cast<char16_t>(Get16(p + 2 * i));
  m.name[kMacroNameUnits - 1] = u'\0';
  m.cycles = p[500];
  m.reserved0 = p[501];
  m.new_macro = Get16(p + 502);
  m.reserved1 = Get16(p + 504);
  m.id = Get16(p + 506);
  m.action_count = Get16(p + 508);
  m.reserved2 = Get16(p + 510);
  for (int i = 0; i < kMaxActions; ++i) {
    const uint8_t* a = p + 512 + 8 * i;
    m.actions[i] = {Get32(a), Get16(a + 4), Get16(a + 6)};
  }
}

bool ReadWholeFile(const std::u16string& path, std::vector<uint8_t>& bytes, bool& opened) {
  opened = false;
  std::ifstream in(fs::path(path), std::ios::binary);
  if (!in) return false;
  opened = true;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

Bank ProfileImage::GetBank(int bank) const {
  Bank b{};
  for (int s = 0; s < kBankSlots; ++s) b[static_cast<size_t>(s)] = Entry(bank, s);
  return b;
}

void ProfileImage::SetBank(int bank, const Bank& b) {
  for (int s = 0; s < kBankSlots; ++s) Entry(bank, s) = b[static_cast<size_t>(s)];
}

uint32_t ProfileImage::TextTotal() const {
  uint64_t total = 0;
  for (const auto& t : texts) {
    if (t) total += (t->size() + 1) * 2;
  }
  // More than a file can hold: the pool is as big as it can be and the
  // texts that don't fit are left out of it.
  return static_cast<uint32_t>(std::min<uint64_t>(total, 0xFFFFFFFFu - kImageTableSize - kMaxMacros * kMacroRecordSize));
}

void ProfileImage::Empty() {
  for (auto& t : texts) t.reset();
  macros.clear();
  file_header.fill(0);
  table_header.fill(0);
  std::fill(entries.begin(), entries.end(), KeyAssignment{});
}

ProfileImage ProfileImage::Default() {
  ProfileImage image;
  for (int s = kFirstGSlot; s < kFirstGSlot + 2 * kGKeyCount; ++s) image.Entry(0, s).extra = GIdentityCode(s);
  RebuildHeaders(image);
  return image;
}

uint8_t HeaderChecksum(const uint8_t* header) {
  unsigned sum = 0;
  for (int i = 0; i < 31; ++i) sum += header[i];
  return static_cast<uint8_t>(sum & 0xFF);
}

void RebuildHeaders(ProfileImage& image) {
  const uint32_t count = static_cast<uint32_t>(std::min<size_t>(image.macros.size(), kMaxMacros));
  const uint32_t pool = image.TextTotal();
  uint8_t* h = image.file_header.data();
  image.file_header.fill(0);
  h[0] = 0x46;  // "FD"
  h[1] = 0x44;
  Put16(h + 2, 32);
  Put16(h + 4, 3);
  Put16(h + 6, 1);
  Put32(h + 8, count * static_cast<uint32_t>(kMacroRecordSize) + pool + static_cast<uint32_t>(kImageTableSize));
  Put16(h + 12, kImageEntries);
  Put16(h + 14, static_cast<uint16_t>(count));
  Put32(h + 16, pool);
  h[30] = 0;
  h[31] = HeaderChecksum(h);
  uint8_t* t = image.table_header.data();
  image.table_header.fill(0);
  t[0] = 0x4B;  // "KH"
  t[1] = 0x48;
  Put16(t + 2, 32);
  Put32(t + 4, 0x00008020);
  Put16(t + 8, kImageBanks);
  Put16(t + 10, kBankSlots);
  Put32(t + 16, 0x67410C45);
  Put32(t + 20, 0x000E1C4F);
}

std::vector<uint8_t> SerialiseImage(ProfileImage& image) {
  RebuildHeaders(image);
  const size_t count = std::min<size_t>(image.macros.size(), kMaxMacros);
  const uint32_t pool_size = Get32(image.file_header.data() + 16);
  std::vector<uint8_t> pool(pool_size, 0);
  uint32_t offset = 0;
  for (int e = 0; e < kImageEntries; ++e) {
    const auto& text = image.texts[static_cast<size_t>(e)];
    KeyAssignment& entry = image.entries[static_cast<size_t>(e)];
    if (!HasText(entry.kind)) continue;
    // An entry whose text is not in the pool points past it, so that it can
    // never pick up another entry's text when the file is read.
    entry.parameter = 0xFFFFFFFFu;
    if (!text) continue;
    const uint64_t length = (text->size() + 1) * 2;
    if (offset + length > pool_size) continue;  // never past the pool
    for (size_t c = 0; c < text->size(); ++c) Put16(&pool[offset + 2 * c], static_cast<uint16_t>((*text)[c]));
    entry.parameter = offset;
    offset += static_cast<uint32_t>(length);
  }
  std::vector<uint8_t> out(kImageTableSize + count * kMacroRecordSize + pool_size, 0);
  std::copy(image.file_header.begin(), image.file_header.end(), out.begin());
  std::copy(image.table_header.begin(), image.table_header.end(), out.begin() + kHeaderSize);
  for (int e = 0; e < kImageEntries; ++e) PutEntry(&out[64 + 16 * static_cast<size_t>(e)], image.entries[static_cast<size_t>(e)]);
  for (size_t m = 0; m < count; ++m) PutMacro(&out[kImageTableSize + m * kMacroRecordSize], image.macros[m]);
  std::copy(pool.begin(), pool.end(), out.begin() + static_cast<std::ptrdiff_t>(kImageTableSize + count * kMacroRecordSize));
  return out;
}

bool WriteImageFile(ProfileImage& image, const std::u16string& path) {
  const std::vector<uint8_t> bytes = SerialiseImage(image);
  return WriteFileAtomically(path, bytes.data(), bytes.size());
}

FileCheck CheckFileBytes(const std::vector<uint8_t>& bytes) {
  FileCheck check;
  if (bytes.size() < kImageTableSize) return check;  // too short: no format message
  const uint8_t* h = bytes.data();
  const uint32_t total = Get32(h + 8);
  const uint32_t count = Get16(h + 14);
  const uint64_t pool = Get32(h + 16);
  const bool valid = Get16(h) == 0x4446 && Get16(h + 2) == 32 && Get16(h + 4) == 3 && Get16(h + 6) == 1 &&
                     total >= kImageTableSize && Get16(h + 12) == kImageEntries && count <= kMaxMacros &&
                     h[30] <= 1 && total == count * kMacroRecordSize + pool + kImageTableSize &&
                     h[31] == HeaderChecksum(h) &&
                     // A file shorter than its header says can't be loaded whole.
                     bytes.size() >= total;
  check.result = valid ? 1 : 0;
  check.wrong_format = !valid;
  return check;
}

FileCheck CheckFile(const std::u16string& path) {
  std::error_code ec;
  if (!fs::exists(fs::path(path), ec)) return {};
  // Too short, or too long for its 32-bit total: not read at all.
  const auto size = fs::file_size(fs::path(path), ec);
  if (!ec && (size < kImageTableSize || size > 0xFFFFFFFFu)) return {};
  std::vector<uint8_t> bytes;
  bool opened = false;
  try {
    if (!ReadWholeFile(path, bytes, opened)) return {opened ? 0 : -2, false};
  } catch (const std::bad_alloc&) {
    return {-3, false};
  }
  return CheckFileBytes(bytes);
}

bool LoadImageBytes(const std::vector<uint8_t>& bytes, ProfileImage& image) {
  image.Empty();
  if (bytes.size() < kImageTableSize) return false;
  const uint8_t* h = bytes.data();
  const size_t count = std::min<size_t>(Get16(h + 14), kMaxMacros);
  const size_t pool_size = Get32(h + 16);
  const size_t pool_at = kImageTableSize + count * kMacroRecordSize;
  if (bytes.size() < pool_at || bytes.size() - pool_at < pool_size) return false;
  std::copy(bytes.begin(), bytes.begin() + kHeaderSize, image.file_header.begin());
  std::copy(bytes.begin() + kHeaderSize, bytes.begin() + 64, image.table_header.begin());
  for (size_t e = 0; e < kImageEntries; ++e) image.entries[e] = GetEntry(&bytes[64 + 16 * e]);
  image.macros.resize(count);
  for (size_t m = 0; m < count; ++m) GetMacro(&bytes[kImageTableSize + m * kMacroRecordSize], image.macros[m]);
  const uint8_t* pool = bytes.data() + pool_at;
  const size_t units = pool_size / 2;
  // Where the next terminator lies from each character of the pool, found in
  // one pass, so no entry makes loading scan the pool again.
  std::vector<uint32_t> next_end(units + 1, static_cast<uint32_t>(units));
  for (size_t i = units; i-- > 0;) {
    next_end[i] = Get16(pool + 2 * i) == 0 ? static_cast<uint32_t>(i) : next_end[i + 1];
  }
  // Entries may share one text of the pool, and each gets its own copy, so
  // what a file can make the program hold is bounded: by the pool itself, or
  // by every entry holding a text of a whole text slot, whichever is more.
  const size_t budget = std::max(pool_size, kTextBudget);
  size_t loaded = 0;
  for (size_t e = 0; e < kImageEntries; ++e) {
    KeyAssignment& entry = image.entries[e];
    if (!HasText(entry.kind)) continue;
    const size_t at = (entry.parameter & ~1u) / 2;
    if (at >= units || next_end[at] >= units) continue;  // outside the pool or not ended in it
    const size_t length = next_end[at] - at;
    const size_t bytes_needed = (length + 1) * 2;
    if (loaded + bytes_needed > budget) continue;
    std::u16string text(length, u'\0');
    for (size_t c = 0; c < length; ++c) text[c] = static_cast<char16_t>(Get16(pool + 2 * (at + c)));
    image.texts[e] = std::move(text);
    loaded += bytes_needed;
  }
  for (MacroRecord& m : image.macros) m.action_count = std::min<uint16_t>(m.action_count, kMaxActions);
  return true;
}

namespace {

bool LoadFrom(const std::u16string& path, ProfileImage& image, bool valid_only) {
  std::vector<uint8_t> bytes;
  bool opened = false;
  try {
    if (!ReadWholeFile(path, bytes, opened) || (valid_only && CheckFileBytes(bytes).result <= 0)) {
      image.Empty();
      return false;
    }
    return LoadImageBytes(bytes, image);
  } catch (const std::bad_alloc&) {
    image.Empty();
    return false;
  }
}

}  // namespace

bool LoadFile(const std::u16string& path, ProfileImage& image) { return LoadFrom(path, image, false); }

bool LoadValidFile(const std::u16string& path, ProfileImage& image) { return LoadFrom(path, image, true); }

}  // namespace velkor
