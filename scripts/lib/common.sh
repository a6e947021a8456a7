# shellcheck shell=bash
# Shared by the scripts, sourced under `set -euo pipefail`.

# at_exit COMMAND [ARGS...]: runs the command, quietly, when the script exits;
# the last given runs first.
at_exit() {
  local command
  printf -v command '%q ' "$@"
  exit_commands="$command 2>/dev/null || true; ${exit_commands:-}"
  trap 'eval "$exit_commands"' EXIT
}

# start_display [ADVICE]: starts a virtual display, exports DISPLAY and closes
# the display at exit; fails, with Xvfb's reason and the ADVICE besides
# mending it, when it does not come up within 10 s.
start_display() {
  local file log pid why
  command -v Xvfb >/dev/null ||
    { echo "${0##*/}: Xvfb, for a virtual display, is missing: run scripts/bootstrap${1:+, $1}" >&2; return 1; }
  file=$(mktemp) log=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$file" 2>"$log" &
  pid=$!
  at_exit kill $pid
  for _ in $(seq 100); do { [ -s "$file" ] || ! kill -0 $pid 2>/dev/null; } && break; sleep 0.1; done
  DISPLAY=:$(head -n1 "$file")
  # Xvfb gives its reason on the line after "Fatal server error:".
  why=$(sed -n '/Fatal server error/ { n; s/(EE) *//g; p; q }' "$log")
  rm -f "$file" "$log"
  [ "$DISPLAY" != : ] || { echo "${0##*/}: the virtual display did not start (Xvfb: ${why:-no display" \
    "within 10 s}): mend that${1:+, $1}" >&2; return 1; }
  export DISPLAY
}

# Uses the display $DISPLAY names, or else starts a virtual one.
use_display() { [ -n "${DISPLAY:-}" ] || start_display "or set DISPLAY to a display of your own"; }

# Stops the Wine server of the prefix DIR, with its programs, if one runs.
stop_wine() { WINEPREFIX=$1 /usr/lib/wine/wineserver -k 2>/dev/null || true; }

# Prints the path given as Windows programs under Wine see it: drive Z: is
# the Unix root.
windows_path() { echo "Z:$(realpath -m "$1" | tr / '\\')"; }

# Runs a command as root, through sudo when not root; returns 3 ("this
# machine cannot") when neither can be had.
as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; elif command -v sudo >/dev/null && sudo -v; then sudo "$@"
  else echo "${0##*/}: needs root, or sudo for $(id -un)" >&2; return 3; fi
}

# Prints which of the Debian packages given are not installed.
missing_packages() {
  local p
  for p in "$@"; do dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || echo "$p"; done
}

# Installs those of the Debian packages given that are missing, saying which;
# does nothing, and asks for nothing, when none is. With APT_FETCH_ONLY=1 it
# only downloads them into apt's cache, changing nothing installed.
install_packages() {
  local missing verb=installing
  mapfile -t missing < <(missing_packages "$@")
  [ ${#missing[@]} -gt 0 ] || return 0
  [ -z "${APT_FETCH_ONLY:-}" ] || verb=fetching
  echo "${0##*/}: $verb ${missing[*]}"
  # sudo drops the caller's environment, so env hands apt the variable.
  quietly as_root apt-get -o DPkg::Lock::Timeout=300 update
  quietly as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y \
    --no-install-recommends ${APT_FETCH_ONLY:+--download-only} "${missing[@]}"
}

# Runs a command with its output shown only when it fails.
quietly() {
  local log status=0
  log=$(mktemp)
  "$@" >"$log" 2>&1 || { status=$?; cat "$log" >&2; }
  rm -f "$log"
  return "$status"
}
