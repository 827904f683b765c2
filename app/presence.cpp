#include "app/presence.h"

#include "app/main_window_rules.h"

namespace velkor {

void RunPresence(int count, PresenceState& state, PresenceHost& host) {
  if (count == state.count.load()) return;
  if (count == 0) {
    host.ForgetActiveProfile();
    host.CloseEditors();
    host.HideMainWindow();
  } else {
    if (!host.ReadDefaultLayout()) host.ReportDefaultLayoutUnreadable();
    host.ReadConfigBlock();
    host.LoadActiveProfile();
  }
  if (!host.WaitUntilReady()) return;
  host.SetTrayIcon(count > 0 ? kIconKeyboard : kIconNoKeyboard);
  state.count.store(count);
  if (state.auto_show.load() == 0) {
    if (count > 0) host.OpenMainWindow();
    state.auto_show.store(1);
  }
}

}  // namespace velkor
