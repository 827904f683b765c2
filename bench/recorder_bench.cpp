// What the macro page costs a person who records: one recorded keystroke
// (the row, the delay shift and the memory meter over the whole list) while
// 99 other macros of 2000 actions each are held, and one Commit of that list
// into the working image. A keystroke's hook must return long before the
// system gives up on it (hundreds of milliseconds). Prints figures; judges
// nothing.
//
//   host:    build/host/bin/velkor_recorder_bench
//   Windows: build/windows/bin/velkor_recorder_bench.exe under Wine
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <vector>

#include "editors/macro_page_rules.h"

using namespace velkor;
using Clock = std::chrono::steady_clock;

namespace {

double Us(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

// A view that shows nothing: only the page's own work is timed.
class NoView : public MacroPageView {
 public:
  void ShowMacros(const std::vector<std::u16string>&, int) override {}
  void ShowMacroName(int, const std::u16string&) override {}
  void ShowRows(const std::vector<MacroAction>&, int) override {}
  void InsertRow(int, const MacroAction&, bool) override {}
  void ChangeRow(int, const MacroAction&) override {}
  void ShowCycles(const std::u16string&) override {}
  void EnableActionButtons(bool) override {}
  void ShowRecording(bool, const std::u16string&) override {}
  void ShowMemory(const MemoryMeter&) override {}
  void EnableApply() override {}
};

class ClockHost : public MacroPageHost {
 public:
  uint32_t now = 0;
  bool Ask(LangKey) override { return true; }
  void Tell(LangKey, int) override {}
  bool InstallRecordHooks() override { return true; }
  void RemoveRecordHooks() override {}
  uint32_t Now() override { return now; }
  void Pause() override {}
  std::u16string ReadRecordDelay() override { return u"1"; }
  void WriteRecordDelay(const std::u16string&) override {}
};

void Print(const char* what, std::vector<double> each) {
  std::sort(each.begin(), each.end());
  std::printf("%-44s median %8.1f us   p99 %8.1f us   max %8.1f us   (%zu runs)\n", what, each[each.size() / 2],
              each[each.size() * 99 / 100], each.back(), each.size());
}

}  // namespace

int main() {
  std::recursive_mutex lock;
  ProfileImage working;
  for (uint16_t id = 1; id <= 99; ++id) {
    MacroRecord m;
    m.SetName(u"Macro" + std::u16string(1, static_cast<char16_t>(u'0' + id % 10)));
    m.id = id;
    m.action_count = kMaxActions;
    for (MacroAction& a : m.actions) a = {50, 0x1E, 0};
    working.macros.push_back(m);
  }
  NoView view;
  ClockHost host;
  int counter = 0;
  MacroPage page(view, host, nullptr, counter);
  page.Load(lock, working, 16384);
  page.AddMacro();  // the 100th, empty: the one recorded into
  page.ToggleRecording();

  // 1999 keystrokes, pressed and released by turns, each timed alone.
  std::vector<double> keys;
  for (int i = 0; i < kMaxActionRows - 1; ++i) {
    host.now += 37;
    const uint32_t flags = (0x1Eu << 16) | 1u | (i % 2 ? 0xC0000000u : 0u);
    const auto t0 = Clock::now();
    page.OnThreadKey(0x41, flags);
    keys.push_back(Us(Clock::now() - t0));
  }
  Print("one recorded keystroke (100 macros held)", keys);

  std::vector<double> commits;
  for (int i = 0; i < 20; ++i) {
    const auto t0 = Clock::now();
    page.Commit(lock, working);
    commits.push_back(Us(Clock::now() - t0));
  }
  Print("Commit of 100 macros into the working image", commits);
  return page.rows().size() == static_cast<size_t>(kMaxActionRows - 1) ? 0 : 1;
}
