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
  return 0;
}
