#!/usr/bin/env bash
# Turns and converts JPEG, PNG, TIFF, HEIC and DNG files through the running
# program's D-Bus interface and kills it (SIGKILL) at a random moment 0-3000 ms
# after asking, round after round; then counts broken files and hidden
# temporaries left beside them. Every photo must always be one of the states
# that whole turns give (computed first, without killing), and every copy
# either absent or complete.
#   bench/kill_writes.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
if [ -z "${KILL_WRITES_INNER:-}" ]; then
  export KILL_WRITES_INNER=1
  exec dbus-run-session -- bash "$0" "$@"
fi
build=$(cd "${1:-build}" && pwd)
rounds=${2:-100}
fennic=$build/fennic
make_samples=$build/tests/make-samples
work=$(mktemp -d)
app=
trap '[ -n "$app" ] && kill -9 $app 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen HOME=$work/home XDG_RUNTIME_DIR=$work/runtime
export XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"

formats=(jpg png tif heic dng)
echo "making 6-megapixel files..."
"$make_samples" camera noisy "$work/photo.jpg" 3000x2000 >/dev/null
convert "$work/photo.jpg" "$work/photo.png"
convert "$work/photo.jpg" -compress lzw "$work/photo.tif"
"$make_samples" heic "$work/photo.heic" 2000x3000 0 >/dev/null
"$make_samples" dng "$work/photo.dng" 3000x2000

call() {
  gdbus call --session --dest org.fennic.Fennic --object-path /org/fennic/Fennic "$@" 2>/dev/null
}
# Starts fennic on $1 (pid in app) and sets key to its window's once the
# picture is on screen: a turn asked for before is not taken.
start() {
  FENNIC_TRACE=1 "$fennic" "$1" >/dev/null 2>"$work/fennic.err" &
  app=$!
  local windows
  for _ in $(seq 400); do
    if grep -q 'fennic-trace: first-paint' "$work/fennic.err"; then
      windows=$(call --method org.fennic.Fennic.Windows || true)
      if [[ $windows =~ \'([0-9A-Fa-f-]{36})\' ]]; then key=${BASH_REMATCH[1]}; return 0; fi
    fi
    sleep 0.05
  done
  echo "fennic did not start" >&2
  return 1
}
act() { # key action [extension]
  local args="[<'$1'>]"
  [ -n "${3:-}" ] && args="[<'$1'>, <'$3'>]"
  call --method org.freedesktop.Application.ActivateAction "$2" "$args" '{}' >/dev/null || true
}
stop() { kill -9 "$app" 2>/dev/null || true; wait "$app" 2>/dev/null || true; app=; }
sum() { md5sum <"$1" | cut -d' ' -f1; }
strays() { find "$1" -maxdepth 1 -name '.*' -type f | grep -cE '/\.[^/]+\.[A-Za-z0-9]{6}$' || true; }

# The states whole turns go through, one file each, not killed. Four turns
# give the picture as it was, but not always the same bytes (a re-encoded
# file is the encoder's own from the first turn, a HEIF container settles
# after a few): eight turns, and what followed each state.
declare -A next before
for ext in "${formats[@]}"; do
  mkdir -p "$work/$ext"
  cp "$work/photo.$ext" "$work/$ext/photo.$ext"
  file=$work/$ext/photo.$ext
  was=$(sum "$file")
  start "$file"
  for _ in $(seq 8); do
    act "$key" rotateClock
    for _ in $(seq 1200); do now=$(sum "$file"); [ "$now" != "$was" ] && break; sleep 0.05; done
    [ -n "${next[$was]:-}" ] || next[$was]=$now
    was=$now
  done
  stop
  [ -n "${next[$was]:-}" ] || { echo "photo.$ext: eight turns never come back to the same bytes"; exit 1; }
  cp "$work/photo.$ext" "$file"
  before[$ext]=$(sum "$file")
done

# A copy is whole when ImageMagick decodes it without a word.
whole() { [ -z "$(convert -regard-warnings "$1" null: 2>&1)" ]; }

broken=0 stray=0 turned=0 unturned=0 copies=0 nocopy=0
started=$(date +%s)
for round in $(seq 0 $((rounds - 1))); do
  ext=${formats[$((round % 5))]}
  file=$work/$ext/photo.$ext
  start "$file"
  if (( (round / 5) % 2 == 0 )); then
    act "$key" rotateClock
  else
    target=tiff; [ "$ext" = tif ] && target=png
    act "$key" convertImage "$target"
  fi
  sleep "$(awk -v r=$RANDOM 'BEGIN { printf "%.3f", r % 3001 / 1000 }')"
  stop
  now=$(sum "$file")
  if [ "$now" = "${before[$ext]}" ]; then
    (( (round / 5) % 2 == 0 )) && unturned=$((unturned + 1))
  elif [ "$now" = "${next[${before[$ext]}]:-}" ]; then
    before[$ext]=$now turned=$((turned + 1))
  else
    broken=$((broken + 1)); echo "round $round: photo.$ext is neither the old nor the new picture"
    before[$ext]=$now
  fi
  copy=$(find "$work/$ext" -maxdepth 1 -type f -name 'photo*' ! -name "photo.$ext")
  if (( (round / 5) % 2 == 1 )); then
    if [ -z "$copy" ]; then nocopy=$((nocopy + 1))
    elif whole "$copy"; then copies=$((copies + 1))
    else broken=$((broken + 1)); echo "round $round: copy $(basename "$copy") is broken"; fi
  fi
  [ -n "$copy" ] && rm -f "$copy"
  left=$(strays "$work/$ext")
  if [ "$left" -gt 0 ]; then
    stray=$((stray + left)); echo "round $round: $left hidden temporaries beside photo.$ext"
    find "$work/$ext" -maxdepth 1 -name '.*' -type f -delete
  fi
done
echo "kill_writes: $rounds rounds in $(( $(date +%s) - started )) s (${formats[*]}; turn and convert)"
echo "  turns written before the kill: $turned, killed before written: $unturned"
echo "  copies written before the kill: $copies, killed before written: $nocopy"
echo "  broken files: $broken, hidden temporaries left: $stray"
[ "$broken" -eq 0 ] && [ "$stray" -eq 0 ]
