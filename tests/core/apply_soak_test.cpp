// Applies under seeded random faults, with replies lost, late, refused,
// failing and mis-echoed: whenever an apply says it succeeded, the keyboard
// holds exactly what was sent, and the applied image is what it holds.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "device/commands.h"
#include "device/transport.h"
#include "model/profiles.h"
#include "tests/support/device_harness.h"

namespace velkor::testing {
namespace {

using Bytes = std::vector<uint8_t>;

void Scramble(ProfileImage& image, std::mt19937& random) {
  std::uniform_int_distribution<int> percent(0, 99);
  // Some macros, or none.
  const int macros = std::uniform_int_distribution<int>(0, 3)(random);
  image.macros.assign(static_cast<size_t>(macros), MacroRecord{});
  for (int i = 0; i < macros; ++i) {
    MacroRecord& m = image.macros[static_cast<size_t>(i)];
    m.SetName(u"M" + std::u16string(static_cast<size_t>(1 + percent(random) % 20), u'x'));
    m.id = static_cast<uint16_t>(i + 1);
    m.cycles = static_cast<uint8_t>(1 + percent(random));
    m.action_count = static_cast<uint16_t>(percent(random) % 40);
    for (int a = 0; a < m.action_count; ++a) {
      m.actions[a] = {static_cast<uint32_t>(percent(random) * 10), static_cast<uint16_t>(0x10 + a % 20),
                      static_cast<uint16_t>(a % 2)};
    }
  }
  // A handful of keys of every profile get new jobs.
  for (int n = 0; n < 12; ++n) {
    const int bank = percent(random) % 3;
    const int slot = 0x02 + percent(random) % 0x50;
    const int kind = std::array<int, 6>{0, 1, 2, 4, 7, 8}[static_cast<size_t>(percent(random) % 6)];
    const uint32_t parameter = kind == 2 ? 0x1E + percent(random) % 10 : kind == 4 ? 1 + percent(random) % 4
                               : kind == 7 ? percent(random) % 18 : kind == 8 ? percent(random) % 11 : 0;
    image.Entry(bank, slot) = {static_cast<uint16_t>(kind), 0, parameter, 0, 0};
  }
}

TEST(ApplySoak, NoSuccessIsReportedWithOtherDataOnTheKeyboard) {
  DeviceHarness& harness = Harness();
  for (const char* c : {"attach", "reset", "fault clear", "latency 100 100", "log clear"}) harness.Control(c);
  Transport transport(harness.api(), TransportTiming{std::chrono::milliseconds(8), std::chrono::milliseconds(1),
                                                     std::chrono::milliseconds(1001)});
  transport.StartInterfaceReads();
  DeviceCommands commands(transport);
  ImageLocks locks;
  locks.Create();
  Profiles profiles(locks);
  profiles.macro_capacity = 0x80 * 128;
  profiles.working = ProfileImage::Default();
  ASSERT_EQ(commands.ActiveProfile(), 0);

  // Four per cent of the requests get a fault; late replies come 12 ms late.
  harness.Control("fault random 20261209 4 12");
  std::mt19937 random(1209);
  int successes = 0;
  int failures = 0;
  constexpr int kApplies = 200;
  for (int i = 0; i < kApplies; ++i) {
    SCOPED_TRACE("apply " + std::to_string(i));
    Scramble(profiles.working, random);
    const bool all = i % 4 == 0;
    const ProfileImage applied_before = profiles.applied;
    ApplyOutcome outcome;
    {
      std::lock_guard working(locks.working());
      outcome = profiles.ApplyToKeyboard(commands, all);
    }
    if (!outcome.success) {
      ++failures;
      EXPECT_EQ(profiles.applied.entries, applied_before.entries);
      EXPECT_EQ(profiles.applied.macros.size(), applied_before.macros.size());
      continue;
    }
    ++successes;
    // What was sent, worked out again from the working image.
    const MacroPositionOf position = [&](uint32_t id) { return MacroPosition(profiles.working.macros, id); };
    const StorePlan plan = PlanStore(profiles.working.macros, profiles.macro_capacity);
    ASSERT_EQ(FromDump(harness.Control("dump macros")), plan.bytes);
    for (int b = 0; b <= (all ? 2 : 0); ++b) {  // profile 0 is the active one
      const KeyMapBytes sent = EncodeKeyMap(profiles.working.GetBank(b), profiles.default_layout, position);
      ASSERT_EQ(FromDump(harness.Control("dump keymap " + std::to_string(b))), Bytes(sent.begin(), sent.end()))
          << "profile " << b;
    }
    EXPECT_EQ(profiles.applied.entries, profiles.working.entries);
  }
  harness.Control("fault clear");
  // Both ways were taken many times.
  EXPECT_GT(successes, kApplies / 5);
  EXPECT_GT(failures, kApplies / 10);
  RecordProperty("successes", successes);
  RecordProperty("failures", failures);
}

}  // namespace
}  // namespace velkor::testing
