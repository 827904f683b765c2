// The emulator's own behaviour: what survives a restart, how faults are
// counted, and the control language's answers to bad input.
#include <gtest/gtest.h>

#include "device/command_report.h"
#include "device/hid_service/binding.h"
#include "emulator/control.h"
#include "emulator/keyboard_emulator.h"
#include "ostrel/emulator_backend.h"
#include "ostrel/service_library.h"
#include "tests/support/device_harness.h"
#include "tests/support/temp_dir.h"

namespace velkor::testing {
namespace {

Report Request(uint8_t code, uint8_t length, uint16_t address) {
  Report r{};
  r[0] = 0x04;
  r[3] = code;
  r[4] = length;
  r[5] = static_cast<uint8_t>(address);
  r[6] = static_cast<uint8_t>(address >> 8);
  StoreChecksum(r.data());
  return r;
}

std::string Command(KeyboardEmulator& e, const std::string& line) {
  std::vector<KeyboardEvent> events;
  return RunControlCommand(e, SplitWords(line), events);
}

TEST(KeyboardEmulator, ChecksumAndUnknownCommandsAreRefused) {
  KeyboardEmulator e;
  Report bad = Request(0x01, 0, 0);
  bad[1] ^= 1;
  auto out = e.HandleCommandReport(bad.data(), 64);
  ASSERT_TRUE(out.reply);
  EXPECT_EQ((*out.reply)[3], 0x01);
  EXPECT_EQ((*out.reply)[7], 0xFF);
  out = e.HandleCommandReport(Request(0x0B, 0, 0).data(), 64);
  EXPECT_EQ((*out.reply)[7], 0xFE);
  out = e.HandleCommandReport(Request(0x07, 57, 0).data(), 64);
  EXPECT_EQ((*out.reply)[7], 0xFE);
  out = e.HandleCommandReport(Request(0x07, 8, 1536 - 8).data(), 64);
  EXPECT_EQ((*out.reply)[7], 0x00);
  out = e.HandleCommandReport(Request(0x07, 9, 1536 - 8).data(), 64);
  EXPECT_EQ((*out.reply)[7], 0xFE);
}

TEST(KeyboardEmulator, StateSurvivesARestartAndJunkIsRefused) {
  TempDir dir;
  const std::string path = (dir.path() / "kb.state").string();
  KeyboardEmulator first;
  first.keymaps()[600] = 0x5A;
  first.config()[10] = 2;
  first.HandleLedReport(std::array<uint8_t, 2>{0x05, 0x03}.data(), 2);
  first.Detach();
  ASSERT_TRUE(SaveEmulatorState(first, path));

  KeyboardEmulator second;
  ASSERT_TRUE(LoadEmulatorState(second, path));
  EXPECT_EQ(second.keymaps()[600], 0x5A);
  EXPECT_EQ(second.config()[10], 2);
  EXPECT_FALSE(second.attached());
  ASSERT_EQ(second.led_reports().size(), 1u);
  EXPECT_EQ(second.log().back(), "evt detach");

  // Cut short, or with a byte of its header changed: the state is refused
  // and the emulator keeps what it had.
  std::vector<uint8_t> bytes = first.SaveState();
  KeyboardEmulator third;
  for (size_t cut : {size_t{0}, size_t{7}, size_t{100}, bytes.size() - 1}) {
    EXPECT_FALSE(third.RestoreState(std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut)));
  }
  bytes[0] = 'X';
  EXPECT_FALSE(third.RestoreState(bytes));
  EXPECT_TRUE(third.attached());
  EXPECT_EQ(third.keymaps()[600], KeyboardEmulator().keymaps()[600]);
  dir.WriteBytes("junk.state", "not a keyboard at all");
  EXPECT_FALSE(LoadEmulatorState(third, (dir.path() / "junk.state").string()));

  Command(third, "reset");
  EXPECT_EQ(third.config()[11], 0x80);
}

TEST(KeyboardEmulator, FaultsHitTheRequestsTheyName) {
  KeyboardEmulator e;
  ASSERT_EQ(Command(e, "fault echo 2 0x03 after 1"), "ok\n");
  const Report read_config = Request(0x03, 44, 0);
  EXPECT_EQ((*e.HandleCommandReport(Request(0x01, 0, 0).data(), 64).reply)[3], 0x01);
  EXPECT_EQ((*e.HandleCommandReport(read_config.data(), 64).reply)[3], 0x03);  // let through
  EXPECT_NE((*e.HandleCommandReport(read_config.data(), 64).reply)[3], 0x03);
  EXPECT_NE((*e.HandleCommandReport(read_config.data(), 64).reply)[3], 0x03);
  EXPECT_EQ((*e.HandleCommandReport(read_config.data(), 64).reply)[3], 0x03);  // used up
  EXPECT_TRUE(e.faults().empty());

  Command(e, "fault noreply");
  auto out = e.HandleCommandReport(read_config.data(), 64);
  EXPECT_FALSE(out.reply);
  EXPECT_FALSE(out.refused);
  Command(e, "fault refuse always");
  EXPECT_TRUE(e.HandleCommandReport(read_config.data(), 64).refused);
  EXPECT_TRUE(e.HandleCommandReport(read_config.data(), 64).refused);
  Command(e, "fault clear");

  // The same seed gives the same faults.
  const auto pattern = [&](uint32_t seed) {
    KeyboardEmulator k;
    k.SetRandomFaults(seed, 30);
    std::string p;
    for (int i = 0; i < 200; ++i) {
      auto o = k.HandleCommandReport(read_config.data(), 64);
      p += o.refused ? 'r' : !o.reply ? 'n' : (*o.reply)[7] == 0xFF ? 'f' : (*o.reply)[7] == 0xFE ? 'e'
                                                                    : (*o.reply)[3] != 0x03 ? 'x' : '.';
    }
    return p;
  };
  EXPECT_EQ(pattern(7), pattern(7));
  EXPECT_NE(pattern(7), pattern(8));
  EXPECT_NE(pattern(7).find_first_not_of('.'), std::string::npos);
}

TEST(KeyboardEmulator, ALateReplyIsTheRealAnswerDeliveredLater) {
  KeyboardEmulator e;
  ASSERT_EQ(Command(e, "fault late 1500 2 0x03"), "ok\n");
  EXPECT_NE(Command(e, "status").find("[late 1500 ms x2 on 0x03]"), std::string::npos);
  const auto begin = e.HandleCommandReport(Request(0x01, 0, 0).data(), 64);
  EXPECT_EQ(begin.reply_delay.count(), 0);
  const auto late = e.HandleCommandReport(Request(0x03, 44, 0).data(), 64);
  ASSERT_TRUE(late.reply);
  EXPECT_EQ(late.reply_delay, std::chrono::milliseconds(1500));
  EXPECT_EQ((*late.reply)[7], 0x00);
  EXPECT_EQ((*late.reply)[8], 'V');  // the configuration block itself
  EXPECT_NE(e.log().back().find("(late)"), std::string::npos);
  for (const char* line : {"fault late", "fault late soon", "fault late -1", "fault late 60001",
                           "fault random 1 10 x"}) {
    EXPECT_EQ(Command(e, line).rfind("error:", 0), 0u) << "'" << line << "'";
  }

  // Random faults include late replies only when asked to.
  const auto kinds = [&](int late_ms) {
    KeyboardEmulator k;
    k.SetRandomFaults(3, 100, late_ms);
    int late_replies = 0;
    for (int i = 0; i < 200; ++i) late_replies += k.HandleCommandReport(Request(0x03, 44, 0).data(), 64).reply_delay.count() > 0;
    return late_replies;
  };
  EXPECT_EQ(kinds(0), 0);
  EXPECT_GT(kinds(40), 0);
}

// The macro capacity in the configuration block and the size of the macro
// memory agree after a configuration write, so the saved state loads again.
TEST(KeyboardEmulator, AConfigurationWriteThatChangesTheCapacityKeepsTheStateLoadable) {
  KeyboardEmulator e;
  e.macros()[20] = 0x77;
  Report write = Request(0x04, 44, 0);
  std::copy(e.config().begin(), e.config().end(), write.begin() + 8);
  write[8 + 11] = 0x02;  // 256 bytes of macro memory
  StoreChecksum(write.data());
  ASSERT_EQ((*e.HandleCommandReport(write.data(), 64).reply)[7], 0x00);
  EXPECT_EQ(e.macros().size(), 256u);
  EXPECT_EQ(e.macros()[20], 0x77);  // what fits is kept

  KeyboardEmulator reloaded;
  ASSERT_TRUE(reloaded.RestoreState(e.SaveState()));
  EXPECT_EQ(reloaded.config()[11], 0x02);
  EXPECT_EQ(reloaded.macros().size(), 256u);
  // A read past the smaller memory is refused like any other.
  EXPECT_EQ((*reloaded.HandleCommandReport(Request(0x09, 16, 256 - 8).data(), 64).reply)[7], 0xFE);

  write[8 + 11] = 0x00;  // no macro memory at all
  StoreChecksum(write.data());
  ASSERT_EQ((*e.HandleCommandReport(write.data(), 64).reply)[7], 0x00);
  ASSERT_TRUE(reloaded.RestoreState(e.SaveState()));
  EXPECT_TRUE(reloaded.macros().empty());
  EXPECT_EQ(Command(reloaded, "dump macros"), "");
}

TEST(KeyboardEmulator, ControlCommandsAnswerBadInputWithAnError) {
  KeyboardEmulator e;
  for (const char* line : {"", "frobnicate", "fault", "fault sometimes", "fault echo 0", "fault echo 1 0x100",
                           "fault echo 1 3 after", "fault random 1", "dump", "dump keymap 3",
                           "dump colours", "dump lighting 1", "log -1", "log 1 2", "latency 1",
                           "latency -1 5"}) {
    EXPECT_EQ(Command(e, line).rfind("error:", 0), 0u) << "'" << line << "'";
  }
  EXPECT_TRUE(e.faults().empty());
  EXPECT_EQ(Command(e, "dump config").substr(0, 20), "0000: 56 4B 45 4D 55");
  EXPECT_EQ(Command(e, "dump macros"), "0000: AA 55 10 00 00 00 00 00 00 00 00 00 00 00 00 00\n");
}

class FakeLoader : public ModuleLoader {
 public:
  bool loads = true;
  std::string missing;
  int init_result = 1;
  bool Load() override { return loads; }
  void* Resolve(const char* name) override {
    if (missing == name) return nullptr;
    if (std::string(name) == "Init") return reinterpret_cast<void*>(init_);
    return reinterpret_cast<void*>(&Stub);
  }
  static int VELKOR_HID_CALL Stub() { return 0; }
  static int VELKOR_HID_CALL InitOk(int) { return 1; }
  static int VELKOR_HID_CALL InitFails(int) { return 0; }
  HidServiceApi::InitFn init_ = &InitOk;
};

TEST(BindHidService, NeedsEveryEntryPointAndAReadyLibrary) {
  FakeLoader ok;
  EXPECT_TRUE(BindHidService(ok).has_value());
  for (const char* name : kHidServiceEntryPoints) {
    FakeLoader one_missing;
    one_missing.missing = name;
    EXPECT_FALSE(BindHidService(one_missing).has_value()) << name;
  }
  FakeLoader absent;
  absent.loads = false;
  EXPECT_FALSE(BindHidService(absent).has_value());
  FakeLoader not_ready;
  not_ready.init_ = &FakeLoader::InitFails;
  EXPECT_FALSE(BindHidService(not_ready).has_value());
}

TEST(ChooseBackendName, EnvironmentBeforeIniBeforeHid) {
  EXPECT_EQ(ChooseBackendName("emulator", "hid"), "emulator");
  EXPECT_EQ(ChooseBackendName("", "emulator"), "emulator");
  EXPECT_EQ(ChooseBackendName("bogus", "emulator"), "emulator");
  EXPECT_EQ(ChooseBackendName("", ""), "hid");
  EXPECT_EQ(ChooseBackendName("", "Emulator"), "emulator");
  EXPECT_EQ(ChooseBackendName("HID", "emulator"), "hid");
  EXPECT_EQ(ChooseBackendName("", "emulator2"), "hid");
}

}  // namespace
}  // namespace velkor::testing
