# The first launch makes Fennic the default application for its image types;
# the preferences and keyboard shortcuts windows come up in front of the
# viewer, focused, and switching the style there changes the viewer at once.
source "$(dirname "$0")/lib.sh" "$@"
start_window_manager

pics=$WORK/pics
mkdir -p "$pics"
"$MAKE_SAMPLES" plain 800x600 "$pics/a.png" '#204080'
list=$XDG_CONFIG_HOME/mimeapps.list
printf '# mine\n[Default Applications]\nimage/png=eog.desktop;\n' >"$list"

start_fennic "$pics/a.png"
viewer=$(wait_for_window a.png)
# Registered once the first picture is on the screen.
for _ in $(seq 50); do
  grep -q '^setFileDefaults=false' "$XDG_CONFIG_HOME/fennic/fennic.conf" 2>/dev/null && break
  sleep 0.1
done
grep -qx 'image/png=org.fennic.Fennic.desktop;eog.desktop;' "$list" || fail "png not ours: $(cat "$list")"
grep -qx 'image/jpeg=org.fennic.Fennic.desktop;' "$list" || fail "jpeg not ours: $(cat "$list")"
head -n 1 "$list" | grep -qx '# mine' || fail "the list lost its first line: $(cat "$list")"
grep -q '^setFileDefaults=false' "$XDG_CONFIG_HOME/fennic/fennic.conf" || fail "setFileDefaults not cleared"

is_active() {
  for _ in $(seq 50); do
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

xdotool windowfocus --sync "$viewer"
xdotool key ctrl+comma
prefs=$(wait_for_window Preferences)
is_active "$prefs" || fail "the preferences window is not focused"
[ "$(window_size "$prefs" | cut -dx -f1)" = 490 ] || fail "preferences $(window_size "$prefs")"

# "Frameless": the second picture in the Visual section, tapped.
read -r x y _ < <(xwininfo -id "$prefs" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
wait_for_size "$viewer" 812x664 || fail "framed viewer: $(window_size "$viewer")"
h=$(window_size "$prefs" | cut -dx -f2)
xdotool mousemove $((x + 22 + 100 + 15 + 50)) $((y + h - 80)) click 1
viewer=$(wait_for_window a.png)
wait_for_size "$viewer" 800x600 || fail "the viewer did not turn frameless: $(window_size "$viewer")"
grep -q '^visualStyleAsFrame=false' "$XDG_CONFIG_HOME/fennic/fennic.conf" || fail "style not stored"
# Preferences stays in front and focused, above the viewer it changed.
sleep 0.5
is_active "$prefs" || fail "choosing a style took the focus from Preferences"
stack=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g')
[ "$(printf '%d' "${stack##* }")" = "$prefs" ] || fail "Preferences is not on top: stacking $stack, preferences $prefs"
# Escape and Ctrl+W close it, as any desktop program's window.
xdotool key Escape
for _ in $(seq 30); do xdotool search --onlyvisible --name '^Preferences$' >/dev/null 2>&1 || break; sleep 0.1; done
xdotool search --onlyvisible --name '^Preferences$' >/dev/null 2>&1 && fail "Escape did not close Preferences"
xdotool windowfocus --sync "$viewer"
xdotool key ctrl+comma
prefs=$(wait_for_window Preferences)
is_active "$prefs" || fail "the second preferences window is not focused"
xdotool key ctrl+w
for _ in $(seq 30); do xdotool search --onlyvisible --name '^Preferences$' >/dev/null 2>&1 || break; sleep 0.1; done
xdotool search --onlyvisible --name '^Preferences$' >/dev/null 2>&1 && fail "Ctrl+W did not close Preferences"

xdotool windowfocus --sync "$viewer"
xdotool key F1
help=$(wait_for_window "Keyboard Shortcuts")
is_active "$help" || fail "the shortcuts window is not focused"
xprop -id "$help" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "shortcuts window not above"
xdotool key Escape
for _ in $(seq 30); do xdotool search --onlyvisible --name '^Keyboard Shortcuts$' >/dev/null 2>&1 || break; sleep 0.1; done
xdotool search --onlyvisible --name '^Keyboard Shortcuts$' >/dev/null 2>&1 && fail "Escape did not close the shortcuts"

# The deletion question is wide enough for its texts on the window manager's
# frame (the whole title in its title bar, the question on one line) and
# stands over its window.
xdotool windowfocus --sync "$viewer"
xdotool key Delete
question=
for _ in $(seq 100); do
  question=$(xdotool search --onlyvisible --name '^Delete this image\?$' 2>/dev/null | head -n 1) && break
  sleep 0.1
done
[ -n "$question" ] || fail "no deletion question"
sleep 0.5
read -r qx qy qw qh < <(frame_geometry "$question")
read -r vx vy vw vh < <(frame_geometry "$viewer")
[ "$qw" -ge 360 ] || fail "the deletion question is $qw pixels wide"
[ "$qx" -ge "$vx" ] && [ $((qx + qw)) -le $((vx + vw)) ] &&
  [ "$qy" -ge "$vy" ] && [ $((qy + qh)) -le $((vy + vh)) ] &&
  [ $((qx + qw / 2 - vx - vw / 2)) -le 24 ] && [ $((vx + vw / 2 - qx - qw / 2)) -le 24 ] ||
  fail "the deletion question at $qx,$qy ${qw}x$qh is not over its window at $vx,$vy ${vw}x$vh"
xdotool key Escape
echo "PASS"
