#!/bin/bash
# The main window used with a real mouse: xdotool moves the X pointer and
# clicks at the screen positions of the window's controls, so the window's
# shape, hit-testing and owner-drawn buttons are proven for a person's mouse,
# not only for posted messages. What reached the keyboard is read with kbemu.
#   real_input_test.sh STATE_DIR BIN_DIR
# Runs inside the Wine fixture (its Xvfb display); KBEMU_STATE and KBEMU_PIPE
# name an emulator of this test's own.
set -u
state="$1"
bin="$2"
run="$(cd "$(dirname "$0")/../../tools/wine" && pwd)/run-in-wine.sh"
DISPLAY="$(cat "$state/display")"
export DISPLAY OSTREL_BACKEND=emulator

fail() {
  echo "FAIL: $*"
  "$run" "$state" "$bin/Velkor.exe" /Kill >/dev/null 2>&1
  exit 1
}
wine_run() { (cd "$bin" && "$run" "$state" "$bin/$1" "${@:2}" 2>/dev/null | tr -d '\r'); }
probe() { wine_run velkor_probe.exe "$@"; }
kbemu() { wine_run kbemu.exe "$@"; }
# Polls a command until its output equals the wanted text (at most ~15 s).
wait_for() {
  local want="$1"
  shift
  for _ in $(seq 150); do
    [ "$("$@")" = "$want" ] && return 0
    sleep 0.1
  done
  return 1
}
click_at() {
  read -r x y <<<"$1"
  [ -n "$x" ] && [ -n "$y" ] || return 1
  xdotool mousemove "$x" "$y"
  sleep 0.2
  xdotool click 1
}
count() { kbemu log 400 | grep -c "^#[0-9]* > $1 "; }
# The pixels of the screen around a point, as a checksum.
pixels() {
  read -r x y <<<"$1"
  import -window root -crop "30x20+$((x - 15))+$((y - 10))" rgb:- 2>/dev/null | md5sum
}

"$run" "$state" "$bin/Velkor.exe" /Kill >/dev/null 2>&1
kbemu reset >/dev/null
kbemu attach >/dev/null
kbemu log clear >/dev/null

# No "/Start": with a keyboard the window opens by itself.
(cd "$bin" && "$run" "$state" "$bin/Velkor.exe" >/dev/null 2>&1 &)
wait_for 1 probe visible || fail "the main window did not open"
wait_for 30 count ReadKeyMapBlock || fail "the keyboard was not read"
# Keys edit assignments with the lamp off, whatever an earlier run left.
if [ "$(probe shown 1146)" = 1 ]; then
  click_at "$(probe center 1167)" || fail "no lamp"
  wait_for 0 probe shown 1146 || fail "the lamp did not go off"
fi

# A key button under the pointer changes its face: the window's region and
# the owner-drawn button take a real pointer.
esc="$(probe center 1022)" || fail "no Esc key button"
xdotool mousemove 5 500
sleep 0.3
before="$(pixels "$esc")"
xdotool mousemove $esc
sleep 0.5
[ "$(pixels "$esc")" != "$before" ] || fail "the Esc key does not light up under the pointer"
# A click on it opens the key editor on Esc's slot. Keys pressed there are
# captured, Escape too (it does not close the editor): "B" typed on the real
# keyboard, OK, then Apply writes it at Esc's place in the key map.
xdotool click 1
wait_for "1 1022" probe editor || fail "a click on Esc did not open the editor on its slot: $(probe editor)"
xdotool mousemove $(probe editor-center)
sleep 0.2
xdotool key Escape
wait_for "Esc" probe dialog-text 1127 1127 || fail "Escape was not captured: $(probe dialog-text 1127 1127)"
[ "$(probe editor)" = "1 1022" ] || fail "Escape closed the editor"
xdotool key b
wait_for "B" probe dialog-text 1127 1127 || fail "B was not captured: $(probe dialog-text 1127 1127)"
click_at "$(probe dialog-center 1127 1)" || fail "no OK in the editor"
wait_for "" probe editor || fail "OK did not close the editor"
[ "$(probe visible)" = 1 ] || fail "the window went with the editor"
kbemu log clear >/dev/null
click_at "$(probe center 1006)" || fail "no Apply button"
wait_for 1 count EndAccess || fail "Apply did not send the key map"
# Esc is position 8 of the keyboard's layout: bytes 24..26 of its key map.
esc_entry="$(kbemu dump keymap 0 | awk '/^0010:/ { print $10, $11, $12 }')"
[ "$esc_entry" = "02 02 05" ] || fail "Esc does not send B: $esc_entry"

# A macro recorded with the real keyboard: the macro button opens G9's editor
# on its macro page; a name typed, Record, "a" and Print Screen, Stop, OK, Apply.
# With the record-delay option off the press is followed by 50 ms.
click_at "$(probe center 1007)" || fail "no macro button"
wait_for "108 1143" probe editor || fail "the macro button did not open G9's editor: $(probe editor)"
# A name typed into the empty name box makes a macro of that name.
click_at "$(probe dialog-center 1127 1126)" || fail "no macro name box"
xdotool type --delay 60 Fire
wait_for "Fire" probe dialog-text 1127 1126 || fail "typing did not make the macro Fire: $(probe dialog-text 1127 1126)"
click_at "$(probe dialog-center 1127 1020)" || fail "no Record button"
wait_for "Stop Record" probe dialog-text 1127 1020 || fail "Record did not start"
xdotool key a
wait_for 2 probe rows 1019 || fail "the key was not recorded as a press and a release: $(probe rows 1019) rows"
# Print Screen, whose press reaches this system: pressed once, released once.
xdotool key Print
wait_for 4 probe rows 1019 || fail "Print Screen was not recorded as one press and one release: $(probe rows 1019) rows"
click_at "$(probe dialog-center 1127 1020)" || fail "no Stop Record button"
wait_for "Record" probe dialog-text 1127 1020 || fail "Record did not stop"
xdotool key c
sleep 0.3
[ "$(probe rows 1019)" = 4 ] || fail "a key pressed after Stop was recorded"
# A double click on the first row's delay opens a number field over it:
# 12345 typed and Enter give 12340 (the keyboard counts in steps of 10 ms).
read -r lx ly <<<"$(probe dialog-center 1127 1019)"
xdotool mousemove $((lx + 55)) $((ly - 98))
sleep 0.2
xdotool click --repeat 2 --delay 80 1
sleep 0.5
xdotool type --delay 40 12345
xdotool key Return
sleep 0.3
[ -n "$(probe editor)" ] || fail "Enter in the delay field closed the editor"
click_at "$(probe dialog-center 1127 1)" || fail "no OK in the editor"
wait_for "" probe editor || fail "OK did not close the editor"
kbemu log clear >/dev/null
click_at "$(probe center 1006)" || fail "no Apply button"
wait_for 1 count EndAccess || fail "Apply did not send the macro"
macros="$(kbemu dump macros | tr '\n' ' ')"
want="0000: AA 55 2E 00 01 00 01 00 00 00 00 00 00 00 00 00 0010: 12 00 04 00 01 04 D2 A4 02 04 05 20 02 04 05 A0 0020: 02 46 00 20 02 46 46 00 69 00 72 00 65 00 "
[ "$macros" = "$want" ] || fail "the keyboard's macro store is not the recorded macro: $macros"

# Default: the question, answered Yes with the mouse, then the apply.
kbemu log clear >/dev/null
click_at "$(probe center 1138)" || fail "no Default button"
wait_for "Do you want to restore the default settings?" probe box || fail "no question after Default"
click_at "$(probe box-button 6)" || fail "no Yes button"
wait_for 1 count EndAccess || fail "the defaults were not applied"
[ "$(count WriteKeyMapBlock)" = 10 ] || fail "not one key map: $(count WriteKeyMapBlock) pieces"
wait_for 0 probe enabled 1006 || fail "Apply stayed enabled after the keyboard took everything"

# The report rate: the 250 Hz button writes its index into the profile's record.
kbemu log clear >/dev/null
click_at "$(probe center 1168)" || fail "no 250 Hz button"
wait_for 1 count WriteParameters || fail "the report rate was not written"
kbemu log 20 | grep -q "> WriteParameters .*| 04 17 00 06 01 0F 00 00 01 " || fail "not rate 1 at offset 15: $(kbemu log 20)"

# The flipped layout: D1..D6 take the place of F1..F4, and come back.
click_at "$(probe center 1130)" || fail "no flip button"
wait_for 1 probe enabled 1016 || fail "the flip button did not bring D1..D6"
[ "$(probe enabled 1010)" = 0 ] || fail "F1 stayed in the flipped layout"
click_at "$(probe center 1131)" || fail "no second flip button"
wait_for 1 probe enabled 1010 || fail "the flip buttons did not bring F1..F4 back"

# The lamp: on once the keyboard's profile was selected again, then off.
kbemu log clear >/dev/null
click_at "$(probe center 1167)" || fail "no lamp"
wait_for 1 count WriteConfigBlock || fail "the lamp did not select the profile again"

# The colour wheel (its centre 140, 144 from the window's corner, radius 63):
# a click 50 pixels right of the centre picks the colour under the pointer
# into the number fields and applies it once per field; 64 pixels away it
# picks nothing. The lamp is on and effect 1 takes a colour.
wait_for 1 probe shown 1146 || fail "the effect list did not show with the lamp on"
read -r ox oy <<<"$(probe origin)"
kbemu log clear >/dev/null
before="$(probe text 1223) $(probe text 1225) $(probe text 1226)"
click_at "$((ox + 204)) $((oy + 144))"
sleep 0.5
[ "$(count WriteParameters)" = 0 ] || fail "a click 64 pixels from the wheel's centre applied a colour"
[ "$(probe text 1223) $(probe text 1225) $(probe text 1226)" = "$before" ] || fail "a click outside the wheel changed the fields"
click_at "$((ox + 190)) $((oy + 144))"
wait_for 6 count WriteParameters || fail "a click on the wheel did not apply the colour three times: $(kbemu log 40)"
picked="$(probe text 1223) $(probe text 1225) $(probe text 1226)"
[ "$picked" != "$before" ] || fail "the wheel's colour did not reach the fields ($picked)"
read -r r g b <<<"$picked"
expected="$(printf '%02X %02X %02X' "$r" "$g" "$b")"
kbemu log 40 | grep -q "> WriteParameters .*$expected" || fail "the picked colour $expected was not written: $(kbemu log 40)"

click_at "$(probe center 1167)" || fail "no lamp"

# The profile manager, with the pointer: the current-profile box opens it,
# Delete without a selected row removes nothing, a click on a row selects it
# and Delete removes that one, Cancel closes it.
click_at "$(probe center 1005)" || fail "no current-profile box"
wait_for 3 probe rows 1007 || fail "the profile manager did not open with three rows"
click_at "$(probe dialog-center 1007 1011)" || fail "no Delete button"
sleep 0.3
[ "$(probe rows 1007)" = 3 ] || fail "Delete without a selected row removed one"
read -r lx ly <<<"$(probe dialog-center 1007 1007)"
click_at "$lx $((ly - 56))" || fail "no list"  # the second row, under the header
click_at "$(probe dialog-center 1007 1011)" || fail "no Delete button"
wait_for 2 probe rows 1007 || fail "a clicked row was not deleted"
click_at "$(probe dialog-center 1007 2)" || fail "no Cancel button"
wait_for "" probe rows 1007 || fail "Cancel did not close the profile manager"

# The firmware update dialog (another program's command 32780): Update with
# no updater chosen says so and sends nothing; cancel update closes it.
kbemu log clear >/dev/null
probe post 273 32780 0 >/dev/null
for _ in $(seq 50); do [ -n "$(probe dialog-center 1181 1147)" ] && break; sleep 0.1; done
click_at "$(probe dialog-center 1181 1147)" || fail "no Update button"
wait_for "Please choose a correct update file! " probe box || fail "no message for a missing updater: $(probe box)"
click_at "$(probe box-button 1)" || fail "no OK button on the message"
[ "$(kbemu log 5 | grep -c '^#')" = 0 ] || fail "Update without an updater reached the keyboard"
click_at "$(probe dialog-center 1181 1180)" || fail "no cancel-update button"
wait_for "" probe dialog-center 1181 1147 || fail "cancel update did not close the dialog"

# OK hides the window and sends nothing more (nothing is pending).
kbemu log clear >/dev/null
click_at "$(probe center 1)" || fail "no OK button"
wait_for 0 probe visible || fail "OK did not hide the window"
[ "$(count BeginAccess)" = 0 ] || fail "OK sent an apply with nothing pending"

"$run" "$state" "$bin/Velkor.exe" /Kill >/dev/null 2>&1
echo "ok"
