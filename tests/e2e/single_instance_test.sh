# A second launch hands its file to the running Fennic over D-Bus and exits;
# without a session bus each launch runs on its own.
source "$(dirname "$0")/lib.sh" "$@"

pics=$WORK/pics
mkdir -p "$pics"
"$MAKE_SAMPLES" plain 320x240 "$pics/first.png"
"$MAKE_SAMPLES" plain 320x240 "$pics/second.png"
"$MAKE_SAMPLES" plain 320x240 "$pics/third.png"

start_fennic "$pics/first.png"
primary=$LAST_PID
wait_for_window first.png >/dev/null

"$FENNIC" "$pics/second.png" || fail "second launch exited with $?"
wait_for_window second.png >/dev/null
kill -0 "$primary" || fail "the first process has gone"
[ "$(xdotool search --onlyvisible --name '^second.png$' getwindowpid)" = "$primary" ] ||
  fail "second.png is not shown by the first process"

# A second launch none of whose files opens fails, as a first one does.
status=0
"$FENNIC" "$pics/missing.png" "$pics/notes.txt" 2>"$WORK/refused.err" || status=$?
[ "$status" = 1 ] || fail "second launch with refused paths exited with $status"
grep -q "cannot open '$pics/missing.png'" "$WORK/refused.err" || fail "no reason printed"
# Named like an image, holding none: refused, however its name reads.
echo "not an image" >"$pics/fake.png"
status=0
"$FENNIC" "$pics/fake.png" 2>"$WORK/fake.err" || status=$?
[ "$status" = 1 ] || fail "second launch with a file that is no image exited with $status"
grep -q "cannot open '$pics/fake.png': the file is not an image" "$WORK/fake.err" ||
  fail "no reason printed for fake.png: $(cat "$WORK/fake.err")"

# No session bus: the launch keeps its own window.
DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent start_fennic "$pics/third.png"
alone=$LAST_PID
wait_for_window third.png >/dev/null
[ "$(xdotool search --onlyvisible --name '^third.png$' getwindowpid)" = "$alone" ] ||
  fail "third.png should be shown by its own process"
echo "PASS"
