#!/bin/sh
# Runs a Windows program under Wine in this build's own prefix.
#   run-in-wine.sh STATE_DIR PROGRAM [ARGS...]
# STATE_DIR holds the prefix and, while the tests run, the number of the Xvfb
# display that fixture.sh started.
state="$1"
shift
export WINEPREFIX="$state/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -f "$state/display" ]; then
  DISPLAY="$(cat "$state/display")"
  export DISPLAY
fi
exec /usr/lib/wine/wine64 "$@"
