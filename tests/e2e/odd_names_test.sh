# A file whose name is not UTF-8 cannot be opened through Qt: naming it on the
# command line prints why, and Fennic carries on as for any path it refuses.
source "$(dirname "$0")/lib.sh" "$@"

pics=$WORK/pics
mkdir -p "$pics"
"$MAKE_SAMPLES" plain 200x100 "$pics/valid.jpg"
mv "$pics/valid.jpg" "$pics/"$'\xff\xfe.jpg'

start_fennic "$pics/"$'\xff\xfe.jpg'
wait_for_window "Choose an image" >/dev/null
kill -0 "$LAST_PID" 2>/dev/null || fail "fennic has exited"
grep -qxF "fennic: cannot open '$pics/\xff\xfe.jpg': the name is not valid UTF-8" "$WORK/fennic-0.err" ||
  fail "not reported: $(cat "$WORK/fennic-0.err")"
echo "PASS"
