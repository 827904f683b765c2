// The HID service library (Ostrel.dll) as the program sees it: the records it
// passes to callbacks, the twelve entry points, and the selectors and tags
// that name the keyboard's interfaces. Shared by the program and by our own
// implementation of the library, so both agree on every byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velkor {

// 16 bytes naming one HID interface (top-level collection) of the keyboard,
// little-endian: 0x0000000F, vendor, product, usage page, usage, zero.
struct DeviceSelector {
  uint32_t kind = 0x0000000F;
  uint16_t vendor = 0x0C45;
  uint16_t product = 0x6741;
  uint16_t usage_page = 0;
  uint16_t usage = 0;
  uint32_t reserved = 0;

  std::array<uint8_t, 16> Bytes() const;
  static DeviceSelector FromBytes(const uint8_t* bytes);
  bool operator==(const DeviceSelector&) const = default;
};
static_assert(sizeof(DeviceSelector) == 16);

inline constexpr uint16_t kKeyboardVendor = 0x0C45;
inline constexpr uint16_t kKeyboardProduct = 0x6741;

constexpr DeviceSelector MakeSelector(uint16_t usage_page, uint16_t usage) {
  DeviceSelector s;
  s.usage_page = usage_page;
  s.usage = usage;
  return s;
}
inline constexpr DeviceSelector kCommandSelector = MakeSelector(0xFF1C, 0x0092);
inline constexpr DeviceSelector kConsumerSelector = MakeSelector(0x000C, 0x0001);
inline constexpr DeviceSelector kLedSelector = MakeSelector(0x0008, 0x0089);

// Up to four ASCII letters, the first in the most significant byte.
using InterfaceTag = uint32_t;
inline constexpr InterfaceTag kCtrlTag = 0x4354524C;  // CTRL
inline constexpr InterfaceTag kConsTag = 0x434F4E53;  // CONS
inline constexpr InterfaceTag kLedTag = 0x004C4544;   // LED

// What the library hands to a read's callback. Pointer fields are the
// platform's width; on 64-bit Windows the offsets are those noted.
#pragma pack(push, 4)
struct ConsumerRecord {
  uint8_t reserved[28];
  const uint16_t* code;  // offset 28: the 16-bit consumer code
};
#pragma pack(pop)
static_assert(offsetof(ConsumerRecord, code) == 28);

struct InputEventContext {
  uint32_t tag;                    // offset 0: the tag given at registration
  uint32_t count;                  // offset 4: bytes received (kind 1) or keyboards attached (kind 0)
  const uint8_t* data;             // offset 8: the received bytes (kind 1)
  const ConsumerRecord* consumer;  // offset 16 on 64-bit: consumer interface, kind 1
};

inline constexpr uint32_t kEventInputReport = 1;
inline constexpr uint32_t kEventDeviceCount = 0;

struct InputEvent {
  uint32_t kind;                     // offset 0
  InputEventContext* context;        // offset 8 on 64-bit
};

static_assert(offsetof(InputEventContext, tag) == 0);
static_assert(offsetof(InputEventContext, count) == 4);
static_assert(offsetof(InputEventContext, data) == 8);
static_assert(sizeof(void*) != 8 || offsetof(InputEventContext, consumer) == 16);
static_assert(sizeof(void*) != 8 || offsetof(InputEvent, context) == 8);

#if defined(_WIN32)
#define VELKOR_HID_CALL __stdcall
#else
#define VELKOR_HID_CALL
#endif

using HidInputCallback = int(VELKOR_HID_CALL*)(InputEvent* event);

// The twelve entry points, in the order they are looked up.
struct HidServiceApi {
  using DebugFn = int(VELKOR_HID_CALL*)(int level);
  using InitFn = int(VELKOR_HID_CALL*)(int flags);
  using EndFn = int(VELKOR_HID_CALL*)();
  using GetDeviceCountFn = int(VELKOR_HID_CALL*)(const DeviceSelector* selector, uint32_t a,
                                                 uint32_t b, uint32_t sum, uint32_t* reserved);
  using DeleteFromUnitIdFn = int(VELKOR_HID_CALL*)(uint32_t handle);
  using DeleteFromHandleFn = int(VELKOR_HID_CALL*)(void* handle);
  using WriteFn = int(VELKOR_HID_CALL*)(const DeviceSelector* selector, const uint8_t* data,
                                        uint32_t length, uint32_t sum);
  using WriteOneFn = int(VELKOR_HID_CALL*)(const DeviceSelector* selector, uint32_t a, uint32_t b,
                                           const uint8_t* report, uint32_t length, uint32_t sum,
                                           uint32_t* reserved);
  using StatusWriteFn = int(VELKOR_HID_CALL*)(const DeviceSelector* selector,
                                              HidInputCallback callback, InterfaceTag tag,
                                              const uint8_t* data, uint32_t length, uint32_t sum,
                                              uint32_t* handle);
  using StatusGetFn = int(VELKOR_HID_CALL*)(const DeviceSelector* selector, uint8_t* data,
                                            uint32_t length, uint32_t sum);
  using AsyncReadFn = int(VELKOR_HID_CALL*)(const DeviceSelector* selector,
                                            HidInputCallback callback, InterfaceTag tag,
                                            uint32_t sum, uint32_t* handle);
  using SetFeatureFn = int(VELKOR_HID_CALL*)(const DeviceSelector* selector, const uint8_t* data,
                                             uint32_t length, uint32_t sum);

  DebugFn Debug = nullptr;
  InitFn Init = nullptr;
  EndFn End = nullptr;
  GetDeviceCountFn RequestGetDeviceCount = nullptr;
  DeleteFromUnitIdFn DeleteRequestFromUnitId = nullptr;
  DeleteFromHandleFn DeleteRequestFromHandle = nullptr;
  WriteFn RequestWrite = nullptr;
  WriteOneFn RequestWriteOne = nullptr;
  StatusWriteFn RequestStatusWrite = nullptr;
  StatusGetFn RequestStatusGet = nullptr;
  AsyncReadFn RequestAsyncRead = nullptr;
  SetFeatureFn RequestStatusSetFeature = nullptr;

  bool Complete() const;
};

// The names, in look-up order.
inline constexpr const char* kHidServiceEntryPoints[12] = {
    "Debug",         "Init",         "End",
    "RequestGetDeviceCount", "DeleteRequestFromUnitId", "DeleteRequestFromHandle",
    "RequestWrite",  "RequestWriteOne", "RequestStatusWrite",
    "RequestStatusGet", "RequestAsyncRead", "RequestStatusSetFeature"};

}  // namespace velkor
