// The system's open and save dialogs, as the program's windows use them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace velkor {

// Profile files, then every file: description and pattern pairs, each ended
// by a null, the list by a second one.
inline constexpr wchar_t kProfileFileFilter[] = L"(*.kpx)\0*.kpx\0(*.*)\0*.*\0";

struct FileDialogRequest {
  HWND owner = nullptr;
  bool save = false;  // a save dialog asks before overwriting
  std::u16string initial_name = u"*.kpx";
  const wchar_t* filter = kProfileFileFilter;
  const wchar_t* default_extension = L"kpx";
  std::u16string initial_folder;  // empty: the system's choice
};

// The chosen path; nothing when the person cancelled. The read-only box is
// hidden; a name longer than the dialog's buffer is cut to fit.
std::optional<std::u16string> AskFileName(const FileDialogRequest& request);

}  // namespace velkor
