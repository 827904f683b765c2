#include "app/main_window_rules.h"

#include <cstdio>

namespace velkor {

namespace {
constexpr uint32_t kKeyDown = 0x0100;
constexpr uint32_t kKeyUp = 0x0101;
constexpr uint32_t kEnter = 0x0D;
constexpr uint32_t kEscape = 0x1B;
constexpr uint32_t kLeftArrow = 0x25;
constexpr uint32_t kDownArrow = 0x28;
constexpr uint32_t kLeftButtonDown = 0x0201;
constexpr uint32_t kLeftButtonDoubleClick = 0x0203;
constexpr uint32_t kRightButtonUp = 0x0205;
}  // namespace

std::u16string NamedEventName(int number) {
  char text[40];
  std::snprintf(text, sizeof(text), "%sMain_%02d", "Velkor_Event_", number);
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

MainMessage ClassifyMainMessage(uint32_t message, uint64_t wparam) {
  auto tagged = [wparam](uint32_t tag, MainMessage kind) {
    return wparam == tag ? kind : MainMessage::kIgnored;
  };
  switch (message) {
    case kMsgInit: return tagged(kInitTag, MainMessage::kInit);
    case kMsgShowWindow: return tagged(kShowWindowTag, MainMessage::kOpen);
    case kMsgKillProgram: return tagged(kKillProgramTag, MainMessage::kKill);
    case kMsgLoadProfile: return tagged(kLoadProfileTag, MainMessage::kLoadProfile);
    case kMsgCloseEditors: return MainMessage::kCloseEditors;
    case kMsgBankLed: return tagged(kBankLedTag, MainMessage::kBankLed);
    default: return MainMessage::kNotOurs;
  }
}

PreTranslateDecision PreTranslate(uint32_t message, uint64_t wparam, bool for_main_window,
                                  bool effect_list_focused) {
  PreTranslateDecision decision;
  if (message == kMsgTimeChange && for_main_window) decision.apply_first = true;
  if (message == kKeyDown || message == kKeyUp) {
    if (wparam == kEnter || wparam == kEscape) decision.swallow = true;
    if (effect_list_focused && wparam >= kLeftArrow && wparam <= kDownArrow) decision.swallow = true;
  }
  return decision;
}

RoutedCommand RouteMainCommand(int id) {
  if (id >= kDefaultProfileCommand && id <= kLastProfileCommand) {
    return {MainCommand::kSwitchProfile, id - (kDefaultProfileCommand + 1)};
  }
  switch (id) {
    case kOkCommand: return {MainCommand::kOk};
    case kCancelCommand: return {MainCommand::kCancel};
    case IDC_MAIN_APPLY: return {MainCommand::kApply};
    case IDC_MAIN_DEFAULT: return {MainCommand::kRestoreDefaults};
    case IDC_MAIN_MENU: return {MainCommand::kButtonMenu};
    case IDC_MAIN_HELP: return {MainCommand::kHelp};
    case IDC_MAIN_MINIMIZE: return {MainCommand::kMinimize};
    case IDC_MAIN_CLOSE: return {MainCommand::kExitProgram};
    case IDC_MAIN_LINK: return {MainCommand::kOpenLink};
    case IDC_MAIN_PROFILES: return {MainCommand::kProfileManager};
    case IDC_MAIN_LOCK_AB: return {MainCommand::kBankIndicator};
    case IDC_MAIN_PROFILE_MENU: return {MainCommand::kProfileMenu};
    case IDC_MAIN_DEVICE_COMMAND: return {MainCommand::kDeviceCommand};
    case ID_OPEN_WINDOW: return {MainCommand::kOpenWindow};
    case ID_ABOUT: return {MainCommand::kAbout};
    case ID_EXIT: return {MainCommand::kExitProgram};
    case ID_IMPORT_PROFILE: return {MainCommand::kImport};
    case ID_EXPORT_PROFILE: return {MainCommand::kExport};
    case ID_CLOSE_PROGRAM: return {MainCommand::kCloseProgram};
    case ID_FIRMWARE_UPDATE: return {MainCommand::kFirmwareUpdate};
    case ID_LANGUAGE_ENGLISH: return {MainCommand::kSwitchLanguage, 0, 0};
    case ID_LANGUAGE_CHINESE: return {MainCommand::kSwitchLanguage, 0, 1};
    case IDC_MAIN_PROFILE1: return {MainCommand::kProfileButton, 0};
    case IDC_MAIN_PROFILE2: return {MainCommand::kProfileButton, 1};
    case IDC_MAIN_PROFILE3: return {MainCommand::kProfileButton, 2};
    case IDC_MAIN_REPORT1: return {MainCommand::kReportRate, 0, 0, 0};
    case IDC_MAIN_REPORT2: return {MainCommand::kReportRate, 0, 0, 1};
    case IDC_MAIN_REPORT3: return {MainCommand::kReportRate, 0, 0, 2};
    case IDC_MAIN_REPORT4: return {MainCommand::kReportRate, 0, 0, 3};
    case IDC_MAIN_FLIP1:
    case IDC_MAIN_FLIP2: return {MainCommand::kFlip};
    case IDC_MAIN_LAMP: return {MainCommand::kLamp};
    default: return {};
  }
}

std::optional<int> TrayImage::Set(int mode, int icon_id) {
  int wanted = shown_;
  if (mode == 1) {
    wanted = kIconActivity;
  } else if (mode == 0) {
    if (icon_id != 0) base_ = icon_id;
    wanted = base_;
  }
  if (wanted == shown_ || wanted == 0) return std::nullopt;
  shown_ = wanted;
  return wanted;
}

TrayMouseAction OnTrayMouse(uint32_t icon_id, uint32_t mouse_message, bool has_click_command) {
  if (icon_id != kTrayIconId) return TrayMouseAction::kNone;
  switch (mouse_message) {
    case kRightButtonUp: return TrayMouseAction::kMenu;
    case kLeftButtonDoubleClick: return TrayMouseAction::kOpen;
    case kLeftButtonDown: return has_click_command ? TrayMouseAction::kMarkPending : TrayMouseAction::kNone;
    default: return TrayMouseAction::kNone;
  }
}

std::vector<MenuLabel> TrayMenuLabels(const std::optional<TrayMenuTexts>& texts) {
  if (!texts) return {};
  return {{0, ID_OPEN_WINDOW, texts->open_item}, {1, ID_ABOUT, texts->about_item}, {2, ID_EXIT, texts->exit_item}};
}

std::vector<MenuLabel> ButtonMenuLabels(const std::optional<ButtonMenuTexts>& texts) {
  if (!texts) return {};
  return {{0, ID_IMPORT_PROFILE, texts->import_item}, {1, ID_EXPORT_PROFILE, texts->export_item},
          {2, ID_ABOUT, texts->about_item},           {3, ID_CLOSE_PROGRAM, texts->close_item},
          {3, ID_LANGUAGE_ENGLISH, texts->chinese_item}, {4, ID_LANGUAGE_CHINESE, texts->english_item}};
}

std::u16string GKeyCaption(int bank, int g_index) {
  if (g_index < 0 || g_index >= 5) return {};
  return std::u16string{bank ? u'B' : u'A', static_cast<char16_t>(u'1' + g_index)};
}

ExitStep DecideExit(ExitOrigin origin, bool pending_changes, bool job_running) {
  if (job_running) return ExitStep::kAfterJob;
  if (origin == ExitOrigin::kPerson && pending_changes) return ExitStep::kAskFirst;
  return ExitStep::kExitNow;
}

}  // namespace velkor
