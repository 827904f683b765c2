// A console tool for scripts that drive the running program with real X
// input: it finds the program's marked main window and prints what a script
// needs to aim the pointer and to check the outcome.
//
//   velkor_probe visible            1 when the main window is shown, else 0
//   velkor_probe ready              1 once the program has finished its start, else 0
//   velkor_probe first              1 when the program's process is the first the system lists
//   velkor_probe center ID          screen centre "X Y" of the control ID
//   velkor_probe origin             screen "X Y" of the main window's top-left corner
//   velkor_probe text ID            the control's text
//   velkor_probe shown ID           1 when the control is visible, else 0
//   velkor_probe select ID INDEX    selects a drop-down list's item as a person's choice does
//   velkor_probe dialog-center HOLDER ID
//                                   screen centre "X Y" of control ID in the program's open dialog
//                                   (not the main window) that holds control HOLDER
//   velkor_probe rows HOLDER        the number of rows of the list HOLDER in that dialog
//   velkor_probe dialog-text HOLDER ID
//                                   the text of control ID in that dialog (a combo box's edit text)
//   velkor_probe enabled ID         1 or 0
//   velkor_probe box                the open message box's text, or nothing
//   velkor_probe box-button ID      screen centre "X Y" of that message box button
//   velkor_probe post MSG WP LP     posts a message to the main window (decimal numbers)
//   velkor_probe editor             "SLOT CONTROL" of the open key editor (hex slot), or nothing
//   velkor_probe editor-center      screen centre "X Y" of the open key editor
//
// Exit code 0 when it could answer, 1 when the window or control is missing.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/program_messages.h"

namespace {

constexpr LONG_PTR kMainMarker = velkor::kMainWindowMarker;

HWND FindMainWindow() {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (GetWindowLongPtrW(w, GWLP_USERDATA) == kMainMarker) return w;
  }
  return nullptr;
}

// A top-level window of the main window's process holding the message-box
// text control.
HWND FindMessageBox(HWND main) {
  DWORD process = 0;
  GetWindowThreadProcessId(main, &process);
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == process && w != main && IsWindowVisible(w) && GetDlgItem(w, 0xFFFF)) return w;
  }
  return nullptr;
}

int PrintCenter(HWND control) {
  if (!control) return 1;
  RECT r{};
  GetWindowRect(control, &r);
  std::printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  return 0;
}

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  out.resize(out.find('\0'));
  return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring command = argv[1];
  const int id = argc > 2 ? _wtoi(argv[2]) : 0;
  HWND main = FindMainWindow();
  if (!main) return 1;
  if (command == L"visible") {
    std::printf("%d\n", IsWindowVisible(main) ? 1 : 0);
    return 0;
  }
  if (command == L"ready") {
    std::printf("%d\n", GetPropW(main, L"VelkorReady") ? 1 : 0);
    return 0;
  }
  if (command == L"first") {
    DWORD process = 0;
    GetWindowThreadProcessId(main, &process);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 1;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    const bool first = Process32FirstW(snapshot, &entry) && entry.th32ProcessID == process;
    CloseHandle(snapshot);
    std::printf("%d\n", first ? 1 : 0);
    return 0;
  }
  if (command == L"center") return PrintCenter(GetDlgItem(main, id));
  if (command == L"origin") {
    RECT r{};
    GetWindowRect(main, &r);
    std::printf("%ld %ld\n", r.left, r.top);
    return 0;
  }
  if (command == L"select" && argc > 3) {
    HWND list = GetDlgItem(main, id);
    if (!list) return 1;
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(_wtoi(argv[3])), 0);
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    return 0;
  }
  if (command == L"text" || command == L"shown") {
    HWND control = GetDlgItem(main, id);
    if (!control) return 1;
    if (command == L"shown") {
      std::printf("%d\n", IsWindowVisible(control) ? 1 : 0);
      return 0;
    }
    // Another process's edit control answers only the message itself.
    wchar_t text[256] = {};
    SendMessageW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    std::printf("%s\n", Utf8(text).c_str());
    return 0;
  }
  if (command == L"post" && argc > 4) {
    return PostMessageW(main, static_cast<UINT>(_wtoi(argv[2])), static_cast<WPARAM>(_wtoi64(argv[3])),
                        static_cast<LPARAM>(_wtoi64(argv[4])))
               ? 0
               : 1;
  }
  if (command == L"enabled") {
    HWND control = GetDlgItem(main, id);
    if (!control) return 1;
    std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
    return 0;
  }
  if (command == L"editor" || command == L"editor-center") {
    DWORD process = 0;
    GetWindowThreadProcessId(main, &process);
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner != process || !GetPropW(w, L"VelkorEditorSlot")) continue;
      if (command == L"editor-center") return PrintCenter(w);
      std::printf("%X %d\n", static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(w, L"VelkorEditorSlot"))) - 1,
                  static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(w, L"VelkorEditorControl"))));
      return 0;
    }
    return 0;
  }
  if (((command == L"dialog-center" || command == L"dialog-text") && argc > 3) || command == L"rows") {
    DWORD process = 0;
    GetWindowThreadProcessId(main, &process);
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner != process || w == main || !IsWindowVisible(w) || !GetDlgItem(w, id)) continue;
      if (command == L"rows") {
        std::printf("%d\n", static_cast<int>(SendMessageW(GetDlgItem(w, id), LVM_GETITEMCOUNT, 0, 0)));
        return 0;
      }
      if (command == L"dialog-text") {
        HWND control = GetDlgItem(w, _wtoi(argv[3]));
        if (!control) return 1;
        wchar_t text[300] = {};
        SendMessageW(control, WM_GETTEXT, 300, reinterpret_cast<LPARAM>(text));
        std::printf("%s\n", Utf8(text).c_str());
        return 0;
      }
      return PrintCenter(GetDlgItem(w, _wtoi(argv[3])));
    }
    return 1;
  }
  HWND box = FindMessageBox(main);
  if (command == L"box") {
    if (box) {
      wchar_t text[1024] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 1024);
      std::printf("%s\n", Utf8(text).c_str());
    }
    return 0;
  }
  if (command == L"box-button") return box ? PrintCenter(GetDlgItem(box, id)) : 1;
  return 2;
}
