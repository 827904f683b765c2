#include "editors/key_editor_rules.h"

#include <algorithm>

namespace velkor {
namespace {

constexpr int kKindDefault = static_cast<int>(AssignmentKind::kDefault);
constexpr int kKindSingleKey = static_cast<int>(AssignmentKind::kSingleKey);
constexpr int kKindMacro = static_cast<int>(AssignmentKind::kPlayMacro);
constexpr int kKindMedia = static_cast<int>(AssignmentKind::kMedia);
constexpr int kKindFunction = static_cast<int>(AssignmentKind::kFunction);
constexpr KeyCode kPrintScreen = 0x137;
constexpr uint32_t kKeyUpBit = 1u << 31;
constexpr uint32_t kWasDownBit = 1u << 30;

int KindOfPage(EditorPage page) {
  switch (page) {
    case EditorPage::kKey: return kKindSingleKey;
    case EditorPage::kMacro: return kKindMacro;
    case EditorPage::kMedia: return kKindMedia;
    case EditorPage::kFunction: return kKindFunction;
  }
  return kKindSingleKey;
}

}  // namespace

EditorPage PageOfKind(int kind) {
  switch (kind) {
    case kKindMacro: return EditorPage::kMacro;
    case kKindMedia: return EditorPage::kMedia;
    case kKindFunction: return EditorPage::kFunction;
    default: return EditorPage::kKey;
  }
}

CaptureVerdict CaptureThreadKey(uint8_t vk, uint32_t flags) {
  const KeyCode key = KeyOfKeystroke(vk, flags);
  if (key == 0 || IsMediaKey(key)) return {};
  const bool up = (flags & kKeyUpBit) != 0;
  const bool repeat = !up && (flags & kWasDownBit) != 0;
  if (key != kPrintScreen && (up || repeat)) return {CaptureVerdict::Action::kSwallow, 0};
  return {CaptureVerdict::Action::kTake, key};
}

CaptureVerdict CaptureLowLevelKey(uint32_t vk) {
  switch (vk) {
    case 0x5B: return {CaptureVerdict::Action::kTake, 0x15B};  // Win
    case 0x5C: return {CaptureVerdict::Action::kTake, 0x15C};  // Right Win
    case 0x5D: return {CaptureVerdict::Action::kTake, 0x15D};  // App
    default: return {};
  }
}

PlacementPoint PlaceBesideKey(const PlacementRect& key, int width, int height, int screen_width, int screen_height) {
  const PlacementPoint candidates[] = {
      {key.right, key.bottom},
      {key.right, key.top - height},
      {key.left - width, key.bottom},
      {key.left - width, key.top - height},
  };
  for (const PlacementPoint& p : candidates) {
    if (p.x >= 0 && p.y >= 0 && p.x + width <= screen_width && p.y + height <= screen_height) return p;
  }
  return candidates[0];
}

void KeyEditorRules::Open(int slot, bool macro_edit, const KeyAssignment& entry) {
  slot_ = slot;
  macro_edit_ = macro_edit;
  initial_kind_ = entry.kind;
  page_kind_ = macro_edit ? kKindMacro : entry.kind;
  initial_parameter_ = entry.parameter;
  captured_ = 0;
  macro_page_visited_ = false;
  page_ = PageOfKind(page_kind_);
}

PageDisplay KeyEditorRules::InitialDisplay() { return Display(true); }

PageDisplay KeyEditorRules::ShowPage(EditorPage page, bool& enable_apply) {
  // In macro-edit mode the other pages' buttons are disabled; a page button
  // that still arrives changes nothing.
  if (macro_edit_) page = EditorPage::kMacro;
  // The shown page's own button keeps the kind (a disabled key stays
  // disabled until a key is pressed); another page's makes it that page's.
  enable_apply = page != page_;
  if (page != page_) page_kind_ = KindOfPage(page);
  page_ = page;
  return Display(false);
}

PageDisplay KeyEditorRules::Display(bool initial) {
  PageDisplay d;
  d.page = page_;
  switch (page_) {
    case EditorPage::kMacro:
      // The first visit selects a macro: at opening the one the key plays
      // (the first when it plays none we know of); later the first one,
      // since the entry's parameter then belongs to another kind.
      if (!macro_page_visited_) {
        d.select_macro = initial && initial_kind_ == kKindMacro ? initial_parameter_ : 0;
        macro_page_visited_ = true;
      }
      break;
    case EditorPage::kMedia:
      d.stop_recording = true;
      if (initial) d.media_selection = initial_parameter_ < kMediaCount ? static_cast<int>(initial_parameter_) : 0;
      break;
    case EditorPage::kFunction:
      d.stop_recording = true;
      if (initial) {
        d.function_selection = initial_parameter_ < kFunctionCount ? static_cast<int>(initial_parameter_) : 0;
      }
      break;
    case EditorPage::kKey:
      d.stop_recording = true;
      d.capture_hooks = true;
      if (initial) {
        // Only a single-key entry names a key; the parameter of a program,
        // text or stop entry is no key and is not kept as one.
        captured_ = page_kind_ == kKindSingleKey ? static_cast<KeyCode>(initial_parameter_) : 0;
        if (captured_ != 0) d.key_box = captured_;
      }
      break;
  }
  return d;
}

CaptureVerdict KeyEditorRules::OnThreadKey(uint8_t vk, uint32_t flags) {
  const CaptureVerdict verdict = CaptureThreadKey(vk, flags);
  if (verdict.action == CaptureVerdict::Action::kTake) {
    captured_ = verdict.key;
    page_kind_ = kKindSingleKey;
  }
  return verdict;
}

CaptureVerdict KeyEditorRules::OnLowLevelKey(uint32_t vk) {
  const CaptureVerdict verdict = CaptureLowLevelKey(vk);
  if (verdict.action == CaptureVerdict::Action::kTake) {
    captured_ = verdict.key;
    page_kind_ = kKindSingleKey;
  }
  return verdict;
}

ClearOutcome KeyEditorRules::Clear() {
  ClearOutcome outcome;
  if (macro_edit_) return outcome;  // Clear is disabled there
  // Back to the default function, on the single-key page with an empty box.
  // Any kind but the default is a change Apply must be able to write, a
  // single key too.
  outcome.show_key_page = page_ != EditorPage::kKey;
  outcome.enable_apply = page_kind_ != kKindDefault;
  page_ = EditorPage::kKey;
  page_kind_ = kKindDefault;
  captured_ = 0;
  return outcome;
}

KeyAssignment KeyEditorRules::BuildEntry(const KeyAssignment& old, std::optional<uint32_t> macro_id, int cycles,
                                         int media, int function) const {
  KeyAssignment entry = old;
  entry.kind = static_cast<uint16_t>(page_kind_);
  entry.extra = GIdentityCode(slot_);
  entry.parameter = 0;
  switch (page_kind_) {
    case kKindSingleKey:
      if (captured_ == 0 || KeyIndexOf(captured_) == slot_) {
        entry.kind = kKindDefault;
      } else {
        entry.parameter = captured_;
      }
      break;
    case kKindMacro:
      if (!macro_id) {
        entry.kind = kKindDefault;
      } else {
        entry.parameter = *macro_id;
        entry.extra = static_cast<uint16_t>(std::clamp(cycles, 1, 255));
      }
      break;
    case kKindMedia:
      entry.parameter = static_cast<uint32_t>(std::clamp(media, 0, kMediaCount - 1));
      break;
    case kKindFunction:
      entry.parameter = static_cast<uint32_t>(std::clamp(function, 0, kFunctionCount - 1));
      break;
    default:
      break;
  }
  return entry;
}

}  // namespace velkor
