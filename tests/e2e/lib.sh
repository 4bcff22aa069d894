# Shared set-up for end-to-end tests. Source it with the test's arguments:
#   source "$(dirname "$0")/lib.sh" "$@"
# It re-runs the calling script inside a private D-Bus session, starts an
# Xvfb server whose screen is 1440x875 on a free display, points HOME and the
# XDG folders at a fresh temporary directory, and provides a few helpers.
set -euo pipefail

FENNIC=$1
MAKE_SAMPLES=$2
SCREEN_GRAB=${3:-}

if [ -z "${FENNIC_E2E_INNER:-}" ]; then
  export FENNIC_E2E_INNER=1
  exec dbus-run-session -- bash "$0" "$@"
fi

WORK=$(mktemp -d)
# Xvfb picks a free display itself and writes its number once it accepts
# connections. -noreset: a bare server resets when its last client leaves
# and refuses connections meanwhile; a desktop session never gets there.
Xvfb -displayfd 3 -screen 0 1440x875x24 -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb.log" &
XVFB_PID=$!
for _ in $(seq 200); do
  [ -s "$WORK/display" ] && break
  sleep 0.05
done
[ -s "$WORK/display" ] || { echo "FAIL: Xvfb did not start" >&2; cat "$WORK/xvfb.log" >&2; exit 1; }
export DISPLAY=:$(cat "$WORK/display")
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_DATA_HOME=$WORK/home/.local/share
export XDG_CACHE_HOME=$WORK/home/.cache XDG_RUNTIME_DIR=$WORK/runtime QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
PIDS=()

# Starts openbox on the test's display and waits until it manages windows.
start_window_manager() {
  openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
  PIDS+=($!)
  for _ in $(seq 100); do
    # Managing windows, with its work area published (as in a desktop session).
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' &&
      xprop -root _NET_WORKAREA 2>/dev/null | grep -q '= 0, 0, 1440, 875' && return 0
    sleep 0.05
  done
  fail "openbox did not start"
}

# Prints "X Y W H" of a window's frame (the window manager's decorations
# included) in root coordinates.
frame_geometry() {
  local info extents left right top bottom
  info=$(xwininfo -id "$1")
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
  IFS=, read -r left right top bottom <<<"${extents:-0,0,0,0}"
  awk -v l="$left" -v r="$right" -v t="$top" -v b="$bottom" '
    /Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2}
    END {print x-l, y-t, w+l+r, h+t+b}' <<<"$info"
}

# Prints the frame once it has stayed the same for half a second.
settled_frame() {
  local last now
  last=$(frame_geometry "$1")
  for _ in $(seq 50); do
    sleep 0.5
    now=$(frame_geometry "$1")
    [ "$now" = "$last" ] && { echo "$now"; return 0; }
    last=$now
  done
  fail "the frame of $1 never settles"
}

# Waits until a window's client area is WIDTHxHEIGHT.
wait_for_size() {
  local win=$1 wanted=$2
  for _ in $(seq 50); do
    [ "$(window_size "$win")" = "$wanted" ] && return 0
    sleep 0.1
  done
  return 1
}

cleanup() {
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  kill "$XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  # The next test's server may take the same display number: wait until this
  # one has removed its socket, or it would remove the next one's.
  local display
  display=$(cat "$WORK/display" 2>/dev/null || true)
  for _ in $(seq 100); do
    [ -n "$display" ] && [ -e "/tmp/.X$display-lock" ] || break
    sleep 0.05
  done
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for f in "$WORK"/fennic-*.out "$WORK"/fennic-*.err "$WORK"/xvfb.log; do
    [ -s "$f" ] && { echo "--- $(basename "$f")" >&2; tail -n 20 "$f" >&2; }
  done
  exit 1
}

# Starts fennic in the background with the given arguments; its output goes
# to $WORK/fennic-N.out / .err.
start_fennic() {
  local n=${#PIDS[@]}
  kill -0 "$XVFB_PID" 2>/dev/null || fail "Xvfb has exited"
  "$FENNIC" "$@" >"$WORK/fennic-$n.out" 2>"$WORK/fennic-$n.err" &
  PIDS+=($!)
  LAST_PID=$!
}

# Waits until a window whose title is exactly $1 is mapped; prints its id.
wait_for_window() {
  local title=$1 timeout=${2:-20} id
  for _ in $(seq $((timeout * 10))); do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
    # The whole title, as the window manager shows it.
    [ -n "$id" ] && [ "$(xdotool getwindowname "$id")" != "$title" ] && id=
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  fail "no window titled '$title' after ${timeout}s"
}

# Returns once the running Fennic has answered a D-Bus call: whatever it had
# queued before (a window change, a quit) has happened by then. Fails when
# no Fennic answers.
answered() {
  gdbus call --session --dest org.fennic.Fennic --object-path /org/fennic/Fennic \
    --method org.fennic.Fennic.Windows 2>&1
}

# Prints "WIDTHxHEIGHT" of a window's client area.
window_size() {
  xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
}
