// What a start costs: Velkor.exe against minimal_dialog.exe (a hidden dialog
// that adds a tray icon and says it is ready, nothing more), both timed from
// CreateProcess until the ready property is seen on the marked main window;
// then the second start's hand-over: with Velkor.exe running, the time until
// a second Velkor.exe has ended and the first one's main window is visible.
// Prints figures; judges nothing.
//
//   velkor_startup_bench.exe [rounds]     (Velkor.exe and minimal_dialog.exe beside it)
//
// The programs run on the keyboard emulator: OSTREL_BACKEND=emulator, and
// unless they are set already, an emulator state and pipe of the bench's own.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/program_messages.h"
#include "platform/win32/handles.h"

using velkor::UniqueHandle;

namespace {

using velkor::kKillProgramTag;
using velkor::kMainWindowMarker;
using velkor::kMsgKillProgram;

constexpr DWORD kReadyBoundMs = 20000;
constexpr DWORD kExitBoundMs = 10000;
constexpr DWORD kHideBoundMs = 5000;
constexpr DWORD kDaemonBoundMs = 5000;

LARGE_INTEGER Now() {
  LARGE_INTEGER t{};
  QueryPerformanceCounter(&t);
  return t;
}

double MsSince(LARGE_INTEGER start) {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  return static_cast<double>(Now().QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency);
}

std::wstring OwnFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring Environment(const wchar_t* name) {
  const DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), n));
  return value;
}

// The children inherit this process's environment: the emulator, and an
// emulator state and pipe that no other run of the program shares.
void PrepareEnvironment() {
  SetEnvironmentVariableW(L"OSTREL_BACKEND", L"emulator");
  if (Environment(L"KBEMU_STATE").empty()) {
    std::wstring temp(MAX_PATH + 1, L'\0');
    temp.resize(GetTempPathW(static_cast<DWORD>(temp.size()), temp.data()));
    SetEnvironmentVariableW(L"KBEMU_STATE", (temp + L"velkor-startup-bench.state").c_str());
  }
  if (Environment(L"KBEMU_PIPE").empty()) SetEnvironmentVariableW(L"KBEMU_PIPE", L"Velkor_kbemu_bench");
  std::printf("OSTREL_BACKEND=emulator KBEMU_STATE=%ls KBEMU_PIPE=%ls\n", Environment(L"KBEMU_STATE").c_str(),
              Environment(L"KBEMU_PIPE").c_str());
}

int CountProcesses(const wchar_t* file_name) {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.get() == INVALID_HANDLE_VALUE) {
    snapshot.release();
    return 0;
  }
  int count = 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (CompareStringOrdinal(entry.szExeFile, -1, file_name, -1, TRUE) == CSTR_EQUAL) ++count;
  }
  return count;
}

HWND FindMarkedWindow(DWORD process_id) {
  struct Search {
    DWORD process_id;
    HWND found;
  } search{process_id, nullptr};
  EnumWindows(
      [](HWND w, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != s->process_id || static_cast<uint32_t>(GetWindowLongPtrW(w, GWLP_USERDATA)) != kMainWindowMarker) {
          return TRUE;
        }
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct Child {
  UniqueHandle process;
  DWORD id = 0;
  LARGE_INTEGER started{};  // just before CreateProcess
  bool Ended(DWORD wait_ms = 0) const { return WaitForSingleObject(process.get(), wait_ms) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.get(), &code);
    return code;
  }
};

std::optional<Child> Start(const std::wstring& program) {
  const std::wstring folder = OwnFolder();
  const std::wstring path = folder + program;
  std::wstring command = L"\"" + path + L"\"";
  std::vector<wchar_t> line(command.begin(), command.end());
  line.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  Child child;
  child.started = Now();
  if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
    return std::nullopt;
  }
  CloseHandle(pi.hThread);
  child.process = UniqueHandle(pi.hProcess);
  child.id = pi.dwProcessId;
  return child;
}

// Polls every millisecond until the child's marked window carries the ready
// property; the time since its CreateProcess, or nothing when it ended or was
// not ready within the bound.
std::optional<double> WaitReady(const Child& child, HWND* main_window) {
  HWND window = nullptr;
  for (;;) {
    if (!window) window = FindMarkedWindow(child.id);
    if (window && GetPropW(window, L"VelkorReady")) {
      const double ms = MsSince(child.started);
      if (main_window) *main_window = window;
      return ms;
    }
    if (child.Ended() || MsSince(child.started) > kReadyBoundMs) return std::nullopt;
    Sleep(1);
  }
}

// Asks the child to end the way a second start with "/Kill" does; ends it
// by force when it does not within the bound. Then waits (bounded) for the
// daemon Velkor.exe started, so each run starts from the same state.
void EndChild(const Child& child) {
  if (child.Ended()) return;
  if (HWND w = FindMarkedWindow(child.id)) PostMessageW(w, kMsgKillProgram, kKillProgramTag, 0);
  if (!child.Ended(kExitBoundMs)) {
    std::printf("  (ended by force: it did not end within %lu ms)\n", static_cast<unsigned long>(kExitBoundMs));
    TerminateProcess(child.process.get(), 99);
    child.Ended(kExitBoundMs);
  }
  const LARGE_INTEGER since = Now();
  while (CountProcesses(L"Tassel.exe") > 0 && MsSince(since) < kDaemonBoundMs) Sleep(10);
}

// One timed start to ready; nothing when it did not get ready.
std::optional<double> TimeStart(const std::wstring& program) {
  std::optional<Child> child = Start(program);
  if (!child) {
    const DWORD error = GetLastError();
    std::printf("  %ls: could not be started (error %lu)\n", program.c_str(), error);
    return std::nullopt;
  }
  std::optional<double> ms = WaitReady(*child, nullptr);
  if (!ms) {
    if (child->Ended()) {
      std::printf("  %ls: ended before it was ready (exit code %lu)\n", program.c_str(), child->ExitCode());
    } else {
      std::printf("  %ls: not ready within %lu ms\n", program.c_str(), static_cast<unsigned long>(kReadyBoundMs));
    }
  }
  EndChild(*child);
  return ms;
}

struct Figures {
  std::vector<double> each;
  int failed = 0;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void PrintFigures(const char* what, const Figures& f) {
  if (f.each.empty()) {
    std::printf("  %-28s not ready (%d runs failed)\n", what, f.failed);
    return;
  }
  const auto [low, high] = std::minmax_element(f.each.begin(), f.each.end());
  std::printf("  %-28s median %8.1f ms   min %8.1f   max %8.1f   runs %zu", what, Median(f.each), *low, *high,
              f.each.size());
  if (f.failed) std::printf("   failed %d", f.failed);
  std::printf("\n");
}

// With a first Velkor.exe running, hidden and ready: from CreateProcess of a
// second one until it has ended and the first one's main window shows.
Figures TimeHandOver(int rounds) {
  Figures f;
  std::optional<Child> first = Start(L"Velkor.exe");
  HWND main_window = nullptr;
  if (!first || !WaitReady(*first, &main_window)) {
    std::printf("  the first Velkor.exe: not ready within %lu ms\n", static_cast<unsigned long>(kReadyBoundMs));
    if (first) EndChild(*first);
    f.failed = rounds;
    return f;
  }
  for (int i = 0; i < rounds; ++i) {
    // Back to the notification area, as closing the window does; hidden
    // from outside when the program does not hide it.
    if (IsWindowVisible(main_window)) {
      PostMessageW(main_window, WM_CLOSE, 0, 0);
      const LARGE_INTEGER since = Now();
      while (IsWindowVisible(main_window) && MsSince(since) < kHideBoundMs) Sleep(1);
      if (IsWindowVisible(main_window)) ShowWindowAsync(main_window, SW_HIDE);
      while (IsWindowVisible(main_window) && MsSince(since) < 2 * kHideBoundMs) Sleep(1);
    }
    std::optional<Child> second = Start(L"Velkor.exe");
    if (!second) {
      ++f.failed;
      continue;
    }
    bool done = false;
    double ms = 0;
    for (;;) {
      if (second->Ended() && IsWindowVisible(main_window)) {
        ms = MsSince(second->started);
        done = true;
        break;
      }
      if (MsSince(second->started) > kReadyBoundMs) break;
      Sleep(1);
    }
    if (!done) {
      std::printf("  hand-over %d: not done within %lu ms (second %s, window %s)\n", i + 1,
                  static_cast<unsigned long>(kReadyBoundMs), second->Ended() ? "ended" : "still running",
                  IsWindowVisible(main_window) ? "visible" : "hidden");
      if (!second->Ended()) TerminateProcess(second->process.get(), 99);
      ++f.failed;
      continue;
    }
    if (second->ExitCode() != 0)
      std::printf("  hand-over %d: the second start ended with code %lu\n", i + 1, second->ExitCode());
    f.each.push_back(ms);
  }
  EndChild(*first);
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  PrepareEnvironment();
  if (CountProcesses(L"Velkor.exe") > 0) {
    std::printf("Velkor.exe runs already in this session: a start would only hand over to it. End it first.\n");
    return 1;
  }
  const bool have_velkor = FileExists(OwnFolder() + L"Velkor.exe");
  if (!have_velkor) std::printf("Velkor.exe is not beside the bench: only minimal_dialog.exe is timed.\n");
  if (!FileExists(OwnFolder() + L"minimal_dialog.exe")) {
    std::printf("minimal_dialog.exe is not beside the bench.\n");
    return 1;
  }

  // One warm-up start of each; a Velkor.exe that is not ready then is not
  // timed again (each try would cost the whole bound).
  std::printf("warm-up\n");
  bool velkor_ready = have_velkor && TimeStart(L"Velkor.exe").has_value();
  TimeStart(L"minimal_dialog.exe");

  Figures velkor;
  Figures minimal;
  std::printf("start to ready, %d rounds, alternating\n", rounds);
  for (int i = 0; i < rounds; ++i) {
    if (velkor_ready) {
      if (std::optional<double> ms = TimeStart(L"Velkor.exe")) {
        velkor.each.push_back(*ms);
      } else {
        ++velkor.failed;
      }
    }
    if (std::optional<double> ms = TimeStart(L"minimal_dialog.exe")) {
      minimal.each.push_back(*ms);
    } else {
      ++minimal.failed;
    }
  }
  if (!have_velkor) {
    std::printf("  %-28s not beside the bench\n", "Velkor.exe");
  } else {
    if (!velkor_ready) velkor.failed = rounds;
    PrintFigures("Velkor.exe", velkor);
  }
  PrintFigures("minimal_dialog.exe", minimal);
  if (!velkor.each.empty() && !minimal.each.empty()) {
    std::printf("  ratio Velkor/minimal         %.2f\n", Median(velkor.each) / Median(minimal.each));
  } else {
    std::printf("  ratio Velkor/minimal         -\n");
  }

  std::printf("second start hand-over, %d rounds\n", rounds);
  if (velkor_ready) {
    PrintFigures("hand-over", TimeHandOver(rounds));
  } else {
    std::printf("  hand-over                    not ready (Velkor.exe does not say it is ready)\n");
  }
  std::fflush(stdout);
  return 0;
}
