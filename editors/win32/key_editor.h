// The key editor: a modal skinned dialog (template 134) that gives one key
// of the keyboard's current profile a new job, a single key, a macro, a
// multimedia or an office function, or its default function, and on its
// macro page edits the whole macro list and records macros from the
// keyboard. Apply and OK write into the working image only; the main
// window's own Apply then sends it to the keyboard.
//
// The decisions live in KeyEditorRules and MacroPage; this window gathers
// what a person does (clicks, and keystrokes through two keyboard hooks while
// it captures a key or records) and shows what they decided.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "editors/key_editor_rules.h"
#include "editors/macro_page_rules.h"
#include "model/profile_image.h"
#include "platform/win32/handles.h"
#include "ui/language_table.h"
#include "ui/skin_bindings.h"
#include "ui/win32/base_dialog.h"
#include "ui/win32/color_static.h"
#include "ui/win32/gdi.h"
#include "ui/win32/png_button.h"
#include "ui/win32/skinned_controls.h"
#include "widgets/win32/report_ctrl.h"

namespace velkor {

struct HookCloser {
  void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};
using UniqueHook = UniqueResource<HHOOK, nullptr, HookCloser>;

// The two keyboard hooks of a capture or a recording: both or neither.
struct KeyboardHooks {
  UniqueHook thread;
  UniqueHook low_level;
  bool installed() const { return static_cast<bool>(thread); }
};

struct KeyEditorContext {
  IniStore& ini;
  std::u16string skin_file;    // Skins\Composite.ini
  std::u16string skin_folder;  // Skins
  LanguageTable* language;
  std::recursive_mutex& working_lock;
  ProfileImage& working;
  // The keyboard's macro memory in bytes (0: never read).
  std::function<size_t()> macro_capacity;
  // The key buttons show the working image again.
  std::function<void()> refresh_key_buttons;
  // The main window's Apply becomes due.
  std::function<void()> changes_pending;
  std::function<void()> open_help;
  // The record-delay option in the program's settings (value name from the
  // language file).
  std::function<std::u16string(const std::u16string& name)> read_setting;
  std::function<void(const std::u16string& name, const std::u16string& value)> write_setting;
};

class Velkor_DlgComposite : public CBaseDialog, private MacroPageView, private MacroPageHost {
 public:
  Velkor_DlgComposite(HWND parent, KeyEditorContext context);
  ~Velkor_DlgComposite() override;

  // Runs the editor for one key: its slot in `bank` (0..2), macro-edit mode
  // for the G9 slot opened from the macro button or G9, and the key
  // button (its control id in the main window and its rectangle on the
  // screen, beside which the dialog opens).
  INT_PTR Open(int bank, int slot, bool macro_edit, int key_control, const RECT& key_on_screen);
  bool IsOpen() const { return hwnd() != nullptr; }
  // 1 while open (read by other threads).
  int open_count() const { return open_.load(); }
  // Closes without applying (the keyboard went, the program ends).
  void Cancel() { OnCancel(); }

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) override;
  bool OnCommand(int id, int notification) override;
  bool PreTranslateMessage(MSG& msg) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  // MacroPageView
  void ShowMacros(const std::vector<std::u16string>& names, int selected) override;
  void ShowMacroName(int position, const std::u16string& name) override;
  void ShowRows(const std::vector<MacroAction>& rows, int selected) override;
  void InsertRow(int position, const MacroAction& action, bool select) override;
  void ChangeRow(int position, const MacroAction& action) override;
  void ShowCycles(const std::u16string& text) override;
  void EnableActionButtons(bool enabled) override;
  void ShowRecording(bool recording, const std::u16string& caption) override;
  void ShowMemory(const MemoryMeter& meter) override;
  void EnableApply() override;
  // MacroPageHost
  bool Ask(LangKey question) override;
  void Tell(LangKey message, int number) override;
  bool InstallRecordHooks() override;
  void RemoveRecordHooks() override;
  uint32_t Now() override;
  void Pause() override;
  std::u16string ReadRecordDelay() override;
  void WriteRecordDelay(const std::u16string& value) override;

  static LRESULT CALLBACK ThreadHook(int code, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK LowLevelHook(int code, WPARAM wparam, LPARAM lparam);
  bool OnHookedKey(uint8_t vk, uint32_t flags);
  bool OnLowLevelKey(UINT message, uint32_t vk);

  std::u16string Text(LangKey key) const;
  std::u16string KeyText(std::u16string_view key) const;
  HWND Item(int id) const { return GetDlgItem(hwnd(), id); }
  void SetupControls();
  void SetupActionList();
  void PlaceMemoryLabel();
  void PlaceApplyButton();
  void Display(const PageDisplay& display);
  // Installs both hooks or neither; the editor takes the keystrokes while
  // any of its hooks is installed.
  bool InstallHooks(KeyboardHooks& hooks);
  void RemoveHooks(KeyboardHooks& hooks);
  void InstallCaptureHooks() { InstallHooks(capture_hooks_); }
  void RemoveCaptureHooks() { RemoveHooks(capture_hooks_); }
  void ShowKeyBox(KeyCode key);
  void Apply();
  void Clear();
  void PagePictureClicked();
  void Close();
  void SetModified(bool modified);

  KeyEditorContext context_;
  KeyEditorRules rules_;
  // Names added macros; kept for the whole run, as the dialog object is.
  int new_macro_counter_ = 0;
  std::unique_ptr<MacroPage> page_;
  // The plan for this opening: macro-edit mode gives five controls the
  // second macro images.
  SkinWindowPlan plan_;
  std::unique_ptr<SkinnedControls> controls_;
  CReportCtrl actions_;
  // Made again for every opening, as the window is.
  std::unique_ptr<CPngButton> apply_button_;
  std::vector<std::unique_ptr<ColorStatic>> labels_;
  ColorStatic* memory_label_ = nullptr;
  UniqueFont key_font_;
  UniqueFont list_font_;
  // The opening.
  int bank_ = 0;
  int slot_ = 0;
  bool macro_edit_ = false;
  int key_control_ = 0;
  RECT key_rect_{};
  bool modified_ = false;
  bool closed_ = true;
  // Set while the window changes the macro box or the cycles box itself.
  bool filling_ = false;
  std::atomic<int> open_{0};
  // The hooks of the capture and of a recording.
  KeyboardHooks capture_hooks_;
  KeyboardHooks record_hooks_;
};

}  // namespace velkor
