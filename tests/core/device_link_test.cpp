// The transport and the command set against the keyboard emulator. What the
// keyboard received is read back from the emulator's request log and checked
// against bytes written here by hand.
#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <thread>

#include "device/commands.h"
#include "device/hid_service/argument_sum.h"
#include "device/transport.h"
#include "tests/support/device_harness.h"

namespace velkor::testing {
namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

class RecordingListener : public TransportListener {
 public:
  void OnBankSwitched(uint8_t flags) override { Add("bank " + std::to_string(flags)); }
  void OnLightingChangedOnKeyboard() override { Add("lighting"); }
  void OnActivity(bool active) override { Add(active ? "active" : "idle"); }
  void OnDeviceCountChanged(int count) override { Add("count " + std::to_string(count)); }
  std::vector<std::string> Wait(size_t n) {
    std::unique_lock lock(mutex_);
    signal_.wait_for(lock, std::chrono::seconds(5), [&] { return seen_.size() >= n; });
    return seen_;
  }

 private:
  void Add(std::string s) {
    std::lock_guard lock(mutex_);
    seen_.push_back(std::move(s));
    signal_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable signal_;
  std::vector<std::string> seen_;
};

class DeviceLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    harness_ = &Harness();
    for (const char* c : {"attach", "reset", "fault clear", "latency 1000 1000", "log clear"}) {
      ASSERT_EQ(harness_->Control(c).rfind("ok", 0), 0u) << c;
    }
    transport_ = std::make_unique<Transport>(harness_->api());
    transport_->SetListener(&listener_);
    transport_->StartInterfaceReads();
    commands_ = std::make_unique<DeviceCommands>(*transport_);
  }
  void TearDown() override {
    commands_.reset();
    transport_.reset();
  }
  std::string Control(const std::string& c) { return harness_->Control(c); }
  std::vector<LoggedRequest> Requests() { return LoggedRequests(*harness_); }
  StatusCode Exchange(const Bytes& request, Report& reply, size_t* received = nullptr) {
    size_t got = 0;
    return transport_->ExchangeReport(request.data(), request.size(), reply.data(), reply.size(),
                                      received ? received : &got);
  }

  DeviceHarness* harness_ = nullptr;
  RecordingListener listener_;
  std::unique_ptr<Transport> transport_;
  std::unique_ptr<DeviceCommands> commands_;
};

TEST_F(DeviceLinkTest, RequestsAreZeroFilledOrCutToSixtyFourBytes) {
  Report reply{};
  // The test command with two payload bytes: 0x0D + 0xAA + 0xBB = 0x0172.
  const Bytes ten = Hex("04 72 01 0D 00 00 00 00 AA BB");
  ASSERT_EQ(Exchange(ten, reply), kSuccess);
  EXPECT_EQ(reply[7], 0x00);
  Bytes hundred(100, 0x11);
  hundred[0] = 0x04;
  hundred[3] = 0x0D;
  ASSERT_EQ(Exchange(hundred, reply), kSuccess);  // the keyboard answers 0xFF: bad checksum
  const auto sent = Requests();
  ASSERT_EQ(sent.size(), 4u);  // the second one was tried three times
  EXPECT_EQ(sent[0].bytes, Hex("04 72 01 0D 00 00 00 00 AA BB", 64));
  Bytes cut(64, 0x11);
  cut[0] = 0x04;
  cut[3] = 0x0D;
  EXPECT_EQ(sent[1].bytes, cut);
  EXPECT_EQ(reply[7], 0xFF);
}

TEST_F(DeviceLinkTest, RequestsCarryTheirChecksumLowByteFirst) {
  ASSERT_EQ(commands_->BeginAccess(), kSuccess);
  const uint8_t brightness = 3;
  ASSERT_EQ(commands_->WriteParameters(&brightness, 1, 42 + 1), kSuccess);
  ASSERT_EQ(commands_->ReadConfigBlock(nullptr), kSuccess);
  ASSERT_EQ(commands_->EndAccess(), kSuccess);
  Bytes colours(54, 0xFF);
  commands_->set_colour_profile(2);
  ASSERT_EQ(commands_->WriteKeyColours(colours.data(), 54, 18), kSuccess);
  const auto sent = Requests();
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(sent[0].bytes, Hex("04 01 00 01", 64));
  EXPECT_EQ(sent[1].bytes, Hex("04 35 00 06 01 2B 00 00 03", 64));
  EXPECT_EQ(sent[2].bytes, Hex("04 2F 00 03 2C", 64));
  EXPECT_EQ(sent[3].bytes, Hex("04 02 00 02", 64));
  // 54 x 0xFF + 0x11 + 0x36 + 0x36 + 0x04 = 0x364B (address 0x436 = 2 x 512 + 18 x 3).
  Bytes expected = Hex("04 4B 36 11 36 36 04 00", 8);
  expected.resize(62, 0xFF);
  expected.resize(64, 0x00);
  EXPECT_EQ(sent[4].bytes, expected);
  const auto lighting = Control("dump lighting");
  EXPECT_NE(lighting.find("0020: FF 00 00 00 00 00 00 00 00 00 01 03 01 00 00 FF"), std::string::npos)
      << lighting;
}

TEST_F(DeviceLinkTest, AKeyboardThatNeverAnswersCostsThreeWritesAndThreeSeconds) {
  Control("fault noreply always");
  Report reply{};
  const auto start = Clock::now();
  EXPECT_EQ(Exchange(Hex("04 01 00 01", 64), reply), kNoReply);
  const auto elapsed = Clock::now() - start;
  EXPECT_EQ(Requests().size(), 3u);
  EXPECT_GE(elapsed, std::chrono::milliseconds(3000));
  EXPECT_LT(elapsed, std::chrono::milliseconds(6000));
}

TEST_F(DeviceLinkTest, FailureStatusesAreRetriedThenReported) {
  Control("fault status-fe always");
  Report reply{};
  size_t received = 0;
  EXPECT_EQ(Exchange(Hex("04 01 00 01", 64), reply, &received), kSuccess);
  EXPECT_EQ(reply[7], 0xFE);
  EXPECT_EQ(received, 64u);
  EXPECT_EQ(Requests().size(), 3u);
  EXPECT_EQ(commands_->BeginAccess(), kStatusFE);

  Control("fault clear");
  Control("fault status-ff always");
  EXPECT_EQ(commands_->EndAccess(), kStatusFF);
  Control("fault clear");
  Control("log clear");
  Control("fault refuse 1");
  EXPECT_EQ(commands_->BeginAccess(), kWriteRefused);
  EXPECT_EQ(Requests().size(), 1u);  // a refused write is not retried
}

TEST_F(DeviceLinkTest, AWrongEchoCostsOneAttempt) {
  Control("fault echo 1");
  EXPECT_EQ(commands_->ReadConfigBlock(nullptr), kSuccess);
  EXPECT_EQ(Requests().size(), 2u);
}

TEST_F(DeviceLinkTest, WithNoKeyboardNothingIsWritten) {
  Control("detach");
  Report reply{};
  EXPECT_EQ(Exchange(Hex("04 01 00 01", 64), reply), kNoKeyboard);
  EXPECT_EQ(commands_->ReadKeyMapBlock(Bytes(512).data(), 0), kNoKeyboard);
  EXPECT_EQ(transport_->DeviceCount(), 0);
  EXPECT_TRUE(Requests().empty());
}

TEST_F(DeviceLinkTest, RepliesAreCutToTheCapacity) {
  Report reply{};
  reply.fill(0xEE);
  size_t received = 0;
  const Bytes request = Hex("04 2F 00 03 2C", 64);
  ASSERT_EQ(transport_->ExchangeReport(request.data(), 64, reply.data(), 10, &received), kSuccess);
  EXPECT_EQ(received, 10u);
  EXPECT_EQ(Bytes(reply.begin() + 3, reply.begin() + 10), Hex("03 2C 00 00 00 56 4B"));
  EXPECT_EQ(reply[10], 0xEE);  // nothing past the capacity
}

// Exchanges are serialised by a lock, so only a flag left set (as a stuck
// exchange would leave it) can make one wait out the back-off.
TEST_F(DeviceLinkTest, AnExchangeThatFindsAnotherInFlightWaitsOneSecond) {
  transport_->MarkBusyForTest();
  const auto start = Clock::now();
  EXPECT_EQ(commands_->BeginAccess(), kSuccess);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(1001));
}

TEST_F(DeviceLinkTest, ExchangesFromTwoThreadsNeverMix) {
  Bytes layout(512);
  Bytes block(512);
  StatusCode a = 0;
  StatusCode b = 0;
  std::thread other([&] { a = commands_->ReadDefaultLayoutBlock(layout.data()); });
  b = commands_->ReadKeyMapBlock(block.data(), 2);
  other.join();
  EXPECT_EQ(a, kSuccess);
  EXPECT_EQ(b, kSuccess);
  EXPECT_EQ(layout, block);  // the factory key maps are the default layout
  EXPECT_EQ(Bytes(layout.begin(), layout.begin() + 6), Hex("05 00 00 05 00 00"));
  EXPECT_EQ(Requests().size(), 20u);
}

TEST_F(DeviceLinkTest, BlockIndexOutOfRangeSendsNothing) {
  Bytes block(512);
  EXPECT_EQ(commands_->ReadKeyMapBlock(block.data(), 3), kOutOfRange);
  EXPECT_EQ(commands_->WriteKeyMapBlock(block.data(), 3), kOutOfRange);
  EXPECT_EQ(commands_->WriteKeyMapBlock(block.data(), -1), kOutOfRange);
  EXPECT_EQ(commands_->WriteMacroMemory(block.data(), 0), kSuccess);
  Bytes too_long(57);
  EXPECT_EQ(commands_->WriteParameters(too_long.data(), 57, 0), kOutOfRange);
  EXPECT_TRUE(Requests().empty());
}

TEST_F(DeviceLinkTest, MacroReadsGoInPiecesOfFiftySix) {
  Bytes dest(112, 0xCC);
  ASSERT_EQ(commands_->ReadMacroMemory(dest.data(), 100), kSuccess);
  ASSERT_EQ(commands_->ReadMacroMemory(dest.data(), 112), kSuccess);
  const auto sent = Requests();
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[0].bytes, Hex("04 41 00 09 38 00 00 00", 64));
  EXPECT_EQ(sent[1].bytes, Hex("04 6D 00 09 2C 38 00 00", 64));
  EXPECT_EQ(sent[2].length(), 56u);
  EXPECT_EQ(sent[2].address(), 0u);
  EXPECT_EQ(sent[3].length(), 56u);
  EXPECT_EQ(sent[3].address(), 56u);
  // The factory store: 55AA, 16 bytes, no macros.
  EXPECT_EQ(Bytes(dest.begin(), dest.begin() + 8), Hex("AA 55 10 00 00 00 00 00"));
}

TEST_F(DeviceLinkTest, KeyMapBlockWriteGoesInTenPiecesWithAStaleTail) {
  Bytes src(512);
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i * 7 + 3);
  ASSERT_EQ(commands_->WriteKeyMapBlock(src.data(), 1), kSuccess);
  const auto sent = Requests();
  ASSERT_EQ(sent.size(), 10u);
  for (size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(sent[i].name, "WriteKeyMapBlock");
    EXPECT_EQ(sent[i].address(), 512 + 56 * i);
    EXPECT_EQ(sent[i].length(), i < 9 ? 56u : 8u);
  }
  const Bytes& last = sent[9].bytes;
  EXPECT_EQ(Bytes(last.begin() + 3, last.begin() + 8), Hex("08 08 F8 03 00"));
  EXPECT_EQ(Bytes(last.begin() + 8, last.begin() + 16), Bytes(src.begin() + 504, src.end()));
  // Beyond the 8 bytes, the previous piece (offsets 448..503) as it stood.
  EXPECT_EQ(Bytes(last.begin() + 16, last.end()), Bytes(src.begin() + 456, src.begin() + 504));
  const uint16_t sum = std::accumulate(last.begin() + 3, last.end(), 0) & 0xFFFF;
  EXPECT_EQ(last[1] | (last[2] << 8), sum);
  Bytes back(512);
  ASSERT_EQ(commands_->ReadKeyMapBlock(back.data(), 1), kSuccess);
  EXPECT_EQ(back, src);
}

TEST_F(DeviceLinkTest, AFailureOnTheThirdPieceEndsTheTransfer) {
  Control("fault status-fe 3 0x08 after 2");
  Bytes src(512, 0x22);
  EXPECT_EQ(commands_->WriteKeyMapBlock(src.data(), 0), kStatusFE);
  const auto sent = Requests();
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(sent[2].address(), 112u);
  EXPECT_EQ(sent[4].address(), 112u);  // the third piece, tried three times
}

// A slow keyboard: every reply comes later than the transport waits for it
// (times scaled down from a second's time-out). A transfer then gives the
// keyboard's own bytes or a failure, never other bytes with success.
TEST_F(DeviceLinkTest, LateAndDroppedRepliesNeverShiftATransfer) {
  Bytes pattern(512);
  for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(i * 5 + 1);
  ASSERT_EQ(commands_->WriteKeyMapBlock(pattern.data(), 1), kSuccess);
  const TransportTiming quick{std::chrono::milliseconds(60), std::chrono::milliseconds(10),
                              std::chrono::milliseconds(1001)};
  commands_.reset();
  transport_ = std::make_unique<Transport>(harness_->api(), quick);
  transport_->StartInterfaceReads();
  commands_ = std::make_unique<DeviceCommands>(*transport_);

  // Half a time-out late: every piece is answered by its first attempt's reply.
  Control("fault late 90 always");
  Bytes read(512);
  EXPECT_EQ(commands_->ReadKeyMapBlock(read.data(), 1), kSuccess);
  EXPECT_EQ(read, pattern);
  // Written while late, and read back without faults: every piece in its place.
  Bytes other(512);
  for (size_t i = 0; i < other.size(); ++i) other[i] = static_cast<uint8_t>(i * 3 + 2);
  EXPECT_EQ(commands_->WriteKeyMapBlock(other.data(), 2), kSuccess);
  // The first piece's late reply comes while the second piece, which the
  // keyboard dropped, waits: it must not pass for the second piece's answer.
  Control("fault clear");
  Control("fault late 100 1 0x08");
  Control("fault noreply 1 0x08 after 1");
  Bytes third(512);
  for (size_t i = 0; i < third.size(); ++i) third[i] = static_cast<uint8_t>(i * 11 + 7);
  EXPECT_EQ(commands_->WriteKeyMapBlock(third.data(), 0), kSuccess);
  Control("fault clear");
  Bytes back(512);
  ASSERT_EQ(commands_->ReadKeyMapBlock(back.data(), 0), kSuccess);
  EXPECT_EQ(back, third);
  // Later than all three attempts: the reads fail, or give the right bytes.
  for (const char* fault : {"fault late 160 always", "fault late 260 always"}) {
    Control("fault clear");
    Control(fault);
    Bytes macros(112, 0xCC);
    const StatusCode status = commands_->ReadKeyMapBlock(read.data(), 1);
    EXPECT_TRUE(status != kSuccess || read == pattern) << fault;
    const StatusCode small = commands_->ReadMacroMemory(macros.data(), 112);
    EXPECT_TRUE(small != kSuccess || Bytes(macros.begin(), macros.begin() + 4) == Hex("AA 55 10 00")) << fault;
  }
  // Dropped replies within a read cost retries, not wrong bytes.
  Control("fault clear");
  Control("fault noreply 2 0x07 after 3");
  std::fill(read.begin(), read.end(), 0);
  EXPECT_EQ(commands_->ReadKeyMapBlock(read.data(), 1), kSuccess);
  EXPECT_EQ(read, pattern);
  Control("fault clear");
  EXPECT_EQ(commands_->ReadKeyMapBlock(read.data(), 2), kSuccess);
  EXPECT_EQ(read, other);
}

TEST_F(DeviceLinkTest, ActiveProfileIsReadOnceAndFollowsSetActiveProfile) {
  EXPECT_EQ(commands_->ActiveProfile(), 0);
  EXPECT_EQ(commands_->ActiveProfile(), 0);
  EXPECT_EQ(Requests().size(), 1u);
  commands_->SetActiveProfile(2);
  EXPECT_EQ(commands_->cached_active_profile(), 2);
  EXPECT_NE(Control("status").find("active profile: 2"), std::string::npos);

  // The block can't be read: nothing is written and the cache stays.
  Control("fault status-ff 3 0x03");
  Control("log clear");
  commands_->SetActiveProfile(1);
  EXPECT_EQ(commands_->cached_active_profile(), 2);
  for (const auto& r : Requests()) EXPECT_NE(r.name, "WriteConfigBlock");

  // The write fails: the cache no longer knows.
  Control("fault status-fe 3 0x04");
  commands_->SetActiveProfile(1);
  EXPECT_EQ(commands_->cached_active_profile(), -1);
  commands_->SetActiveProfile(-1);  // does nothing
  Control("fault clear");
  EXPECT_EQ(commands_->ActiveProfile(), 2);
}

TEST_F(DeviceLinkTest, BootModeSendsItsFixedReportAndTheKeyboardLeaves) {
  EXPECT_EQ(commands_->EnterBootMode(), 1);
  const auto sent = Requests();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].bytes, Hex("04 00 00 EE EE", 64));
  EXPECT_EQ(listener_.Wait(1), (std::vector<std::string>{"count 0"}));
  EXPECT_EQ(transport_->DeviceCount(), 0);
  EXPECT_NE(Control("status").find("boot mode: yes"), std::string::npos);
  Control("attach");
  EXPECT_EQ(transport_->DeviceCount(), 1);
}

TEST_F(DeviceLinkTest, TheBankKeyTogglesBankAndSendsTheLedReport) {
  EXPECT_EQ(transport_->bank_flags(), 0x02);
  Control("bankkey");
  listener_.Wait(1);
  EXPECT_EQ(transport_->bank_flags(), 0x03);
  Control("bankkey");
  EXPECT_EQ(listener_.Wait(2), (std::vector<std::string>{"bank 3", "bank 2"}));
  EXPECT_EQ(transport_->bank_flags(), 0x02);
  EXPECT_NE(Control("status").find("bank flags: 05 02 (2 reports)"), std::string::npos)
      << Control("status");
  const std::string log = Control("log 10");
  EXPECT_NE(log.find("led > bank flags | 05 03"), std::string::npos) << log;
}

TEST_F(DeviceLinkTest, TheKeyboardsOwnEventsReachTheListener) {
  Control("lightkey");
  Control("activity");
  Control("detach");
  Control("attach");
  // Key codes and count changes come on two threads: each in its own order.
  const auto seen = listener_.Wait(5);
  std::vector<std::string> codes;
  std::vector<std::string> counts;
  for (const auto& s : seen) (s.rfind("count", 0) == 0 ? counts : codes).push_back(s);
  EXPECT_EQ(codes, (std::vector<std::string>{"lighting", "active", "idle"}));
  EXPECT_EQ(counts, (std::vector<std::string>{"count 0", "count 1"}));
  // The lighting key stepped profile 0 from effect 1 to effect 2.
  EXPECT_EQ(Control("dump lighting").substr(0, 8), "0000: 02");
}

TEST_F(DeviceLinkTest, ACallWithAWrongArgumentSumIsRefused) {
  const HidServiceApi& api = harness_->api();
  Bytes report = Hex("04 01 00 01", 64);
  const uint32_t sum = WriteOneSum(kCommandSelector, report.data());
  EXPECT_LE(api.RequestWriteOne(&kCommandSelector, 0, 0, report.data(), 64, sum + 1, nullptr), 0);
  report[10] = 1;  // garbled after the sum was taken
  EXPECT_LE(api.RequestWriteOne(&kCommandSelector, 0, 0, report.data(), 64, sum, nullptr), 0);
  EXPECT_LE(api.RequestGetDeviceCount(&kCommandSelector, 0, 0, 12345, nullptr), 0);
  EXPECT_TRUE(Requests().empty());
  EXPECT_EQ(api.RequestGetDeviceCount(&kCommandSelector, 0, 0, DeviceCountSum(kCommandSelector), nullptr), 1);
  // Another keyboard's selector finds nothing.
  DeviceSelector other = kCommandSelector;
  other.product = 0x1234;
  EXPECT_EQ(api.RequestGetDeviceCount(&other, 0, 0, DeviceCountSum(other), nullptr), 0);
}

TEST_F(DeviceLinkTest, KeyboardMemoryAnswersOutOfRangeWithFE) {
  Bytes dest(56);
  EXPECT_EQ(commands_->ReadParameters(dest.data(), 56, 84), kSuccess);  // past the end: zeros
  EXPECT_EQ(Bytes(dest.begin(), dest.begin() + 3), Hex("01 04 01"));
  EXPECT_EQ(dest[42], 0);
  EXPECT_EQ(commands_->ReadParameters(dest.data(), 1, 126), kStatusFE);
  EXPECT_EQ(commands_->WriteParameters(dest.data(), 2, 125), kStatusFE);
  Bytes block(44);
  ASSERT_EQ(commands_->ReadConfigBlock(block.data()), kSuccess);
  EXPECT_EQ(Bytes(block.begin(), block.begin() + 14), Hex("56 4B 45 4D 55 01 00 00 00 00 00 80 01 02"));
  block[10] = 3;
  EXPECT_EQ(commands_->WriteConfigBlock(block.data()), kStatusFE);
  Bytes macros(0x4001);
  EXPECT_EQ(commands_->ReadMacroMemory(macros.data(), 0x4000 + 1), kStatusFE);
  EXPECT_EQ(commands_->ReadMacroMemory(macros.data(), -1), kOutOfRange);
  Control("log clear");
  commands_->set_colour_profile(3);
  EXPECT_EQ(commands_->WriteKeyColours(macros.data(), 3, 0), kOutOfRange);
  commands_->set_colour_profile(0);
  EXPECT_EQ(commands_->WriteKeyColours(macros.data(), 6, 169), kOutOfRange);  // past the table
  EXPECT_EQ(commands_->WriteKeyColours(macros.data(), 3, 170), kOutOfRange);
  EXPECT_EQ(commands_->WriteKeyColours(macros.data(), 3, 169), kSuccess);
  EXPECT_EQ(Requests().size(), 1u);
}

}  // namespace
}  // namespace velkor::testing
