// Reads and writes on an overlapped handle, each one ended before it
// returns: the OVERLAPPED record and the buffer live on the caller's side, so
// an operation still pending when they go would write into freed memory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "ostrel/hid_device_layer.h"

namespace velkor {

// How a failed operation's error code reads: kGone for the errors a device
// that is no longer there gives, kFailed for the rest.
HidIo ClassifyError(DWORD error);

// One read into buffer. Returns when it completed (kDone, even when the
// cancel came just after), failed, or cancel (a manual-reset event) was
// signalled: the read is then cancelled and waited for (kCancelled), so
// nothing writes into buffer after this returns. A signalled cancel ends
// every later call at once. io_event is a manual-reset event of the caller's.
HidIoResult OverlappedRead(HANDLE file, HANDLE io_event, HANDLE cancel, std::span<uint8_t> buffer);

// One write of data, waited for at most timeout_ms; a write that takes
// longer is cancelled and waited for (kFailed with ERROR_OPERATION_ABORTED).
HidIoResult OverlappedWrite(HANDLE file, HANDLE io_event, std::span<const uint8_t> data, DWORD timeout_ms);

}  // namespace velkor
