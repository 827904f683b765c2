#include "emulator/control.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "device/commands.h"

namespace velkor {

namespace {

constexpr long kLongestLateMs = 60000;

bool ParseNumber(const std::string& text, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 0);  // decimal or 0x hex
  if (!end || *end != '\0' || errno == ERANGE || v > INT_MAX || v < INT_MIN) return false;
  value = static_cast<long>(v);
  return true;
}

std::string Usage() {
  return "error: unknown command; try status, attach, detach, bankkey, lightkey, activity, "
         "fault, dump, log, latency, reset\n";
}

std::string Status(KeyboardEmulator& e) {
  std::ostringstream out;
  const auto& c = e.config();
  out << "attached: " << (e.attached() ? "yes" : "no") << "\n";
  out << "boot mode: " << (e.boot_mode() ? "yes" : "no") << "\n";
  out << "active profile: " << int{c[kConfigActiveProfile]} << "\n";
  out << "macro capacity: " << int{c[kConfigMacroCapacity]} * 128 << " bytes\n";
  out << "effects:";
  for (size_t i = kConfigEffectsOffset; i < kConfigBlockSize; ++i) {
    if (c[i]) out << " " << int{c[i]};
  }
  out << "\n";
  const auto& led = e.led_reports();
  out << "bank flags: " << (led.empty() ? std::string("none received")
                                        : HexBytes(led.back().data(), 2) + " (" +
                                              std::to_string(led.size()) + " reports)")
      << "\n";
  out << "faults:";
  if (e.faults().empty()) out << " none";
  for (const Fault& f : e.faults()) {
    out << " [" << FaultName(f.kind);
    if (f.kind == FaultKind::kLate) out << " " << f.delay.count() << " ms";
    out << " x" << (f.count < 0 ? std::string("always") : std::to_string(f.count));
    if (f.command >= 0) {
      char code[8];
      std::snprintf(code, sizeof(code), "0x%02X", f.command);
      out << " on " << code;
    }
    if (f.after > 0) out << " after " << f.after;
    out << "]";
  }
  out << "\n";
  out << "latency: " << e.latency.to_keyboard.count() << " us to the keyboard, "
      << e.latency.to_host.count() << " us back\n";
  out << "requests: " << e.requests_seen() << "\n";
  return out.str();
}

std::string FaultCommand(KeyboardEmulator& e, const std::vector<std::string>& w) {
  if (w.size() < 2) return "error: fault needs a kind, clear or random\n";
  if (w[1] == "clear") {
    e.ClearFaults();
    return "ok\n";
  }
  if (w[1] == "random") {
    long seed = 0;
    long percent = 0;
    long late_ms = 0;
    if ((w.size() != 4 && w.size() != 5) || !ParseNumber(w[2], seed) || !ParseNumber(w[3], percent) ||
        (w.size() == 5 && (!ParseNumber(w[4], late_ms) || late_ms < 0 || late_ms > kLongestLateMs))) {
      return "error: fault random <seed> <percent> [late-ms]\n";
    }
    e.SetRandomFaults(static_cast<uint32_t>(seed), static_cast<int>(percent), static_cast<int>(late_ms));
    return "ok\n";
  }
  const auto kind = ParseFaultKind(w[1]);
  if (!kind) return "error: fault kinds are noreply, echo, status-ff, status-fe, refuse, late\n";
  Fault f;
  f.kind = *kind;
  size_t i = 2;
  long n = 0;
  if (f.kind == FaultKind::kLate) {
    if (i >= w.size() || !ParseNumber(w[i], n) || n < 0 || n > kLongestLateMs) {
      return "error: fault late <ms> [count|always] [command-code] [after N]\n";
    }
    f.delay = std::chrono::milliseconds(n);
    ++i;
  }
  if (i < w.size() && w[i] == "always") {
    f.count = -1;
    ++i;
  } else if (i < w.size() && w[i] != "after" && ParseNumber(w[i], n)) {
    if (n == 0 || n < -1) return "error: the count is a positive number or always\n";
    f.count = static_cast<int>(n);
    ++i;
  }
  if (i < w.size() && w[i] != "after") {
    if (!ParseNumber(w[i], n) || n < 0 || n > 0xFF) return "error: the command code is 0..0xFF\n";
    f.command = static_cast<int>(n);
    ++i;
  }
  if (i < w.size() && w[i] == "after") {
    if (i + 1 >= w.size() || !ParseNumber(w[i + 1], n) || n < 0) return "error: after <N>\n";
    f.after = static_cast<int>(n);
    i += 2;
  }
  if (i != w.size()) return "error: fault <kind> [count|always] [command-code] [after N]\n";
  e.AddFault(f);
  return "ok\n";
}

std::string Dump(KeyboardEmulator& e, const std::vector<std::string>& w) {
  if (w.size() < 2) return "error: dump what?\n";
  long profile = -1;
  if ((w[1] == "colours" || w[1] == "keymap")) {
    if (w.size() != 3 || !ParseNumber(w[2], profile) || profile < 0 || profile > 2) {
      return "error: dump " + w[1] + " <0|1|2>\n";
    }
  } else if (w.size() != 2) {
    return "error: dump config|lighting|colours P|keymap P|default|macros\n";
  }
  if (w[1] == "config") return HexDump(e.config().data(), e.config().size());
  if (w[1] == "lighting") return HexDump(e.lighting().data(), e.lighting().size());
  if (w[1] == "default") return HexDump(e.default_layout().data(), e.default_layout().size());
  if (w[1] == "colours") {
    return HexDump(e.colours().data() + profile * 512, 512, static_cast<size_t>(profile) * 512);
  }
  if (w[1] == "keymap") {
    return HexDump(e.keymaps().data() + profile * 512, 512, static_cast<size_t>(profile) * 512);
  }
  if (w[1] == "macros") {
    const auto& m = e.macros();
    // The store's own size when its header is sound, else the header alone.
    size_t size = 16;
    if (m.size() >= 16 && m[0] == 0xAA && m[1] == 0x55) {
      const size_t total = m[2] | (m[3] << 8);
      if (total >= 16 && total <= m.size()) size = total;
    }
    return HexDump(m.data(), std::min(size, m.size()));
  }
  return "error: dump config|lighting|colours P|keymap P|default|macros\n";
}

std::string Log(KeyboardEmulator& e, const std::vector<std::string>& w) {
  if (w.size() == 2 && w[1] == "clear") {
    e.ClearLog();
    return "ok\n";
  }
  long n = 50;
  if (w.size() > 2 || (w.size() == 2 && (!ParseNumber(w[1], n) || n < 0))) return "error: log [N] | log clear\n";
  const auto& log = e.log();
  const size_t count = std::min(static_cast<size_t>(n), log.size());
  std::string out;
  for (size_t i = log.size() - count; i < log.size(); ++i) out += log[i] + "\n";
  return out;
}

}  // namespace

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

std::string RunControlCommand(KeyboardEmulator& e, const std::vector<std::string>& w,
                              std::vector<KeyboardEvent>& events) {
  if (w.empty()) return Usage();
  const std::string& c = w[0];
  const auto add = [&](std::vector<KeyboardEvent> more) {
    events.insert(events.end(), more.begin(), more.end());
    return more.empty() && c != "attach" && c != "detach" ? std::string("ok (no keyboard attached)\n")
                                                          : std::string("ok\n");
  };
  if (c == "status") return Status(e);
  if (c == "attach") return add(e.Attach());
  if (c == "detach") return add(e.Detach());
  if (c == "bankkey") return add(e.PressBankKey());
  if (c == "lightkey") return add(e.ChangeLightingOnKeyboard());
  if (c == "activity") return add(e.Activity());
  if (c == "fault") return FaultCommand(e, w);
  if (c == "dump") return Dump(e, w);
  if (c == "log") return Log(e, w);
  if (c == "reset") {
    const bool was_attached = e.attached();
    e.Reset();
    if (!was_attached) events.push_back({KeyboardEvent::Kind::kDeviceCount, 0, 1, {}});
    return "ok\n";
  }
  if (c == "latency") {
    long out_us = 0;
    long back_us = 0;
    if (w.size() != 3 || !ParseNumber(w[1], out_us) || !ParseNumber(w[2], back_us) || out_us < 0 ||
        back_us < 0 || out_us > 10000000 || back_us > 10000000) {
      return "error: latency <to-keyboard-us> <to-host-us>\n";
    }
    e.latency.to_keyboard = std::chrono::microseconds(out_us);
    e.latency.to_host = std::chrono::microseconds(back_us);
    return "ok\n";
  }
  return Usage();
}

}  // namespace velkor
