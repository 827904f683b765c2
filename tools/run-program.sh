#!/bin/bash
# Runs build/windows/dist/Velkor.exe under Wine, in a prefix of its own
# (never ~/.wine), on the current display or on an Xvfb display it starts.
#   run-program.sh STATE_DIR DISPLAY_IF_NONE [ARGS...]
set -u
state="$1"
fallback_display="$2"
shift 2
mkdir -p "$state"
state="$(cd "$state" && pwd)"
export WINEPREFIX="$state/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# The program talks to the keyboard emulator inside Ostrel.dll.
export OSTREL_BACKEND=emulator
wine=/usr/lib/wine/wine64

if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY="$fallback_display"
  if ! xdpyinfo >/dev/null 2>&1; then
    echo "Starting Xvfb on display $DISPLAY"
    Xvfb "$DISPLAY" -screen 0 1600x1000x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  fi
fi

if [ ! -f "$WINEPREFIX/velkor-ready" ]; then
  echo "Making the Wine prefix $WINEPREFIX (once, about 15 s)"
  "$wine" wineboot -i </dev/null >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
  "$wine" winecfg /v win10 </dev/null >/dev/null 2>&1
  touch "$WINEPREFIX/velkor-ready"
fi

"$(dirname "$0")/wine/link-fonts.sh"

dist="$(pwd)/build/windows/dist"
cat <<MSG
Running Velkor.exe on display $DISPLAY (Wine prefix $WINEPREFIX).
  Look at it:       DISPLAY=$DISPLAY import -window root shot.png
  Show its window:  make run            (a second start asks the running one to show itself)
  End it:           make run ARGS=/Kill
MSG
cd "$dist" && exec "$wine" "$dist/Velkor.exe" "$@"
