#include "emulator/keyboard_emulator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "device/commands.h"
#include "model/default_key_layout.h"

namespace velkor {

namespace {

constexpr uint8_t kStatusOk = 0x00;
constexpr uint8_t kFactoryMacroCapacity = 0x80;  // x 128 bytes
constexpr uint8_t kFactoryEffects[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20};
// The keyboard's own default lighting record (35 bytes; the rest are 0).
constexpr uint8_t kDefaultRecord[35] = {0x01, 0x04, 0x01, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x08,
                                        0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00,
                                        0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF,
                                        0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00};
constexpr char kStateMagic[8] = {'V', 'K', 'E', 'M', 'U', 0x01, 0, 0};

bool InRange(size_t address, size_t length, size_t size) {
  return length <= kPayloadSize && address <= size && length <= size - address;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  bool Take(void* dest, size_t n) {
    if (n > bytes_.size() - pos_) return false;
    std::memcpy(dest, bytes_.data() + pos_, n);
    pos_ += n;
    return true;
  }
  bool Take32(uint32_t& v) {
    uint8_t b[4];
    if (!Take(b, 4)) return false;
    v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    return true;
  }
  bool done() const { return pos_ == bytes_.size(); }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t pos_ = 0;
};

}  // namespace

const char* FaultName(FaultKind kind) {
  switch (kind) {
    case FaultKind::kNoReply: return "noreply";
    case FaultKind::kWrongEcho: return "echo";
    case FaultKind::kStatusFF: return "status-ff";
    case FaultKind::kStatusFE: return "status-fe";
    case FaultKind::kRefuse: return "refuse";
    case FaultKind::kLate: return "late";
  }
  return "?";
}

std::optional<FaultKind> ParseFaultKind(const std::string& name) {
  for (FaultKind k : {FaultKind::kNoReply, FaultKind::kWrongEcho, FaultKind::kStatusFF,
                      FaultKind::kStatusFE, FaultKind::kRefuse, FaultKind::kLate}) {
    if (name == FaultName(k)) return k;
  }
  return std::nullopt;
}

std::string HexBytes(const uint8_t* data, size_t length) {
  std::string out;
  out.reserve(length * 3);
  char b[4];
  for (size_t i = 0; i < length; ++i) {
    std::snprintf(b, sizeof(b), i ? " %02X" : "%02X", data[i]);
    out += b;
  }
  return out;
}

std::string HexDump(const uint8_t* data, size_t length, size_t base) {
  std::string out;
  char head[16];
  for (size_t i = 0; i < length; i += 16) {
    std::snprintf(head, sizeof(head), "%04zX: ", base + i);
    out += head;
    out += HexBytes(data + i, std::min<size_t>(16, length - i));
    out += '\n';
  }
  return out;
}

KeyboardEmulator::KeyboardEmulator() { Reset(); }

void KeyboardEmulator::Reset() {
  config_.fill(0);
  const uint8_t tag[10] = {'V', 'K', 'E', 'M', 'U', 0x01, 0, 0, 0, 0};
  std::memcpy(config_.data(), tag, sizeof(tag));
  config_[kConfigActiveProfile] = 0;
  config_[kConfigMacroCapacity] = kFactoryMacroCapacity;
  std::memcpy(&config_[kConfigEffectsOffset], kFactoryEffects, sizeof(kFactoryEffects));
  lighting_.fill(0);
  for (size_t p = 0; p < 3; ++p) std::memcpy(&lighting_[p * 42], kDefaultRecord, sizeof(kDefaultRecord));
  colours_.fill(0);
  const KeyMapBytes& layout = BuiltInDefaultLayout();
  std::copy(layout.begin(), layout.end(), default_layout_.begin());
  for (size_t b = 0; b < 3; ++b) std::copy(layout.begin(), layout.end(), keymaps_.begin() + b * 512);
  macros_.assign(static_cast<size_t>(kFactoryMacroCapacity) * 128, 0);
  const uint8_t empty_store[8] = {0xAA, 0x55, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00};
  std::memcpy(macros_.data(), empty_store, sizeof(empty_store));
  attached_ = true;
  boot_mode_ = false;
  led_reports_.clear();
  dirty_ = true;
}

void KeyboardEmulator::ClearFaults() {
  faults_.clear();
  random_faults_ = false;
}

void KeyboardEmulator::SetRandomFaults(uint32_t seed, int percent, int late_ms) {
  random_.seed(seed);
  random_percent_ = std::clamp(percent, 0, 100);
  random_late_ms_ = std::max(late_ms, 0);
  random_faults_ = random_percent_ > 0;
}

void KeyboardEmulator::Log(const std::string& line) {
  dirty_ = true;  // the log is kept with the state
  log_.push_back(line);
  while (log_.size() > kLogCapacity) log_.pop_front();
}

std::optional<Fault> KeyboardEmulator::TakeFault(uint8_t command) {
  if (random_faults_) {
    std::uniform_int_distribution<int> percent(0, 99);
    if (percent(random_) < random_percent_) {
      std::uniform_int_distribution<int> kind(0, random_late_ms_ > 0 ? 5 : 4);
      Fault f;
      f.kind = static_cast<FaultKind>(kind(random_));
      f.delay = std::chrono::milliseconds(random_late_ms_);
      return f;
    }
  }
  for (size_t i = 0; i < faults_.size(); ++i) {
    Fault& f = faults_[i];
    if (f.command >= 0 && f.command != command) continue;
    if (f.after > 0) {
      --f.after;
      return std::nullopt;
    }
    Fault hit = f;
    if (f.count > 0 && --f.count == 0) faults_.erase(faults_.begin() + static_cast<std::ptrdiff_t>(i));
    return hit;
  }
  return std::nullopt;
}

Report KeyboardEmulator::Execute(const uint8_t* q, uint8_t& status) {
  Report reply{};
  const uint8_t code = q[3];
  const size_t length = q[4];
  const size_t address = q[5] | (q[6] << 8);
  reply[0] = kCommandReportId;
  reply[3] = code;
  reply[4] = q[4];
  reply[5] = q[5];
  reply[6] = q[6];
  uint8_t* payload = &reply[kPayloadOffset];
  const uint8_t* data = &q[kPayloadOffset];
  status = kStatusOk;

  const auto read = [&](const uint8_t* area, size_t size) {
    if (!InRange(address, length, size)) {
      status = kStatusFailFE;
      return;
    }
    std::memcpy(payload, area + address, length);
  };
  const auto write = [&](uint8_t* area, size_t size) {
    if (!InRange(address, length, size)) {
      status = kStatusFailFE;
      return;
    }
    std::memcpy(area + address, data, length);
    dirty_ = true;
  };

  if ((q[1] | (q[2] << 8)) != ReportChecksum(q)) {
    status = kStatusFailFF;
  } else {
    switch (code) {
      case kCmdBeginAccess:
      case kCmdEndAccess:
      case kCmdTest:
        break;
      case kCmdReadConfig:
        reply[4] = kConfigBlockSize;
        std::memcpy(payload, config_.data(), kConfigBlockSize);
        break;
      case kCmdWriteConfig:
        if (length != kConfigBlockSize || address != 0 || data[kConfigActiveProfile] > 2) {
          status = kStatusFailFE;
        } else {
          std::memcpy(config_.data(), data, kConfigBlockSize);
          // Byte 11 tells how much macro memory there is: the memory follows
          // it (keeping what fits), so the block and the memory always agree.
          macros_.resize(static_cast<size_t>(config_[kConfigMacroCapacity]) * 128, 0);
          dirty_ = true;
        }
        break;
      case kCmdReadParameters:
        // A read may run past the last record; the keyboard fills with 0.
        if (length > kPayloadSize || address >= kLightingSize) {
          status = kStatusFailFE;
        } else {
          std::memcpy(payload, &lighting_[address], std::min(length, kLightingSize - address));
        }
        break;
      case kCmdWriteParameters: write(lighting_.data(), kLightingSize); break;
      case kCmdReadKeyMap: read(keymaps_.data(), kKeyMapsSize); break;
      case kCmdWriteKeyMap: write(keymaps_.data(), kKeyMapsSize); break;
      case kCmdReadMacros: read(macros_.data(), macros_.size()); break;
      case kCmdWriteMacros: write(macros_.data(), macros_.size()); break;
      case kCmdReadDefaultLayout: read(default_layout_.data(), kDefaultLayoutSize); break;
      case kCmdWriteKeyColours: write(colours_.data(), kColoursSize); break;
      default:
        status = kStatusFailFE;
        break;
    }
  }
  reply[7] = status;
  StoreChecksum(reply.data());
  return reply;
}

RequestOutcome KeyboardEmulator::HandleCommandReport(const uint8_t* report, size_t length) {
  RequestOutcome outcome;
  Report q{};
  std::memcpy(q.data(), report, std::min(length, kReportSize));
  const uint64_t n = ++sequence_;
  char head[96];
  std::snprintf(head, sizeof(head), "#%llu > %-22s len=%-2u addr=%-5u | ",
                static_cast<unsigned long long>(n), CommandName(q[3]), q[4], q[5] | (q[6] << 8));
  Log(head + HexBytes(q.data(), kReportSize));

  if (!attached_) {
    outcome.refused = true;
    std::snprintf(head, sizeof(head), "#%llu   refused: no keyboard attached", static_cast<unsigned long long>(n));
    Log(head);
    return outcome;
  }
  if (q[3] == kCmdBootMode && q[4] == kCmdBootMode) {
    boot_mode_ = true;
    attached_ = false;
    std::snprintf(head, sizeof(head), "#%llu   boot mode: the keyboard detaches", static_cast<unsigned long long>(n));
    Log(head);
    outcome.events.push_back({KeyboardEvent::Kind::kDeviceCount, 0, 0, {}});
    return outcome;
  }
  const std::optional<Fault> fault = TakeFault(q[3]);
  if (fault && (fault->kind == FaultKind::kRefuse || fault->kind == FaultKind::kNoReply)) {
    outcome.refused = fault->kind == FaultKind::kRefuse;
    std::snprintf(head, sizeof(head), "#%llu   fault %s: %s", static_cast<unsigned long long>(n),
                  FaultName(fault->kind), outcome.refused ? "write refused" : "no reply");
    Log(head);
    return outcome;
  }
  uint8_t status = 0;
  Report reply;
  if (fault && (fault->kind == FaultKind::kStatusFF || fault->kind == FaultKind::kStatusFE)) {
    reply = Report{};
    reply[0] = kCommandReportId;
    std::memcpy(&reply[3], &q[3], 4);
    reply[7] = status = fault->kind == FaultKind::kStatusFF ? kStatusFailFF : kStatusFailFE;
    StoreChecksum(reply.data());
  } else {
    reply = Execute(q.data(), status);
    if (fault && fault->kind == FaultKind::kWrongEcho) {
      reply[3] = static_cast<uint8_t>(q[3] ^ 0x40);
      StoreChecksum(reply.data());
    }
    if (fault && fault->kind == FaultKind::kLate) outcome.reply_delay = fault->delay;
  }
  const char* marker = !fault ? "" : fault->kind == FaultKind::kLate ? " (late)" : " (fault)";
  std::snprintf(head, sizeof(head), "#%llu < %-22s status=%02X%s | ", static_cast<unsigned long long>(n),
                CommandName(reply[3]), reply[7], marker);
  Log(head + HexBytes(reply.data(), kReportSize));
  outcome.reply = reply;
  return outcome;
}

void KeyboardEmulator::HandleLedReport(const uint8_t* data, size_t length) {
  std::array<uint8_t, 2> r{};
  std::memcpy(r.data(), data, std::min<size_t>(length, 2));
  led_reports_.push_back(r);
  if (led_reports_.size() > 1000) led_reports_.erase(led_reports_.begin());
  Log("led > bank flags | " + HexBytes(r.data(), 2));
}

std::vector<KeyboardEvent> KeyboardEmulator::Attach() {
  if (attached_) return {};
  attached_ = true;
  boot_mode_ = false;
  Log("evt attach");
  return {{KeyboardEvent::Kind::kDeviceCount, 0, 1, {}}};
}

std::vector<KeyboardEvent> KeyboardEmulator::Detach() {
  if (!attached_) return {};
  attached_ = false;
  Log("evt detach");
  return {{KeyboardEvent::Kind::kDeviceCount, 0, 0, {}}};
}

std::vector<KeyboardEvent> KeyboardEmulator::PressBankKey() {
  if (!attached_) return {};
  Log("evt consumer 0x02FF (bank key)");
  return {{KeyboardEvent::Kind::kConsumerCode, 0x02FF, 0, {}}};
}

std::vector<KeyboardEvent> KeyboardEmulator::ChangeLightingOnKeyboard() {
  if (!attached_) return {};
  // The keyboard's lighting key steps the active profile to its next effect.
  const size_t profile = std::min<size_t>(config_[kConfigActiveProfile], 2);
  uint8_t& effect = lighting_[profile * 42];
  std::vector<uint8_t> effects;
  for (size_t i = kConfigEffectsOffset; i < kConfigBlockSize; ++i) {
    if (config_[i]) effects.push_back(config_[i]);
  }
  if (!effects.empty()) {
    auto it = std::find(effects.begin(), effects.end(), effect);
    effect = (it == effects.end() || it + 1 == effects.end()) ? effects.front() : *(it + 1);
  }
  dirty_ = true;
  char line[64];
  std::snprintf(line, sizeof(line), "evt lighting key: profile %zu effect %u, consumer 0x0401", profile, effect);
  Log(line);
  return {{KeyboardEvent::Kind::kConsumerCode, 0x0401, 0, {}}};
}

std::vector<KeyboardEvent> KeyboardEmulator::Activity() {
  if (!attached_) return {};
  Log("evt activity: consumer 0x1811, then 0x1810");
  return {{KeyboardEvent::Kind::kConsumerCode, 0x1811, 0, {}},
          {KeyboardEvent::Kind::kConsumerCode, 0x1810, 0, std::chrono::milliseconds(300)}};
}

std::vector<uint8_t> KeyboardEmulator::SaveState() const {
  std::vector<uint8_t> out;
  out.reserve(8 + 44 + kLightingSize + kColoursSize + kKeyMapsSize + kDefaultLayoutSize + 16 +
              macros_.size() + 2 * led_reports_.size() + 64 * 1024);
  for (char c : kStateMagic) out.push_back(static_cast<uint8_t>(c));
  out.insert(out.end(), config_.begin(), config_.end());
  out.insert(out.end(), lighting_.begin(), lighting_.end());
  out.insert(out.end(), colours_.begin(), colours_.end());
  out.insert(out.end(), keymaps_.begin(), keymaps_.end());
  out.insert(out.end(), default_layout_.begin(), default_layout_.end());
  Put32(out, static_cast<uint32_t>(macros_.size()));
  out.insert(out.end(), macros_.begin(), macros_.end());
  out.push_back(attached_ ? 1 : 0);
  out.push_back(boot_mode_ ? 1 : 0);
  Put32(out, static_cast<uint32_t>(led_reports_.size()));
  for (const auto& r : led_reports_) out.insert(out.end(), r.begin(), r.end());
  // The newest lines of the log go with it.
  const size_t keep = std::min(log_.size(), kSavedLogLines);
  Put32(out, static_cast<uint32_t>(keep));
  for (auto it = log_.end() - static_cast<std::ptrdiff_t>(keep); it != log_.end(); ++it) {
    const std::string& line = *it;
    Put32(out, static_cast<uint32_t>(line.size()));
    out.insert(out.end(), line.begin(), line.end());
  }
  return out;
}

bool KeyboardEmulator::RestoreState(const std::vector<uint8_t>& bytes) {
  KeyboardEmulator next;
  Reader in(bytes);
  char magic[8];
  uint32_t macro_size = 0;
  uint32_t led_count = 0;
  uint32_t lines = 0;
  uint8_t flags[2];
  if (!in.Take(magic, 8) || std::memcmp(magic, kStateMagic, 8) != 0) return false;
  if (!in.Take(next.config_.data(), next.config_.size()) ||
      !in.Take(next.lighting_.data(), next.lighting_.size()) ||
      !in.Take(next.colours_.data(), next.colours_.size()) ||
      !in.Take(next.keymaps_.data(), next.keymaps_.size()) ||
      !in.Take(next.default_layout_.data(), next.default_layout_.size()) || !in.Take32(macro_size) ||
      macro_size > 0x10000) {
    return false;
  }
  // A state whose profile or macro memory the keyboard could not have.
  if (next.config_[kConfigActiveProfile] > 2 ||
      macro_size != static_cast<uint32_t>(next.config_[kConfigMacroCapacity]) * 128) {
    return false;
  }
  next.macros_.assign(macro_size, 0);
  if (!in.Take(next.macros_.data(), macro_size) || !in.Take(flags, 2) || !in.Take32(led_count) ||
      led_count > 1000) {
    return false;
  }
  next.led_reports_.assign(led_count, {});
  for (auto& r : next.led_reports_) {
    if (!in.Take(r.data(), 2)) return false;
  }
  if (!in.Take32(lines) || lines > kLogCapacity) return false;
  for (uint32_t i = 0; i < lines; ++i) {
    uint32_t size = 0;
    if (!in.Take32(size) || size > 4096) return false;
    std::string line(size, '\0');
    if (!in.Take(line.data(), size)) return false;
    next.log_.push_back(std::move(line));
  }
  if (!in.done()) return false;
  config_ = next.config_;
  lighting_ = next.lighting_;
  colours_ = next.colours_;
  keymaps_ = next.keymaps_;
  default_layout_ = next.default_layout_;
  macros_ = std::move(next.macros_);
  attached_ = flags[0] != 0;
  boot_mode_ = flags[1] != 0;
  led_reports_ = std::move(next.led_reports_);
  log_ = std::move(next.log_);
  dirty_ = false;
  return true;
}

}  // namespace velkor
