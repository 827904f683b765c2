// The command line and the single-instance rule: a second start of the
// program never opens a window of its own; it asks the running instance to
// show itself (or, with "/Kill", to end) and exits with code 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/program_messages.h"

namespace velkor {

inline constexpr char16_t kInstanceMutexName[] = u"TQ73M05C";

enum class ArgumentKind { kKill, kStart, kOther };
ArgumentKind ClassifyArgument(std::u16string_view argument);

enum class WindowAction { kShow = 0, kKill = 1 };

// What the single-instance steps need from the system.
class InstanceSystem {
 public:
  virtual ~InstanceSystem() = default;
  // Another running process whose executable has the program's file name
  // (compared without regard to case); 0 when there is none.
  virtual uint32_t FindOtherProgramProcess() = 0;
  // Sends the action to the marked main window of that process.
  virtual bool NotifyProgramWindows(uint32_t process_id, WindowAction action) = 0;
  // Opens the instance mutex, or creates it owned by this thread; true when
  // it existed already. The handle is kept either way.
  virtual bool OpenOrCreateInstanceMutex() = 0;
};

struct InstanceDecision {
  bool exit_now = false;  // this process only notified: end with exit code 0
  bool auto_show = false; // "/Start" was given
};

// Runs the command-line and mutex steps in their order: each "/Kill" asks the
// running instance to end and ends this process; "/Start" notes the auto-show
// flag; once the mutex exists, a running instance is asked to show itself and
// this process ends.
InstanceDecision DecideInstance(const std::vector<std::u16string>& arguments, InstanceSystem& system);

struct ProcessEntry {
  uint32_t id = 0;
  std::u16string file_name;  // the executable's file name
};
// The first process in the list, in the system's order, whose executable has
// file_name (without regard to case) and which is not process self; 0 when
// none. Every entry counts: which process the system lists first differs
// between systems, and may be the running instance itself.
uint32_t PickProgramProcess(const std::vector<ProcessEntry>& processes, std::u16string_view file_name,
                            uint32_t self);

}  // namespace velkor
