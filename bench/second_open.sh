#!/usr/bin/env bash
# A second open while Fennic runs: `fennic B` hands B to the running instance
# over D-Bus and exits; the time is from that launch until B's picture is on
# screen (the running instance's new window). Beside it, a cold launch of
# qt-floor (the least a Qt program does to show an image) on the same
# picture, through ../shared/tools/first-pixel, and the ratio.
#   bench/second_open.sh [BUILD_DIR]
# Environment: RUNS (default 7), FIRST_PIXEL (the probe for the cold launch),
# QT_FLOOR_BUILD (qt-floor's build script).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
runs=${RUNS:-7}
first_pixel=${FIRST_PIXEL:-$repo/../shared/tools/first-pixel}
for tool in Xvfb cc convert dbus-daemon; do
  command -v "$tool" >/dev/null || { echo "second_open: skipped, $tool is missing (scripts/setup installs it)"; exit 0; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The probe: runs a command and prints the milliseconds until the screen's
# centre pixel shows the colour given (within 40 per channel).
cat >"$work/probe.c" <<'EOF'
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>
static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}
int main(int argc, char** argv) {
    if (argc < 4) return 2;
    unsigned long want = strtoul(argv[1], NULL, 16);
    Display* d = XOpenDisplay(NULL);
    if (!d) return 2;
    Window root = DefaultRootWindow(d);
    int x = DisplayWidth(d, 0) / 2, y = DisplayHeight(d, 0) / 2;
    double t0 = now();
    if (fork() == 0) {
        execvp(argv[3], argv + 3);
        _exit(127);
    }
    while (now() - t0 < 1000 * atof(argv[2])) {
        XImage* im = XGetImage(d, root, x, y, 1, 1, AllPlanes, ZPixmap);
        unsigned long p = im ? XGetPixel(im, 0, 0) & 0xffffff : 0;
        if (im) XDestroyImage(im);
        int near = 1;
        for (int s = 0; s < 24; s += 8) {
            int diff = (int)((p >> s) & 255) - (int)((want >> s) & 255);
            near = near && diff <= 40 && diff >= -40;
        }
        if (near) {
            printf("%.0f\n", now() - t0);
            return 0;
        }
        usleep(2000);
    }
    printf("timeout\n");
    return 3;
}
EOF
cc -O2 -o "$work/probe" "$work/probe.c" -lX11 || { echo "second_open: skipped, the probe does not build (libx11-dev)"; exit 0; }

convert -size 800x600 xc:'#c03020' -quality 92 "$work/first.jpg"
convert -size 800x600 xc:'#2040c0' -quality 92 "$work/second.jpg"

Xvfb -displayfd 9 -screen 0 1440x900x24 -nolisten tcp -noreset 9>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 500); do [ -s "$work/display" ] && break; sleep 0.01; done
export DISPLAY=:$(head -1 "$work/display")
sleep 0.3
# The same window manager as first-pixel's: every window maximised, so the
# centre pixel is the picture's.
if command -v ratpoison >/dev/null; then
  ratpoison >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.3
fi
mkdir -m 700 "$work/home" "$work/run"
export HOME=$work/home XDG_RUNTIME_DIR=$work/run NO_AT_BRIDGE=1
unset XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME XDG_STATE_HOME DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER
dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$work/bus" </dev/null
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$work/bus")
pids+=($(sed -n 2p "$work/bus"))

median() { sort -n | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]; else print "-"}'; }

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) cores; $runs runs"
second=()
for _ in $(seq "$runs"); do
  "$build/fennic" "$work/first.jpg" >/dev/null 2>&1 &
  running=$!
  if ! "$work/probe" c03020 10 true >/dev/null; then
    echo "second_open: the first window did not appear" >&2
    kill "$running" 2>/dev/null
    exit 1
  fi
  sleep 0.5 # the first launch's own after-paint work settles
  out=$("$work/probe" 2040c0 10 "$build/fennic" "$work/second.jpg")
  [[ $out =~ ^[0-9]+$ ]] && second+=("$out") || echo "second_open: $out" >&2
  kill "$running" 2>/dev/null
  wait "$running" 2>/dev/null
done
second_ms=$(printf '%s\n' "${second[@]}" | median)

floor_ms=-
floor_build=${QT_FLOOR_BUILD:-$repo/../shared/tools/qt-floor/build}
if [ -x "$first_pixel" ] && [ -x "$floor_build" ] &&
  qt_floor=$("$floor_build" "$work/qt-floor" 2>/dev/null) && [ -x "$qt_floor" ]; then
  cold=()
  for _ in $(seq "$runs"); do
    out=$("$first_pixel" --tol 40 --timeout 10 "$work/second.jpg" -- "$qt_floor" 2>&1 | tail -n 1)
    [[ $out =~ ^[0-9]+$ ]] && cold+=("$out")
  done
  floor_ms=$(printf '%s\n' "${cold[@]}" | median)
else
  echo "second_open: qt-floor or the pixel probe is not available, its column is left out"
fi
printf '%-28s %8s %8s %8s\n' "" fennic qt-floor ratio
printf '%-28s %8s %8s %8s\n' "second open, 800x600 JPEG" "$second_ms" "$floor_ms" \
  "$(awk -v a="$second_ms" -v b="$floor_ms" 'BEGIN {if (a+0 > 0 && b+0 > 0) printf "%.2f", a / b; else print "-"}')"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "(milliseconds, medians; fennic: launch of the second fennic until its picture shows, the first one running;"
echo " qt-floor: a cold launch on the same picture; target ratio <= 1.0)"
