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

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" OSTREL_BACKEND=emulator
export KBEMU_PIPE=Velkor_kbemu_first_process
DISPLAY="$(cat "$state/display")"
export DISPLAY
# Every Wine call is bounded: a session that hangs is the machine's trouble,
# not the program's, and is tried once more.
# Prints what the probe says; its exit code is the probe's (1: no marked
# window left) or 124 when Wine did not answer in time.
probe() {
  (cd "$bin" && timeout 20 "$wine" "$bin/velkor_probe.exe" "$@" 2>/dev/null | tr -d '\r'; exit "${PIPESTATUS[0]}")
}

# 0: "/Kill" ended the first process; 1: it did not; 2: the session failed.
attempt() {
  WINEPREFIX="$prefix" "$wineserver" -k >/dev/null 2>&1
  rm -rf "$prefix"
  cp -as "$state/prefix" "$prefix" || return 2
  for f in system.reg user.reg userdef.reg; do
    rm -f "$prefix/$f"
    cp "$state/prefix/$f" "$prefix/$f" || return 2
  done
  export WINEPREFIX="$prefix" KBEMU_STATE="Z:$session/kbemu.state"

  # The instance is the session's first process.
  (cd "$bin" && timeout 120 "$wine" "$bin/Velkor.exe" /Start >/dev/null 2>&1 &)
  local end=$((SECONDS + 40))
  until [ "$(probe ready)" = 1 ]; do
    [ $SECONDS -lt $end ] || { echo "the instance did not start"; return 2; }
    sleep 0.1
  done
  [ "$(probe first)" = 1 ] || { echo "the instance is not the first process listed"; return 2; }

  (cd "$bin" && timeout 30 "$wine" "$bin/Velkor.exe" /Kill >/dev/null 2>&1)
  end=$((SECONDS + 20))
  while [ $SECONDS -lt $end ]; do
    probe ready >/dev/null
    case $? in
      1) return 0 ;;              # no marked main window is left
      124) echo "Wine did not answer"; return 2 ;;
    esac
    sleep 0.1
  done
  return 1
}

for try in 1 2; do
  attempt
  case $? in
    0) echo "ok"; exit 0 ;;
    1) fail "the instance kept running after /Kill" ;;
  esac
  echo "try $try: the Wine session did not come up; trying again"
done
fail "no Wine session of its own could be made"
