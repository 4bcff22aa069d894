# Under openbox (a window manager that draws title bars and buttons of its
# own): what the window manager does to a viewer window, read back from it.
source "$(dirname "$0")/lib.sh" "$@"
start_window_manager

pics=$WORK/pics
mkdir -p "$pics"
"$MAKE_SAMPLES" plain 600x400 "$pics/a-wide.jpg" '#204080'
"$MAKE_SAMPLES" plain 400x600 "$pics/b-tall.jpg" '#802040'
big=$WORK/big
mkdir -p "$big"
"$MAKE_SAMPLES" plain 1600x1000 "$big/big-1.png" '#406080'
"$MAKE_SAMPLES" plain 1600x1000 "$big/big-2.png" '#608040'
"$MAKE_SAMPLES" plain 800x600 "$big/small.png" '#804060'

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

click_at() {
  xdotool mousemove "$1" "$2"
  sleep 0.2
  xdotool click --repeat "${3:-1}" --delay 80 1
}

start_fennic "$pics/a-wide.jpg"
win=$(wait_for_window a-wide.jpg)
wait_for_size "$win" 612x464 || fail "framed 600x400: window $(window_size "$win")"
frame=$(settled_frame "$win")
read -r fx fy fw _ <<<"$frame"

# Maximising is refused by every route: the maximise button (openbox's
# default layout puts it second from the right), a double click on the
# title, and another program's _NET_WM_STATE request. Each is tried a few
# times: what undoes a maximise must not depend on how events interleave.
for round in 1 2 3; do
  click_at $((fx + fw - 28)) $((fy + 10))
  back_to "$win" 612x464 "$frame" ||
    fail "round $round, the maximise button: $(window_size "$win"), frame $(frame_geometry "$win")"
  click_at $((fx + fw / 2)) $((fy + 10)) 2
  back_to "$win" 612x464 "$frame" ||
    fail "round $round, a double click on the title: $(window_size "$win"), frame $(frame_geometry "$win")"
  wmctrl -i -r "$win" -b add,maximized_vert,maximized_horz
  back_to "$win" 612x464 "$frame" ||
    fail "round $round, a pager's request: $(window_size "$win"), frame $(frame_geometry "$win")"
done
# The whole frame lies on the 1440x875 screen (and, with "centred", in its
# middle both ways).
frame_placed() {
  local x y w h dx dy
  read -r x y w h <<<"$1"
  dx=$((x - (1440 - x - w))) dy=$((y - (875 - y - h)))
  [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le 1440 ] && [ $((y + h)) -le 875 ] &&
    { [ "${2:-}" != centred ] || { [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ]; }; }
}
# Waits until the window has its size and a placed frame.
fitted_as() {
  local win=$1 size=$2 frame
  for _ in $(seq 50); do
    frame=$(frame_geometry "$win")
    [ "$(window_size "$win")" = "$size" ] && frame_placed "$frame" "${4:-centred}" && return 0
    sleep 0.1
  done
  fail "$3: window $(window_size "$win"), frame $frame (wanted $size, whole, ${4:-centred})"
}

# Steps between a landscape and a portrait picture: every fit ends at the
# picture's size with the frame on the screen, however the window manager's
# answers to earlier sizes interleave.
xdotool windowfocus --sync "$win"
for round in 1 2 3 4 5; do
  xdotool key Right
  tall=$(wait_for_window b-tall.jpg)
  fitted_as "$tall" 412x664 "round $round, portrait after landscape"
  xdotool key Left
  wait_for_window a-wide.jpg >/dev/null
  fitted_as "$win" 612x464 "round $round, landscape after portrait"
done
# Quick turns: each ends fitted too.
action() {
  gdbus call --session --dest org.fennic.Fennic --object-path /org/fennic/Fennic \
    --method org.freedesktop.Application.ActivateAction "$1" "[]" '{}' >/dev/null
}
action rotateClock
action rotateClock
action rotateClock
fitted_as "$win" 412x664 "three quick turns"

# Several frameless windows switched to framed at once (Ctrl+R): each frame
# whole on the screen and centred, each window the size a fresh framed window
# of its picture gets.
action rotateCounter
fitted_as "$win" 612x464 "turned back"
kill "$LAST_PID"
wait "$LAST_PID" 2>/dev/null || true
start_fennic "$big/big-1.png"
fresh=$(wait_for_window big-1.png)
settled_frame "$fresh" >/dev/null
framed_big=$(window_size "$fresh")
frame_placed "$(frame_geometry "$fresh")" centred || fail "a fresh framed window: frame $(frame_geometry "$fresh")"
kill "$LAST_PID"
wait "$LAST_PID" 2>/dev/null || true
mkdir -p "$XDG_CONFIG_HOME/fennic"
printf '[General]\nvisualStyleAsFrame=false\n' >"$XDG_CONFIG_HOME/fennic/fennic.conf"
start_fennic "$big/big-1.png" "$big/big-2.png" "$big/small.png"
w1=$(wait_for_window big-1.png)
w2=$(wait_for_window big-2.png)
w3=$(wait_for_window small.png)
fitted_as "$w3" 800x600 "frameless small picture"
# Frameless on a server without a compositor: the window's corners are cut
# round; what lies behind (the desktop, another window) shows there, not the
# window's light background.
xdotool windowactivate --sync "$w3"
sleep 0.5
read -r x y w h < <(frame_geometry "$w3")
import -window root "$WORK/frameless.png"
pixel() { convert "$WORK/frameless.png" -format "%[fx:int(255*p{$1,$2}.r)] %[fx:int(255*p{$1,$2}.g)] %[fx:int(255*p{$1,$2}.b)]" info:; }
corner=$(pixel "$x" $((y + h - 1)))
inside=$(pixel $((x + 12)) $((y + h - 13)))
read -r r g b <<<"$corner"
[ "$corner" != "128 64 96" ] && { [ "$r" -lt 200 ] || [ "$g" -lt 200 ] || [ "$b" -lt 200 ]; } ||
  fail "frameless corner shows $corner, not what lies behind the window"
[ "$inside" = "128 64 96" ] || fail "frameless picture near its corner is $inside"
xdotool windowfocus --sync "$w3"
xdotool key ctrl+r
fitted_as "$w3" 812x664 "small picture framed"
for w in "$w1" "$w2"; do
  fitted_as "$w" "$framed_big" "large picture framed" cascaded
done
# Opened together, the two windows of one size do not cover each other: the
# one shown later steps right (and down, where the screen leaves room).
read -r x1 y1 _ < <(frame_geometry "$w1")
read -r x2 y2 _ < <(frame_geometry "$w2")
dx=$((x2 - x1)) dy=$((y2 - y1))
[ "${dx#-}" = 28 ] && { [ "${dy#-}" = 28 ] || [ "$dy" = 0 ]; } ||
  fail "windows of one size opened together: frames at $x1,$y1 and $x2,$y2"
kill "$LAST_PID"
wait "$LAST_PID" 2>/dev/null || true

# Framed, a picture that fits is shown one pixel per pixel: a checkerboard of
# single pixels comes out on the screen as it is in the file, 6 pixels in from
# the sides and below the band.
rm "$XDG_CONFIG_HOME/fennic/fennic.conf"
convert -size 240x160 pattern:gray50 "$pics/checks.png"
start_fennic "$pics/checks.png"
win=$(wait_for_window checks.png)
fitted_as "$win" 252x224 "framed checkerboard"
xdotool windowactivate --sync "$win"
sleep 0.5
import -window "$win" "$WORK/checks-shown.png"
# (inside its rounded corners)
convert "$WORK/checks-shown.png" -crop 230x150+11+63 +repage "$WORK/checks-picture.png"
convert "$pics/checks.png" -crop 230x150+5+5 +repage "$WORK/checks-file.png"
differing=$(compare -metric AE "$WORK/checks-picture.png" "$WORK/checks-file.png" null: 2>&1) || true
[ "$differing" = 0 ] || fail "the framed checkerboard is not shown 1:1: $differing pixels differ"
echo "PASS"
