// The back end over the keyboard's real HID interfaces, above a device layer
// (the platform's HID class driver on Windows, a fake in tests).
//
// A monitor thread looks at the HID interfaces present: at start, when the
// layer tells of an arrival or a removal (after a short quiet, since the
// collections of one keyboard appear one by one), when a reader finds its
// device gone, and otherwise only now and then. A path that names another
// vendor or product is never opened; the rest are probed once (a failed
// probe is tried a few times, then left until the path goes and comes back).
// The keyboard's command, consumer and LED collections are opened; the
// command and consumer collections each get a reader thread that waits
// without time-outs.
//
// Only healthy interfaces count and are written: one whose reader ended on
// an error, whose write found the device gone, or whose handle was closed at
// the system's request is not. A keyboard with such an interface is closed
// and opened anew as a whole, and the program is told of a removal and an
// arrival even when the count stays the same.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ostrel/diagnostic_log.h"
#include "ostrel/hid_device_layer.h"
#include "ostrel/hid_framing.h"
#include "ostrel/service_backend.h"

namespace velkor {

struct HidBackendTiming {
  // Quiet after word of an arrival or removal before the interfaces are
  // looked at, but no longer than settle_limit after the first word.
  std::chrono::milliseconds settle{250};
  std::chrono::milliseconds settle_limit{1000};
  // How often the interfaces are looked at without any word: rarely when
  // the layer tells of arrivals, more often when it cannot.
  std::chrono::milliseconds poll_watched{30000};
  std::chrono::milliseconds poll_unwatched{2000};
  // A probe or an open that failed is tried again after this: a probe
  // probe_attempts times in all, an open open_retries times more (and then
  // at every later look).
  std::chrono::milliseconds retry{1000};
  int probe_attempts = 3;
  int open_retries = 5;
  // Start waits this long at most for the first look.
  std::chrono::milliseconds start_limit{5000};
};

class HidDeviceBackend : public ServiceBackend, private HidLayerEvents {
 public:
  HidDeviceBackend(std::unique_ptr<HidDeviceLayer> layer, DiagnosticLog& log, HidBackendTiming timing = {});
  HidDeviceBackend(const HidDeviceBackend&) = delete;
  HidDeviceBackend& operator=(const HidDeviceBackend&) = delete;
  ~HidDeviceBackend() override;

  // Starts the monitor and returns once the keyboards attached now are open
  // (or start_limit has passed; later ones are then announced). False when it
  // is already started or the thread cannot be made.
  bool Start(BackendSink* sink) override;
  void Stop() override;
  // Keyboards with a healthy interface of the selector's kind.
  int DeviceCount(const DeviceSelector& selector) override;
  // 1 when written; 0 when no attached keyboard has a healthy interface of
  // the kind (or it went during the write); -1 when the report does not fit
  // the interface or the write failed. Bank flags (LED) go through the
  // control pipe, and through the interrupt pipe only when that is refused.
  int WriteReport(const DeviceSelector& selector, const uint8_t* data, size_t length) override;

  // Looks at the interfaces completed so far (tests wait on it).
  uint64_t scans() const { return scans_.load(); }

 private:
  struct Entry;
  struct PathRecord {
    enum class State { kNew, kSkipped, kProbed };
    State state = State::kNew;
    std::optional<HidCollection> collection;
    KeyboardInterface kind = KeyboardInterface::kNone;
    int probe_failures = 0;
    int open_failures = 0;
  };

  void MonitorLoop();
  void Scan(bool announce);
  void Look(const HidInterfacePath& present, PathRecord& record, bool& retry);
  std::shared_ptr<Entry> OpenEntry(const PathRecord& record);
  void ReadLoop(Entry* entry);
  void Deliver(Entry& entry, std::span<const uint8_t> report);
  void StopEntry(Entry& entry);
  void DropEntry(Entry& entry);
  std::shared_ptr<Entry> FirstHealthy(KeyboardInterface kind);
  std::shared_ptr<Entry> EntryOf(const HidOpenDevice* device);
  void NoteChange();
  void Log(const std::string& line) { log_.Line(line); }

  // HidLayerEvents, on the monitor thread.
  void InterfaceArrived(const std::u16string& path) override;
  void InterfaceRemoved(const std::u16string& path) override;
  void RemovalRequested(HidOpenDevice* device) override;
  void RemovalCancelled(HidOpenDevice* device) override;
  void Removed(HidOpenDevice* device) override;

  const std::unique_ptr<HidDeviceLayer> layer_;
  DiagnosticLog& log_;
  const HidBackendTiming timing_;
  BackendSink* sink_ = nullptr;
  std::thread monitor_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> change_{false};
  std::atomic<uint64_t> scans_{0};

  std::mutex start_mutex_;
  std::condition_variable start_signal_;
  bool first_scan_done_ = false;
  bool start_gave_up_ = false;

  // The monitor's own.
  bool watched_ = false;
  std::map<std::u16string, PathRecord> paths_;
  std::vector<KeyboardPresence> announced_;
  std::optional<std::chrono::steady_clock::time_point> retry_due_;
  uint64_t openings_ = 0;

  std::mutex entries_mutex_;
  // Sorted by device key, then path: the first healthy one of a kind is the
  // first keyboard's.
  std::vector<std::shared_ptr<Entry>> entries_;
};

}  // namespace velkor
