#!/usr/bin/env bash
# check-package.sh QUORLIN.deb
# Unpacks the package into a scratch folder and checks what a desktop
# install needs: both programs (which must answer --version with the
# package's version), a valid desktop entry with a MimeType, the icon, the
# MIME types of *.prb and *.ucl, both manual pages, the guide, and Depends
# that name the Qt libraries.
set -euo pipefail
deb=$(readlink -f "$1")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
failed=0
fail() { echo "check-package: $*" >&2; failed=1; }

version=$(dpkg-deb -f "$deb" Version)
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<< "$depends" || fail "Depends names no Qt library: $depends"
grep -q 'qt6-qpa-plugins' <<< "$depends" || fail "Depends lacks the platform plugins: $depends"

for f in usr/bin/quorlin usr/bin/quorlin-cli \
         usr/share/applications/quorlin.desktop \
         usr/share/mime/packages/quorlin.xml \
         usr/share/icons/hicolor/scalable/apps/quorlin.svg \
         usr/share/icons/hicolor/48x48/apps/quorlin.png \
         usr/share/man/man1/quorlin.1.gz usr/share/man/man1/quorlin-cli.1.gz \
         usr/share/doc/quorlin/guide.md; do
  [ -s "$root/$f" ] || fail "missing $f"
done

desktop=$root/usr/share/applications/quorlin.desktop
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
grep -q '^MimeType=.*application/x-quorlin-project' "$desktop" || fail "the desktop entry has no MimeType"
for glob in '\*\.prb' '\*\.ucl'; do
  grep -q "pattern=\"$glob\"" "$root/usr/share/mime/packages/quorlin.xml" || fail "no MIME type for $glob"
done
file -b "$root/usr/share/icons/hicolor/48x48/apps/quorlin.png" | grep -q '48 x 48' || fail "the 48x48 icon is not 48x48"
for page in quorlin quorlin-cli; do
  zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q '^\.SH DESCRIPTION' || fail "$page.1 has no description"
done

for program in quorlin quorlin-cli; do
  out=$("$root/usr/bin/$program" --version) || fail "$program --version failed"
  [ "$out" = "$program $version" ] || fail "$program --version says \"$out\", the package is $version"
done
[ "$failed" -eq 0 ] && echo "check-package: $(basename "$deb") is complete"
exit "$failed"
