#include "platform/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/text.h"

namespace velkor {

namespace fs = std::filesystem;

namespace {

using NativeName = fs::path::string_type;
using NativeView = std::basic_string_view<fs::path::value_type>;

// The temporary files of the writes in progress, by file name: the counter in
// a name makes it unique within the process, and a name is the same however
// the folder in front of it is spelt.
std::mutex& InFlightMutex() {
  static std::mutex mutex;
  return mutex;
}

std::vector<NativeName>& InFlightNames() {
  static std::vector<NativeName> names;
  return names;
}

bool IsInFlight(const NativeName& name) {
  std::lock_guard<std::mutex> lock(InFlightMutex());
  const std::vector<NativeName>& names = InFlightNames();
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Skips one or more decimal digits at `at`; false when there are none.
bool SkipDigits(NativeView text, size_t& at) {
  const size_t start = at;
  while (at < text.size() && text[at] >= fs::path::value_type('0') && text[at] <= fs::path::value_type('9')) ++at;
  return at > start;
}

// Removes the leftover temporary files of earlier writes of `file`. One look
// at the folder; whatever can't be listed or removed stays.
void RemoveLeftovers(const fs::path& file) {
  const fs::path name = file.filename();
  if (name.empty()) return;
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const fs::path& found = it->path();
    if (!IsTemporaryFileNameOf(name, found.filename())) continue;
    std::error_code status_ec;
    if (it->symlink_status(status_ec).type() != fs::file_type::regular) continue;
    if (IsInFlight(found.filename().native())) continue;
    std::error_code remove_ec;
    fs::remove(found, remove_ec);
  }
}

bool WriteThroughTemporary(const std::u16string& path, const void* data, size_t size) {
  static std::atomic<unsigned> counter{0};
  const fs::path file(path);
  // A name of its own, so that no file of the user's is taken for it.
  std::u16string suffix(1, u'.');
  suffix += DecimalText(static_cast<int>(counter++ & 0x7FFFFFFF));
  suffix += u'-';
  suffix += DecimalText(static_cast<int>(std::chrono::steady_clock::now().time_since_epoch().count() & 0x7FFFFFFF));
  suffix += u".tmp";
  fs::path temp = file;
  temp += suffix;
  // Claimed before it exists, so that a write of the same file elsewhere in
  // this process never takes it for a leftover.
  const InFlightTemporaryFile claim(temp);
  RemoveLeftovers(file);
  std::error_code ec;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, file, ec);
  if (ec) {
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::u16string& path, const void* data, size_t size) {
  // A path that can't be converted to the system's form (or memory running
  // out) fails the write rather than throwing.
  try {
    return WriteThroughTemporary(path, data, size);
  } catch (...) {
    return false;
  }
}

bool IsTemporaryFileNameOf(const fs::path& name, const fs::path& candidate) {
  const NativeView base = name.native();
  const NativeView text = candidate.native();
  if (base.empty() || text.size() <= base.size() || text.substr(0, base.size()) != base) return false;
  size_t at = base.size();
  if (text[at++] != fs::path::value_type('.') || !SkipDigits(text, at)) return false;
  if (at >= text.size() || text[at++] != fs::path::value_type('-') || !SkipDigits(text, at)) return false;
  static constexpr fs::path::value_type kTail[] = {'.', 't', 'm', 'p'};
  return text.substr(at) == NativeView(kTail, std::size(kTail));
}

InFlightTemporaryFile::InFlightTemporaryFile(const fs::path& path) : name_(path.filename().native()) {
  std::lock_guard<std::mutex> lock(InFlightMutex());
  InFlightNames().push_back(name_);
}

InFlightTemporaryFile::~InFlightTemporaryFile() {
  std::lock_guard<std::mutex> lock(InFlightMutex());
  std::vector<NativeName>& names = InFlightNames();
  const auto found = std::find(names.begin(), names.end(), name_);
  if (found != names.end()) names.erase(found);
}

}  // namespace velkor
