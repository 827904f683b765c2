// hidprobe: what the HID service library would see of this machine's HID
// interfaces, for the first person with a real keyboard to send back.
//
//   hidprobe                 every HID interface: path, vendor, product,
//                            usages, report lengths, report IDs and fields;
//                            for the keyboard's, which access opens them
//   hidprobe --exchange      also one read of the configuration block
//                            (command 03) and every report that comes back
//   hidprobe --listen SECS   also every input report of the command and
//                            consumer interfaces for SECS seconds, with the
//                            codes the library would deliver (press keys)
//   hidprobe --led           also the bank-flags report {05 02}, once through
//                            the control pipe and once as a write
//
// Exit code 0 when everything asked for was done (a machine without the
// keyboard lists and exits 0); 1 when an exchange, listen or LED report could
// not be made; 2 for a wrong argument.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/command_report.h"
#include "ostrel/consumer_reports.h"
#include "ostrel/diagnostic_log.h"
#include "ostrel/hid_framing.h"
#include "ostrel/win32/hid_backend.h"
#include "platform/text.h"

namespace velkor {
namespace {

using Clock = std::chrono::steady_clock;

struct Found {
  HidCollection collection;
  KeyboardInterface kind = KeyboardInterface::kNone;
};

std::mutex g_print;

void Print(const std::string& line) {
  std::lock_guard lock(g_print);
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

std::string Quoted(const std::u16string& text) {
  if (text.empty()) return "(none)";
  std::string quoted(1, '"');
  quoted += Utf16ToUtf8(text);
  quoted += '"';
  return quoted;
}

std::vector<HidAccess> AllAccess() { return {HidAccess::kReadWrite, HidAccess::kRead, HidAccess::kNone}; }

// Set when the listing could not be had whole or a path naming the keyboard
// could not be probed: "no keyboard" is then no answer.
bool g_listing_failed = false;

std::vector<Found> List(HidDeviceLayer& layer) {
  std::vector<Found> found;
  std::vector<HidInterfacePath> present;
  uint32_t error = 0;
  if (!layer.List(present, error)) {
    Print(Printf("the HID interfaces could not be listed, error %u", error));
    g_listing_failed = true;
    return found;
  }
  Print(Printf("HID interfaces present: %zu", present.size()));
  int index = 0;
  for (const HidInterfacePath& p : present) {
    Print(Printf("[%d] ", ++index) + Utf16ToUtf8(p.path));
    const auto named = VendorProductFromPath(p.path);
    if (named) {
      const bool ours = *named == std::make_pair(kKeyboardVendor, kKeyboardProduct);
      Print(Printf("    path names vendor %04X product %04X%s", named->first, named->second,
                   ours ? "" : " (the library skips it without opening)"));
    } else {
      Print("    path names no vendor and product (the library asks the interface)");
    }
    error = 0;
    const std::optional<HidCollection> c = layer.Probe(p, error);
    if (!c) {
      Print(Printf("    probe failed, error %u", error));
      if (named && *named == std::make_pair(kKeyboardVendor, kKeyboardProduct)) g_listing_failed = true;
      continue;
    }
    const KeyboardInterface kind = MatchInterface(c->vendor, c->product, c->usage_page, c->usage);
    Print("    " + DescribeCollection(*c) + " -> " +
          (kind == KeyboardInterface::kNone ? std::string("not the keyboard's") : InterfaceName(kind)));
    if (c->vendor != kKeyboardVendor || c->product != kKeyboardProduct) continue;
    // Every collection of the keyboard is worth its details, the ones the
    // library does not use as well.
    const HidDeviceStrings strings = ReadHidDeviceStrings(c->path);
    Print("    manufacturer " + Quoted(strings.manufacturer) + " product " + Quoted(strings.product) + " serial " +
          Quoted(strings.serial));
    Print("    device " + Utf16ToUtf8(c->device));
    for (const std::string& line : DescribeFields(*c)) Print("    " + line);
    for (const std::string& problem : ReportLayoutProblems(*c, kind)) Print("    check: " + problem);
    if (kind == KeyboardInterface::kConsumer) {
      Print("    consumer reports: " + DescribeConsumerLayout(ConsumerLayoutFrom(*c)));
    }
    std::string opens;
    for (const HidAccess access : AllAccess()) {
      uint32_t open_error = 0;
      const bool ok = layer.Open(*c, access, open_error) != nullptr;
      opens += ' ';
      opens += AccessName(access);
      opens += ok ? std::string(" ok;") : Printf(" refused (error %u);", open_error);
    }
    Print("    opens:" + opens);
    found.push_back({*c, kind});
  }
  return found;
}

const Found* FirstOf(const std::vector<Found>& found, KeyboardInterface kind) {
  for (const Found& f : found) {
    if (f.kind == kind) return &f;
  }
  return nullptr;
}

std::unique_ptr<HidOpenDevice> OpenAny(HidDeviceLayer& layer, const Found& f, std::vector<HidAccess> order,
                                       HidAccess& used) {
  for (const HidAccess access : order) {
    uint32_t error = 0;
    if (auto device = layer.Open(f.collection, access, error)) {
      used = access;
      return device;
    }
  }
  return nullptr;
}

// Prints every input report of a device until stopped.
class Listener {
 public:
  Listener(const Found& f, std::unique_ptr<HidOpenDevice> device, Clock::time_point start)
      : found_(f), device_(std::move(device)), start_(start), decoder_(ConsumerLayoutFrom(f.collection)) {
    thread_ = std::thread([this] { Loop(); });
  }
  ~Listener() { Stop(); }
  void Stop() {
    if (!device_) return;
    device_->CancelRead();
    if (thread_.joinable()) thread_.join();
    device_.reset();
  }
  HidOpenDevice& device() { return *device_; }
  int reports() const { return reports_; }
  const std::vector<uint8_t>& first() const { return first_; }

 private:
  void Loop() {
    std::vector<uint8_t> buffer(found_.collection.input_length);
    for (;;) {
      const HidIoResult r = device_->Read(buffer);
      if (r.status == HidIo::kCancelled) return;
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count();
      if (r.status != HidIo::kDone) {
        Print(Printf("  %6lld ms  read from %s ended, error %u", static_cast<long long>(ms),
                     InterfaceName(found_.kind).c_str(), r.error));
        return;
      }
      const std::span<const uint8_t> report(buffer.data(), std::min(r.bytes, buffer.size()));
      if (reports_++ == 0) first_.assign(report.begin(), report.end());
      std::string line = Printf("  %6lld ms  < %s ", static_cast<long long>(ms), InterfaceName(found_.kind).c_str()) +
                         HexBytes(report);
      if (found_.kind == KeyboardInterface::kConsumer) {
        const auto codes = decoder_.Decode(report, [&] { return device_->PressedUsages(report); });
        line += "  codes:";
        for (const uint16_t code : codes) line += Printf(" %04X", code);
        if (codes.empty()) line += " none";
      }
      Print(line);
    }
  }

  Found found_;
  std::unique_ptr<HidOpenDevice> device_;
  Clock::time_point start_;
  ConsumerDecoder decoder_;
  std::thread thread_;
  std::atomic<int> reports_{0};
  std::vector<uint8_t> first_;
};

bool Exchange(HidDeviceLayer& layer, const std::vector<Found>& found) {
  Print("exchange: read of the configuration block (command 03)");
  const Found* command = FirstOf(found, KeyboardInterface::kCommand);
  if (!command) {
    Print("  no command interface: nothing sent");
    return false;
  }
  HidAccess used = HidAccess::kReadWrite;
  std::unique_ptr<HidOpenDevice> device = OpenAny(layer, *command, {HidAccess::kReadWrite}, used);
  if (!device) {
    Print("  the command interface would not open for reading and writing");
    return false;
  }
  Report request{};
  request[0] = kCommandReportId;
  request[3] = 0x03;
  request[4] = 44;
  StoreChecksum(request.data());
  const std::vector<uint8_t> frame = FrameOutputReport(request.data(), request.size(), command->collection.output_length);
  if (frame.empty()) {
    Print(Printf("  the interface's output reports take %u bytes; the request is 64", command->collection.output_length));
    return false;
  }
  const auto start = Clock::now();
  Listener listener(*command, std::move(device), start);
  Print("  > command " + HexBytes(frame));
  const HidIoResult written = listener.device().Write(frame);
  if (written.status != HidIo::kDone) {
    Print(Printf("  write failed, error %u", written.error));
    return false;
  }
  std::this_thread::sleep_for(std::chrono::seconds(1));
  listener.Stop();
  if (listener.reports() == 0) {
    Print("  no reply within a second");
    return false;
  }
  const std::vector<uint8_t>& reply = listener.first();
  if (reply.size() > 7) {
    Print(Printf("  first reply: report %02X, command echo %02X (03 expected), status %02X", reply[0], reply[3],
                 reply[7]));
  }
  return true;
}

bool Listen(HidDeviceLayer& layer, const std::vector<Found>& found, int seconds) {
  Print(Printf("listening %d s to the command and consumer interfaces", seconds));
  const auto start = Clock::now();
  std::vector<std::unique_ptr<Listener>> listeners;
  for (const Found& f : found) {
    if (f.kind != KeyboardInterface::kCommand && f.kind != KeyboardInterface::kConsumer) continue;
    HidAccess used = HidAccess::kReadWrite;
    auto device = OpenAny(layer, f, {HidAccess::kReadWrite, HidAccess::kRead}, used);
    if (!device) {
      Print("  " + InterfaceName(f.kind) + " would not open for reading: " + Utf16ToUtf8(f.collection.path));
      continue;
    }
    Print("  " + InterfaceName(f.kind) + " open " + AccessName(used));
    listeners.push_back(std::make_unique<Listener>(f, std::move(device), start));
  }
  if (listeners.empty()) {
    Print("  nothing to listen to");
    return false;
  }
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  listeners.clear();
  return true;
}

bool Led(HidDeviceLayer& layer, const std::vector<Found>& found) {
  Print("bank flags {05 02}");
  const Found* led = FirstOf(found, KeyboardInterface::kLed);
  if (!led) {
    Print("  no LED interface: nothing sent");
    return false;
  }
  HidAccess used = HidAccess::kReadWrite;
  std::unique_ptr<HidOpenDevice> device = OpenAny(layer, *led, AllAccess(), used);
  if (!device) {
    Print("  the LED interface would not open");
    return false;
  }
  const uint8_t flags[2] = {0x05, 0x02};
  const std::vector<uint8_t> frame = FrameOutputReport(flags, sizeof flags, led->collection.output_length);
  if (frame.empty()) {
    Print("  the LED interface has no output report");
    return false;
  }
  Print("  opened " + AccessName(used) + "; report " + HexBytes(frame));
  const HidIoResult control = device->SetOutputReport(frame);
  Print(control.status == HidIo::kDone ? std::string("  through the control pipe: sent")
                                       : Printf("  through the control pipe: refused, error %u", control.error));
  const HidIoResult write = device->Write(frame);
  Print(write.status == HidIo::kDone ? std::string("  as a write: sent")
                                     : Printf("  as a write: refused, error %u", write.error));
  return control.status == HidIo::kDone || write.status == HidIo::kDone;
}

int Run(int argc, char** argv) {
  bool exchange = false;
  bool led = false;
  int listen = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--exchange") == 0) {
      exchange = true;
    } else if (std::strcmp(argv[i], "--led") == 0) {
      led = true;
    } else if (std::strcmp(argv[i], "--listen") == 0 && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
      listen = std::atoi(argv[++i]);
    } else {
      std::fprintf(stderr, "usage: hidprobe [--exchange] [--listen SECONDS] [--led]\n");
      return 2;
    }
  }
  DiagnosticLog quiet;
  std::unique_ptr<HidDeviceLayer> layer = MakeWin32HidLayer(quiet);
  const std::vector<Found> found = List(*layer);
  int command = 0, consumer = 0, leds = 0;
  for (const Found& f : found) {
    command += f.kind == KeyboardInterface::kCommand;
    consumer += f.kind == KeyboardInterface::kConsumer;
    leds += f.kind == KeyboardInterface::kLed;
  }
  if (found.empty()) {
    Print(Printf("no keyboard (vendor %04X product %04X) found", kKeyboardVendor, kKeyboardProduct));
  } else {
    Print(Printf("keyboard collections: %zu; command %d, consumer %d, LED %d", found.size(), command, consumer, leds));
  }
  bool ok = !g_listing_failed;
  if (g_listing_failed) Print("the listing is incomplete: see the errors above");
  if (exchange) ok = Exchange(*layer, found) && ok;
  if (listen > 0) ok = Listen(*layer, found, listen) && ok;
  if (led) ok = Led(*layer, found) && ok;
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace velkor

int main(int argc, char** argv) { return velkor::Run(argc, argv); }
