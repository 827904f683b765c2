// The report list on a small window of its own: a list view made here, its
// parent forwarding WM_NOTIFY the way the dialogs do, driven with the
// messages the mouse and the keyboard send.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tests/windows/test_host_window.h"
#include "widgets/win32/report_ctrl.h"

namespace velkor::testing {
namespace {

constexpr int kListId = 401;

// The list whose notices the host forwards.
CReportCtrl* forward_to = nullptr;
// The commands the host got (IDOK from a dialog's Enter).
std::vector<int> host_commands;

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    if (message == WM_COMMAND) host_commands.push_back(LOWORD(wparam));
    if (message == WM_NOTIFY && forward_to) {
      LRESULT result = 0;
      if (forward_to->OnNotify(lparam, result)) return result;
    }
  } catch (...) {
    ADD_FAILURE() << "an exception reached the host's window procedure";
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

struct Mark {
  int row;
  bool checked;
  int selected_then;  // FirstSelected() when the callback ran
  bool operator==(const Mark&) const = default;
};
void PrintTo(const Mark& mark, std::ostream* out) {
  *out << "{row " << mark.row << (mark.checked ? " checked" : " unchecked") << ", selected " << mark.selected_then
       << "}";
}

std::wstring WindowText(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

void PumpMessages(HWND dialog = nullptr) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    // With a dialog the keys go the way a dialog's message loop sends them.
    if (dialog && IsDialogMessageW(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

class ReportCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&init);
    static const ATOM host_class = RegisterTestHostClass(L"VelkorReportTestHost", HostProc);
    host_ = CreateWindowExW(0, MAKEINTATOM(host_class), L"report", WS_OVERLAPPEDWINDOW, 100, 100, 420, 300,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    list_ = CreateWindowExW(0, WC_LISTVIEWW, nullptr,
                            WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                            10, 10, 380, 220, host_, reinterpret_cast<HMENU>(kListId), GetModuleHandleW(nullptr),
                            nullptr);
    ASSERT_TRUE(report_.Attach(list_));
    forward_to = &report_;
    host_commands.clear();
    report_.SetCheckChanged([this](int row, bool checked) { marks_.push_back({row, checked, report_.FirstSelected()}); });
    ShowWindow(host_, SW_SHOW);
    UpdateWindow(host_);
  }
  void TearDown() override {
    forward_to = nullptr;
    if (IsWindow(host_)) DestroyWindow(host_);
  }

  // Three columns and the rows "Row 0".."Row n-1", check boxes in
  // single-check mode, grid lines and full-row selection as the profile
  // manager has them.
  void FillProfiles(int rows) {
    report_.AddColumn(L"Name", 160);
    report_.AddColumn(L"Keys", 100);
    report_.AddColumn(L"Lighting", 100);
    report_.AddExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    report_.EnableCheckBoxes(true);
    for (int i = 0; i < rows; ++i) {
      report_.AppendRow({L"Row " + std::to_wstring(i), L"keys " + std::to_wstring(i), L"light"});
    }
    marks_.clear();
  }

  // A point on the row's check box, found by asking the list what lies
  // under the points along the row.
  POINT BoxPoint(int row) const {
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    SendMessageW(list_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
    const int y = (bounds.top + bounds.bottom) / 2;
    for (int x = bounds.left; x < bounds.left + 60; ++x) {
      LVHITTESTINFO hit{};
      hit.pt = POINT{x, y};
      if (SendMessageW(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == row &&
          (hit.flags & LVHT_ONITEMSTATEICON)) {
        return POINT{x + 3, y};
      }
    }
    ADD_FAILURE() << "no check box found on row " << row;
    return POINT{bounds.left + 8, y};
  }
  // A click as the system delivers it: posted, then the queue is run.
  void Click(POINT at) {
    PostMessageW(list_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageW(list_, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    PumpMessages();
  }
  void PressSpace() {
    SetFocus(list_);
    PostMessageW(list_, WM_KEYDOWN, VK_SPACE, 0x00390001);
    PostMessageW(list_, WM_KEYUP, VK_SPACE, 0xC0390001);
    PumpMessages();
  }
  bool Focused(int row) const {
    return SendMessageW(list_, LVM_GETITEMSTATE, row, LVIS_FOCUSED) & LVIS_FOCUSED;
  }
  using Texts = std::vector<std::wstring>;
  Texts RowTexts(int row) const {
    Texts texts;
    for (int column = 0; column < report_.ColumnCount(); ++column) texts.push_back(report_.Text(row, column));
    return texts;
  }
  std::vector<bool> Checks() const {
    std::vector<bool> checks;
    for (int row = 0; row < report_.RowCount(); ++row) checks.push_back(report_.Checked(row));
    return checks;
  }

  HWND host_ = nullptr;
  HWND list_ = nullptr;
  CReportCtrl report_;
  std::vector<Mark> marks_;
};

TEST_F(ReportCtrlTest, ColumnsAndRowsKeepTheirTexts) {
  EXPECT_EQ(report_.AddColumn(L"Name", 160), 0);
  EXPECT_EQ(report_.AddColumn(L"Keys", 100), 1);
  EXPECT_EQ(report_.AddColumn(L"Lighting", 100), 2);
  EXPECT_EQ(report_.ColumnCount(), 3);
  EXPECT_EQ(report_.AppendRow({L"alpha", L"a1", L"a2"}), 0);
  EXPECT_EQ(report_.AppendRow({L"gamma"}), 1);           // the missing cells are empty
  EXPECT_EQ(report_.InsertRow(1, {L"beta", L"b1", L"b2", L"dropped"}), 1);
  EXPECT_EQ(report_.InsertRow(99, {L"delta", L"d1"}), 3);  // a place past the end appends
  EXPECT_EQ(report_.InsertRow(-4, {L"epsilon"}), 4);
  ASSERT_EQ(report_.RowCount(), 5);
  EXPECT_EQ(RowTexts(0), (Texts{L"alpha", L"a1", L"a2"}));
  EXPECT_EQ(RowTexts(1), (Texts{L"beta", L"b1", L"b2"}));
  EXPECT_EQ(RowTexts(2), (Texts{L"gamma", L"", L""}));
  EXPECT_EQ(RowTexts(3), (Texts{L"delta", L"d1", L""}));
  // Cells that do not exist.
  EXPECT_EQ(report_.Text(5, 0), L"");
  EXPECT_EQ(report_.Text(0, 3), L"");
  EXPECT_EQ(report_.Text(-1, 0), L"");
  // A text longer than the first buffer comes back whole.
  const std::wstring long_name(700, L'x');
  const int row = report_.AppendRow({long_name + L"end"});
  EXPECT_EQ(report_.Text(row, 0), long_name + L"end");
}

TEST_F(ReportCtrlTest, AClickOnABoxChecksSelectsAndFocusesItsRowAndUnchecksTheOther) {
  FillProfiles(4);
  report_.SetChecked(0, true);
  report_.Select(0);
  marks_.clear();

  Click(BoxPoint(2));
  EXPECT_EQ(Checks(), (std::vector<bool>{false, false, true, false}));
  EXPECT_EQ(report_.FirstSelected(), 2);
  EXPECT_TRUE(Focused(2));
  EXPECT_FALSE(Focused(0));
  // Once per change, the row that lost its mark first; the clicked row is
  // already selected when the callback hears of it.
  EXPECT_EQ(marks_, (std::vector<Mark>{{0, false, 2}, {2, true, 2}}));

  // The checked row can be unchecked: then none is.
  marks_.clear();
  Click(BoxPoint(2));
  EXPECT_EQ(report_.FirstChecked(), -1);
  EXPECT_EQ(marks_, (std::vector<Mark>{{2, false, 2}}));
}

TEST_F(ReportCtrlTest, SpaceTogglesTheFocusedRowInSingleCheckMode) {
  FillProfiles(3);
  report_.SetChecked(2, true);
  report_.Select(1);
  marks_.clear();

  PressSpace();
  EXPECT_EQ(Checks(), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(marks_, (std::vector<Mark>{{2, false, 1}, {1, true, 1}}));
  marks_.clear();
  PressSpace();
  EXPECT_EQ(Checks(), (std::vector<bool>{false, false, false}));
  EXPECT_EQ(marks_, (std::vector<Mark>{{1, false, 1}}));
}

TEST_F(ReportCtrlTest, TheProgramsChangesObeySingleCheckAndAreReportedOnce) {
  FillProfiles(3);
  report_.SetChecked(0, true);
  report_.SetChecked(2, true);
  EXPECT_EQ(Checks(), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(marks_, (std::vector<Mark>{{0, true, -1}, {0, false, -1}, {2, true, -1}}));
  // What changes nothing is not reported; rows that do not exist are left.
  marks_.clear();
  report_.SetChecked(2, true);
  report_.SetChecked(1, false);
  report_.SetChecked(3, true);
  report_.SetChecked(-1, true);
  EXPECT_TRUE(marks_.empty());
  EXPECT_EQ(report_.FirstChecked(), 2);
  // A mark set through the list view itself is held to the same rule.
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(2);
  SendMessageW(list_, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(Checks(), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(marks_, (std::vector<Mark>{{2, false, -1}, {1, true, -1}}));
}

TEST_F(ReportCtrlTest, TheCallbackMayChangeTheMarksItself) {
  FillProfiles(3);
  // An owner that refuses row 2: it checks row 1 instead.
  report_.SetCheckChanged([this](int row, bool checked) {
    marks_.push_back({row, checked, -1});
    if (row == 2 && checked) report_.SetChecked(1, true);
  });
  Click(BoxPoint(2));
  EXPECT_EQ(Checks(), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(marks_, (std::vector<Mark>{{2, true, -1}, {2, false, -1}, {1, true, -1}}));
}

TEST_F(ReportCtrlTest, PlainCheckBoxesKeepEveryMark) {
  report_.AddColumn(L"Name", 160);
  report_.EnableCheckBoxes(false);
  for (int i = 0; i < 3; ++i) report_.AppendRow({L"row"});
  report_.SetChecked(0, true);
  Click(BoxPoint(2));
  EXPECT_EQ(Checks(), (std::vector<bool>{true, false, true}));
  // Switching to single-check keeps only the first mark.
  marks_.clear();
  report_.EnableCheckBoxes(true);
  EXPECT_EQ(Checks(), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(marks_, (std::vector<Mark>{{2, false, 2}}));
}

TEST_F(ReportCtrlTest, SelectAndDelete) {
  FillProfiles(4);
  report_.Select(3);
  EXPECT_EQ(report_.FirstSelected(), 3);
  EXPECT_TRUE(Focused(3));
  report_.Select(7);  // no such row: nothing changes
  EXPECT_EQ(report_.FirstSelected(), 3);
  report_.Select(-1);
  EXPECT_EQ(report_.FirstSelected(), -1);
  EXPECT_FALSE(Focused(3));

  // Deleting the checked row is no change of a mark; the texts move up.
  report_.SetChecked(1, true);
  marks_.clear();
  report_.DeleteRow(1);
  report_.DeleteRow(9);
  report_.DeleteRow(-1);
  ASSERT_EQ(report_.RowCount(), 3);
  EXPECT_EQ(report_.Text(1, 0), L"Row 2");
  EXPECT_EQ(report_.FirstChecked(), -1);
  EXPECT_TRUE(marks_.empty());

  report_.SetChecked(2, true);
  report_.Select(2);
  report_.DeleteAllRows();
  EXPECT_EQ(report_.RowCount(), 0);
  EXPECT_EQ(report_.FirstChecked(), -1);
  EXPECT_EQ(report_.FirstSelected(), -1);
  // The list still works afterwards.
  EXPECT_EQ(report_.AppendRow({L"again"}), 0);
  report_.SetChecked(0, true);
  EXPECT_EQ(report_.FirstChecked(), 0);
}

TEST_F(ReportCtrlTest, NotificationsOfOtherWindowsAreNotTaken) {
  FillProfiles(2);
  NMLISTVIEW other{};
  other.hdr.hwndFrom = host_;
  other.hdr.idFrom = kListId;
  other.hdr.code = LVN_ITEMCHANGED;
  other.iItem = 0;
  other.uChanged = LVIF_STATE;
  other.uOldState = INDEXTOSTATEIMAGEMASK(1);
  other.uNewState = INDEXTOSTATEIMAGEMASK(2);
  LRESULT result = 0;
  EXPECT_FALSE(report_.OnNotify(reinterpret_cast<LPARAM>(&other), result));
  EXPECT_FALSE(report_.OnNotify(0, result));
  EXPECT_TRUE(marks_.empty());
}

// What the list and its header paint, read back from a memory picture.
class Picture {
 public:
  Picture(HWND window, int width, int height) {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    RECT all{0, 0, width, height};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT | PRF_ERASEBKGND);
  }
  ~Picture() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

TEST_F(ReportCtrlTest, PaintsDarkWithSubtleGridLines) {
  FillProfiles(3);
  report_.Select(1);
  RECT client{};
  GetClientRect(list_, &client);
  Picture list(list_, client.right, client.bottom);
  // The empty part below the rows, away from any grid line.
  RECT last{};
  last.left = LVIR_BOUNDS;
  SendMessageW(list_, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&last));
  const int pitch = last.bottom - last.top;
  EXPECT_EQ(list.At(client.right - 5, last.bottom + pitch / 2), kReportLook.background);
  // A grid line under the last row and at the first column's right edge.
  EXPECT_EQ(list.At(client.right - 5, last.bottom - 1), kReportLook.grid);
  EXPECT_EQ(list.At(159, last.bottom + pitch / 2), kReportLook.grid);
  // The selected row, away from its text, without the focus.
  RECT selected{};
  selected.left = LVIR_BOUNDS;
  SendMessageW(list_, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&selected));
  EXPECT_EQ(list.At(330, (selected.top + selected.bottom) / 2), kReportLook.inactive_selected_background);

  HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
  RECT header_client{};
  GetClientRect(header, &header_client);
  Picture head(header, header_client.right, header_client.bottom);
  const int middle = header_client.bottom / 2;
  EXPECT_EQ(head.At(150, middle), kReportLook.header_background);               // inside "Name"
  EXPECT_EQ(head.At(header_client.right - 3, middle), kReportLook.header_background);  // past the columns
  EXPECT_EQ(head.At(159, middle), kReportLook.header_edge);
}

// How many pixels of a cell have exactly this colour.
int CountColour(HWND list, const Picture& picture, int row, int column, COLORREF colour) {
  RECT cell{LVIR_BOUNDS, column, 0, 0};
  SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
  int count = 0;
  for (int y = cell.top; y < cell.bottom; ++y) {
    for (int x = cell.left; x < cell.right; ++x) count += picture.At(x, y) == colour;
  }
  return count;
}

TEST_F(ReportCtrlTest, GreyColumnsExceptInTheSelectedRowAndCheckBoxesStillWork) {
  FillProfiles(3);
  report_.SetGreyColumns({1, 7});
  Click(BoxPoint(2));
  EXPECT_EQ(marks_, (std::vector<Mark>{{2, true, 2}}));
  report_.Select(0);
  SetFocus(host_);
  RECT client{};
  GetClientRect(list_, &client);
  Picture list(list_, client.right, client.bottom);
  const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
  EXPECT_GT(CountColour(list_, list, 1, 1, grey), 0);  // "keys 1"
  EXPECT_EQ(CountColour(list_, list, 1, 1, kReportLook.text), 0);
  EXPECT_EQ(CountColour(list_, list, 1, 2, grey), 0);  // a plain column
  EXPECT_GT(CountColour(list_, list, 1, 2, kReportLook.text), 0);
  // The selected row keeps its selected text.
  EXPECT_EQ(CountColour(list_, list, 0, 1, grey), 0);
  EXPECT_GT(CountColour(list_, list, 0, 1, kReportLook.inactive_selected_text), 0);
}

TEST_F(ReportCtrlTest, MoveRowKeepsTextsSelectionAndMark) {
  FillProfiles(4);
  report_.SetChecked(1, true);
  report_.Select(1);
  marks_.clear();
  EXPECT_TRUE(report_.MoveRow(1, 3));
  EXPECT_EQ(RowTexts(3), (Texts{L"Row 1", L"keys 1", L"light"}));
  EXPECT_EQ(report_.Text(1, 0), L"Row 2");
  EXPECT_EQ(Checks(), (std::vector<bool>{false, false, false, true}));
  EXPECT_TRUE(Focused(3));
  EXPECT_TRUE(report_.MoveRow(3, 0));  // and back up to the top
  EXPECT_EQ(report_.Text(0, 0), L"Row 1");
  EXPECT_EQ(report_.Text(3, 0), L"Row 3");
  EXPECT_EQ(Checks(), (std::vector<bool>{true, false, false, false}));
  EXPECT_EQ(report_.FirstSelected(), 0);
  EXPECT_FALSE(report_.MoveRow(0, 4));
  EXPECT_EQ(report_.RowCount(), 4);
  EXPECT_TRUE(marks_.empty());
}

// The macro editor's action list: key, direction and delay, with a drop list
// on the first two and a number on the last.
class ReportCtrlEditTest : public ReportCtrlTest {
 protected:
  using Plan = CReportCtrl::CellEditorPlan;
  struct Accepted {
    int row, column, index;
    std::wstring text;
    bool operator==(const Accepted&) const = default;
  };
  void SetUp() override {
    ReportCtrlTest::SetUp();
    report_.AddColumn(L"Key", 120);
    report_.AddColumn(L"", 40);
    report_.AddColumn(L"Delay", 80);
    report_.AddExtendedStyle(LVS_EX_FULLROWSELECT);
    report_.SetGreyColumns({1});
    for (const wchar_t* key : {L"A", L"B", L"C"}) report_.AppendRow({key, L"\u2193", L"50"});
    report_.EnableCellEditing(
        [this](int row, int column) {
          ++asked_;
          Plan plan;
          if (column == 0 && !keys_editable_) return plan;
          if (column == 2) {
            plan.kind = Plan::Kind::kNumber;
            plan.text = report_.Text(row, 2);
          } else {
            plan.kind = Plan::Kind::kDropList;
            plan.items = column == 0 ? Texts{L"A", L"B", L"C", L"D"} : Texts{L"\u2193", L"  \u2191"};
            plan.selected = column == 0 ? row : 0;
            plan.visible_rows = column == 0 ? 20 : 6;
          }
          return plan;
        },
        [this](int row, int column, int index, const std::wstring& text) {
          accepted_.push_back({row, column, index, text});
          EXPECT_FALSE(Edit() || Combo() || report_.editing()) << "the editor is gone before the owner hears";
          if (rebuild_) {
            report_.DeleteAllRows();
            report_.AppendRow({L"new", L"\u2193", text});
          }
        });
    other_ = CreateWindowExW(0, L"BUTTON", L"other", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 240, 80, 24, host_,
                             reinterpret_cast<HMENU>(402), GetModuleHandleW(nullptr), nullptr);
  }
  // A double click as the mouse sends it, in the middle of a cell.
  void DoubleClick(int row, int column) {
    RECT cell{};
    cell.top = column;
    cell.left = column == 0 ? LVIR_LABEL : LVIR_BOUNDS;
    SendMessageW(list_, column == 0 ? LVM_GETITEMRECT : LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
    const LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
      PostMessageW(list_, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    }
    PumpMessages(host_);
  }
  void Key(HWND to, WPARAM key) {
    PostMessageW(to, WM_KEYDOWN, key, 1);
    PostMessageW(to, WM_KEYUP, key, 0xC0000001);
    PumpMessages(host_);
  }
  void Type(HWND to, const std::wstring& text) {
    for (wchar_t c : text) PostMessageW(to, WM_CHAR, c, 1);
    PumpMessages(host_);
  }
  HWND Edit() const { return FindWindowExW(list_, nullptr, L"Edit", nullptr); }
  HWND Combo() const { return FindWindowExW(list_, nullptr, L"ComboBox", nullptr); }

  HWND other_ = nullptr;
  int asked_ = 0;
  bool keys_editable_ = true;
  bool rebuild_ = false;
  std::vector<Accepted> accepted_;
};

TEST_F(ReportCtrlEditTest, ANumberIsTypedAndAcceptedWithEnterOrLeavingButNotWithEscape) {
  DoubleClick(1, 2);
  HWND edit = Edit();
  ASSERT_TRUE(edit);
  EXPECT_TRUE(report_.editing());
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(SendMessageW(edit, EM_GETSEL, 0, 0), MAKELRESULT(0, 2));  // "50", all selected
  RECT inside{};
  GetClientRect(edit, &inside);
  EXPECT_EQ(Picture(edit, inside.right, inside.bottom).At(inside.right - 3, inside.bottom / 2),
            kSkinLook.field_background);  // dark, away from the text
  Type(edit, L"42");
  Key(edit, VK_RETURN);
  EXPECT_EQ(accepted_, (std::vector<Accepted>{{1, 2, -1, L"42"}}));
  EXPECT_FALSE(Edit());
  EXPECT_FALSE(report_.editing());
  EXPECT_EQ(GetFocus(), list_);
  // Escape keeps nothing.
  DoubleClick(0, 2);
  Type(Edit(), L"7");
  Key(Edit(), VK_ESCAPE);
  EXPECT_FALSE(Edit());
  EXPECT_EQ(accepted_.size(), 1u);
  // The focus going elsewhere keeps what was typed.
  DoubleClick(2, 2);
  Type(Edit(), L"9");
  SetFocus(other_);
  PumpMessages(host_);
  EXPECT_FALSE(Edit());
  EXPECT_EQ(accepted_.back(), (Accepted{2, 2, -1, L"9"}));
  // Neither Enter nor Escape pressed the host's default or cancel button.
  EXPECT_TRUE(host_commands.empty());
}

TEST_F(ReportCtrlEditTest, ADropListOpensOverTheCellAndAcceptsTheChosenEntry) {
  DoubleClick(0, 1);
  HWND combo = Combo();
  ASSERT_TRUE(combo);
  EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
  // The 40-pixel direction column gets a 60-pixel box over it.
  RECT place{};
  GetWindowRect(combo, &place);
  MapWindowPoints(nullptr, list_, reinterpret_cast<POINT*>(&place), 2);
  EXPECT_EQ(place.left, 120);
  EXPECT_EQ(place.right - place.left, 60);
  Key(combo, VK_DOWN);
  Key(combo, VK_RETURN);
  EXPECT_EQ(accepted_, (std::vector<Accepted>{{0, 1, 1, L"  \u2191"}}));
  EXPECT_FALSE(Combo());
  // A click on an entry of the dropped list.
  DoubleClick(2, 0);
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetComboBoxInfo(Combo(), &info));
  RECT item{};
  SendMessageW(info.hwndList, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&item));
  const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  PostMessageW(info.hwndList, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(info.hwndList, WM_LBUTTONUP, 0, at);
  PumpMessages(host_);
  EXPECT_EQ(accepted_.back(), (Accepted{2, 0, 3, L"D"}));
  EXPECT_FALSE(Combo());
  // Escape, and a scroll of the list, choose nothing.
  DoubleClick(1, 0);
  Key(Combo(), VK_ESCAPE);
  DoubleClick(1, 1);
  PostMessageW(list_, WM_VSCROLL, SB_LINEDOWN, 0);
  PumpMessages(host_);
  EXPECT_FALSE(Combo());
  EXPECT_EQ(accepted_.size(), 2u);
  EXPECT_TRUE(host_commands.empty());
}

TEST_F(ReportCtrlEditTest, KeysOpenTheLastColumnAndEnterNeverReachesTheDialog) {
  report_.Select(2);
  SetFocus(list_);
  Key(list_, VK_F2);
  ASSERT_TRUE(Edit());
  EXPECT_EQ(WindowText(Edit()), L"50");
  Key(Edit(), VK_RETURN);
  EXPECT_EQ(accepted_, (std::vector<Accepted>{{2, 2, -1, L"50"}}));
  Key(list_, VK_RETURN);
  EXPECT_TRUE(Edit());
  Key(Edit(), VK_ESCAPE);
  EXPECT_TRUE(host_commands.empty());
  // Without a focused row Enter is the dialog's again: the host hears IDOK.
  report_.Select(-1);
  Key(list_, VK_RETURN);
  EXPECT_FALSE(Edit());
  EXPECT_EQ(host_commands, (std::vector<int>{IDOK}));
}

TEST_F(ReportCtrlEditTest, NoEditorWhereTheOwnerSaysNone) {
  keys_editable_ = false;
  DoubleClick(0, 0);
  EXPECT_EQ(asked_, 1);
  EXPECT_FALSE(Combo());
  EXPECT_FALSE(Edit());
  EXPECT_FALSE(report_.editing());
}

TEST_F(ReportCtrlEditTest, TheListMayBeRebuiltFromTheCallbackOrUnderAnOpenEditor) {
  rebuild_ = true;
  DoubleClick(1, 2);
  Type(Edit(), L"8");
  Key(Edit(), VK_RETURN);
  DoubleClick(0, 1);
  Key(Combo(), VK_RETURN);  // the drop list's own accept
  EXPECT_EQ(accepted_, (std::vector<Accepted>{{1, 2, -1, L"8"}, {0, 1, 0, L"\u2193"}}));
  EXPECT_EQ(RowTexts(0), (Texts{L"new", L"\u2193", L"\u2193"}));
  // Rows deleted under an open editor: it closes without accepting, as the
  // row it was for is gone.
  DoubleClick(0, 2);
  report_.DeleteRow(0);
  EXPECT_FALSE(Edit());
  EXPECT_FALSE(report_.editing());
  // The list destroyed under an open editor: nothing is accepted either.
  report_.AppendRow({L"A", L"\u2193", L"50"});
  DoubleClick(0, 2);
  DestroyWindow(list_);
  PumpMessages(host_);
  EXPECT_FALSE(report_.editing());
  EXPECT_EQ(accepted_.size(), 2u);
}

TEST_F(ReportCtrlEditTest, AControlDestroyedWithItsEditorOpenTakesTheEditorAlong) {
  report_.Hook(nullptr);
  auto second = std::make_unique<CReportCtrl>();
  ASSERT_TRUE(second->Attach(list_));
  second->EnableCellEditing([](int, int) { return Plan{Plan::Kind::kNumber, {}, -1, 0, L"1"}; },
                            [this](int, int, int, const std::wstring&) { accepted_.emplace_back(); });
  DoubleClick(0, 2);
  HWND edit = Edit();
  ASSERT_TRUE(edit);
  second.reset();
  EXPECT_FALSE(IsWindow(edit));
  EXPECT_TRUE(accepted_.empty());
}

}  // namespace
}  // namespace velkor::testing
