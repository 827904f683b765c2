#include "tests/windows/app_driver.h"

#include <algorithm>
#include <iterator>
#include <sstream>

namespace velkor::testing {

namespace {

constexpr DWORD kMessageMs = 5000;       // bound of every cross-process SendMessage here
constexpr DWORD_PTR kMaxText = 1 << 20;  // characters; a longer answer is cut there

bool HasClass(HWND window, const wchar_t* name) {
  wchar_t cls[16] = {};
  return GetClassNameW(window, cls, 16) > 0 && CompareStringOrdinal(cls, -1, name, -1, TRUE) == CSTR_EQUAL;
}

DWORD ProcessOf(HWND window) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  return owner;
}

// The top-level windows of a process, in z-order, gathered first so that
// windows opening or closing meanwhile cannot upset the walk.
std::vector<HWND> TopWindowsOf(DWORD process_id) {
  struct Walk {
    DWORD process_id;
    std::vector<HWND> windows;
  } walk{process_id, {}};
  EnumWindows(
      [](HWND w, LPARAM data) -> BOOL {
        auto* walk = reinterpret_cast<Walk*>(data);
        if (ProcessOf(w) == walk->process_id) walk->windows.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&walk));
  return walk.windows;
}

}  // namespace

std::wstring WindowText(HWND window) {
  if (!window) return {};
  DWORD_PTR length = 0;
  if (SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kMessageMs, &length)) {
    length = std::min(length, kMaxText);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                            kMessageMs, &copied)) {
      text.resize(std::min<size_t>(copied, length));
      return text;
    }
  }
  std::wstring text(256, L'\0');
  for (;;) {
    const int n = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    if (n < static_cast<int>(text.size()) - 1 || text.size() > kMaxText) {
      text.resize(std::max(n, 0));
      return text;
    }
    text.resize(text.size() * 2);
  }
}

namespace {

// Whether a dialog is a message box: it holds the text control, at least one
// of the message box's buttons, and nothing else but its icon (id 20 on
// Windows, 1088 under Wine). An about box with the same statics and an OK
// button also holds controls of its own ids, and so is none.
bool LooksLikeMessageBox(HWND dialog) {
  constexpr int kIconIds[] = {0x0014, 0x0440};
  if (!GetDlgItem(dialog, kMessageBoxTextId)) return false;
  bool button = false;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(c);
    if (id >= IDOK && id <= IDCONTINUE && HasClass(c, L"Button")) {
      button = true;
    } else if (id != kMessageBoxTextId &&
               std::find(std::begin(kIconIds), std::end(kIconIds), id) == std::end(kIconIds)) {
      return false;
    }
  }
  return button;
}

bool ParseHexByte(const std::string& token, uint8_t& out) {
  if (token.empty() || token.size() > 2) return false;
  unsigned value = 0;
  for (char c : token) {
    value <<= 4;
    if (c >= '0' && c <= '9') {
      value |= static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      value |= static_cast<unsigned>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      value |= static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
  }
  out = static_cast<uint8_t>(value);
  return true;
}

}  // namespace

AppDriver::~AppDriver() {
  if (running()) End(5000);
}

bool AppDriver::Start(const std::wstring& arguments, const std::wstring& program, DWORD timeout_ms) {
  if (running()) return false;
  main_ = nullptr;
  process_ = StartProgram(program, arguments);
  if (!process_) return false;
  return WaitReady(timeout_ms);
}

bool AppDriver::End(DWORD timeout_ms) {
  if (!process_) return false;
  if (!running()) return true;
  if (HWND w = main_window()) PostMessageW(w, kDriverEndMessage, kDriverEndTag, 0);
  if (process_.WaitForExit(timeout_ms)) return true;
  process_.Terminate();
  process_.WaitForExit(5000);
  return false;
}

bool AppDriver::running() const { return process_ && !process_.WaitForExit(0); }

HWND AppDriver::main_window() const {
  if (!process_) return nullptr;
  if (main_ && IsWindow(main_) && ProcessOf(main_) == process_.id() &&
      static_cast<uint32_t>(GetWindowLongPtrW(main_, GWLP_USERDATA)) == kDriverMainMarker) {
    return main_;
  }
  main_ = FindMarkedWindow(process_.id());
  return main_;
}

bool AppDriver::WaitReady(DWORD timeout_ms) {
  auto ready = [&] {
    HWND w = main_window();
    return w && GetPropW(w, L"VelkorReady") != nullptr;
  };
  // A program that ended cannot become ready: stop waiting then.
  WaitFor([&] { return ready() || !running(); }, timeout_ms);
  return running() && ready();
}

bool AppDriver::PostCommand(int id) {
  HWND w = main_window();
  return w && PostMessageW(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(w, id)));
}

bool AppDriver::SendCommand(int id, DWORD timeout_ms) {
  HWND w = main_window();
  DWORD_PTR result = 0;
  return w && SendMessageTimeoutW(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                                  reinterpret_cast<LPARAM>(GetDlgItem(w, id)), SMTO_NORMAL, timeout_ms, &result);
}

bool AppDriver::Post(UINT message, WPARAM wparam, LPARAM lparam) {
  HWND w = main_window();
  return w && PostMessageW(w, message, wparam, lparam);
}

bool AppDriver::Answers(DWORD timeout_ms, DWORD* elapsed_ms) {
  if (elapsed_ms) *elapsed_ms = 0;
  HWND w = main_window();
  if (!w) return false;
  LARGE_INTEGER frequency{};
  LARGE_INTEGER start{};
  LARGE_INTEGER end{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  DWORD_PTR result = 0;
  const bool answered = SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms, &result) != 0;
  QueryPerformanceCounter(&end);
  if (elapsed_ms) *elapsed_ms = static_cast<DWORD>((end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
  return answered;
}

HWND AppDriver::Control(int id) {
  HWND w = main_window();
  return w ? GetDlgItem(w, id) : nullptr;
}

bool AppDriver::HasControl(int id) { return Control(id) != nullptr; }

std::wstring AppDriver::ControlText(int id) { return WindowText(Control(id)); }

bool AppDriver::ControlVisible(int id) {
  HWND c = Control(id);
  return c && (GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool AppDriver::ControlEnabled(int id) {
  HWND c = Control(id);
  return c && IsWindowEnabled(c);
}

bool AppDriver::ControlChecked(int id) {
  HWND c = Control(id);
  DWORD_PTR state = BST_UNCHECKED;
  return c && SendMessageTimeoutW(c, BM_GETCHECK, 0, 0, SMTO_NORMAL, kMessageMs, &state) && state == BST_CHECKED;
}

bool AppDriver::MainVisible() {
  HWND w = main_window();
  return w && IsWindowVisible(w);
}

DriverTrayState AppDriver::Tray() {
  DriverTrayState state;
  HWND w = main_window();
  if (!w) return state;
  state.icon = static_cast<UINT>(reinterpret_cast<UINT_PTR>(GetPropW(w, L"VelkorTrayIcon")));
  state.adds = static_cast<UINT>(reinterpret_cast<UINT_PTR>(GetPropW(w, L"VelkorTrayAdds")));
  const auto tip = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(w, L"VelkorTrayTip")));
  if (tip) {
    wchar_t name[256] = {};  // an atom's name is at most 255 characters
    const UINT n = GlobalGetAtomNameW(tip, name, 256);
    state.tip.assign(name, n);
  }
  return state;
}

template <class F>
void AppDriver::ForEachTopDialog(F f) {
  if (!process_) return;
  HWND main = main_window();
  for (HWND w : TopWindowsOf(process_.id())) {
    if (w != main && HasClass(w, L"#32770") && f(w)) return;
  }
}

HWND AppDriver::FindMessageBox() {
  HWND found = nullptr;
  ForEachTopDialog([&](HWND w) {
    if (!IsWindowVisible(w) || !LooksLikeMessageBox(w)) return false;
    found = w;
    return true;
  });
  return found;
}

bool AppDriver::WaitMessageBox(DWORD timeout_ms, std::wstring* text) {
  HWND box = nullptr;
  if (!WaitFor([&] { return (box = FindMessageBox()) != nullptr; }, timeout_ms)) return false;
  if (text) *text = WindowText(GetDlgItem(box, kMessageBoxTextId));
  return true;
}

bool AppDriver::AnswerMessageBox(int button_id, DWORD timeout_ms) {
  HWND box = FindMessageBox();
  if (!box) return false;
  HWND button = GetDlgItem(box, button_id);
  if (!button || !IsWindowEnabled(button)) return false;
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  return WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, timeout_ms);
}

int AppDriver::CountDialogsWithControl(int control_id, bool visible_only) {
  int count = 0;
  ForEachTopDialog([&](HWND w) {
    if (GetDlgItem(w, control_id) && (!visible_only || IsWindowVisible(w))) ++count;
    return false;
  });
  return count;
}

HWND AppDriver::FindDialogWithControl(int control_id) {
  HWND found = nullptr;
  ForEachTopDialog([&](HWND w) {
    if (!IsWindowVisible(w) || !GetDlgItem(w, control_id)) return false;
    found = w;
    return true;
  });
  return found;
}

bool AppDriver::AnswerFileDialog(const std::wstring& name, DWORD timeout_ms) {
  HWND files = nullptr, field = nullptr;
  if (!WaitFor(
          [&] {
            for (int id : {0x47C, 0x480}) {
              if ((files = FindDialogWithControl(id))) return (field = GetDlgItem(files, id)) != nullptr;
            }
            return false;
          },
          timeout_ms)) {
    return false;
  }
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()), SMTO_NORMAL, 5000, &ignored);
  PostMessageW(files, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(files, IDOK)));
  return WaitFor([&] { return !IsWindow(files) || !IsWindowVisible(files); }, timeout_ms);
}

HWND AppDriver::FindPopupMenu() {
  if (!process_) return nullptr;
  for (HWND w : TopWindowsOf(process_.id())) {
    if (IsWindowVisible(w) && HasClass(w, L"#32768")) return w;
  }
  return nullptr;
}

std::optional<DriverPopupMenu> AppDriver::PopupMenu() {
  DriverPopupMenu popup;
  popup.window = FindPopupMenu();
  if (!popup.window) return std::nullopt;
  DWORD_PTR menu = 0;
  if (SendMessageTimeoutW(popup.window, MN_GETHMENU, 0, 0, SMTO_NORMAL, kMessageMs, &menu)) {
    popup.menu = reinterpret_cast<HMENU>(menu);
  }
  if (popup.menu) {
    if (std::optional<std::vector<DriverMenuItem>> items = ReadMenuItems(popup.menu)) {
      popup.items_readable = true;
      popup.items = std::move(*items);
    }
  }
  return popup;
}

bool AppDriver::WaitPopupMenu(DWORD timeout_ms, std::vector<DriverMenuItem>* items) {
  if (items) items->clear();
  if (!WaitFor([&] { return FindPopupMenu() != nullptr; }, timeout_ms)) return false;
  if (!items) return true;
  // Asked for the items: an open menu whose items cannot be read is not
  // reported as an empty one.
  std::optional<DriverPopupMenu> popup = PopupMenu();
  if (!popup || !popup->items_readable) return false;
  *items = std::move(popup->items);
  return true;
}

bool AppDriver::ClosePopupMenu(DWORD timeout_ms) {
  HWND popup = FindPopupMenu();
  if (!popup) return true;
  HWND owner = GetWindow(popup, GW_OWNER);
  if (!owner) owner = main_window();
  // The owner's default handling of WM_CANCELMODE ends the menu; Escape
  // (once per open level) is the fallback.
  if (owner) PostMessageW(owner, WM_CANCELMODE, 0, 0);
  if (WaitFor([&] { return FindPopupMenu() == nullptr; }, timeout_ms / 2)) return true;
  constexpr int kLevels = 4;
  for (int level = 0; level < kLevels; ++level) {
    if (!PressMenuKey(VK_ESCAPE)) return true;
    if (WaitFor([&] { return FindPopupMenu() == nullptr; }, timeout_ms / 2 / kLevels)) return true;
  }
  return FindPopupMenu() == nullptr;
}

bool AppDriver::PressMenuKey(WORD virtual_key) {
  HWND popup = FindPopupMenu();
  if (!popup) return false;
  // The menu's loop reads keys from its thread's queue whatever window they
  // are posted to; lParam as the keyboard gives it (repeat 1, scan code).
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC)) << 16;
  return PostMessageW(popup, WM_KEYDOWN, virtual_key, scan | 1) &&
         PostMessageW(popup, WM_KEYUP, virtual_key, scan | 1 | (LPARAM{3} << 30));
}

bool AppDriver::TypeMenuMnemonic(wchar_t letter) {
  HWND popup = FindPopupMenu();
  return popup && PostMessageW(popup, WM_CHAR, letter, 1);
}

bool AppDriver::ChooseMenuItem(UINT id, DWORD timeout_ms) {
  std::optional<DriverPopupMenu> popup = PopupMenu();
  if (!popup) return false;
  // Where the items can be read, only an enabled item of the menu can be chosen.
  if (popup->items_readable && std::none_of(popup->items.begin(), popup->items.end(), [&](const DriverMenuItem& item) {
        return item.id == id && !item.separator && !item.submenu && item.enabled;
      })) {
    return false;
  }
  HWND owner = GetWindow(popup->window, GW_OWNER);
  if (!owner) owner = main_window();
  if (!owner || !ClosePopupMenu(timeout_ms)) return false;
  return PostMessageW(owner, WM_COMMAND, MAKEWPARAM(id, 0), 0) != FALSE;
}

std::optional<std::vector<DriverMenuItem>> ReadMenuItems(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  if (count < 0) return std::nullopt;
  std::vector<DriverMenuItem> items;
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) return std::nullopt;
    DriverMenuItem item;
    item.id = info.wID;
    item.separator = (info.fType & MFT_SEPARATOR) != 0;
    item.is_default = (info.fState & MFS_DEFAULT) != 0;
    item.checked = (info.fState & MFS_CHECKED) != 0;
    item.enabled = (info.fState & MFS_DISABLED) == 0;  // grayed or disabled
    item.submenu = info.hSubMenu != nullptr;
    if (!item.separator && info.cch > 0) {
      std::wstring text(info.cch + 1, L'\0');
      info.fMask = MIIM_STRING;
      info.dwTypeData = text.data();
      info.cch = static_cast<UINT>(text.size());
      if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) return std::nullopt;
      text.resize(std::min<size_t>(info.cch, text.size() - 1));
      item.text = std::move(text);
    }
    items.push_back(std::move(item));
  }
  return items;
}

std::string Kbemu(const std::wstring& arguments, DWORD* exit_code) {
  DWORD code = STILL_ACTIVE;
  std::string out = RunAndCapture(L"kbemu.exe", arguments, code);
  if (exit_code) *exit_code = code;
  return out;
}

bool KbemuClearLog() {
  DWORD code = 1;
  return Kbemu(L"log clear", &code).rfind("ok", 0) == 0 && code == 0;
}

std::vector<KbemuRequest> KbemuRequests() { return ParseKbemuRequests(Kbemu(L"log 4000")); }

std::vector<KbemuRequest> ParseKbemuRequests(const std::string& log) {
  std::vector<KbemuRequest> requests;
  std::istringstream lines(log);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t arrow = line.find(" > ");
    const size_t bar = line.find(" | ");
    if (line.empty() || line[0] != '#' || arrow == std::string::npos || bar == std::string::npos || bar < arrow) {
      continue;
    }
    KbemuRequest request;
    std::istringstream head(line.substr(arrow + 3, bar - arrow - 3));
    if (!(head >> request.name)) continue;
    std::istringstream hex(line.substr(bar + 3));
    std::string token;
    bool whole = true;
    while (hex >> token) {
      uint8_t byte = 0;
      if (!ParseHexByte(token, byte)) {
        whole = false;
        break;
      }
      request.bytes.push_back(byte);
    }
    if (whole && !request.bytes.empty()) requests.push_back(std::move(request));
  }
  return requests;
}

void EndProgramsAndResetKeyboard() {
  TerminateAll(L"Velkor.exe");
  TerminateAll(L"Tassel.exe");
  WaitUntil([] { return CountProcesses(L"Velkor.exe") == 0; }, 5000);
  // With no program running, kbemu changes the saved keyboard.
  Kbemu(L"fault clear");
  Kbemu(L"attach");
  Kbemu(L"reset");
}

}  // namespace velkor::testing
