# fennic --info prints one JSON line per file: the details Fennic shows, with
# GPS positions signed by hemisphere; the status tells whether all were read.
set -euo pipefail
FENNIC=$1
MAKE_SAMPLES=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$MAKE_SAMPLES" samples "$dir" >/dev/null
fail() { echo "FAIL: $*"; exit 1; }

rio=$("$FENNIC" --info "$dir/beach-rio.jpg")
for field in '"Name":"beach-rio.jpg"' '"Width":1200' '"Height":800' '"ISO":"ISO 100"' \
  '"FStop":"ƒ1.8"' '"Shutter":"1/119 s"' '"FocalLength":"26 mm"' '"Lens":"Fennic Optics"' \
  '"DateTime":"Tue, 15 Jun 21 - 02:30pm"' '"showLocation":true' '"latitude":-22.95' \
  '"longitude":-43.21' '"Place":"Rio de Janeiro, Rio de Janeiro, Brazil"'; do
  [[ $rio == *"$field"* ]] || fail "beach-rio.jpg lacks $field: $rio"
done
paris=$("$FENNIC" --info "$dir/city-paris.jpg")
[[ $paris == *'"latitude":48.858'* && $paris == *'"longitude":2.294'* ]] ||
  fail "Paris is not north and east: $paris"
[[ $paris == *'"Place":"Paris, Île-de-France Region, France"'* ]] || fail "Paris is not named: $paris"
heic=$("$FENNIC" --info "$dir/evening.heic")
[[ $heic == *'"Width":1000'* && $heic == *'"ISO":"ISO 50"'* ]] || fail "HEIC details: $heic"

set +e
out=$("$FENNIC" --info "$dir/portrait.png" "$dir/missing.jpg" 2>"$dir/err")
status=$?
set -e
[ $status -eq 1 ] || fail "status $status with an unreadable file"
[ "$(cat "$dir/err")" = "fennic: cannot open '$dir/missing.jpg': the file does not exist" ] ||
  fail "the reason is not on standard error: $(cat "$dir/err")"
[ "$(printf '%s\n' "$out" | wc -l)" -eq 2 ] || fail "expected two lines: $out"
[[ $(printf '%s\n' "$out" | tail -n 1) == '{"Name":"missing.jpg","showLens":false,"showLocation":false}' ]] ||
  fail "unreadable file line: $out"
"$FENNIC" --info "$dir"/*.jpg "$dir"/*.png "$dir"/*.bmp "$dir"/*.heic >/dev/null ||
  fail "readable files gave a failure status"
echo "PASS"
