#include "ostrel/diagnostic_log.h"

#include <algorithm>
#include <cstdarg>
#include <ctime>
#include <filesystem>

namespace velkor {

DiagnosticLog::~DiagnosticLog() { Close(); }

bool DiagnosticLog::OpenFile(const std::u16string& path) {
  std::lock_guard lock(mutex_);
  if (file_) std::fclose(file_);
  file_ = nullptr;
  sink_ = nullptr;
#if defined(_WIN32)
  file_ = _wfopen(std::filesystem::path(path).c_str(), L"ab");
#else
  file_ = std::fopen(std::filesystem::path(path).c_str(), "ab");
#endif
  enabled_ = file_ != nullptr;
  opened_by_debug_ = false;
  if (file_) OpenedLocked();
  return file_ != nullptr;
}

void DiagnosticLog::OpenSink(Sink sink) {
  std::lock_guard lock(mutex_);
  if (file_) std::fclose(file_);
  file_ = nullptr;
  sink_ = std::move(sink);
  enabled_ = static_cast<bool>(sink_);
  opened_by_debug_ = false;
  if (sink_) OpenedLocked();
}

void DiagnosticLog::OpenedLocked() {
  start_ = std::chrono::steady_clock::now();
  const std::time_t now = std::time(nullptr);
  char when[64] = "?";
  if (const std::tm* local = std::localtime(&now)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", local);
  const std::string line = std::string("---- log opened ") + when;
  if (sink_) sink_(line);
  if (file_) {
    std::fprintf(file_, "%s\r\n", line.c_str());
    std::fflush(file_);
  }
}

void DiagnosticLog::Close() {
  std::lock_guard lock(mutex_);
  enabled_ = false;
  opened_by_debug_ = false;
  sink_ = nullptr;
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

void DiagnosticLog::SetDebugLevel(int level, const std::u16string& default_path) {
  if (level > 0) {
    if (enabled() || default_path.empty()) return;
    if (OpenFile(default_path)) {
      std::lock_guard lock(mutex_);
      opened_by_debug_ = true;
    }
    return;
  }
  bool close = false;
  {
    std::lock_guard lock(mutex_);
    close = opened_by_debug_;
  }
  if (close) Close();
}

void DiagnosticLog::Line(std::string_view text) {
  if (!enabled()) return;
  std::lock_guard lock(mutex_);
  if (!file_ && !sink_) return;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
  std::string line = Printf("%6lld.%03lld ", static_cast<long long>(ms / 1000), static_cast<long long>(ms % 1000));
  line.append(text);
  if (sink_) sink_(line);
  if (file_) {
    // Every line reaches the disk at once: a log is read after something went wrong.
    std::fprintf(file_, "%s\r\n", line.c_str());
    std::fflush(file_);
  }
}

DiagnosticLog& ProcessLog() {
  static DiagnosticLog* log = new DiagnosticLog();  // lives until the process ends
  return *log;
}

std::string Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  return text;
}

std::string HexBytes(std::span<const uint8_t> bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 3);
  for (const uint8_t b : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[b >> 4];
    text += kDigits[b & 0x0F];
  }
  return text;
}

std::string InterfaceName(KeyboardInterface kind) {
  switch (kind) {
    case KeyboardInterface::kCommand: return "command";
    case KeyboardInterface::kConsumer: return "consumer";
    case KeyboardInterface::kLed: return "LED";
    case KeyboardInterface::kNone: break;
  }
  return "other";
}

std::string AccessName(HidAccess access) {
  switch (access) {
    case HidAccess::kReadWrite: return "read/write";
    case HidAccess::kRead: return "read-only";
    case HidAccess::kNone: break;
  }
  return "without access";
}

std::vector<uint8_t> ReportIds(std::span<const HidFieldCaps> caps) {
  std::vector<uint8_t> ids;
  for (const auto& c : caps) {
    if (std::find(ids.begin(), ids.end(), c.report_id) == ids.end()) ids.push_back(c.report_id);
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

namespace {

std::string IdList(std::span<const HidFieldCaps> caps) {
  const std::vector<uint8_t> ids = ReportIds(caps);
  return ids.empty() ? "none" : HexBytes(ids);
}

bool Names(std::span<const HidFieldCaps> caps, uint8_t id) {
  return std::any_of(caps.begin(), caps.end(), [&](const HidFieldCaps& c) { return c.report_id == id; });
}

}  // namespace

std::string DescribeCollection(const HidCollection& c) {
  return Printf("vendor %04X product %04X version %04X usage %04X:%04X input %u (ids %s) output %u (ids %s) "
                "feature %u (ids %s)",
                c.vendor, c.product, c.version, c.usage_page, c.usage, c.input_length, IdList(c.input).c_str(),
                c.output_length, IdList(c.output).c_str(), c.feature_length, IdList(c.feature).c_str());
}

std::vector<std::string> DescribeFields(const HidCollection& collection) {
  std::vector<std::string> lines;
  const auto add = [&](const char* type, const std::vector<HidFieldCaps>& caps) {
    for (const HidFieldCaps& f : caps) {
      std::string usage = f.usage_min == f.usage_max ? Printf("%04X:%04X", f.usage_page, f.usage_min)
                                                     : Printf("%04X:%04X-%04X", f.usage_page, f.usage_min, f.usage_max);
      const char* shape = !f.button ? "value" : f.array ? "array" : "bits";
      std::string line = Printf("%s id %02X %s %s", type, f.report_id, shape, usage.c_str());
      if (f.bit_size) line += Printf(" size %u", f.bit_size);
      line += f.report_count ? Printf(" count %u", f.report_count) : std::string(" count ?");
      line += Printf(" logical %ld-%ld", static_cast<long>(f.logical_min), static_cast<long>(f.logical_max));
      lines.push_back(std::move(line));
    }
  };
  add("input", collection.input);
  add("output", collection.output);
  add("feature", collection.feature);
  return lines;
}

std::vector<std::string> ReportLayoutProblems(const HidCollection& c, KeyboardInterface kind) {
  std::vector<std::string> problems;
  if (kind == KeyboardInterface::kCommand) {
    if (!Names(c.input, 0x04)) {
      problems.push_back("report 04 is not an input report of the command collection (input ids " + IdList(c.input) +
                         "): replies may come under another ID");
    }
    if (!Names(c.output, 0x04)) {
      problems.push_back("report 04 is not an output report of the command collection (output ids " +
                         IdList(c.output) + ")");
    }
    if (c.output_length < 64) {
      problems.push_back(Printf("the command collection's output reports take %u bytes; commands are 64 and are "
                                "refused",
                                c.output_length));
    }
  } else if (kind == KeyboardInterface::kLed) {
    if (!Names(c.output, 0x05)) {
      problems.push_back("report 05 is not an output report of the LED collection (output ids " + IdList(c.output) +
                         ")");
    }
    if (c.output_length < 2) {
      problems.push_back(Printf("the LED collection's output reports take %u bytes; the bank flags need 2",
                                c.output_length));
    }
  }
  return problems;
}

}  // namespace velkor
