// The device layer under the HID back end: what the back end asks of the
// platform's HID class driver. The back end's own decisions (which
// interfaces it opens, which keyboards it counts, which arrivals and
// removals it announces, how it reads consumer codes) sit above this
// interface, so they run the same over the Windows layer and over a fake
// that plays a keyboard being unplugged, plugged in again or reset.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velkor {

// One button or value capability of a HID collection, as the platform's
// parser describes it.
struct HidFieldCaps {
  uint8_t report_id = 0;
  bool button = true;      // a button capability; false: a value capability
  bool array = false;      // a button field that holds usage numbers (an array), not one bit a usage
  uint16_t usage_page = 0;
  uint16_t usage_min = 0;  // the usage, or the first of a range
  uint16_t usage_max = 0;
  uint16_t bit_size = 0;      // bits a value; 0 when the platform does not say (buttons)
  uint16_t report_count = 0;  // values or array slots; 0 when the platform does not say
  int32_t logical_min = 0;
  int32_t logical_max = 0;
};

// What one look at a HID interface (a top-level collection) told.
struct HidCollection {
  std::u16string path;
  std::u16string device;  // the key of the physical device it belongs to
  uint16_t vendor = 0;
  uint16_t product = 0;
  uint16_t version = 0;
  uint16_t usage_page = 0;
  uint16_t usage = 0;
  // Report lengths as the platform reads and writes them: report ID first.
  uint16_t input_length = 0;
  uint16_t output_length = 0;
  uint16_t feature_length = 0;
  std::vector<HidFieldCaps> input;
  std::vector<HidFieldCaps> output;
  std::vector<HidFieldCaps> feature;
};

// One present HID interface: its path, and the platform's handle of its
// device node (0 when unknown), which finds the physical device.
struct HidInterfacePath {
  std::u16string path;
  uint32_t instance = 0;
};

// How an interface is opened. kNone asks for neither reading nor writing:
// attributes, capabilities and reports through the control pipe only.
enum class HidAccess { kReadWrite, kRead, kNone };

enum class HidIo {
  kDone,       // the report moved
  kCancelled,  // the read was cancelled
  kFailed,     // refused or timed out; the device may still be there
  kGone,       // the device is no longer there
};

struct HidIoResult {
  HidIo status = HidIo::kFailed;
  size_t bytes = 0;     // bytes moved
  uint32_t error = 0;   // the platform's error code when it failed
};

// One open interface.
class HidOpenDevice {
 public:
  // Stops watching the device for removal; the handle, if still open, closes.
  virtual ~HidOpenDevice() = default;
  // Reads one input report into buffer. Returns once a report arrived, the
  // read failed or CancelRead was called; whichever it was, the read has
  // ended by then (completed, or cancelled and waited for), so nothing
  // writes into buffer afterwards. One thread reads.
  virtual HidIoResult Read(std::span<uint8_t> buffer) = 0;
  // Makes the Read in progress, and every later one, end with kCancelled.
  // Any thread.
  virtual void CancelRead() = 0;
  // An output report through the interrupt pipe (the way WriteFile sends it),
  // waited for at most about a second.
  virtual HidIoResult Write(std::span<const uint8_t> report) = 0;
  // An output report through the control pipe (a SET_REPORT request).
  virtual HidIoResult SetOutputReport(std::span<const uint8_t> report) = 0;
  // The usages the platform's parser finds set in an input report of the
  // interface (one-bit-a-usage fields and arrays alike).
  virtual std::vector<uint16_t> PressedUsages(std::span<const uint8_t> report) = 0;
  // Lets go of the system's handle, because the system asked to remove the
  // device; word of the removal keeps coming until the object is destroyed.
  // Called once nothing reads or writes any more.
  virtual void Close() = 0;
};

// What the layer tells while Wait runs, on the thread that waits.
class HidLayerEvents {
 public:
  virtual ~HidLayerEvents() = default;
  // A HID interface appeared (path) or went (path empty when unknown).
  virtual void InterfaceArrived(const std::u16string& path) = 0;
  virtual void InterfaceRemoved(const std::u16string& path) = 0;
  // The system wants to remove the device behind an open interface: its
  // handle must be closed before this returns, or the removal fails.
  virtual void RemovalRequested(HidOpenDevice* device) = 0;
  // The removal asked for did not happen: the device may be opened again.
  virtual void RemovalCancelled(HidOpenDevice* device) = 0;
  // The device behind an open interface is gone (or going).
  virtual void Removed(HidOpenDevice* device) = 0;
};

class HidDeviceLayer {
 public:
  virtual ~HidDeviceLayer() = default;
  // Starts telling of interfaces arriving and going, and of the system's
  // requests to remove open devices, to events. False when the system will
  // not tell of arrivals (the back end then looks for itself now and then).
  // Called on the thread that waits, before the first Open.
  virtual bool Watch(HidLayerEvents* events) = 0;
  // Stops telling; on the thread that watched, after every open device is gone.
  virtual void Unwatch() = 0;
  // Waits until Wake is called, something was told, or the time has passed
  // (no time: without end). True unless the time ran out.
  virtual bool Wait(std::optional<std::chrono::milliseconds> timeout) = 0;
  // Ends the current or the next Wait. Any thread.
  virtual void Wake() = 0;
  // Every present HID interface; false when the system could not be asked
  // (error tells why).
  virtual bool List(std::vector<HidInterfacePath>& out, uint32_t& error) = 0;
  // Opens the interface without access rights and reads its attributes and
  // capabilities; nothing when that fails (error tells why).
  virtual std::optional<HidCollection> Probe(const HidInterfacePath& path, uint32_t& error) = 0;
  // Opens a probed interface; null when the system refuses (error tells why).
  virtual std::unique_ptr<HidOpenDevice> Open(const HidCollection& collection, HidAccess access,
                                              uint32_t& error) = 0;
};

}  // namespace velkor
