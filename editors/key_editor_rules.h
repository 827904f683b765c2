// The key editor's decisions, apart from its window: which page an opening
// shows and what each page shows first, what the two capture hooks do with a
// keystroke, what Clear does, the entry Apply writes, and where the dialog
// opens beside its key.
//
// Page kinds follow the assignment kinds: 2 single key, 4 macro, 7
// multimedia, 8 function key, 0 after Clear; any other kind found in an
// entry shows the single-key page and is kept by Apply with parameter 0.
#pragma once

#include <cstdint>
#include <optional>

#include "model/key_assignment.h"
#include "model/key_codes.h"

namespace velkor {

enum class EditorPage { kKey = 0, kMacro = 1, kMedia = 2, kFunction = 3 };

// The page a page kind shows.
EditorPage PageOfKind(int kind);

// What showing a page asks of the window.
struct PageDisplay {
  EditorPage page = EditorPage::kKey;
  bool capture_hooks = false;   // installed on the single-key page, removed elsewhere
  bool stop_recording = false;  // every page but the macro page stops a recording
  // The macro page's first display in this opening: the macro to select (0:
  // the first one).
  std::optional<uint32_t> select_macro;
  // First display of the other pages: the list's selection, and the key the
  // key box names (0: the box stays empty).
  std::optional<int> media_selection;
  std::optional<int> function_selection;
  std::optional<KeyCode> key_box;
};

// A keystroke seen by a capture hook: let it through, swallow it, or take
// it as the captured key (and swallow it).
struct CaptureVerdict {
  enum class Action { kPass, kSwallow, kTake } action = Action::kPass;
  KeyCode key = 0;
  bool operator==(const CaptureVerdict&) const = default;
};

// What the thread hook does with a keystroke: virtual key and the flags word
// (bit 31 key-up, bit 30 previously down, bits 16-23 scan code, bit 24
// extended). Keys that have no code and multimedia keys pass; a first
// key-down is taken, a key-up or auto-repeat swallowed, but Print Screen,
// whose press the system keeps to itself, is taken on any event.
CaptureVerdict CaptureThreadKey(uint8_t vk, uint32_t flags);
// What the low-level hook does with a key event: the Windows keys and the
// application key never reach the thread hook, so they are taken here on
// every event; all other keys pass.
CaptureVerdict CaptureLowLevelKey(uint32_t vk);

// What Clear did.
struct ClearOutcome {
  bool show_key_page = false;  // the single-key page is shown first
  bool enable_apply = false;
};

// Where the dialog opens: right of and below its key, else right and above,
// left and below, left and above; right and below when none fits.
struct PlacementRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
struct PlacementPoint {
  int x = 0, y = 0;
  bool operator==(const PlacementPoint&) const = default;
};
PlacementPoint PlaceBesideKey(const PlacementRect& key, int width, int height, int screen_width, int screen_height);

// One opening of the key editor.
class KeyEditorRules {
 public:
  // Initialisation: the edited slot, macro-edit mode (the G9 slot opened from
  // the macro button or G9) and the entry as it stands.
  void Open(int slot, bool macro_edit, const KeyAssignment& entry);

  // The initial display.
  PageDisplay InitialDisplay();
  // A page button: the page kind becomes the page's kind. Apply is due when
  // the page changed.
  PageDisplay ShowPage(EditorPage page, bool& enable_apply);

  // The capture hooks' verdicts, with their effect on the opening: a taken
  // key becomes the captured key and the page kind becomes 2 (Apply due).
  CaptureVerdict OnThreadKey(uint8_t vk, uint32_t flags);
  CaptureVerdict OnLowLevelKey(uint32_t vk);

  // Back to the default function on the single-key page; the window shows
  // Redisplay() when the outcome says the page changed.
  ClearOutcome Clear();
  PageDisplay Redisplay() { return Display(false); }

  // The entry Apply writes over `old`: kind, extra and parameter as the page
  // says, the mark and reserved words kept. macro_id: the id of the macro at
  // the box's selected position after the commit (nullopt: the box is
  // empty); cycles: the cycles box value; media and function: the lists'
  // selections.
  KeyAssignment BuildEntry(const KeyAssignment& old, std::optional<uint32_t> macro_id, int cycles, int media,
                           int function) const;

  int slot() const { return slot_; }
  bool macro_edit() const { return macro_edit_; }
  int page_kind() const { return page_kind_; }
  EditorPage page() const { return page_; }
  KeyCode captured() const { return captured_; }
  uint32_t initial_parameter() const { return initial_parameter_; }

 private:
  PageDisplay Display(bool initial);

  int slot_ = 0;
  bool macro_edit_ = false;
  int initial_kind_ = 0;
  int page_kind_ = 0;
  EditorPage page_ = EditorPage::kKey;
  uint32_t initial_parameter_ = 0;
  KeyCode captured_ = 0;
  bool macro_page_visited_ = false;
};

}  // namespace velkor
