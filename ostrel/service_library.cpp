#include "ostrel/service_library.h"

#include <cctype>
#include <cstring>

#include "device/hid_service/argument_sum.h"
#include "ostrel/entry_points.h"

namespace velkor {

namespace {

// Sleeps and timed waits can overshoot by a millisecond or more (a timer
// tick on Windows), which a modelled USB frame can't afford: the last
// stretch before a deadline is spun.
constexpr auto kSpinMargin = std::chrono::microseconds(2500);

}  // namespace

void PreciseWaitUntil(std::chrono::steady_clock::time_point when) {
  const auto now = std::chrono::steady_clock::now();
  if (when - now > kSpinMargin) std::this_thread::sleep_until(when - kSpinMargin);
  while (std::chrono::steady_clock::now() < when) std::this_thread::yield();
}

ServiceLibrary& ServiceLibrary::Instance() {
  static ServiceLibrary* library = new ServiceLibrary();  // lives until the process ends
  return *library;
}

void ServiceLibrary::SetBackendFactory(std::function<std::unique_ptr<ServiceBackend>()> factory) {
  std::lock_guard lock(mutex_);
  factory_ = std::move(factory);
}

void ServiceLibrary::UseBackend(std::unique_ptr<ServiceBackend> backend) {
  End();
  std::lock_guard lock(mutex_);
  backend_ = std::move(backend);
}

ServiceLibrary::~ServiceLibrary() {
  try {
    End();
  } catch (...) {
    // A thread that cannot be joined is the process's end anyway.
  }
}

int ServiceLibrary::Init(int) {
  std::lock_guard lock(mutex_);
  if (started_) return 1;
  if (!backend_ && factory_) backend_ = factory_();
  if (!backend_) return 0;
  bool started = false;
  try {
    command_queue_.Start();
    consumer_queue_.Start();
    started = backend_->Start(this);
  } catch (...) {
    command_queue_.Stop();
    consumer_queue_.Stop();
    throw;
  }
  if (!started) {
    command_queue_.Stop();
    consumer_queue_.Stop();
    return 0;
  }
  started_ = true;
  return 1;
}

int ServiceLibrary::End() {
  {
    std::lock_guard lock(mutex_);
    if (!started_) return 1;
    started_ = false;
    reads_.clear();
    if (backend_) backend_->Stop();
  }
  command_queue_.Stop();
  consumer_queue_.Stop();
  return 1;
}

uint32_t ServiceLibrary::Refuse() {
  ++refused_;
  return 0;
}

uint64_t ServiceLibrary::refused_calls() const {
  std::lock_guard lock(mutex_);
  return refused_;
}

int ServiceLibrary::GetDeviceCount(const DeviceSelector* selector, uint32_t a, uint32_t b,
                                   uint32_t sum) {
  if (!selector) return 0;
  std::lock_guard lock(mutex_);
  if (ArgumentSum(*selector).Add32(a).Add32(b).value() != sum) return static_cast<int>(Refuse()) - 1;
  if (!started_ || !backend_) return 0;
  return backend_->DeviceCount(*selector);
}

int ServiceLibrary::WriteOne(const DeviceSelector* selector, uint32_t a, uint32_t b,
                             const uint8_t* report, uint32_t length, uint32_t sum) {
  if (!selector || !report || length == 0 || length > 64) return -1;
  ServiceBackend* backend = nullptr;
  {
    std::lock_guard lock(mutex_);
    if (ArgumentSum(*selector).Add32(a).Add32(b).AddBytes(report, length).value() != sum) {
      return static_cast<int>(Refuse()) - 1;
    }
    if (!started_ || !backend_) return 0;
    backend = backend_.get();
  }
  // The write takes its time outside the library's lock, so replies and
  // other calls go on meanwhile.
  return backend->WriteReport(*selector, report, length);
}

int ServiceLibrary::AsyncRead(const DeviceSelector* selector, HidInputCallback callback,
                              InterfaceTag tag, uint32_t sum, uint32_t* handle) {
  if (handle) *handle = 0;
  if (!selector || !callback) return 0;
  std::lock_guard lock(mutex_);
  if (AsyncReadSum(*selector, callback, tag) != sum) return static_cast<int>(Refuse());
  const uint32_t h = next_handle_++;
  if (next_handle_ == 0) next_handle_ = 1;
  reads_[h] = Registration{InterfaceOf(*selector), callback, tag};
  if (handle) *handle = h;
  return 1;
}

int ServiceLibrary::DeleteFromUnitId(uint32_t handle) {
  if (handle == 0) return 0;
  std::lock_guard lock(mutex_);
  return reads_.erase(handle) ? 1 : 0;
}

int ServiceLibrary::StatusWrite(const DeviceSelector* selector, HidInputCallback callback,
                                InterfaceTag tag, const uint8_t* data, uint32_t length,
                                uint32_t sum, uint32_t* handle) {
  if (handle) *handle = 0;
  if (!selector || !data || length == 0 || length > 64) return 0;
  ServiceBackend* backend = nullptr;
  {
    std::lock_guard lock(mutex_);
    if (StatusWriteSum(*selector, callback, tag, data, length) != sum) return static_cast<int>(Refuse());
    if (!started_ || !backend_) return 0;
    backend = backend_.get();
    // The handle names the write so that the caller can cancel it; a status
    // write stays registered only as a name.
    if (handle) *handle = next_handle_++;
  }
  return backend->WriteReport(*selector, data, length) > 0 ? 1 : 0;
}

std::string ServiceLibrary::Control(const std::string& command_line) {
  ServiceBackend* backend = nullptr;
  {
    std::lock_guard lock(mutex_);
    backend = backend_.get();
  }
  if (!backend) return "error: the library has no back end\n";
  return backend->Control(command_line);
}

void ServiceLibrary::InputReport(KeyboardInterface from, std::vector<uint8_t> bytes,
                                 std::chrono::microseconds delay) {
  auto d = std::make_shared<Delivery>(Delivery{kEventInputReport, from, std::move(bytes), 0, 0});
  DeliveryQueue& queue = from == KeyboardInterface::kConsumer ? consumer_queue_ : command_queue_;
  queue.Push([this, d] { Deliver(*d); }, delay);
}

void ServiceLibrary::ConsumerCode(uint16_t code, std::chrono::microseconds delay) {
  auto d = std::make_shared<Delivery>(Delivery{kEventInputReport, KeyboardInterface::kConsumer, {}, code, 0});
  consumer_queue_.Push([this, d] { Deliver(*d); }, delay);
}

void ServiceLibrary::DeviceCountChanged(int count) {
  auto d = std::make_shared<Delivery>(Delivery{kEventDeviceCount, KeyboardInterface::kCommand, {}, 0, count});
  command_queue_.Push([this, d] { Deliver(*d); }, std::chrono::microseconds(0));
}

void DeliveryQueue::Start() {
  std::lock_guard lock(mutex_);
  if (thread_.joinable()) return;
  stopping_ = false;
  thread_ = std::thread([this] { Loop(); });
}

void DeliveryQueue::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    while (!queue_.empty()) queue_.pop();
  }
  signal_.notify_all();
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void DeliveryQueue::Push(Item item, std::chrono::microseconds delay) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_ || !thread_.joinable()) return;
    queue_.push(Entry{std::chrono::steady_clock::now() + delay, ++order_, std::move(item)});
  }
  signal_.notify_all();
}

void DeliveryQueue::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    signal_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    const auto due = queue_.top().due;
    if (std::chrono::steady_clock::now() + kSpinMargin < due) {
      // Wake early for an item that comes due sooner, or to spin the rest.
      signal_.wait_until(lock, due - kSpinMargin);
      continue;
    }
    lock.unlock();
    PreciseWaitUntil(due);
    lock.lock();
    if (stopping_) return;
    if (queue_.empty() || queue_.top().due > std::chrono::steady_clock::now()) continue;
    Item item = queue_.top().item;
    queue_.pop();
    lock.unlock();
    try {
      item();
    } catch (...) {
      // A callback's failure is not the library's.
    }
    lock.lock();
  }
}

void ServiceLibrary::Deliver(const Delivery& d) {
  std::vector<Registration> targets;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [handle, r] : reads_) {
      if (d.kind == kEventDeviceCount || r.from == d.from) targets.push_back(r);
    }
  }
  const uint16_t code = d.code;
  ConsumerRecord consumer{};
  consumer.code = &code;
  for (const Registration& r : targets) {
    InputEventContext context{};
    context.tag = r.tag;
    if (d.kind == kEventDeviceCount) {
      context.count = static_cast<uint32_t>(d.count);
    } else if (d.from == KeyboardInterface::kConsumer) {
      const uint8_t raw[3] = {0x02, static_cast<uint8_t>(code & 0xFF), static_cast<uint8_t>(code >> 8)};
      context.count = 3;
      context.data = raw;
      context.consumer = &consumer;
      InputEvent event{d.kind, &context};
      r.callback(&event);
      continue;
    } else {
      context.count = static_cast<uint32_t>(d.bytes.size());
      context.data = d.bytes.data();
    }
    InputEvent event{d.kind, &context};
    r.callback(&event);
  }
}

namespace {

int VELKOR_HID_CALL ApiDebug(int level) { return entry::Debug(level, nullptr); }
int VELKOR_HID_CALL ApiInit(int flags) { return entry::Init(ServiceLibrary::Instance(), flags); }
int VELKOR_HID_CALL ApiEnd() { return entry::End(ServiceLibrary::Instance()); }
int VELKOR_HID_CALL ApiGetDeviceCount(const DeviceSelector* s, uint32_t a, uint32_t b, uint32_t sum,
                                      uint32_t*) {
  return entry::GetDeviceCount(ServiceLibrary::Instance(), s, a, b, sum);
}
int VELKOR_HID_CALL ApiDeleteFromUnitId(uint32_t h) { return entry::DeleteFromUnitId(ServiceLibrary::Instance(), h); }
int VELKOR_HID_CALL ApiDeleteFromHandle(void*) { return 0; }
int VELKOR_HID_CALL ApiWrite(const DeviceSelector*, const uint8_t*, uint32_t, uint32_t) { return 0; }
int VELKOR_HID_CALL ApiWriteOne(const DeviceSelector* s, uint32_t a, uint32_t b, const uint8_t* r,
                                uint32_t n, uint32_t sum, uint32_t*) {
  return entry::WriteOne(ServiceLibrary::Instance(), s, a, b, r, n, sum);
}
int VELKOR_HID_CALL ApiStatusWrite(const DeviceSelector* s, HidInputCallback cb, InterfaceTag tag,
                                   const uint8_t* d, uint32_t n, uint32_t sum, uint32_t* h) {
  return entry::StatusWrite(ServiceLibrary::Instance(), s, cb, tag, d, n, sum, h);
}
int VELKOR_HID_CALL ApiStatusGet(const DeviceSelector*, uint8_t*, uint32_t, uint32_t) { return 0; }
int VELKOR_HID_CALL ApiAsyncRead(const DeviceSelector* s, HidInputCallback cb, InterfaceTag tag,
                                 uint32_t sum, uint32_t* h) {
  return entry::AsyncRead(ServiceLibrary::Instance(), s, cb, tag, sum, h);
}
int VELKOR_HID_CALL ApiSetFeature(const DeviceSelector*, const uint8_t*, uint32_t, uint32_t) { return 0; }

}  // namespace

HidServiceApi InProcessHidServiceApi() {
  HidServiceApi api;
  api.Debug = ApiDebug;
  api.Init = ApiInit;
  api.End = ApiEnd;
  api.RequestGetDeviceCount = ApiGetDeviceCount;
  api.DeleteRequestFromUnitId = ApiDeleteFromUnitId;
  api.DeleteRequestFromHandle = ApiDeleteFromHandle;
  api.RequestWrite = ApiWrite;
  api.RequestWriteOne = ApiWriteOne;
  api.RequestStatusWrite = ApiStatusWrite;
  api.RequestStatusGet = ApiStatusGet;
  api.RequestAsyncRead = ApiAsyncRead;
  api.RequestStatusSetFeature = ApiSetFeature;
  return api;
}

std::string ChooseBackendName(const std::string& environment, const std::string& ini_value) {
  const auto known = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s == "hid" || s == "emulator" ? s : std::string();
  };
  if (const std::string e = known(environment); !e.empty()) return e;
  if (const std::string i = known(ini_value); !i.empty()) return i;
  return "hid";
}

}  // namespace velkor
