// The INI store over the platform's private-profile functions.
#pragma once

#include "platform/ini_store.h"

namespace velkor {

class Win32IniStore : public IniStore {
 public:
  std::u16string ReadString(const std::u16string& path, std::u16string_view section,
                            std::u16string_view key, std::u16string_view default_text,
                            size_t capacity = kTextCapacity) override;
  bool WriteString(const std::u16string& path, std::u16string_view section, std::u16string_view key,
                   std::u16string_view value) override;
};

}  // namespace velkor
