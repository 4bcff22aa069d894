# Shared set-up for end-to-end tests. Source it with the test's arguments:
#   source "$(dirname "$0")/lib.sh" "$@"
# It re-runs the calling script inside a private D-Bus session and an Xvfb
# server whose screen is 1440x875, with HOME and the XDG folders in a fresh
# temporary directory, and provides a few helpers.
set -euo pipefail

FENNIC=$1
MAKE_SAMPLES=$2
SCREEN_GRAB=${3:-}

if [ -z "${FENNIC_E2E_INNER:-}" ]; then
  export FENNIC_E2E_INNER=1
  exec dbus-run-session -- xvfb-run -a -s "-screen 0 1440x875x24 -nolisten tcp" bash "$0" "$@"
fi

WORK=$(mktemp -d)
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_DATA_HOME=$WORK/home/.local/share
export XDG_CACHE_HOME=$WORK/home/.cache QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
PIDS=()

cleanup() {
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Starts fennic in the background with the given arguments; its output goes
# to $WORK/fennic-N.out / .err.
start_fennic() {
  local n=${#PIDS[@]}
  "$FENNIC" "$@" >"$WORK/fennic-$n.out" 2>"$WORK/fennic-$n.err" &
  PIDS+=($!)
  LAST_PID=$!
}

# Waits until a window whose title is exactly $1 is mapped; prints its id.
wait_for_window() {
  local title=$1 timeout=${2:-20} id
  for _ in $(seq $((timeout * 10))); do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  fail "no window titled '$title' after ${timeout}s"
}

# Prints "WIDTHxHEIGHT" of a window's client area.
window_size() {
  xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
}
