#!/usr/bin/env bash
# Under Wayland a window cannot move itself back onto the screen, so a
# resize by the user must never carry it past the screen's edge: a portrait
# widened at its corner grows only as far as the pointer went down. Weston
# runs in the test's X server so that the pointer can drag a real corner;
# the window is read from screenshots.
source "$(dirname "$0")/lib.sh" "$@"
mkdir -p "$XDG_CONFIG_HOME/fennic"

weston --backend=x11-backend.so --use-pixman --width=1440 --height=875 --socket=fennic-resize \
  --idle-time=0 >"$WORK/weston.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/fennic-resize" ] && break; sleep 0.05; done
[ -S "$XDG_RUNTIME_DIR/fennic-resize" ] || fail "weston did not start: $(tail -3 "$WORK/weston.log")"
export WAYLAND_DISPLAY=fennic-resize

convert -size 360x592 xc:'#d01010' "$WORK/portrait.png"

# "W H X Y" of the red picture on the screen (empty when it is not there).
red_box() {
  import -window root "$WORK/screen.png"
  convert "$WORK/screen.png" -fuzz 12% -fill black +opaque '#d01010' -fill white -opaque '#d01010' \
    -trim -format '%w %h %X %Y' info: 2>/dev/null | tr -d '+'
}
# Waits until the picture shows at a width other than the one given (any
# width when none is given); returns 1 when it never does.
picture_shown() {
  for _ in $(seq "${2:-80}"); do
    read -r w h x y <<<"$(red_box)"
    [ -n "${w:-}" ] && [ "$w" -gt 100 ] && { [ -z "${1:-}" ] || [ "$w" -ne "$1" ]; } && return 0
    sleep 0.1
  done
  return 1
}
wait_for_picture() { picture_shown "${1:-}" || fail "the picture did not show"; }
# Waits until the picture stands still: Weston animates a new window in, and
# a corner read meanwhile is not where the window's corner ends up.
wait_for_still_picture() {
  local last=""
  for _ in $(seq 40); do
    wait_for_picture
    [ "$w $h $x $y" = "$last" ] && return 0
    last="$w $h $x $y"
    sleep 0.3
  done
  fail "the picture never stood still"
}

# Weston's X11 backend moves its pointer by the X pointer's relative motion,
# and a session that missed the pointer's entry keeps an offset between the
# two: a press then lands elsewhere (on the panel's launcher, on the title
# bar). Weston holds its pointer inside the screen, so going to one corner
# and then the other brings both pointers together.
sync_pointer() {
  xdotool mousemove 0 0 sleep 0.1 mousemove 1439 874 sleep 0.1
}

for frame in true false; do
  printf '[General]\nvisualStyleAsFrame=%s\nsetFileDefaults=false\n' "$frame" \
    >"$XDG_CONFIG_HOME/fennic/fennic.conf"
  QT_QPA_PLATFORM=wayland start_fennic "$WORK/portrait.png"
  pid=$!
  wait_for_still_picture
  [ "$w $h" = "360 592" ] || fail "frame=$frame: shown at ${w}x$h, not 1:1"
  # Grab the window's bottom-right corner, inside the picture's inset, and
  # drag it far to the right and a little down. On a loaded machine the
  # nested compositor can miss a drag; it is tried again from where the
  # window stands then, and a window that refuses the resize still fails
  # after the third.
  resized=false
  for pause in 0.3 1 2; do
    sync_pointer
    cx=$((x + w + 4)) cy=$((y + h + 4))
    [ "$frame" = false ] && cx=$((x + w - 2)) cy=$((y + h - 2))
    to_x=$((cx + 400)) to_y=$((cy + 20 < 874 ? cy + 20 : 874))
    xdotool mousemove "$cx" "$cy" sleep "$pause" mousedown 1 sleep 0.4 \
      mousemove $((cx + 20)) $((cy + 1)) sleep 0.2 mousemove $((cx + 100)) $((cy + 5)) \
      sleep 0.2 mousemove "$to_x" "$to_y" sleep 0.5 mouseup 1
    picture_shown 360 50 && { resized=true; break; }
    echo "drag from $cx,$cy missed: the picture is at ${w:-?}x${h:-?}+${x:-?}+${y:-?}"
    wait_for_still_picture
  done
  $resized || fail "frame=$frame: the picture did not show at a new size after three drags (still 360 wide)"
  bottom=$((y + h))
  # The picture's proportions hold, and its bottom stays at the pointer and on the screen.
  awk -v w="$w" -v h="$h" 'BEGIN {r=w/h; exit !(r > 0.59 && r < 0.625)}' ||
    fail "frame=$frame: resized to ${w}x$h, proportions lost"
  [ "$bottom" -le $((to_y + 2)) ] && [ "$bottom" -le 875 ] ||
    fail "frame=$frame: the picture's bottom is at $bottom, the pointer was released at $to_y"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  # Gone from the screen before the next window comes.
  for _ in $(seq 50); do
    read -r w _ <<<"$(red_box)"
    [ "${w:-0}" -lt 100 ] && break
    sleep 0.1
  done
done
echo "PASS"
