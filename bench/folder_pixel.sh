#!/usr/bin/env bash
# Launch to first painted pixel of one 800x600 photo, in a folder of three
# and in a folder of 5,000 (hard links to it, named as a camera names them),
# as whole processes under a fresh Xvfb, launches taking the two folders in
# turn. The window lists its folder once its picture is on screen, so the
# large folder should cost the first pixel nothing that the noise hides.
#   bench/folder_pixel.sh [BUILD_DIR]
# Environment: RUNS (launches per folder, default 9), FILES (default 5000),
# FIRST_PIXEL (the probe; default ../shared/tools/first-pixel next to the
# repository).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
probe=${FIRST_PIXEL:-$repo/../shared/tools/first-pixel}
runs=${RUNS:-9}
files=${FILES:-5000}

if [ ! -x "$probe" ]; then
  echo "folder_pixel: skipped, no pixel probe at $probe (set FIRST_PIXEL)"
  exit 0
fi
command -v Xvfb >/dev/null || { echo "folder_pixel: skipped, Xvfb is missing (scripts/setup installs it)"; exit 0; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home/.cache/fennic" "$work/small" "$work/large"
printf '1440x900' >"$work/home/.cache/fennic/screen-size"
"$build/tests/make-samples" camera noisy "$work/small/IMG_0002.jpg" 800x600 >/dev/null ||
  { echo "folder_pixel: cannot make the photo"; exit 1; }
for name in IMG_0001.jpg IMG_0003.jpg; do ln "$work/small/IMG_0002.jpg" "$work/small/$name"; done
for i in $(seq "$files"); do printf '%s/large/IMG_%05d.jpg\n' "$work" "$i"; done |
  xargs -I{} ln "$work/small/IMG_0002.jpg" {}
middle=$(printf 'IMG_%05d.jpg' $(( (files + 1) / 2 )))

median() { sort -n | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]; else print "-"}'; }
small=() large=()
for _ in $(seq "$runs"); do
  for folder in small large; do
    image=$work/$folder/IMG_0002.jpg
    [ "$folder" = large ] && image=$work/large/$middle
    out=$("$probe" --tol 40 --timeout 10 --home "$work/home" "$image" -- "$build/fennic" 2>&1 | tail -n 1)
    if [[ $out =~ ^[0-9]+$ ]]; then
      [ "$folder" = small ] && small+=("$out") || large+=("$out")
    else
      echo "folder_pixel: $folder: $out" >&2
    fi
  done
done
small_ms=$(printf '%s\n' "${small[@]}" | median)
large_ms=$(printf '%s\n' "${large[@]}" | median)
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) cores; $runs launches per folder"
printf 'first pixel, 800x600 in a folder of 3: %s ms, of %s: %s ms\n' "$small_ms" "$files" "$large_ms"
echo "(milliseconds, medians; the large folder should add nothing beyond the noise)"
