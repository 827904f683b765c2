// Ostrel.dll on its HID back end on a machine without the keyboard (Wine
// shows only its own virtual mouse and keyboard): Init succeeds, nothing is
// counted, exchanges answer 0, the library sits still, the log it was asked
// for says what it saw; and hidprobe lists no keyboard and ends cleanly.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "device/hid_service/argument_sum.h"
#include "device/hid_service/binding.h"
#include "tests/windows/process_driver.h"

namespace velkor::testing {
namespace {

std::wstring HereFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring full(path, n);
  return full.substr(0, full.find_last_of(L"\\/") + 1);
}

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Loads the library from a folder of the test's own, so that its Ostrel.ini
// is the test's.
class CopiedLibrary : public ModuleLoader {
 public:
  explicit CopiedLibrary(std::wstring path) : path_(std::move(path)) {}
  bool Load() override {
    module_ = LoadLibraryExW(path_.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module_ != nullptr;
  }
  void* Resolve(const char* name) override { return reinterpret_cast<void*>(GetProcAddress(module_, name)); }
  HMODULE module() const { return module_; }

 private:
  std::wstring path_;
  HMODULE module_ = nullptr;
};

int VELKOR_HID_CALL Ignore(InputEvent*) { return 1; }

uint64_t ProcessCpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto ticks = [](FILETIME t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return (ticks(kernel) + ticks(user)) / 10000;
}

TEST(HidLibraryWithoutKeyboard, StartsCountsNothingAnswersZeroAndSitsStill) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder =
      std::wstring(temp) + L"velkor-hid-library-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW((HereFolder() + L"Ostrel.dll").c_str(), (folder + L"Ostrel.dll").c_str(), FALSE));
  {
    std::ofstream ini(std::filesystem::path(folder + L"Ostrel.ini"), std::ios::binary);
    ini << "[Backend]\r\nName=hid\r\n[Diagnostics]\r\nLog=ostrel.log\r\n";
  }
  SetEnvironmentVariableW(L"OSTREL_BACKEND", nullptr);

  CopiedLibrary loader(folder + L"Ostrel.dll");
  const std::optional<HidServiceApi> api = BindHidService(loader);  // Init(0) must answer more than 0
  ASSERT_TRUE(api.has_value());

  EXPECT_EQ(api->RequestGetDeviceCount(&kCommandSelector, 0, 0, DeviceCountSum(kCommandSelector), nullptr), 0);
  EXPECT_EQ(api->RequestGetDeviceCount(&kConsumerSelector, 0, 0, DeviceCountSum(kConsumerSelector), nullptr), 0);
  std::array<uint8_t, 64> report{0x04, 0x2F, 0x00, 0x03, 0x2C};
  EXPECT_EQ(api->RequestWriteOne(&kCommandSelector, 0, 0, report.data(), 64,
                                 WriteOneSum(kCommandSelector, report.data()), nullptr),
            0);
  uint32_t handle = 0;
  EXPECT_EQ(api->RequestAsyncRead(&kCommandSelector, Ignore, kCtrlTag, AsyncReadSum(kCommandSelector, Ignore, kCtrlTag),
                                  &handle),
            1);
  const uint8_t flags[2] = {0x05, 0x02};
  uint32_t led = 0;
  EXPECT_EQ(api->RequestStatusWrite(&kLedSelector, Ignore, kLedTag, flags, 2,
                                    StatusWriteSum(kLedSelector, Ignore, kLedTag, flags, 2), &led),
            0);

  // Nothing of the library wakes while nothing happens. A generous bound:
  // it tells a loop that spins from one that sleeps.
  const uint64_t before = ProcessCpuMs();
  Sleep(3000);
  EXPECT_LT(ProcessCpuMs() - before, 300u);

  const std::string log = ReadAll(folder + L"ostrel.log");
  EXPECT_NE(log.find("back end: hid"), std::string::npos) << log;
  EXPECT_TRUE(log.find("watching for HID interfaces arriving and going") != std::string::npos ||
              log.find("the system does not tell of HID interfaces arriving") != std::string::npos)
      << log;
  EXPECT_NE(log.find("> command not sent: no keyboard has the interface"), std::string::npos) << log;
  EXPECT_EQ(log.find("interface \\\\?\\hid#vid_845e"), std::string::npos) << "another maker's device was opened";

  EXPECT_EQ(api->End(), 1);
  FreeLibrary(loader.module());
  DeleteFileW((folder + L"ostrel.log").c_str());
  DeleteFileW((folder + L"Ostrel.ini").c_str());
  DeleteFileW((folder + L"Ostrel.dll").c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST(HidProbeWithoutKeyboard, ListsNoKeyboardAndEndsCleanly) {
  DWORD exit_code = 0;
  const std::string listing = RunAndCapture(L"hidprobe.exe", L"", exit_code);
  EXPECT_EQ(exit_code, 0u) << listing;
  EXPECT_NE(listing.find("HID interfaces present: "), std::string::npos) << listing;
  EXPECT_NE(listing.find("no keyboard (vendor 0C45 product 6741) found"), std::string::npos) << listing;

  const std::string exchange = RunAndCapture(L"hidprobe.exe", L"--exchange", exit_code);
  EXPECT_EQ(exit_code, 1u) << "nothing could be exchanged";
  EXPECT_NE(exchange.find("no command interface: nothing sent"), std::string::npos) << exchange;

  RunAndCapture(L"hidprobe.exe", L"--no-such-option", exit_code);
  EXPECT_EQ(exit_code, 2u);
}

}  // namespace
}  // namespace velkor::testing
