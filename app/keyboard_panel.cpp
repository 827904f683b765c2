#include "app/keyboard_panel.h"

#include "model/key_codes.h"

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

}  // namespace velkor
