#include "editors/win32/update_dlg.h"

#include <commdlg.h>
#include <shellapi.h>

#include "platform/win32/wide.h"
#include "resources/resource.h"
#include "ui/win32/file_dialogs.h"
#include "ui/skin_bindings.h"
#include "ui/win32/color_static.h"
#include "ui/win32/skinned_controls.h"

namespace velkor {

// StartUpdate's surroundings: the file system, the keyboard, the shell and
// this dialog.
class CVelkor_DlgUpdate::Host final : public UpdateHost {
 public:
  explicit Host(CVelkor_DlgUpdate& dialog) : dialog_(dialog) {}

  bool FileExists(const std::u16string& path) override {
    // A folder is no updater: the shell would open it and the dialog take
    // that for a started update.
    const DWORD attributes = GetFileAttributesW(W(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool EnterBootMode() override {
    return dialog_.context_.enter_boot_mode && dialog_.context_.enter_boot_mode();
  }
  intptr_t ShellOpen(const std::u16string& path) override {
    return reinterpret_cast<intptr_t>(
        ShellExecuteW(dialog_.hwnd(), L"open", W(path), nullptr, nullptr, SW_SHOWNORMAL));
  }
  void ShowText(LangKey text) override { dialog_.Tell(text); }
  void Close() override { dialog_.OnCancel(); }

 private:
  CVelkor_DlgUpdate& dialog_;
};

CVelkor_DlgUpdate::CVelkor_DlgUpdate(HWND parent, UpdateDialogContext context)
    : CBaseDialog(static_cast<UINT>(SkinPlanOf(SkinWindow::kUpdate).template_id), parent, context.ini,
                  context.skin_file, context.skin_folder),
      context_(std::move(context)) {}

CVelkor_DlgUpdate::~CVelkor_DlgUpdate() = default;

INT_PTR CVelkor_DlgUpdate::Open() {
  if (IsOpen()) return -1;
  running_ = true;
  const INT_PTR result = DoModal();
  running_ = false;
  status_.reset();
  controls_.reset();
  return result;
}

void CVelkor_DlgUpdate::Cancel() {
  if (hwnd()) OnCancel();
}

BOOL CVelkor_DlgUpdate::OnInitDialog() {
  CBaseDialog::OnInitDialog();
  status_ = std::make_unique<ColorStatic>();
  status_->Attach(hwnd(), IDC_UPDATE_STATUS);
  // The pictures are loaded once for the run (a missing one ends the
  // program); the buttons and fields are placed again on every opening.
  controls_ = std::make_unique<SkinnedControls>(SkinPlanOf(SkinWindow::kUpdate));
  controls_->Apply(*this, [this](std::u16string_view key) { return KeyTextOrEmpty(context_.language, key); });
  ShowChosenPath();
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
  // The first step is choosing the updater; the path field only shows it.
  SetFocus(GetDlgItem(hwnd(), IDC_UPDATE_OPEN));
  return FALSE;
}

bool CVelkor_DlgUpdate::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) {
  if (message == WM_HELP) {
    if (context_.open_help) context_.open_help();
    result = TRUE;
    return true;
  }
  return CBaseDialog::OnMessage(message, wparam, lparam, result);
}

bool CVelkor_DlgUpdate::OnCommand(int id, int notification) {
  if (notification != BN_CLICKED) return false;
  switch (id) {
    case IDC_UPDATE_OPEN:
      ChooseUpdater();
      return true;
    case IDC_UPDATE_START:
      Update();
      return true;
    case IDC_UPDATE_CANCEL:
      chosen_path_.clear();
      OnCancel();
      return true;
    case IDC_UPDATE_BACKUP:
      Backup();
      return true;
    default:
      return false;
  }
}

void CVelkor_DlgUpdate::ChooseUpdater() {
  FileDialogRequest request;
  request.owner = hwnd();
  request.initial_name = u"*.exe";
  request.filter = L"MyType Files (*.exe)\0*.exe\0";
  request.default_extension = L"exe";
  request.initial_folder = context_.package_folder;
  chosen_path_ = AskFileName(request).value_or(std::u16string());
  // Wherever the file dialog went, the program goes on from its Package folder.
  SetCurrentDirectoryW(W(context_.package_folder));
  ShowChosenPath();
}

void CVelkor_DlgUpdate::Update() {
  Host host(*this);
  StartUpdate(host, chosen_path_);
  // An update tried empties the path: the list box says so too.
  if (hwnd()) ShowChosenPath();
}

void CVelkor_DlgUpdate::Backup() {
  FileDialogRequest request;
  request.owner = hwnd();
  request.save = true;
  const std::optional<std::u16string> path = AskFileName(request);
  if (!path) return;
  const bool written = context_.backup && context_.backup(*path);
  Tell(BackupOutcomeText(written));
}

void CVelkor_DlgUpdate::ShowChosenPath() {
  HWND list = GetDlgItem(hwnd(), IDC_UPDATE_PATH);
  if (!list) return;
  // A drop-down list shows its selected item, not a text of its own: the
  // path is its one item.
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  if (!chosen_path_.empty()) {
    const LRESULT item = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(chosen_path_)));
    if (item >= 0) SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
  }
  // The template hides the list; the person sees what they chose.
  ShowWindow(list, SW_SHOWNA);
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CVelkor_DlgUpdate::Tell(LangKey text) {
  const std::u16string shown(TextOrBuiltIn(context_.language, text));
  MessageBoxW(hwnd(), W(shown), L"", MB_OK);
}

}  // namespace velkor
