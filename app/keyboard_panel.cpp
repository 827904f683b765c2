#include "app/keyboard_panel.h"

#include "model/key_codes.h"
#include "resources/resource.h"

namespace velkor {

namespace {

// G n for a G-key control, 0 for any other control.
int GNumberOf(int control) {
  for (int n = 1; n <= kGKeyCount; ++n) {
    if (GKeyControl(n) == control) return n;
  }
  return 0;
}

const PanelKey* PanelKeyOf(int control) {
  for (const PanelKey& key : PanelKeyTable()) {
    if (key.control == control) return &key;
  }
  return nullptr;
}

}  // namespace

KeyClickAction DecideKeyClick(int control, int bank, bool lamp_on, bool painting) {
  KeyClickAction click;
  if (const int n = GNumberOf(control)) {
    click.action = KeyClick::kOpenEditor;
    click.slot = 0x100 + (n - 1) + (bank ? kGKeyCount : 0);
    click.macro_key = n == kGKeyCount;
    return click;
  }
  if (control == kFnControl) {
    if (lamp_on && painting) {
      click.action = KeyClick::kPaint;
      click.light_position = kFnLight;
    }
    return click;
  }
  const PanelKey* key = PanelKeyOf(control);
  if (!key) return click;  // D1..D6 and anything else
  if (!lamp_on) {
    click.action = KeyClick::kOpenEditor;
    click.slot = KeyIndexOf(key->code);
  } else if (painting) {
    click.action = KeyClick::kPaint;
    click.light_position = key->light_position;
  }
  return click;
}

int FlipFromSetting(std::u16string_view value) {
  // Read as a number would be: leading blanks, a sign, digits; "-1" and "5"
  // are numbers other than 0 as much as "1" is.
  size_t at = 0;
  while (at < value.size() && (value[at] == u' ' || value[at] == u'\t')) ++at;
  if (at < value.size() && (value[at] == u'-' || value[at] == u'+')) ++at;
  for (; at < value.size() && value[at] >= u'0' && value[at] <= u'9'; ++at) {
    if (value[at] != u'0') return 1;
  }
  return 0;
}

std::u16string ToggledFlipSetting(int flip) { return flip == 0 ? u"1" : u"0"; }

FlipView ShowFlipState(int flip) {
  FlipView view;
  view.f_keys_enabled = flip == 0;
  view.d_keys_enabled = flip != 0;
  view.indicator_set = flip == 0 ? 0 : 1;
  return view;
}

std::array<bool, kGKeyCount> GKeyChecks(const ProfileImage& image, int profile, int bank) {
  std::array<bool, kGKeyCount> checks{};
  if (profile < 0 || profile > 2) return checks;
  const int first = kFirstGSlot + (bank ? kGKeyCount : 0);
  for (int g = 0; g < kGKeyCount; ++g) checks[static_cast<size_t>(g)] = image.Entry(profile, first + g).kind != 0;
  return checks;
}

std::vector<int> RepaintedWith(int control, int flip) {
  std::vector<int> repainted;
  switch (control) {
    case IDC_MAIN_LOCK_AB:
      for (int g = 1; g <= kGKeyCount; ++g) repainted.push_back(GKeyControl(g));
      break;
    case IDC_MAIN_FLIP_INDICATOR:
      if (flip == 0) {
        for (int i = 0; i < kFlipFKeyCount; ++i) repainted.push_back(kFirstFlipFKey + i);
      } else {
        for (int i = 0; i < kDKeyCount; ++i) repainted.push_back(kFirstDKey + i);
      }
      repainted.push_back(IDC_MAIN_KEY_F5);
      repainted.push_back(IDC_MAIN_FLIP1);
      repainted.push_back(IDC_MAIN_FLIP2);
      break;
    case IDC_MAIN_KEY_ENTER:
      repainted.push_back(IDC_MAIN_KEY_RBRACKET);
      break;
    default:
      break;
  }
  return repainted;
}

int ArrowOfFlipButton(int control) {
  if (control == IDC_MAIN_FLIP1) return IDC_MAIN_LEFT_ARROW;
  if (control == IDC_MAIN_FLIP2) return IDC_MAIN_RIGHT_ARROW;
  return 0;
}

void PressProfileButton(int profile, KeyboardPanelHost& host) {
  if (profile < 0 || profile > 2) return;
  host.SetLightingProfile(profile);
  host.LoadLighting(false);
  if (host.UserModesSupported()) host.ReloadUserModes();
  host.RebuildLightingPanel();
  if (host.PanelSwitchOn()) host.TurnPanelSwitchOff();
  if (host.KeyboardProfile() != profile) host.SwitchProfile(profile);
}

void PressRestoreDefaults(KeyboardPanelHost& host) {
  if (!host.AskRestoreDefaults()) return;
  host.ClearVisibleAssignments();
  if (host.PanelSwitchOn()) host.RestoreLightingDefaults();
  host.Apply();
}

void CheckStartupProfile(KeyboardPanelHost& host) {
  const int profile = host.KeyboardProfile();
  if (profile >= 0 && profile <= 2) {
    host.ShowProfileChecks(profile);
    host.SetLightingProfile(profile);
  }
  host.LoadLighting(true);
  host.RebuildLightingPanel();
}

}  // namespace velkor
