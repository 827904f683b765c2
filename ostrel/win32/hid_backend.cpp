#include "ostrel/win32/hid_backend.h"

#include <cfgmgr32.h>
#include <setupapi.h>

extern "C" {
#include <hidsdi.h>
}

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cwchar>
#include <tuple>

#include "platform/win32/wide.h"

namespace velkor {

namespace {

constexpr DWORD kPollIntervalMs = 500;
constexpr DWORD kReadWaitMs = 500;
constexpr DWORD kWriteTimeoutMs = 1000;

struct DevInfoCloser {
  void operator()(HDEVINFO set) const { SetupDiDestroyDeviceInfoList(set); }
};
using UniqueDevInfo = UniqueResource<HDEVINFO, nullptr, DevInfoCloser>;

struct PresentInterface {
  std::wstring path;
  DEVINST instance = 0;
};

// Every present HID interface; false when the list could not be had whole.
bool ListHidInterfaces(std::vector<PresentInterface>& out) {
  GUID hid_guid;
  HidD_GetHidGuid(&hid_guid);
  HDEVINFO raw = SetupDiGetClassDevsW(&hid_guid, nullptr, nullptr,
                                      DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (raw == INVALID_HANDLE_VALUE) return false;
  UniqueDevInfo set(raw);
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof(data);
  for (DWORD index = 0; SetupDiEnumDeviceInterfaces(set.get(), nullptr, &hid_guid, index, &data);
       ++index) {
    DWORD needed = 0;
    SetupDiGetDeviceInterfaceDetailW(set.get(), &data, nullptr, 0, &needed, nullptr);
    constexpr size_t kPathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
    if (needed <= kPathOffset) continue;
    // 8-byte units keep the detail record aligned.
    std::vector<uint64_t> storage((needed + sizeof(uint64_t) - 1) / sizeof(uint64_t));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof(info);
    if (!SetupDiGetDeviceInterfaceDetailW(set.get(), &data, detail, needed, nullptr, &info)) {
      continue;
    }
    const size_t room = (needed - kPathOffset) / sizeof(wchar_t);
    PresentInterface present;
    present.path.assign(detail->DevicePath, wcsnlen(detail->DevicePath, room));
    present.instance = info.DevInst;
    if (!present.path.empty()) out.push_back(std::move(present));
  }
  return GetLastError() == ERROR_NO_MORE_ITEMS;
}

// The key of the physical device an interface belongs to: the identifier of
// the USB device above the HID collection (past the interface node of a
// composite device), or failing that the path's stand-in.
std::u16string DeviceKey(const PresentInterface& present) {
  std::u16string key;
  DEVINST node = present.instance;
  for (int depth = 0; depth < 2; ++depth) {
    DEVINST parent = 0;
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    if (CM_Get_Parent(&parent, node, 0) != CR_SUCCESS ||
        CM_Get_Device_IDW(parent, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) {
      break;
    }
    key = FromWide(id);
    if (!IsUsbInterfaceNode(key)) break;
    node = parent;
  }
  return key.empty() ? DeviceKeyFromPath(FromWide(present.path)) : key;
}

UniqueHandle OpenInterface(const std::wstring& path, DWORD access) {
  HANDLE file = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  return UniqueHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

UniqueHandle MakeEvent() { return UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

}  // namespace

// One open interface of an attached keyboard, with its reader thread.
class HidBackend::Device {
 public:
  Device(std::wstring path, const Probe& probe, UniqueHandle file)
      : path_(std::move(path)), probe_(probe), file_(std::move(file)) {}
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;
  ~Device() { Close(); }

  // Opened for reading and writing; null when that is refused.
  static std::shared_ptr<Device> Open(const std::wstring& path, const Probe& probe) {
    UniqueHandle file = OpenInterface(path, GENERIC_READ | GENERIC_WRITE);
    if (!file) return nullptr;
    auto device = std::make_shared<Device>(path, probe, std::move(file));
    device->stop_ = MakeEvent();
    device->read_event_ = MakeEvent();
    device->write_event_ = MakeEvent();
    if (!device->stop_ || !device->read_event_ || !device->write_event_) return nullptr;
    return device;
  }

  const std::wstring& path() const { return path_; }
  const std::u16string& key() const { return probe_.device; }
  KeyboardInterface kind() const { return probe_.kind; }
  uint16_t output_length() const { return probe_.output_length; }
  // False once closed or once its reader has ended on an error.
  bool healthy() const { return !broken_; }

  // The command and consumer interfaces are read; the LED interface is not.
  bool StartReader(BackendSink* sink) {
    const bool read = kind() == KeyboardInterface::kCommand ||
                      kind() == KeyboardInterface::kConsumer;
    if (!read || probe_.input_length == 0) return true;
    try {
      reader_ = std::thread(&Device::ReadLoop, this, sink);
    } catch (...) {
      return false;
    }
    return true;
  }

  // Ends the reader; the handle is closed with the last owner.
  void Close() {
    broken_ = true;
    SetEvent(stop_.get());
    if (reader_.joinable()) reader_.join();
  }

  bool Write(const std::vector<uint8_t>& frame) {
    std::lock_guard lock(write_mutex_);
    OVERLAPPED overlapped{};
    overlapped.hEvent = write_event_.get();
    const auto size = static_cast<DWORD>(frame.size());
    if (!WriteFile(file_.get(), frame.data(), size, nullptr, &overlapped)) {
      if (GetLastError() != ERROR_IO_PENDING) return false;
      if (WaitForSingleObject(write_event_.get(), kWriteTimeoutMs) != WAIT_OBJECT_0) {
        CancelIoEx(file_.get(), &overlapped);
      }
    }
    // Waits for a cancelled write to end before frame and overlapped go; a
    // write that completed before the cancel took hold still counts.
    DWORD written = 0;
    return GetOverlappedResult(file_.get(), &overlapped, &written, TRUE) && written == size;
  }

 private:
  // One read is kept pending at a time; it ends with the stop event or with
  // an error (the keyboard was removed), after which it is marked failed.
  void ReadLoop(BackendSink* sink) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = read_event_.get();
    bool pending = false;
    bool stopped = false;
    try {
      std::vector<uint8_t> buffer(probe_.input_length);
      const auto size = static_cast<DWORD>(buffer.size());
      const HANDLE waits[2] = {stop_.get(), read_event_.get()};
      for (;;) {
        if (!pending) {
          // A read that completes at once signals the event as well.
          if (!ReadFile(file_.get(), buffer.data(), size, nullptr, &overlapped) &&
              GetLastError() != ERROR_IO_PENDING) {
            break;
          }
          pending = true;
        }
        const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, kReadWaitMs);
        if (woken == WAIT_TIMEOUT) continue;
        if (woken != WAIT_OBJECT_0 + 1) {
          stopped = woken == WAIT_OBJECT_0;
          break;
        }
        DWORD got = 0;
        if (!GetOverlappedResult(file_.get(), &overlapped, &got, FALSE)) {
          if (GetLastError() == ERROR_IO_INCOMPLETE) continue;
          pending = false;
          break;
        }
        pending = false;
        Deliver(sink, buffer.data(), std::min<DWORD>(got, size));
      }
    } catch (...) {
    }
    if (pending) {
      CancelIoEx(file_.get(), &overlapped);
      DWORD got = 0;
      GetOverlappedResult(file_.get(), &overlapped, &got, TRUE);
    }
    if (!stopped) broken_ = true;
  }

  void Deliver(BackendSink* sink, const uint8_t* report, size_t length) {
    if (!sink) return;
    if (kind() == KeyboardInterface::kCommand) {
      auto reply = CommandReplyFromInput(report, length);
      if (!reply.empty()) sink->InputReport(KeyboardInterface::kCommand, std::move(reply));
    } else if (const auto code = ConsumerCodeFromInput(report, length)) {
      sink->ConsumerCode(*code);
    }
  }

  const std::wstring path_;
  const Probe probe_;
  UniqueHandle file_;
  UniqueHandle stop_;
  UniqueHandle read_event_;
  UniqueHandle write_event_;
  std::mutex write_mutex_;
  std::thread reader_;
  std::atomic<bool> broken_{false};
};

bool HidBackend::Start(BackendSink* sink) {
  if (monitor_.joinable()) return false;
  stop_event_ = MakeEvent();
  if (!stop_event_) return false;
  sink_ = sink;
  try {
    std::vector<std::wstring> paths;
    if (Enumerate(paths)) Apply(paths, false);
    monitor_ = std::thread(&HidBackend::MonitorLoop, this);
  } catch (...) {
    Stop();
    return false;
  }
  return true;
}

void HidBackend::Stop() {
  if (stop_event_) SetEvent(stop_event_.get());
  if (monitor_.joinable()) monitor_.join();
  std::vector<std::shared_ptr<Device>> devices;
  {
    std::lock_guard lock(devices_mutex_);
    devices.swap(devices_);
  }
  for (const auto& device : devices) device->Close();
  devices.clear();
  probes_.clear();
  settled_ = SettledValue<std::vector<std::wstring>>();
  stop_event_.reset();
  sink_ = nullptr;
}

int HidBackend::DeviceCount(const DeviceSelector& selector) {
  const KeyboardInterface kind = InterfaceOf(selector);
  if (kind == KeyboardInterface::kNone) return 0;
  std::vector<KeyboardInterfaceEntry> entries;
  {
    std::lock_guard lock(devices_mutex_);
    for (const auto& device : devices_) entries.push_back({device->key(), device->kind()});
  }
  return CountKeyboards(entries, kind);
}

int HidBackend::WriteReport(const DeviceSelector& selector, const uint8_t* data, size_t length) {
  const std::shared_ptr<Device> device = FirstOf(InterfaceOf(selector));
  if (!device) return 0;
  const std::vector<uint8_t> frame = FrameOutputReport(data, length, device->output_length());
  if (frame.empty()) return -1;
  return device->Write(frame) ? 1 : -1;
}

void HidBackend::MonitorLoop() {
  while (WaitForSingleObject(stop_event_.get(), kPollIntervalMs) == WAIT_TIMEOUT) {
    try {
      Poll();
    } catch (...) {
      // Out of memory for one poll; the next one tries again.
    }
  }
}

void HidBackend::Poll() {
  std::vector<std::wstring> paths;
  if (!Enumerate(paths)) return;
  settled_.Set(OpenPaths());
  if (const auto change = settled_.Poll(paths)) Apply(*change, true);
}

bool HidBackend::Enumerate(std::vector<std::wstring>& paths) {
  std::vector<PresentInterface> present;
  if (!ListHidInterfaces(present)) return false;
  // Known paths keep their probe; a path is probed once while it stays, and
  // only probes that succeeded are kept, so a failed one is tried again.
  std::map<std::wstring, Probe> probes;
  for (const auto& item : present) {
    if (const auto known = probes_.find(item.path); known != probes_.end()) {
      probes.insert(*known);
      continue;
    }
    // Attributes and capabilities need no access rights, so devices the
    // system holds (its own keyboards and mice) are probed once too.
    UniqueHandle file = OpenInterface(item.path, 0);
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof(attributes);
    if (!file || !HidD_GetAttributes(file.get(), &attributes)) continue;
    Probe probe;
    if (attributes.VendorID == kKeyboardVendor && attributes.ProductID == kKeyboardProduct) {
      PHIDP_PREPARSED_DATA preparsed = nullptr;
      if (!HidD_GetPreparsedData(file.get(), &preparsed)) continue;
      HIDP_CAPS caps{};
      const NTSTATUS status = HidP_GetCaps(preparsed, &caps);
      HidD_FreePreparsedData(preparsed);
      if (status != HIDP_STATUS_SUCCESS) continue;
      probe.kind =
          MatchInterface(attributes.VendorID, attributes.ProductID, caps.UsagePage, caps.Usage);
      probe.input_length = caps.InputReportByteLength;
      probe.output_length = caps.OutputReportByteLength;
      if (probe.kind != KeyboardInterface::kNone) probe.device = DeviceKey(item);
    }
    probes.emplace(item.path, std::move(probe));
  }
  probes_.swap(probes);
  paths.clear();
  for (const auto& [path, probe] : probes_) {
    if (probe.kind != KeyboardInterface::kNone) paths.push_back(path);
  }
  return true;
}

void HidBackend::Apply(const std::vector<std::wstring>& paths, bool announce) {
  std::vector<std::shared_ptr<Device>> current;
  {
    std::lock_guard lock(devices_mutex_);
    current = devices_;
  }
  const auto count = [](const std::vector<std::shared_ptr<Device>>& devices) {
    std::vector<KeyboardInterfaceEntry> entries;
    for (const auto& device : devices) entries.push_back({device->key(), device->kind()});
    return CountKeyboards(entries);
  };
  const int before = count(current);

  std::vector<std::shared_ptr<Device>> keep;
  for (const auto& device : current) {
    if (device->healthy() && std::binary_search(paths.begin(), paths.end(), device->path())) {
      keep.push_back(device);
    } else {
      device->Close();
    }
  }
  const size_t kept = keep.size();
  for (const auto& path : paths) {
    const bool open = std::any_of(keep.begin(), keep.begin() + kept,
                                  [&](const auto& device) { return device->path() == path; });
    const auto probe = probes_.find(path);
    if (open || probe == probes_.end()) continue;
    // Refused now (another program holds it exclusively, or it is going):
    // the next polls try again.
    auto device = Device::Open(path, probe->second);
    if (device && device->StartReader(sink_)) keep.push_back(std::move(device));
  }
  std::sort(keep.begin(), keep.end(), [](const auto& a, const auto& b) {
    return std::tie(a->key(), a->path()) < std::tie(b->key(), b->path());
  });
  const int after = count(keep);
  {
    std::lock_guard lock(devices_mutex_);
    devices_.swap(keep);
  }
  if (announce && after != before && sink_) sink_->DeviceCountChanged(after);
}

std::vector<std::wstring> HidBackend::OpenPaths() {
  std::vector<std::wstring> paths;
  {
    std::lock_guard lock(devices_mutex_);
    for (const auto& device : devices_) {
      paths.push_back(!device->healthy() ? std::wstring() : device->path());
    }
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::shared_ptr<HidBackend::Device> HidBackend::FirstOf(KeyboardInterface kind) {
  if (kind == KeyboardInterface::kNone) return nullptr;
  std::lock_guard lock(devices_mutex_);
  for (const auto& device : devices_) {
    if (device->kind() == kind) return device;
  }
  return nullptr;
}

}  // namespace velkor
