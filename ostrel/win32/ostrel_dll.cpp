// Ostrel.dll: the HID service library's twelve exports over the process-wide
// ServiceLibrary, plus OstrelControl, the emulator's control channel for
// tests in the same process.
//
// The back end is chosen at Init: the environment variable OSTREL_BACKEND
// ("hid" or "emulator") or else [Backend] Name in Ostrel.ini beside the DLL;
// "hid" when neither says. The emulator keeps its state in the file named
// by KBEMU_STATE, or else in %LOCALAPPDATA%\Velkor\kbemu.state, and serves
// its control channel on \\.\pipe\Velkor_kbemu (or the name in KBEMU_PIPE).
#include <windows.h>

#include <cstring>
#include <memory>

#include "ostrel/emulator_backend.h"
#include "ostrel/service_library.h"
#include "ostrel/win32/control_pipe.h"
#include "ostrel/win32/hid_backend.h"
#include "platform/text.h"
#include "platform/win32/library_loader.h"
#include "platform/win32/wide.h"

using namespace velkor;

namespace {

HMODULE g_module = nullptr;
EmulatorBackend* g_emulator = nullptr;  // owned by the library once made
ControlPipeServer* g_control = nullptr;  // lives until the process ends

std::wstring DllFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::string Narrow(const std::wstring& w) { return Utf16ToUtf8(FromWide(w)); }

std::string BackendName() {
  const std::wstring ini = DllFolder() + L"Ostrel.ini";
  wchar_t value[64] = {};
  GetPrivateProfileStringW(L"Backend", L"Name", L"", value, 64, ini.c_str());
  return ChooseBackendName(Narrow(EnvironmentValue(L"OSTREL_BACKEND")), Narrow(value));
}

std::string StatePath() {
  std::wstring path = EnvironmentValue(L"KBEMU_STATE");
  if (path.empty()) {
    const std::wstring local = EnvironmentValue(L"LOCALAPPDATA");
    if (local.empty()) return {};
    path = local + L"\\Velkor\\kbemu.state";
  }
  return Narrow(path);
}

std::unique_ptr<ServiceBackend> MakeBackend() {
  if (BackendName() == "emulator") {
    auto emulator = std::make_unique<EmulatorBackend>(EmulatorOptions{StatePath()});
    g_emulator = emulator.get();
    if (!g_control) {
      CreateMutexW(nullptr, FALSE, RunningEmulatorMutexName().c_str());  // held until the process ends
      g_control = new ControlPipeServer();
      g_control->Start(ControlPipePath(),
                       [](const std::string& line) { return ServiceLibrary::Instance().Control(line); });
    }
    return emulator;
  }
  return std::make_unique<HidBackend>();
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && reserved != nullptr) {
    // The process is ending: keep what the emulated keyboard holds.
    if (g_emulator) g_emulator->SaveIfChangedNoWait();
  }
  return TRUE;
}

__declspec(dllexport) int __stdcall Debug(int) { return 1; }

__declspec(dllexport) int __stdcall Init(int flags) {
  static bool factory_set = false;
  if (!factory_set) {
    ServiceLibrary::Instance().SetBackendFactory(MakeBackend);
    factory_set = true;
  }
  return ServiceLibrary::Instance().Init(flags);
}

__declspec(dllexport) int __stdcall End() { return ServiceLibrary::Instance().End(); }

__declspec(dllexport) int __stdcall RequestGetDeviceCount(const DeviceSelector* selector, uint32_t a,
                                                         uint32_t b, uint32_t sum, uint32_t*) {
  return ServiceLibrary::Instance().GetDeviceCount(selector, a, b, sum);
}

__declspec(dllexport) int __stdcall DeleteRequestFromUnitId(uint32_t handle) {
  return ServiceLibrary::Instance().DeleteFromUnitId(handle);
}

__declspec(dllexport) int __stdcall DeleteRequestFromHandle(void*) { return 0; }

__declspec(dllexport) int __stdcall RequestWrite(const DeviceSelector*, const uint8_t*, uint32_t,
                                                uint32_t) {
  return 0;
}

__declspec(dllexport) int __stdcall RequestWriteOne(const DeviceSelector* selector, uint32_t a,
                                                   uint32_t b, const uint8_t* report, uint32_t length,
                                                   uint32_t sum, uint32_t*) {
  return ServiceLibrary::Instance().WriteOne(selector, a, b, report, length, sum);
}

__declspec(dllexport) int __stdcall RequestStatusWrite(const DeviceSelector* selector,
                                                      HidInputCallback callback, InterfaceTag tag,
                                                      const uint8_t* data, uint32_t length,
                                                      uint32_t sum, uint32_t* handle) {
  return ServiceLibrary::Instance().StatusWrite(selector, callback, tag, data, length, sum, handle);
}

__declspec(dllexport) int __stdcall RequestStatusGet(const DeviceSelector*, uint8_t*, uint32_t,
                                                    uint32_t) {
  return 0;
}

__declspec(dllexport) int __stdcall RequestAsyncRead(const DeviceSelector* selector,
                                                    HidInputCallback callback, InterfaceTag tag,
                                                    uint32_t sum, uint32_t* handle) {
  return ServiceLibrary::Instance().AsyncRead(selector, callback, tag, sum, handle);
}

__declspec(dllexport) int __stdcall RequestStatusSetFeature(const DeviceSelector*, const uint8_t*,
                                                           uint32_t, uint32_t) {
  return 0;
}

// Runs one control command; returns the answer's full length and copies as
// much as fits (NUL-terminated) into answer.
__declspec(dllexport) int __stdcall OstrelControl(const char* command, char* answer, int capacity) {
  if (!command) return -1;
  const std::string text = ServiceLibrary::Instance().Control(command);
  if (answer && capacity > 0) {
    const size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
    std::memcpy(answer, text.data(), n);
    answer[n] = '\0';
  }
  return static_cast<int>(text.size());
}

}  // extern "C"
