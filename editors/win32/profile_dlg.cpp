#include "editors/win32/profile_dlg.h"

#include <commctrl.h>

#include "platform/win32/wide.h"
#include "resources/resource.h"
#include "ui/win32/file_dialogs.h"
#include "widgets/report_rules.h"

namespace velkor {

namespace {

// The list's columns: headers that are not translated, and their widths.
struct Column {
  const wchar_t* header;
  int width;
};
constexpr Column kColumns[] = {{L"\u6FC0\u6D3B", 60}, {L"\u540D\u79F0", 120}, {L"\u8DEF\u5F84", 230}};

}  // namespace

CVelkor_DlgProfile::CVelkor_DlgProfile(HWND parent, ProfileManagerContext context)
    : CBaseDialog(IDD_PROFILE_MANAGER, parent, context.ini, context.skin_file, context.skin_folder),
      context_(std::move(context)) {}

std::u16string CVelkor_DlgProfile::Text(LangKey key) const {
  return std::u16string(TextOrBuiltIn(context_.language, key));
}

INT_PTR CVelkor_DlgProfile::Open() {
  if (IsOpen()) return IDCANCEL;
  return DoModal();
}

BOOL CVelkor_DlgProfile::OnInitDialog() {
  // 1. The skinned base; the dialog counts as open from here on.
  CBaseDialog::OnInitDialog();
  open_.store(1);
  // 2-4. Columns, grid lines and whole rows, one check at most.
  list_.Attach(GetDlgItem(hwnd(), IDC_PROFILE_LIST));
  for (const Column& column : kColumns) list_.AddColumn(column.header, column.width);
  list_.AddExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  list_.EnableCheckBoxes(true);
  list_.SetCheckChanged([this](int, bool) { SetChanged(true); });
  // 5-6. The sheets (once; a missing one ends the program), the six buttons,
  // the list in its place.
  controls_ = std::make_unique<SkinnedControls>(SkinPlanOf(SkinWindow::kProfile));
  controls_->Apply(*this, [this](std::u16string_view key) { return KeyTextOrEmpty(context_.language, key); });
  HWND spare = GetDlgItem(hwnd(), IDC_PROFILE_SPARE);
  ShowWindow(spare, SW_HIDE);
  EnableWindow(spare, FALSE);
  // 7. The rows.
  filled_ = false;
  FillList();
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
  return TRUE;
}

void CVelkor_DlgProfile::FillList() {
  if (filled_) list_.DeleteAllRows();
  filled_ = true;
  const ProfileRow row = RowForFile(context_.profile_file());
  row_profiles_.clear();
  for (int i = 0; i < 3; ++i) {
    list_.InsertRow(i, {L"", ToWide(row.name), ToWide(row.folder)});
    row_profiles_.push_back(i);
  }
  const int current = context_.current_profile();
  if (current >= 0 && current < 3) list_.SetChecked(current, true);
  SetChanged(false);
}

void CVelkor_DlgProfile::AppendFile(const std::u16string& path) {
  const ProfileRow row = RowForFile(path);
  list_.AppendRow({L"", ToWide(row.name), ToWide(row.folder)});
  row_profiles_.push_back(kNoHardwareProfile);
}

std::vector<ProfileRow> CVelkor_DlgProfile::Rows() const {
  std::vector<ProfileRow> rows;
  for (int r = 0; r < list_.RowCount(); ++r) {
    rows.push_back({FromWide(list_.Text(r, 1)), FromWide(list_.Text(r, 2))});
  }
  return rows;
}

void CVelkor_DlgProfile::SetChanged(bool changed) {
  changed_.store(changed);
  EnableWindow(GetDlgItem(hwnd(), IDC_PROFILE_APPLY), changed ? TRUE : FALSE);
}

void CVelkor_DlgProfile::CheckRow(int row) {
  if (!IsOpen()) return;
  // The row that stands for that profile.
  for (size_t r = 0; r < row_profiles_.size(); ++r) {
    if (row_profiles_[r] == row && static_cast<int>(r) < list_.RowCount()) {
      list_.SetChecked(static_cast<int>(r), true);
      break;
    }
  }
  SetChanged(false);
}

void CVelkor_DlgProfile::ApplyFinished(bool succeeded, int profile) {
  if (!IsOpen()) return;
  if (profile >= 0) CheckRow(profile);
  if (!succeeded) SetChanged(true);
}

std::optional<std::u16string> CVelkor_DlgProfile::ChooseFile(bool save) {
  FileDialogRequest request;
  request.owner = hwnd();
  request.save = save;
  request.initial_name = context_.profile_folder() + (save ? Text(LangKey::PROFILE_NEW) : u"\\*.kpx");
  return AskFileName(request);
}

void CVelkor_DlgProfile::Add() {
  const std::optional<std::u16string> path = ChooseFile(true);
  // Closed meanwhile (the keyboard went): nothing to write or list.
  if (!path || open_.load() == 0) return;
  // A file that could not be written is still listed, as a loaded one is
  // listed unread.
  context_.write_default_file(*path);
  AppendFile(*path);
  SetChanged(true);
}

void CVelkor_DlgProfile::Load() {
  const std::optional<std::u16string> path = ChooseFile(false);
  if (!path || open_.load() == 0) return;
  AppendFile(*path);
  SetChanged(true);
}

void CVelkor_DlgProfile::Delete() {
  const int row = list_.FirstSelected();
  if (row < 0) return;
  list_.DeleteRow(row);
  if (row < static_cast<int>(row_profiles_.size())) row_profiles_.erase(row_profiles_.begin() + row);
  list_.Select(RowAfterDelete(row, list_.RowCount()));
  SetChanged(true);
}

bool CVelkor_DlgProfile::Apply() {
  const int profile = ProfileOfCheckedRow(row_profiles_, list_.FirstChecked());
  if (!context_.apply(Rows(), profile)) return false;
  SetChanged(false);
  return true;
}

bool CVelkor_DlgProfile::OnCommand(int id, int notification) {
  if (notification != BN_CLICKED) return false;
  switch (id) {
    case IDC_PROFILE_ADD:
      Add();
      return true;
    case IDC_PROFILE_LOAD:
      Load();
      return true;
    case IDC_PROFILE_DELETE:
      Delete();
      return true;
    case IDC_PROFILE_APPLY:
      Apply();
      return true;
    default:
      return false;
  }
}

bool CVelkor_DlgProfile::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) {
  if (message == WM_NOTIFY) {
    LRESULT answer = 0;
    if (list_.OnNotify(lparam, answer)) {
      result = answer;
      return true;
    }
  } else if (message == WM_HELP) {
    if (context_.open_help) context_.open_help();
    result = TRUE;
    return true;
  }
  return CBaseDialog::OnMessage(message, wparam, lparam, result);
}

void CVelkor_DlgProfile::OnOK() {
  // What could not be applied now stays open to be applied later.
  if (!Apply()) return;
  OnCancel();
}

void CVelkor_DlgProfile::OnCancel() {
  SetChanged(false);
  open_.store(0);
  CBaseDialog::OnCancel();
}

}  // namespace velkor
