// The keyboard picture's decisions, apart from the buttons: what a click on a
// key does, which slot the key editor edits, and how the flipped layout
// shows. The main window's buttons only carry them out.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/key_codes.h"
#include "model/profile_image.h"

namespace velkor {

enum class KeyClick {
  kNothing,
  kOpenEditor,  // the key editor, on the slot
  kPaint,       // paint the key's light position in the current user mode
};

struct KeyClickAction {
  KeyClick action = KeyClick::kNothing;
  int slot = -1;           // kOpenEditor: the entry the editor edits
  bool macro_key = false;  // kOpenEditor: the click was on G9
  int light_position = 0;  // kPaint
};

// A click on a key button. lamp_on: the lighting panel switch; painting:
// the user-defined effect is selected, the only one a click paints in.
// bank: the G-key bank on show (0 A, 1 B).
//   panel key  lamp off: the editor on its key index; lamp on: paint its light
//   G key      always the editor on 0x100 + n - 1 (+ 9 in bank B)
//   Fn         lamp off: nothing; lamp on: paint position 110
//   D1..D6     nothing: they have no light position of their own
KeyClickAction DecideKeyClick(int control, int bank, bool lamp_on, bool painting);

inline constexpr int kFirstDKey = 1016;  // D1..D6: 1016..1021
inline constexpr int kDKeyCount = 6;
inline constexpr int kFirstFlipFKey = 1010;  // F1..F4 give way to D1..D6
inline constexpr int kFlipFKeyCount = 4;

// The flip setting as the registry holds it ("Flip", read with default
// "0"): any number but 0 is flip 1; a value that is no number is 0.
int FlipFromSetting(std::u16string_view value);
// What a flip button writes: "1" from flip 0, "0" otherwise.
std::u16string ToggledFlipSetting(int flip);

// D1..D6 sit where F1..F4 sit, so the keys of the layout not in use are
// hidden as well as disabled: only one set shows at a time.
struct FlipView {
  bool f_keys_enabled = true;   // F1..F4
  bool d_keys_enabled = false;  // D1..D6
  int indicator_set = 0;        // the flip indicator's picture set: 0 main, 1 second
};
FlipView ShowFlipState(int flip);

// The G keys' check marks for a bank (0 A, 1 B) of a profile: slots
// 0x100 + i or 0x109 + i assigned. All clear for an unknown profile. The
// caller holds the working lock.
std::array<bool, kGKeyCount> GKeyChecks(const ProfileImage& image, int profile, int bank);

// The buttons that are repainted whenever this one repaints: the nine G keys
// with the bank indicator; F1..F4 or D1..D6 (by flip), F5 and both flip
// buttons with the flip indicator; "]}" with Enter. Empty for the others.
std::vector<int> RepaintedWith(int control, int flip);

// The arrow beside a flip button: its control, or 0 for another control.
// Each time the flip button is drawn the arrow shows its first frame when the
// button was drawn in its normal state; hovered or pressed, the arrow keeps
// the picture it had.
int ArrowOfFlipButton(int control);

// What the main window does for the buttons around the keyboard picture:
// the lighting operations, the keyboard's profile and the key assignments.
class KeyboardPanelHost {
 public:
  virtual ~KeyboardPanelHost() = default;
  // The profile every lighting write addresses.
  virtual void SetLightingProfile(int profile) = 0;
  virtual void LoadLighting(bool with_user_modes) = 0;
  // Effect 20 (the user-defined one) is among the keyboard's effects.
  virtual bool UserModesSupported() = 0;
  // The user mode list refilled with modes 0..9 of the lighting profile,
  // then its current user mode loaded (which sends its colours).
  virtual void ReloadUserModes() = 0;
  virtual void RebuildLightingPanel() = 0;
  virtual bool PanelSwitchOn() = 0;
  // Writes the switch off, clears the tints and shows the current bank.
  virtual void TurnPanelSwitchOff() = 0;
  virtual void RestoreLightingDefaults() = 0;
  // The keyboard's active profile as last read; -1 when unknown.
  virtual int KeyboardProfile() = 0;
  // Starts the switch; the profile checks follow once the keyboard took it.
  virtual void SwitchProfile(int profile) = 0;
  virtual void ShowProfileChecks(int profile) = 0;
  virtual bool AskRestoreDefaults() = 0;  // No is the default
  // The panel keys and the G keys of the bank on show, in the active profile.
  virtual void ClearVisibleAssignments() = 0;
  virtual void Apply() = 0;
};

// Profile button n: the lighting panel moves to profile n (lighting loaded
// without user modes, then the user modes, the panel rebuilt, the lamp
// turned off); the keyboard switches only when it runs another profile.
void PressProfileButton(int profile, KeyboardPanelHost& host);
// The restore-defaults button: asked first (No the default); then the
// visible assignments cleared, the lighting defaults when the lamp is on,
// and Apply.
void PressRestoreDefaults(KeyboardPanelHost& host);
// Once the keyboard's profile is known: its check and the lighting panel on
// it for 0..2 (nothing changes for another value), then lighting loaded with
// the user modes and the panel rebuilt.
void CheckStartupProfile(KeyboardPanelHost& host);

}  // namespace velkor
