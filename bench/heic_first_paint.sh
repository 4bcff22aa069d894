#!/usr/bin/env bash
# A 12-megapixel HEIC as phones write it (a grid of 8 x 6 tiles of 512 x 512
# on a 4032 x 3024 canvas that crops the last row and column, stored turned
# and shown 3024 x 4032, with a 240 x 320 thumbnail) opened from the command
# line under Xvfb: the first paint (the embedded thumbnail, scaled to the
# window) and the full paint (the decoded picture), from process start, as
# FENNIC_TRACE reports them; and the same file decoded into a PNG on a tmpfs
# by libheif's own tool with every core. Medians of several launches;
# figures are printed, never judged.
#   bench/heic_first_paint.sh [BUILD_DIR] [BASELINE_BUILD_DIR]
# With a baseline build (e.g. of the commit before), both are measured in
# turn, so that a busy spell on the shared machine hits them alike.
# Environment: RUNS (launches per build, default 5).
set -uo pipefail
build=$(cd "${1:-build}" && pwd)
baseline=${2:+$(cd "$2" && pwd)}
runs=${RUNS:-5}
command -v Xvfb >/dev/null || { echo "heic_first_paint: skipped, Xvfb is missing"; exit 0; }
work=$(mktemp -d)
trap 'kill ${xvfb:-} ${app:-} 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

Xvfb -displayfd 3 -screen 0 1440x875x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=:$(cat "$work/display") QT_QPA_PLATFORM=xcb FENNIC_TRACE=1
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"

image=$work/IMG_0001.heic
echo "making the phone HEIC: 48 tiles, 3024x4032 shown, 240x320 thumbnail (x265 ultrafast)..."
"$build/tests/make-samples" heic-grid "$image" 8x6 4032x3024 320 turned ||
  { echo "heic_first_paint: cannot make it"; exit 1; }

median() { sort -n | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]; else print "-"}'; }
trace_value() { grep "fennic-trace: $1 " "$2" | head -n 1 | awk '{print $3}'; }

# Launches fennic of build $1 once; prints "first full" in milliseconds.
launch() {
  local err=$work/launch.err
  "$1/fennic" "$image" >/dev/null 2>"$err" &
  app=$!
  # The baseline knows no previews: its first paint is the whole picture.
  local awaited=full-paint
  [ "$1" = "${baseline:-}" ] && awaited=first-paint
  for _ in $(seq 1000); do
    grep -q "fennic-trace: $awaited " "$err" && break
    sleep 0.01
  done
  kill $app 2>/dev/null; wait $app 2>/dev/null; app=
  local first full
  first=$(trace_value first-paint "$err")
  full=$(trace_value full-paint "$err")
  echo "${first:--} ${full:-$first}"
}

scratch=/dev/shm
[ -d "$scratch" ] && [ -w "$scratch" ] || scratch=$work
# Decodes the image into a PNG with heif-convert once; prints milliseconds.
convert_once() {
  local start end
  start=$(date +%s%N)
  heif-convert "$image" "$scratch/fennic-bench-grid.png" >/dev/null 2>&1
  end=$(date +%s%N)
  rm -f "$scratch/fennic-bench-grid.png"
  echo $(( (end - start) / 1000000 ))
}

declare -A firsts=() fulls=()
convert_times=
builds=("$build")
[ -n "$baseline" ] && builds=("$baseline" "$build")
for _ in $(seq "$runs"); do
  for b in "${builds[@]}"; do
    read -r first full < <(launch "$b")
    firsts[$b]+="$first "
    fulls[$b]+="$full "
  done
  command -v heif-convert >/dev/null && convert_times+="$(convert_once) "
done

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) cores; $runs launches per build"
printf '%-10s %16s %16s\n' build "first paint ms" "full paint ms"
for b in "${builds[@]}"; do
  name=after; [ "$b" = "${baseline:-}" ] && name=before
  # shellcheck disable=SC2086
  printf '%-10s %16s %16s\n' "$name" "$(printf '%s\n' ${firsts[$b]} | median)" \
    "$(printf '%s\n' ${fulls[$b]} | median)"
done
echo "(medians from process start; wanted: first paint < 300 ms, full paint < 1000 ms)"

# The full paint against libheif's own tool on the same file.
# shellcheck disable=SC2086
full_ms=$(printf '%s\n' ${fulls[$build]} | median)
# shellcheck disable=SC2086
convert_ms=$(printf '%s\n' ${convert_times:-} | median)
ratio=$(awk -v a="$full_ms" -v b="$convert_ms" 'BEGIN {if (a+0 > 0 && b+0 > 0) printf "%.2f", a / b; else print "-"}')
command -v heif-convert >/dev/null || convert_ms="- (heif-convert is missing)"
printf 'heif-convert to PNG %s ms; full paint (after) / heif-convert: ratio %s\n' "$convert_ms" "$ratio"
echo "(wanted: ratio <= 1.1; heif-convert's time includes its PNG encode)"
