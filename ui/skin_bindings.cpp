#include "ui/skin_bindings.h"

#include <string>

#include "model/key_codes.h"
#include "resources/resource.h"

namespace velkor {

namespace {

// Main window sheets; the flipped layout's D keys have four of their own,
// after the others so that the indices before them stay as they were.
constexpr uint8_t n = 0, o = 1, d = 2, x = 3, kArrowSheet = 4;
constexpr uint8_t flip_n = 7, flip_o = 8, flip_d = 9, flip_x = 10;

SkinBinding Image(std::u16string key, int control, SheetPicks sheets) {
  SkinBinding b;
  b.key = std::move(key);
  b.control = control;
  b.kind = BindingKind::kImageButton;
  b.sheets = sheets;
  return b;
}

SkinBinding Captioned(std::u16string key, int control, SheetPicks sheets, CaptionStyle style,
                      std::u16string_view caption) {
  SkinBinding b = Image(std::move(key), control, sheets);
  b.caption_style = style;
  b.caption_key = caption;
  return b;
}

SkinBinding Tipped(std::u16string key, int control, SheetPicks sheets, std::u16string_view tip) {
  SkinBinding b = Image(std::move(key), control, sheets);
  b.tooltip_key = tip;
  return b;
}

SkinBinding Plain(std::u16string key, int control) {
  SkinBinding b;
  b.key = std::move(key);
  b.control = control;
  b.kind = BindingKind::kPlain;
  return b;
}

SkinBinding PositionOnly(std::u16string key, int control) {
  SkinBinding b = Plain(std::move(key), control);
  b.kind = BindingKind::kPositionOnly;
  return b;
}

SkinWindowPlan MakeMainPlan() {
  SkinWindowPlan plan{SkinWindow::kMain, 102, u"Main.ini",
                      {u"main_normal.jpg", u"main_over.jpg", u"main_down.jpg", u"main_disable.jpg",
                       u"Arrow.jpg", u"main_color0.jpg", u"main_color1.jpg", u"main_flip_normal.jpg",
                       u"main_flip_over.jpg", u"main_flip_down.jpg", u"main_flip_disable.jpg"},
                      {}};
  auto& b = plan.bindings;
  const SheetPicks command{n, o, d, n, n};
  const SheetPicks selectable{n, o, d, n, x};
  // The keyboard picture first: the nine macro keys and the 104 keys.
  for (int g = 1; g <= kGKeyCount; ++g) b.push_back(Image(SkinNameOfGKey(g), GKeyControl(g), selectable));
  for (const PanelKey& key : PanelKeyTable()) b.push_back(Image(SkinNameOfKey(key.code), key.control, selectable));
  // D1..D6 of the flipped layout, in the place of F1..F4.
  const int d_keys[] = {IDC_MAIN_D1, IDC_MAIN_D2, IDC_MAIN_D3, IDC_MAIN_D4, IDC_MAIN_D5, IDC_MAIN_D6};
  for (int i = 0; i < 6; ++i) {
    b.push_back(Image(u"FUNC_D" + std::u16string(1, u'1' + i), d_keys[i], {flip_n, flip_o, flip_d, flip_n, flip_x}));
  }
  SkinBinding link = Image(u"TARVO_LINK", 1121, {n, o, x, n, n});
  link.tooltip_is_link = true;
  b.push_back(link);
  b.push_back(Captioned(u"FUNC_PROFILES", 1005, command, CaptionStyle::kCurrentProfile, {}));
  b.push_back(Captioned(u"FUNC_MACRO", 1007, command, CaptionStyle::kButton, u"PROFILE_MACRO"));
  b.push_back(Captioned(u"CONTROL_OK", 1, command, CaptionStyle::kButton, u"PROFILE_OK"));
  b.push_back(Captioned(u"CONTROL_CANCEL", 2, command, CaptionStyle::kButton, u"PROFILE_CANCLE"));
  b.push_back(Tipped(u"CONTROL_HELP", 1122, command, u"MAIN_HELP_PROMPT"));
  b.push_back(Tipped(u"CONTROL_CLOSE", 1124, command, u"MAIN_CLOSE_PROMPT"));
  b.push_back(Tipped(u"CONTROL_MINIMIZE", 1123, command, u"MAIN_MINIMIZE_PROMPT"));
  b.push_back(Tipped(u"CONTROL_MENU", 1139, command, u"MAIN_MENU_PROMPT"));
  b.push_back(Captioned(u"CONTROL2_APPLY", 1006, {n, o, d, x, n}, CaptionStyle::kButton, u"PROFILE_APPLY"));
  const int locks[] = {1125, 1126, 1127, 1128};
  const char16_t* lock_keys[] = {u"LOCK_CAPS", u"LOCK_NUM", u"LOCK_SCROLL", u"LOCK_AB"};
  for (int i = 0; i < 4; ++i) {
    SkinBinding lock = Image(lock_keys[i], locks[i], {n, n, n, n, o});
    lock.starts_disabled = true;
    b.push_back(lock);
  }
  SkinBinding flip0 = Image(u"FLIP_0", 1129, {n, n, n, n, x});
  flip0.starts_disabled = true;
  b.push_back(flip0);
  b.push_back(Image(u"FLIP_1", 1130, selectable));
  b.push_back(Image(u"FLIP_2", 1131, selectable));
  SkinBinding version = Captioned(u"TARVO_VER", 1134, {n, n, n, n, n}, CaptionStyle::kVersion,
                                  u"MAIN_BUTTON_TARVO_VER");
  version.starts_disabled = true;
  b.push_back(version);
  b.push_back(Captioned(u"FUNC_PROFILE1", 1135, selectable, CaptionStyle::kButton, u"PROFILE_1"));
  b.push_back(Captioned(u"FUNC_PROFILE2", 1136, selectable, CaptionStyle::kButton, u"PROFILE_2"));
  b.push_back(Captioned(u"FUNC_PROFILE3", 1137, selectable, CaptionStyle::kButton, u"PROFILE_3"));
  b.push_back(Captioned(u"FUNC_DEFAULT", 1138, selectable, CaptionStyle::kButton, u"PROFILE_DEFAULT"));
  b.push_back(Image(u"FUNC_SWITCH", 1144, selectable));
  const int reports[] = {1147, 1168, 1169, 1170};
  for (int i = 0; i < 4; ++i) b.push_back(Image(u"FUNC_REPORT" + std::u16string(1, u'1' + i), reports[i], selectable));
  b.push_back(Image(u"KEY_FN", kFnControl, selectable));
  const SheetPicks arrow{kArrowSheet, kArrowSheet, kArrowSheet, kArrowSheet, kArrowSheet};
  SkinBinding left = Image(u"LEFT_ARROW", 1132, arrow);
  left.kind = BindingKind::kArrow;
  SkinBinding right = Image(u"RIGHT_ARROW", 1133, arrow);
  right.kind = BindingKind::kArrow;
  b.push_back(left);
  b.push_back(right);

  const std::pair<const char16_t*, int> plain[] = {
      {u"CONTROL_UsbStatic", 1204},    {u"CONTROL_DengStatic", 1171},   {u"CONTROL_DengStaPic", 1167},
      {u"CONTROL_XGcombox", 1146},     {u"CONTROL_JDTStatic", 1177},    {u"CONTROL_LightStatic", 1172},
      {u"CONTROL_LightSlider", 1178},  {u"CONTROL_SpeedStatic", 1166},  {u"CONTROL_SpeedSlider", 1179},
      {u"CONTROL_BLFXStatic", 1148},   {u"CONTROL_BLFXLStaPic", 1149},  {u"CONTROL_BLFXLStatic", 1224},
      {u"CONTROL_BLFXRStaPic", 1150},  {u"CONTROL_BLFXRStatic", 1227},  {u"CONTROL_FYYSStatic", 1151},
      {u"CONTROL_FYYSButton", 1152},   {u"CONTROL_FYSJSStaPic", 1175},  {u"CONTROL_FYSJSStatic", 1176},
      {u"CONTROL_FYCFStatic", 1182},   {u"CONTROL_FYdjcfStatic", 1181}, {u"CONTROL_FYggcfStatc", 1184},
      {u"CONTROL_FYdjcfStaPic", 1183}, {u"CONTROL_FYggcfStaPic", 1180}, {u"CONTROL_HONGPIC", 1194},
      {u"CONTROL_HUANGPIC", 1195},     {u"CONTROL_LVPIC", 1196},        {u"CONTROL_LANPIC", 1197},
      {u"CONTROL_HXysStatic", 1154},   {u"CONTROL_HXysButton", 1155},   {u"CONTROL_HXsjsStatic", 1173},
      {u"CONTROL_HXsjsStaPic", 1156},  {u"CONTROL_JTysStatic", 1157},   {u"CONTROL_JTysButton", 1158},
      {u"CONTROL_USERysStatic", 1159}, {u"CONTROL_USERysButton", 1160}, {u"CONTROL_USERjsStatic", 1161},
      {u"CONTROL_USERjsButton", 1162}, {u"CONTROL_USERgjStatic", 1163}, {u"CONTROL_USERgjStaPic1", 1164},
      {u"CONTROL_USERgjStaPic2", 1165}, {u"CONTROL_TSysStatic", 1186},  {u"CONTROL_TSysButton", 1187},
      {u"CONTROL_TSsjsStatic", 1189},  {u"CONTROL_TSsjsStaPic", 1188},  {u"CONTROL_CDysStatic", 1190},
      {u"CONTROL_CDysButton", 1191},   {u"CONTROL_CDsjsStatic", 1193},  {u"CONTROL_CDsjsStaPic", 1192},
      {u"CONTROL_umCombo", 1198},      {u"m_rgbr_static", 1210},        {u"m_edit_rgbr", 1223},
      {u"m_rgbg_static", 1211},        {u"m_edit_rgbg", 1225},          {u"m_rgbb_static", 1212},
      {u"m_edit_rgbb", 1226},
  };
  for (const auto& [key, control] : plain) b.push_back(Plain(key, control));
  for (int i = 0; i < 8; ++i) b.push_back(Plain(u"m_btn_rgb" + std::u16string(1, u'1' + i), 1213 + i));
  return plan;
}

// The direction controls' other two layouts (effects 3, 5, 6 and effect 12).
std::vector<SkinBinding> DirectionVariants() {
  const std::pair<const char16_t*, int> direction[] = {
      {u"CONTROL_BLFXStatic", 1148},  {u"CONTROL_BLFXLStaPic", 1149}, {u"CONTROL_BLFXLStatic", 1224},
      {u"CONTROL_BLFXRStaPic", 1150}, {u"CONTROL_BLFXRStatic", 1227}};
  std::vector<SkinBinding> variants;
  for (const char16_t* suffix : {u"2", u"3"}) {
    for (const auto& [key, control] : direction) variants.push_back(PositionOnly(std::u16string(key) + suffix, control));
  }
  return variants;
}

// Composite dialog sheets: key 0-2, macro 3-6, macro2 7-10, media 11-13, function 14-16.
constexpr SheetPicks kKeySet{0, 1, 2, 0, 2};
constexpr SheetPicks kMacroSet{3, 4, 5, 6, 5};
constexpr SheetPicks kMacro2Set{7, 8, 9, 10, 9};

SkinWindowPlan MakeCompositePlan() {
  SkinWindowPlan plan{SkinWindow::kComposite, 134, u"Composite.ini",
                      {u"key_normal.jpg", u"key_over.jpg", u"key_down.jpg", u"macro_normal.jpg",
                       u"macro_over.jpg", u"macro_down.jpg", u"macro_disable.jpg", u"macro2_normal.jpg",
                       u"macro2_over.jpg", u"macro2_down.jpg", u"macro2_disable.jpg", u"media_normal.jpg",
                       u"media_over.jpg", u"media_down.jpg", u"function_normal.jpg", u"function_over.jpg",
                       u"function_down.jpg"},
                      {}};
  auto& b = plan.bindings;
  const CaptionStyle button = CaptionStyle::kButton;
  b.push_back(Image(u"CONTROL_MASK", 1033, kKeySet));
  b.push_back(Image(u"CONTROL_TITLE", 1131, kKeySet));
  b.push_back(Tipped(u"CONTROL_OSK", 1132, kKeySet, u"COMPOSITE_PROMPT_OSK"));
  b.push_back(Tipped(u"CONTROL_CLEAR", 1032, kKeySet, u"COMPOSITE_PROMPT_CLEAR"));
  b.push_back(Captioned(u"CONTROL_KEY", 1028, kKeySet, button, u"SINGLE_KEY"));
  b.push_back(Captioned(u"CONTROL_MACRO", 1029, kKeySet, button, u"MACRO_SETTING"));
  b.push_back(Captioned(u"CONTROL_MEDIA", 1030, kKeySet, button, u"MULTI_MEDIA"));
  b.push_back(Captioned(u"CONTROL_FUNCTION", 1031, kKeySet, button, u"FUNCTION_KEY"));
  b.push_back(Captioned(u"CONTROL_OK", 1, kKeySet, button, u"MACRO_OK"));
  b.push_back(Captioned(u"CONTROL_CANCEL", 2, kKeySet, button, u"MACRO_CANCLE"));
  const struct {
    const char16_t* key;
    int control;
    const char16_t* caption;
  } macro_buttons[] = {
      {u"FUNC_MACRO_ADD", 1017, nullptr},       {u"FUNC_MACRO_DELETE", 1018, nullptr},
      {u"FUNC_MACRO_UP_TOP", 1023, u"A_TOP"},   {u"FUNC_MACRO_UP", 1024, u"A_UP"},
      {u"FUNC_MACRO_DOWN", 1025, u"A_DOWN"},    {u"FUNC_MACRO_DOWN_BOTTOM", 1026, u"A_BOTTOM"},
      {u"FUNC_MACRO_DELETE2", 1021, u"A_DELETE"}, {u"FUNC_MACRO_CLEAR", 1022, u"A_CLEAR"},
      {u"FUNC_MACRO_RECORD", 1020, u"A_RECORD"},
  };
  for (const auto& m : macro_buttons) {
    if (!m.caption) {
      b.push_back(Image(m.key, m.control, kMacroSet));
    } else {
      const bool record = m.control == 1020;
      b.push_back(Captioned(m.key, m.control, kMacroSet, record ? CaptionStyle::kSmallButton : button, m.caption));
    }
  }
  // Then five of the buttons take the second macro set.
  b.push_back(Captioned(u"CONTROL_KEY", 1028, kMacro2Set, button, u"SINGLE_KEY"));
  b.push_back(Captioned(u"CONTROL_MEDIA", 1030, kMacro2Set, button, u"MULTI_MEDIA"));
  b.push_back(Captioned(u"CONTROL_FUNCTION", 1031, kMacro2Set, button, u"FUNCTION_KEY"));
  b.push_back(Image(u"CONTROL_TITLE", 1131, kMacro2Set));
  b.push_back(Tipped(u"CONTROL_CLEAR", 1032, kMacro2Set, u"COMPOSITE_PROMPT_CLEAR"));
  const std::pair<const char16_t*, int> plain[] = {
      {u"FUNC_MACRO_LIST", 1126},         {u"FUNC_MACRO_LIST2", 1019},
      {u"FUNC_KEY_INPUT", 1127},          {u"FUNC_MEDIA_SELECT", 1128},
      {u"FUNC_FUNCTION_SELECT", 1129},    {u"FUNC_MACRO_CYCLES", 1125},
      {u"FUNC_MACRO_CYCLES_PROMPT", 1130}, {u"FUNC_MACRO_RECORD_DELAY", 1027},
      {u"FUNC_MACRO_RECORD_DELAY2", 1133}, {u"KEY_SETTING", 1199},
      {u"MARCO_NAME_SETTING", 1200},      {u"TISHI_SINGLE_STATIC", 1201},
      {u"MEDIA_SETTING_TISHI", 1202},     {u"FUNCTION_KEY_SETTING_TISHI", 1203},
  };
  for (const auto& [key, control] : plain) b.push_back(Plain(key, control));
  return plan;
}

SkinWindowPlan MakeProfilePlan() {
  SkinWindowPlan plan{SkinWindow::kProfile, 131, u"Profile.ini",
                      {u"Profile_normal.jpg", u"Profile_over.jpg", u"Profile_down.jpg"},
                      {}};
  const SheetPicks sheets{0, 1, 2, 2, 0};
  auto& b = plan.bindings;
  b.push_back(Captioned(u"CONTROL_OK", 1, sheets, CaptionStyle::kButton, u"PROFILE_OK"));
  b.push_back(Captioned(u"CONTROL_CANCEL", 2, sheets, CaptionStyle::kButton, u"PROFILE_CANCLE"));
  b.push_back(Captioned(u"FUNC_ADD", 1010, sheets, CaptionStyle::kButton, {}));
  b.push_back(Captioned(u"FUNC_LOAD", 1008, sheets, CaptionStyle::kButton, {}));
  b.push_back(Captioned(u"FUNC_DELETE", 1011, sheets, CaptionStyle::kButton, {}));
  b.push_back(Captioned(u"CONTROL2_APPLY", 1012, sheets, CaptionStyle::kButton, u"PROFILE_APPLY"));
  b.push_back(Plain(u"PROGRAM_LIST", 1007));
  return plan;
}

SkinWindowPlan MakeUpdatePlan() {
  SkinWindowPlan plan{SkinWindow::kUpdate, 149, u"UpdateDlg.ini", {u"update_normal.jpg", u"update_over.jpg"}, {}};
  const SheetPicks sheets{0, 1, 1, 1, 1};
  auto& b = plan.bindings;
  b.push_back(Plain(u"CONTROL_UPStatic", 1179));
  b.push_back(Plain(u"CONTROL_UPCombox", 1178));
  b.push_back(Captioned(u"CONTROL_CUPButton", 1180, sheets, CaptionStyle::kButton, {}));
  b.push_back(Captioned(u"CONTROL_UPButton", 1147, sheets, CaptionStyle::kButton, {}));
  b.push_back(Captioned(u"CONTROL_OPENButton", 1181, sheets, CaptionStyle::kButton, {}));
  b.push_back(Captioned(u"CONTROL_BACKUPButton", 1182, sheets, CaptionStyle::kButton, {}));
  return plan;
}

}  // namespace

const SkinWindowPlan& SkinPlanOf(SkinWindow window) {
  static const SkinWindowPlan main = [] {
    SkinWindowPlan plan = MakeMainPlan();
    for (SkinBinding& v : DirectionVariants()) plan.bindings.push_back(std::move(v));
    return plan;
  }();
  static const SkinWindowPlan composite = MakeCompositePlan();
  static const SkinWindowPlan profile = MakeProfilePlan();
  static const SkinWindowPlan update = MakeUpdatePlan();
  switch (window) {
    case SkinWindow::kMain: return main;
    case SkinWindow::kComposite: return composite;
    case SkinWindow::kProfile: return profile;
    case SkinWindow::kUpdate: return update;
  }
  return main;
}

std::span<const SkinWindow> AllSkinWindows() {
  static constexpr SkinWindow kAll[] = {SkinWindow::kMain, SkinWindow::kComposite, SkinWindow::kProfile,
                                        SkinWindow::kUpdate};
  return kAll;
}

SkinBinding CompositePagePicture(int page) {
  static constexpr SheetPicks kPages[] = {
      {0, 1, 2, 0, 0},      // single key: the key set
      {3, 4, 5, 6, 3},      // macro
      {11, 12, 13, 11, 11}, // multimedia
      {14, 15, 16, 14, 14}, // function
  };
  if (page < 0 || page > 3) page = 0;
  return Image(u"CONTROL_MASK", 1033, kPages[page]);
}

std::span<const std::u16string_view> LightingPanelPictures() {
  static const std::vector<std::u16string_view> pictures = [] {
    std::vector<std::u16string_view> p = {
        u"dengdown.bmp", u"dengup.bmp", u"leftdown.bmp", u"leftup.bmp", u"rightdown.bmp", u"rightup.bmp",
        u"updown.bmp", u"upup.bmp", u"downdown.bmp", u"downup.bmp", u"kuosandown.bmp", u"kuosan.bmp",
        u"julongdown.bmp", u"julong.bmp", u"sjsdown.bmp", u"sjsup.bmp", u"hongok.bmp", u"hong.bmp",
        u"huangok.bmp", u"huang.bmp", u"lvok.bmp", u"lv.bmp", u"lanok.bmp", u"lan.bmp", u"user1down.bmp",
        u"user1up.bmp", u"user2down.bmp", u"user2up.bmp"};
    static const std::u16string_view numbered[] = {
        u"0.bmp",  u"1.bmp",  u"2.bmp",  u"3.bmp",  u"4.bmp",  u"5.bmp",  u"6.bmp",  u"7.bmp",  u"8.bmp",
        u"9.bmp",  u"10.bmp", u"11.bmp", u"12.bmp", u"13.bmp", u"14.bmp", u"15.bmp", u"16.bmp", u"17.bmp",
        u"18.bmp", u"19.bmp", u"20.bmp", u"21.bmp", u"22.bmp", u"23.bmp", u"24.bmp", u"25.bmp"};
    static const std::u16string_view busy[] = {u"jdt1.bmp", u"jdt2.bmp", u"jdt3.bmp", u"jdt4.bmp", u"jdt5.bmp",
                                               u"jdt6.bmp", u"jdt7.bmp", u"jdt8.bmp", u"jdt9.bmp", u"jdt10.bmp"};
    p.insert(p.end(), std::begin(numbered), std::end(numbered));
    p.insert(p.end(), std::begin(busy), std::end(busy));
    return p;
  }();
  return pictures;
}

}  // namespace velkor
