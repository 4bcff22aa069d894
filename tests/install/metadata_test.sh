#!/usr/bin/env bash
# The desktop entry, the software-centre metadata and the manual page pass
# the desktop's own validators.
#   metadata_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$src/resources/desktop/org.fennic.Fennic.desktop" ||
  fail "desktop-file-validate rejects the desktop entry"
validate() {
  local out
  out=$(appstreamcli validate --no-net --explain "$1" 2>&1) ||
    { echo "$out" >&2; fail "appstreamcli rejects $1"; }
  # Warnings would hide the application in software centres; infos are fine.
  if grep -qE '^[EW]:' <<<"$out"; then echo "$out" >&2; fail "appstreamcli warns on $1"; fi
}
metainfo=$build/metainfo/org.fennic.Fennic.metainfo.xml
validate "$metainfo"
# With addresses given, they appear (escaped) and the file stays valid.
given=$(mktemp -d)
trap 'rm -rf "$given"' EXIT
cmake -DFENNIC_ADDRESSES_OUT="$given" -DFENNIC_HOMEPAGE='https://example.org/?a=1&b=2' \
      -DFENNIC_SCREENSHOTS_URL=https://example.org/shots/ -P "$src/cmake/PackagedAddresses.cmake"
validate "$given/metainfo/org.fennic.Fennic.metainfo.xml"
for line in '<url type="homepage">https://example.org/?a=1&amp;b=2</url>' \
            '<image>https://example.org/shots/frameless.png</image>'; do
  grep -qF "$line" "$given/metainfo/org.fennic.Fennic.metainfo.xml" || fail "the metainfo lacks $line"
done
grep -qx 'Source: https://example.org/?a=1&b=2' "$given/doc/copyright" || fail "the copyright file names no source"
# The licences software centres show: the program's and the metadata's own.
grep -qx '  <project_license>GPL-3.0-or-later</project_license>' "$metainfo" || fail "the metainfo names no project licence"
grep -qxE '  <metadata_license>(FSFAP|CC0-1.0)</metadata_license>' "$metainfo" || fail "the metainfo's own licence"
cmp -s "$src/COPYING" /usr/share/common-licenses/GPL-3 || fail "COPYING is not the GPL 3 text"

# The manual page renders without a groff warning and has its sections.
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$build/man/fennic.1" 2>&1 >/dev/null || true)
[ -z "$warnings" ] || fail "man page warnings: $warnings"
page=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$build/man/fennic.1" 2>/dev/null)
for section in NAME SYNOPSIS DESCRIPTION OPTIONS KEYS FILES ENVIRONMENT; do
  grep -q "^$section" <<<"$page" || fail "man page has no $section section"
done
# Every option the program accepts is documented.
for option in --list --info --help --version --gapplication-service; do
  grep -q -- "$option" <<<"$page" || fail "man page does not document $option"
done
echo PASS
