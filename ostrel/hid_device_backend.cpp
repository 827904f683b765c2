#include "ostrel/hid_device_backend.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "ostrel/consumer_reports.h"
#include "platform/text.h"

namespace velkor {

namespace {

using Clock = std::chrono::steady_clock;

std::string Text(const std::u16string& path) { return Utf16ToUtf8(path); }

// How each interface is opened, in order of preference. The command
// interface is of no use unless it can be written. The consumer interface is
// only read, and the system may hold it for writing. The LED interface gets
// its report through the control pipe, which needs no access rights.
std::vector<HidAccess> AccessAttempts(KeyboardInterface kind) {
  switch (kind) {
    case KeyboardInterface::kCommand: return {HidAccess::kReadWrite};
    case KeyboardInterface::kConsumer: return {HidAccess::kReadWrite, HidAccess::kRead};
    case KeyboardInterface::kLed: return {HidAccess::kReadWrite, HidAccess::kRead, HidAccess::kNone};
    case KeyboardInterface::kNone: break;
  }
  return {};
}

// Reads refused in a row before an interface counts as broken, and the
// pauses between them.
constexpr int kReadAttempts = 16;
constexpr std::chrono::milliseconds kReadPause{25};
constexpr std::chrono::milliseconds kReadPauseLimit{400};

bool IsRead(KeyboardInterface kind) {
  return kind == KeyboardInterface::kCommand || kind == KeyboardInterface::kConsumer;
}

std::chrono::milliseconds Until(Clock::time_point when) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - Clock::now());
  return std::max(left, std::chrono::milliseconds(0));
}

}  // namespace

struct HidDeviceBackend::Entry {
  HidCollection info;
  KeyboardInterface kind = KeyboardInterface::kNone;
  HidAccess access = HidAccess::kReadWrite;
  uint64_t opening = 0;
  // Set and cleared by the monitor only, under io (after the reader ended);
  // writers use it under io.
  std::unique_ptr<HidOpenDevice> device;
  std::mutex io;
  bool closed = false;  // under io: its handle is let go, nothing is written any more
  std::thread reader;
  std::atomic<bool> broken{false};    // its reader failed, a write found it gone, or it was removed
  std::atomic<bool> released{false};  // closed because the system asked to remove it
  bool reopen = false;                // the monitor's: closed and opened again at the next look
  ConsumerDecoder decoder;            // the reader's
  bool healthy() const { return !broken && !released; }
  // An entry dropped on an unexpected path (out of memory between its
  // opening and its listing) still ends its reader rather than the process.
  ~Entry() {
    if (!reader.joinable()) return;
    if (device) device->CancelRead();
    reader.join();
  }
};

HidDeviceBackend::HidDeviceBackend(std::unique_ptr<HidDeviceLayer> layer, DiagnosticLog& log,
                                   HidBackendTiming timing)
    : layer_(std::move(layer)), log_(log), timing_(timing) {}

HidDeviceBackend::~HidDeviceBackend() { Stop(); }

bool HidDeviceBackend::Start(BackendSink* sink) {
  if (monitor_.joinable() || !layer_) return false;
  sink_ = sink;
  stopping_ = false;
  change_ = false;
  {
    std::lock_guard lock(start_mutex_);
    first_scan_done_ = false;
    start_gave_up_ = false;
  }
  try {
    monitor_ = std::thread(&HidDeviceBackend::MonitorLoop, this);
  } catch (const std::exception& e) {
    Log(std::string("the monitor thread could not be started: ") + e.what());
    sink_ = nullptr;
    return false;
  }
  std::unique_lock lock(start_mutex_);
  if (!start_signal_.wait_for(lock, timing_.start_limit, [&] { return first_scan_done_; })) {
    start_gave_up_ = true;
    Log("the first look at the HID interfaces is taking long; what it finds will be announced");
  }
  return true;
}

void HidDeviceBackend::Stop() {
  stopping_ = true;
  if (layer_) layer_->Wake();
  if (monitor_.joinable()) monitor_.join();
  paths_.clear();
  announced_.clear();
  retry_due_.reset();
  sink_ = nullptr;
}

void HidDeviceBackend::NoteChange() {
  change_ = true;
  layer_->Wake();
}

void HidDeviceBackend::MonitorLoop() {
  constexpr Clock::time_point kNever = Clock::time_point::max();
  Clock::time_point scan_due = kNever;      // a look asked for by word of a change
  Clock::time_point first_change = kNever;  // the first word since the last look
  try {
    watched_ = layer_->Watch(this);
    Log(watched_ ? "watching for HID interfaces arriving and going"
                 : Printf("the system does not tell of HID interfaces arriving; looking every %lld ms",
                          static_cast<long long>(timing_.poll_unwatched.count())));
    bool announce = false;
    try {
      Scan(false);
    } catch (...) {
      Log("the first look at the HID interfaces failed (out of memory)");
    }
    {
      std::lock_guard lock(start_mutex_);
      first_scan_done_ = true;
      announce = start_gave_up_;
    }
    start_signal_.notify_all();
    if (announce && sink_ && !announced_.empty()) sink_->DeviceCountChanged(static_cast<int>(announced_.size()));

    const auto poll = watched_ ? timing_.poll_watched : timing_.poll_unwatched;
    auto next_poll = Clock::now() + poll;
    while (!stopping_) {
      Clock::time_point deadline = std::min(next_poll, scan_due);
      if (retry_due_) deadline = std::min(deadline, *retry_due_);
      layer_->Wait(Until(deadline));
      if (stopping_) break;
      const auto now = Clock::now();
      if (change_.exchange(false)) {
        if (first_change == kNever) first_change = now;
        scan_due = std::min(now + timing_.settle, first_change + timing_.settle_limit);
      }
      const bool due = now >= next_poll || now >= scan_due || (retry_due_ && now >= *retry_due_);
      if (!due) continue;
      scan_due = kNever;
      first_change = kNever;
      try {
        Scan(true);
      } catch (...) {
        Log("a look at the HID interfaces failed (out of memory)");
      }
      next_poll = Clock::now() + poll;
    }
  } catch (...) {
    Log("the monitor stopped on an unexpected failure");
  }
  {
    std::lock_guard lock(start_mutex_);
    first_scan_done_ = true;
  }
  start_signal_.notify_all();
  std::vector<std::shared_ptr<Entry>> entries;
  {
    std::lock_guard lock(entries_mutex_);
    entries.swap(entries_);
  }
  for (const auto& entry : entries) DropEntry(*entry);
  entries.clear();
  layer_->Unwatch();
}

void HidDeviceBackend::Look(const HidInterfacePath& present, PathRecord& record, bool& retry) {
  if (record.state == PathRecord::State::kNew) {
    // A path that names another device is never opened, not even to ask.
    const auto named = VendorProductFromPath(present.path);
    if (named && *named != std::make_pair(kKeyboardVendor, kKeyboardProduct)) {
      record.state = PathRecord::State::kSkipped;
      if (log_.enabled()) {
        Log(Printf("skipped (vendor %04X product %04X in the path) ", named->first, named->second) +
            Text(present.path));
      }
      return;
    }
  }
  if (record.state != PathRecord::State::kNew || record.probe_failures >= timing_.probe_attempts) return;
  uint32_t error = 0;
  std::optional<HidCollection> collection = layer_->Probe(present, error);
  if (!collection) {
    ++record.probe_failures;
    Log(Printf("probe failed, error %u (attempt %d of %d): ", error, record.probe_failures,
               timing_.probe_attempts) +
        Text(present.path));
    retry = retry || record.probe_failures < timing_.probe_attempts;
    return;
  }
  record.state = PathRecord::State::kProbed;
  record.kind = MatchInterface(collection->vendor, collection->product, collection->usage_page, collection->usage);
  record.collection = std::move(collection);
  if (!log_.enabled()) return;
  const HidCollection& c = *record.collection;
  Log("interface " + Text(c.path));
  Log("  " + DescribeCollection(c) + " -> " +
      (record.kind == KeyboardInterface::kNone ? std::string("not the keyboard's") : InterfaceName(record.kind)));
  if (record.kind == KeyboardInterface::kNone) return;
  Log("  device " + Text(c.device));
  for (const std::string& line : DescribeFields(c)) Log("  " + line);
  for (const std::string& problem : ReportLayoutProblems(c, record.kind)) Log("  check: " + problem);
  if (record.kind == KeyboardInterface::kConsumer) {
    Log("  consumer reports: " + DescribeConsumerLayout(ConsumerLayoutFrom(c)));
  }
}

void HidDeviceBackend::Scan(bool announce) {
  std::vector<HidInterfacePath> present;
  uint32_t error = 0;
  if (!layer_->List(present, error)) {
    // Nothing is taken as removed from a list that could not be had.
    Log(Printf("the HID interfaces could not be listed, error %u", error));
    retry_due_ = Clock::now() + timing_.retry;
    ++scans_;
    return;
  }
  std::sort(present.begin(), present.end(),
            [](const HidInterfacePath& a, const HidInterfacePath& b) { return a.path < b.path; });

  for (auto it = paths_.begin(); it != paths_.end();) {
    const bool still = std::binary_search(present.begin(), present.end(), HidInterfacePath{it->first, 0},
                                          [](const auto& a, const auto& b) { return a.path < b.path; });
    if (!still && it->second.kind != KeyboardInterface::kNone) Log("gone: " + Text(it->first));
    it = still ? std::next(it) : paths_.erase(it);
  }
  // A keyboard with a broken interface is closed and opened anew as a whole:
  // what broke one of its handles (an unplug, a reset) broke them all, and
  // what comes back may be another firmware, so its interfaces are probed
  // again.
  std::vector<std::shared_ptr<Entry>> current;
  {
    std::lock_guard lock(entries_mutex_);
    current = entries_;
  }
  std::set<std::u16string> replaced;
  for (const auto& e : current) {
    if (e->broken) replaced.insert(e->info.device);
  }
  for (auto& [path, record] : paths_) {
    if (record.collection && replaced.count(record.collection->device)) {
      record.state = PathRecord::State::kNew;
      record.probe_failures = 0;
    }
  }
  bool retry = false;
  for (const HidInterfacePath& p : present) Look(p, paths_[p.path], retry);

  const auto usable = [&](const std::u16string& path) {
    const auto it = paths_.find(path);
    return it != paths_.end() && it->second.state == PathRecord::State::kProbed &&
           it->second.kind != KeyboardInterface::kNone;
  };

  std::vector<std::shared_ptr<Entry>> keep;
  std::vector<std::shared_ptr<Entry>> drop;
  for (const auto& e : current) {
    const char* why = nullptr;
    if (!usable(e->info.path)) {
      why = "gone";
    } else if (e->broken) {
      why = "broken";
    } else if (replaced.count(e->info.device)) {
      why = "its keyboard is opened anew";
    } else if (e->reopen) {
      why = "to be opened again";
    }
    if (why) {
      Log(Printf("closing %s (%s): ", InterfaceName(e->kind).c_str(), why) + Text(e->info.path));
      drop.push_back(e);
    } else {
      keep.push_back(e);
    }
  }
  // Nothing selects a closing interface from here on.
  {
    std::lock_guard lock(entries_mutex_);
    entries_ = keep;
  }
  for (const auto& e : drop) DropEntry(*e);
  drop.clear();

  for (auto& [path, record] : paths_) {
    if (!usable(path)) continue;
    const bool open = std::any_of(keep.begin(), keep.end(), [&](const auto& e) { return e->info.path == path; });
    if (open) continue;
    std::shared_ptr<Entry> entry = OpenEntry(record);
    if (!entry) {
      ++record.open_failures;
      retry = retry || record.open_failures <= timing_.open_retries;
      continue;
    }
    record.open_failures = 0;
    keep.push_back(std::move(entry));
  }
  std::sort(keep.begin(), keep.end(), [](const auto& a, const auto& b) {
    return std::tie(a->info.device, a->info.path) < std::tie(b->info.device, b->info.path);
  });
  {
    std::lock_guard lock(entries_mutex_);
    entries_ = keep;
  }
  retry_due_.reset();
  if (retry) retry_due_ = Clock::now() + timing_.retry;

  std::vector<KeyboardPresence> now;
  for (const auto& e : keep) {
    if (e->kind != KeyboardInterface::kCommand || !e->healthy()) continue;
    const bool seen = std::any_of(now.begin(), now.end(), [&](const auto& k) { return k.device == e->info.device; });
    if (!seen) now.push_back({e->info.device, e->opening});
  }
  const std::vector<int> events = CountEvents(announced_, now);
  announced_ = std::move(now);
  ++scans_;
  if (!announce) return;
  for (const int count : events) {
    Log(Printf("keyboards attached: %d", count));
    if (sink_) sink_->DeviceCountChanged(count);
  }
}

std::shared_ptr<HidDeviceBackend::Entry> HidDeviceBackend::OpenEntry(const PathRecord& record) {
  const HidCollection& c = *record.collection;
  std::unique_ptr<HidOpenDevice> device;
  HidAccess used = HidAccess::kReadWrite;
  std::string refusals;
  for (const HidAccess access : AccessAttempts(record.kind)) {
    uint32_t error = 0;
    device = layer_->Open(c, access, error);
    if (device) {
      used = access;
      break;
    }
    refusals += Printf(" %s refused, error %u;", AccessName(access).c_str(), error);
  }
  if (!device) {
    Log("open failed for " + InterfaceName(record.kind) + ":" + refusals + " " + Text(c.path));
    return nullptr;
  }
  auto entry = std::make_shared<Entry>();
  entry->info = c;
  entry->kind = record.kind;
  entry->access = used;
  entry->opening = ++openings_;
  entry->device = std::move(device);
  if (record.kind == KeyboardInterface::kConsumer) entry->decoder = ConsumerDecoder(ConsumerLayoutFrom(c));
  Log("opened " + InterfaceName(record.kind) + " " + AccessName(used) +
      (refusals.empty() ? std::string() : " (" + refusals.substr(1, refusals.size() - 2) + ")") + ": " +
      Text(c.path));
  const bool reads = IsRead(record.kind) && c.input_length > 0 && used != HidAccess::kNone;
  if (reads) {
    try {
      entry->reader = std::thread(&HidDeviceBackend::ReadLoop, this, entry.get());
    } catch (const std::exception& e) {
      Log(std::string("no reader thread: ") + e.what());
      entry->device->Close();
      return nullptr;
    }
  }
  return entry;
}

void HidDeviceBackend::ReadLoop(Entry* entry) {
  // The buffer outlives every read made into it: Read returns only once its
  // read has completed or been cancelled and waited for.
  std::vector<uint8_t> buffer(entry->info.input_length);
  HidIoResult result;
  try {
    int failures = 0;
    for (;;) {
      result = entry->device->Read(buffer);
      // A read refused while the device is still there is tried again on
      // the same handle after a growing pause: a keyboard that refuses now
      // and then is not reported unplugged each time, and one that always
      // refuses is opened anew only every few seconds, not several times a
      // second.
      if (result.status == HidIo::kFailed && ++failures < kReadAttempts) {
        std::this_thread::sleep_for(std::min(kReadPause * (1 << std::min(failures, 4)), kReadPauseLimit));
        continue;
      }
      if (result.status != HidIo::kDone) break;
      failures = 0;
      try {
        Deliver(*entry, std::span<const uint8_t>(buffer.data(), std::min(result.bytes, buffer.size())));
      } catch (...) {
        // Out of memory for one report: it is lost, the next one is read.
      }
    }
  } catch (...) {
    result.status = HidIo::kFailed;
  }
  if (result.status == HidIo::kCancelled) return;
  try {
    Log(Printf("read from %s ended, error %u: ", InterfaceName(entry->kind).c_str(), result.error) +
        Text(entry->info.path));
  } catch (...) {
  }
  entry->broken = true;
  NoteChange();
}

void HidDeviceBackend::Deliver(Entry& entry, std::span<const uint8_t> report) {
  if (report.empty()) return;
  if (log_.enabled()) Log("< " + InterfaceName(entry.kind) + " " + HexBytes(report));
  if (!sink_) return;
  if (entry.kind == KeyboardInterface::kCommand) {
    std::vector<uint8_t> reply = CommandReplyFromInput(report.data(), report.size());
    if (!reply.empty()) sink_->InputReport(KeyboardInterface::kCommand, std::move(reply));
    return;
  }
  const std::vector<uint16_t> codes =
      entry.decoder.Decode(report, [&] { return entry.device->PressedUsages(report); });
  for (const uint16_t code : codes) {
    if (log_.enabled()) Log(Printf("  consumer code %04X", code));
    sink_->ConsumerCode(code);
  }
}

void HidDeviceBackend::StopEntry(Entry& entry) {
  if (entry.device) entry.device->CancelRead();
  if (entry.reader.joinable()) entry.reader.join();
  std::lock_guard lock(entry.io);
  if (entry.device) entry.device->Close();
  entry.closed = true;
}

void HidDeviceBackend::DropEntry(Entry& entry) {
  StopEntry(entry);
  std::unique_ptr<HidOpenDevice> device;
  {
    std::lock_guard lock(entry.io);
    device = std::move(entry.device);
  }
  // Destroyed here, on the monitor thread, so the layer never tells of a
  // device that another thread is destroying.
  device.reset();
}

std::shared_ptr<HidDeviceBackend::Entry> HidDeviceBackend::FirstHealthy(KeyboardInterface kind) {
  if (kind == KeyboardInterface::kNone) return nullptr;
  std::lock_guard lock(entries_mutex_);
  for (const auto& e : entries_) {
    if (e->kind == kind && e->healthy()) return e;
  }
  return nullptr;
}

std::shared_ptr<HidDeviceBackend::Entry> HidDeviceBackend::EntryOf(const HidOpenDevice* device) {
  std::lock_guard lock(entries_mutex_);
  for (const auto& e : entries_) {
    if (e->device.get() == device) return e;
  }
  return nullptr;
}

int HidDeviceBackend::DeviceCount(const DeviceSelector& selector) {
  const KeyboardInterface kind = InterfaceOf(selector);
  if (kind == KeyboardInterface::kNone) return 0;
  std::vector<KeyboardInterfaceEntry> healthy;
  {
    std::lock_guard lock(entries_mutex_);
    for (const auto& e : entries_) {
      if (e->healthy()) healthy.push_back({e->info.device, e->kind});
    }
  }
  return CountKeyboards(healthy, kind);
}

int HidDeviceBackend::WriteReport(const DeviceSelector& selector, const uint8_t* data, size_t length) {
  const KeyboardInterface kind = InterfaceOf(selector);
  const std::shared_ptr<Entry> entry = FirstHealthy(kind);
  if (!entry) {
    if (log_.enabled()) Log("> " + InterfaceName(kind) + " not sent: no keyboard has the interface");
    return 0;
  }
  const std::vector<uint8_t> frame = FrameOutputReport(data, length, entry->info.output_length);
  if (frame.empty()) {
    Log(Printf("> %s refused: %zu bytes for output reports of %u", InterfaceName(kind).c_str(), length,
               entry->info.output_length));
    return -1;
  }
  if (log_.enabled()) Log("> " + InterfaceName(kind) + " " + HexBytes(frame));
  std::lock_guard lock(entry->io);
  if (!entry->device || entry->closed || !entry->healthy()) return 0;
  HidIoResult result;
  if (kind == KeyboardInterface::kLed) {
    result = entry->device->SetOutputReport(frame);
    if (result.status == HidIo::kDone) return 1;
    if (result.status != HidIo::kGone) {
      Log(Printf("  set output report refused, error %u; writing it instead", result.error));
      result = entry->device->Write(frame);
    }
  } else {
    result = entry->device->Write(frame);
  }
  if (result.status == HidIo::kDone) return 1;
  Log(Printf("  %s to %s failed, error %u", result.status == HidIo::kGone ? "write (device gone)" : "write",
             InterfaceName(kind).c_str(), result.error));
  if (result.status == HidIo::kGone) {
    entry->broken = true;
    NoteChange();
    return 0;
  }
  return -1;
}

void HidDeviceBackend::InterfaceArrived(const std::u16string& path) {
  if (log_.enabled()) Log("arrival: " + Text(path));
  // A path that comes again is probed afresh (it may be another firmware
  // now), and a device closed at the system's request is opened again under it.
  if (const auto it = paths_.find(path); it != paths_.end() && it->second.state != PathRecord::State::kSkipped) {
    it->second.state = PathRecord::State::kNew;
    it->second.probe_failures = 0;
    it->second.open_failures = 0;
  }
  {
    std::lock_guard lock(entries_mutex_);
    for (const auto& e : entries_) {
      if (e->released && e->info.path == path) e->reopen = true;
    }
  }
  change_ = true;
}

void HidDeviceBackend::InterfaceRemoved(const std::u16string& path) {
  if (log_.enabled()) Log("removal: " + Text(path));
  change_ = true;
}

void HidDeviceBackend::RemovalRequested(HidOpenDevice* device) {
  const std::shared_ptr<Entry> entry = EntryOf(device);
  if (!entry) return;
  Log("the system asks to remove " + InterfaceName(entry->kind) + ": closing " + Text(entry->info.path));
  entry->released = true;
  StopEntry(*entry);
  change_ = true;
}

void HidDeviceBackend::RemovalCancelled(HidOpenDevice* device) {
  const std::shared_ptr<Entry> entry = EntryOf(device);
  if (!entry) return;
  Log("removal cancelled: " + Text(entry->info.path));
  entry->reopen = true;
  change_ = true;
}

void HidDeviceBackend::Removed(HidOpenDevice* device) {
  const std::shared_ptr<Entry> entry = EntryOf(device);
  if (!entry) return;
  Log("removed: " + Text(entry->info.path));
  entry->broken = true;
  change_ = true;
}

}  // namespace velkor
