// The smallest program that becomes "ready" the way Velkor.exe does: a hidden
// dialog from an in-memory template that, once its initialisation is over,
// adds a tray icon, marks itself as the main window and publishes the ready
// property. The start-up benchmark measures Velkor.exe against it.
//
// Ends on WM_CLOSE or the program's end message, removing its icon.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>

#include "app/program_messages.h"

namespace {

using velkor::kKillProgramTag;
using velkor::kMainWindowMarker;
using velkor::kMsgKillProgram;
using velkor::kTrayIconId;
constexpr UINT kMsgTrayCallback = velkor::kTrayCallbackMessage;
constexpr UINT kMsgBecomeReady = WM_APP + 1;

// DLGTEMPLATE followed by an empty menu, the default class and an empty
// title; no font, no controls. WORD-aligned as the dialog manager reads it.
struct EmptyDialogTemplate {
  DLGTEMPLATE head;
  WORD menu;
  WORD window_class;
  WORD title;
};

bool g_icon_added = false;

NOTIFYICONDATAW IconData(HWND dialog) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = dialog;
  data.uID = kTrayIconId;
  return data;
}

void BecomeReady(HWND dialog) {
  NOTIFYICONDATAW data = IconData(dialog);
  data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  data.uCallbackMessage = kMsgTrayCallback;
  data.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
  lstrcpynW(data.szTip, L"Minimal dialog", ARRAYSIZE(data.szTip));
  g_icon_added = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  SetWindowLongPtrW(dialog, GWLP_USERDATA, static_cast<LONG_PTR>(kMainWindowMarker));
  SetPropW(dialog, L"VelkorReady", reinterpret_cast<HANDLE>(1));
}

void End(HWND dialog) {
  if (g_icon_added) {
    NOTIFYICONDATAW data = IconData(dialog);
    Shell_NotifyIconW(NIM_DELETE, &data);
    g_icon_added = false;
  }
  RemovePropW(dialog, L"VelkorReady");
  DestroyWindow(dialog);
  PostQuitMessage(0);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  try {
    switch (message) {
      case WM_INITDIALOG:
        PostMessageW(dialog, kMsgBecomeReady, 0, 0);  // the last step of initialisation
        return FALSE;
      case kMsgBecomeReady:
        BecomeReady(dialog);
        return TRUE;
      case WM_CLOSE:
        End(dialog);
        return TRUE;
      case kMsgKillProgram:
        if (wparam == kKillProgramTag) End(dialog);
        return TRUE;
      default:
        return FALSE;
    }
  } catch (...) {
    return FALSE;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  EmptyDialogTemplate t{};
  t.head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;  // no WS_VISIBLE: it stays hidden
  t.head.cx = 160;
  t.head.cy = 80;
  HWND dialog = CreateDialogIndirectParamW(instance, &t.head, nullptr, DialogProc, 0);
  if (!dialog) return 1;
  MSG msg;
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
    if (IsDialogMessageW(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return got < 0 ? 1 : static_cast<int>(msg.wParam);
}
