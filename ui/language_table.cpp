#include "ui/language_table.h"

#include "platform/text.h"

namespace velkor {

namespace {

struct SlotDef {
  std::u16string_view key;
  std::u16string_view text;
};

constexpr SlotDef kSlots[] = {
#define VELKOR_SLOT_DEF(key, text) {u## #key, text},
    VELKOR_LANGUAGE_SLOTS(VELKOR_SLOT_DEF)
#undef VELKOR_SLOT_DEF
};
static_assert(std::size(kSlots) == kLanguageSlotCount);

constexpr std::u16string_view kCaptionKeys[] = {
#define VELKOR_CAPTION_DEF(key) u## #key,
    VELKOR_MAIN_CAPTIONS(VELKOR_CAPTION_DEF)
#undef VELKOR_CAPTION_DEF
};
static_assert(std::size(kCaptionKeys) == kMainCaptionCount);

constexpr SlotDef kComposite[] = {
#define VELKOR_COMPOSITE_DEF(key, text) {u## #key, text},
    VELKOR_COMPOSITE_KEYS(VELKOR_COMPOSITE_DEF)
#undef VELKOR_COMPOSITE_DEF
};
static_assert(std::size(kComposite) == kCompositeTextCount);

constexpr std::u16string_view kSpace = u" ";

}  // namespace

std::u16string_view LanguageKeyName(LangKey key) { return kSlots[static_cast<size_t>(key)].key; }
std::u16string_view LanguageBuiltIn(LangKey key) { return kSlots[static_cast<size_t>(key)].text; }
std::u16string_view MainCaptionKeyName(MainCaption caption) {
  return kCaptionKeys[static_cast<size_t>(caption)];
}
std::u16string_view CompositeKeyName(CompositeText text) {
  return kComposite[static_cast<size_t>(text)].key;
}

MainWindowLabels::MainWindowLabels()
    : minimise_tip(LanguageBuiltIn(LangKey::MAIN_MINIMIZE_PROMPT)),
      menu_tip(LanguageBuiltIn(LangKey::MAIN_MENU_PROMPT)),
      close_tip(LanguageBuiltIn(LangKey::MAIN_CLOSE_PROMPT)) {
  captions.fill(u"hello");
}

CompositeTexts::CompositeTexts() {
  for (size_t i = 0; i < kCompositeTextCount; ++i) texts[i] = std::u16string(kComposite[i].text);
}

LanguageTable::LanguageTable(IniStore& store, std::u16string path)
    : store_(store), path_(std::move(path)) {
  for (size_t i = 0; i < kLanguageSlotCount; ++i) slots_[i] = std::u16string(kSlots[i].text);
}

std::u16string ExpandLineBreaks(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\\' && i + 1 < text.size() && (text[i + 1] == u'r' || text[i + 1] == u'n')) {
      out += text[i + 1] == u'r' ? u'\r' : u'\n';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::u16string LanguageTable::Read(std::u16string_view section, std::u16string_view key) {
  return ExpandLineBreaks(store_.ReadString(path_, section, key, kSpace, kTextCapacity));
}

std::optional<std::u16string> LanguageTable::ReadKey(std::u16string_view key) {
  const std::u16string_view section = CurrentFileSection();
  if (section.empty()) return std::nullopt;
  return Read(section, key);
}

std::u16string LanguageTable::TextOf(std::u16string_view key) {
  if (std::optional<std::u16string> text = ReadKey(key)) return *text;
  for (size_t i = 0; i < kLanguageSlotCount; ++i) {
    if (EqualsNoCase(kSlots[i].key, key)) return std::u16string(kSlots[i].text);
  }
  for (size_t i = 0; i < kMainCaptionCount; ++i) {
    if (EqualsNoCase(MainCaptionKeyName(MainCaption{i}), key)) return MainWindowLabels().captions[i];
  }
  for (size_t i = 0; i < kCompositeTextCount; ++i) {
    if (EqualsNoCase(kComposite[i].key, key)) return std::u16string(kComposite[i].text);
  }
  return {};
}

int LanguageTable::ReadSelector() { return ParseLeadingInt(Read(u"LANGUAGE", u"language")); }

namespace {
std::u16string_view SectionFor(int language) {
  if (language == 0) return kEnglishSection;
  if (language == 1) return kChineseSection;
  return {};
}
}  // namespace

std::u16string_view LanguageTable::Section() const { return SectionFor(language_); }

std::u16string_view LanguageTable::CurrentFileSection() { return SectionFor(ReadSelector()); }

void LanguageTable::Load() {
  language_ = ReadSelector();
  const std::u16string_view section = Section();
  if (section.empty()) return;
  for (size_t i = 0; i < kLanguageSlotCount; ++i) slots_[i] = Read(section, kSlots[i].key);
}

bool LanguageTable::SwitchLanguage(int n) {
  if (n != 0 && n != 1) return false;
  language_ = n;
  store_.WriteString(path_, u"language", u"language", DecimalText(n));
  Load();
  return true;
}

bool LanguageTable::ReadMainWindowLabels(MainWindowLabels& labels) {
  const std::u16string_view section = CurrentFileSection();
  if (section.empty()) return false;
  for (size_t i = 0; i < kMainCaptionCount; ++i) labels.captions[i] = Read(section, kCaptionKeys[i]);
  labels.minimise_tip = Read(section, u"MAIN_MINIMIZE_PROMPT");
  labels.menu_tip = Read(section, u"MAIN_MENU_PROMPT");
  labels.close_tip = Read(section, u"MAIN_CLOSE_PROMPT");
  return true;
}

std::optional<AboutBoxTexts> LanguageTable::ReadAboutBox() {
  const std::u16string_view section = CurrentFileSection();
  if (section.empty()) return std::nullopt;
  AboutBoxTexts t;
  t.title = Read(section, u"GUANYU_TITLE");
  t.line1 = Read(section, u"GUANYU_JIESHAO");
  t.copyright = Read(section, u"GUANYU_BANQUAN");
  t.ok = Read(section, u"GUANYU_OK");
  return t;
}

bool LanguageTable::ReadCompositeTexts(CompositeTexts& texts) {
  const std::u16string_view section = CurrentFileSection();
  if (section.empty()) return false;
  for (size_t i = 0; i < kCompositeTextCount; ++i) texts.texts[i] = Read(section, kComposite[i].key);
  return true;
}

std::optional<ButtonMenuTexts> LanguageTable::ReadButtonMenu() {
  const std::u16string_view section = CurrentFileSection();
  if (section.empty()) return std::nullopt;
  ButtonMenuTexts t;
  t.import_item = Read(section, u"MENU_1");
  t.export_item = Read(section, u"MENU_2");
  t.about_item = Read(section, u"MENU_3");
  t.close_item = Read(section, u"MENU_4");
  t.chinese_item = Read(kChineseSection, u"CHINESE_5");
  t.english_item = Read(kEnglishSection, u"ENGINSH_6");
  return t;
}

std::optional<TrayMenuTexts> LanguageTable::ReadTrayMenu() {
  const std::u16string_view section = CurrentFileSection();
  if (section.empty()) return std::nullopt;
  TrayMenuTexts t;
  t.open_item = Read(section, u"MENU_11");
  t.about_item = Read(section, u"MENU_22");
  t.exit_item = Read(section, u"MENU_33");
  return t;
}

std::u16string_view TextOrBuiltIn(const LanguageTable* language, LangKey key) {
  return language ? language->Text(key) : LanguageBuiltIn(key);
}

std::u16string KeyTextOrEmpty(LanguageTable* language, std::u16string_view key) {
  return language ? language->TextOf(key) : std::u16string();
}

}  // namespace velkor
