#include "editors/update_rules.h"

namespace velkor {

UpdateOutcome StartUpdate(UpdateHost& host, std::u16string& chosen_path) {
  UpdateOutcome outcome = UpdateOutcome::kStarted;
  if (chosen_path.empty() || !host.FileExists(chosen_path)) {
    outcome = UpdateOutcome::kNoUpdater;
  } else if (!host.EnterBootMode()) {
    outcome = UpdateOutcome::kBootModeRefused;
  } else {
    const intptr_t result = host.ShellOpen(chosen_path);
    chosen_path.clear();
    if (!ShellStarted(result)) outcome = UpdateOutcome::kUpdaterNotStarted;
  }
  if (const std::optional<LangKey> text = UpdateOutcomeText(outcome)) {
    host.ShowText(*text);
  } else {
    host.Close();
  }
  return outcome;
}

std::optional<LangKey> UpdateOutcomeText(UpdateOutcome outcome) {
  switch (outcome) {
    case UpdateOutcome::kNoUpdater: return LangKey::MAIN_UPDATE_ERROR_TEXT;
    case UpdateOutcome::kBootModeRefused: return LangKey::MAIN_BOOT_ERROR_TEXT;
    // The keyboard waits for a firmware and types nothing until it is
    // plugged in again: the text says so.
    case UpdateOutcome::kUpdaterNotStarted: return LangKey::MAIN_SHELL_ERROR_BOOT_TEXT;
    case UpdateOutcome::kStarted: return std::nullopt;
  }
  return std::nullopt;
}

bool BootModeRequestWritten(int library_result) { return library_result > 0; }

LangKey BackupOutcomeText(bool written) {
  return written ? LangKey::MAIN_UPDATE_BACKUP_OK : LangKey::MAIN_UPDATE_BACKUP_NG;
}

}  // namespace velkor
