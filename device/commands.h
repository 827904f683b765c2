// The keyboard's command vocabulary: one function per command, each filling a
// request, making the exchange, checking the reply's status and copying its
// payload. Transfers larger than one report go in 56-byte pieces, one
// exchange each. Also the configuration block and the cached index of the
// profile active on the keyboard.
//
// Memory areas and their addresses (bytes 5-6 of a request):
//   configuration block   44 bytes            read 0x03, write 0x04
//   lighting parameters   3 x 42 bytes         read 0x05, write 0x06  (profile x 42 + field)
//   per-key colours       3 x 512 bytes        write 0x11            (profile x 512 + key x 3)
//   key maps              3 x 512 bytes        read 0x07, write 0x08  (block x 512 + offset)
//   macro memory          from address 0       read 0x09, write 0x0A
//   default key layout    512 bytes            read 0x0F
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "device/command_report.h"
#include "device/transport.h"

namespace velkor {

inline constexpr uint8_t kCmdBeginAccess = 0x01;
inline constexpr uint8_t kCmdEndAccess = 0x02;
inline constexpr uint8_t kCmdReadConfig = 0x03;
inline constexpr uint8_t kCmdWriteConfig = 0x04;
inline constexpr uint8_t kCmdReadParameters = 0x05;
inline constexpr uint8_t kCmdWriteParameters = 0x06;
inline constexpr uint8_t kCmdReadKeyMap = 0x07;
inline constexpr uint8_t kCmdWriteKeyMap = 0x08;
inline constexpr uint8_t kCmdReadMacros = 0x09;
inline constexpr uint8_t kCmdWriteMacros = 0x0A;
inline constexpr uint8_t kCmdTest = 0x0D;
inline constexpr uint8_t kCmdReadDefaultLayout = 0x0F;
inline constexpr uint8_t kCmdWriteKeyColours = 0x11;
inline constexpr uint8_t kCmdBootMode = 0xEE;

inline constexpr size_t kConfigBlockSize = 44;
inline constexpr size_t kConfigActiveProfile = 10;
inline constexpr size_t kConfigMacroCapacity = 11;  // in units of 128 bytes
inline constexpr size_t kConfigEffectsOffset = 12;  // up to 32 effect numbers, 0 = empty
inline constexpr size_t kKeyMapBlockSize = 512;
inline constexpr int kKeyMapBlocks = 3;
inline constexpr int kProfiles = 3;
inline constexpr size_t kLightingRecordSize = 42;
inline constexpr size_t kColourTableSize = 512;

using ConfigBlock = std::array<uint8_t, kConfigBlockSize>;

// The name of a command code, for logs and tools.
const char* CommandName(uint8_t code);

class DeviceCommands {
 public:
  explicit DeviceCommands(Transport& transport) : transport_(transport) {}

  StatusCode BeginAccess();
  StatusCode EndAccess();  // waits 10 ms before it sends
  StatusCode ReadConfigBlock(uint8_t* block44);
  StatusCode WriteConfigBlock(const uint8_t* block44);
  // dest takes all 56 payload bytes of the reply.
  StatusCode ReadParameters(uint8_t* dest56, int length, int address);
  StatusCode WriteParameters(const uint8_t* src, int length, int address);
  StatusCode ReadKeyMapBlock(uint8_t* dest512, int block);
  StatusCode WriteKeyMapBlock(const uint8_t* src512, int block);
  StatusCode ReadMacroMemory(uint8_t* dest, int count);
  StatusCode WriteMacroMemory(const uint8_t* src, int count);
  StatusCode ReadDefaultLayoutBlock(uint8_t* dest512);
  // key is the first key index; the colours go to the colour profile's table.
  StatusCode WriteKeyColours(const uint8_t* src, int length, int key);
  StatusCode TestCommand();
  // Sends the boot-mode request and returns the library's result (1 is success).
  int EnterBootMode();

  // The profile active on the keyboard: the cache, else read from the
  // configuration block (and cached); -1 when it can't be read.
  int ActiveProfile();
  // Writes index into the keyboard's configuration block; the cache follows
  // the outcome (-1 after a failed write). Indexes outside 0..2 do nothing.
  void SetActiveProfile(int index);
  void ForgetActiveProfile() { active_profile_.store(-1); }
  int cached_active_profile() const { return active_profile_.load(); }

  // The profile whose colour table WriteKeyColours addresses.
  void set_colour_profile(int profile) { colour_profile_.store(profile); }
  int colour_profile() const { return colour_profile_.load(); }

  // The last configuration block read successfully.
  ConfigBlock last_config_block() const;

 private:
  StatusCode Simple(uint8_t code, uint8_t length, uint16_t address, const uint8_t* payload,
                    size_t payload_length, uint8_t* reply_payload, size_t copy_length);
  StatusCode Chunked(uint8_t code, uint32_t base, size_t total, const uint8_t* src, uint8_t* dest);

  Transport& transport_;
  std::atomic<int> active_profile_{-1};
  std::atomic<int> colour_profile_{0};
  mutable std::mutex config_mutex_;
  ConfigBlock config_{};
};

}  // namespace velkor
