// Every library call that names an interface carries a sum over its
// arguments, so the library can refuse a call whose arguments were garbled.
// The sum is the 32-bit total of S[b] over the summed bytes, S being a fixed
// permutation of the byte values that the program and the library share.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "device/hid_service/hid_service_api.h"

namespace velkor {

// S: multiply by an odd constant and add another, modulo 256: every byte
// value appears exactly once.
constexpr std::array<uint8_t, 256> MakeArgumentSumTable() {
  std::array<uint8_t, 256> t{};
  for (unsigned b = 0; b < 256; ++b) t[b] = static_cast<uint8_t>((b * 0x9Du + 0x5Bu) & 0xFFu);
  return t;
}
inline constexpr std::array<uint8_t, 256> kArgumentSumTable = MakeArgumentSumTable();

// Builds the summed byte string: the selector, then each argument's
// little-endian bytes or a buffer's contents, in argument order.
class ArgumentSum {
 public:
  explicit ArgumentSum(const DeviceSelector& selector);
  ArgumentSum& Add32(uint32_t value);
  ArgumentSum& AddBytes(const uint8_t* data, size_t length);
  uint32_t value() const { return sum_; }
  size_t count() const { return count_; }

 private:
  uint32_t sum_ = 0;
  size_t count_ = 0;
};

// The sums of the calls the program makes.
uint32_t DeviceCountSum(const DeviceSelector& selector);
uint32_t WriteOneSum(const DeviceSelector& selector, const uint8_t* report64);
uint32_t AsyncReadSum(const DeviceSelector& selector, HidInputCallback callback, InterfaceTag tag);
uint32_t StatusWriteSum(const DeviceSelector& selector, HidInputCallback callback, InterfaceTag tag,
                        const uint8_t* data, uint32_t length);

}  // namespace velkor
