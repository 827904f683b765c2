#include "ui/win32/tray_icon.h"

#include <cwchar>
#include <iterator>

namespace velkor {

namespace {

// What the notification area shows is published on the icon's window as
// properties: they are how tests and tools outside the process see the icon.
// The shown icon's resource id (0 while none is shown), the number of
// successful adds, and a global atom holding the tooltip (0 for none).
constexpr wchar_t kIconProperty[] = L"VelkorTrayIcon";
constexpr wchar_t kAddsProperty[] = L"VelkorTrayAdds";
constexpr wchar_t kTipProperty[] = L"VelkorTrayTip";

HANDLE AsProperty(UINT value) {
  return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(value));
}

UINT FromProperty(HANDLE value) {
  return static_cast<UINT>(reinterpret_cast<UINT_PTR>(value));
}

// Shells before version 4 have no notification area.
bool PlatformHasNotificationArea() {
  static const bool has = LOBYTE(LOWORD(GetVersion())) >= 4;
  return has;
}

// Sent to every top-level window when the shell (re)starts.
UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

// The text up to any terminator inside it, cut to what the notification area
// takes without splitting a surrogate pair.
std::wstring FittedTooltip(const std::wstring& text) {
  std::wstring fitted(text.c_str());
  if (fitted.size() > CTrayIcon::kMaxTooltip) {
    size_t length = CTrayIcon::kMaxTooltip;
    const wchar_t last = fitted[length - 1];
    if (last >= 0xD800 && last <= 0xDBFF) --length;
    fitted.resize(length);
  }
  return fitted;
}

}  // namespace

TrayIconState ReadTrayIconState(HWND window) {
  TrayIconState state;
  if (!window) return state;
  state.icon = FromProperty(GetPropW(window, kIconProperty));
  state.adds = FromProperty(GetPropW(window, kAddsProperty));
  const auto atom = static_cast<ATOM>(FromProperty(GetPropW(window, kTipProperty)));
  if (atom) {
    wchar_t text[256] = {};
    const UINT length = GlobalGetAtomNameW(atom, text, static_cast<int>(std::size(text)));
    state.tip.assign(text, length);
  }
  return state;
}

CTrayIcon::CTrayIcon() : window_hook_(*this), parent_hook_(*this) {
  static_assert(kMaxTooltip < std::size(NOTIFYICONDATAW{}.szTip));
}

CTrayIcon::~CTrayIcon() {
  Remove();
}

bool CTrayIcon::Create(HWND window, UINT callback_message, const std::wstring& tooltip, HICON icon,
                       UINT icon_id) {
  if (!PlatformHasNotificationArea() || !window || !IsWindow(window)) return false;
  Remove();
  data_ = NOTIFYICONDATAW{};
  data_.cbSize = sizeof(data_);
  data_.hWnd = window;
  data_.uID = icon_id;
  data_.uCallbackMessage = callback_message;
  data_.hIcon = icon;
  const std::wstring tip = FittedTooltip(tooltip);
  std::wmemcpy(data_.szTip, tip.c_str(), tip.size() + 1);
  icon_resource_ = 0;
  pending_click_ = false;
  // Hooks only take windows of this process: the callback messages of any
  // other would never reach us.
  if (!window_hook_.Hook(window)) return false;
  HWND root = GetAncestor(window, GA_ROOT);
  if (root && root != window) parent_hook_.Hook(root);
  created_ = true;
  active_ = Add();
  Publish();
  PublishTip();
  return active_;
}

void CTrayIcon::Remove() {
  if (!created_) return;
  Delete();
  Unpublish();
  window_hook_.Hook(nullptr);
  parent_hook_.Hook(nullptr);
  created_ = active_ = hidden_ = shown_ = pending_click_ = false;
}

bool CTrayIcon::Hide() {
  if (!active_ || hidden_) return false;
  Delete();
  hidden_ = true;
  Publish();
  return true;
}

bool CTrayIcon::Show() {
  if (!active_ || !hidden_) return false;
  // Not hidden any more even when the shell refuses the icon now: it is
  // added again when the shell restarts.
  hidden_ = false;
  const bool added = Add();
  Publish();
  return added;
}

bool CTrayIcon::SetIcon(UINT resource_id) {
  // An icon the shell refused at Create keeps the change for when the shell
  // comes ("TaskbarCreated"); one never created does nothing.
  if (!created_) return false;
  icon_resource_ = resource_id;
  data_.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource_id));
  const bool changed = Modify(NIF_ICON);
  Publish();
  return changed;
}

bool CTrayIcon::SetIcon(HICON icon) {
  if (!created_) return false;
  icon_resource_ = 0;
  data_.hIcon = icon;
  const bool changed = Modify(NIF_ICON);
  Publish();
  return changed;
}

bool CTrayIcon::SetTooltip(const std::wstring& text) {
  if (!created_) return false;
  const std::wstring tip = FittedTooltip(text);
  std::wmemcpy(data_.szTip, tip.c_str(), tip.size() + 1);
  const bool changed = Modify(NIF_TIP);
  PublishTip();
  return changed;
}

void CTrayIcon::set_icon_resource(UINT resource_id) {
  icon_resource_ = resource_id;
  Publish();
}

bool CTrayIcon::TakePendingClick() {
  const bool pending = pending_click_;
  pending_click_ = false;
  return pending;
}

void CTrayIcon::OnTrayNotification(WPARAM icon_id, LPARAM mouse_message) {
  if (static_cast<UINT>(icon_id) != data_.uID) return;
  const auto message = static_cast<UINT>(mouse_message);
  if (message == WM_LBUTTONDOWN && click_command_) {
    pending_click_ = true;
  } else if (message == WM_LBUTTONDBLCLK) {
    pending_click_ = false;
  }
  if (on_notification) {
    // A copy: the handler may replace itself.
    const auto handler = on_notification;
    handler(message);
  }
}

bool CTrayIcon::Add() {
  NOTIFYICONDATAW record = data_;
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  shown_ = Shell_NotifyIconW(NIM_ADD, &record) != FALSE;
  if (shown_) ++adds_;
  return shown_;
}

bool CTrayIcon::Delete() {
  NOTIFYICONDATAW record = data_;
  record.uFlags = 0;
  shown_ = false;
  return Shell_NotifyIconW(NIM_DELETE, &record) != FALSE;
}

bool CTrayIcon::Modify(UINT flags) {
  // A hidden icon keeps the change in its record and shows it when shown.
  if (hidden_) return true;
  NOTIFYICONDATAW record = data_;
  record.uFlags = flags;
  return active_ && shown_ && Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

void CTrayIcon::OnTaskbarCreated() {
  // Also an icon the shell refused at Create: the shell is there now.
  if (!created_ || hidden_) return;
  Delete();
  if (Add()) active_ = true;
  Publish();
}

void CTrayIcon::Publish() {
  if (!created_) return;
  SetPropW(data_.hWnd, kIconProperty, AsProperty(shown_ ? icon_resource_ : 0));
  SetPropW(data_.hWnd, kAddsProperty, AsProperty(adds_));
}

void CTrayIcon::PublishTip() {
  if (!created_) return;
  // The old atom goes before the new one is made: atoms ignore case, so a
  // text differing only in case would otherwise get the old atom and read
  // back the old spelling.
  SetPropW(data_.hWnd, kTipProperty, nullptr);
  tip_atom_.reset();
  if (data_.szTip[0]) tip_atom_.reset(GlobalAddAtomW(data_.szTip));
  SetPropW(data_.hWnd, kTipProperty, AsProperty(tip_atom_.get()));
}

void CTrayIcon::Unpublish() {
  if (IsWindow(data_.hWnd)) {
    RemovePropW(data_.hWnd, kIconProperty);
    RemovePropW(data_.hWnd, kAddsProperty);
    RemovePropW(data_.hWnd, kTipProperty);
  }
  tip_atom_.reset();
}

LRESULT CTrayIcon::CTrayHook::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  const NOTIFYICONDATAW& data = owner_.data_;
  if (message == data.uCallbackMessage && message != 0 && hooked_window() == data.hWnd) {
    owner_.OnTrayNotification(wparam, lparam);
  } else if (message == TaskbarCreatedMessage() && message != 0) {
    owner_.OnTaskbarCreated();
  }
  return CSubclassWnd::WindowProc(message, wparam, lparam);
}

}  // namespace velkor
