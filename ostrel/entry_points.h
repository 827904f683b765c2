// The entry points' bodies over one library, shared by Ostrel.dll's exports
// and the in-process table. Nothing thrown inside (an allocation, a thread
// that cannot be made, a back end's failure) leaves them: each then answers
// what its callers take as "not done", and the log says what happened.
#pragma once

#include <cstdint>
#include <string>

#include "device/hid_service/hid_service_api.h"
#include "ostrel/service_library.h"

namespace velkor::entry {

// 1; 0 when it failed. A level above 0 turns the log on, into the file
// default_log names (nothing when it is null or names none).
int Debug(int level, std::u16string (*default_log)()) noexcept;
// 1 when ready; 0 otherwise. prepare runs first (the DLL chooses its back
// end and reads its settings there).
int Init(ServiceLibrary& library, int flags, void (*prepare)() = nullptr) noexcept;
int End(ServiceLibrary& library) noexcept;  // 1; 0 when it failed
// The count; 0 when it failed.
int GetDeviceCount(ServiceLibrary& library, const DeviceSelector* selector, uint32_t a, uint32_t b,
                   uint32_t sum) noexcept;
int DeleteFromUnitId(ServiceLibrary& library, uint32_t handle) noexcept;  // 0 when it failed
// > 0 written; -1 when it failed.
int WriteOne(ServiceLibrary& library, const DeviceSelector* selector, uint32_t a, uint32_t b, const uint8_t* report,
             uint32_t length, uint32_t sum) noexcept;
// 1 registered or written; 0 otherwise, with the handle 0 when it failed.
int AsyncRead(ServiceLibrary& library, const DeviceSelector* selector, HidInputCallback callback, InterfaceTag tag,
              uint32_t sum, uint32_t* handle) noexcept;
int StatusWrite(ServiceLibrary& library, const DeviceSelector* selector, HidInputCallback callback,
                InterfaceTag tag, const uint8_t* data, uint32_t length, uint32_t sum, uint32_t* handle) noexcept;
// The answer's full length, as much as fits copied (NUL-terminated); -1 when
// it failed.
int Control(ServiceLibrary& library, const char* command, char* answer, int capacity) noexcept;

}  // namespace velkor::entry
