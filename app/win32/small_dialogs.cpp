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

}  // namespace velkor
