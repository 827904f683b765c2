// Owners of GDI objects and device contexts, each released by the call that
// matches the one that made it.
#pragma once

#include <windows.h>

#include <utility>

#include "platform/win32/handles.h"

namespace velkor {

struct GdiObjectCloser {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct MemoryDcCloser {
  void operator()(HDC dc) const { DeleteDC(dc); }
};

using UniqueBitmap = UniqueResource<HBITMAP, nullptr, GdiObjectCloser>;
using UniqueFont = UniqueResource<HFONT, nullptr, GdiObjectCloser>;
using UniqueRegion = UniqueResource<HRGN, nullptr, GdiObjectCloser>;
using UniquePen = UniqueResource<HPEN, nullptr, GdiObjectCloser>;
using UniqueBrush = UniqueResource<HBRUSH, nullptr, GdiObjectCloser>;
using UniqueMemoryDc = UniqueResource<HDC, nullptr, MemoryDcCloser>;

// GetDC / ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  // GetDCEx with these flags (released the same way).
  WindowDc(HWND hwnd, DWORD flags) : hwnd_(hwnd), dc_(GetDCEx(hwnd, nullptr, flags)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// SelectObject, undone at the end of the scope.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Asks the parent to paint what lies under a child into the child's DC
// (WM_PRINTCLIENT with the origin moved), for controls drawn over a skinned
// background.
inline void PaintParentBackground(HWND child, HDC dc) {
  HWND parent = GetParent(child);
  if (!parent) return;
  POINT origin{0, 0};
  MapWindowPoints(child, parent, &origin, 1);
  POINT old{};
  OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
  SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

}  // namespace velkor
