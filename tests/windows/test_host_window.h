// The plain top-level window class that widget tests put their controls on:
// registered once per name, with the test's own window procedure.
#pragma once

#include <windows.h>

namespace velkor::testing {

inline ATOM RegisterTestHostClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = name;
  return RegisterClassW(&wc);
}

}  // namespace velkor::testing
