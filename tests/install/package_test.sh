#!/usr/bin/env bash
# Builds the Debian package from a built tree with CPack and checks its
# control fields and contents.
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log" >&2; fail "cpack failed"; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb=$out/fennic_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb") in $(ls "$out")"

info=$(dpkg-deb --info "$deb")
echo "$info"
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = fennic ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version)"
[ "$(field Section)" = graphics ] || fail "Section is $(field Section)"
# Addresses come from the build's options alone, and none is made up.
option() { sed -n "s/^$1:STRING=//p" "$build/CMakeCache.txt"; }
[ "$(field Maintainer)" = "$(option FENNIC_MAINTAINER)" ] || fail "Maintainer is $(field Maintainer)"
[ "$(field Homepage)" = "$(option FENNIC_HOMEPAGE)" ] || fail "Homepage is $(field Homepage)"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
# Linked libraries come from dpkg-shlibdeps (with versions), the ones opened
# at run time are named by hand.
for package in libqt6widgets6 libqt6dbus6 libqt6network6 libqt6printsupport6 libexiv2-27 libc6 \
               libheif1 libraw20 libjxl0.7 liblcms2-2 libtiff6 libgeonames0 fonts-manrope \
               shared-mime-info; do
  grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
grep -qE 'libqt6widgets6 \(>= ' <<<"$depends" || fail "Depends has no versions from shlibdeps: $depends"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
for file in /usr/bin/fennic \
            /usr/lib/fennic/fennic-network.so \
            /usr/lib/fennic/fennic-printing.so \
            /usr/share/applications/org.fennic.Fennic.desktop \
            /usr/share/dbus-1/services/org.fennic.Fennic.service \
            /usr/share/metainfo/org.fennic.Fennic.metainfo.xml \
            /usr/share/icons/hicolor/scalable/apps/org.fennic.Fennic.svg \
            /usr/share/icons/hicolor/48x48/apps/org.fennic.Fennic.png \
            /usr/share/icons/hicolor/512x512/apps/org.fennic.Fennic.png \
            /usr/share/man/man1/fennic.1.gz \
            /usr/share/doc/fennic/copyright; do
  grep -qx "$file" <<<"$contents" || fail "the package lacks $file"
done
# Only the program's own files: nothing from the tests or the build.
stray=$(grep -vE '/$|^/usr/(bin/fennic|lib/fennic/fennic-(network|printing)\.so|share/(applications|dbus-1/services|metainfo|icons/hicolor/[^/]+/apps|man/man1|doc/fennic)/)' <<<"$contents" || true)
[ -z "$stray" ] || fail "unexpected files in the package: $stray"

mkdir "$out/x"
dpkg-deb -x "$deb" "$out/x"
grep -qx 'Exec=/usr/bin/fennic --gapplication-service' \
  "$out/x/usr/share/dbus-1/services/org.fennic.Fennic.service" || fail "the packaged service Exec"
placeholder=$( { grep -rla 'fennic\.org' "$out/x"; strings -el "$out/x/usr/bin/fennic" | grep 'fennic\.org'; } || true)
if [ -n "$placeholder" ] && ! grep -q 'fennic\.org' <<<"$(option FENNIC_HOMEPAGE)$(option FENNIC_UPDATE_FEED)$(option FENNIC_SCREENSHOTS_URL)"; then
  fail "the package names fennic.org, which no build option gave: $placeholder"
fi

# The licence in Debian's machine-readable form: every file under GPL 3 or
# later, with the text the system keeps.
copyright=$out/x/usr/share/doc/fennic/copyright
head -1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not in the machine-readable format"
grep -A2 -x 'Files: \*' "$copyright" | grep -qx 'License: GPL-3+' || fail "the copyright file gives no licence for every file"
grep -q '"/usr/share/common-licenses/GPL-3"' "$copyright" || fail "the copyright file does not point to the licence text"
echo PASS
