// Process-wide state of the program: written by start-up before the main
// window exists (facts, language) or guarded by its own rules.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "app/startup_facts.h"
#include "device/commands.h"
#include "device/transport.h"
#include "model/image_locks.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_ini_store.h"
#include "ui/language_table.h"

namespace velkor {

struct AppState {
  StartupFacts facts;
  Win32IniStore ini;
  std::unique_ptr<LanguageTable> language;
  ImageLocks locks;
  UniqueRegKey registry_key;  // HKCU\Software\Gaming Keyboard Driver, open for the whole run
  UniqueHandle instance_mutex;
  // 0: show the main window the first time a keyboard is found.
  std::atomic<int32_t> auto_show{0};

  // The device link, bound by the main window's initialisation.
  std::unique_ptr<Transport> transport;
  std::unique_ptr<DeviceCommands> commands;
};

AppState& App();

}  // namespace velkor
