#!/usr/bin/env bash
# A first picture that takes seconds to decode (a 30000 x 30000 TIFF in one
# strip) gets its window at once, saying that it opens, and the program
# quits from it with Ctrl+Q while the decode still runs.
source "$(dirname "$0")/lib.sh" "$@"
start_window_manager

"$MAKE_SAMPLES" strip-tiff "$WORK/huge.tif" 30000x30000 || fail "cannot write the TIFF"
started=$(date +%s%N)
start_fennic "$WORK/huge.tif"
pid=$LAST_PID
win=$(wait_for_window huge.tif 10)
shown_after=$((($(date +%s%N) - started) / 1000000))
size=$(window_size "$win")
echo "window after $shown_after ms, $size"
# The picture would make a square window; the note's page is wider than tall.
read -r width height <<<"${size/x/ }"
[ "$width" -gt "$height" ] || fail "the window shows the picture ($size), not the note"
xdotool windowactivate --sync "$win" key --clearmodifiers ctrl+q
for _ in $(seq 30); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Ctrl+Q did not quit while the picture was decoding"
echo "PASS"
