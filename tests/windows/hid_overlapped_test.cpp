// The reads and writes the HID back end makes on its overlapped handles,
// played on a named pipe (a handle that behaves the same and needs no
// device): a read that is cancelled is over before it returns, so nothing
// lands in its buffer afterwards and nothing it would have read is lost.
#include "ostrel/win32/overlapped_io.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/win32/handles.h"

namespace velkor::testing {
namespace {

using Bytes = std::vector<uint8_t>;

class OverlappedPipe : public ::testing::Test {
 protected:
  void SetUp() override {
    static int serial = 0;
    const std::wstring name = L"\\\\.\\pipe\\velkor-hid-io-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++serial);
    server_.reset(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
    ASSERT_NE(server_.get(), INVALID_HANDLE_VALUE);
    client_.reset(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(client_.get(), INVALID_HANDLE_VALUE);
    io_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    cancel_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(io_ && cancel_);
  }
  void Send(const std::string& text) {
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(client_.get(), text.data(), static_cast<DWORD>(text.size()), &n, nullptr));
  }
  HidIoResult Read(Bytes& buffer) { return OverlappedRead(server_.get(), io_.get(), cancel_.get(), buffer); }
  // What the client end receives within a short time; empty when nothing.
  std::string Receive() {
    DWORD available = 0;
    for (int i = 0; i < 50 && PeekNamedPipe(client_.get(), nullptr, 0, nullptr, &available, nullptr) && available == 0;
         ++i) {
      Sleep(10);
    }
    if (available == 0) return {};
    std::string text(available, '\0');
    DWORD n = 0;
    ReadFile(client_.get(), text.data(), available, &n, nullptr);
    text.resize(n);
    return text;
  }

  UniqueHandle server_;
  UniqueHandle client_;
  UniqueHandle io_;
  UniqueHandle cancel_;
};

TEST_F(OverlappedPipe, ACancelledReadIsOverBeforeItReturns) {
  Bytes buffer(16, 0);
  HidIoResult result;
  UniqueHandle returned(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  UniqueHandle checked(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  // The reading thread lives on after the read returned: the system cancels
  // what a thread left pending only when the thread ends.
  std::thread reader([&] {
    result = Read(buffer);
    SetEvent(returned.get());
    WaitForSingleObject(checked.get(), 5000);
  });
  Sleep(100);  // the read is pending
  SetEvent(cancel_.get());
  ASSERT_EQ(WaitForSingleObject(returned.get(), 5000), WAIT_OBJECT_0);
  EXPECT_EQ(result.status, HidIo::kCancelled);

  // A report that comes now finds no read left behind: the buffer stays as
  // it was, and the report waits for the next read.
  Send("late");
  Sleep(100);
  EXPECT_EQ(buffer, Bytes(16, 0)) << "a read outlived its call and wrote into the caller's buffer";
  SetEvent(checked.get());
  reader.join();
  ResetEvent(cancel_.get());
  Bytes next_buffer(16, 0);
  const HidIoResult next = Read(next_buffer);
  EXPECT_EQ(next.status, HidIo::kDone);
  EXPECT_EQ(std::string(next_buffer.begin(), next_buffer.begin() + static_cast<long>(next.bytes)), "late");
}

TEST_F(OverlappedPipe, ACancelGivenBeforeEndsTheReadEvenWithAReportWaiting) {
  SetEvent(cancel_.get());
  Send("waiting");
  Bytes buffer(16, 0);
  EXPECT_EQ(Read(buffer).status, HidIo::kCancelled);
  EXPECT_EQ(buffer, Bytes(16, 0));
  ResetEvent(cancel_.get());
  EXPECT_EQ(Read(buffer).status, HidIo::kDone);
}

TEST_F(OverlappedPipe, AReadWhoseOtherEndWentFails) {
  Bytes buffer(16, 0);
  HidIoResult result;
  std::thread reader([&] { result = Read(buffer); });
  Sleep(50);
  client_.reset();
  reader.join();
  EXPECT_NE(result.status, HidIo::kDone);
  EXPECT_NE(result.status, HidIo::kCancelled);
  EXPECT_NE(result.error, 0u);
}

TEST_F(OverlappedPipe, AWriteArrivesWhole) {
  const Bytes report = {0x04, 0x2A, 0x00, 0x03};
  const HidIoResult r = OverlappedWrite(server_.get(), io_.get(), report, 1000);
  EXPECT_EQ(r.status, HidIo::kDone);
  EXPECT_EQ(r.bytes, 4u);
  EXPECT_EQ(Receive(), std::string("\x04\x2A\x00\x03", 4));
}

}  // namespace
}  // namespace velkor::testing
