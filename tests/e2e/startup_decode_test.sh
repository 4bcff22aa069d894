# A JPEG named on the command line is decoded while the program starts, and
# that decode is what the window first shows.
source "$(dirname "$0")/lib.sh" "$@"

pics=$WORK/pics
mkdir -p "$pics"
"$MAKE_SAMPLES" plain 3000x2000 "$pics/photo.jpg" '#c08020'

FENNIC_TRACE=1 start_fennic "$pics/photo.jpg"
win=$(wait_for_window photo.jpg)
read -r x y < <(xwininfo -id "$win" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
for _ in $(seq 50); do
  grep -q 'first-paint' "$WORK/fennic-0.err" && break
  sleep 0.1
done
grep -q 'fennic-trace: first-paint' "$WORK/fennic-0.err" || fail "no first paint traced"
# The scheduler never decoded the shown file: the start-up decode served it.
grep -q 'decode-shown' "$WORK/fennic-0.err" && fail "the shown image was decoded a second time"
colour=$("$SCREEN_GRAB" pixel $((x + 300)) $((y + 300)))
[[ $colour == "#c"* ]] || fail "image pixel is $colour"
echo "PASS"
