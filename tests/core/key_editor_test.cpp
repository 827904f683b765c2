// The key editor's decisions: the page an opening shows, the capture hooks'
// verdicts on scripted keystrokes, Clear, the entry Apply writes, and where
// the dialog opens.
#include "editors/key_editor_rules.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

constexpr KeyCode kA = 0x1E;
constexpr KeyCode kB = 0x30;
constexpr int kSlotA = 0x1E;  // the key index of "A"
constexpr int kG9Slot = 0x108;
constexpr uint32_t kUp = 1u << 31;
constexpr uint32_t kWasDown = 1u << 30;

// The flags word a hook sees for a key's scan code (E0 keys extended).
uint32_t Flags(KeyCode key, uint32_t bits = 0) {
  return ((key & 0xFFu) << 16) | ((key & 0x100u) ? 1u << 24 : 0u) | bits;
}

KeyAssignment Entry(uint16_t kind, uint32_t parameter, uint16_t extra = 0) {
  KeyAssignment e;
  e.kind = kind;
  e.parameter = parameter;
  e.extra = extra;
  e.mark = 0xA5A5A5A5;
  e.reserved = 0x01020304;
  return e;
}

KeyAssignment Applied(const KeyEditorRules& rules, const KeyAssignment& old,
                      std::optional<uint32_t> macro_id = std::nullopt, int cycles = 1, int media = 0,
                      int function = 0) {
  return rules.BuildEntry(old, macro_id, cycles, media, function);
}

TEST(KeyEditorCapture, AKeyAssignedToItselfOrNothingCapturedIsTheDefaultFunction) {
  KeyEditorRules rules;
  rules.Open(kSlotA, false, Entry(0, 0));
  const PageDisplay first = rules.InitialDisplay();
  EXPECT_EQ(first.page, EditorPage::kKey);
  EXPECT_TRUE(first.capture_hooks);
  EXPECT_FALSE(first.key_box);
  // Nothing captured.
  EXPECT_EQ(Applied(rules, Entry(0, 0)).kind, 0);
  // "A" captured for the key "A".
  EXPECT_EQ(rules.OnThreadKey(0x41, Flags(kA)), (CaptureVerdict{CaptureVerdict::Action::kTake, kA}));
  EXPECT_EQ(rules.page_kind(), 2);
  const KeyAssignment itself = Applied(rules, Entry(0, 0));
  EXPECT_EQ(itself.kind, 0);
  EXPECT_EQ(itself.parameter, 0u);
  // "B" captured instead: a single key, the old entry's other words kept.
  rules.OnThreadKey(0x42, Flags(kB));
  const KeyAssignment b = Applied(rules, Entry(0, 0));
  EXPECT_EQ(b.kind, 2);
  EXPECT_EQ(b.parameter, kB);
  EXPECT_EQ(b.extra, 0);
  EXPECT_EQ(b.mark, 0xA5A5A5A5u);
  EXPECT_EQ(b.reserved, 0x01020304u);
}

TEST(KeyEditorCapture, KeystrokesTheThreadHookPassesSwallowsOrTakes) {
  KeyEditorRules rules;
  rules.Open(kSlotA, false, Entry(0, 0));
  rules.InitialDisplay();
  // A held key: the first key-down is taken, its repeats and its release
  // are swallowed and change nothing.
  EXPECT_EQ(rules.OnThreadKey(0x42, Flags(kB)).action, CaptureVerdict::Action::kTake);
  EXPECT_EQ(rules.OnThreadKey(0x43, Flags(0x2E, kWasDown)).action, CaptureVerdict::Action::kSwallow);  // C repeats
  EXPECT_EQ(rules.OnThreadKey(0x43, Flags(0x2E, kUp | kWasDown)).action, CaptureVerdict::Action::kSwallow);
  EXPECT_EQ(rules.captured(), kB);
  // A multimedia key goes on to the system and leaves the capture alone.
  const MediaRow& media = MediaTable()[5];
  EXPECT_EQ(rules.OnThreadKey(media.vk, Flags(media.code)).action, CaptureVerdict::Action::kPass);
  EXPECT_EQ(rules.captured(), kB);
  // Print Screen is only ever seen as its release, and still taken.
  EXPECT_EQ(rules.OnThreadKey(0x2C, Flags(0x137, kUp | kWasDown)),
            (CaptureVerdict{CaptureVerdict::Action::kTake, 0x137}));
  EXPECT_EQ(rules.captured(), 0x137);
  // A keystroke with no key passes.
  EXPECT_EQ(rules.OnThreadKey(0xE8, 0).action, CaptureVerdict::Action::kPass);
}

TEST(KeyEditorCapture, TheLowLevelHookTakesOnlyTheWindowsAndApplicationKeys) {
  KeyEditorRules rules;
  rules.Open(kSlotA, false, Entry(0, 0));
  EXPECT_EQ(rules.OnLowLevelKey(0x5B), (CaptureVerdict{CaptureVerdict::Action::kTake, 0x15B}));
  EXPECT_EQ(rules.OnLowLevelKey(0x5C).key, 0x15C);
  EXPECT_EQ(rules.OnLowLevelKey(0x5D).key, 0x15D);
  EXPECT_EQ(rules.captured(), 0x15D);
  EXPECT_EQ(rules.OnLowLevelKey(0x41).action, CaptureVerdict::Action::kPass);
  EXPECT_EQ(Applied(rules, Entry(0, 0)).parameter, 0x15Du);
}

TEST(KeyEditorPages, KindsWithoutAPageOpenTheEmptySingleKeyPageAndKeepTheirKind) {
  for (uint16_t kind : {1, 3, 5, 6}) {
    SCOPED_TRACE(kind);
    KeyEditorRules rules;
    rules.Open(kSlotA, false, Entry(kind, 0x1234));
    const PageDisplay d = rules.InitialDisplay();
    EXPECT_EQ(d.page, EditorPage::kKey);
    EXPECT_FALSE(d.key_box);  // the box stays empty
    const KeyAssignment e = Applied(rules, Entry(kind, 0x1234));
    EXPECT_EQ(e.kind, kind);
    EXPECT_EQ(e.parameter, 0u);
  }
}

TEST(KeyEditorPages, EachKindOpensItsPageWithItsSelection) {
  KeyEditorRules single;
  single.Open(kSlotA, false, Entry(2, kB));
  EXPECT_EQ(single.InitialDisplay().key_box, std::optional<KeyCode>(kB));
  EXPECT_EQ(Applied(single, Entry(2, kB)).parameter, kB);  // applied unchanged

  KeyEditorRules media;
  media.Open(kSlotA, false, Entry(7, 5));
  const PageDisplay m = media.InitialDisplay();
  EXPECT_EQ(m.page, EditorPage::kMedia);
  EXPECT_EQ(m.media_selection, std::optional<int>(5));
  EXPECT_TRUE(m.stop_recording);
  EXPECT_FALSE(m.capture_hooks);
  const KeyAssignment me = Applied(media, Entry(7, 5), std::nullopt, 1, 9, 0);
  EXPECT_EQ(me.kind, 7);
  EXPECT_EQ(me.parameter, 9u);

  KeyEditorRules function;
  function.Open(kSlotA, false, Entry(8, 99));  // out of range: the first entry
  EXPECT_EQ(function.InitialDisplay().function_selection, std::optional<int>(0));

  KeyEditorRules macro;
  macro.Open(kSlotA, false, Entry(4, 7));
  EXPECT_EQ(macro.InitialDisplay().select_macro, std::optional<uint32_t>(7));
  const KeyAssignment e = Applied(macro, Entry(4, 7), 3u, 12);
  EXPECT_EQ(e.kind, 4);
  EXPECT_EQ(e.parameter, 3u);
  EXPECT_EQ(e.extra, 12);  // the cycles box
}

TEST(KeyEditorPages, PageButtonsChangeTheKindAndAFirstMacroVisitSelectsTheFirstMacro) {
  KeyEditorRules rules;
  rules.Open(kSlotA, false, Entry(7, 3));
  rules.InitialDisplay();
  bool apply = false;
  const PageDisplay macro = rules.ShowPage(EditorPage::kMacro, apply);
  EXPECT_TRUE(apply);
  EXPECT_EQ(rules.page_kind(), 4);
  // The entry's parameter was a media index, no macro id.
  EXPECT_EQ(macro.select_macro, std::optional<uint32_t>(0));
  EXPECT_FALSE(macro.stop_recording);
  EXPECT_FALSE(rules.ShowPage(EditorPage::kMacro, apply).select_macro);  // only the first visit
  EXPECT_FALSE(apply);
  const PageDisplay key = rules.ShowPage(EditorPage::kKey, apply);
  EXPECT_TRUE(key.capture_hooks);
  EXPECT_TRUE(key.stop_recording);
  EXPECT_EQ(rules.page_kind(), 2);
  // Nothing captured on the single-key page: the default function.
  EXPECT_EQ(Applied(rules, Entry(7, 3)).kind, 0);
}

TEST(KeyEditorPages, TheMacroButtonAndG9EditMacrosOnly) {
  KeyEditorRules rules;
  rules.Open(kG9Slot, true, Entry(7, 2, 0x0309));
  const PageDisplay d = rules.InitialDisplay();
  EXPECT_EQ(d.page, EditorPage::kMacro);
  // G9 played no macro: the first one is selected, not macro id 2.
  EXPECT_EQ(d.select_macro, std::optional<uint32_t>(0));
  bool apply = true;
  EXPECT_EQ(rules.ShowPage(EditorPage::kMedia, apply).page, EditorPage::kMacro);
  EXPECT_FALSE(apply);
  EXPECT_FALSE(rules.Clear().enable_apply);
  // The selected macro, or the default function with an empty box; the G
  // slot's identity code stays in a default entry.
  const KeyAssignment macro = Applied(rules, Entry(7, 2, 0x0309), 4u, 2);
  EXPECT_EQ(macro.kind, 4);
  EXPECT_EQ(macro.parameter, 4u);
  const KeyAssignment none = Applied(rules, Entry(7, 2, 0x0309));
  EXPECT_EQ(none.kind, 0);
  EXPECT_EQ(none.parameter, 0u);
  EXPECT_EQ(none.extra, 0x0309);
}

TEST(KeyEditorClear, ClearGoesBackToTheDefaultFunctionOnTheSingleKeyPage) {
  KeyEditorRules media;
  media.Open(kSlotA, false, Entry(7, 3));
  media.InitialDisplay();
  const ClearOutcome from_media = media.Clear();
  EXPECT_TRUE(from_media.show_key_page);
  EXPECT_TRUE(from_media.enable_apply);
  EXPECT_EQ(media.page(), EditorPage::kKey);
  EXPECT_TRUE(media.Redisplay().capture_hooks);
  EXPECT_EQ(Applied(media, Entry(7, 3)).kind, 0);

  // A single key cleared is a change Apply can write.
  KeyEditorRules single;
  single.Open(kSlotA, false, Entry(2, kB));
  single.InitialDisplay();
  const ClearOutcome from_single = single.Clear();
  EXPECT_FALSE(from_single.show_key_page);
  EXPECT_TRUE(from_single.enable_apply);
  EXPECT_EQ(single.captured(), 0);
  // Going back to the single-key page afterwards does not bring the
  // cleared key back.
  bool apply = false;
  single.ShowPage(EditorPage::kMacro, apply);
  single.ShowPage(EditorPage::kKey, apply);
  EXPECT_EQ(Applied(single, Entry(2, kB)).kind, 0);

  KeyEditorRules untouched;
  untouched.Open(kSlotA, false, Entry(0, 0));
  untouched.InitialDisplay();
  EXPECT_FALSE(untouched.Clear().enable_apply);
}

TEST(KeyEditorPlacement, TheFirstPlaceBesideTheKeyThatFitsTheScreen) {
  const PlacementRect key{700, 500, 730, 530};
  EXPECT_EQ(PlaceBesideKey(key, 600, 420, 1600, 1000), (PlacementPoint{730, 530}));  // right, below
  EXPECT_EQ(PlaceBesideKey(key, 600, 420, 1600, 900), (PlacementPoint{730, 80}));    // right, above
  const PlacementRect corner{1500, 900, 1530, 930};
  EXPECT_EQ(PlaceBesideKey(corner, 600, 420, 1600, 1000), (PlacementPoint{900, 480}));  // left, above
  const PlacementRect low_right{1500, 100, 1530, 130};
  EXPECT_EQ(PlaceBesideKey(low_right, 600, 420, 1600, 1000), (PlacementPoint{900, 130}));  // left, below
  // Nothing fits: right of and below the key.
  EXPECT_EQ(PlaceBesideKey(key, 2000, 2000, 1600, 1000), (PlacementPoint{730, 530}));
}

}  // namespace
}  // namespace velkor
