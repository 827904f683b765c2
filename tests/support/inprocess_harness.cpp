// The host's harness: the service library and its emulator in this process.
#include <memory>

#include "ostrel/emulator_backend.h"
#include "ostrel/service_library.h"
#include "tests/support/device_harness.h"

namespace velkor::testing {
namespace {

class InProcessHarness : public DeviceHarness {
 public:
  InProcessHarness() : api_(InProcessHidServiceApi()) {
    ServiceLibrary::Instance().UseBackend(std::make_unique<EmulatorBackend>(EmulatorOptions{}));
    api_.Init(0);
  }
  // The library's threads stop before the process ends, so nothing they
  // hold looks like a leak.
  ~InProcessHarness() override { api_.End(); }
  const HidServiceApi& api() override { return api_; }
  std::string Control(const std::string& command) override {
    return ServiceLibrary::Instance().Control(command);
  }

 private:
  HidServiceApi api_;
};

}  // namespace

DeviceHarness& Harness() {
  static InProcessHarness harness;
  return harness;
}

}  // namespace velkor::testing
