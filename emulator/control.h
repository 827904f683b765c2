// The emulator's control language, shared by the control channel of a
// running program's emulator and by the kbemu tool working on a saved state:
//   status | attach | detach | bankkey | lightkey | activity | reset
//   fault <noreply|echo|status-ff|status-fe|refuse> [count|always] [command-code] [after N]
//   fault random <seed> <percent> | fault clear
//   dump <config|lighting|colours P|keymap P|default|macros>
//   log [N] | log clear | latency <to-keyboard-us> <to-host-us>
#pragma once

#include <string>
#include <vector>

#include "emulator/keyboard_emulator.h"

namespace velkor {

std::vector<std::string> SplitWords(const std::string& line);

// Runs one command on the emulator and returns its answer (ending in a line
// break; errors begin with "error:"). Events the keyboard sends are added to
// events for the caller to deliver.
std::string RunControlCommand(KeyboardEmulator& emulator, const std::vector<std::string>& words,
                              std::vector<KeyboardEvent>& events);

}  // namespace velkor
