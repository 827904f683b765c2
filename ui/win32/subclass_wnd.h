// One hook on one window's messages. Any number of hooks can sit on the same
// window: they form a chain, the newest at its head, and each passes what it
// does not swallow to the next one; the last passes it to the procedure the
// window had before its first hook. The window's procedure is replaced once,
// by the first hook, and put back when the last one goes.
//
// When the window is destroyed (WM_NCDESTROY) every hook of it is unhooked
// before the window's own procedure sees the message, so a hook never outlives
// its window's handle.
#pragma once

#include <windows.h>

namespace velkor {

class CSubclassWnd {
 public:
  CSubclassWnd() = default;
  virtual ~CSubclassWnd();
  CSubclassWnd(const CSubclassWnd&) = delete;
  CSubclassWnd& operator=(const CSubclassWnd&) = delete;

  // With a window: puts this hook at the head of the window's chain (a hook
  // already on a window is unhooked first); false when the window cannot be
  // hooked. With nullptr: takes this hook out of its window's chain, wherever
  // it is in it.
  bool Hook(HWND window);
  HWND hooked_window() const { return window_; }

  // Passes the message on: to the next hook of the chain, or at its end to
  // the window's own procedure. Overrides call this for whatever they do not
  // answer themselves.
  virtual LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  static LRESULT CALLBACK HookProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void Unhook();

  HWND window_ = nullptr;
  // The window's procedure from before its first hook. Kept, with the window
  // it belonged to, after an unhook: a hook taken out of the chain while it is
  // handling a message still passes that message on.
  WNDPROC original_ = nullptr;
  HWND last_window_ = nullptr;
  CSubclassWnd* next_ = nullptr;
};

}  // namespace velkor
