// The macro page of the key editor, apart from its window: the macro box
// with private copies of the macro records, the action list of the selected
// macro, every edit a person makes to them, the recorder that turns key
// events with their tick times into rows, the memory meter, and Commit,
// which hands the edited list to the working image and settles the keys that
// played a deleted macro.
//
// Nothing reaches the working image before Commit; a page that is emptied
// without a Commit leaves it as it was. The page runs on the window thread;
// the working lock is held only while the list is loaded, while the key
// table is searched and while Commit writes, never across a question.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "model/macro_store.h"
#include "model/profile_image.h"
#include "ui/language_table.h"

namespace velkor {

inline constexpr int kMaxActionRows = 2000;
inline constexpr uint32_t kLargestTypedDelayMs = 40000;
inline constexpr uint32_t kRecordDelayOffMs = 50;
inline constexpr uint32_t kSysReqPressMs = 2;

// How much of the keyboard's macro memory the list as edited would take.
struct MemoryMeter {
  size_t with_names = 0;
  size_t without_names = 0;
  size_t capacity = 0;  // 0: the keyboard's memory was never read
  enum class State {
    kUnknownCapacity,  // capacity 0: only the size is shown
    kFits,             // with names
    kNamesDropped,     // only without names
    kTooLarge          // not even without names: Apply will be refused
  } state = State::kUnknownCapacity;
  bool operator==(const MemoryMeter&) const = default;
};
MemoryMeter MeasureMemory(const MacroList& list, size_t capacity);
// The label's text: MACRO_MEMORY ("Memory: %s of %s bytes"),
// MACRO_MEMORY_NO_NAMES, MACRO_MEMORY_FULL or MACRO_MEMORY_UNKNOWN with the
// figures grouped by thousands ("1,204"). The warning colour goes with
// kTooLarge.
std::u16string MemoryMeterText(const MemoryMeter& meter, const LanguageTable* language);

// "↓" for a press, "  ↑" for a release (any direction but 1 is a press).
std::u16string DirectionText(uint16_t direction);

// What the page shows; the page tells it every change it makes.
class MacroPageView {
 public:
  virtual ~MacroPageView() = default;
  // The macro box: every item, and the selected position (-1: none).
  virtual void ShowMacros(const std::vector<std::u16string>& names, int selected) = 0;
  // One item's text changed (a rename); the box's edit field keeps what the
  // person is typing.
  virtual void ShowMacroName(int position, const std::u16string& name) = 0;
  // The action list: every row, and the selected row (-1: none).
  virtual void ShowRows(const std::vector<MacroAction>& rows, int selected) = 0;
  // One row added at a position, or changed; it is selected and scrolled
  // into view when `select` says so.
  virtual void InsertRow(int position, const MacroAction& action, bool select) = 0;
  virtual void ChangeRow(int position, const MacroAction& action) = 0;
  virtual void ShowCycles(const std::u16string& text) = 0;
  // Record, delete and clear actions, and the four moves: only while a
  // macro is selected.
  virtual void EnableActionButtons(bool enabled) = 0;
  // Recording: the record button's caption and pressed look; add, delete
  // macro and the macro box are disabled while it runs.
  virtual void ShowRecording(bool recording, const std::u16string& caption) = 0;
  virtual void ShowMemory(const MemoryMeter& meter) = 0;
  // The key editor's Apply is enabled.
  virtual void EnableApply() = 0;
};

// What the page needs from the system around it.
class MacroPageHost {
 public:
  virtual ~MacroPageHost() = default;
  // A Yes/No question; true for Yes.
  virtual bool Ask(LangKey question) = 0;
  // A message, its text formatted with the number where it has a directive.
  virtual void Tell(LangKey message, int number) = 0;
  // The two recording hooks; Install may fail (then recording does not
  // start).
  virtual bool InstallRecordHooks() = 0;
  virtual void RemoveRecordHooks() = 0;
  // The system tick count in milliseconds.
  virtual uint32_t Now() = 0;
  // A pause before the next try of a name that is taken (16 ms).
  virtual void Pause() = 0;
  // The stored record-delay option, as text; empty when none is stored.
  virtual std::u16string ReadRecordDelay() = 0;
  virtual void WriteRecordDelay(const std::u16string& value) = 0;
};

// What a hook does with a keystroke.
enum class HookVerdict { kPass, kSwallow };

// The in-place editor a cell of the action list opens with.
struct CellEdit {
  enum class Kind {
    kNone,       // nothing opens (no such row, or a refused column: the page told why)
    kKeyList,    // a drop list of the 106 key-list names, `selected` the row's key number
    kDirection,  // a drop list of the two direction texts, `selected` 0 press, 1 release
    kDelay       // a numeric edit holding `text`
  } kind = Kind::kNone;
  int selected = -1;
  std::u16string text;
};

class MacroPage {
 public:
  // The new-macro counter lives for the whole run, beyond one page.
  MacroPage(MacroPageView& view, MacroPageHost& host, const LanguageTable* language, int& new_macro_counter);

  // --- The key editor's calls ---
  // Initialisation: the stored record-delay option read (anything but "0"
  // or "1" counts as 0 and is written back normalised), the cycles box set
  // to "1", and under the lock a copy of each working macro, flag cleared,
  // in list order. Nothing is selected yet.
  void Load(std::recursive_mutex& working_lock, const ProfileImage& working, size_t capacity);
  // Selects the macro with this id, or the first when none has it (or the id
  // is 0), and loads its actions; nothing when the box is empty.
  void SelectMacroWithId(uint32_t id);
  // Step 2 of the key editor's Apply: the actions stored into the selected
  // macro, the kind-4 entries of all 2048 settled (the key editor's main
  // window Apply is due when this returns true), and the working list
  // replaced by the box's records, flags cleared, in box order.
  bool Commit(std::recursive_mutex& working_lock, ProfileImage& working);
  // Closing: everything removed.
  void Empty();

  // --- A person's edits ---
  // The box's selection changed to a position (-1 none).
  void SelectMacro(int position);
  // The box's text was edited: a rename of the selected macro or, with an
  // empty box, a new macro. The name is cut to 249 characters.
  void EditName(const std::u16string& text);
  void AddMacro();
  void DeleteMacro();
  // The action list's selection (a person's click).
  void SelectRow(int row);
  void DeleteAction();
  void ClearActions();
  enum class Move { kTop, kUp, kDown, kBottom };
  void MoveAction(Move move);
  // The cycles box changed: the clamped text it must hold ("1".."255").
  std::u16string EditCycles(const std::u16string& text);
  void ToggleRecordDelay();
  // Cell editors: what opens on a cell (column 0 key, 1 direction, 2
  // delay), and an accepted value: a key-list number, a direction index, or
  // the delay text.
  CellEdit BeginCellEdit(int row, int column);
  void AcceptKey(int row, int key_number);
  void AcceptDirection(int row, int direction);
  void AcceptDelay(int row, const std::u16string& text);

  // --- Recording ---
  void ToggleRecording();
  void StopRecording();
  // The thread hook's keystroke (hook code 0): virtual key and flags word.
  HookVerdict OnThreadKey(uint8_t vk, uint32_t flags);
  // The low-level hook's event: virtual key, and whether it is a key-down
  // or system key-down.
  HookVerdict OnLowLevelKey(uint32_t vk, bool down);

  // --- What it holds ---
  int macro_count() const { return static_cast<int>(items_.size()); }
  int selected_macro() const { return selected_; }
  const MacroRecord& macro(int position) const { return items_[static_cast<size_t>(position)]; }
  const std::vector<MacroAction>& rows() const { return rows_; }
  int selected_row() const { return selected_row_; }
  int cycles() const { return cycles_; }
  bool recording() const { return recording_; }
  int record_delay() const { return record_delay_; }
  // The list as it would be committed now.
  MacroList EditedList() const;
  MemoryMeter Memory() const;

 private:
  // ... implementation state
  void StoreActions(int position);
  void LoadActions();
  void InsertRecorded(KeyCode key, uint16_t direction, uint32_t delay);
  uint16_t FreeId() const;
  // A record made in this opening: cycles 1, the new-macro flag, the lowest free id, no actions.
  MacroRecord NewRecord(std::u16string_view name) const;
  // The box's items and selection, told to the view with changing_box_ set.
  void ShowBox();
  void ShowMemory();
  // A question or a message, with a recording stopped first; false when
  // the answer is No or the page was emptied or loaded again meanwhile.
  bool AskPerson(LangKey question);
  bool TellPerson(LangKey message, int number);

  MacroPageView& view_;
  MacroPageHost& host_;
  const LanguageTable* language_;
  int& counter_;
  std::vector<MacroRecord> items_;
  int selected_ = -1;
  std::vector<MacroAction> rows_;
  int selected_row_ = -1;
  int cycles_ = 1;
  int record_delay_ = 0;
  bool recording_ = false;
  uint32_t last_tick_ = 0;
  uint32_t remembered_vk_ = 0;
  // A key whose press the system usually keeps to itself, seen pressed.
  KeyCode pressed_release_only_ = 0;
  size_t capacity_ = 0;
  // Set while the page changes the box itself.
  bool changing_box_ = false;
  // Counts loads and emptyings, so that a handler that waited for a person
  // sees that the page it worked on is gone.
  uint64_t generation_ = 0;
  const ProfileImage* working_ = nullptr;
  std::recursive_mutex* working_lock_ = nullptr;
};

}  // namespace velkor
