#include "model/default_key_layout.h"

namespace velkor {

namespace {

struct Entry {
  uint8_t position;
  uint8_t type;
  uint8_t low;
  uint8_t high;
};

// Key entries are 02 02 usage; modifiers 02 01 mask; 03 is a consumer usage.
constexpr uint8_t K = 0x02;  // keyboard usage
constexpr uint8_t M = 0x01;  // modifier mask

#define KEY(pos, usage) {pos, 0x02, K, usage}
#define MOD(pos, mask) {pos, 0x02, M, mask}

constexpr Entry kEntries[] = {
    {0, 0x05, 0, 0}, {1, 0x05, 0, 0}, {2, 0x05, 0, 0}, {3, 0x05, 0, 0}, {4, 0x05, 0, 0}, {5, 0x05, 0, 0},
    KEY(8, 0x29) /* Esc */, KEY(9, 0x35) /* ` */, KEY(10, 0x2B) /* Tab */, KEY(11, 0x39) /* Caps */,
    MOD(12, 0x02) /* Shift */, MOD(13, 0x01) /* Ctrl */,
    KEY(16, 0x3A) /* F1 */, KEY(17, 0x1E) /* 1 */, KEY(18, 0x14) /* Q */, KEY(19, 0x04) /* A */,
    KEY(20, 0x1D) /* Z */, MOD(21, 0x08) /* Win */,
    KEY(24, 0x3B) /* F2 */, KEY(25, 0x1F) /* 2 */, KEY(26, 0x1A) /* W */, KEY(27, 0x16) /* S */,
    KEY(28, 0x1B) /* X */, MOD(29, 0x04) /* Alt */,
    KEY(32, 0x3C) /* F3 */, KEY(33, 0x20) /* 3 */, KEY(34, 0x08) /* E */, KEY(35, 0x07) /* D */,
    KEY(36, 0x06) /* C */, KEY(37, 0x2C) /* Space */, KEY(38, 0x46) /* Print Screen */,
    KEY(40, 0x3D) /* F4 */, KEY(41, 0x21) /* 4 */, KEY(42, 0x15) /* R */, KEY(43, 0x09) /* F */,
    KEY(44, 0x19) /* V */, MOD(45, 0x40) /* Right Alt */, KEY(46, 0x47) /* Scroll Lock */,
    KEY(48, 0x3E) /* F5 */, KEY(49, 0x22) /* 5 */, KEY(50, 0x17) /* T */, KEY(51, 0x0A) /* G */,
    KEY(52, 0x05) /* B */, {53, 0x05, 0x02, 0x02}, KEY(54, 0x2E) /* = */,
    KEY(56, 0x3F) /* F6 */, KEY(57, 0x23) /* 6 */, KEY(58, 0x1C) /* Y */, KEY(59, 0x0B) /* H */,
    KEY(60, 0x11) /* N */, KEY(61, 0x65) /* App */, KEY(62, 0x48) /* Pause */,
    KEY(64, 0x40) /* F7 */, KEY(65, 0x24) /* 7 */, KEY(66, 0x18) /* U */, KEY(67, 0x0D) /* J */,
    KEY(68, 0x10) /* M */, MOD(69, 0x10) /* Right Ctrl */, KEY(70, 0x49) /* Insert */,
    KEY(72, 0x41) /* F8 */, KEY(73, 0x25) /* 8 */, KEY(74, 0x0C) /* I */, KEY(75, 0x0E) /* K */,
    KEY(76, 0x36) /* , */, KEY(77, 0x50) /* Left */, KEY(78, 0x4A) /* Home */,
    KEY(80, 0x42) /* F9 */, KEY(81, 0x26) /* 9 */, KEY(82, 0x12) /* O */, KEY(83, 0x0F) /* L */,
    KEY(84, 0x37) /* . */, KEY(85, 0x51) /* Down */, KEY(86, 0x4B) /* Page Up */,
    KEY(88, 0x43) /* F10 */, KEY(89, 0x27) /* 0 */, KEY(90, 0x13) /* P */, KEY(91, 0x33) /* ; */,
    KEY(92, 0x38) /* / */, KEY(93, 0x52) /* Up */, KEY(94, 0x4C) /* Delete */,
    KEY(96, 0x44) /* F11 */, KEY(97, 0x2D) /* - */, KEY(98, 0x2F) /* [ */, KEY(99, 0x34) /* ' */,
    MOD(100, 0x20) /* Right Shift */, KEY(101, 0x4F) /* Right */, KEY(102, 0x4D) /* End */,
    KEY(104, 0x45) /* F12 */, KEY(105, 0x2E) /* = */, KEY(106, 0x30) /* ] */, KEY(107, 0x31) /* \ */,
    KEY(108, 0x28) /* Enter */, KEY(109, 0x2A) /* Backspace */, KEY(110, 0x4E) /* Page Down */,
    {112, 0x03, 0xB6, 0x00} /* consumer: previous track */, KEY(113, 0x53) /* Num Lock */,
    KEY(114, 0x5F) /* Num 7 */, KEY(115, 0x5C) /* Num 4 */, KEY(116, 0x59) /* Num 1 */,
    KEY(117, 0x62) /* Num 0 */, KEY(118, 0x56) /* Num - */,
    {120, 0x03, 0xCD, 0x00} /* consumer: play/pause */, KEY(121, 0x54) /* Num / */,
    KEY(122, 0x60) /* Num 8 */, KEY(123, 0x5D) /* Num 5 */, KEY(124, 0x5A) /* Num 2 */,
    KEY(125, 0x63) /* Num . */,
};

#undef KEY
#undef MOD

KeyMapBytes Build() {
  KeyMapBytes bytes{};
  for (const Entry& e : kEntries) {
    bytes[e.position * 3] = e.type;
    bytes[e.position * 3 + 1] = e.low;
    bytes[e.position * 3 + 2] = e.high;
  }
  return bytes;
}

}  // namespace

const KeyMapBytes& BuiltInDefaultLayout() {
  static const KeyMapBytes layout = Build();
  return layout;
}

}  // namespace velkor
