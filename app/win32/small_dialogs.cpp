#include "app/win32/small_dialogs.h"

#include "platform/win32/wide.h"
#include "resources/resource.h"

namespace velkor {

void CAboutDlg::Open(HWND owner) {
  if (hwnd()) return;
  if (Create(owner)) {
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(hwnd());
  }
}

void CAboutDlg::Close() {
  if (!hwnd()) return;
  HWND box = hwnd();
  if (!DestroyWindow(box)) ShowWindow(box, SW_HIDE);
}

BOOL CAboutDlg::OnInitDialog() {
  if (language_) {
    if (const std::optional<AboutBoxTexts> texts = language_->ReadAboutBox()) {
      SetWindowTextW(hwnd(), W(texts->title));
      SetDlgItemTextW(hwnd(), IDC_ABOUT_TEXT, W(texts->line1));
      SetDlgItemTextW(hwnd(), IDC_ABOUT_COPYRIGHT, W(texts->copyright));
      SetDlgItemTextW(hwnd(), IDOK, W(texts->ok));
    }
  }
  return TRUE;
}

bool CAboutDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) {
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
    Close();
    result = 0;
    return true;
  }
  if (message == WM_CLOSE) {
    Close();
    result = 0;
    return true;
  }
  return false;
}

namespace {
SkinWindowPlan OkAndCancelOf(SkinWindow window) {
  SkinWindowPlan plan = SkinPlanOf(window);
  std::erase_if(plan.bindings, [](const SkinBinding& b) { return b.control != IDOK && b.control != IDCANCEL; });
  return plan;
}
}  // namespace

StandInDialog::StandInDialog(SkinWindow window, HWND parent, IniStore& ini, std::u16string skin,
                             std::u16string skin_folder, LanguageTable* language)
    : CBaseDialog(static_cast<UINT>(SkinPlanOf(window).template_id), parent, ini, std::move(skin),
                  std::move(skin_folder)),
      plan_(OkAndCancelOf(window)),
      controls_(plan_),
      language_(language) {}

BOOL StandInDialog::OnInitDialog() {
  CBaseDialog::OnInitDialog();
  // Only the skin and the way out show: the template's other controls belong
  // to the window this one stands in for.
  for (HWND child = GetWindow(hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(child);
    if (id != IDOK && id != IDCANCEL) ShowWindow(child, SW_HIDE);
  }
  controls_.Apply(*this, [this](std::u16string_view key) { return KeyTextOrEmpty(language_, key); });
  if (on_open) on_open(hwnd());
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
  return TRUE;
}

}  // namespace velkor
