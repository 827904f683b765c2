// The entry points' guard: whatever the library or its back end throws, the
// caller gets the failure its contract allows, and nothing is left half
// started.
#include "ostrel/entry_points.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <system_error>

#include "device/hid_service/argument_sum.h"

namespace velkor::testing {
namespace {

int VELKOR_HID_CALL Ignore(InputEvent*) { return 1; }

struct Throws {
  bool start = false;
  bool count = false;
  bool write = false;
};

class ThrowingBackend : public ServiceBackend {
 public:
  explicit ThrowingBackend(Throws throws) : throws_(throws) {}
  bool Start(BackendSink*) override {
    if (throws_.start) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    return true;
  }
  void Stop() override {}
  int DeviceCount(const DeviceSelector&) override {
    if (throws_.count) throw std::bad_alloc();
    return 1;
  }
  int WriteReport(const DeviceSelector&, const uint8_t*, size_t) override {
    if (throws_.write) throw std::bad_alloc();
    return 1;
  }
  std::string Control(const std::string&) override { throw std::bad_alloc(); }

 private:
  Throws throws_;
};

std::unique_ptr<ServiceBackend> Backend(Throws throws = {}) { return std::make_unique<ThrowingBackend>(throws); }

TEST(EntryPointGuard, AFactoryThatThrowsFailsInitAndTheNextInitTriesAgain) {
  ServiceLibrary library;
  int calls = 0;
  library.SetBackendFactory([&]() -> std::unique_ptr<ServiceBackend> {
    if (++calls == 1) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    return Backend();
  });
  EXPECT_EQ(entry::Init(library, 0), 0);
  EXPECT_EQ(entry::Init(library, 0), 1);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(entry::GetDeviceCount(library, &kCommandSelector, 0, 0, DeviceCountSum(kCommandSelector)), 1);
  EXPECT_EQ(entry::End(library), 1);
}

TEST(EntryPointGuard, APreparationThatThrowsFailsInit) {
  ServiceLibrary library;
  library.UseBackend(Backend());
  EXPECT_EQ(entry::Init(library, 0, [] { throw std::bad_alloc(); }), 0);
  EXPECT_EQ(entry::Init(library, 0), 1);
}

TEST(EntryPointGuard, ABackEndThatCannotStartLeavesNoThreadRunning) {
  // The library's delivery threads would end the process when it is
  // destroyed with them still running.
  ServiceLibrary library;
  library.UseBackend(Backend({.start = true}));
  EXPECT_EQ(entry::Init(library, 0), 0);
  EXPECT_EQ(entry::Init(library, 0), 0);
}

TEST(EntryPointGuard, CallsThatThrowAnswerTheirFailure) {
  ServiceLibrary library;
  library.UseBackend(Backend({.count = true, .write = true}));
  ASSERT_EQ(entry::Init(library, 0), 1);
  EXPECT_EQ(entry::GetDeviceCount(library, &kCommandSelector, 0, 0, DeviceCountSum(kCommandSelector)), 0);

  std::array<uint8_t, 64> report{0x04};
  EXPECT_EQ(entry::WriteOne(library, &kCommandSelector, 0, 0, report.data(), 64,
                            WriteOneSum(kCommandSelector, report.data())),
            -1);

  const uint8_t flags[2] = {0x05, 0x02};
  uint32_t handle = 77;
  EXPECT_EQ(entry::StatusWrite(library, &kLedSelector, Ignore, kLedTag, flags, 2,
                               StatusWriteSum(kLedSelector, Ignore, kLedTag, flags, 2), &handle),
            0);
  EXPECT_EQ(handle, 0u) << "a failed call names nothing";

  char answer[8] = "unset";
  EXPECT_EQ(entry::Control(library, "status", answer, sizeof answer), -1);

  // Reads are still registered: the failures left the library whole.
  EXPECT_EQ(entry::AsyncRead(library, &kCommandSelector, Ignore, kCtrlTag,
                             AsyncReadSum(kCommandSelector, Ignore, kCtrlTag), &handle),
            1);
  EXPECT_NE(handle, 0u);
  EXPECT_EQ(entry::DeleteFromUnitId(library, handle), 1);
}

TEST(EntryPointGuard, DebugWhoseLogCannotBeNamedFails) {
  EXPECT_EQ(entry::Debug(1, []() -> std::u16string { throw std::bad_alloc(); }), 0);
  EXPECT_EQ(entry::Debug(0, nullptr), 1);
}

}  // namespace
}  // namespace velkor::testing
