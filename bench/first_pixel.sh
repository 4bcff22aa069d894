#!/usr/bin/env bash
# Launch to first painted pixel, as whole processes under a fresh Xvfb, for
# camera-like noisy JPEGs at 800x600, 3000x2000, 6000x4000 and 200 megapixels
# (three launches each at that size, which take seconds): Fennic against
# feh and nsxiv (when installed), against a full djpeg decode of the same
# file, and against qt-floor, the least a Qt program does to show an image
# (built from ../shared/tools/qt-floor; left out when it cannot be). Prints
# the median of several launches per viewer and size, and ratios.
#   bench/first_pixel.sh [BUILD_DIR]
# Environment: RUNS (launches per viewer and size, default 7), FIRST_PIXEL (the
# probe; default ../shared/tools/first-pixel next to the repository), SIZES,
# QT_FLOOR_BUILD (qt-floor's build script), COLD (1: no untimed launch before
# each timed one).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
probe=${FIRST_PIXEL:-$repo/../shared/tools/first-pixel}
runs=${RUNS:-7}
sizes=${SIZES:-"800x600 3000x2000 6000x4000 16330x12250"}

if [ ! -x "$probe" ]; then
  echo "first_pixel: skipped, no pixel probe at $probe (set FIRST_PIXEL)"
  exit 0
fi
for tool in Xvfb convert cc djpeg; do
  command -v "$tool" >/dev/null || { echo "first_pixel: skipped, $tool is missing (scripts/setup installs it)"; exit 0; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Each launch gets a fresh home, as on a machine where Fennic has run before:
# it remembers the screen's size (the probe's Xvfb is 1440x900) and starts
# its first decode without asking the X server.
mkdir -p "$work/home/.cache/fennic"
printf '1440x900' >"$work/home/.cache/fennic/screen-size"

viewers=(fennic)
# The least a Qt program does to show an image: what Fennic spends beyond it
# is its own start-up cost.
floor_build=${QT_FLOOR_BUILD:-$repo/../shared/tools/qt-floor/build}
qt_floor=
if [ -x "$floor_build" ] && qt_floor=$("$floor_build" "$work/qt-floor" 2>/dev/null) && [ -x "$qt_floor" ]; then
  viewers+=(qt-floor)
else
  qt_floor=
  echo "first_pixel: qt-floor could not be built from $floor_build, left out"
fi
command -v feh >/dev/null && viewers+=(feh) || echo "first_pixel: feh is not installed, left out"
command -v nsxiv >/dev/null && viewers+=(nsxiv) || echo "first_pixel: nsxiv is not installed, left out"

# Each viewer shows the whole picture, shrunk to fit when larger than its
# window, centred in it: the probed centre pixel is the picture's centre. The
# window manager maximises every window; feh is told the probe's screen size,
# or it draws a small picture in the top-left corner of its maximised window.
viewer_command() {
  case "$1" in
    fennic) echo "$build/fennic" ;;
    qt-floor) echo "$qt_floor" ;;
    feh) echo "feh --scale-down --geometry 1440x900" ;;
    nsxiv) echo "nsxiv" ;;
  esac
}

median() { sort -n | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]; else print "-"}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (a+0 > 0 && b+0 > 0) printf "%.2f", a / b; else print "-"}'; }

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) cores; $runs launches per viewer and size"
printf '%-10s %8s' size djpeg
for v in "${viewers[@]}"; do printf ' %8s' "$v"; done
printf '   %s\n' "fennic/djpeg  fennic/qt-floor  fennic/fastest-other"

# The three pictures share one folder, as photos do: Fennic's first window
# also lists the folder and prefetches neighbours, which must not delay it.
for size in $sizes; do
  image=$work/noisy-$size.jpg
  "$build/tests/make-samples" camera noisy "$image" "$size" >/dev/null || { echo "first_pixel: cannot make $image"; exit 1; }

  launches=$runs
  (( ${size%x*} * ${size#*x} > 100000000 && launches > 3 )) && launches=3
  times=()
  for _ in $(seq "$launches"); do
    start=$(date +%s%N); djpeg -outfile /dev/null "$image"; end=$(date +%s%N)
    times+=($(( (end - start) / 1000000 )))
  done
  djpeg_ms=$(printf '%s\n' "${times[@]}" | median)

  # Rounds take every viewer in turn, so that a busy spell on the shared
  # machine hits all of them alike. Each timed launch follows an untimed one
  # of the same viewer: this machine's kernel drops idle file pages within
  # seconds, and in turn after the others a viewer would be timed reading
  # its own libraries from disk, while the next one finds the libraries it
  # shares with the one before (qt-floor's Qt, after Fennic) already read.
  # COLD=1 leaves the untimed launches out.
  declare -A results=()
  for _ in $(seq "$launches"); do
    for v in "${viewers[@]}"; do
      # shellcheck disable=SC2046
      [ "${COLD:-0}" = 1 ] ||
        "$probe" --tol 40 --timeout 10 --home "$work/home" "$image" -- $(viewer_command "$v") >/dev/null 2>&1
      # shellcheck disable=SC2046
      out=$("$probe" --tol 40 --timeout 10 --home "$work/home" "$image" -- $(viewer_command "$v") 2>&1 | tail -n 1)
      if [[ $out =~ ^[0-9]+$ ]]; then
        results[$v]+="$out "
      else
        echo "first_pixel: $v $size: $out" >&2
      fi
    done
  done

  printf '%-10s %8s' "$size" "$djpeg_ms"
  fennic_ms=- floor_ms=- best_other=
  for v in "${viewers[@]}"; do
    # shellcheck disable=SC2086
    m=$(printf '%s\n' ${results[$v]:-} | median)
    printf ' %8s' "$m"
    if [ "$v" = fennic ]; then
      fennic_ms=$m
    elif [ "$v" = qt-floor ]; then
      floor_ms=$m
    elif [ "$m" != - ] && { [ -z "$best_other" ] || [ "$m" -lt "$best_other" ]; }; then
      best_other=$m
    fi
  done
  printf '   %12s  %15s  %20s\n' "$(ratio "$fennic_ms" "$djpeg_ms")" "$(ratio "$fennic_ms" "$floor_ms")" \
    "$(ratio "$fennic_ms" "${best_other:-0}")"
  unset results
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "(milliseconds, medians; fennic/djpeg target <= 1.0 at 6000x4000, fennic/qt-floor <= 1.15 at 800x600 and 3000x2000,"
echo " fennic/fastest-other < 1 at 200 megapixels;"
echo " fennic/fastest-other < 1 means Fennic is first; qt-floor is not counted among the others)"
