// The main window's decisions, apart from the window: which of its own
// messages a message is, what the modal loop does with a key before the
// dialog sees it, where each command goes, the notification-area image and
// mouse rules, the menus' labels, how the program ends and what Apply may
// do while a keyboard job runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/single_instance.h"
#include "model/profile_operations.h"
#include "resources/resource.h"
#include "ui/language_table.h"

namespace velkor {

// Messages between the main window, its own threads and other processes.
// The numbers and tags spell ASCII letters.
inline constexpr uint32_t kMsgInit = 0x4D4E;               // MN
inline constexpr uint32_t kInitTag = 0x494E4954;           // INIT
inline constexpr uint32_t kMsgLoadProfile = 0x5452;        // TR
inline constexpr uint32_t kLoadProfileTag = 0x50524F46;    // PROF
inline constexpr uint32_t kMsgCloseEditors = 0x4753;       // GS (any wParam)
inline constexpr uint32_t kMsgBankLed = 0x5045;            // PE
inline constexpr uint32_t kBankLedTag = 0x004C4544;        // LED
inline constexpr uint32_t kMsgTimeChange = 0x001E;         // applies before it is handled
inline constexpr uint32_t kButtonMenuId = IDM_BUTTON;

inline constexpr int kTimerBusyFrame = 1050;
inline constexpr int kTimerLightingChanged = 1051;
inline constexpr int kTimerPreview = 1052;

inline constexpr int kIconNoKeyboard = IDI_NO_KEYBOARD;
inline constexpr int kIconKeyboard = IDI_KEYBOARD;
inline constexpr int kIconActivity = IDI_ACTIVITY;
inline constexpr int kOkCommand = 1;         // the dialog's OK and Cancel
inline constexpr int kCancelCommand = 2;
// The profile menu's items; every command in the range switches profile.
inline constexpr int kLastProfileCommand = 9200;

inline constexpr int kNamedEventCount = 208;
// "Velkor_Event_Main_01" ... "Velkor_Event_Main_208".
std::u16string NamedEventName(int number);

enum class MainMessage { kNotOurs, kIgnored, kInit, kOpen, kKill, kLoadProfile, kCloseEditors, kBankLed };
// One of the window's own messages with its tag, or kIgnored for the right
// number with another tag (GS takes any), or kNotOurs.
MainMessage ClassifyMainMessage(uint32_t message, uint64_t wparam);

struct PreTranslateDecision {
  bool apply_first = false;  // run Apply, then go on
  bool swallow = false;      // the dialog never sees the message
};
// For every queued message before dispatch: 0x001E for the main window
// applies first; Enter and Escape never reach the dialog (neither closes nor
// applies anything); the arrow keys don't while the effect list has the focus.
PreTranslateDecision PreTranslate(uint32_t message, uint64_t wparam, bool for_main_window,
                                  bool effect_list_focused);

enum class MainCommand {
  kNone,
  kOk,
  kCancel,
  kApply,
  kRestoreDefaults,
  kButtonMenu,
  kHelp,
  kMinimize,
  kExitProgram,      // the close control, tray "exit"
  kCloseProgram,     // 32779: another process ends the program; nobody is asked
  kOpenLink,
  kProfileManager,
  kBankIndicator,    // shows the bank only
  kProfileMenu,
  kDeviceCommand,
  kOpenWindow,
  kAbout,
  kImport,
  kExport,
  kFirmwareUpdate,
  kSwitchProfile,
  kSwitchLanguage,   // 32784 English, 32785 Chinese; no menu has them
  kProfileButton,    // profile buttons 1..3: profile 0..2
  kReportRate,       // report-rate buttons: index 0..3
  kFlip,             // either flip button
  kLamp,             // the lighting panel's switch
};
struct RoutedCommand {
  MainCommand command = MainCommand::kNone;
  int profile = 0;  // kSwitchProfile: id - 9001 (the default profile item gives -1)
  int language = 0;  // kSwitchLanguage: 0 English, 1 Chinese
  int rate = 0;      // kReportRate: 0..3
};
RoutedCommand RouteMainCommand(int id);

// The first non-client paints of the hidden window hide it again, so that
// nothing makes it flash up during the start. A deliberate show ends the
// countdown: the window's own loop never shows it, so the paints that count
// would otherwise be those of the first show a person asked for.
class NcPaintCountdown {
 public:
  void Stop() { left_ = 0; }
  // True while the countdown runs: the window is hidden instead of painted.
  bool HideInsteadOfPaint() {
    if (left_ <= 0) return false;
    --left_;
    return true;
  }

 private:
  int left_ = 2;
};

// The notification-area image: mode 0 with an icon id shows it and keeps it
// as the base image, mode 0 with 0 shows the base image again, mode 1 shows
// the activity image. An image already shown is not set again.
class TrayImage {
 public:
  // The resource to show, or nothing when it shows already.
  std::optional<int> Set(int mode, int icon_id);
  void Reset(int shown) { shown_ = base_ = shown; }
  int shown() const { return shown_; }

 private:
  int base_ = 0;
  int shown_ = 0;
};

enum class TrayMouseAction { kNone, kMenu, kOpen, kMarkPending };
TrayMouseAction OnTrayMouse(uint32_t icon_id, uint32_t mouse_message, bool has_click_command);

struct MenuLabel {
  int position = 0;
  int command = 0;
  std::u16string text;
};
// The tray menu's relabelling (positions 0..2 from MENU_11/22/33); none
// without a selected language, so the resource texts stay.
std::vector<MenuLabel> TrayMenuLabels(const std::optional<TrayMenuTexts>& texts);
// The button menu's relabelling in its order: import, export, then position
// 2 (the separator) becomes About; the tries at positions 3 and 4 change
// nothing in a three-item menu but are kept in order.
std::vector<MenuLabel> ButtonMenuLabels(const std::optional<ButtonMenuTexts>& texts);

// G-key captions for bank 0 (A1..A5) or 1 (B1..B5); G6..G9 have none.
std::u16string GKeyCaption(int bank, int g_index);

enum class ExitOrigin { kPerson, kOtherProcess };
enum class ExitStep { kExitNow, kAskFirst, kAfterJob };
// A person who ends the program with edits not applied is asked first; an
// end asked for by another process never waits for a person. A keyboard job
// in progress is let finish first (the keyboard is never left mid-transfer).
ExitStep DecideExit(ExitOrigin origin, bool pending_changes, bool job_running);

// The pending-changes flag and the one keyboard job at a time. The flag is
// read by the keyboard thread (a profile switch asks about unapplied edits);
// it is written on the window's thread only.
class ApplyState {
 public:
  bool pending() const { return pending_.load(); }
  // An edit (true) or a state that has nothing more to send (false).
  void SetPending(bool pending) {
    pending_.store(pending);
    ++serial_;
  }
  uint64_t serial() const { return serial_; }
  // A keyboard job starts, or is refused while another runs.
  bool BeginJob() {
    if (job_running_) return false;
    job_running_ = true;
    return true;
  }
  void EndJob() { job_running_ = false; }
  bool job_running() const { return job_running_; }
  // The job sent everything that was pending when it started: the flag
  // clears only if nothing was edited since.
  void ClearIfUnchangedSince(uint64_t serial) {
    if (serial_ == serial) pending_.store(false);
  }

 private:
  std::atomic<bool> pending_{false};
  uint64_t serial_ = 0;
  bool job_running_ = false;
};

}  // namespace velkor
