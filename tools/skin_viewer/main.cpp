// Opens one of the program's windows skinned from the Skins folder beside
// this tool, with its image buttons in a chosen state, so that it can be
// looked at and photographed:
//   skin_viewer WINDOW [--state normal|over|down|disabled|checked] [--page N]
//               [--flip] [--seconds N] [--skins FOLDER]
// WINDOW is main, composite, profile, update or about. --flip shows the main
// window in the flipped layout: D1..D6 in the place of F1..F4, the flip
// indicator's second face and the up arrows. The window stays
// until it is closed or the given number of seconds has passed (default 30).
// A missing skin file ends the tool at once with exit code 0, as it ends the
// program.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/lighting.h"
#include "platform/text.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ini_store.h"
#include "resources/resource.h"
#include "ui/language_table.h"
#include "ui/skin_bindings.h"
#include "ui/win32/base_dialog.h"
#include "ui/win32/color_static.h"
#include "ui/win32/gdi.h"
#include "ui/win32/png_button.h"
#include "ui/win32/skin_images.h"
#include "ui/win32/skinned_controls.h"

namespace velkor {
namespace {

enum class ViewState { kNormal, kOver, kDown, kDisabled, kChecked };

struct Options {
  std::wstring window = L"main";
  ViewState state = ViewState::kNormal;
  int page = 0;
  bool flip = false;
  int seconds = 30;
  std::wstring skins;  // default: the Skins folder beside the tool
};

std::u16string ProgramFolder() {
  std::u16string path = ModulePath();
  return path.substr(0, path.find_last_of(u"\\/") + 1);
}

// Texts of the selected language, read from the language file as the
// program's windows read them.
class Texts {
 public:
  Texts(IniStore& ini, std::u16string path) : table_(ini, std::move(path)) { table_.Load(); }
  std::u16string operator()(std::u16string_view key) { return table_.TextOf(key); }
  int language() const { return table_.language(); }

 private:
  LanguageTable table_;
};

// Pictures the main window's lighting panel shows for a wave (effect 3) with
// the lamp on, and the controls it shows then.
struct Picture {
  int control;
  const char16_t* file;
};
constexpr Picture kMainPictures[] = {
    {1167, u"dengdown.bmp"}, {1178, u"3.bmp"},      {1179, u"8.bmp"},      {1149, u"leftdown.bmp"},
    {1150, u"rightup.bmp"},  {1156, u"sjsdown.bmp"}, {1175, u"sjsup.bmp"}, {1194, u"hongok.bmp"},
    {1195, u"huang.bmp"},    {1196, u"lv.bmp"},      {1197, u"lan.bmp"},   {1164, u"user1down.bmp"},
    {1165, u"user2up.bmp"},  {1177, u"jdt1.bmp"},
};
constexpr int kMainHidden[] = {1151, 1152, 1175, 1176, 1194, 1195, 1196, 1197, 1198, 1159, 1160, 1161, 1162,
                               1163, 1164, 1165, 1157, 1158, 1180, 1181, 1182, 1183, 1184, 1185, 1186, 1187,
                               1188, 1189, 1190, 1191, 1192, 1193, 1177, 1144, 1008, 1009, 1016, 1017, 1018,
                               1019, 1020, 1021};
constexpr int kMainShown[] = {1146, 1172, 1178, 1166, 1179, 1148, 1149, 1150, 1224,
                              1227, 1154, 1155, 1156, 1173};
struct Label {
  int control;
  const char16_t* key;
};
constexpr Label kMainLabels[] = {{1204, u"Usb"},   {1171, u"Deng"},  {1172, u"Light"}, {1148, u"FX"},
                                 {1224, u"FXL"},   {1227, u"FXR"},   {1166, u"Speed"}, {1151, u"Color"},
                                 {1154, u"Color"}, {1159, u"Color"}, {1161, u"JColor"}, {1173, u"DC"},
                                 {1176, u"DC"},    {1163, u"Tool"}};

// The main window's sheets that the flip indicator shows.
constexpr size_t kMainNormalSheet = 0, kMainCheckedSheet = 3;

// The composite dialog's page controls: single key, macro, multimedia, function.
const std::vector<int>& PageControls(int page) {
  static const std::vector<int> pages[4] = {
      {1127, 1201, 1132, 1032},
      {1017, 1018, 1019, 1020, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1125, 1126, 1130, 1133, 1200},
      {1128, 1202},
      {1129, 1203},
  };
  return pages[page];
}

class ViewerDialog : public CBaseDialog {
 public:
  ViewerDialog(const SkinWindowPlan& plan, IniStore& ini, const std::u16string& skins, Texts& texts,
               const Options& options)
      : CBaseDialog(static_cast<UINT>(plan.template_id), nullptr, ini,
                    skins + u"\\" + std::u16string(plan.ini_name), skins),
        plan_(plan),
        ini_(ini),
        texts_(texts),
        options_(options),
        controls_(plan) {}

 protected:
  BOOL OnInitDialog() override {
    CBaseDialog::OnInitDialog();
    auto text_of = [this](std::u16string_view key) { return texts_(key); };
    controls_.Apply(*this, text_of, options_.flip);
    LabelStatics();
    if (plan_.window == SkinWindow::kMain) SetUpMain();
    if (plan_.window == SkinWindow::kComposite) SetUpComposite(text_of);
    if (plan_.window == SkinWindow::kProfile) SetUpProfile();
    if (plan_.window == SkinWindow::kUpdate) SetUpUpdate();
    ShowState();
    return TRUE;
  }

  // The colour buttons are drawn as the lighting panel draws them: a swatch
  // over the left part, a grey area over the right with a small triangle.
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) override {
    if (message == WM_DRAWITEM) {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      for (int id : {1152, 1155, 1158, 1160, 1162, 1187, 1191}) {
        if (item && static_cast<int>(item->CtlID) == id) {
          DrawColourButton(*item, RGB(0, 180, 255));
          result = TRUE;
          return true;
        }
      }
    }
    return CBaseDialog::OnMessage(message, wparam, lparam, result);
  }

  static void DrawColourButton(const DRAWITEMSTRUCT& item, COLORREF colour) {
    const RECT r = item.rcItem;
    HDC dc = item.hDC;
    const int middle = (r.top + r.bottom) / 2;
    const int swatch_right = r.left + (r.right - r.left) / 2 + 5;
    HBRUSH grey = CreateSolidBrush(RGB(0x94, 0x92, 0x8B));
    FillRect(dc, &r, grey);
    DeleteObject(grey);
    RECT swatch{r.left + 2, r.top + 2, swatch_right, r.bottom - 2};
    HBRUSH fill = CreateSolidBrush(colour);
    FillRect(dc, &swatch, fill);
    DeleteObject(fill);
    const POINT triangle[] = {{r.right - 11, middle - 2}, {r.right - 5, middle - 2}, {r.right - 8, middle + 1}};
    SelectedObject black(dc, GetStockObject(BLACK_BRUSH));
    Polygon(dc, triangle, 3);
  }

  void OnOK() override { PostQuitMessage(0); }
  void OnCancel() override { PostQuitMessage(0); }

 private:
  // Every text label becomes a transparent label in light grey.
  void LabelStatics() {
    for (HWND child = GetWindow(hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t cls[32] = {};
      GetClassNameW(child, cls, 32);
      const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
      if (_wcsicmp(cls, L"Static") != 0 || (style & SS_TYPEMASK) == SS_BITMAP) continue;
      auto label = std::make_unique<ColorStatic>();
      if (label->Attach(hwnd(), GetDlgCtrlID(child))) {
        label->SetTextColour(RGB(0xE4, 0xE4, 0xE4));
        labels_.push_back(std::move(label));
      }
    }
  }

  void SetPicture(int control, const std::u16string& file) {
    UniqueBitmap picture = LoadSkinPicture(skin().FileInFolder(file));
    if (!picture) EndProgramForMissingSkin();
    HWND item = GetDlgItem(hwnd(), control);
    if (!item) return;
    SendMessageW(item, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.get()));
    pictures_.push_back(std::move(picture));
  }

  void SetUpMain() {
    for (const Picture& p : kMainPictures) SetPicture(p.control, p.file);
    for (int id : kMainHidden) ShowWindow(GetDlgItem(hwnd(), id), SW_HIDE);
    for (int id : kMainShown) ShowWindow(GetDlgItem(hwnd(), id), SW_SHOW);
    // The direction controls of a wave take their second layout.
    std::vector<SkinBinding> wave;
    for (const SkinBinding& b : plan_.bindings) {
      if (b.kind == BindingKind::kPositionOnly && b.key.back() == u'2') wave.push_back(b);
    }
    controls_.ApplyBindings(*this, wave, nullptr);
    for (const Label& l : kMainLabels) {
      if (auto text = skin().Label(texts_.language(), l.key)) SetDlgItemTextW(hwnd(), l.control, W(*text));
    }
    HWND effects = GetDlgItem(hwnd(), 1146);
    for (int effect = 1; effect <= 20; ++effect) {
      const std::u16string name = EffectName(ini_, skin().path(), texts_.language(), effect);
      if (!name.empty()) SendMessageW(effects, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(name)));
    }
    SendMessageW(effects, CB_SETCURSEL, 2, 0);
    SetDlgItemTextW(hwnd(), 1223, L"0");
    SetDlgItemTextW(hwnd(), 1225, L"180");
    SetDlgItemTextW(hwnd(), 1226, L"255");
    if (CPngButton* current = controls_.Button(1005)) SetWindowTextW(current->hwnd(), L"$Profile0");
    if (CPngButton* profile = controls_.Button(1135)) profile->SetChecked(true, false);
    if (CPngButton* rate = controls_.Button(1170)) rate->SetChecked(true, false);
    if (CPngButton* lock = controls_.Button(1126)) lock->SetChecked(true, false);
    if (CPngButton* flip = controls_.Button(IDC_MAIN_FLIP_INDICATOR)) flip->SetChecked(true, false);
    if (options_.flip) ShowFlippedLayout();
    // A few keys that carry assignments.
    for (int id : {1058, 1059, 1060, 1000, 1001}) {
      if (CPngButton* key = controls_.Button(id)) key->SetChecked(true, false);
    }
  }

  // As the main window shows flip 1: F1..F4 give way to D1..D6, and the flip
  // indicator, which is always disabled, shows its checked face.
  void ShowFlippedLayout() {
    for (int id = IDC_MAIN_KEY_F1; id <= IDC_MAIN_KEY_F4; ++id) ShowWindow(GetDlgItem(hwnd(), id), SW_HIDE);
    for (int id = IDC_MAIN_D1; id <= IDC_MAIN_D6; ++id) {
      HWND key = GetDlgItem(hwnd(), id);
      EnableWindow(key, TRUE);
      ShowWindow(key, SW_SHOW);
    }
    if (CPngButton* flip = controls_.Button(IDC_MAIN_FLIP_INDICATOR)) {
      const StateSheet* normal = controls_.Sheet(kMainNormalSheet);
      const StateSheet* checked = controls_.Sheet(kMainCheckedSheet);
      flip->SetSheets(normal, normal, normal, checked, checked, true);
    }
  }

  void SetUpComposite(const SkinnedControls::TextSource& text_of) {
    const int page = options_.page < 0 || options_.page > 3 ? 0 : options_.page;
    const SkinBinding picture = CompositePagePicture(page);
    controls_.ApplyBindings(*this, std::span<const SkinBinding>(&picture, 1), text_of);
    for (int p = 0; p < 4; ++p) {
      for (int id : PageControls(p)) ShowWindow(GetDlgItem(hwnd(), id), p == page ? SW_SHOW : SW_HIDE);
    }
    const int page_buttons[] = {1028, 1029, 1030, 1031};
    if (CPngButton* chosen = controls_.Button(page_buttons[page])) chosen->SetChecked(true, false);
    SetDlgItemTextW(hwnd(), 1127, L"Caps Lock");
    HWND media = GetDlgItem(hwnd(), 1128);
    for (const wchar_t* name : {L"Media Player", L"Play/Pause", L"Stop", L"Previous Track", L"Next Track"}) {
      SendMessageW(media, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    SendMessageW(media, CB_SETCURSEL, 1, 0);
    HWND functions = GetDlgItem(hwnd(), 1129);
    for (const wchar_t* name : {L"Open My Computer", L"Calculator", L"E-mail"}) {
      SendMessageW(functions, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    SendMessageW(functions, CB_SETCURSEL, 1, 0);
    FillList(GetDlgItem(hwnd(), 1126), {L"Macro name"}, {{L"Reload"}, {L"Build order"}, {L"Greeting"}});
    FillList(GetDlgItem(hwnd(), 1019), {L"Action", L"Delay (ms)"},
             {{L"Ctrl \u2193", L"10"}, {L"C \u2193", L"35"}, {L"C \u2191", L"20"}, {L"Ctrl \u2191", L"10"}});
    SetDlgItemTextW(hwnd(), 1125, L"1");
  }

  void SetUpProfile() {
    FillList(GetDlgItem(hwnd(), 1007), {L"Profile", L"File"},
             {{L"Profile 1", L"$Profile0"}, {L"Profile 2", L"$Profile0"}, {L"Profile 3", L"$Profile0"}});
  }

  void SetUpUpdate() {
    HWND files = GetDlgItem(hwnd(), 1178);
    SendMessageW(files, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Updater 1.2.0.exe"));
    SendMessageW(files, CB_SETCURSEL, 0, 0);
  }

  void FillList(HWND list, std::vector<const wchar_t*> columns, std::vector<std::vector<const wchar_t*>> rows) {
    if (!list) return;
    wchar_t cls[32] = {};
    GetClassNameW(list, cls, 32);
    if (_wcsicmp(cls, WC_LISTVIEWW) != 0) {
      for (const auto& row : rows) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row[0]));
      return;
    }
    RECT r{};
    GetClientRect(list, &r);
    const int width = (r.right - r.left) / static_cast<int>(columns.size());
    for (size_t c = 0; c < columns.size(); ++c) {
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.cx = width;
      column.pszText = const_cast<wchar_t*>(columns[c]);
      SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
    for (size_t i = 0; i < rows.size(); ++i) {
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = const_cast<wchar_t*>(rows[i][0]);
      SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      for (size_t c = 1; c < rows[i].size(); ++c) {
        item.iSubItem = static_cast<int>(c);
        item.pszText = const_cast<wchar_t*>(rows[i][c]);
        SendMessageW(list, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
      }
    }
  }

  void ShowState() {
    for (const auto& [id, button] : controls_.buttons()) {
      switch (options_.state) {
        case ViewState::kNormal: break;
        case ViewState::kOver: SendMessageW(button->hwnd(), WM_MOUSEHOVER, 0, 0); break;
        case ViewState::kDown: SendMessageW(button->hwnd(), BM_SETSTATE, TRUE, 0); break;
        case ViewState::kDisabled: EnableWindow(button->hwnd(), FALSE); break;
        case ViewState::kChecked: button->SetChecked(true, true); break;
      }
    }
  }

  const SkinWindowPlan& plan_;
  IniStore& ini_;
  Texts& texts_;
  const Options& options_;
  SkinnedControls controls_;
  std::vector<std::unique_ptr<ColorStatic>> labels_;
  std::vector<UniqueBitmap> pictures_;
};

Options ParseOptions() {
  Options options;
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; args && i < count; ++i) {
    const std::wstring arg = args[i];
    const std::wstring next = i + 1 < count ? args[i + 1] : L"";
    if (arg == L"--state") {
      const wchar_t* names[] = {L"normal", L"over", L"down", L"disabled", L"checked"};
      for (int s = 0; s < 5; ++s) {
        if (next == names[s]) options.state = static_cast<ViewState>(s);
      }
      ++i;
    } else if (arg == L"--page") {
      options.page = _wtoi(next.c_str());
      ++i;
    } else if (arg == L"--flip") {
      options.flip = true;
    } else if (arg == L"--skins") {
      options.skins = next;
      ++i;
    } else if (arg == L"--seconds") {
      options.seconds = _wtoi(next.c_str());
      ++i;
    } else {
      options.window = arg;
    }
  }
  if (args) LocalFree(args);
  return options;
}

}  // namespace

}  // namespace velkor

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace velkor;
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const Options options = ParseOptions();
  const std::u16string skins = options.skins.empty() ? ProgramFolder() + u"Skins" : FromWide(options.skins);
  Win32IniStore ini;
  Texts texts(ini, skins + u"\\language.ini");

  std::unique_ptr<CDialog> window;
  if (options.window == L"about") {
    window = std::make_unique<CDialog>(IDD_ABOUT);
  } else {
    SkinWindow kind = SkinWindow::kMain;
    if (options.window == L"composite") kind = SkinWindow::kComposite;
    if (options.window == L"profile") kind = SkinWindow::kProfile;
    if (options.window == L"update") kind = SkinWindow::kUpdate;
    window = std::make_unique<ViewerDialog>(SkinPlanOf(kind), ini, skins, texts, options);
  }
  if (!window->Create(nullptr)) return 1;
  HWND hwnd = window->hwnd();
  if (options.window == L"about") {
    LanguageTable about_texts(ini, skins + u"\\language.ini");
    if (auto about = about_texts.ReadAboutBox()) {
      SetWindowTextW(hwnd, W(about->title));
      SetDlgItemTextW(hwnd, 1206, W(about->line1));
      SetDlgItemTextW(hwnd, 1205, W(about->copyright));
      SetDlgItemTextW(hwnd, IDOK, W(about->ok));
    }
  }
  SetWindowPos(hwnd, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  UpdateWindow(hwnd);
  SetTimer(nullptr, 0, static_cast<UINT>(options.seconds) * 1000u, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == nullptr) break;
    if (IsDialogMessageW(hwnd, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  window->Destroy();
  return 0;
}
