// Binding the HID service library: every one of the twelve entry points must
// be there, and the library must say it is ready. The platform's loader is
// behind a small interface so the rule can be tested anywhere.
#pragma once

#include <optional>

#include "device/hid_service/hid_service_api.h"

namespace velkor {

class ModuleLoader {
 public:
  virtual ~ModuleLoader() = default;
  // Loads the library; false when it can't be found or loaded.
  virtual bool Load() = 0;
  // The address of an exported function, or null.
  virtual void* Resolve(const char* name) = 0;
};

// Loads the library, resolves the entry points in their order and calls
// Init(0), which must answer more than 0. Nothing when any step fails; the
// program then ends at once.
std::optional<HidServiceApi> BindHidService(ModuleLoader& loader);

}  // namespace velkor
