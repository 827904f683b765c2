// The device layer over the platform's HID class driver, and the HID back
// end built on it (ostrel/hid_device_backend.h holds its decisions).
//
// Interfaces are listed with SetupAPI, probed with a handle that has no
// access rights (HidD_GetAttributes, the capabilities), and opened shared
// and overlapped. A message-only window on the back end's monitor thread
// hears of HID interfaces arriving and going and, for every open handle, of
// the system asking to remove its device: the handle is then closed at
// once, so that disabling, updating or uninstalling the keyboard's driver
// never waits for the program to end.
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

#include <memory>
#include <string>

#include "ostrel/diagnostic_log.h"
#include "ostrel/hid_device_layer.h"
#include "ostrel/service_backend.h"

namespace velkor {

std::unique_ptr<HidDeviceLayer> MakeWin32HidLayer(DiagnosticLog& log);

// The back end Ostrel.dll names "hid".
std::unique_ptr<ServiceBackend> MakeHidBackend(DiagnosticLog& log);

// The strings a HID interface's device gives (for the probe tool); empty
// where it gives none.
struct HidDeviceStrings {
  std::u16string manufacturer;
  std::u16string product;
  std::u16string serial;
};
HidDeviceStrings ReadHidDeviceStrings(const std::u16string& path);

}  // namespace velkor
