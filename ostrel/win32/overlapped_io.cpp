#include "ostrel/win32/overlapped_io.h"

namespace velkor {

namespace {
constexpr DWORD kNoSuchDevice = 433;  // ERROR_NO_SUCH_DEVICE, which not every header names
}  // namespace

HidIo ClassifyError(DWORD error) {
  switch (error) {
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case kNoSuchDevice:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_HANDLE:
      return HidIo::kGone;
    default:
      return HidIo::kFailed;
  }
}

HidIoResult OverlappedRead(HANDLE file, HANDLE io_event, HANDLE cancel, std::span<uint8_t> buffer) {
  // A cancel already given wins even over reports that keep coming at once.
  if (WaitForSingleObject(cancel, 0) == WAIT_OBJECT_0) return {HidIo::kCancelled, 0, 0};
  OVERLAPPED overlapped{};
  overlapped.hEvent = io_event;
  ResetEvent(io_event);
  if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, &overlapped)) {
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) return {ClassifyError(error), 0, error};
  }
  // A read that completes at once signals its event as well.
  const HANDLE waits[2] = {io_event, cancel};
  const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  DWORD wait_error = 0;
  if (woken != WAIT_OBJECT_0) {
    if (woken != WAIT_OBJECT_0 + 1) wait_error = GetLastError();
    CancelIoEx(file, &overlapped);
  }
  // Waits for the read to end, cancelled or not, before overlapped and the
  // buffer may go.
  DWORD got = 0;
  if (GetOverlappedResult(file, &overlapped, &got, TRUE)) return {HidIo::kDone, got, 0};
  const DWORD error = GetLastError();
  if (woken == WAIT_OBJECT_0 + 1 && error == ERROR_OPERATION_ABORTED) return {HidIo::kCancelled, 0, 0};
  if (wait_error != 0) return {HidIo::kFailed, 0, wait_error};
  return {ClassifyError(error), 0, error};
}

HidIoResult OverlappedWrite(HANDLE file, HANDLE io_event, std::span<const uint8_t> data, DWORD timeout_ms) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = io_event;
  ResetEvent(io_event);
  const auto size = static_cast<DWORD>(data.size());
  if (!WriteFile(file, data.data(), size, nullptr, &overlapped)) {
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) return {ClassifyError(error), 0, error};
    if (WaitForSingleObject(io_event, timeout_ms) != WAIT_OBJECT_0) CancelIoEx(file, &overlapped);
  }
  // A write that completed before the cancel took hold still counts.
  DWORD written = 0;
  if (!GetOverlappedResult(file, &overlapped, &written, TRUE)) {
    const DWORD error = GetLastError();
    return {ClassifyError(error), written, error};
  }
  if (written != size) return {HidIo::kFailed, written, ERROR_WRITE_FAULT};
  return {HidIo::kDone, written, 0};
}

}  // namespace velkor
