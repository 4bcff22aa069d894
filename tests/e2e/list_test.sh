# fennic --list prints a folder's images in the file manager's order.
set -euo pipefail
FENNIC=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
touch IMG_2.jpg IMG_10.jpg img_1.JPG notes.txt x.Jpg .hidden.jpg
mkdir album.jpg
expected=$'.hidden.jpg\nalbum.jpg\nimg_1.JPG\nIMG_2.jpg\nIMG_10.jpg'
actual=$("$FENNIC" --list "$dir")
[ "$actual" = "$expected" ] || { echo "FAIL: got"; echo "$actual"; exit 1; }
LC_ALL=C actual=$("$FENNIC" --list "$dir")
[ "$actual" = "$expected" ] || { echo "FAIL in the C locale: got"; echo "$actual"; exit 1; }

set +e
err=$("$FENNIC" --list "$dir/missing" 2>&1 >/dev/null)
status=$?
set -e
[ $status -eq 1 ] || { echo "FAIL: status $status for a missing folder"; exit 1; }
[ "$err" = "fennic: cannot list '$dir/missing': No such file or directory" ] ||
  { echo "FAIL: message '$err'"; exit 1; }
echo "PASS"
