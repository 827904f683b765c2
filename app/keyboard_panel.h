// The keyboard picture's decisions, apart from the buttons: what a click on a
// key does, which slot the key editor edits, and how the flipped layout
// shows. The main window's buttons only carry them out.
#pragma once

#include <string>
#include <string_view>

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

struct FlipView {
  bool f_keys_enabled = true;   // F1..F4
  bool d_keys_enabled = false;  // D1..D6
  int indicator_set = 0;        // the flip indicator's picture set: 0 main, 1 second
};
FlipView ShowFlipState(int flip);

}  // namespace velkor
