#!/bin/bash
# What the program costs while it waits: the CPU time of Velkor.exe over a
# minute hidden in the notification area, then over a minute with its window
# shown, the lighting panel on and effect 3 (a moving one) previewed.
#   tools/idle_cpu.sh [SECONDS]
# Runs under Wine on the emulator, in the test prefix with its display:
# `tools/wine/fixture.sh setup build/windows/wine` first (make test builds
# everything it needs), `tools/wine/fixture.sh cleanup build/windows/wine` after.
set -u
seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
state="$root/build/windows/wine"
bin="$root/build/windows/bin"
run="$root/tools/wine/run-in-wine.sh"
export DISPLAY="$(cat "$state/display")" OSTREL_BACKEND=emulator
export KBEMU_STATE="Z:$state/idle-cpu.state" KBEMU_PIPE=Velkor_kbemu_idle_cpu
probe() { (cd "$bin" && "$run" "$state" "$bin/velkor_probe.exe" "$@" 2>/dev/null | tr -d '\r'); }
kbemu() { (cd "$bin" && "$run" "$state" "$bin/kbemu.exe" "$@" >/dev/null 2>&1); }
wait_for() { for _ in $(seq 150); do [ "$(probe "$2" ${3:-})" = "$1" ] && return 0; sleep 0.1; done; return 1; }

"$run" "$state" "$bin/Velkor.exe" /Kill >/dev/null 2>&1
kbemu reset
kbemu attach
(cd "$bin" && "$run" "$state" "$bin/Velkor.exe" /Start >/dev/null 2>&1 &)
wait_for 1 ready || { echo "the program did not start"; exit 1; }
sleep 3
pid="$(pgrep -f 'Velkor.exe /Start' | head -1)"
hz="$(getconf CLK_TCK)"
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }

t0="$(ticks)"; sleep "$seconds"; t1="$(ticks)"
echo "hidden: $(((t1 - t0) * 1000 / hz)) ms of CPU in $seconds s"

(cd "$bin" && "$run" "$state" "$bin/Velkor.exe" >/dev/null 2>&1 &)
wait_for 1 visible || { echo "the window did not show"; exit 1; }
if [ "$(probe shown 1146)" != 1 ]; then
  read -r x y <<<"$(probe center 1167)"
  xdotool mousemove "$x" "$y" click 1
  wait_for 1 shown 1146 || { echo "the lighting panel did not come on"; exit 1; }
fi
probe select 1146 2
sleep 2
t0="$(ticks)"; sleep "$seconds"; t1="$(ticks)"
echo "shown, lamp on, effect 3 previewed: $(((t1 - t0) * 1000 / hz)) ms of CPU in $seconds s"
"$run" "$state" "$bin/Velkor.exe" /Kill >/dev/null 2>&1
