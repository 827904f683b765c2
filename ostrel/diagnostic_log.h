// The HID service library's plain text log. It writes nothing in normal
// use: Ostrel.ini's [Diagnostics] Log=path, or the Debug entry point called
// with a level above 0, turns it on, so that the first run on a machine with
// a real keyboard can tell what the interfaces look like, what was opened
// and how, what failed with which error code, and every report both ways.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ostrel/hid_device_layer.h"
#include "ostrel/service_backend.h"

namespace velkor {

class DiagnosticLog {
 public:
  using Sink = std::function<void(const std::string& line)>;
  DiagnosticLog() = default;
  DiagnosticLog(const DiagnosticLog&) = delete;
  DiagnosticLog& operator=(const DiagnosticLog&) = delete;
  ~DiagnosticLog();

  // Logs to the file from now on, after what it already holds; false, and
  // nothing logged, when it cannot be opened.
  bool OpenFile(const std::u16string& path);
  // Logs to a function instead (tests, the probe tool's console).
  void OpenSink(Sink sink);
  void Close();
  bool enabled() const { return enabled_.load(std::memory_order_relaxed); }

  // The Debug entry point's level: above 0 turns the log on (into
  // default_path when no file was configured), 0 turns off what it turned on.
  void SetDebugLevel(int level, const std::u16string& default_path);

  // One line, after the seconds since the log was opened.
  void Line(std::string_view text);

 private:
  void OpenedLocked();
  std::mutex mutex_;
  std::atomic<bool> enabled_{false};
  std::FILE* file_ = nullptr;
  Sink sink_;
  bool opened_by_debug_ = false;
  std::chrono::steady_clock::time_point start_;
};

// The log of the process (Ostrel.dll's, hidprobe's).
DiagnosticLog& ProcessLog();

// printf into a string.
std::string Printf(const char* format, ...);

// "04 12 00 03": two hex digits a byte, spaces between.
std::string HexBytes(std::span<const uint8_t> bytes);

std::string InterfaceName(KeyboardInterface kind);  // "command", "consumer", "LED", "other"
std::string AccessName(HidAccess access);           // "read/write", "read-only", "without access"

// The report IDs a list of capabilities names, in order, each once.
std::vector<uint8_t> ReportIds(std::span<const HidFieldCaps> caps);

// "vendor 0C45 product 6741 version 0100 usage FF1C:0092 input 64 (ids 04)
// output 64 (ids 04) feature 0 (ids none)": lengths in bytes, report ID first.
std::string DescribeCollection(const HidCollection& collection);

// One line a capability: "input id 02 array 000C:0000-03FF count 2 logical 0-03FF".
std::vector<std::string> DescribeFields(const HidCollection& collection);

// What does not look the way the program sends and reads the interface:
// report 4 must be both an input and an output report of the command
// collection, whose output reports must take 64 bytes, and report 5 an
// output report of the LED collection. Empty when all is as expected.
std::vector<std::string> ReportLayoutProblems(const HidCollection& collection, KeyboardInterface kind);

}  // namespace velkor
