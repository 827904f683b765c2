// Tassel.exe, the background daemon every instance of the program starts.
//
// It has no window and does no work of its own yet: it stays resident while
// the program runs and ends by itself soon after the program has gone.
//
// - While a process named Velkor.exe runs (the instance, or a second start
//   that is only passing a message on), it stays. It looks at the process
//   list rather than at the program's instance mutex: opening that mutex,
//   even for a moment, could make a new instance starting at that moment
//   believe another one is running.
// - Four looks in a row, a quarter second apart, that find no program
//   process end it: within about a second of the program's end.
// - Only one copy stays resident: a copy that finds another one holding the
//   daemon's own mutex (and not letting go within two seconds, as a copy
//   that is ending does) ends at once. So successive instances never pile up
//   copies of it.
#include <windows.h>

#include <string>

#include "app/win32/instance_system.h"
#include "platform/win32/handles.h"

namespace {

constexpr wchar_t kResidentMutex[] = L"Velkor_Tassel_Resident";
constexpr DWORD kPollMs = 250;
constexpr int kAbsentPollsToEnd = 4;

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  velkor::UniqueHandle resident(CreateMutexW(nullptr, FALSE, kResidentMutex));
  if (!resident) return 0;
  const DWORD got = WaitForSingleObject(resident.get(), 2000);
  if (got != WAIT_OBJECT_0 && got != WAIT_ABANDONED) return 0;

  int absent = 0;
  while (absent < kAbsentPollsToEnd) {
    if (velkor::FindProgramProcess(u"Velkor.exe", true) != 0) {
      absent = 0;
    } else {
      ++absent;
    }
    if (absent < kAbsentPollsToEnd) Sleep(kPollMs);
  }
  ReleaseMutex(resident.get());
  return 0;
}
