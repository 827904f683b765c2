// The main window: a skinned dialog on template 102 that lives hidden in the
// notification area, follows the keyboard as it comes and goes, shows the
// keyboard picture on request, applies edits and ends the program through one
// routine. Long keyboard work runs on the keyboard thread (DeviceWorker); the
// window only starts it, shows the busy picture and takes the result.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/device_worker.h"
#include "app/keyboard_panel.h"
#include "app/main_window_rules.h"
#include "app/presence.h"
#include "app/win32/keyboard_panel.h"
#include "app/win32/small_dialogs.h"
#include "editors/win32/key_editor.h"
#include "editors/win32/lighting_panel.h"
#include "editors/win32/profile_dlg.h"
#include "editors/win32/update_dlg.h"
#include "model/key_summary.h"
#include "model/lighting_operations.h"
#include "model/lighting_preview.h"
#include "model/profile_operations.h"
#include "model/profiles.h"
#include "platform/win32/handles.h"
#include "ui/win32/base_dialog.h"
#include "ui/win32/skinned_controls.h"
#include "ui/win32/tray_icon.h"

namespace velkor {

inline constexpr UINT kMainDialogTemplate = 102;

class CVelkorDlg : public CBaseDialog {
 public:
  CVelkorDlg();
  ~CVelkorDlg() override;

  bool pending_changes() const { return apply_.pending(); }
  // The pending-changes flag and the Apply control together.
  void SetPendingChanges(bool pending);

  // Ends the program: a person with unapplied edits is asked first; another
  // process's request never waits for a person.
  void ExitProgram(ExitOrigin origin);
  bool Shutdown();
  // A keyboard job still runs (the program then ends without waiting for it).
  bool keyboard_busy() const { return worker_ && worker_->pending() > 0; }

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) override;
  bool OnCommand(int id, int notification) override;
  void OnOK() override;
  void OnCancel() override;
  bool PreTranslateMessage(MSG& msg) override;
  void PaintOver(HDC dc) override;

 private:
  class Presence;
  class Ui;
  class Events;
  class Panel;
  friend class Presence;
  friend class Ui;
  friend class Events;
  friend class Panel;

  enum class Job { kApply, kImport, kSwitchProfile, kDeviceCommand, kManagerApply };

  void BindDeviceLink();
  // A device-count event: the presence steps run on the keyboard thread.
  void StartPresence(int count);
  void ShowMainWindow();
  void HideMainWindow();
  void Apply();
  void RestoreDefaults();
  void OpenHelp();
  void ShowAbout();
  void ShowButtonMenu();
  void ShowProfileMenu();
  void ShowTrayMenu();
  void TrackMenuAtCursor(HMENU menu, bool foreground);
  std::optional<std::u16string> ChooseProfileFile(bool save);
  void Import();
  void Export();
  void OpenKeyEditor(int control, const KeyClickAction& click);
  void MakeDialogs();
  // The profile manager's Apply: the list into the settings, then the
  // keyboard's profile and a reload on the keyboard thread. False when a
  // keyboard job runs already (nothing was done).
  bool ApplyProfileList(const std::vector<ProfileRow>& rows, int profile);
  void OnKeyClick(int control, const KeyClickAction& click);
  bool LampOn() const;
  void ToggleLamp();
  void TurnLampOn();
  LightingPanel& LightingPanelView() { return lighting_view_->panel(); }
  // The preview's timer runs while a person can see it: the window shown
  // and the lamp on.
  bool PreviewVisible();
  void SetReportRate(int index);
  // The preview starts the selected effect afresh: marked for
  // re-initialisation, one frame at once, the next in 100 ms.
  void RestartPreview();
  void DrawPreviewFrame(bool tick);
  // The keyboard for one of the window's own lighting operations: empty
  // (nothing to do now) while the keyboard thread reads or writes it, or a
  // job waits for it. The window never waits for the keyboard thread.
  std::unique_lock<std::mutex> TryKeyboard();
  bool KeyboardBusy();
  void CloseEditors();
  void OnTrayMouse(UINT mouse_message);
  void SetTrayImage(int mode, int icon_id);
  void OnInit();
  void OnLoadProfile();
  void ShowCurrentBank();
  // The G-key bank on show: bit 0 of the bank flags the keyboard was sent.
  int BankOnShow() const;
  void ShowBank();
  void RefreshLanguageTexts();
  void SwitchLanguage(int language);
  void RebuildProfileMenu();
  // Starts a keyboard job; false when another one runs.
  bool StartJob(Job job, std::function<bool()> work);
  void OnJobDone(Job job, bool succeeded);
  void ShowBusy(bool on);
  void FinishExit();
  std::u16string Text(LangKey key) const;
  // The window handle for other threads (set once it exists).
  HWND window() const { return window_.load(); }
  // Shown later by the window's thread; never waits.
  void PostText(const std::u16string& text);
  void Tell(const std::u16string& text);
  void SwitchProfile(int profile);
  // The owner is the main window unless another window asks.
  bool Ask(const std::u16string& question, bool yes_default, HWND owner = nullptr);

  SkinnedControls controls_;
  HICON icon_ = nullptr;
  std::unique_ptr<Profiles> profiles_;
  std::unique_ptr<ProfileFolder> folder_;
  std::unique_ptr<Ui> ui_;
  std::unique_ptr<ProfileOperations> operations_;
  std::unique_ptr<Presence> presence_host_;
  std::unique_ptr<Events> events_;
  std::unique_ptr<CKeyboardPanel> panel_;
  std::unique_ptr<Panel> panel_host_;
  std::unique_ptr<CLightingPanel> lighting_view_;
  std::unique_ptr<LightingOperations> lighting_;
  LightingPreview preview_;
  ClockSeededPreviewRandom preview_random_;
  PreviewFrame preview_frame_;
  // The lamp goes on once the keyboard's profile was selected again.
  bool lamp_on_after_switch_ = false;
  // A profile button's switch: a refused one takes the lighting back.
  bool profile_button_switch_ = false;
  // One side talks to the keyboard at a time, so that no access of one is
  // closed by the other: the keyboard thread for a whole job or presence
  // run, the window for one lighting operation. While a presence run waits
  // for the window to load the profile, the window reads on its behalf.
  std::mutex keyboard_session_;
  // Never destroyed: a job still running when the program ends is cut off
  // by the end of the process, never waited for by this thread.
  DeviceWorker* worker_ = nullptr;
  PresenceState presence_;

  ApplyState apply_;
  std::atomic<HWND> window_{nullptr};
  std::atomic<bool> ready_{false};
  std::atomic<bool> ending_{false};
  // A keyboard is being read; a show request meanwhile waits for it.
  std::atomic<bool> arriving_{false};
  bool show_when_read_ = false;
  std::optional<ExitOrigin> exit_after_job_;
  bool exit_if_applied_ = false;
  bool exit_question_open_ = false;
  bool shut_down_ = false;

  NcPaintCountdown nc_paint_;
  CTrayIcon tray_;
  TrayImage tray_image_;
  HMENU profile_menu_ = nullptr;
  CAboutDlg about_;
  std::unique_ptr<Velkor_DlgComposite> key_editor_;
  std::unique_ptr<CVelkor_DlgProfile> profile_dlg_;
  std::unique_ptr<CVelkor_DlgUpdate> update_dlg_;
  std::vector<UniqueHandle> named_events_;
  std::u16string link_;
  std::vector<HBITMAP> busy_frames_;
  int busy_frame_ = 0;
  int last_session_event_ = 0;
};

}  // namespace velkor
