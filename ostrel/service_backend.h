// What our HID service library needs from whatever stands behind it: the
// keyboard emulator, or the platform's HID devices. The library itself
// (ServiceLibrary) keeps the registrations, checks argument sums and calls
// the program's callbacks on a thread of its own; a back end only moves
// reports.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device/hid_service/hid_service_api.h"

namespace velkor {

enum class KeyboardInterface { kCommand, kConsumer, kLed, kNone };

// Which of the keyboard's interfaces a selector names (vendor, product and
// the usage pair must all match); kNone for anything else.
KeyboardInterface InterfaceOf(const DeviceSelector& selector);

// Where a back end delivers what the keyboard sends. Safe to call from any
// thread of the back end.
class BackendSink {
 public:
  virtual ~BackendSink() = default;
  // An input report from one interface: a command reply (the 64 bytes) or a
  // consumer code. Delivered to the program after delay.
  virtual void InputReport(KeyboardInterface from, std::vector<uint8_t> bytes,
                           std::chrono::microseconds delay = std::chrono::microseconds(0)) = 0;
  // A consumer code from the keyboard's own keys.
  virtual void ConsumerCode(uint16_t code,
                            std::chrono::microseconds delay = std::chrono::microseconds(0)) = 0;
  // The number of attached keyboards changed.
  virtual void DeviceCountChanged(int count) = 0;
};

class ServiceBackend {
 public:
  virtual ~ServiceBackend() = default;
  virtual bool Start(BackendSink* sink) = 0;
  virtual void Stop() = 0;
  // Attached keyboards that have the selector's interface.
  virtual int DeviceCount(const DeviceSelector& selector) = 0;
  // Writes one output report to the selector's interface; > 0 on success,
  // <= 0 when the write was refused or failed.
  virtual int WriteReport(const DeviceSelector& selector, const uint8_t* data, size_t length) = 0;
  // A command of the emulator's control channel; back ends without one say so.
  virtual std::string Control(const std::string& command_line) {
    return "error: this back end has no control channel\n";
  }
};

}  // namespace velkor
