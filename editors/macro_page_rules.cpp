#include "editors/macro_page_rules.h"

#include <algorithm>
#include <climits>
#include <initializer_list>

#include "model/key_assignment.h"
#include "model/key_codes.h"
#include "platform/text.h"

namespace velkor {

namespace {

// The low-level hook sees the two Windows keys before the system acts on
// them; the thread hook never does.
constexpr uint32_t kWinVk = 0x5B;
constexpr uint32_t kRightWinVk = 0x5C;
constexpr KeyCode kWinKey = 0x15B;
constexpr KeyCode kRightWinKey = 0x15C;

// The thread hook's flags word: bit 31 the key is going up, bit 30 it was
// down before this message.
constexpr uint32_t kKeyUpFlag = 0x80000000u;
constexpr uint32_t kWasDownFlag = 0x40000000u;

// Keys whose press the system never passes to a thread hook: only their
// release arrives, so the press is made up in front of it.
constexpr KeyCode kReleaseOnlyKeys[] = {0x054, 0x071, 0x072, 0x137};

constexpr uint16_t kPress = 0;
constexpr uint16_t kRelease = 1;

constexpr size_t kMaxNameLength = kMacroNameUnits - 1;

std::u16string TextOf(const LanguageTable* language, LangKey key) {
  return std::u16string(TextOrBuiltIn(language, key));
}

// Cut to what a record holds, never leaving half of a surrogate pair at the
// end (the keyboard would show a broken character for it).
std::u16string_view CutName(std::u16string_view text) {
  if (text.size() <= kMaxNameLength) return text;
  size_t keep = kMaxNameLength;
  if (text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF) --keep;
  return text.substr(0, keep);
}

bool BeginsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::u16string DigitsOf(uint64_t value) {
  std::u16string out;
  do {
    out.insert(out.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value != 0);
  return out;
}

// "16384" -> "16,384".
std::u16string Grouped(size_t value) {
  const std::u16string digits = DigitsOf(value);
  std::u16string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += u',';
    out += digits[i];
  }
  return out;
}

// The figures go into the successive "%s" directives; "%%" is a percent
// sign. A directive beyond the figures, and any other directive, is shown as
// written, so a language text with too many or odd directives reads nothing
// that is not there.
std::u16string FillFigures(std::u16string_view format, std::initializer_list<size_t> figures) {
  std::u16string out;
  auto next = figures.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == u'%' && i + 1 < format.size()) {
      if (format[i + 1] == u'%') {
        out += u'%';
        ++i;
        continue;
      }
      if (format[i + 1] == u's' && next != figures.end()) {
        out += Grouped(*next++);
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

}  // namespace

MemoryMeter MeasureMemory(const MacroList& list, size_t capacity) {
  const StoreSizes sizes = StoreSize(list);
  MemoryMeter meter;
  meter.with_names = sizes.with_names;
  meter.without_names = sizes.without_names;
  meter.capacity = capacity;
  if (capacity == 0) {
    meter.state = MemoryMeter::State::kUnknownCapacity;
  } else if (sizes.with_names <= capacity) {
    meter.state = MemoryMeter::State::kFits;
  } else if (sizes.without_names <= capacity) {
    meter.state = MemoryMeter::State::kNamesDropped;
  } else {
    meter.state = MemoryMeter::State::kTooLarge;
  }
  return meter;
}

std::u16string MemoryMeterText(const MemoryMeter& meter, const LanguageTable* language) {
  switch (meter.state) {
    case MemoryMeter::State::kFits:
      return FillFigures(TextOrBuiltIn(language, LangKey::MACRO_MEMORY), {meter.with_names, meter.capacity});
    case MemoryMeter::State::kNamesDropped:
      return FillFigures(TextOrBuiltIn(language, LangKey::MACRO_MEMORY_NO_NAMES),
                         {meter.without_names, meter.capacity, meter.with_names});
    case MemoryMeter::State::kTooLarge:
      return FillFigures(TextOrBuiltIn(language, LangKey::MACRO_MEMORY_FULL), {meter.without_names, meter.capacity});
    case MemoryMeter::State::kUnknownCapacity:
      break;
  }
  return FillFigures(TextOrBuiltIn(language, LangKey::MACRO_MEMORY_UNKNOWN), {meter.with_names});
}

std::u16string DirectionText(uint16_t direction) { return direction == kRelease ? u"  ↑" : u"↓"; }

MacroPage::MacroPage(MacroPageView& view, MacroPageHost& host, const LanguageTable* language, int& new_macro_counter)
    : view_(view), host_(host), language_(language), counter_(new_macro_counter) {}

// ---- The key editor's calls ----------------------------------------------------------------

void MacroPage::Load(std::recursive_mutex& working_lock, const ProfileImage& working, size_t capacity) {
  ++generation_;
  const std::u16string stored = host_.ReadRecordDelay();
  record_delay_ = stored == u"1" ? 1 : 0;
  if (stored != u"0" && stored != u"1") host_.WriteRecordDelay(u"0");
  cycles_ = 1;
  view_.ShowCycles(u"1");

  items_.clear();
  rows_.clear();
  selected_ = -1;
  selected_row_ = -1;
  {
    std::lock_guard<std::recursive_mutex> hold(working_lock);
    items_.reserve(working.macros.size());
    for (const MacroRecord& record : working.macros) {
      items_.push_back(record);
      items_.back().new_macro = 0;
    }
  }
  working_ = &working;
  working_lock_ = &working_lock;
  capacity_ = capacity;
  ShowBox();
  LoadActions();
  ShowMemory();
}

void MacroPage::SelectMacroWithId(uint32_t id) {
  if (items_.empty()) return;
  int position = 0;
  for (size_t i = 0; id != 0 && i < items_.size(); ++i) {
    if (items_[i].id == id) {
      position = static_cast<int>(i);
      break;
    }
  }
  if (position != selected_) {
    StoreActions(selected_);
    selected_ = position;
    LoadActions();
  }
  ShowBox();
}

bool MacroPage::Commit(std::recursive_mutex& working_lock, ProfileImage& working) {
  StoreActions(selected_);
  bool settled = false;
  {
    std::lock_guard<std::recursive_mutex> hold(working_lock);
    for (KeyAssignment& entry : working.entries) {
      if (entry.kind != static_cast<uint16_t>(AssignmentKind::kPlayMacro)) continue;
      if (entry.parameter != 0) {
        const auto item = std::find_if(items_.begin(), items_.end(),
                                       [&](const MacroRecord& m) { return m.id == entry.parameter; });
        // A key that played a macro deleted here, or whose id a macro made
        // here has taken over, no longer plays anything.
        if (item == items_.end() || item->new_macro == 1) {
          entry.kind = static_cast<uint16_t>(AssignmentKind::kDefault);
          entry.parameter = 0;
          // The cycle count the key kept goes with its macro; a G slot
          // keeps its identity code.
          entry.extra = GIdentityCode(static_cast<int>((&entry - working.entries.data()) % kBankSlots));
          settled = true;
        }
      } else if (!items_.empty()) {
        entry.parameter = items_.front().id;
        settled = true;
      }
    }
    // From here on the macros made in this opening are the working image's
    // own: keys assigned to them before the next Apply must keep them.
    for (MacroRecord& item : items_) item.new_macro = 0;
    working.macros = items_;
  }
  ShowMemory();
  return settled;
}

void MacroPage::Empty() {
  ++generation_;
  StopRecording();
  items_.clear();
  rows_.clear();
  selected_ = -1;
  selected_row_ = -1;
  // The image and its lock may go with the editor that is closing.
  working_ = nullptr;
  working_lock_ = nullptr;
  ShowBox();
  view_.ShowRows(rows_, -1);
  view_.EnableActionButtons(false);
}

// ---- A person's edits -----------------------------------------------------------------------

void MacroPage::SelectMacro(int position) {
  if (changing_box_) return;
  if (position < 0 || position >= macro_count()) position = -1;
  if (position == selected_) return;
  StoreActions(selected_);
  selected_ = position;
  LoadActions();
}

void MacroPage::EditName(const std::u16string& text) {
  // A text the box reports while the page fills it is not a person's typing.
  if (changing_box_) return;
  if (!items_.empty()) {
    if (selected_ < 0) return;
    MacroRecord& item = items_[static_cast<size_t>(selected_)];
    item.SetName(CutName(text));
    view_.ShowMacroName(selected_, item.Name());
    view_.EnableApply();
    ShowMemory();
    return;
  }
  // Deleting the text of an empty box is no request for a nameless macro.
  if (text.empty()) return;
  items_.insert(items_.begin(), NewRecord(CutName(text)));
  selected_ = 0;
  ShowBox();
  LoadActions();
  view_.EnableApply();
  ShowMemory();
}

void MacroPage::AddMacro() {
  if (macro_count() >= kMaxMacros) {
    TellPerson(LangKey::MACRO_ERR_MAX, kMaxMacros);
    return;
  }
  if (items_.empty()) counter_ = 0;
  const std::u16string prefix = TextOf(language_, LangKey::MACRO_NEW_PREFIX);
  std::u16string name;
  for (;;) {
    if (counter_ < 0 || counter_ == INT_MAX) counter_ = 0;
    name = prefix + DecimalText(++counter_);
    const bool taken = std::any_of(items_.begin(), items_.end(),
                                   [&](const MacroRecord& m) { return BeginsWithNoCase(m.Name(), name); });
    if (!taken) break;
    host_.Pause();
  }
  StoreActions(selected_);
  items_.push_back(NewRecord(CutName(name)));
  selected_ = macro_count() - 1;
  ShowBox();
  LoadActions();
  view_.EnableApply();
  ShowMemory();
}

void MacroPage::DeleteMacro() {
  if (items_.empty() || selected_ < 0) return;
  const MacroRecord& item = items_[static_cast<size_t>(selected_)];
  if (item.new_macro != 1 && working_ != nullptr && working_lock_ != nullptr) {
    bool used = false;
    {
      std::lock_guard<std::recursive_mutex> hold(*working_lock_);
      used = std::any_of(working_->entries.begin(), working_->entries.end(), [&](const KeyAssignment& entry) {
        return entry.kind == static_cast<uint16_t>(AssignmentKind::kPlayMacro) && entry.parameter == item.id;
      });
    }
    const int position = selected_;
    if (used && (!AskPerson(LangKey::MACRO_DELETE_CONFIRM_OF_KEYS) || selected_ != position)) return;
  }
  items_.erase(items_.begin() + selected_);
  selected_ = items_.empty() ? -1 : std::max(selected_ - 1, 0);
  ShowBox();
  LoadActions();
  view_.EnableApply();
  ShowMemory();
}

void MacroPage::SelectRow(int row) { selected_row_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1; }

void MacroPage::DeleteAction() {
  if (selected_row_ < 0 || selected_row_ >= static_cast<int>(rows_.size())) return;
  rows_.erase(rows_.begin() + selected_row_);
  selected_row_ = std::min(selected_row_, static_cast<int>(rows_.size()) - 1);
  view_.ShowRows(rows_, selected_row_);
  view_.EnableApply();
  ShowMemory();
}

void MacroPage::ClearActions() {
  if (rows_.empty()) return;
  if (!AskPerson(LangKey::MACRO_ACTION_CLEAR_CONFIRM) || rows_.empty()) return;
  rows_.clear();
  selected_row_ = -1;
  view_.ShowRows(rows_, -1);
  view_.EnableApply();
  ShowMemory();
}

void MacroPage::MoveAction(Move move) {
  const int count = static_cast<int>(rows_.size());
  if (selected_row_ < 0 || selected_row_ >= count) return;
  int target = selected_row_;
  switch (move) {
    case Move::kTop: target = 0; break;
    case Move::kUp: target = selected_row_ - 1; break;
    case Move::kDown: target = selected_row_ + 1; break;
    case Move::kBottom: target = count - 1; break;
  }
  target = std::clamp(target, 0, count - 1);
  if (target == selected_row_) return;
  const MacroAction moved = rows_[static_cast<size_t>(selected_row_)];
  rows_.erase(rows_.begin() + selected_row_);
  rows_.insert(rows_.begin() + target, moved);
  selected_row_ = target;
  view_.ShowRows(rows_, selected_row_);
  view_.EnableApply();
}

std::u16string MacroPage::EditCycles(const std::u16string& text) {
  cycles_ = std::clamp(ParseLeadingInt(text), 1, 255);
  view_.EnableApply();
  return DecimalText(cycles_);
}

void MacroPage::ToggleRecordDelay() {
  record_delay_ = record_delay_ == 1 ? 0 : 1;
  host_.WriteRecordDelay(record_delay_ == 1 ? u"1" : u"0");
}

CellEdit MacroPage::BeginCellEdit(int row, int column) {
  CellEdit edit;
  if (row < 0 || row >= static_cast<int>(rows_.size())) return edit;
  const MacroAction& action = rows_[static_cast<size_t>(row)];
  switch (column) {
    case 0: {
      edit.kind = CellEdit::Kind::kKeyList;
      // A key the list does not offer (Sys Req, KL, KR) selects nothing.
      const uint16_t number = KeyNumberOf(action.key);
      edit.selected = number < kKeyListSize ? number : -1;
      break;
    }
    case 1:
      edit.kind = CellEdit::Kind::kDirection;
      edit.selected = action.direction == kRelease ? 1 : 0;
      break;
    case 2:
      // The digits typed into the editor must not become recorded keys.
      StopRecording();
      edit.kind = CellEdit::Kind::kDelay;
      edit.text = DecimalText(static_cast<int>(std::min<uint32_t>(action.delay_ms, INT_MAX)));
      break;
    default:
      TellPerson(LangKey::MACRO_ACTION_ERR_MODIFY, 0);
      break;
  }
  return edit;
}

void MacroPage::AcceptKey(int row, int key_number) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  // Only the list's own numbers: anything else is no key the list offered.
  if (key_number < 0 || key_number >= kKeyListSize) return;
  const KeyCode key = KeyOfNumber(static_cast<uint16_t>(key_number));
  MacroAction& action = rows_[static_cast<size_t>(row)];
  if (key == 0 || key == action.key) return;
  action.key = key;
  view_.ChangeRow(row, action);
  view_.EnableApply();
}

void MacroPage::AcceptDirection(int row, int direction) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  if (direction != kPress && direction != kRelease) return;
  MacroAction& action = rows_[static_cast<size_t>(row)];
  if (action.direction == direction) return;
  action.direction = static_cast<uint16_t>(direction);
  view_.ChangeRow(row, action);
  view_.EnableApply();
}

void MacroPage::AcceptDelay(int row, const std::u16string& text) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  int value = ParseLeadingInt(text);
  if (value < 0 || value > static_cast<int>(kLargestTypedDelayMs)) {
    // The row may be gone once the person has read the message.
    if (!TellPerson(LangKey::MACRO_ACTION_ERR_DELAY_MAX, static_cast<int>(kLargestTypedDelayMs)) ||
        row >= static_cast<int>(rows_.size())) {
      return;
    }
    value = static_cast<int>(kLargestTypedDelayMs);
  }
  MacroAction& action = rows_[static_cast<size_t>(row)];
  // The keyboard counts pauses in steps of 10 ms.
  action.delay_ms = static_cast<uint32_t>(value - value % 10);
  view_.ChangeRow(row, action);
  view_.EnableApply();
}

// ---- Recording -------------------------------------------------------------------------------

void MacroPage::ToggleRecording() {
  if (recording_) {
    StopRecording();
    return;
  }
  if (selected_ < 0) return;
  if (!host_.InstallRecordHooks()) return;
  recording_ = true;
  remembered_vk_ = 0;
  pressed_release_only_ = 0;
  last_tick_ = host_.Now();
  view_.ShowRecording(true, TextOf(language_, LangKey::MACRO_ACTION_STOP_RECORD));
}

void MacroPage::StopRecording() {
  if (!recording_) return;
  host_.RemoveRecordHooks();
  recording_ = false;
  remembered_vk_ = 0;
  pressed_release_only_ = 0;
  view_.ShowRecording(false, TextOf(language_, LangKey::MACRO_ACTION_RECORD));
}

HookVerdict MacroPage::OnThreadKey(uint8_t vk, uint32_t flags) {
  if (!recording_) return HookVerdict::kPass;
  const KeyCode key = KeyOfKeystroke(vk, flags);
  if (key == 0) return HookVerdict::kPass;
  // Multimedia keys keep working for the system while a person records.
  if (IsMediaKey(key)) return HookVerdict::kPass;
  const bool up = (flags & kKeyUpFlag) != 0;
  if (!up && (flags & kWasDownFlag) != 0) return HookVerdict::kSwallow;  // a held key repeating
  const uint16_t direction = up ? kRelease : kPress;
  const uint32_t now = host_.Now();
  const bool release_only =
      std::find(std::begin(kReleaseOnlyKeys), std::end(kReleaseOnlyKeys), key) != std::end(kReleaseOnlyKeys);
  if (release_only && !up) {
    // The system usually keeps these keys' presses to itself; where it
    // reports one, that press is recorded as any other, and its release
    // then needs no made-up press.
    InsertRecorded(key, kPress, now - last_tick_);
    pressed_release_only_ = key;
  } else if (release_only && pressed_release_only_ != key) {
    // A release without its press: a press is made up 2 ms before it. Both
    // rows or neither: a made-up press without its release would leave the
    // key held down when the macro plays.
    if (rows_.size() + 2 <= static_cast<size_t>(kMaxActionRows)) {
      InsertRecorded(key, kPress, kSysReqPressMs);
      InsertRecorded(key, direction, now - last_tick_);
    }
  } else {
    if (release_only) pressed_release_only_ = 0;
    InsertRecorded(key, direction, now - last_tick_);
  }
  last_tick_ = now;
  return HookVerdict::kSwallow;
}

HookVerdict MacroPage::OnLowLevelKey(uint32_t vk, bool down) {
  if (!recording_) return HookVerdict::kPass;
  if (vk != kWinVk && vk != kRightWinVk) return HookVerdict::kPass;
  const KeyCode key = vk == kWinVk ? kWinKey : kRightWinKey;
  if (down) {
    if (remembered_vk_ != vk) {  // otherwise the key repeating while held
      const uint32_t now = host_.Now();
      InsertRecorded(key, kPress, now - last_tick_);
      last_tick_ = now;
    }
    remembered_vk_ = vk;
  } else {
    const uint32_t now = host_.Now();
    InsertRecorded(key, kRelease, now - last_tick_);
    last_tick_ = now;
    remembered_vk_ = 0;
  }
  // The system must not open its start menu while a person records.
  return HookVerdict::kSwallow;
}

// ---- What it holds --------------------------------------------------------------------------

MacroList MacroPage::EditedList() const {
  MacroList list = items_;
  if (selected_ >= 0 && selected_ < macro_count()) {
    MacroRecord& record = list[static_cast<size_t>(selected_)];
    record.cycles = static_cast<uint8_t>(cycles_);
    record.action_count = static_cast<uint16_t>(rows_.size());
    std::copy(rows_.begin(), rows_.end(), record.actions);
  }
  return list;
}

MemoryMeter MacroPage::Memory() const { return MeasureMemory(EditedList(), capacity_); }

// ---- Private ----------------------------------------------------------------------------------

bool MacroPage::AskPerson(LangKey question) {
  // Keys pressed to answer must not become recorded rows.
  StopRecording();
  const uint64_t generation = generation_;
  const bool yes = host_.Ask(question);
  // The editor may have been closed meanwhile (the keyboard went).
  return yes && generation == generation_;
}

bool MacroPage::TellPerson(LangKey message, int number) {
  StopRecording();
  const uint64_t generation = generation_;
  host_.Tell(message, number);
  return generation == generation_;
}

void MacroPage::StoreActions(int position) {
  if (position < 0 || position >= macro_count()) return;
  MacroRecord& record = items_[static_cast<size_t>(position)];
  record.cycles = static_cast<uint8_t>(cycles_);
  record.action_count = static_cast<uint16_t>(rows_.size());
  std::copy(rows_.begin(), rows_.end(), record.actions);
}

void MacroPage::LoadActions() {
  rows_.clear();
  selected_row_ = -1;
  if (selected_ >= 0 && selected_ < macro_count()) {
    const MacroRecord& record = items_[static_cast<size_t>(selected_)];
    // A record from a damaged file may claim more actions than it holds.
    const size_t count = std::min<size_t>(record.action_count, kMaxActions);
    rows_.assign(record.actions, record.actions + count);
    for (MacroAction& action : rows_) {
      if (action.direction != kPress && action.direction != kRelease) action.direction = kPress;
    }
    // A damaged record's count of 0 plays nothing: shown and kept as 1.
    cycles_ = std::max<int>(record.cycles, 1);
    view_.ShowCycles(DecimalText(cycles_));
  } else {
    // Rows recorded with no macro to keep them would be lost.
    StopRecording();
  }
  view_.ShowRows(rows_, -1);
  view_.EnableActionButtons(selected_ >= 0);
}

void MacroPage::InsertRecorded(KeyCode key, uint16_t direction, uint32_t delay) {
  if (record_delay_ != 1) delay = kRecordDelayOffMs;
  // The keyboard's field holds no longer pause; the rows show what is stored.
  delay = std::min(delay, kLargestDelayMs);
  if (rows_.size() >= static_cast<size_t>(kMaxActionRows)) return;
  const size_t position = selected_row_ >= 0 && selected_row_ < static_cast<int>(rows_.size())
                              ? static_cast<size_t>(selected_row_) + 1
                              : rows_.size();
  // A row's delay is the pause after it: the row before takes the new pause
  // and the new row the one that followed it.
  MacroAction action{0, key, direction};
  if (position > 0) {
    action.delay_ms = rows_[position - 1].delay_ms;
    rows_[position - 1].delay_ms = delay;
  }
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(position), action);
  selected_row_ = static_cast<int>(position);
  view_.InsertRow(selected_row_, action, true);
  if (position > 0) view_.ChangeRow(selected_row_ - 1, rows_[position - 1]);
  view_.EnableApply();
  ShowMemory();
}

uint16_t MacroPage::FreeId() const {
  for (uint16_t id = 1; id <= kMaxMacros; ++id) {
    const bool taken = std::any_of(items_.begin(), items_.end(), [id](const MacroRecord& m) { return m.id == id; });
    if (!taken) return id;
  }
  return 0;
}

MacroRecord MacroPage::NewRecord(std::u16string_view name) const {
  MacroRecord record;
  record.SetName(name);
  record.cycles = 1;
  record.new_macro = 1;
  record.id = FreeId();
  record.action_count = 0;
  return record;
}

void MacroPage::ShowBox() {
  std::vector<std::u16string> names;
  names.reserve(items_.size());
  for (const MacroRecord& item : items_) names.push_back(item.Name());
  // The box reports the selection it is given as a change; that report is
  // the page's own doing, not a person's.
  changing_box_ = true;
  view_.ShowMacros(names, selected_);
  changing_box_ = false;
}

void MacroPage::ShowMemory() {
  // Sized from the rows as they stand, without copying every record.
  StoreActions(selected_);
  view_.ShowMemory(MeasureMemory(items_, capacity_));
}

}  // namespace velkor
