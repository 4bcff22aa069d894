# Launched without a file (or with none that opens), Fennic asks for one;
# the file chosen in the dialog opens in a window and the program stays.
source "$(dirname "$0")/lib.sh" "$@"

pics=$WORK/pics
mkdir -p "$pics"
"$MAKE_SAMPLES" plain 400x300 "$pics/chosen.png" '#306090'

choose() {
  local dialog
  dialog=$(wait_for_window 'Choose an image')
  xdotool windowfocus --sync "$dialog"
  # The file name field has the focus; a full path there opens that file.
  xdotool type --delay 5 "$1"
  xdotool key Return
}

start_fennic
first=$LAST_PID
choose "$pics/chosen.png"
win=$(wait_for_window chosen.png)
[ "$(window_size "$win")" = 412x364 ] || fail "chosen image: window $(window_size "$win")"
answered >/dev/null || fail "the program ended after the dialog"
kill -0 "$first" 2>/dev/null || fail "the program ended after the dialog"
xdotool windowfocus --sync "$win"
xdotool key ctrl+w
for _ in $(seq 50); do kill -0 "$first" 2>/dev/null || break; sleep 0.1; done
kill -0 "$first" 2>/dev/null && fail "closing the last window did not end the program"

# Every argument refused: the reasons, then the dialog, and the file chosen there.
start_fennic "$pics/missing.png"
second=$LAST_PID
choose "$pics/chosen.png"
wait_for_window chosen.png >/dev/null
answered >/dev/null || fail "the program ended after the dialog"
kill -0 "$second" 2>/dev/null || fail "the program ended after the dialog"
grep -q "cannot open '$pics/missing.png'" "$WORK/fennic-1.err" || fail "no reason printed"
echo "PASS"
