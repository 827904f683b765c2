// The 64-byte report exchanged with the keyboard's command interface, the
// same layout both ways:
//   0     report ID 0x04
//   1-2   checksum: 16-bit sum of bytes 3..63, low byte first (requests)
//   3     command code (a reply echoes the request's)
//   4     payload length
//   5-6   address or offset, low byte first
//   7     0 in a request; the status in a reply (0xFF and 0xFE are failures)
//   8-63  payload
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velkor {

inline constexpr size_t kReportSize = 64;
inline constexpr size_t kPayloadOffset = 8;
inline constexpr size_t kPayloadSize = 56;
inline constexpr uint8_t kCommandReportId = 0x04;
inline constexpr uint8_t kStatusFailFF = 0xFF;
inline constexpr uint8_t kStatusFailFE = 0xFE;

using Report = std::array<uint8_t, kReportSize>;

// The result of every exchange and device command.
using StatusCode = int;
inline constexpr StatusCode kSuccess = 1;
inline constexpr StatusCode kNoKeyboard = 0;     // none attached, or the wait failed
inline constexpr StatusCode kWriteRefused = -1;  // the library refused the write
inline constexpr StatusCode kNoReply = -2;       // no matching reply within three attempts
inline constexpr StatusCode kStatusFF = -102;    // the keyboard answered 0xFF
inline constexpr StatusCode kStatusFE = -103;    // the keyboard answered 0xFE
inline constexpr StatusCode kOutOfRange = -201;  // block index (or length) out of range

uint16_t ReportChecksum(const uint8_t* report);
void StoreChecksum(uint8_t* report);

}  // namespace velkor
