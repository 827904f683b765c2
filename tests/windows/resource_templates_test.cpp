// The program's dialog templates and menus as the executable carries them:
// skinned windows without title bar or frame, one id per control, every key
// of the keyboard picture, the control kinds the windows drive, the controls
// that start hidden, and the menus with their commands and Chinese texts.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/key_codes.h"
#include "resources/resource.h"

namespace velkor::testing {
namespace {

struct Item {
  DWORD style = 0;
  DWORD ex_style = 0;
  int id = 0;
  RECT rect{};  // dialog units
  std::wstring cls;
  std::wstring text;
};

struct Template {
  DWORD style = 0;
  DWORD ex_style = 0;
  int cx = 0;
  int cy = 0;
  std::wstring title;
  int font_size = 0;
  std::wstring font;
  std::vector<Item> items;

  const Item* Find(int id) const {
    for (const Item& item : items)
      if (item.id == id) return &item;
    return nullptr;
  }
};

// Reads a DLGTEMPLATEEX resource of this executable.
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* p) : p_(p) {}

  WORD Word() {
    WORD v;
    std::memcpy(&v, p_, 2);
    p_ += 2;
    return v;
  }
  DWORD Dword() {
    DWORD v;
    std::memcpy(&v, p_, 4);
    p_ += 4;
    return v;
  }
  std::wstring String() {
    std::wstring s;
    for (WORD c = Word(); c != 0; c = Word()) s.push_back(static_cast<wchar_t>(c));
    return s;
  }
  // A name or an ordinal; the six predefined classes come back by name.
  std::wstring NameOrOrdinal() {
    WORD first;
    std::memcpy(&first, p_, 2);
    if (first == 0x0000) {
      p_ += 2;
      return {};
    }
    if (first == 0xFFFF) {
      p_ += 2;
      const WORD ordinal = Word();
      static const std::map<WORD, std::wstring> kClasses = {{0x80, L"Button"},   {0x81, L"Edit"},
                                                            {0x82, L"Static"},   {0x83, L"ListBox"},
                                                            {0x84, L"ScrollBar"}, {0x85, L"ComboBox"}};
      const auto found = kClasses.find(ordinal);
      return found != kClasses.end() ? found->second : L"#" + std::to_wstring(ordinal);
    }
    return String();
  }
  void AlignDword() {
    while (reinterpret_cast<uintptr_t>(p_) % 4) ++p_;
  }
  const BYTE* at() const { return p_; }
  void Skip(size_t n) { p_ += n; }

 private:
  const BYTE* p_;
};

std::optional<Template> LoadTemplate(int id) {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
  if (!found) return std::nullopt;
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(self, found)));
  TemplateReader r(bytes);
  if (r.Word() != 1 || r.Word() != 0xFFFF) return std::nullopt;  // not a DIALOGEX
  Template t;
  r.Dword();  // help id
  t.ex_style = r.Dword();
  t.style = r.Dword();
  const WORD count = r.Word();
  r.Word();
  r.Word();
  t.cx = static_cast<short>(r.Word());
  t.cy = static_cast<short>(r.Word());
  r.NameOrOrdinal();  // menu
  r.NameOrOrdinal();  // class
  t.title = r.String();
  if (t.style & (DS_SETFONT | DS_SHELLFONT)) {
    t.font_size = r.Word();
    r.Word();     // weight
    r.Skip(2);    // italic, character set
    t.font = r.String();
  }
  for (WORD i = 0; i < count; ++i) {
    r.AlignDword();
    Item item;
    r.Dword();  // help id
    item.ex_style = r.Dword();
    item.style = r.Dword();
    const short x = static_cast<short>(r.Word());
    const short y = static_cast<short>(r.Word());
    const short cx = static_cast<short>(r.Word());
    const short cy = static_cast<short>(r.Word());
    item.rect = RECT{x, y, x + cx, y + cy};
    item.id = static_cast<int>(r.Dword());
    item.cls = r.NameOrOrdinal();
    item.text = r.NameOrOrdinal();
    r.Skip(r.Word());  // creation data
    t.items.push_back(item);
  }
  return t;
}

bool SameClass(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

const int kSkinnedTemplates[] = {IDD_MAIN, IDD_PROFILE_MANAGER, IDD_KEY_EDITOR, IDD_UPDATE};

TEST(SkinnedTemplates, HaveNoTitleBarNorFrameAndUseTahomaNine) {
  for (int id : kSkinnedTemplates) {
    const std::optional<Template> t = LoadTemplate(id);
    ASSERT_TRUE(t) << id;
    EXPECT_EQ(t->style & (WS_POPUP | WS_CLIPCHILDREN), static_cast<DWORD>(WS_POPUP | WS_CLIPCHILDREN)) << id;
    EXPECT_EQ(t->style & (WS_CAPTION | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | DS_MODALFRAME), 0u) << id;
    EXPECT_TRUE(t->title.empty()) << id;
    EXPECT_EQ(t->font, L"Tahoma") << id;
    EXPECT_EQ(t->font_size, 9) << id;
  }
  // Every skinned window is made hidden and shows itself once it has its
  // size and shape; the main window also stays out of the task bar and has
  // a system menu and a minimise box.
  for (int id : kSkinnedTemplates) EXPECT_EQ(LoadTemplate(id)->style & WS_VISIBLE, 0u) << id;
  const std::optional<Template> main = LoadTemplate(IDD_MAIN);
  EXPECT_EQ(main->style & (WS_SYSMENU | WS_MINIMIZEBOX), static_cast<DWORD>(WS_SYSMENU | WS_MINIMIZEBOX));
  EXPECT_NE(main->ex_style & WS_EX_TOOLWINDOW, 0u);
}

TEST(Templates, GiveEveryControlItsOwnIdInsideTheWindow) {
  for (int id : {IDD_ABOUT, IDD_MAIN, IDD_PROFILE_MANAGER, IDD_KEY_EDITOR, IDD_UPDATE}) {
    const std::optional<Template> t = LoadTemplate(id);
    ASSERT_TRUE(t) << id;
    std::set<int> seen;
    for (const Item& item : t->items) {
      if (item.id != -1) {
        EXPECT_TRUE(seen.insert(item.id).second) << id << ": " << item.id << " twice";
      }
      EXPECT_GE(item.rect.left, 0) << id << ": " << item.id;
      EXPECT_GE(item.rect.top, 0) << id << ": " << item.id;
      EXPECT_LE(item.rect.right, t->cx) << id << ": " << item.id;
      EXPECT_LE(item.rect.bottom, t->cy) << id << ": " << item.id;
    }
  }
}

TEST(MainTemplate, HoldsEveryKeyOfTheKeyboardPictureAsAnImageButton) {
  const std::optional<Template> t = LoadTemplate(IDD_MAIN);
  ASSERT_TRUE(t);
  std::vector<int> keys;
  for (const PanelKey& key : PanelKeyTable()) keys.push_back(key.control);
  for (int n = 1; n <= kGKeyCount; ++n) keys.push_back(GKeyControl(n));
  keys.push_back(kFnControl);
  ASSERT_EQ(keys.size(), 114u);
  for (int id : keys) {
    const Item* item = t->Find(id);
    ASSERT_NE(item, nullptr) << id;
    EXPECT_TRUE(SameClass(item->cls, L"Button")) << id;
    EXPECT_EQ(item->style & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW)) << id;
    EXPECT_NE(item->style & WS_VISIBLE, 0u) << id;
  }
  // The names the windows use are the model's ids.
  EXPECT_EQ(IDC_MAIN_FN, kFnControl);
  const int named_g[] = {IDC_MAIN_G1, IDC_MAIN_G2, IDC_MAIN_G3, IDC_MAIN_G4, IDC_MAIN_G5,
                         IDC_MAIN_G6, IDC_MAIN_G7, IDC_MAIN_G8, IDC_MAIN_G9};
  for (int n = 1; n <= kGKeyCount; ++n) EXPECT_EQ(named_g[n - 1], GKeyControl(n)) << n;
  std::map<KeyCode, int> by_code;
  for (const PanelKey& key : PanelKeyTable()) by_code[key.code] = key.control;
  EXPECT_EQ(by_code[0x01E], IDC_MAIN_KEY_A);
  EXPECT_EQ(by_code[0x152], IDC_MAIN_KEY_INSERT);
  EXPECT_EQ(by_code[0x11C], IDC_MAIN_KEY_NUM_ENTER);
  EXPECT_EQ(by_code[0x03B], IDC_MAIN_KEY_F1);
}

struct Kind {
  int dialog;
  int id;
  const wchar_t* cls;
  DWORD type;       // compared under the class's type mask
  DWORD required;   // further bits that must be set
};

TEST(Templates, UseTheControlKindsTheWindowsDrive) {
  const DWORD picture = SS_BITMAP;
  const DWORD clickable = SS_NOTIFY;
  const Kind kinds[] = {
      // main window: lists, number fields, clickable pictures, sliders, labels, colour buttons
      {IDD_MAIN, IDC_MAIN_EFFECT_LIST, L"ComboBox", CBS_DROPDOWNLIST, WS_VSCROLL},
      {IDD_MAIN, IDC_MAIN_USER_MODE_LIST, L"ComboBox", CBS_DROPDOWN, WS_VSCROLL},
      {IDD_MAIN, IDC_MAIN_RED, L"Edit", 0, ES_NUMBER},
      {IDD_MAIN, IDC_MAIN_LAMP, L"Static", picture, clickable},
      {IDD_MAIN, IDC_MAIN_DIRECTION_FIRST, L"Static", picture, clickable},
      {IDD_MAIN, IDC_MAIN_FY_MULTI, L"Static", picture, clickable},
      {IDD_MAIN, IDC_MAIN_FOUR_RED, L"Static", picture, clickable},
      {IDD_MAIN, IDC_MAIN_USER_PAINT_TOOL, L"Static", picture, clickable},
      {IDD_MAIN, IDC_MAIN_BRIGHTNESS_SLIDER, L"Static", picture, clickable},
      {IDD_MAIN, IDC_MAIN_BUSY, L"Static", picture, 0},
      {IDD_MAIN, IDC_MAIN_USB_LABEL, L"Static", SS_LEFT, SS_NOPREFIX},
      {IDD_MAIN, IDC_MAIN_FY_COLOR, L"Button", BS_OWNERDRAW, 0},
      {IDD_MAIN, IDC_MAIN_PRESET1, L"Button", BS_PUSHBUTTON, 0},
      // key editor
      {IDD_KEY_EDITOR, IDC_EDITOR_MACRO_LIST, L"ComboBox", CBS_DROPDOWN, WS_VSCROLL},
      {IDD_KEY_EDITOR, IDC_EDITOR_MEDIA_LIST, L"ComboBox", CBS_DROPDOWNLIST, WS_VSCROLL},
      {IDD_KEY_EDITOR, IDC_EDITOR_KEY_BOX, L"Edit", 0, ES_READONLY},
      {IDD_KEY_EDITOR, IDC_EDITOR_CYCLES, L"Edit", 0, ES_NUMBER},
      {IDD_KEY_EDITOR, IDC_EDITOR_ACTION_LIST, L"SysListView32", LVS_REPORT, LVS_SINGLESEL | LVS_SHOWSELALWAYS},
      {IDD_KEY_EDITOR, IDC_EDITOR_RECORD_DELAY, L"Button", BS_AUTOCHECKBOX, 0},
      {IDD_KEY_EDITOR, IDC_EDITOR_PAGE_PICTURE, L"Button", BS_OWNERDRAW, WS_CLIPSIBLINGS},
      {IDD_KEY_EDITOR, IDC_EDITOR_HEADING, L"Static", SS_LEFT, SS_NOPREFIX},
      // profile manager and update dialog
      {IDD_PROFILE_MANAGER, IDC_PROFILE_LIST, L"SysListView32", LVS_REPORT, LVS_SINGLESEL | LVS_SHOWSELALWAYS},
      {IDD_UPDATE, IDC_UPDATE_PATH, L"ComboBox", CBS_DROPDOWNLIST, 0},
      {IDD_UPDATE, IDC_UPDATE_STATUS, L"Static", SS_LEFT, 0},
  };
  for (const Kind& k : kinds) {
    const std::optional<Template> t = LoadTemplate(k.dialog);
    ASSERT_TRUE(t);
    const Item* item = t->Find(k.id);
    ASSERT_NE(item, nullptr) << k.dialog << ": " << k.id;
    EXPECT_TRUE(SameClass(item->cls, k.cls)) << k.id;
    DWORD mask = 0;
    if (SameClass(item->cls, L"Button")) mask = BS_TYPEMASK;
    if (SameClass(item->cls, L"ComboBox")) mask = 0x3;
    if (SameClass(item->cls, L"Static")) mask = SS_TYPEMASK;
    if (SameClass(item->cls, L"SysListView32")) mask = LVS_TYPEMASK;
    EXPECT_EQ(item->style & mask, k.type) << k.id;
    EXPECT_EQ(item->style & k.required, k.required) << k.id;
  }
  // The key editor's page picture lies behind the page's controls, so that
  // they take the clicks over it: it is the bottom of the dialog's z-order.
  HWND editor = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_KEY_EDITOR), nullptr,
                                   [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  ASSERT_NE(editor, nullptr);
  HWND page = GetDlgItem(editor, IDC_EDITOR_PAGE_PICTURE);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(GetWindow(page, GW_HWNDNEXT), nullptr);
  RECT r{20, 100, 20, 100};  // dialog units inside both the key box and the page picture
  MapDialogRect(editor, &r);
  const POINT at{r.left, r.top};
  EXPECT_EQ(ChildWindowFromPointEx(editor, at, CWP_SKIPINVISIBLE), GetDlgItem(editor, IDC_EDITOR_KEY_BOX));
  DestroyWindow(editor);
}

TEST(Templates, StartHiddenWhatTheWindowsShowLaterOrNever) {
  const struct {
    int dialog;
    std::vector<int> hidden;
    std::vector<int> disabled;
  } cases[] = {
      {IDD_MAIN,
       {IDC_MAIN_DEVICE_COMMAND, IDC_MAIN_PROFILE_MENU, IDC_MAIN_SWITCH, IDC_MAIN_BUSY, IDC_MAIN_EFFECT_LIST,
        IDC_MAIN_JT_COLOR, IDC_MAIN_TS_COLOR, IDC_MAIN_CD_MULTI, IDC_MAIN_FY_GGCF, IDC_MAIN_SPARE_1185},
       {IDC_MAIN_APPLY, IDC_MAIN_LOCK_CAPS, IDC_MAIN_LOCK_NUM, IDC_MAIN_LOCK_SCROLL, IDC_MAIN_LOCK_AB,
        IDC_MAIN_FLIP_INDICATOR, IDC_MAIN_VERSION}},
      {IDD_PROFILE_MANAGER, {IDC_PROFILE_SPARE}, {IDC_PROFILE_SPARE, IDC_PROFILE_APPLY}},
      {IDD_KEY_EDITOR, {}, {IDC_EDITOR_APPLY}},
      {IDD_UPDATE, {IDC_UPDATE_PATH}, {}},
  };
  for (const auto& c : cases) {
    const std::optional<Template> t = LoadTemplate(c.dialog);
    ASSERT_TRUE(t);
    for (int id : c.hidden) {
      ASSERT_NE(t->Find(id), nullptr) << id;
      EXPECT_EQ(t->Find(id)->style & WS_VISIBLE, 0u) << id;
    }
    for (int id : c.disabled) {
      ASSERT_NE(t->Find(id), nullptr) << id;
      EXPECT_NE(t->Find(id)->style & WS_DISABLED, 0u) << id;
    }
  }
  // The lamp, its label, the colour fields and the presets show whether the
  // lighting panel is on or off.
  const std::optional<Template> main = LoadTemplate(IDD_MAIN);
  for (int id : {IDC_MAIN_LAMP, IDC_MAIN_LAMP_LABEL, IDC_MAIN_RED, IDC_MAIN_RED_LABEL, IDC_MAIN_PRESET8}) {
    EXPECT_NE(main->Find(id)->style & WS_VISIBLE, 0u) << id;
  }
}

TEST(UpdateTemplate, CarriesItsButtonTextsExactly) {
  const std::optional<Template> t = LoadTemplate(IDD_UPDATE);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->Find(IDC_UPDATE_CANCEL)->text, L"\u53d6\u6d88\u66f4\u65b0");  // cancel update
  EXPECT_EQ(t->Find(IDC_UPDATE_START)->text, L"\u66f4\u65b0");              // update
  EXPECT_EQ(t->Find(IDC_UPDATE_OPEN)->text, L"Open");
  EXPECT_EQ(t->Find(IDC_UPDATE_BACKUP)->text, L"\u5907\u4efd");  // backup
}

TEST(AboutBox, IsAnOrdinaryDialogWithTwoTextLinesAndOK) {
  const std::optional<Template> t = LoadTemplate(IDD_ABOUT);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  EXPECT_FALSE(t->title.empty());
  for (int id : {IDC_ABOUT_TEXT, IDC_ABOUT_COPYRIGHT}) {
    ASSERT_NE(t->Find(id), nullptr) << id;
    EXPECT_TRUE(SameClass(t->Find(id)->cls, L"Static")) << id;
  }
  ASSERT_NE(t->Find(IDOK), nullptr);
  EXPECT_EQ(t->Find(IDOK)->style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
}

struct MenuEntry {
  UINT id;
  std::wstring text;
  bool separator;
};

std::vector<MenuEntry> Entries(HMENU menu) {
  std::vector<MenuEntry> entries;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[64] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 64;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    entries.push_back({info.wID, text, (info.fType & MFT_SEPARATOR) != 0});
  }
  return entries;
}

TEST(Menus, TrayMenuOpensShowsTheAboutBoxAndExits) {
  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_TRAY));
  ASSERT_NE(menu, nullptr);
  HMENU popup = GetSubMenu(menu, 0);
  ASSERT_NE(popup, nullptr);
  const std::vector<MenuEntry> entries = Entries(popup);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].id, static_cast<UINT>(ID_OPEN_WINDOW));
  EXPECT_EQ(entries[0].text, L"\u6253\u5f00(&O)");
  EXPECT_EQ(entries[1].id, static_cast<UINT>(ID_ABOUT));
  EXPECT_EQ(entries[1].text, L"\u5173\u4e8e(&A)");
  EXPECT_EQ(entries[2].id, static_cast<UINT>(ID_EXIT));
  EXPECT_EQ(entries[2].text, L"\u9000\u51fa(&x)");
  DestroyMenu(menu);
}

// The button menu holds restore, backup and a separator; relabelling it by
// position turns the separator into the about item, and the further
// positions the program tries do not exist.
TEST(Menus, ButtonMenuTurnsItsSeparatorIntoTheAboutItem) {
  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_BUTTON));
  ASSERT_NE(menu, nullptr);
  HMENU popup = GetSubMenu(menu, 0);
  ASSERT_NE(popup, nullptr);
  std::vector<MenuEntry> entries = Entries(popup);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].id, static_cast<UINT>(ID_IMPORT_PROFILE));
  EXPECT_EQ(entries[0].text, L"\u8fd8\u539f");
  EXPECT_EQ(entries[1].id, static_cast<UINT>(ID_EXPORT_PROFILE));
  EXPECT_EQ(entries[1].text, L"\u5907\u4efd");
  EXPECT_TRUE(entries[2].separator);

  EXPECT_TRUE(ModifyMenuW(popup, 2, MF_BYPOSITION | MF_STRING, ID_ABOUT, L"About"));
  EXPECT_FALSE(ModifyMenuW(popup, 3, MF_BYPOSITION | MF_STRING, ID_CLOSE_PROGRAM, L"Close"));
  EXPECT_FALSE(ModifyMenuW(popup, 4, MF_BYPOSITION | MF_STRING, ID_LANGUAGE_CHINESE, L"Chinese"));
  entries = Entries(popup);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_FALSE(entries[2].separator);
  EXPECT_EQ(entries[2].id, static_cast<UINT>(ID_ABOUT));
  EXPECT_EQ(entries[2].text, L"About");
  DestroyMenu(menu);
}

}  // namespace
}  // namespace velkor::testing
