# The viewer window is sized to the image on a 1440x875 screen, steps with
# the arrow keys, and switches its style with Ctrl+R.
source "$(dirname "$0")/lib.sh" "$@"

pics=$WORK/pics
mkdir -p "$pics"
"$MAKE_SAMPLES" plain 800x600 "$pics/a.png" '#204080'
"$MAKE_SAMPLES" plain 4000x3000 "$pics/b.jpg" '#c08020'

start_fennic "$pics/a.png"
win=$(wait_for_window a.png)
[ "$(window_size "$win")" = 812x664 ] || fail "framed 800x600 image: window $(window_size "$win")"

# The image fills the window below the 52-point band, inside a 6-point inset.
read -r x y < <(xwininfo -id "$win" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
colour=$("$SCREEN_GRAB" pixel $((x + 600)) $((y + 52 + 400)))
[ "$colour" = "#204080" ] || fail "image pixel is $colour"

# The window manager is told to keep the proportions (the band aside) and
# the minimum size.
hints=$(xprop -id "$win" WM_NORMAL_HINTS)
[[ $hints == *"minimum aspect ratio: 4/3"* && $hints == *"base size: 12 by 64"* ]] ||
  fail "size hints: $hints"

xdotool windowfocus --sync "$win"
xdotool key Right
win=$(wait_for_window b.jpg)
size=$(window_size "$win")
[ "$size" = 1085x869 ] || fail "4000x3000 image: window $size, expected 1085x869"

xdotool key ctrl+r
for _ in $(seq 50); do
  [ "$(window_size "$win")" = 1073x805 ] && break
  sleep 0.1
done
[ "$(window_size "$win")" = 1073x805 ] || fail "frameless window is $(window_size "$win")"
xprop -id "$win" _MOTIF_WM_HINTS | awk -F', ' '{exit !($3 == "0x0")}' ||
  fail "no-decoration hint missing: $(xprop -id "$win" _MOTIF_WM_HINTS)"
grep -q 'visualStyleAsFrame=false' "$XDG_CONFIG_HOME/fennic/fennic.conf" || fail "style not stored"

xdotool key Left
win=$(wait_for_window a.png)
[ "$(window_size "$win")" = 800x600 ] || fail "frameless 800x600 image: window $(window_size "$win")"
grep -q '^Press$' "$WORK/fennic-0.out" || fail "key presses not reported"
echo "PASS"
