#!/bin/sh
# The ctest set-up and clean-up of the Windows tests.
#   fixture.sh setup STATE_DIR   - start an Xvfb display, make the Wine prefix
#                                  once, start the Wine services
#   fixture.sh cleanup STATE_DIR - stop the Wine services and the display
# Every service is started with its descriptors on /dev/null: otherwise it
# holds ctest's output pipe open and each test waits for it.
set -u
action="$1"
state="$2"
mkdir -p "$state"
export WINEPREFIX="$state/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

stop_display() {
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null
    rm -f "$state/xvfb.pid"
  fi
  rm -f "$state/display" "$state/display.num"
}

case "$action" in
  setup)
    "$wineserver" -k </dev/null >/dev/null 2>&1
    stop_display
    rm -f "$state/display.num"
    Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$state/display.num" \
      </dev/null >/dev/null 2>&1 &
    echo $! >"$state/xvfb.pid"
    i=0
    while [ ! -s "$state/display.num" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
    if [ ! -s "$state/display.num" ]; then
      echo "Xvfb did not start" >&2
      exit 1
    fi
    echo ":$(head -n 1 "$state/display.num")" >"$state/display"
    DISPLAY="$(cat "$state/display")"
    export DISPLAY
    if [ ! -f "$state/prefix/velkor-ready" ]; then
      echo "Making the Wine prefix $WINEPREFIX (once)"
      rm -rf "$WINEPREFIX"
      "$wine" wineboot -i </dev/null >/dev/null 2>&1
      # Without a window manager every process that made a window would
      # otherwise wait two seconds at exit; a crash gives a backtrace and exit
      # code 5 instead of a dialog; the program is meant for Windows 10.
      "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
      "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
      "$wine" winecfg /v win10 </dev/null >/dev/null 2>&1
      "$wineserver" -w </dev/null >/dev/null 2>&1
      touch "$state/prefix/velkor-ready"
    fi
    "$(dirname "$0")/link-fonts.sh"
    "$wineserver" -p </dev/null >/dev/null 2>&1
    "$wine" wineboot </dev/null >/dev/null 2>&1
    exit 0
    ;;
  cleanup)
    "$wineserver" -k </dev/null >/dev/null 2>&1
    stop_display
    exit 0
    ;;
esac
echo "usage: fixture.sh setup|cleanup STATE_DIR" >&2
exit 2
