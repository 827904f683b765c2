// A small stand-in for the program, for the tests of the whole-program test
// driver: a hidden top-level dialog with the main-window marker and the ready
// property, the tray properties, a few controls, and on request a message
// box, a popup menu, modeless about boxes and a busy UI thread.
//
//   driver_target.exe [/noready] [/ready-after=MS]
//
// What it saw lands in the text control, so a test can read it back:
// "chose <id>" for a menu command, "answer <id>" for a message box answer.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "app/program_messages.h"
#include "tests/windows/driver_target_ids.h"

namespace {

using namespace velkor::testing::target;

using velkor::kKillProgramTag;
using velkor::kMainWindowMarker;
using velkor::kMsgKillProgram;
using velkor::kMsgShowWindow;
using velkor::kShowWindowTag;
using velkor::kTrayIconId;
constexpr UINT kMsgTrayCallback = velkor::kTrayCallbackMessage;
constexpr UINT kMsgReady = WM_APP + 1;
constexpr UINT_PTR kReadyTimer = 1;

constexpr UINT kIconKeyboard = IDI_KEYBOARD;
constexpr UINT kIconActivity = IDI_ACTIVITY;

struct Target {
  bool publish_ready = true;
  UINT ready_after_ms = 0;
  UINT tray_adds = 0;
  ATOM tip = 0;
  std::vector<HWND> about_boxes;
};

Target g_target;

// A dialog template with no controls, DWORD-aligned as the dialog manager
// wants it: style, counts, position, then empty menu and class, the title,
// and the font.
std::vector<WORD> DialogTemplate(DWORD style, const wchar_t* title, short cx, short cy) {
  std::vector<WORD> t(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* head = reinterpret_cast<DLGTEMPLATE*>(t.data());
  head->style = style | DS_SETFONT;
  head->cdit = 0;
  head->cx = cx;
  head->cy = cy;
  t.push_back(0);  // no menu
  t.push_back(0);  // the dialog class
  for (const wchar_t* c = title; *c; ++c) t.push_back(static_cast<WORD>(*c));
  t.push_back(0);
  t.push_back(8);  // point size
  for (const wchar_t* c = L"MS Shell Dlg"; *c; ++c) t.push_back(static_cast<WORD>(*c));
  t.push_back(0);
  if (t.size() % 2) t.push_back(0);
  return t;
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x, int y, int w, int h) {
  return CreateWindowExW(0, cls, text, WS_CHILD | style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

void Say(HWND dialog, const std::wstring& text) { SetDlgItemTextW(dialog, kTextControl, text.c_str()); }

void PublishTray(HWND dialog, UINT icon, const wchar_t* tip) {
  if (g_target.tip) GlobalDeleteAtom(g_target.tip);
  g_target.tip = GlobalAddAtomW(tip);
  ++g_target.tray_adds;
  SetPropW(dialog, L"VelkorTrayIcon", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(icon)));
  SetPropW(dialog, L"VelkorTrayAdds", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(g_target.tray_adds)));
  SetPropW(dialog, L"VelkorTrayTip", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(g_target.tip)));
}

void BecomeReady(HWND dialog) {
  PublishTray(dialog, kIconKeyboard, L"Keyboard attached");
  if (g_target.publish_ready) SetPropW(dialog, L"VelkorReady", reinterpret_cast<HANDLE>(1));
}

// The tray menu: a default item, a separator, a checked item, a grayed item.
void ShowPopupMenu(HWND dialog) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuW(menu, MF_STRING, kMenuOpen, L"&Open");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING | MF_CHECKED, kMenuLighting, L"&Lighting on");
  AppendMenuW(menu, MF_STRING | MF_GRAYED, kMenuDisabled, L"Not now");
  AppendMenuW(menu, MF_STRING, kMenuExit, L"E&xit");
  SetMenuDefaultItem(menu, kMenuOpen, FALSE);
  POINT at{};
  GetCursorPos(&at);
  // The usual tray-menu dance: the owner in front so that the menu closes
  // when the person clicks elsewhere, and a message after it.
  SetForegroundWindow(dialog);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, dialog, nullptr);
  PostMessageW(dialog, WM_NULL, 0, 0);
  Say(dialog, L"menu ended");  // a chosen item's command arrives after this
  DestroyMenu(menu);
}

INT_PTR CALLBACK AboutProc(HWND about, UINT message, WPARAM wparam, LPARAM) {
  try {
    switch (message) {
      case WM_INITDIALOG:
        Child(about, L"STATIC", L"Driver target 1.0", WS_VISIBLE, kAboutMarkControl, 10, 10, 200, 20);
        // Like a static of a dialog resource without an id of its own.
        Child(about, L"STATIC", L"A test program", WS_VISIBLE, 0xFFFF, 10, 30, 200, 20);
        Child(about, L"BUTTON", L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 10, 55, 80, 24);
        return TRUE;
      case WM_COMMAND:
        if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) DestroyWindow(about);
        return TRUE;
      case WM_CLOSE:
        DestroyWindow(about);
        return TRUE;
      case WM_DESTROY:
        std::erase(g_target.about_boxes, about);
        return TRUE;
      default:
        return FALSE;
    }
  } catch (...) {
    return FALSE;
  }
}

void OpenAbout(HWND dialog) {
  std::vector<WORD> t = DialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, L"About", 160, 60);
  HWND about = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(t.data()), nullptr,
                                          AboutProc, 0);
  if (about) g_target.about_boxes.push_back(about);
  (void)dialog;
}

void OnCommand(HWND dialog, int id) {
  switch (id) {
    case kCmdAsk: {
      const int answer = MessageBoxW(dialog, L"Keep the changes?", L"Driver target", MB_YESNOCANCEL | MB_ICONQUESTION);
      Say(dialog, L"answer " + std::to_wstring(answer));
      break;
    }
    case kCmdMenu:
      ShowPopupMenu(dialog);
      break;
    case kCmdAbout:
      OpenAbout(dialog);
      break;
    case kCmdHang:
      Sleep(1000);  // stands for a UI thread stuck on slow work
      break;
    case kCmdQuitSeven:
      DestroyWindow(dialog);
      PostQuitMessage(7);
      break;
    case kCmdTrayBusy:
      PublishTray(dialog, kIconActivity, L"Busy");
      break;
    case kCheckControl: {
      const bool checked = SendDlgItemMessageW(dialog, kCheckControl, BM_GETCHECK, 0, 0) == BST_CHECKED;
      SendDlgItemMessageW(dialog, kCheckControl, BM_SETCHECK, checked ? BST_UNCHECKED : BST_CHECKED, 0);
      break;
    }
    case IDOK:
    case IDCANCEL:
      ShowWindow(dialog, SW_HIDE);
      break;
    case kMenuOpen:
      ShowWindow(dialog, SW_SHOW);
      [[fallthrough]];
    default:
      Say(dialog, L"chose " + std::to_wstring(id));
      break;
  }
}

void End(HWND dialog) {
  for (HWND about : std::vector<HWND>(g_target.about_boxes)) DestroyWindow(about);
  DestroyWindow(dialog);
  PostQuitMessage(0);
}

INT_PTR CALLBACK MainProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    switch (message) {
      case WM_INITDIALOG:
        Child(dialog, L"EDIT", L"idle", WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, kTextControl, 10, 10, 260, 22);
        Child(dialog, L"BUTTON", L"Check", WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX, kCheckControl, 10, 40, 120, 22);
        Child(dialog, L"BUTTON", L"Disabled", WS_VISIBLE | WS_DISABLED | BS_PUSHBUTTON, kDisabledControl, 140, 40, 120,
              22);
        Child(dialog, L"STATIC", L"Hidden", 0, kHiddenControl, 10, 70, 120, 22);
        SetWindowLongPtrW(dialog, GWLP_USERDATA, static_cast<LONG_PTR>(kMainWindowMarker));
        if (g_target.ready_after_ms > 0) {
          SetTimer(dialog, kReadyTimer, g_target.ready_after_ms, nullptr);
        } else {
          PostMessageW(dialog, kMsgReady, 0, 0);
        }
        return FALSE;
      case WM_TIMER:
        if (wparam == kReadyTimer) {
          KillTimer(dialog, kReadyTimer);
          BecomeReady(dialog);
        }
        return TRUE;
      case kMsgReady:
        BecomeReady(dialog);
        return TRUE;
      case WM_COMMAND:
        // Clicks, menu items and accelerators; not the text control's own
        // notifications, which its updates send.
        if (HIWORD(wparam) <= 1) OnCommand(dialog, LOWORD(wparam));
        return TRUE;
      case kMsgShowWindow:
        if (wparam == kShowWindowTag) ShowWindow(dialog, SW_SHOW);
        return TRUE;
      case kMsgKillProgram:
        if (wparam == kKillProgramTag) End(dialog);
        return TRUE;
      case kMsgTrayCallback:
        if (wparam == kTrayIconId && lparam == WM_RBUTTONUP) ShowPopupMenu(dialog);
        if (wparam == kTrayIconId && lparam == WM_LBUTTONDBLCLK) ShowWindow(dialog, SW_SHOW);
        return TRUE;
      case WM_CLOSE:
        ShowWindow(dialog, SW_HIDE);
        return TRUE;
      case WM_DESTROY:
        for (const wchar_t* p : {L"VelkorReady", L"VelkorTrayIcon", L"VelkorTrayAdds", L"VelkorTrayTip"}) {
          RemovePropW(dialog, p);
        }
        if (g_target.tip) GlobalDeleteAtom(g_target.tip);
        g_target.tip = 0;
        return TRUE;
      default:
        return FALSE;
    }
  } catch (...) {
    return FALSE;
  }
}

void ReadArguments() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return;
  for (int i = 1; i < count; ++i) {
    const std::wstring a = argv[i];
    if (a == L"/noready") g_target.publish_ready = false;
    if (a.rfind(L"/ready-after=", 0) == 0)
      g_target.ready_after_ms = static_cast<UINT>(std::wcstoul(a.c_str() + 13, nullptr, 10));
  }
  LocalFree(argv);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  ReadArguments();
  std::vector<WORD> t = DialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU, L"Driver target", 200, 120);
  HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(t.data()), nullptr,
                                           MainProc, 0);
  if (!dialog) return 1;
  MSG msg;
  int result;
  while ((result = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
    HWND active = GetActiveWindow();
    if (active && IsDialogMessageW(active, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return result < 0 ? 1 : static_cast<int>(msg.wParam);
}
