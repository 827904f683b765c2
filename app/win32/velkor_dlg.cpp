#include "app/win32/velkor_dlg.h"

#include "app/single_instance.h"
#include "app/win32/app_state.h"
#include "device/hid_service/binding.h"
#include "platform/win32/library_loader.h"
#include "platform/win32/wide.h"

namespace velkor {

CVelkorDlg::CVelkorDlg()
    : CBaseDialog(kMainDialogTemplate, nullptr, App().ini, App().facts.main_skin, App().facts.main_skin_folder),
      controls_(SkinPlanOf(SkinWindow::kMain)) {
  icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kMainIcon));
}

CVelkorDlg::~CVelkorDlg() = default;

void CVelkorDlg::BindDeviceLink() {
  AppState& app = App();
  // Without its service library the program can do nothing: it ends quietly.
  Win32ModuleLoader loader(L"Ostrel.dll");
  const std::optional<HidServiceApi> api = BindHidService(loader);
  if (!api) ExitProcess(0);
  app.transport = std::make_unique<Transport>(*api);
  app.transport->SetListener(&app.keyboard_events);
  app.commands = std::make_unique<DeviceCommands>(*app.transport);
  app.commands->ForgetActiveProfile();
  app.transport->StartInterfaceReads();
  const int count = app.transport->DeviceCount();
  if (count == 0) app.auto_show = 1;
}

BOOL CVelkorDlg::OnInitDialog() {
  HWND w = hwnd();
  BindDeviceLink();
  // The skin: size, shape and background, then every control.
  CBaseDialog::OnInitDialog();
  controls_.Apply(*this, [](std::u16string_view key) {
    LanguageTable* language = App().language.get();
    return language ? language->TextOf(key) : std::u16string();
  });
  // Out of the task bar while hidden; other instances find it by its marker.
  LONG_PTR ex = GetWindowLongPtrW(w, GWL_EXSTYLE);
  SetWindowLongPtrW(w, GWL_EXSTYLE, (ex & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW)) | WS_EX_TOOLWINDOW);
  SetWindowLongPtrW(w, GWLP_USERDATA, static_cast<LONG_PTR>(kMainWindowMarker));
  SetWindowLongPtrW(w, GWL_STYLE, GetWindowLongPtrW(w, GWL_STYLE) | WS_SYSMENU | WS_MINIMIZEBOX);
  if (App().language) {
    SetWindowTextW(w, W(std::u16string(App().language->Text(LangKey::MAIN_CAPTION))));
  }
  if (icon_) {
    SendMessageW(w, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(w, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  }
  return FALSE;
}

void CVelkorDlg::ShowMainWindow() {
  HWND w = hwnd();
  ShowWindow(w, IsIconic(w) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(w);
}

void CVelkorDlg::Shutdown() {
  if (shut_down_) return;
  shut_down_ = true;
  pending_changes_ = false;
  App().instance_mutex.reset();
  if (hwnd()) ShowWindow(hwnd(), SW_HIDE);
  EndModal(0);
}

bool CVelkorDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) {
  switch (message) {
    case kMsgShowWindow:
      if (static_cast<uint32_t>(wparam) == kShowWindowTag) ShowMainWindow();
      result = 0;
      return true;
    case kMsgKillProgram:
      if (static_cast<uint32_t>(wparam) == kKillProgramTag) Shutdown();
      result = 0;
      return true;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        ShowWindow(hwnd(), SW_HIDE);  // back to the notification area
        return true;
      }
      return false;
    case WM_CLOSE:
      ShowWindow(hwnd(), SW_HIDE);
      return true;
    default:
      return CBaseDialog::OnMessage(message, wparam, lparam, result);
  }
}

}  // namespace velkor
