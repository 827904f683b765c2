#!/bin/sh
# The help page's effect pictures: preview_frames prints what the main window's
# lighting preview shows, make_preview_strips.py draws GIFs from it.
#   preview_strips_test.sh PREVIEW_FRAMES MAKE_PREVIEW_STRIPS PYTHON SKINS_DIR
set -u
tool="$1"
script="$2"
python="$3"
skins="$4"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

# ---- preview_frames -------------------------------------------------------------

# Color Cycle: the first frame lights every key of the grid (G1..G5 too) in
# one colour, red first (the output is red, green, blue); G6..G9 and Right Win
# are never lit. The next frame has moved on.
"$tool" 4 2 >"$dir/cycle" || fail "effect 4 runs"
[ "$(wc -l <"$dir/cycle")" -eq 2 ] || fail "one line a frame"
head -n 1 "$dir/cycle" | tr ' ' '\n' >"$dir/first"
[ "$(head -n 1 "$dir/first")" = tints ] || fail "a tints frame"
[ "$(tail -n +2 "$dir/first" | wc -l)" -eq 114 ] || fail "every lit key is named"
[ "$(grep -c -- ':-$' "$dir/first")" -eq 5 ] || fail "five keys untinted"
for control in 1140 1141 1142 1143 1087; do
  grep -q "^$control:-\$" "$dir/first" || fail "key $control untinted"
done
[ "$(tail -n +2 "$dir/first" | grep -v -- ':-$' | cut -d: -f2 | sort -u)" = FF0002 ] || fail "one red for all"
tail -n 1 "$dir/cycle" | grep -q " 1022:FF0002 " && fail "the second frame moves on"

"$tool" 1 1 | grep -q '^clear\( [0-9]*:-\)\{114\}$' || fail "Static clears every key"
[ "$(
  "$tool" 20 2 | tr '\n' ' '
)" = "leave leave " ] || fail "User Defined leaves the keys alone"
"$tool" 13 30 --multicolour >"$dir/a" && "$tool" 13 30 --multicolour >"$dir/b" || fail "effect 13 runs"
cmp -s "$dir/a" "$dir/b" || fail "random hues repeat from run to run"

for args in "4 0" "4 x" "256 1" "4 1 --direction 7" "4 1 --colour 12345" "4 1 --colour 1234G6" \
  "4 1 --colour" "4 1 --bogus"; do
  # shellcheck disable=SC2086
  out="$("$tool" $args 2>/dev/null)"
  [ $? -eq 2 ] && [ -z "$out" ] || fail "preview_frames $args is refused"
done
"$tool" 11 20 >/dev/full 2>/dev/null && fail "a failed write is a failure"

# ---- make_preview_strips.py --------------------------------------------------------

[ "$("$python" "$script" --list | wc -l)" -eq 12 ] || fail "twelve animated effects"

# A failing run writes nothing and keeps the pictures of an earlier one.
mkdir "$dir/out"
echo "earlier" >"$dir/out/effect-04.gif"
"$python" "$script" "$dir/no-such-tool" "$dir/out" --skins "$skins" --effects 4 2>/dev/null &&
  fail "a missing tool is a failure"
# Effect 4 names a key the skin does not have: effect 3 is drawn, then the run fails.
printf '#!/bin/sh\n[ "$1" = 4 ] || exec "%s" "$@"\n"%s" "$@" | sed "s/ 1058:/ 999:/"\n' "$tool" "$tool" >"$dir/odd-tool"
chmod +x "$dir/odd-tool"
"$python" "$script" "$dir/odd-tool" "$dir/out" --skins "$skins" --effects 3,4 2>/dev/null &&
  fail "a key the skin does not have is a failure"
[ "$(cat "$dir/out/effect-04.gif")" = earlier ] || fail "a failed run keeps the earlier picture"
[ "$(ls "$dir/out")" = effect-04.gif ] || fail "a failed run leaves nothing behind"

# Two runs write the same bytes; the picture shows the frames at 50 ms, the
# space bar red (tinted in the tool's colour) and G6 as it is. A frame that
# leaves the keys alone keeps the last one's tints; a cleared one shows none.
"$python" "$script" "$tool" "$dir/one" --skins "$skins" --effects 4,13 >/dev/null || fail "drawing effects 4 and 13"
"$python" "$script" "$tool" "$dir/two" --skins "$skins" --effects 4,13 >/dev/null || fail "drawing them again"
cmp -s "$dir/one/effect-04.gif" "$dir/two/effect-04.gif" && cmp -s "$dir/one/effect-13.gif" "$dir/two/effect-13.gif" ||
  fail "two runs, the same files"
printf '#!/bin/sh\n"%s" 4 1\nfor n in $(seq 19); do echo leave; done\n"%s" 1 20\n' "$tool" "$tool" >"$dir/still-tool"
chmod +x "$dir/still-tool"
"$python" "$script" "$dir/still-tool" "$dir/still" --skins "$skins" --effects 4 >/dev/null || fail "drawing kept and cleared frames"
"$python" - "$script" "$dir/one/effect-04.gif" "$dir/still/effect-04.gif" <<'EOF' || fail "effect 4's pictures"
import os, sys
sys.path.insert(0, os.path.join(os.path.dirname(sys.argv[1]), "..", "skin"))
import geometry as g
from PIL import Image
gif = Image.open(sys.argv[2])
assert gif.n_frames == 40 and gif.size[0] == 600 and gif.info["duration"] == 50, (gif.n_frames, gif.size)
left, top, right, bottom = g.KEYBOARD_BODY
scale = 600 / (right - left)
def centre(key):
    x, y, w, h = g.control("Main", key).rect
    return (int((x + w / 2 - left) * scale), int((y + h / 2 - top) * scale))
def red(frame, key):
    r, gr, b = frame.getpixel(centre(key))
    return r > gr + 60 and r > b + 60
def grey(frame, key):
    r, gr, b = frame.getpixel(centre(key))
    return abs(r - gr) < 20 and abs(r - b) < 25
frame = gif.convert("RGB")
assert red(frame, "KEY_039") and grey(frame, "FUNC_G6"), "space bar red, G6 plain"
still = Image.open(sys.argv[3])
shown = []
for n in range(still.n_frames):
    still.seek(n)
    shown += [still.convert("RGB")] * (still.info["duration"] // 50)
assert len(shown) == 40, len(shown)
assert all(red(f, "KEY_039") for f in shown[:20]), "kept frames keep the tint"
assert all(grey(f, "KEY_039") for f in shown[20:]), "cleared frames show none"
EOF
echo "preview strips: all checks passed"
