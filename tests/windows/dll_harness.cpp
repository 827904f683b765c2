// The Windows harness: Ostrel.dll beside the test, on its emulator back end,
// with a state file and control channel of this test process's own.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "device/hid_service/binding.h"
#include "platform/win32/library_loader.h"
#include "tests/support/device_harness.h"

namespace velkor::testing {
namespace {

class DllHarness : public DeviceHarness {
 public:
  DllHarness() {
    const std::wstring id = std::to_wstring(GetCurrentProcessId());
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    SetEnvironmentVariableW(L"OSTREL_BACKEND", L"emulator");
    SetEnvironmentVariableW(L"KBEMU_STATE", (std::wstring(temp) + L"velkor-test-" + id + L".state").c_str());
    SetEnvironmentVariableW(L"KBEMU_PIPE", (L"Velkor_kbemu_test_" + id).c_str());
    Win32ModuleLoader loader(L"Ostrel.dll");
    auto bound = BindHidService(loader);
    if (!bound) {
      std::fputs("Ostrel.dll could not be bound\n", stderr);
      std::abort();
    }
    api_ = *bound;
    control_ = reinterpret_cast<Control_t>(loader.Resolve("OstrelControl"));
  }
  const HidServiceApi& api() override { return api_; }
  std::string Control(const std::string& command) override {
    if (!control_) return "error: no OstrelControl\n";
    // Once only: commands have effects. The answer fits in this.
    std::string answer(4 * 1024 * 1024, '\0');
    const int n = control_(command.c_str(), answer.data(), static_cast<int>(answer.size()));
    answer.resize(static_cast<size_t>(std::clamp(n, 0, static_cast<int>(answer.size()) - 1)));
    return answer;
  }

 private:
  using Control_t = int(__stdcall*)(const char*, char*, int);
  HidServiceApi api_;
  Control_t control_ = nullptr;
};

}  // namespace

DeviceHarness& Harness() {
  static DllHarness harness;
  return harness;
}

}  // namespace velkor::testing
