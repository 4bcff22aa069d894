# Paths that cannot be opened are reported on standard error and in a message
# window; when nothing could be opened the open dialog appears. A folder opens its first image.
source "$(dirname "$0")/lib.sh" "$@"

pics=$WORK/pics
mkdir -p "$pics" "$HOME/Documents"
echo "not an image" >"$pics/notes.txt"
"$MAKE_SAMPLES" plain 200x100 "$pics/IMG_10.png"
"$MAKE_SAMPLES" plain 200x100 "$pics/IMG_9.png"

start_fennic "$pics/missing.jpg" "$pics/notes.txt"
wait_for_window "Choose an image" >/dev/null
# The person is told why too, not only a terminal.
wait_for_window Fennic >/dev/null
grep -qx "fennic: cannot open '$pics/missing.jpg': No such file or directory" "$WORK/fennic-0.err" ||
  fail "missing file not reported: $(cat "$WORK/fennic-0.err")"
grep -q "^fennic: cannot open '$pics/notes.txt': " "$WORK/fennic-0.err" ||
  fail "text file not reported"
grep -q "lastOpenLocation=$HOME/Documents" "$XDG_CONFIG_HOME/fennic/fennic.conf" ||
  fail "the Documents folder was not remembered"

# The running instance takes the folder and opens its first image.
"$FENNIC" "$pics"
wait_for_window IMG_9.png >/dev/null
echo "PASS"
