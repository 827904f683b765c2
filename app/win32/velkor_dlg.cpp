#include "app/win32/velkor_dlg.h"

#include <commdlg.h>
#include <windowsx.h>
#include <shellapi.h>
#include <wtsapi32.h>

#include <mutex>

#include "app/single_instance.h"
#include "app/win32/app_settings.h"
#include "app/win32/app_state.h"
#include "app/win32/menus.h"
#include "app/keyboard_panel.h"
#include "device/hid_service/binding.h"
#include "model/key_codes.h"
#include "model/profile_image.h"
#include "editors/update_rules.h"
#include "platform/text.h"
#include "platform/win32/known_folders.h"
#include "platform/win32/library_loader.h"
#include "platform/win32/wide.h"
#include "resources/resource.h"
#include "ui/win32/file_dialogs.h"

namespace velkor {

namespace {

// Messages inside the program: from the keyboard thread and the service
// library's thread to the window. Posted ones carry everything they need;
// sent ones are sent only from the keyboard thread, with no lock held.
constexpr UINT kMsgJobDone = WM_APP + 1;       // wParam: job, lParam: succeeded
constexpr UINT kMsgSetPending = WM_APP + 2;    // wParam: pending, lParam: serial the job started with
constexpr UINT kMsgPostedText = WM_APP + 3;    // lParam: std::u16string* to show and delete
constexpr UINT kMsgTrayImage = WM_APP + 4;     // wParam: mode, lParam: icon id
constexpr UINT kMsgLightingChanged = WM_APP + 5;
constexpr UINT kMsgShowBank = WM_APP + 6;
constexpr UINT kMsgRebuildMenu = WM_APP + 9;
constexpr UINT kMsgHide = WM_APP + 10;
constexpr UINT kMsgPresenceDone = WM_APP + 11;
constexpr UINT kMsgProfileButtonSwitch = WM_APP + 12;  // wParam: profile
constexpr UINT kMsgManagerCheckRow = WM_APP + 13;      // wParam: row

constexpr UINT_PTR kTimerBusyEnd = 1053;  // the busy picture lingers 100 ms after a job
constexpr UINT kSysAbout = 16;

// The keyboard thread's waits for the window are bounded: a window that
// has gone never holds the keyboard thread.
constexpr UINT kSendBoundMs = 30000;
// A job whose result replaces the whole image clears the pending flag
// whatever was edited before.
constexpr uint64_t kAnySerial = ~0ull;

// What tests and other programs read from outside: 1 once start-up is over.
constexpr wchar_t kReadyProperty[] = L"VelkorReady";

}  // namespace

// The profile operations' window side. The operations run on the keyboard
// thread: what they show is posted, and the one question they ask was asked
// on the window's thread before the job started, so neither thread waits for
// the other or for a person.
class CVelkorDlg::Ui : public ProfileUi {
 public:
  explicit Ui(CVelkorDlg& dlg) : dlg_(dlg) {}
  void ShowCurrentBank(int) override { PostMessageW(dlg_.window(), kMsgShowBank, 0, 0); }
  void SetApplyEnabled(bool enabled) override {
    PostMessageW(dlg_.window(), kMsgSetPending, enabled ? 1 : 0, static_cast<LPARAM>(job_serial.load()));
  }
  // On the keyboard thread a message is posted, never waited for: the
  // keyboard thread must not wait for a person.
  void ShowMessage(const std::u16string& text) override {
    if (dlg_.worker_ && dlg_.worker_->OnWorkerThread()) {
      dlg_.PostText(text);
    } else {
      dlg_.Tell(text);
    }
  }
  // The question a job may ask was asked on the window's thread before the
  // job started; the job gets that answer.
  bool AskYesNo(const std::u16string& question) override {
    if (dlg_.worker_ && dlg_.worker_->OnWorkerThread()) return answer.load();
    return dlg_.Ask(question, false);
  }
  bool CompositeDialogOpen() override { return composite_open.load(); }
  bool MainHasUnappliedChanges() override { return dlg_.apply_.pending(); }
  bool ManagerHasUnappliedChanges() override { return dlg_.profile_dlg_ && dlg_.profile_dlg_->changed(); }
  bool ManagerOpen() override { return dlg_.profile_dlg_ && dlg_.profile_dlg_->open_count() > 0; }
  void ManagerCheckRow(int row) override {
    PostMessageW(dlg_.window(), kMsgManagerCheckRow, static_cast<WPARAM>(row), 0);
  }
  bool RunMainApply() override {
    // Already on the keyboard thread, in the job that asked.
    return dlg_.operations_->Apply();
  }
  void RebuildProfileMenu() override { PostMessageW(dlg_.window(), kMsgRebuildMenu, 0, 0); }

  std::atomic<uint64_t> job_serial{0};
  std::atomic<bool> answer{false};
  // The key editor runs: a profile switch would change the keys under it.
  std::atomic<bool> composite_open{false};

 private:
  CVelkorDlg& dlg_;
};

// The presence steps' device and window side, on the keyboard thread.
class CVelkorDlg::Presence : public PresenceHost {
 public:
  explicit Presence(CVelkorDlg& dlg) : dlg_(dlg) {}
  bool ReadDefaultLayout() override {
    return dlg_.profiles_->ReadDefaultLayout(*App().commands) == kSuccess;
  }
  void ReportDefaultLayoutUnreadable() override { dlg_.PostText(dlg_.Text(LangKey::MAIN_DEFAULT_MATRIX_PROMPT)); }
  void ReadConfigBlock() override {
    ConfigBlock block{};
    if (App().commands->ReadConfigBlock(block.data()) == kSuccess) dlg_.profiles_->AdoptConfigBlock(block);
  }
  void LoadActiveProfile() override {
    dlg_.operations_->ReloadFromKeyboard(false);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(dlg_.window(), kMsgLoadProfile, kLoadProfileTag, 0, SMTO_NORMAL, kSendBoundMs, &answer);
  }
  void ForgetActiveProfile() override { App().commands->ForgetActiveProfile(); }
  void CloseEditors() override {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(dlg_.window(), kMsgCloseEditors, 0, 0, SMTO_NORMAL, kSendBoundMs, &answer);
  }
  void HideMainWindow() override { PostMessageW(dlg_.window(), kMsgHide, 0, 0); }
  bool WaitUntilReady() override {
    while (!dlg_.ready_.load()) {
      if (dlg_.ending_.load()) return false;
      Sleep(50);
    }
    return !dlg_.ending_.load();
  }
  void SetTrayIcon(int resource) override { PostMessageW(dlg_.window(), kMsgTrayImage, 0, resource); }
  void OpenMainWindow() override { PostMessageW(dlg_.window(), kMsgShowWindow, kShowWindowTag, 0); }

 private:
  CVelkorDlg& dlg_;
};

// The keyboard's own events, on the service library's thread: each is
// recorded and posted, never waited for.
class CVelkorDlg::Events : public TransportListener {
 public:
  explicit Events(CVelkorDlg& dlg) : dlg_(dlg) {}
  void OnBankSwitched(uint8_t) override { PostMessageW(dlg_.window(), kMsgBankLed, kBankLedTag, 0); }
  void OnLightingChangedOnKeyboard() override { PostMessageW(dlg_.window(), kMsgLightingChanged, 0, 0); }
  void OnActivity(bool active) override {
    // A device event shows the activity image; the next one the base image.
    PostMessageW(dlg_.window(), kMsgTrayImage, active ? 1 : 0, 0);
  }
  void OnDeviceCountChanged(int count) override { dlg_.StartPresence(count); }

 private:
  CVelkorDlg& dlg_;
};

// What the buttons around the keyboard picture ask of the window, on the
// window's thread.
class CVelkorDlg::Panel : public KeyboardPanelHost {
 public:
  explicit Panel(CVelkorDlg& dlg) : dlg_(dlg) {}

  void SetLightingProfile(int profile) override { dlg_.lighting_->SetProfile(profile); }
  void LoadLighting(bool with_user_modes) override { dlg_.lighting_->LoadLighting(with_user_modes); }
  bool UserModesSupported() override { return dlg_.lighting_->state().effects.Contains(kUserDefinedEffect); }
  void ReloadUserModes() override {
    dlg_.LightingPanelView().ShowUserModeNames(dlg_.lighting_->UserModeNames());
    dlg_.lighting_->LoadUserMode();
  }
  void RebuildLightingPanel() override { dlg_.LightingPanelView().RebuildPanel(); }
  bool PanelSwitchOn() override { return dlg_.LampOn(); }
  void TurnPanelSwitchOff() override {
    if (dlg_.LampOn()) dlg_.ToggleLamp();
  }
  void RestoreLightingDefaults() override {
    if (auto session = dlg_.TryKeyboard()) {
      dlg_.lighting_->RestoreDefaults();
      // Effect 1 was selected: the panel shows it and its preview starts
      // afresh, as any selection's.
      dlg_.LightingPanelView().RebuildPanel(true);
    }
  }
  int KeyboardProfile() override { return App().commands->cached_active_profile(); }
  // After the button's lighting steps have let the keyboard go: the switch
  // may ask to save edits first.
  void SwitchProfile(int profile) override {
    PostMessageW(dlg_.window(), kMsgProfileButtonSwitch, static_cast<WPARAM>(profile), 0);
  }
  void ShowProfileChecks(int profile) override { dlg_.panel_->ShowProfileChecks(profile); }
  bool AskRestoreDefaults() override {
    const bool yes = dlg_.Ask(dlg_.Text(LangKey::MAIN_PROMPT_DEFAULT), false);
    // A keyboard job that started meanwhile, or the end of the program, wins:
    // the restore would be half done.
    return yes && !dlg_.shut_down_ && !dlg_.KeyboardBusy();
  }
  void ClearVisibleAssignments() override {
    std::lock_guard working(App().locks.working());
    const int profile = App().commands->cached_active_profile();
    velkor::ClearVisibleAssignments(dlg_.profiles_->working, profile < 0 ? 0 : profile, dlg_.BankOnShow(),
                                    App().language.get(), *dlg_.panel_);
  }
  void Apply() override { dlg_.Apply(); }


 private:
  CVelkorDlg& dlg_;
};

CVelkorDlg::CVelkorDlg()
    : CBaseDialog(kMainDialogTemplate, nullptr, App().ini, App().facts.main_skin, App().facts.main_skin_folder),
      controls_(SkinPlanOf(SkinWindow::kMain)),
      about_(App().language.get()) {
  icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_NO_KEYBOARD));
  profiles_ = std::make_unique<Profiles>(App().locks);
  // A profile folder made now gets the lighting files too.
  folder_ = std::make_unique<ProfileFolder>(DocumentsFolder(), [](const std::u16string&) {
    SeedUserModeFiles(App().ini, LightingFilesFor(DocumentsFolder(), App().facts.skin_colour_file_prefix));
  });
  ui_ = std::make_unique<Ui>(*this);
  panel_ = std::make_unique<CKeyboardPanel>(*this, controls_, [this] { SetPendingChanges(true); });
  panel_host_ = std::make_unique<Panel>(*this);
  CLightingPanel::Hooks hooks;
  hooks.show_current_bank = [this] { ShowCurrentBank(); };
  hooks.restart_preview = [this] { RestartPreview(); };
  hooks.effect_names = [](const EffectList& effects) {
    return EffectNames(App().ini, App().facts.main_skin, App().language ? App().language->language() : 0, effects);
  };
  lighting_view_ = std::make_unique<CLightingPanel>(*this, *panel_, std::move(hooks), [this] { return TryKeyboard(); });
  presence_host_ = std::make_unique<Presence>(*this);
  events_ = std::make_unique<Events>(*this);
}

CVelkorDlg::~CVelkorDlg() {
  if (App().transport) App().transport->SetListener(nullptr);
  if (profile_menu_) DestroyMenu(profile_menu_);
  for (HBITMAP b : busy_frames_) DeleteObject(b);
}

std::u16string CVelkorDlg::Text(LangKey key) const {
  return std::u16string(TextOrBuiltIn(App().language.get(), key));
}

void CVelkorDlg::PostText(const std::u16string& text) {
  auto owned = std::make_unique<std::u16string>(text);
  if (PostMessageW(window(), kMsgPostedText, 0, reinterpret_cast<LPARAM>(owned.get()))) owned.release();
}

void CVelkorDlg::Tell(const std::u16string& text) {
  MessageBoxW(hwnd(), W(text), L"", MB_OK);
}

bool CVelkorDlg::Ask(const std::u16string& question, bool yes_default, HWND owner) {
  return MessageBoxW(owner ? owner : hwnd(), W(question), L"", MB_YESNO | (yes_default ? MB_DEFBUTTON1 : MB_DEFBUTTON2)) == IDYES;
}

void CVelkorDlg::StartPresence(int count) {
  if (!worker_) return;
  HWND w = window();
  worker_->Post([this, w, event_count = count] {
    // Events can be queued out of order with the first count: the count as
    // it is now is what this step acts on.
    const int now = App().transport ? App().transport->DeviceCount() : event_count;
    const int count = now >= 0 ? now : event_count;
    // A request to show the window while a keyboard is being read waits for
    // the outcome rather than telling the person there is no keyboard.
    arriving_.store(count > 0 && count != presence_.count.load());
    ui_->job_serial.store(kAnySerial);
    {
      std::lock_guard session(keyboard_session_);
      RunPresence(count, presence_, *presence_host_);
    }
    arriving_.store(false);
    PostMessageW(w, kMsgPresenceDone, 0, 0);
  });
}

void CVelkorDlg::BindDeviceLink() {
  AppState& app = App();
  // Without its service library the program can do nothing: it ends quietly.
  Win32ModuleLoader loader(L"Ostrel.dll");
  const std::optional<HidServiceApi> api = BindHidService(loader);
  if (!api) ExitProcess(0);
  app.transport = std::make_unique<Transport>(*api);
  app.commands = std::make_unique<DeviceCommands>(*app.transport);
  app.commands->ForgetActiveProfile();
  operations_ = std::make_unique<ProfileOperations>(*profiles_, app.locks, *app.commands, *folder_, *ui_,
                                                    app.language.get());
  lighting_ = std::make_unique<LightingOperations>(
      *app.commands, app.ini, LightingFilesFor(DocumentsFolder(), app.facts.skin_colour_file_prefix), LightingPanelView());
  LightingPanelView().Bind(lighting_.get());
  worker_ = new DeviceWorker();
  app.transport->SetListener(events_.get());
  app.transport->StartInterfaceReads();
  const int count = app.transport->DeviceCount();
  StartPresence(count);
  if (count == 0) presence_.auto_show.store(1);
}

BOOL CVelkorDlg::OnInitDialog() {
  HWND w = hwnd();
  window_.store(w);
  AppState& app = App();
  presence_.auto_show.store(app.auto_show.load());

  // 1. The skinned base: size, shape and background.
  CBaseDialog::OnInitDialog();

  // 2. The system menu's About item.
  if (GetWindowLongPtrW(w, GWL_STYLE) & WS_SYSMENU) {
    wchar_t about[128] = {};
    if (HMENU system = GetSystemMenu(w, FALSE); system && LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUT_ITEM, about, 128) > 0) {
      AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
      AppendMenuW(system, MF_STRING, kSysAbout, about);
    }
  }

  // 3. Icons.
  if (icon_) {
    SendMessageW(w, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(w, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  }

  // 4. Not ready until INIT; no active profile known.
  ready_.store(false);

  // 10-11 come first: the first presence step, started next, loads the
  // active profile on the keyboard thread, and must find the image empty,
  // not have its load emptied afterwards.
  {
    std::lock_guard working(app.locks.working());
    profiles_->working.Empty();
  }
  SetPendingChanges(false);

  // 5-7. The device link, its reads and the first presence step.
  BindDeviceLink();

  // 8. The layered-window function must exist, as on every supported system.
  {
    HMODULE user32 = LoadLibraryW(L"User32.dll");
    if (!user32 || !GetProcAddress(user32, "SetLayeredWindowAttributes")) ExitProcess(0);
  }

  // 9. The text slots come with the working image.

  // 12-15. The skin's images (a missing one ends the program), the web
  // address, the key buttons and every skinned control in order.
  link_ = skin().Link();
  controls_.Apply(*this, [](std::u16string_view key) { return KeyTextOrEmpty(App().language.get(), key); });
  if (CPngButton* link = controls_.Button(IDC_MAIN_LINK)) SetWindowTextW(link->hwnd(), W(link_));
  for (int g = 1; g <= kGKeyCount; ++g) {
    SetDlgItemTextW(w, GKeyControl(g), W(GKeyCaption(0, g - 1)));
  }
  panel_->Attach();
  lighting_view_->Attach();
  MakeDialogs();
  panel_->ShowLamp(lighting_->ReadPanelSwitch());

  // 16. The busy picture's frames.
  for (int i = 1; i <= 10; ++i) {
    const std::u16string path = skin_folder() + u"jdt" + Utf8ToUtf16(std::to_string(i)) + u".bmp";
    if (HANDLE b = LoadImageW(nullptr, W(path), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)) {
      busy_frames_.push_back(static_cast<HBITMAP>(b));
    }
  }
  ShowBusy(false);

  // 17. Out of the task bar while hidden; other instances find it by its marker.
  LONG_PTR ex = GetWindowLongPtrW(w, GWL_EXSTYLE);
  SetWindowLongPtrW(w, GWL_EXSTYLE, (ex & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW)) | WS_EX_TOOLWINDOW);
  SetWindowLongPtrW(w, GWLP_USERDATA, static_cast<LONG_PTR>(kMainWindowMarker));
  SetWindowLongPtrW(w, GWL_STYLE, GetWindowLongPtrW(w, GWL_STYLE) | WS_SYSMENU | WS_MINIMIZEBOX);
  SetWindowTextW(w, W(Text(LangKey::MAIN_CAPTION)));

  // 18. The named events.
  named_events_.reserve(kNamedEventCount);
  for (int n = 1; n <= kNamedEventCount; ++n) {
    named_events_.emplace_back(CreateEventW(nullptr, FALSE, FALSE, W(NamedEventName(n))));
  }

  // 19. The rest of the start once the loop runs.
  PostMessageW(w, kMsgInit, kInitTag, 0);

  // 20. Session notifications when the system has them; texts; the preview timer.
  if (HMODULE wts = LoadLibraryW(L"WtsApi32.dll")) {
    using Register = BOOL(WINAPI*)(HWND, DWORD);
    if (auto reg = reinterpret_cast<Register>(GetProcAddress(wts, "WTSRegisterSessionNotification"))) {
      reg(w, NOTIFY_FOR_THIS_SESSION);
    }
    FreeLibrary(wts);
  }
  RefreshLanguageTexts();
  SetTimer(w, kTimerPreview, 100, nullptr);
  return TRUE;
}

void CVelkorDlg::OnInit() {
  HWND w = hwnd();
  tray_.on_notification = [this](UINT mouse) { OnTrayMouse(mouse); };
  tray_.Create(w, kTrayCallbackMessage, W(Text(LangKey::KEYBOARD_TRAY_DESC)), icon_, kTrayIconId);
  tray_.set_icon_resource(IDI_NO_KEYBOARD);
  tray_.SetClickCommand(IDC_MAIN_PROFILE_MENU);
  tray_image_.Reset(IDI_NO_KEYBOARD);
  profile_menu_ = CreatePopupMenu();
  RebuildProfileMenu();
  ready_.store(true);
  SetPropW(w, kReadyProperty, reinterpret_cast<HANDLE>(1));
  HideMainWindow();
}

void CVelkorDlg::PaintOver(HDC dc) {
  // The focused colour button's ring around it.
  if (lighting_view_) lighting_view_->DrawFocus(dc);
}

void CVelkorDlg::RefreshLanguageTexts() {
  HWND w = hwnd();
  if (LanguageTable* language = App().language.get()) {
    MainWindowLabels labels;
    if (language->ReadMainWindowLabels(labels)) {
      static constexpr int kCaptioned[] = {IDC_MAIN_PROFILE1, IDC_MAIN_PROFILE2, IDC_MAIN_PROFILE3, IDC_MAIN_MACRO,
                                           IDC_MAIN_DEFAULT,  IDOK,              IDCANCEL,          IDC_MAIN_APPLY};
      for (size_t i = 0; i < kMainCaptionCount; ++i) {
        SetDlgItemTextW(w, kCaptioned[i], W(std::u16string(labels.captions[i])));
      }
      const std::pair<int, const std::u16string*> tips[] = {
          {IDC_MAIN_MINIMIZE, &labels.minimise_tip}, {IDC_MAIN_MENU, &labels.menu_tip}, {IDC_MAIN_CLOSE, &labels.close_tip}};
      for (const auto& [id, tip] : tips) {
        if (CPngButton* button = controls_.Button(id)) button->SetTooltip(W(*tip), true);
      }
    }
  }
  const int language = App().language ? App().language->language() : 0;
  panel_->ShowLabels(language);
  lighting_view_->ShowLabels(language);
  // The effects' names are the language's too.
  if (lighting_ && !lighting_->state().effects.empty()) LightingPanelView().RebuildPanel();
  tray_.SetTooltip(W(Text(LangKey::KEYBOARD_TRAY_DESC)));
  RebuildProfileMenu();
  InvalidateRect(w, nullptr, TRUE);
}

void CVelkorDlg::SwitchLanguage(int language) {
  if (!App().language || !App().language->SwitchLanguage(language)) return;
  SetWindowTextW(hwnd(), W(Text(LangKey::MAIN_CAPTION)));
  RefreshLanguageTexts();
}

void CVelkorDlg::SetPendingChanges(bool pending) {
  apply_.SetPending(pending);
  if (HWND apply = GetDlgItem(hwnd(), IDC_MAIN_APPLY)) EnableWindow(apply, pending ? TRUE : FALSE);
}

void CVelkorDlg::ShowMainWindow() {
  HWND w = hwnd();
  if (presence_.count.load() == 0 && arriving_.load()) {
    show_when_read_ = true;
    return;
  }
  if (presence_.count.load() > 0) {
    LONG_PTR ex = GetWindowLongPtrW(w, GWL_EXSTYLE);
    SetWindowLongPtrW(w, GWL_EXSTYLE, (ex & ~static_cast<LONG_PTR>(WS_EX_TOOLWINDOW)) | WS_EX_APPWINDOW);
    nc_paint_.Stop();
    ShowWindow(w, SW_SHOWNORMAL);
    SetForegroundWindow(w);
    if (PreviewVisible()) SetTimer(w, kTimerPreview, 100, nullptr);
  } else {
    Tell(Text(LangKey::MAIN_NO_DEVICE_PROMPT));
  }
}

void CVelkorDlg::HideMainWindow() { ShowWindow(hwnd(), SW_HIDE); }

void CVelkorDlg::ShowBusy(bool on) {
  HWND busy = GetDlgItem(hwnd(), IDC_MAIN_BUSY);
  if (!busy) return;
  if (on) {
    busy_frame_ = 0;
    if (!busy_frames_.empty()) SendMessageW(busy, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(busy_frames_[0]));
    ShowWindow(busy, SW_SHOWNA);
    KillTimer(hwnd(), kTimerBusyEnd);
    SetTimer(hwnd(), kTimerBusyFrame, 50, nullptr);
  } else {
    KillTimer(hwnd(), kTimerBusyFrame);
    ShowWindow(busy, SW_HIDE);
    if (!busy_frames_.empty()) SendMessageW(busy, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(busy_frames_[0]));
  }
}

bool CVelkorDlg::StartJob(Job job, std::function<bool()> work) {
  if (!worker_ || !apply_.BeginJob()) return false;
  const uint64_t serial = apply_.serial();
  ShowBusy(true);
  HWND w = window();
  const bool posted = worker_->Post([this, w, job, serial, work = std::move(work)] {
    ui_->job_serial.store(serial);
    bool ok = false;
    try {
      std::lock_guard session(keyboard_session_);
      ok = work();
    } catch (...) {
      ok = false;
    }
    PostMessageW(w, kMsgJobDone, static_cast<WPARAM>(job), ok ? 1 : 0);
  });
  if (!posted) {
    apply_.EndJob();
    ShowBusy(false);
  }
  return posted;
}

void CVelkorDlg::OnJobDone(Job job, bool succeeded) {
  apply_.EndJob();
  if (job == Job::kSwitchProfile) {
    const bool lamp_on = lamp_on_after_switch_;
    const bool from_button = profile_button_switch_;
    lamp_on_after_switch_ = profile_button_switch_ = false;
    const int profile = App().commands->cached_active_profile();
    if (succeeded) {
      panel_->ShowProfileChecks(profile);
      if (lamp_on && !shut_down_) TurnLampOn();
    } else if (from_button && profile >= 0 && lighting_->state().profile != profile) {
      // The keyboard stays on its profile: so does the lighting, or its
      // next writes would go to a profile the keyboard does not run.
      if (auto session = TryKeyboard()) {
        lighting_->SetProfile(profile);
        lighting_->Reload(false);
      }
    }
  }
  if (job == Job::kManagerApply && !shut_down_) {
    // The keyboard's profile as it is now: its checks and the lighting's
    // profile at once, the lighting read again once the keyboard is free,
    // the menu, and the manager's row.
    const int profile = App().commands->cached_active_profile();
    if (profile >= 0) {
      panel_->ShowProfileChecks(profile);
      if (lighting_) lighting_->SetProfile(profile);
    }
    if (auto session = TryKeyboard()) {
      if (lighting_) lighting_->Reload(true);
    } else if (lighting_) {
      SetTimer(hwnd(), kTimerLightingChanged, 100, nullptr);
    }
    RebuildProfileMenu();
    if (profile_dlg_) profile_dlg_->ApplyFinished(succeeded, profile);
  }
  SetTimer(hwnd(), kTimerBusyEnd, 100, nullptr);
  const std::optional<ExitOrigin> waiting = exit_after_job_;
  exit_after_job_.reset();
  const bool exit_apply = exit_if_applied_ && job == Job::kApply;
  if (exit_apply) exit_if_applied_ = false;
  // Another program's end request waits for nothing more.
  if (waiting == ExitOrigin::kOtherProcess || (exit_apply && succeeded)) {
    FinishExit();
    return;
  }
  if (exit_apply) {
    // The edits are still only here: the person sees why the program stays.
    ShowMainWindow();
    Tell(Text(LangKey::MAIN_PROMPT_APPLY_FAILED));
    return;
  }
  if (waiting) ExitProgram(*waiting);
}

void CVelkorDlg::Apply() {
  if (!apply_.pending()) {
    // Nothing to send: the busy picture shows and goes, as for any apply.
    if (!apply_.job_running()) {
      ShowBusy(true);
      SetTimer(hwnd(), kTimerBusyEnd, 100, nullptr);
    }
    return;
  }
  StartJob(Job::kApply, [this] { return operations_->Apply(); });
}

void CVelkorDlg::RestoreDefaults() {
  if (KeyboardBusy()) return;
  PressRestoreDefaults(*panel_host_);
}

std::unique_lock<std::mutex> CVelkorDlg::TryKeyboard() {
  if (!lighting_ || shut_down_ || apply_.job_running()) return {};
  return std::unique_lock<std::mutex>(keyboard_session_, std::try_to_lock);
}

bool CVelkorDlg::KeyboardBusy() { return !TryKeyboard(); }

bool CVelkorDlg::LampOn() const { return lighting_ && lighting_->state().panel_switch; }

void CVelkorDlg::ToggleLamp() {
  if (!lighting_) return;
  if (LampOn()) {
    LightingPanelView().TurnLampOff();
    return;
  }
  // On only once the keyboard's profile was selected again (which may ask
  // to save the edits, or be refused while an editor is open).
  const int profile = App().commands->cached_active_profile();
  if (profile < 0 || KeyboardBusy()) return;
  lamp_on_after_switch_ = true;
  SwitchProfile(profile);
  if (!apply_.job_running()) lamp_on_after_switch_ = false;
}

void CVelkorDlg::TurnLampOn() { LightingPanelView().TurnLampOn(); }

bool CVelkorDlg::PreviewVisible() { return LampOn() && !shut_down_ && IsWindowVisible(hwnd()); }

void CVelkorDlg::RestartPreview() {
  preview_.MarkForReinitialisation();
  DrawPreviewFrame(false);
  if (PreviewVisible()) SetTimer(hwnd(), kTimerPreview, 100, nullptr);
}

void CVelkorDlg::DrawPreviewFrame(bool tick) {
  if (!lighting_ || !LampOn() || shut_down_) return;
  if (tick) {
    preview_.Tick(lighting_->state(), preview_random_, preview_frame_);
  } else {
    preview_.Frame(lighting_->state(), preview_random_, preview_frame_);
  }
  panel_->ShowPreviewFrame(preview_frame_);
}

void CVelkorDlg::SetReportRate(int index) {
  auto session = TryKeyboard();
  if (!session) return;
  panel_->ShowReportRate(index);
  lighting_->SetReportRate(index);
}

std::optional<std::u16string> CVelkorDlg::ChooseProfileFile(bool save) {
  FileDialogRequest request;
  request.owner = hwnd();
  request.save = save;
  return AskFileName(request);
}

void CVelkorDlg::Import() {
  if (apply_.job_running()) return;
  if (const std::optional<std::u16string> chosen = ChooseProfileFile(false)) {
    StartJob(Job::kImport, [this, path = *chosen] { return operations_->Import(path); });
  }
}

void CVelkorDlg::Export() {
  // Memory to a file: quick enough for this thread.
  if (const std::optional<std::u16string> chosen = ChooseProfileFile(true)) operations_->Export(*chosen);
}

void CVelkorDlg::OpenHelp() {
  ShellExecuteW(hwnd(), L"open", L"index.html", L"NULL", W(App().facts.help_folder), SW_SHOWNORMAL);
}

void CVelkorDlg::ShowAbout() { about_.Open(hwnd()); }

void CVelkorDlg::SwitchProfile(int profile) {
  if (apply_.job_running()) return;
  // The save question is asked here, on the window's thread, before the
  // keyboard is touched; the job takes the answer.
  bool save = false;
  if (apply_.pending() || ui_->ManagerHasUnappliedChanges()) {
    save = Ask(Text(LangKey::PROFILE_SELECT_PROMPT), false);
    if (shut_down_) return;
  }
  StartJob(Job::kSwitchProfile, [this, profile, save] {
    ui_->answer.store(save);
    return operations_->SwitchProfile(profile);
  });
}

void CVelkorDlg::CloseEditors() {
  about_.Close();
  if (key_editor_ && key_editor_->open_count() > 0) key_editor_->Cancel();
  if (profile_dlg_ && profile_dlg_->IsOpen()) profile_dlg_->Cancel();
  // The firmware update dialog stays: a keyboard entering boot mode leaves.
}

void CVelkorDlg::MakeDialogs() {
  AppState& app = App();
  ProfileManagerContext manager{app.ini, app.facts.profile_skin, app.facts.profile_skin_folder, app.language.get()};
  manager.profile_file = [this] { return folder_->ProfileFilePath(); };
  manager.profile_folder = [this] {
    folder_->Ensure();
    return folder_->folder();
  };
  manager.current_profile = [] { return App().commands ? App().commands->cached_active_profile() : -1; };
  manager.write_default_file = [](const std::u16string& path) {
    ProfileImage image = ProfileImage::Default();
    return WriteImageFile(image, path);
  };
  manager.apply = [this](const std::vector<ProfileRow>& rows, int profile) { return ApplyProfileList(rows, profile); };
  manager.open_help = [this] { OpenHelp(); };
  profile_dlg_ = std::make_unique<CVelkor_DlgProfile>(hwnd(), std::move(manager));

  UpdateDialogContext update{app.ini, app.facts.update_skin, app.facts.update_skin_folder, app.facts.package_folder,
                             app.language.get()};
  update.enter_boot_mode = [this] {
    auto session = TryKeyboard();
    return session && BootModeRequestWritten(App().commands->EnterBootMode());
  };
  update.backup = [this](const std::u16string& path) { return operations_->Export(path); };
  update.open_help = [this] { OpenHelp(); };
  update_dlg_ = std::make_unique<CVelkor_DlgUpdate>(hwnd(), std::move(update));

  KeyEditorContext editor{app.ini,          app.facts.composite_skin, app.facts.composite_skin_folder,
                          app.language.get(), app.locks.working(),    profiles_->working};
  editor.macro_capacity = [this] { return profiles_->macro_capacity; };
  editor.refresh_key_buttons = [this] { ShowCurrentBank(); };
  editor.changes_pending = [this] { SetPendingChanges(true); };
  editor.open_help = [this] { OpenHelp(); };
  editor.read_setting = [](const std::u16string& name) { return Settings().ReadString(u"PROFILES", name, u"0"); };
  editor.write_setting = [](const std::u16string& name, const std::u16string& value) {
    Settings().WriteString(u"PROFILES", name, value);
  };
  key_editor_ = std::make_unique<Velkor_DlgComposite>(hwnd(), std::move(editor));
}

bool CVelkorDlg::ApplyProfileList(const std::vector<ProfileRow>& rows, int profile) {
  if (apply_.job_running()) return false;
  for (const auto& [name, value] : ProfileListValues(rows)) Settings().WriteString(u"PROFILES", name, value);
  // The reload replaces the working image: edits never applied are asked
  // about first, as a profile switch asks (Yes applies them first).
  bool save = false;
  if (apply_.pending()) {
    save = Ask(Text(LangKey::PROFILE_SELECT_PROMPT), false, profile_dlg_->IsOpen() ? profile_dlg_->hwnd() : nullptr);
    if (shut_down_ || apply_.job_running()) return false;
  }
  return StartJob(Job::kManagerApply, [this, profile, save] {
    if (save && !operations_->Apply()) return false;  // the edits stay
    if (profile >= 0) App().commands->SetActiveProfile(profile);
    operations_->ReloadFromKeyboard(false);
    return true;
  });
}

void CVelkorDlg::RebuildProfileMenu() {
  if (!profile_menu_ || !operations_) return;
  while (GetMenuItemCount(profile_menu_) > 0) DeleteMenu(profile_menu_, 0, MF_BYPOSITION);
  const ProfileMenuModel menu = operations_->ProfileMenu();
  for (const ProfileMenuItem& item : menu.items) {
    if (item.id == 0) {
      AppendMenuW(profile_menu_, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(profile_menu_, MF_STRING | (item.checked ? MF_CHECKED : 0), item.id, W(item.text));
    }
  }
  if (CPngButton* button = controls_.Button(IDC_MAIN_PROFILES)) {
    SetWindowTextW(button->hwnd(), W(menu.button_text));
    button->SetTooltip(W(menu.tooltip), true);
    InvalidateRect(button->hwnd(), nullptr, FALSE);
  }
}

void CVelkorDlg::TrackMenuAtCursor(HMENU menu, bool foreground) {
  POINT at{};
  GetCursorPos(&at);
  // A menu of a window that is not in front would not close when a person
  // clicks elsewhere.
  if (foreground) SetForegroundWindow(hwnd());
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
  if (foreground) PostMessageW(hwnd(), WM_NULL, 0, 0);
}

void CVelkorDlg::ShowProfileMenu() {
  if (profile_menu_) TrackMenuAtCursor(profile_menu_, true);
}

void CVelkorDlg::ShowButtonMenu() {
  const PopupMenu menu = LoadButtonMenu(App().language.get());
  if (menu.popup) TrackMenuAtCursor(menu.popup, false);
}

void CVelkorDlg::ShowTrayMenu() {
  const PopupMenu menu = LoadTrayMenu(App().language.get());
  if (menu.popup) TrackMenuAtCursor(menu.popup, true);
}

void CVelkorDlg::OnTrayMouse(UINT mouse_message) {
  switch (velkor::OnTrayMouse(kTrayIconId, mouse_message, tray_.click_command() != 0)) {
    case TrayMouseAction::kMenu:
      ShowTrayMenu();
      break;
    case TrayMouseAction::kOpen: {
      // The command of the menu's first item, as the menu's default.
      const PopupMenu menu = LoadTrayMenu(nullptr);
      const UINT first = menu.popup ? GetMenuItemID(menu.popup, 0) : ID_OPEN_WINDOW;
      SetForegroundWindow(hwnd());
      SendMessageW(hwnd(), WM_COMMAND, first, 0);
      break;
    }
    default:
      break;
  }
}

void CVelkorDlg::SetTrayImage(int mode, int icon_id) {
  if (const std::optional<int> shown = tray_image_.Set(mode, icon_id)) tray_.SetIcon(static_cast<UINT>(*shown));
}

void CVelkorDlg::ShowCurrentBank() {
  {
    std::lock_guard working(App().locks.working());
    const int profile = App().commands ? App().commands->cached_active_profile() : -1;
    if (profile >= 0) RefreshKeyButtons(profiles_->working, profile, BankOnShow(), App().language.get(), *panel_);
  }
  panel_->ShowFlipState();
}

void CVelkorDlg::OnLoadProfile() {
  // The key assignments were read from the keyboard on the keyboard thread,
  // which waits for this with the keyboard in hand: the lighting is read
  // here on its behalf.
  ShowCurrentBank();
  if (lighting_) CheckStartupProfile(*panel_host_);
  RebuildProfileMenu();
}

int CVelkorDlg::BankOnShow() const { return App().transport ? (App().transport->bank_flags() & 1) : 0; }

void CVelkorDlg::ShowBank() {
  const int bank = BankOnShow();
  std::array<bool, kGKeyCount> assigned{};
  {
    std::lock_guard working(App().locks.working());
    assigned = GKeyChecks(profiles_->working, App().commands->cached_active_profile(), bank);
  }
  panel_->ShowBank(bank, assigned);
}

void CVelkorDlg::OnOK() {
  Apply();
  HideMainWindow();
}

void CVelkorDlg::OnCancel() { HideMainWindow(); }

void CVelkorDlg::ExitProgram(ExitOrigin origin) {
  if (shut_down_) return;
  // A person's second request while the question is open adds nothing.
  if (exit_question_open_ && origin == ExitOrigin::kPerson) return;
  switch (DecideExit(origin, apply_.pending(), apply_.job_running())) {
    case ExitStep::kAfterJob:
      HideMainWindow();
      if (!exit_after_job_ || origin == ExitOrigin::kOtherProcess) exit_after_job_ = origin;
      return;
    case ExitStep::kAskFirst: {
      exit_question_open_ = true;
      const bool apply_first = Ask(Text(LangKey::MAIN_PROMPT_EXIT_UNAPPLIED), true);
      exit_question_open_ = false;
      if (shut_down_) return;  // ended meanwhile by another program
      if (!apply_first) {
        if (apply_.job_running()) {
          // A job started meanwhile: the end waits for it, asking nobody.
          HideMainWindow();
          exit_after_job_ = ExitOrigin::kOtherProcess;
          return;
        }
        FinishExit();
        return;
      }
      HideMainWindow();
      if (apply_.job_running()) {
        // A job started meanwhile: the end waits for it, then asks again.
        if (!exit_after_job_) exit_after_job_ = ExitOrigin::kPerson;
        return;
      }
      exit_if_applied_ = StartJob(Job::kApply, [this] { return operations_->Apply(); });
      if (!exit_if_applied_) FinishExit();
      return;
    }
    case ExitStep::kExitNow:
      FinishExit();
      return;
  }
}

void CVelkorDlg::FinishExit() {
  if (shut_down_) return;
  HideMainWindow();
  if (Shutdown()) {
    ReleaseSkinImages();
    EndModal(0);
    // A message box or menu open at this moment has a loop of its own, which
    // would keep the program alive until a person closed it: the quit
    // message ends every such loop, then the window's.
    PostQuitMessage(0);
  }
}

bool CVelkorDlg::Shutdown() {
  if (shut_down_) return true;
  shut_down_ = true;
  ending_.store(true);
  // The keyboard's events stop reaching the window, then its thread stops.
  if (App().transport) App().transport->SetListener(nullptr);
  if (worker_) worker_->Stop();
  // 1. Every editor and the about box, the update dialog too.
  CloseEditors();
  if (update_dlg_ && update_dlg_->IsOpen()) update_dlg_->Cancel();
  // 2. The single-instance mutex.
  App().instance_mutex.reset();
  // 3. The named events.
  named_events_.clear();
  // 4. The tray icon; nothing pending any more.
  tray_.Remove();
  tray_image_.Reset(0);
  apply_.SetPending(false);
  KillTimer(hwnd(), kTimerPreview);
  // 5-6. The images' contents, the working one first, never both locks at once.
  {
    std::lock_guard working(App().locks.working());
    profiles_->working.Empty();
  }
  {
    std::lock_guard applied(App().locks.applied());
    profiles_->applied.Empty();
  }
  RemovePropW(hwnd(), kReadyProperty);
  return true;
}

bool CVelkorDlg::PreTranslateMessage(MSG& msg) {
  HWND effects = GetDlgItem(hwnd(), IDC_MAIN_EFFECT_LIST);
  const PreTranslateDecision decision =
      PreTranslate(msg.message, msg.wParam, msg.hwnd == hwnd(), effects && GetFocus() == effects);
  if (decision.apply_first) Apply();
  return decision.swallow;
}

void CVelkorDlg::OpenKeyEditor(int control, const KeyClickAction& click) {
  if (!key_editor_ || key_editor_->IsOpen() || profile_dlg_->IsOpen() || update_dlg_->IsOpen()) return;
  // While the keyboard thread reads or writes, the working image may be
  // replaced or its profile left: the editor waits for it.
  if (apply_.job_running() || keyboard_busy()) return;
  // The editor edits one bank of the working image: the keyboard's profile.
  const int bank = App().commands ? App().commands->cached_active_profile() : -1;
  if (bank < 0 || bank > 2) {
    Tell(Text(LangKey::KEY_EDITOR_NO_PROFILE));
    return;
  }
  RECT key{};
  GetWindowRect(GetDlgItem(hwnd(), control), &key);
  // The clicked key shows its "over" picture while the editor runs.
  panel_->Highlight(control, true);
  ui_->composite_open.store(true);
  key_editor_->Open(bank, click.slot, click.macro_key, control, key);
  ui_->composite_open.store(false);
  panel_->Highlight(control, false);
}

void CVelkorDlg::OnKeyClick(int control, const KeyClickAction& click) {
  switch (click.action) {
    case KeyClick::kOpenEditor:
      OpenKeyEditor(control, click);
      return;
    case KeyClick::kPaint:
      if (auto session = TryKeyboard()) lighting_->PaintKey(control);
      return;
    case KeyClick::kNothing:
      return;
  }
}

bool CVelkorDlg::OnCommand(int id, int notification) {
  if (id == IDC_MAIN_MACRO && notification == BN_CLICKED) {
    // The macro button opens G9's editor on its macro page.
    const int g9 = GKeyControl(kGKeyCount);
    OpenKeyEditor(g9, DecideKeyClick(g9, BankOnShow(), false, false));
    return true;
  }
  if (notification == BN_CLICKED) {
    const bool painting = lighting_ && lighting_->state().effect == kUserDefinedEffect;
    const KeyClickAction click = DecideKeyClick(id, BankOnShow(), LampOn(), painting);
    if (click.action != KeyClick::kNothing) {
      OnKeyClick(id, click);
      return true;
    }
  }
  if (lighting_view_->OnCommand(id, notification)) return true;
  const RoutedCommand routed = RouteMainCommand(id);
  switch (routed.command) {
    case MainCommand::kNone:
      return false;
    case MainCommand::kOk:
      OnOK();
      return true;
    case MainCommand::kCancel:
      OnCancel();
      return true;
    case MainCommand::kApply:
      Apply();
      return true;
    case MainCommand::kRestoreDefaults:
      RestoreDefaults();
      return true;
    case MainCommand::kButtonMenu:
      ShowButtonMenu();
      return true;
    case MainCommand::kHelp:
      OpenHelp();
      return true;
    case MainCommand::kMinimize:
      PostMessageW(hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
      return true;
    case MainCommand::kExitProgram:
      ExitProgram(ExitOrigin::kPerson);
      return true;
    case MainCommand::kCloseProgram:
      ExitProgram(ExitOrigin::kOtherProcess);
      return true;
    case MainCommand::kOpenLink:
      ShellExecuteW(hwnd(), L"open", W(link_), nullptr, nullptr, SW_SHOWNORMAL);
      return true;
    case MainCommand::kProfileManager:
      if (!key_editor_->IsOpen() && !update_dlg_->IsOpen()) profile_dlg_->Open();
      return true;
    case MainCommand::kFirmwareUpdate:
      if (!key_editor_->IsOpen() && !profile_dlg_->IsOpen()) update_dlg_->Open();
      return true;
    case MainCommand::kBankIndicator:
      return true;
    case MainCommand::kProfileMenu:
      ShowProfileMenu();
      return true;
    case MainCommand::kDeviceCommand:
      StartJob(Job::kDeviceCommand, [] { return App().commands->TestCommand() == kSuccess; });
      return true;
    case MainCommand::kOpenWindow:
      ShowMainWindow();
      return true;
    case MainCommand::kAbout:
      ShowAbout();
      return true;
    case MainCommand::kImport:
      Import();
      return true;
    case MainCommand::kExport:
      Export();
      return true;
    case MainCommand::kSwitchLanguage:
      SwitchLanguage(routed.language);
      return true;
    case MainCommand::kSwitchProfile:
      SwitchProfile(routed.profile);
      return true;
    case MainCommand::kProfileButton:
      if (auto session = TryKeyboard()) PressProfileButton(routed.profile, *panel_host_);
      return true;
    case MainCommand::kReportRate:
      SetReportRate(routed.rate);
      return true;
    case MainCommand::kFlip:
      panel_->ToggleFlip();
      return true;
    case MainCommand::kLamp:
      // A picture: only its click (its enabling and disabling notify too).
      if (notification == STN_CLICKED) ToggleLamp();
      return true;
  }
  return false;
}

bool CVelkorDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) {
  switch (ClassifyMainMessage(message, wparam)) {
    case MainMessage::kNotOurs:
      break;
    case MainMessage::kIgnored:
      result = 0;
      return true;
    case MainMessage::kInit:
      OnInit();
      result = 0;
      return true;
    case MainMessage::kOpen:
      ShowMainWindow();
      result = 0;
      return true;
    case MainMessage::kKill:
      ExitProgram(ExitOrigin::kOtherProcess);
      result = 0;
      return true;
    case MainMessage::kLoadProfile:
      OnLoadProfile();
      result = 0;
      return true;
    case MainMessage::kCloseEditors:
      CloseEditors();
      result = 0;
      return true;
    case MainMessage::kBankLed:
      ShowBank();
      result = 0;
      return true;
  }

  if (shut_down_ && message >= WM_APP && message <= kMsgManagerCheckRow) {
    // What arrives after the end is dropped (a posted text is freed).
    if (message == kMsgPostedText) delete reinterpret_cast<std::u16string*>(lparam);
    result = 0;
    return true;
  }
  switch (message) {
    case kMsgJobDone:
      OnJobDone(static_cast<Job>(wparam), lparam != 0);
      result = 0;
      return true;
    case kMsgSetPending:
      if (wparam) {
        SetPendingChanges(true);
      } else if (static_cast<uint64_t>(lparam) == static_cast<uint64_t>(static_cast<LPARAM>(kAnySerial))) {
        SetPendingChanges(false);
      } else {
        apply_.ClearIfUnchangedSince(static_cast<uint64_t>(lparam));
        SetPendingChanges(apply_.pending());
      }
      result = 0;
      return true;
    case kMsgPostedText: {
      std::unique_ptr<std::u16string> text(reinterpret_cast<std::u16string*>(lparam));
      if (text) Tell(*text);
      result = 0;
      return true;
    }
    case kMsgTrayImage:
      SetTrayImage(static_cast<int>(wparam), static_cast<int>(lparam));
      result = 0;
      return true;
    case kMsgLightingChanged:
      SetTimer(hwnd(), kTimerLightingChanged, 0, nullptr);
      result = 0;
      return true;
    case kMsgShowBank:
      ShowCurrentBank();
      result = 0;
      return true;
    case kMsgRebuildMenu:
      RebuildProfileMenu();
      result = 0;
      return true;
    case kMsgManagerCheckRow:
      if (profile_dlg_) profile_dlg_->CheckRow(static_cast<int>(wparam));
      result = 0;
      return true;
    case kMsgProfileButtonSwitch:
      profile_button_switch_ = true;
      SwitchProfile(static_cast<int>(wparam));
      if (!apply_.job_running()) profile_button_switch_ = false;
      result = 0;
      return true;
    case kMsgHide:
      HideMainWindow();
      result = 0;
      return true;
    case kMsgPresenceDone:
      if (show_when_read_ && !arriving_.load()) {
        show_when_read_ = false;
        ShowMainWindow();
      }
      result = 0;
      return true;
    case WM_TIMER:
      switch (wparam) {
        case kTimerBusyFrame:
          if (!busy_frames_.empty()) {
            busy_frame_ = (busy_frame_ + 1) % static_cast<int>(busy_frames_.size());
            SendMessageW(GetDlgItem(hwnd(), IDC_MAIN_BUSY), STM_SETIMAGE, IMAGE_BITMAP,
                         reinterpret_cast<LPARAM>(busy_frames_[static_cast<size_t>(busy_frame_)]));
          }
          break;
        case kTimerBusyEnd:
          KillTimer(hwnd(), kTimerBusyEnd);
          if (!apply_.job_running()) ShowBusy(false);
          break;
        case kTimerLightingChanged:
          // The keyboard's lighting was changed on the keyboard itself.
          KillTimer(hwnd(), kTimerLightingChanged);
          if (auto session = TryKeyboard()) {
            lighting_->Reload(false);
          } else if (lighting_ && !shut_down_) {
            SetTimer(hwnd(), kTimerLightingChanged, 100, nullptr);  // once the keyboard is free
          }
          break;
        case kTimerPreview:
          // One frame of the lighting preview while the lamp is on, then
          // every 50 ms.
          KillTimer(hwnd(), kTimerPreview);
          DrawPreviewFrame(true);
          // Hidden, or with the lamp off, nothing would show: the timer
          // sleeps until the window is shown or the lamp turned on.
          if (PreviewVisible()) SetTimer(hwnd(), kTimerPreview, 50, nullptr);
          break;
        default:
          return false;
      }
      result = 0;
      return true;
    case WM_SYSCOMMAND:
      if (wparam >= kSysAbout && wparam <= kSysAbout + 15) {
        ShowAbout();
        result = 0;
        return true;
      }
      return false;
    case WM_PAINT:
      if (IsIconic(hwnd())) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd(), &paint);
        RECT client;
        GetClientRect(hwnd(), &client);
        const int cx = GetSystemMetrics(SM_CXICON);
        const int cy = GetSystemMetrics(SM_CYICON);
        DrawIcon(dc, (client.right - cx + 1) / 2, (client.bottom - cy + 1) / 2, icon_);
        EndPaint(hwnd(), &paint);
        result = 0;
        return true;
      }
      break;
    case kSliderMovedMessage:
      lighting_view_->OnSliderMessage(wparam, lparam);
      result = 0;
      return true;
    case WM_LBUTTONDOWN:
      // The colour wheel first; the press then moves the window as anywhere.
      lighting_view_->OnWindowButtonDown(POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      break;
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<INT_PTR>(icon_);
      return true;
    case WM_NCPAINT:
      if (nc_paint_.HideInsteadOfPaint()) {
        HideMainWindow();
        result = 0;
        return true;
      }
      break;
    case WM_HELP:
      OpenHelp();
      result = TRUE;
      return true;
    case WM_WTSSESSION_CHANGE:
      last_session_event_ = static_cast<int>(wparam);
      result = 0;
      return true;
    default:
      break;
  }
  return CBaseDialog::OnMessage(message, wparam, lparam, result);
}

}  // namespace velkor
