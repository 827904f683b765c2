#include "app/single_instance.h"

#include "platform/text.h"

namespace velkor {

ArgumentKind ClassifyArgument(std::u16string_view argument) {
  if (EqualsNoCase(argument, u"/Kill")) return ArgumentKind::kKill;
  if (EqualsNoCase(argument, u"/Start")) return ArgumentKind::kStart;
  return ArgumentKind::kOther;
}

InstanceDecision DecideInstance(const std::vector<std::u16string>& arguments, InstanceSystem& system) {
  InstanceDecision decision;
  for (const std::u16string& argument : arguments) {
    switch (ClassifyArgument(argument)) {
      case ArgumentKind::kKill:
        // The process search always finds this process too, so "/Kill" ends
        // it whether or not another instance was running. Looking past
        // ourselves means the running instance is the one told, whatever
        // order the system lists processes in.
        if (const uint32_t pid = system.FindOtherProgramProcess()) {
          system.NotifyProgramWindows(pid, WindowAction::kKill);
        }
        decision.exit_now = true;
        return decision;
      case ArgumentKind::kStart:
        decision.auto_show = true;
        break;
      case ArgumentKind::kOther:
        break;
    }
  }
  if (system.OpenOrCreateInstanceMutex()) {
    if (const uint32_t pid = system.FindOtherProgramProcess()) {
      system.NotifyProgramWindows(pid, WindowAction::kShow);
    }
    decision.exit_now = true;
  }
  return decision;
}

uint32_t PickProgramProcess(const std::vector<ProcessEntry>& processes, std::u16string_view file_name,
                            uint32_t self) {
  for (const ProcessEntry& entry : processes) {
    if (entry.id != self && EqualsNoCase(entry.file_name, file_name)) return entry.id;
  }
  return 0;
}

}  // namespace velkor
