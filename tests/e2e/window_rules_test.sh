# Under openbox (a window manager that draws title bars and buttons of its
# own): what the window manager does to a viewer window, read back from it.
source "$(dirname "$0")/lib.sh" "$@"
start_window_manager

pics=$WORK/pics
mkdir -p "$pics"
"$MAKE_SAMPLES" plain 600x400 "$pics/a-wide.jpg" '#204080'

maximised() { xprop -id "$1" _NET_WM_STATE | grep -q MAXIMIZED; }
# Waits until the window is back at its size, unmaximised, its frame where it was.
back_to() {
  local win=$1 size=$2 frame=$3
  for _ in $(seq 50); do
    if [ "$(window_size "$win")" = "$size" ] && ! maximised "$win" &&
      [ "$(frame_geometry "$win")" = "$frame" ]; then
      return 0
    fi
    sleep 0.1
  done
  return 1
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
click_at() {
  xdotool mousemove "$1" "$2"
  sleep 0.2
  xdotool click --repeat "${3:-1}" --delay 80 1
}

start_fennic "$pics/a-wide.jpg"
win=$(wait_for_window a-wide.jpg)
wait_for_size "$win" 600x452 || fail "framed 600x400: window $(window_size "$win")"
frame=$(settled_frame "$win")
read -r fx fy fw _ <<<"$frame"

# Maximising is refused by every route: the maximise button (openbox's
# default layout puts it second from the right), a double click on the
# title, and another program's _NET_WM_STATE request. Each is tried a few
# times: what undoes a maximise must not depend on how events interleave.
for round in 1 2 3; do
  click_at $((fx + fw - 28)) $((fy + 10))
  back_to "$win" 600x452 "$frame" ||
    fail "round $round, the maximise button: $(window_size "$win"), frame $(frame_geometry "$win")"
  click_at $((fx + fw / 2)) $((fy + 10)) 2
  back_to "$win" 600x452 "$frame" ||
    fail "round $round, a double click on the title: $(window_size "$win"), frame $(frame_geometry "$win")"
  wmctrl -i -r "$win" -b add,maximized_vert,maximized_horz
  back_to "$win" 600x452 "$frame" ||
    fail "round $round, a pager's request: $(window_size "$win"), frame $(frame_geometry "$win")"
done
echo "PASS"
