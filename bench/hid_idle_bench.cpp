// What Ostrel.dll's HID back end costs while nothing happens: the CPU time of
// this process over a stretch of idling after Init, with whatever keyboards
// are (or are not) attached. Prints figures; asserts nothing.
//   velkor_hid_idle_bench.exe [SECONDS] [--log]
// --log turns the library's log on (Debug(1): %TEMP%\Ostrel.log) and prints
// it at the end.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "device/hid_service/argument_sum.h"
#include "device/hid_service/binding.h"
#include "platform/win32/library_loader.h"

namespace {

uint64_t CpuMs(HANDLE process) {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(process, &created, &exited, &kernel, &user);
  const auto ticks = [](FILETIME t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return (ticks(kernel) + ticks(user)) / 10000;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velkor;
  int seconds = 60;
  bool log = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--log") == 0) {
      log = true;
    } else if (std::atoi(argv[i]) > 0) {
      seconds = std::atoi(argv[i]);
    }
  }
  SetEnvironmentVariableW(L"OSTREL_BACKEND", L"hid");
  Win32ModuleLoader loader(L"Ostrel.dll");
  if (!loader.Load()) {
    std::printf("Ostrel.dll could not be loaded\n");
    return 1;
  }
  auto debug = reinterpret_cast<HidServiceApi::DebugFn>(loader.Resolve("Debug"));
  if (log && debug) debug(1);
  const uint64_t before_init = CpuMs(GetCurrentProcess());
  const ULONGLONG init_start = GetTickCount64();
  const std::optional<HidServiceApi> api = BindHidService(loader);
  if (!api) {
    std::printf("Init failed\n");
    return 1;
  }
  const ULONGLONG init_ms = GetTickCount64() - init_start;
  const int count = api->RequestGetDeviceCount(&kCommandSelector, 0, 0, DeviceCountSum(kCommandSelector), nullptr);
  std::printf("Init: %llu ms (%llu ms of CPU); keyboards attached: %d\n", static_cast<unsigned long long>(init_ms),
              static_cast<unsigned long long>(CpuMs(GetCurrentProcess()) - before_init), count);
  std::fflush(stdout);
  const uint64_t before = CpuMs(GetCurrentProcess());
  Sleep(static_cast<DWORD>(seconds) * 1000);
  const uint64_t spent = CpuMs(GetCurrentProcess()) - before;
  std::printf("idle: %llu ms of CPU in %d s (%.3f %% of one core)\n", static_cast<unsigned long long>(spent), seconds,
              spent / (seconds * 10.0));
  if (log) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::ifstream in(std::filesystem::path(std::wstring(temp) + L"Ostrel.log"), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("---- %%TEMP%%\\Ostrel.log\n%s", text.c_str());
  }
  std::fflush(stdout);
  return 0;
}
