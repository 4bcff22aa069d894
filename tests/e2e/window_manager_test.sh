# Under a window manager with title bars (openbox): frames stay on the screen
# and centred, the size hints follow a style switch, and no maximise button.
source "$(dirname "$0")/lib.sh" "$@"
start_window_manager

pics=$WORK/pics
mkdir -p "$pics"
"$MAKE_SAMPLES" plain 1440x875 "$pics/a-screen.png" '#204080'
"$MAKE_SAMPLES" plain 2000x1000 "$pics/b-wide.png" '#802040'
"$MAKE_SAMPLES" plain 800x600 "$pics/c-small.png" '#208040'

# The whole frame lies on the 1440x875 screen, centred both ways (once the
# window manager has framed the window).
frame_is_placed() {
  local x y w h dx dy
  read -r x y w h < <(frame_geometry "$1")
  placed="frame $w x $h at $x,$y"
  dx=$((x - (1440 - x - w))) dy=$((y - (875 - y - h)))
  [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le 1440 ] && [ $((y + h)) -le 875 ] &&
    [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ]
}
check_frame() {
  for _ in $(seq 40); do
    frame_is_placed "$1" && return 0
    sleep 0.1
  done
  fail "$2: $placed is off the screen or not centred"
}

start_fennic "$pics/a-screen.png"
win=$(wait_for_window a-screen.png)
check_frame "$win" "screen-sized image"

xdotool windowfocus --sync "$win"
xdotool key Right
win=$(wait_for_window b-wide.png)
check_frame "$win" "wide image"

# No maximise button, neither at first nor after switching the style twice.
no_maximise() {
  local hints
  hints=$(xprop -id "$1" _MOTIF_WM_HINTS | sed -n 's/.*= //p')
  IFS=', ' read -r flags functions decorations _ <<<"$hints"
  # Functions are used only with flag bit 0, decorations with bit 1.
  if (( flags & 1 )) && (( functions & 1 ? !(functions & 0x10) : functions & 0x10 )); then
    fail "$2: maximise allowed (_MOTIF_WM_HINTS $hints)"
  fi
  if (( flags & 2 )) && (( decorations & 1 ? !(decorations & 0x40) : decorations & 0x40 )); then
    fail "$2: maximise button shown (_MOTIF_WM_HINTS $hints)"
  fi
  (( flags & 1 )) || fail "$2: window functions not restricted (_MOTIF_WM_HINTS $hints)"
}
no_maximise "$win" "framed window"

xdotool key Right
win=$(wait_for_window c-small.png)
wait_for_size "$win" 812x664 || fail "framed 800x600: window $(window_size "$win")"

# Waits until the window's size hints give base size $2 and keep the 4:3
# proportions; $hints holds the last ones read.
wait_for_hints() {
  for _ in $(seq 50); do
    hints=$(xprop -id "$1" WM_NORMAL_HINTS)
    [[ $hints == *"$2"* && $hints == *"minimum aspect ratio: 4/3"* ]] && return 0
    sleep 0.1
  done
  return 1
}

# Framed to frameless and back: the window manager gets the new band at once.
xdotool key ctrl+r
wait_for_size "$win" 800x600 || fail "frameless 800x600: window $(window_size "$win")"
wait_for_hints "$win" "base size: 0 by 0" || fail "frameless size hints: $hints"
xdotool key ctrl+r
wait_for_size "$win" 812x664 || fail "framed again: window $(window_size "$win")"
wait_for_hints "$win" "base size: 12 by 64" || fail "framed size hints: $hints"
no_maximise "$win" "framed again"
check_frame "$win" "framed again"

# A resize keeps the picture's proportions with the band on top. (Within a
# second of a fit, sizes are taken for the window manager's late answers and
# the fit is applied again: a person's resize comes later.)
sleep 1.1
xdotool windowsize "$win" 1000 780
for _ in $(seq 30); do [ "$(window_size "$win")" = 1000x805 ] && break; sleep 0.1; done
[ "$(window_size "$win")" = 1000x805 ] || fail "widened framed window: $(window_size "$win")"

# The style changed by another program: the band and the resize rule follow.
sed -i 's/^visualStyleAsFrame=.*/visualStyleAsFrame=false/' "$XDG_CONFIG_HOME/fennic/fennic.conf"
wait_for_size "$win" 800x600 || fail "style changed outside: window $(window_size "$win")"
sleep 1.1
xdotool windowsize "$win" 1000 700
for _ in $(seq 30); do [ "$(window_size "$win")" = 1000x750 ] && break; sleep 0.1; done
[ "$(window_size "$win")" = 1000x750 ] || fail "widened frameless window: $(window_size "$win")"
echo "PASS"
