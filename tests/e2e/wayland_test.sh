#!/usr/bin/env bash
# Under a Wayland compositor (headless Weston) both styles look right: a
# framed window draws its own title band (no second title bar above it, no
# maximise button), a frameless window starts with the picture at its top
# edge, and the picture keeps its proportions. Read from screenshots.
set -euo pipefail
FENNIC=$1

if [ -z "${FENNIC_E2E_INNER:-}" ]; then
  export FENNIC_E2E_INNER=1
  exec dbus-run-session -- bash "$0" "$@"
fi

WORK=$(mktemp -d)
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_DATA_HOME=$WORK/home/.local/share
export XDG_CACHE_HOME=$WORK/home/.cache XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$XDG_CONFIG_HOME/fennic" "$XDG_DATA_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY
PIDS=()
cleanup() {
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  for f in "$WORK"/*.log; do [ -s "$f" ] && { echo "--- $(basename "$f")" >&2; tail -n 15 "$f" >&2; }; done
  exit 1
}

weston --backend=headless-backend.so --use-pixman --idle-time=0 --debug --socket=fennic-test \
  --width=1440 --height=875 >"$WORK/weston.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/fennic-test" ] && break; sleep 0.05; done
[ -S "$XDG_RUNTIME_DIR/fennic-test" ] || fail "weston did not start"
export WAYLAND_DISPLAY=fennic-test QT_QPA_PLATFORM=wayland

convert -size 600x400 xc:'#d01010' "$WORK/red.png"

# Screenshot of the whole output into $WORK/$1.png.
screenshot() {
  rm -f "$WORK"/wayland-screenshot-*.png
  (cd "$WORK" && timeout 10 weston-screenshooter) || fail "no screenshot"
  mv "$WORK"/wayland-screenshot-*.png "$WORK/$1.png"
}
# "W H X Y" of the red picture on a screenshot.
red_box() {
  convert "$1" -fuzz 12% -fill black +opaque '#d01010' -fill white -opaque '#d01010' -trim \
    -format '%w %h %X %Y' info: 2>/dev/null | tr -d '+'
}
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:; }
# True when two "R G B" colours are within 24 on every channel.
near() { awk -v a="$1" -v b="$2" 'BEGIN {split(a,x," "); split(b,y," ");
  for (i=1;i<=3;i++) { d=x[i]-y[i]; if (d<0) d=-d; if (d>24) exit 1 } }'; }

# Runs fennic on the picture in one style and takes a screenshot once it shows.
show_in_style() {
  local frame=$1 name=$2
  printf '[General]\nvisualStyleAsFrame=%s\nsetFileDefaults=false\n' "$frame" \
    >"$XDG_CONFIG_HOME/fennic/fennic.conf"
  "$FENNIC" "$WORK/red.png" >"$WORK/fennic-$name.log" 2>&1 &
  local pid=$!
  PIDS+=($pid)
  for _ in $(seq 60); do
    sleep 0.25
    screenshot "$name"
    [ -n "$(red_box "$WORK/$name.png")" ] && [ "$(red_box "$WORK/$name.png" | cut -d' ' -f1)" -gt 100 ] && break
  done
  # Then until the picture stays the same between two screenshots.
  for _ in $(seq 20); do
    mv "$WORK/$name.png" "$WORK/$name-before.png"
    sleep 0.1
    screenshot "$name"
    cmp -s "$WORK/$name.png" "$WORK/$name-before.png" && break
  done
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

show_in_style true framed
read -r w h x y <<<"$(red_box "$WORK/framed.png")"
[ -n "${w:-}" ] || fail "framed: no picture on screen"
# Proportions 3:2 kept.
awk -v w="$w" -v h="$h" 'BEGIN {r=w/h; exit !(r > 1.47 && r < 1.53)}' || fail "framed: picture is ${w}x${h}"
# The picture sits 6 pixels below the band.
band=$(pixel "$WORK/framed.png" $((x + w / 2)) $((y - 6 - 26)))
# Our band is the window colour, light; above it the desktop, not a second title bar.
awk -v c="$band" 'BEGIN {split(c,v," "); exit !(v[1] > 200 && v[2] > 200 && v[3] > 200)}' ||
  fail "framed: no light band above the picture ($band)"
above=$(pixel "$WORK/framed.png" $((x + w / 2)) $((y - 6 - 52 - 12)))
near "$above" "$band" && fail "framed: a title bar above the band ($above)"
# The close button's red disc in the band's left end, vertically centred.
found=no
for dx in $(seq 4 2 40); do
  near "$(pixel "$WORK/framed.png" $((x - 6 + dx)) $((y - 6 - 26)))" "255 95 87" && { found=yes; break; }
done
[ $found = yes ] || fail "framed: no close button in the band"
echo "framed: picture ${w}x${h} at $x,$y, band $band, above it $above"

show_in_style false frameless
read -r w h x y <<<"$(red_box "$WORK/frameless.png")"
[ -n "${w:-}" ] || fail "frameless: no picture on screen"
awk -v w="$w" -v h="$h" 'BEGIN {r=w/h; exit !(r > 1.47 && r < 1.53)}' || fail "frameless: picture is ${w}x${h}"
above=$(pixel "$WORK/frameless.png" $((x + w / 2)) $((y - 6)))
awk -v c="$above" 'BEGIN {split(c,v," "); exit !(v[1] > 200 && v[2] > 200 && v[3] > 200)}' &&
  fail "frameless: a title bar or band above the picture ($above)"
echo "frameless: picture ${w}x${h} at $x,$y, above it $above"
grep -i 'xcb\|could not connect to display' "$WORK"/fennic-*.log && fail "fennic tried X11"
echo PASS
