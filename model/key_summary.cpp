#include "model/key_summary.h"

#include "platform/text.h"

namespace velkor {

namespace {

std::u16string Text(const LanguageTable* language, LangKey key) {
  return std::u16string(TextOrBuiltIn(language, key));
}

std::u16string GHead(int n) {
  std::u16string head(1, u'G');
  head += DecimalText(n);
  return head;
}

std::u16string MacroNameIn(const ProfileImage& image, uint32_t id) {
  for (const MacroRecord& m : image.macros) {
    if (m.id == id) return m.Name();
  }
  return {};
}

template <typename F>
void ForEachVisibleSlot(int g_set, F f) {
  g_set &= 1;  // the bank bit
  for (int n = 1; n <= kGKeyCount; ++n) {
    f(GKeyControl(n), KeyIndexOf(GKeySlot(n, g_set)), GHead(n));
  }
  for (const PanelKey& key : PanelKeyTable()) f(key.control, KeyIndexOf(key.code), std::u16string());
}

}  // namespace

KeySummary SummaryText(std::u16string_view head, const KeyAssignment& entry, const LanguageTable* language,
                       const std::function<std::u16string(uint32_t id)>& macro_name) {
  KeySummary s;
  s.text = std::u16string(head);
  s.assigned = entry.kind != 0;
  if (entry.kind != 0) {
    s.text += Text(language, LangKey::KEY_PROMPT_SET);
    switch (static_cast<AssignmentKind>(entry.kind)) {
      case AssignmentKind::kSingleKey:
        s.text += Text(language, LangKey::KEY_PROMPT_SINGLE) +
                  KeyNameOf(static_cast<KeyCode>(entry.parameter), language) + u")";
        break;
      case AssignmentKind::kPlayMacro:
        s.text += Text(language, LangKey::KEY_PROMPT_MACRO) + (macro_name ? macro_name(entry.parameter) : u"") + u")";
        break;
      case AssignmentKind::kMedia:
        s.text += Text(language, LangKey::KEY_PROMPT_MEDIA) + MediaName(static_cast<int>(entry.parameter), language) + u")";
        break;
      case AssignmentKind::kFunction:
        s.text += Text(language, LangKey::KEY_PROMPT_FUNCTION) +
                  FunctionName(static_cast<int>(entry.parameter), language) + u")";
        break;
      default:
        break;
    }
  }
  if (s.text.size() > kTextCapacity - 1) s.text.resize(kTextCapacity - 1);
  return s;
}

void RefreshKeyButtons(const ProfileImage& image, int bank, int g_set, const LanguageTable* language,
                       KeyButtonView& view) {
  if (bank < 0 || bank >= kImageBanks) return;
  const auto name = [&](uint32_t id) { return MacroNameIn(image, id); };
  ForEachVisibleSlot(g_set, [&](int control, int slot, const std::u16string& g_head) {
    const std::u16string head = g_head.empty() ? KeyNameOf(KeyCodeOf(slot), language) : g_head;
    view.ShowAssignment(control, SummaryText(head, image.Entry(bank, slot), language, name));
  });
}

void ClearVisibleAssignments(ProfileImage& image, int bank, int g_set, const LanguageTable* language,
                             KeyButtonView& view) {
  if (bank < 0 || bank >= kImageBanks) return;
  ForEachVisibleSlot(g_set, [&](int control, int slot, const std::u16string& g_head) {
    image.Entry(bank, slot) = KeyAssignment{};
    const std::u16string head = g_head.empty() ? KeyNameOf(KeyCodeOf(slot), language) : g_head;
    view.ShowAssignment(control, KeySummary{head, false});
  });
  view.EnableApply();
}

}  // namespace velkor
