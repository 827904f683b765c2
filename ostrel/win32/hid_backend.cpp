#include "ostrel/win32/hid_backend.h"

#include <cfgmgr32.h>
#include <dbt.h>
#include <setupapi.h>

extern "C" {
#include <hidsdi.h>
}

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <map>
#include <mutex>

#include "ostrel/hid_device_backend.h"
#include "ostrel/hid_framing.h"
#include "ostrel/win32/overlapped_io.h"
#include "platform/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace velkor {

namespace {

constexpr DWORD kWriteTimeoutMs = 1000;
constexpr wchar_t kWindowClass[] = L"OstrelHidWatch";

struct DevInfoCloser {
  void operator()(HDEVINFO set) const { SetupDiDestroyDeviceInfoList(set); }
};
using UniqueDevInfo = UniqueResource<HDEVINFO, nullptr, DevInfoCloser>;

UniqueHandle MakeEvent(BOOL manual_reset) { return UniqueHandle(CreateEventW(nullptr, manual_reset, FALSE, nullptr)); }

// Paths are compared as the system compares them, without regard to case;
// notifications spell them otherwise than SetupAPI does.
std::u16string FoldedPath(std::wstring_view path) {
  std::u16string out = FromWide(path);
  for (char16_t& c : out) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + (u'a' - u'A'));
  }
  return out;
}

// The key of the physical device an interface belongs to: the identifier of
// the USB device above the HID collection (past the interface node of a
// composite device), or failing that the path's stand-in.
std::u16string DeviceKey(const HidInterfacePath& present) {
  std::u16string key;
  DEVINST node = present.instance;
  for (int depth = 0; node != 0 && depth < 2; ++depth) {
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
  return key.empty() ? DeviceKeyFromPath(present.path) : key;
}

// HIDP_BUTTON_CAPS gained a ReportCount in the first 16 bits of what older
// headers call Reserved; systems that do not fill it leave 0 ("not said").
uint16_t ButtonReportCount(const HIDP_BUTTON_CAPS& caps) {
  uint16_t count = 0;
  std::memcpy(&count, &caps.Reserved[0], sizeof count);
  return count;
}

std::vector<HidFieldCaps> Fields(HIDP_REPORT_TYPE type, USHORT buttons, USHORT values,
                                 PHIDP_PREPARSED_DATA preparsed) {
  std::vector<HidFieldCaps> fields;
  if (buttons > 0) {
    std::vector<HIDP_BUTTON_CAPS> caps(buttons);
    USHORT n = buttons;
    if (HidP_GetButtonCaps(type, caps.data(), &n, preparsed) == HIDP_STATUS_SUCCESS) {
      for (USHORT i = 0; i < std::min(n, buttons); ++i) {
        const HIDP_BUTTON_CAPS& c = caps[i];
        if (c.IsAlias) continue;  // the same field under another usage
        HidFieldCaps f;
        f.report_id = c.ReportID;
        f.button = true;
        f.array = (c.BitField & 0x02) == 0;  // main item bit 1: variable
        f.usage_page = c.UsagePage;
        f.usage_min = c.IsRange ? c.Range.UsageMin : c.NotRange.Usage;
        f.usage_max = c.IsRange ? c.Range.UsageMax : c.NotRange.Usage;
        f.report_count = ButtonReportCount(c);
        fields.push_back(f);
      }
    }
  }
  if (values > 0) {
    std::vector<HIDP_VALUE_CAPS> caps(values);
    USHORT n = values;
    if (HidP_GetValueCaps(type, caps.data(), &n, preparsed) == HIDP_STATUS_SUCCESS) {
      for (USHORT i = 0; i < std::min(n, values); ++i) {
        const HIDP_VALUE_CAPS& c = caps[i];
        if (c.IsAlias) continue;
        HidFieldCaps f;
        f.report_id = c.ReportID;
        f.button = false;
        f.usage_page = c.UsagePage;
        f.usage_min = c.IsRange ? c.Range.UsageMin : c.NotRange.Usage;
        f.usage_max = c.IsRange ? c.Range.UsageMax : c.NotRange.Usage;
        f.bit_size = c.BitSize;
        f.report_count = c.ReportCount;
        f.logical_min = c.LogicalMin;
        f.logical_max = c.LogicalMax;
        fields.push_back(f);
      }
    }
  }
  return fields;
}

class Win32HidLayer;

// One open interface.
class Win32HidDevice : public HidOpenDevice {
 public:
  Win32HidDevice(Win32HidLayer& layer, UniqueHandle file, PHIDP_PREPARSED_DATA preparsed)
      : layer_(layer), file_(std::move(file)), preparsed_(preparsed) {}
  ~Win32HidDevice() override;

  bool Ready() const { return cancel_ && read_event_ && write_event_; }
  HANDLE file() const { return file_.get(); }
  void Watched(HDEVNOTIFY notify) { notify_ = notify; }

  HidIoResult Read(std::span<uint8_t> buffer) override {
    return OverlappedRead(file_.get(), read_event_.get(), cancel_.get(), buffer);
  }
  void CancelRead() override { SetEvent(cancel_.get()); }
  HidIoResult Write(std::span<const uint8_t> report) override {
    return OverlappedWrite(file_.get(), write_event_.get(), report, kWriteTimeoutMs);
  }
  HidIoResult SetOutputReport(std::span<const uint8_t> report) override {
    std::vector<uint8_t> copy(report.begin(), report.end());
    if (HidD_SetOutputReport(file_.get(), copy.data(), static_cast<ULONG>(copy.size()))) {
      return {HidIo::kDone, copy.size(), 0};
    }
    const DWORD error = GetLastError();
    return {ClassifyError(error), 0, error};
  }
  std::vector<uint16_t> PressedUsages(std::span<const uint8_t> report) override {
    if (!preparsed_ || report.empty()) return {};
    std::vector<char> copy(report.begin(), report.end());
    std::vector<USAGE_AND_PAGE> usages(64);
    ULONG n = static_cast<ULONG>(usages.size());
    if (HidP_GetUsagesEx(HidP_Input, 0, usages.data(), &n, preparsed_, copy.data(),
                         static_cast<ULONG>(copy.size())) != HIDP_STATUS_SUCCESS) {
      return {};
    }
    std::vector<uint16_t> out;
    for (ULONG i = 0; i < std::min<ULONG>(n, usages.size()); ++i) out.push_back(usages[i].Usage);
    return out;
  }
  void Close() override {
    if (!file_) return;
    CancelIoEx(file_.get(), nullptr);
    file_.reset();
  }

 private:
  Win32HidLayer& layer_;
  UniqueHandle file_;
  PHIDP_PREPARSED_DATA preparsed_ = nullptr;
  HDEVNOTIFY notify_ = nullptr;
  UniqueHandle cancel_ = MakeEvent(TRUE);
  UniqueHandle read_event_ = MakeEvent(TRUE);
  UniqueHandle write_event_ = MakeEvent(TRUE);

  friend class Win32HidLayer;
};

class Win32HidLayer : public HidDeviceLayer {
 public:
  explicit Win32HidLayer(DiagnosticLog& log) : log_(log), wake_(MakeEvent(FALSE)) { HidD_GetHidGuid(&hid_guid_); }
  ~Win32HidLayer() override { Unwatch(); }

  bool Watch(HidLayerEvents* events) override;
  void Unwatch() override;
  bool Wait(std::optional<std::chrono::milliseconds> timeout) override;
  void Wake() override { SetEvent(wake_.get()); }
  bool List(std::vector<HidInterfacePath>& out, uint32_t& error) override;
  std::optional<HidCollection> Probe(const HidInterfacePath& path, uint32_t& error) override;
  std::unique_ptr<HidOpenDevice> Open(const HidCollection& collection, HidAccess access, uint32_t& error) override;

  void Forget(Win32HidDevice* device) {
    if (!device->notify_) return;
    {
      std::lock_guard lock(devices_mutex_);
      devices_.erase(device->notify_);
    }
    UnregisterDeviceNotification(device->notify_);
    device->notify_ = nullptr;
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void OnDeviceChange(WPARAM event, const DEV_BROADCAST_HDR* header);
  Win32HidDevice* DeviceOf(HDEVNOTIFY notify) {
    std::lock_guard lock(devices_mutex_);
    const auto it = devices_.find(notify);
    return it == devices_.end() ? nullptr : it->second;
  }

  DiagnosticLog& log_;
  UniqueHandle wake_;
  GUID hid_guid_{};
  HWND window_ = nullptr;
  HDEVNOTIFY interfaces_ = nullptr;
  HidLayerEvents* events_ = nullptr;
  bool told_ = false;
  bool handle_refusal_logged_ = false;
  std::mutex devices_mutex_;
  std::map<HDEVNOTIFY, Win32HidDevice*> devices_;
};

Win32HidDevice::~Win32HidDevice() {
  layer_.Forget(this);
  Close();
  if (preparsed_) HidD_FreePreparsedData(preparsed_);
}

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

bool Win32HidLayer::Watch(HidLayerEvents* events) {
  events_ = events;
  const HMODULE module = ThisModule();
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = &Win32HidLayer::WindowProc;
  window_class.hInstance = module;
  window_class.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    log_.Line(Printf("no window for device notifications: the class was refused, error %lu", GetLastError()));
    return false;
  }
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, this);
  if (!window_) {
    log_.Line(Printf("no window for device notifications, error %lu", GetLastError()));
    return false;
  }
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof(filter);
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = hid_guid_;
  interfaces_ = RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  if (!interfaces_) {
    log_.Line(Printf("HID arrival notifications refused, error %lu", GetLastError()));
    return false;
  }
  return true;
}

void Win32HidLayer::Unwatch() {
  if (interfaces_) UnregisterDeviceNotification(interfaces_);
  interfaces_ = nullptr;
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  events_ = nullptr;
}

bool Win32HidLayer::Wait(std::optional<std::chrono::milliseconds> timeout) {
  told_ = false;
  const ULONGLONG end = timeout ? GetTickCount64() + static_cast<ULONGLONG>(timeout->count()) : 0;
  const HANDLE wake = wake_.get();
  for (;;) {
    // Notifications come as sent messages; peeking delivers them.
    MSG message;
    while (window_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (told_) return true;
    DWORD wait_ms = INFINITE;
    if (timeout) {
      const ULONGLONG now = GetTickCount64();
      if (now >= end) return false;
      wait_ms = static_cast<DWORD>(std::min<ULONGLONG>(end - now, 0x7FFFFFFF));
    }
    const DWORD woken = window_ ? MsgWaitForMultipleObjectsEx(1, &wake, wait_ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE)
                                : WaitForSingleObject(wake, wait_ms);
    if (woken == WAIT_OBJECT_0) return true;
    if (woken == WAIT_TIMEOUT) return false;
    if (window_ && woken == WAIT_OBJECT_0 + 1) continue;
    // The wait itself failed: never spin on it.
    Sleep(std::min<DWORD>(wait_ms, 100));
    return false;
  }
}

LRESULT CALLBACK Win32HidLayer::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* layer = reinterpret_cast<Win32HidLayer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_DEVICECHANGE && layer) {
    try {
      layer->OnDeviceChange(wparam, reinterpret_cast<const DEV_BROADCAST_HDR*>(lparam));
    } catch (...) {
      // Nothing may leave a window procedure; the next look finds the change.
      layer->told_ = true;
    }
    return TRUE;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void Win32HidLayer::OnDeviceChange(WPARAM event, const DEV_BROADCAST_HDR* header) {
  if (!header || !events_) return;
  if (header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
    const auto* item = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    const size_t room = header->dbch_size > offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name)
                            ? (header->dbch_size - offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name)) /
                                  sizeof(wchar_t)
                            : 0;
    const std::u16string path = FoldedPath(std::wstring_view(item->dbcc_name, wcsnlen(item->dbcc_name, room)));
    if (event == DBT_DEVICEARRIVAL) {
      told_ = true;
      events_->InterfaceArrived(path);
    } else if (event == DBT_DEVICEREMOVECOMPLETE) {
      told_ = true;
      events_->InterfaceRemoved(path);
    }
    return;
  }
  if (header->dbch_devicetype != DBT_DEVTYP_HANDLE) return;
  const auto* item = reinterpret_cast<const DEV_BROADCAST_HANDLE*>(header);
  Win32HidDevice* device = DeviceOf(item->dbch_hdevnotify);
  if (!device) return;
  told_ = true;
  switch (event) {
    case DBT_DEVICEQUERYREMOVE: events_->RemovalRequested(device); break;
    case DBT_DEVICEQUERYREMOVEFAILED: events_->RemovalCancelled(device); break;
    case DBT_DEVICEREMOVEPENDING:
    case DBT_DEVICEREMOVECOMPLETE: events_->Removed(device); break;
    default: break;
  }
}

bool Win32HidLayer::List(std::vector<HidInterfacePath>& out, uint32_t& error) {
  out.clear();
  HDEVINFO raw = SetupDiGetClassDevsW(&hid_guid_, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (raw == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return false;
  }
  UniqueDevInfo set(raw);
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof(data);
  DWORD index = 0;
  for (; SetupDiEnumDeviceInterfaces(set.get(), nullptr, &hid_guid_, index, &data); ++index) {
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
    if (!SetupDiGetDeviceInterfaceDetailW(set.get(), &data, detail, needed, nullptr, &info)) continue;
    const size_t room = (needed - kPathOffset) / sizeof(wchar_t);
    HidInterfacePath present;
    present.path = FoldedPath(std::wstring_view(detail->DevicePath, wcsnlen(detail->DevicePath, room)));
    present.instance = info.DevInst;
    if (!present.path.empty()) out.push_back(std::move(present));
  }
  const DWORD last = GetLastError();
  if (last != ERROR_NO_MORE_ITEMS) {
    error = last;
    return false;
  }
  return true;
}

std::optional<HidCollection> Win32HidLayer::Probe(const HidInterfacePath& present, uint32_t& error) {
  // Attributes and capabilities need no access rights, so devices the
  // system holds (its own keyboards and mice) can be asked too.
  HANDLE raw = CreateFileW(ToWide(present.path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
  if (raw == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return std::nullopt;
  }
  UniqueHandle file(raw);
  HIDD_ATTRIBUTES attributes{};
  attributes.Size = sizeof(attributes);
  if (!HidD_GetAttributes(file.get(), &attributes)) {
    error = GetLastError();
    return std::nullopt;
  }
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  if (!HidD_GetPreparsedData(file.get(), &preparsed)) {
    error = GetLastError();
    return std::nullopt;
  }
  HIDP_CAPS caps{};
  const NTSTATUS status = HidP_GetCaps(preparsed, &caps);
  if (status != HIDP_STATUS_SUCCESS) {
    HidD_FreePreparsedData(preparsed);
    error = static_cast<uint32_t>(status);
    return std::nullopt;
  }
  HidCollection c;
  c.path = present.path;
  c.vendor = attributes.VendorID;
  c.product = attributes.ProductID;
  c.version = attributes.VersionNumber;
  c.usage_page = caps.UsagePage;
  c.usage = caps.Usage;
  c.input_length = caps.InputReportByteLength;
  c.output_length = caps.OutputReportByteLength;
  c.feature_length = caps.FeatureReportByteLength;
  c.input = Fields(HidP_Input, caps.NumberInputButtonCaps, caps.NumberInputValueCaps, preparsed);
  c.output = Fields(HidP_Output, caps.NumberOutputButtonCaps, caps.NumberOutputValueCaps, preparsed);
  c.feature = Fields(HidP_Feature, caps.NumberFeatureButtonCaps, caps.NumberFeatureValueCaps, preparsed);
  HidD_FreePreparsedData(preparsed);
  // Only the keyboard's collections need their device; other devices are
  // not walked in the device tree.
  if (c.vendor == kKeyboardVendor && c.product == kKeyboardProduct) c.device = DeviceKey(present);
  return c;
}

std::unique_ptr<HidOpenDevice> Win32HidLayer::Open(const HidCollection& collection, HidAccess access,
                                                   uint32_t& error) {
  const DWORD rights = access == HidAccess::kReadWrite ? GENERIC_READ | GENERIC_WRITE
                       : access == HidAccess::kRead    ? GENERIC_READ
                                                       : 0;
  HANDLE raw = CreateFileW(ToWide(collection.path).c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (raw == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return nullptr;
  }
  UniqueHandle file(raw);
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  if (!HidD_GetPreparsedData(file.get(), &preparsed)) preparsed = nullptr;
  auto device = std::make_unique<Win32HidDevice>(*this, std::move(file), preparsed);
  if (!device->Ready()) {
    error = GetLastError();
    return nullptr;
  }
  if (window_) {
    DEV_BROADCAST_HANDLE filter{};
    filter.dbch_size = sizeof(filter);
    filter.dbch_devicetype = DBT_DEVTYP_HANDLE;
    filter.dbch_handle = device->file();
    if (HDEVNOTIFY notify = RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE)) {
      std::lock_guard lock(devices_mutex_);
      devices_[notify] = device.get();
      device->Watched(notify);
    } else if (!handle_refusal_logged_) {
      handle_refusal_logged_ = true;
      log_.Line(Printf("removal notifications for open handles refused, error %lu: a driver update may have to "
                       "wait for the program to end",
                       GetLastError()));
    }
  }
  return device;
}

}  // namespace

std::unique_ptr<HidDeviceLayer> MakeWin32HidLayer(DiagnosticLog& log) { return std::make_unique<Win32HidLayer>(log); }

std::unique_ptr<ServiceBackend> MakeHidBackend(DiagnosticLog& log) {
  return std::make_unique<HidDeviceBackend>(MakeWin32HidLayer(log), log);
}

HidDeviceStrings ReadHidDeviceStrings(const std::u16string& path) {
  HidDeviceStrings strings;
  HANDLE raw = CreateFileW(ToWide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
  if (raw == INVALID_HANDLE_VALUE) return strings;
  UniqueHandle file(raw);
  // The class driver takes at most 126 characters and a terminator.
  const auto read = [&](BOOLEAN(__stdcall * get)(HANDLE, PVOID, ULONG)) {
    wchar_t text[127] = {};
    if (!get(file.get(), text, sizeof(text) - sizeof(wchar_t))) return std::u16string();
    return FromWide(std::wstring_view(text, wcsnlen(text, 126)));
  };
  strings.manufacturer = read(&HidD_GetManufacturerString);
  strings.product = read(&HidD_GetProductString);
  strings.serial = read(&HidD_GetSerialNumberString);
  return strings;
}

}  // namespace velkor
