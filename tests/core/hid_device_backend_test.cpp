// The HID back end's decisions over a fake device layer that plays keyboards
// being plugged in, unplugged, plugged in again and reset, and the system
// asking to remove a device. The fake also checks the layer's rules: no
// device is closed or destroyed while a read is in it, nothing is read or
// written after a close, and a removal request finds the handle closed when
// it returns.
#include "ostrel/hid_device_backend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace velkor::testing {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

template <typename Pred>
bool Eventually(Pred pred, std::chrono::milliseconds bound = 5000ms) {
  const auto end = Clock::now() + bound;
  while (!pred()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

const std::u16string kGuid = u"#{4d1e55b2-f16f-11cf-88cb-001111000030}";

std::u16string CommandPath(const std::u16string& serial) {
  return u"\\\\?\\hid#vid_0c45&pid_6741&mi_01&col01#" + serial + u"&0001" + kGuid;
}
std::u16string ConsumerPath(const std::u16string& serial) {
  return u"\\\\?\\hid#vid_0c45&pid_6741&mi_01&col02#" + serial + u"&0002" + kGuid;
}
std::u16string LedPath(const std::u16string& serial) {
  return u"\\\\?\\hid#vid_0c45&pid_6741&mi_00#" + serial + u"&0000" + kGuid;
}

HidFieldCaps Bytes8(uint8_t id, uint16_t count) {
  HidFieldCaps f;
  f.report_id = id;
  f.button = false;
  f.usage_page = 0xFF1C;
  f.bit_size = 8;
  f.report_count = count;
  return f;
}

HidCollection Collection(const std::u16string& serial, KeyboardInterface kind) {
  HidCollection c;
  c.device = u"USB\\VID_0C45&PID_6741\\" + serial;
  c.vendor = 0x0C45;
  c.product = 0x6741;
  switch (kind) {
    case KeyboardInterface::kCommand:
      c.path = CommandPath(serial);
      c.usage_page = 0xFF1C;
      c.usage = 0x0092;
      c.input_length = c.output_length = 64;
      c.input = {Bytes8(0x04, 63)};
      c.output = {Bytes8(0x04, 63)};
      break;
    case KeyboardInterface::kConsumer: {
      c.path = ConsumerPath(serial);
      c.usage_page = 0x000C;
      c.usage = 0x0001;
      c.input_length = 3;
      HidFieldCaps codes;
      codes.report_id = 0x02;
      codes.array = true;
      codes.usage_page = 0x000C;
      codes.usage_max = 0x023C;
      codes.report_count = 1;
      c.input = {codes};
      break;
    }
    case KeyboardInterface::kLed:
      c.path = LedPath(serial);
      c.usage_page = 0x0008;
      c.usage = 0x0089;
      c.output_length = 2;
      c.output = {Bytes8(0x05, 1)};
      break;
    case KeyboardInterface::kNone:
      break;
  }
  return c;
}

// What one opening of an interface saw, kept for the test after the back
// end let go of the device; and the lock all of the fake shares.
struct Opening {
  std::u16string path;
  HidAccess access = HidAccess::kReadWrite;
  std::deque<Bytes> inbox;
  bool gone = false, cancelled = false, reading = false, closed = false, destroyed = false;
  std::vector<Bytes> writes, control_reports;
  HidIo control_result = HidIo::kDone;
  int failing_reads = 0;  // reads refused before the next one waits; -1: every one
  HidOpenDevice* device = nullptr;  // while it lives
};

struct World {
  std::mutex m;
  std::condition_variable cv;
  std::vector<std::string> faults;  // the layer's rules the back end broke
};

class FakeDevice : public HidOpenDevice {
 public:
  FakeDevice(World& w, std::shared_ptr<Opening> o) : w_(w), o_(std::move(o)) { o_->device = this; }
  ~FakeDevice() override {
    std::lock_guard lock(w_.m);
    Check(!o_->reading, "destroyed while a read was in it");
    o_->device = nullptr;
    o_->destroyed = true;
  }
  HidIoResult Read(std::span<uint8_t> buffer) override {
    std::unique_lock lock(w_.m);
    Check(!o_->closed, "read after close");
    if (o_->failing_reads != 0 && !o_->cancelled && !o_->gone) {
      if (o_->failing_reads > 0) --o_->failing_reads;
      return {HidIo::kFailed, 0, 31};
    }
    o_->reading = true;
    w_.cv.wait(lock, [&] { return o_->cancelled || o_->gone || !o_->inbox.empty(); });
    o_->reading = false;
    if (!o_->inbox.empty()) {
      const Bytes report = o_->inbox.front();
      o_->inbox.pop_front();
      const size_t n = std::min(report.size(), buffer.size());
      std::copy_n(report.begin(), n, buffer.begin());
      return {HidIo::kDone, n, 0};
    }
    return o_->cancelled ? HidIoResult{HidIo::kCancelled, 0, 0} : HidIoResult{HidIo::kGone, 0, 1167};
  }
  void CancelRead() override {
    std::lock_guard lock(w_.m);
    o_->cancelled = true;
    w_.cv.notify_all();
  }
  HidIoResult Write(std::span<const uint8_t> report) override { return Send(o_->writes, report, HidIo::kDone); }
  HidIoResult SetOutputReport(std::span<const uint8_t> report) override {
    return Send(o_->control_reports, report, o_->control_result);
  }
  std::vector<uint16_t> PressedUsages(std::span<const uint8_t>) override { return {}; }
  void Close() override {
    std::lock_guard lock(w_.m);
    Check(!o_->reading, "closed while a read was in it");
    o_->closed = true;
  }

 private:
  void Check(bool ok, const char* fault) {
    if (!ok) w_.faults.push_back(fault);
  }
  HidIoResult Send(std::vector<Bytes>& sent, std::span<const uint8_t> report, HidIo result) {
    std::lock_guard lock(w_.m);
    Check(!o_->closed, "written after close");
    if (o_->gone) return {HidIo::kGone, 0, 1167};
    sent.emplace_back(report.begin(), report.end());
    return {result, result == HidIo::kDone ? report.size() : 0, result == HidIo::kDone ? 0u : 1u};
  }
  World& w_;
  std::shared_ptr<Opening> o_;
};

class FakeLayer : public HidDeviceLayer, public World {
 public:
  struct Interface {
    HidCollection collection;
    std::vector<HidAccess> refused;
    int failing_probes = 0;  // probes that fail before one succeeds; -1: every one
  };

  // The test's side.
  void Add(const HidCollection& c, std::vector<HidAccess> refused = {}) {
    std::lock_guard lock(m);
    present[c.path] = Interface{c, std::move(refused), 0};
    Tell([path = c.path](HidLayerEvents& e) { e.InterfaceArrived(path); });
  }
  void Plug(const std::u16string& serial) {
    for (auto kind : {KeyboardInterface::kCommand, KeyboardInterface::kConsumer, KeyboardInterface::kLed}) {
      Add(Collection(serial, kind));
    }
  }
  // The keyboard goes (unplug: its paths too; a reset: only its handles die).
  void Unplug(const std::u16string& serial, bool paths_go, bool tell) {
    std::lock_guard lock(m);
    for (const auto& path : {CommandPath(serial), ConsumerPath(serial), LedPath(serial)}) {
      if (paths_go) present.erase(path);
      for (auto& o : openings) o->gone = o->gone || o->path == path;
      if (tell) Tell([path](HidLayerEvents& e) { e.InterfaceRemoved(path); });
    }
    cv.notify_all();
  }
  void Reset(const std::u16string& serial) { Unplug(serial, false, false); }
  void Send(const std::u16string& path, Bytes report) {
    std::lock_guard lock(m);
    if (auto o = LatestLocked(path)) o->inbox.push_back(std::move(report));
    cv.notify_all();
  }
  std::shared_ptr<Opening> Latest(const std::u16string& path) {
    std::lock_guard lock(m);
    return LatestLocked(path);
  }
  int OpeningsOf(const std::u16string& path) {
    std::lock_guard lock(m);
    return static_cast<int>(std::count_if(openings.begin(), openings.end(), [&](auto& o) { return o->path == path; }));
  }
  int ProbesOf(const std::u16string& path) {
    std::lock_guard lock(m);
    return probes[path];
  }
  // The system asks to remove the device behind the open path; the handle
  // must be closed when the request returns.
  void AskRemoval(const std::u16string& path) {
    std::lock_guard lock(m);
    Tell([this, path](HidLayerEvents& e) {
      const std::shared_ptr<Opening> o = Latest(path);
      e.RemovalRequested(DeviceOf(path));
      std::lock_guard lock(m);
      if (o && !o->closed) faults.push_back("the handle was still open when the removal request returned");
    });
  }
  void CancelRemoval(const std::u16string& path) {
    std::lock_guard lock(m);
    Tell([this, path](HidLayerEvents& e) { e.RemovalCancelled(DeviceOf(path)); });
  }
  void CompleteRemoval(const std::u16string& path) {
    std::lock_guard lock(m);
    present.erase(path);
    Tell([this, path](HidLayerEvents& e) {
      e.Removed(DeviceOf(path));
      e.InterfaceRemoved(path);
    });
  }
  // Word of some unrelated change, so the back end looks again.
  void Nudge() {
    std::lock_guard lock(m);
    Tell([](HidLayerEvents& e) { e.InterfaceArrived(u"\\\\?\\hid#vid_046d&pid_c52b#1&2&3&4" + kGuid); });
  }

  // HidDeviceLayer
  bool Watch(HidLayerEvents* e) override {
    std::lock_guard lock(m);
    events_ = e;
    watching_ = watch_works;
    return watch_works;
  }
  void Unwatch() override {
    std::lock_guard lock(m);
    watching_ = false;
  }
  bool Wait(std::optional<std::chrono::milliseconds> timeout) override {
    std::unique_lock lock(m);
    ++waits;
    const bool woken = cv.wait_for(lock, timeout.value_or(std::chrono::hours(1)),
                                   [&] { return wake_ || (watching_ && !told_.empty()); });
    wake_ = false;
    std::deque<std::function<void(HidLayerEvents&)>> now;
    now.swap(told_);
    lock.unlock();
    for (auto& f : now) f(*events_);  // on the waiting thread, as the system tells
    return woken;
  }
  void Wake() override {
    std::lock_guard lock(m);
    wake_ = true;
    cv.notify_all();
  }
  bool List(std::vector<HidInterfacePath>& out, uint32_t&) override {
    std::lock_guard lock(m);
    out.clear();
    for (const auto& [path, i] : present) out.push_back({path, 0});
    return true;
  }
  std::optional<HidCollection> Probe(const HidInterfacePath& p, uint32_t& error) override {
    std::lock_guard lock(m);
    ++probes[p.path];
    const auto it = present.find(p.path);
    error = 31;
    if (it == present.end() || it->second.failing_probes < 0) return std::nullopt;
    if (it->second.failing_probes > 0) {
      --it->second.failing_probes;
      return std::nullopt;
    }
    return it->second.collection;
  }
  std::unique_ptr<HidOpenDevice> Open(const HidCollection& c, HidAccess access, uint32_t& error) override {
    std::lock_guard lock(m);
    const auto it = present.find(c.path);
    error = 5;
    if (it == present.end()) return nullptr;
    const auto& refused = it->second.refused;
    if (std::find(refused.begin(), refused.end(), access) != refused.end()) return nullptr;
    openings.push_back(std::make_shared<Opening>());
    openings.back()->path = c.path;
    openings.back()->access = access;
    return std::make_unique<FakeDevice>(*this, openings.back());
  }

  std::map<std::u16string, Interface> present;
  std::map<std::u16string, int> probes;
  std::vector<std::shared_ptr<Opening>> openings;
  bool watch_works = true;
  int waits = 0;

 private:
  // Only a layer that watches hears of changes.
  void Tell(std::function<void(HidLayerEvents&)> f) {
    if (!watching_) return;
    told_.push_back(std::move(f));
    cv.notify_all();
  }
  std::shared_ptr<Opening> LatestLocked(const std::u16string& path) {
    for (auto it = openings.rbegin(); it != openings.rend(); ++it) {
      if ((*it)->path == path) return *it;
    }
    return nullptr;
  }
  HidOpenDevice* DeviceOf(const std::u16string& path) {
    std::lock_guard lock(m);
    auto o = LatestLocked(path);
    return o ? o->device : nullptr;
  }

  HidLayerEvents* events_ = nullptr;
  bool watching_ = false;
  bool wake_ = false;
  std::deque<std::function<void(HidLayerEvents&)>> told_;
};

class RecordingSink : public BackendSink {
 public:
  void InputReport(KeyboardInterface, Bytes bytes, std::chrono::microseconds) override { Add(replies_, bytes); }
  void ConsumerCode(uint16_t code, std::chrono::microseconds) override { Add(codes_, code); }
  void DeviceCountChanged(int count) override { Add(counts_, count); }
  std::vector<int> counts() { return Get(counts_); }
  std::vector<Bytes> replies() { return Get(replies_); }
  std::vector<uint16_t> codes() { return Get(codes_); }

 private:
  template <typename T>
  void Add(std::vector<T>& to, T item) {
    std::lock_guard lock(m_);
    to.push_back(std::move(item));
  }
  template <typename T>
  std::vector<T> Get(const std::vector<T>& from) {
    std::lock_guard lock(m_);
    return from;
  }
  std::mutex m_;
  std::vector<int> counts_;
  std::vector<Bytes> replies_;
  std::vector<uint16_t> codes_;
};

class HidBackendTest : public ::testing::Test {
 protected:
  HidBackendTest() {
    auto layer = std::make_unique<FakeLayer>();
    fake = layer.get();
    layer_ = std::move(layer);
    timing.settle = 5ms;
    timing.settle_limit = 50ms;
    timing.poll_watched = std::chrono::hours(1);
    timing.poll_unwatched = std::chrono::hours(1);
    timing.retry = 20ms;
  }
  void TearDown() override {
    if (backend) {
      backend->Stop();
      std::lock_guard lock(fake->m);
      EXPECT_EQ(fake->faults, std::vector<std::string>{});
      for (const auto& o : fake->openings) EXPECT_TRUE(o->destroyed) << "left open after Stop";
    }
  }
  void Start() {
    backend = std::make_unique<HidDeviceBackend>(std::move(layer_), log, timing);
    ASSERT_TRUE(backend->Start(&sink));
  }
  int Count(const DeviceSelector& s = kCommandSelector) { return backend->DeviceCount(s); }
  int Write(const DeviceSelector& s, const Bytes& report) { return backend->WriteReport(s, report.data(), report.size()); }
  bool CountsBecome(const std::vector<int>& counts) {
    return Eventually([&] { return sink.counts() == counts; });
  }
  // Waits for the back end to look at the interfaces once more.
  void LookAgain() {
    const uint64_t before = backend->scans();
    fake->Nudge();
    ASSERT_TRUE(Eventually([&] { return backend->scans() > before; }));
  }

  HidBackendTiming timing;
  FakeLayer* fake = nullptr;
  DiagnosticLog log;
  RecordingSink sink;
  std::unique_ptr<HidDeviceBackend> backend;

 private:
  std::unique_ptr<FakeLayer> layer_;
};

Bytes Request(uint8_t code) {
  Bytes r(64, 0);
  r[0] = 0x04;
  r[3] = code;
  return r;
}

TEST_F(HidBackendTest, AKeyboardAttachedAtStartIsCountedWrittenAndRead) {
  fake->Plug(u"A");
  Start();
  EXPECT_EQ(Count(kCommandSelector), 1);
  EXPECT_EQ(Count(kConsumerSelector), 1);
  EXPECT_EQ(Count(kLedSelector), 1);
  EXPECT_EQ(Write(kCommandSelector, Request(0x03)), 1);
  EXPECT_EQ(fake->Latest(CommandPath(u"A"))->writes, std::vector<Bytes>{Request(0x03)});

  Bytes reply = Request(0x03);
  reply[7] = 0x01;
  fake->Send(CommandPath(u"A"), reply);
  fake->Send(ConsumerPath(u"A"), {0x02, 0xFF, 0x02});
  EXPECT_TRUE(Eventually([&] { return sink.replies() == std::vector<Bytes>{reply}; }));
  EXPECT_TRUE(Eventually([&] { return sink.codes() == std::vector<uint16_t>{0x02FF}; }));
  EXPECT_EQ(sink.counts(), std::vector<int>{}) << "the count at start is asked, not announced";
}

TEST_F(HidBackendTest, AnUnpluggedKeyboardStopsCountingBeforeAnyLook) {
  // The back end waits an hour before it looks: only the dead reader tells.
  timing.settle = timing.settle_limit = std::chrono::hours(1);
  fake->Plug(u"A");
  Start();
  ASSERT_EQ(Count(), 1);
  fake->Unplug(u"A", /*paths_go=*/true, /*tell=*/false);
  EXPECT_TRUE(Eventually([&] { return Count() == 0; }, 1000ms));
  EXPECT_EQ(Write(kCommandSelector, Request(0x03)), 0) << "no keyboard, not a refused write";
}

TEST_F(HidBackendTest, AFastReplugIsAnnouncedAsARemovalAndAnArrival) {
  fake->Plug(u"A");
  Start();
  fake->Unplug(u"A", /*paths_go=*/true, /*tell=*/false);
  fake->Plug(u"A");
  ASSERT_TRUE(CountsBecome({0, 1}));
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(fake->OpeningsOf(CommandPath(u"A")), 2);
  EXPECT_EQ(Write(kCommandSelector, Request(0x05)), 1);
  EXPECT_EQ(fake->Latest(CommandPath(u"A"))->writes, std::vector<Bytes>{Request(0x05)}) << "the new handle is used";
}

TEST_F(HidBackendTest, ReadsRefusedNowAndThenAreTriedAgainAndNeverAnnouncedAsAnUnplug) {
  fake->Plug(u"A");
  Start();
  ASSERT_TRUE(Eventually([&] { return fake->Latest(ConsumerPath(u"A"))->device != nullptr; }));
  {
    const auto consumer = fake->Latest(ConsumerPath(u"A"));
    std::lock_guard lock(fake->m);
    consumer->failing_reads = 3;
  }
  fake->Send(ConsumerPath(u"A"), {0x02, 0x01, 0x04});
  EXPECT_TRUE(Eventually([&] { return sink.codes() == std::vector<uint16_t>{0x0401}; }));
  EXPECT_EQ(sink.counts(), std::vector<int>{});
  EXPECT_EQ(fake->OpeningsOf(ConsumerPath(u"A")), 1);
}

TEST_F(HidBackendTest, AnInterfaceWhoseReadsAlwaysFailIsOpenedAnewOnlyEverySeconds) {
  fake->Plug(u"A");
  Start();
  ASSERT_TRUE(Eventually([&] { return fake->Latest(ConsumerPath(u"A"))->device != nullptr; }));
  {
    const auto consumer = fake->Latest(ConsumerPath(u"A"));
    std::lock_guard lock(fake->m);
    consumer->failing_reads = -1;
  }
  fake->Send(ConsumerPath(u"A"), {0x02, 0x01, 0x04});  // wakes the waiting read
  std::this_thread::sleep_for(1500ms);
  // Before, each failed read gave a removal and an arrival at once, some
  // four pairs a second; now the reads are retried for seconds first.
  EXPECT_EQ(sink.counts(), std::vector<int>{});
  EXPECT_EQ(Count(), 1);
}

TEST_F(HidBackendTest, AResetKeyboardIsOpenedAnewAsAWhole) {
  fake->Plug(u"A");
  Start();
  fake->Reset(u"A");  // no word from the system, and the listing stays the same
  ASSERT_TRUE(CountsBecome({0, 1}));
  for (const auto& path : {CommandPath(u"A"), ConsumerPath(u"A"), LedPath(u"A")}) {
    EXPECT_EQ(fake->OpeningsOf(path), 2);
  }
  ASSERT_TRUE(Eventually([&] { return fake->Latest(ConsumerPath(u"A"))->device != nullptr; }));
  fake->Send(ConsumerPath(u"A"), {0x02, 0x01, 0x04});
  EXPECT_TRUE(Eventually([&] { return sink.codes() == std::vector<uint16_t>{0x0401}; }));
}

TEST_F(HidBackendTest, AKeyboardThatComesBackWithOtherReportsIsProbedAgain) {
  fake->Plug(u"A");
  Start();
  {
    std::lock_guard lock(fake->m);
    fake->present[CommandPath(u"A")].collection.output_length = 65;  // what its new firmware says
  }
  fake->Reset(u"A");
  ASSERT_TRUE(CountsBecome({0, 1}));
  EXPECT_EQ(fake->ProbesOf(CommandPath(u"A")), 2);
  EXPECT_EQ(Write(kCommandSelector, Request(0x03)), 1);
  ASSERT_EQ(fake->Latest(CommandPath(u"A"))->writes.size(), 1u);
  EXPECT_EQ(fake->Latest(CommandPath(u"A"))->writes[0].size(), 65u);
}

TEST_F(HidBackendTest, ReplacingOneOfTwoKeyboardsLeavesTheOtherAlone) {
  fake->Plug(u"A");
  fake->Plug(u"B");
  Start();
  ASSERT_EQ(Count(), 2);
  fake->Reset(u"B");
  ASSERT_TRUE(CountsBecome({1, 2}));
  EXPECT_EQ(fake->OpeningsOf(CommandPath(u"A")), 1);
  EXPECT_EQ(fake->OpeningsOf(CommandPath(u"B")), 2);
}

TEST_F(HidBackendTest, InterfacesAppearingOneByOneGiveOneArrival) {
  Start();
  fake->Add(Collection(u"A", KeyboardInterface::kConsumer));
  LookAgain();
  EXPECT_EQ(Count(kConsumerSelector), 1);
  EXPECT_EQ(sink.counts(), std::vector<int>{}) << "the count is of command interfaces";
  fake->Add(Collection(u"A", KeyboardInterface::kCommand));
  ASSERT_TRUE(CountsBecome({1}));
  fake->Add(Collection(u"A", KeyboardInterface::kLed));
  LookAgain();
  EXPECT_EQ(Count(kLedSelector), 1);
  EXPECT_EQ(sink.counts(), std::vector<int>{1});
}

TEST_F(HidBackendTest, ARemovalRequestClosesTheHandleUntilTheRemovalIsCancelled) {
  fake->Plug(u"A");
  Start();
  fake->AskRemoval(CommandPath(u"A"));
  ASSERT_TRUE(CountsBecome({0}));
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(Write(kCommandSelector, Request(0x03)), 0);
  // While the removal is pending the path is still listed, but not opened.
  LookAgain();
  LookAgain();
  EXPECT_EQ(fake->OpeningsOf(CommandPath(u"A")), 1);
  fake->CancelRemoval(CommandPath(u"A"));
  ASSERT_TRUE(CountsBecome({0, 1}));
  EXPECT_EQ(fake->OpeningsOf(CommandPath(u"A")), 2);
  EXPECT_EQ(Write(kCommandSelector, Request(0x03)), 1);
}

TEST_F(HidBackendTest, AKeyboardWhoseDriverWasUpdatedComesBack) {
  fake->Plug(u"A");
  Start();
  for (const auto& path : {CommandPath(u"A"), ConsumerPath(u"A"), LedPath(u"A")}) {
    fake->AskRemoval(path);
    fake->CompleteRemoval(path);
  }
  ASSERT_TRUE(CountsBecome({0}));
  for (const auto& path : {CommandPath(u"A"), ConsumerPath(u"A"), LedPath(u"A")}) {
    EXPECT_TRUE(fake->Latest(path)->destroyed) << "nothing keeps the old device";
  }
  fake->Plug(u"A");  // the new driver brings the same interfaces back
  ASSERT_TRUE(CountsBecome({0, 1}));
  EXPECT_EQ(Count(kConsumerSelector), 1);
}

TEST_F(HidBackendTest, AConsumerInterfaceThatRefusesWritingIsReadReadOnly) {
  fake->Add(Collection(u"A", KeyboardInterface::kCommand));
  fake->Add(Collection(u"A", KeyboardInterface::kConsumer), {HidAccess::kReadWrite});
  Start();
  ASSERT_EQ(Count(kConsumerSelector), 1);
  EXPECT_EQ(fake->Latest(ConsumerPath(u"A"))->access, HidAccess::kRead);
  fake->Send(ConsumerPath(u"A"), {0x02, 0x11, 0x18});
  EXPECT_TRUE(Eventually([&] { return sink.codes() == std::vector<uint16_t>{0x1811}; }));
}

TEST_F(HidBackendTest, ACommandInterfaceThatCannotBeWrittenIsNotCounted) {
  fake->Add(Collection(u"A", KeyboardInterface::kCommand), {HidAccess::kReadWrite});
  Start();
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(fake->OpeningsOf(CommandPath(u"A")), 0);
  // Once another program lets go of it, a later look opens it.
  {
    std::lock_guard lock(fake->m);
    fake->present[CommandPath(u"A")].refused.clear();
  }
  fake->Nudge();
  EXPECT_TRUE(CountsBecome({1}));
}

TEST_F(HidBackendTest, BankFlagsGoThroughTheControlPipeAtTheInterfacesLength) {
  HidCollection led = Collection(u"A", KeyboardInterface::kLed);
  led.output_length = 8;
  fake->Add(Collection(u"A", KeyboardInterface::kCommand));
  fake->Add(led);
  Start();
  EXPECT_EQ(Write(kLedSelector, {0x05, 0x03}), 1);
  const auto o = fake->Latest(LedPath(u"A"));
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->control_reports, (std::vector<Bytes>{{0x05, 0x03, 0, 0, 0, 0, 0, 0}}));
  EXPECT_EQ(o->writes, std::vector<Bytes>{}) << "nothing went down the interrupt pipe";
  EXPECT_EQ(o->access, HidAccess::kReadWrite);
}

TEST_F(HidBackendTest, BankFlagsAreWrittenWhenTheControlPipeRefusesThem) {
  fake->Plug(u"A");
  Start();
  const auto led = fake->Latest(LedPath(u"A"));
  ASSERT_NE(led, nullptr);
  {
    std::lock_guard lock(fake->m);
    led->control_result = HidIo::kFailed;
  }
  EXPECT_EQ(Write(kLedSelector, {0x05, 0x02}), 1);
  EXPECT_EQ(led->control_reports, (std::vector<Bytes>{{0x05, 0x02}})) << "tried first";
  EXPECT_EQ(led->writes, (std::vector<Bytes>{{0x05, 0x02}}));
  // A report too long for the interface is refused, not cut.
  EXPECT_EQ(Write(kLedSelector, {0x05, 0x02, 0x00}), -1);
}

TEST_F(HidBackendTest, AnLedInterfaceTheSystemHoldsIsOpenedWithoutAccessForTheControlPipe) {
  fake->Add(Collection(u"A", KeyboardInterface::kCommand));
  fake->Add(Collection(u"A", KeyboardInterface::kLed), {HidAccess::kReadWrite, HidAccess::kRead});
  Start();
  ASSERT_EQ(Count(kLedSelector), 1);
  EXPECT_EQ(fake->Latest(LedPath(u"A"))->access, HidAccess::kNone);
  EXPECT_EQ(Write(kLedSelector, {0x05, 0x02}), 1);
}

TEST_F(HidBackendTest, OtherDevicesAreNeverOpenedAndAFailingProbeIsGivenUp) {
  timing.poll_watched = 5ms;  // many looks
  const std::u16string mouse = u"\\\\?\\hid#vid_046d&pid_c52b&mi_00#8&1b&0&0000" + kGuid;
  const std::u16string unnamed = u"\\\\?\\hid#{00001124-0000-1000-8000-00805f9b34fb}_pid&0001#9&1&0" + kGuid;
  HidCollection other;
  other.path = mouse;
  fake->Add(other);
  other.path = unnamed;
  fake->Add(other);
  {
    std::lock_guard lock(fake->m);
    fake->present[unnamed].failing_probes = -1;
  }
  fake->Plug(u"A");
  Start();
  ASSERT_TRUE(Eventually([&] { return backend->scans() > 20; }));
  EXPECT_EQ(fake->ProbesOf(mouse), 0);
  EXPECT_EQ(fake->ProbesOf(unnamed), 3);
  EXPECT_EQ(fake->ProbesOf(CommandPath(u"A")), 1) << "a probe that worked is kept";
}

TEST_F(HidBackendTest, AProbeThatFailsWhileTheKeyboardStartsIsTriedAgainSoon) {
  fake->Add(Collection(u"A", KeyboardInterface::kCommand));
  {
    std::lock_guard lock(fake->m);
    fake->present[CommandPath(u"A")].failing_probes = 2;
  }
  Start();
  EXPECT_EQ(Count(), 0);
  EXPECT_TRUE(CountsBecome({1})) << "retried without any word from the system";
}

TEST_F(HidBackendTest, WithoutWordOfAChangeTheMonitorSleeps) {
  fake->Plug(u"A");
  Start();
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(backend->scans(), 1u);
  std::lock_guard lock(fake->m);
  EXPECT_LE(fake->waits, 2);
}

TEST_F(HidBackendTest, WhenTheSystemCannotTellTheBackEndLooksNowAndThen) {
  fake->watch_works = false;
  timing.poll_unwatched = 10ms;
  Start();
  fake->Plug(u"A");  // nobody hears of it
  EXPECT_TRUE(CountsBecome({1}));
}

TEST_F(HidBackendTest, TheLogTellsWhatWasSeenOpenedSentAndReceived) {
  std::vector<std::string> lines;
  std::mutex lines_mutex;
  log.OpenSink([&](const std::string& line) {
    std::lock_guard lock(lines_mutex);
    lines.push_back(line);
  });
  HidCollection command = Collection(u"A", KeyboardInterface::kCommand);
  command.input = {Bytes8(0x01, 63)};  // replies numbered otherwise than requests
  fake->Add(command);
  HidCollection mouse;
  mouse.path = u"\\\\?\\hid#vid_046d&pid_c52b#8&1b" + kGuid;
  fake->Add(mouse);
  Start();
  EXPECT_EQ(Write(kCommandSelector, {0x04, 0x2A, 0x00, 0x03}), 1);
  fake->Send(CommandPath(u"A"), {0x01, 0x2A, 0x00, 0x03});
  ASSERT_TRUE(Eventually([&] { return sink.replies().size() == 1; }));
  std::lock_guard lock(lines_mutex);
  const auto has = [&](const std::string& text) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != l.npos; });
  };
  EXPECT_TRUE(has("skipped (vendor 046D product C52B in the path)"));
  EXPECT_TRUE(has("vendor 0C45 product 6741 version 0000 usage FF1C:0092 input 64 (ids 01) output 64 (ids 04) "
                  "feature 0 (ids none) -> command"));
  EXPECT_TRUE(has("check: report 04 is not an input report of the command collection (input ids 01)"));
  EXPECT_TRUE(has("opened command read/write: \\\\?\\hid#vid_0c45&pid_6741&mi_01&col01#A&0001"));
  EXPECT_TRUE(has("> command 04 2A 00 03 00"));
  EXPECT_TRUE(has("< command 01 2A 00 03"));
}

}  // namespace
}  // namespace velkor::testing
