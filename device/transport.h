// The report transport: the one conversation the program holds with the
// keyboard through the HID service library. A request is a 64-byte report on
// the command interface; the keyboard's reply comes back through the
// library's callback on the library's own thread and is matched by its
// echoed command code. The keyboard echoes nothing else a reply could be told
// by, so the transport keeps the requests whose reply it is still owed: a
// reply that comes after its exchange gave up is let in and dropped before
// the next exchange writes, not taken as that exchange's answer. The
// transport also receives the codes the keyboard sends from its own keys and
// the changes in the number of attached keyboards, and writes the 2-byte
// bank-flags report.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <shared_mutex>

#include "device/command_report.h"
#include "device/hid_service/hid_service_api.h"

namespace velkor {

// What the keyboard's own events do in the program. The application fills
// it in; every call comes on the library's thread.
class TransportListener {
 public:
  virtual ~TransportListener() = default;
  // The bank key switched the macro-key bank; flags bit 0 is the new bank
  // (clear: A, set: B). The bank-flags report has been sent already.
  virtual void OnBankSwitched(uint8_t flags) {}
  // The lighting was changed on the keyboard itself (code 0x0401).
  virtual void OnLightingChangedOnKeyboard() {}
  // Activity began (0x1811) or ended (0x1810).
  virtual void OnActivity(bool active) {}
  // The number of attached keyboards changed (it may equal the last one).
  virtual void OnDeviceCountChanged(int count) {}
};

struct TransportTiming {
  std::chrono::milliseconds reply_timeout{1000};
  std::chrono::milliseconds retry_pause{10};
  std::chrono::milliseconds busy_backoff{1001};
};

inline constexpr uint8_t kBankFlagsReportId = 0x05;
inline constexpr uint8_t kInitialBankFlags = 0x02;
inline constexpr uint16_t kCodeBankKey = 0x02FF;
inline constexpr uint16_t kCodeLightingChanged = 0x0401;
inline constexpr uint16_t kCodeActivityEnd = 0x1810;
inline constexpr uint16_t kCodeActivityBegin = 0x1811;

class Transport {
 public:
  explicit Transport(const HidServiceApi& api, TransportTiming timing = {});
  ~Transport();
  Transport(const Transport&) = delete;
  Transport& operator=(const Transport&) = delete;

  // Once this returns, no call reaches the listener it replaced (a call in
  // progress is waited for; listeners only record and post, so that is short).
  void SetListener(TransportListener* listener) {
    std::unique_lock lock(listener_mutex_);
    listener_ = listener;
  }

  // Registers the consumer and command reads (in that order) and makes this
  // the transport the library's callback reaches.
  void StartInterfaceReads();

  // Attached keyboards; 0 when none.
  int DeviceCount();

  // One request and its reply: up to three writes, each waiting up to a
  // second for a reply that echoes the command code with a success status.
  // Returns 1 (the reply is in reply, a failure status possibly in its byte
  // 7 after three tries), 0 (no keyboard), -1 (write refused) or -2 (no
  // matching reply). Whole exchanges from different threads never overlap.
  StatusCode ExchangeReport(const uint8_t* request, size_t length, uint8_t* reply, size_t capacity,
                            size_t* received);

  // Writes the request (zero-filled to 64 bytes) and returns the library's
  // result: no device count, no reply wanted.
  int WriteReportNoWait(const uint8_t* request, size_t length);

  // Writes the 2-byte bank-flags report {0x05, flags}.
  void SendBankFlags();
  uint8_t bank_flags() const { return bank_flags_.load(); }

  // The callback registered with every read.
  static int VELKOR_HID_CALL OnInterfaceInput(InputEvent* event);

  // Marks an exchange as in flight, as a stuck one would leave it (tests).
  void MarkBusyForTest() { busy_.store(1); }
  // Replies the keyboard still owes for requests written (tests).
  int owed_replies() {
    std::lock_guard lock(slot_mutex_);
    return static_cast<int>(owed_.size());
  }

 private:
  void HandleInput(const InputEvent& event);
  void HandleConsumerCode(uint16_t code);
  void RegisterRead(const DeviceSelector& selector, InterfaceTag tag, uint32_t& handle);
  // Lets the replies owed to earlier exchanges arrive and drops them.
  void DrainOwedReplies();

  HidServiceApi api_;
  TransportTiming timing_;
  template <typename F>
  void Notify(F call) {
    std::shared_lock lock(listener_mutex_);
    if (listener_) call(*listener_);
  }
  std::shared_mutex listener_mutex_;
  TransportListener* listener_ = nullptr;

  // The exchange in flight: its reply event, destination and lengths.
  std::mutex exchange_mutex_;  // held for a whole exchange
  std::atomic<int32_t> busy_{0};
  std::mutex slot_mutex_;
  std::condition_variable reply_signal_;
  bool reply_ready_ = false;  // the auto-reset reply event
  uint8_t* destination_ = nullptr;
  size_t capacity_ = 0;
  size_t received_ = 0;
  // When each request whose reply has not arrived was written, oldest first
  // (replies come in the order of their requests), and how long the last
  // reply took from its request.
  std::deque<std::chrono::steady_clock::time_point> owed_;
  std::chrono::steady_clock::duration reply_delay_{};

  std::mutex handles_mutex_;
  uint32_t cons_handle_ = 0;
  uint32_t ctrl_handle_ = 0;
  uint32_t led_handle_ = 0;
  std::atomic<uint8_t> bank_flags_{kInitialBankFlags};

  static std::atomic<Transport*> current_;
};

}  // namespace velkor
