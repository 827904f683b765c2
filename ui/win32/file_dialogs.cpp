#include "ui/win32/file_dialogs.h"

#include <commdlg.h>

#include "platform/win32/wide.h"

namespace velkor {

std::optional<std::u16string> AskFileName(const FileDialogRequest& request) {
  wchar_t path[MAX_PATH] = {};
  ToWide(request.initial_name).copy(path, MAX_PATH - 1);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = request.owner;
  dialog.lpstrFilter = request.filter;
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrDefExt = request.default_extension;
  if (!request.initial_folder.empty()) dialog.lpstrInitialDir = W(request.initial_folder);
  dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | (request.save ? OFN_OVERWRITEPROMPT : 0);
  if (!(request.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return std::nullopt;
  return FromWide(path);
}

}  // namespace velkor
