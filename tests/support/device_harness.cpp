#include "tests/support/device_harness.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "device/commands.h"

namespace velkor::testing {

std::vector<uint8_t> Hex(const std::string& text, size_t size) {
  std::vector<uint8_t> out;
  std::istringstream in(text);
  std::string byte;
  while (in >> byte) out.push_back(static_cast<uint8_t>(std::stoul(byte, nullptr, 16)));
  if (out.size() < size) out.resize(size, 0);
  return out;
}

std::vector<uint8_t> FromDump(const std::string& dump) {
  std::vector<uint8_t> bytes;
  std::istringstream lines(dump);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::vector<uint8_t> row = Hex(line.substr(colon + 1));
    bytes.insert(bytes.end(), row.begin(), row.end());
  }
  return bytes;
}

std::vector<LoggedRequest> LoggedRequests(DeviceHarness& harness) {
  std::vector<LoggedRequest> requests;
  std::istringstream log(harness.Control("log 4000"));
  std::string line;
  while (std::getline(log, line)) {
    const size_t arrow = line.find(" > ");
    const size_t bar = line.find(" | ");
    if (line.empty() || line[0] != '#' || arrow == std::string::npos || bar == std::string::npos) continue;
    LoggedRequest r;
    std::istringstream head(line.substr(arrow + 3));
    head >> r.name;
    r.bytes = Hex(line.substr(bar + 3));
    requests.push_back(std::move(r));
  }
  return requests;
}

std::vector<std::string> RequestTexts(const std::vector<LoggedRequest>& requests) {
  std::vector<std::string> out;
  for (const LoggedRequest& r : requests) {
    const bool write = r.bytes[3] == kCmdWriteParameters || r.bytes[3] == kCmdWriteKeyColours;
    const size_t end = std::min<size_t>(write ? 8 + r.length() : 8, r.bytes.size());
    std::string text;
    for (size_t i = 3; i < end; ++i) {
      char b[4];
      std::snprintf(b, sizeof(b), "%02X", r.bytes[i]);
      if (i > 3) text += ' ';
      text += b;
    }
    // Anything after the request shows, so that no comparison passes.
    if (std::any_of(r.bytes.begin() + static_cast<std::ptrdiff_t>(end), r.bytes.end(), [](uint8_t b) { return b != 0; })) {
      text += " (bytes after it)";
    }
    out.push_back(text);
  }
  return out;
}

}  // namespace velkor::testing
