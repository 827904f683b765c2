#include "platform/atomic_file.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/text.h"

namespace velkor {

namespace fs = std::filesystem;

bool WriteFileAtomically(const std::u16string& path, const void* data, size_t size) {
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

}  // namespace velkor
