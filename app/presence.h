// What the program does when a keyboard appears or goes: read the keyboard's
// default layout and configuration, load the active profile, close the
// editors, set the notification-area image and show the window the first
// time a keyboard is found. The steps run on the keyboard thread; what they
// need of the device and the window comes through PresenceHost.
#pragma once

#include <atomic>
#include <cstdint>

namespace velkor {

class PresenceHost {
 public:
  virtual ~PresenceHost() = default;
  // The keyboard's default layout into the model; false when it can't be read.
  virtual bool ReadDefaultLayout() = 0;
  // Tells the person the default layout could not be read (not waited for).
  virtual void ReportDefaultLayoutUnreadable() = 0;
  // The configuration block; on success the macro space follows it.
  virtual void ReadConfigBlock() = 0;
  // The active profile's data from the keyboard, then the window refreshed;
  // returns once the window has done so.
  virtual void LoadActiveProfile() = 0;
  virtual void ForgetActiveProfile() = 0;
  // Closes every editor and the about box; returns once they are closed.
  virtual void CloseEditors() = 0;
  virtual void HideMainWindow() = 0;
  // Waits until the window has finished its start; false when the program
  // ends meanwhile.
  virtual bool WaitUntilReady() = 0;
  virtual void SetTrayIcon(int resource) = 0;
  virtual void OpenMainWindow() = 0;  // posted, not waited for
};

struct PresenceState {
  std::atomic<int32_t> count{0};      // keyboards seen by the last presence step
  std::atomic<int32_t> auto_show{0};  // 0: open the window when the first keyboard appears
};

// One device-count event.
void RunPresence(int count, PresenceState& state, PresenceHost& host);

}  // namespace velkor
