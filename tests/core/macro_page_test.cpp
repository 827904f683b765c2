// The macro page driven by scripted edits and key events, with a fake view
// and host that record what the page tells them.
#include "editors/macro_page_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <tuple>

#include "model/key_assignment.h"
#include "platform/text.h"

namespace velkor::testing {
namespace {

using Row = std::tuple<uint16_t, uint16_t, uint32_t>;  // key, direction, delay

std::vector<Row> RowsOf(const std::vector<MacroAction>& actions) {
  std::vector<Row> rows;
  for (const MacroAction& a : actions) rows.emplace_back(a.key, a.direction, a.delay_ms);
  return rows;
}

class FakeView : public MacroPageView {
 public:
  std::vector<std::u16string> names;
  int box_selected = -2;
  std::vector<MacroAction> rows;
  int row_selected = -2;
  std::u16string cycles, caption;
  bool buttons = false, recording = false;
  MemoryMeter memory;
  int applies = 0;
  std::vector<std::string> row_calls;  // InsertRow / ChangeRow, in order
  std::function<void()> during_show_macros;

  void ShowMacros(const std::vector<std::u16string>& n, int selected) override {
    names = n;
    box_selected = selected;
    if (during_show_macros) during_show_macros();
  }
  void ShowMacroName(int position, const std::u16string& name) override { names.at(position) = name; }
  void ShowRows(const std::vector<MacroAction>& r, int selected) override {
    rows = r;
    row_selected = selected;
  }
  void InsertRow(int position, const MacroAction& action, bool select) override {
    row_calls.push_back("insert " + std::to_string(position) + (select ? " selected" : ""));
    rows.insert(rows.begin() + position, action);
  }
  void ChangeRow(int position, const MacroAction& action) override {
    row_calls.push_back("change " + std::to_string(position));
    rows.at(position) = action;
  }
  void ShowCycles(const std::u16string& text) override { cycles = text; }
  void EnableActionButtons(bool enabled) override { buttons = enabled; }
  void ShowRecording(bool on, const std::u16string& text) override {
    recording = on;
    caption = text;
  }
  void ShowMemory(const MemoryMeter& meter) override { memory = meter; }
  void EnableApply() override { ++applies; }
};

class FakeHost : public MacroPageHost {
 public:
  bool answer = true;
  std::vector<LangKey> asked;
  std::vector<std::pair<LangKey, int>> told;
  bool hooks_install = true;
  int removed = 0, pauses = 0;
  uint32_t now = 1000;
  std::u16string stored = u"1";
  std::vector<std::u16string> written;
  // Runs while the person looks at a question or a message.
  std::function<void()> meanwhile;

  bool Ask(LangKey question) override {
    asked.push_back(question);
    if (meanwhile) meanwhile();
    return answer;
  }
  void Tell(LangKey message, int number) override {
    told.emplace_back(message, number);
    if (meanwhile) meanwhile();
  }
  bool InstallRecordHooks() override { return hooks_install; }
  void RemoveRecordHooks() override { ++removed; }
  uint32_t Now() override { return now; }
  void Pause() override { ++pauses; }
  std::u16string ReadRecordDelay() override { return stored; }
  void WriteRecordDelay(const std::u16string& value) override { written.push_back(value); }
};

MacroRecord Macro(std::u16string_view name, uint16_t id, std::vector<Row> actions = {}) {
  MacroRecord m;
  m.SetName(name);
  m.id = id;
  m.new_macro = 1;  // Load must clear it
  m.action_count = static_cast<uint16_t>(actions.size());
  for (size_t i = 0; i < actions.size(); ++i) {
    m.actions[i] = {std::get<2>(actions[i]), std::get<0>(actions[i]), std::get<1>(actions[i])};
  }
  return m;
}

// Thread-hook flags of a key going down for the first time, and going up.
constexpr uint32_t Down(uint32_t scan) { return (scan & 0xFF) << 16 | (scan & 0x100) << 16 | 1; }
constexpr uint32_t Up(uint32_t scan) { return Down(scan) | 0xC0000000u; }
constexpr uint32_t Repeat(uint32_t scan) { return Down(scan) | 0x40000000u; }

constexpr KeyCode kA = 0x01E, kB = 0x030, kC = 0x02E, kD = 0x020, kE = 0x012;

class MacroPageTest : public ::testing::Test {
 protected:
  void Open(size_t capacity = 0) { page.Load(lock, working, capacity); }
  void PlayKey(uint8_t vk, uint32_t flags, uint32_t at) {
    host.now = at;
    EXPECT_EQ(page.OnThreadKey(vk, flags), HookVerdict::kSwallow);
  }
  void StartRecording(uint32_t at = 1000) {
    host.now = at;
    page.ToggleRecording();
    ASSERT_TRUE(page.recording());
  }

  FakeView view;
  FakeHost host;
  int counter = 0;
  std::recursive_mutex lock;
  ProfileImage working;
  MacroPage page{view, host, nullptr, counter};
};

// ---- Loading, naming, deleting ------------------------------------------------------------

TEST_F(MacroPageTest, LoadCopiesTheListAndNormalisesTheStoredOption) {
  working.macros = {Macro(u"Alpha", 4, {{kA, 0, 10}}), Macro(u"Beta", 9, {{kB, 7, 20}})};
  host.stored = u"yes";
  view.during_show_macros = [&] { page.SelectMacro(1); };  // the box echoing the page's own change
  Open();
  EXPECT_EQ(page.record_delay(), 0);
  EXPECT_EQ(host.written, (std::vector<std::u16string>{u"0"}));
  EXPECT_EQ(view.names, (std::vector<std::u16string>{u"Alpha", u"Beta"}));
  EXPECT_EQ(page.selected_macro(), -1);
  EXPECT_FALSE(view.buttons);
  EXPECT_EQ(page.macro(0).new_macro, 0);
  view.during_show_macros = nullptr;

  page.SelectMacroWithId(9);
  EXPECT_EQ(page.selected_macro(), 1);
  EXPECT_EQ(view.box_selected, 1);
  EXPECT_EQ(RowsOf(view.rows), (std::vector<Row>{{kB, 0, 20}}));  // an odd direction reads as a press
  page.SelectMacroWithId(55);
  EXPECT_EQ(page.selected_macro(), 0);
  EXPECT_TRUE(view.buttons);

  host.stored = u"1";
  host.written.clear();
  Open();
  EXPECT_EQ(page.record_delay(), 1);
  EXPECT_TRUE(host.written.empty());
}

TEST_F(MacroPageTest, NewMacroNamesSkipEveryNameTheyBegin) {
  counter = 7;
  Open();
  page.AddMacro();
  EXPECT_EQ(page.macro(0).Name(), u"Macro1");  // an empty box starts the count again
  EXPECT_EQ(page.macro(0).id, 1);
  EXPECT_EQ(page.macro(0).new_macro, 1);
  EXPECT_EQ(page.selected_macro(), 0);
  EXPECT_EQ(view.applies, 1);

  working.macros = {Macro(u"Macro10", 1)};
  counter = 0;
  Open();
  page.AddMacro();
  EXPECT_EQ(page.macro(1).Name(), u"Macro2");  // "Macro1" begins "Macro10"
  EXPECT_EQ(host.pauses, 1);

  working.macros = {Macro(u"Macro10", 1), Macro(u"MACRO3 old", 3)};
  counter = 2;
  host.pauses = 0;
  Open();
  page.AddMacro();
  EXPECT_EQ(page.macro(2).Name(), u"Macro4");
  EXPECT_EQ(page.macro(2).id, 2);  // the lowest id no macro uses
  EXPECT_EQ(host.pauses, 1);
  EXPECT_EQ(view.names.back(), u"Macro4");
  EXPECT_EQ(view.box_selected, 2);
}

TEST_F(MacroPageTest, AHundredMacrosAreTheMost) {
  for (uint16_t id = 1; id <= 100; ++id) working.macros.push_back(Macro(u"m", id));
  Open();
  page.AddMacro();
  EXPECT_EQ(page.macro_count(), 100);
  EXPECT_EQ(host.told, (std::vector<std::pair<LangKey, int>>{{LangKey::MACRO_ERR_MAX, 100}}));
  EXPECT_EQ(view.applies, 0);
}

TEST_F(MacroPageTest, TypingNamesAndRenames) {
  working.macros = {Macro(u"Solo", 5)};
  Open();
  page.EditName(u"ignored");  // nothing selected
  EXPECT_EQ(page.macro(0).Name(), u"Solo");
  page.SelectMacro(0);
  page.DeleteMacro();  // no key plays it: no question
  EXPECT_TRUE(host.asked.empty());
  EXPECT_EQ(page.selected_macro(), -1);
  EXPECT_FALSE(view.buttons);

  page.EditName(u"");  // deleting the text of an empty box makes nothing
  EXPECT_EQ(page.macro_count(), 0);
  page.EditName(u"Fresh");
  ASSERT_EQ(page.macro_count(), 1);
  EXPECT_EQ(page.macro(0).Name(), u"Fresh");
  EXPECT_EQ(page.macro(0).id, 1);
  EXPECT_EQ(page.macro(0).new_macro, 1);
  EXPECT_EQ(page.macro(0).cycles, 1);
  EXPECT_EQ(page.selected_macro(), 0);

  page.AddMacro();
  page.EditName(u"Fresh");  // a name another macro has is accepted
  EXPECT_EQ(view.names, (std::vector<std::u16string>{u"Fresh", u"Fresh"}));

  // Cut to 249 characters, never through a surrogate pair.
  std::u16string long_name(248, u'x');
  long_name += u"\U0001F600tail";
  page.EditName(long_name);
  EXPECT_EQ(page.macro(1).Name(), std::u16string(248, u'x'));
}

TEST_F(MacroPageTest, DeletingAsksOnlyForAMacroAKeyPlays) {
  working.macros = {Macro(u"A", 1), Macro(u"B", 2), Macro(u"C", 3)};
  working.entries[256] = {4, 0, 1, 0, 0};  // only a G slot plays A
  working.entries[300] = {4, 0, 4, 0, 0};  // a macro that is yet to be made
  Open();
  page.SelectMacro(0);
  host.answer = false;
  page.DeleteMacro();
  EXPECT_EQ(host.asked, (std::vector<LangKey>{LangKey::MACRO_DELETE_CONFIRM_OF_KEYS}));
  EXPECT_EQ(page.macro_count(), 3);

  host.answer = true;
  page.DeleteMacro();
  EXPECT_EQ(page.macro_count(), 2);
  EXPECT_EQ(page.selected_macro(), 0);  // the first went: the new first
  EXPECT_EQ(page.macro(0).Name(), u"B");

  page.AddMacro();  // takes id 1 again
  page.AddMacro();  // id 4, which entry 300 names
  EXPECT_EQ(page.macro(3).id, 4);
  host.asked.clear();
  page.DeleteMacro();  // made here: no question whatever the keys say
  EXPECT_TRUE(host.asked.empty());
  EXPECT_EQ(page.selected_macro(), 2);  // the one before
}

// ---- Recording ----------------------------------------------------------------------------

TEST_F(MacroPageTest, APressAndReleaseKeepTheirPauseOnlyWithTheOption) {
  working.macros = {Macro(u"M", 1)};
  Open(100);
  page.SelectMacro(0);
  StartRecording(1000);
  EXPECT_EQ(view.caption, u"Stop Record");
  PlayKey(0x41, Down(kA), 1200);
  PlayKey(0x41, Up(kA), 1500);
  EXPECT_EQ(RowsOf(page.rows()), (std::vector<Row>{{kA, 0, 300}, {kA, 1, 0}}));
  EXPECT_EQ(RowsOf(view.rows), RowsOf(page.rows()));
  EXPECT_EQ(view.row_calls, (std::vector<std::string>{"insert 0 selected", "insert 1 selected", "change 0"}));
  // A name of one character and two actions: 16 + 2 + 4 + 8 (+ 2 with names).
  EXPECT_EQ(view.memory.without_names, 30u);
  EXPECT_EQ(view.memory.with_names, 32u);

  page.ToggleRecordDelay();
  EXPECT_EQ(host.written.back(), u"0");
  page.ClearActions();  // its question ends the recording
  EXPECT_FALSE(page.recording());
  StartRecording(1900);
  PlayKey(0x41, Down(kA), 2000);
  PlayKey(0x41, Up(kA), 2300);
  EXPECT_EQ(RowsOf(page.rows()), (std::vector<Row>{{kA, 0, 50}, {kA, 1, 0}}));

  page.ToggleRecording();
  EXPECT_FALSE(view.recording);
  EXPECT_EQ(view.caption, u"Record");
  EXPECT_EQ(host.removed, 2);
  EXPECT_EQ(page.OnThreadKey(0x41, Down(kA)), HookVerdict::kPass);
}

TEST_F(MacroPageTest, ReleaseOnlyKeysHeldKeysAndTheWindowsKeys) {
  working.macros = {Macro(u"M", 1)};
  Open();
  page.SelectMacro(0);
  StartRecording(1000);
  // A held key repeats its key-down; it is recorded once.
  PlayKey(0x41, Down(kA), 1200);
  PlayKey(0x41, Repeat(kA), 1250);
  PlayKey(0x41, Repeat(kA), 1300);
  PlayKey(0x41, Up(kA), 1400);
  // Print Screen reaches the hook only as its release: a press is made up
  // 2 ms after the row before, and the release follows at the measured gap.
  PlayKey(0x2C, Up(0x137), 1700);
  host.now = 1800;
  EXPECT_EQ(page.OnLowLevelKey(0x5B, true), HookVerdict::kSwallow);
  host.now = 1850;
  EXPECT_EQ(page.OnLowLevelKey(0x5B, true), HookVerdict::kSwallow);  // repeating
  host.now = 2000;
  EXPECT_EQ(page.OnLowLevelKey(0x5B, false), HookVerdict::kSwallow);
  EXPECT_EQ(page.OnLowLevelKey(0x41, true), HookVerdict::kPass);
  EXPECT_EQ(RowsOf(page.rows()), (std::vector<Row>{{kA, 0, 200},
                                                   {kA, 1, 2},
                                                   {0x137, 0, 300},
                                                   {0x137, 1, 100},
                                                   {0x15B, 0, 200},
                                                   {0x15B, 1, 0}}));
  // Multimedia keys and keys without a code stay with the system.
  EXPECT_EQ(page.OnThreadKey(0xAD, Down(0x120)), HookVerdict::kPass);
  EXPECT_EQ(page.OnThreadKey(0xFF, 0), HookVerdict::kPass);
  EXPECT_EQ(page.rows().size(), 6u);
  // Where the system does report Print Screen's press, the key is recorded
  // as pressed once and released once, never pressed twice.
  PlayKey(0x2C, Down(0x137), 2100);
  PlayKey(0x2C, Up(0x137), 2180);
  ASSERT_EQ(page.rows().size(), 8u);
  EXPECT_EQ(RowsOf(std::vector<MacroAction>(page.rows().begin() + 5, page.rows().end())),
            (std::vector<Row>{{0x15B, 1, 100}, {0x137, 0, 80}, {0x137, 1, 0}}));
}

TEST_F(MacroPageTest, RecordedRowsGoAfterTheSelectedRowAndLongPausesAreHeld) {
  working.macros = {Macro(u"M", 1, {{kA, 0, 100}, {kB, 0, 200}, {kC, 0, 300}})};
  Open();
  page.SelectMacro(0);
  page.SelectRow(1);
  StartRecording(1000);
  PlayKey(0x44, Down(kD), 1070);
  PlayKey(0x45, Down(kE), 1100);
  EXPECT_EQ(RowsOf(page.rows()),
            (std::vector<Row>{{kA, 0, 100}, {kB, 0, 70}, {kD, 0, 30}, {kE, 0, 200}, {kC, 0, 300}}));
  EXPECT_EQ(page.selected_row(), 3);
  EXPECT_EQ(view.row_calls.front(), "insert 2 selected");
  EXPECT_EQ(view.row_calls[1], "change 1");

  page.SelectRow(-1);
  PlayKey(0x41, Down(kA), 70000);  // 68.9 s later
  EXPECT_EQ(std::get<2>(RowsOf(page.rows())[4]), 40950u);
}

TEST_F(MacroPageTest, TwoThousandRowsAreTheMost) {
  MacroRecord full = Macro(u"Full", 1);
  full.action_count = 1999;
  working.macros = {full};
  Open();
  page.SelectMacro(0);
  StartRecording();
  // Sys Req needs two rows: a made-up press alone would leave it held.
  PlayKey(0x2C, Up(0x054), 1100);
  EXPECT_EQ(page.rows().size(), 1999u);
  PlayKey(0x41, Down(kA), 1200);
  PlayKey(0x41, Up(kA), 1300);
  EXPECT_EQ(page.rows().size(), 2000u);
  EXPECT_EQ(page.rows().back().key, kA);
  EXPECT_EQ(page.rows().back().direction, 0);
}

TEST_F(MacroPageTest, RecordingNeedsAMacroAndHooksAndEndsWithIt) {
  working.macros = {Macro(u"M", 1)};
  Open();
  page.ToggleRecording();
  EXPECT_FALSE(page.recording());
  page.SelectMacro(0);
  host.hooks_install = false;
  page.ToggleRecording();
  EXPECT_FALSE(page.recording());
  host.hooks_install = true;
  page.ToggleRecording();
  page.DeleteMacro();  // nothing left to record into
  EXPECT_FALSE(page.recording());
  EXPECT_EQ(host.removed, 1);
}

// ---- Editing rows -------------------------------------------------------------------------

TEST_F(MacroPageTest, CellEditorsAndWhatTheyAccept) {
  working.macros = {Macro(u"M", 1, {{kB, 1, 100}, {0x054, 0, 0}})};
  Open();
  page.SelectMacro(0);
  CellEdit edit = page.BeginCellEdit(0, 0);
  EXPECT_EQ(edit.kind, CellEdit::Kind::kKeyList);
  EXPECT_EQ(edit.selected, 1);                         // B is the list's second key
  EXPECT_EQ(page.BeginCellEdit(1, 0).selected, -1);    // Sys Req is not in the list
  EXPECT_EQ(page.BeginCellEdit(0, 1).selected, 1);
  EXPECT_EQ(page.BeginCellEdit(5, 0).kind, CellEdit::Kind::kNone);
  EXPECT_TRUE(host.told.empty());
  EXPECT_EQ(page.BeginCellEdit(0, 3).kind, CellEdit::Kind::kNone);
  EXPECT_EQ(host.told, (std::vector<std::pair<LangKey, int>>{{LangKey::MACRO_ACTION_ERR_MODIFY, 0}}));
  host.told.clear();

  page.AcceptKey(0, 1);       // unchanged
  page.AcceptKey(0, 0xFFFF);  // not a list number
  page.AcceptDirection(0, 1);
  page.AcceptDirection(0, 2);
  EXPECT_EQ(view.applies, 0);
  page.AcceptKey(0, 2);
  page.AcceptDirection(0, 0);
  EXPECT_EQ(RowsOf(view.rows)[0], (Row{kC, 0, 100}));
  EXPECT_EQ(view.applies, 2);

  StartRecording();
  edit = page.BeginCellEdit(0, 2);
  EXPECT_FALSE(page.recording());  // the digits typed must not be recorded
  EXPECT_EQ(edit.kind, CellEdit::Kind::kDelay);
  EXPECT_EQ(edit.text, u"100");
  const std::map<std::u16string, uint32_t> delays = {
      {u"12345", 12340}, {u"abc", 0}, {u"9", 0}, {u"40000", 40000}};
  for (const auto& [text, expected] : delays) {
    page.AcceptDelay(0, text);
    EXPECT_EQ(page.rows()[0].delay_ms, expected) << std::string(text.begin(), text.end());
  }
  EXPECT_TRUE(host.told.empty());
  for (const char16_t* text : {u"50000", u"-5"}) {
    page.AcceptDelay(1, text);
    EXPECT_EQ(page.rows()[1].delay_ms, 40000u);
  }
  EXPECT_EQ(host.told, (std::vector<std::pair<LangKey, int>>{{LangKey::MACRO_ACTION_ERR_DELAY_MAX, 40000},
                                                             {LangKey::MACRO_ACTION_ERR_DELAY_MAX, 40000}}));
}

TEST_F(MacroPageTest, MovesDeletesAndCycles) {
  working.macros = {Macro(u"M", 1, {{kA, 0, 1}, {kB, 0, 2}, {kC, 0, 3}, {kD, 0, 4}}), Macro(u"N", 2)};
  Open();
  page.SelectMacro(0);
  auto keys = [&] {
    std::vector<KeyCode> k;
    for (const MacroAction& a : view.rows) k.push_back(a.key);
    return k;
  };
  page.SelectRow(1);
  page.MoveAction(MacroPage::Move::kTop);
  EXPECT_EQ(keys(), (std::vector<KeyCode>{kB, kA, kC, kD}));
  EXPECT_EQ(view.row_selected, 0);
  page.MoveAction(MacroPage::Move::kUp);  // already first
  EXPECT_EQ(view.applies, 1);
  page.MoveAction(MacroPage::Move::kBottom);
  page.MoveAction(MacroPage::Move::kUp);
  EXPECT_EQ(keys(), (std::vector<KeyCode>{kA, kC, kB, kD}));
  page.MoveAction(MacroPage::Move::kDown);
  page.MoveAction(MacroPage::Move::kDown);  // already last
  EXPECT_EQ(keys(), (std::vector<KeyCode>{kA, kC, kD, kB}));
  EXPECT_EQ(view.row_selected, 3);
  EXPECT_EQ(view.applies, 4);

  page.DeleteAction();  // the last: the one before is selected
  EXPECT_EQ(view.row_selected, 2);
  page.SelectRow(0);
  page.DeleteAction();
  EXPECT_EQ(keys(), (std::vector<KeyCode>{kC, kD}));
  EXPECT_EQ(view.row_selected, 0);
  host.answer = false;
  page.ClearActions();
  EXPECT_EQ(page.rows().size(), 2u);

  const std::map<std::u16string, std::u16string> cycles = {
      {u"", u"1"}, {u"x", u"1"}, {u"0", u"1"}, {u"-4", u"1"}, {u"300", u"255"}, {u"255", u"255"}, {u"17", u"17"}};
  for (const auto& [typed, shown] : cycles) EXPECT_EQ(page.EditCycles(typed), shown);
  page.EditCycles(u"17");
  page.SelectMacro(1);
  EXPECT_EQ(view.cycles, u"1");
  page.SelectMacro(0);  // its rows and cycles were kept when the selection left it
  EXPECT_EQ(view.cycles, u"17");
  EXPECT_EQ(keys(), (std::vector<KeyCode>{kC, kD}));
}

// ---- Commit and cancel --------------------------------------------------------------------

TEST_F(MacroPageTest, CommitSettlesTheKeysAndReplacesTheList) {
  working.macros = {Macro(u"A", 1), Macro(u"B", 2)};
  working.entries[10] = {4, 3, 1, 0, 0};
  working.entries[20] = {4, 0, 0, 0, 0};
  working.entries[30] = {4, 0, 2, 0, 0};
  working.entries[1800] = {4, 0, 7, 0, 0};
  working.entries[40] = {2, 0, 1, 0, 0};
  const KeyAssignment g_slot = {4, 0x0301, 1, 9, 0};
  working.entries[256] = g_slot;
  Open();
  page.SelectMacro(0);
  page.DeleteMacro();
  page.AddMacro();  // id 1 again: the keys that played A must not play it
  StartRecording();
  PlayKey(0x41, Down(kA), 1100);
  EXPECT_TRUE(page.Commit(lock, working));

  EXPECT_EQ(working.entries[10], (KeyAssignment{0, 0, 0, 0, 0}));
  EXPECT_EQ(working.entries[256], (KeyAssignment{0, 0x0301, 0, 9, 0}));
  EXPECT_EQ(working.entries[20], (KeyAssignment{4, 0, 2, 0, 0}));  // the first macro
  EXPECT_EQ(working.entries[30], (KeyAssignment{4, 0, 2, 0, 0}));
  EXPECT_EQ(working.entries[1800].kind, 0);
  EXPECT_EQ(working.entries[40], (KeyAssignment{2, 0, 1, 0, 0}));
  ASSERT_EQ(working.macros.size(), 2u);
  EXPECT_EQ(working.macros[0].Name(), u"B");
  EXPECT_EQ(working.macros[1].Name(), u"Macro1");
  EXPECT_EQ(working.macros[1].id, 1);
  EXPECT_EQ(working.macros[1].new_macro, 0);
  EXPECT_EQ(working.macros[1].action_count, 1);

  // The key editor now assigns the new macro; a second Apply keeps that.
  working.entries[50] = {4, 0, 1, 0, 0};
  EXPECT_FALSE(page.Commit(lock, working));
  EXPECT_EQ(working.entries[50], (KeyAssignment{4, 0, 1, 0, 0}));

  page.SelectMacro(0);
  page.DeleteMacro();
  page.DeleteMacro();
  working.entries[60] = {4, 0, 0, 0, 0};
  EXPECT_TRUE(page.Commit(lock, working));
  EXPECT_TRUE(working.macros.empty());
  EXPECT_EQ(working.entries[60].parameter, 0u);  // no macro to give it
}

TEST_F(MacroPageTest, EmptyingWithoutCommitLeavesTheWorkingImageAlone) {
  working.macros = {Macro(u"A", 1, {{kA, 0, 10}}), Macro(u"B", 2)};
  working.entries[10] = {4, 0, 1, 0, 0};
  Open();
  page.SelectMacro(0);
  page.EditName(u"Renamed");
  page.EditCycles(u"9");
  StartRecording();
  PlayKey(0x42, Down(kB), 1100);
  page.SelectMacro(1);
  page.DeleteMacro();
  page.AddMacro();
  page.Empty();

  EXPECT_FALSE(page.recording());
  EXPECT_TRUE(view.names.empty());
  EXPECT_TRUE(view.rows.empty());
  ASSERT_EQ(working.macros.size(), 2u);
  EXPECT_EQ(working.macros[0].Name(), u"A");
  EXPECT_EQ(working.macros[0].action_count, 1);
  EXPECT_EQ(working.macros[0].cycles, 1);
  EXPECT_EQ(working.macros[1].new_macro, 1);  // the page's copies had it cleared, not the image
  EXPECT_EQ(working.entries[10], (KeyAssignment{4, 0, 1, 0, 0}));
}

// ---- The memory meter and the texts -------------------------------------------------------

TEST(MacroPageMemoryTest, SizesAndStates) {
  EXPECT_EQ(MeasureMemory({}, 0), (MemoryMeter{16, 16, 0, MemoryMeter::State::kUnknownCapacity}));
  MacroList one = {Macro(u"Macro1", 1, {{kA, 0, 0}, {kA, 1, 0}})};
  EXPECT_EQ(MeasureMemory(one, 42), (MemoryMeter{42, 30, 42, MemoryMeter::State::kFits}));
  EXPECT_EQ(MeasureMemory(one, 41).state, MemoryMeter::State::kNamesDropped);
  EXPECT_EQ(MeasureMemory(one, 30).state, MemoryMeter::State::kNamesDropped);
  EXPECT_EQ(MeasureMemory(one, 29).state, MemoryMeter::State::kTooLarge);
}

TEST(MacroPageMemoryTest, MeterTexts) {
  using S = MemoryMeter::State;
  EXPECT_EQ(MemoryMeterText({42, 30, 16384, S::kFits}, nullptr), u"Memory: 42 of 16,384 bytes");
  EXPECT_EQ(MemoryMeterText({42, 30, 40, S::kNamesDropped}, nullptr),
            u"Memory: 30 of 40 bytes (no names)");
  EXPECT_EQ(MemoryMeterText({1000, 999, 998, S::kTooLarge}, nullptr),
            u"Memory: 999 of 998 bytes: too much!");
  EXPECT_EQ(MemoryMeterText({1234567, 5, 0, S::kUnknownCapacity}, nullptr), u"Memory: 1,234,567 bytes");
}

// A language file that holds odd directives: they are shown as written.
class OddLanguage : public IniStore {
 public:
  std::u16string ReadString(const std::u16string&, std::u16string_view section, std::u16string_view key,
                            std::u16string_view default_text, size_t) override {
    if (EqualsAscii(section, "LANGUAGE")) return u"0";
    if (EqualsAscii(key, "MACRO_MEMORY")) return u"%s%% %s %s %d %";
    if (EqualsAscii(key, "MACRO_MEMORY_UNKNOWN")) return u"no figures";
    return std::u16string(default_text);
  }
  bool WriteString(const std::u16string&, std::u16string_view, std::u16string_view, std::u16string_view) override {
    return true;
  }

 private:
  static bool EqualsAscii(std::u16string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char y) {
             return std::tolower(static_cast<int>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
  }
};

TEST(MacroPageMemoryTest, ALanguageTextsDirectivesNeverReadMissingFigures) {
  OddLanguage store;
  LanguageTable language(store, u"language.ini");
  language.Load();
  using S = MemoryMeter::State;
  EXPECT_EQ(MemoryMeterText({42, 30, 16384, S::kFits}, &language), u"42% 16,384 %s %d %");
  EXPECT_EQ(MemoryMeterText({42, 30, 0, S::kUnknownCapacity}, &language), u"no figures");
}

TEST(MacroPageTextTest, NumbersGoIntoTheFirstIntegerDirectiveOnly) {
  EXPECT_EQ(FormatFirstInteger(u"The maximum number of macro: %d   ", 100), u"The maximum number of macro: 100   ");
  EXPECT_EQ(FormatFirstInteger(u"%05d|%d", -5), u"-0005|%d");
  EXPECT_EQ(FormatFirstInteger(u"%s %3i", 7), u"%s   7");
  EXPECT_EQ(FormatFirstInteger(u"%u", -1), u"4294967295");
  EXPECT_EQ(FormatFirstInteger(u"100%% %X %", 0x3AB), u"100% 3AB %");
  EXPECT_EQ(DirectionText(0), u"↓");
  EXPECT_EQ(DirectionText(1), u"  ↑");
  EXPECT_EQ(DirectionText(7), u"↓");
}

}  // namespace
}  // namespace velkor::testing

namespace velkor::testing {
namespace {

TEST_F(MacroPageTest, AnEditorClosedWhileItsQuestionIsOpenChangesNothingAfterwards) {
  working.macros = {Macro(u"Used", 1, {{kA, 0, 10}, {kA, 1, 0}})};
  working.Entry(0, 0x1E) = {4, 0, 1, 0, 0};
  Open();
  page.SelectMacro(0);
  // The keyboard goes while the delete question is open: Yes then deletes
  // nothing from a page that is gone.
  host.meanwhile = [&] { page.Empty(); };
  page.DeleteMacro();
  EXPECT_EQ(host.asked.size(), 1u);
  EXPECT_EQ(page.macro_count(), 0);
  EXPECT_TRUE(page.rows().empty());

  // Loaded again; the delay message is open when the page is emptied.
  host.meanwhile = nullptr;
  Open();
  page.SelectMacro(0);
  host.meanwhile = [&] { page.Empty(); };
  page.AcceptDelay(1, u"50000");
  EXPECT_TRUE(page.rows().empty());
  // The working image never saw any of it.
  ASSERT_EQ(working.macros.size(), 1u);
  EXPECT_EQ(working.macros[0].action_count, 2);
}

TEST_F(MacroPageTest, AQuestionStopsARecordingSoTheKeysThatAnswerItAreNotRecorded) {
  working.macros = {Macro(u"M", 1, {{kA, 0, 10}})};
  Open();
  page.SelectMacro(0);
  StartRecording(1000);
  host.answer = false;
  host.meanwhile = [&] { page.OnThreadKey(0x4E, Down(0x31)); };  // "N" for No
  page.ClearActions();
  EXPECT_FALSE(page.recording());
  EXPECT_FALSE(view.recording);
  EXPECT_EQ(RowsOf(page.rows()), (std::vector<Row>{{kA, 0, 10}}));
}

TEST_F(MacroPageTest, KeysResetByCommitLoseTheCycleCountAndGSlotsKeepTheirCode) {
  working.macros = {Macro(u"Gone", 1)};
  working.Entry(0, 0x100) = {4, 7, 1, 0, 0};  // G1 of set 0, seven cycles
  working.Entry(2, 0x1E) = {4, 5, 1, 0, 0};   // "A" in profile 3
  Open();
  page.SelectMacro(0);
  host.answer = true;
  page.DeleteMacro();
  EXPECT_TRUE(page.Commit(lock, working));
  EXPECT_EQ(working.Entry(0, 0x100), (KeyAssignment{0, 0x0301, 0, 0, 0}));
  EXPECT_EQ(working.Entry(2, 0x1E), (KeyAssignment{0, 0, 0, 0, 0}));
}

TEST_F(MacroPageTest, ADamagedRecordWithNoCyclesIsShownAndKeptAsOne) {
  working.macros = {Macro(u"M", 1, {{kA, 0, 10}})};
  working.macros[0].cycles = 0;
  Open();
  page.SelectMacro(0);
  EXPECT_EQ(view.cycles, u"1");
  page.Commit(lock, working);
  EXPECT_EQ(working.macros[0].cycles, 1);
}

}  // namespace
}  // namespace velkor::testing
