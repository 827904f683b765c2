// What the transport asks of the service library, seen through a library
// that only records: the order of the registrations, the summed bytes, and
// replies that arrive when nobody waits.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/hid_service/argument_sum.h"
#include "device/commands.h"
#include "device/transport.h"

namespace velkor::testing {
namespace {

std::vector<std::string> g_calls;
uint32_t g_next_handle = 7;

std::string Tag(InterfaceTag tag) {
  std::string s;
  for (int i = 3; i >= 0; --i) {
    const char c = static_cast<char>((tag >> (8 * i)) & 0xFF);
    if (c) s += c;
  }
  return s;
}

int VELKOR_HID_CALL Delete(uint32_t h) {
  g_calls.push_back("delete " + std::to_string(h));
  return 1;
}
int VELKOR_HID_CALL AsyncRead(const DeviceSelector* s, HidInputCallback cb, InterfaceTag tag, uint32_t sum,
                              uint32_t* h) {
  const bool sum_ok = sum == AsyncReadSum(*s, cb, tag);
  g_calls.push_back("read " + Tag(tag) + (sum_ok ? "" : " (bad sum)") + " page " + std::to_string(s->usage_page));
  *h = g_next_handle++;
  return 1;
}
int VELKOR_HID_CALL StatusWrite(const DeviceSelector* s, HidInputCallback, InterfaceTag tag, const uint8_t* d,
                                uint32_t n, uint32_t, uint32_t* h) {
  char bytes[16];
  std::snprintf(bytes, sizeof(bytes), "%02X %02X", d[0], n > 1 ? d[1] : 0);
  g_calls.push_back("status write " + Tag(tag) + " " + bytes + " page " + std::to_string(s->usage_page));
  *h = g_next_handle++;
  return 1;
}
int VELKOR_HID_CALL Count(const DeviceSelector*, uint32_t, uint32_t, uint32_t, uint32_t*) { return 1; }

HidServiceApi RecordingApi() {
  HidServiceApi api;
  api.DeleteRequestFromUnitId = Delete;
  api.RequestAsyncRead = AsyncRead;
  api.RequestStatusWrite = StatusWrite;
  api.RequestGetDeviceCount = Count;
  return api;
}

TEST(TransportCalls, ReadsAreRegisteredConsumerFirstAndAgainCancelTheOld) {
  g_calls.clear();
  g_next_handle = 7;
  Transport transport(RecordingApi());
  transport.StartInterfaceReads();
  transport.StartInterfaceReads();
  EXPECT_EQ(g_calls, (std::vector<std::string>{
                         "delete 0", "read CONS page 12", "delete 0", "read CTRL page 65308",
                         "delete 7", "read CONS page 12", "delete 8", "read CTRL page 65308"}));
  g_calls.clear();
  transport.SendBankFlags();
  transport.SendBankFlags();
  EXPECT_EQ(g_calls, (std::vector<std::string>{"delete 0", "status write LED 05 02 page 8",
                                               "delete 11", "status write LED 05 02 page 8"}));
}

TEST(TransportCalls, ReportsNobodyWaitsForAreDropped) {
  Transport transport(RecordingApi());
  transport.StartInterfaceReads();
  const uint8_t reply[64] = {0x04, 0, 0, 0x01};
  InputEventContext context{kCtrlTag, 64, reply, nullptr};
  InputEvent event{kEventInputReport, &context};
  EXPECT_EQ(Transport::OnInterfaceInput(&event), 1);
  // Broken events are ignored too.
  InputEvent no_context{kEventInputReport, nullptr};
  EXPECT_EQ(Transport::OnInterfaceInput(&no_context), 1);
  EXPECT_EQ(Transport::OnInterfaceInput(nullptr), 1);
  InputEventContext no_code{kConsTag, 3, reply, nullptr};
  InputEvent consumer{kEventInputReport, &no_code};
  EXPECT_EQ(Transport::OnInterfaceInput(&consumer), 1);
  EXPECT_EQ(transport.bank_flags(), 0x02);
}

// A keyboard played by the test: every write is counted, and the replies it
// sends are the test's to time.
std::atomic<int> g_writes{0};
std::mutex g_replies_mutex;
std::vector<std::thread> g_replies;

int VELKOR_HID_CALL CountedWrite(const DeviceSelector*, uint32_t, uint32_t, const uint8_t*, uint32_t, uint32_t,
                                 uint32_t*) {
  ++g_writes;
  return 1;
}

// Sends a reply to the command with payload byte 8 = marker, after a delay.
void ReplyLater(uint8_t command, uint8_t marker, std::chrono::milliseconds delay) {
  std::lock_guard lock(g_replies_mutex);
  g_replies.emplace_back([=] {
    std::this_thread::sleep_for(delay);
    uint8_t reply[64] = {0x04, 0, 0, command};
    reply[8] = marker;
    InputEventContext context{kCtrlTag, 64, reply, nullptr};
    InputEvent event{kEventInputReport, &context};
    Transport::OnInterfaceInput(&event);
  });
}

void JoinReplies() {
  std::lock_guard lock(g_replies_mutex);
  for (auto& t : g_replies) t.join();
  g_replies.clear();
}

// The keyboard's replies carry nothing but the command code to be told by,
// so one that comes after its exchange gave up must be let in and dropped,
// never taken as the next exchange's answer.
TEST(TransportCalls, AReplyOwedToAnEarlierExchangeNeverAnswersALaterOne) {
  HidServiceApi api = RecordingApi();
  api.RequestWriteOne = CountedWrite;
  Transport transport(api, TransportTiming{std::chrono::milliseconds(40), std::chrono::milliseconds(2),
                                           std::chrono::milliseconds(1001)});
  transport.StartInterfaceReads();
  const uint8_t read_config[64] = {0x04, 0x2F, 0x00, 0x03, 0x2C};
  uint8_t reply[64] = {};
  size_t got = 0;

  // Three attempts go unanswered in time; their replies come late.
  g_writes = 0;
  EXPECT_EQ(transport.ExchangeReport(read_config, 64, reply, 64, &got), kNoReply);
  EXPECT_EQ(g_writes.load(), 3);
  EXPECT_EQ(transport.owed_replies(), 3);
  for (int i = 0; i < 3; ++i) ReplyLater(0x03, 0x5A, std::chrono::milliseconds(10 + 30 * i));
  // The next exchange lets them arrive before it writes, then takes its own.
  std::thread fresh([] {
    while (g_writes.load() < 4) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ReplyLater(0x03, 0xF5, std::chrono::milliseconds(5));
  });
  EXPECT_EQ(transport.ExchangeReport(read_config, 64, reply, 64, &got), kSuccess);
  fresh.join();
  JoinReplies();
  EXPECT_EQ(reply[8], 0xF5);
  EXPECT_EQ(g_writes.load(), 4);
  EXPECT_EQ(transport.owed_replies(), 0);

  // A reply that never comes costs the next exchange one wait, no more.
  g_writes = 0;
  EXPECT_EQ(transport.ExchangeReport(read_config, 64, reply, 64, &got), kNoReply);
  std::thread answer([] {
    while (g_writes.load() < 4) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ReplyLater(0x03, 0x77, std::chrono::milliseconds(5));
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(transport.ExchangeReport(read_config, 64, reply, 64, &got), kSuccess);
  const auto waited = std::chrono::steady_clock::now() - start;
  answer.join();
  JoinReplies();
  EXPECT_EQ(reply[8], 0x77);
  EXPECT_GE(waited, std::chrono::milliseconds(40));
  EXPECT_LT(waited, std::chrono::milliseconds(40 * 3 + 500));
}

TEST(ArgumentSum, SumsTheBytesEachCallNames) {
  // The command selector, byte by byte.
  const uint8_t selector[16] = {0x0F, 0x00, 0x00, 0x00, 0x45, 0x0C, 0x41, 0x67,
                                0x1C, 0xFF, 0x92, 0x00, 0x00, 0x00, 0x00, 0x00};
  const auto sum_of = [](std::initializer_list<std::vector<uint8_t>> parts) {
    uint32_t sum = 0;
    size_t n = 0;
    for (const auto& p : parts) {
      for (uint8_t b : p) sum += kArgumentSumTable[b];
      n += p.size();
    }
    return std::make_pair(sum, n);
  };
  const std::vector<uint8_t> sel(selector, selector + 16);
  EXPECT_EQ(kCommandSelector.Bytes(), (std::array<uint8_t, 16>{0x0F, 0x00, 0x00, 0x00, 0x45, 0x0C, 0x41, 0x67,
                                                              0x1C, 0xFF, 0x92, 0x00, 0x00, 0x00, 0x00, 0x00}));
  const std::vector<uint8_t> zero4(4, 0);
  auto [count_sum, count_n] = sum_of({sel, zero4, zero4});
  EXPECT_EQ(count_n, 24u);
  EXPECT_EQ(DeviceCountSum(kCommandSelector), count_sum);

  // The callback's address counts with its low four bytes, then the tag.
  const auto callback = reinterpret_cast<HidInputCallback>(static_cast<uintptr_t>(0x12345678));
  auto [read_sum, read_n] = sum_of({sel, {0x78, 0x56, 0x34, 0x12}, {0x4C, 0x52, 0x54, 0x43}});
  EXPECT_EQ(read_n, 24u);
  EXPECT_EQ(AsyncReadSum(kCommandSelector, callback, kCtrlTag), read_sum);

  const uint8_t flags[2] = {0x05, 0x03};
  const std::vector<uint8_t> led = {0x0F, 0x00, 0x00, 0x00, 0x45, 0x0C, 0x41, 0x67,
                                    0x08, 0x00, 0x89, 0x00, 0x00, 0x00, 0x00, 0x00};
  auto [write_sum, write_n] = sum_of({led, {0x78, 0x56, 0x34, 0x12}, {0x44, 0x45, 0x4C, 0x00}, {0x05, 0x03}});
  EXPECT_EQ(write_n, 26u);
  EXPECT_EQ(StatusWriteSum(kLedSelector, callback, kLedTag, flags, 2), write_sum);

  std::vector<uint8_t> report(64, 0);
  report[0] = 0x04;
  report[3] = 0x01;
  auto [one_sum, one_n] = sum_of({sel, zero4, zero4, report});
  EXPECT_EQ(one_n, 88u);
  EXPECT_EQ(WriteOneSum(kCommandSelector, report.data()), one_sum);

  // The table is a permutation: no two byte values share a weight.
  std::array<bool, 256> seen{};
  for (uint8_t v : kArgumentSumTable) {
    EXPECT_FALSE(seen[v]);
    seen[v] = true;
  }
}

}  // namespace
}  // namespace velkor::testing
