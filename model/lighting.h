// The keyboard's lighting as the program keeps it: the effects and what each
// one uses, the list of effects the keyboard supports, the 42-byte lighting
// record of each hardware profile and its decoded copy, the per-key colour
// tables, the follows-base flags of the key buttons, and the files beside
// them: the user mode files "UserDengColor_<n>.userd" and "wskb.ini".
//
// Colours are 0x00BBGGRR in memory (red in the low byte) and R, G, B bytes on
// the wire and in the files.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "device/commands.h"
#include "model/key_codes.h"
#include "platform/ini_store.h"

namespace velkor {

using Colour = uint32_t;  // 0x00BBGGRR

constexpr Colour RgbColour(int red, int green, int blue) {
  return static_cast<Colour>(red & 0xFF) | static_cast<Colour>(green & 0xFF) << 8 |
         static_cast<Colour>(blue & 0xFF) << 16;
}
constexpr uint8_t RedOf(Colour c) { return static_cast<uint8_t>(c); }
constexpr uint8_t GreenOf(Colour c) { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t BlueOf(Colour c) { return static_cast<uint8_t>(c >> 16); }

inline constexpr Colour kRed = 0x000000FF;
inline constexpr Colour kWhite = 0x00FFFFFF;

// ---- Effects ---------------------------------------------------------------

inline constexpr int kUserDefinedEffect = 20;  // per-key colours of the current user mode
inline constexpr int kEffectSlots = 32;        // supported-effect bytes of the configuration block

enum class DirectionKind { kNone, kLeftRight, kUpDown, kSpreadGather };

// The parameters an effect uses; they are the controls the lighting panel shows for it.
struct EffectTraits {
  bool brightness = false;
  bool speed = false;
  DirectionKind direction = DirectionKind::kNone;
  bool colour = false;
  bool multicolour = false;
  bool four_colour = false;  // effect 17
  bool key_colours = false;  // effect 20
};

// The traits of effects 1..18 and 20; an unknown effect uses nothing.
EffectTraits TraitsOfEffect(int effect);
// Whether selecting the effect writes the multicolour flag beside the effect number.
bool SelectionWritesMulticolour(int effect);

// The effects in the order the keyboard lists them: list index -> effect number.
class EffectList {
 public:
  EffectList() = default;
  // From the 32 supported-effect bytes (0 = empty slot, skipped).
  static EffectList FromSupportedBytes(const uint8_t* bytes32);
  static EffectList FromConfigBlock(const ConfigBlock& block) {
    return FromSupportedBytes(block.data() + kConfigEffectsOffset);
  }

  int size() const { return static_cast<int>(effects_.size()); }
  bool empty() const { return effects_.empty(); }
  // The effect at a list index, or -1 outside the list.
  int EffectAt(int index) const;
  // The first list index holding the effect, or -1.
  int IndexOf(int effect) const;
  bool Contains(int effect) const { return IndexOf(effect) >= 0; }
  const std::vector<int>& effects() const { return effects_; }

 private:
  std::vector<int> effects_;
};

// The effect's display name from the skin layout file: section "Mode" for
// language 0, "Mode1" for language 1, key = the effect number in decimal;
// empty when missing. Any other language reads "Mode".
std::u16string EffectName(IniStore& ini, const std::u16string& skin_file, int language, int effect);
std::vector<std::u16string> EffectNames(IniStore& ini, const std::u16string& skin_file,
                                        int language, const EffectList& list);

// ---- The lighting record -----------------------------------------------------

inline constexpr int kOffsetEffect = 0;
inline constexpr int kOffsetBrightness = 1;
inline constexpr int kOffsetSpeed = 2;
inline constexpr int kOffsetDirection = 3;
inline constexpr int kOffsetMulticolour = 4;
inline constexpr int kOffsetColour = 5;  // R, G, B
inline constexpr int kOffsetReportRate = 15;
inline constexpr int kOffsetFourColour = 17;
inline constexpr int kOffsetTrigger = 19;
inline constexpr int kOffsetStoneColour = 25;
inline constexpr int kOffsetStoneMulticolour = 28;
inline constexpr int kOffsetRibbonColour = 30;
inline constexpr int kOffsetRibbonMulticolour = 33;

inline constexpr uint8_t kDirectionFirst = 0xFF;   // left, up (12), spread (18)
inline constexpr uint8_t kDirectionSecond = 0x00;  // right, down (12), gather (18)

inline constexpr size_t kDefaultRecordSize = 35;
// The record restore-defaults writes: effect 1, brightness 4, speed 1, red,
// report rate 0xFF (taken as 3), stone and ribbon white.
extern const std::array<uint8_t, kDefaultRecordSize> kDefaultLightingRecord;

// One profile's record in the keyboard's lighting area, at profile x 42.
struct LightingMode {
  std::array<uint8_t, kLightingRecordSize> bytes{};

  uint8_t effect() const { return bytes[kOffsetEffect]; }
  uint8_t brightness() const { return bytes[kOffsetBrightness]; }
  uint8_t speed() const { return bytes[kOffsetSpeed]; }
  uint8_t direction() const { return bytes[kOffsetDirection]; }
  bool multicolour() const { return bytes[kOffsetMulticolour] != 0; }
  Colour colour() const { return ColourAt(kOffsetColour); }
  int report_rate() const { return bytes[kOffsetReportRate] > 3 ? 3 : bytes[kOffsetReportRate]; }
  uint8_t four_colour() const { return bytes[kOffsetFourColour]; }
  uint8_t trigger() const { return bytes[kOffsetTrigger]; }
  Colour stone_colour() const { return ColourAt(kOffsetStoneColour); }
  bool stone_multicolour() const { return bytes[kOffsetStoneMulticolour] != 0; }
  Colour ribbon_colour() const { return ColourAt(kOffsetRibbonColour); }
  bool ribbon_multicolour() const { return bytes[kOffsetRibbonMulticolour] != 0; }

  Colour ColourAt(int offset) const {
    return RgbColour(bytes[static_cast<size_t>(offset)], bytes[static_cast<size_t>(offset) + 1],
                     bytes[static_cast<size_t>(offset) + 2]);
  }
};

// The program's decoded lighting values for the current profile.
struct LightingState {
  int profile = 0;  // the profile every write addresses, 0..2
  int effect = 0;
  int brightness = 0;
  int speed = 0;  // the device value; the slider shows 4 - speed
  uint8_t direction = kDirectionSecond;
  Colour colour = 0;  // shared by every effect with a colour
  bool multicolour = false;
  int four_colour = 0;
  bool trigger_single = true;  // exactly one of the two is set
  bool trigger_grid = false;
  Colour stone_colour = 0;
  bool stone_multicolour = false;
  Colour ribbon_colour = 0;
  bool ribbon_multicolour = false;
  int report_rate = 0;
  bool panel_switch = false;

  std::array<LightingMode, kProfiles> records{};  // as last read
  std::array<uint8_t, kEffectSlots> supported{};  // bytes 12..43 of the configuration block
  EffectList effects;

  // The current user mode of the current profile.
  int user_mode = 0;
  int tool = 0;  // 0 paint, 1 base
  Colour paint_colour = 0;
  Colour base_colour = 0;

  // Takes the values of a record, the way a load does.
  void Decode(const LightingMode& record);
};

// ---- Per-key colours and the follows-base flags ----------------------------

// Three blocks of 512 bytes, one per profile; the key at light position p has
// bytes p x 3 .. p x 3 + 2 (red, green, blue). Fn is 110; the G keys share 125.
class KeyColourTable {
 public:
  static constexpr int kPositions = static_cast<int>(kColourTableSize / 3);  // 0..169

  // Black for a profile or position outside the table.
  Colour At(int profile, int position) const;
  // Does nothing outside the table.
  void Set(int profile, int position, Colour colour);
  const uint8_t* Block(int profile) const {
    return blocks_[static_cast<size_t>(Clamp(profile))].data();
  }

 private:
  static int Clamp(int profile) {
    return profile < 0 ? 0 : profile >= kProfiles ? kProfiles - 1 : profile;
  }
  std::array<std::array<uint8_t, kColourTableSize>, kProfiles> blocks_{};
};

// A key button that takes part in lighting: the 104 panel keys, G1..G9, Fn.
struct LitKey {
  int control;
  int position;
};
inline constexpr int kLitKeyCount = kPanelKeyCount + kGKeyCount + 1;
// Panel keys in PanelKeyTable order, then G1..G9, then Fn.
const std::array<LitKey, kLitKeyCount>& LitKeys();
// The index into LitKeys of a control, or -1.
int LitKeyIndex(int control);

// One follows-base flag per lit key button and profile; all start at 0.
class FollowsBaseFlags {
 public:
  bool Get(int control, int profile) const;
  // Does nothing for a control without light or a profile outside 0..2.
  void Set(int control, int profile, bool follows);

 private:
  std::array<std::array<bool, kLitKeyCount>, kProfiles> flags_{};
};

// ---- Files ----------------------------------------------------------------------

inline constexpr int kUserModes = 10;
inline constexpr int kSeedFiles = 4;  // files 0..2 for the profiles, 3 the pristine copy

// Where the lighting files live: the per-user folder (documents\QN582) and
// the template "Skins\UserDengColor_3.userd" beside the program.
struct LightingFiles {
  std::u16string user_folder;
  std::u16string template_file;

  // "UserDengColor_<n>.userd" in the per-user folder.
  std::u16string UserModeFilePath(int n) const;
  // "wskb.ini" in the per-user folder.
  std::u16string SettingsPath() const;
};

// The lighting files of a user: the per-user folder in the documents folder
// and the template beside the program ("...\\Skins\\UserDengColor_" + "3.userd").
LightingFiles LightingFilesFor(const std::u16string& documents, const std::u16string& skin_colour_prefix);

struct UserModeKey {
  Colour colour = kRed;
  bool follows_base = true;
};

struct UserModeSettings {
  int tool = 0;
  Colour base_colour = 0;   // "jcolor"
  Colour paint_colour = 0;  // "color"
};

// One profile's user mode file. Reads never fail: a missing file, key or a
// value that doesn't parse gives the default.
class UserModeFile {
 public:
  UserModeFile(IniStore& ini, std::u16string path) : ini_(ini), path_(std::move(path)) {}

  // "PRESENTMODE"/"mode"; a value outside 0..9 is taken as 0.
  int CurrentMode() const;
  bool SetCurrentMode(int mode);
  // "MODENAME"/<mode>, default "0".
  std::u16string Name(int mode) const;
  // At most 259 characters; line breaks become blanks.
  bool SetName(int mode, std::u16string_view name);
  UserModeSettings Settings(int mode) const;
  // Writes "tool", "jcolor" and "color".
  bool WriteSettings(int mode, const UserModeSettings& settings);
  // The entry keyed by a light position, default "255,0,0,1".
  UserModeKey Key(int mode, int position) const;
  bool WriteKey(int mode, int position, const UserModeKey& key);

  const std::u16string& path() const { return path_; }

 private:
  IniStore& ini_;
  std::u16string path_;
};

// "R,G,B" and "R,G,B,F" as the files hold them.
std::u16string ColourText(Colour colour);
std::u16string KeyEntryText(const UserModeKey& key);

// "KEYCOLOR"/"DengCheck" of wskb.ini: on only for the value 1.
bool ReadPanelSwitch(IniStore& ini, const LightingFiles& files);
bool WritePanelSwitch(IniStore& ini, const LightingFiles& files, bool on);

// Copies the template byte for byte onto user mode files 0..3, once: does
// nothing when "usermodeCheck" is already 1, and sets it afterwards. A
// template that can't be read leaves the four files empty (they read as the
// defaults). Callable from the per-user folder's on_created hook.
void SeedUserModeFiles(IniStore& ini, const LightingFiles& files);

// Copies one file onto another byte for byte; false when the source can't be
// read (the target is then left as it was) or the target can't be written.
bool CopyFileBytes(const std::u16string& from, const std::u16string& to);

}  // namespace velkor
