// The program's user-interface texts in two languages, read from
// Skins\language.ini beside the executable.
//
// Section "LANGUAGE", key "language" selects the language: 0 (or a missing or
// non-numeric value) is "ENGINSH", 1 is "CHINESE"; any other number loads
// nothing and every text keeps its built-in value. Each key is read with a
// single space as default, so a key missing from a selected section shows as
// " ".
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ini_store.h"
#include "ui/language_slots.h"

namespace velkor {

enum class LangKey : size_t {
#define VELKOR_SLOT_ENUM(key, text) key,
  VELKOR_LANGUAGE_SLOTS(VELKOR_SLOT_ENUM)
#undef VELKOR_SLOT_ENUM
      kCount
};

enum class MainCaption : size_t {
#define VELKOR_CAPTION_ENUM(key) key,
  VELKOR_MAIN_CAPTIONS(VELKOR_CAPTION_ENUM)
#undef VELKOR_CAPTION_ENUM
      kCount
};

enum class CompositeText : size_t {
#define VELKOR_COMPOSITE_ENUM(key, text) key,
  VELKOR_COMPOSITE_KEYS(VELKOR_COMPOSITE_ENUM)
#undef VELKOR_COMPOSITE_ENUM
      kCount
};

inline constexpr size_t kLanguageSlotCount = static_cast<size_t>(LangKey::kCount);
inline constexpr size_t kMainCaptionCount = static_cast<size_t>(MainCaption::kCount);
inline constexpr size_t kCompositeTextCount = static_cast<size_t>(CompositeText::kCount);

std::u16string_view LanguageKeyName(LangKey key);
std::u16string_view LanguageBuiltIn(LangKey key);
std::u16string_view MainCaptionKeyName(MainCaption caption);
std::u16string_view CompositeKeyName(CompositeText text);

inline constexpr std::u16string_view kEnglishSection = u"ENGINSH";
inline constexpr std::u16string_view kChineseSection = u"CHINESE";

// Captions and tooltips of the main window.
struct MainWindowLabels {
  MainWindowLabels();
  std::array<std::u16string, kMainCaptionCount> captions;  // built-in "hello"
  std::u16string minimise_tip;
  std::u16string menu_tip;
  std::u16string close_tip;
  std::u16string_view Caption(MainCaption c) const { return captions[static_cast<size_t>(c)]; }
};

struct AboutBoxTexts {
  std::u16string title;      // GUANYU_TITLE
  std::u16string line1;      // GUANYU_JIESHAO, control 1206
  std::u16string copyright;  // GUANYU_BANQUAN, control 1205
  std::u16string ok;         // GUANYU_OK
};

struct CompositeTexts {
  CompositeTexts();
  std::array<std::u16string, kCompositeTextCount> texts;
  std::u16string_view Text(CompositeText t) const { return texts[static_cast<size_t>(t)]; }
};

// Labels of the button menu (menu 144).
struct ButtonMenuTexts {
  std::u16string import_item;   // MENU_1, command 32776
  std::u16string export_item;   // MENU_2, command 32777
  std::u16string about_item;    // MENU_3, command 32773
  std::u16string close_item;    // MENU_4, command 32779
  std::u16string chinese_item;  // CHINESE_5 from "CHINESE", command 32784
  std::u16string english_item;  // ENGINSH_6 from "ENGINSH", command 32785
};

// Labels of the tray menu (menu 140).
struct TrayMenuTexts {
  std::u16string open_item;   // MENU_11
  std::u16string about_item;  // MENU_22
  std::u16string exit_item;   // MENU_33
};

// An INI value cannot hold a line break, so the language file writes them as
// the two characters "\r" and "\n"; every text read from it has them turned
// back into line breaks.
std::u16string ExpandLineBreaks(std::u16string_view text);

class LanguageTable {
 public:
  // path: the full path of language.ini; store: how it is read and written.
  LanguageTable(IniStore& store, std::u16string path);

  // Reads the selector and fills every slot in loading order.
  void Load();

  // Remembers n, writes it to the selector and loads the table again. Only 0
  // and 1 are languages; anything else is refused and changes nothing.
  bool SwitchLanguage(int n);

  std::u16string_view Text(LangKey key) const { return slots_[static_cast<size_t>(key)]; }

  // The number the selector held at the last load (or the last switch).
  int language() const { return language_; }
  // The section of the selected language, or empty when none is selected.
  std::u16string_view Section() const;

  // Per-window readers: they read the file as it stands now and return
  // nothing (so the window keeps its texts) when no language is selected.
  bool ReadMainWindowLabels(MainWindowLabels& labels);
  std::optional<AboutBoxTexts> ReadAboutBox();
  bool ReadCompositeTexts(CompositeTexts& texts);
  std::optional<ButtonMenuTexts> ReadButtonMenu();
  std::optional<TrayMenuTexts> ReadTrayMenu();

  // Any key of the selected language's section as the file holds it now (a
  // missing key reads " "); nothing when no language is selected.
  std::optional<std::u16string> ReadKey(std::u16string_view key);
  // What a window shows for a key: ReadKey, or with no language selected the
  // key's built-in text (empty for a key that has none).
  std::u16string TextOf(std::u16string_view key);

  const std::u16string& path() const { return path_; }

 private:
  int ReadSelector();
  std::u16string_view CurrentFileSection();
  std::u16string Read(std::u16string_view section, std::u16string_view key);

  IniStore& store_;
  std::u16string path_;
  int language_ = 0;
  std::array<std::u16string, kLanguageSlotCount> slots_;
};

// A slot's text from the language table, or its built-in text without one.
std::u16string_view TextOrBuiltIn(const LanguageTable* language, LangKey key);
// A language file key's text for a window, as LanguageTable::TextOf gives
// it; empty without a table.
std::u16string KeyTextOrEmpty(LanguageTable* language, std::u16string_view key);

}  // namespace velkor
