// How other processes and the program's own threads reach its main window:
// the marker it carries as its window user data, and the messages it
// answers. The numbers and tags spell ASCII letters.
#pragma once

#include <cstdint>

#include "resources/resource.h"

namespace velkor {

inline constexpr uint32_t kMainWindowMarker = 0x4D41494E;  // "MAIN"
inline constexpr uint32_t kMsgShowWindow = 0x5350;         // SP
inline constexpr uint32_t kShowWindowTag = 0x4F50454E;     // OPEN
inline constexpr uint32_t kMsgKillProgram = 0x4D4B;        // MK
inline constexpr uint32_t kKillProgramTag = 0x4C4C494B;    // K, I, L, L in memory order
// The notification-area icon's callback message and icon id (also the
// resource of its menu).
inline constexpr uint32_t kTrayCallbackMessage = 1725;
inline constexpr uint32_t kTrayIconId = IDM_TRAY;

}  // namespace velkor
