#!/usr/bin/env bash
# Drives the real program under Xvfb over a folder of 24-megapixel JPEGs and
# prints: first image painted (from process start, several launches) against
# a full-resolution djpeg decode of the same file; key press to painted image
# over 30 steps (median and 95th percentile); the peak memory after stepping
# through 100 files.
#   bench/stepping.sh [BUILD_DIR]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
fennic=$build/fennic
make_samples=$build/tests/make-samples
work=$(mktemp -d)
trap 'kill ${xvfb:-} ${app:-} 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

Xvfb -displayfd 3 -screen 0 1440x875x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=:$(cat "$work/display") QT_QPA_PLATFORM=xcb FENNIC_TRACE=1
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"

echo "making 24-megapixel JPEGs..."
"$make_samples" camera noisy "$work/noisy.jpg"
"$make_samples" camera smooth "$work/smooth.jpg"
mkdir "$work/photos"
for i in $(seq -w 1 100); do
  if (( 10#$i % 2 )); then cp "$work/noisy.jpg" "$work/photos/IMG_$i.jpg"
  else cp "$work/smooth.jpg" "$work/photos/IMG_$i.jpg"; fi
done

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
p95() { sort -n | awk '{a[NR]=$1} END {i=int(NR*0.95+0.999); if (i<1) i=1; print a[i]}'; }
trace_values() { grep "fennic-trace: $1 " "$2" | awk '{print $3}'; }

wait_for_trace() {  # event file count
  for _ in $(seq 600); do
    [ "$(grep -c "fennic-trace: $1 " "$2" || true)" -ge "$3" ] && return 0
    sleep 0.01
  done
  return 1
}

for name in noisy smooth; do
  djpeg_times=()
  for _ in 1 2 3 4 5; do
    start=$(date +%s%N); djpeg -outfile /dev/null "$work/$name.jpg"; end=$(date +%s%N)
    djpeg_times+=($(( (end - start) / 1000 )))
  done
  djpeg_ms=$(printf '%s\n' "${djpeg_times[@]}" | median | awk '{printf "%.1f", $1 / 1000}')
  firsts=()
  for _ in 1 2 3 4 5; do
    "$fennic" "$work/$name.jpg" >/dev/null 2>"$work/launch.err" &
    app=$!
    wait_for_trace first-paint "$work/launch.err" 1 || { echo "no first paint"; exit 1; }
    firsts+=("$(trace_values first-paint "$work/launch.err")")
    kill $app; wait $app 2>/dev/null || true; app=
  done
  first_ms=$(printf '%s\n' "${firsts[@]}" | median)
  printf '%-6s first image painted: median %s ms from process start; djpeg full decode %s ms; ratio %.2f (target <= 1.25)\n' \
    "$name" "$first_ms" "$djpeg_ms" "$(awk -v a="$first_ms" -v b="$djpeg_ms" 'BEGIN {print a / b}')"
done

"$fennic" "$work/photos/IMG_001.jpg" >/dev/null 2>"$work/steps.err" &
app=$!
wait_for_trace first-paint "$work/steps.err" 1
win=$(xdotool search --sync --onlyvisible --name '^IMG_001.jpg$' | head -n 1)
xdotool windowfocus --sync "$win"
sleep 1
for step in $(seq 1 99); do
  xdotool key Right
  wait_for_trace key-to-paint "$work/steps.err" "$step" || { echo "step $step never painted"; exit 1; }
  # A person looks at each photo for a moment; the next one is prefetched meanwhile.
  [ "$step" -le 30 ] && sleep 0.4 || sleep 0.15
done
values=$(trace_values key-to-paint "$work/steps.err" | head -n 30)
peak_kb=$(awk '/VmHWM/ {print $2}' "/proc/$app/status")
printf 'key to paint over 30 steps: median %s ms, 95th percentile %s ms (target < 30 ms)\n' \
  "$(echo "$values" | median)" "$(echo "$values" | p95)"
printf 'peak memory after 99 steps through 100 files: %d MB (target < 600 MB)\n' $((peak_kb / 1024))
