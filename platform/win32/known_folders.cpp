#include "platform/win32/known_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/win32/wide.h"

namespace velkor {

std::u16string DocumentsFolder() {
  PWSTR path = nullptr;
  std::u16string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path) {
    folder = FromWide(path);
  }
  CoTaskMemFree(path);
  return folder;
}

}  // namespace velkor
