// The keyboard emulator behind the HID service library, for device tests:
// in-process on the host, through Ostrel.dll under Wine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/hid_service/hid_service_api.h"

namespace velkor::testing {

class DeviceHarness {
 public:
  virtual ~DeviceHarness() = default;
  virtual const HidServiceApi& api() = 0;
  // A command of the emulator's control language (as kbemu sends it).
  virtual std::string Control(const std::string& command) = 0;
};

// The one harness of the test process, started on first use.
DeviceHarness& Harness();

// One request as the emulator logged it.
struct LoggedRequest {
  std::string name;
  std::vector<uint8_t> bytes;  // all 64
  unsigned length() const { return bytes.size() > 4 ? bytes[4] : 0; }
  unsigned address() const { return bytes.size() > 6 ? bytes[5] | (bytes[6] << 8) : 0; }
};
std::vector<LoggedRequest> LoggedRequests(DeviceHarness& harness);

// Requests as bytes 3.. of the report: code, length, address (low, high),
// status and, for writes, the payload of that length ("06 01 02 00 00 03").
// Bytes after it that are not zero add " (bytes after it)".
std::vector<std::string> RequestTexts(const std::vector<LoggedRequest>& requests);

// "04 01 00 01" -> bytes, padded with zeros to size when given.
std::vector<uint8_t> Hex(const std::string& text, size_t size = 0);

// The bytes of a kbemu hex dump ("0000: AA 55 ..." lines).
std::vector<uint8_t> FromDump(const std::string& dump);

}  // namespace velkor::testing
