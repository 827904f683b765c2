// kbemu: drives and inspects the keyboard emulator.
//
//   kbemu status | attach | detach | bankkey | lightkey | activity | reset
//   kbemu fault <noreply|echo|status-ff|status-fe|refuse|late MS> [count|always] [command-code] [after N]
//   kbemu fault random <seed> <percent> [late-ms] | kbemu fault clear
//   kbemu dump <config|lighting|colours P|keymap P|default|macros>
//   kbemu log [N] | kbemu log clear | kbemu latency <to-keyboard-us> <to-host-us>
//
// With a program running on the emulator (Windows), the command goes to that
// emulator over its control channel. Otherwise it works on the saved state:
// KBEMU_STATE, or %LOCALAPPDATA%\Velkor\kbemu.state on Windows and
// ~/.local/state/velkor/kbemu.state elsewhere.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "emulator/control.h"
#include "ostrel/emulator_backend.h"

#if defined(_WIN32)
#include <windows.h>

#include "ostrel/win32/control_pipe.h"
#include "platform/text.h"
#include "platform/win32/library_loader.h"
#include "platform/win32/wide.h"
#endif

namespace {

std::string DefaultStatePath() {
#if defined(_WIN32)
  using namespace velkor;
  std::wstring path = EnvironmentValue(L"KBEMU_STATE");
  if (path.empty()) {
    const std::wstring local = EnvironmentValue(L"LOCALAPPDATA");
    if (local.empty()) return {};
    path = local + L"\\Velkor\\kbemu.state";
  }
  return Utf16ToUtf8(FromWide(path));
#else
  if (const char* p = std::getenv("KBEMU_STATE"); p && *p) return p;
  if (const char* x = std::getenv("XDG_STATE_HOME"); x && *x) return std::string(x) + "/velkor/kbemu.state";
  if (const char* h = std::getenv("HOME"); h && *h) return std::string(h) + "/.local/state/velkor/kbemu.state";
  return "kbemu.state";
#endif
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velkor;
  std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty() || words[0] == "help" || words[0] == "--help") {
    std::fputs(
        "usage: kbemu status | attach | detach | bankkey | lightkey | activity | reset\n"
        "       kbemu fault <noreply|echo|status-ff|status-fe|refuse|late MS> [count|always] [code] [after N]\n"
        "       kbemu fault random <seed> <percent> [late-ms] | kbemu fault clear\n"
        "       kbemu dump <config|lighting|colours P|keymap P|default|macros>\n"
        "       kbemu log [N] | kbemu log clear | kbemu latency <to-keyboard-us> <to-host-us>\n"
        "With no program running the emulator, kbemu works on its saved state;\n"
        "faults and the latency apply to a running emulator only.\n",
        stdout);
    return words.empty() ? 2 : 0;
  }
  std::string line;
  for (const std::string& w : words) line += (line.empty() ? "" : " ") + w;

  std::string answer;
#if defined(_WIN32)
  if (SendControlCommand(ControlPipePath(), line, answer)) {
    std::fputs(answer.c_str(), stdout);
    return answer.rfind("error:", 0) == 0 ? 1 : 0;
  }
  if (HANDLE running = OpenMutexW(SYNCHRONIZE, FALSE, RunningEmulatorMutexName().c_str())) {
    CloseHandle(running);
    std::fputs("error: a program runs the emulator but its control channel did not answer\n", stdout);
    return 1;
  }
#endif
  // No program runs the emulator: work on its saved state. Faults and the
  // latency live only in a running emulator.
  if (words[0] == "fault" || words[0] == "latency") {
    std::fputs("error: no program is running the emulator; faults and latency apply to a running one\n",
               stdout);
    return 1;
  }
  const std::string path = DefaultStatePath();
  KeyboardEmulator emulator;
  if (!LoadEmulatorState(emulator, path)) emulator.Reset();
  emulator.MarkSaved();
  std::vector<KeyboardEvent> events;  // nobody listens to them now
  answer = RunControlCommand(emulator, words, events);
  std::fputs(answer.c_str(), stdout);
  const bool failed = answer.rfind("error:", 0) == 0;
  if (emulator.dirty() && !SaveEmulatorState(emulator, path)) {
    std::fprintf(stderr, "kbemu: could not save %s\n", path.c_str());
    return 1;
  }
  return failed ? 1 : 0;
}
