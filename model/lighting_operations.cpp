#include "model/lighting_operations.h"

#include <algorithm>
#include <cstring>

namespace velkor {

namespace {
constexpr int kColourPieces = 9;
constexpr int kColourPieceBytes = 54;  // 18 keys
}  // namespace

void LightingOperations::SetProfile(int profile) {
  if (profile >= 0 && profile < kProfiles) state_.profile = profile;
}

void LightingOperations::LightingWrite(std::initializer_list<Piece> pieces) {
  commands_.BeginAccess();
  for (const Piece& p : pieces) {
    commands_.WriteParameters(p.bytes.data(), static_cast<int>(p.bytes.size()),
                              Record() + p.offset);
  }
  commands_.EndAccess();
}

void LightingOperations::ColourWrite(const uint8_t* bytes, int length, int position) {
  commands_.set_colour_profile(state_.profile);
  commands_.WriteKeyColours(bytes, length, position);
}

// ---- Loading ---------------------------------------------------------------------

int LightingOperations::LoadLighting(bool with_user_modes) {
  view_.ClearEffectList();
  state_.supported.fill(0);
  state_.effects = EffectList();
  ConfigBlock block{};
  if (commands_.ReadConfigBlock(block.data()) != kSuccess) return -1;
  std::copy_n(block.begin() + kConfigEffectsOffset, kEffectSlots, state_.supported.begin());
  state_.effects = EffectList::FromSupportedBytes(state_.supported.data());

  commands_.BeginAccess();
  if (with_user_modes && state_.effects.Contains(kUserDefinedEffect)) {
    view_.ShowUserModeNames(UserModeNames());
    LoadUserMode();
  }
  for (int p = 0; p < kProfiles; ++p) {
    uint8_t reply[kPayloadSize] = {};
    // A record that couldn't be read keeps the copy of the last load rather
    // than taking a reply that never came.
    if (commands_.ReadParameters(reply, static_cast<int>(kPayloadSize),
                                 p * static_cast<int>(kLightingRecordSize)) == kSuccess) {
      std::memcpy(state_.records[static_cast<size_t>(p)].bytes.data(), reply, kLightingRecordSize);
    }
  }
  commands_.EndAccess();

  state_.Decode(state_.records[static_cast<size_t>(state_.profile)]);
  ReadPanelSwitch();
  if (with_user_modes) view_.ShowColourFields(state_.colour);
  return 0;
}

int LightingOperations::Reload(bool with_user_modes) {
  const int outcome = LoadLighting(with_user_modes);
  view_.RebuildPanel();
  return outcome;
}

std::vector<std::u16string> LightingOperations::UserModeNames() {
  const UserModeFile file = File(state_.profile);
  std::vector<std::u16string> names;
  for (int m = 0; m < kUserModes; ++m) names.push_back(file.Name(m));
  return names;
}

void LightingOperations::LoadUserMode() {
  const int p = state_.profile;
  const UserModeFile file = File(p);
  state_.user_mode = file.CurrentMode();
  const UserModeSettings settings = file.Settings(state_.user_mode);
  state_.tool = settings.tool;
  state_.base_colour = settings.base_colour;
  state_.paint_colour = settings.paint_colour;
  // The panel keys, then Fn; the G keys' shared position 125 is not loaded.
  const auto load = [&](int control, int position) {
    const UserModeKey key = file.Key(state_.user_mode, position);
    colours_.Set(p, position, key.colour);
    follows_base_.Set(control, p, key.follows_base);
  };
  for (const PanelKey& key : PanelKeyTable()) load(key.control, key.light_position);
  load(kFnControl, kFnLight);
  SendColourBlock();
}

void LightingOperations::SendColourBlock() {
  const uint8_t* block = colours_.Block(state_.profile);
  commands_.BeginAccess();
  for (int i = 0; i < kColourPieces; ++i) {
    ColourWrite(block + i * kColourPieceBytes, kColourPieceBytes, i * kColourPieceBytes / 3);
  }
  commands_.EndAccess();
}

// ---- Record fields -----------------------------------------------------------------

void LightingOperations::SelectEffect(int effect) {
  if (effect < 0 || effect > 0xFF) return;
  const uint8_t e = static_cast<uint8_t>(effect);
  if (SelectionWritesMulticolour(effect)) {
    LightingWrite({{kOffsetEffect, {e}},
                   {kOffsetMulticolour, {state_.multicolour ? uint8_t{1} : uint8_t{0}}}});
  } else {
    LightingWrite({{kOffsetEffect, {e}}});
  }
  state_.effect = effect;
}

void LightingOperations::SetBrightness(int brightness) {
  if (brightness < 0 || brightness > 4 || brightness == state_.brightness) return;
  LightingWrite({{kOffsetBrightness, {static_cast<uint8_t>(brightness)}}});
  state_.brightness = brightness;
}

void LightingOperations::SetSpeedFromSlider(int position) {
  const int speed = 4 - position;
  if (position < 0 || position > 4 || speed == state_.speed) return;
  LightingWrite({{kOffsetSpeed, {static_cast<uint8_t>(speed)}}});
  state_.speed = speed;
}

void LightingOperations::SetDirection(uint8_t direction) {
  LightingWrite({{kOffsetDirection, {direction}}});
  state_.direction = direction;
}

void LightingOperations::SetColour(Colour colour) {
  LightingWrite({{kOffsetMulticolour, {0}},
                 {kOffsetColour, {RedOf(colour), GreenOf(colour), BlueOf(colour)}}});
  state_.colour = colour & 0x00FFFFFF;
  state_.multicolour = false;
}

void LightingOperations::ToggleMulticolour() {
  const bool on = !state_.multicolour;
  LightingWrite({{kOffsetMulticolour, {on ? uint8_t{1} : uint8_t{0}}}});
  state_.multicolour = on;
}

void LightingOperations::SetFourColour(int choice) {
  if (choice < 0 || choice > 3) return;
  LightingWrite({{kOffsetFourColour, {static_cast<uint8_t>(choice)}}});
  state_.four_colour = choice;
}

void LightingOperations::SetReportRate(int index) {
  if (index < 0 || index > 3) return;
  LightingWrite({{kOffsetReportRate, {static_cast<uint8_t>(index)}}});
  state_.report_rate = index;
}

void LightingOperations::WriteDefaults() {
  LightingWrite(
      {{0, std::vector<uint8_t>(kDefaultLightingRecord.begin(), kDefaultLightingRecord.end())}});
  // What the keyboard now holds, so that the next change is compared with it.
  LightingMode record;
  std::copy(kDefaultLightingRecord.begin(), kDefaultLightingRecord.end(), record.bytes.begin());
  state_.Decode(record);
}

// ---- User modes ------------------------------------------------------------------

void LightingOperations::WriteUserModeSettings() {
  File(state_.profile)
      .WriteSettings(state_.user_mode, {state_.tool, state_.base_colour, state_.paint_colour});
}

bool LightingOperations::PaintKey(int control) {
  if (state_.effect != kUserDefinedEffect) return false;
  const int index = LitKeyIndex(control);
  if (index < 0) return false;  // a button without a light of its own
  const int position = LitKeys()[static_cast<size_t>(index)].position;
  const int p = state_.profile;
  const bool base = state_.tool == 1;
  const Colour colour = base ? state_.base_colour : state_.paint_colour;
  follows_base_.Set(control, p, base);
  view_.TintKey(control, colour);
  const uint8_t rgb[3] = {RedOf(colour), GreenOf(colour), BlueOf(colour)};
  commands_.BeginAccess();
  ColourWrite(rgb, 3, position);
  commands_.EndAccess();
  colours_.Set(p, position, colour);
  File(p).WriteKey(state_.user_mode, position, {colour, base});
  return true;
}

void LightingOperations::SetBaseColour(Colour colour) {
  colour &= 0x00FFFFFF;
  if (colour == state_.base_colour) return;
  state_.base_colour = colour;
  WriteUserModeSettings();
  const int p = state_.profile;
  UserModeFile file = File(p);
  for (const LitKey& key : LitKeys()) {
    if (!follows_base_.Get(key.control, p)) continue;
    colours_.Set(p, key.position, colour);
    view_.TintKey(key.control, colour);
    file.WriteKey(state_.user_mode, key.position, {colour, true});
  }
  SendColourBlock();
}

void LightingOperations::SetPaintColour(Colour colour) {
  state_.paint_colour = colour & 0x00FFFFFF;
  WriteUserModeSettings();
}

void LightingOperations::SelectTool(int tool) {
  if (tool != 0 && tool != 1) return;
  state_.tool = tool;
  WriteUserModeSettings();
}

void LightingOperations::SelectUserMode(int mode) {
  if (mode < 0 || mode >= kUserModes) return;
  File(state_.profile).SetCurrentMode(mode);
  LoadUserMode();
}

void LightingOperations::RenameUserMode(int mode, std::u16string_view name) {
  File(state_.profile).SetName(mode, name);
}

void LightingOperations::ShowKeyColours() {
  for (const LitKey& key : LitKeys())
    view_.TintKey(key.control, colours_.At(state_.profile, key.position));
}

// ---- Restore and the panel switch ----------------------------------------------------

void LightingOperations::RestoreDefaults() {
  view_.SelectEffectInList(state_.effects.IndexOf(1));
  SelectEffect(1);
  if (state_.effects.Contains(kUserDefinedEffect)) {
    CopyFileBytes(files_.UserModeFilePath(3), files_.UserModeFilePath(state_.profile));
    view_.ShowUserModeNames(UserModeNames());
    LoadUserMode();
    view_.ShowUserMode(state_.user_mode, state_.paint_colour, state_.base_colour, state_.tool);
  }
  WriteDefaults();
  // The controls show the record just written.
  view_.ShowSliders(state_.brightness, 4 - state_.speed);
  view_.ShowEffectColours(state_.colour, state_.multicolour, state_.stone_colour,
                          state_.stone_multicolour, state_.ribbon_colour,
                          state_.ribbon_multicolour);
  view_.ShowReportRate(state_.report_rate);
}

bool LightingOperations::ReadPanelSwitch() {
  state_.panel_switch = velkor::ReadPanelSwitch(ini_, files_);
  return state_.panel_switch;
}

void LightingOperations::SetPanelSwitch(bool on) {
  state_.panel_switch = on;
  WritePanelSwitch(ini_, files_, on);
}

}  // namespace velkor
