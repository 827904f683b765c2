#!/bin/bash
# "/Kill" must reach an instance that is the first process of its Wine
# session: Wine lists processes by id, and the first program started in a
# fresh session has the lowest, so a search that skips the list's first
# entry (the idle process on Windows) never finds it.
#   first_process_kill_test.sh STATE_DIR BIN_DIR
# Makes a session of its own: a prefix of links to the tests' prefix (with
# its own registry files), so no service runs before the program does.
set -u
state="$1"
bin="$2"
session="$(mktemp -d /tmp/velkor-first-process.XXXXXX)"
prefix="$session/prefix"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
cleanup() {
  WINEPREFIX="$prefix" "$wineserver" -k >/dev/null 2>&1
  rm -rf "$session"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}

cp -as "$state/prefix" "$prefix" || fail "could not link the prefix"
for f in system.reg user.reg userdef.reg; do
  rm -f "$prefix/$f"
  cp "$state/prefix/$f" "$prefix/$f" || fail "could not copy $f"
done
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" OSTREL_BACKEND=emulator
export KBEMU_STATE="Z:$session/kbemu.state" KBEMU_PIPE=Velkor_kbemu_first_process
DISPLAY="$(cat "$state/display")"
export DISPLAY
probe() { (cd "$bin" && "$wine" "$bin/velkor_probe.exe" "$@" 2>/dev/null | tr -d '\r'); }

# The instance is the session's first process.
(cd "$bin" && "$wine" "$bin/Velkor.exe" /Start >/dev/null 2>&1 &)
for _ in $(seq 150); do
  [ "$(probe ready)" = 1 ] && break
  sleep 0.1
done
[ "$(probe ready)" = 1 ] || fail "the instance did not start"
[ "$(probe first)" = 1 ] || fail "the instance is not the first process listed; the test proves nothing"

(cd "$bin" && "$wine" "$bin/Velkor.exe" /Kill >/dev/null 2>&1)
# The probe prints nothing once no marked main window is left.
for _ in $(seq 150); do
  [ -z "$(probe ready)" ] && break
  sleep 0.1
done
[ -z "$(probe ready)" ] || fail "the instance kept running after /Kill"
echo "ok"
