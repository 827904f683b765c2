#include "app/win32/velkor_app.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <memory>
#include <vector>

#include "app/single_instance.h"
#include "app/win32/app_settings.h"
#include "app/win32/app_state.h"
#include "app/win32/instance_system.h"
#include "app/win32/velkor_dlg.h"
#include "platform/win32/wide.h"

namespace velkor {

AppState& App() {
  // Never destroyed: the service library's thread may call into the
  // transport until the very end of the process.
  static AppState* state = new AppState();
  return *state;
}

AppSettings& Settings() {
  static AppSettings settings;
  return settings;
}

std::u16string AppSettings::ReadString(const std::u16string& section, const std::u16string& name,
                                       const std::u16string& default_text) const {
  wchar_t buffer[260] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  DWORD type = 0;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, W(KeyPath(section)), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return default_text;
  }
  UniqueRegKey owner(key);
  if (RegQueryValueExW(key, W(name), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return default_text;
  }
  return FromWide(std::wstring_view(buffer, wcsnlen(buffer, size / sizeof(wchar_t))));
}

bool AppSettings::WriteString(const std::u16string& section, const std::u16string& name,
                              const std::u16string& value) const {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, W(KeyPath(section)), 0, nullptr, 0, KEY_WRITE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  UniqueRegKey owner(key);
  return RegSetValueExW(key, W(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(W(value)),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

namespace {

std::vector<std::u16string> CommandLineArguments() {
  std::vector<std::u16string> arguments;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(FromWide(argv[i]));
  LocalFree(argv);
  return arguments;
}

}  // namespace

bool CVelkorApp::InitInstance() {
  AppState& app = App();

  // 1. Control containers and common controls; the settings root.
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  // 2. Every file location, from the program's own path.
  app.facts = BuildStartupFacts(ModulePath());
  Settings().SetRoot(u"Velkor_Orvane", app.facts.program_name);

  // 3. The application registry key, kept open; start-up goes on without it.
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Gaming Keyboard Driver", 0, nullptr, 0,
                      KEY_READ | KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    app.registry_key.reset(key);
  }

  // 4. The language strings.
  app.language = std::make_unique<LanguageTable>(app.ini, app.facts.language_file);
  app.language->Load();

  // 5. The working lock, then the applied lock.
  app.locks.Create();

  // 6-7. The main window object (its window is made when it runs).
  auto main_window = std::make_unique<CVelkorDlg>();

  // 8-10. Command line and single instance.
  app.auto_show = 0;
  Win32InstanceSystem system(app.facts.program_file_name);
  const InstanceDecision decision = DecideInstance(CommandLineArguments(), system);
  if (decision.auto_show) app.auto_show = 1;
  if (decision.exit_now) {
    main_window.reset();
    app.locks.Destroy();
    return false;
  }
  app.instance_mutex = system.TakeMutex();

  // 11. The daemon, hidden; its result is not examined.
  ShellExecuteW(nullptr, L"open", W(app.facts.daemon), L"", L"", SW_HIDE);

  // 12. No pending changes yet.
  main_window->SetPendingChanges(false);

  main_window->DoModal();
  // However the loop ended, the keyboard's events stop reaching the window.
  main_window->Shutdown();

  // A keyboard job that still runs (a keyboard that stopped answering in
  // the middle of a read) is not waited for: the process ends around it.
  if (main_window->keyboard_busy()) ExitProcess(0);

  // 13. The applied lock, then the working lock; every window repaints.
  app.locks.Destroy();
  InvalidateRect(nullptr, nullptr, TRUE);
  main_window.reset();
  app.instance_mutex.reset();
  OleUninitialize();
  return false;
}

}  // namespace velkor
