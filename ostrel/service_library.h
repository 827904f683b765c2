// Our HID service library, portable part: the registrations of the
// program's reads, the checking of argument sums, and the calling back on
// the library's own thread. Ostrel.dll is a thin layer of exports over the
// one process-wide instance; host tests use the same instance in-process.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <queue>
#include <string>
#include <thread>
#include <vector>

#include "device/hid_service/hid_service_api.h"
#include "ostrel/service_backend.h"

namespace velkor {

// Calls a function for each item at its due time, on a thread of its own.
class DeliveryQueue {
 public:
  using Item = std::function<void()>;
  void Start();
  void Stop();  // drops what is still queued
  void Push(Item item, std::chrono::microseconds delay);

 private:
  struct Entry {
    std::chrono::steady_clock::time_point due;
    uint64_t order;
    Item item;
    bool operator>(const Entry& o) const { return due != o.due ? due > o.due : order > o.order; }
  };
  void Loop();
  std::mutex mutex_;
  std::condition_variable signal_;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue_;
  uint64_t order_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

class ServiceLibrary : public BackendSink {
 public:
  static ServiceLibrary& Instance();
  // A library of its own (tests); the process-wide one is Instance().
  ServiceLibrary() = default;
  ServiceLibrary(const ServiceLibrary&) = delete;
  ServiceLibrary& operator=(const ServiceLibrary&) = delete;
  ~ServiceLibrary() override;

  // What Init starts, when no back end was given beforehand.
  void SetBackendFactory(std::function<std::unique_ptr<ServiceBackend>()> factory);
  // Gives the back end to use from the next Init (tests).
  void UseBackend(std::unique_ptr<ServiceBackend> backend);

  // The entry points. They may throw (an allocation, a thread that cannot be
  // made); the guarded bodies in entry_points.h catch it. A failed Init
  // leaves nothing started, and the next Init tries again.
  int Init(int flags);
  int End();
  int GetDeviceCount(const DeviceSelector* selector, uint32_t a, uint32_t b, uint32_t sum);
  int WriteOne(const DeviceSelector* selector, uint32_t a, uint32_t b, const uint8_t* report,
               uint32_t length, uint32_t sum);
  int AsyncRead(const DeviceSelector* selector, HidInputCallback callback, InterfaceTag tag,
                uint32_t sum, uint32_t* handle);
  int DeleteFromUnitId(uint32_t handle);
  int StatusWrite(const DeviceSelector* selector, HidInputCallback callback, InterfaceTag tag,
                  const uint8_t* data, uint32_t length, uint32_t sum, uint32_t* handle);

  // The back end's control channel (the emulator's, for kbemu and tests).
  std::string Control(const std::string& command_line);

  // BackendSink
  void InputReport(KeyboardInterface from, std::vector<uint8_t> bytes,
                   std::chrono::microseconds delay) override;
  void ConsumerCode(uint16_t code, std::chrono::microseconds delay) override;
  void DeviceCountChanged(int count) override;

  // Calls made with a wrong argument sum, refused.
  uint64_t refused_calls() const;

 private:
  struct Registration {
    KeyboardInterface from;
    HidInputCallback callback;
    InterfaceTag tag;
  };
  struct Delivery {
    uint32_t kind;  // kEventInputReport or kEventDeviceCount
    KeyboardInterface from;
    std::vector<uint8_t> bytes;
    uint16_t code;
    int count;
  };
  void Deliver(const Delivery& d);
  uint32_t Refuse();

  mutable std::mutex mutex_;
  std::function<std::unique_ptr<ServiceBackend>()> factory_;
  std::unique_ptr<ServiceBackend> backend_;
  bool started_ = false;
  std::map<uint32_t, Registration> reads_;
  uint32_t next_handle_ = 1;
  uint64_t refused_ = 0;

  // Replies and count changes on one thread, the keyboard's own key codes on
  // another, like the reads of two interfaces: a program that waits in a
  // key-code callback never holds up the reply another of its threads waits for.
  DeliveryQueue command_queue_;
  DeliveryQueue consumer_queue_;
};

// The twelve entry points bound to the process-wide library, for use without
// the DLL (host tests and benchmarks).
HidServiceApi InProcessHidServiceApi();

// The back end named by the environment ("hid" or "emulator") or else by
// Ostrel.ini's [Backend] Name; "hid" when neither names a known one.
std::string ChooseBackendName(const std::string& environment, const std::string& ini_value);

// Waits until the time point: sleeps most of the way, then spins, so that
// modelled USB frames last what they should.
void PreciseWaitUntil(std::chrono::steady_clock::time_point when);

}  // namespace velkor
