#!/usr/bin/env bash
# Times `fennic --list` on a folder of 100,000 names as a whole process, next
# to `fennic --version` (start-up alone) and `ls -f` on the same folder, and
# prints the median of each. Target for --list: 250 ms or less.
set -euo pipefail
build=${1:-build}
fennic=$(cd "$build" && pwd)/fennic
folder=$(mktemp -d /tmp/fennic-list-bench.XXXXXX)
trap 'rm -rf "$folder"' EXIT

# Camera and hand-made names: mixed case, digit runs, spaces; a sixth are no images.
awk 'BEGIN {
  srand(42)
  split("IMG_|img_|DSC|Holiday 2024 - |scan-|P", stems, "|")
  split(".jpg|.JPG|.png|.heic|.dng|.txt", endings, "|")
  for (i = 0; i < 100000; i++)
    printf "%s%d_%d%s\n", stems[int(rand() * 6) + 1], int(rand() * 1000000), i,
      endings[int(rand() * 6) + 1]
}' | (cd "$folder" && xargs -d '\n' touch)
echo "folder: $(ls -f "$folder" | wc -l) entries, $("$fennic" --list "$folder" | wc -l) images"

labels=("fennic --version" "fennic --list FOLDER" "ls -f FOLDER")
commands=("$fennic --version" "$fennic --list $folder" "ls -f $folder")
if command -v hyperfine >/dev/null; then
  csv=$(mktemp)
  hyperfine -N --warmup 3 --runs 21 --export-csv "$csv" \
    -n "${labels[0]}" "${commands[0]}" -n "${labels[1]}" "${commands[1]}" \
    -n "${labels[2]}" "${commands[2]}" >/dev/null
  awk -F, 'NR > 1 { printf "%-22s median %6.1f ms\n", $1, $4 * 1000 }' "$csv"
  rm -f "$csv"
else
  # No hyperfine (scripts/setup installs it): a plain loop, 21 runs each.
  for i in 0 1 2; do
    for _ in $(seq 21); do
      start=$(date +%s%N)
      ${commands[$i]} >/dev/null
      echo $(($(date +%s%N) - start))
    done | sort -n | awk -v c="${labels[$i]}" 'NR == 11 { printf "%-22s median %6.1f ms\n", c, $1 / 1e6 }'
  done
fi
