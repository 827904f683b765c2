// The whole-program test driver: starts the program beside the test and
// drives it from outside, with the same messages a click, the tray icon or a
// second start send, and reads back what a person would see (control texts
// and states, the tray icon, message boxes, dialogs, popup menus).
//
// The program's side of this: its main window is a top-level dialog whose
// GWLP_USERDATA holds the main-window marker and whose properties publish
// "ready" and the tray icon's state; every user action is a command id.
//
// Every wait polls its condition with a bound; nothing here sleeps for a
// fixed time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/program_messages.h"
#include "tests/windows/process_driver.h"

namespace velkor::testing {

// The messages and values the program answers from outside.
inline constexpr UINT kDriverShowMessage = kMsgShowWindow;
inline constexpr WPARAM kDriverShowTag = kShowWindowTag;
inline constexpr UINT kDriverEndMessage = kMsgKillProgram;
inline constexpr WPARAM kDriverEndTag = kKillProgramTag;
inline constexpr UINT kDriverTrayCallback = kTrayCallbackMessage;
inline constexpr WPARAM kDriverTrayIconId = kTrayIconId;
inline constexpr uint32_t kDriverMainMarker = kMainWindowMarker;
// The static control that carries a message box's text.
inline constexpr int kMessageBoxTextId = 0xFFFF;

struct DriverTrayState {
  UINT icon = 0;  // resource id of the icon shown, 0 when none
  UINT adds = 0;  // successful adds of the icon so far
  std::wstring tip;
  bool operator==(const DriverTrayState&) const = default;
};

struct DriverMenuItem {
  UINT id = 0;
  std::wstring text;  // as in the menu, with its '&' mnemonics and any "\t" accelerator
  bool is_default = false;
  bool checked = false;
  bool separator = false;
  bool enabled = true;
  bool submenu = false;
};

// What an open popup menu gave away. Reading the items needs the menu's
// handle to be usable from this process, which not every system allows.
struct DriverPopupMenu {
  HWND window = nullptr;        // the "#32768" window
  HMENU menu = nullptr;         // its menu (MN_GETHMENU), null when not answered
  bool items_readable = false;  // whether items below could be read
  std::vector<DriverMenuItem> items;
};

class AppDriver {
 public:
  AppDriver() = default;
  ~AppDriver();  // ends the program if it still runs (asks, then terminates after a bounded wait)
  AppDriver(const AppDriver&) = delete;
  AppDriver& operator=(const AppDriver&) = delete;

  // Starts PROGRAM (beside the test executable) with the arguments and waits
  // up to timeout_ms for its marked main window to say it is ready. False
  // when it did not start, ended early or was not ready in time; the process
  // is kept either way, so exit code and windows can still be looked at.
  // A driver whose program still runs does not start another one.
  bool Start(const std::wstring& arguments = L"", const std::wstring& program = L"Velkor.exe",
             DWORD timeout_ms = 20000);
  // Asks the program to end (the end message to its main window), waits up
  // to timeout_ms, then terminates it. True when it ended by itself.
  bool End(DWORD timeout_ms = 10000);

  DWORD process_id() const { return process_.id(); }
  // The marked main window (found again when the one known is gone).
  HWND main_window() const;
  bool running() const;
  bool WaitReady(DWORD timeout_ms);
  bool WaitExit(DWORD timeout_ms) const { return process_.WaitForExit(timeout_ms); }
  // The exit code, or STILL_ACTIVE while the program runs.
  DWORD ExitCode() const { return process_.ExitCode(); }

  // A command as a click sends it: WM_COMMAND with BN_CLICKED, to the main
  // window. SendCommand returns once the command was handled (false after
  // timeout_ms): post commands that open a message box or a menu instead.
  bool PostCommand(int id);
  bool SendCommand(int id, DWORD timeout_ms = 5000);
  bool Post(UINT message, WPARAM wparam, LPARAM lparam);
  // The tray icon's callback, as the shell sends it (WM_RBUTTONUP, WM_LBUTTONDBLCLK ...).
  bool PostTrayMouse(UINT mouse_message) { return Post(kDriverTrayCallback, kDriverTrayIconId, mouse_message); }
  bool PostShow() { return Post(kDriverShowMessage, kDriverShowTag, 0); }
  // True when the main window answered a harmless message within timeout_ms;
  // elapsed_ms gets how long it took (the whole timeout when it did not answer).
  bool Answers(DWORD timeout_ms, DWORD* elapsed_ms = nullptr);

  // Controls of the main window (GetDlgItem). Visible and enabled are the
  // control's own flags, so they can be read while the main window is hidden.
  // A missing control is empty, invisible, disabled and unchecked.
  std::wstring ControlText(int id);
  bool ControlVisible(int id);
  bool ControlEnabled(int id);
  bool ControlChecked(int id);
  bool HasControl(int id);
  // A control of the main window, for messages a test sends it itself.
  HWND Control(int id);
  bool MainVisible();
  DriverTrayState Tray();

  // Message boxes: top-level dialogs of the program other than the main
  // window that hold a text and nothing but message-box controls.
  HWND FindMessageBox();
  bool WaitMessageBox(DWORD timeout_ms, std::wstring* text = nullptr);
  // Presses that button of the open message box and waits (bounded) for the
  // box to close. False when no box is open or it has no such button.
  bool AnswerMessageBox(int button_id, DWORD timeout_ms = 5000);

  // Top-level dialogs of the program other than the main window holding a
  // control of that id (the about box holds 1206).
  int CountDialogsWithControl(int control_id, bool visible_only = true);
  // The first visible one of them, or nullptr.
  HWND FindDialogWithControl(int control_id);
  // The program's open file dialog (its file-name field cmb13 or edt1): the
  // name typed into that field and its OK pressed; true once it closed.
  bool AnswerFileDialog(const std::wstring& name, DWORD timeout_ms = 15000);

  // Popup menus ("#32768" windows of the program). WaitPopupMenu is true
  // once one is open; asked for the items too, it is true only when they
  // could be read from here. Another process cannot read a menu's items
  // under Wine (GetMenuItemCount fails on the handle MN_GETHMENU gives);
  // PopupMenu() tells which case it is, and the keys below choose items
  // through the menu's own handling either way.
  HWND FindPopupMenu();
  bool WaitPopupMenu(DWORD timeout_ms, std::vector<DriverMenuItem>* items = nullptr);
  std::optional<DriverPopupMenu> PopupMenu();
  // Closes the open popup menu without choosing (WM_CANCELMODE to its owner,
  // then Escape); true once no popup menu of the program is open.
  bool ClosePopupMenu(DWORD timeout_ms = 5000);
  // Chooses an item: closes the menu, then posts the item's command to the
  // menu's owner, as choosing it does. Where the items can be read, false for
  // an id that is no enabled command of the menu.
  bool ChooseMenuItem(UINT id, DWORD timeout_ms = 5000);
  // Keys to the open popup menu, as a person types them: a virtual key
  // (VK_DOWN, VK_RETURN, VK_ESCAPE ...) or an item's underlined letter. The
  // menu's own handling chooses the item, so these work where the items
  // cannot be read.
  bool PressMenuKey(WORD virtual_key);
  bool TypeMenuMnemonic(wchar_t letter);

  // Polls condition until it is true or timeout_ms pass.
  template <class F>
  bool WaitFor(F condition, DWORD timeout_ms) {
    return WaitUntil(condition, timeout_ms);
  }

 private:
  template <class F>
  void ForEachTopDialog(F f);

  ChildProcess process_;
  mutable HWND main_ = nullptr;
};

// Reads a menu of this or (where the system allows it) another process.
// Empty when the handle is unusable here.
std::optional<std::vector<DriverMenuItem>> ReadMenuItems(HMENU menu);

// kbemu.exe beside the test: what it printed; exit_code gets its exit code.
// A window's text through WM_GETTEXT (the live text, also of another
// process's edit controls); the text the window manager keeps when the
// window does not answer.
std::wstring WindowText(HWND window);

// No program left running, and the emulated keyboard attached in its
// factory state with no faults.
void EndProgramsAndResetKeyboard();

std::string Kbemu(const std::wstring& arguments, DWORD* exit_code = nullptr);
bool KbemuClearLog();

// One request the emulator logged: "#N > NAME len=L addr=A | 64 hex bytes".
struct KbemuRequest {
  std::string name;
  std::vector<uint8_t> bytes;
  uint8_t command() const { return bytes.size() > 3 ? bytes[3] : 0; }
};
// The requests among the last 4000 lines of the emulator's log.
std::vector<KbemuRequest> KbemuRequests();
// The request lines of a log; lines of other kinds and malformed ones are skipped.
std::vector<KbemuRequest> ParseKbemuRequests(const std::string& log);

}  // namespace velkor::testing
