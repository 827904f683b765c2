#include "ui/win32/dialog.h"

namespace velkor {

namespace {
constexpr wchar_t kDialogProperty[] = L"VelkorDialogObject";

// Messages whose answer a dialog procedure returns itself rather than
// through DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
  return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_COMPAREITEM ||
         message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON;
}
}  // namespace

CDialog::~CDialog() {
  if (hwnd_) DestroyWindow(hwnd_);
}

INT_PTR CDialog::DoModal(HWND parent) {
  modal_result_ = -1;
  if (!CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id_), parent, Thunk,
                          reinterpret_cast<LPARAM>(this))) {
    return -1;
  }
  if (parent) EnableWindow(parent, FALSE);
  modal_running_ = true;
  MSG msg;
  while (modal_running_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {  // WM_QUIT: pass it on to whoever runs the outer loop
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    bool used = false;
    try {
      used = PreTranslateMessage(msg);
    } catch (...) {
      // No exception leaves the loop; the message goes on as usual.
    }
    if (used) continue;
    if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  modal_running_ = false;
  if (parent) EnableWindow(parent, TRUE);
  if (hwnd_) DestroyWindow(hwnd_);
  return modal_result_;
}

bool CDialog::Create(HWND parent) {
  if (hwnd_) return false;
  return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id_), parent, Thunk,
                            reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void CDialog::EndModal(INT_PTR result) {
  modal_result_ = result;
  modal_running_ = false;
  // Wake the loop if it is waiting for a message.
  if (hwnd_) PostMessageW(hwnd_, WM_NULL, 0, 0);
}

INT_PTR CALLBACK CDialog::Thunk(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  CDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lparam);
    self->hwnd_ = hwnd;
    SetPropW(hwnd, kDialogProperty, self);
  } else {
    self = static_cast<CDialog*>(GetPropW(hwnd, kDialogProperty));
  }
  if (!self) return FALSE;
  try {
    if (message == WM_INITDIALOG) return self->OnInitDialog();
    if (message == WM_NCDESTROY) {
      RemovePropW(hwnd, kDialogProperty);
      self->OnDestroy();
      self->hwnd_ = nullptr;
      return FALSE;
    }
    INT_PTR result = 0;
    if (self->OnMessage(message, wparam, lparam, result)) {
      if (AnswersDirectly(message)) return result;
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
      return TRUE;
    }
  } catch (...) {
    // No exception leaves a window procedure.
  }
  return FALSE;
}

}  // namespace velkor
