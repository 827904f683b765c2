#include "ui/win32/subclass_wnd.h"

#include <mutex>
#include <unordered_map>

namespace velkor {

namespace {

// One window's hooks: the first of them (null while a later subclass of the
// window still calls our procedure, see Unhook) and the window's procedure
// from before the first hook.
struct Chain {
  CSubclassWnd* head = nullptr;
  WNDPROC original = nullptr;
};

struct ChainTable {
  std::mutex lock;
  std::unordered_map<HWND, Chain> chains;
};

// Made on first use and never destroyed, so that hooks held by objects with
// static lifetime can still unhook at exit.
ChainTable& Chains() {
  static ChainTable* table = new ChainTable;
  return *table;
}

bool OwnedByThisProcess(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process == GetCurrentProcessId();
}

}  // namespace

CSubclassWnd::~CSubclassWnd() {
  Unhook();
}

bool CSubclassWnd::Hook(HWND window) {
  Unhook();
  // Unhooking keeps what a message in progress needs to reach the window.
  if (!window) return true;
  last_window_ = nullptr;
  original_ = nullptr;
  if (!IsWindow(window) || !OwnedByThisProcess(window)) return false;
  ChainTable& table = Chains();
  std::lock_guard guard(table.lock);
  auto found = table.chains.find(window);
  if (found == table.chains.end()) {
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSubclassWnd::HookProc)));
    if (!previous) return false;
    found = table.chains.emplace(window, Chain{nullptr, previous}).first;
  }
  window_ = last_window_ = window;
  original_ = found->second.original;
  next_ = found->second.head;
  found->second.head = this;
  return true;
}

void CSubclassWnd::Unhook() {
  if (!window_) return;
  ChainTable& table = Chains();
  std::lock_guard guard(table.lock);
  auto found = table.chains.find(window_);
  if (found != table.chains.end()) {
    Chain& chain = found->second;
    CSubclassWnd** link = &chain.head;
    while (*link && *link != this) link = &(*link)->next_;
    if (*link) *link = next_;
    if (!chain.head) {
      if (!IsWindow(window_)) {
        table.chains.erase(found);
      } else if (GetWindowLongPtrW(window_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CSubclassWnd::HookProc)) {
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain.original));
        table.chains.erase(found);
      }
      // Otherwise someone subclassed the window after our first hook and
      // passes its messages to our procedure: putting the original back would
      // cut that subclass off, and dropping the chain would leave our
      // procedure with nowhere to send them. The empty chain stays and passes
      // everything to the original procedure until the window is destroyed.
    }
  }
  window_ = nullptr;
  next_ = nullptr;
}

LRESULT CSubclassWnd::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (next_) return next_->WindowProc(message, wparam, lparam);
  if (window_) return CallWindowProcW(original_, window_, message, wparam, lparam);
  // This hook was taken out of the chain while it handled the message (its
  // handler closed something, or the window was destroyed meanwhile): the
  // window's own procedure still gets the message if the window lives.
  if (original_ && last_window_ && IsWindow(last_window_)) {
    return CallWindowProcW(original_, last_window_, message, wparam, lparam);
  }
  return 0;
}

LRESULT CALLBACK CSubclassWnd::HookProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  WNDPROC original = nullptr;
  try {
    ChainTable& table = Chains();
    CSubclassWnd* head = nullptr;
    bool known = false;
    {
      std::lock_guard guard(table.lock);
      auto found = table.chains.find(hwnd);
      if (found != table.chains.end()) {
        known = true;
        head = found->second.head;
        original = found->second.original;
        if (message == WM_NCDESTROY) {
          // The window goes: every hook lets go of it before its own
          // procedure sees the last message.
          for (CSubclassWnd* hook = head; hook;) {
            CSubclassWnd* next = hook->next_;
            hook->window_ = nullptr;
            hook->next_ = nullptr;
            hook = next;
          }
          if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CSubclassWnd::HookProc)) {
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
          }
          table.chains.erase(found);
          head = nullptr;
        }
      }
    }
    if (head) return head->WindowProc(message, wparam, lparam);
    if (original) return CallWindowProcW(original, hwnd, message, wparam, lparam);
    if (!known) return DefWindowProcW(hwnd, message, wparam, lparam);
    return 0;
  } catch (...) {
    // No exception leaves a window procedure: the window's own procedure
    // answers instead.
  }
  return original ? CallWindowProcW(original, hwnd, message, wparam, lparam) : 0;
}

}  // namespace velkor
