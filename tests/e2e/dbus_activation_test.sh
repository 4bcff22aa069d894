# Installed into a prefix that the session bus and the desktop know about,
# Fennic is started by D-Bus activation: Activate brings up the open dialog,
# the desktop's launcher (gtk-launch, which opens DBusActivatable
# applications with the Open method) and a further Open show their files in
# the one activated process.
if [ -z "${FENNIC_E2E_INNER:-}" ]; then
  # Before lib.sh starts the session bus, which reads its service folders
  # from XDG_DATA_DIRS once, when it starts.
  FENNIC_PREFIX=$(mktemp -d)
  cmake --install "$(dirname "$1")" --prefix "$FENNIC_PREFIX" >"$FENNIC_PREFIX.log" 2>&1 ||
    { cat "$FENNIC_PREFIX.log" >&2; rm -rf "$FENNIC_PREFIX" "$FENNIC_PREFIX.log"; exit 1; }
  rm -f "$FENNIC_PREFIX.log"
  export FENNIC_PREFIX XDG_DATA_DIRS=$FENNIC_PREFIX/share:/usr/local/share:/usr/share
  # The desktop entry's TryExec and Exec name the program as found on PATH.
  export PATH=$FENNIC_PREFIX/bin:$PATH
fi
source "$(dirname "$0")/lib.sh" "$@"
trap 'cleanup; rm -rf "$FENNIC_PREFIX"' EXIT

installed=$FENNIC_PREFIX/bin/fennic
pics=$WORK/pics
mkdir -p "$pics"
"$MAKE_SAMPLES" plain 320x240 "$pics/first.png"
"$MAKE_SAMPLES" plain 320x240 "$pics/second.png"

# What a desktop session does at login: activated programs get its display.
dbus-update-activation-environment DISPLAY HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME \
  XDG_RUNTIME_DIR XDG_DATA_DIRS QT_QPA_PLATFORM

call() {
  gdbus call --session --dest org.fennic.Fennic --object-path /org/fennic/Fennic \
    --method "org.freedesktop.Application.$1" "${@:2}"
}
bus_pid() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID org.fennic.Fennic 2>/dev/null |
    sed -n 's/^(uint32 \([0-9]*\),)$/\1/p'
}
# Processes started from the installed binary.
installed_pids() {
  local pid
  for pid in $(pgrep -x fennic || true); do
    [ "$(readlink "/proc/$pid/exe")" = "$installed" ] && echo "$pid"
  done
  return 0
}

[ -z "$(bus_pid)" ] || fail "org.fennic.Fennic is owned before the test starts"
# Any call starts it; what to show is up to the call, so a question shows nothing.
windows=$(gdbus call --session --dest org.fennic.Fennic --object-path /org/fennic/Fennic \
  --method org.fennic.Fennic.Windows) || fail "the Windows call did not start Fennic"
[[ "$windows" == *'[]'* ]] || fail "a fresh Fennic lists windows: $windows"
pid=$(bus_pid)
[ -n "$pid" ] || fail "nobody owns org.fennic.Fennic after activation"
# A second question is answered after whatever the start queued.
answered >/dev/null || fail "the activated Fennic stopped answering"
[ -z "$(xdotool search --onlyvisible --name '^Choose an image$' 2>/dev/null || true)" ] ||
  fail "the open dialog came up before Activate"

call Activate '{}' >/dev/null || fail "Activate failed"
dialog=$(wait_for_window "Choose an image")
[ "$(bus_pid)" = "$pid" ] || fail "Activate started another process"
[ -n "$pid" ] || fail "nobody owns org.fennic.Fennic after activation"
[ "$(readlink "/proc/$pid/exe")" = "$installed" ] || fail "the bus name's owner is not $installed"
tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q -- '--gapplication-service' ||
  fail "the activated process was not started by the service file"
[ "$(xdotool getwindowpid "$dialog")" = "$pid" ] || fail "the dialog is not the activated process's"

# The desktop's launcher opens a file through the desktop entry.
gtk-launch org.fennic.Fennic "$pics/first.png" >"$WORK/gtk-launch.out" 2>&1 ||
  { cat "$WORK/gtk-launch.out" >&2; fail "gtk-launch failed"; }
first=$(wait_for_window first.png)
[ "$(xdotool getwindowpid "$first")" = "$pid" ] || fail "first.png is not shown by the activated process"

call Open "['file://$pics/second.png']" '{}' >/dev/null || fail "Open failed"
second=$(wait_for_window second.png)
[ "$(xdotool getwindowpid "$second")" = "$pid" ] || fail "second.png is not shown by the activated process"
[ "$(installed_pids)" = "$pid" ] || fail "more than one Fennic runs: $(installed_pids | tr '\n' ' ')"

# From the file manager: the first launch made Fennic the default for what
# it opens, and every name of those types opens (TIFF as .tif, JPEG in capitals
# or as .jfif and .jpe), in the one process. It registers once its first
# window is on the screen.
for _ in $(seq 50); do
  [ "$(xdg-mime query default image/tiff)" = org.fennic.Fennic.desktop ] && break
  sleep 0.1
done
[ "$(xdg-mime query default image/tiff)" = org.fennic.Fennic.desktop ] ||
  fail "Fennic is not the default for image/tiff: $(xdg-mime query default image/tiff)"
convert -size 64x48 xc:teal "$pics/scan.tif"
convert -size 64x48 xc:teal "$pics/IMG_0001.JPG"
convert -size 64x48 xc:teal "jpeg:$pics/web.jfif"
convert -size 64x48 xc:teal "jpeg:$pics/old.jpe"
for name in scan.tif IMG_0001.JPG web.jfif old.jpe; do
  gio open "$pics/$name" >"$WORK/gio-open.out" 2>&1 || { cat "$WORK/gio-open.out" >&2; fail "gio open $name"; }
  shown=$(wait_for_window "$name")
  [ "$(xdotool getwindowpid "$shown")" = "$pid" ] || fail "$name is not shown by the activated process"
done

# Started by D-Bus while the name is taken, the program leaves it alone.
status=0
"$installed" --gapplication-service 2>"$WORK/second-service.err" || status=$?
[ "$status" = 1 ] || fail "a second service process exited with $status"
[ "$(bus_pid)" = "$pid" ] || fail "the bus name changed hands"
kill "$pid"
echo "PASS"
