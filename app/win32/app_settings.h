// Small per-user settings: decimal or text values under
// HKEY_CURRENT_USER\Software\<root>\<program name>\<section>.
#pragma once

#include <string>

namespace velkor {

class AppSettings {
 public:
  void SetRoot(std::u16string root, std::u16string program_name) {
    root_ = std::move(root);
    program_ = std::move(program_name);
  }
  std::u16string KeyPath(const std::u16string& section) const {
    return u"Software\\" + root_ + u"\\" + program_ + u"\\" + section;
  }

  std::u16string ReadString(const std::u16string& section, const std::u16string& name,
                            const std::u16string& default_text) const;
  bool WriteString(const std::u16string& section, const std::u16string& name,
                   const std::u16string& value) const;

 private:
  std::u16string root_;
  std::u16string program_;
};

AppSettings& Settings();

}  // namespace velkor
