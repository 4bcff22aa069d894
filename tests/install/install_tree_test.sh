#!/usr/bin/env bash
# `cmake --install` into a temporary prefix puts every file in its place, and
# the D-Bus service starts the binary installed there.
#   install_tree_test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 ||
  { cat "$prefix.log" >&2; rm -f "$prefix.log"; fail "cmake --install failed"; }
rm -f "$prefix.log"

expected=(
  bin/fennic
  lib/fennic/fennic-network.so
  lib/fennic/fennic-printing.so
  share/applications/org.fennic.Fennic.desktop
  share/dbus-1/services/org.fennic.Fennic.service
  share/metainfo/org.fennic.Fennic.metainfo.xml
  share/icons/hicolor/scalable/apps/org.fennic.Fennic.svg
  share/man/man1/fennic.1.gz
  share/doc/fennic/copyright
)
for size in 16 22 24 32 48 64 128 256 512; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/org.fennic.Fennic.png")
done
for file in "${expected[@]}"; do
  [ -s "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/fennic" ] || fail "bin/fennic is not executable"
# The program finds its modules as ../lib/fennic; each carries a library
# that the program does not link.
for module in network:fennicHttpStart:libQt6Network printing:fennicPrintDialogOpen:libQt6PrintSupport; do
  IFS=: read -r name entry library <<<"$module"
  nm -D --defined-only "$prefix/lib/fennic/fennic-$name.so" | grep -qw "$entry" ||
    fail "the $name module exports no $entry"
  readelf -d "$prefix/lib/fennic/fennic-$name.so" | grep -q "$library" ||
    fail "the $name module does not link $library"
done
# Nothing else: a stray file in the package would be a surprise to users.
extra=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort |
        comm -23 - <(printf '%s\n' "${expected[@]}" | sort))
[ -z "$extra" ] || fail "unexpected files installed: $extra"

# The PNG icons are the sizes their folders say.
for size in 16 48 512; do
  got=$(identify -format '%wx%h' "$prefix/share/icons/hicolor/${size}x${size}/apps/org.fennic.Fennic.png")
  [ "$got" = "${size}x${size}" ] || fail "the ${size}px icon is $got"
done

service=$prefix/share/dbus-1/services/org.fennic.Fennic.service
grep -qx 'Name=org.fennic.Fennic' "$service" || fail "service file names another bus name"
grep -qx "Exec=$prefix/bin/fennic --gapplication-service" "$service" ||
  fail "service Exec is not the installed binary: $(grep Exec "$service")"
desktop=$prefix/share/applications/org.fennic.Fennic.desktop
grep -qx 'DBusActivatable=true' "$desktop" || fail "the desktop entry is not D-Bus activatable"
grep -qx 'Icon=org.fennic.Fennic' "$desktop" || fail "the desktop entry names another icon"

# The installed program runs, and its manual page is readable.
"$prefix/bin/fennic" --version | grep -q '^fennic [0-9]' || fail "installed fennic --version"
LC_ALL=C.UTF-8 man -l "$prefix/share/man/man1/fennic.1.gz" 2>/dev/null | grep -q 'gapplication-service' ||
  fail "installed manual page cannot be read"

# A staged install (DESTDIR) writes under the stage but names the real prefix.
stage=$(mktemp -d)
trap 'rm -rf "$prefix" "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix /opt/fennic >/dev/null
grep -qx 'Exec=/opt/fennic/bin/fennic --gapplication-service' \
  "$stage/opt/fennic/share/dbus-1/services/org.fennic.Fennic.service" ||
  fail "a DESTDIR install's service file does not name the final prefix"
echo PASS
