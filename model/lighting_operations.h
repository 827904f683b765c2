// Every operation that moves lighting values between memory, the files and
// the keyboard. Each change is written at once as a small write into the
// current profile's record (BeginAccess, WriteParameters at profile x 42 +
// field, EndAccess) or, for per-key colours, with WriteKeyColours; results of
// the single commands are not checked and the program's copy keeps the new
// value. What the operations show goes through LightingView.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "device/commands.h"
#include "model/lighting.h"
#include "platform/ini_store.h"

namespace velkor {

// The window's side of the lighting operations, implemented by the lighting
// panel and the keyboard panel.
class LightingView {
 public:
  virtual ~LightingView() = default;
  virtual void ClearEffectList() = 0;
  virtual void ShowUserModeNames(const std::vector<std::u16string>& names) = 0;
  // The panel's red, green and blue number fields.
  virtual void ShowColourFields(Colour colour) = 0;
  // A key button's tint (strength 50).
  virtual void TintKey(int control, Colour colour) = 0;
  // The effect list's selection; -1 for none.
  virtual void SelectEffectInList(int index) = 0;
  virtual void ShowSliders(int brightness_position, int speed_position) = 0;
  virtual void ShowEffectColours(Colour colour, bool multicolour, Colour stone,
                                 bool stone_multicolour, Colour ribbon,
                                 bool ribbon_multicolour) = 0;
  virtual void ShowUserMode(int mode, Colour paint_colour, Colour base_colour, int tool) = 0;
  virtual void ShowReportRate(int index) = 0;
  // The whole panel from LightingState (after a load).
  virtual void RebuildPanel() = 0;
};

class LightingOperations {
 public:
  LightingOperations(DeviceCommands& commands, IniStore& ini, LightingFiles files,
                     LightingView& view)
      : commands_(commands), ini_(ini), files_(std::move(files)), view_(view) {}

  LightingState& state() { return state_; }
  const LightingState& state() const { return state_; }
  KeyColourTable& colours() { return colours_; }
  FollowsBaseFlags& follows_base() { return follows_base_; }
  const LightingFiles& files() const { return files_; }
  UserModeFile File(int profile) { return UserModeFile(ini_, files_.UserModeFilePath(profile)); }

  // The profile every write addresses; anything outside 0..2 is ignored.
  void SetProfile(int profile);

  // Reads the configuration block and the three records and decodes the
  // current one; with user_modes (and effect 20 supported) also the user
  // mode names and the current user mode. 0, or -1 when the configuration
  // block can't be read (the effect list is then empty, nothing else changes).
  int LoadLighting(bool with_user_modes);
  // LoadLighting, then the panel rebuilt; the outcome of the load.
  int Reload(bool with_user_modes);
  // The current user mode of the current profile from its file into the
  // colour table and the follows-base flags; then the colour block is sent.
  void LoadUserMode();
  // Block of the current profile, positions 0..161, in nine pieces of 54 bytes.
  void SendColourBlock();
  // The names of user modes 0..9 of the current profile's file.
  std::vector<std::u16string> UserModeNames();

  // Effect numbers outside 0..255 are ignored.
  void SelectEffect(int effect);
  // Nothing is written when the value is kept already; outside 0..4 ignored.
  void SetBrightness(int brightness);
  void SetSpeedFromSlider(int position);
  void SetDirection(uint8_t direction);
  // Multicolour off, then the colour.
  void SetColour(Colour colour);
  void ToggleMulticolour();
  void SetFourColour(int choice);  // 0..3
  void SetReportRate(int index);   // 0..3
  // The 35-byte default record; the state takes its values.
  void WriteDefaults();

  // Paints a key button (panel key, G key or Fn) with the current tool; only
  // under effect 20. False when nothing happened.
  bool PaintKey(int control);
  void SetBaseColour(Colour colour);
  void SetPaintColour(Colour colour);
  void SelectTool(int tool);  // 0 paint, 1 base
  void SelectUserMode(int mode);
  void RenameUserMode(int mode, std::u16string_view name);
  // Every lit key button tinted with its colour of the current profile.
  void ShowKeyColours();

  // Effect 1, the user mode file back from the pristine copy (when effect 20
  // is supported), then the default record; the panel shows what was written.
  void RestoreDefaults();

  bool ReadPanelSwitch();
  void SetPanelSwitch(bool on);

 private:
  struct Piece {
    int offset;  // within the current record
    std::vector<uint8_t> bytes;
  };
  void LightingWrite(std::initializer_list<Piece> pieces);
  void ColourWrite(const uint8_t* bytes, int length, int position);
  void WriteUserModeSettings();
  int Record() const { return state_.profile * static_cast<int>(kLightingRecordSize); }

  DeviceCommands& commands_;
  IniStore& ini_;
  LightingFiles files_;
  LightingView& view_;
  LightingState state_;
  KeyColourTable colours_;
  FollowsBaseFlags follows_base_;
};

}  // namespace velkor
