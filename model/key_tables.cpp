// The constant key tables. The catalog is built at compile time from the key
// list (whose order gives each key its KeyNumber), the keys outside the list
// and the multimedia rows; a row's index is its key's make code, 0x80 + the
// make code for an E0-prefixed key.
#include <array>

#include "model/key_tables_data.h"

namespace velkor {

namespace {

// A key of the key list: its code, name, the Windows virtual-key code it
// produces and its usage id on the USB keyboard/keypad page (the keyboard's
// own code for it). Ctrl, Shift, Alt and Win produce their left- or
// right-hand codes, never the generic ones; "Pause" and "Break" are the one
// key 0x48 to the keyboard.
struct ListKey {
  KeyCode code;
  std::u16string_view name;
  uint8_t vk;
  uint8_t usage;
};

constexpr ListKey kKeyList[kKeyListSize] = {
    {0x01E, u"A", 0x41, 0x04},  {0x030, u"B", 0x42, 0x05},  {0x02E, u"C", 0x43, 0x06},
    {0x020, u"D", 0x44, 0x07},  {0x012, u"E", 0x45, 0x08},  {0x021, u"F", 0x46, 0x09},
    {0x022, u"G", 0x47, 0x0A},  {0x023, u"H", 0x48, 0x0B},  {0x017, u"I", 0x49, 0x0C},
    {0x024, u"J", 0x4A, 0x0D},  {0x025, u"K", 0x4B, 0x0E},  {0x026, u"L", 0x4C, 0x0F},
    {0x032, u"M", 0x4D, 0x10},  {0x031, u"N", 0x4E, 0x11},  {0x018, u"O", 0x4F, 0x12},
    {0x019, u"P", 0x50, 0x13},  {0x010, u"Q", 0x51, 0x14},  {0x013, u"R", 0x52, 0x15},
    {0x01F, u"S", 0x53, 0x16},  {0x014, u"T", 0x54, 0x17},  {0x016, u"U", 0x55, 0x18},
    {0x02F, u"V", 0x56, 0x19},  {0x011, u"W", 0x57, 0x1A},  {0x02D, u"X", 0x58, 0x1B},
    {0x015, u"Y", 0x59, 0x1C},  {0x02C, u"Z", 0x5A, 0x1D},                           // 0-25
    {0x002, u"1", 0x31, 0x1E},  {0x003, u"2", 0x32, 0x1F},  {0x004, u"3", 0x33, 0x20},
    {0x005, u"4", 0x34, 0x21},  {0x006, u"5", 0x35, 0x22},  {0x007, u"6", 0x36, 0x23},
    {0x008, u"7", 0x37, 0x24},  {0x009, u"8", 0x38, 0x25},  {0x00A, u"9", 0x39, 0x26},
    {0x00B, u"0", 0x30, 0x27},                                                       // 26-35
    {0x01C, u"Enter", 0x0D, 0x28},         // 36
    {0x001, u"Esc", 0x1B, 0x29},           // 37
    {0x00E, u"Backspace", 0x08, 0x2A},     // 38
    {0x00F, u"Tab", 0x09, 0x2B},           // 39
    {0x039, u"Space", 0x20, 0x2C},         // 40
    {0x00C, u"-", 0xBD, 0x2D},  {0x00D, u"=", 0xBB, 0x2E},  {0x01A, u"[", 0xDB, 0x2F},
    {0x01B, u"]", 0xDD, 0x30},  {0x02B, u"\\", 0xDC, 0x31}, {0x027, u";", 0xBA, 0x33},
    {0x028, u"'", 0xDE, 0x34},  {0x029, u"`", 0xC0, 0x35},  {0x033, u",", 0xBC, 0x36},
    {0x034, u".", 0xBE, 0x37},  {0x035, u"/", 0xBF, 0x38},                           // 41-51
    {0x03B, u"F1", 0x70, 0x3A}, {0x03C, u"F2", 0x71, 0x3B}, {0x03D, u"F3", 0x72, 0x3C},
    {0x03E, u"F4", 0x73, 0x3D}, {0x03F, u"F5", 0x74, 0x3E}, {0x040, u"F6", 0x75, 0x3F},
    {0x041, u"F7", 0x76, 0x40}, {0x042, u"F8", 0x77, 0x41}, {0x043, u"F9", 0x78, 0x42},
    {0x044, u"F10", 0x79, 0x43}, {0x057, u"F11", 0x7A, 0x44}, {0x058, u"F12", 0x7B, 0x45},  // 52-63
    {0x137, u"Print Screen", 0x2C, 0x46},  // 64
    {0x045, u"Pause", 0x13, 0x48},         // 65
    {0x146, u"Break", 0x03, 0x48},         // 66
    {0x152, u"Insert", 0x2D, 0x49},        // 67
    {0x153, u"Delete", 0x2E, 0x4C},        // 68
    {0x147, u"Home", 0x24, 0x4A},          // 69
    {0x14F, u"End", 0x23, 0x4D},           // 70
    {0x149, u"Page Up", 0x21, 0x4B},       // 71
    {0x151, u"Page Down", 0x22, 0x4E},     // 72
    {0x148, u"↑", 0x26, 0x52},             // 73
    {0x150, u"↓", 0x28, 0x51},             // 74
    {0x14B, u"←", 0x25, 0x50},             // 75
    {0x14D, u"→", 0x27, 0x4F},             // 76
    {0x046, u"Scroll Lock", 0x91, 0x47},   // 77
    {0x03A, u"Caps Lock", 0x14, 0x39},     // 78
    {0x145, u"Num Lock", 0x90, 0x53},      // 79
    {0x135, u"Num /", 0x6F, 0x54},         // 80
    {0x037, u"Num *", 0x6A, 0x55},         // 81
    {0x04A, u"Num -", 0x6D, 0x56},         // 82
    {0x04E, u"Num +", 0x6B, 0x57},         // 83
    {0x11C, u"Num Enter", 0x0D, 0x58},     // 84
    {0x04F, u"Num 1", 0x61, 0x59},         // 85
    {0x050, u"Num 2", 0x62, 0x5A},         // 86
    {0x051, u"Num 3", 0x63, 0x5B},         // 87
    {0x04B, u"Num 4", 0x64, 0x5C},         // 88
    {0x04C, u"Num 5", 0x65, 0x5D},         // 89
    {0x04D, u"Num 6", 0x66, 0x5E},         // 90
    {0x047, u"Num 7", 0x67, 0x5F},         // 91
    {0x048, u"Num 8", 0x68, 0x60},         // 92
    {0x049, u"Num 9", 0x69, 0x61},         // 93
    {0x052, u"Num 0", 0x60, 0x62},         // 94
    {0x053, u"Num .", 0x6E, 0x63},         // 95
    {0x056, u"K45", 0xE2, 0x64},           // 96
    {0x15D, u"App", 0x5D, 0x65},           // 97
    {0x01D, u"Ctrl", 0xA2, 0xE0},          // 98
    {0x02A, u"Shift", 0xA0, 0xE1},         // 99
    {0x038, u"Alt", 0xA4, 0xE2},           // 100
    {0x15B, u"Win", 0x5B, 0xE3},           // 101
    {0x11D, u"Right Ctrl", 0xA3, 0xE4},    // 102
    {0x036, u"Right Shift", 0xA1, 0xE5},   // 103
    {0x138, u"Right Alt", 0xA5, 0xE6},     // 104
    {0x15C, u"Right Win", 0x5C, 0xE7},     // 105
};

// Right Shift also answers as an E0-prefixed key; both rows are KeyNumber 103.
constexpr ListKey kRightShiftTwin = {0x136, u"Right Shift", 0xA1, 0xE5};
constexpr uint16_t kRightShiftNumber = 103;

// What a numpad key produces with Num Lock off.
struct NumLockOffVk {
  uint8_t index;
  uint8_t vk;
};

constexpr NumLockOffVk kNumLockOffVks[] = {
    {0x47, 0x24}, {0x48, 0x26}, {0x49, 0x21}, {0x4B, 0x25}, {0x4C, 0x0C}, {0x4D, 0x27},
    {0x4F, 0x23}, {0x50, 0x28}, {0x51, 0x22}, {0x52, 0x2D}, {0x53, 0x2E},
};

// Keys the editors do not list: their identifier, VK (0xFF: none) and the
// keyboard's own code (0: none).
struct OtherKey {
  uint8_t index;
  std::u16string_view name;
  uint16_t number;
  uint8_t vk;
  uint8_t device_code;
};

constexpr OtherKey kOtherKeys[] = {
    {0x54, u"Sys Req", 0x8015, 0x2C, 0},
    {0x64, u"F13", 0x8030, 0x7C, 0},
    {0x70, u"ROMA (133)", 0x801B, 0xFF, 0x88},
    {0x71, u"KL", 0x801C, 0xE9, 0x91},
    {0x72, u"KR", 0x801D, 0xFF, 0x90},
    {0x73, u"K56", 0x8017, 0xC1, 0x87},
    {0x79, u"CHG (132)", 0x801A, 0xFF, 0x8A},
    {0x7B, u"N-CHG (131)", 0x8019, 0xEB, 0x8B},
    {0x7D, u"K14", 0x8016, 0xFF, 0x89},
    {0x7E, u"K107", 0x8018, 0xC2, 0x85},
    {0xDE, u"Power", 0x8001, 0xFF, 0x81},
    {0xDF, u"Sleep", 0x8002, 0x5F, 0x82},
    {0xE3, u"Wake", 0x8003, 0xFF, 0x83},
    {0xEE, u"Pan Left", 0x8008, 0x88, 0},
    {0xEF, u"Pan Right", 0x8009, 0x89, 0},
    {0xF0, u"Double Click", 0x8007, 0x8A, 0},
    {0xF1, u"Left Button", 0x8004, 0x01, 0},
    {0xF2, u"Right Button", 0x8005, 0x02, 0},
    {0xF3, u"Middle Button", 0x8006, 0x04, 0},
    {0xF4, u"Zoom-", 0x800A, 0x8B, 0xD2},
    {0xF5, u"Zoom+", 0x800B, 0x8C, 0xD3},
    {0xF6, u"Copy", 0x800C, 0x97, 0},
    {0xF7, u"Cut", 0x800D, 0x98, 0},
    {0xF8, u"Paste", 0x800E, 0x99, 0},
    {0xF9, u"Minimize", 0x800F, 0x9A, 0},
    {0xFA, u"Maximize", 0x8010, 0x9B, 0},
    {0xFB, u"Word", 0x8011, 0x9C, 0xD4},
    {0xFC, u"Excel", 0x8012, 0x9D, 0xD5},
    {0xFD, u"PowerPoint", 0x8013, 0x9E, 0},
    {0xFE, u"Calendar", 0x8014, 0x9F, 0},
};

// The multimedia functions in media-index order. Their catalog rows carry no
// name of their own: the name comes from the language table.
constexpr MediaRow kMedia[kMediaCount] = {
    // name key                          code   number  vk    device consumer
    {LangKey::MEDIA_PALYER_1,           0x16D, 0x8021, 0xB5, 0xC2, 0x0183},
    {LangKey::MEDIA_PALY_PAUSE_2,       0x122, 0x8022, 0xB3, 0xCE, 0x00CD},
    {LangKey::MEDIA_STOP_PALY_3,        0x124, 0x8023, 0xB2, 0xCF, 0x00B7},
    {LangKey::MEDIA_PREV_TRACK_4,       0x110, 0x8024, 0xB1, 0xD0, 0x00B6},
    {LangKey::MEDIA_Next_TRACK_5,       0x119, 0x8025, 0xB0, 0xD1, 0x00B5},
    {LangKey::MEDIA_V_LOW_6,            0x12E, 0x8027, 0xAE, 0xC1, 0x00EA},
    {LangKey::MEDIA_V_ADD_7,            0x130, 0x8026, 0xAF, 0xC0, 0x00E9},
    {LangKey::MEDIA_MUTE_8,             0x120, 0x8028, 0xAD, 0xCD, 0x00E2},
    {LangKey::MEDIA_WWW_HOME_9,         0x132, 0x8029, 0xAC, 0xC7, 0x0223},
    {LangKey::MEDIA_WWW_REFRESH_10,     0x167, 0x802A, 0xA8, 0xCB, 0x0227},
    {LangKey::MEDIA_WWW_STOP_11,        0x168, 0x802B, 0xA9, 0xCA, 0x0226},
    {LangKey::MEDIA_WWW_BACK_12,        0x16A, 0x802C, 0xA6, 0xC8, 0x0224},
    {LangKey::MEDIA_WWW_FORWARD_13,     0x169, 0x802D, 0xA7, 0xC9, 0x0225},
    {LangKey::MEDIA_WWW_FAVORITE_14,    0x166, 0x802E, 0xAB, 0xCC, 0x022A},
    {LangKey::MEDIA_WWW_SEARCH_15,      0x165, 0x802F, 0xAA, 0xC6, 0x0221},
    {LangKey::MEDIA_MY_PC_16,           0x16B, 0x801E, 0xB6, 0xC5, 0x0194},
    {LangKey::MEDIA_CALC_17,            0x121, 0x801F, 0xB7, 0xC4, 0x0192},
    {LangKey::MEDIA_MAIL_18,            0x16C, 0x8020, 0xB4, 0xC3, 0x018A},
};

constexpr KeyCatalogRow kEmptyRow = {u"", 0xFFFF, 0, 0, 0};

constexpr std::array<KeyCatalogRow, kCatalogRows> BuildCatalog() {
  std::array<KeyCatalogRow, kCatalogRows> rows{};
  rows.fill(kEmptyRow);
  // A second row on one index is a mistake in the tables above; it stops the
  // build (a throw is not allowed in a constant expression).
  auto put = [&rows](int index, const KeyCatalogRow& row) {
    if (rows[index].key_number != 0xFFFF) throw "two catalog rows share an index";
    rows[index] = row;
  };
  auto put_list_key = [&put](const ListKey& k, uint16_t number) {
    put(key_tables::IndexOfCode(k.code), {k.name, number, k.vk, k.vk, k.usage});
  };
  for (int n = 0; n < kKeyListSize; ++n) put_list_key(kKeyList[n], static_cast<uint16_t>(n));
  put_list_key(kRightShiftTwin, kRightShiftNumber);
  for (const OtherKey& k : kOtherKeys) put(k.index, {k.name, k.number, k.vk, k.vk, k.device_code});
  for (const MediaRow& m : kMedia) {
    put(key_tables::IndexOfCode(m.code), {u"", m.key_number, m.vk, m.vk, m.device_code});
  }
  for (const NumLockOffVk& a : kNumLockOffVks) rows[a.index].alternate_vk = a.vk;
  return rows;
}

constexpr std::array<KeyCatalogRow, kCatalogRows> kCatalog = BuildCatalog();

// Where the virtual-key map is not simply the catalog's VK column read
// backwards: generic modifier codes, keys two rows share, the mouse and office
// codes the hooks must not take, and four codes kept on the rows of the
// keyboard's own codes for them (0xD4 and 0xD5 are empty rows).
struct VkOverride {
  uint8_t vk;
  uint8_t index;
};

constexpr VkOverride kVkOverrides[] = {
    {0x10, 0x2A}, {0x11, 0x1D}, {0x12, 0x38}, {0x0D, 0x1C}, {0x2C, 0xB7}, {0xA1, 0x36},
    {0x01, 0}, {0x02, 0}, {0x04, 0}, {0x88, 0}, {0x89, 0}, {0x8A, 0}, {0x97, 0}, {0x98, 0},
    {0x99, 0}, {0x9A, 0}, {0x9B, 0}, {0x9E, 0}, {0x9F, 0}, {0xFF, 0},
    {0x8B, 0xD2}, {0x8C, 0xD3}, {0x9C, 0xD4}, {0x9D, 0xD5},
};

constexpr std::array<uint8_t, 256> BuildVkMap() {
  std::array<uint8_t, 256> map{};
  // Walking downwards leaves the first row of a shared VK in place.
  for (int i = kCatalogRows - 1; i >= 0; --i) map[kCatalog[i].vk] = static_cast<uint8_t>(i);
  for (const VkOverride& o : kVkOverrides) map[o.vk] = o.index;
  return map;
}

constexpr std::array<uint8_t, 256> kVkMap = BuildVkMap();

// Consumer usages of the keyboard's own codes 0xC0-0xDF.
constexpr uint16_t kConsumerCodes[32] = {
    0x00E9, 0x00EA, 0x0183, 0x018A, 0x0192, 0x0194, 0x0221, 0x0223,
    0x0224, 0x0225, 0x0226, 0x0227, 0x022A, 0x00E2, 0x00CD, 0x00B7,
    0x00B6, 0x00B5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

// The main window's key buttons: control, key, lighting position.
constexpr PanelKey kPanelKeys[kPanelKeyCount] = {
    {1058, 0x01E, 64},    // A
    {1075, 0x030, 90},    // B
    {1073, 0x02E, 88},    // C
    {1060, 0x020, 66},    // D
    {1046, 0x012, 45},    // E
    {1061, 0x021, 67},    // F
    {1062, 0x022, 68},    // G
    {1063, 0x023, 69},    // H
    {1051, 0x017, 50},    // I
    {1064, 0x024, 70},    // J
    {1065, 0x025, 71},    // K
    {1066, 0x026, 72},    // L
    {1077, 0x032, 92},    // M
    {1076, 0x031, 91},    // N
    {1052, 0x018, 51},    // O
    {1053, 0x019, 52},    // P
    {1044, 0x010, 43},    // Q
    {1047, 0x013, 46},    // R
    {1059, 0x01F, 65},    // S
    {1048, 0x014, 47},    // T
    {1050, 0x016, 49},    // U
    {1074, 0x02F, 89},    // V
    {1045, 0x011, 44},    // W
    {1072, 0x02D, 87},    // X
    {1049, 0x015, 48},    // Y
    {1071, 0x02C, 86},    // Z
    {1030, 0x002, 22},    // 1
    {1031, 0x003, 23},    // 2
    {1032, 0x004, 24},    // 3
    {1033, 0x005, 25},    // 4
    {1034, 0x006, 26},    // 5
    {1035, 0x007, 27},    // 6
    {1036, 0x008, 28},    // 7
    {1037, 0x009, 29},    // 8
    {1038, 0x00A, 30},    // 9
    {1039, 0x00B, 31},    // 0
    {1070, 0x01C, 76},    // Enter
    {1022, 0x001, 0},     // Esc
    {1043, 0x00E, 34},    // Backspace
    {1056, 0x00F, 42},    // Tab
    {1090, 0x039, 108},   // Space
    {1040, 0x00C, 32},    // -
    {1041, 0x00D, 33},    // =
    {1054, 0x01A, 53},    // [
    {1055, 0x01B, 54},    // ]
    {1042, 0x02B, 55},    // backslash
    {1067, 0x027, 73},    // ;
    {1068, 0x028, 74},    // '
    {1029, 0x029, 21},    // `
    {1078, 0x033, 93},    // ,
    {1079, 0x034, 94},    // .
    {1080, 0x035, 95},    // /
    {1010, 0x03B, 1},     // F1
    {1011, 0x03C, 2},     // F2
    {1012, 0x03D, 3},     // F3
    {1013, 0x03E, 4},     // F4
    {1014, 0x03F, 5},     // F5
    {1015, 0x040, 6},     // F6
    {1023, 0x041, 7},     // F7
    {1024, 0x042, 8},     // F8
    {1025, 0x043, 9},     // F9
    {1026, 0x044, 10},    // F10
    {1027, 0x057, 11},    // F11
    {1028, 0x058, 12},    // F12
    {1091, 0x137, 14},    // Print Screen
    {1093, 0x045, 16},    // Pause
    {1094, 0x152, 35},    // Insert
    {1097, 0x153, 56},    // Delete
    {1095, 0x147, 36},    // Home
    {1098, 0x14F, 57},    // End
    {1096, 0x149, 37},    // Page Up
    {1099, 0x151, 58},    // Page Down
    {1103, 0x148, 99},    // ↑
    {1101, 0x150, 120},   // ↓
    {1100, 0x14B, 119},   // ←
    {1102, 0x14D, 121},   // →
    {1092, 0x046, 15},    // Scroll Lock
    {1069, 0x03A, 63},    // Caps Lock
    {1088, 0x15D, 111},   // App
    {1083, 0x01D, 105},   // Ctrl
    {1089, 0x11D, 113},   // Right Ctrl
    {1082, 0x02A, 84},    // Shift
    {1081, 0x036, 97},    // Right Shift
    {1085, 0x038, 107},   // Alt
    {1086, 0x138, 109},   // Right Alt
    {1084, 0x15B, 106},   // Win
    {1087, 0x15C, 112},   // Right Win
    {1115, 0x04F, 101},   // Num 1
    {1116, 0x050, 102},   // Num 2
    {1117, 0x051, 103},   // Num 3
    {1112, 0x04B, 80},    // Num 4
    {1113, 0x04C, 81},    // Num 5
    {1114, 0x04D, 82},    // Num 6
    {1108, 0x047, 59},    // Num 7
    {1109, 0x048, 60},    // Num 8
    {1110, 0x049, 61},    // Num 9
    {1120, 0x052, 123},   // Num 0
    {1104, 0x145, 38},    // Num Lock
    {1118, 0x11C, 104},   // Num Enter
    {1119, 0x053, 124},   // Num .
    {1105, 0x135, 39},    // Num /
    {1106, 0x037, 40},    // Num *
    {1107, 0x04A, 41},    // Num -
    {1111, 0x04E, 62},    // Num +
};

constexpr KeyCode kModifierKeys[8] = {0x01D, 0x02A, 0x038, 0x15B, 0x11D, 0x036, 0x138, 0x15C};

constexpr int kGKeyControls[kGKeyCount] = {1000, 1001, 1002, 1003, 1004, 1140, 1141, 1142, 1143};

}  // namespace

const KeyCatalogRow& CatalogRow(int index) {
  return index >= 0 && index < kCatalogRows ? kCatalog[index] : kEmptyRow;
}

uint8_t VkMapEntry(uint8_t vk) { return kVkMap[vk]; }

std::span<const MediaRow> MediaTable() { return kMedia; }
std::span<const uint16_t> ConsumerCodeTable() { return kConsumerCodes; }
std::span<const PanelKey> PanelKeyTable() { return kPanelKeys; }

namespace key_tables {
std::span<const KeyCode> ModifierKeys() { return kModifierKeys; }
std::span<const int> GKeyControls() { return kGKeyControls; }
}  // namespace key_tables

}  // namespace velkor
