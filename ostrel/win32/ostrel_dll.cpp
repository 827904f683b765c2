// Ostrel.dll: the HID service library's twelve exports over the process-wide
// ServiceLibrary, plus OstrelControl, the emulator's control channel for
// tests in the same process. Every export runs behind the guard of
// entry_points.h: nothing thrown leaves the DLL.
//
// The back end is chosen at Init: the environment variable OSTREL_BACKEND
// ("hid" or "emulator") or else [Backend] Name in Ostrel.ini beside the DLL;
// "hid" when neither says. The emulator keeps its state in the file named
// by KBEMU_STATE, or else in %LOCALAPPDATA%\Velkor\kbemu.state, and serves
// its control channel on \\.\pipe\Velkor_kbemu (or the name in KBEMU_PIPE).
//
// The log (diagnostic_log.h) is on when Ostrel.ini's [Diagnostics] Log names
// a file (environment variables such as %TEMP% are expanded; a relative path
// is beside the DLL), or when Debug is called with a level above 0 (then
// %TEMP%\Ostrel.log unless the ini named one).
#include <windows.h>

#include <cstring>
#include <memory>

#include "ostrel/diagnostic_log.h"
#include "ostrel/emulator_backend.h"
#include "ostrel/entry_points.h"
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
  const std::string name = BackendName();
  ProcessLog().Line("back end: " + name);
  if (name == "emulator") {
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
  return MakeHidBackend(ProcessLog());
}

bool IsAbsolute(const std::wstring& path) {
  return path.size() >= 2 && (path[1] == L':' || (path[0] == L'\\' && path[1] == L'\\'));
}

// Turns the log on when Ostrel.ini names a file; once a process.
void ConfigureLog() {
  static bool configured = false;
  if (configured) return;
  configured = true;
  const std::wstring ini = DllFolder() + L"Ostrel.ini";
  wchar_t value[1024] = {};
  GetPrivateProfileStringW(L"Diagnostics", L"Log", L"", value, 1024, ini.c_str());
  if (value[0] == L'\0') return;
  wchar_t expanded[2048] = {};
  const DWORD n = ExpandEnvironmentStringsW(value, expanded, 2048);
  std::wstring path = n > 0 && n <= 2048 ? std::wstring(expanded) : std::wstring(value);
  if (!IsAbsolute(path)) path = DllFolder() + path;
  if (ProcessLog().OpenFile(FromWide(path))) {
    ProcessLog().Line("Ostrel.dll " + Narrow(DllFolder()) + ", log configured in " + Narrow(ini));
  }
}

std::u16string DebugLogPath() {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return {};
  return FromWide(std::wstring(temp, n) + L"Ostrel.log");
}

void PrepareInit() {
  ConfigureLog();
  ServiceLibrary::Instance().SetBackendFactory(MakeBackend);
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
  } else if (reason == DLL_PROCESS_DETACH) {
    // Unloaded while the process goes on (after End): the log file is let go.
    ProcessLog().Close();
  }
  return TRUE;
}

__declspec(dllexport) int __stdcall Debug(int level) { return entry::Debug(level, DebugLogPath); }

__declspec(dllexport) int __stdcall Init(int flags) {
  return entry::Init(ServiceLibrary::Instance(), flags, PrepareInit);
}

__declspec(dllexport) int __stdcall End() { return entry::End(ServiceLibrary::Instance()); }

__declspec(dllexport) int __stdcall RequestGetDeviceCount(const DeviceSelector* selector, uint32_t a,
                                                         uint32_t b, uint32_t sum, uint32_t*) {
  return entry::GetDeviceCount(ServiceLibrary::Instance(), selector, a, b, sum);
}

__declspec(dllexport) int __stdcall DeleteRequestFromUnitId(uint32_t handle) {
  return entry::DeleteFromUnitId(ServiceLibrary::Instance(), handle);
}

__declspec(dllexport) int __stdcall DeleteRequestFromHandle(void*) { return 0; }

__declspec(dllexport) int __stdcall RequestWrite(const DeviceSelector*, const uint8_t*, uint32_t,
                                                uint32_t) {
  return 0;
}

__declspec(dllexport) int __stdcall RequestWriteOne(const DeviceSelector* selector, uint32_t a,
                                                   uint32_t b, const uint8_t* report, uint32_t length,
                                                   uint32_t sum, uint32_t*) {
  return entry::WriteOne(ServiceLibrary::Instance(), selector, a, b, report, length, sum);
}

__declspec(dllexport) int __stdcall RequestStatusWrite(const DeviceSelector* selector,
                                                      HidInputCallback callback, InterfaceTag tag,
                                                      const uint8_t* data, uint32_t length,
                                                      uint32_t sum, uint32_t* handle) {
  return entry::StatusWrite(ServiceLibrary::Instance(), selector, callback, tag, data, length, sum, handle);
}

__declspec(dllexport) int __stdcall RequestStatusGet(const DeviceSelector*, uint8_t*, uint32_t,
                                                    uint32_t) {
  return 0;
}

__declspec(dllexport) int __stdcall RequestAsyncRead(const DeviceSelector* selector,
                                                    HidInputCallback callback, InterfaceTag tag,
                                                    uint32_t sum, uint32_t* handle) {
  return entry::AsyncRead(ServiceLibrary::Instance(), selector, callback, tag, sum, handle);
}

__declspec(dllexport) int __stdcall RequestStatusSetFeature(const DeviceSelector*, const uint8_t*,
                                                           uint32_t, uint32_t) {
  return 0;
}

// Runs one control command; returns the answer's full length and copies as
// much as fits (NUL-terminated) into answer.
__declspec(dllexport) int __stdcall OstrelControl(const char* command, char* answer, int capacity) {
  return entry::Control(ServiceLibrary::Instance(), command, answer, capacity);
}

}  // extern "C"
