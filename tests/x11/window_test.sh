#!/usr/bin/env bash
# The program's window as the X display sees it, driven by real key presses:
#   window_test.sh PROGRAM.exe WINEPREFIX
# It shows the icon, stays above other windows, accepts drops, copies the
# digest to the clipboard on Alt+C and ends with exit code 0 on Esc.
set -uo pipefail
program=$1
prefix=$2
here=$(cd "$(dirname "$0")" && pwd)
failures=0
check() { # check WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}

scratch=$(mktemp -d)
runner=
finish() {
  [ -z "$runner" ] || kill "$runner" 2>/dev/null
  rm -rf "$scratch"
}
trap finish EXIT
sample=$scratch/sample.bin
head -c 100000 /dev/urandom >"$sample"
expected=$(md5sum "$sample" | cut -c1-32 | tr a-f A-F)

"$here/../../scripts/wine-run" --prefix "$prefix" "$program" "Z:${sample//\//\\}" &
runner=$!
window=$(timeout 90 xdotool search --sync --onlyvisible --name '^Kestrum$' | head -n1)
if [ -z "$window" ]; then
  echo "FAIL: no window appeared"
  exit 1
fi
properties=$(xprop -id "$window")
check "the window carries the program's icon" grep -q '^_NET_WM_ICON(CARDINAL) = .*Icon (' <<<"$properties"
check "the window stays above others" grep -q '_NET_WM_STATE(ATOM) = .*_NET_WM_STATE_ABOVE' <<<"$properties"
check "the window accepts dropped files" grep -q '^XdndAware' <<<"$properties"

# Keys go to the focused window as the keyboard sends them (XTEST).
timeout 30 xdotool windowfocus --sync "$window"
copied=
for _ in $(seq 40); do
  xdotool key alt+c
  sleep 0.5
  copied=$(timeout 5 xclip -selection clipboard -o 2>/dev/null)
  [ "$copied" = "$expected" ] && break
done
check "Alt+C copies the file's digest $expected (got '$copied')" [ "$copied" = "$expected" ]

xdotool key Escape
for _ in $(seq 100); do kill -0 "$runner" 2>/dev/null || break; sleep 0.3; done
if kill -0 "$runner" 2>/dev/null; then
  check "Esc ends the program" false
else
  wait "$runner"
  code=$?
  runner=
  check "Esc ends the program with exit code 0 (got $code)" [ "$code" = 0 ]
fi
echo "x11 window: $failures failed"
[ "$failures" = 0 ]
