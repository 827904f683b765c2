#include "device/transport.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "device/hid_service/argument_sum.h"

namespace velkor {

std::atomic<Transport*> Transport::current_{nullptr};

Transport::Transport(const HidServiceApi& api, TransportTiming timing)
    : api_(api), timing_(timing) {}

Transport::~Transport() {
  // The program's transport lives for the whole run; one that ends (in
  // tests) stops being called back and takes its reads with it.
  SetListener(nullptr);
  Transport* self = this;
  current_.compare_exchange_strong(self, nullptr);
  std::lock_guard lock(handles_mutex_);
  for (uint32_t handle : {cons_handle_, ctrl_handle_, led_handle_}) {
    if (handle && api_.DeleteRequestFromUnitId) api_.DeleteRequestFromUnitId(handle);
  }
}

void Transport::RegisterRead(const DeviceSelector& selector, InterfaceTag tag, uint32_t& handle) {
  std::lock_guard lock(handles_mutex_);
  api_.DeleteRequestFromUnitId(handle);
  api_.RequestAsyncRead(&selector, &Transport::OnInterfaceInput, tag,
                        AsyncReadSum(selector, &Transport::OnInterfaceInput, tag), &handle);
}

void Transport::StartInterfaceReads() {
  current_.store(this);
  bank_flags_.store(kInitialBankFlags);
  {
    std::lock_guard lock(handles_mutex_);
    led_handle_ = 0;
  }
  RegisterRead(kConsumerSelector, kConsTag, cons_handle_);
  busy_.store(0);
  {
    std::lock_guard lock(slot_mutex_);
    reply_ready_ = false;
  }
  RegisterRead(kCommandSelector, kCtrlTag, ctrl_handle_);
}

int Transport::DeviceCount() {
  const int n = api_.RequestGetDeviceCount(&kCommandSelector, 0, 0, DeviceCountSum(kCommandSelector),
                                           nullptr);
  return n > 0 ? n : 0;
}

StatusCode Transport::ExchangeReport(const uint8_t* request, size_t length, uint8_t* reply,
                                     size_t capacity, size_t* received) {
  std::lock_guard whole(exchange_mutex_);
  if (received) *received = 0;
  {
    std::lock_guard lock(slot_mutex_);
    received_ = 0;
  }
  if (DeviceCount() == 0) {
    // A keyboard that is gone answers nothing more.
    std::lock_guard lock(slot_mutex_);
    owed_.clear();
    return kNoKeyboard;
  }
  DrainOwedReplies();

  Report buffer{};
  std::memcpy(buffer.data(), request, std::min(length, kReportSize));
  const uint32_t sum = WriteOneSum(kCommandSelector, buffer.data());

  // Every way out clears the busy flag and forgets the caller's buffer, so
  // a late reply can never write into it.
  struct EndOfExchange {
    Transport& t;
    ~EndOfExchange() {
      std::lock_guard lock(t.slot_mutex_);
      t.destination_ = nullptr;
      t.capacity_ = 0;
      t.busy_.store(0);
    }
  } end_of_exchange{*this};

  int attempts = 0;
  std::chrono::steady_clock::time_point written;  // the attempt in progress
  const auto retry = [&]() {
    if (++attempts >= 3) return false;
    busy_.store(0);
    std::this_thread::sleep_for(timing_.retry_pause);
    return true;
  };
  for (;;) {
    if (busy_.load() != 0) {
      std::this_thread::sleep_for(timing_.busy_backoff);
      busy_.store(0);
    }
    {
      std::lock_guard lock(slot_mutex_);
      destination_ = reply;
      capacity_ = capacity;
      received_ = 0;
      reply_ready_ = false;
      busy_.store(1);
      // Owed before the write: its reply may come before the call returns.
      written = std::chrono::steady_clock::now();
      owed_.push_back(written);
    }
    if (api_.RequestWriteOne(&kCommandSelector, 0, 0, buffer.data(), kReportSize, sum, nullptr) <= 0) {
      std::lock_guard lock(slot_mutex_);
      if (!owed_.empty()) owed_.pop_back();
      return kWriteRefused;
    }
    size_t got = 0;
    bool signalled = false;
    {
      std::unique_lock lock(slot_mutex_);
      signalled = reply_signal_.wait_for(lock, timing_.reply_timeout, [&] { return reply_ready_; });
      reply_ready_ = false;  // auto-reset
      got = received_;
      destination_ = nullptr;  // the reply is examined without another landing on it
    }
    if (!signalled) {
      if (!retry()) return kNoReply;
      continue;
    }
    // A reply too short to carry a command code and status is no match.
    if (got < kPayloadOffset || reply[3] != buffer[3]) {
      // Most likely it was owed to an earlier exchange, and this one's own
      // reply is still to come: counted as owed again, it is drained rather
      // than taken by the next exchange (one wait too many at worst).
      {
        std::lock_guard lock(slot_mutex_);
        owed_.push_back(written);
      }
      if (!retry()) return kNoReply;
      continue;
    }
    if (reply[7] == kStatusFailFF || reply[7] == kStatusFailFE) {
      if (!retry()) {
        if (received) *received = got;
        return kSuccess;  // the caller reads the failure status in the reply
      }
      continue;
    }
    if (received) *received = got;
    return kSuccess;
  }
}

void Transport::DrainOwedReplies() {
  // Every attempt of one exchange sends the same bytes, so a reply to any of
  // them answers it; a reply owed to an earlier exchange must never answer
  // a later one. So before this exchange writes, the owed replies are let in
  // and dropped. The next one is waited for until it is a quarter time-out
  // (50 ms at least) overdue: overdue against the delay the last reply took
  // from its request, and against the rhythm owed replies keep, a reply
  // time-out and a retry pause apart; an overdue one is taken as dropped.
  // A keyboard that dropped a reply costs one wait, and the count starts
  // again from zero. Only a reply later than the keyboard has shown itself
  // to be, and more than about four time-outs after its request, could still
  // be taken for another: the keyboard gives nothing else to tell them apart
  // by.
  using Clock = std::chrono::steady_clock;
  const Clock::duration spare = std::max<Clock::duration>(timing_.reply_timeout / 4, std::chrono::milliseconds(50));
  const Clock::duration gap = timing_.reply_timeout + timing_.retry_pause + spare;
  std::unique_lock lock(slot_mutex_);
  Clock::time_point last_event = Clock::now();
  while (!owed_.empty()) {
    const Clock::duration delay = std::min<Clock::duration>(reply_delay_, 4 * timing_.reply_timeout);
    const Clock::time_point due = std::max(last_event + gap, owed_.front() + delay + spare);
    const size_t before = owed_.size();
    if (reply_signal_.wait_until(lock, due, [&] { return owed_.size() < before; })) {
      last_event = Clock::now();
    } else {
      owed_.pop_front();  // taken as dropped; the later ones may still come
    }
  }
}

int Transport::WriteReportNoWait(const uint8_t* request, size_t length) {
  Report buffer{};
  std::memcpy(buffer.data(), request, std::min(length, kReportSize));
  return api_.RequestWriteOne(&kCommandSelector, 0, 0, buffer.data(), kReportSize,
                              WriteOneSum(kCommandSelector, buffer.data()), nullptr);
}

void Transport::SendBankFlags() {
  std::lock_guard lock(handles_mutex_);
  const uint8_t report[2] = {kBankFlagsReportId, bank_flags_.load()};
  api_.DeleteRequestFromUnitId(led_handle_);
  api_.RequestStatusWrite(&kLedSelector, &Transport::OnInterfaceInput, kLedTag, report, 2,
                          StatusWriteSum(kLedSelector, &Transport::OnInterfaceInput, kLedTag, report, 2),
                          &led_handle_);
}

int VELKOR_HID_CALL Transport::OnInterfaceInput(InputEvent* event) {
  try {
    Transport* self = current_.load();
    if (self && event) self->HandleInput(*event);
  } catch (...) {
    // Nothing leaves the library's thread.
  }
  return 1;
}

void Transport::HandleInput(const InputEvent& event) {
  const InputEventContext* context = event.context;
  if (!context) return;
  if (event.kind == kEventInputReport) {
    if (context->tag == kCtrlTag) {
      {
        std::lock_guard lock(slot_mutex_);
        if (!owed_.empty()) {
          reply_delay_ = std::chrono::steady_clock::now() - owed_.front();
          owed_.pop_front();
        }
        // Nobody waits: dropped (counted all the same, for the drain).
        if (busy_.load() != 0 && destination_) {
          const size_t n = std::min<size_t>(context->count, capacity_);
          if (n > 0 && context->data) std::memcpy(destination_, context->data, n);
          received_ = context->data ? n : 0;
          reply_ready_ = true;
        }
      }
      // Woken after the lock is free, the exchange does not wait for it again.
      reply_signal_.notify_all();
    } else if (context->tag == kConsTag) {
      if (context->consumer && context->consumer->code) HandleConsumerCode(*context->consumer->code);
    }
  } else if (event.kind == kEventDeviceCount && context->tag == kCtrlTag) {
    const int count = static_cast<int>(context->count);
    Notify([count](TransportListener& l) { l.OnDeviceCountChanged(count); });
  }
}

void Transport::HandleConsumerCode(uint16_t code) {
  switch (code) {
    case kCodeBankKey: {
      const uint8_t flags = static_cast<uint8_t>(bank_flags_.fetch_xor(0x01) ^ 0x01);
      SendBankFlags();
      Notify([flags](TransportListener& l) { l.OnBankSwitched(flags); });
      break;
    }
    case kCodeLightingChanged:
      Notify([](TransportListener& l) { l.OnLightingChangedOnKeyboard(); });
      break;
    case kCodeActivityBegin:
    case kCodeActivityEnd:
      Notify([code](TransportListener& l) { l.OnActivity(code == kCodeActivityBegin); });
      break;
    default:
      break;
  }
}

}  // namespace velkor
