#include "device/command_report.h"

namespace velkor {

uint16_t ReportChecksum(const uint8_t* report) {
  uint16_t sum = 0;
  for (size_t i = 3; i < kReportSize; ++i) sum = static_cast<uint16_t>(sum + report[i]);
  return sum;
}

void StoreChecksum(uint8_t* report) {
  const uint16_t sum = ReportChecksum(report);
  report[1] = static_cast<uint8_t>(sum & 0xFF);
  report[2] = static_cast<uint8_t>(sum >> 8);
}

}  // namespace velkor
