#include "model/lighting.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>

#include "platform/atomic_file.h"
#include "platform/text.h"

namespace velkor {

namespace fs = std::filesystem;

const std::array<uint8_t, kDefaultRecordSize> kDefaultLightingRecord = {
    0x01, 0x04, 0x01, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x08, 0xFF, 0xFF, 0xFF,
    0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00,
    0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
};

// ---- Effects ---------------------------------------------------------------

namespace {
bool OneOf(int value, std::initializer_list<int> list) {
  return std::find(list.begin(), list.end(), value) != list.end();
}
}  // namespace

EffectTraits TraitsOfEffect(int effect) {
  EffectTraits t;
  const auto is = [effect](std::initializer_list<int> list) { return OneOf(effect, list); };
  if (!is({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20})) return t;
  t.brightness = true;
  t.speed = effect >= 2 && effect <= 15;
  if (is({3, 5, 6})) t.direction = DirectionKind::kLeftRight;
  if (effect == 12) t.direction = DirectionKind::kUpDown;
  if (effect == 18) t.direction = DirectionKind::kSpreadGather;
  t.colour = is({1, 2, 3, 5, 6, 7, 8, 9, 10, 13, 14, 15, 16});
  t.multicolour = is({3, 5, 6, 7, 8, 9, 10, 13, 14, 15, 16});
  t.four_colour = effect == 17;
  t.key_colours = effect == kUserDefinedEffect;
  return t;
}

bool SelectionWritesMulticolour(int effect) {
  return OneOf(effect, {2, 3, 5, 6, 7, 8, 9, 13, 14, 15});
}

EffectList EffectList::FromSupportedBytes(const uint8_t* bytes32) {
  EffectList list;
  for (int i = 0; i < kEffectSlots; ++i) {
    if (bytes32[i] != 0) list.effects_.push_back(bytes32[i]);
  }
  return list;
}

int EffectList::EffectAt(int index) const {
  return index >= 0 && index < size() ? effects_[static_cast<size_t>(index)] : -1;
}

int EffectList::IndexOf(int effect) const {
  const auto it = std::find(effects_.begin(), effects_.end(), effect);
  return it == effects_.end() ? -1 : static_cast<int>(it - effects_.begin());
}

std::u16string EffectName(IniStore& ini, const std::u16string& skin_file, int language,
                          int effect) {
  return ini.ReadString(skin_file, language == 1 ? u"Mode1" : u"Mode", DecimalText(effect), u"");
}

std::vector<std::u16string> EffectNames(IniStore& ini, const std::u16string& skin_file,
                                        int language, const EffectList& list) {
  std::vector<std::u16string> names;
  for (int effect : list.effects()) names.push_back(EffectName(ini, skin_file, language, effect));
  return names;
}

// ---- Records and state -----------------------------------------------------------

void LightingState::Decode(const LightingMode& record) {
  effect = record.effect();
  brightness = record.brightness();
  speed = record.speed();
  direction = record.direction();
  colour = record.colour();
  report_rate = record.report_rate();
  four_colour = record.four_colour();
  multicolour = record.multicolour();
  if (record.trigger() == 0 || record.trigger() == 1) {
    trigger_single = record.trigger() == 0;
    trigger_grid = record.trigger() == 1;
  }
  stone_colour = record.stone_colour();
  stone_multicolour = record.stone_multicolour();
  ribbon_colour = record.ribbon_colour();
  ribbon_multicolour = record.ribbon_multicolour();
}

// ---- Key colours and flags -------------------------------------------------------

Colour KeyColourTable::At(int profile, int position) const {
  if (profile < 0 || profile >= kProfiles || position < 0 || position >= kPositions) return 0;
  const auto& b = blocks_[static_cast<size_t>(profile)];
  const size_t i = static_cast<size_t>(position) * 3;
  return RgbColour(b[i], b[i + 1], b[i + 2]);
}

void KeyColourTable::Set(int profile, int position, Colour colour) {
  if (profile < 0 || profile >= kProfiles || position < 0 || position >= kPositions) return;
  auto& b = blocks_[static_cast<size_t>(profile)];
  const size_t i = static_cast<size_t>(position) * 3;
  b[i] = RedOf(colour);
  b[i + 1] = GreenOf(colour);
  b[i + 2] = BlueOf(colour);
}

const std::array<LitKey, kLitKeyCount>& LitKeys() {
  static const std::array<LitKey, kLitKeyCount> keys = [] {
    std::array<LitKey, kLitKeyCount> k{};
    size_t i = 0;
    for (const PanelKey& key : PanelKeyTable()) k[i++] = {key.control, key.light_position};
    for (int n = 1; n <= kGKeyCount; ++n) k[i++] = {GKeyControl(n), kNoLight};
    k[i] = {kFnControl, kFnLight};
    return k;
  }();
  return keys;
}

int LitKeyIndex(int control) {
  const auto& keys = LitKeys();
  for (size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].control == control) return static_cast<int>(i);
  }
  return -1;
}

bool FollowsBaseFlags::Get(int control, int profile) const {
  const int i = LitKeyIndex(control);
  if (i < 0 || profile < 0 || profile >= kProfiles) return false;
  return flags_[static_cast<size_t>(profile)][static_cast<size_t>(i)];
}

void FollowsBaseFlags::Set(int control, int profile, bool follows) {
  const int i = LitKeyIndex(control);
  if (i < 0 || profile < 0 || profile >= kProfiles) return;
  flags_[static_cast<size_t>(profile)][static_cast<size_t>(i)] = follows;
}

// ---- Files -----------------------------------------------------------------------

namespace {

// The separator the folder itself uses (a host test's folder has '/').
std::u16string Join(const std::u16string& folder, std::u16string_view name) {
  const bool slash =
      folder.find(u'/') != std::u16string::npos && folder.find(u'\\') == std::u16string::npos;
  std::u16string path = folder;
  if (!path.empty() && path.back() != u'\\' && path.back() != u'/') path += slash ? u'/' : u'\\';
  path += name;
  return path;
}

constexpr std::u16string_view kPresentSection = u"PRESENTMODE";
constexpr std::u16string_view kNameSection = u"MODENAME";
constexpr std::u16string_view kSettingsSection = u"KEYCOLOR";

std::u16string ModeSection(int mode) { return u"Mode" + DecimalText(mode); }

// Reads "n1,n2,...": count decimal numbers (blanks around them and an optional
// sign allowed), separated by commas; text after the last one is ignored.
// Nothing when a number is missing.
template <size_t N>
std::optional<std::array<long, N>> ParseNumbers(std::u16string_view text) {
  std::array<long, N> values{};
  size_t i = 0;
  for (size_t n = 0; n < N; ++n) {
    if (n > 0) {
      while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
      if (i >= text.size() || text[i] != u',') return std::nullopt;
      ++i;
    }
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    if (i >= text.size() || text[i] < u'0' || text[i] > u'9') return std::nullopt;
    long v = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
      v = std::min<long>(v * 10 + (text[i] - u'0'), INT_MAX);
    }
    values[n] = negative ? -v : v;
  }
  return values;
}

int ColourComponent(long value) { return static_cast<int>(std::clamp<long>(value, 0, 255)); }

Colour ParseColour(std::u16string_view text, Colour fallback) {
  const auto v = ParseNumbers<3>(text);
  if (!v) return fallback;
  return RgbColour(ColourComponent((*v)[0]), ColourComponent((*v)[1]), ColourComponent((*v)[2]));
}

bool ValidMode(int mode) { return mode >= 0 && mode < kUserModes; }

}  // namespace

std::u16string LightingFiles::UserModeFilePath(int n) const {
  return Join(user_folder, u"UserDengColor_" + DecimalText(n) + u".userd");
}

std::u16string LightingFiles::SettingsPath() const { return Join(user_folder, u"wskb.ini"); }

std::u16string ColourText(Colour c) {
  return DecimalText(RedOf(c)) + u',' + DecimalText(GreenOf(c)) + u',' + DecimalText(BlueOf(c));
}

std::u16string KeyEntryText(const UserModeKey& key) {
  return ColourText(key.colour) + u',' + (key.follows_base ? u"1" : u"0");
}

int UserModeFile::CurrentMode() const {
  const int mode = ParseLeadingInt(ini_.ReadString(path_, kPresentSection, u"mode", u"0"));
  return ValidMode(mode) ? mode : 0;
}

bool UserModeFile::SetCurrentMode(int mode) {
  if (!ValidMode(mode)) return false;
  return ini_.WriteString(path_, kPresentSection, u"mode", DecimalText(mode));
}

std::u16string UserModeFile::Name(int mode) const {
  return ini_.ReadString(path_, kNameSection, DecimalText(mode), u"0");
}

bool UserModeFile::SetName(int mode, std::u16string_view name) {
  if (!ValidMode(mode)) return false;
  std::u16string text(name.substr(0, kTextCapacity - 1));
  // A line break would end the value and start lines of its own in the file.
  std::replace_if(
      text.begin(), text.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }, u' ');
  // The reader drops blanks around a value and one pair of enclosing quotes:
  // such a name keeps them inside quotes of its own.
  const bool blank_ends = !text.empty() && (text.front() == u' ' || text.front() == u'\t' ||
                                            text.back() == u' ' || text.back() == u'\t');
  const bool quoted = text.size() >= 2 && text.front() == text.back() &&
                      (text.front() == u'"' || text.front() == u'\'');
  if (blank_ends || quoted) text = u'"' + text + u'"';
  return ini_.WriteString(path_, kNameSection, DecimalText(mode), text);
}

UserModeSettings UserModeFile::Settings(int mode) const {
  const std::u16string section = ModeSection(mode);
  UserModeSettings s;
  s.tool = ParseLeadingInt(ini_.ReadString(path_, section, u"tool", u"0")) == 1 ? 1 : 0;
  s.base_colour = ParseColour(ini_.ReadString(path_, section, u"jcolor", u"0,0,0"), 0);
  s.paint_colour = ParseColour(ini_.ReadString(path_, section, u"color", u"0,0,0"), 0);
  return s;
}

bool UserModeFile::WriteSettings(int mode, const UserModeSettings& s) {
  if (!ValidMode(mode)) return false;
  const std::u16string section = ModeSection(mode);
  bool ok = ini_.WriteString(path_, section, u"tool", DecimalText(s.tool));
  ok = ini_.WriteString(path_, section, u"jcolor", ColourText(s.base_colour)) && ok;
  return ini_.WriteString(path_, section, u"color", ColourText(s.paint_colour)) && ok;
}

UserModeKey UserModeFile::Key(int mode, int position) const {
  const std::u16string text =
      ini_.ReadString(path_, ModeSection(mode), DecimalText(position), u"255,0,0,1");
  const auto v = ParseNumbers<4>(text);
  if (!v) return {};
  return {RgbColour(ColourComponent((*v)[0]), ColourComponent((*v)[1]), ColourComponent((*v)[2])),
          (*v)[3] != 0};
}

bool UserModeFile::WriteKey(int mode, int position, const UserModeKey& key) {
  if (!ValidMode(mode)) return false;
  return ini_.WriteString(path_, ModeSection(mode), DecimalText(position), KeyEntryText(key));
}

bool ReadPanelSwitch(IniStore& ini, const LightingFiles& files) {
  return ParseLeadingInt(
             ini.ReadString(files.SettingsPath(), kSettingsSection, u"DengCheck", u"0")) == 1;
}

bool WritePanelSwitch(IniStore& ini, const LightingFiles& files, bool on) {
  return ini.WriteString(files.SettingsPath(), kSettingsSection, u"DengCheck", on ? u"1" : u"0");
}

namespace {

std::optional<std::string> ReadAllBytes(const std::u16string& path) {
  std::ifstream in(fs::path(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

// Through a temporary file, so that a write that fails (a full disk) leaves
// the file as it was rather than cut short.
bool WriteAllBytes(const std::u16string& path, const std::string& bytes) {
  return WriteFileAtomically(path, bytes.data(), bytes.size());
}

// Only a file that plainly isn't there: one that exists but can't be read (or
// whose state can't be learnt) is not.
bool IsMissing(const std::u16string& path) {
  try {
    std::error_code ec;
    return fs::symlink_status(fs::path(path), ec).type() == fs::file_type::not_found;
  } catch (...) {
    return false;
  }
}

}  // namespace

bool CopyFileBytes(const std::u16string& from, const std::u16string& to) {
  const std::optional<std::string> bytes = ReadAllBytes(from);
  return bytes && WriteAllBytes(to, *bytes);
}

LightingFiles LightingFilesFor(const std::u16string& documents, const std::u16string& skin_colour_prefix) {
  LightingFiles files;
  files.user_folder = documents;
  if (!files.user_folder.empty() && files.user_folder.back() != u'\\' && files.user_folder.back() != u'/') {
    files.user_folder += u'\\';
  }
  files.user_folder += u"QN582";
  files.template_file = skin_colour_prefix + u"3.userd";
  return files;
}

void SeedUserModeFiles(IniStore& ini, const LightingFiles& files) {
  const std::u16string settings = files.SettingsPath();
  if (ParseLeadingInt(ini.ReadString(settings, kSettingsSection, u"usermodeCheck", u"0")) == 1)
    return;
  const std::optional<std::string> bytes = ReadAllBytes(files.template_file);
  for (int n = 0; n < kSeedFiles; ++n) {
    const std::u16string target = files.UserModeFilePath(n);
    if (bytes) {
      WriteAllBytes(target, *bytes);
    } else if (IsMissing(target)) {
      // No template: a missing file is made empty (it reads as defaults),
      // but a user's existing file is never wiped, even one that can't be
      // read just now.
      WriteAllBytes(target, std::string());
    }
  }
  ini.WriteString(settings, kSettingsSection, u"usermodeCheck", u"1");
}

}  // namespace velkor
