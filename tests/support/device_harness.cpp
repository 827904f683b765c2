#include "tests/support/device_harness.h"

#include <sstream>

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

}  // namespace velkor::testing
