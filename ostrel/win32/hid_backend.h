// The back end over the keyboard's real HID interfaces. Every matching HID
// collection is opened shared and overlapped; the command and consumer
// interfaces each get a reader thread, and a monitor thread re-enumerates
// every 500 ms to follow keyboards being attached and removed.
//
// The interfaces of one keyboard are grouped by the device-tree node of the
// USB device they hang below: the parent of the HID collection, or its
// grandparent when the parent is one interface of a composite device. When
// the device tree cannot be asked, the interface path up to its interface
// fields stands in (DeviceKeyFromPath).
//
// Needs setupapi, hid and cfgmgr32.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ostrel/hid_framing.h"
#include "ostrel/service_backend.h"
#include "platform/win32/handles.h"

namespace velkor {

class HidBackend : public ServiceBackend {
 public:
  HidBackend() = default;
  HidBackend(const HidBackend&) = delete;
  HidBackend& operator=(const HidBackend&) = delete;
  ~HidBackend() override { Stop(); }

  // Opens the keyboards attached now and starts the threads; false when it
  // is already started or a thread or event cannot be made.
  bool Start(BackendSink* sink) override;
  void Stop() override;
  int DeviceCount(const DeviceSelector& selector) override;
  // 1 when written, 0 when no attached keyboard has the interface, -1 when
  // the report does not fit the interface or the write failed or timed out.
  int WriteReport(const DeviceSelector& selector, const uint8_t* data, size_t length) override;

 private:
  class Device;
  // What one look at an interface path told (kNone: not the keyboard's).
  struct Probe {
    KeyboardInterface kind = KeyboardInterface::kNone;
    std::u16string device;
    uint16_t input_length = 0;
    uint16_t output_length = 0;
  };

  void MonitorLoop();
  // One poll: enumerate, and apply a change once two polls agree on it.
  void Poll();
  // The sorted paths of the keyboard's interfaces present now; false when
  // the system could not be asked (nothing is taken as removed then).
  bool Enumerate(std::vector<std::wstring>& paths);
  // Makes the open devices those of paths: closes the rest (and any whose
  // reader has ended), opens the new; announce tells the sink of a new count.
  void Apply(const std::vector<std::wstring>& paths, bool announce);
  // The sorted paths of the open devices, an empty one for each device that
  // was closed or whose reader has ended: no poll sees that, so the device is
  // closed or reopened.
  std::vector<std::wstring> OpenPaths();
  std::shared_ptr<Device> FirstOf(KeyboardInterface kind);

  BackendSink* sink_ = nullptr;
  UniqueHandle stop_event_;
  std::thread monitor_;
  // Probes by path, for every present path that could be probed; only the
  // monitor (or Start, before it runs) touches it.
  std::map<std::wstring, Probe> probes_;
  SettledValue<std::vector<std::wstring>> settled_;
  std::mutex devices_mutex_;
  // Sorted by device key, then path: the first is the first keyboard's.
  std::vector<std::shared_ptr<Device>> devices_;
};

}  // namespace velkor
