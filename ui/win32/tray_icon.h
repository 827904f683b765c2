// The program's icon in the notification area: added, hidden, shown again,
// given another picture or tooltip, and re-added when the shell restarts
// (the shell broadcasts "TaskbarCreated" to every top-level window then).
// The icon's window gets the icon's mouse messages as its callback message;
// a hook on that window turns them into OnTrayNotification, and a second hook
// on its top-level window, when that is another window, catches the shell's
// restart.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "platform/win32/handles.h"
#include "ui/win32/subclass_wnd.h"

namespace velkor {

// What the notification area shows for a window's icon, as the icon's owner
// publishes it on the window (see CTrayIcon). Works from another process.
struct TrayIconState {
  UINT icon = 0;  // resource id of the shown icon; 0 while none is shown
  UINT adds = 0;  // successful adds so far
  std::wstring tip;
};
TrayIconState ReadTrayIconState(HWND window);

struct GlobalAtomDeleter {
  void operator()(ATOM atom) const { GlobalDeleteAtom(atom); }
};
using UniqueGlobalAtom = UniqueResource<ATOM, 0, GlobalAtomDeleter>;

class CTrayIcon {
 public:
  // The longest tooltip the notification area takes, without its terminator.
  static constexpr size_t kMaxTooltip = 127;

  CTrayIcon();
  virtual ~CTrayIcon();
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Adds the icon for a window of this process; its mouse messages arrive as
  // callback_message. False when the window is not one or the icon could not
  // be added. An icon the shell refused (it was not running yet) is added when
  // the shell announces itself. A second Create removes the first icon.
  bool Create(HWND window, UINT callback_message, const std::wstring& tooltip, HICON icon, UINT icon_id);
  void Remove();
  // Takes the icon out of the notification area and puts it back; each only
  // in its own state.
  bool Hide();
  bool Show();
  // The icon from the program's resources; its id is recorded even when the
  // program has no such icon.
  bool SetIcon(UINT resource_id);
  // An icon from elsewhere: call set_icon_resource afterwards to say which
  // resource it is.
  bool SetIcon(HICON icon);
  // Longer texts are cut to kMaxTooltip characters.
  bool SetTooltip(const std::wstring& text);
  // Which resource the shown icon came from (Create takes a handle only).
  void set_icon_resource(UINT resource_id);

  // A command the owner runs for a single left click once the double-click
  // time has passed without a second one.
  void SetClickCommand(UINT id) { click_command_ = id; }
  UINT click_command() const { return click_command_; }
  bool pending_click() const { return pending_click_; }
  // The pending click, cleared: for the owner's timer.
  bool TakePendingClick();

  bool active() const { return active_; }
  bool hidden() const { return hidden_; }
  std::wstring tooltip() const { return data_.szTip; }
  UINT icon_resource() const { return icon_resource_; }
  HWND window() const { return created_ ? data_.hWnd : nullptr; }

  // The owner's handling of the icon's mouse messages, called after the
  // icon's own bookkeeping, for this icon only.
  std::function<void(UINT mouse_message)> on_notification;

 protected:
  virtual void OnTrayNotification(WPARAM icon_id, LPARAM mouse_message);

 private:
  class CTrayHook : public CSubclassWnd {
   public:
    explicit CTrayHook(CTrayIcon& owner) : owner_(owner) {}
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

   private:
    CTrayIcon& owner_;
  };

  bool Add();
  bool Delete();
  bool Modify(UINT flags);
  void OnTaskbarCreated();
  void Publish();
  void PublishTip();
  void Unpublish();

  bool created_ = false;  // Create succeeded: the record and hooks are in place
  bool active_ = false;   // the icon was added
  bool hidden_ = false;
  bool shown_ = false;  // the notification area holds the icon now
  NOTIFYICONDATAW data_{};
  UINT icon_resource_ = 0;
  UINT adds_ = 0;
  UniqueGlobalAtom tip_atom_;
  UINT click_command_ = 0;
  bool pending_click_ = false;
  CTrayHook window_hook_;
  CTrayHook parent_hook_;
};

}  // namespace velkor
