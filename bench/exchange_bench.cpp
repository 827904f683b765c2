// How much the program's side of an exchange adds to the keyboard's own
// latency. Prints figures; judges nothing.
//
//   host:    build/host/bin/velkor_exchange_bench
//   Windows: build/windows/bin/velkor_exchange_bench.exe under Wine (through Ostrel.dll)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "device/commands.h"
#include "device/transport.h"
#include "model/profiles.h"
#include "tests/support/device_harness.h"

using namespace velkor;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main() {
  auto& harness = testing::Harness();
  for (const char* c : {"attach", "reset", "fault clear", "latency 1000 1000", "log clear"}) harness.Control(c);
  Transport transport(harness.api());
  transport.StartInterfaceReads();
  DeviceCommands commands(transport);
  const double floor_ms = 2.0;  // one 1 ms USB frame each way

  // Warm up.
  for (int i = 0; i < 20; ++i) commands.TestCommand();

  constexpr int kExchanges = 500;
  std::vector<double> each;
  each.reserve(kExchanges);
  const auto start = Clock::now();
  for (int i = 0; i < kExchanges; ++i) {
    const auto t0 = Clock::now();
    if (commands.ReadConfigBlock(nullptr) != kSuccess) {
      std::printf("exchange %d failed\n", i);
      return 1;
    }
    each.push_back(Ms(Clock::now() - t0));
  }
  const double total = Ms(Clock::now() - start);
  std::sort(each.begin(), each.end());
  const double mean = total / kExchanges;
  std::printf("single exchanges (%d, 64-byte request and reply)\n", kExchanges);
  std::printf("  exchanges per second      %8.1f\n", 1000.0 * kExchanges / total);
  std::printf("  mean round trip           %8.3f ms   (median %.3f, p99 %.3f)\n", mean,
              each[each.size() / 2], each[each.size() * 99 / 100]);
  std::printf("  keyboard's own latency    %8.3f ms\n", floor_ms);
  std::printf("  overhead per exchange     %8.3f ms   (%.1f %% of the floor)\n", mean - floor_ms,
              100.0 * (mean - floor_ms) / floor_ms);

  std::vector<uint8_t> block(512);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i);
  constexpr int kRounds = 10;
  std::vector<double> rounds;
  for (int r = 0; r < kRounds; ++r) {
    const auto t0 = Clock::now();
    for (int p = 0; p < 3; ++p) {
      if (commands.WriteKeyMapBlock(block.data(), p) != kSuccess) {
        std::printf("key-map write failed\n");
        return 1;
      }
    }
    rounds.push_back(Ms(Clock::now() - t0));
  }
  std::sort(rounds.begin(), rounds.end());
  double sum = 0;
  for (double v : rounds) sum += v;
  const double key_maps = sum / kRounds;
  const double key_floor = 30 * floor_ms;
  std::printf("three-profile key-map write (30 exchanges, %d rounds)\n", kRounds);
  std::printf("  mean time                 %8.3f ms   (best %.3f, worst %.3f)\n", key_maps, rounds.front(),
              rounds.back());
  std::printf("  floor (30 round trips)    %8.3f ms\n", key_floor);
  std::printf("  overhead                  %8.3f ms   (%.1f %% of the floor)\n", key_maps - key_floor,
              100.0 * (key_maps - key_floor) / key_floor);

  // One Apply as the main window runs it: a macro store of about 16 KB and
  // the active profile's key map, in one access.
  ImageLocks locks;
  locks.Create();
  Profiles profiles(locks);
  ConfigBlock config{};
  if (commands.ReadConfigBlock(config.data()) != kSuccess) return 1;
  profiles.AdoptConfigBlock(config);
  profiles.working = ProfileImage::Default();
  for (uint16_t id = 1; StoreSize(profiles.working.macros).with_names + 2200 < profiles.macro_capacity; ++id) {
    MacroRecord macro;
    macro.id = id;
    macro.SetName(u"Macro");
    macro.action_count = 500;
    for (int a = 0; a < 500; ++a) macro.actions[a] = {10, static_cast<uint16_t>(0x04 + a % 26), static_cast<uint16_t>(a % 2)};
    profiles.working.macros.push_back(macro);
  }
  const size_t store = StoreSize(profiles.working.macros).with_names;
  if (commands.ActiveProfile() < 0) return 1;
  const int exchanges = 1 + static_cast<int>((store + 55) / 56) + 10 + 1;
  std::vector<double> applies;
  for (int r = 0; r < 5; ++r) {
    const auto t0 = Clock::now();
    if (!profiles.ApplyToKeyboard(commands, false).success) {
      std::printf("apply failed\n");
      return 1;
    }
    applies.push_back(Ms(Clock::now() - t0));
  }
  std::sort(applies.begin(), applies.end());
  const double apply_floor = exchanges * floor_ms + 10.0;  // the end of access waits 10 ms
  const double apply = applies[applies.size() / 2];
  std::printf("apply: %zu-byte macro store and one key map (%d exchanges, 5 rounds)\n", store, exchanges);
  std::printf("  median time               %8.3f ms   (best %.3f, worst %.3f)\n", apply, applies.front(),
              applies.back());
  std::printf("  floor (exchanges x 2 ms + 10 ms) %8.3f ms\n", apply_floor);
  std::printf("  overhead                  %8.3f ms   (%.1f %% of the floor)\n", apply - apply_floor,
              100.0 * (apply - apply_floor) / apply_floor);
  return 0;
}
