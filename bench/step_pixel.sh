#!/usr/bin/env bash
# A prefetched step through 24-megapixel camera-like JPEGs, measured from
# outside: the pixel probe ../shared/tools/first-pixel presses Right (XTest)
# and times until the screen's centre shows the next picture. Beside it, the
# program's own key-to-paint of the same steps (key event received to the
# picture painted): what lies between them is the X server's delivery, the
# flush of the window's pixels and the probe's polling period.
#   bench/step_pixel.sh [BUILD_DIR]
# Environment: STEPS (default 11), ROUNDS (default 3), FIRST_PIXEL.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
build=$(cd "${1:-$repo/build}" && pwd)
probe=${FIRST_PIXEL:-$repo/../shared/tools/first-pixel}
steps=${STEPS:-11}
rounds=${ROUNDS:-3}
if [ ! -x "$probe" ]; then
  echo "step_pixel: skipped, no pixel probe at $probe (set FIRST_PIXEL)"
  exit 0
fi
for tool in Xvfb convert cc; do
  command -v "$tool" >/dev/null || { echo "step_pixel: skipped, $tool is missing (scripts/setup installs it)"; exit 0; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/photos"

# One noisy photo in as many hues and brightnesses as there are steps, so that
# each step's centre differs from the last one's well beyond the tolerance.
"$build/tests/make-samples" camera noisy "$work/noisy.jpg" 6000x4000 >/dev/null ||
  { echo "step_pixel: cannot make the photo"; exit 1; }
colours=()
for i in $(seq 0 "$steps"); do
  file=$work/photos/IMG_$(printf '%03d' "$i").jpg
  convert "$work/noisy.jpg" -modulate $((i % 2 ? 130 : 70)),100,$(((i * 47) % 200)) -quality 92 "$file"
  colours+=("$(convert -define jpeg:size=2880x1800 "$file" -resize '1440x900>' -gravity center \
    -crop 1x1+0+0 +repage -depth 8 txt:- | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | head -1)")
done
expected=$(IFS=,; echo "${colours[*]:1}")

median() { sort -n | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]; else print "-"}'; }
p95() { sort -n | awk '{a[NR]=$1} END {i=int(NR*0.95+0.999); if (i<1) i=1; if (NR) print a[i]; else print "-"}'; }

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) cores; $rounds rounds of $steps steps, 1 s apart"
outside=() inside=()
for round in $(seq "$rounds"); do
  FENNIC_TRACE=1 "$probe" --tol 40 --timeout 20 --step "$expected" --log "$work/log$round" \
    "$work/photos/IMG_000.jpg" -- "$build/fennic" >"$work/out$round" 2>&1
  while read -r word index ms; do
    [ "$word" = step ] || continue
    if [[ $ms =~ ^[0-9]+$ ]]; then outside+=("$ms"); else echo "step_pixel: round $round step $index: $ms"; fi
  done <"$work/out$round"
  while read -r ms; do inside+=("$ms"); done < <(grep 'fennic-trace: key-to-paint ' "$work/log$round" | awk '{print $3}')
done
printf 'key press to picture on screen (probe): median %s ms, 95th percentile %s ms over %d steps (target <= 16)\n' \
  "$(printf '%s\n' "${outside[@]}" | median)" "$(printf '%s\n' "${outside[@]}" | p95)" "${#outside[@]}"
printf 'key event to picture painted (trace):   median %s ms, 95th percentile %s ms over %d steps\n' \
  "$(printf '%s\n' "${inside[@]}" | median)" "$(printf '%s\n' "${inside[@]}" | p95)" "${#inside[@]}"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
