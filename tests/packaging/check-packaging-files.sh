#!/usr/bin/env bash
# The files the package installs about the program: the desktop entry passes
# desktop-file-validate, the AppStream metadata appstreamcli validate without a
# remark, the man pages render without a warning, and the changelog and the
# metadata's latest release name the project's version. A validator that is
# not installed is skipped (77 when none of them is).
#
#   check-packaging-files.sh PACKAGING_SOURCE_DIR MAN_PAGE_DIR VERSION
set -u
src="$1" man="$2" version="$3"
failed=0 ran=0
fail() { echo "FAIL: $*"; failed=1; }

top="$(sed -n '1s/^velmora (\([^)]*\)).*/\1/p' "$src/changelog")"
[ "$top" = "$version" ] || fail "the changelog's latest entry is $top, the project's version $version"
release="$(grep -o '<release version="[^"]*"' "$src/com.cardivex.velmora.metainfo.xml" | head -1 | cut -d'"' -f2)"
[ "$release" = "$version" ] || fail "the metadata's latest release is $release, the project's version $version"

if command -v desktop-file-validate >/dev/null; then
  ran=1
  out="$(desktop-file-validate "$src/com.cardivex.velmora.desktop" 2>&1)"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
else
  echo "SKIP: desktop-file-validate is not installed"
fi
if command -v appstreamcli >/dev/null; then
  ran=1
  out="$(appstreamcli validate --no-net --pedantic --no-color "$src/com.cardivex.velmora.metainfo.xml" 2>&1)"
  code=$?
  [ $code -eq 0 ] || fail "appstreamcli validate ($code): $out"
  # Not even a pedantic remark: the summary line is all it says.
  [ "$(echo "$out" | grep -cv '^$')" -eq 1 ] && echo "$out" | grep -q "Validation was successful" ||
    fail "appstreamcli validate has remarks: $out"
else
  echo "SKIP: appstreamcli is not installed"
fi
if command -v groff >/dev/null; then
  ran=1
  for page in "$man"/velmora.1 "$man"/velmora-cli.1; do
    out="$(groff -man -ww -z "$page" 2>&1)"
    [ -z "$out" ] || fail "$(basename "$page"): $out"
    grep -q "Velmora $version" "$page" || fail "$(basename "$page") does not name version $version"
  done
else
  echo "SKIP: groff is not installed"
fi

[ $failed -eq 0 ] || exit 1
[ $ran -eq 1 ] || exit 77
echo "1 passed, 0 failed"
