// The firmware update dialog's decisions: the steps of *Start update* over
// what the window, the file system, the keyboard and the shell give it, and
// the text that tells the person how each step and a backup ended.
//
// The update itself is the external updater's: the dialog only puts the
// keyboard into its boot mode (where it waits for a firmware and types
// nothing) and starts the program the person chose.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ui/language_table.h"

namespace velkor {

// What *Start update* needs from the dialog's surroundings.
class UpdateHost {
 public:
  virtual ~UpdateHost() = default;
  // Whether a file (not a folder) is there.
  virtual bool FileExists(const std::u16string& path) = 0;
  // Writes the boot-mode request without waiting for a reply. False when it
  // was not written: no keyboard, the write refused, or the keyboard busy
  // with other work.
  virtual bool EnterBootMode() = 0;
  // Starts the program through the shell's "open" verb; the shell's result
  // (above 32 once it started).
  virtual intptr_t ShellOpen(const std::u16string& path) = 0;
  virtual void ShowText(LangKey text) = 0;
  // Closes the dialog as Cancel does.
  virtual void Close() = 0;
};

enum class UpdateOutcome {
  kNoUpdater,          // nothing at the chosen path; nothing was sent
  kBootModeRefused,    // the boot-mode request was not written
  kUpdaterNotStarted,  // the keyboard is in boot mode, but the updater did not start
  kStarted,            // the updater runs; the dialog closed
};

// Checks the chosen updater, sends the boot-mode request, starts the
// updater and closes the dialog, stopping at the first step that fails with
// its text shown. Once the updater was tried, started or not, the chosen
// path is emptied.
UpdateOutcome StartUpdate(UpdateHost& host, std::u16string& chosen_path);

// The text an outcome shows; nothing for a started updater.
std::optional<LangKey> UpdateOutcomeText(UpdateOutcome outcome);

// Whether the service library wrote the boot-mode request: it answers 1 for
// a written report, 0 with no keyboard and a negative number for a write
// refused.
bool BootModeRequestWritten(int library_result);

// Whether the shell's result says the program started.
inline bool ShellStarted(intptr_t shell_result) { return shell_result > 32; }

// The text a backup ends with.
LangKey BackupOutcomeText(bool written);

}  // namespace velkor
