// The controls and commands of driver_target.exe, the small program the
// driver's own tests drive.
#pragma once

#include <windows.h>

namespace velkor::testing::target {

constexpr int kTextControl = 1001;
constexpr int kCheckControl = 1002;
constexpr int kDisabledControl = 1003;
constexpr int kHiddenControl = 1004;
constexpr int kAboutMarkControl = 1206;

constexpr int kCmdAsk = 2001;        // a Yes/No/Cancel message box
constexpr int kCmdMenu = 2002;       // the popup menu
constexpr int kCmdAbout = 2003;      // one more modeless about box
constexpr int kCmdHang = 2004;       // the UI thread does not answer for a second
constexpr int kCmdQuitSeven = 2005;  // ends with exit code 7
constexpr int kCmdTrayBusy = 2006;   // the tray shows activity

constexpr UINT kMenuOpen = 3001;
constexpr UINT kMenuLighting = 3002;
constexpr UINT kMenuDisabled = 3003;
constexpr UINT kMenuExit = 3004;

}  // namespace velkor::testing::target
