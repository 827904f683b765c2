#include "device/hid_service/hid_service_api.h"

#include "device/hid_service/argument_sum.h"
#include "platform/bytes.h"

namespace velkor {

namespace {

constexpr bool IsPermutation(const std::array<uint8_t, 256>& t) {
  std::array<bool, 256> seen{};
  for (uint8_t v : t) {
    if (seen[v]) return false;
    seen[v] = true;
  }
  return true;
}
static_assert(IsPermutation(kArgumentSumTable), "the sum table must be a permutation");
}  // namespace

std::array<uint8_t, 16> DeviceSelector::Bytes() const {
  std::array<uint8_t, 16> b{};
  Put32(&b[0], kind);
  Put16(&b[4], vendor);
  Put16(&b[6], product);
  Put16(&b[8], usage_page);
  Put16(&b[10], usage);
  Put32(&b[12], reserved);
  return b;
}

DeviceSelector DeviceSelector::FromBytes(const uint8_t* p) {
  DeviceSelector s;
  s.kind = Get32(p);
  s.vendor = Get16(p + 4);
  s.product = Get16(p + 6);
  s.usage_page = Get16(p + 8);
  s.usage = Get16(p + 10);
  s.reserved = Get32(p + 12);
  return s;
}

bool HidServiceApi::Complete() const {
  return Debug && Init && End && RequestGetDeviceCount && DeleteRequestFromUnitId &&
         DeleteRequestFromHandle && RequestWrite && RequestWriteOne && RequestStatusWrite &&
         RequestStatusGet && RequestAsyncRead && RequestStatusSetFeature;
}

ArgumentSum::ArgumentSum(const DeviceSelector& selector) {
  const auto bytes = selector.Bytes();
  AddBytes(bytes.data(), bytes.size());
}

ArgumentSum& ArgumentSum::Add32(uint32_t value) {
  uint8_t b[4];
  Put32(b, value);
  return AddBytes(b, 4);
}

ArgumentSum& ArgumentSum::AddBytes(const uint8_t* data, size_t length) {
  for (size_t i = 0; i < length; ++i) sum_ += kArgumentSumTable[data[i]];
  count_ += length;
  return *this;
}

namespace {
// The low 32 bits of the callback's address are summed.
uint32_t AddressBits(HidInputCallback callback) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(callback));
}
}  // namespace

uint32_t DeviceCountSum(const DeviceSelector& selector) {
  return ArgumentSum(selector).Add32(0).Add32(0).value();
}

uint32_t WriteOneSum(const DeviceSelector& selector, const uint8_t* report64) {
  return ArgumentSum(selector).Add32(0).Add32(0).AddBytes(report64, 64).value();
}

uint32_t AsyncReadSum(const DeviceSelector& selector, HidInputCallback callback, InterfaceTag tag) {
  return ArgumentSum(selector).Add32(AddressBits(callback)).Add32(tag).value();
}

uint32_t StatusWriteSum(const DeviceSelector& selector, HidInputCallback callback, InterfaceTag tag,
                        const uint8_t* data, uint32_t length) {
  return ArgumentSum(selector).Add32(AddressBits(callback)).Add32(tag).AddBytes(data, length).value();
}

}  // namespace velkor
