#include "device/commands.h"

#include <cstring>
#include <thread>

namespace velkor {

namespace {

StatusCode ReplyStatus(StatusCode exchanged, const Report& reply) {
  if (exchanged != kSuccess) return exchanged;
  if (reply[7] == kStatusFailFF) return kStatusFF;
  if (reply[7] == kStatusFailFE) return kStatusFE;
  return kSuccess;
}

void FillHeader(Report& request, uint8_t code, uint8_t length, uint32_t address) {
  request[0] = kCommandReportId;
  request[3] = code;
  request[4] = length;
  request[5] = static_cast<uint8_t>(address & 0xFF);
  request[6] = static_cast<uint8_t>((address >> 8) & 0xFF);
  request[7] = 0;
}

// Offsets travel in 16 bits.
constexpr int kMaxTransfer = 0x10000;

}  // namespace

const char* CommandName(uint8_t code) {
  switch (code) {
    case kCmdBeginAccess: return "BeginAccess";
    case kCmdEndAccess: return "EndAccess";
    case kCmdReadConfig: return "ReadConfigBlock";
    case kCmdWriteConfig: return "WriteConfigBlock";
    case kCmdReadParameters: return "ReadParameters";
    case kCmdWriteParameters: return "WriteParameters";
    case kCmdReadKeyMap: return "ReadKeyMapBlock";
    case kCmdWriteKeyMap: return "WriteKeyMapBlock";
    case kCmdReadMacros: return "ReadMacroMemory";
    case kCmdWriteMacros: return "WriteMacroMemory";
    case kCmdTest: return "Test";
    case kCmdReadDefaultLayout: return "ReadDefaultLayoutBlock";
    case kCmdWriteKeyColours: return "WriteKeyColours";
    case kCmdBootMode: return "EnterBootMode";
    default: return "Unknown";
  }
}

StatusCode DeviceCommands::Simple(uint8_t code, uint8_t length, uint16_t address,
                                  const uint8_t* payload, size_t payload_length,
                                  uint8_t* reply_payload, size_t copy_length) {
  Report request{};
  FillHeader(request, code, length, address);
  if (payload && payload_length > 0) {
    std::memcpy(&request[kPayloadOffset], payload, std::min(payload_length, kPayloadSize));
  }
  StoreChecksum(request.data());
  Report reply{};
  size_t got = 0;
  const StatusCode status =
      ReplyStatus(transport_.ExchangeReport(request.data(), kReportSize, reply.data(), kReportSize, &got),
                  reply);
  if (status == kSuccess && reply_payload) {
    std::memcpy(reply_payload, &reply[kPayloadOffset], std::min(copy_length, kPayloadSize));
  }
  return status;
}

StatusCode DeviceCommands::Chunked(uint8_t code, uint32_t base, size_t total, const uint8_t* src,
                                   uint8_t* dest) {
  // One request buffer serves every piece: after a short last piece, the
  // payload bytes beyond it still hold the previous piece, as the keyboard
  // has always received them.
  Report request{};
  for (size_t offset = 0; offset < total; offset += kPayloadSize) {
    const size_t piece = offset + kPayloadSize < total ? kPayloadSize : total - offset;
    FillHeader(request, code, static_cast<uint8_t>(piece), base + static_cast<uint32_t>(offset));
    if (src) std::memcpy(&request[kPayloadOffset], src + offset, piece);
    StoreChecksum(request.data());
    Report reply{};
    size_t got = 0;
    const StatusCode status = ReplyStatus(
        transport_.ExchangeReport(request.data(), kReportSize, reply.data(), kReportSize, &got), reply);
    if (status != kSuccess) return status;
    if (dest) std::memcpy(dest + offset, &reply[kPayloadOffset], piece);
  }
  return kSuccess;
}

StatusCode DeviceCommands::BeginAccess() { return Simple(kCmdBeginAccess, 0, 0, nullptr, 0, nullptr, 0); }

StatusCode DeviceCommands::EndAccess() {
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return Simple(kCmdEndAccess, 0, 0, nullptr, 0, nullptr, 0);
}

StatusCode DeviceCommands::ReadConfigBlock(uint8_t* block44) {
  ConfigBlock block{};
  const StatusCode status =
      Simple(kCmdReadConfig, kConfigBlockSize, 0, nullptr, 0, block.data(), kConfigBlockSize);
  if (status == kSuccess) {
    {
      std::lock_guard lock(config_mutex_);
      config_ = block;
    }
    if (block44) std::memcpy(block44, block.data(), kConfigBlockSize);
  }
  return status;
}

StatusCode DeviceCommands::WriteConfigBlock(const uint8_t* block44) {
  return Simple(kCmdWriteConfig, kConfigBlockSize, 0, block44, kConfigBlockSize, nullptr, 0);
}

StatusCode DeviceCommands::ReadParameters(uint8_t* dest56, int length, int address) {
  if (length < 0 || length > static_cast<int>(kPayloadSize)) return kOutOfRange;
  return Simple(kCmdReadParameters, static_cast<uint8_t>(length), static_cast<uint16_t>(address),
                nullptr, 0, dest56, kPayloadSize);
}

StatusCode DeviceCommands::WriteParameters(const uint8_t* src, int length, int address) {
  // More than one report holds would be cut short without a word: refused.
  if (length > static_cast<int>(kPayloadSize)) return kOutOfRange;
  const size_t n = length > 0 ? static_cast<size_t>(length) : 0;
  return Simple(kCmdWriteParameters, static_cast<uint8_t>(n), static_cast<uint16_t>(address), src, n,
                nullptr, 0);
}

StatusCode DeviceCommands::ReadKeyMapBlock(uint8_t* dest512, int block) {
  if (block < 0 || block >= kKeyMapBlocks) return kOutOfRange;
  return Chunked(kCmdReadKeyMap, static_cast<uint32_t>(block) * kKeyMapBlockSize, kKeyMapBlockSize,
                 nullptr, dest512);
}

StatusCode DeviceCommands::WriteKeyMapBlock(const uint8_t* src512, int block) {
  if (block < 0 || block >= kKeyMapBlocks) return kOutOfRange;
  return Chunked(kCmdWriteKeyMap, static_cast<uint32_t>(block) * kKeyMapBlockSize, kKeyMapBlockSize,
                 src512, nullptr);
}

StatusCode DeviceCommands::ReadMacroMemory(uint8_t* dest, int count) {
  if (count < 0) return kOutOfRange;
  if (count == 0) return kSuccess;
  if (count > kMaxTransfer) return kOutOfRange;
  return Chunked(kCmdReadMacros, 0, static_cast<size_t>(count), nullptr, dest);
}

StatusCode DeviceCommands::WriteMacroMemory(const uint8_t* src, int count) {
  if (count < 0) return kOutOfRange;
  if (count == 0) return kSuccess;
  if (count > kMaxTransfer) return kOutOfRange;
  return Chunked(kCmdWriteMacros, 0, static_cast<size_t>(count), src, nullptr);
}

StatusCode DeviceCommands::ReadDefaultLayoutBlock(uint8_t* dest512) {
  return Chunked(kCmdReadDefaultLayout, 0, kKeyMapBlockSize, nullptr, dest512);
}

StatusCode DeviceCommands::WriteKeyColours(const uint8_t* src, int length, int key) {
  if (length > static_cast<int>(kPayloadSize)) return kOutOfRange;
  const size_t n = length > 0 ? static_cast<size_t>(length) : 0;
  const int profile = colour_profile_.load();
  // Colours that would land in another profile's table are refused.
  if (profile < 0 || profile >= kProfiles || key < 0 ||
      static_cast<size_t>(key) * 3 + n > kColourTableSize) {
    return kOutOfRange;
  }
  const uint32_t address = static_cast<uint32_t>(profile) * kColourTableSize + static_cast<uint32_t>(key) * 3;
  return Simple(kCmdWriteKeyColours, static_cast<uint8_t>(n), static_cast<uint16_t>(address), src, n,
                nullptr, 0);
}

StatusCode DeviceCommands::TestCommand() { return Simple(kCmdTest, 0, 0, nullptr, 0, nullptr, 0); }

int DeviceCommands::EnterBootMode() {
  Report request{};
  request[0] = kCommandReportId;
  request[3] = kCmdBootMode;
  request[4] = kCmdBootMode;
  return transport_.WriteReportNoWait(request.data(), kReportSize);
}

int DeviceCommands::ActiveProfile() {
  const int cached = active_profile_.load();
  if (cached != -1) return cached;
  ConfigBlock block{};
  if (ReadConfigBlock(block.data()) != kSuccess) return -1;
  // A profile the keyboard does not have would index past every per-profile
  // table: taken as unreadable.
  if (block[kConfigActiveProfile] >= kProfiles) return -1;
  active_profile_.store(block[kConfigActiveProfile]);
  return block[kConfigActiveProfile];
}

void DeviceCommands::SetActiveProfile(int index) {
  if (index < 0 || index >= kProfiles) return;
  ConfigBlock block{};
  if (ReadConfigBlock(block.data()) != kSuccess) return;
  block[kConfigActiveProfile] = static_cast<uint8_t>(index);
  if (WriteConfigBlock(block.data()) == kSuccess) {
    active_profile_.store(block[kConfigActiveProfile]);
    std::lock_guard lock(config_mutex_);
    config_ = block;
  } else {
    active_profile_.store(-1);
  }
}

ConfigBlock DeviceCommands::last_config_block() const {
  std::lock_guard lock(config_mutex_);
  return config_;
}

}  // namespace velkor
