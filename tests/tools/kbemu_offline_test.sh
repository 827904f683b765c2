#!/bin/sh
# kbemu with no program running: it works on the saved state.
#   kbemu_offline_test.sh KBEMU
set -u
kbemu="$1"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
export KBEMU_STATE="$dir/kb.state"
fail() { echo "FAILED: $*"; exit 1; }

"$kbemu" status | grep -q "^attached: yes" || fail "factory keyboard is attached"
[ -e "$KBEMU_STATE" ] && fail "status wrote a state file"
"$kbemu" dump keymap 1 | head -n 1 | grep -q "^0200: 05 00 00 05 00 00" || fail "key map 1 is the default layout"
"$kbemu" detach | grep -q "^ok" || fail "detach"
"$kbemu" status | grep -q "^attached: no" || fail "detach is kept"
"$kbemu" log 5 | grep -q "evt detach" || fail "the log is kept"
"$kbemu" log clear | grep -q "^ok" || fail "log clear"
[ -z "$("$kbemu" log 5)" ] || fail "a cleared log stays cleared"
"$kbemu" fault echo 1 >/dev/null && fail "a fault needs a running emulator"
"$kbemu" frobnicate >/dev/null && fail "an unknown command fails"
"$kbemu" reset | grep -q "^ok" || fail "reset"
"$kbemu" status | grep -q "^attached: yes" || fail "reset attaches"
echo "not a keyboard" >"$KBEMU_STATE"
"$kbemu" status | grep -q "^active profile: 0" || fail "a junk state file gives the factory state"
echo "kbemu offline: all checks passed"
