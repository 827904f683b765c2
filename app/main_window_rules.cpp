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
  if (id >= 9000 && id <= 9200) return {MainCommand::kSwitchProfile, id - 9001};
  switch (id) {
    case 1: return {MainCommand::kOk};
    case 2: return {MainCommand::kCancel};
    case 1006: return {MainCommand::kApply};
    case 1138: return {MainCommand::kRestoreDefaults};
    case 1139: return {MainCommand::kButtonMenu};
    case 1122: return {MainCommand::kHelp};
    case 1123: return {MainCommand::kMinimize};
    case 1124: return {MainCommand::kExitProgram};
    case 1121: return {MainCommand::kOpenLink};
    case 1005: return {MainCommand::kProfileManager};
    case 1128: return {MainCommand::kBankIndicator};
    case 1009: return {MainCommand::kProfileMenu};
    case 1008: return {MainCommand::kDeviceCommand};
    case 32771: return {MainCommand::kOpenWindow};
    case 32773: return {MainCommand::kAbout};
    case 32774: return {MainCommand::kExitProgram};
    case 32776: return {MainCommand::kImport};
    case 32777: return {MainCommand::kExport};
    case 32779: return {MainCommand::kCloseProgram};
    case 32780: return {MainCommand::kFirmwareUpdate};
    case 32784: return {MainCommand::kSwitchLanguage, 0, 0};
    case 32785: return {MainCommand::kSwitchLanguage, 0, 1};
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
  return {{0, 32771, texts->open_item}, {1, 32773, texts->about_item}, {2, 32774, texts->exit_item}};
}

std::vector<MenuLabel> ButtonMenuLabels(const std::optional<ButtonMenuTexts>& texts) {
  if (!texts) return {};
  return {{0, 32776, texts->import_item},  {1, 32777, texts->export_item}, {2, 32773, texts->about_item},
          {3, 32779, texts->close_item},   {3, 32784, texts->chinese_item}, {4, 32785, texts->english_item}};
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
