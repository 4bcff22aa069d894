# Under openbox: F11 (or a double click on the picture) puts a viewer window
# on the whole screen, its small picture at its own size on black; Escape
# gives the window back its frame where it was and as large as it was.
source "$(dirname "$0")/lib.sh" "$@"
start_window_manager

pics=$WORK/pics
mkdir -p "$pics"
"$MAKE_SAMPLES" plain 300x200 "$pics/a.png" '#204080'

client_origin() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x "," y}'
}
fullscreen_state() { xprop -id "$1" _NET_WM_STATE | grep -q FULLSCREEN; }
# The window covers the 1440x875 screen.
wait_full_screen() {
  local win=$1 what=$2
  for _ in $(seq 50); do
    fullscreen_state "$win" && [ "$(window_size "$win")" = 1440x875 ] &&
      [ "$(client_origin "$win")" = 0,0 ] && return 0
    sleep 0.1
  done
  fail "$what: window $(window_size "$win") at $(client_origin "$win")"
}
# The window covers the screen, the picture in its middle on black.
check_full_screen() {
  local win=$1 what=$2
  wait_full_screen "$win" "$what"
  # The picture spans 570..869 by 337..536 (its top-left quarter is white);
  # black all round it. Read once the window has been drawn full size.
  local colour
  for _ in $(seq 30); do
    colour=$("$SCREEN_GRAB" pixel 720 437)
    [ "$colour" = "#204080" ] && break
    sleep 0.1
  done
  [ "$colour" = "#204080" ] || fail "$what: the middle of the screen is $colour"
  for point in "864 342" "575 531" "864 531"; do
    colour=$("$SCREEN_GRAB" pixel $point)
    [ "$colour" = "#204080" ] || fail "$what: the picture at $point is $colour, not at its own size"
  done
  for point in "560 437" "880 437" "720 327" "720 547" "20 860"; do
    colour=$("$SCREEN_GRAB" pixel $point)
    [ "$colour" = "#000000" ] || fail "$what: around the picture, $point is $colour"
  done
}
# The brightest pixel (0 to 1) of a part of the screen: W H X Y.
brightest() {
  "$SCREEN_GRAB" "$WORK/shot.png"
  convert "$WORK/shot.png" -crop "$1x$2+$3+$4" -colorspace Gray -format '%[fx:maxima]' info:
}
# The toolbar at the top right and the window's buttons at the top left
# show (1) or not (0).
controls_shown() {
  local want=$1 what=$2 right left
  for _ in $(seq 40); do
    right=$(brightest 200 40 1240 0)
    left=$(brightest 60 30 0 0)
    if [ "$want" = 1 ]; then
      awk -v r="$right" -v l="$left" 'BEGIN {exit !(r > 0.5 && l > 0.2)}' && return 0
    else
      awk -v r="$right" -v l="$left" 'BEGIN {exit !(r == 0 && l == 0)}' && return 0
    fi
    sleep 0.1
  done
  fail "$what: the controls' brightest pixels are $right (toolbar) and $left (buttons)"
}
# Waits until the window is out of full screen with its old size and frame.
check_back() {
  local win=$1 size=$2 frame=$3 what=$4
  for _ in $(seq 50); do
    if ! fullscreen_state "$win" && [ "$(window_size "$win")" = "$size" ] &&
      [ "$(frame_geometry "$win")" = "$frame" ]; then
      return 0
    fi
    sleep 0.1
  done
  fail "$what: window $(window_size "$win"), frame $(frame_geometry "$win") (was $size, $frame)"
}

start_fennic "$pics/a.png"
win=$(wait_for_window a.png)
settled_frame "$win" >/dev/null
# Moved away from where a fit would put it: the place to come back to is
# the user's.
xdotool windowmove "$win" 150 90
frame=$(settled_frame "$win")
size=$(window_size "$win")
xdotool windowfocus --sync "$win"

for key in F11 f; do
  xdotool key "$key"
  if [ "$key" = F11 ]; then
    # The controls show on entering (seen before they hide again on a busy
    # machine), hide once the pointer rests and come back when it moves.
    wait_full_screen "$win" "framed, $key"
    controls_shown 1 "on entering"
    check_full_screen "$win" "framed, $key"
    sleep 2.5
    controls_shown 0 "with the pointer at rest"
    xdotool mousemove 700 400 sleep 0.1 mousemove 720 420
    controls_shown 1 "once the pointer moved"
  else
    check_full_screen "$win" "framed, $key"
  fi
  xdotool key Escape
  check_back "$win" "$size" "$frame" "framed, $key then Escape"
  # The window manager may publish the frame it gave back long after (a
  # busy machine): the window stays where it was.
  sleep 1.2
  xprop -id "$win" -f _NET_FRAME_EXTENTS 32c -set _NET_FRAME_EXTENTS \
    "$(xprop -id "$win" _NET_FRAME_EXTENTS | sed 's/.*= //')"
  sleep 0.5
  check_back "$win" "$size" "$frame" "framed, $key then Escape, the frame published again"
  # Full screen's black leaves with it: the band's colour shows again in
  # the rounded corners of the picture.
  IFS=, read -r cx cy <<<"$(client_origin "$win")"
  corner=$("$SCREEN_GRAB" pixel $((cx + 6)) $((cy + 58)))
  [ "$corner" != "#000000" ] || fail "framed, $key then Escape: black in the picture's corner"
done

# Frameless: a double click on the picture enters and leaves.
xdotool key ctrl+r
# The window is made again for its new decorations.
sleep 1
win=$(wait_for_window a.png)
frame=$(settled_frame "$win")
size=$(window_size "$win")
read -r fx fy fw fh <<<"$frame"
xdotool mousemove $((fx + fw / 2)) $((fy + fh / 2))
sleep 0.3
xdotool click --repeat 2 --delay 80 1
check_full_screen "$win" "frameless, a double click"
xdotool click --repeat 2 --delay 80 1
check_back "$win" "$size" "$frame" "frameless, a second double click"

# Framed again after the frameless style: the whole screen is drawn, not
# only the corner the frameless window's shape left.
xdotool key ctrl+r
sleep 1
win=$(wait_for_window a.png)
frame=$(settled_frame "$win")
size=$(window_size "$win")
xdotool windowfocus --sync "$win"
xdotool key F11
check_full_screen "$win" "framed again, F11"
xdotool key Escape
check_back "$win" "$size" "$frame" "framed again, Escape"
echo "PASS"
