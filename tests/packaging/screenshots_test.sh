#!/usr/bin/env bash
# screenshots_test.sh SHARED_DIR SCREENSHOTS
# The guide's picture maker: a menu item the program lacks is skipped with a
# note while the others are still pictured, and a source wavelength given
# before a CIF gives that structure's lines at that wavelength (ceria's 111
# line at 0.4066 A sits at 7.46 deg, inside the pattern; at Cu it would be
# the only line, at 28.5 deg), so the pictured plot differs from Cu's.
set -euo pipefail
shared=$1 tool=$2
src=$(cd "$(dirname "$0")/../.." && pwd)
export QT_QPA_PLATFORM=offscreen
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export QUORLIN_HOME=$tmp/home
mkdir -p "$QUORLIN_HOME"

"$tool" "$tmp/a" --system mnuCubic 12 --cell 4 4 4 90 90 90 -- mnuNoSuchWindow mnuPressure > "$tmp/out" 2> "$tmp/err" ||
  { echo "FAIL: a missing menu item failed the run" >&2; cat "$tmp/err" >&2; exit 1; }
[ -s "$tmp/a/frmMain.png" ] && [ -s "$tmp/a/frmPressure.png" ] || { echo "FAIL: pictures missing" >&2; exit 1; }
grep -q "no menu item mnuNoSuchWindow, skipped" "$tmp/err" || { echo "FAIL: no note for the skipped item" >&2; exit 1; }
if "$tool" "$tmp/b" -- mnuAbout mnuNoSuchWindow 2> /dev/null | grep -q NoSuch; then echo "FAIL: a picture for a missing item" >&2; exit 1; fi

pattern=$shared/realdata/xy/CeO2_Pilatus1M.xy
"$tool" "$tmp/cu" "$pattern" "$src/docs/examples/ceo2.cif" > /dev/null 2>&1
"$tool" "$tmp/sy" "$pattern" --wavelength 0.4066 "$src/docs/examples/ceo2.cif" > /dev/null 2>&1
if cmp -s "$tmp/cu/frmMain.png" "$tmp/sy/frmMain.png"; then
  echo "FAIL: --wavelength did not change the imported structure's lines" >&2
  exit 1
fi
if "$tool" "$tmp/bad" "$pattern" --wavelength 0.001 > /dev/null 2>&1; then
  echo "FAIL: a wavelength the program refuses was accepted" >&2
  exit 1
fi
echo "screenshots: ok"
