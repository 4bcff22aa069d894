# fennic --list prints a folder's images in the file manager's order.
set -euo pipefail
FENNIC=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
touch IMG_2.jpg IMG_10.jpg img_1.JPG notes.txt x.Jpg .hidden.jpg scan.tif e.jpe f.jfif \
  cam.NEF cam.cr3 dsc.srw raw.txt anim.gif web.WEBP photo.avif
mkdir album.jpg
expected=$'.hidden.jpg\nalbum.jpg\nanim.gif\ncam.cr3\ncam.NEF\ndsc.srw\ne.jpe\nf.jfif\nimg_1.JPG\nIMG_2.jpg\nIMG_10.jpg\nphoto.avif\nscan.tif\nweb.WEBP\nx.Jpg'
actual=$("$FENNIC" --list "$dir")
[ "$actual" = "$expected" ] || { echo "FAIL: got"; echo "$actual"; exit 1; }
LC_ALL=C actual=$("$FENNIC" --list "$dir")
[ "$actual" = "$expected" ] || { echo "FAIL in the C locale: got"; echo "$actual"; exit 1; }

# One line per name: control characters and backslashes as C-style escapes,
# which printf '%b' undoes; a name that is not UTF-8 cannot be opened and is
# left out.
odd=$(mktemp -d)
trap 'rm -rf "$dir" "$odd"' EXIT
touch "$odd/"$'line\nbreak.jpg' "$odd/"'back\slash.jpg' "$odd/"$'tab\there.jpg' "$odd/"$'\xff\xfe.jpg' \
  "$odd/plain.jpg"
expected=$'back\\\\slash.jpg\nline\\nbreak.jpg\nplain.jpg\ntab\\there.jpg'
actual=$("$FENNIC" --list "$odd")
[ "$actual" = "$expected" ] || { echo "FAIL: odd names gave"; echo "$actual"; exit 1; }
while IFS= read -r line; do
  [ -e "$odd/$(printf '%b' "$line")" ] || { echo "FAIL: '$line' names no file"; exit 1; }
done <<<"$actual"

set +e
err=$("$FENNIC" --list "$dir/missing" 2>&1 >/dev/null)
status=$?
set -e
[ $status -eq 1 ] || { echo "FAIL: status $status for a missing folder"; exit 1; }
[ "$err" = "fennic: cannot list '$dir/missing': No such file or directory" ] ||
  { echo "FAIL: message '$err'"; exit 1; }

# Arguments that are not UTF-8 are refused by name, never opened as another file.
set +e
err=$("$FENNIC" --info "$odd/"$'\xff\xfe.jpg' 2>&1 >/dev/null)
status=$?
set -e
[ $status -eq 1 ] || { echo "FAIL: status $status for --info with a name that is not UTF-8"; exit 1; }
[ "$err" = "fennic: cannot open '$odd/\xff\xfe.jpg': the name is not valid UTF-8" ] ||
  { echo "FAIL: message '$err'"; exit 1; }
echo "PASS"
