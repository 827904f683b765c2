#!/bin/sh
# Photographs every skinned window as the skin viewer shows it, one PNG per
# window (and the main window with every button checked, hovered and
# pressed, and in the flipped layout), on an Xvfb display and Wine prefix of
# their own.
#   tools/skin_shots.sh OUTDIR
# Needs the windows build (make windows).
set -u
out="${1:?usage: skin_shots.sh OUTDIR}"
root="$(cd "$(dirname "$0")/.." && pwd)"
state="$root/build/windows/wine-shots"
viewer="$root/build/windows/bin/skin_viewer.exe"
[ -f "$viewer" ] || { echo "no $viewer: run make windows first" >&2; exit 1; }
mkdir -p "$out"
"$root/tools/wine/fixture.sh" setup "$state" || exit 1
DISPLAY="$(cat "$state/display")"
export DISPLAY
trap '"$root/tools/wine/fixture.sh" cleanup "$state"' EXIT

shot() {
  name="$1"
  shift
  "$root/tools/wine/run-in-wine.sh" "$state" "$viewer" "$@" --seconds 8 </dev/null >/dev/null 2>&1 &
  pid=$!
  sleep 4
  # The window sits at (40, 40); keep its neighbourhood only.
  import -window root -crop 1340x640+20+20 +repage "$out/$name.png"
  wait "$pid"
  echo "$out/$name.png"
}

shot main main
shot main-checked main --state checked
shot main-over main --state over
shot main-down main --state down
shot main-disabled main --state disabled
shot main-flip main --flip
shot main-flip-checked main --flip --state checked
shot composite-key composite --page 0
shot composite-macro composite --page 1
shot composite-media composite --page 2
shot composite-function composite --page 3
shot profile profile
shot update update
shot about about
