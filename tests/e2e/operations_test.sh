# The window operations as the desktop reaches them: converting through
# D-Bus ActivateAction (the copy appears, the notification server hears of
# it), showing the file in the file manager, turning (the window turns, the
# file follows), and moving to the Trash from where it can be put back.
# Stand-in notification and file-manager services record what they receive.
source "$(dirname "$0")/lib.sh" "$@"
FAKE_SERVICES=${4:?usage: operations_test.sh FENNIC MAKE_SAMPLES SCREEN_GRAB FAKE_SERVICES}

pics=$WORK/pics
mkdir -p "$pics"
"$MAKE_SAMPLES" plain 320x240 "$pics/a.jpg" '#204080'
"$MAKE_SAMPLES" plain 320x240 "$pics/b.jpg" '#802040'
calls=$WORK/calls.log
: >"$calls"
"$FAKE_SERVICES" "$calls" >"$WORK/fake.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do
  gdbus introspect --session --dest org.freedesktop.FileManager1 \
    --object-path /org/freedesktop/FileManager1 >/dev/null 2>&1 && break
  sleep 0.05
done

action() {
  gdbus call --session --dest org.fennic.Fennic --object-path /org/fennic/Fennic \
    --method org.freedesktop.Application.ActivateAction "$1" "$2" '{}' 2>&1
}
# Waits until the call log has a line matching $1.
wait_for_call() {
  for _ in $(seq 100); do
    grep -q -- "$1" "$calls" && return 0
    sleep 0.1
  done
  fail "no call matching '$1'; calls: $(cat "$calls")"
}

start_fennic "$pics/a.jpg"
win=$(wait_for_window a.jpg)
windows=$(gdbus call --session --dest org.fennic.Fennic --object-path /org/fennic/Fennic \
  --method org.fennic.Fennic.Windows)
[[ $windows =~ \'([0-9A-Fa-f-]{36})\' ]] || fail "Windows gave: $windows"
key=${BASH_REMATCH[1]}

# Convert: the copy beside the source, the source untouched, and the
# notification about a second later.
before=$(md5sum <"$pics/a.jpg")
out=$(action convertImage "[<'$key'>, <'png'>]") || fail "convertImage refused: $out"
for _ in $(seq 100); do [ -s "$pics/a.png" ] && break; sleep 0.1; done
[ -s "$pics/a.png" ] || fail "no a.png after converting"
[ "$(identify -format '%m %wx%h' "$pics/a.png")" = "PNG 320x240" ] || fail "a.png is not a 320x240 PNG"
[ "$(md5sum <"$pics/a.jpg")" = "$before" ] || fail "converting changed the source"
wait_for_call $'Notify\tFennic\tFennic\tImage converted successfully'

# Show in the file manager: the file's URI.
out=$(action showInFinder "[<'$key'>]") || fail "showInFinder refused: $out"
wait_for_call $'ShowItems\tfile://'"$pics/a.jpg"

# Turn: the window becomes portrait at once, the JPEG gets orientation 6
# (its coded image is not re-encoded).
size=$(window_size "$win")
out=$(action rotateClock "[<'$key'>]") || fail "rotateClock refused: $out"
for _ in $(seq 50); do
  new=$(window_size "$win")
  [ "${new%x*}" -lt "${new#*x}" ] && break
  sleep 0.1
done
[ "${new%x*}" -lt "${new#*x}" ] || fail "window still $new after turning (was $size)"
for _ in $(seq 100); do
  [ "$(identify -format '%[orientation]' "$pics/a.jpg")" = RightTop ] && break
  sleep 0.1
done
[ "$(identify -format '%[orientation]' "$pics/a.jpg")" = RightTop ] || fail "a.jpg not turned on disk"

# The Delete key asks first; Escape keeps the file.
xdotool windowfocus --sync "$win" key Delete
for _ in $(seq 100); do
  xdotool search --onlyvisible --name '^Delete this image\?$' >/dev/null 2>&1 && break
  sleep 0.1
done
xdotool search --onlyvisible --name '^Delete this image\?$' >/dev/null 2>&1 || fail "no question before deleting"
xdotool key Escape
for _ in $(seq 100); do
  xdotool search --onlyvisible --name '^Delete this image\?$' >/dev/null 2>&1 || break
  sleep 0.1
done
answered >/dev/null || fail "Fennic stopped answering after the question"
[ -f "$pics/a.jpg" ] || fail "the file went although the question was cancelled"

# deleteImage moves it to the Trash without asking; the window shows b.jpg.
out=$(action deleteImage "[<'$key'>]") || fail "deleteImage refused: $out"
wait_for_window b.jpg >/dev/null
[ ! -e "$pics/a.jpg" ] || fail "a.jpg still in its folder"
trash=$XDG_DATA_HOME/Trash
[ -f "$trash/files/a.jpg" ] || fail "a.jpg not in $trash/files"
grep -qx "Path=$pics/a.jpg" "$trash/info/a.jpg.trashinfo" || fail "trashinfo: $(cat "$trash/info/a.jpg.trashinfo")"
grep -Eq '^DeletionDate=[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}$' "$trash/info/a.jpg.trashinfo" ||
  fail "no deletion date"
# Put back by the file manager's rule: the original path from the info file.
original=$(sed -n 's/^Path=//p' "$trash/info/a.jpg.trashinfo")
mv "$trash/files/a.jpg" "$original" && rm "$trash/info/a.jpg.trashinfo"
[ "$(identify -format '%[orientation]' "$pics/a.jpg")" = RightTop ] || fail "restored file differs"
echo "PASS"
