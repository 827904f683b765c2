#include "ostrel/entry_points.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "ostrel/diagnostic_log.h"

namespace velkor::entry {

namespace {

void Note(const char* name, const char* what) noexcept {
  try {
    ProcessLog().Line(std::string(name) + " failed: " + what);
  } catch (...) {
    // Not even the log line could be made.
  }
}

// Runs body; what it throws is noted in the log and failure is answered
// (and, when given, the handle the call was to name is cleared).
template <typename Body>
int Guard(const char* name, int failure, Body&& body, uint32_t* handle = nullptr) noexcept {
  try {
    return body();
  } catch (const std::exception& e) {
    Note(name, e.what());
  } catch (...) {
    Note(name, "unknown failure");
  }
  if (handle) *handle = 0;
  return failure;
}

}  // namespace

int Debug(int level, std::u16string (*default_log)()) noexcept {
  return Guard("Debug", 0, [&] {
    ProcessLog().SetDebugLevel(level, default_log ? default_log() : std::u16string());
    return 1;
  });
}

int Init(ServiceLibrary& library, int flags, void (*prepare)()) noexcept {
  return Guard("Init", 0, [&] {
    if (prepare) prepare();
    return library.Init(flags);
  });
}

int End(ServiceLibrary& library) noexcept {
  return Guard("End", 0, [&] { return library.End(); });
}

int GetDeviceCount(ServiceLibrary& library, const DeviceSelector* selector, uint32_t a, uint32_t b,
                   uint32_t sum) noexcept {
  return Guard("RequestGetDeviceCount", 0, [&] { return library.GetDeviceCount(selector, a, b, sum); });
}

int DeleteFromUnitId(ServiceLibrary& library, uint32_t handle) noexcept {
  return Guard("DeleteRequestFromUnitId", 0, [&] { return library.DeleteFromUnitId(handle); });
}

int WriteOne(ServiceLibrary& library, const DeviceSelector* selector, uint32_t a, uint32_t b, const uint8_t* report,
             uint32_t length, uint32_t sum) noexcept {
  return Guard("RequestWriteOne", -1, [&] { return library.WriteOne(selector, a, b, report, length, sum); });
}

int AsyncRead(ServiceLibrary& library, const DeviceSelector* selector, HidInputCallback callback, InterfaceTag tag,
              uint32_t sum, uint32_t* handle) noexcept {
  return Guard(
      "RequestAsyncRead", 0, [&] { return library.AsyncRead(selector, callback, tag, sum, handle); }, handle);
}

int StatusWrite(ServiceLibrary& library, const DeviceSelector* selector, HidInputCallback callback,
                InterfaceTag tag, const uint8_t* data, uint32_t length, uint32_t sum, uint32_t* handle) noexcept {
  return Guard(
      "RequestStatusWrite", 0,
      [&] { return library.StatusWrite(selector, callback, tag, data, length, sum, handle); }, handle);
}

int Control(ServiceLibrary& library, const char* command, char* answer, int capacity) noexcept {
  return Guard("OstrelControl", -1, [&] {
    if (!command) return -1;
    const std::string text = library.Control(command);
    if (answer && capacity > 0) {
      const size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
      std::memcpy(answer, text.data(), n);
      answer[n] = '\0';
    }
    return static_cast<int>(std::min<size_t>(text.size(), 0x7FFFFFFF));
  });
}

}  // namespace velkor::entry
